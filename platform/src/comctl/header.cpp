// The header control ("SysHeader32") as the list view uses it: a row of
// column captions with widths and alignments, painted as raised buttons.
// The list view keeps it in step with its columns; hosts read it through
// HDM_GETITEMCOUNT and HDM_GETITEMA. Dragging column borders is not
// provided.
#include "comctl/comctl.h"

#include "controls/controls.h"

#include <string>
#include <vector>

namespace vqwin::comctl {
namespace {

struct HeaderItem {
  std::string text;
  int width = 0;
  int fmt = HDF_LEFT;
  LPARAM param = 0;
};

struct Header {
  HWND hwnd = nullptr;
  bool alive = true;
  HFONT font = nullptr;
  std::vector<HeaderItem> items;
};

controls::StateTable<Header> headers;

void Apply(HeaderItem &item, const HDITEMA &in) {
  if (in.mask & HDI_WIDTH)
    item.width = in.cxy < 0 ? 0 : in.cxy;
  if ((in.mask & HDI_TEXT) && in.pszText)
    item.text = in.pszText;
  if (in.mask & HDI_FORMAT)
    item.fmt = in.fmt;
  if (in.mask & HDI_LPARAM)
    item.param = in.lParam;
}

LRESULT OnInsert(Header &h, HWND hwnd, WPARAM wp, const HDITEMA *in) {
  if (!in)
    return -1;
  size_t at = wp > h.items.size() ? h.items.size() : wp;
  HeaderItem item;
  Apply(item, *in);
  h.items.insert(h.items.begin() + static_cast<std::ptrdiff_t>(at), item);
  InvalidateRect(hwnd, nullptr, TRUE);
  return static_cast<LRESULT>(at);
}

LRESULT OnGetItem(const Header &h, WPARAM wp, HDITEMA *out) {
  if (!out || wp >= h.items.size())
    return FALSE;
  const HeaderItem &item = h.items[wp];
  if (out->mask & HDI_WIDTH)
    out->cxy = item.width;
  if (out->mask & HDI_TEXT)
    CopyText(item.text.c_str(), out->pszText, out->cchTextMax);
  if (out->mask & HDI_FORMAT)
    out->fmt = item.fmt | HDF_STRING;
  if (out->mask & HDI_LPARAM)
    out->lParam = item.param;
  return TRUE;
}

UINT Align(int fmt) {
  switch (fmt & HDF_JUSTIFYMASK) {
  case HDF_RIGHT:
    return DT_RIGHT;
  case HDF_CENTER:
    return DT_CENTER;
  default:
    return DT_LEFT;
  }
}

void Paint(HWND hwnd, const Header &h) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc)
    return;
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
  HGDIOBJ old =
      SelectObject(dc, h.font ? static_cast<HGDIOBJ>(h.font) : GetStockObject(SYSTEM_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  int x = 0;
  for (const HeaderItem &item : h.items) {
    RECT r{x, 0, x + item.width, client.bottom};
    x += item.width;
    if (item.width <= 0)
      continue;
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    RECT text{r.left + 6, r.top, r.right - 6, r.bottom};
    DrawTextA(dc, item.text.c_str(), -1, &text,
              Align(item.fmt) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  // The part right of the last column is an empty button, as on Win32.
  if (x < client.right) {
    RECT rest{x, 0, client.right, client.bottom};
    DrawEdge(dc, &rest, EDGE_RAISED, BF_RECT);
  }
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK HeaderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    headers.Create(hwnd);
  auto h = headers.Get(hwnd);
  if (!h)
    return DefWindowProcA(hwnd, msg, wp, lp);
  switch (msg) {
  case WM_NCDESTROY:
    headers.Drop(hwnd);
    break;
  case HDM_GETITEMCOUNT:
    return static_cast<LRESULT>(h->items.size());
  case HDM_INSERTITEMA:
    return OnInsert(*h, hwnd, wp, reinterpret_cast<const HDITEMA *>(lp));
  case HDM_DELETEITEM:
    if (wp >= h->items.size())
      return FALSE;
    h->items.erase(h->items.begin() + static_cast<std::ptrdiff_t>(wp));
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
  case HDM_GETITEMA:
    return OnGetItem(*h, wp, reinterpret_cast<HDITEMA *>(lp));
  case HDM_SETITEMA:
    if (wp >= h->items.size() || !lp)
      return FALSE;
    Apply(h->items[wp], *reinterpret_cast<const HDITEMA *>(lp));
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
  case HDM_GETITEMRECT: {
    auto *r = reinterpret_cast<RECT *>(lp);
    if (wp >= h->items.size() || !r)
      return FALSE;
    RECT client;
    GetClientRect(hwnd, &client);
    int x = 0;
    for (size_t i = 0; i < wp; ++i)
      x += h->items[i].width;
    *r = RECT{x, 0, x + h->items[wp].width, client.bottom};
    return TRUE;
  }
  case WM_SETFONT:
    h->font = reinterpret_cast<HFONT>(wp);
    if (lp)
      InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(h->font);
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT:
    Paint(hwnd, *h);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

bool RegisterHeaderClass() {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
  wc.lpfnWndProc = HeaderProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = WC_HEADERA;
  return RegisterClassA(&wc) != 0;
}

} // namespace vqwin::comctl
