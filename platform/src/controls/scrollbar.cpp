// The "ScrollBar" control: a bar of its own window (SBS_HORZ or SBS_VERT)
// with the SBM_ messages, which the scroll functions use for SB_CTL, and
// mouse and keyboard input that reports to the parent as WM_HSCROLL /
// WM_VSCROLL with the control's handle, in the sequence the window bars
// use: the SB_ code of the part pressed, SB_THUMBTRACK while the thumb is
// dragged, SB_THUMBPOSITION at its release, SB_ENDSCROLL at every release.
// The application moves the position itself.
//
// Chosen here: a held button does not repeat; SBM_ENABLE_ARROWS is not
// supported (the arrows are always live).
#include "controls/controls.h"
#include "user/scrollbar.h"

#include <algorithm>

namespace vqwin::controls {
namespace {

using user::BarLayout;
using user::BarPart;

struct Bar {
  HWND hwnd = nullptr;
  bool alive = true;
  bool vertical = false;
  user::ScrollBar state{0, 0}; // a control's range starts empty
  // Mouse tracking.
  BarPart pressed = BarPart::None;
  int grab = 0; // mouse offset inside the thumb
};

StateTable<Bar> bars;

// The bar fills the client area; its arrows are as long as the bar is
// broad, and so is the thumb unless the page sizes it.
BarLayout LayoutOf(const Bar &b) {
  RECT r;
  GetClientRect(b.hwnd, &r);
  const user::ScrollBar &s = b.state;
  const int breadth = b.vertical ? r.right : r.bottom;
  return user::LayoutAlong(s, b.vertical ? r.bottom : r.right, breadth, breadth,
                           b.pressed == BarPart::Thumb ? s.trackPos : s.pos, s.max > s.min);
}

void Notify(const Bar &b, WORD code, int pos = 0) {
  SendMessageA(GetParent(b.hwnd), b.vertical ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(code, static_cast<WORD>(pos)), reinterpret_cast<LPARAM>(b.hwnd));
}

int SetInfo(Bar &b, const SCROLLINFO *si, BOOL redraw) {
  if (!si || (si->cbSize != sizeof(SCROLLINFO) && si->cbSize != sizeof(SCROLLINFO) - sizeof(int)))
    return 0;
  user::TakeScrollInfo(b.state, *si);
  if (b.pressed != BarPart::Thumb)
    b.state.trackPos = b.state.pos;
  if (redraw)
    InvalidateRect(b.hwnd, nullptr, TRUE);
  return b.state.pos;
}

BOOL GetInfo(const Bar &b, SCROLLINFO *si) {
  if (!si || !(si->fMask & SIF_ALL))
    return FALSE;
  if (si->fMask & SIF_RANGE) {
    si->nMin = b.state.min;
    si->nMax = b.state.max;
  }
  if (si->fMask & SIF_PAGE)
    si->nPage = b.state.page;
  if (si->fMask & SIF_POS)
    si->nPos = b.state.pos;
  if ((si->fMask & SIF_TRACKPOS) && si->cbSize == sizeof(SCROLLINFO))
    si->nTrackPos = b.state.trackPos;
  return TRUE;
}

void Paint(const Bar &b) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(b.hwnd, &ps);
  if (!dc)
    return;
  RECT r;
  GetClientRect(b.hwnd, &r);
  user::PaintBar(dc, r, b.vertical, LayoutOf(b), IsWindowEnabled(b.hwnd));
  EndPaint(b.hwnd, &ps);
}

int Along(const Bar &b, LPARAM lp) {
  return b.vertical ? static_cast<SHORT>(HIWORD(lp)) : static_cast<SHORT>(LOWORD(lp));
}

void OnButtonDown(const std::shared_ptr<Bar> &b, LPARAM lp) {
  BarLayout l = LayoutOf(*b);
  int along = Along(*b, lp);
  BarPart part = user::PartAt(l, along);
  if (part == BarPart::None)
    return;
  b->pressed = part;
  b->grab = along - l.thumbStart;
  b->state.trackPos = b->state.pos;
  SetCapture(b->hwnd);
  static const WORD codes[] = {0, SB_LINEUP, SB_PAGEUP, 0, SB_PAGEDOWN, SB_LINEDOWN};
  if (part != BarPart::Thumb)
    Notify(*b, codes[static_cast<int>(part)]);
}

void OnMouseMove(Bar &b, LPARAM lp) {
  if (b.pressed != BarPart::Thumb)
    return;
  BarLayout l = LayoutOf(b);
  int pos = user::PosForThumb(b.state, l, Along(b, lp) - b.grab);
  if (pos == b.state.trackPos)
    return;
  b.state.trackPos = pos;
  InvalidateRect(b.hwnd, nullptr, TRUE);
  Notify(b, SB_THUMBTRACK, pos);
}

void OnButtonUp(const std::shared_ptr<Bar> &b) {
  if (b->pressed == BarPart::None)
    return;
  BarPart part = b->pressed;
  b->pressed = BarPart::None;
  if (GetCapture() == b->hwnd)
    ReleaseCapture();
  if (part == BarPart::Thumb) {
    Notify(*b, SB_THUMBPOSITION, b->state.trackPos);
    if (!b->alive)
      return;
  }
  Notify(*b, SB_ENDSCROLL);
  InvalidateRect(b->hwnd, nullptr, TRUE);
}

void OnKeyDown(const Bar &b, WPARAM vk) {
  switch (vk) {
  case VK_UP:
  case VK_LEFT:
    Notify(b, SB_LINEUP);
    break;
  case VK_DOWN:
  case VK_RIGHT:
    Notify(b, SB_LINEDOWN);
    break;
  case VK_PRIOR:
    Notify(b, SB_PAGEUP);
    break;
  case VK_NEXT:
    Notify(b, SB_PAGEDOWN);
    break;
  case VK_HOME:
    Notify(b, SB_TOP);
    break;
  case VK_END:
    Notify(b, SB_BOTTOM);
    break;
  }
}

LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    bars.Create(hwnd);
  std::shared_ptr<Bar> b = bars.Get(hwnd);
  if (!b)
    return DefWindowProcA(hwnd, msg, wp, lp);
  switch (msg) {
  case WM_CREATE:
    b->vertical = (reinterpret_cast<const CREATESTRUCTA *>(lp)->style & SBS_VERT) != 0;
    return 0;
  case WM_NCDESTROY:
    bars.Drop(hwnd);
    break;
  case WM_ERASEBKGND:
    return 1; // painting covers the whole client area
  case WM_PAINT:
    Paint(*b);
    return 0;
  case WM_ENABLE:
  case WM_SIZE:
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  case WM_GETDLGCODE:
    return DLGC_WANTARROWS;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
    OnButtonDown(b, lp);
    return 0;
  case WM_MOUSEMOVE:
    OnMouseMove(*b, lp);
    return 0;
  case WM_LBUTTONUP:
    OnButtonUp(b);
    return 0;
  case WM_CAPTURECHANGED:
    if (b->pressed != BarPart::None && reinterpret_cast<HWND>(lp) != hwnd) {
      b->pressed = BarPart::None;
      InvalidateRect(hwnd, nullptr, TRUE);
    }
    return 0;
  case WM_KEYDOWN:
    OnKeyDown(*b, wp);
    return 0;
  case SBM_SETPOS: {
    int old = b->state.pos;
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, static_cast<int>(wp), 0};
    SetInfo(*b, &si, static_cast<BOOL>(lp));
    return old;
  }
  case SBM_GETPOS:
    return b->state.pos;
  case SBM_SETRANGE:
  case SBM_SETRANGEREDRAW: {
    int old = b->state.pos;
    SCROLLINFO si{sizeof si, SIF_RANGE, static_cast<int>(wp), static_cast<int>(lp), 0, 0, 0};
    SetInfo(*b, &si, msg == SBM_SETRANGEREDRAW);
    return old;
  }
  case SBM_GETRANGE:
    if (wp)
      *reinterpret_cast<LPINT>(wp) = b->state.min;
    if (lp)
      *reinterpret_cast<LPINT>(lp) = b->state.max;
    return 0;
  case SBM_SETSCROLLINFO:
    return SetInfo(*b, reinterpret_cast<const SCROLLINFO *>(lp), static_cast<BOOL>(wp));
  case SBM_GETSCROLLINFO:
    return GetInfo(*b, reinterpret_cast<SCROLLINFO *>(lp));
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

bool RegisterScrollBarClass() {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_PARENTDC;
  wc.lpfnWndProc = ScrollBarProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "ScrollBar";
  return RegisterClassA(&wc) != 0;
}

} // namespace vqwin::controls
