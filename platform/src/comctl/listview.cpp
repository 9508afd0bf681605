// The list view ("SysListView32") in report view: columns shown through a
// header child, rows of texts per column, texts supplied by the parent on
// demand (LPSTR_TEXTCALLBACKA answered by LVN_GETDISPINFOA), selection by
// mouse and arrow keys with LVN_ITEMCHANGING/LVN_ITEMCHANGED, NM_CLICK and
// NM_DBLCLK, and vertical scrolling by whole rows. Every view style is
// shown as the report view; icons, image lists, sorting and label editing
// are not provided.
#include "comctl/comctl.h"

#include "controls/controls.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vqwin::comctl {
namespace {

struct Column {
  int fmt = LVCFMT_LEFT;
  int width = 0;
  std::string text;
  int subItem = 0;
};

struct Item {
  std::vector<std::string> texts; // by sub-item
  std::vector<bool> callback;     // by sub-item: the parent supplies it
  UINT state = 0;
  LPARAM param = 0;
};

struct ListView {
  HWND hwnd = nullptr;
  bool alive = true;
  HWND header = nullptr;
  HFONT font = nullptr;
  // layout
  int headerHeight = 0;
  int rowHeight = 16;
  int top = 0; // first visible row
  // content
  std::vector<Column> columns;
  std::vector<Item> items;
};

controls::StateTable<ListView> views;

constexpr int kTextPad = 6; // blank space left and right of a cell's text
constexpr int kWheelDelta = 120;

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

bool Valid(const ListView &lv, WPARAM index) { return index < lv.items.size(); }

// ---- Layout ----

int CountPerPage(const ListView &lv) {
  RECT r;
  GetClientRect(lv.hwnd, &r);
  int h = r.bottom - lv.headerHeight;
  return h > 0 ? h / lv.rowHeight : 0;
}

void Relayout(ListView &lv) {
  lv.rowHeight = FontHeight(lv.hwnd, lv.font) + 4;
  bool showHeader = !(StyleOf(lv.hwnd) & LVS_NOCOLUMNHEADER);
  lv.headerHeight = showHeader ? FontHeight(lv.hwnd, lv.font) + 8 : 0;
  RECT r;
  GetClientRect(lv.hwnd, &r);
  if (lv.header)
    SetWindowPos(lv.header, nullptr, 0, 0, r.right, lv.headerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void UpdateScroll(ListView &lv) {
  int count = static_cast<int>(lv.items.size());
  int page = CountPerPage(lv);
  int maxTop = std::max(0, count - std::max(page, 1));
  lv.top = std::clamp(lv.top, 0, maxTop);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = count > page ? count - 1 : 0;
  si.nPage = count > page ? static_cast<UINT>(page) : 0;
  si.nPos = lv.top;
  SetScrollInfo(lv.hwnd, SB_VERT, &si, TRUE);
}

void Changed(ListView &lv) {
  UpdateScroll(lv);
  InvalidateRect(lv.hwnd, nullptr, TRUE);
}

int RowTop(const ListView &lv, int index) {
  return lv.headerHeight + (index - lv.top) * lv.rowHeight;
}

int TotalWidth(const ListView &lv) {
  int w = 0;
  for (const Column &c : lv.columns)
    w += c.width;
  return w;
}

int HitRow(const ListView &lv, int y) {
  if (y < lv.headerHeight)
    return -1;
  int row = lv.top + (y - lv.headerHeight) / lv.rowHeight;
  return row < static_cast<int>(lv.items.size()) ? row : -1;
}

void SyncHeader(const ListView &lv, size_t index, bool insert) {
  if (!lv.header)
    return;
  const Column &c = lv.columns[index];
  HDITEMA hd{};
  hd.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
  hd.cxy = c.width;
  hd.pszText = const_cast<LPSTR>(c.text.c_str());
  hd.fmt = c.fmt & LVCFMT_JUSTIFYMASK;
  SendMessageA(lv.header, insert ? HDM_INSERTITEMA : HDM_SETITEMA, index,
               reinterpret_cast<LPARAM>(&hd));
}

// ---- Texts ----

void SetText(Item &item, int sub, LPCSTR text) {
  size_t n = static_cast<size_t>(sub) + 1;
  if (item.texts.size() < n) {
    item.texts.resize(n);
    item.callback.resize(n, false);
  }
  item.callback[static_cast<size_t>(sub)] = text == LPSTR_TEXTCALLBACKA;
  item.texts[static_cast<size_t>(sub)] = text && text != LPSTR_TEXTCALLBACKA ? text : "";
}

// The text of a cell, asking the parent when it keeps the text itself.
std::string TextOf(const ListView &lv, int index, int sub) {
  const Item &item = lv.items[static_cast<size_t>(index)];
  size_t s = static_cast<size_t>(sub);
  if (s < item.callback.size() && item.callback[s]) {
    char buffer[1024] = {};
    NMLVDISPINFOA di{};
    di.item.mask = LVIF_TEXT;
    di.item.iItem = index;
    di.item.iSubItem = sub;
    di.item.lParam = item.param;
    di.item.pszText = buffer;
    di.item.cchTextMax = static_cast<int>(sizeof buffer);
    Notify(lv.hwnd, LVN_GETDISPINFOA, &di.hdr);
    // The parent may point pszText at its own text instead of filling ours.
    if (!di.item.pszText || di.item.pszText == LPSTR_TEXTCALLBACKA)
      return {};
    if (di.item.pszText == buffer)
      buffer[sizeof buffer - 1] = '\0';
    return di.item.pszText;
  }
  return s < item.texts.size() ? item.texts[s] : std::string();
}

// ---- Notifications and state ----

// Changes an item's state bits under `mask`, asking the parent first.
// False when the parent refused or the control went away. A change asked
// for by a message (`asked`) sends LVN_ITEMCHANGING even when the state
// stays, as Win32 does; LVN_ITEMCHANGED follows only a real change.
bool SetState(ListView &lv, int index, UINT state, UINT mask, bool asked = false) {
  Item &item = lv.items[static_cast<size_t>(index)];
  UINT next = (item.state & ~mask) | (state & mask);
  if (next == item.state && !asked)
    return true;
  NMLISTVIEW nm{};
  nm.iItem = index;
  nm.uNewState = next;
  nm.uOldState = item.state;
  nm.uChanged = LVIF_STATE;
  nm.lParam = item.param;
  HWND hwnd = lv.hwnd;
  if (Notify(hwnd, LVN_ITEMCHANGING, &nm.hdr) || !lv.alive || !Valid(lv, index))
    return false;
  if (nm.uNewState == nm.uOldState)
    return true;
  lv.items[static_cast<size_t>(index)].state = next;
  InvalidateRect(hwnd, nullptr, TRUE);
  Notify(hwnd, LVN_ITEMCHANGED, &nm.hdr);
  return lv.alive;
}

// Selects and focuses one item, clearing every other selection.
void SelectOnly(ListView &lv, int index) {
  for (size_t i = 0; i < lv.items.size() && lv.alive; ++i)
    if (static_cast<int>(i) != index && (lv.items[i].state & (LVIS_SELECTED | LVIS_FOCUSED)))
      SetState(lv, static_cast<int>(i), 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (lv.alive && Valid(lv, static_cast<WPARAM>(index)))
    SetState(lv, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void EnsureVisible(ListView &lv, int index) {
  int page = std::max(CountPerPage(lv), 1);
  if (index < lv.top)
    lv.top = index;
  else if (index >= lv.top + page)
    lv.top = index - page + 1;
  Changed(lv);
}

void NotifyItem(ListView &lv, UINT code, int index, POINT pt) {
  NMITEMACTIVATE nm{};
  nm.iItem = index;
  nm.ptAction = pt;
  if (index >= 0)
    nm.lParam = lv.items[static_cast<size_t>(index)].param;
  Notify(lv.hwnd, code, &nm.hdr);
}

// ---- Messages ----

LRESULT OnInsertColumn(ListView &lv, WPARAM wp, const LVCOLUMNA *in) {
  if (!in)
    return -1;
  size_t at = std::min<size_t>(wp, lv.columns.size());
  Column c;
  if (in->mask & LVCF_FMT)
    c.fmt = in->fmt;
  if (in->mask & LVCF_WIDTH)
    c.width = std::max(in->cx, 0);
  if ((in->mask & LVCF_TEXT) && in->pszText && in->pszText != LPSTR_TEXTCALLBACKA)
    c.text = in->pszText;
  c.subItem = (in->mask & LVCF_SUBITEM) ? in->iSubItem : static_cast<int>(at);
  lv.columns.insert(lv.columns.begin() + static_cast<std::ptrdiff_t>(at), c);
  // The first column always shows left-aligned, whatever it was given.
  lv.columns[0].fmt &= ~LVCFMT_JUSTIFYMASK;
  SyncHeader(lv, at, true);
  if (at == 0 && lv.columns.size() > 1)
    SyncHeader(lv, 1, false);
  InvalidateRect(lv.hwnd, nullptr, TRUE);
  return static_cast<LRESULT>(at);
}

LRESULT OnGetColumn(const ListView &lv, WPARAM wp, LVCOLUMNA *out) {
  if (!out || wp >= lv.columns.size())
    return FALSE;
  const Column &c = lv.columns[wp];
  if (out->mask & LVCF_FMT)
    out->fmt = c.fmt;
  if (out->mask & LVCF_WIDTH)
    out->cx = c.width;
  if (out->mask & LVCF_TEXT)
    CopyText(c.text.c_str(), out->pszText, out->cchTextMax);
  if (out->mask & LVCF_SUBITEM)
    out->iSubItem = c.subItem;
  return TRUE;
}

int AutoWidth(const ListView &lv, size_t col, bool useHeader) {
  controls::TextDC dc(lv.hwnd, lv.font);
  int w = 0;
  for (size_t i = 0; i < lv.items.size(); ++i) {
    std::string t = TextOf(lv, static_cast<int>(i), lv.columns[col].subItem);
    w = std::max(w, dc.Width(t.c_str(), static_cast<int>(t.size())));
  }
  if (useHeader) {
    const std::string &t = lv.columns[col].text;
    w = std::max(w, dc.Width(t.c_str(), static_cast<int>(t.size())));
    // The last column takes what is left of the client width.
    if (col + 1 == lv.columns.size()) {
      RECT r;
      GetClientRect(lv.hwnd, &r);
      int before = 0;
      for (size_t i = 0; i < col; ++i)
        before += lv.columns[i].width;
      w = std::max(w + 2 * kTextPad, static_cast<int>(r.right) - before);
      return w;
    }
  }
  return w + 2 * kTextPad;
}

LRESULT OnSetColumnWidth(ListView &lv, WPARAM wp, LPARAM lp) {
  if (wp >= lv.columns.size())
    return FALSE;
  int width = static_cast<int>(lp);
  if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER)
    width = AutoWidth(lv, wp, width == LVSCW_AUTOSIZE_USEHEADER);
  else if (width < 0)
    return FALSE;
  lv.columns[wp].width = width;
  SyncHeader(lv, wp, false);
  InvalidateRect(lv.hwnd, nullptr, TRUE);
  return TRUE;
}

LRESULT OnInsertItem(ListView &lv, const LVITEMA *in) {
  if (!in || in->iItem < 0 || in->iSubItem != 0)
    return -1;
  size_t at = std::min<size_t>(static_cast<size_t>(in->iItem), lv.items.size());
  Item item;
  if (in->mask & LVIF_TEXT)
    SetText(item, 0, in->pszText);
  if (in->mask & LVIF_PARAM)
    item.param = in->lParam;
  if (in->mask & LVIF_STATE)
    item.state = in->state & in->stateMask;
  lv.items.insert(lv.items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
  if (lv.top > static_cast<int>(at))
    ++lv.top;
  Changed(lv);
  NMLISTVIEW nm{};
  nm.iItem = static_cast<int>(at);
  nm.lParam = lv.items[at].param;
  Notify(lv.hwnd, LVN_INSERTITEM, &nm.hdr);
  return static_cast<LRESULT>(at);
}

LRESULT OnSetItem(ListView &lv, const LVITEMA *in) {
  if (!in || !Valid(lv, static_cast<WPARAM>(in->iItem)) || in->iSubItem < 0)
    return FALSE;
  Item &item = lv.items[static_cast<size_t>(in->iItem)];
  if (in->mask & LVIF_TEXT)
    SetText(item, in->iSubItem, in->pszText);
  if ((in->mask & LVIF_PARAM) && in->iSubItem == 0)
    item.param = in->lParam;
  InvalidateRect(lv.hwnd, nullptr, TRUE);
  if ((in->mask & LVIF_STATE) && in->iSubItem == 0)
    SetState(lv, in->iItem, in->state, in->stateMask);
  return TRUE;
}

LRESULT OnGetItem(const ListView &lv, LVITEMA *out) {
  if (!out || !Valid(lv, static_cast<WPARAM>(out->iItem)) || out->iSubItem < 0)
    return FALSE;
  const Item &item = lv.items[static_cast<size_t>(out->iItem)];
  if (out->mask & LVIF_TEXT)
    CopyText(TextOf(lv, out->iItem, out->iSubItem).c_str(), out->pszText, out->cchTextMax);
  if (out->mask & LVIF_PARAM)
    out->lParam = item.param;
  if (out->mask & LVIF_STATE)
    out->state = item.state & out->stateMask;
  return TRUE;
}

LRESULT OnGetItemText(const ListView &lv, WPARAM wp, LVITEMA *io) {
  // A missing item leaves the caller's buffer as it was, as on Win32.
  if (!io || !Valid(lv, wp) || io->iSubItem < 0)
    return 0;
  return CopyText(TextOf(lv, static_cast<int>(wp), io->iSubItem).c_str(), io->pszText,
                  io->cchTextMax);
}

LRESULT OnDeleteItem(ListView &lv, WPARAM wp) {
  if (!Valid(lv, wp))
    return FALSE;
  // The item gives up its state first, which the parent hears of.
  SetState(lv, static_cast<int>(wp), 0, ~0u, true);
  if (!lv.alive || !Valid(lv, wp))
    return FALSE;
  NMLISTVIEW nm{};
  nm.iItem = static_cast<int>(wp);
  nm.lParam = lv.items[wp].param;
  Notify(lv.hwnd, LVN_DELETEITEM, &nm.hdr);
  if (!lv.alive || !Valid(lv, wp))
    return FALSE;
  lv.items.erase(lv.items.begin() + static_cast<std::ptrdiff_t>(wp));
  Changed(lv);
  return TRUE;
}

LRESULT OnDeleteAll(ListView &lv) {
  NMLISTVIEW nm{};
  nm.iItem = -1;
  // A parent that answers FALSE wants LVN_DELETEITEM for every item, the
  // last first, as Win32 removes them.
  if (!Notify(lv.hwnd, LVN_DELETEALLITEMS, &nm.hdr))
    for (size_t i = lv.items.size(); i-- > 0 && lv.alive;) {
      if (i >= lv.items.size())
        continue;
      NMLISTVIEW one{};
      one.iItem = static_cast<int>(i);
      one.lParam = lv.items[i].param;
      Notify(lv.hwnd, LVN_DELETEITEM, &one.hdr);
    }
  if (!lv.alive)
    return FALSE;
  lv.items.clear();
  lv.top = 0;
  Changed(lv);
  return TRUE;
}

LRESULT OnGetNextItem(const ListView &lv, WPARAM wp, LPARAM lp) {
  UINT flags = static_cast<UINT>(lp);
  UINT want = flags & (LVNI_SELECTED | LVNI_FOCUSED);
  int count = static_cast<int>(lv.items.size());
  int start = static_cast<int>(static_cast<INT_PTR>(wp));
  int step = (flags & LVNI_ABOVE) ? -1 : 1;
  int i = start < 0 ? (step > 0 ? 0 : count - 1) : start + step;
  for (; i >= 0 && i < count; i += step)
    if ((lv.items[static_cast<size_t>(i)].state & want) == want)
      return i;
  return -1;
}

LRESULT OnSetItemState(ListView &lv, WPARAM wp, const LVITEMA *in) {
  if (!in)
    return FALSE;
  int index = static_cast<int>(static_cast<INT_PTR>(wp));
  if (index == -1) {
    for (size_t i = 0; i < lv.items.size() && lv.alive; ++i)
      SetState(lv, static_cast<int>(i), in->state, in->stateMask, true);
    return TRUE;
  }
  if (!Valid(lv, wp))
    return FALSE;
  // A single-selection view keeps at most one item selected.
  if ((StyleOf(lv.hwnd) & LVS_SINGLESEL) && (in->stateMask & in->state & LVIS_SELECTED))
    for (size_t i = 0; i < lv.items.size() && lv.alive; ++i)
      if (static_cast<int>(i) != index && (lv.items[i].state & LVIS_SELECTED))
        SetState(lv, static_cast<int>(i), 0, LVIS_SELECTED);
  return lv.alive && SetState(lv, index, in->state, in->stateMask, true);
}

LRESULT OnGetItemRect(const ListView &lv, WPARAM wp, RECT *r) {
  if (!r || !Valid(lv, wp))
    return FALSE;
  int y = RowTop(lv, static_cast<int>(wp));
  int code = r->left;
  int right = TotalWidth(lv);
  if (code == LVIR_LABEL && !lv.columns.empty())
    right = lv.columns[0].width;
  *r = RECT{0, y, right, y + lv.rowHeight};
  return TRUE;
}

void OnKey(ListView &lv, WPARAM vk) {
  int count = static_cast<int>(lv.items.size());
  if (!count)
    return;
  int cur = static_cast<int>(OnGetNextItem(lv, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  int page = std::max(CountPerPage(lv), 1);
  int next = cur;
  switch (vk) {
  case VK_UP:
    next = cur < 0 ? 0 : cur - 1;
    break;
  case VK_DOWN:
    next = cur + 1;
    break;
  case VK_PRIOR:
    next = cur - page;
    break;
  case VK_NEXT:
    next = cur + page;
    break;
  case VK_HOME:
    next = 0;
    break;
  case VK_END:
    next = count - 1;
    break;
  default:
    return;
  }
  next = std::clamp(next, 0, count - 1);
  SelectOnly(lv, next);
  if (lv.alive)
    EnsureVisible(lv, next);
}

void OnVScroll(ListView &lv, WORD code) {
  int page = std::max(CountPerPage(lv), 1);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_TRACKPOS;
  GetScrollInfo(lv.hwnd, SB_VERT, &si);
  switch (code) {
  case SB_LINEUP:
    --lv.top;
    break;
  case SB_LINEDOWN:
    ++lv.top;
    break;
  case SB_PAGEUP:
    lv.top -= page;
    break;
  case SB_PAGEDOWN:
    lv.top += page;
    break;
  case SB_THUMBTRACK:
  case SB_THUMBPOSITION:
    lv.top = si.nTrackPos;
    break;
  case SB_TOP:
    lv.top = 0;
    break;
  case SB_BOTTOM:
    lv.top = static_cast<int>(lv.items.size());
    break;
  default:
    return;
  }
  Changed(lv);
}

UINT Align(int fmt) {
  switch (fmt & LVCFMT_JUSTIFYMASK) {
  case LVCFMT_RIGHT:
    return DT_RIGHT;
  case LVCFMT_CENTER:
    return DT_CENTER;
  default:
    return DT_LEFT;
  }
}

void PaintRow(const ListView &lv, HDC dc, int index, bool focused) {
  const Item &item = lv.items[static_cast<size_t>(index)];
  int y = RowTop(lv, index);
  RECT row{0, y, TotalWidth(lv), y + lv.rowHeight};
  bool selected =
      (item.state & LVIS_SELECTED) && (focused || (StyleOf(lv.hwnd) & LVS_SHOWSELALWAYS));
  if (selected) {
    FillRect(dc, &row, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_3DFACE));
    SetTextColor(dc, GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  }
  int x = 0;
  for (const Column &c : lv.columns) {
    RECT cell{x + kTextPad, y, x + c.width - kTextPad, y + lv.rowHeight};
    x += c.width;
    if (cell.right <= cell.left)
      continue;
    std::string text = TextOf(lv, index, c.subItem);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &cell,
              Align(c.fmt) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (focused && (item.state & LVIS_FOCUSED))
    DrawFocusRect(dc, &row);
}

void Paint(ListView &lv) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(lv.hwnd, &ps);
  if (!dc)
    return;
  RECT client;
  GetClientRect(lv.hwnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  HGDIOBJ old =
      SelectObject(dc, lv.font ? static_cast<HGDIOBJ>(lv.font) : GetStockObject(SYSTEM_FONT));
  SetBkMode(dc, TRANSPARENT);
  bool focused = GetFocus() == lv.hwnd;
  int last = std::min(static_cast<int>(lv.items.size()), lv.top + CountPerPage(lv) + 1);
  // The texts come from the parent; keep this window's state alive meanwhile.
  for (int i = lv.top; i < last && lv.alive && i < static_cast<int>(lv.items.size()); ++i)
    PaintRow(lv, dc, i, focused);
  SelectObject(dc, old);
  EndPaint(lv.hwnd, &ps);
}

void OnCreate(ListView &lv) {
  DWORD headerStyle = WS_CHILD | HDS_HORZ;
  if (!(StyleOf(lv.hwnd) & LVS_NOCOLUMNHEADER))
    headerStyle |= WS_VISIBLE;
  lv.header = CreateWindowExA(0, WC_HEADERA, "", headerStyle, 0, 0, 0, 0, lv.hwnd, nullptr, nullptr,
                              nullptr);
  Relayout(lv);
}

void OnButtonDown(ListView &lv, LPARAM lp, bool twice) {
  POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  HWND hwnd = lv.hwnd;
  if (GetFocus() != hwnd)
    SetFocus(hwnd);
  if (!lv.alive)
    return;
  int row = HitRow(lv, pt.y);
  if (row >= 0 && pt.x >= TotalWidth(lv))
    row = -1; // right of the columns is empty space
  if (row >= 0)
    SelectOnly(lv, row);
  else
    for (size_t i = 0; i < lv.items.size() && lv.alive; ++i)
      if (lv.items[i].state & LVIS_SELECTED)
        SetState(lv, static_cast<int>(i), 0, LVIS_SELECTED);
  if (lv.alive)
    NotifyItem(lv, twice ? NM_DBLCLK : NM_CLICK, row, pt);
}

LRESULT Dispatch(ListView &lv, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_CREATE:
    OnCreate(lv);
    return 0;
  case WM_SIZE:
    Relayout(lv);
    UpdateScroll(lv);
    return 0;
  case WM_SETFONT:
    lv.font = reinterpret_cast<HFONT>(wp);
    if (lv.header)
      SendMessageA(lv.header, WM_SETFONT, wp, lp);
    Relayout(lv);
    UpdateScroll(lv);
    if (lp)
      InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(lv.font);
  case WM_GETDLGCODE:
    return DLGC_WANTARROWS | DLGC_WANTCHARS;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT:
    Paint(lv);
    return 0;
  case WM_SETFOCUS:
  case WM_KILLFOCUS: {
    InvalidateRect(hwnd, nullptr, TRUE);
    NMHDR nm{};
    Notify(hwnd, msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS, &nm);
    return 0;
  }
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
    OnButtonDown(lv, lp, msg == WM_LBUTTONDBLCLK);
    return 0;
  case WM_KEYDOWN:
    OnKey(lv, wp);
    return 0;
  case WM_VSCROLL:
    OnVScroll(lv, LOWORD(wp));
    return 0;
  case WM_MOUSEWHEEL:
    lv.top -= 3 * static_cast<short>(HIWORD(wp)) / kWheelDelta;
    Changed(lv);
    return 0;
  case LVM_GETITEMCOUNT:
    return static_cast<LRESULT>(lv.items.size());
  case LVM_GETITEMA:
    return OnGetItem(lv, reinterpret_cast<LVITEMA *>(lp));
  case LVM_SETITEMA:
    return OnSetItem(lv, reinterpret_cast<const LVITEMA *>(lp));
  case LVM_INSERTITEMA:
    return OnInsertItem(lv, reinterpret_cast<const LVITEMA *>(lp));
  case LVM_DELETEITEM:
    return OnDeleteItem(lv, wp);
  case LVM_DELETEALLITEMS:
    return OnDeleteAll(lv);
  case LVM_GETNEXTITEM:
    return OnGetNextItem(lv, wp, lp);
  case LVM_GETITEMRECT:
    return OnGetItemRect(lv, wp, reinterpret_cast<RECT *>(lp));
  case LVM_ENSUREVISIBLE:
    if (!Valid(lv, wp))
      return FALSE;
    EnsureVisible(lv, static_cast<int>(wp));
    return TRUE;
  case LVM_GETCOLUMNA:
    return OnGetColumn(lv, wp, reinterpret_cast<LVCOLUMNA *>(lp));
  case LVM_INSERTCOLUMNA:
    return OnInsertColumn(lv, wp, reinterpret_cast<const LVCOLUMNA *>(lp));
  case LVM_DELETECOLUMN:
    if (wp >= lv.columns.size())
      return FALSE;
    lv.columns.erase(lv.columns.begin() + static_cast<std::ptrdiff_t>(wp));
    if (lv.header)
      SendMessageA(lv.header, HDM_DELETEITEM, wp, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
  case LVM_GETCOLUMNWIDTH:
    return wp < lv.columns.size() ? lv.columns[wp].width : 0;
  case LVM_SETCOLUMNWIDTH:
    return OnSetColumnWidth(lv, wp, lp);
  case LVM_GETHEADER:
    return reinterpret_cast<LRESULT>(lv.header);
  case LVM_GETTOPINDEX:
    return lv.top;
  case LVM_GETCOUNTPERPAGE:
    return CountPerPage(lv);
  case LVM_SETITEMSTATE:
    return OnSetItemState(lv, wp, reinterpret_cast<const LVITEMA *>(lp));
  case LVM_GETITEMSTATE:
    return Valid(lv, wp) ? static_cast<LRESULT>(lv.items[wp].state & static_cast<UINT>(lp)) : 0;
  case LVM_GETITEMTEXTA:
    return OnGetItemText(lv, wp, reinterpret_cast<LVITEMA *>(lp));
  case LVM_SETITEMTEXTA: {
    auto *in = reinterpret_cast<const LVITEMA *>(lp);
    if (!in || !Valid(lv, wp) || in->iSubItem < 0)
      return FALSE;
    SetText(lv.items[wp], in->iSubItem, in->pszText);
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
  }
  case LVM_GETSELECTEDCOUNT:
    return std::count_if(lv.items.begin(), lv.items.end(),
                         [](const Item &i) { return (i.state & LVIS_SELECTED) != 0; });
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    views.Create(hwnd);
  auto lv = views.Get(hwnd);
  if (!lv)
    return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    views.Drop(hwnd);
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  return Dispatch(*lv, hwnd, msg, wp, lp);
}

} // namespace

bool RegisterListViewClass() {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
  wc.lpfnWndProc = ListViewProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = WC_LISTVIEWA;
  return RegisterClassA(&wc) != 0;
}

} // namespace vqwin::comctl
