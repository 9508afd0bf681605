// Text output and measurement: TextOut, ExtTextOut, GetTextExtentPoint32
// and USER32's DrawTextA.
//
// Single-byte text is Windows-1252. Every string is laid out once into a
// glyph run with whole-pixel advances from the font's cache; measuring sums
// the same advances, so text lands exactly in the box its extent promises.
// The run buffer is reused between calls: painting a grid allocates nothing
// per cell.
#include "gdi_internal.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace vqwin::gdi {

unsigned Cp1252ToUnicode(unsigned char c) {
  // 0x81, 0x8D, 0x8F, 0x90 and 0x9D are unassigned and pass through.
  static const unsigned short high[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return c >= 0x80 && c < 0xA0 ? high[c - 0x80] : c;
}

namespace {

struct Run {
  std::vector<cairo_glyph_t> glyphs; // x relative to the run's start
  int width = 0;
};

Run &Scratch() {
  static Run run;
  return run;
}

void Layout(FontInstance *inst, const char *s, int n, const INT *dx, Run &run) {
  run.glyphs.resize(n);
  long long x = 0;
  for (int i = 0; i < n; ++i) {
    const GlyphInfo &g = inst->GlyphA(static_cast<unsigned char>(s[i]));
    run.glyphs[i] = cairo_glyph_t{g.index, static_cast<double>(x), 0};
    x += dx ? Coord(dx[i]) : g.advance;
  }
  run.width = Coord(x);
}

void Layout(FontInstance *inst, const WCHAR *s, int n, const INT *dx, Run &run) {
  run.glyphs.clear();
  long long x = 0;
  for (int i = 0; i < n; ++i) {
    unsigned cp = s[i];
    long long advance = dx ? Coord(dx[i]) : 0;
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
      if (dx)
        advance += Coord(dx[i]);
    }
    const GlyphInfo &g = inst->Glyph(cp);
    run.glyphs.push_back(cairo_glyph_t{g.index, static_cast<double>(x), 0});
    x += dx ? advance : g.advance;
  }
  run.width = Coord(x);
}

// Draws a laid-out run as ExtTextOut does, at logical (x, y) under the DC's
// text alignment.
BOOL Output(Dc *dc, FontInstance *inst, int x, int y, UINT options, const RECT *rect, Run &run) {
  Drawing drawing(dc);
  cairo_t *cr = Context(dc);
  if (!cr)
    return FALSE;
  UINT align = dc->s.textAlign;
  if (align & TA_UPDATECP) {
    x = dc->s.pos.x;
    y = dc->s.pos.y;
  }
  int left = x;
  if ((align & TA_CENTER) == TA_CENTER)
    left = x - run.width / 2;
  else if (align & TA_RIGHT)
    left = x - run.width;
  const TEXTMETRICW &tm = inst->tm;
  int baseline = (align & TA_BASELINE) == TA_BASELINE ? y
                 : (align & TA_BOTTOM)                ? y - tm.tmDescent
                                                      : y + tm.tmAscent;
  if (align & TA_UPDATECP)
    dc->s.pos.x = (align & TA_CENTER) == TA_CENTER ? x
                  : (align & TA_RIGHT)             ? left
                                                   : left + run.width;

  int ox = dc->origin.x, oy = dc->origin.y;
  bool clipped = (options & ETO_CLIPPED) && rect;
  if ((options & ETO_OPAQUE) && rect)
    FillDevice(dc, rect->left + ox, rect->top + oy, rect->right - rect->left,
               rect->bottom - rect->top, dc->s.bkColor);
  if (clipped) {
    cairo_save(cr);
    int cx = rect->left + ox, cy = rect->top + oy, cw = rect->right - rect->left,
        ch = rect->bottom - rect->top;
    if (!Bound(dc, cx, cy, cw, ch))
      cw = ch = 0;
    cairo_rectangle(cr, cx, cy, cw, ch);
    cairo_clip(cr);
  }
  if (dc->s.bkMode == OPAQUE)
    FillDevice(dc, left + ox, baseline - tm.tmAscent + oy, run.width, tm.tmHeight, dc->s.bkColor);
  // Only glyphs near the DC are handed to cairo, whose fixed-point
  // coordinates could not place far-off ones.
  const RECT &b = dc->bounds;
  double dx = left + ox, dy = baseline + oy, margin = 2.0 * (tm.tmHeight + tm.tmMaxCharWidth);
  if (!run.glyphs.empty() && dy > b.top - margin && dy < b.bottom + margin) {
    size_t kept = 0;
    for (const auto &g : run.glyphs) {
      double x = g.x + dx;
      if (x > b.left - margin && x < b.right + margin)
        run.glyphs[kept++] = cairo_glyph_t{g.index, x, dy};
    }
    cairo_set_scaled_font(cr, inst->scaled);
    SetColor(cr, dc->s.textColor);
    cairo_show_glyphs(cr, run.glyphs.data(), static_cast<int>(kept));
  }
  if (tm.tmUnderlined)
    FillDevice(dc, left + ox, baseline + inst->underlinePos + oy, run.width,
               inst->underlineThickness, dc->s.textColor);
  if (tm.tmStruckOut)
    FillDevice(dc, left + ox, baseline - inst->strikePos + oy, run.width, inst->underlineThickness,
               dc->s.textColor);
  if (clipped)
    cairo_restore(cr);
  return TRUE;
}

template <class Ch>
BOOL ExtTextOutImpl(HDC hdc, int x, int y, UINT options, const RECT *rect, const Ch *s, UINT c,
                    const INT *dx) {
  Dc *dc = AsDc(hdc);
  if (!dc || (c && !s) || c > static_cast<UINT>(kMaxText)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  x = Coord(x), y = Coord(y);
  RECT clampedRect = rect ? Coord(*rect) : RECT{};
  if (rect)
    rect = &clampedRect;
  FontInstance *inst = Realize(dc->s.font);
  if (!inst) {
    // No face at all: only the opaque rectangle can still be honoured.
    if ((options & ETO_OPAQUE) && rect) {
      Drawing drawing(dc);
      FillDevice(dc, rect->left + dc->origin.x, rect->top + dc->origin.y, rect->right - rect->left,
                 rect->bottom - rect->top, dc->s.bkColor);
    }
    return c == 0;
  }
  Run &run = Scratch();
  Layout(inst, s, static_cast<int>(c), dx, run);
  return Output(dc, inst, x, y, options, rect, run);
}

template <class Ch> BOOL ExtentImpl(HDC hdc, const Ch *s, int c, LPSIZE size) {
  Dc *dc = AsDc(hdc);
  if (!dc || !size || c < 0 || c > kMaxText || (c && !s)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FontInstance *inst = Realize(dc->s.font);
  if (!inst)
    return FALSE;
  Run &run = Scratch();
  Layout(inst, s, c, nullptr, run);
  size->cx = run.width;
  // No characters have no height either, as on Win32.
  size->cy = c ? inst->tm.tmHeight : 0;
  return TRUE;
}

// DrawTextA

struct Line {
  std::string text;
  int underline = -1; // index of the '&'-marked character, or -1
  int width = 0;
};

int Width(FontInstance *inst, const std::string &s) {
  long long w = 0;
  for (unsigned char ch : s)
    w += inst->GlyphA(ch).advance;
  return Coord(w);
}

// Removes '&' prefixes; "&&" stands for one '&'. The last marked character
// is the one underlined, as on Win32.
Line StripPrefixes(const std::string &raw, bool hide) {
  Line line;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '&' && i + 1 < raw.size()) {
      ++i;
      if (raw[i] != '&' && !hide)
        line.underline = static_cast<int>(line.text.size());
    } else if (raw[i] == '&') {
      continue;
    }
    line.text += raw[i];
  }
  return line;
}

std::vector<std::string> SplitLines(const char *s, int n, UINT format) {
  std::vector<std::string> lines;
  if (format & DT_SINGLELINE) {
    lines.emplace_back(s, n);
    return lines;
  }
  std::string cur;
  for (int i = 0; i < n; ++i) {
    if (s[i] == '\r' || s[i] == '\n') {
      if (s[i] == '\r' && i + 1 < n && s[i + 1] == '\n')
        ++i;
      lines.push_back(cur);
      cur.clear();
    } else {
      cur += s[i];
    }
  }
  lines.push_back(cur);
  return lines;
}

// Breaks a line at spaces so that each piece fits the width; a single word
// wider than the width stays whole, as Win32 leaves it.
void WordBreak(FontInstance *inst, const Line &line, int maxWidth, std::vector<Line> &out) {
  size_t start = 0;
  const std::string &t = line.text;
  while (start < t.size()) {
    size_t end = start, lastFit = std::string::npos;
    while (end <= t.size()) {
      if (end == t.size() || t[end] == ' ') {
        if (Width(inst, t.substr(start, end - start)) <= maxWidth || lastFit == std::string::npos)
          lastFit = end;
        else
          break;
      }
      if (end == t.size())
        break;
      ++end;
    }
    Line piece;
    piece.text = t.substr(start, lastFit - start);
    if (line.underline >= static_cast<int>(start) && line.underline < static_cast<int>(lastFit))
      piece.underline = line.underline - static_cast<int>(start);
    out.push_back(piece);
    start = lastFit;
    while (start < t.size() && t[start] == ' ')
      ++start;
  }
  if (t.empty())
    out.push_back(line);
}

void Ellipsize(FontInstance *inst, Line &line, int maxWidth) {
  if (line.width <= maxWidth)
    return;
  int dots = Width(inst, "...");
  size_t keep = line.text.size();
  while (keep > 0 && Width(inst, line.text.substr(0, keep)) + dots > maxWidth)
    --keep;
  line.text = line.text.substr(0, keep) + "...";
  if (line.underline >= static_cast<int>(keep))
    line.underline = -1;
  line.width = Width(inst, line.text);
}

} // namespace

} // namespace vqwin::gdi

using namespace vqwin::gdi;

BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT *lprect, LPCSTR lpString,
                        UINT c, const INT *lpDx) {
  return ExtTextOutImpl(hdc, x, y, options, lprect, lpString, c, lpDx);
}

BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT *lprect, LPCWSTR lpString,
                        UINT c, const INT *lpDx) {
  return ExtTextOutImpl(hdc, x, y, options, lprect, lpString, c, lpDx);
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
  if (c < 0)
    return FALSE;
  return ExtTextOutImpl(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr);
}

BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
  if (c < 0)
    return FALSE;
  return ExtTextOutImpl(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr);
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
  return ExtentImpl(hdc, lpString, c, psizl);
}

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl) {
  return ExtentImpl(hdc, lpString, c, psizl);
}

BOOL WINAPI GetTextExtentExPointA(HDC hdc, LPCSTR lpszString, int cchString, int nMaxExtent,
                                  LPINT lpnFit, LPINT lpnDx, LPSIZE lpSize) {
  Dc *dc = AsDc(hdc);
  if (!dc || !lpSize || cchString < 0 || cchString > kMaxText || (cchString && !lpszString)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FontInstance *inst = Realize(dc->s.font);
  if (!inst)
    return FALSE;
  // Summed as Layout sums them, so the extents match what TextOutA draws.
  long long x = 0;
  int fit = 0;
  for (int i = 0; i < cchString; ++i) {
    x += inst->GlyphA(static_cast<unsigned char>(lpszString[i])).advance;
    const int extent = Coord(x);
    if (lpnDx)
      lpnDx[i] = extent;
    if (fit == i && extent <= nMaxExtent)
      fit = i + 1;
  }
  if (lpnFit)
    *lpnFit = fit;
  lpSize->cx = Coord(x);
  lpSize->cy = cchString ? inst->tm.tmHeight : 0;
  return TRUE;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  Dc *dc = AsDc(hdc);
  if (!dc || !lprc || !lpchText || cchText < -1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // A count of 0 draws and measures nothing, not even a line: Win32
  // answers 0 and leaves the rectangle alone (an empty text with -1 is one
  // empty line).
  if (cchText == 0)
    return 0;
  FontInstance *inst = Realize(dc->s.font);
  if (!inst)
    return 0;
  size_t len = cchText == -1 ? strnlen(lpchText, kMaxText + 1) : static_cast<size_t>(cchText);
  if (len > static_cast<size_t>(kMaxText)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int n = static_cast<int>(len);
  RECT rc = Coord(*lprc);
  int rectWidth = rc.right - rc.left;
  std::vector<Line> lines;
  for (const std::string &raw : SplitLines(lpchText, n, format)) {
    Line line =
        format & DT_NOPREFIX ? Line{raw, -1, 0} : StripPrefixes(raw, format & DT_HIDEPREFIX);
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE))
      WordBreak(inst, line, rectWidth, lines);
    else
      lines.push_back(line);
  }
  const TEXTMETRICW &tm = inst->tm;
  int lineHeight = tm.tmHeight + (format & DT_EXTERNALLEADING ? tm.tmExternalLeading : 0);
  int maxWidth = 0;
  for (Line &line : lines) {
    line.width = Width(inst, line.text);
    if ((format & DT_END_ELLIPSIS) && !(format & DT_CALCRECT))
      Ellipsize(inst, line, rectWidth);
    maxWidth = std::max(maxWidth, line.width);
  }
  int total = Coord(static_cast<long long>(lineHeight) * static_cast<long long>(lines.size()));
  if (format & DT_CALCRECT) {
    lprc->right = Coord(static_cast<long long>(rc.left) + maxWidth);
    lprc->bottom = Coord(static_cast<long long>(rc.top) + total);
    return total;
  }
  int y = rc.top;
  bool single = format & DT_SINGLELINE;
  if (single && (format & DT_VCENTER))
    y = rc.top + (rc.bottom - rc.top - lineHeight) / 2;
  else if (single && (format & DT_BOTTOM))
    y = rc.bottom - lineHeight;

  UINT savedAlign = dc->s.textAlign;
  dc->s.textAlign = TA_LEFT | TA_TOP;
  UINT options = format & DT_NOCLIP ? 0 : ETO_CLIPPED;
  Run &run = Scratch();
  long long lineTop = y;
  for (const Line &line : lines) {
    int x = format & DT_CENTER  ? rc.left + (rectWidth - line.width) / 2
            : format & DT_RIGHT ? rc.right - line.width
                                : rc.left;
    Layout(inst, line.text.data(), static_cast<int>(line.text.size()), nullptr, run);
    Output(dc, inst, x, Coord(lineTop), options, &rc, run);
    if (line.underline >= 0) {
      int ux = x + Width(inst, line.text.substr(0, line.underline));
      int uw = inst->GlyphA(static_cast<unsigned char>(line.text[line.underline])).advance;
      Drawing drawing(dc);
      cairo_t *cr = Context(dc);
      if (cr) {
        cairo_save(cr);
        int cx = rc.left + dc->origin.x, cy = rc.top + dc->origin.y, cw = rectWidth,
            ch = rc.bottom - rc.top;
        if (options) {
          if (!Bound(dc, cx, cy, cw, ch))
            cw = ch = 0;
          cairo_rectangle(cr, cx, cy, cw, ch);
          cairo_clip(cr);
        }
        SetColor(cr, dc->s.textColor);
        cairo_rectangle(cr, ux + dc->origin.x, lineTop + tm.tmAscent + 1 + dc->origin.y, uw, 1);
        cairo_fill(cr);
        cairo_restore(cr);
      }
    }
    lineTop += lineHeight;
  }
  dc->s.textAlign = savedAlign;
  if (single && (format & (DT_VCENTER | DT_BOTTOM)))
    return y - rc.top + lineHeight;
  return total;
}
