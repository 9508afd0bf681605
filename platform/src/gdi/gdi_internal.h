// What the GDI sources share: the object records behind every handle, the
// registry that tells live handles from stale ones, and the device context
// with its drawing state. Handles are the addresses of these records; no
// call trusts a handle before the registry has vouched for it, so a deleted
// or made-up handle fails the call instead of touching freed memory.
#ifndef VQWIN_GDI_INTERNAL_H
#define VQWIN_GDI_INTERNAL_H

#include <windows.h>

#include "surface_dc.h"
#include "vqwin_gdi_test.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vqwin::gdi {

enum class Kind : unsigned char { Pen, Brush, Font, Bitmap, Region, Dc };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Object(const Object &) = delete;
  Object &operator=(const Object &) = delete;

  Kind kind;
  bool stock = false;  // stock and system-colour objects outlive DeleteObject
  int holds = 0;       // selections in DCs and their saved states
  bool doomed = false; // deleted while selected: freed when the last hold goes
};

struct Brush : Object {
  Brush() : Object(Kind::Brush) {}
  bool null = false;
  COLORREF color = 0;
};

struct Pen : Object {
  Pen() : Object(Kind::Pen) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
};

struct FontInstance;

struct Font : Object {
  Font() : Object(Kind::Font) {}
  LOGFONTW lf{};
  FontInstance *instance = nullptr; // realised on first use, shared and cached
};

struct Dc;

struct Bitmap : Object {
  Bitmap() : Object(Kind::Bitmap) {}
  ~Bitmap() override;
  int width = 0, height = 0;
  int bitsPixel = 32;                 // what GetObject reports: 1, 24 or 32
  cairo_surface_t *surface = nullptr; // always CAIRO_FORMAT_RGB24
  // DIB sections: the caller's view of the pixels. For 32-bit DIBs the
  // surface draws straight into it; other depths keep a shadow surface that
  // is loaded before and stored after every drawing call.
  bool dib = false;
  bool shadow = false;
  bool topDown = false;
  void *bits = nullptr;
  std::unique_ptr<unsigned char[]> ownedBits;
  BITMAPINFOHEADER header{};
  Dc *selectedIn = nullptr;
};

struct Region : Object {
  Region() : Object(Kind::Region) {}
  ~Region() override;
  cairo_region_t *region = nullptr;
};

struct DeviceCaps {
  int horzRes = 1280, vertRes = 1024;
  int logPixelsX = 96, logPixelsY = 96;
  int bitsPixel = 32;
  int technology = DT_RASDISPLAY;
  int physicalWidth = 0, physicalHeight = 0; // 0: as HORZRES and VERTRES
  int offsetX = 0, offsetY = 0;
};

// Everything SaveDC keeps. The clip is in logical coordinates and owned.
struct DcState {
  Pen *pen = nullptr;
  Brush *brush = nullptr;
  Font *font = nullptr;
  Bitmap *bitmap = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  UINT textAlign = TA_LEFT | TA_TOP;
  POINT pos{0, 0};
  POINT viewport{0, 0}; // where logical (0, 0) lies in device space
  int rop2 = R2_COPYPEN;
  cairo_region_t *clip = nullptr; // NULL: no clip region selected
};

struct Dc : Object {
  Dc() : Object(Kind::Dc) {}
  ~Dc() override;
  bool memory = false;
  bool device = false; // made by CreateDeviceDC: DeleteDC frees it
  void (*released)(HDC dc) = nullptr;
  SurfaceTarget target;
  DeviceCaps caps;
  DcState s;
  std::vector<DcState> saved;

  // Derived drawing target: the surface, where logical (0, 0) lies on it,
  // and the device-space rectangle that may be drawn.
  cairo_surface_t *surface = nullptr;
  POINT origin{0, 0};
  RECT bounds{0, 0, 0, 0};
  cairo_t *cr = nullptr;
  cairo_region_t *deviceClip = nullptr; // bounds and clip, in surface pixels
  bool clipDirty = true;
};

// Coordinates are limited to 27 bits, as Win32 GDI limits them, so that no
// sum of a coordinate, a size and an origin can overflow.
constexpr int kMaxCoord = (1 << 27) - 1;
inline int Coord(long long v) {
  return v < -kMaxCoord ? -kMaxCoord : v > kMaxCoord ? kMaxCoord : static_cast<int>(v);
}
inline RECT Coord(const RECT &r) {
  return RECT{Coord(r.left), Coord(r.top), Coord(r.right), Coord(r.bottom)};
}
// Longest text drawn or measured in one call.
constexpr int kMaxText = 1 << 20;

// Registry
void Register(Object *o);
Object *Lookup(const void *handle);
template <class T> T *As(const void *handle, Kind k) {
  Object *o = Lookup(handle);
  return o && o->kind == k ? static_cast<T *>(o) : nullptr;
}
inline Dc *AsDc(HDC h) { return As<Dc>(h, Kind::Dc); }
inline Brush *AsBrush(const void *h) { return As<Brush>(h, Kind::Brush); }
inline Pen *AsPen(const void *h) { return As<Pen>(h, Kind::Pen); }
inline Font *AsFont(const void *h) { return As<Font>(h, Kind::Font); }
inline Bitmap *AsBitmap(const void *h) { return As<Bitmap>(h, Kind::Bitmap); }
inline Region *AsRegion(const void *h) { return As<Region>(h, Kind::Region); }
/// Frees an object now: removes it from the registry and deletes it.
void Destroy(Object *o);
void Hold(Object *o);
void Release(Object *o);

// Stock objects
Object *Stock(int index);
Bitmap *DefaultBitmap();
/// A FillRect brush argument: a brush handle or a system colour index + 1.
bool BrushColor(HBRUSH hbr, COLORREF *color, bool *null);

// Device contexts (dc.cpp)
void InitDcState(Dc *dc);
/// Points the DC at its selected bitmap or surface after a change.
void Retarget(Dc *dc);
/// The cairo context of the DC, clipped, identity matrix, device pixels.
cairo_t *Context(Dc *dc);
const cairo_region_t *DeviceClip(Dc *dc);
inline double Red(COLORREF c) { return GetRValue(c) / 255.0; }
inline double Green(COLORREF c) { return GetGValue(c) / 255.0; }
inline double Blue(COLORREF c) { return GetBValue(c) / 255.0; }
void SetColor(cairo_t *cr, COLORREF c);
/// Cuts a device-space rectangle to the DC's bounds; false when empty.
bool Bound(const Dc *dc, int &x, int &y, int &w, int &h);
/// Fills a device-space rectangle with a colour, pixel-exact.
void FillDevice(Dc *dc, int x, int y, int w, int h, COLORREF c);

// Keeps shadowed DIB sections in step around a drawing call.
class Drawing {
public:
  explicit Drawing(Dc *dc);
  ~Drawing();
  Drawing(const Drawing &) = delete;
  Drawing &operator=(const Drawing &) = delete;

private:
  Bitmap *bitmap_;
  std::vector<uint32_t> before_; // a 32-bit DIB's pixels before the call
};
void LoadShadow(Bitmap *bm);
void StoreShadow(Bitmap *bm);
/// Forces a monochrome bitmap back to pure black and white after drawing.
void Threshold(Bitmap *bm);

// Bitmaps (bitmap.cpp)
Bitmap *NewBitmap(int width, int height, int bitsPixel);

// Fonts (font.cpp)
struct GlyphInfo {
  unsigned long index = 0;
  int advance = 0;
  bool known = false;
};

struct FontInstance {
  cairo_scaled_font_t *scaled = nullptr;
  std::string path;
  TEXTMETRICW tm{};
  int underlinePos = 0, underlineThickness = 1, strikePos = 0;
  GlyphInfo ansi[256];                          // by Windows-1252 byte
  std::unordered_map<unsigned, GlyphInfo> wide; // by code point
  void *ftFace = nullptr;                       // FT_Face, for character lookups
  const GlyphInfo &Glyph(unsigned codepoint);
  const GlyphInfo &GlyphA(unsigned char c) { return ansi[c].known ? ansi[c] : LoadA(c); }

private:
  const GlyphInfo &LoadA(unsigned char c);
};

/// The realised instance of a font; NULL when no face is installed at all.
FontInstance *Realize(Font *font);
Font *NewFont(const LOGFONTW &lf);

// Text (text.cpp)
/// The Unicode code point of a Windows-1252 byte.
unsigned Cp1252ToUnicode(unsigned char c);

} // namespace vqwin::gdi

#endif
