#include "gdi_canvas.h"

#include <gdi/surface_dc.h>

#include <cairo.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

class Gdi : public ::testing::Test {
protected:
  void TearDown() override { canvas.SaveIfFailed(); }
  Canvas canvas;
  static constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0),
                            kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);
};

// --- Objects -----------------------------------------------------------------

TEST(GdiObjects, StockObjectsOutliveDeleteObject) {
  const int stock[] = {WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH,       DKGRAY_BRUSH,
                       BLACK_BRUSH, NULL_BRUSH,   WHITE_PEN,        BLACK_PEN,
                       NULL_PEN,    SYSTEM_FONT,  DEFAULT_GUI_FONT, ANSI_VAR_FONT};
  for (int i : stock) {
    HGDIOBJ h = GetStockObject(i);
    ASSERT_NE(h, nullptr) << "stock object " << i;
    EXPECT_TRUE(DeleteObject(h)) << "stock object " << i;
    EXPECT_NE(GetObjectType(h), 0u) << "stock object " << i << " was freed";
    EXPECT_EQ(GetStockObject(i), h) << "stock object " << i;
  }
  EXPECT_EQ(GetStockObject(HOLLOW_BRUSH), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(GetStockObject(-1), nullptr);
}

TEST(GdiObjects, SelectObjectReturnsThePreviousOfItsKind) {
  Canvas c;
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  struct Row {
    const char *name;
    HGDIOBJ object, initial;
  } rows[] = {
      {"pen", pen, GetStockObject(BLACK_PEN)},
      {"brush", brush, GetStockObject(WHITE_BRUSH)},
      {"font", font, GetStockObject(SYSTEM_FONT)},
  };
  for (const Row &r : rows) {
    EXPECT_EQ(SelectObject(c.dc, r.object), r.initial) << r.name;
    EXPECT_EQ(SelectObject(c.dc, r.initial), r.object) << r.name;
  }
  EXPECT_EQ(SelectObject(c.dc, pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_BITMAP), c.bitmap);
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  for (HGDIOBJ h :
       {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(brush), static_cast<HGDIOBJ>(font)})
    EXPECT_TRUE(DeleteObject(h));
}

TEST(GdiObjects, StaleAndForeignHandlesFailWithoutHarm) {
  Canvas c;
  HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
  ASSERT_TRUE(DeleteObject(brush));
  int local = 0;
  auto *bogus = reinterpret_cast<HGDIOBJ>(&local);
  for (HGDIOBJ h : {static_cast<HGDIOBJ>(brush), bogus}) {
    EXPECT_EQ(SelectObject(c.dc, h), nullptr);
    EXPECT_FALSE(DeleteObject(h));
    EXPECT_EQ(GetObjectType(h), 0u);
    LOGBRUSH lb;
    EXPECT_EQ(GetObjectA(h, sizeof lb, &lb), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
  RECT r{0, 0, 5, 5};
  EXPECT_EQ(FillRect(c.dc, &r, brush), 0);
  EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(bogus)));
  EXPECT_EQ(SetTextColor(reinterpret_cast<HDC>(bogus), 0), CLR_INVALID);
}

TEST(GdiObjects, ObjectsDeletedWhileSelectedStayUsableUntilDeselected) {
  Canvas c;
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(c.dc, pen);
  EXPECT_TRUE(DeleteObject(pen));
  MoveToEx(c.dc, 0, 5, nullptr);
  LineTo(c.dc, 10, 5);
  EXPECT_EQ(c.At(3, 5), RGB(255, 0, 0));
  SelectObject(c.dc, old);
  EXPECT_EQ(GetObjectType(pen), 0u) << "freed once deselected";

  // A bitmap, unlike other objects, refuses deletion while selected.
  EXPECT_FALSE(DeleteObject(c.bitmap));
  EXPECT_EQ(GetObjectType(c.bitmap), static_cast<DWORD>(OBJ_BITMAP));
  Canvas other;
  EXPECT_EQ(SelectObject(other.dc, c.bitmap), nullptr) << "selected in another DC";
}

TEST(GdiObjects, GetObjectDescribesPensBrushesAndBitmaps) {
  HPEN pen = CreatePen(PS_DOT, 3, RGB(9, 8, 7));
  LOGPEN lp{};
  EXPECT_EQ(GetObjectA(pen, 0, nullptr), static_cast<int>(sizeof(LOGPEN)));
  ASSERT_EQ(GetObjectA(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DOT));
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnColor, RGB(9, 8, 7));
  DeleteObject(pen);

  LOGBRUSH lb{};
  ASSERT_GT(GetObjectA(GetSysColorBrush(COLOR_3DFACE), sizeof lb, &lb), 0);
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_3DFACE));

  // Device-dependent bitmaps report word-aligned rows and no bits.
  HBITMAP mono = CreateBitmap(17, 3, 1, 1, nullptr);
  BITMAP bm{};
  ASSERT_EQ(GetObjectA(mono, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 17);
  EXPECT_EQ(bm.bmHeight, 3);
  EXPECT_EQ(bm.bmWidthBytes, 4);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmPlanes, 1);
  EXPECT_EQ(bm.bmBits, nullptr);
  EXPECT_EQ(GetObjectA(mono, sizeof bm - 1, &bm), 0) << "buffer too small";
  DeleteObject(mono);

  Canvas c(10, 4);
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectA(c.bitmap, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, c.bits);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 40);
  EXPECT_EQ(ds.dsBmih.biHeight, -4);
  EXPECT_EQ(ds.dsBmih.biBitCount, 32);
}

TEST(GdiObjects, BadCreationArgumentsFail) {
  EXPECT_EQ(CreatePen(PS_INSIDEFRAME + 1, 1, 0), nullptr);
  LOGBRUSH hatched{2 /* BS_HATCHED */, 0, 0};
  EXPECT_EQ(CreateBrushIndirect(&hatched), nullptr);
  EXPECT_EQ(CreateBitmap(10, 10, 1, 8, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(-5, 10, 1, 32, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(100000, 100000, 1, 32, nullptr), nullptr) << "absurd size";
  BITMAPINFO bmi{};
  bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 16, BI_RGB, 0, 0, 0, 0, 0};
  void *bits = &bmi;
  EXPECT_EQ(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

// --- DC state -----------------------------------------------------------------

TEST_F(Gdi, AttributeSettersReturnThePreviousValue) {
  HDC dc = canvas.dc;
  EXPECT_EQ(SetTextColor(dc, kRed), kBlack);
  EXPECT_EQ(SetTextColor(dc, kBlue), kRed);
  EXPECT_EQ(GetTextColor(dc), kBlue);
  EXPECT_EQ(SetBkColor(dc, kRed), kWhite);
  EXPECT_EQ(SetBkColor(dc, kBlack), kRed);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, OPAQUE), TRANSPARENT);
  EXPECT_EQ(SetBkMode(dc, 7), 0) << "unknown mode refused";
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(SetTextAlign(dc, TA_BASELINE | TA_CENTER), static_cast<UINT>(TA_LEFT | TA_TOP));
  EXPECT_EQ(SetTextAlign(dc, TA_LEFT), static_cast<UINT>(TA_BASELINE | TA_CENTER));
}

TEST_F(Gdi, DeviceCapsDescribeA96DpiTrueColourDisplay) {
  struct Row {
    int index, expected;
  } rows[] = {
      {LOGPIXELSX, 96}, {LOGPIXELSY, 96}, {BITSPIXEL, 32}, {PLANES, 1}, {TECHNOLOGY, DT_RASDISPLAY},
      {NUMCOLORS, -1}};
  for (const Row &r : rows)
    EXPECT_EQ(GetDeviceCaps(canvas.dc, r.index), r.expected) << "index " << r.index;
  EXPECT_EQ(GetDeviceCaps(canvas.dc, HORZRES), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(GetDeviceCaps(canvas.dc, VERTRES), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(GetDeviceCaps(canvas.dc, RASTERCAPS) & RC_BITBLT);
}

TEST_F(Gdi, RestoreDCBringsBackObjectsColoursAndClip) {
  HDC dc = canvas.dc;
  HPEN red = CreatePen(PS_SOLID, 1, kRed);
  int level = SaveDC(dc);
  EXPECT_EQ(level, 1);
  SelectObject(dc, red);
  SetTextColor(dc, kRed);
  IntersectClipRect(dc, 0, 0, 5, 5);
  EXPECT_EQ(SaveDC(dc), 2);
  SetBkColor(dc, kBlue);
  EXPECT_TRUE(RestoreDC(dc, -1));
  EXPECT_EQ(GetBkColor(dc), kWhite);
  EXPECT_EQ(GetTextColor(dc), kRed);
  EXPECT_TRUE(RestoreDC(dc, level));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetTextColor(dc), kBlack);
  RECT box;
  GetClipBox(dc, &box);
  EXPECT_EQ(Str(box), Str(RECT{0, 0, 200, 100}));
  EXPECT_FALSE(RestoreDC(dc, 1)) << "nothing saved any more";
  EXPECT_FALSE(RestoreDC(dc, -1));
  EXPECT_TRUE(DeleteObject(red));
}

// --- Fills, frames, lines, pixels -----------------------------------------------

// Edges of plain, empty and inverted fills are conformance facts.
TEST_F(Gdi, FillRectTakesSystemColourIndexesAndNullBrushes) {
  // A system colour index + 1 stands for that colour's brush.
  RECT r{50, 50, 52, 52};
  EXPECT_EQ(FillRect(canvas.dc, &r, reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1)), 1);
  EXPECT_EQ(canvas.At(51, 51), GetSysColor(COLOR_HIGHLIGHT));
  canvas.Clear(kWhite);
  FillRect(canvas.dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(Str(canvas.Ink()), Str(RECT{0, 0, 0, 0}));
}

TEST_F(Gdi, FrameRectAndPenlessRectangleStayInsideTheirBounds) {
  RECT r{10, 10, 20, 16};
  FrameRect(canvas.dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(Str(canvas.Ink()), Str(r));
  EXPECT_EQ(canvas.At(19, 15), kBlack);
  EXPECT_EQ(canvas.At(15, 13), kWhite) << "frame is hollow";

  // Without a pen the fill of Rectangle stops one pixel short on the right
  // and bottom.
  canvas.Clear(kWhite);
  HGDIOBJ oldBrush = SelectObject(canvas.dc, GetStockObject(BLACK_BRUSH));
  HGDIOBJ oldPen = SelectObject(canvas.dc, GetStockObject(NULL_PEN));
  Rectangle(canvas.dc, 10, 10, 20, 16);
  EXPECT_EQ(Str(canvas.Ink()), Str(RECT{10, 10, 19, 15}));
  SelectObject(canvas.dc, oldPen);
  SelectObject(canvas.dc, oldBrush);
}

TEST_F(Gdi, LinesIncludeTheStartAndExcludeTheEnd) {
  struct Row {
    const char *name;
    POINT from, to;
    RECT ink;
  } rows[] = {
      {"left", {20, 10}, {10, 10}, {11, 10, 21, 11}},
      {"down", {5, 5}, {5, 15}, {5, 5, 6, 15}},
      {"up", {5, 15}, {5, 5}, {5, 6, 6, 16}},
      {"diagonal", {10, 10}, {20, 20}, {10, 10, 20, 20}},
      {"steep", {10, 10}, {13, 30}, {10, 10, 14, 30}},
      {"point", {10, 10}, {10, 10}, {0, 0, 0, 0}},
  };
  for (const Row &r : rows) {
    canvas.Clear(kWhite);
    MoveToEx(canvas.dc, r.from.x, r.from.y, nullptr);
    EXPECT_TRUE(LineTo(canvas.dc, r.to.x, r.to.y));
    EXPECT_EQ(Str(canvas.Ink()), Str(r.ink)) << r.name;
    if (r.from.x != r.to.x || r.from.y != r.to.y) {
      EXPECT_EQ(canvas.At(r.from.x, r.from.y), kBlack) << r.name << ": start";
      EXPECT_EQ(canvas.At(r.to.x, r.to.y), kWhite) << r.name << ": end";
    }
  }
}

TEST_F(Gdi, DottedPensLeaveGapsPaintedOnlyInOpaqueMode) {
  HPEN dot = CreatePen(PS_DOT, 1, kRed);
  HGDIOBJ old = SelectObject(canvas.dc, dot);
  SetBkColor(canvas.dc, kBlue);
  for (int mode : {TRANSPARENT, OPAQUE}) {
    canvas.Clear(kWhite);
    SetBkMode(canvas.dc, mode);
    MoveToEx(canvas.dc, 0, 5, nullptr);
    LineTo(canvas.dc, 60, 5);
    int red = 0, gap = 0;
    for (int x = 0; x < 60; ++x) {
      COLORREF c = canvas.At(x, 5);
      red += c == kRed;
      gap += c == (mode == OPAQUE ? kBlue : kWhite);
    }
    EXPECT_GT(red, 10) << "mode " << mode;
    EXPECT_GT(gap, 10) << "mode " << mode;
    EXPECT_EQ(red + gap, 60) << "mode " << mode;
  }
  SelectObject(canvas.dc, old);
  DeleteObject(dot);
}

TEST_F(Gdi, WidePensCoverTheirWidth) {
  HPEN wide = CreatePen(PS_SOLID, 5, kRed);
  HGDIOBJ old = SelectObject(canvas.dc, wide);
  MoveToEx(canvas.dc, 20, 50, nullptr);
  LineTo(canvas.dc, 80, 50);
  SelectObject(canvas.dc, old);
  DeleteObject(wide);
  for (int y = 48; y <= 52; ++y)
    EXPECT_EQ(canvas.At(50, y), kRed) << "y " << y;
  EXPECT_EQ(canvas.At(50, 45), kWhite);
  EXPECT_EQ(canvas.At(50, 55), kWhite);
}

TEST_F(Gdi, ExtremeCoordinatesAreClampedNotOverflowed) {
  const int big = INT_MAX, small = INT_MIN;
  RECT huge{small, small, big, big};
  EXPECT_EQ(FillRect(canvas.dc, &huge, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
  EXPECT_EQ(Str(canvas.Ink()), Str(RECT{0, 0, 200, 100})) << "covers the whole canvas";
  EXPECT_EQ(canvas.At(0, 0), kBlack);
  EXPECT_EQ(canvas.At(199, 99), kBlack);
  canvas.Clear(kWhite);
  MoveToEx(canvas.dc, small, 50, nullptr);
  EXPECT_TRUE(LineTo(canvas.dc, big, 50)); // must not walk four billion pixels
  EXPECT_EQ(Str(canvas.Ink()), Str(RECT{0, 50, 200, 51}));
  MoveToEx(canvas.dc, small, small, nullptr);
  LineTo(canvas.dc, big, big);
  HPEN wide = CreatePen(PS_SOLID, big, kRed);
  HGDIOBJ old = SelectObject(canvas.dc, wide);
  LineTo(canvas.dc, 0, small);
  Rectangle(canvas.dc, small, small, big, big);
  SelectObject(canvas.dc, old);
  DeleteObject(wide);
  FrameRect(canvas.dc, &huge, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DrawEdge(canvas.dc, &huge, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  InvertRect(canvas.dc, &huge);
  PatBlt(canvas.dc, small, small, big, big, PATINVERT);
  Canvas src(10, 10);
  BitBlt(canvas.dc, small, small, big, big, src.dc, small, small, SRCCOPY);
  StretchBlt(canvas.dc, small, 0, big, big, src.dc, 0, 0, 10, 10, SRCCOPY);
  SetPixel(canvas.dc, big, big, kRed);
  EXPECT_EQ(IntersectClipRect(canvas.dc, small, small, big, big), SIMPLEREGION);
  TextOutA(canvas.dc, big, big, "x", 1);
  ExtTextOutA(canvas.dc, small, small, ETO_OPAQUE | ETO_CLIPPED, &huge, "x", 1, nullptr);
  const INT dx[2] = {big, big};
  ExtTextOutA(canvas.dc, 0, 0, 0, nullptr, "xx", 2, dx);
  EXPECT_GT(DrawTextA(canvas.dc, "x\ny", -1, &huge, DT_CENTER | DT_WORDBREAK), 0);
  EXPECT_EQ(huge.left, small) << "DrawTextA leaves the caller's rectangle alone";
  std::string longText(2 << 20, 'x');
  SIZE size;
  EXPECT_FALSE(
      GetTextExtentPoint32A(canvas.dc, longText.data(), static_cast<int>(longText.size()), &size));
  EXPECT_FALSE(TextOutA(canvas.dc, 0, 0, longText.data(), static_cast<int>(longText.size())));
}

// --- DrawEdge and system colours ------------------------------------------------

TEST(SysColors, AreTheClassicScheme) {
  struct Row {
    int index;
    COLORREF color;
  } rows[] = {
      {COLOR_WINDOW, RGB(255, 255, 255)},
      {COLOR_WINDOWTEXT, RGB(0, 0, 0)},
      {COLOR_3DFACE, RGB(192, 192, 192)},
      {COLOR_BTNFACE, RGB(192, 192, 192)},
      {COLOR_3DSHADOW, RGB(128, 128, 128)},
      {COLOR_3DHILIGHT, RGB(255, 255, 255)},
      {COLOR_3DDKSHADOW, RGB(0, 0, 0)},
      {COLOR_HIGHLIGHT, RGB(0, 0, 128)},
      {COLOR_HIGHLIGHTTEXT, RGB(255, 255, 255)},
      {COLOR_GRAYTEXT, RGB(128, 128, 128)},
      {COLOR_BTNTEXT, RGB(0, 0, 0)},
      {COLOR_SCROLLBAR, RGB(192, 192, 192)},
      {COLOR_ACTIVECAPTION, RGB(0, 0, 128)},
  };
  for (const Row &r : rows) {
    EXPECT_EQ(GetSysColor(r.index), r.color) << "index " << r.index;
    HBRUSH b = GetSysColorBrush(r.index);
    ASSERT_NE(b, nullptr) << "index " << r.index;
    EXPECT_EQ(GetSysColorBrush(r.index), b) << "one brush per colour";
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_EQ(GetObjectType(b), static_cast<DWORD>(OBJ_BRUSH)) << "system brushes stay";
  }
  EXPECT_EQ(GetSysColorBrush(99), nullptr);
}

TEST_F(Gdi, DrawEdgeUsesTheThreeDColoursPerLayer) {
  const COLORREF light = GetSysColor(COLOR_3DLIGHT), hilight = GetSysColor(COLOR_3DHILIGHT),
                 shadow = GetSysColor(COLOR_3DSHADOW), dark = GetSysColor(COLOR_3DDKSHADOW),
                 face = GetSysColor(COLOR_3DFACE);
  struct Row {
    const char *name;
    UINT edge;
    COLORREF outerTL, outerBR, innerTL, innerBR;
  } rows[] = {
      {"raised", EDGE_RAISED, light, dark, hilight, shadow},
      {"sunken", EDGE_SUNKEN, shadow, hilight, dark, light},
      {"etched", EDGE_ETCHED, shadow, hilight, hilight, shadow},
      {"bump", EDGE_BUMP, light, dark, dark, light},
  };
  for (const Row &r : rows) {
    canvas.Clear(kWhite);
    RECT rc{10, 10, 40, 30};
    EXPECT_TRUE(DrawEdge(canvas.dc, &rc, r.edge, BF_RECT | BF_MIDDLE | BF_ADJUST));
    EXPECT_EQ(Str(rc), Str(RECT{12, 12, 38, 28})) << r.name;
    struct Probe {
      const char *where;
      int x, y;
      COLORREF expected;
    } probes[] = {
        {"outer top", 20, 10, r.outerTL},
        {"outer left", 10, 20, r.outerTL},
        {"outer bottom", 20, 29, r.outerBR},
        {"outer right", 39, 20, r.outerBR},
        {"bottom-left corner", 10, 29, r.outerBR},
        {"top-right corner", 39, 10, r.outerBR},
        {"inner top", 20, 11, r.innerTL},
        {"inner left", 11, 20, r.innerTL},
        {"inner bottom", 20, 28, r.innerBR},
        {"inner right", 38, 20, r.innerBR},
        {"middle", 25, 20, face},
        {"outside", 40, 20, kWhite},
    };
    for (const Probe &p : probes)
      EXPECT_EQ(Hex(canvas.At(p.x, p.y)), Hex(p.expected)) << r.name << ", " << p.where;
  }
}

TEST_F(Gdi, DrawEdgeDrawsOnlyTheNamedSides) {
  RECT rc{10, 10, 40, 30};
  DrawEdge(canvas.dc, &rc, EDGE_SUNKEN, BF_LEFT | BF_BOTTOM | BF_ADJUST);
  EXPECT_EQ(Str(rc), Str(RECT{12, 10, 40, 28}));
  EXPECT_EQ(canvas.At(10, 20), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(canvas.At(20, 29), GetSysColor(COLOR_3DHILIGHT));
  EXPECT_EQ(canvas.At(20, 10), kWhite) << "no top";
  EXPECT_EQ(canvas.At(39, 20), kWhite) << "no right";
  EXPECT_EQ(canvas.At(20, 20), kWhite) << "no middle";
  RECT flat{50, 10, 60, 20};
  DrawEdge(canvas.dc, &flat, EDGE_RAISED, BF_RECT | BF_FLAT);
  EXPECT_EQ(canvas.At(50, 10), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(canvas.At(59, 19), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(canvas.At(51, 11), GetSysColor(COLOR_3DFACE));
}

// --- Block transfers ---------------------------------------------------------------

TEST_F(Gdi, BitBltCopiesBetweenMemoryDCsAndOnlyInside) {
  Canvas src(20, 20, kBlue);
  SetPixel(src.dc, 5, 6, kRed);
  EXPECT_TRUE(BitBlt(canvas.dc, 100, 50, 10, 10, src.dc, 5, 6, SRCCOPY));
  EXPECT_EQ(Str(canvas.Ink()), Str(RECT{100, 50, 110, 60}));
  EXPECT_EQ(canvas.At(100, 50), kRed);
  EXPECT_EQ(canvas.At(101, 50), kBlue);

  // Source pixels beyond the source leave the destination alone.
  canvas.Clear(kWhite);
  EXPECT_TRUE(BitBlt(canvas.dc, 0, 0, 50, 50, src.dc, 10, 10, SRCCOPY));
  EXPECT_EQ(Str(canvas.Ink()), Str(RECT{0, 0, 10, 10}));
  EXPECT_FALSE(BitBlt(canvas.dc, 0, 0, 5, 5, nullptr, 0, 0, SRCCOPY));
}

TEST_F(Gdi, BitBltWithinOneDCHandlesOverlap) {
  for (int x = 0; x < 10; ++x)
    SetPixel(canvas.dc, x, 0, RGB(x, 0, 0));
  BitBlt(canvas.dc, 3, 0, 10, 1, canvas.dc, 0, 0, SRCCOPY);
  for (int x = 0; x < 10; ++x)
    EXPECT_EQ(canvas.At(x + 3, 0), RGB(x, 0, 0)) << "x " << x;
}

TEST_F(Gdi, MonochromeSourcesTakeTheTextAndBackgroundColours) {
  const BYTE rows[2][2] = {{0xA0, 0}, {0x50, 0}}; // 1010..., 0101...
  HBITMAP mono = CreateBitmap(4, 2, 1, 1, rows);
  HDC mdc = CreateCompatibleDC(canvas.dc);
  HGDIOBJ old = SelectObject(mdc, mono);
  SetTextColor(canvas.dc, kRed);
  SetBkColor(canvas.dc, kBlue);
  BitBlt(canvas.dc, 0, 0, 4, 2, mdc, 0, 0, SRCCOPY);
  EXPECT_EQ(canvas.At(0, 0), kBlue) << "set bits are background";
  EXPECT_EQ(canvas.At(1, 0), kRed) << "clear bits are text";
  EXPECT_EQ(canvas.At(0, 1), kRed);
  EXPECT_EQ(canvas.At(1, 1), kBlue);
  EXPECT_EQ(GetPixel(mdc, 0, 0), kWhite);
  EXPECT_EQ(GetPixel(mdc, 1, 0), kBlack);

  // Drawn colours come out black or white in a monochrome bitmap.
  EXPECT_EQ(SetPixel(mdc, 2, 1, RGB(250, 240, 230)), kWhite);
  EXPECT_EQ(SetPixel(mdc, 3, 1, RGB(20, 40, 30)), kBlack);
  SelectObject(mdc, old);
  DeleteObject(mono);
  DeleteDC(mdc);
}

TEST_F(Gdi, RasterOperationsCombineBitwise) {
  RECT r{0, 0, 10, 10};
  HBRUSH grey = CreateSolidBrush(RGB(0x0F, 0xF0, 0x33));
  FillRect(canvas.dc, &r, grey);
  InvertRect(canvas.dc, &r);
  EXPECT_EQ(canvas.At(5, 5), RGB(0xF0, 0x0F, 0xCC));
  EXPECT_TRUE(PatBlt(canvas.dc, 0, 0, 10, 10, DSTINVERT));
  EXPECT_EQ(canvas.At(5, 5), RGB(0x0F, 0xF0, 0x33));

  Canvas src(10, 10, RGB(0xFF, 0x00, 0x0F));
  BitBlt(canvas.dc, 0, 0, 10, 10, src.dc, 0, 0, SRCINVERT);
  EXPECT_EQ(canvas.At(5, 5), RGB(0xF0, 0xF0, 0x3C));
  BitBlt(canvas.dc, 0, 0, 10, 10, src.dc, 0, 0, SRCAND);
  EXPECT_EQ(canvas.At(5, 5), RGB(0xF0, 0x00, 0x0C));
  HGDIOBJ old = SelectObject(canvas.dc, grey);
  PatBlt(canvas.dc, 0, 0, 10, 10, PATINVERT);
  EXPECT_EQ(canvas.At(5, 5), RGB(0xFF, 0xF0, 0x3F));
  PatBlt(canvas.dc, 0, 0, 10, 10, BLACKNESS);
  EXPECT_EQ(canvas.At(5, 5), kBlack);
  PatBlt(canvas.dc, 2, 2, -2, -2, WHITENESS);
  EXPECT_EQ(canvas.At(0, 0), kWhite) << "negative extents are normalised";
  EXPECT_EQ(canvas.At(2, 2), kBlack);
  EXPECT_FALSE(PatBlt(canvas.dc, 0, 0, 1, 1, SRCCOPY)) << "PatBlt takes no source";
  SelectObject(canvas.dc, old);
  DeleteObject(grey);
}

TEST_F(Gdi, StretchBltScalesAndMirrors) {
  Canvas src(2, 1, kRed);
  SetPixel(src.dc, 1, 0, kBlue);
  EXPECT_TRUE(StretchBlt(canvas.dc, 0, 0, 8, 2, src.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(Str(canvas.Ink()), Str(RECT{0, 0, 8, 2}));
  EXPECT_EQ(canvas.At(3, 1), kRed);
  EXPECT_EQ(canvas.At(4, 0), kBlue);
  canvas.Clear(kWhite);
  EXPECT_TRUE(StretchBlt(canvas.dc, 8, 0, -8, 2, src.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(canvas.At(0, 0), kBlue) << "mirrored";
  EXPECT_EQ(canvas.At(7, 0), kRed);
}

// --- Clipping ---------------------------------------------------------------------

TEST_F(Gdi, ClipRegionsLimitEveryDrawing) {
  HBRUSH black = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RECT all{0, 0, 200, 100};
  IntersectClipRect(canvas.dc, 10, 10, 50, 40);
  FillRect(canvas.dc, &all, black);
  EXPECT_EQ(GetPixel(canvas.dc, 9, 9), CLR_INVALID) << "outside the clip";
  EXPECT_EQ(GetPixel(canvas.dc, 10, 10), kBlack);
  SelectClipRgn(canvas.dc, nullptr);
  canvas.Clear(kWhite);

  HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(20, 20, 30, 30);
  EXPECT_EQ(CombineRgn(a, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(SelectClipRgn(canvas.dc, a), COMPLEXREGION);
  OffsetRgn(a, 100, 0); // the DC holds its own copy
  FillRect(canvas.dc, &all, black);
  EXPECT_EQ(canvas.At(5, 5), kBlack);
  EXPECT_EQ(canvas.At(25, 25), kBlack);
  EXPECT_EQ(canvas.At(15, 15), kWhite);
  EXPECT_EQ(canvas.At(105, 5), kWhite);
  EXPECT_EQ(ExcludeClipRect(canvas.dc, 0, 0, 10, 10), SIMPLEREGION);
  SelectClipRgn(canvas.dc, nullptr);
  ExcludeClipRect(canvas.dc, 0, 0, 190, 100);
  canvas.Clear(kRed);
  EXPECT_EQ(Str(canvas.Ink(kBlack)), Str(RECT{0, 0, 200, 100}));
  EXPECT_EQ(canvas.At(195, 50), kRed);
  EXPECT_EQ(canvas.At(150, 50), kWhite);
  DeleteObject(a);
  DeleteObject(b);
}

TEST(GdiRegions, CombineAndQuery) {
  HRGN a = CreateRectRgn(10, 10, 0, 0); // corners in any order
  HRGN b = CreateRectRgn(5, 5, 15, 15);
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  RECT box;
  struct Row {
    int mode, type;
    RECT box;
  } rows[] = {
      {RGN_AND, SIMPLEREGION, {5, 5, 10, 10}},   {RGN_OR, COMPLEXREGION, {0, 0, 15, 15}},
      {RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}}, {RGN_XOR, COMPLEXREGION, {0, 0, 15, 15}},
      {RGN_COPY, SIMPLEREGION, {0, 0, 10, 10}},
  };
  for (const Row &row : rows) {
    EXPECT_EQ(CombineRgn(r, a, b, row.mode), row.type) << "mode " << row.mode;
    GetRgnBox(r, &box);
    EXPECT_EQ(Str(box), Str(row.box)) << "mode " << row.mode;
  }
  EXPECT_EQ(CombineRgn(r, a, b, 9), ERROR);
  EXPECT_TRUE(PtInRegion(a, 0, 0));
  EXPECT_FALSE(PtInRegion(a, 10, 10));
  RECT probe{9, 9, 20, 20};
  EXPECT_TRUE(RectInRegion(a, &probe));
  EXPECT_TRUE(SetRectRgn(r, 0, 0, 10, 10));
  EXPECT_TRUE(EqualRgn(a, r));
  for (HRGN h : {a, b, r})
    DeleteObject(h);
}

// --- Window surfaces -------------------------------------------------------------

TEST(GdiSurface, WindowDCsDrawAtTheirOriginInsideTheirClip) {
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 100);
  vqwin::gdi::SurfaceTarget target;
  target.surface = surface;
  target.origin = POINT{50, 20};
  target.clip = RECT{40, 10, 150, 80};
  HDC dc = vqwin::gdi::CreateSurfaceDC(target);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(vqwin::gdi::SurfaceOfDC(dc)->surface, surface);
  EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_DC));

  RECT box;
  GetClipBox(dc, &box);
  EXPECT_EQ(Str(box), Str(RECT{-10, -10, 100, 60}));
  RECT huge{-1000, -1000, 1000, 1000};
  FillRect(dc, &huge, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetPixel(dc, 0, 0, RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 100, 0), CLR_INVALID) << "outside the clip";

  cairo_surface_flush(surface);
  auto px = [&](int x, int y) {
    return reinterpret_cast<uint32_t *>(cairo_image_surface_get_data(surface) +
                                        y * cairo_image_surface_get_stride(surface))[x] &
           0xFFFFFF;
  };
  EXPECT_EQ(px(50, 20), 0xFF0000u) << "logical (0, 0) lands on the origin";
  EXPECT_EQ(px(40, 10), 0xFFFFFFu);
  EXPECT_EQ(px(149, 79), 0xFFFFFFu);
  EXPECT_EQ(px(39, 10), 0u) << "left of the clip";
  EXPECT_EQ(px(150, 79), 0u) << "right of the clip";
  EXPECT_EQ(px(149, 80), 0u) << "below the clip";

  // A window DC and a memory DC exchange pixels both ways.
  Canvas mem(20, 20, RGB(0, 255, 0));
  EXPECT_TRUE(BitBlt(dc, 10, 10, 5, 5, mem.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(px(60, 30), 0x00FF00u);
  EXPECT_TRUE(BitBlt(mem.dc, 0, 0, 2, 2, dc, -1, -1, SRCCOPY));
  EXPECT_EQ(mem.At(1, 1), RGB(255, 0, 0));

  EXPECT_FALSE(DeleteDC(dc)) << "window DCs are released, not deleted";
  EXPECT_TRUE(vqwin::gdi::DestroySurfaceDC(dc));
  EXPECT_FALSE(vqwin::gdi::DestroySurfaceDC(dc));
  EXPECT_FALSE(vqwin::gdi::DestroySurfaceDC(mem.dc));
  EXPECT_EQ(vqwin::gdi::SurfaceOfDC(mem.dc), nullptr);
  cairo_surface_destroy(surface);
  EXPECT_EQ(vqwin::gdi::CreateSurfaceDC(vqwin::gdi::SurfaceTarget{}), nullptr);
}

TEST(GdiSurface, DeviceDCsDescribeTheirDeviceAndAreDeleted) {
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 300, 400);
  vqwin::gdi::SurfaceTarget target;
  target.surface = surface;
  target.clip = RECT{0, 0, 300, 400};
  vqwin::gdi::DeviceInfo printer;
  printer.logPixelsX = printer.logPixelsY = 300;
  printer.printer = true;
  HDC dc = vqwin::gdi::CreateDeviceDC(target, printer);
  ASSERT_NE(dc, nullptr);
  struct Row {
    int index, expected;
  } rows[] = {{LOGPIXELSX, 300}, {LOGPIXELSY, 300},           {HORZRES, 300},
              {VERTRES, 400},    {TECHNOLOGY, DT_RASPRINTER}, {HORZSIZE, 25}};
  for (const Row &r : rows)
    EXPECT_EQ(GetDeviceCaps(dc, r.index), r.expected) << "index " << r.index;
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(GetObjectType(dc), 0u);
  cairo_surface_destroy(surface);
}

// --- Bitmaps ------------------------------------------------------------------------

BITMAPINFO Info(int w, int h, int bits) {
  BITMAPINFO bmi{};
  bmi.bmiHeader = {
      sizeof(BITMAPINFOHEADER), w, h, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0};
  return bmi;
}

TEST(GdiBitmaps, DibSectionsShareTheirBitsBothWays) {
  struct Row {
    int height, bits;
  } rows[] = {{3, 32}, {-3, 32}, {3, 24}, {-3, 24}};
  for (const Row &r : rows) {
    std::string name = std::to_string(r.bits) + " bpp, height " + std::to_string(r.height);
    BITMAPINFO bmi = Info(5, r.height, r.bits);
    void *bits = nullptr;
    HBITMAP bm = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bm, nullptr) << name;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bm);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0)) << name << ": starts zeroed";
    SetPixel(dc, 1, 0, RGB(10, 20, 30));
    int stride = r.bits == 32 ? 20 : 16;
    int row = r.height > 0 ? 2 : 0; // the DIB row of the top line
    auto *b = static_cast<unsigned char *>(bits) + row * stride + (r.bits / 8);
    EXPECT_EQ(b[0], 30) << name << ": blue";
    EXPECT_EQ(b[1], 20) << name << ": green";
    EXPECT_EQ(b[2], 10) << name << ": red";
    // The caller writes the last line; GDI sees it.
    int lastRow = r.height > 0 ? 0 : 2;
    static_cast<unsigned char *>(bits)[lastRow * stride + 2] = 200;
    EXPECT_EQ(GetPixel(dc, 0, 2), RGB(200, 0, 0)) << name;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bm);
  }
}

TEST(GdiBitmaps, GetDIBitsAndSetDIBitsRoundTrip) {
  Canvas c(3, 2);
  SetPixel(c.dc, 0, 0, RGB(1, 2, 3));
  SetPixel(c.dc, 2, 1, RGB(4, 5, 6));
  HBITMAP ddb = CreateCompatibleBitmap(c.dc, 3, 2);
  BITMAPINFO query{};
  query.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  EXPECT_EQ(GetDIBits(c.dc, ddb, 0, 0, nullptr, &query, DIB_RGB_COLORS), 2);
  EXPECT_EQ(query.bmiHeader.biWidth, 3);
  EXPECT_EQ(query.bmiHeader.biBitCount, 32);

  BITMAPINFO bmi = Info(3, 2, 24); // bottom-up, rows of 12 bytes
  unsigned char buf[24] = {};
  EXPECT_EQ(GetDIBits(c.dc, c.bitmap, 0, 2, buf, &bmi, DIB_RGB_COLORS), 2);
  EXPECT_EQ(buf[6], 6) << "bottom row first: (2,1) blue";
  EXPECT_EQ(buf[8], 4) << "(2,1) red";
  EXPECT_EQ(buf[12], 3) << "top row second: (0,0) blue";
  EXPECT_EQ(SetDIBits(c.dc, ddb, 0, 2, buf, &bmi, DIB_RGB_COLORS), 2);
  HDC dc = CreateCompatibleDC(c.dc);
  HGDIOBJ old = SelectObject(dc, ddb);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(dc, 2, 1), RGB(4, 5, 6));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(ddb);

  // Palette DIBs, as resource bitmaps come, decode through their colours.
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[2];
  } pal{{sizeof(BITMAPINFOHEADER), 8, 1, 1, 1, BI_RGB, 0, 0, 0, 2, 0},
        {{0, 0, 255, 0}, {255, 0, 0, 0}}};
  const unsigned char row[4] = {0x0F, 0, 0, 0};
  HBITMAP fromDib = CreateDIBitmap(c.dc, &pal.h, CBM_INIT, row,
                                   reinterpret_cast<BITMAPINFO *>(&pal), DIB_RGB_COLORS);
  ASSERT_NE(fromDib, nullptr);
  dc = CreateCompatibleDC(c.dc);
  old = SelectObject(dc, fromDib);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 7, 0), RGB(0, 0, 255));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(fromDib);
}

TEST(GdiBitmaps, CompatibleBitmapsFollowTheDCsBitmap) {
  HDC mem = CreateCompatibleDC(nullptr);
  BITMAP bm{};
  // A fresh memory DC holds a 1x1 monochrome bitmap, so its compatible
  // bitmaps are monochrome, as on Win32.
  HBITMAP mono = CreateCompatibleBitmap(mem, 8, 8);
  GetObjectA(mono, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  Canvas c(4, 4);
  HBITMAP colour = CreateCompatibleBitmap(c.dc, 8, 8);
  GetObjectA(colour, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  HDC other = CreateCompatibleDC(nullptr);
  HGDIOBJ initial = SelectObject(mem, colour);
  HGDIOBJ otherInitial = SelectObject(other, mono);
  EXPECT_EQ(otherInitial, initial) << "one default bitmap for all";
  GetObjectA(initial, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  // The default bitmap goes back into any number of DCs.
  EXPECT_EQ(SelectObject(mem, initial), colour);
  EXPECT_EQ(SelectObject(other, otherInitial), mono);
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_TRUE(DeleteDC(mem));
  EXPECT_TRUE(DeleteObject(mono));
  EXPECT_TRUE(DeleteObject(colour));
}

TEST(GdiBitmaps, PngOfADCIsWritten) {
  Canvas c(4, 3, RGB(255, 0, 0));
  std::string path = testing::TempDir() + "gdi_png_test.png";
  ASSERT_TRUE(vqwinGdiSavePng(c.dc, path.c_str()));
  cairo_surface_t *png = cairo_image_surface_create_from_png(path.c_str());
  EXPECT_EQ(cairo_image_surface_get_width(png), 4);
  EXPECT_EQ(cairo_image_surface_get_height(png), 3);
  cairo_surface_destroy(png);
  EXPECT_FALSE(vqwinGdiSavePng(c.dc, "/nonexistent-dir/x.png"));
  EXPECT_FALSE(vqwinGdiSaveBitmapPng(nullptr, path.c_str()));
  remove(path.c_str());
}

} // namespace
