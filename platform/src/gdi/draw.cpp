// Lines, rectangles, pixels and block transfers.
//
// Cosmetic (one-pixel) lines are rasterised here rather than stroked by
// cairo: GDI's rules (end point excluded, dash patterns counted in pixels,
// gaps painted in the background colour when the mode is OPAQUE) are pixel
// rules, so the line becomes a set of pixel rectangles filled in one go.
// Copies between DCs go through cairo; the other raster operations are
// evaluated bit by bit on image surfaces with the ternary ROP truth table.
#include "gdi_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace vqwin::gdi {

namespace {

struct Spans {
  std::vector<cairo_rectangle_int_t> on, gap;

  static void Add(std::vector<cairo_rectangle_int_t> &v, int x, int y) {
    if (!v.empty()) {
      cairo_rectangle_int_t &r = v.back();
      if (r.height == 1 && r.y == y && x == r.x + r.width) {
        ++r.width;
        return;
      }
      if (r.width == 1 && r.x == x && y == r.y + r.height) {
        ++r.height;
        return;
      }
    }
    v.push_back(cairo_rectangle_int_t{x, y, 1, 1});
  }
};

// Pixel runs of the styled pens: on, off, on, off ...
const std::vector<int> &Pattern(int style) {
  static const std::vector<int> solid, dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6},
      dashDotDot{9, 3, 3, 3, 3, 3};
  switch (style) {
  case PS_DASH:
    return dash;
  case PS_DOT:
    return dot;
  case PS_DASHDOT:
    return dashDot;
  case PS_DASHDOTDOT:
    return dashDotDot;
  default:
    return solid;
  }
}

class Styler {
public:
  explicit Styler(int style) : pattern_(Pattern(style)) {}
  bool Next() {
    if (pattern_.empty())
      return true;
    bool on = index_ % 2 == 0;
    if (++count_ >= pattern_[index_]) {
      count_ = 0;
      index_ = (index_ + 1) % pattern_.size();
    }
    return on;
  }

private:
  const std::vector<int> &pattern_;
  size_t index_ = 0;
  int count_ = 0;
};

// Every pixel from (x0, y0) towards (x1, y1), the end point excluded.
void Rasterize(int x0, int y0, int x1, int y1, Styler &styler, Spans &spans) {
  int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int steps = std::max(dx, dy);
  int major = std::max(dx, dy), minor = std::min(dx, dy);
  int err = major / 2;
  int x = x0, y = y0;
  for (int i = 0; i < steps; ++i) {
    Spans::Add(styler.Next() ? spans.on : spans.gap, x, y);
    if (dx >= dy)
      x += sx;
    else
      y += sy;
    err -= minor;
    if (err < 0) {
      err += major;
      if (dx >= dy)
        y += sy;
      else
        x += sx;
    }
  }
}

// Cuts a segment down to a box, so that far-off end points cost nothing to
// rasterise; false when the segment misses the box. Segments inside the box
// are left exactly as they are.
bool ClipSegment(int &x0, int &y0, int &x1, int &y1, const RECT &box) {
  auto inside = [&](int x, int y) {
    return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
  };
  if (inside(x0, y0) && inside(x1, y1))
    return true;
  double dx = static_cast<double>(x1) - x0, dy = static_cast<double>(y1) - y0;
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {static_cast<double>(x0) - box.left, box.right - 1.0 - x0,
                       static_cast<double>(y0) - box.top, box.bottom - 1.0 - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0)
        return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  if (t0 > t1)
    return false;
  int nx0 = static_cast<int>(std::lround(x0 + t0 * dx)),
      ny0 = static_cast<int>(std::lround(y0 + t0 * dy));
  x1 = static_cast<int>(std::lround(x0 + t1 * dx)),
  y1 = static_cast<int>(std::lround(y0 + t1 * dy));
  x0 = nx0, y0 = ny0;
  return true;
}

void FillSpans(cairo_t *cr, const std::vector<cairo_rectangle_int_t> &v, COLORREF c) {
  if (v.empty())
    return;
  SetColor(cr, c);
  for (const auto &r : v)
    cairo_rectangle(cr, r.x, r.y, r.width, r.height);
  cairo_fill(cr);
}

// Draws a polyline with the DC's pen, in logical coordinates.
void Polyline(Dc *dc, const POINT *pts, int n) {
  Pen *pen = dc->s.pen;
  cairo_t *cr = Context(dc);
  if (!cr || !pen || pen->style == PS_NULL || n < 2)
    return;
  int ox = dc->origin.x, oy = dc->origin.y;
  if (pen->width > 1) {
    // Wide pens are solid whatever their style, with round ends, as GDI
    // draws wide cosmetic pens.
    cairo_save(cr);
    SetColor(cr, pen->color);
    cairo_set_line_width(cr, pen->width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const RECT &b = dc->bounds;
    int m = pen->width + 2;
    RECT box{b.left - m, b.top - m, b.right + m, b.bottom + m};
    for (int i = 1; i < n; ++i) {
      int x0 = pts[i - 1].x + ox, y0 = pts[i - 1].y + oy, x1 = pts[i].x + ox, y1 = pts[i].y + oy;
      if (!ClipSegment(x0, y0, x1, y1, box))
        continue;
      cairo_move_to(cr, x0 + 0.5, y0 + 0.5);
      cairo_line_to(cr, x1 + 0.5, y1 + 0.5);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
    return;
  }
  Spans spans;
  Styler styler(pen->style);
  const RECT &b = dc->bounds;
  RECT box{b.left - 2, b.top - 2, b.right + 2, b.bottom + 2};
  for (int i = 1; i < n; ++i) {
    int x0 = pts[i - 1].x + ox, y0 = pts[i - 1].y + oy, x1 = pts[i].x + ox, y1 = pts[i].y + oy;
    if (ClipSegment(x0, y0, x1, y1, box))
      Rasterize(x0, y0, x1, y1, styler, spans);
  }
  FillSpans(cr, spans.on, pen->color);
  if (dc->s.bkMode == OPAQUE)
    FillSpans(cr, spans.gap, dc->s.bkColor);
}

bool IsImage(cairo_surface_t *s) {
  return s && cairo_surface_get_type(s) == CAIRO_SURFACE_TYPE_IMAGE;
}

uint32_t *Pixel(cairo_surface_t *s, int x, int y) {
  return reinterpret_cast<uint32_t *>(cairo_image_surface_get_data(s) +
                                      static_cast<ptrdiff_t>(y) *
                                          cairo_image_surface_get_stride(s)) +
         x;
}

uint32_t ToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
COLORREF ToColor(uint32_t p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

bool UsesSource(DWORD rop) { return ((rop >> 2) & 0x330000) != (rop & 0x330000); }
bool UsesPattern(DWORD rop) { return ((rop >> 4) & 0x0F0000) != (rop & 0x0F0000); }

bool MonoDc(Dc *dc) { return dc->memory && dc->s.bitmap && dc->s.bitmap->bitsPixel == 1; }

// Source pixels of a block, converted as GDI converts between monochrome and
// colour: a white (1) source pixel becomes the destination's background
// colour and a black one its text colour; towards monochrome, pixels of the
// source's background colour become white and all others black.
bool FetchSource(Dc *src, int sx, int sy, int w, int h, Dc *dst, std::vector<uint32_t> &out) {
  if (!IsImage(src->surface))
    return false;
  if (src->memory && src->s.bitmap && src->s.bitmap->shadow)
    LoadShadow(src->s.bitmap);
  cairo_surface_flush(src->surface);
  out.resize(static_cast<size_t>(w) * h);
  bool toColor = MonoDc(src) && !MonoDc(dst);
  bool toMono = !MonoDc(src) && MonoDc(dst);
  uint32_t fg = ToPixel(dst->s.textColor), bg = ToPixel(dst->s.bkColor);
  uint32_t srcBk = ToPixel(src->s.bkColor);
  for (int y = 0; y < h; ++y) {
    const uint32_t *row = Pixel(src->surface, sx, sy + y);
    for (int x = 0; x < w; ++x) {
      uint32_t p = row[x] & 0xFFFFFF;
      if (toColor)
        p = p ? bg : fg;
      else if (toMono)
        p = p == srcBk ? 0xFFFFFF : 0;
      out[static_cast<size_t>(y) * w + x] = p;
    }
  }
  return true;
}

// Applies a ternary raster operation to a device rectangle of dst. src
// (already fetched, w * h pixels) may be empty when the ROP ignores it.
bool ApplyRop(Dc *dst, int x, int y, int w, int h, DWORD rop, const std::vector<uint32_t> &src) {
  if (!IsImage(dst->surface))
    return false;
  cairo_surface_flush(dst->surface);
  uint32_t pat = 0;
  if (UsesPattern(rop)) {
    if (!dst->s.brush || dst->s.brush->null)
      return true;
    pat = ToPixel(dst->s.brush->color);
  }
  unsigned table = (rop >> 16) & 0xFF;
  const cairo_region_t *clip = DeviceClip(dst);
  cairo_rectangle_int_t area{x, y, w, h};
  for (int i = 0, n = cairo_region_num_rectangles(clip); i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(clip, i, &r);
    int l = std::max(r.x, area.x), t = std::max(r.y, area.y);
    int rr = std::min(r.x + r.width, area.x + area.width);
    int b = std::min(r.y + r.height, area.y + area.height);
    for (int py = t; py < b; ++py) {
      uint32_t *row = Pixel(dst->surface, 0, py);
      for (int px = l; px < rr; ++px) {
        uint32_t d = row[px];
        uint32_t s = src.empty() ? 0 : src[static_cast<size_t>(py - y) * w + (px - x)];
        uint32_t result = 0;
        for (unsigned bit = 0; bit < 8; ++bit)
          if (table & (1u << bit))
            result |= ((bit & 4) ? pat : ~pat) & ((bit & 2) ? s : ~s) & ((bit & 1) ? d : ~d);
        row[px] = result & 0xFFFFFF;
      }
    }
  }
  cairo_surface_mark_dirty(dst->surface);
  return true;
}

// Narrows a copy so that it reads only pixels the source may give: returns
// false when nothing is left.
bool ClampToSource(Dc *src, int &x, int &y, int &w, int &h, int &sx, int &sy) {
  const RECT &b = src->bounds;
  if (sx < b.left) {
    x += b.left - sx, w -= b.left - sx, sx = b.left;
  }
  if (sy < b.top) {
    y += b.top - sy, h -= b.top - sy, sy = b.top;
  }
  w = std::min(w, static_cast<int>(b.right) - sx);
  h = std::min(h, static_cast<int>(b.bottom) - sy);
  return w > 0 && h > 0;
}

void Normalize(int &x, int &y, int &w, int &h) {
  if (w < 0)
    x += w, w = -w;
  if (h < 0)
    y += h, h = -h;
}

cairo_surface_t *WrapPixels(std::vector<uint32_t> &px, int w, int h) {
  return cairo_image_surface_create_for_data(reinterpret_cast<unsigned char *>(px.data()),
                                             CAIRO_FORMAT_RGB24, w, h, w * 4);
}

BOOL Blt(Dc *dst, int x, int y, int w, int h, Dc *src, int sx, int sy, DWORD rop) {
  Normalize(x, y, w, h);
  x += dst->origin.x, y += dst->origin.y;
  if (!UsesSource(rop)) {
    Drawing drawing(dst);
    if (rop == BLACKNESS || rop == WHITENESS) {
      FillDevice(dst, x, y, w, h, rop == BLACKNESS ? RGB(0, 0, 0) : RGB(255, 255, 255));
      return TRUE;
    }
    if (rop == PATCOPY) {
      if (dst->s.brush && !dst->s.brush->null)
        FillDevice(dst, x, y, w, h, dst->s.brush->color);
      return TRUE;
    }
    return ApplyRop(dst, x, y, w, h, rop, {}) ? TRUE : FALSE;
  }
  if (!src)
    return FALSE;
  sx += src->origin.x, sy += src->origin.y;
  if (!ClampToSource(src, x, y, w, h, sx, sy))
    return TRUE;
  Drawing drawing(dst);
  cairo_t *cr = Context(dst);
  if (!cr)
    return FALSE;
  bool convert = MonoDc(src) != MonoDc(dst);
  if (rop == SRCCOPY && !convert && src->surface != dst->surface &&
      !(src->memory && src->s.bitmap && src->s.bitmap->shadow)) {
    cairo_save(cr);
    cairo_set_source_surface(cr, src->surface, x - sx, y - sy);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_restore(cr);
    return TRUE;
  }
  std::vector<uint32_t> pixels;
  if (!FetchSource(src, sx, sy, w, h, dst, pixels))
    return FALSE;
  if (rop != SRCCOPY)
    return ApplyRop(dst, x, y, w, h, rop, pixels) ? TRUE : FALSE;
  cairo_surface_t *tmp = WrapPixels(pixels, w, h);
  cairo_save(cr);
  cairo_set_source_surface(cr, tmp, x, y);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_surface_destroy(tmp);
  return TRUE;
}

} // namespace

} // namespace vqwin::gdi

using namespace vqwin::gdi;

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return FALSE;
  if (lppt)
    *lppt = dc->s.pos;
  dc->s.pos = POINT{Coord(x), Coord(y)};
  return TRUE;
}

BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT lppt) {
  Dc *dc = AsDc(hdc);
  if (!dc || !lppt)
    return FALSE;
  *lppt = dc->s.pos;
  return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return FALSE;
  POINT pts[2] = {dc->s.pos, POINT{Coord(x), Coord(y)}};
  {
    Drawing drawing(dc);
    Polyline(dc, pts, 2);
  }
  dc->s.pos = pts[1];
  return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return FALSE;
  left = Coord(left), top = Coord(top), right = Coord(right), bottom = Coord(bottom);
  if (left > right)
    std::swap(left, right);
  if (top > bottom)
    std::swap(top, bottom);
  Drawing drawing(dc);
  int ox = dc->origin.x, oy = dc->origin.y;
  Pen *pen = dc->s.pen;
  bool noPen = !pen || pen->style == PS_NULL;
  // Wide pens draw inside the rectangle (as PS_INSIDEFRAME does); without a
  // pen the fill ends one pixel short on the right and bottom, as on Win32.
  int inset = noPen ? 0 : std::max(1, pen->width);
  Brush *brush = dc->s.brush;
  if (brush && !brush->null) {
    int shrink = noPen ? 1 : inset;
    FillDevice(dc, left + inset + ox, top + inset + oy, right - left - inset - shrink,
               bottom - top - inset - shrink, brush->color);
  }
  if (noPen || right - left < 1 || bottom - top < 1)
    return TRUE;
  if (pen->width > 1) {
    int w = pen->width, cx = right - left, cy = bottom - top;
    FillDevice(dc, left + ox, top + oy, cx, std::min(w, cy), pen->color);
    FillDevice(dc, left + ox, bottom - std::min(w, cy) + oy, cx, std::min(w, cy), pen->color);
    FillDevice(dc, left + ox, top + oy, std::min(w, cx), cy, pen->color);
    FillDevice(dc, right - std::min(w, cx) + ox, top + oy, std::min(w, cx), cy, pen->color);
    return TRUE;
  }
  POINT pts[5] = {
      {left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}};
  if (right - left == 1 || bottom - top == 1) {
    // Degenerate outlines are a single line of pixels.
    FillDevice(dc, left + ox, top + oy, right - left, bottom - top, pen->color);
    return TRUE;
  }
  Polyline(dc, pts, 5);
  return TRUE;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return CLR_INVALID;
  x = Coord(x), y = Coord(y);
  int dx = x + dc->origin.x, dy = y + dc->origin.y;
  if (!cairo_region_contains_point(DeviceClip(dc), dx, dy))
    return CLR_INVALID;
  {
    Drawing drawing(dc);
    FillDevice(dc, dx, dy, 1, 1, color & 0xFFFFFF);
  }
  if (MonoDc(dc))
    return GetPixel(hdc, x, y);
  return color & 0xFFFFFF;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  Dc *dc = AsDc(hdc);
  if (!dc || !IsImage(dc->surface))
    return CLR_INVALID;
  x = Coord(x), y = Coord(y);
  int dx = x + dc->origin.x, dy = y + dc->origin.y;
  if (!cairo_region_contains_point(DeviceClip(dc), dx, dy))
    return CLR_INVALID;
  if (dc->memory && dc->s.bitmap && dc->s.bitmap->shadow)
    LoadShadow(dc->s.bitmap);
  cairo_surface_flush(dc->surface);
  return ToColor(*Pixel(dc->surface, dx, dy));
}

int WINAPI FillRect(HDC hDC, const RECT *lprc, HBRUSH hbr) {
  Dc *dc = AsDc(hDC);
  COLORREF color;
  bool null;
  if (!dc || !lprc || !BrushColor(hbr, &color, &null))
    return 0;
  if (null)
    return 1;
  RECT r = Coord(*lprc);
  // An inverted rectangle fills as a negative extent does on Win32: from
  // the smaller edge plus one up to and including the larger.
  if (r.left > r.right)
    r = RECT{r.right + 1, r.top, r.left + 1, r.bottom};
  if (r.top > r.bottom)
    r = RECT{r.left, r.bottom + 1, r.right, r.top + 1};
  Drawing drawing(dc);
  FillDevice(dc, r.left + dc->origin.x, r.top + dc->origin.y, r.right - r.left, r.bottom - r.top,
             color);
  return 1;
}

int WINAPI FrameRect(HDC hDC, const RECT *lprc, HBRUSH hbr) {
  Dc *dc = AsDc(hDC);
  COLORREF color;
  bool null;
  if (!dc || !lprc || !BrushColor(hbr, &color, &null))
    return 0;
  RECT r = Coord(*lprc);
  int l = r.left + dc->origin.x, t = r.top + dc->origin.y;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (null || w <= 0 || h <= 0)
    return 1;
  Drawing drawing(dc);
  FillDevice(dc, l, t, w, 1, color);
  FillDevice(dc, l, t + h - 1, w, 1, color);
  FillDevice(dc, l, t, 1, h, color);
  FillDevice(dc, l + w - 1, t, 1, h, color);
  return 1;
}

BOOL WINAPI InvertRect(HDC hDC, const RECT *lprc) {
  Dc *dc = AsDc(hDC);
  if (!dc || !lprc)
    return FALSE;
  RECT r = Coord(*lprc);
  return Blt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, 0, 0, DSTINVERT);
}

namespace {

// WHITENESS sets every bit of a pixel: in a 32-bit DIB the fourth byte too,
// which every other drawing call leaves at 0.
void SetFourthBytes(Dc *dc, int x, int y, int w, int h) {
  Bitmap *bm = dc->memory ? dc->s.bitmap : nullptr;
  if (!bm || !bm->dib || bm->shadow || bm->bitsPixel != 32 || !bm->bits || w <= 0 || h <= 0)
    return;
  const cairo_region_t *clip = DeviceClip(dc);
  const int stride = cairo_image_surface_get_stride(bm->surface);
  int left = std::max(x + dc->origin.x, 0), right = std::min(x + dc->origin.x + w, bm->width);
  int top = std::max(y + dc->origin.y, 0), bottom = std::min(y + dc->origin.y + h, bm->height);
  for (int py = top; py < bottom; ++py) {
    auto *row = reinterpret_cast<uint32_t *>(static_cast<unsigned char *>(bm->bits) + py * stride);
    for (int px = left; px < right; ++px)
      if (cairo_region_contains_point(clip, px, py))
        row[px] |= 0xFF000000u;
  }
}

} // namespace

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  Dc *dc = AsDc(hdc);
  if (!dc || UsesSource(rop))
    return FALSE;
  BOOL ok = Blt(dc, Coord(x), Coord(y), Coord(w), Coord(h), nullptr, 0, 0, rop);
  if (ok && rop == WHITENESS)
    SetFourthBytes(dc, Coord(x), Coord(y), Coord(w), Coord(h));
  return ok;
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  Dc *dst = AsDc(hdc);
  Dc *src = hdcSrc ? AsDc(hdcSrc) : nullptr;
  if (!dst || (UsesSource(rop) && !src)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return Blt(dst, Coord(x), Coord(y), Coord(cx), Coord(cy), src, Coord(x1), Coord(y1), rop);
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                       int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
  xDest = Coord(xDest), yDest = Coord(yDest), wDest = Coord(wDest), hDest = Coord(hDest);
  xSrc = Coord(xSrc), ySrc = Coord(ySrc), wSrc = Coord(wSrc), hSrc = Coord(hSrc);
  if (wDest == wSrc && hDest == hSrc)
    return BitBlt(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, rop);
  Dc *dst = AsDc(hdcDest);
  Dc *src = AsDc(hdcSrc);
  // Scaling is offered for plain copies only; no caller needs more.
  if (!dst || !src || rop != SRCCOPY || wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Drawing drawing(dst);
  cairo_t *cr = Context(dst);
  if (!cr)
    return FALSE;
  int sx = xSrc + src->origin.x, sy = ySrc + src->origin.y;
  int bx = sx, by = sy, bw = wSrc, bh = hSrc;
  Normalize(bx, by, bw, bh);
  cairo_surface_t *source = src->surface;
  std::vector<uint32_t> pixels;
  bool copied = MonoDc(src) != MonoDc(dst) || source == dst->surface ||
                (src->memory && src->s.bitmap && src->s.bitmap->shadow);
  int dummyX = 0, dummyY = 0;
  if (copied) {
    int fx = bx, fy = by, fw = bw, fh = bh;
    if (!ClampToSource(src, dummyX, dummyY, fw, fh, fx, fy) || fx != bx || fy != by || fw != bw ||
        fh != bh)
      return FALSE;
    if (!FetchSource(src, bx, by, bw, bh, dst, pixels))
      return FALSE;
    source = WrapPixels(pixels, bw, bh);
    sx -= bx, sy -= by;
  }
  int dx = xDest + dst->origin.x, dy = yDest + dst->origin.y;
  cairo_pattern_t *pattern = cairo_pattern_create_for_surface(source);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  cairo_matrix_t m;
  double scaleX = static_cast<double>(wSrc) / wDest, scaleY = static_cast<double>(hSrc) / hDest;
  cairo_matrix_init(&m, scaleX, 0, 0, scaleY, sx - dx * scaleX, sy - dy * scaleY);
  cairo_pattern_set_matrix(pattern, &m);
  int rx = dx, ry = dy, rw = wDest, rh = hDest;
  Normalize(rx, ry, rw, rh);
  if (!Bound(dst, rx, ry, rw, rh))
    rw = rh = 0;
  cairo_save(cr);
  cairo_set_source(cr, pattern);
  cairo_rectangle(cr, rx, ry, rw, rh);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_pattern_destroy(pattern);
  if (copied)
    cairo_surface_destroy(source);
  return TRUE;
}
