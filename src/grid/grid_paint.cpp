// How the grid control measures itself, lays out its columns, scrolls
// vertically and paints header, lines and items.
//
// Line geometry, for a bar shown with top line T and V + 1 lines fitting:
//   line i (T <= i <= T + V) spans y = header + (i - T) * lineHeight + 1
//   to that + lineHeight; without the bar every line counts from T = 0.
//
// Chosen here, where the control's description leaves room:
// - A window lower than header plus one line keeps V at 0: one line
//   counts as shown, so the keyboard and scrolling still move.
// - In cell mode with grid lines and different even and odd colours the
//   current cell's highlight is painted again after the line fills, so it
//   stays visible.
// - A scroll that keeps some lines on screen moves their pixels below the
//   header (ScrollBody) and paints only what comes in; painting is a
//   function of the line and its place in the strip pattern alone, so the
//   result is the same as a whole repaint.
// - Cell texts are drawn transparently over the fills, which give the
//   visible colours; lines outside the paint rectangle are skipped.
#include "grid/grid_view.h"

#include "frame/library.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace vq::grid;

namespace {

constexpr int kTextInset = 3;

HFONT MakeFont(int height, int weight, const char *face) {
  return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, 0, OUT_TT_PRECIS, 0, 0, 0, face);
}

HFONT MakeFontW(int height, int weight, const WCHAR *face) {
  return CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, 0, OUT_TT_PRECIS, 0, 0, 0, face);
}

int HorizontalPos(int left, int right, int w, int justify) {
  if (justify == 0)
    return left + kTextInset;
  if (w >= right - left)
    return left + kTextInset;
  return justify == 2 ? right - w - kTextInset : (left + right - w) / 2;
}

int VerticalPos(int top, int bottom, int h, int vjustify) {
  if (vjustify == 0 || h >= bottom - top)
    return top + 1;
  return vjustify == 2 ? bottom - h - 1 : (top + bottom - h) / 2;
}

// Text drawing for single-byte and UTF-16 texts alike.
template <typename Char> struct TextOps;
template <> struct TextOps<char> {
  static SIZE Measure(HDC dc, const char *t, int n) {
    SIZE s{};
    GetTextExtentPoint32A(dc, t, n, &s);
    return s;
  }
  static void Out(HDC dc, int x, int y, const char *t, int n) { TextOutA(dc, x, y, t, n); }
  static constexpr char kDots[4] = "...";
};
template <> struct TextOps<WCHAR> {
  static SIZE Measure(HDC dc, const WCHAR *t, int n) {
    SIZE s{};
    GetTextExtentPoint32W(dc, t, n, &s);
    return s;
  }
  static void Out(HDC dc, int x, int y, const WCHAR *t, int n) { TextOutW(dc, x, y, t, n); }
  static constexpr WCHAR kDots[4] = {'.', '.', '.', 0};
};

// Draws a text into a cell, cut with "..." when it does not fit: the
// text is measured once, then once per character taken away.
template <typename Char>
void DrawCellText(HDC dc, const Char *text, int n, const RECT &r, int justify, int vjustify,
                  int ellipsis) {
  using Ops = TextOps<Char>;
  if (n <= 0)
    return;
  const int cellW = r.right - r.left;
  const int usable = cellW > 6 ? cellW - kTextInset : 0;
  SIZE full = Ops::Measure(dc, text, n);
  if (full.cx <= usable) {
    Ops::Out(dc, HorizontalPos(r.left, r.right, full.cx, justify),
             VerticalPos(r.top, r.bottom, full.cy, vjustify), text, n);
    return;
  }
  int keep = n;
  SIZE part = full;
  while (keep >= 1 && part.cx + ellipsis > usable) {
    --keep;
    if (keep >= 1)
      part = Ops::Measure(dc, text, keep);
  }
  const int y = VerticalPos(r.top, r.bottom, full.cy, vjustify);
  if (keep >= 1) {
    const int x = HorizontalPos(r.left, r.right, part.cx + ellipsis, justify);
    Ops::Out(dc, x, y, text, keep);
    Ops::Out(dc, x + part.cx, y, Ops::kDots, 3);
  } else {
    Ops::Out(dc, HorizontalPos(r.left, r.right, ellipsis, justify), y, Ops::kDots, 3);
  }
}

// The sort triangle of a header cell: s rows, the widest w pixels; it
// takes w + 3 pixels at the right (or, for right-justified headers, the
// left) of the cell and narrows the text rectangle by that.
void DrawSortMark(HDC dc, RECT &text, const SGridColumn &c, int textHeight) {
  const BYTE mark = c.flags & GCF_SORTMASK;
  if (mark != GCF_SORTDOWN && mark != GCF_SORTMASK)
    return;
  int s = textHeight > 6 ? textHeight - 6 : textHeight;
  if (s <= 0)
    return;
  int w = ((s + 1) & ~1) - 1;
  if (w + 3 > text.right - text.left)
    return;
  int x;
  if (c.justify == 2) {
    x = text.left + 3;
    text.left += w + 3;
  } else {
    x = text.right - (w + 3);
    text.right = x;
  }
  const int top = (text.top + text.bottom - s) / 2;
  const COLORREF under = GetPixel(dc, x, top);
  auto lighter = [](int v) { return std::min(v * 12 / 10, 255); };
  const COLORREF colour =
      under == CLR_INVALID
          ? RGB(0, 0, 0)
          : RGB(lighter(GetRValue(under)), lighter(GetGValue(under)), lighter(GetBValue(under)));
  HBRUSH brush = CreateSolidBrush(colour);
  for (int row = 0, left = s - 1; row < s && w > 0; ++row, --left) {
    const int y = mark == GCF_SORTDOWN ? top + row : top + s - 1 - row;
    RECT px{x, y, x + w, y + 1};
    FillRect(dc, &px, brush);
    if (left % 2 == 0) {
      w -= 2;
      ++x;
    }
  }
  DeleteObject(brush);
}

void DrawHeaderCell(CGridView &g, HDC dc, const SGridColumn &c) {
  RECT r{static_cast<LONG>(c.x), 0, static_cast<LONG>(c.x + c.width),
         static_cast<LONG>(g.headerHeight)};
  DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  SIZE ts{};
  GetTextExtentPoint32A(dc, c.headerLen ? c.header : "A", c.headerLen ? int(c.headerLen) : 1, &ts);
  DrawSortMark(dc, r, c, ts.cy);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  DrawCellText(dc, c.header, static_cast<int>(c.headerLen), r, c.justify, c.vjustify,
               static_cast<int>(g.ellipsisWidth));
}

HBRUSH SelectionBrush(const CGridView &g, UINT line) {
  const CBGColor &sel = g.hasFocus ? g.selBack : g.unfocusedBack;
  return (line & 1) ? sel.brush2 : sel.brush1;
}

void FillSolid(HDC dc, const RECT &r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void PaintCurrent(CGridView &g, HDC dc) {
  RECT strip;
  if (g.curLine == kNone || !LineStrip(g, g.curLine, &strip))
    return;
  if (IsLineMode(g)) {
    strip.left = 1;
    strip.right = g.clientW - 1;
  } else {
    if (g.curColumn >= g.columnCount)
      return;
    const SGridColumn &c = g.columns[g.curColumn];
    strip.left = static_cast<LONG>(c.x + 1);
    strip.right = static_cast<LONG>(c.x + c.width);
  }
  FillRect(dc, &strip, SelectionBrush(g, g.curLine));
}

bool SameLineColours(const CGridView &g) { return g.lineBack.color1 == g.lineBack.color2; }

void PaintGridLines(CGridView &g, HDC dc) {
  HGDIOBJ oldPen = SelectObject(dc, g.gridPen);
  const bool same = SameLineColours(g);
  const int lh = static_cast<int>(g.lineHeight);
  UINT line = FirstShownLine(g);
  for (int y = static_cast<int>(g.headerHeight); lh > 0 && y < g.clientH; y += lh, ++line) {
    if (same) {
      MoveToEx(dc, 0, y, nullptr);
      LineTo(dc, g.clientW, y);
      continue;
    }
    const bool current = line == g.curLine;
    const bool odd = line & 1;
    if (!(current && IsLineMode(g))) {
      RECT strip{0, y, g.clientW, y + lh};
      FillRect(dc, &strip, odd ? g.lineBack.brush2 : g.lineBack.brush1);
    }
    if (!current) {
      for (UINT i = 0; i < g.columnCount; ++i) {
        const SGridColumn &c = g.columns[i];
        if (!(c.flags & GCF_BACKCOLORS))
          continue;
        RECT part{static_cast<LONG>(c.x), y, static_cast<LONG>(c.x + c.width), y + lh};
        FillSolid(dc, part, odd ? c.backOdd : c.backEven);
      }
    }
  }
  if (g.columnCount > 1) {
    for (UINT i = 0; i < g.columnCount; ++i) {
      const int x = static_cast<int>(g.columns[i].x);
      if (x > 0 && x < g.clientW) {
        MoveToEx(dc, x, static_cast<int>(g.headerHeight), nullptr);
        LineTo(dc, x, g.clientH);
      }
    }
  }
  SelectObject(dc, oldPen);
}

void DrawBitmapItem(HDC dc, HBITMAP bmp, const RECT &r, const SGridColumn &c) {
  if (!bmp)
    return;
  BITMAP info{};
  if (!GetObjectA(bmp, sizeof info, &info)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u on GetObject( bitmap )",
                      static_cast<UINT>(GetLastError()));
    return;
  }
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, bmp);
  // Monochrome pictures take the text and back colours: keep them black
  // on white whatever line they sit on.
  const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
  const int x = HorizontalPos(r.left, r.right, info.bmWidth, c.justify);
  const int y = VerticalPos(r.top, r.bottom, info.bmHeight, c.vjustify);
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, mem, 0, 0, SRCCOPY);
  SetTextColor(dc, text);
  SetBkColor(dc, back);
  SelectObject(mem, old);
  DeleteDC(mem);
}

void DrawItem(CGridView &g, HDC dc, const SGridElt &e, const SGridColumn &c, const RECT &r) {
  if (c.kind == GCK_CHECKBOX || c.kind == GCK_PICTURE) {
    HBITMAP bmp = nullptr;
    if (c.kind == GCK_CHECKBOX)
      bmp = e.value == 0   ? g.checkOff
            : e.value == 1 ? g.checkOn
            : e.value == 2 ? g.checkUndet
                           : nullptr;
    else
      bmp = e.value == 0 ? g.stateOff : e.value == 1 ? g.stateOn : nullptr;
    if (bmp)
      DrawBitmapItem(dc, bmp, r, c);
    return;
  }
  if (c.kind == GCK_COLOR) {
    RECT swatch{r.left + 2, r.top + 1, r.right - 1, r.bottom - 2};
    if (swatch.right > swatch.left && swatch.bottom > swatch.top)
      FillSolid(dc, swatch, static_cast<COLORREF>(e.value));
    return;
  }
  if (e.type == GIT_TEXTW) {
    const auto *t = reinterpret_cast<const WCHAR *>(e.value);
    int n = 0;
    while (t && t[n] && n < int(kCellTextSize / 2) - 1)
      ++n;
    HGDIOBJ old = SelectObject(dc, g.dataFontW);
    DrawCellText(dc, t, n, r, c.justify, c.vjustify, static_cast<int>(g.ellipsisWidth));
    SelectObject(dc, old);
    return;
  }
  char text[kCellTextSize];
  const UINT n = FormatItemText(e, c.flags, text, sizeof text);
  if (n)
    DrawCellText(dc, text, static_cast<int>(n), r, c.justify, c.vjustify,
                 static_cast<int>(g.ellipsisWidth));
}

// Paints the cells of one line; false when the owner-data callback ended
// the line early (the rest of it stays empty).
void PaintLine(CGridView &g, HDC dc, UINT line, const SGridLine *rec, int top) {
  const int p = line & 1;
  const bool current = line == g.curLine;
  const COLORREF selected = g.hasFocus ? g.selText[p] : g.unfocusedText[p];
  const bool wholeLine = current && IsLineMode(g);
  for (UINT i = 0; i < g.columnCount; ++i) {
    const SGridColumn &c = g.columns[i];
    if (c.width == 0)
      continue;
    COLORREF colour = g.textColor[p];
    if (wholeLine || (current && i == g.curColumn))
      colour = selected;
    else if (c.flags & GCF_TEXTCOLOR)
      colour = c.text;
    SetTextColor(dc, colour);
    const RECT r{static_cast<LONG>(c.x), top, static_cast<LONG>(c.x + c.width),
                 top + static_cast<LONG>(g.lineHeight)};
    if (!rec) {
      char text[kCellTextSize];
      UINT length = 0;
      text[0] = '\0';
      if (!g.ownerCallback(line, i, text, sizeof text, &length, g.ownerValue))
        return;
      text[sizeof text - 1] = '\0';
      length = std::min<UINT>(length, static_cast<UINT>(std::strlen(text)));
      DrawCellText(dc, text, static_cast<int>(length), r, c.justify, c.vjustify,
                   static_cast<int>(g.ellipsisWidth));
    } else if (i < rec->itemCount) {
      DrawItem(g, dc, rec->items[i], c, r);
    }
  }
}

void PaintItems(CGridView &g, HDC dc, const RECT &dirty) {
  HGDIOBJ oldFont = SelectObject(dc, g.dataFont);
  SetBkMode(dc, TRANSPARENT);
  const UINT first = FirstShownLine(g);
  const bool owner = (g.style & GS_OWNERDATA) && g.ownerCallback;
  const UINT n = g.GetLineCount();
  const SGridLine *rec = owner ? nullptr : FindLine(g, first);
  for (UINT line = first; line < n && (owner || rec); ++line) {
    RECT strip;
    if (!LineStrip(g, line, &strip))
      break;
    if (strip.bottom > dirty.top && strip.top < dirty.bottom)
      PaintLine(g, dc, line, rec, strip.top);
    if (rec)
      rec = rec->next;
  }
  SelectObject(dc, oldFont);
}

} // namespace

namespace vq::grid {

bool CreateFontsAndMetrics(CGridView &g) {
  HDC dc = GetDC(g.hWnd);
  const int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  if (!g.titleFont) {
    g.titleFont = MakeFont(height, 600, "MS Sans Serif");
    if (!g.titleFont) {
      const UINT err = static_cast<UINT>(GetLastError());
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u on creating the title font", err);
      theLibrary.ErrorBox(kMsgNoFont, err);
      ReleaseDC(g.hWnd, dc);
      return false;
    }
    g.ownTitleFont = TRUE;
  }
  if (!g.dataFont) {
    g.dataFont = MakeFont(height, 500, "MS Sans Serif");
    g.ownDataFont = g.dataFont != nullptr;
  }
  if (!g.dataFontW) {
    static const WCHAR arial[] = {'A', 'r', 'i', 'a', 'l', 0};
    g.dataFontW = MakeFontW(height, 500, arial);
    g.ownDataFontW = g.dataFontW != nullptr;
  }
  if (!g.dataFont || !g.dataFontW) {
    const UINT err = static_cast<UINT>(GetLastError());
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u on creating the data font", err);
    theLibrary.ErrorBox(kMsgNoFont, err);
    ReleaseDC(g.hWnd, dc);
    return false;
  }
  // The tallest letters of the Latin-1 page set the heights.
  static const char sample[] = "A\xC4\xD6\xDC\xDF"
                               "fgjpqrs0123456789()[]{}";
  HGDIOBJ old = SelectObject(dc, g.titleFont);
  SIZE s{};
  GetTextExtentPoint32A(dc, sample, 28, &s);
  g.headerHeight = static_cast<UINT>(4 * s.cy / 3);
  g.lineHeight = g.headerHeight > 2 ? g.headerHeight - 2 : 1;
  SelectObject(dc, g.dataFont);
  GetTextExtentPoint32A(dc, "...", 3, &s);
  g.ellipsisWidth = static_cast<UINT>(s.cx);
  SelectObject(dc, old);
  ReleaseDC(g.hWnd, dc);
  return true;
}

void ComputeColumnPositions(CGridView &g) {
  UINT64 sum = 0;
  UINT left = 0;
  const UINT64 w = g.clientW > 0 ? static_cast<UINT64>(g.clientW) : 0;
  for (UINT i = 0; i < g.columnCount; ++i) {
    sum += g.columns[i].percent;
    const UINT right = static_cast<UINT>((w * sum + 50) / 100);
    g.columns[i].x = left;
    g.columns[i].width = right >= left ? right - left : 0;
    left = right;
  }
  g.totalWidth = left;
}

int VisibleOffset(const CGridView &g) {
  if (g.lineHeight == 0)
    return 0;
  const int v = (g.clientH - static_cast<int>(g.headerHeight)) / static_cast<int>(g.lineHeight) - 1;
  return v > 0 ? v : 0;
}

UINT FirstShownLine(const CGridView &g) { return g.vBarShown ? g.topLine : 0; }

void UpdateVScroll(CGridView &g, BOOL redraw) {
  if (!g.hWnd)
    return;
  const UINT n = g.GetLineCount();
  if (static_cast<UINT64>(g.lineHeight) * n + g.headerHeight <= static_cast<UINT64>(g.clientH)) {
    if (g.vBarShown) {
      g.vBarShown = FALSE;
      g.topLine = 0;
      ShowScrollBar(g.hWnd, SB_VERT, FALSE);
    }
    return;
  }
  const int v = VisibleOffset(g);
  g.lastVisible = static_cast<UINT>(v);
  const UINT max = n - static_cast<UINT>(v) - 1;
  if (g.vBarShown && g.scrollMax == max)
    return;
  if (!g.vBarShown)
    g.topLine = 0;
  g.topLine = std::min(g.topLine, max);
  g.scrollMax = max;
  g.vBarShown = TRUE;
  SetScrollRange(g.hWnd, SB_VERT, 0, static_cast<int>(max), FALSE);
  SetScrollPos(g.hWnd, SB_VERT, static_cast<int>(g.topLine), redraw);
  if (redraw)
    InvalidateRect(g.hWnd, nullptr, TRUE);
}

void UpdateHScroll(CGridView &g) {
  const BOOL need = static_cast<int>(g.totalWidth) > g.clientW;
  if (need == g.hBarShown)
    return;
  g.hBarShown = need;
  if (need)
    SetScrollRange(g.hWnd, SB_HORZ, 0, static_cast<int>(g.totalWidth) - g.clientW, TRUE);
  ShowScrollBar(g.hWnd, SB_HORZ, need);
}

bool LineStrip(const CGridView &g, UINT line, RECT *strip) {
  if (line == kNone)
    return false;
  const UINT first = FirstShownLine(g);
  if (line < first)
    return false;
  if (g.vBarShown && line > g.topLine + static_cast<UINT>(VisibleOffset(g)))
    return false;
  const INT64 top =
      static_cast<INT64>(g.headerHeight) + static_cast<INT64>(line - first) * g.lineHeight + 1;
  if (!g.vBarShown && (line > LineTotal(g) || top >= g.clientH))
    return false;
  strip->left = 0;
  strip->right = g.clientW;
  strip->top = static_cast<LONG>(top);
  strip->bottom = static_cast<LONG>(top + g.lineHeight);
  return true;
}

void ScrollBody(CGridView &g, UINT oldTop) {
  if (!g.hWnd || g.topLine == oldTop)
    return;
  const INT64 delta = static_cast<INT64>(g.topLine) - oldTop;
  const INT64 lines = delta < 0 ? -delta : delta;
  const int v = VisibleOffset(g), lh = static_cast<int>(g.lineHeight),
            header = static_cast<int>(g.headerHeight);
  if (lh == 0 || lines > v || g.clientH <= header) {
    InvalidateRect(g.hWnd, nullptr, TRUE);
    return;
  }
  const int shift = static_cast<int>(lines) * lh;
  const RECT body{0, header, g.clientW, g.clientH};
  ScrollWindowEx(g.hWnd, 0, delta > 0 ? -shift : shift, &body, &body, nullptr, nullptr,
                 SW_INVALIDATE | SW_ERASE);
  // The moved pixels cannot give the lines that come in, nor the part-line
  // strip under the last full line: it shows the fills of a line but never
  // its texts, so a line moved into it or out of it must be painted again.
  const int partStrip = header + (v + 1) * lh;
  if (delta > 0) {
    const RECT fresh{0, partStrip - shift, g.clientW, g.clientH};
    InvalidateRect(g.hWnd, &fresh, TRUE);
  } else {
    const RECT fresh{0, header, g.clientW, header + shift + 1};
    const RECT part{0, partStrip, g.clientW, g.clientH};
    InvalidateRect(g.hWnd, &fresh, TRUE);
    InvalidateRect(g.hWnd, &part, TRUE);
  }
}

void OnSize(CGridView &g, int width, int height) {
  g.clientW = width;
  g.clientH = height;
  UpdateVScroll(g, TRUE);
  ComputeColumnPositions(g);
  UpdateHScroll(g);
  const UINT n = g.GetLineCount();
  const UINT v = static_cast<UINT>(VisibleOffset(g));
  if (g.vBarShown && g.topLine + v >= n)
    g.ScrollLines(static_cast<int>(n) - static_cast<int>(v) - static_cast<int>(g.topLine) - 1);
  InvalidateRect(g.hWnd, nullptr, TRUE);
}

void OnVScroll(CGridView &g, WPARAM wp) {
  const UINT t = g.topLine, v = static_cast<UINT>(VisibleOffset(g)), max = g.scrollMax;
  UINT top = t;
  switch (LOWORD(wp)) {
  case SB_LINEUP:
    if (t > 0)
      top = t - 1;
    break;
  case SB_LINEDOWN:
    if (t < max)
      top = t + 1;
    break;
  case SB_PAGEUP:
    top = t > v ? t - v : 0;
    break;
  case SB_PAGEDOWN:
    top = std::min(t + v, max);
    break;
  case SB_THUMBPOSITION:
  case SB_THUMBTRACK:
    top = HIWORD(wp);
    break;
  case SB_TOP:
    top = 0;
    break;
  case SB_BOTTOM:
    top = max;
    break;
  default:
    return;
  }
  if (!g.vBarShown || top == t)
    return;
  g.topLine = top;
  SetScrollPos(g.hWnd, SB_VERT, static_cast<int>(top), TRUE);
  Notify(g, g.ownId, GVN_TOPLINECHANGED, static_cast<LPARAM>(top));
  ScrollBody(g, t);
}

void OnPaint(CGridView &g) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(g.hWnd, &ps);
  if (!dc)
    return;
  HGDIOBJ oldBrush = GetCurrentObject(dc, OBJ_BRUSH);
  HGDIOBJ oldFont = SelectObject(dc, g.titleFont);
  if (g.columnCount) {
    for (UINT i = 0; i < g.columnCount; ++i)
      DrawHeaderCell(g, dc, g.columns[i]);
    if (SameLineColours(g)) {
      for (UINT i = 0; i < g.columnCount; ++i) {
        const SGridColumn &c = g.columns[i];
        if (!(c.flags & GCF_BACKCOLORS))
          continue;
        RECT body{static_cast<LONG>(c.x), static_cast<LONG>(g.headerHeight),
                  static_cast<LONG>(c.x + c.width), g.clientH};
        FillSolid(dc, body, c.backEven);
      }
    }
  }
  PaintCurrent(g, dc);
  if (g.style & GS_GRIDLINES) {
    PaintGridLines(g, dc);
    if (!SameLineColours(g) && !IsLineMode(g))
      PaintCurrent(g, dc);
  }
  PaintItems(g, dc, ps.rcPaint);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBrush);
  EndPaint(g.hWnd, &ps);
}

UINT FormatItemText(const SGridElt &e, BYTE flags, char *buffer, UINT size) {
  if (!buffer || size == 0)
    return 0;
  buffer[0] = '\0';
  char digits[48];
  int n = -1;
  const UINT64 v64 = (static_cast<UINT64>(e.highValue) << 32) | static_cast<DWORD>(e.value);
  switch (e.type) {
  case GIT_UINT:
    n = std::snprintf(digits, sizeof digits, "%u", static_cast<UINT>(e.value));
    break;
  case GIT_INT:
    n = std::snprintf(digits, sizeof digits, "%d", static_cast<int>(static_cast<DWORD>(e.value)));
    break;
  case GIT_UINT64:
    n = std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(v64));
    break;
  case GIT_INT64:
    n = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(v64));
    break;
  case GIT_FIXED2:
    return FormatMoney(buffer, size, static_cast<DWORD>(e.value) * 0.01);
  case GIT_TEXT:
    return CopyText(buffer, size, reinterpret_cast<const char *>(e.value));
  case GIT_TEXTW: {
    // Painting draws UTF-16 texts itself; the editor's first text takes the
    // characters that the single-byte page has.
    const auto *t = reinterpret_cast<const WCHAR *>(e.value);
    UINT i = 0;
    for (; t && t[i] && i + 1 < size && i + 1 < size / 2; ++i)
      buffer[i] = t[i] < 0x100 ? static_cast<char>(t[i]) : '?';
    buffer[i] = '\0';
    return i;
  }
  default:
    return 0;
  }
  if (n < 0)
    return 0;
  if (flags & GCF_GROUPDIGITS)
    n = static_cast<int>(GroupDigits(digits, static_cast<UINT>(n)));
  return CopyText(buffer, size, digits);
}

} // namespace vq::grid

// ---- The scrolling slots of IGridView ----

int CGridView::GetLineVisibility(UINT line) {
  if (vBarShown) {
    if (line < topLine)
      return -1;
    return line > topLine + static_cast<UINT>(VisibleOffset(*this)) ? 1 : 0;
  }
  return line > GetLineCount() ? 1 : 0;
}

BOOL CGridView::EnsureVisible(UINT line) {
  if (!vBarShown)
    return FALSE;
  const UINT v = static_cast<UINT>(VisibleOffset(*this));
  if (line < topLine)
    return ScrollLines(static_cast<int>(line) - static_cast<int>(topLine));
  if (line > topLine + v)
    return ScrollLines(static_cast<int>(line - v - topLine));
  return TRUE;
}

BOOL CGridView::RedrawLine(UINT line) {
  RECT strip;
  if (!hWnd || !LineStrip(*this, line, &strip))
    return FALSE;
  // The line's fill and grid line start one row above its strip; without
  // that row a line leaving the current line mode keeps a stale gap there.
  --strip.top;
  return InvalidateRect(hWnd, &strip, TRUE);
}

BOOL CGridView::ScrollLines(int delta) {
  if (!vBarShown)
    return FALSE;
  if (delta < 0 && static_cast<UINT>(-static_cast<INT64>(delta)) > topLine)
    return FALSE;
  if (delta == 0)
    return TRUE;
  if (delta > 0 && static_cast<UINT64>(topLine) + static_cast<UINT>(delta) >= GetLineCount())
    return FALSE;
  const UINT old = topLine;
  topLine = static_cast<UINT>(static_cast<INT64>(topLine) + delta);
  SetScrollPos(hWnd, SB_VERT, static_cast<int>(topLine), TRUE);
  ScrollBody(*this, old);
  return TRUE;
}

BOOL CGridView::SetTopLine(UINT line) {
  if (!vBarShown)
    return FALSE;
  const UINT old = topLine;
  topLine = std::min(line, GetLineCount());
  SetScrollPos(hWnd, SB_VERT, static_cast<int>(topLine), TRUE);
  ScrollBody(*this, old);
  return TRUE;
}

UINT CGridView::GetTopLine() { return vBarShown ? topLine : 0; }
