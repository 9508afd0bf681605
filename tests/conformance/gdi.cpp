// GDI: device-context state, 32-bit DIB sections and the bits that
// drawing leaves in them, clipping and rectangle edges, regions, text
// extents. Pixels are read from the DIB bits, so alpha shows too.
#include "conformance.h"

static const int kSide = 12;
static DWORD *g_bits;
// Cleared bitmaps hold this value, so that black with zero alpha shows.
static const DWORD kUntouched = 0x00123456;

static HBITMAP MakeDib(HDC dc) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = kSide;
  bi.bmiHeader.biHeight = -kSide;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void *bits = NULL;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
  g_bits = (DWORD *)bits;
  return bmp;
}

static void Clear(HDC dc) {
  GdiFlush();
  for (int i = 0; i < kSide * kSide; ++i)
    g_bits[i] = kUntouched;
  (void)dc;
}

static DWORD Bits(int x, int y) {
  GdiFlush();
  return g_bits[y * kSide + x];
}

// One row of the bitmap as letters: '.' untouched, 'r'/'k'/'w' for red,
// black, white with zero alpha, 'R'/'K'/'W' with full alpha, '?' else.
static const char *Row(int y) {
  static char row[kSide + 1];
  for (int x = 0; x < kSide; ++x) {
    DWORD v = Bits(x, y);
    DWORD rgb = v & 0xffffff;
    bool opaque = (v >> 24) == 0xff;
    char c = '?';
    if (v == kUntouched)
      c = '.';
    else if (rgb == 0xff0000)
      c = opaque ? 'R' : 'r';
    else if (rgb == 0xffffff)
      c = opaque ? 'W' : 'w';
    else if (rgb == 0)
      c = opaque ? 'K' : 'k';
    row[x] = c;
  }
  row[kSide] = 0;
  return row;
}

static void Rows(const char *key, int from, int to) {
  for (int y = from; y <= to; ++y) {
    char k[64];
    snprintf(k, sizeof k, "%s.row%d", key, y);
    Fact(k, "%s", Row(y));
  }
}

static void State(HDC dc) {
  Fact("dc.rop2", "%d", GetROP2(dc));
  int old = SetROP2(dc, R2_XORPEN);
  Fact("dc.set_rop2", "old %d now %d", old, GetROP2(dc));
  SetROP2(dc, R2_COPYPEN);
  Fact("dc.map_mode", "%d", GetMapMode(dc));
  old = SetMapMode(dc, MM_TEXT);
  Fact("dc.set_map_mode", "old %d now %d", old, GetMapMode(dc));
  Fact("dc.bk_mode", "%d", GetBkMode(dc));
  Fact("dc.bk_color", "%06lx", (unsigned long)GetBkColor(dc));
  Fact("dc.text_color", "%06lx", (unsigned long)GetTextColor(dc));
  Fact("dc.text_align", "%u", GetTextAlign(dc));
  Fact("dc.object_types", "%u %u %u %u %u", (unsigned)GetObjectType(dc),
       (unsigned)GetObjectType(GetCurrentObject(dc, OBJ_BITMAP)),
       (unsigned)GetObjectType(GetCurrentObject(dc, OBJ_PEN)),
       (unsigned)GetObjectType(GetCurrentObject(dc, OBJ_BRUSH)),
       (unsigned)GetObjectType(GetCurrentObject(dc, OBJ_FONT)));
  POINT p = {-1, -1};
  BOOL ok = GetCurrentPositionEx(dc, &p);
  Fact("dc.position", "%d %d,%d", ok ? 1 : 0, (int)p.x, (int)p.y);
  POINT from = {-1, -1};
  MoveToEx(dc, 3, 4, &from);
  GetCurrentPositionEx(dc, &p);
  Fact("dc.move_to", "old %d,%d now %d,%d", (int)from.x, (int)from.y, (int)p.x, (int)p.y);
  LineTo(dc, 8, 4);
  GetCurrentPositionEx(dc, &p);
  Fact("dc.line_to", "now %d,%d", (int)p.x, (int)p.y);
  ok = SetViewportOrgEx(dc, 2, 3, &from);
  Fact("dc.viewport", "%d old %d,%d", ok ? 1 : 0, (int)from.x, (int)from.y);
  GetViewportOrgEx(dc, &p);
  Fact("dc.viewport_now", "%d,%d", (int)p.x, (int)p.y);
  GetCurrentPositionEx(dc, &p);
  Fact("dc.position_after_viewport", "%d,%d", (int)p.x, (int)p.y);
  SetViewportOrgEx(dc, 0, 0, NULL);
  int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  SetROP2(dc, R2_NOT);
  RestoreDC(dc, saved);
  Fact("dc.restore", "saved %d bk %d rop %d", saved, GetBkMode(dc), GetROP2(dc));
}

static void Fills(HDC dc) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  Clear(dc);
  RECT r = {1, 1, 4, 3};
  int n = FillRect(dc, &r, red);
  Fact("fill.result", "%d", n);
  Rows("fill.basic", 0, 3);
  Clear(dc);
  RECT inverted = {5, 5, 2, 2};
  n = FillRect(dc, &inverted, red);
  Fact("fill.inverted", "%d %s", n, Row(3));
  RECT empty = {2, 2, 2, 6};
  n = FillRect(dc, &empty, red);
  Fact("fill.empty", "%d %s", n, Row(3));
  RECT outside = {-3, -3, 2, 2};
  FillRect(dc, &outside, red);
  Rows("fill.outside", 0, 2);
  Clear(dc);
  SetViewportOrgEx(dc, 2, 3, NULL);
  RECT origin = {0, 0, 2, 1};
  FillRect(dc, &origin, red);
  SetViewportOrgEx(dc, 0, 0, NULL);
  Rows("fill.viewport", 2, 4);
  Clear(dc);
  n = IntersectClipRect(dc, 2, 2, 6, 5);
  RECT box;
  int kind = GetClipBox(dc, &box);
  Fact("clip.intersect", "%d box %d %d,%d,%d,%d", n, kind, (int)box.left, (int)box.top,
       (int)box.right, (int)box.bottom);
  RECT all = {0, 0, kSide, kSide};
  FillRect(dc, &all, red);
  Rows("clip.fill", 1, 5);
  n = IntersectClipRect(dc, 4, 4, 4, 8);
  kind = GetClipBox(dc, &box);
  Fact("clip.intersect_empty", "%d box %d %d,%d,%d,%d", n, kind, (int)box.left, (int)box.top,
       (int)box.right, (int)box.bottom);
  SelectClipRgn(dc, NULL);
  kind = GetClipBox(dc, &box);
  Fact("clip.reset", "box %d %d,%d,%d,%d", kind, (int)box.left, (int)box.top, (int)box.right,
       (int)box.bottom);
  n = ExcludeClipRect(dc, 0, 0, 6, 6);
  Fact("clip.exclude", "%d", n);
  SelectClipRgn(dc, NULL);
  DeleteObject(red);
}

static void Drawing(HDC dc) {
  Clear(dc);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  Rectangle(dc, 1, 1, 6, 5);
  Rows("rect", 0, 5);
  Clear(dc);
  MoveToEx(dc, 1, 1, NULL);
  LineTo(dc, 6, 1);
  Fact("line.horizontal", "%s", Row(1));
  Clear(dc);
  COLORREF set = SetPixel(dc, 2, 2, RGB(255, 0, 0));
  Fact("pixel.set", "%06lx bits %08lx get %06lx", (unsigned long)set, (unsigned long)Bits(2, 2),
       (unsigned long)GetPixel(dc, 2, 2));
  COLORREF outside = GetPixel(dc, kSide, 0);
  Fact("pixel.outside", "%08lx %08lx", (unsigned long)outside,
       (unsigned long)SetPixel(dc, -1, 0, 0));
  Clear(dc);
  PatBlt(dc, 0, 0, 3, 1, WHITENESS);
  PatBlt(dc, 3, 0, 3, 1, BLACKNESS);
  Fact("patblt", "%08lx %08lx %s", (unsigned long)Bits(0, 0), (unsigned long)Bits(3, 0), Row(0));
  Clear(dc);
  HDC other = CreateCompatibleDC(dc);
  HBITMAP small = CreateCompatibleBitmap(dc, 4, 4);
  HGDIOBJ oldbmp = SelectObject(other, small);
  RECT r = {0, 0, 4, 4};
  FillRect(other, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
  BitBlt(dc, 1, 1, 2, 2, other, 0, 0, SRCCOPY);
  Fact("bitblt", "%08lx %s", (unsigned long)Bits(1, 1), Row(1));
  SelectObject(other, oldbmp);
  DeleteObject(small);
  DeleteDC(other);
  Clear(dc);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(255, 0, 0));
  TextOutA(dc, 0, 0, "W", 1);
  DWORD alpha = 0, colours = 0;
  GdiFlush();
  for (int i = 0; i < kSide * kSide; ++i) {
    alpha |= g_bits[i] & 0xff000000;
    if (g_bits[i] != kUntouched)
      ++colours;
  }
  Fact("text.alpha", "%08lx painted %d", (unsigned long)alpha, colours > 0 ? 1 : 0);
}

static void Extents(HDC dc) {
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SIZE size = {-1, -1};
  BOOL ok = GetTextExtentPoint32A(dc, "", 0, &size);
  Fact("extent.empty", "%d cx %d cy %s", ok ? 1 : 0, (int)size.cx,
       size.cy == tm.tmHeight ? "height"
       : size.cy == 0         ? "0"
                              : "other");
  SIZE one;
  GetTextExtentPoint32A(dc, "Wg", 2, &one);
  Fact("extent.text", "positive %d cy_is_height %d", (int)one.cx > 0 ? 1 : 0,
       one.cy == tm.tmHeight ? 1 : 0);
  RECT r = {0, 0, 100, 100};
  int h = DrawTextA(dc, "", 0, &r, DT_CALCRECT);
  Fact("extent.drawtext_empty", "height %s rect %d,%d,%d,%d",
       h == tm.tmHeight ? "font"
       : h == 0         ? "0"
                        : "other",
       (int)r.left, (int)r.top, (int)r.right, (int)r.bottom);
  RECT r2 = {0, 0, 100, 100};
  h = DrawTextA(dc, "", -1, &r2, DT_CALCRECT | DT_SINGLELINE);
  Fact("extent.drawtext_empty_single", "height %s rect %d,%d,%d,%s",
       h == tm.tmHeight ? "font"
       : h == 0         ? "0"
                        : "other",
       (int)r2.left, (int)r2.top, (int)r2.right,
       r2.bottom == tm.tmHeight ? "font"
       : r2.bottom == 0         ? "0"
                                : "other");
  RECT r3 = {0, 0, 100, 100};
  h = DrawTextA(dc, "a\nb", -1, &r3, DT_CALCRECT);
  Fact("extent.drawtext_two_lines", "%d", h == 2 * tm.tmHeight ? 1 : 0);
  int fit = -1;
  ok = GetTextExtentExPointA(dc, "", 0, 50, &fit, NULL, &size);
  Fact("extent.ex_empty", "%d fit %d cx %d", ok ? 1 : 0, fit, (int)size.cx);
}

static void Rects() {
  RECT a = {0, 0, 10, 10}, b = {5, 5, 15, 15}, c = {10, 0, 20, 10}, out;
  BOOL n = IntersectRect(&out, &a, &b);
  Fact("rect.intersect", "%d %d,%d,%d,%d", n ? 1 : 0, (int)out.left, (int)out.top, (int)out.right,
       (int)out.bottom);
  n = IntersectRect(&out, &a, &c);
  Fact("rect.intersect_touching", "%d %d,%d,%d,%d", n ? 1 : 0, (int)out.left, (int)out.top,
       (int)out.right, (int)out.bottom);
  RECT e = {3, 3, 3, 8};
  n = UnionRect(&out, &a, &e);
  Fact("rect.union_empty", "%d %d,%d,%d,%d", n ? 1 : 0, (int)out.left, (int)out.top, (int)out.right,
       (int)out.bottom);
  RECT inv = {5, 5, 1, 1};
  Fact("rect.empty", "%d %d %d", IsRectEmpty(&e) ? 1 : 0, IsRectEmpty(&inv) ? 1 : 0,
       IsRectEmpty(&a) ? 1 : 0);
  POINT pts[] = {{0, 0}, {9, 9}, {10, 5}, {5, 10}, {-1, 0}};
  char in[16] = "";
  for (int i = 0; i < 5; ++i)
    in[i] = PtInRect(&a, pts[i]) ? '1' : '0';
  Fact("rect.pt_in", "%s", in);
  RECT f = a;
  InflateRect(&f, -6, 2);
  Fact("rect.inflate", "%d,%d,%d,%d", (int)f.left, (int)f.top, (int)f.right, (int)f.bottom);
  HRGN r1 = CreateRectRgn(0, 0, 10, 10), r2 = CreateRectRgn(10, 0, 20, 10),
       r3 = CreateRectRgn(0, 0, 0, 0);
  int kind = CombineRgn(r3, r1, r2, RGN_OR);
  RECT box;
  GetRgnBox(r3, &box);
  Fact("rgn.or_adjacent", "%d %d,%d,%d,%d", kind, (int)box.left, (int)box.top, (int)box.right,
       (int)box.bottom);
  kind = CombineRgn(r3, r1, r2, RGN_AND);
  Fact("rgn.and_touching", "%d", kind);
  kind = CombineRgn(r3, r1, r2, RGN_DIFF);
  Fact("rgn.diff", "%d", kind);
  HRGN r4 = CreateRectRgn(5, 5, 15, 15);
  kind = CombineRgn(r3, r1, r4, RGN_OR);
  Fact("rgn.or_overlap", "%d", kind);
  in[0] = 0;
  for (int i = 0; i < 5; ++i)
    in[i] = PtInRegion(r1, pts[i].x, pts[i].y) ? '1' : '0';
  in[5] = 0;
  Fact("rgn.pt_in", "%s", in);
  HRGN inverted = CreateRectRgn(10, 10, 0, 0);
  kind = GetRgnBox(inverted, &box);
  Fact("rgn.inverted", "%d %d,%d,%d,%d", kind, (int)box.left, (int)box.top, (int)box.right,
       (int)box.bottom);
  DeleteObject(r1);
  DeleteObject(r2);
  DeleteObject(r3);
  DeleteObject(r4);
  DeleteObject(inverted);
}

int main() {
  HDC screen = GetDC(NULL);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(NULL, screen);
  HBITMAP bmp = MakeDib(dc);
  HGDIOBJ old = SelectObject(dc, bmp);
  BITMAP info = {};
  GetObjectA(bmp, sizeof info, &info);
  Fact("dib.info", "%d x %d bpp %d bits %d", (int)info.bmWidth, (int)info.bmHeight,
       info.bmBitsPixel, info.bmBits ? 1 : 0);
  Fact("dib.initial", "%08lx", (unsigned long)Bits(0, 0));
  State(dc);
  Fills(dc);
  Drawing(dc);
  Extents(dc);
  Rects();
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return 0;
}
