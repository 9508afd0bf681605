// The standard scroll bars of a window (WS_HSCROLL, WS_VSCROLL): their
// state, their layout in the non-client area, and the mouse tracking that
// turns clicks into WM_HSCROLL / WM_VSCROLL. A bar shows when its range
// exceeds its page and hides otherwise (kept, disabled, with
// SIF_DISABLENOSCROLL); showing or hiding it changes the client area.
//
// Tracking follows Win32's sequence: a press on an arrow or the page area
// sends its SB_ code and SB_ENDSCROLL on release; dragging the thumb sends
// SB_THUMBTRACK for each new position, then SB_THUMBPOSITION and
// SB_ENDSCROLL on release. The application moves the position itself.
// Chosen here: a held button does not repeat.
#include "user/scrollbar.h"
#include "user/wnd_state.h"

#include <algorithm>

namespace vqwin::user {
namespace {

struct Tracking {
  bool active = false;
  HWND hwnd = nullptr;
  int bar = SB_VERT;
  BarPart part = BarPart::None;
  int grab = 0; // mouse offset inside the thumb
};

Tracking tracking;

bool Needed(const ScrollBar &b) {
  if (b.page == 0)
    return b.max > b.min;
  return static_cast<long long>(b.max) - b.min + 1 > static_cast<long long>(b.page);
}

// Position along the bar of a screen point.
int AlongBar(const Window &w, int bar, POINT screen) {
  POINT o = WindowOrigin(w);
  RECT r = BarRect(w, bar);
  return bar == SB_VERT ? screen.y - o.y - r.top : screen.x - o.x - r.left;
}

UINT ScrollMessage(int bar) { return bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL; }

void RedrawBars(HWND hwnd, bool redraw) {
  Window *w = Find(hwnd, false);
  if (!w)
    return;
  InvalidateFrame(*w);
  if (redraw && IsShown(*w))
    DrawFrame(*w);
}

// Makes the bar's style bit match `show`; the frame change resizes the
// client area and sends WM_SIZE.
void SetShown(HWND hwnd, int bar, bool show) {
  Window *w = Find(hwnd, false);
  if (!w)
    return;
  DWORD bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  if (((w->style & bit) != 0) == show)
    return;
  if (show)
    w->style |= bit;
  else
    w->style &= ~bit;
  ApplyFrameChange(hwnd);
}

} // namespace

RECT BarRect(const Window &w, int bar) {
  const RECT &c = w.clientRect;
  if (bar == SB_VERT && (w.style & WS_VSCROLL) && !(w.style & WS_MINIMIZE))
    return RECT{c.right, c.top, c.right + GetSystemMetrics(SM_CXVSCROLL), c.bottom};
  if (bar == SB_HORZ && (w.style & WS_HSCROLL) && !(w.style & WS_MINIMIZE))
    return RECT{c.left, c.bottom, c.right, c.bottom + GetSystemMetrics(SM_CYHSCROLL)};
  return RECT{0, 0, 0, 0};
}

BarLayout LayoutBar(const Window &w, int bar) {
  RECT r = BarRect(w, bar);
  const int length = bar == SB_VERT ? r.bottom - r.top : r.right - r.left;
  if (length <= 0)
    return BarLayout{};
  const ScrollBar &b = w.bars[bar];
  const bool thumbTracked = tracking.active && tracking.hwnd == w.handle && tracking.bar == bar &&
                            tracking.part == BarPart::Thumb;
  return LayoutAlong(
      b, length, bar == SB_VERT ? GetSystemMetrics(SM_CYVSCROLL) : GetSystemMetrics(SM_CXHSCROLL),
      bar == SB_VERT ? GetSystemMetrics(SM_CYVTHUMB) : GetSystemMetrics(SM_CXHTHUMB),
      thumbTracked ? b.trackPos : b.pos, !b.disabled && Needed(b));
}

int MaxScrollPos(const ScrollBar &b) {
  return std::max(b.min, b.max - std::max(static_cast<int>(b.page) - 1, 0));
}

void TakeScrollInfo(ScrollBar &b, const SCROLLINFO &si) {
  if (si.fMask & SIF_RANGE) {
    b.min = si.nMin;
    b.max = std::max(si.nMax, si.nMin);
  }
  if (si.fMask & SIF_PAGE)
    b.page = si.nPage;
  long long span = static_cast<long long>(b.max) - b.min + 1;
  if (static_cast<long long>(b.page) > span)
    b.page = static_cast<UINT>(span);
  if (si.fMask & SIF_POS)
    b.pos = si.nPos;
  b.pos = std::clamp(b.pos, b.min, MaxScrollPos(b));
}

BarLayout LayoutAlong(const ScrollBar &b, int length, int arrow, int thumb, int shown,
                      bool withThumb) {
  BarLayout l;
  l.length = length;
  l.arrow = std::min(arrow, l.length / 2);
  l.trackStart = l.arrow;
  l.trackEnd = l.length - l.arrow;
  int track = l.trackEnd - l.trackStart;
  if (!withThumb || track <= 0)
    return l;
  if (b.page) {
    long long span = static_cast<long long>(b.max) - b.min + 1;
    thumb = std::max(static_cast<int>(track * static_cast<long long>(b.page) / span), 8);
  }
  if (thumb > track)
    return l;
  l.thumbLength = thumb;
  int span = MaxScrollPos(b) - b.min;
  l.thumbStart =
      l.trackStart +
      (span > 0 ? static_cast<int>(static_cast<long long>(track - thumb) * (shown - b.min) / span)
                : 0);
  return l;
}

int PosForThumb(const ScrollBar &b, const BarLayout &l, int thumbStart) {
  int travel = l.trackEnd - l.trackStart - l.thumbLength;
  if (travel <= 0)
    return b.min;
  int offset = std::clamp(thumbStart - l.trackStart, 0, travel);
  long long span = MaxScrollPos(b) - b.min;
  return b.min + static_cast<int>((offset * span + travel / 2) / travel);
}

BarPart PartAt(const BarLayout &l, int along) {
  if (along < 0 || along >= l.length)
    return BarPart::None;
  if (along < l.trackStart)
    return BarPart::ArrowBack;
  if (along >= l.trackEnd)
    return BarPart::ArrowForward;
  if (l.thumbLength == 0)
    return BarPart::None;
  if (along < l.thumbStart)
    return BarPart::PageBack;
  if (along < l.thumbStart + l.thumbLength)
    return BarPart::Thumb;
  return BarPart::PageForward;
}

LRESULT ScrollBarHitTest(const Window &w, POINT p) {
  for (int bar : {SB_VERT, SB_HORZ}) {
    RECT r = BarRect(w, bar);
    if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom)
      return bar == SB_VERT ? HTVSCROLL : HTHSCROLL;
  }
  return 0;
}

void BeginScrollTracking(HWND hwnd, int hit, POINT screen) {
  Window *w = Find(hwnd, false);
  if (!w || tracking.active)
    return;
  int bar = hit == HTVSCROLL ? SB_VERT : SB_HORZ;
  BarLayout l = LayoutBar(*w, bar);
  int along = AlongBar(*w, bar, screen);
  BarPart part = PartAt(l, along);
  ScrollBar &b = w->bars[bar];
  if (part == BarPart::None || b.disabled || !Needed(b))
    return;
  tracking = Tracking{true, hwnd, bar, part, along - l.thumbStart};
  WPARAM code = 0;
  switch (part) {
  case BarPart::ArrowBack:
    code = SB_LINEUP;
    break;
  case BarPart::ArrowForward:
    code = SB_LINEDOWN;
    break;
  case BarPart::PageBack:
    code = SB_PAGEUP;
    break;
  case BarPart::PageForward:
    code = SB_PAGEDOWN;
    break;
  case BarPart::Thumb:
    b.trackPos = b.pos;
    return;
  case BarPart::None:
    return;
  }
  Send(hwnd, ScrollMessage(bar), code, 0);
}

bool ScrollTrackingActive() {
  if (tracking.active && !Find(tracking.hwnd, false))
    tracking = Tracking{};
  return tracking.active;
}

void TrackScrollMouse(UINT msg, POINT screen) {
  Window *w = Find(tracking.hwnd, false);
  if (!w) {
    tracking = Tracking{};
    return;
  }
  HWND hwnd = tracking.hwnd;
  int bar = tracking.bar;
  UINT scrollMsg = ScrollMessage(bar);
  ScrollBar &b = w->bars[bar];
  if (msg == WM_MOUSEMOVE && tracking.part == BarPart::Thumb) {
    BarLayout l = LayoutBar(*w, bar);
    int pos = PosForThumb(b, l, AlongBar(*w, bar, screen) - tracking.grab);
    if (pos != b.trackPos) {
      b.trackPos = pos;
      RedrawBars(hwnd, true);
      Send(hwnd, scrollMsg, MAKEWPARAM(SB_THUMBTRACK, pos), 0);
    }
    return;
  }
  if (msg != WM_LBUTTONUP)
    return;
  bool thumb = tracking.part == BarPart::Thumb;
  int pos = b.trackPos;
  tracking = Tracking{};
  if (thumb)
    Send(hwnd, scrollMsg, MAKEWPARAM(SB_THUMBPOSITION, pos), 0);
  Send(hwnd, scrollMsg, SB_ENDSCROLL, 0);
  if ((w = Find(hwnd, false))) {
    w->bars[bar].trackPos = w->bars[bar].pos;
    RedrawBars(hwnd, true);
  }
}

void CancelScrollTracking() { tracking = Tracking{}; }

} // namespace vqwin::user

using namespace vqwin::user;

namespace {

Window *BarWindow(HWND hwnd, int bar) {
  Window *w = Find(hwnd);
  if (!w)
    return nullptr;
  if (bar != SB_HORZ && bar != SB_VERT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return w;
}

} // namespace

// SB_CTL addresses a "ScrollBar" control, which keeps its own state.
int WINAPI SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO si, BOOL redraw) {
  if (bar == SB_CTL && Find(hwnd))
    return static_cast<int>(
        SendMessageA(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(si)));
  Window *w = BarWindow(hwnd, bar);
  if (!w)
    return 0;
  if (!si || si->cbSize != sizeof(SCROLLINFO) || (si->fMask & ~(SIF_ALL | SIF_DISABLENOSCROLL))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ScrollBar &b = w->bars[bar];
  b.everSet = true;
  TakeScrollInfo(b, *si);
  b.trackPos = b.pos;
  int pos = b.pos;

  if (si->fMask & (SIF_RANGE | SIF_PAGE)) {
    if (Needed(b)) {
      b.disabled = false;
      SetShown(hwnd, bar, true);
    } else if (si->fMask & SIF_DISABLENOSCROLL) {
      b.disabled = true;
      SetShown(hwnd, bar, true);
    } else {
      SetShown(hwnd, bar, false);
    }
  }
  RedrawBars(hwnd, redraw);
  return pos;
}

BOOL WINAPI GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO si) {
  if (bar == SB_CTL && Find(hwnd))
    return static_cast<BOOL>(
        SendMessageA(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(si)));
  Window *w = BarWindow(hwnd, bar);
  if (!w)
    return FALSE;
  if (!si || si->cbSize != sizeof(SCROLLINFO) || !(si->fMask & SIF_ALL)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const ScrollBar &b = w->bars[bar];
  if (!b.everSet) {
    SetLastError(ERROR_NO_SCROLLBARS);
    return FALSE;
  }
  if (si->fMask & SIF_RANGE) {
    si->nMin = b.min;
    si->nMax = b.max;
  }
  if (si->fMask & SIF_PAGE)
    si->nPage = b.page;
  if (si->fMask & SIF_POS)
    si->nPos = b.pos;
  if (si->fMask & SIF_TRACKPOS)
    si->nTrackPos = b.trackPos;
  return TRUE;
}

int WINAPI SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  if (bar == SB_CTL && Find(hwnd))
    return static_cast<int>(SendMessageA(hwnd, SBM_SETPOS, static_cast<WPARAM>(pos), redraw));
  Window *w = BarWindow(hwnd, bar);
  if (!w)
    return 0;
  int old = w->bars[bar].pos;
  SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, pos, 0};
  SetScrollInfo(hwnd, bar, &si, redraw);
  return old;
}

int WINAPI GetScrollPos(HWND hwnd, int bar) {
  if (bar == SB_CTL && Find(hwnd))
    return static_cast<int>(SendMessageA(hwnd, SBM_GETPOS, 0, 0));
  Window *w = BarWindow(hwnd, bar);
  return w ? w->bars[bar].pos : 0;
}

BOOL WINAPI SetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw) {
  if (bar == SB_CTL && Find(hwnd)) {
    SendMessageA(hwnd, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(min), max);
    return TRUE;
  }
  if (!BarWindow(hwnd, bar))
    return FALSE;
  if (min > max) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SCROLLINFO si{sizeof(si), SIF_RANGE, min, max, 0, 0, 0};
  SetScrollInfo(hwnd, bar, &si, redraw);
  return TRUE;
}

BOOL WINAPI GetScrollRange(HWND hwnd, int bar, LPINT min, LPINT max) {
  if (bar == SB_CTL && Find(hwnd) && min && max) {
    SendMessageA(hwnd, SBM_GETRANGE, reinterpret_cast<WPARAM>(min), reinterpret_cast<LPARAM>(max));
    return TRUE;
  }
  Window *w = BarWindow(hwnd, bar);
  if (!w || !min || !max)
    return FALSE;
  *min = w->bars[bar].min;
  *max = w->bars[bar].max;
  return TRUE;
}

BOOL WINAPI ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  Window *w = Find(hwnd);
  if (!w)
    return FALSE;
  if (bar != SB_HORZ && bar != SB_VERT && bar != SB_BOTH) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD bits = bar == SB_BOTH   ? (WS_HSCROLL | WS_VSCROLL)
               : bar == SB_VERT ? WS_VSCROLL
                                : WS_HSCROLL;
  DWORD style = show ? (w->style | bits) : (w->style & ~bits);
  if (show) {
    if (bits & WS_HSCROLL)
      w->bars[SB_HORZ].everSet = true;
    if (bits & WS_VSCROLL)
      w->bars[SB_VERT].everSet = true;
  }
  if (style != w->style) {
    w->style = style;
    ApplyFrameChange(hwnd);
  }
  return TRUE;
}
