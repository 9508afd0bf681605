// DrawIcon and DrawIconEx. An icon from a module is a packed DIB: the
// colour image over its AND mask, each pixel shown as (screen AND mask) XOR
// colour, or blended by its alpha when a 32-bit image carries one. The
// pixels under the icon are read into a memory bitmap, combined there and
// put back, so the same code serves windows, bitmaps and printed pages.
//
// System icons (IDI_*) have no image: they are drawn as plain discs with
// their sign in the icon's classic colour, the same picture message boxes
// show. System cursors are not drawn.
#include "resource/cursor_object.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vqwin::resource {
namespace {

constexpr int kDefaultIconSize = 32; // SM_CXICON

void FillDisc(HDC dc, const RECT &r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  int d = std::min(r.right - r.left, r.bottom - r.top);
  double radius = d / 2.0;
  for (int y = 0; y < d; ++y) {
    double dy = y + 0.5 - radius;
    double half = radius * radius - dy * dy;
    if (half <= 0)
      continue;
    int dx = 0;
    while ((dx + 0.5) * (dx + 0.5) < half)
      ++dx;
    RECT row{r.left + static_cast<int>(radius) - dx, r.top + y,
             r.left + static_cast<int>(radius) + dx, r.top + y + 1};
    FillRect(dc, &row, brush);
  }
  DeleteObject(brush);
}

// The warning sign: a triangle on its base, apex up, outlined in black.
void FillTriangle(HDC dc, const RECT &r, COLORREF color) {
  HBRUSH black = CreateSolidBrush(RGB(0, 0, 0)), fill = CreateSolidBrush(color);
  const int d = std::min(r.right - r.left, r.bottom - r.top);
  const double centre = d / 2.0, outline = 1.5;
  for (int y = 0; y < d; ++y) {
    const double half = (y + 1) / 2.0;
    for (int pass = 0; pass < 2; ++pass) {
      const double h = pass == 0 ? half : half - outline;
      if (pass == 1 && (y < 3 || y >= d - 2))
        continue;
      int from = d, to = 0;
      for (int x = 0; x < d; ++x)
        if (std::abs(x + 0.5 - centre) < h) {
          from = std::min(from, x);
          to = x + 1;
        }
      if (from < to) {
        RECT row{r.left + from, r.top + y, r.left + to, r.top + y + 1};
        FillRect(dc, &row, pass == 0 ? black : fill);
      }
    }
  }
  DeleteObject(black);
  DeleteObject(fill);
}

// The application icons are a small window: white, framed, a blue title.
void DrawWindowShape(HDC dc, const RECT &r) {
  int dx = (r.right - r.left) / 8, dy = (r.bottom - r.top) / 8;
  RECT inner{r.left + dx, r.top + dy, r.right - dx, r.bottom - dy};
  FillRect(dc, &inner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FrameRect(dc, &inner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT title{inner.left + 1, inner.top + 1, inner.right - 1,
             inner.top + 1 + (inner.bottom - inner.top) / 5};
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 128));
  FillRect(dc, &title, blue);
  DeleteObject(blue);
}

bool DrawSystemIcon(HDC dc, const RECT &r, WORD id) {
  COLORREF disc, sign;
  const char *mark;
  switch (id) {
  case 32513: // IDI_HAND
    disc = RGB(255, 0, 0), sign = RGB(255, 255, 255), mark = "X";
    break;
  case 32514: // IDI_QUESTION
    disc = RGB(255, 255, 255), sign = RGB(0, 0, 255), mark = "?";
    break;
  case 32515: // IDI_EXCLAMATION
    disc = RGB(255, 255, 0), sign = RGB(0, 0, 0), mark = "!";
    break;
  case 32516: // IDI_ASTERISK
    disc = RGB(0, 0, 255), sign = RGB(255, 255, 255), mark = "i";
    break;
  default:
    DrawWindowShape(dc, r);
    return true;
  }
  int size = std::min(r.right - r.left, r.bottom - r.top);
  RECT box = r;
  if (id == 32515) {
    FillTriangle(dc, r, disc);
    box.top += size / 6; // the sign sits in the triangle's wider part
  } else {
    FillDisc(dc, r, disc);
  }
  HFONT font =
      CreateFontA(-MulDiv(size, 22, 32), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
  HGDIOBJ old = SelectObject(dc, font);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = SetTextColor(dc, sign);
  DrawTextA(dc, mark, 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  SelectObject(dc, old);
  DeleteObject(font);
  return true;
}

// A 32-bit top-down DIB section and a memory DC holding it.
struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t *bits = nullptr;
  Canvas(int w, int h) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void *p = nullptr;
    bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t *>(p);
    dc = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
    if (dc)
      old = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    if (dc) {
      SelectObject(dc, old);
      DeleteDC(dc);
    }
    if (bitmap)
      DeleteObject(bitmap);
  }
  Canvas(const Canvas &) = delete;
  Canvas &operator=(const Canvas &) = delete;
  bool ok() const { return dc && bits; }
};

// The icon's pixels as 0xAARRGGBB, its mask as 0 / 1, decoded by GDI from
// the packed DIB.
struct IconPixels {
  int width = 0, height = 0;
  std::vector<uint32_t> color;
  std::vector<uint8_t> mask;
  bool alpha = false;
};

bool Decode(const CursorImage &image, IconPixels &out) {
  if (!image.dib || image.dibSize < sizeof(BITMAPINFOHEADER))
    return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, image.dib, sizeof h);
  int w = h.biWidth, ht = h.biHeight / 2;
  if (w <= 0 || ht <= 0 || w > 1024 || ht > 1024 || h.biCompression != BI_RGB)
    return false;
  int colors = h.biBitCount <= 8 ? (h.biClrUsed ? int(h.biClrUsed) : 1 << h.biBitCount) : 0;
  size_t headerSize = h.biSize + size_t(colors) * sizeof(RGBQUAD);
  size_t colorStride = size_t((w * h.biBitCount + 31) / 32) * 4,
         maskStride = size_t((w + 31) / 32) * 4;
  if (h.biSize < sizeof h || headerSize + colorStride * ht + maskStride * ht > image.dibSize)
    return false;
  const BYTE *colorBits = image.dib + headerSize;
  const BYTE *maskBits = colorBits + colorStride * ht;
  std::vector<BYTE> info(headerSize);
  std::memcpy(info.data(), image.dib, headerSize);
  auto *bmi = reinterpret_cast<BITMAPINFO *>(info.data());
  bmi->bmiHeader.biHeight = ht;
  Canvas color(w, ht), mask(w, ht);
  if (!color.ok() || !mask.ok() || !SetDIBits(nullptr, color.bitmap, 0, ht, colorBits, bmi, 0))
    return false;
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  } mono{};
  mono.header = bmi->bmiHeader;
  mono.header.biSize = sizeof(BITMAPINFOHEADER);
  mono.header.biBitCount = 1;
  mono.header.biClrUsed = 0;
  mono.colors[1] = RGBQUAD{255, 255, 255, 0};
  if (!SetDIBits(nullptr, mask.bitmap, 0, ht, maskBits, reinterpret_cast<BITMAPINFO *>(&mono), 0))
    return false;
  GdiFlush();
  out.width = w, out.height = ht;
  out.color.assign(color.bits, color.bits + size_t(w) * ht);
  out.mask.resize(size_t(w) * ht);
  for (size_t i = 0; i < out.mask.size(); ++i)
    out.mask[i] = (mask.bits[i] & 0xFFFFFF) != 0;
  // GDI keeps no alpha, so a 32-bit image's alpha is read from the DIB.
  if (h.biBitCount == 32)
    for (int y = 0; y < ht; ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t a = colorBits[colorStride * (ht - 1 - y) + size_t(x) * 4 + 3];
        out.color[size_t(y) * w + x] = (out.color[size_t(y) * w + x] & 0xFFFFFF) | (a << 24);
        out.alpha |= a != 0;
      }
  return true;
}

uint32_t Blend(uint32_t under, uint32_t over) {
  uint32_t a = over >> 24, out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t u = (under >> shift) & 0xFF, o = (over >> shift) & 0xFF;
    out |= ((o * a + u * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

uint32_t Combine(uint32_t under, const IconPixels &p, size_t i, UINT flags) {
  uint32_t color = p.color[i] & 0xFFFFFF;
  if ((flags & DI_NORMAL) == DI_IMAGE)
    return p.alpha ? Blend(under, p.color[i]) : color;
  if ((flags & DI_NORMAL) == DI_MASK)
    return p.mask[i] ? under : 0;
  if (p.alpha)
    return Blend(under, p.color[i]);
  return ((p.mask[i] ? under : 0) ^ color) & 0xFFFFFF;
}

bool DrawImage(HDC dc, int x, int y, int cx, int cy, const IconPixels &p, HBRUSH background,
               UINT flags) {
  Canvas canvas(cx, cy);
  if (!canvas.ok())
    return false;
  if (background) {
    RECT all{0, 0, cx, cy};
    FillRect(canvas.dc, &all, background);
  } else {
    BitBlt(canvas.dc, 0, 0, cx, cy, dc, x, y, SRCCOPY);
  }
  GdiFlush();
  for (int ty = 0; ty < cy; ++ty)
    for (int tx = 0; tx < cx; ++tx) {
      size_t i = size_t(ty * p.height / cy) * p.width + size_t(tx * p.width / cx);
      uint32_t &under = canvas.bits[size_t(ty) * cx + tx];
      under = Combine(under, p, i, flags);
    }
  return BitBlt(dc, x, y, cx, cy, canvas.dc, 0, 0, SRCCOPY);
}

} // namespace
} // namespace vqwin::resource

using namespace vqwin::resource;

BOOL WINAPI DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step,
                       HBRUSH background, UINT flags) {
  CursorImage image;
  if (!DescribeCursor(icon, &image)) {
    SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    return FALSE;
  }
  if (!hdc || step != 0 || !(flags & DI_NORMAL)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int natural = image.width > 0 ? image.width : kDefaultIconSize;
  int naturalH = image.height > 0 ? image.height : kDefaultIconSize;
  if (cx == 0)
    cx = (flags & DI_DEFAULTSIZE) ? kDefaultIconSize : natural;
  if (cy == 0)
    cy = (flags & DI_DEFAULTSIZE) ? kDefaultIconSize : naturalH;
  if (cx < 0 || cy < 0 || cx > 4096 || cy > 4096) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (image.system) {
    if (!image.icon) {
      SetLastError(ERROR_NOT_SUPPORTED);
      return FALSE;
    }
    RECT r{x, y, x + cx, y + cy};
    if (background)
      FillRect(hdc, &r, background);
    return DrawSystemIcon(hdc, r, image.systemId);
  }
  IconPixels pixels;
  if (!Decode(image, pixels)) {
    SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    return FALSE;
  }
  return DrawImage(hdc, x, y, cx, cy, pixels, background, flags);
}

BOOL WINAPI DrawIcon(HDC hdc, int x, int y, HICON icon) {
  return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_COMPAT | DI_DEFAULTSIZE);
}
