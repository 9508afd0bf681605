#include "gdi_canvas.h"

#include <cstring>
#include <string>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0);

std::string FontFile(HFONT f) {
  char path[4096];
  if (!vqwinGdiGetFontFile(f, path, sizeof path))
    return "";
  const char *slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

HFONT Font(const char *face, int height, int weight = FW_NORMAL, bool italic = false) {
  return CreateFontA(height, 0, 0, 0, weight, italic, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, 0, 0, 0,
                     face);
}

class GdiText : public ::testing::Test {
protected:
  void TearDown() override { canvas.SaveIfFailed(); }
  Canvas canvas{300, 120};
};

TEST(GdiFonts, WindowsFaceNamesMapToMetricCompatibleFaces) {
  struct Row {
    const char *face;
    int weight;
    bool italic;
    const char *file;
  } rows[] = {
      {"Arial", FW_NORMAL, false, "LiberationSans-Regular.ttf"},
      {"arial", FW_BOLD, false, "LiberationSans-Bold.ttf"},
      {"Arial", FW_SEMIBOLD, false, "LiberationSans-Bold.ttf"},
      {"Arial", FW_NORMAL, true, "LiberationSans-Italic.ttf"},
      {"MS Sans Serif", 500, false, "LiberationSans-Regular.ttf"},
      {"MS Shell Dlg", FW_NORMAL, false, "LiberationSans-Regular.ttf"},
      {"Times New Roman", FW_NORMAL, false, "LiberationSerif-Regular.ttf"},
      {"Times New Roman", FW_BOLD, false, "LiberationSerif-Bold.ttf"},
      {"Courier New", FW_NORMAL, false, "LiberationMono-Regular.ttf"},
      {"", FW_NORMAL, false, "LiberationSans-Regular.ttf"},
      {"No Such Face", FW_NORMAL, false, "LiberationSans-Regular.ttf"},
      {"DejaVu Sans", FW_NORMAL, false, "DejaVuSans.ttf"},
  };
  for (const Row &r : rows) {
    HFONT f = Font(r.face, -12, r.weight, r.italic);
    EXPECT_EQ(FontFile(f), r.file) << "\"" << r.face << "\" weight " << r.weight;
    DeleteObject(f);
  }
  EXPECT_EQ(FontFile(reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))),
            "LiberationSans-Regular.ttf");
  EXPECT_EQ(FontFile(reinterpret_cast<HFONT>(GetStockObject(SYSTEM_FONT))),
            "LiberationSans-Bold.ttf");
}

TEST(GdiFonts, LogFontsRoundTripThroughGetObject) {
  LOGFONTA in{};
  in.lfHeight = -13;
  in.lfWeight = FW_BOLD;
  in.lfItalic = 1;
  in.lfUnderline = 1;
  in.lfOutPrecision = OUT_TT_PRECIS;
  strcpy(in.lfFaceName, "Times New Roman");
  HFONT f = CreateFontIndirectA(&in);
  LOGFONTA out{};
  EXPECT_EQ(GetObjectA(f, 0, nullptr), static_cast<int>(sizeof(LOGFONTA)));
  ASSERT_EQ(GetObjectA(f, sizeof out, &out), static_cast<int>(sizeof out));
  EXPECT_EQ(memcmp(&in, &out, sizeof in), 0);
  LOGFONTW w{};
  ASSERT_EQ(GetObjectW(f, sizeof w, &w), static_cast<int>(sizeof w));
  EXPECT_EQ(w.lfFaceName[0], u'T');
  EXPECT_EQ(w.lfHeight, -13);
  HFONT copy = CreateFontIndirectW(&w);
  EXPECT_EQ(FontFile(copy), "LiberationSerif-BoldItalic.ttf");
  DeleteObject(copy);
  HFONT wide = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, u"Courier New");
  EXPECT_EQ(FontFile(wide), "LiberationMono-Regular.ttf");
  DeleteObject(wide);
  DeleteObject(f);
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
}

TEST_F(GdiText, HeightsAreEmSizesWhenNegativeAndCellSizesWhenPositive) {
  struct Row {
    const char *face;
    int height;
  } rows[] = {{"Arial", -11},           {"Arial", -16},       {"MS Sans Serif", -MulDiv(8, 96, 72)},
              {"Times New Roman", -18}, {"Courier New", -13}, {"Arial", 16},
              {"Times New Roman", 24},  {"Arial", 0}};
  for (const Row &r : rows) {
    HFONT f = Font(r.face, r.height);
    HGDIOBJ old = SelectObject(canvas.dc, f);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(canvas.dc, &tm)) << r.face;
    std::string name = std::string(r.face) + " " + std::to_string(r.height);
    if (r.height < 0) {
      EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -r.height) << name;
    } else if (r.height > 0) {
      EXPECT_NEAR(tm.tmHeight, r.height, 1) << name;
    }
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight) << name;
    EXPECT_GT(tm.tmDescent, 0) << name;
    EXPECT_GE(tm.tmInternalLeading, 0) << name;
    EXPECT_GE(tm.tmExternalLeading, 0) << name;
    EXPECT_GT(tm.tmAveCharWidth, 0) << name;
    EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth) << name;
    EXPECT_EQ(tm.tmWeight, FW_NORMAL) << name;
    EXPECT_EQ(tm.tmPitchAndFamily & TMPF_TRUETYPE, TMPF_TRUETYPE) << name;
    SelectObject(canvas.dc, old);
    DeleteObject(f);
  }
}

TEST_F(GdiText, MetricsFollowWeightAndMonospace) {
  HFONT normal = Font("Arial", -12), bold = Font("Arial", -12, FW_BOLD),
        mono = Font("Courier New", -12);
  SIZE n, b, i, w;
  SelectObject(canvas.dc, normal);
  GetTextExtentPoint32A(canvas.dc, "Hello World", 11, &n);
  SelectObject(canvas.dc, bold);
  GetTextExtentPoint32A(canvas.dc, "Hello World", 11, &b);
  TEXTMETRICA tm;
  GetTextMetricsA(canvas.dc, &tm);
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  SelectObject(canvas.dc, mono);
  GetTextExtentPoint32A(canvas.dc, "iiii", 4, &i);
  GetTextExtentPoint32A(canvas.dc, "WWWW", 4, &w);
  GetTextMetricsA(canvas.dc, &tm);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  EXPECT_GT(b.cx, n.cx) << "bold is wider";
  EXPECT_EQ(i.cx, w.cx) << "monospace";
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "clear bit means fixed pitch";
  for (HFONT f : {normal, bold, mono})
    DeleteObject(f);
}

TEST_F(GdiText, ExtentsAddUpAndMatchAcrossCodePages) {
  HFONT f = Font("Arial", -13);
  SelectObject(canvas.dc, f);
  SIZE ab, a, b, wide, euroA, euroW, umlautA, umlautW;
  ASSERT_TRUE(GetTextExtentPoint32A(canvas.dc, "AVA", 3, &ab));
  GetTextExtentPoint32A(canvas.dc, "AV", 2, &a);
  GetTextExtentPoint32A(canvas.dc, "A", 1, &b);
  EXPECT_EQ(ab.cx, a.cx + b.cx) << "no kerning: extents add up";
  GetTextExtentPoint32W(canvas.dc, u"AVA", 3, &wide);
  EXPECT_EQ(wide.cx, ab.cx);
  GetTextExtentPoint32A(canvas.dc, "\x80", 1, &euroA);
  GetTextExtentPoint32W(canvas.dc, u"\u20AC", 1, &euroW);
  EXPECT_EQ(euroA.cx, euroW.cx) << "0x80 is the euro sign";
  GetTextExtentPoint32A(canvas.dc, "\xE4", 1, &umlautA);
  GetTextExtentPoint32W(canvas.dc, u"\u00E4", 1, &umlautW);
  EXPECT_EQ(umlautA.cx, umlautW.cx);
  EXPECT_GT(umlautA.cx, 0);
  EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc, "x", -1, &a));
  EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc, "x", 1, nullptr));
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

// Text lands inside the box its extent and the alignment promise, and the
// box is inked (not empty), for several fonts and alignments.
TEST(GdiTextBoxes, InkStaysInsideTheMeasuredBox) {
  Canvas canvas(500, 120);
  struct FontRow {
    const char *face;
    int height, weight;
  } fonts[] = {{"Arial", -11, FW_NORMAL},
               {"MS Sans Serif", -11, 600},
               {"Times New Roman", -18, FW_BOLD},
               {"Courier New", -13, FW_NORMAL},
               {"Arial", 20, FW_NORMAL}};
  struct AlignRow {
    const char *name;
    UINT align;
  } aligns[] = {{"left top", TA_LEFT | TA_TOP},
                {"right", TA_RIGHT | TA_TOP},
                {"center", TA_CENTER | TA_TOP},
                {"baseline", TA_LEFT | TA_BASELINE},
                {"bottom", TA_LEFT | TA_BOTTOM}};
  const char *text = "Hg\xC4\xD6\xDC\xDF fjpq 0123 ([{}])";
  int len = static_cast<int>(strlen(text));
  SetBkMode(canvas.dc, TRANSPARENT);
  for (const FontRow &fr : fonts) {
    HFONT f = Font(fr.face, fr.height, fr.weight);
    HGDIOBJ old = SelectObject(canvas.dc, f);
    SIZE size;
    TEXTMETRICA tm;
    GetTextExtentPoint32A(canvas.dc, text, len, &size);
    GetTextMetricsA(canvas.dc, &tm);
    for (const AlignRow &ar : aligns) {
      std::string name = std::string(fr.face) + " " + std::to_string(fr.height) + ", " + ar.name;
      canvas.Clear(kWhite);
      SetTextAlign(canvas.dc, ar.align);
      const int x = 250, y = 60;
      ASSERT_TRUE(TextOutA(canvas.dc, x, y, text, len)) << name;
      int left = (ar.align & TA_CENTER) == TA_CENTER ? x - size.cx / 2
                 : (ar.align & TA_RIGHT)             ? x - size.cx
                                                     : x;
      int top = (ar.align & TA_BASELINE) == TA_BASELINE ? y - tm.tmAscent
                : (ar.align & TA_BOTTOM)                ? y - tm.tmHeight
                                                        : y;
      RECT box{left, top, left + size.cx, top + size.cy};
      RECT ink = canvas.Ink();
      EXPECT_GE(ink.left, box.left) << name << ": ink " << Str(ink) << " box " << Str(box);
      EXPECT_GE(ink.top, box.top) << name << ": ink " << Str(ink) << " box " << Str(box);
      EXPECT_LE(ink.right, box.right) << name << ": ink " << Str(ink) << " box " << Str(box);
      EXPECT_LE(ink.bottom, box.bottom) << name << ": ink " << Str(ink) << " box " << Str(box);
      // The ink fills the box: nothing is drawn far from where it was measured.
      EXPECT_LE(ink.left - box.left, 2) << name;
      EXPECT_LE(box.right - ink.right, 3) << name;
      EXPECT_LE(ink.top - box.top, tm.tmInternalLeading + 2) << name;
    }
    SetTextAlign(canvas.dc, TA_LEFT | TA_TOP);
    SelectObject(canvas.dc, old);
    DeleteObject(f);
  }
  canvas.SaveIfFailed();
}

TEST_F(GdiText, OpaqueModeFillsExactlyTheTextBox) {
  HFONT f = Font("Arial", -12);
  SelectObject(canvas.dc, f);
  SetBkColor(canvas.dc, kRed);
  SetTextColor(canvas.dc, kBlack);
  SIZE size;
  GetTextExtentPoint32A(canvas.dc, "Wide text", 9, &size);
  ASSERT_TRUE(TextOutA(canvas.dc, 20, 30, "Wide text", 9));
  EXPECT_EQ(Str(canvas.Ink()), Str(RECT{20, 30, 20 + size.cx, 30 + size.cy}));
  EXPECT_EQ(canvas.At(20, 30), kRed) << "corner of the cell is background";

  canvas.Clear(kWhite);
  SetBkMode(canvas.dc, TRANSPARENT);
  TextOutA(canvas.dc, 20, 30, "Wide text", 9);
  EXPECT_EQ(canvas.At(20, 30), kWhite) << "transparent leaves the background";
  int red = 0;
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x)
      red += canvas.At(x, y) == kRed;
  EXPECT_EQ(red, 0);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST_F(GdiText, ExtTextOutOpaqueRectangleAndClipping) {
  HFONT f = Font("Arial", -20);
  SelectObject(canvas.dc, f);
  SetBkMode(canvas.dc, TRANSPARENT);
  SetBkColor(canvas.dc, kRed);
  RECT r{10, 10, 40, 30};
  ASSERT_TRUE(ExtTextOutA(canvas.dc, 12, 12, ETO_OPAQUE | ETO_CLIPPED, &r, "Much too long for it",
                          20, nullptr));
  EXPECT_EQ(Str(canvas.Ink()), Str(r)) << "clipped to the rectangle";
  EXPECT_EQ(canvas.At(10, 10), kRed);
  EXPECT_EQ(canvas.At(39, 29), kRed);
  bool inked = false;
  for (int x = 12; x < 40; ++x)
    for (int y = 12; y < 30; ++y)
      inked |= canvas.At(x, y) != kRed;
  EXPECT_TRUE(inked);

  // An opaque rectangle with no text is a fill in the background colour.
  canvas.Clear(kWhite);
  RECT fill{5, 5, 8, 7};
  EXPECT_TRUE(ExtTextOutA(canvas.dc, 0, 0, ETO_OPAQUE, &fill, "", 0, nullptr));
  EXPECT_EQ(Str(canvas.Ink()), Str(fill));

  // Explicit advances place each character.
  canvas.Clear(kWhite);
  const INT dx[3] = {30, 30, 30};
  ExtTextOutA(canvas.dc, 10, 10, 0, nullptr, "lll", 3, dx);
  RECT ink = canvas.Ink();
  EXPECT_GE(ink.right - ink.left, 60);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST_F(GdiText, WideAndSingleByteTextDrawAlike) {
  HFONT f = Font("Arial", -14);
  SelectObject(canvas.dc, f);
  TextOutA(canvas.dc, 10, 10,
           "Gr\xFC\xDF"
           "e \x80",
           7);
  RECT a = canvas.Ink();
  canvas.Clear(kWhite);
  TextOutW(canvas.dc, 10, 10, u"Gr\u00FC\u00DFe \u20AC", 7);
  RECT w = canvas.Ink();
  EXPECT_EQ(Str(a), Str(w));
  EXPECT_GT(w.right, w.left);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST_F(GdiText, UpdateCpAdvancesTheCurrentPosition) {
  HFONT f = Font("Arial", -12);
  SelectObject(canvas.dc, f);
  SIZE s;
  GetTextExtentPoint32A(canvas.dc, "abc", 3, &s);
  SetTextAlign(canvas.dc, TA_UPDATECP);
  MoveToEx(canvas.dc, 10, 20, nullptr);
  TextOutA(canvas.dc, 0, 0, "abc", 3);
  POINT p;
  MoveToEx(canvas.dc, 0, 0, &p);
  EXPECT_EQ(p.x, 10 + s.cx);
  EXPECT_EQ(p.y, 20);
  SetTextAlign(canvas.dc, TA_LEFT);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST_F(GdiText, DrawTextPlacesSingleLinesInTheRectangle) {
  HFONT f = Font("Arial", -12);
  SelectObject(canvas.dc, f);
  SetBkMode(canvas.dc, TRANSPARENT);
  SIZE s;
  GetTextExtentPoint32A(canvas.dc, "Centre", 6, &s);
  RECT calc{0, 0, 0, 0};
  EXPECT_EQ(DrawTextA(canvas.dc, "Centre", -1, &calc, DT_SINGLELINE | DT_CALCRECT), s.cy);
  EXPECT_EQ(Str(calc), Str(RECT{0, 0, s.cx, s.cy}));

  RECT rc{20, 20, 220, 80};
  struct Row {
    const char *name;
    UINT format;
    RECT box;
  } rows[] = {
      {"left top", DT_SINGLELINE, {20, 20, 20 + s.cx, 20 + s.cy}},
      {"right bottom", DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, {220 - s.cx, 80 - s.cy, 220, 80}},
      {"centre",
       DT_SINGLELINE | DT_CENTER | DT_VCENTER,
       {20 + (200 - s.cx) / 2, 20 + (60 - s.cy) / 2, 20 + (200 - s.cx) / 2 + s.cx,
        20 + (60 - s.cy) / 2 + s.cy}},
  };
  for (const Row &r : rows) {
    canvas.Clear(kWhite);
    RECT in = rc;
    DrawTextA(canvas.dc, "Centre", 6, &in, r.format);
    RECT ink = canvas.Ink();
    EXPECT_GE(ink.left, r.box.left) << r.name << Str(ink);
    EXPECT_GE(ink.top, r.box.top) << r.name << Str(ink);
    EXPECT_LE(ink.right, r.box.right) << r.name << Str(ink);
    EXPECT_LE(ink.bottom, r.box.bottom) << r.name << Str(ink);
    EXPECT_LE(ink.left - r.box.left, 2) << r.name << Str(ink);
  }
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST_F(GdiText, DrawTextPrefixesLinesAndEllipses) {
  HFONT f = Font("Arial", -12);
  SelectObject(canvas.dc, f);
  TEXTMETRICA tm;
  GetTextMetricsA(canvas.dc, &tm);
  auto width = [&](const char *s, UINT fmt) {
    RECT r{0, 0, 0, 0};
    DrawTextA(canvas.dc, s, -1, &r, fmt | DT_CALCRECT);
    return r.right;
  };
  EXPECT_EQ(width("&File", DT_SINGLELINE), width("File", DT_SINGLELINE));
  EXPECT_EQ(width("A&&B", DT_SINGLELINE), width("A&B", DT_SINGLELINE | DT_NOPREFIX));
  EXPECT_GT(width("&File", DT_SINGLELINE | DT_NOPREFIX), width("File", DT_SINGLELINE));

  RECT two{0, 0, 0, 0};
  EXPECT_EQ(DrawTextA(canvas.dc, "one\r\nlonger two", -1, &two, DT_CALCRECT), 2 * tm.tmHeight);
  EXPECT_EQ(two.right, width("longer two", DT_SINGLELINE));
  RECT wrapped{0, 0, width("alpha beta", DT_SINGLELINE) + 2, 0};
  EXPECT_EQ(DrawTextA(canvas.dc, "alpha beta gamma", -1, &wrapped, DT_CALCRECT | DT_WORDBREAK),
            2 * tm.tmHeight);

  // The prefixed character is underlined.
  SetBkMode(canvas.dc, TRANSPARENT);
  RECT rc{10, 10, 200, 60};
  DrawTextA(canvas.dc, "&File", -1, &rc, DT_SINGLELINE);
  RECT withLine = canvas.Ink();
  canvas.Clear(kWhite);
  DrawTextA(canvas.dc, "File", -1, &rc, DT_SINGLELINE);
  RECT without = canvas.Ink();
  EXPECT_GT(withLine.bottom, without.bottom);

  // An end ellipsis keeps the line inside the rectangle.
  canvas.Clear(kWhite);
  RECT narrow{10, 10, 60, 40};
  DrawTextA(canvas.dc, "A rather long column title", -1, &narrow,
            DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
  RECT ink = canvas.Ink();
  EXPECT_LE(ink.right, 60);
  EXPECT_GT(ink.right, 40) << "the dots are at the end";
  EXPECT_EQ(DrawTextA(canvas.dc, nullptr, 3, &narrow, 0), 0);
  EXPECT_EQ(DrawTextA(canvas.dc, "x", 1, nullptr, 0), 0);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

// --- The font lookup seam ---------------------------------------------------------

BOOL EverythingIsDejaVu(const char *, int, BOOL, char *path, size_t size, int *index) {
  const char *file = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (strlen(file) >= size)
    return FALSE;
  strcpy(path, file);
  *index = 0;
  return TRUE;
}

BOOL NoFontsAtAll(const char *, int, BOOL, char *, size_t, int *) { return FALSE; }

TEST_F(GdiText, TheFontLookupCanBeReplaced) {
  EXPECT_EQ(vqwinGdiSetFontResolver(EverythingIsDejaVu), nullptr) << "system lookup by default";
  HFONT f = Font("Times New Roman", -12);
  EXPECT_EQ(FontFile(f), "DejaVuSans.ttf");
  // The regular face stands in for bold too, made bold by synthesis, and the
  // plain font of the same size stays plain.
  HFONT bold = Font("Times New Roman", -12, FW_BOLD);
  SIZE plainSize, boldSize;
  SelectObject(canvas.dc, f);
  GetTextExtentPoint32A(canvas.dc, "Hello", 5, &plainSize);
  TextOutA(canvas.dc, 0, 0, "Hello", 5);
  int plainInk = canvas.Count(kWhite);
  canvas.Clear(kWhite);
  SelectObject(canvas.dc, bold);
  GetTextExtentPoint32A(canvas.dc, "Hello", 5, &boldSize);
  TextOutA(canvas.dc, 0, 0, "Hello", 5);
  int boldInk = canvas.Count(kWhite);
  canvas.Clear(kWhite);
  SelectObject(canvas.dc, f);
  TextOutA(canvas.dc, 0, 0, "Hello", 5);
  EXPECT_EQ(canvas.Count(kWhite), plainInk) << "plain after bold is still plain";
  EXPECT_LT(plainInk, boldInk);
  EXPECT_EQ(FontFile(bold), "DejaVuSans.ttf");
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
  DeleteObject(bold);

  EXPECT_EQ(vqwinGdiSetFontResolver(NoFontsAtAll), EverythingIsDejaVu);
  f = Font("Arial", -13);
  SelectObject(canvas.dc, f);
  TEXTMETRICA tm;
  SIZE size;
  EXPECT_FALSE(GetTextMetricsA(canvas.dc, &tm));
  EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc, "x", 1, &size));
  EXPECT_FALSE(TextOutA(canvas.dc, 0, 0, "x", 1));
  RECT rc{0, 0, 50, 50};
  EXPECT_EQ(DrawTextA(canvas.dc, "x", 1, &rc, 0), 0);
  EXPECT_EQ(FontFile(f), "");
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(f);

  EXPECT_EQ(vqwinGdiSetFontResolver(nullptr), NoFontsAtAll);
  f = Font("Arial", -13);
  EXPECT_EQ(FontFile(f), "LiberationSans-Regular.ttf");
  DeleteObject(f);
}

TEST_F(GdiText, ExtentExPointFitsLeadingCharactersAndReportsPrefixExtents) {
  HFONT f = Font("Times New Roman", -15);
  HGDIOBJ old = SelectObject(canvas.dc, f);
  const char text[] = "Gleitkomma 32 Bit";
  const int n = static_cast<int>(sizeof text - 1);
  SIZE whole{};
  ASSERT_TRUE(GetTextExtentPoint32A(canvas.dc, text, n, &whole));
  int dx[sizeof text] = {};
  int fit = -1;
  SIZE size{};
  ASSERT_TRUE(GetTextExtentExPointA(canvas.dc, text, n, whole.cx, &fit, dx, &size));
  EXPECT_EQ(fit, n);
  EXPECT_EQ(size.cx, whole.cx);
  EXPECT_EQ(size.cy, whole.cy);
  for (int i = 0; i < n; ++i) {
    SIZE prefix{};
    GetTextExtentPoint32A(canvas.dc, text, i + 1, &prefix);
    EXPECT_EQ(dx[i], prefix.cx) << "prefix of " << i + 1;
  }
  struct Row {
    const char *name;
    int maxExtent, fit;
  } rows[] = {
      {"exactly ten characters", dx[9], 10},      {"one unit short of ten", dx[9] - 1, 9},
      {"narrower than the first", dx[0] - 1, 0},  {"negative", -1, 0},
      {"wider than the text", whole.cx + 100, n},
  };
  for (const Row &r : rows) {
    fit = -1;
    ASSERT_TRUE(GetTextExtentExPointA(canvas.dc, text, n, r.maxExtent, &fit, nullptr, &size))
        << r.name;
    EXPECT_EQ(fit, r.fit) << r.name;
    EXPECT_EQ(size.cx, whole.cx) << r.name << ": the size is the whole text's";
  }
  SetLastError(0);
  EXPECT_FALSE(GetTextExtentExPointA(canvas.dc, text, -1, 10, &fit, nullptr, &size));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(GetTextExtentExPointA(canvas.dc, nullptr, 3, 10, &fit, nullptr, &size));
  EXPECT_FALSE(GetTextExtentExPointA(canvas.dc, text, n, 10, &fit, nullptr, nullptr));
  EXPECT_FALSE(GetTextExtentExPointA(nullptr, text, n, 10, &fit, nullptr, &size));
  SelectObject(canvas.dc, old);
  DeleteObject(f);
}

} // namespace
