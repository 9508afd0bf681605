// Bitmaps: device-dependent bitmaps, DIB sections, conversion between DIB
// bits and surfaces, and PNG output of bitmaps and DCs.
//
// Every bitmap draws through a CAIRO_FORMAT_RGB24 image surface, whose pixel
// (0x00RRGGBB in a native 32-bit word) is byte for byte a 32-bit BI_RGB DIB
// pixel on a little-endian machine. A 32-bit DIB section therefore hands its
// caller the surface's own memory, bottom-up ones through a negative stride.
// A 24-bit DIB section cannot: it keeps a shadow surface that is loaded from
// the caller's bits before each drawing call and stored back after it.
// Monochrome bitmaps hold only black and white pixels.
#include "backend/backend.h"
#include "gdi_internal.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace vqwin::gdi {

namespace {

// Large enough for any bitmap the library draws, small enough that a bad
// header cannot make us allocate gigabytes.
constexpr int64_t kMaxPixels = 64LL * 1024 * 1024;

int DibStride(int width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; }

bool SizeOk(int64_t w, int64_t h) { return w > 0 && h > 0 && w * h <= kMaxPixels; }

uint32_t *Row(cairo_surface_t *s, int y) {
  return reinterpret_cast<uint32_t *>(cairo_image_surface_get_data(s) +
                                      static_cast<ptrdiff_t>(y) *
                                          cairo_image_surface_get_stride(s));
}

int MaskShift(DWORD mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

// Scales a masked channel to 8 bits.
uint32_t Channel(DWORD pixel, DWORD mask) {
  if (!mask)
    return 0;
  int shift = MaskShift(mask);
  DWORD m = mask >> shift;
  return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / m);
}

struct DibFormat {
  int width = 0, height = 0; // height positive
  bool topDown = false;
  int bitCount = 0;
  int stride = 0;
  const RGBQUAD *palette = nullptr;
  int paletteSize = 0;
  DWORD masks[3] = {0, 0, 0};
};

bool ParseDib(const BITMAPINFO *bmi, UINT usage, DibFormat *f) {
  if (!bmi || bmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || usage != DIB_RGB_COLORS)
    return false;
  const BITMAPINFOHEADER &h = bmi->bmiHeader;
  int64_t height = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
  if (!SizeOk(h.biWidth, height) || h.biPlanes != 1)
    return false;
  f->width = h.biWidth;
  f->height = static_cast<int>(height);
  f->topDown = h.biHeight < 0;
  f->bitCount = h.biBitCount;
  f->stride = DibStride(f->width, f->bitCount);
  const auto *extra =
      reinterpret_cast<const unsigned char *>(bmi) + h.biSize; // masks or palette follow
  switch (h.biBitCount) {
  case 1:
  case 4:
  case 8:
    if (h.biCompression != BI_RGB)
      return false;
    f->paletteSize = h.biClrUsed ? static_cast<int>(h.biClrUsed) : 1 << h.biBitCount;
    if (f->paletteSize > (1 << h.biBitCount))
      return false;
    f->palette = reinterpret_cast<const RGBQUAD *>(extra);
    return true;
  case 16:
  case 32:
    if (h.biCompression == BI_BITFIELDS) {
      std::memcpy(f->masks, extra, sizeof f->masks);
    } else if (h.biCompression == BI_RGB) {
      if (h.biBitCount == 16) {
        f->masks[0] = 0x7C00, f->masks[1] = 0x03E0, f->masks[2] = 0x001F;
      } else {
        f->masks[0] = 0xFF0000, f->masks[1] = 0xFF00, f->masks[2] = 0xFF;
      }
    } else {
      return false;
    }
    return true;
  case 24:
    return h.biCompression == BI_RGB;
  default:
    return false;
  }
}

uint32_t PaletteColor(const DibFormat &f, unsigned index) {
  if (static_cast<int>(index) >= f.paletteSize)
    return 0;
  const RGBQUAD &q = f.palette[index];
  return (uint32_t{q.rgbRed} << 16) | (uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
}

void DecodeRow(const DibFormat &f, const unsigned char *src, uint32_t *dst, int width) {
  for (int x = 0; x < width; ++x) {
    switch (f.bitCount) {
    case 1:
      dst[x] = PaletteColor(f, (src[x >> 3] >> (7 - (x & 7))) & 1);
      break;
    case 4:
      dst[x] = PaletteColor(f, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
      break;
    case 8:
      dst[x] = PaletteColor(f, src[x]);
      break;
    case 24:
      dst[x] = (uint32_t{src[3 * x + 2]} << 16) | (uint32_t{src[3 * x + 1]} << 8) | src[3 * x];
      break;
    default: {
      DWORD p = 0;
      if (f.bitCount == 16)
        p = src[2 * x] | (src[2 * x + 1] << 8);
      else
        std::memcpy(&p, src + 4 * x, 4);
      dst[x] =
          (Channel(p, f.masks[0]) << 16) | (Channel(p, f.masks[1]) << 8) | Channel(p, f.masks[2]);
    }
    }
  }
}

void EncodeRow(int bitCount, const uint32_t *src, unsigned char *dst, int width) {
  for (int x = 0; x < width; ++x) {
    uint32_t p = src[x];
    if (bitCount == 24) {
      dst[3 * x] = p & 0xFF;
      dst[3 * x + 1] = (p >> 8) & 0xFF;
      dst[3 * x + 2] = (p >> 16) & 0xFF;
    } else {
      uint32_t v = p & 0xFFFFFF;
      std::memcpy(dst + 4 * x, &v, 4);
    }
  }
}

// Copies DIB scan lines [start, start + lines) into the surface; scan 0 is
// the bottom row of a bottom-up DIB and the top row of a top-down one.
int DecodeInto(const DibFormat &f, const void *bits, int start, int lines, Bitmap *bm) {
  cairo_surface_flush(bm->surface);
  int copied = 0;
  for (int i = 0; i < lines; ++i) {
    int scan = start + i;
    if (scan < 0 || scan >= f.height || scan >= bm->height)
      continue;
    int y = f.topDown ? scan : bm->height - 1 - scan;
    if (y < 0 || y >= bm->height)
      continue;
    const auto *src =
        static_cast<const unsigned char *>(bits) + static_cast<ptrdiff_t>(i) * f.stride;
    DecodeRow(f, src, Row(bm->surface, y), f.width < bm->width ? f.width : bm->width);
    ++copied;
  }
  cairo_surface_mark_dirty(bm->surface);
  return copied;
}

cairo_surface_t *Surface(int width, int height) {
  cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  return s;
}

bool IsMonoDc(HDC hdc) {
  Dc *dc = AsDc(hdc);
  return dc && dc->memory && dc->s.bitmap && dc->s.bitmap->bitsPixel == 1;
}

bool WritePng(cairo_surface_t *surface, int x, int y, int w, int h, const char *path) {
  if (!surface || !path || w <= 0 || h <= 0)
    return false;
  cairo_surface_t *copy = Surface(w, h);
  if (!copy)
    return false;
  cairo_t *cr = cairo_create(copy);
  cairo_set_source_surface(cr, surface, -x, -y);
  cairo_paint(cr);
  cairo_destroy(cr);
  bool ok = cairo_surface_write_to_png(copy, path) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(copy);
  return ok;
}

} // namespace

Bitmap::~Bitmap() {
  if (surface)
    cairo_surface_destroy(surface);
}

Bitmap *NewBitmap(int width, int height, int bitsPixel) {
  if (!SizeOk(width, height)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  cairo_surface_t *s = Surface(width, height);
  if (!s) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto *bm = new Bitmap;
  bm->width = width;
  bm->height = height;
  bm->bitsPixel = bitsPixel;
  bm->surface = s;
  Register(bm);
  return bm;
}

void LoadShadow(Bitmap *bm) {
  DibFormat f;
  // Room behind the header for the masks or palette that ParseDib reads
  // for other formats: DIB sections are BI_RGB at 24 or 32 bits, so it
  // never does, but the header alone would let it read past its end.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info{};
  info.header = bm->header;
  if (!ParseDib(reinterpret_cast<const BITMAPINFO *>(&info), DIB_RGB_COLORS, &f))
    return;
  DecodeInto(f, bm->bits, 0, f.height, bm);
}

void StoreShadow(Bitmap *bm) {
  cairo_surface_flush(bm->surface);
  int stride = DibStride(bm->width, bm->bitsPixel);
  for (int y = 0; y < bm->height; ++y) {
    int row = bm->topDown ? y : bm->height - 1 - y;
    EncodeRow(bm->bitsPixel, Row(bm->surface, y),
              static_cast<unsigned char *>(bm->bits) + static_cast<ptrdiff_t>(row) * stride,
              bm->width);
  }
}

void Threshold(Bitmap *bm) {
  cairo_surface_flush(bm->surface);
  for (int y = 0; y < bm->height; ++y) {
    uint32_t *row = Row(bm->surface, y);
    for (int x = 0; x < bm->width; ++x) {
      uint32_t p = row[x];
      unsigned luma = (((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
      row[x] = luma >= 128 ? 0xFFFFFF : 0;
    }
  }
  cairo_surface_mark_dirty(bm->surface);
}

} // namespace vqwin::gdi

using namespace vqwin::gdi;

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  if (!AsDc(hdc)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // Win32 answers an empty size with its 1x1 monochrome default bitmap, and
  // a memory DC still holding that bitmap makes monochrome bitmaps.
  if (cx == 0 || cy == 0)
    return reinterpret_cast<HBITMAP>(DefaultBitmap());
  return reinterpret_cast<HBITMAP>(NewBitmap(cx, cy, IsMonoDc(hdc) ? 1 : 32));
}

HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount,
                            const VOID *lpBits) {
  if (nWidth == 0 || nHeight == 0)
    return reinterpret_cast<HBITMAP>(DefaultBitmap());
  if (nPlanes != 1 || (nBitCount != 1 && nBitCount != 32)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Bitmap *bm = NewBitmap(nWidth, nHeight, static_cast<int>(nBitCount));
  if (!bm || !lpBits)
    return reinterpret_cast<HBITMAP>(bm);
  // Device-dependent bits come in word-aligned rows, top row first; a set
  // monochrome bit is white.
  const auto *src = static_cast<const unsigned char *>(lpBits);
  int stride = ((nWidth * static_cast<int>(nBitCount) + 15) / 16) * 2;
  for (int y = 0; y < nHeight; ++y, src += stride) {
    uint32_t *dst = Row(bm->surface, y);
    for (int x = 0; x < nWidth; ++x) {
      if (nBitCount == 1) {
        dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1 ? 0xFFFFFF : 0;
      } else {
        uint32_t p;
        std::memcpy(&p, src + 4 * x, 4);
        dst[x] = p & 0xFFFFFF;
      }
    }
  }
  cairo_surface_mark_dirty(bm->surface);
  return reinterpret_cast<HBITMAP>(bm);
}

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO *pbmi, UINT usage, VOID **ppvBits,
                                HANDLE hSection, DWORD offset) {
  (void)hdc;
  (void)offset;
  if (ppvBits)
    *ppvBits = nullptr;
  DibFormat f;
  if (hSection || !ParseDib(pbmi, usage, &f) || (f.bitCount != 24 && f.bitCount != 32) ||
      pbmi->bmiHeader.biCompression != BI_RGB) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto bits = std::unique_ptr<unsigned char[]>(
      new (std::nothrow) unsigned char[static_cast<size_t>(f.stride) * f.height]());
  if (!bits) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  cairo_surface_t *surface;
  if (f.bitCount == 32) {
    unsigned char *first =
        f.topDown ? bits.get() : bits.get() + static_cast<ptrdiff_t>(f.height - 1) * f.stride;
    surface = cairo_image_surface_create_for_data(first, CAIRO_FORMAT_RGB24, f.width, f.height,
                                                  f.topDown ? f.stride : -f.stride);
  } else {
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, f.width, f.height);
  }
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto *bm = new Bitmap;
  bm->width = f.width;
  bm->height = f.height;
  bm->bitsPixel = f.bitCount;
  bm->surface = surface;
  bm->dib = true;
  bm->shadow = f.bitCount != 32;
  bm->topDown = f.topDown;
  bm->bits = bits.get();
  bm->ownedBits = std::move(bits);
  bm->header = pbmi->bmiHeader;
  bm->header.biSize = sizeof(BITMAPINFOHEADER);
  bm->header.biSizeImage = static_cast<DWORD>(f.stride) * f.height;
  Register(bm);
  if (ppvBits)
    *ppvBits = bm->bits;
  return reinterpret_cast<HBITMAP>(bm);
}

int WINAPI SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const VOID *lpBits,
                     const BITMAPINFO *lpbmi, UINT ColorUse) {
  (void)hdc;
  Bitmap *bm = AsBitmap(hbm);
  DibFormat f;
  if (!bm || bm->stock || !lpBits || !ParseDib(lpbmi, ColorUse, &f) || start > 0x7FFFFFFF ||
      cLines > 0x7FFFFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (bm->shadow)
    LoadShadow(bm);
  int n = DecodeInto(f, lpBits, static_cast<int>(start), static_cast<int>(cLines), bm);
  if (bm->bitsPixel == 1)
    Threshold(bm);
  if (bm->shadow)
    StoreShadow(bm);
  return n;
}

HBITMAP WINAPI CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER *pbmih, DWORD flInit,
                              const VOID *pjBits, const BITMAPINFO *pbmi, UINT iUsage) {
  if (!pbmih || (hdc && !AsDc(hdc))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Without a DC there is no format to be compatible with: a monochrome DIB
  // stays monochrome, everything else becomes a colour bitmap.
  bool mono = hdc ? IsMonoDc(hdc) : pbmih->biBitCount == 1;
  int height = pbmih->biHeight < 0 ? -pbmih->biHeight : pbmih->biHeight;
  Bitmap *bm = NewBitmap(pbmih->biWidth, height, mono ? 1 : 32);
  if (!bm)
    return nullptr;
  if ((flInit & CBM_INIT) && pjBits &&
      SetDIBits(hdc, reinterpret_cast<HBITMAP>(bm), 0, static_cast<UINT>(height), pjBits, pbmi,
                iUsage) == 0) {
    Destroy(bm);
    return nullptr;
  }
  return reinterpret_cast<HBITMAP>(bm);
}

int WINAPI GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits,
                     LPBITMAPINFO lpbmi, UINT usage) {
  Bitmap *bm = AsBitmap(hbm);
  if (!AsDc(hdc) || !bm || !lpbmi || usage != DIB_RGB_COLORS ||
      lpbmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  BITMAPINFOHEADER &h = lpbmi->bmiHeader;
  if (!lpvBits) {
    if (h.biBitCount == 0) {
      h.biWidth = bm->width;
      h.biHeight = bm->height;
      h.biPlanes = 1;
      h.biBitCount = static_cast<WORD>(bm->bitsPixel);
      h.biCompression = BI_RGB;
      h.biSizeImage = static_cast<DWORD>(DibStride(bm->width, bm->bitsPixel)) * bm->height;
    }
    return bm->height;
  }
  int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if ((h.biBitCount != 24 && h.biBitCount != 32) || h.biCompression != BI_RGB ||
      h.biWidth != bm->width || height != bm->height) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (bm->shadow)
    LoadShadow(bm);
  cairo_surface_flush(bm->surface);
  int stride = DibStride(bm->width, h.biBitCount);
  int copied = 0;
  for (UINT i = 0; i < cLines; ++i) {
    int64_t scan = static_cast<int64_t>(start) + i;
    if (scan >= bm->height)
      break;
    int y = h.biHeight < 0 ? static_cast<int>(scan) : bm->height - 1 - static_cast<int>(scan);
    EncodeRow(h.biBitCount, Row(bm->surface, y),
              static_cast<unsigned char *>(lpvBits) + static_cast<ptrdiff_t>(i) * stride,
              bm->width);
    ++copied;
  }
  return copied;
}

// Drawing is never batched here; what waits is a display still showing
// earlier frames.
BOOL WINAPI GdiFlush(void) {
  vqwin::backend::Current().Finish();
  return TRUE;
}

BOOL WINAPI vqwinGdiSaveBitmapPng(HBITMAP hbm, const char *path) {
  Bitmap *bm = AsBitmap(hbm);
  if (!bm)
    return FALSE;
  if (bm->shadow)
    LoadShadow(bm);
  return WritePng(bm->surface, 0, 0, bm->width, bm->height, path);
}

BOOL WINAPI vqwinGdiSavePng(HDC hdc, const char *path) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return FALSE;
  if (dc->memory)
    return dc->s.bitmap ? vqwinGdiSaveBitmapPng(reinterpret_cast<HBITMAP>(dc->s.bitmap), path)
                        : FALSE;
  const RECT &b = dc->bounds;
  cairo_surface_flush(dc->surface);
  return WritePng(dc->surface, b.left, b.top, b.right - b.left, b.bottom - b.top, path);
}
