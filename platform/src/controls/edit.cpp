// The "Edit" control, single-line and multi-line (ES_MULTILINE): typing,
// caret, keyboard and mouse selection, horizontal scrolling with
// ES_AUTOHSCROLL, the EM_ messages and the EN_ notifications of Win32.
// A multi-line edit breaks lines at "\r\n" only and keeps them in its text
// as they are; a Return typed into it inserts "\r\n".
//
// Chosen here, where Win32 leaves room:
// - Without ES_AUTOHSCROLL a single-line insertion is cut to what fits the
//   visible width, and EN_MAXTEXT tells so; WM_SETTEXT is neither cut nor
//   limited. Multi-line edits do not wrap long lines: they scroll.
// - The default limit is 30000 characters, as Win32 answers
//   EM_GETLIMITTEXT; EM_LIMITTEXT 0 lifts it to 0x7FFFFFFE (single-line) or
//   0xFFFFFFFF (multi-line).
// - Left or Right without Shift on a selection collapses it to that side.
// - The clipboard takes the selection with WM_COPY / WM_CUT (Ctrl+C,
//   Ctrl+X, Ctrl+Insert, Shift+Delete) and gives text with WM_PASTE (Ctrl+V,
//   Shift+Insert). A password edit gives nothing away; a single-line paste keeps
//   the text up to its first line break, as one line holds no more, and an
//   ES_NUMBER edit refuses a paste that is not all digits. There is no undo.
#include "backend/backend.h"
#include "controls/controls.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vqwin::controls {
namespace {

constexpr size_t kDefaultLimit = 30000;
constexpr size_t kMaxLimit = 0x7FFFFFFE;
constexpr size_t kMaxMultiLimit = 0xFFFFFFFF;
constexpr int kMargin = 1; // pixels between the client edge and the text

struct Edit {
  HWND hwnd = nullptr;
  bool alive = true;
  std::string text;
  int anchor = 0; // the fixed end of the selection
  int caret = 0;  // the moving end, where the caret stands
  size_t limit = kDefaultLimit;
  int offset = 0; // pixels scrolled out on the left
  int top = 0;    // first visible line of a multi-line edit
  bool multi = false;
  HFONT font = nullptr;
  char password = 0;
  bool modified = false;
  bool focused = false;
  bool selecting = false; // a mouse drag is extending the selection
};

StateTable<Edit> edits;

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

int SelMin(const Edit &e) { return std::min(e.anchor, e.caret); }
int SelMax(const Edit &e) { return std::max(e.anchor, e.caret); }

// A line of the text: where it starts and how many characters it shows
// (its "\r\n" is not counted). A single-line edit has one line.
struct Line {
  int start = 0, length = 0;
};

std::vector<Line> Lines(const Edit &e) {
  std::vector<Line> lines;
  const std::string &t = e.text;
  int start = 0;
  if (e.multi)
    for (size_t at = t.find("\r\n"); at != std::string::npos; at = t.find("\r\n", at + 2)) {
      lines.push_back(Line{start, static_cast<int>(at) - start});
      start = static_cast<int>(at) + 2;
    }
  lines.push_back(Line{start, static_cast<int>(t.size()) - start});
  return lines;
}

// The line holding a character index; indexes past the end are on the last.
int LineOf(const std::vector<Line> &lines, int index) {
  int line = 0;
  while (line + 1 < static_cast<int>(lines.size()) && lines[line + 1].start <= index)
    ++line;
  return line;
}

std::string Shown(const Edit &e) {
  return e.password ? std::string(e.text.size(), e.password) : e.text;
}

// Where the text goes in the client area, and how it is measured.
struct Layout {
  int left = 0, right = 0, lineHeight = 0;
  int Avail() const { return std::max(right - left, 0); }
};

Layout LayoutOf(const Edit &e, const TextDC &m) {
  RECT rc{};
  GetClientRect(e.hwnd, &rc);
  return Layout{rc.left + kMargin, rc.right - kMargin, m.Height()};
}

int Prefix(const std::string &shown, const TextDC &m, int i) {
  return m.Width(shown.data(), std::clamp(i, 0, static_cast<int>(shown.size())));
}

// Client x of the text's first character.
int Origin(const Edit &e, const Layout &l, int textWidth) {
  DWORD align = StyleOf(e.hwnd) & (ES_CENTER | ES_RIGHT);
  if (textWidth <= l.Avail() && e.offset == 0) {
    if (align == ES_RIGHT)
      return l.left + l.Avail() - textWidth;
    if (align == ES_CENTER)
      return l.left + (l.Avail() - textWidth) / 2;
  }
  return l.left - e.offset;
}

// The shown text of one line.
std::string LineText(const Edit &e, const Line &line) {
  return Shown(e).substr(static_cast<size_t>(line.start), static_cast<size_t>(line.length));
}

// Client x of character index i, on its line.
int XOf(const Edit &e, const TextDC &m, const Layout &l, int i) {
  std::vector<Line> lines = Lines(e);
  const Line &line = lines[static_cast<size_t>(LineOf(lines, i))];
  std::string shown = LineText(e, line);
  return Origin(e, l, Prefix(shown, m, line.length)) + Prefix(shown, m, i - line.start);
}

int YOf(const Edit &e, const Layout &l, int i) {
  return e.multi ? (LineOf(Lines(e), i) - e.top) * l.lineHeight : 0;
}

// The character boundary nearest to client (x, y).
int IndexAt(const Edit &e, int x, int y = 0) {
  TextDC m(e.hwnd, e.font);
  Layout l = LayoutOf(e, m);
  std::vector<Line> lines = Lines(e);
  int row = e.multi && l.lineHeight > 0 ? e.top + (y < 0 ? -1 : y / l.lineHeight) : 0;
  const Line &line =
      lines[static_cast<size_t>(std::clamp(row, 0, static_cast<int>(lines.size()) - 1))];
  std::string shown = LineText(e, line);
  int origin = Origin(e, l, Prefix(shown, m, line.length));
  int lo = 0, hi = static_cast<int>(shown.size());
  while (lo < hi) { // last boundary at or left of x
    int mid = (lo + hi + 1) / 2;
    if (origin + Prefix(shown, m, mid) <= x)
      lo = mid;
    else
      hi = mid - 1;
  }
  if (lo < static_cast<int>(shown.size())) {
    int a = origin + Prefix(shown, m, lo), b = origin + Prefix(shown, m, lo + 1);
    if (x - a > b - x)
      ++lo;
  }
  return line.start + lo;
}

// Scrolls so that the caret is inside the visible width; with
// ES_AUTOHSCROLL a third of the width is kept in view beyond it.
void ScrollToCaret(Edit &e, const TextDC &m, const Layout &l) {
  std::vector<Line> lines = Lines(e);
  int row = LineOf(lines, e.caret);
  if (e.multi && l.lineHeight > 0) {
    RECT rc{};
    GetClientRect(e.hwnd, &rc);
    int visible = std::max(1, static_cast<int>(rc.bottom) / l.lineHeight);
    if (row < e.top)
      e.top = row;
    else if (row >= e.top + visible)
      e.top = row - visible + 1;
  }
  const Line &line = lines[static_cast<size_t>(row)];
  std::string shown = LineText(e, line);
  int total = Prefix(shown, m, line.length);
  int avail = l.Avail();
  if ((!(StyleOf(e.hwnd) & ES_AUTOHSCROLL) && !e.multi) || total <= avail) {
    e.offset = 0;
    return;
  }
  int at = Prefix(shown, m, e.caret - line.start);
  if (at - e.offset > avail)
    e.offset = at - avail + avail / 3;
  else if (at - e.offset < 0)
    e.offset = at - avail / 3;
  e.offset = std::clamp(e.offset, 0, std::max(total - avail + 1, 0));
}

void PlaceCaret(Edit &e, const TextDC &m, const Layout &l) {
  if (!e.focused)
    return;
  SetCaretPos(XOf(e, m, l, e.caret), YOf(e, l, e.caret));
}

// After the text, selection or geometry changed: scroll, move the caret,
// and repaint later.
void Refresh(Edit &e) {
  TextDC m(e.hwnd, e.font);
  Layout l = LayoutOf(e, m);
  ScrollToCaret(e, m, l);
  PlaceCaret(e, m, l);
  InvalidateRect(e.hwnd, nullptr, TRUE);
}

// EN_UPDATE before the new text is shown, EN_CHANGE after. False when the
// control is gone.
bool AnnounceChange(Edit &e) {
  Refresh(e);
  if (!NotifyParent(e.hwnd, EN_UPDATE))
    return false;
  UpdateWindow(e.hwnd);
  return NotifyParent(e.hwnd, EN_CHANGE);
}

void ApplyCase(HWND hwnd, std::string &text) {
  DWORD style = StyleOf(hwnd);
  if (text.empty())
    return;
  if (style & ES_UPPERCASE)
    CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
  else if (style & ES_LOWERCASE)
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
}

// The longest head of `insert` whose result still fits the visible width.
size_t FittingLength(const Edit &e, const std::string &insert) {
  TextDC m(e.hwnd, e.font);
  Layout l = LayoutOf(e, m);
  std::string head = e.text.substr(0, SelMin(e)), tail = e.text.substr(SelMax(e));
  auto fits = [&](size_t n) {
    std::string t = head + insert.substr(0, n) + tail;
    if (e.password)
      t.assign(t.size(), e.password);
    return m.Width(t.data(), static_cast<int>(t.size())) <= l.Avail();
  };
  if (fits(insert.size()))
    return insert.size();
  size_t lo = 0, hi = insert.size();
  while (lo < hi) {
    size_t mid = (lo + hi + 1) / 2;
    if (fits(mid))
      lo = mid;
    else
      hi = mid - 1;
  }
  return lo;
}

// Replaces the selection with `insert`, cut to the limit and, without
// ES_AUTOHSCROLL, to the width. False when the control is gone.
bool ReplaceSelection(Edit &e, std::string insert) {
  ApplyCase(e.hwnd, insert);
  size_t kept = e.text.size() - static_cast<size_t>(SelMax(e) - SelMin(e));
  size_t room = e.limit > kept ? e.limit - kept : 0;
  bool cut = false;
  if (insert.size() > room) {
    insert.resize(room);
    cut = true;
  }
  if (!(StyleOf(e.hwnd) & ES_AUTOHSCROLL) && !e.multi) {
    size_t fit = FittingLength(e, insert);
    if (fit < insert.size()) {
      insert.resize(fit);
      cut = true;
    }
  }
  if (cut && !NotifyParent(e.hwnd, EN_MAXTEXT))
    return false;
  // Win32 announces a refused insertion too, as a change to the same text.
  if (insert.empty() && e.anchor == e.caret)
    return !cut || AnnounceChange(e);
  int at = SelMin(e);
  e.text.replace(static_cast<size_t>(at), static_cast<size_t>(SelMax(e) - at), insert);
  e.anchor = e.caret = at + static_cast<int>(insert.size());
  e.modified = true;
  return AnnounceChange(e);
}

bool DeleteRange(Edit &e, int from, int to) {
  if (from >= to)
    return true;
  e.text.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
  e.anchor = e.caret = from;
  e.modified = true;
  return AnnounceChange(e);
}

void MoveCaret(Edit &e, int to, bool extend) {
  e.caret = std::clamp(to, 0, static_cast<int>(e.text.size()));
  if (!extend)
    e.anchor = e.caret;
  Refresh(e);
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

int WordStart(const std::string &t, int i) {
  while (i > 0 && IsSpace(t[i - 1]))
    --i;
  while (i > 0 && !IsSpace(t[i - 1]))
    --i;
  return i;
}

int NextWord(const std::string &t, int i) {
  int n = static_cast<int>(t.size());
  while (i < n && !IsSpace(t[i]))
    ++i;
  while (i < n && IsSpace(t[i]))
    ++i;
  return i;
}

void Copy(Edit &e) {
  if (e.password || e.anchor == e.caret)
    return;
  backend::Current().SetClipboardText(
      e.text.substr(static_cast<size_t>(SelMin(e)), static_cast<size_t>(SelMax(e) - SelMin(e))));
}

void Clear(Edit &e) {
  if (!(StyleOf(e.hwnd) & ES_READONLY))
    DeleteRange(e, SelMin(e), SelMax(e));
}

void Cut(Edit &e) {
  if (e.password || e.anchor == e.caret)
    return;
  Copy(e);
  Clear(e);
}

void Paste(Edit &e) {
  const DWORD style = StyleOf(e.hwnd);
  std::string text;
  if ((style & ES_READONLY) || !backend::Current().ClipboardText(text))
    return;
  if (!e.multi) {
    text.resize(std::min(text.find_first_of("\r\n"), text.size()));
  } else {
    // Lines break at "\r\n" only, so breaks of other systems become that.
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' || text[i] == '\n') {
        lines += "\r\n";
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
          ++i;
      } else {
        lines += text[i];
      }
    }
    text.swap(lines);
  }
  if ((style & ES_NUMBER) && text.find_first_not_of("0123456789") != std::string::npos)
    return;
  ReplaceSelection(e, text);
}

// ---- Message handlers ----

void OnCreate(Edit &e, const CREATESTRUCTA *cs) {
  e.multi = (cs->style & ES_MULTILINE) != 0;
  if (cs->style & ES_PASSWORD && !e.multi)
    e.password = '*';
  if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
    e.text = cs->lpszName;
    ApplyCase(e.hwnd, e.text);
  }
}

void OnKeyDown(Edit &e, WPARAM vk) {
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  bool selection = e.anchor != e.caret;
  bool readOnly = StyleOf(e.hwnd) & ES_READONLY;
  switch (vk) {
  case VK_LEFT:
    if (selection && !shift && !ctrl)
      MoveCaret(e, SelMin(e), false);
    else
      MoveCaret(e, ctrl ? WordStart(e.text, e.caret) : e.caret - 1, shift);
    break;
  case VK_RIGHT:
    if (selection && !shift && !ctrl)
      MoveCaret(e, SelMax(e), false);
    else
      MoveCaret(e, ctrl ? NextWord(e.text, e.caret) : e.caret + 1, shift);
    break;
  case VK_HOME: {
    std::vector<Line> lines = Lines(e);
    MoveCaret(e, ctrl ? 0 : lines[static_cast<size_t>(LineOf(lines, e.caret))].start, shift);
    break;
  }
  case VK_END: {
    std::vector<Line> lines = Lines(e);
    const Line &line = lines[static_cast<size_t>(LineOf(lines, e.caret))];
    MoveCaret(e, ctrl ? static_cast<int>(e.text.size()) : line.start + line.length, shift);
    break;
  }
  case VK_UP:
  case VK_DOWN: {
    if (!e.multi)
      break;
    TextDC m(e.hwnd, e.font);
    Layout l = LayoutOf(e, m);
    int y = YOf(e, l, e.caret) + (vk == VK_UP ? -1 : 1) * l.lineHeight;
    MoveCaret(e, IndexAt(e, XOf(e, m, l, e.caret), y + l.lineHeight / 2), shift);
    break;
  }
  case VK_INSERT:
    if (ctrl)
      Copy(e);
    else if (shift)
      Paste(e);
    break;
  case VK_DELETE:
    if (readOnly)
      break;
    if (shift && selection)
      Cut(e);
    else if (selection)
      DeleteRange(e, SelMin(e), SelMax(e));
    else if (e.caret < static_cast<int>(e.text.size()))
      DeleteRange(e, e.caret, e.caret + (e.text.compare(e.caret, 2, "\r\n") == 0 ? 2 : 1));
    break;
  }
}

void OnChar(Edit &e, WPARAM wp) {
  DWORD style = StyleOf(e.hwnd);
  if (wp > 0xFF)
    return;
  auto ch = static_cast<unsigned char>(wp);
  switch (ch) {
  case 0x03: // Ctrl+C
    return Copy(e);
  case 0x16: // Ctrl+V
    return Paste(e);
  case 0x18: // Ctrl+X
    return Cut(e);
  }
  if (style & ES_READONLY)
    return;
  if (ch == '\b') {
    if (e.anchor != e.caret)
      DeleteRange(e, SelMin(e), SelMax(e));
    else if (e.caret > 1 && e.text.compare(e.caret - 2, 2, "\r\n") == 0)
      DeleteRange(e, e.caret - 2, e.caret);
    else if (e.caret > 0)
      DeleteRange(e, e.caret - 1, e.caret);
    return;
  }
  if (e.multi && (ch == '\r' || ch == '\n')) {
    ReplaceSelection(e, "\r\n");
    return;
  }
  if (e.multi && ch == '\t') {
    ReplaceSelection(e, "\t");
    return;
  }
  if (ch < 0x20 || ch == 0x7F)
    return; // Return, Escape, Tab and control keys make no text here
  if ((style & ES_NUMBER) && (ch < '0' || ch > '9'))
    return;
  ReplaceSelection(e, std::string(1, static_cast<char>(ch)));
}

void OnButtonDown(const std::shared_ptr<Edit> &e, WPARAM keys, int x, int y) {
  if (GetFocus() != e->hwnd) {
    SetFocus(e->hwnd);
    if (!e->alive)
      return;
  }
  MoveCaret(*e, IndexAt(*e, x, y), keys & MK_SHIFT);
  e->selecting = true;
  SetCapture(e->hwnd);
}

void OnDoubleClick(Edit &e, int x, int y) {
  int at = IndexAt(e, x, y);
  const std::string &t = e.text;
  int n = static_cast<int>(t.size());
  bool space = at < n ? IsSpace(t[at]) : (at > 0 && IsSpace(t[at - 1]));
  int from = at, to = at;
  while (from > 0 && IsSpace(t[from - 1]) == space)
    --from;
  while (to < n && IsSpace(t[to]) == space)
    ++to;
  e.anchor = from;
  MoveCaret(e, to, true);
  e.selecting = true;
  SetCapture(e.hwnd);
}

void OnSetFocus(const std::shared_ptr<Edit> &e) {
  e->focused = true;
  {
    TextDC m(e->hwnd, e->font);
    Layout l = LayoutOf(*e, m);
    CreateCaret(e->hwnd, nullptr, 1, l.lineHeight);
    ScrollToCaret(*e, m, l);
    PlaceCaret(*e, m, l);
  }
  ShowCaret(e->hwnd);
  InvalidateRect(e->hwnd, nullptr, TRUE);
  NotifyParent(e->hwnd, EN_SETFOCUS);
}

void OnKillFocus(const std::shared_ptr<Edit> &e) {
  if (!e->focused)
    return; // only an edit that had the focus announces losing it
  e->focused = false;
  if (HideCaret(e->hwnd))
    DestroyCaret();
  InvalidateRect(e->hwnd, nullptr, TRUE);
  NotifyParent(e->hwnd, EN_KILLFOCUS);
}

LRESULT OnGetSel(const Edit &e, WPARAM wp, LPARAM lp) {
  DWORD from = static_cast<DWORD>(SelMin(e)), to = static_cast<DWORD>(SelMax(e));
  if (wp)
    *reinterpret_cast<DWORD *>(wp) = from;
  if (lp)
    *reinterpret_cast<DWORD *>(lp) = to;
  return to > 0xFFFF ? -1 : MAKELRESULT(from, to);
}

void OnSetSel(Edit &e, WPARAM wp, LPARAM lp) {
  auto length = static_cast<unsigned>(e.text.size());
  auto start = static_cast<int>(wp);
  if (start == -1) {
    e.anchor = e.caret;
  } else {
    // Negative or too large positions name the end of the text.
    e.anchor = static_cast<int>(std::min(static_cast<unsigned>(start), length));
    e.caret = static_cast<int>(std::min(static_cast<unsigned>(static_cast<int>(lp)), length));
  }
  Refresh(e);
}

LRESULT OnGetLine(const Edit &e, WPARAM wp, LPARAM lp) {
  std::vector<Line> lines = Lines(e);
  if (!lp || wp >= lines.size())
    return 0;
  const Line &line = lines[e.multi ? wp : 0];
  auto *buffer = reinterpret_cast<char *>(lp);
  WORD size;
  std::memcpy(&size, buffer, sizeof size);
  size_t n = std::min(static_cast<size_t>(size), static_cast<size_t>(line.length));
  // The line goes out without a terminator, as EM_GETLINE documents.
  std::memcpy(buffer, e.text.data() + line.start, n); // NOLINT(bugprone-not-null-terminated-result)
  return static_cast<LRESULT>(n);
}

LRESULT OnLineIndex(const Edit &e, WPARAM wp) {
  if (!e.multi)
    return 0;
  std::vector<Line> lines = Lines(e);
  auto line = static_cast<int>(wp);
  if (line == -1)
    line = LineOf(lines, e.caret);
  if (line < 0 || line >= static_cast<int>(lines.size()))
    return -1;
  return lines[static_cast<size_t>(line)].start;
}

LRESULT OnLineFromChar(const Edit &e, WPARAM wp) {
  if (!e.multi)
    return 0;
  auto index = static_cast<int>(wp);
  return LineOf(Lines(e), index == -1 ? SelMin(e) : std::max(index, 0));
}

// For -1, the characters of the selection's lines that are not selected.
LRESULT OnLineLength(const Edit &e, WPARAM wp) {
  std::vector<Line> lines = Lines(e);
  auto index = static_cast<int>(wp);
  if (index != -1) {
    if (index < 0 || index > static_cast<int>(e.text.size()))
      return 0;
    return lines[static_cast<size_t>(LineOf(lines, index))].length;
  }
  const Line &first = lines[static_cast<size_t>(LineOf(lines, SelMin(e)))];
  const Line &last = lines[static_cast<size_t>(LineOf(lines, SelMax(e)))];
  return (SelMin(e) - first.start) +
         (last.start + last.length - std::min(SelMax(e), last.start + last.length));
}

LRESULT OnGetText(const Edit &e, WPARAM size, LPARAM lp) {
  if (!lp || size == 0)
    return 0;
  size_t n = std::min(e.text.size(), static_cast<size_t>(size) - 1);
  auto *out = reinterpret_cast<char *>(lp);
  std::memcpy(out, e.text.data(), n);
  out[n] = '\0';
  return static_cast<LRESULT>(n);
}

bool OnSetText(Edit &e, LPARAM lp) {
  e.text = lp ? reinterpret_cast<const char *>(lp) : "";
  ApplyCase(e.hwnd, e.text);
  e.anchor = e.caret = 0;
  e.offset = 0;
  e.top = 0;
  e.modified = false;
  return AnnounceChange(e);
}

void OnSetFont(Edit &e, WPARAM wp, LPARAM lp) {
  e.font = reinterpret_cast<HFONT>(wp);
  if (e.focused) {
    TextDC m(e.hwnd, e.font);
    CreateCaret(e.hwnd, nullptr, 1, m.Height());
    ShowCaret(e.hwnd);
  }
  Refresh(e);
  if (LOWORD(lp))
    UpdateWindow(e.hwnd);
}

LRESULT OnPosFromChar(const Edit &e, WPARAM index) {
  if (index >= e.text.size())
    return -1;
  TextDC m(e.hwnd, e.font);
  Layout l = LayoutOf(e, m);
  int x = XOf(e, m, l, static_cast<int>(index)), y = YOf(e, l, static_cast<int>(index));
  return MAKELRESULT(static_cast<WORD>(static_cast<SHORT>(x)),
                     static_cast<WORD>(static_cast<SHORT>(y)));
}

void Paint(const Edit &e) {
  if (e.focused)
    HideCaret(e.hwnd);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(e.hwnd, &ps);
  if (dc) {
    DWORD style = StyleOf(e.hwnd);
    bool enabled = IsWindowEnabled(e.hwnd);
    HGDIOBJ oldFont = e.font ? SelectObject(dc, e.font) : nullptr;
    UINT colorMsg = (style & ES_READONLY) || !enabled ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    HBRUSH brush = ControlBrush(e.hwnd, dc, colorMsg);
    RECT rc;
    GetClientRect(e.hwnd, &rc);
    FillRect(dc, &rc, brush);
    if (!enabled)
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    TextDC m(e.hwnd, e.font);
    Layout l = LayoutOf(e, m);
    std::vector<Line> lines = Lines(e);
    COLORREF textColor = GetTextColor(dc);
    bool showSel = e.anchor != e.caret && (e.focused || (style & ES_NOHIDESEL));
    for (int i = e.multi ? e.top : 0; i < static_cast<int>(lines.size()); ++i) {
      int y = (i - (e.multi ? e.top : 0)) * l.lineHeight;
      if (y >= rc.bottom && i > 0)
        break;
      const Line &line = lines[static_cast<size_t>(i)];
      std::string shown = LineText(e, line);
      int n = line.length;
      int origin = Origin(e, l, Prefix(shown, m, n));
      SetTextColor(dc, textColor);
      TextOutA(dc, origin, y, shown.data(), n);
      int from = std::max(SelMin(e) - line.start, 0), to = std::min(SelMax(e) - line.start, n);
      if (showSel && from < to) {
        int x0 = origin + Prefix(shown, m, from), x1 = origin + Prefix(shown, m, to);
        RECT sel{x0, y, x1, y + l.lineHeight};
        FillRect(dc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        TextOutA(dc, x0, y, shown.data() + from, to - from);
      }
    }
    if (oldFont)
      SelectObject(dc, oldFont);
  }
  EndPaint(e.hwnd, &ps);
  if (e.focused)
    ShowCaret(e.hwnd);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    edits.Create(hwnd);
  std::shared_ptr<Edit> e = edits.Get(hwnd);
  if (!e)
    return DefWindowProcA(hwnd, msg, wp, lp);
  int x = static_cast<SHORT>(LOWORD(lp)), y = static_cast<SHORT>(HIWORD(lp));
  switch (msg) {
  case WM_CREATE:
    OnCreate(*e, reinterpret_cast<const CREATESTRUCTA *>(lp));
    return 0;
  case WM_NCDESTROY:
    if (e->focused && HideCaret(hwnd))
      DestroyCaret();
    edits.Drop(hwnd);
    break;
  case WM_SIZE:
    Refresh(*e);
    return 0;
  case WM_ENABLE:
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  case WM_ERASEBKGND:
    return 1; // painting fills the background itself
  case WM_PAINT:
    Paint(*e);
    return 0;
  case WM_SETFONT:
    OnSetFont(*e, wp, lp);
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(e->font);
  case WM_SETTEXT:
    OnSetText(*e, lp);
    return TRUE;
  case WM_GETTEXT:
    return OnGetText(*e, wp, lp);
  case WM_GETTEXTLENGTH:
    return static_cast<LRESULT>(e->text.size());
  case WM_GETDLGCODE:
    return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | (e->multi ? DLGC_WANTALLKEYS : 0);
  case WM_SETFOCUS:
    OnSetFocus(e);
    return 0;
  case WM_KILLFOCUS:
    OnKillFocus(e);
    return 0;
  case WM_KEYDOWN:
    OnKeyDown(*e, wp);
    return 0;
  case WM_CHAR:
    OnChar(*e, wp);
    return 0;
  case WM_LBUTTONDOWN:
    OnButtonDown(e, wp, x, y);
    return 0;
  case WM_LBUTTONDBLCLK:
    OnDoubleClick(*e, x, y);
    return 0;
  case WM_MOUSEMOVE:
    if (e->selecting && GetCapture() == hwnd)
      MoveCaret(*e, IndexAt(*e, x, y), true);
    return 0;
  case WM_LBUTTONUP:
    if (e->selecting) {
      e->selecting = false;
      if (GetCapture() == hwnd)
        ReleaseCapture();
    }
    return 0;
  case WM_CAPTURECHANGED:
    e->selecting = false;
    return 0;
  case WM_SETCURSOR:
    if (LOWORD(lp) == HTCLIENT) {
      SetCursor(LoadCursorA(nullptr, IDC_IBEAM));
      return TRUE;
    }
    break;
  case WM_COPY:
    Copy(*e);
    return 0;
  case WM_CUT:
    Cut(*e);
    return 0;
  case WM_PASTE:
    Paste(*e);
    return 0;
  case WM_CLEAR:
    Clear(*e);
    return 0;
  case EM_GETSEL:
    return OnGetSel(*e, wp, lp);
  case EM_SETSEL:
    OnSetSel(*e, wp, lp);
    return 0;
  case EM_REPLACESEL:
    ReplaceSelection(*e, lp ? reinterpret_cast<const char *>(lp) : "");
    return 0;
  case EM_GETLINE:
    return OnGetLine(*e, wp, lp);
  case EM_LINELENGTH:
    return OnLineLength(*e, wp);
  case EM_GETLINECOUNT:
    return static_cast<LRESULT>(Lines(*e).size());
  case EM_LINEINDEX:
    return OnLineIndex(*e, wp);
  case EM_LINEFROMCHAR:
    return OnLineFromChar(*e, wp);
  case EM_LIMITTEXT: {
    size_t most = e->multi ? kMaxMultiLimit : kMaxLimit;
    e->limit = wp == 0 || wp > most ? most : static_cast<size_t>(wp);
    return 0;
  }
  case EM_GETLIMITTEXT:
    return static_cast<LRESULT>(e->limit);
  case EM_GETMODIFY:
    return e->modified;
  case EM_SETMODIFY:
    e->modified = wp != 0;
    return 0;
  case EM_SETREADONLY: {
    DWORD style = StyleOf(hwnd);
    SetWindowLongA(hwnd, GWL_STYLE,
                   static_cast<LONG>(wp ? (style | ES_READONLY) : (style & ~ES_READONLY)));
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
  }
  case EM_SETPASSWORDCHAR:
    e->password = static_cast<char>(wp);
    Refresh(*e);
    return 0;
  case EM_GETPASSWORDCHAR:
    return static_cast<unsigned char>(e->password);
  case EM_SCROLLCARET:
    Refresh(*e);
    return TRUE;
  case EM_POSFROMCHAR:
    return OnPosFromChar(*e, wp);
  case EM_CHARFROMPOS:
    return MAKELRESULT(IndexAt(*e, x, y), LineOf(Lines(*e), IndexAt(*e, x, y)));
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

bool RegisterEditClass() {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
  wc.lpfnWndProc = EditProc;
  wc.lpszClassName = "Edit";
  return RegisterClassA(&wc) != 0;
}

} // namespace vqwin::controls
