// The system colours, their brushes, and the 3D edges drawn in them.
//
// Colours are the classic grey scheme. 3D light is a shade between the face
// and the highlight, so that the outer and inner lines of a raised edge stay
// distinguishable (with light equal to the face, the outer line would
// vanish into the face).
//
// An edge is one or two one-pixel layers, outer first. Each layer draws its
// top and left lines in one colour, then its bottom and right lines in the
// other, so the bottom-left and top-right corners take the second colour.
#include "gdi_internal.h"

namespace vqwin::gdi {

namespace {

constexpr int kColorCount = COLOR_MENUBAR + 1;

const COLORREF kSysColors[kColorCount] = {
    RGB(192, 192, 192), // COLOR_SCROLLBAR
    RGB(0, 128, 128),   // COLOR_BACKGROUND
    RGB(0, 0, 128),     // COLOR_ACTIVECAPTION
    RGB(128, 128, 128), // COLOR_INACTIVECAPTION
    RGB(192, 192, 192), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0),       // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(192, 192, 192), // COLOR_ACTIVEBORDER
    RGB(192, 192, 192), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(0, 0, 128),     // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(192, 192, 192), // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),       // COLOR_3DDKSHADOW
    RGB(223, 223, 223), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(192, 192, 192), // 25, unassigned
    RGB(0, 0, 255),     // COLOR_HOTLIGHT
    RGB(16, 132, 208),  // COLOR_GRADIENTACTIVECAPTION
    RGB(181, 181, 181), // COLOR_GRADIENTINACTIVECAPTION
    RGB(0, 0, 128),     // COLOR_MENUHILIGHT
    RGB(192, 192, 192), // COLOR_MENUBAR
};

struct Layer {
  int topLeft, bottomRight; // system colour indexes
};

// The colours of a layer; raised wins when a caller sets both bits.
bool LayerColors(UINT bits, bool outer, UINT flags, Layer *layer) {
  bool soft = flags & BF_SOFT;
  if (!bits)
    return false;
  if (flags & BF_MONO) {
    int c = outer ? COLOR_WINDOWFRAME : COLOR_WINDOW;
    *layer = Layer{c, c};
  } else if (flags & BF_FLAT) {
    int c = outer ? COLOR_3DSHADOW : COLOR_3DFACE;
    *layer = Layer{c, c};
  } else if (bits & (outer ? BDR_RAISEDOUTER : BDR_RAISEDINNER)) {
    *layer = outer ? Layer{soft ? COLOR_3DHILIGHT : COLOR_3DLIGHT, COLOR_3DDKSHADOW}
                   : Layer{soft ? COLOR_3DLIGHT : COLOR_3DHILIGHT, COLOR_3DSHADOW};
  } else {
    *layer = outer ? Layer{soft ? COLOR_3DDKSHADOW : COLOR_3DSHADOW, COLOR_3DHILIGHT}
                   : Layer{soft ? COLOR_3DSHADOW : COLOR_3DDKSHADOW, COLOR_3DLIGHT};
  }
  return true;
}

void DrawLayer(Dc *dc, RECT &r, const Layer &layer, UINT flags) {
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0)
    return;
  COLORREF tl = GetSysColor(layer.topLeft), br = GetSysColor(layer.bottomRight);
  int x = r.left + dc->origin.x, y = r.top + dc->origin.y;
  if (flags & BF_TOP)
    FillDevice(dc, x, y, w, 1, tl);
  if (flags & BF_LEFT)
    FillDevice(dc, x, y, 1, h, tl);
  if (flags & BF_BOTTOM)
    FillDevice(dc, x, y + h - 1, w, 1, br);
  if (flags & BF_RIGHT)
    FillDevice(dc, x + w - 1, y, 1, h, br);
  if (flags & BF_LEFT)
    ++r.left;
  if (flags & BF_TOP)
    ++r.top;
  if (flags & BF_RIGHT)
    --r.right;
  if (flags & BF_BOTTOM)
    --r.bottom;
}

} // namespace

} // namespace vqwin::gdi

using namespace vqwin::gdi;

DWORD WINAPI GetSysColor(int nIndex) {
  return nIndex >= 0 && nIndex < kColorCount ? kSysColors[nIndex] : 0;
}

HBRUSH WINAPI GetSysColorBrush(int nIndex) {
  static Brush *brushes[kColorCount] = {};
  if (nIndex < 0 || nIndex >= kColorCount)
    return nullptr;
  if (!brushes[nIndex]) {
    auto *b = new Brush;
    b->color = kSysColors[nIndex];
    b->stock = true;
    Register(b);
    brushes[nIndex] = b;
  }
  return reinterpret_cast<HBRUSH>(brushes[nIndex]);
}

BOOL WINAPI DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags) {
  Dc *dc = AsDc(hdc);
  if (!dc || !qrc)
    return FALSE;
  Drawing drawing(dc);
  RECT r = Coord(*qrc);
  Layer layer;
  if (LayerColors(edge & BDR_OUTER, true, grfFlags, &layer))
    DrawLayer(dc, r, layer, grfFlags);
  if (LayerColors(edge & BDR_INNER, false, grfFlags, &layer))
    DrawLayer(dc, r, layer, grfFlags);
  if ((grfFlags & BF_MIDDLE) && r.right > r.left && r.bottom > r.top)
    FillDevice(dc, r.left + dc->origin.x, r.top + dc->origin.y, r.right - r.left, r.bottom - r.top,
               GetSysColor(grfFlags & BF_MONO ? COLOR_WINDOW : COLOR_3DFACE));
  if (grfFlags & BF_ADJUST)
    *qrc = r;
  return TRUE;
}
