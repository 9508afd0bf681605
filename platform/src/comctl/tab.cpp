// The tab control ("SysTabControl32") as property sheets need it: one row
// of text tabs above a raised panel, the selected tab drawn in front.
// Choosing another tab by mouse or arrow key asks the parent first
// (TCN_SELCHANGING, which it may refuse by answering TRUE) and tells it
// afterwards (TCN_SELCHANGE); TCM_SETCURSEL changes the tab silently, as
// on Win32. Multi-line rows, images and button styles are not provided.
#include "comctl/comctl.h"

#include "controls/controls.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vqwin::comctl {
namespace {

struct Tab {
  std::string text;
  LPARAM param = 0;
};

struct TabControl {
  HWND hwnd = nullptr;
  bool alive = true;
  HFONT font = nullptr;
  std::vector<Tab> tabs;
  int cur = -1;
};

controls::StateTable<TabControl> tabControls;

constexpr int kRowTop = 2;     // the selected tab rises into this space
constexpr int kTabPad = 6;     // text margin inside a tab
constexpr int kPanelInset = 4; // from the panel's edge to the display area

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

int TabHeight(const TabControl &t) { return FontHeight(t.hwnd, t.font) + 6; }

int PanelTop(const TabControl &t) { return kRowTop + TabHeight(t); }

RECT TabRect(const TabControl &t, size_t index) {
  controls::TextDC dc(t.hwnd, t.font);
  int x = kRowTop;
  for (size_t i = 0;; ++i) {
    const std::string &s = t.tabs[i].text;
    int w = std::max(dc.Width(s.c_str(), static_cast<int>(s.size())) + 2 * kTabPad, 24);
    if (i == index)
      return RECT{x, kRowTop, x + w, PanelTop(t)};
    x += w;
  }
}

int HitTab(const TabControl &t, POINT pt) {
  for (size_t i = 0; i < t.tabs.size(); ++i) {
    RECT r = TabRect(t, i);
    if (static_cast<int>(i) == t.cur)
      InflateRect(&r, 2, 2);
    if (PtInRect(&r, pt))
      return static_cast<int>(i);
  }
  return -1;
}

// Moves the selection as a user does; false when the parent refused.
bool Choose(TabControl &t, int index) {
  if (index == t.cur || index < 0 || index >= static_cast<int>(t.tabs.size()))
    return false;
  NMHDR nm{};
  HWND hwnd = t.hwnd;
  if (Notify(hwnd, TCN_SELCHANGING, &nm) || !t.alive)
    return false;
  t.cur = index;
  InvalidateRect(hwnd, nullptr, TRUE);
  Notify(hwnd, TCN_SELCHANGE, &nm);
  return true;
}

void Adjust(const TabControl &t, BOOL larger, RECT *r) {
  int top = PanelTop(t) + kPanelInset, side = kPanelInset;
  if (larger) {
    r->left -= side;
    r->right += side;
    r->top -= top;
    r->bottom += side;
  } else {
    r->left += side;
    r->right -= side;
    r->top += top;
    r->bottom -= side;
  }
}

void PaintTab(const TabControl &t, HDC dc, size_t i) {
  RECT r = TabRect(t, i);
  bool selected = static_cast<int>(i) == t.cur;
  if (selected) {
    InflateRect(&r, 2, 0);
    r.top -= 2;
    r.bottom += 1; // covers the panel's top edge below it
  }
  FillRect(dc, &r, GetSysColorBrush(COLOR_3DFACE));
  DrawEdge(dc, &r, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
  RECT text{r.left + kTabPad, r.top, r.right - kTabPad, selected ? r.bottom - 1 : r.bottom};
  DrawTextA(dc, t.tabs[i].text.c_str(), -1, &text,
            DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (selected && GetFocus() == t.hwnd) {
    InflateRect(&text, kTabPad / 2, -2);
    DrawFocusRect(dc, &text);
  }
}

void Paint(TabControl &t) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(t.hwnd, &ps);
  if (!dc)
    return;
  RECT client;
  GetClientRect(t.hwnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
  RECT panel{0, PanelTop(t), client.right, client.bottom};
  DrawEdge(dc, &panel, EDGE_RAISED, BF_RECT);
  HGDIOBJ old =
      SelectObject(dc, t.font ? static_cast<HGDIOBJ>(t.font) : GetStockObject(SYSTEM_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  for (size_t i = 0; i < t.tabs.size(); ++i)
    if (static_cast<int>(i) != t.cur)
      PaintTab(t, dc, i);
  if (t.cur >= 0)
    PaintTab(t, dc, static_cast<size_t>(t.cur));
  SelectObject(dc, old);
  EndPaint(t.hwnd, &ps);
}

LRESULT OnInsert(TabControl &t, WPARAM wp, const TCITEMA *in) {
  if (!in || static_cast<INT_PTR>(wp) < 0)
    return -1;
  size_t at = std::min<size_t>(wp, t.tabs.size());
  Tab tab;
  if ((in->mask & TCIF_TEXT) && in->pszText)
    tab.text = in->pszText;
  if (in->mask & TCIF_PARAM)
    tab.param = in->lParam;
  t.tabs.insert(t.tabs.begin() + static_cast<std::ptrdiff_t>(at), tab);
  if (t.cur < 0)
    t.cur = 0;
  else if (static_cast<int>(at) <= t.cur)
    ++t.cur;
  InvalidateRect(t.hwnd, nullptr, TRUE);
  return static_cast<LRESULT>(at);
}

LRESULT OnGetItem(const TabControl &t, WPARAM wp, TCITEMA *out) {
  if (!out || wp >= t.tabs.size())
    return FALSE;
  if (out->mask & TCIF_TEXT)
    CopyText(t.tabs[wp].text.c_str(), out->pszText, out->cchTextMax);
  if (out->mask & TCIF_PARAM)
    out->lParam = t.tabs[wp].param;
  return TRUE;
}

LRESULT OnDelete(TabControl &t, WPARAM wp) {
  if (wp >= t.tabs.size())
    return FALSE;
  t.tabs.erase(t.tabs.begin() + static_cast<std::ptrdiff_t>(wp));
  if (t.cur == static_cast<int>(wp))
    t.cur = -1;
  else if (t.cur > static_cast<int>(wp))
    --t.cur;
  InvalidateRect(t.hwnd, nullptr, TRUE);
  return TRUE;
}

LRESULT Dispatch(TabControl &t, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT:
    Paint(t);
    return 0;
  case WM_SETFONT:
    t.font = reinterpret_cast<HFONT>(wp);
    if (lp)
      InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(t.font);
  case WM_GETDLGCODE:
    return DLGC_WANTARROWS;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  case WM_LBUTTONDOWN: {
    POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    int hit = HitTab(t, pt);
    if (hit >= 0) {
      if (StyleOf(hwnd) & TCS_FOCUSONBUTTONDOWN)
        SetFocus(hwnd);
      if (t.alive)
        Choose(t, hit);
    }
    return 0;
  }
  case WM_KEYDOWN:
    if (wp == VK_LEFT || wp == VK_RIGHT)
      Choose(t, t.cur + (wp == VK_LEFT ? -1 : 1));
    return 0;
  case TCM_GETITEMCOUNT:
    return static_cast<LRESULT>(t.tabs.size());
  case TCM_GETITEMA:
    return OnGetItem(t, wp, reinterpret_cast<TCITEMA *>(lp));
  case TCM_SETITEMA: {
    auto *in = reinterpret_cast<const TCITEMA *>(lp);
    if (!in || wp >= t.tabs.size())
      return FALSE;
    if ((in->mask & TCIF_TEXT) && in->pszText)
      t.tabs[wp].text = in->pszText;
    if (in->mask & TCIF_PARAM)
      t.tabs[wp].param = in->lParam;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
  }
  case TCM_INSERTITEMA:
    return OnInsert(t, wp, reinterpret_cast<const TCITEMA *>(lp));
  case TCM_DELETEITEM:
    return OnDelete(t, wp);
  case TCM_DELETEALLITEMS:
    t.tabs.clear();
    t.cur = -1;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
  case TCM_GETITEMRECT:
    if (wp >= t.tabs.size() || !lp)
      return FALSE;
    *reinterpret_cast<RECT *>(lp) = TabRect(t, wp);
    return TRUE;
  case TCM_GETCURSEL:
    return t.cur;
  case TCM_SETCURSEL: {
    if (wp >= t.tabs.size())
      return -1;
    int old = t.cur;
    t.cur = static_cast<int>(wp);
    InvalidateRect(hwnd, nullptr, TRUE);
    return old;
  }
  case TCM_ADJUSTRECT:
    if (lp)
      Adjust(t, static_cast<BOOL>(wp), reinterpret_cast<RECT *>(lp));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    tabControls.Create(hwnd);
  auto t = tabControls.Get(hwnd);
  if (!t)
    return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    tabControls.Drop(hwnd);
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  return Dispatch(*t, hwnd, msg, wp, lp);
}

} // namespace

bool RegisterTabClass() {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = TabProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = WC_TABCONTROLA;
  return RegisterClassA(&wc) != 0;
}

} // namespace vqwin::comctl
