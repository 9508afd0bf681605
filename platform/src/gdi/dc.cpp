// Device contexts: memory DCs over bitmaps, DCs over a window's part of a
// surface (the window manager's seam), their drawing state with SaveDC and
// RestoreDC, clipping, regions, and the device capabilities.
//
// Drawing happens in device pixels of the target surface with an identity
// cairo matrix; every call adds the DC's origin itself. That keeps 1-pixel
// work exact (no transformed half-pixels) and lets block transfers and pixel
// reads address the surface directly. Shapes are drawn without antialiasing,
// as GDI draws them.
#include "gdi_internal.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace vqwin::gdi {

namespace {

// The screen is the window manager's; GDI reports the size it has.
DeviceCaps DisplayCaps() {
  DeviceCaps caps;
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  if (width > 0 && height > 0) {
    caps.horzRes = width;
    caps.vertRes = height;
  }
  return caps;
}

int RegionType(const cairo_region_t *r) {
  if (!r || cairo_region_is_empty(r))
    return NULLREGION;
  return cairo_region_num_rectangles(r) == 1 ? SIMPLEREGION : COMPLEXREGION;
}

cairo_region_t *RectRegion(int l, int t, int r, int b) {
  l = Coord(l), t = Coord(t), r = Coord(r), b = Coord(b);
  if (l > r)
    std::swap(l, r);
  if (t > b)
    std::swap(t, b);
  cairo_rectangle_int_t rc{l, t, r - l, b - t};
  return cairo_region_create_rectangle(&rc);
}

void ReleaseState(DcState &st) {
  Release(st.pen);
  Release(st.brush);
  Release(st.font);
  Release(st.bitmap);
  if (st.clip)
    cairo_region_destroy(st.clip);
  st = DcState{};
}

DcState CopyState(const DcState &st) {
  DcState copy = st;
  Hold(copy.pen);
  Hold(copy.brush);
  Hold(copy.font);
  Hold(copy.bitmap);
  copy.clip = st.clip ? cairo_region_copy(st.clip) : nullptr;
  return copy;
}

void ClipChanged(Dc *dc) { dc->clipDirty = true; }

// The logical region every drawing may reach, for clip calls that start
// from "no clip".
cairo_region_t *LogicalBounds(Dc *dc) {
  return RectRegion(dc->bounds.left - dc->origin.x, dc->bounds.top - dc->origin.y,
                    dc->bounds.right - dc->origin.x, dc->bounds.bottom - dc->origin.y);
}

} // namespace

Dc::~Dc() {
  if (released)
    released(reinterpret_cast<HDC>(this));
  if (s.bitmap && s.bitmap->selectedIn == this)
    s.bitmap->selectedIn = nullptr;
  ReleaseState(s);
  for (auto &st : saved)
    ReleaseState(st);
  if (cr)
    cairo_destroy(cr);
  if (deviceClip)
    cairo_region_destroy(deviceClip);
}

Region::~Region() {
  if (region)
    cairo_region_destroy(region);
}

void InitDcState(Dc *dc) {
  dc->caps = DisplayCaps();
  dc->s.pen = AsPen(Stock(BLACK_PEN));
  dc->s.brush = AsBrush(Stock(WHITE_BRUSH));
  dc->s.font = AsFont(Stock(SYSTEM_FONT));
  Hold(dc->s.pen);
  Hold(dc->s.brush);
  Hold(dc->s.font);
  if (dc->memory) {
    dc->s.bitmap = DefaultBitmap();
    Hold(dc->s.bitmap);
  }
}

void Retarget(Dc *dc) {
  cairo_surface_t *surface = nullptr;
  if (dc->memory) {
    Bitmap *bm = dc->s.bitmap;
    surface = bm ? bm->surface : nullptr;
    dc->origin = dc->s.viewport;
    dc->bounds = RECT{0, 0, bm ? bm->width : 0, bm ? bm->height : 0};
  } else {
    surface = dc->target.surface;
    dc->origin =
        POINT{dc->target.origin.x + dc->s.viewport.x, dc->target.origin.y + dc->s.viewport.y};
    RECT b = dc->target.clip;
    if (cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE) {
      b.left = std::max(b.left, 0);
      b.top = std::max(b.top, 0);
      b.right = std::min(b.right, static_cast<LONG>(cairo_image_surface_get_width(surface)));
      b.bottom = std::min(b.bottom, static_cast<LONG>(cairo_image_surface_get_height(surface)));
    }
    dc->bounds = b;
  }
  if (dc->cr && cairo_get_target(dc->cr) != surface) {
    cairo_destroy(dc->cr);
    dc->cr = nullptr;
  }
  dc->surface = surface;
  ClipChanged(dc);
}

const cairo_region_t *DeviceClip(Dc *dc) {
  if (!dc->clipDirty && dc->deviceClip)
    return dc->deviceClip;
  if (dc->deviceClip)
    cairo_region_destroy(dc->deviceClip);
  RECT b = dc->bounds;
  dc->deviceClip = b.right > b.left && b.bottom > b.top
                       ? RectRegion(b.left, b.top, b.right, b.bottom)
                       : cairo_region_create();
  if (!dc->memory)
    for (const RECT &x : dc->target.excluded) {
      cairo_rectangle_int_t r{x.left, x.top, x.right - x.left, x.bottom - x.top};
      if (r.width > 0 && r.height > 0)
        cairo_region_subtract_rectangle(dc->deviceClip, &r);
    }
  if (dc->s.clip) {
    cairo_region_t *c = cairo_region_copy(dc->s.clip);
    cairo_region_translate(c, dc->origin.x, dc->origin.y);
    cairo_region_intersect(dc->deviceClip, c);
    cairo_region_destroy(c);
  }
  if (dc->cr) {
    cairo_reset_clip(dc->cr);
    int n = cairo_region_num_rectangles(dc->deviceClip);
    for (int i = 0; i < n; ++i) {
      cairo_rectangle_int_t r;
      cairo_region_get_rectangle(dc->deviceClip, i, &r);
      cairo_rectangle(dc->cr, r.x, r.y, r.width, r.height);
    }
    if (n == 0)
      cairo_rectangle(dc->cr, 0, 0, 0, 0);
    cairo_clip(dc->cr);
  }
  dc->clipDirty = false;
  return dc->deviceClip;
}

cairo_t *Context(Dc *dc) {
  if (!dc->surface)
    return nullptr;
  if (!dc->cr) {
    dc->cr = cairo_create(dc->surface);
    if (cairo_status(dc->cr) != CAIRO_STATUS_SUCCESS) {
      cairo_destroy(dc->cr);
      dc->cr = nullptr;
      return nullptr;
    }
    cairo_set_antialias(dc->cr, CAIRO_ANTIALIAS_NONE);
    dc->clipDirty = true;
  }
  if (dc->clipDirty)
    DeviceClip(dc);
  return dc->cr;
}

void SetColor(cairo_t *cr, COLORREF c) { cairo_set_source_rgb(cr, Red(c), Green(c), Blue(c)); }

bool Bound(const Dc *dc, int &x, int &y, int &w, int &h) {
  // cairo's fixed-point coordinates end near 2^23: cut to the DC first.
  long long l = std::max<long long>(x, dc->bounds.left), t = std::max<long long>(y, dc->bounds.top);
  long long r = std::min<long long>(static_cast<long long>(x) + w, dc->bounds.right);
  long long b = std::min<long long>(static_cast<long long>(y) + h, dc->bounds.bottom);
  if (w <= 0 || h <= 0 || r <= l || b <= t)
    return false;
  x = static_cast<int>(l), y = static_cast<int>(t);
  w = static_cast<int>(r - l), h = static_cast<int>(b - t);
  return true;
}

void FillDevice(Dc *dc, int x, int y, int w, int h, COLORREF c) {
  cairo_t *cr = Context(dc);
  if (!cr || !Bound(dc, x, y, w, h))
    return;
  SetColor(cr, c);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
}

Drawing::Drawing(Dc *dc) : bitmap_(nullptr) {
  if (!dc->memory || !dc->s.bitmap)
    return;
  Bitmap *bm = dc->s.bitmap;
  if (bm->shadow) {
    LoadShadow(bm);
    bitmap_ = bm;
  } else if (bm->bitsPixel == 1) {
    bitmap_ = bm;
  } else if (bm->dib) {
    cairo_surface_mark_dirty(bm->surface);
    bitmap_ = bm;
    if (bm->bitsPixel == 32 && bm->bits) {
      const auto *p = static_cast<const uint32_t *>(bm->bits);
      before_.assign(p, p + static_cast<size_t>(bm->width) * bm->height);
    }
  }
}

// GDI leaves the fourth byte of the 32-bit DIB pixels it draws at 0;
// cairo's RGB24 writes 0xFF there. Pixels the call left alone keep theirs.
void ClearAlpha(Bitmap *bm, const std::vector<uint32_t> &before) {
  auto *pixel = static_cast<uint32_t *>(bm->bits);
  for (size_t i = 0; i < before.size(); ++i)
    if (pixel[i] != before[i])
      pixel[i] &= 0x00FFFFFFu;
}

Drawing::~Drawing() {
  if (!bitmap_)
    return;
  cairo_surface_flush(bitmap_->surface);
  if (bitmap_->bitsPixel == 1)
    Threshold(bitmap_);
  if (bitmap_->shadow)
    StoreShadow(bitmap_);
  else if (!before_.empty() &&
           cairo_image_surface_get_stride(bitmap_->surface) == bitmap_->width * 4)
    ClearAlpha(bitmap_, before_);
}

HDC CreateSurfaceDC(const SurfaceTarget &target) {
  if (!target.surface || cairo_surface_status(target.surface) != CAIRO_STATUS_SUCCESS)
    return nullptr;
  auto *dc = new Dc;
  dc->target = target;
  Register(dc);
  InitDcState(dc);
  Retarget(dc);
  return reinterpret_cast<HDC>(dc);
}

HDC CreateDeviceDC(const SurfaceTarget &target, const DeviceInfo &device) {
  HDC hdc = CreateSurfaceDC(target);
  Dc *dc = AsDc(hdc);
  if (!dc)
    return nullptr;
  dc->device = true;
  if (device.logPixelsX > 0 && device.logPixelsY > 0) {
    dc->caps.logPixelsX = device.logPixelsX;
    dc->caps.logPixelsY = device.logPixelsY;
  }
  dc->caps.horzRes = device.horzRes > 0 ? device.horzRes : target.clip.right - target.clip.left;
  dc->caps.vertRes = device.vertRes > 0 ? device.vertRes : target.clip.bottom - target.clip.top;
  dc->caps.technology = device.printer ? DT_RASPRINTER : DT_RASDISPLAY;
  dc->caps.physicalWidth = device.physicalWidth;
  dc->caps.physicalHeight = device.physicalHeight;
  dc->caps.offsetX = device.offsetX;
  dc->caps.offsetY = device.offsetY;
  dc->released = device.released;
  return hdc;
}

BOOL DestroySurfaceDC(HDC hdc) {
  Dc *dc = AsDc(hdc);
  if (!dc || dc->memory)
    return FALSE;
  Destroy(dc);
  return TRUE;
}

const SurfaceTarget *SurfaceOfDC(HDC hdc) {
  Dc *dc = AsDc(hdc);
  return dc && !dc->memory ? &dc->target : nullptr;
}

} // namespace vqwin::gdi

using namespace vqwin::gdi;

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  if (hdc && !AsDc(hdc)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto *dc = new Dc;
  dc->memory = true;
  Register(dc);
  InitDcState(dc);
  Retarget(dc);
  return reinterpret_cast<HDC>(dc);
}

BOOL WINAPI DeleteDC(HDC hdc) {
  Dc *dc = AsDc(hdc);
  // A window's DC goes back through ReleaseDC or EndPaint, never DeleteDC.
  if (!dc || (!dc->memory && !dc->device)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Destroy(dc);
  return TRUE;
}

int WINAPI SaveDC(HDC hdc) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return 0;
  dc->saved.push_back(CopyState(dc->s));
  return static_cast<int>(dc->saved.size());
}

BOOL WINAPI RestoreDC(HDC hdc, int nSavedDC) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return FALSE;
  int depth = static_cast<int>(dc->saved.size());
  int level = nSavedDC < 0 ? depth + 1 + nSavedDC : nSavedDC;
  if (level < 1 || level > depth)
    return FALSE;
  while (static_cast<int>(dc->saved.size()) > level) {
    ReleaseState(dc->saved.back());
    dc->saved.pop_back();
  }
  Bitmap *before = dc->s.bitmap;
  DcState restored = dc->saved.back();
  dc->saved.pop_back();
  Bitmap *after = restored.bitmap;
  if (before && before != after && before->selectedIn == dc)
    before->selectedIn = nullptr;
  if (after && !after->stock)
    after->selectedIn = dc;
  ReleaseState(dc->s);
  dc->s = restored;
  Retarget(dc);
  return TRUE;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return 0;
  const DeviceCaps &c = dc->caps;
  switch (index) {
  case DRIVERVERSION:
    return 0x4000;
  case TECHNOLOGY:
    return c.technology;
  case HORZSIZE:
    return MulDiv(c.horzRes, 254, c.logPixelsX * 10);
  case VERTSIZE:
    return MulDiv(c.vertRes, 254, c.logPixelsY * 10);
  case HORZRES:
    return c.horzRes;
  case VERTRES:
    return c.vertRes;
  case PHYSICALWIDTH:
    return c.physicalWidth > 0 ? c.physicalWidth : c.horzRes;
  case PHYSICALHEIGHT:
    return c.physicalHeight > 0 ? c.physicalHeight : c.vertRes;
  case PHYSICALOFFSETX:
    return c.offsetX;
  case PHYSICALOFFSETY:
    return c.offsetY;
  case BITSPIXEL:
    return c.bitsPixel;
  case PLANES:
    return 1;
  case NUMBRUSHES:
  case NUMPENS:
  case NUMCOLORS:
    return -1;
  case COLORRES:
    return 24;
  case RASTERCAPS:
    return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT;
  case LOGPIXELSX:
    return c.logPixelsX;
  case LOGPIXELSY:
    return c.logPixelsY;
  default:
    return 0;
  }
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return CLR_INVALID;
  return std::exchange(dc->s.textColor, color & 0xFFFFFF);
}

COLORREF WINAPI GetTextColor(HDC hdc) {
  Dc *dc = AsDc(hdc);
  return dc ? dc->s.textColor : CLR_INVALID;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return CLR_INVALID;
  return std::exchange(dc->s.bkColor, color & 0xFFFFFF);
}

COLORREF WINAPI GetBkColor(HDC hdc) {
  Dc *dc = AsDc(hdc);
  return dc ? dc->s.bkColor : CLR_INVALID;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  Dc *dc = AsDc(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return std::exchange(dc->s.bkMode, mode);
}

int WINAPI GetBkMode(HDC hdc) {
  Dc *dc = AsDc(hdc);
  return dc ? dc->s.bkMode : 0;
}

int WINAPI SetROP2(HDC hdc, int rop2) {
  Dc *dc = AsDc(hdc);
  if (!dc || rop2 != R2_COPYPEN) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return std::exchange(dc->s.rop2, rop2);
}

int WINAPI GetROP2(HDC hdc) {
  Dc *dc = AsDc(hdc);
  return dc ? dc->s.rop2 : 0;
}

int WINAPI SetMapMode(HDC hdc, int iMode) {
  Dc *dc = AsDc(hdc);
  if (!dc || iMode != MM_TEXT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return MM_TEXT;
}

int WINAPI GetMapMode(HDC hdc) { return AsDc(hdc) ? MM_TEXT : 0; }

BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return FALSE;
  if (lppt)
    *lppt = dc->s.viewport;
  dc->s.viewport = POINT{Coord(x), Coord(y)};
  Retarget(dc);
  return TRUE;
}

BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT lppoint) {
  Dc *dc = AsDc(hdc);
  if (!dc || !lppoint)
    return FALSE;
  *lppoint = dc->s.viewport;
  return TRUE;
}

BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return FALSE;
  return SetViewportOrgEx(hdc, dc->s.viewport.x + x, dc->s.viewport.y + y, lppt);
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return GDI_ERROR;
  return std::exchange(dc->s.textAlign, align);
}

UINT WINAPI GetTextAlign(HDC hdc) {
  Dc *dc = AsDc(hdc);
  return dc ? dc->s.textAlign : GDI_ERROR;
}

// Regions

HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2) {
  auto *r = new Region;
  r->region = RectRegion(x1, y1, x2, y2);
  Register(r);
  return reinterpret_cast<HRGN>(r);
}

HRGN WINAPI CreateRectRgnIndirect(const RECT *lprect) {
  if (!lprect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateRectRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

BOOL WINAPI SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom) {
  Region *r = AsRegion(hrgn);
  if (!r)
    return FALSE;
  cairo_region_destroy(r->region);
  r->region = RectRegion(left, top, right, bottom);
  return TRUE;
}

int WINAPI CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode) {
  Region *dst = AsRegion(hrgnDst);
  Region *a = AsRegion(hrgnSrc1);
  Region *b = iMode == RGN_COPY ? nullptr : AsRegion(hrgnSrc2);
  if (!dst || !a || (iMode != RGN_COPY && !b) || iMode < RGN_AND || iMode > RGN_COPY)
    return ERROR;
  cairo_region_t *result = cairo_region_copy(a->region);
  switch (iMode) {
  case RGN_AND:
    cairo_region_intersect(result, b->region);
    break;
  case RGN_OR:
    cairo_region_union(result, b->region);
    break;
  case RGN_XOR:
    cairo_region_xor(result, b->region);
    break;
  case RGN_DIFF:
    cairo_region_subtract(result, b->region);
    break;
  default:
    break;
  }
  cairo_region_destroy(dst->region);
  dst->region = result;
  return RegionType(result);
}

int WINAPI OffsetRgn(HRGN hrgn, int x, int y) {
  Region *r = AsRegion(hrgn);
  if (!r)
    return ERROR;
  cairo_region_translate(r->region, Coord(x), Coord(y));
  return RegionType(r->region);
}

int WINAPI GetRgnBox(HRGN hrgn, LPRECT lprc) {
  Region *r = AsRegion(hrgn);
  if (!r || !lprc)
    return ERROR;
  cairo_rectangle_int_t e;
  cairo_region_get_extents(r->region, &e);
  *lprc = RECT{e.x, e.y, e.x + e.width, e.y + e.height};
  return RegionType(r->region);
}

BOOL WINAPI PtInRegion(HRGN hrgn, int x, int y) {
  Region *r = AsRegion(hrgn);
  return r && cairo_region_contains_point(r->region, x, y);
}

BOOL WINAPI RectInRegion(HRGN hrgn, const RECT *lprect) {
  Region *r = AsRegion(hrgn);
  if (!r || !lprect)
    return FALSE;
  RECT c = Coord(*lprect);
  int l = std::min(c.left, c.right), rr = std::max(c.left, c.right);
  int t = std::min(c.top, c.bottom), b = std::max(c.top, c.bottom);
  cairo_rectangle_int_t rc{l, t, rr - l, b - t};
  return cairo_region_contains_rectangle(r->region, &rc) != CAIRO_REGION_OVERLAP_OUT;
}

BOOL WINAPI EqualRgn(HRGN hrgn1, HRGN hrgn2) {
  Region *a = AsRegion(hrgn1);
  Region *b = AsRegion(hrgn2);
  return a && b && cairo_region_equal(a->region, b->region);
}

int WINAPI SelectClipRgn(HDC hdc, HRGN hrgn) {
  Dc *dc = AsDc(hdc);
  Region *r = hrgn ? AsRegion(hrgn) : nullptr;
  if (!dc || (hrgn && !r))
    return ERROR;
  if (dc->s.clip)
    cairo_region_destroy(dc->s.clip);
  dc->s.clip = r ? cairo_region_copy(r->region) : nullptr;
  ClipChanged(dc);
  return r ? RegionType(dc->s.clip) : SIMPLEREGION;
}

int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return ERROR;
  cairo_region_t *rect = RectRegion(left, top, right, bottom);
  if (dc->s.clip) {
    cairo_region_intersect(dc->s.clip, rect);
    cairo_region_destroy(rect);
  } else {
    dc->s.clip = rect;
  }
  ClipChanged(dc);
  return RegionType(dc->s.clip);
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return ERROR;
  if (!dc->s.clip)
    dc->s.clip = LogicalBounds(dc);
  cairo_region_t *rect = RectRegion(left, top, right, bottom);
  cairo_region_subtract(dc->s.clip, rect);
  cairo_region_destroy(rect);
  ClipChanged(dc);
  return RegionType(dc->s.clip);
}

int WINAPI GetClipBox(HDC hdc, LPRECT lprect) {
  Dc *dc = AsDc(hdc);
  if (!dc || !lprect)
    return ERROR;
  const cairo_region_t *clip = DeviceClip(dc);
  cairo_rectangle_int_t e;
  cairo_region_get_extents(clip, &e);
  *lprect = RECT{e.x - dc->origin.x, e.y - dc->origin.y, e.x + e.width - dc->origin.x,
                 e.y + e.height - dc->origin.y};
  if (e.width == 0 || e.height == 0)
    *lprect = RECT{0, 0, 0, 0};
  return RegionType(clip);
}
