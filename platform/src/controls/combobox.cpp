// The "ComboBox" control as a drop-down list (CBS_DROPDOWNLIST): a
// selection field with a drop arrow button, and a "ComboLBox" list in a
// popup below it that holds the items. CB_ messages about items are
// answered by that list; the combo box keeps the field, the drop-down state
// and the notifications.
//
// Chosen here, where Win32 leaves room:
// - CBS_DROPDOWN puts an "Edit" child (id 1001) in the field; CBS_SIMPLE,
//   whose list would always show, is built as CBS_DROPDOWN.
// - As on Win32, a selection key on the closed list sends CBN_SELENDOK and
//   CBN_SELCHANGE, on the open list CBN_SELCHANGE, even when the selection
//   stays. Closing with a choice (Return, a click on an item) sends
//   CBN_SELENDOK and CBN_CLOSEUP, then CBN_SELCHANGE when a click chose
//   another item; closing without one (Escape, F4, a click elsewhere)
//   sends CBN_SELENDCANCEL and CBN_CLOSEUP. Losing the focus sends
//   CBN_SELENDCANCEL (and CBN_CLOSEUP when open) before CBN_KILLFOCUS.
// - Moving the mouse over the open list highlights without notifying;
//   closing without a choice puts back the selection last announced, so
//   what arrow keys chose stays.
// - The field is the font height plus 8 pixels high; the height given at
//   creation or by a later resize is the height of field and list together.
#include "controls/controls.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace vqwin::controls {
namespace {

constexpr int kFieldPadding = 8; // field height beyond the font's
constexpr int kListBorder = 2;   // WS_BORDER of the drop-down list

struct Combo {
  HWND hwnd = nullptr;
  bool alive = true;
  HWND list = nullptr;
  HFONT font = nullptr;
  int fieldHeight = 0;
  int droppedHeight = 0; // field and list together
  bool dropped = false;
  bool focused = false;
  int selAtDrop = -1;
  int announced = -1;       // the selection the parent last heard of
  HWND edit = nullptr;      // the field of CBS_DROPDOWN
  HWND nextFocus = nullptr; // where the focus goes as the edit loses it
  bool settingText = false; // the edit shows a selection, not typing
};

constexpr int kEditId = 1001;
WNDPROC editClassProc = nullptr;

StateTable<Combo> combos;

LRESULT ToList(const Combo &c, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  return SendMessageA(c.list, msg, wp, lp);
}

int CurSel(const Combo &c) { return static_cast<int>(ToList(c, LB_GETCURSEL)); }

std::string SelectedText(const Combo &c) {
  int sel = CurSel(c);
  if (sel < 0)
    return {};
  std::string text(static_cast<size_t>(std::max<LRESULT>(ToList(c, LB_GETTEXTLEN, sel), 0)), '\0');
  ToList(c, LB_GETTEXT, sel, reinterpret_cast<LPARAM>(text.data()));
  return text;
}

// CBN_SELCHANGE when the selection is not the one the parent knows.
bool AnnounceSelection(Combo &c) {
  int sel = CurSel(c);
  if (sel == c.announced)
    return true;
  c.announced = sel;
  return NotifyParent(c.hwnd, CBN_SELCHANGE);
}

void Redraw(const Combo &c) { InvalidateRect(c.hwnd, nullptr, TRUE); }

// After the selection changed: the field shows it, in the edit with its
// text selected when the combo box has the focus.
void ShowSelection(Combo &c) {
  Redraw(c);
  if (!c.edit)
    return;
  c.settingText = true;
  SetWindowTextA(c.edit, SelectedText(c).c_str());
  if (c.focused)
    SendMessageA(c.edit, EM_SETSEL, 0, -1);
  c.settingText = false;
}

int FieldHeightFor(const Combo &c) {
  TextDC m(c.hwnd, c.font);
  return m.Height() + kFieldPadding;
}

void FitField(Combo &c) {
  RECT wr;
  GetWindowRect(c.hwnd, &wr);
  SetWindowPos(c.hwnd, nullptr, 0, 0, wr.right - wr.left, c.fieldHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The list's screen rectangle when dropped: below the field, or above it
// when the screen has no room below.
RECT DroppedRect(const Combo &c) {
  RECT wr;
  GetWindowRect(c.hwnd, &wr);
  int item = static_cast<int>(ToList(c, LB_GETITEMHEIGHT));
  int count = std::max(static_cast<int>(ToList(c, LB_GETCOUNT)), 1);
  int most = std::max((c.droppedHeight - c.fieldHeight - kListBorder) / std::max(item, 1), 1);
  int height = std::min(count, most) * item + kListBorder;
  int top = wr.bottom;
  if (top + height > GetSystemMetrics(SM_CYSCREEN) && wr.top - height >= 0)
    top = wr.top - height;
  return RECT{wr.left, top, wr.right, top + height};
}

void DropDown(Combo &c) {
  if (c.dropped || !IsWindow(c.list))
    return;
  if (!NotifyParent(c.hwnd, CBN_DROPDOWN))
    return;
  c.selAtDrop = CurSel(c);
  RECT r = DroppedRect(c);
  SetWindowPos(c.list, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (c.selAtDrop >= 0)
    ToList(c, LB_SETCARETINDEX, static_cast<WPARAM>(c.selAtDrop));
  c.dropped = true;
  SetCapture(c.list);
  Redraw(c);
}

// Ends a choice: hides the open list (CBN_CLOSEUP), telling first whether
// the choice was made. `evenClosed` sends the CBN_SELENDCANCEL of a focus
// loss for a closed list too.
void CloseUp(const std::shared_ptr<Combo> &c, bool ok, bool evenClosed = false) {
  bool wasDropped = c->dropped;
  if (!wasDropped && !evenClosed)
    return;
  c->dropped = false;
  if (wasDropped) {
    if (!ok && CurSel(*c) != c->announced)
      ToList(*c, LB_SETCURSEL, static_cast<WPARAM>(c->announced));
    if (GetCapture() == c->list)
      ReleaseCapture();
    ShowWindow(c->list, SW_HIDE);
    if (ok)
      ShowSelection(*c);
    else
      Redraw(*c);
  }
  if (!NotifyParent(c->hwnd, ok ? CBN_SELENDOK : CBN_SELENDCANCEL) || !c->alive)
    return;
  if (!wasDropped)
    return;
  if (!NotifyParent(c->hwnd, CBN_CLOSEUP) || !c->alive)
    return;
  if (ok)
    AnnounceSelection(*c);
}

// Arrow keys, paging and the first letter move the selection, open or not.
void MoveSelection(Combo &c, int to) {
  int count = static_cast<int>(ToList(c, LB_GETCOUNT));
  if (count <= 0)
    return;
  to = std::clamp(to, 0, count - 1);
  if (to != CurSel(c)) {
    ToList(c, LB_SETCURSEL, static_cast<WPARAM>(to));
    ShowSelection(c);
  }
  if (!c.dropped && !NotifyParent(c.hwnd, CBN_SELENDOK))
    return;
  c.announced = CurSel(c);
  NotifyParent(c.hwnd, CBN_SELCHANGE);
}

int PageOf(const Combo &c) {
  RECT rc;
  GetClientRect(c.list, &rc);
  int item = std::max(static_cast<int>(ToList(c, LB_GETITEMHEIGHT)), 1);
  return std::max(rc.bottom / item, 1);
}

void OnKeyDown(const std::shared_ptr<Combo> &c, WPARAM vk, bool alt) {
  int sel = CurSel(*c);
  if (vk == VK_F4 || (alt && (vk == VK_DOWN || vk == VK_UP))) {
    if (c->dropped)
      CloseUp(c, false);
    else
      DropDown(*c);
    return;
  }
  if (alt)
    return;
  switch (vk) {
  case VK_RETURN:
  case VK_ESCAPE:
    CloseUp(c, vk == VK_RETURN);
    return;
  case VK_UP:
  case VK_LEFT:
    MoveSelection(*c, sel < 0 ? 0 : sel - 1);
    return;
  case VK_DOWN:
  case VK_RIGHT:
    MoveSelection(*c, sel < 0 ? 0 : sel + 1);
    return;
  case VK_PRIOR:
    MoveSelection(*c, sel - (PageOf(*c) - 1));
    return;
  case VK_NEXT:
    MoveSelection(*c, sel + (PageOf(*c) - 1));
    return;
  case VK_HOME:
    MoveSelection(*c, 0);
    return;
  case VK_END:
    MoveSelection(*c, static_cast<int>(ToList(*c, LB_GETCOUNT)) - 1);
    return;
  }
}

void OnChar(Combo &c, WPARAM ch) {
  if (ch < 0x20 || ch > 0xFF)
    return;
  char text[2] = {static_cast<char>(ch), '\0'};
  LRESULT i =
      ToList(c, LB_FINDSTRING, static_cast<WPARAM>(CurSel(c)), reinterpret_cast<LPARAM>(text));
  if (i != LB_ERR)
    MoveSelection(c, static_cast<int>(i));
}

void OnButtonDown(const std::shared_ptr<Combo> &c) {
  if (GetFocus() != c->hwnd) {
    SetFocus(c->hwnd);
    if (!c->alive)
      return;
  }
  if (c->dropped)
    CloseUp(c, false);
  else
    DropDown(*c);
}

LRESULT OnGetDlgCode(const Combo &c, LPARAM lp) {
  LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  const MSG *msg = reinterpret_cast<const MSG *>(lp);
  // While open, Return and Escape close the list instead of the dialog.
  if (c.dropped && msg && msg->message == WM_KEYDOWN &&
      (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
    code |= DLGC_WANTMESSAGE;
  return code;
}

// ---- Painting ----

void PaintArrow(HDC dc, const RECT &button, bool enabled) {
  HBRUSH ink = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2 - 1;
  for (int row = 0; row < 4; ++row) {
    RECT line{cx - 3 + row, cy + row, cx + 4 - row, cy + row + 1};
    FillRect(dc, &line, ink);
  }
}

void Paint(const Combo &c) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(c.hwnd, &ps);
  if (!dc) {
    EndPaint(c.hwnd, &ps);
    return;
  }
  bool enabled = IsWindowEnabled(c.hwnd);
  HGDIOBJ oldFont = c.font ? SelectObject(dc, c.font) : nullptr;
  RECT rc;
  GetClientRect(c.hwnd, &rc);
  DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  RECT button{std::max(rc.right - GetSystemMetrics(SM_CXVSCROLL), rc.left), rc.top, rc.right,
              rc.bottom};
  RECT field{rc.left, rc.top, button.left, rc.bottom};
  HBRUSH brush = ControlBrush(c.hwnd, dc, WM_CTLCOLORLISTBOX);
  COLORREF text = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
  FillRect(dc, &field, brush);
  RECT inner = field;
  InflateRect(&inner, -1, -1);
  bool highlight = c.focused && !c.dropped && !c.edit;
  if (highlight) {
    FillRect(dc, &inner, GetSysColorBrush(COLOR_HIGHLIGHT));
    text = GetSysColor(COLOR_HIGHLIGHTTEXT);
  }
  std::string label = SelectedText(c);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text);
  SaveDC(dc);
  IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
  TextDC m(c.hwnd, c.font);
  int y = inner.top + (inner.bottom - inner.top - m.Height()) / 2;
  TextOutA(dc, inner.left + 2, y, label.data(), static_cast<int>(label.size()));
  RestoreDC(dc, -1);
  if (highlight)
    DrawFocusRect(dc, &inner);
  RECT face = button;
  if (c.dropped)
    DrawEdge(dc, &face, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_MIDDLE | BF_ADJUST);
  else
    DrawEdge(dc, &face, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  if (c.dropped)
    OffsetRect(&button, 1, 1);
  PaintArrow(dc, button, enabled);
  if (oldFont)
    SelectObject(dc, oldFont);
  EndPaint(c.hwnd, &ps);
}

// ---- The edit field of CBS_DROPDOWN ----

// The edit's keys that belong to the combo box: the list keys, and Return
// and Escape while the list is open.
bool ComboKey(const Combo &c, WPARAM vk) {
  switch (vk) {
  case VK_UP:
  case VK_DOWN:
  case VK_PRIOR:
  case VK_NEXT:
  case VK_F4:
    return true;
  case VK_RETURN:
  case VK_ESCAPE:
    return c.dropped;
  }
  return false;
}

LRESULT CALLBACK EditSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  std::shared_ptr<Combo> c = combos.Get(GetParent(hwnd));
  if (c && c->edit == hwnd) {
    switch (msg) {
    case WM_KEYDOWN:
      if (ComboKey(*c, wp)) {
        OnKeyDown(c, wp, false);
        return 0;
      }
      break;
    case WM_SYSKEYDOWN:
      if (wp == VK_UP || wp == VK_DOWN) {
        OnKeyDown(c, wp, true);
        return 0;
      }
      break;
    case WM_KILLFOCUS:
      c->nextFocus = reinterpret_cast<HWND>(wp);
      break;
    case WM_GETDLGCODE:
      return CallWindowProcA(editClassProc, hwnd, msg, wp, lp) | OnGetDlgCode(*c, lp);
    }
  }
  return CallWindowProcA(editClassProc, hwnd, msg, wp, lp);
}

RECT EditRect(const Combo &c) {
  RECT rc;
  GetClientRect(c.hwnd, &rc);
  InflateRect(&rc, -2, -2); // inside the sunken edge
  rc.right = std::max(rc.left, rc.right - GetSystemMetrics(SM_CXVSCROLL));
  return rc;
}

bool CreateEdit(Combo &c, const CREATESTRUCTA *cs) {
  DWORD style = WS_CHILD | WS_VISIBLE | ES_LEFT;
  if (cs->style & CBS_AUTOHSCROLL)
    style |= ES_AUTOHSCROLL;
  if (cs->style & CBS_UPPERCASE)
    style |= ES_UPPERCASE;
  if (cs->style & CBS_LOWERCASE)
    style |= ES_LOWERCASE;
  RECT r = EditRect(c);
  c.edit =
      CreateWindowExA(0, "Edit", nullptr, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                      c.hwnd, reinterpret_cast<HMENU>(kEditId), cs->hInstance, nullptr);
  if (!c.edit)
    return false;
  editClassProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(c.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditSubclass)));
  return true;
}

// The edit's notifications become the combo box's.
void OnEditCommand(const std::shared_ptr<Combo> &c, WORD code) {
  switch (code) {
  case EN_SETFOCUS:
    if (c->focused)
      return;
    c->focused = true;
    SendMessageA(c->edit, EM_SETSEL, 0, -1);
    NotifyParent(c->hwnd, CBN_SETFOCUS);
    return;
  case EN_KILLFOCUS:
    if (c->nextFocus == c->hwnd)
      return;
    c->focused = false;
    CloseUp(c, false, true);
    if (c->alive)
      NotifyParent(c->hwnd, CBN_KILLFOCUS);
    return;
  case EN_CHANGE:
  case EN_UPDATE:
    if (!c->settingText)
      NotifyParent(c->hwnd, code == EN_CHANGE ? CBN_EDITCHANGE : CBN_EDITUPDATE);
    return;
  }
}

// ---- Creation and geometry ----

bool OnCreate(Combo &c, const CREATESTRUCTA *cs) {
  DWORD listStyle = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_COMBOBOX | LBS_NOINTEGRALHEIGHT |
                    LBS_NOTIFY | ((cs->style & CBS_SORT) ? LBS_SORT : 0);
  c.list = CreateWindowExA(WS_EX_TOOLWINDOW, "ComboLBox", nullptr, listStyle, 0, 0, cs->cx, cs->cy,
                           c.hwnd, nullptr, cs->hInstance, c.hwnd);
  if (!c.list)
    return false;
  c.fieldHeight = FieldHeightFor(c);
  c.droppedHeight = cs->cy;
  FitField(c);
  if ((cs->style & CBS_DROPDOWNLIST) != CBS_DROPDOWNLIST && !CreateEdit(c, cs))
    return false;
  return true;
}

// Any height asked for is the dropped height; the window keeps the field's.
void OnPosChanging(Combo &c, WINDOWPOS *wp) {
  if (!wp || (wp->flags & SWP_NOSIZE) || c.fieldHeight == 0)
    return;
  if (wp->cy != c.fieldHeight) {
    c.droppedHeight = std::max(wp->cy, c.fieldHeight);
    wp->cy = c.fieldHeight;
  }
}

void OnSetFont(Combo &c, WPARAM wp, LPARAM lp) {
  c.font = reinterpret_cast<HFONT>(wp);
  ToList(c, WM_SETFONT, wp, 0);
  if (c.edit)
    SendMessageA(c.edit, WM_SETFONT, wp, 0);
  int dropped = c.droppedHeight;
  c.fieldHeight = FieldHeightFor(c);
  FitField(c);
  c.droppedHeight = dropped;
  Redraw(c);
  if (LOWORD(lp))
    UpdateWindow(c.hwnd);
}

LRESULT OnSetText(Combo &c, LPARAM lp) {
  if (!lp)
    return CB_ERR;
  LRESULT i = ToList(c, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), lp);
  if (i == LB_ERR)
    return CB_ERR;
  ToList(c, LB_SETCURSEL, static_cast<WPARAM>(i));
  ShowSelection(c);
  return TRUE;
}

LRESULT OnGetText(const Combo &c, WPARAM size, LPARAM lp);

// Text messages go to the edit of CBS_DROPDOWN; a drop-down list answers
// them from its selection.
LRESULT OnTextMessage(Combo &c, UINT msg, WPARAM wp, LPARAM lp) {
  if (c.edit) {
    switch (msg) {
    case CB_LIMITTEXT:
      SendMessageA(c.edit, EM_LIMITTEXT, wp, 0);
      return TRUE;
    case CB_GETEDITSEL:
      return SendMessageA(c.edit, EM_GETSEL, wp, lp);
    case CB_SETEDITSEL:
      SendMessageA(c.edit, EM_SETSEL, static_cast<WPARAM>(static_cast<SHORT>(LOWORD(lp))),
                   static_cast<SHORT>(HIWORD(lp)));
      return TRUE;
    case WM_SETTEXT: {
      // A program's text is no typing: no CBN_EDITUPDATE / CBN_EDITCHANGE.
      c.settingText = true;
      LRESULT r = SendMessageA(c.edit, msg, wp, lp);
      c.settingText = false;
      return r;
    }
    }
    return SendMessageA(c.edit, msg, wp, lp);
  }
  switch (msg) {
  case WM_SETTEXT:
    return OnSetText(c, lp);
  case WM_GETTEXT:
    return OnGetText(c, wp, lp);
  case WM_GETTEXTLENGTH:
    return static_cast<LRESULT>(SelectedText(c).size());
  }
  return CB_ERR;
}

LRESULT OnGetText(const Combo &c, WPARAM size, LPARAM lp) {
  if (!lp || size == 0)
    return 0;
  std::string text = SelectedText(c);
  size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::memcpy(reinterpret_cast<char *>(lp), text.data(), n);
  reinterpret_cast<char *>(lp)[n] = '\0';
  return static_cast<LRESULT>(n);
}

// CB_ messages that the list answers as their LB_ twins; the field shows
// the selection, so it is redrawn after any of them.
std::optional<UINT> ListTwin(UINT msg) {
  switch (msg) {
  case CB_ADDSTRING:
    return LB_ADDSTRING;
  case CB_INSERTSTRING:
    return LB_INSERTSTRING;
  case CB_DELETESTRING:
    return LB_DELETESTRING;
  case CB_RESETCONTENT:
    return LB_RESETCONTENT;
  case CB_GETCOUNT:
    return LB_GETCOUNT;
  case CB_GETCURSEL:
    return LB_GETCURSEL;
  case CB_GETLBTEXT:
    return LB_GETTEXT;
  case CB_GETLBTEXTLEN:
    return LB_GETTEXTLEN;
  case CB_FINDSTRING:
    return LB_FINDSTRING;
  case CB_FINDSTRINGEXACT:
    return LB_FINDSTRINGEXACT;
  case CB_SELECTSTRING:
    return LB_SELECTSTRING;
  case CB_SETCURSEL:
    return LB_SETCURSEL;
  case CB_GETITEMDATA:
    return LB_GETITEMDATA;
  case CB_SETITEMDATA:
    return LB_SETITEMDATA;
  }
  return std::nullopt;
}

LRESULT OnListMessage(Combo &c, UINT msg, UINT twin, WPARAM wp, LPARAM lp) {
  if (!IsWindow(c.list))
    return CB_ERR;
  LRESULT r = ToList(c, twin, wp, lp);
  if (msg == CB_SETCURSEL || msg == CB_SELECTSTRING || msg == CB_DELETESTRING ||
      msg == CB_RESETCONTENT || msg == CB_INSERTSTRING || msg == CB_ADDSTRING) {
    // Changes by messages are not announced; the parent knows them.
    c.announced = CurSel(c);
    ShowSelection(c);
  }
  return r;
}

LRESULT OnItemHeight(Combo &c, UINT msg, WPARAM wp, LPARAM lp) {
  bool field = static_cast<int>(wp) == -1;
  if (msg == CB_GETITEMHEIGHT)
    return field ? c.fieldHeight - kFieldPadding : ToList(c, LB_GETITEMHEIGHT);
  int h = LOWORD(lp);
  if (h <= 0 || h > 255)
    return CB_ERR;
  if (!field)
    return ToList(c, LB_SETITEMHEIGHT, 0, lp);
  int dropped = c.droppedHeight;
  c.fieldHeight = h + kFieldPadding;
  FitField(c);
  c.droppedHeight = dropped;
  Redraw(c);
  return CB_OKAY;
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    // The scroll bar styles a template gives a combo box are its list's:
    // the box itself never shows a bar beside its field.
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    SetWindowLongPtrA(hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL));
    combos.Create(hwnd);
  }
  std::shared_ptr<Combo> c = combos.Get(hwnd);
  if (!c)
    return DefWindowProcA(hwnd, msg, wp, lp);
  if (std::optional<UINT> twin = ListTwin(msg))
    return OnListMessage(*c, msg, *twin, wp, lp);
  switch (msg) {
  case WM_CREATE:
    return OnCreate(*c, reinterpret_cast<const CREATESTRUCTA *>(lp)) ? 0 : -1;
  case WM_DESTROY:
    if (IsWindow(c->list))
      DestroyWindow(c->list);
    c->list = nullptr;
    c->dropped = false;
    return 0;
  case WM_NCDESTROY:
    combos.Drop(hwnd);
    break;
  case WM_WINDOWPOSCHANGING:
    OnPosChanging(*c, reinterpret_cast<WINDOWPOS *>(lp));
    return 0;
  case WM_ENABLE:
    if (!wp)
      CloseUp(c, false);
    if (c->alive)
      Redraw(*c);
    return 0;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT:
    Paint(*c);
    return 0;
  case WM_SETFONT:
    OnSetFont(*c, wp, lp);
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(c->font);
  case WM_SETTEXT:
  case WM_GETTEXT:
  case WM_GETTEXTLENGTH:
  case CB_LIMITTEXT:
  case CB_GETEDITSEL:
  case CB_SETEDITSEL:
    return OnTextMessage(*c, msg, wp, lp);
  case WM_COMMAND:
    if (c->edit && reinterpret_cast<HWND>(lp) == c->edit)
      OnEditCommand(c, HIWORD(wp));
    return 0;
  case WM_SIZE:
    if (c->edit) {
      RECT r = EditRect(*c);
      MoveWindow(c->edit, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    return 0;
  case WM_SETFOCUS:
    if (c->edit) {
      SetFocus(c->edit);
      return 0;
    }
    c->focused = true;
    Redraw(*c);
    NotifyParent(hwnd, CBN_SETFOCUS);
    return 0;
  case WM_KILLFOCUS:
    if (c->edit || !c->focused)
      return 0; // the edit holds the focus, or there was none to lose
    c->focused = false;
    CloseUp(c, false, true);
    if (!c->alive)
      return 0;
    Redraw(*c);
    NotifyParent(hwnd, CBN_KILLFOCUS);
    return 0;
  case WM_GETDLGCODE:
    return OnGetDlgCode(*c, lp);
  case WM_KEYDOWN:
    OnKeyDown(c, wp, false);
    return 0;
  case WM_SYSKEYDOWN:
    if (wp == VK_DOWN || wp == VK_UP) {
      OnKeyDown(c, wp, true);
      return 0;
    }
    break;
  case WM_CHAR:
    OnChar(*c, wp);
    return 0;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
    OnButtonDown(c);
    return 0;
  case WM_MOUSEWHEEL:
    if (!c->dropped)
      MoveSelection(*c, CurSel(*c) - static_cast<SHORT>(HIWORD(wp)) / 120);
    return 0;
  case CB_SHOWDROPDOWN:
    if (wp)
      DropDown(*c);
    else
      CloseUp(c, false);
    return TRUE;
  case CB_GETDROPPEDSTATE:
    return c->dropped;
  case CB_GETDROPPEDCONTROLRECT:
    if (!lp)
      return CB_ERR;
    *reinterpret_cast<RECT *>(lp) = DroppedRect(*c);
    return TRUE;
  case CB_GETITEMHEIGHT:
  case CB_SETITEMHEIGHT:
    return OnItemHeight(*c, msg, wp, lp);
  case WM_SETCURSOR:
    if (LOWORD(lp) == HTCLIENT) {
      SetCursor(LoadCursorA(nullptr, IDC_ARROW));
      return TRUE;
    }
    break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

void ComboCloseUp(HWND combo, bool ok) {
  if (std::shared_ptr<Combo> c = combos.Get(combo))
    CloseUp(c, ok);
}

bool RegisterComboBoxClass() {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
  wc.lpfnWndProc = ComboProc;
  wc.lpszClassName = "ComboBox";
  return RegisterClassA(&wc) != 0;
}

} // namespace vqwin::controls
