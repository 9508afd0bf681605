// The "ListBox" control, single selection: items with texts and item data,
// sorted insertion with LBS_SORT, keyboard and mouse selection, scrolling
// through the window's own WS_VSCROLL bar, LBN_ notifications, and the
// painting of the classic look. The same procedure serves "ComboLBox", the
// drop-down list that a combo box shows in a popup and drives itself; such
// a list never takes the focus and reports to its combo box instead of
// notifying a parent.
//
// Chosen here, where Win32 leaves room:
// - As on Win32, a selection key notifies LBN_SELCHANGE even when the
//   selection stays; a mouse click selects on the press and notifies once
//   on the release, whatever the drag in between did. Changes by messages
//   never notify.
// - LB_SETCURSEL with an index outside the items leaves the selection as
//   it was and answers LB_ERR.
// - Unless LBS_NOINTEGRALHEIGHT, the window shrinks to a whole number of
//   items whenever its size or font changes.
#include "controls/controls.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

namespace vqwin::controls {
namespace {

constexpr int kTextIndent = 2;        // pixels left of an item's text
constexpr size_t kMaxItems = 1 << 24; // beyond this LB_ERRSPACE

struct Item {
  std::string text;
  ULONG_PTR data = 0;
};

struct ListBox {
  HWND hwnd = nullptr;
  bool alive = true;
  std::vector<Item> items;
  int sel = -1;  // the selected item, -1 for none
  int caret = 0; // the item with the focus rectangle
  int top = 0;   // the first item shown
  int itemHeight = 16;
  HFONT font = nullptr;
  bool focused = false;
  bool tracking = false; // the mouse button went down inside and is held
  bool adjusting = false;
  bool hasScrollBar = false; // created with WS_VSCROLL
  HWND combo = nullptr;      // the combo box this list drops down for
  bool entered = false;      // the mouse reached the dropped list
};

StateTable<ListBox> lists;

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }
int Count(const ListBox &l) { return static_cast<int>(l.items.size()); }
bool Valid(const ListBox &l, WPARAM i) {
  return static_cast<int>(i) >= 0 && static_cast<int>(i) < Count(l) && i <= INT_MAX;
}

int ClientHeight(const ListBox &l) {
  RECT rc{};
  GetClientRect(l.hwnd, &rc);
  return rc.bottom - rc.top;
}

// Items that fit whole; at least one, so that paging always moves.
int PageSize(const ListBox &l) { return std::max(ClientHeight(l) / l.itemHeight, 1); }

void UpdateScrollBar(ListBox &l) {
  if (!l.hasScrollBar)
    return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  if (StyleOf(l.hwnd) & LBS_DISABLENOSCROLL)
    si.fMask |= SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = std::max(Count(l) - 1, 0);
  si.nPage = static_cast<UINT>(PageSize(l));
  si.nPos = l.top;
  SetScrollInfo(l.hwnd, SB_VERT, &si, TRUE);
}

void SetTop(ListBox &l, int top) {
  top = std::clamp(top, 0, std::max(Count(l) - PageSize(l), 0));
  if (top == l.top)
    return;
  l.top = top;
  UpdateScrollBar(l);
  InvalidateRect(l.hwnd, nullptr, TRUE);
}

void EnsureVisible(ListBox &l, int i) {
  if (i < 0)
    return;
  if (i < l.top)
    SetTop(l, i);
  else if (i >= l.top + PageSize(l))
    SetTop(l, i - PageSize(l) + 1);
}

// The index list positions refer to after a change in the item count.
void Recount(ListBox &l) {
  l.top = std::clamp(l.top, 0, std::max(Count(l) - PageSize(l), 0));
  l.caret = std::clamp(l.caret, 0, std::max(Count(l) - 1, 0));
  UpdateScrollBar(l);
  InvalidateRect(l.hwnd, nullptr, TRUE);
}

// Selects `i` (-1: nothing). True when the selection changed.
bool Select(ListBox &l, int i) {
  if (i == l.sel)
    return false;
  l.sel = i;
  if (i >= 0)
    l.caret = i;
  EnsureVisible(l, i);
  InvalidateRect(l.hwnd, nullptr, TRUE);
  return true;
}

// Tells the parent of a list with LBS_NOTIFY that the user selected. False
// when the list did not survive.
bool NotifySelection(ListBox &l) {
  if (l.combo || !(StyleOf(l.hwnd) & LBS_NOTIFY))
    return true;
  return NotifyParent(l.hwnd, LBN_SELCHANGE);
}

// A selection the user made with a key.
bool UserSelect(ListBox &l, int i) {
  Select(l, i);
  return NotifySelection(l);
}

// The item under a client y, clamped to the items; -1 without items.
int ItemAtY(const ListBox &l, int y) {
  if (l.items.empty())
    return -1;
  int i = y < 0 ? l.top - 1 : l.top + y / l.itemHeight;
  return std::clamp(i, 0, Count(l) - 1);
}

void MeasureItems(ListBox &l) {
  TextDC m(l.hwnd, l.font);
  l.itemHeight = std::max(m.Height(), 1);
}

// Shrinks the window to whole items unless LBS_NOINTEGRALHEIGHT.
void FitIntegralHeight(ListBox &l) {
  if ((StyleOf(l.hwnd) & LBS_NOINTEGRALHEIGHT) || l.adjusting)
    return;
  int client = ClientHeight(l);
  int extra = client % l.itemHeight;
  if (extra == 0 || client < l.itemHeight)
    return;
  RECT wr;
  GetWindowRect(l.hwnd, &wr);
  l.adjusting = true;
  SetWindowPos(l.hwnd, nullptr, 0, 0, wr.right - wr.left, wr.bottom - wr.top - extra,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  l.adjusting = false;
}

// ---- Item messages ----

LRESULT Insert(ListBox &l, int at, const char *text) {
  if (!text)
    return LB_ERR;
  try {
    if (l.items.size() >= kMaxItems)
      throw std::bad_alloc();
    l.items.insert(l.items.begin() + at, Item{text, 0});
  } catch (const std::bad_alloc &) {
    NotifyParent(l.hwnd, static_cast<WORD>(LBN_ERRSPACE));
    return LB_ERRSPACE;
  }
  if (l.sel >= at)
    ++l.sel;
  if (l.caret >= at && Count(l) > 1)
    ++l.caret;
  Recount(l);
  return at;
}

LRESULT AddString(ListBox &l, const char *text) {
  if (!text)
    return LB_ERR;
  int at = Count(l);
  if (StyleOf(l.hwnd) & LBS_SORT) {
    // Before the first item that is not less: equal texts go in front, as
    // on Win32.
    auto it = std::lower_bound(
        l.items.begin(), l.items.end(), std::string(text),
        [](const Item &item, const std::string &t) { return CompareItems(item.text, t) < 0; });
    at = static_cast<int>(it - l.items.begin());
  }
  return Insert(l, at, text);
}

LRESULT Delete(ListBox &l, WPARAM index) {
  if (!Valid(l, index))
    return LB_ERR;
  int i = static_cast<int>(index);
  l.items.erase(l.items.begin() + i);
  if (l.sel == i)
    l.sel = -1;
  else if (l.sel > i)
    --l.sel;
  if (l.caret > i)
    --l.caret;
  Recount(l);
  return Count(l);
}

void Reset(ListBox &l) {
  l.items.clear();
  l.sel = -1;
  l.caret = 0;
  l.top = 0;
  Recount(l);
}

// Case-blind search after `start`, wrapping around; -1 searches all.
LRESULT Find(const ListBox &l, WPARAM start, const char *text, bool exact) {
  if (!text || l.items.empty())
    return LB_ERR;
  int n = Count(l);
  int from = Valid(l, start) ? static_cast<int>(start) + 1 : 0;
  std::string wanted = text;
  for (int k = 0; k < n; ++k) {
    int i = (from + k) % n;
    const std::string &t = l.items[i].text;
    if (exact ? CompareItems(t, wanted) == 0 : HasPrefix(t, wanted))
      return i;
  }
  return LB_ERR;
}

LRESULT GetText(const ListBox &l, WPARAM index, LPARAM buffer) {
  if (!Valid(l, index) || !buffer)
    return LB_ERR;
  const std::string &t = l.items[index].text;
  // As on Win32, the buffer must hold LB_GETTEXTLEN + 1 characters.
  std::memcpy(reinterpret_cast<char *>(buffer), t.c_str(), t.size() + 1);
  return static_cast<LRESULT>(t.size());
}

LRESULT GetItemRect(const ListBox &l, WPARAM index, LPARAM out) {
  if (!Valid(l, index) || !out)
    return LB_ERR;
  RECT rc;
  GetClientRect(l.hwnd, &rc);
  int y = (static_cast<int>(index) - l.top) * l.itemHeight;
  *reinterpret_cast<RECT *>(out) = RECT{0, y, rc.right, y + l.itemHeight};
  return 1;
}

LRESULT SetItemHeight(ListBox &l, LPARAM lp) {
  int h = LOWORD(lp);
  if (h <= 0 || h > 255)
    return LB_ERR;
  l.itemHeight = h;
  FitIntegralHeight(l);
  Recount(l);
  return LB_OKAY;
}

LRESULT SetTopIndex(ListBox &l, WPARAM index) {
  if (!Valid(l, index))
    return LB_ERR;
  SetTop(l, static_cast<int>(index));
  return LB_OKAY;
}

LRESULT ItemFromPoint(const ListBox &l, LPARAM lp) {
  int x = static_cast<SHORT>(LOWORD(lp)), y = static_cast<SHORT>(HIWORD(lp));
  RECT rc;
  GetClientRect(l.hwnd, &rc);
  int i = ItemAtY(l, y);
  bool outside = x < 0 || x >= rc.right || y < 0 || y >= rc.bottom ||
                 (i >= 0 && y >= (i - l.top + 1) * l.itemHeight);
  return MAKELRESULT(static_cast<WORD>(std::max(i, 0)), outside ? 1 : 0);
}

// ---- Input ----

void OnKeyDown(ListBox &l, WPARAM vk) {
  if (l.items.empty())
    return;
  int from = l.sel >= 0 ? l.sel : l.caret;
  int to = 0;
  switch (vk) {
  case VK_UP:
    to = from - 1;
    break;
  case VK_DOWN:
    to = l.sel < 0 ? from : from + 1;
    break;
  case VK_PRIOR:
    to = from - (PageSize(l) - 1);
    break;
  case VK_NEXT:
    to = from + (PageSize(l) - 1);
    break;
  case VK_HOME:
    to = 0;
    break;
  case VK_END:
    to = Count(l) - 1;
    break;
  default:
    return;
  }
  UserSelect(l, std::clamp(to, 0, Count(l) - 1));
}

// A typed character selects the next item that starts with it.
void OnChar(ListBox &l, WPARAM ch) {
  if (ch < 0x20 || ch > 0xFF || l.items.empty())
    return;
  char text[2] = {static_cast<char>(ch), '\0'};
  LRESULT i = Find(l, static_cast<WPARAM>(l.sel), text, false);
  if (i != LB_ERR)
    UserSelect(l, static_cast<int>(i));
}

void OnVScroll(ListBox &l, WPARAM wp) {
  switch (LOWORD(wp)) {
  case SB_LINEUP:
    SetTop(l, l.top - 1);
    break;
  case SB_LINEDOWN:
    SetTop(l, l.top + 1);
    break;
  case SB_PAGEUP:
    SetTop(l, l.top - PageSize(l));
    break;
  case SB_PAGEDOWN:
    SetTop(l, l.top + PageSize(l));
    break;
  case SB_THUMBTRACK:
  case SB_THUMBPOSITION:
    SetTop(l, HIWORD(wp));
    break;
  case SB_TOP:
    SetTop(l, 0);
    break;
  case SB_BOTTOM:
    SetTop(l, Count(l));
    break;
  }
}

void OnButtonDown(const std::shared_ptr<ListBox> &l, int y) {
  if (GetFocus() != l->hwnd) {
    SetFocus(l->hwnd);
    if (!l->alive)
      return;
  }
  l->tracking = true;
  SetCapture(l->hwnd);
  if (y < ClientHeight(*l) && y >= 0 && !l->items.empty())
    Select(*l, ItemAtY(*l, y));
}

void OnMouseMove(ListBox &l, int y) {
  if (!l.tracking || GetCapture() != l.hwnd || l.items.empty())
    return;
  int i = ItemAtY(l, y);
  if (y >= ClientHeight(l))
    i = std::min(l.top + PageSize(l), Count(l) - 1); // dragging below scrolls
  Select(l, i);
}

void EndTracking(ListBox &l, bool released) {
  if (!l.tracking)
    return;
  l.tracking = false;
  if (GetCapture() == l.hwnd)
    ReleaseCapture();
  if (released && !l.items.empty())
    NotifySelection(l);
}

// The press before it selected already; the second click only tells.
void OnDoubleClick(ListBox &l) {
  if (StyleOf(l.hwnd) & LBS_NOTIFY)
    NotifyParent(l.hwnd, LBN_DBLCLK);
}

// ---- The dropped list of a combo box ----
//
// While dropped the list holds the mouse capture: moving over it highlights
// the item under the mouse, releasing the button on an item chooses it, a
// press outside the list ends the drop-down without a choice, and a press
// on its scroll bar scrolls.

bool InsideClient(const ListBox &l, POINT client) {
  RECT rc;
  GetClientRect(l.hwnd, &rc);
  return PtInRect(&rc, client) != FALSE;
}

void OnComboMouse(ListBox &l, UINT msg, LPARAM lp) {
  POINT pt{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))};
  bool inside = InsideClient(l, pt);
  if (inside && !l.items.empty() && pt.y < (Count(l) - l.top) * l.itemHeight) {
    l.entered = true;
    Select(l, ItemAtY(l, pt.y));
  }
  if (msg == WM_LBUTTONUP && inside && l.entered) {
    ComboCloseUp(l.combo, true);
    return;
  }
  if (msg != WM_LBUTTONDOWN || inside)
    return;
  POINT screen = pt;
  ClientToScreen(l.hwnd, &screen);
  LPARAM at = MAKELPARAM(screen.x, screen.y);
  if (SendMessageA(l.hwnd, WM_NCHITTEST, 0, at) == HTVSCROLL) {
    DefWindowProcA(l.hwnd, WM_NCLBUTTONDOWN, HTVSCROLL, at);
    return;
  }
  ComboCloseUp(l.combo, false);
}

// ---- Painting ----

void Paint(const ListBox &l) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(l.hwnd, &ps);
  if (!dc) {
    EndPaint(l.hwnd, &ps);
    return;
  }
  HGDIOBJ oldFont = l.font ? SelectObject(dc, l.font) : nullptr;
  HBRUSH brush = ControlBrush(l.hwnd, dc, WM_CTLCOLORLISTBOX);
  COLORREF text = IsWindowEnabled(l.hwnd) ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
  RECT rc;
  GetClientRect(l.hwnd, &rc);
  FillRect(dc, &rc, brush);
  SetBkMode(dc, TRANSPARENT);
  for (int i = l.top, y = 0; i < Count(l) && y < rc.bottom; ++i, y += l.itemHeight) {
    RECT item{0, y, rc.right, y + l.itemHeight};
    if (i == l.sel) {
      FillRect(dc, &item, GetSysColorBrush(COLOR_HIGHLIGHT));
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
      SetTextColor(dc, text);
    }
    const std::string &t = l.items[i].text;
    TextOutA(dc, kTextIndent, y, t.data(), static_cast<int>(t.size()));
  }
  if (l.focused && !l.combo) {
    int y = (l.caret - l.top) * l.itemHeight;
    RECT focus{0, y, rc.right, y + l.itemHeight};
    DrawFocusRect(dc, &focus);
  }
  if (oldFont)
    SelectObject(dc, oldFont);
  EndPaint(l.hwnd, &ps);
}

// ---- The procedure ----

void OnCreate(ListBox &l, const CREATESTRUCTA *cs) {
  l.hasScrollBar = cs->style & WS_VSCROLL;
  if (cs->style & LBS_COMBOBOX)
    l.combo = static_cast<HWND>(cs->lpCreateParams);
  MeasureItems(l);
  UpdateScrollBar(l);
}

void OnSetFont(ListBox &l, WPARAM wp, LPARAM lp) {
  l.font = reinterpret_cast<HFONT>(wp);
  MeasureItems(l);
  FitIntegralHeight(l);
  Recount(l);
  if (LOWORD(lp))
    UpdateWindow(l.hwnd);
}

void OnFocus(const std::shared_ptr<ListBox> &l, bool gained) {
  if (!gained && !l->focused)
    return; // only a list that had the focus announces losing it
  l->focused = gained;
  if (!gained)
    EndTracking(*l, false);
  InvalidateRect(l->hwnd, nullptr, TRUE);
  NotifyParent(l->hwnd, gained ? LBN_SETFOCUS : LBN_KILLFOCUS);
}

std::optional<LRESULT> OnComboListMessage(ListBox &l, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_MOUSEACTIVATE:
    return MA_NOACTIVATE;
  case WM_MOUSEMOVE:
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_LBUTTONUP:
    OnComboMouse(l, msg == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : msg, lp);
    return 0;
  case WM_CAPTURECHANGED:
    // Someone else took the mouse: the drop-down cannot go on.
    if (IsWindowVisible(l.hwnd) && reinterpret_cast<HWND>(lp) != l.hwnd)
      ComboCloseUp(l.combo, false);
    return 0;
  }
  (void)wp;
  return std::nullopt;
}

} // namespace

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    lists.Create(hwnd);
  std::shared_ptr<ListBox> l = lists.Get(hwnd);
  if (!l)
    return DefWindowProcA(hwnd, msg, wp, lp);
  if (l->combo)
    if (std::optional<LRESULT> r = OnComboListMessage(*l, msg, wp, lp))
      return *r;
  int y = static_cast<SHORT>(HIWORD(lp));
  switch (msg) {
  case WM_CREATE:
    OnCreate(*l, reinterpret_cast<const CREATESTRUCTA *>(lp));
    return 0;
  case WM_NCDESTROY:
    lists.Drop(hwnd);
    break;
  case WM_SIZE:
    FitIntegralHeight(*l);
    if (l->alive)
      Recount(*l);
    return 0;
  case WM_ENABLE:
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT:
    Paint(*l);
    return 0;
  case WM_SETFONT:
    OnSetFont(*l, wp, lp);
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(l->font);
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    OnFocus(l, msg == WM_SETFOCUS);
    return 0;
  case WM_GETDLGCODE:
    return DLGC_WANTARROWS | DLGC_WANTCHARS;
  case WM_KEYDOWN:
    OnKeyDown(*l, wp);
    return 0;
  case WM_CHAR:
    OnChar(*l, wp);
    return 0;
  case WM_VSCROLL:
    OnVScroll(*l, wp);
    return 0;
  case WM_MOUSEWHEEL:
    SetTop(*l, l->top - 3 * static_cast<SHORT>(HIWORD(wp)) / 120);
    return 0;
  case WM_LBUTTONDOWN:
    OnButtonDown(l, y);
    return 0;
  case WM_MOUSEMOVE:
    OnMouseMove(*l, y);
    return 0;
  case WM_LBUTTONUP:
    EndTracking(*l, true);
    return 0;
  case WM_CAPTURECHANGED:
    l->tracking = false;
    return 0;
  case WM_LBUTTONDBLCLK:
    OnDoubleClick(*l);
    return 0;
  case LB_ADDSTRING:
    return AddString(*l, reinterpret_cast<const char *>(lp));
  case LB_INSERTSTRING: {
    // -1 appends, whether it comes pointer-sized or as a 32-bit value.
    bool append =
        static_cast<int>(wp) == -1 && (wp == static_cast<WPARAM>(-1) || wp == 0xFFFFFFFFu);
    if (!append && wp > static_cast<WPARAM>(Count(*l)))
      return LB_ERR;
    return Insert(*l, append ? Count(*l) : static_cast<int>(wp),
                  reinterpret_cast<const char *>(lp));
  }
  case LB_DELETESTRING:
    return Delete(*l, wp);
  case LB_RESETCONTENT:
    Reset(*l);
    return 0;
  case LB_GETCOUNT:
    return Count(*l);
  case LB_GETTEXT:
    return GetText(*l, wp, lp);
  case LB_GETTEXTLEN:
    return Valid(*l, wp) ? static_cast<LRESULT>(l->items[wp].text.size()) : LB_ERR;
  case LB_SETCURSEL:
    if (static_cast<int>(wp) == -1) {
      Select(*l, -1);
      return LB_ERR; // as documented, even though it worked
    }
    if (!Valid(*l, wp))
      return LB_ERR;
    Select(*l, static_cast<int>(wp));
    return static_cast<LRESULT>(wp);
  case LB_GETCURSEL:
    return l->sel >= 0 ? l->sel : LB_ERR;
  case LB_GETSEL:
    return Valid(*l, wp) ? (static_cast<int>(wp) == l->sel ? 1 : 0) : LB_ERR;
  case LB_SELECTSTRING: {
    LRESULT i = Find(*l, wp, reinterpret_cast<const char *>(lp), false);
    if (i != LB_ERR)
      Select(*l, static_cast<int>(i));
    return i;
  }
  case LB_FINDSTRING:
  case LB_FINDSTRINGEXACT:
    return Find(*l, wp, reinterpret_cast<const char *>(lp), msg == LB_FINDSTRINGEXACT);
  case LB_GETTOPINDEX:
    return l->top;
  case LB_SETTOPINDEX:
    return SetTopIndex(*l, wp);
  case LB_GETITEMRECT:
    return GetItemRect(*l, wp, lp);
  case LB_GETITEMDATA:
    return Valid(*l, wp) ? static_cast<LRESULT>(l->items[wp].data) : LB_ERR;
  case LB_SETITEMDATA:
    if (!Valid(*l, wp))
      return LB_ERR;
    l->items[wp].data = static_cast<ULONG_PTR>(lp);
    return 1;
  case LB_GETITEMHEIGHT:
    return l->itemHeight;
  case LB_SETITEMHEIGHT:
    return SetItemHeight(*l, lp);
  case LB_GETCARETINDEX:
    return l->caret;
  case LB_SETCARETINDEX:
    if (!Valid(*l, wp))
      return LB_ERR;
    l->caret = static_cast<int>(wp);
    EnsureVisible(*l, l->caret);
    InvalidateRect(hwnd, nullptr, TRUE);
    return LB_OKAY;
  case LB_ITEMFROMPOINT:
    return ItemFromPoint(*l, lp);
  case WM_SETCURSOR:
    if (LOWORD(lp) == HTCLIENT) {
      SetCursor(LoadCursorA(nullptr, IDC_ARROW));
      return TRUE;
    }
    break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

namespace {

ATOM RegisterList(const char *name, UINT extraStyle) {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS | extraStyle;
  wc.lpfnWndProc = ListBoxProc;
  wc.lpszClassName = name;
  return RegisterClassA(&wc);
}

} // namespace

bool RegisterListBoxClasses() {
  bool list = RegisterList("ListBox", 0) != 0;
  bool combo = RegisterList("ComboLBox", CS_SAVEBITS) != 0;
  return list && combo;
}

} // namespace vqwin::controls
