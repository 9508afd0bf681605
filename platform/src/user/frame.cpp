// The non-client area drawn by the default WM_NCPAINT: the outer border
// (thin, dialog or sizing frame), the caption with the window text and,
// with WS_SYSMENU, the close box (the only caption button drawn: nothing
// here minimises or maximises), the
// sunken client edge and the standard scroll bars, all in the classic 3D
// system colours and through GDI on the window DC.
#include "user/scrollbar.h"
#include "user/wnd_state.h"
#include "user/wnd_text.h"

namespace vqwin::user {
namespace {

void Fill(HDC dc, int l, int t, int r, int b, int color) {
  RECT rc{l, t, r, b};
  FillRect(dc, &rc, GetSysColorBrush(color));
}

// A filled triangle pointing along the bar's direction, centred in `box`.
void Arrow(HDC dc, const RECT &box, bool vertical, bool forward, int color) {
  int w = box.right - box.left, h = box.bottom - box.top;
  int size = std::max(2, std::min(w, h) / 4);
  int cx = box.left + w / 2, cy = box.top + h / 2;
  for (int i = 0; i < size; ++i) {
    int half = forward ? size - 1 - i : i;
    if (vertical) {
      int y = cy - size / 2 + i;
      Fill(dc, cx - half, y, cx + half + 1, y + 1, color);
    } else {
      int x = cx - size / 2 + i;
      Fill(dc, x, cy - half, x + 1, cy + half + 1, color);
    }
  }
}

void Button(HDC dc, RECT rc) {
  FillRect(dc, &rc, GetSysColorBrush(COLOR_3DFACE));
  DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
}

void DrawBar(HDC dc, const Window &w, int bar) {
  RECT r = BarRect(w, bar);
  if (r.right > r.left && r.bottom > r.top)
    PaintBar(dc, r, bar == SB_VERT, LayoutBar(w, bar), true);
}
// The close box's cross: two strokes two pixels wide, in black.
void Cross(HDC dc, const RECT &box) {
  const int size = std::min(box.right - box.left, box.bottom - box.top) - 7;
  const int x0 = box.left + (box.right - box.left - size) / 2 - 1,
            y0 = box.top + (box.bottom - box.top - size) / 2 - 1;
  for (int i = 0; i < size; ++i) {
    Fill(dc, x0 + i, y0 + i, x0 + i + 2, y0 + i + 1, COLOR_BTNTEXT);
    Fill(dc, x0 + size - 1 - i, y0 + i, x0 + size + 1 - i, y0 + i + 1, COLOR_BTNTEXT);
  }
}

} // namespace

void PaintBar(HDC dc, const RECT &r, bool vertical, const BarLayout &l, bool enabled) {
  auto span = [&](int from, int to) {
    return vertical ? RECT{r.left, r.top + from, r.right, r.top + to}
                    : RECT{r.left + from, r.top, r.left + to, r.bottom};
  };
  FillRect(dc, &r, GetSysColorBrush(COLOR_SCROLLBAR));
  int glyph = l.thumbLength && enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT;
  RECT back = span(0, l.arrow), forward = span(l.length - l.arrow, l.length);
  Button(dc, back);
  Arrow(dc, back, vertical, false, glyph);
  Button(dc, forward);
  Arrow(dc, forward, vertical, true, glyph);
  if (l.thumbLength)
    Button(dc, span(l.thumbStart, l.thumbStart + l.thumbLength));
}

bool CloseBox(const Window &w, RECT &box) {
  if ((w.style & WS_CAPTION) != WS_CAPTION || !(w.style & WS_SYSMENU))
    return false;
  const Frame f = FrameOf(w.style, w.exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
  const int right = w.rect.right - w.rect.left - f.right, top = f.top - f.caption;
  box = RECT{right - 2 - (GetSystemMetrics(SM_CXSIZE) - 2), top + 2, right - 2,
             top + 2 + GetSystemMetrics(SM_CYSIZE) - 4};
  return box.left > f.left;
}

void DrawFrame(Window &w) {
  HWND hwnd = w.handle;
  HDC dc = GetWindowDC(hwnd);
  if (!dc)
    return;
  RECT r{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
  if (w.style & (WS_THICKFRAME | WS_DLGFRAME) || (w.exStyle & WS_EX_DLGMODALFRAME)) {
    int border = FrameOf(w.style, w.exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)).left;
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    for (int i = 2; i < border; ++i) {
      FrameRect(dc, &r, GetSysColorBrush(COLOR_3DFACE));
      InflateRect(&r, -1, -1);
    }
  } else if (w.style & WS_BORDER) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  if ((w.style & WS_CAPTION) == WS_CAPTION) {
    int caption = GetSystemMetrics(SM_CYCAPTION);
    bool active = GetState().active == hwnd;
    RECT bar{r.left, r.top, r.right, r.top + caption - 1};
    FillRect(dc, &bar, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    Fill(dc, r.left, r.top + caption - 1, r.right, r.top + caption, COLOR_3DFACE);
    std::string text = ToAnsi(w.text);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    RECT textRect{bar.left + 4, bar.top, bar.right - 2, bar.bottom};
    RECT box{};
    if (CloseBox(w, box)) {
      Button(dc, box);
      Cross(dc, box);
      textRect.right = box.left - 2;
    }
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    r.top += caption;
  }
  if (w.exStyle & WS_EX_CLIENTEDGE)
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  if (w.exStyle & WS_EX_STATICEDGE)
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  DrawBar(dc, w, SB_VERT);
  DrawBar(dc, w, SB_HORZ);
  if ((w.style & WS_VSCROLL) && (w.style & WS_HSCROLL)) {
    const RECT &c = w.clientRect;
    Fill(dc, c.right, c.bottom, c.right + GetSystemMetrics(SM_CXVSCROLL),
         c.bottom + GetSystemMetrics(SM_CYHSCROLL), COLOR_3DFACE);
  }
  ReleaseDC(hwnd, dc);
}

} // namespace vqwin::user
