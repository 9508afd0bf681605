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

#include <algorithm>

namespace vqwin::controls {
namespace {

enum class Part { None, ArrowBack, PageBack, Thumb, PageForward, ArrowForward };

struct Bar {
  HWND hwnd = nullptr;
  bool alive = true;
  bool vertical = false;
  // The scroll state, as SCROLLINFO holds it.
  int min = 0, max = 0;
  UINT page = 0;
  int pos = 0;
  int trackPos = 0;
  // Mouse tracking.
  Part pressed = Part::None;
  int grab = 0; // mouse offset inside the thumb
};

StateTable<Bar> bars;

int MaxPos(const Bar &b) {
  return std::max(b.min, b.max - std::max(static_cast<int>(b.page) - 1, 0));
}

// Offsets along the bar: arrows at both ends, the thumb in the track.
struct Layout {
  int length = 0, arrow = 0, trackStart = 0, trackEnd = 0;
  int thumbStart = 0, thumbLength = 0; // no thumb when 0
};

Layout LayoutOf(const Bar &b) {
  RECT r;
  GetClientRect(b.hwnd, &r);
  Layout l;
  l.length = b.vertical ? r.bottom : r.right;
  int breadth = b.vertical ? r.right : r.bottom;
  l.arrow = std::min(breadth, l.length / 2);
  l.trackStart = l.arrow;
  l.trackEnd = l.length - l.arrow;
  int track = l.trackEnd - l.trackStart;
  if (b.max <= b.min || track <= 0)
    return l;
  int thumb = breadth;
  if (b.page) {
    long long span = static_cast<long long>(b.max) - b.min + 1;
    thumb = std::max(static_cast<int>(track * static_cast<long long>(b.page) / span), 8);
  }
  if (thumb > track)
    return l;
  l.thumbLength = thumb;
  int span = MaxPos(b) - b.min;
  int pos = b.pressed == Part::Thumb ? b.trackPos : b.pos;
  l.thumbStart =
      l.trackStart +
      (span > 0 ? static_cast<int>(static_cast<long long>(track - thumb) * (pos - b.min) / span)
                : 0);
  return l;
}

Part PartAt(const Layout &l, int along) {
  if (along < 0 || along >= l.length)
    return Part::None;
  if (along < l.trackStart)
    return Part::ArrowBack;
  if (along >= l.trackEnd)
    return Part::ArrowForward;
  if (l.thumbLength == 0)
    return Part::None;
  if (along < l.thumbStart)
    return Part::PageBack;
  if (along < l.thumbStart + l.thumbLength)
    return Part::Thumb;
  return Part::PageForward;
}

void Notify(const Bar &b, WORD code, int pos = 0) {
  SendMessageA(GetParent(b.hwnd), b.vertical ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(code, static_cast<WORD>(pos)), reinterpret_cast<LPARAM>(b.hwnd));
}

int SetInfo(Bar &b, const SCROLLINFO *si, BOOL redraw) {
  if (!si || (si->cbSize != sizeof(SCROLLINFO) && si->cbSize != sizeof(SCROLLINFO) - sizeof(int)))
    return 0;
  if (si->fMask & SIF_RANGE) {
    b.min = si->nMin;
    b.max = std::max(si->nMax, si->nMin);
  }
  if (si->fMask & SIF_PAGE)
    b.page = si->nPage;
  long long span = static_cast<long long>(b.max) - b.min + 1;
  if (static_cast<long long>(b.page) > span)
    b.page = static_cast<UINT>(span);
  if (si->fMask & SIF_POS)
    b.pos = si->nPos;
  b.pos = std::clamp(b.pos, b.min, MaxPos(b));
  if (b.pressed != Part::Thumb)
    b.trackPos = b.pos;
  if (redraw)
    InvalidateRect(b.hwnd, nullptr, TRUE);
  return b.pos;
}

BOOL GetInfo(const Bar &b, SCROLLINFO *si) {
  if (!si || !(si->fMask & SIF_ALL))
    return FALSE;
  if (si->fMask & SIF_RANGE) {
    si->nMin = b.min;
    si->nMax = b.max;
  }
  if (si->fMask & SIF_PAGE)
    si->nPage = b.page;
  if (si->fMask & SIF_POS)
    si->nPos = b.pos;
  if ((si->fMask & SIF_TRACKPOS) && si->cbSize == sizeof(SCROLLINFO))
    si->nTrackPos = b.trackPos;
  return TRUE;
}

void Fill(HDC dc, RECT r, int color) { FillRect(dc, &r, GetSysColorBrush(color)); }

void Paint(const Bar &b) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(b.hwnd, &ps);
  if (!dc)
    return;
  RECT r;
  GetClientRect(b.hwnd, &r);
  Layout l = LayoutOf(b);
  auto span = [&](int from, int to) {
    return b.vertical ? RECT{0, from, r.right, to} : RECT{from, 0, to, r.bottom};
  };
  Fill(dc, r, COLOR_SCROLLBAR);
  for (RECT box : {span(0, l.arrow), span(l.length - l.arrow, l.length)}) {
    Fill(dc, box, COLOR_3DFACE);
    DrawEdge(dc, &box, EDGE_RAISED, BF_RECT);
  }
  // The arrow glyphs: small triangles pointing away from the track.
  int glyph = l.thumbLength && IsWindowEnabled(b.hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT;
  for (int end = 0; end < 2; ++end) {
    RECT box = end ? span(l.length - l.arrow, l.length) : span(0, l.arrow);
    int w = box.right - box.left, h = box.bottom - box.top;
    int size = std::max(2, std::min(w, h) / 4);
    int cx = box.left + w / 2, cy = box.top + h / 2;
    for (int i = 0; i < size; ++i) {
      int half = end ? size - 1 - i : i;
      RECT line = b.vertical
                      ? RECT{cx - half, cy - size / 2 + i, cx + half + 1, cy - size / 2 + i + 1}
                      : RECT{cx - size / 2 + i, cy - half, cx - size / 2 + i + 1, cy + half + 1};
      Fill(dc, line, glyph);
    }
  }
  if (l.thumbLength) {
    RECT thumb = span(l.thumbStart, l.thumbStart + l.thumbLength);
    Fill(dc, thumb, COLOR_3DFACE);
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT);
  }
  EndPaint(b.hwnd, &ps);
}

int Along(const Bar &b, LPARAM lp) {
  return b.vertical ? static_cast<SHORT>(HIWORD(lp)) : static_cast<SHORT>(LOWORD(lp));
}

void OnButtonDown(const std::shared_ptr<Bar> &b, LPARAM lp) {
  Layout l = LayoutOf(*b);
  int along = Along(*b, lp);
  Part part = PartAt(l, along);
  if (part == Part::None)
    return;
  b->pressed = part;
  b->grab = along - l.thumbStart;
  b->trackPos = b->pos;
  SetCapture(b->hwnd);
  static const WORD codes[] = {0, SB_LINEUP, SB_PAGEUP, 0, SB_PAGEDOWN, SB_LINEDOWN};
  if (part != Part::Thumb)
    Notify(*b, codes[static_cast<int>(part)]);
}

void OnMouseMove(Bar &b, LPARAM lp) {
  if (b.pressed != Part::Thumb)
    return;
  Layout l = LayoutOf(b);
  int travel = l.trackEnd - l.trackStart - l.thumbLength;
  int offset = std::clamp(Along(b, lp) - b.grab - l.trackStart, 0, std::max(travel, 0));
  long long span = MaxPos(b) - b.min;
  int pos = travel > 0 ? b.min + static_cast<int>((offset * span + travel / 2) / travel) : b.min;
  if (pos == b.trackPos)
    return;
  b.trackPos = pos;
  InvalidateRect(b.hwnd, nullptr, TRUE);
  Notify(b, SB_THUMBTRACK, pos);
}

void OnButtonUp(const std::shared_ptr<Bar> &b) {
  if (b->pressed == Part::None)
    return;
  Part part = b->pressed;
  b->pressed = Part::None;
  if (GetCapture() == b->hwnd)
    ReleaseCapture();
  if (part == Part::Thumb) {
    Notify(*b, SB_THUMBPOSITION, b->trackPos);
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
    if (b->pressed != Part::None && reinterpret_cast<HWND>(lp) != hwnd) {
      b->pressed = Part::None;
      InvalidateRect(hwnd, nullptr, TRUE);
    }
    return 0;
  case WM_KEYDOWN:
    OnKeyDown(*b, wp);
    return 0;
  case SBM_SETPOS: {
    int old = b->pos;
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, static_cast<int>(wp), 0};
    SetInfo(*b, &si, static_cast<BOOL>(lp));
    return old;
  }
  case SBM_GETPOS:
    return b->pos;
  case SBM_SETRANGE:
  case SBM_SETRANGEREDRAW: {
    int old = b->pos;
    SCROLLINFO si{sizeof si, SIF_RANGE, static_cast<int>(wp), static_cast<int>(lp), 0, 0, 0};
    SetInfo(*b, &si, msg == SBM_SETRANGEREDRAW);
    return old;
  }
  case SBM_GETRANGE:
    if (wp)
      *reinterpret_cast<LPINT>(wp) = b->min;
    if (lp)
      *reinterpret_cast<LPINT>(lp) = b->max;
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
