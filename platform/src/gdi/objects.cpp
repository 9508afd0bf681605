// GDI objects: the handle registry, stock objects, pens and brushes, and the
// generic object calls (SelectObject, DeleteObject, GetObject).
//
// An object selected into a DC may still be deleted, as Win32 allows for
// pens, brushes and fonts: it stays alive until the last DC lets go of it.
// Bitmaps are the exception Win32 makes too: deleting a selected bitmap
// fails.
#include "gdi_internal.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace vqwin::gdi {

namespace {

std::unordered_set<const void *> &Live() {
  static auto *live = new std::unordered_set<const void *>;
  return *live;
}

Brush *MakeBrush(COLORREF color, bool null) {
  auto *b = new Brush;
  b->color = color & 0xFFFFFF;
  b->null = null;
  Register(b);
  return b;
}

Pen *MakePen(int style, int width, COLORREF color) {
  auto *p = new Pen;
  p->style = style;
  p->width = width < 0 ? 0 : std::min(width, 1 << 16);
  p->color = color & 0xFFFFFF;
  Register(p);
  return p;
}

Font *MakeStockFont(const char *face, int height, int weight, int pitchAndFamily) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i)
    lf.lfFaceName[i] = static_cast<WCHAR>(face[i]);
  return NewFont(lf);
}

Object *CreateStock(int index) {
  switch (index) {
  case WHITE_BRUSH:
    return MakeBrush(RGB(255, 255, 255), false);
  case LTGRAY_BRUSH:
    return MakeBrush(RGB(192, 192, 192), false);
  case GRAY_BRUSH:
    return MakeBrush(RGB(128, 128, 128), false);
  case DKGRAY_BRUSH:
    return MakeBrush(RGB(64, 64, 64), false);
  case BLACK_BRUSH:
    return MakeBrush(RGB(0, 0, 0), false);
  case NULL_BRUSH:
    return MakeBrush(0, true);
  case WHITE_PEN:
    return MakePen(PS_SOLID, 0, RGB(255, 255, 255));
  case BLACK_PEN:
    return MakePen(PS_SOLID, 0, RGB(0, 0, 0));
  case NULL_PEN:
    return MakePen(PS_NULL, 0, 0);
  case OEM_FIXED_FONT:
  case ANSI_FIXED_FONT:
  case SYSTEM_FIXED_FONT:
    return MakeStockFont("Courier New", -13, FW_NORMAL, FIXED_PITCH | FF_MODERN);
  case ANSI_VAR_FONT:
    return MakeStockFont("MS Sans Serif", -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
  case SYSTEM_FONT:
  case DEVICE_DEFAULT_FONT:
    // The classic system font: bold, 16 pixels from top of cell to bottom.
    return MakeStockFont("System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS);
  case DEFAULT_GUI_FONT:
    return MakeStockFont("MS Shell Dlg", -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
  default:
    return nullptr;
  }
}

constexpr int kStockCount = DEFAULT_GUI_FONT + 1;

template <class T> int CopyOut(const T &value, int c, LPVOID pv) {
  if (!pv)
    return sizeof(T);
  int n = c < static_cast<int>(sizeof(T)) ? c : static_cast<int>(sizeof(T));
  if (n <= 0)
    return 0;
  std::memcpy(pv, &value, n);
  return n;
}

int GetBitmapObject(Bitmap *bm, int c, LPVOID pv) {
  BITMAP b{};
  b.bmType = 0;
  b.bmWidth = bm->width;
  b.bmHeight = bm->height;
  b.bmPlanes = 1;
  b.bmBitsPixel = static_cast<WORD>(bm->bitsPixel);
  if (bm->dib) {
    b.bmWidthBytes = ((bm->width * bm->bitsPixel + 31) / 32) * 4;
    b.bmBits = bm->bits;
  } else {
    // Device-dependent bitmaps report word-aligned rows, as Win32 does.
    b.bmWidthBytes = ((bm->width * bm->bitsPixel + 15) / 16) * 2;
  }
  if (!pv)
    return bm->dib ? sizeof(DIBSECTION) : sizeof(BITMAP);
  if (bm->dib && c >= static_cast<int>(sizeof(DIBSECTION))) {
    DIBSECTION ds{};
    ds.dsBm = b;
    ds.dsBmih = bm->header;
    std::memcpy(pv, &ds, sizeof ds);
    return sizeof ds;
  }
  if (c < static_cast<int>(sizeof(BITMAP))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::memcpy(pv, &b, sizeof b);
  return sizeof b;
}

template <class T> HGDIOBJ SelectInto(T *&slot, T *o) {
  T *old = slot;
  Hold(o);
  slot = o;
  Release(old);
  return old;
}

} // namespace

void Register(Object *o) { Live().insert(o); }

Object *Lookup(const void *handle) {
  if (!handle || !Live().count(handle))
    return nullptr;
  return static_cast<Object *>(const_cast<void *>(handle));
}

void Destroy(Object *o) {
  Live().erase(o);
  delete o;
}

void Hold(Object *o) {
  if (o)
    ++o->holds;
}

void Release(Object *o) {
  if (!o)
    return;
  if (--o->holds <= 0 && o->doomed)
    Destroy(o);
}

Object *Stock(int index) {
  static Object *stock[kStockCount] = {};
  if (index < 0 || index >= kStockCount)
    return nullptr;
  if (!stock[index]) {
    stock[index] = CreateStock(index);
    if (stock[index])
      stock[index]->stock = true;
  }
  return stock[index];
}

Bitmap *DefaultBitmap() {
  static Bitmap *bitmap = [] {
    Bitmap *bm = NewBitmap(1, 1, 1);
    bm->stock = true;
    return bm;
  }();
  return bitmap;
}

bool BrushColor(HBRUSH hbr, COLORREF *color, bool *null) {
  auto value = reinterpret_cast<UINT_PTR>(hbr);
  if (value >= 1 && value <= COLOR_MENUBAR + 1) {
    *color = GetSysColor(static_cast<int>(value - 1));
    *null = false;
    return true;
  }
  Brush *b = AsBrush(hbr);
  if (!b)
    return false;
  *color = b->color;
  *null = b->null;
  return true;
}

} // namespace vqwin::gdi

using namespace vqwin::gdi;

HGDIOBJ WINAPI GetStockObject(int i) { return Stock(i); }

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  return reinterpret_cast<HBRUSH>(MakeBrush(color, false));
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH *plbrush) {
  if (!plbrush || (plbrush->lbStyle != BS_SOLID && plbrush->lbStyle != BS_NULL)) {
    // Hatched and pattern brushes are not part of this layer.
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return reinterpret_cast<HBRUSH>(MakeBrush(plbrush->lbColor, plbrush->lbStyle == BS_NULL));
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
  int style = iStyle & PS_STYLE_MASK;
  if (style > PS_INSIDEFRAME || iStyle != style) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return reinterpret_cast<HPEN>(MakePen(style, cWidth, color));
}

HPEN WINAPI CreatePenIndirect(const LOGPEN *plpen) {
  if (!plpen) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreatePen(static_cast<int>(plpen->lopnStyle), plpen->lopnWidth.x, plpen->lopnColor);
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  Dc *dc = AsDc(hdc);
  Object *o = Lookup(h);
  if (!dc || !o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return o && o->kind == Kind::Region ? HGDI_ERROR : nullptr;
  }
  switch (o->kind) {
  case Kind::Pen:
    return SelectInto(dc->s.pen, static_cast<Pen *>(o));
  case Kind::Brush:
    return SelectInto(dc->s.brush, static_cast<Brush *>(o));
  case Kind::Font:
    return SelectInto(dc->s.font, static_cast<Font *>(o));
  case Kind::Region: {
    int type = SelectClipRgn(hdc, reinterpret_cast<HRGN>(o));
    return type == ERROR ? HGDI_ERROR : reinterpret_cast<HGDIOBJ>(static_cast<INT_PTR>(type));
  }
  case Kind::Bitmap: {
    auto *bm = static_cast<Bitmap *>(o);
    if (!dc->memory || (bm->selectedIn && bm->selectedIn != dc)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    Bitmap *prev = dc->s.bitmap;
    if (prev == bm)
      return prev;
    Hold(bm);
    // The default bitmap sits in every fresh memory DC at once.
    if (!bm->stock)
      bm->selectedIn = dc;
    dc->s.bitmap = bm;
    if (prev) {
      if (prev->selectedIn == dc)
        prev->selectedIn = nullptr;
      Release(prev);
    }
    Retarget(dc);
    return prev;
  }
  case Kind::Dc:
    break;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  Object *o = Lookup(ho);
  if (!o || o->kind == Kind::Dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (o->stock)
    return TRUE;
  if (o->holds > 0) {
    if (o->kind == Kind::Bitmap)
      return FALSE;
    o->doomed = true;
    return TRUE;
  }
  Destroy(o);
  return TRUE;
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
  Object *o = Lookup(h);
  if (!o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (o->kind) {
  case Kind::Pen:
    return OBJ_PEN;
  case Kind::Brush:
    return OBJ_BRUSH;
  case Kind::Font:
    return OBJ_FONT;
  case Kind::Bitmap:
    return OBJ_BITMAP;
  case Kind::Region:
    return OBJ_REGION;
  case Kind::Dc:
    return static_cast<Dc *>(o)->memory ? OBJ_MEMDC : OBJ_DC;
  }
  return 0;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return nullptr;
  switch (type) {
  case OBJ_PEN:
    return dc->s.pen;
  case OBJ_BRUSH:
    return dc->s.brush;
  case OBJ_FONT:
    return dc->s.font;
  case OBJ_BITMAP:
    return dc->s.bitmap;
  default:
    return nullptr;
  }
}

namespace {

int GetObjectImpl(HANDLE h, int c, LPVOID pv, bool wide) {
  Object *o = Lookup(h);
  if (!o || c < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (o->kind) {
  case Kind::Pen: {
    auto *p = static_cast<Pen *>(o);
    LOGPEN lp{static_cast<UINT>(p->style), {p->width, 0}, p->color};
    return CopyOut(lp, c, pv);
  }
  case Kind::Brush: {
    auto *b = static_cast<Brush *>(o);
    LOGBRUSH lb{static_cast<UINT>(b->null ? BS_NULL : BS_SOLID), b->color, 0};
    return CopyOut(lb, c, pv);
  }
  case Kind::Font: {
    auto *f = static_cast<Font *>(o);
    if (wide)
      return CopyOut(f->lf, c, pv);
    LOGFONTA la{};
    std::memcpy(&la, &f->lf, offsetof(LOGFONTA, lfFaceName));
    for (int i = 0; i < LF_FACESIZE && f->lf.lfFaceName[i]; ++i) {
      WCHAR ch = f->lf.lfFaceName[i];
      la.lfFaceName[i] = static_cast<CHAR>(ch < 0x100 ? ch : '?');
    }
    return CopyOut(la, c, pv);
  }
  case Kind::Bitmap:
    return GetBitmapObject(static_cast<Bitmap *>(o), c, pv);
  default:
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
}

} // namespace

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) { return GetObjectImpl(h, c, pv, false); }
int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) { return GetObjectImpl(h, c, pv, true); }
