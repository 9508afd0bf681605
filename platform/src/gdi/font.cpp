// Fonts: logical fonts, their mapping to installed faces, and realised
// instances with Win32-style metrics.
//
// This is the only file that touches the system's fonts. It asks one
// resolver (fontconfig unless a test installs another) for the file of a
// family, loads it with FreeType and draws it through cairo. Windows face
// names map to the metric-compatible Liberation families; a name that is
// installed as such is used as it is.
//
// Metrics follow the TrueType rules Win32 applies: a negative height is the
// em size in pixels, a positive one the cell height (usWinAscent +
// usWinDescent); ascent and descent are the OS/2 Windows values scaled and
// rounded up, so every glyph's ink stays inside the cell. Advances are hinted
// and whole pixels, which makes measuring and drawing agree exactly.
// Realised instances are shared by all fonts with the same face and size
// and live as long as the process.
#include "gdi_internal.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#if defined(__SANITIZE_ADDRESS__)
#define VQ_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VQ_LEAK_CHECKS 1
#endif
#endif
#ifdef VQ_LEAK_CHECKS
#include <sanitizer/lsan_interface.h>
#endif

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <strings.h>
#include <tuple>

namespace vqwin::gdi {

namespace {

// fontconfig loses a few bytes while it parses the system's configuration,
// once per process; leak checking skips that so it reports only our own.
bool InitFontconfig() {
  static const bool ok = [] {
#ifdef VQ_LEAK_CHECKS
    __lsan_disable();
#endif
    bool result = FcInit();
#ifdef VQ_LEAK_CHECKS
    __lsan_enable();
#endif
    return result;
  }();
  return ok;
}

BOOL SystemResolver(const char *family, int weight, BOOL italic, char *path, size_t pathSize,
                    int *faceIndex) {
  if (!InitFontconfig())
    return FALSE;
  FcPattern *pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern *match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match)
    return FALSE;
  // fontconfig always answers with something; only generic names may take
  // whatever it offers, a real family must be the one installed.
  bool generic =
      !strcmp(family, "sans-serif") || !strcmp(family, "serif") || !strcmp(family, "monospace");
  bool found = generic;
  FcChar8 *name;
  for (int i = 0; !found && FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
    found = strcasecmp(reinterpret_cast<const char *>(name), family) == 0;
  FcChar8 *file;
  int index = 0;
  if (found && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
      strlen(reinterpret_cast<const char *>(file)) < pathSize) {
    strcpy(path, reinterpret_cast<const char *>(file));
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    *faceIndex = index;
  } else {
    found = false;
  }
  FcPatternDestroy(match);
  return found;
}

VQWIN_FONT_RESOLVER resolver = SystemResolver;

struct FaceFile {
  std::string path;
  int index = 0;
};

// Resolved families, so that fontconfig is asked once per family and style.
std::map<std::tuple<std::string, int, bool>, FaceFile> &Resolved() {
  static auto *m = new std::map<std::tuple<std::string, int, bool>, FaceFile>;
  return *m;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0)
      l = nullptr;
    return l;
  }();
  return lib;
}

// One FreeType face per file and synthesis: cairo keeps a font face (and
// its scaled fonts) per FT_Face, so a face synthesised bold must not share
// its FT_Face with the plain one.
FT_Face LoadFace(const FaceFile &f, unsigned synth = 0) {
  static auto *faces = new std::map<std::tuple<std::string, int, unsigned>, FT_Face>;
  auto key = std::make_tuple(f.path, f.index, synth);
  auto it = faces->find(key);
  if (it != faces->end())
    return it->second;
  FT_Face face = nullptr;
  if (!Library() || FT_New_Face(Library(), f.path.c_str(), f.index, &face) != 0)
    face = nullptr;
  (*faces)[key] = face;
  return face;
}

std::string Lower(const WCHAR *name) {
  std::string s;
  for (int i = 0; i < LF_FACESIZE && name[i]; ++i)
    s += static_cast<char>(name[i] < 0x80 ? tolower(name[i]) : '?');
  return s;
}

std::string Narrow(const WCHAR *name) {
  std::string s;
  for (int i = 0; i < LF_FACESIZE && name[i]; ++i)
    s += static_cast<char>(name[i] < 0x80 ? name[i] : '?');
  return s;
}

// Windows face names and the installed families with their metrics.
const char *MappedFamily(const std::string &lower) {
  static const struct {
    const char *windows, *installed;
  } map[] = {
      {"arial", "Liberation Sans"},
      {"helvetica", "Liberation Sans"},
      {"ms sans serif", "Liberation Sans"},
      {"ms shell dlg", "Liberation Sans"},
      {"ms shell dlg 2", "Liberation Sans"},
      {"microsoft sans serif", "Liberation Sans"},
      {"tahoma", "Liberation Sans"},
      {"system", "Liberation Sans"},
      {"arial narrow", "Liberation Sans Narrow"},
      {"times new roman", "Liberation Serif"},
      {"times", "Liberation Serif"},
      {"ms serif", "Liberation Serif"},
      {"courier new", "Liberation Mono"},
      {"courier", "Liberation Mono"},
      {"fixedsys", "Liberation Mono"},
      {"terminal", "Liberation Mono"},
      {"lucida console", "Liberation Mono"},
  };
  for (const auto &m : map)
    if (lower == m.windows)
      return m.installed;
  return nullptr;
}

bool Resolve(const std::string &family, int weight, bool italic, FaceFile *out) {
  auto key = std::make_tuple(family, weight, italic);
  auto it = Resolved().find(key);
  if (it != Resolved().end()) {
    *out = it->second;
    return !out->path.empty();
  }
  char path[4096] = "";
  int index = 0;
  FaceFile f;
  if (resolver(family.c_str(), weight, italic, path, sizeof path, &index)) {
    f.path = path;
    f.index = index;
  }
  Resolved()[key] = f;
  *out = f;
  return !f.path.empty();
}

bool FindFace(const LOGFONTW &lf, FaceFile *out) {
  int weight = lf.lfWeight <= 0 ? FW_NORMAL : std::min(static_cast<int>(lf.lfWeight), 1000);
  bool italic = lf.lfItalic != 0;
  std::string lower = Lower(lf.lfFaceName);
  int family = lf.lfPitchAndFamily & 0xF0;
  bool fixed = (lf.lfPitchAndFamily & 3) == FIXED_PITCH || family == FF_MODERN;
  const char *byPitch = family == FF_ROMAN ? "Liberation Serif"
                        : fixed            ? "Liberation Mono"
                                           : "Liberation Sans";
  const char *generic = family == FF_ROMAN ? "serif" : fixed ? "monospace" : "sans-serif";
  std::string candidates[4];
  int n = 0;
  if (!lower.empty()) {
    if (const char *mapped = MappedFamily(lower))
      candidates[n++] = mapped;
    else
      candidates[n++] = Narrow(lf.lfFaceName);
  }
  candidates[n++] = byPitch;
  candidates[n++] = generic;
  candidates[n++] = "sans-serif";
  for (int i = 0; i < n; ++i)
    if (Resolve(candidates[i], weight, italic, out))
      return true;
  return false;
}

int Scaled(double units, int ppem, int upem) {
  return static_cast<int>(std::lround(units * ppem / upem));
}

int ScaledUp(double units, int ppem, int upem) {
  return static_cast<int>(std::ceil(units * ppem / upem - 1e-6));
}

struct InstanceKey {
  std::string path;
  int index, ppem, width, weight;
  bool italic, underline, strike, mono;
  bool operator<(const InstanceKey &o) const {
    return std::tie(path, index, ppem, width, weight, italic, underline, strike, mono) <
           std::tie(o.path, o.index, o.ppem, o.width, o.weight, o.italic, o.underline, o.strike,
                    o.mono);
  }
};

FontInstance *Instantiate(const LOGFONTW &lf, const FaceFile &file) {
  FT_Face face = LoadFace(file);
  if (!face || face->units_per_EM == 0)
    return nullptr;
  int upem = face->units_per_EM;
  auto *os2 = static_cast<TT_OS2 *>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto *hhea = static_cast<TT_HoriHeader *>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  bool hasOs2 = os2 && os2->version != 0xFFFF;
  double winAscent = hasOs2 ? os2->usWinAscent : face->ascender;
  double winDescent = hasOs2 ? os2->usWinDescent : -face->descender;
  double cell = std::max(1.0, winAscent + winDescent);

  // lfHeight 0 asks for "a reasonable default": 12 pixels per em, 9 points.
  int ppem = lf.lfHeight < 0   ? -lf.lfHeight
             : lf.lfHeight > 0 ? static_cast<int>(std::lround(lf.lfHeight * upem / cell))
                               : 12;
  ppem = std::clamp(ppem, 1, 2000);
  int weight = lf.lfWeight <= 0 ? FW_NORMAL : static_cast<int>(lf.lfWeight);
  bool mono = lf.lfQuality == NONANTIALIASED_QUALITY;
  double avgUnits = hasOs2 && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : upem / 2.0;
  int naturalAvg = std::max(1, Scaled(avgUnits, ppem, upem));
  int width = lf.lfWidth > 0 ? std::min(static_cast<int>(lf.lfWidth), 4000) : 0;

  static auto *instances = new std::map<InstanceKey, FontInstance *>;
  InstanceKey key{file.path,           file.index,          ppem, width, weight, lf.lfItalic != 0,
                  lf.lfUnderline != 0, lf.lfStrikeOut != 0, mono};
  auto it = instances->find(key);
  if (it != instances->end())
    return it->second;

  unsigned synth = 0;
  if (weight >= FW_SEMIBOLD && !(face->style_flags & FT_STYLE_FLAG_BOLD))
    synth |= CAIRO_FT_SYNTHESIZE_BOLD;
  if (lf.lfItalic && !(face->style_flags & FT_STYLE_FLAG_ITALIC))
    synth |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
  FT_Face drawn = synth ? LoadFace(file, synth) : face;
  if (!drawn)
    return nullptr;
  cairo_font_face_t *cface = cairo_ft_font_face_create_for_ft_face(drawn, 0);
  cairo_ft_font_face_set_synthesize(cface, synth);
  double xscale = width ? static_cast<double>(width) / naturalAvg : 1.0;
  cairo_matrix_t fontMatrix, ctm;
  cairo_matrix_init_scale(&fontMatrix, ppem * xscale, ppem);
  cairo_matrix_init_identity(&ctm);
  cairo_font_options_t *options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, mono ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_scaled_font_t *scaled = cairo_scaled_font_create(cface, &fontMatrix, &ctm, options);
  cairo_font_options_destroy(options);
  cairo_font_face_destroy(cface);
  if (cairo_scaled_font_status(scaled) != CAIRO_STATUS_SUCCESS) {
    cairo_scaled_font_destroy(scaled);
    return nullptr;
  }

  auto *inst = new FontInstance;
  inst->scaled = scaled;
  inst->path = file.path;
  inst->ftFace = face;
  TEXTMETRICW &tm = inst->tm;
  tm.tmAscent = ScaledUp(winAscent, ppem, upem);
  tm.tmDescent = ScaledUp(winDescent, ppem, upem);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, static_cast<int>(tm.tmHeight) - ppem);
  if (hhea) {
    double gap = hhea->Line_Gap - ((winAscent + winDescent) - (hhea->Ascender - hhea->Descender));
    tm.tmExternalLeading = std::max(0, Scaled(gap, ppem, upem));
  }
  tm.tmAveCharWidth = width ? width : naturalAvg;
  tm.tmMaxCharWidth = std::max(
      1, static_cast<int>(std::lround(Scaled(face->max_advance_width, ppem, upem) * xscale)));
  if (FT_IS_FIXED_WIDTH(face)) // matches the rounded-up advances of fixed pitch
    tm.tmAveCharWidth = tm.tmMaxCharWidth =
        static_cast<int>(std::ceil(face->max_advance_width * xscale * ppem / upem - 0.004));
  tm.tmWeight = weight;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x1E;
  tm.tmLastChar = 0xFF;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = lf.lfItalic ? 1 : 0;
  tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
  tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
  int family = lf.lfPitchAndFamily & 0xF0;
  // TMPF_FIXED_PITCH set means variable pitch, one of Win32's known quirks.
  tm.tmPitchAndFamily =
      static_cast<BYTE>((family ? family : FF_SWISS) | TMPF_TRUETYPE | TMPF_VECTOR |
                        (FT_IS_FIXED_WIDTH(face) ? 0 : TMPF_FIXED_PITCH));
  tm.tmCharSet = lf.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : lf.lfCharSet;
  inst->underlinePos = std::max(1, Scaled(-face->underline_position, ppem, upem));
  inst->underlineThickness = std::max(1, Scaled(face->underline_thickness, ppem, upem));
  inst->strikePos = hasOs2 ? Scaled(os2->yStrikeoutPosition, ppem, upem) : tm.tmAscent / 3;
  (*instances)[key] = inst;
  return inst;
}

GlyphInfo LoadGlyph(FontInstance *inst, unsigned codepoint) {
  GlyphInfo g;
  g.index = FT_Get_Char_Index(static_cast<FT_Face>(inst->ftFace), codepoint);
  cairo_glyph_t glyph{g.index, 0, 0};
  cairo_text_extents_t ext;
  cairo_scaled_font_glyph_extents(inst->scaled, &glyph, 1, &ext);
  // A rounded advance may end inside the glyph's last inked pixel column; the
  // advance then grows to cover it, so a run's ink never passes its extent.
  // Fixed-pitch faces round every advance up instead, to stay fixed.
  g.advance = static_cast<int>(std::lround(ext.x_advance));
  if (FT_IS_FIXED_WIDTH(static_cast<FT_Face>(inst->ftFace)))
    g.advance = static_cast<int>(std::ceil(ext.x_advance - 0.004));
  else if (ext.width > 0)
    g.advance = std::max(g.advance, static_cast<int>(std::ceil(ext.x_bearing + ext.width - 0.004)));
  g.known = true;
  return g;
}

LOGFONTW WideFromAnsi(const LOGFONTA &a) {
  LOGFONTW w{};
  std::memcpy(&w, &a, offsetof(LOGFONTA, lfFaceName));
  for (int i = 0; i < LF_FACESIZE - 1 && a.lfFaceName[i]; ++i)
    w.lfFaceName[i] =
        static_cast<WCHAR>(Cp1252ToUnicode(static_cast<unsigned char>(a.lfFaceName[i])));
  return w;
}

} // namespace

const GlyphInfo &FontInstance::Glyph(unsigned codepoint) {
  auto it = wide.find(codepoint);
  if (it != wide.end())
    return it->second;
  return wide[codepoint] = LoadGlyph(this, codepoint);
}

const GlyphInfo &FontInstance::LoadA(unsigned char c) {
  ansi[c] = LoadGlyph(this, Cp1252ToUnicode(c));
  return ansi[c];
}

FontInstance *Realize(Font *font) {
  if (font->instance)
    return font->instance;
  FaceFile file;
  if (!FindFace(font->lf, &file))
    return nullptr;
  font->instance = Instantiate(font->lf, file);
  return font->instance;
}

Font *NewFont(const LOGFONTW &lf) {
  auto *f = new Font;
  f->lf = lf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  Register(f);
  return f;
}

} // namespace vqwin::gdi

using namespace vqwin::gdi;

HFONT WINAPI CreateFontIndirectW(const LOGFONTW *lplf) {
  if (!lplf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return reinterpret_cast<HFONT>(NewFont(*lplf));
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA *lplf) {
  if (!lplf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  LOGFONTW w = WideFromAnsi(*lplf);
  return CreateFontIndirectW(&w);
}

HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                         DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                         DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                         DWORD iPitchAndFamily, LPCSTR pszFaceName) {
  LOGFONTA a{};
  a.lfHeight = cHeight;
  a.lfWidth = cWidth;
  a.lfEscapement = cEscapement;
  a.lfOrientation = cOrientation;
  a.lfWeight = cWeight;
  a.lfItalic = static_cast<BYTE>(bItalic);
  a.lfUnderline = static_cast<BYTE>(bUnderline);
  a.lfStrikeOut = static_cast<BYTE>(bStrikeOut);
  a.lfCharSet = static_cast<BYTE>(iCharSet);
  a.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
  a.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
  a.lfQuality = static_cast<BYTE>(iQuality);
  a.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
  if (pszFaceName)
    strncpy(a.lfFaceName, pszFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectA(&a);
}

HFONT WINAPI CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                         DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                         DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                         DWORD iPitchAndFamily, LPCWSTR pszFaceName) {
  HFONT f = CreateFontA(cHeight, cWidth, cEscapement, cOrientation, cWeight, bItalic, bUnderline,
                        bStrikeOut, iCharSet, iOutPrecision, iClipPrecision, iQuality,
                        iPitchAndFamily, nullptr);
  Font *font = AsFont(f);
  for (int i = 0; font && pszFaceName && pszFaceName[i] && i < LF_FACESIZE - 1; ++i)
    font->lf.lfFaceName[i] = pszFaceName[i];
  return f;
}

BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm) {
  Dc *dc = AsDc(hdc);
  FontInstance *inst = dc && lptm ? Realize(dc->s.font) : nullptr;
  if (!inst)
    return FALSE;
  *lptm = inst->tm;
  return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
  TEXTMETRICW w;
  if (!lptm || !GetTextMetricsW(hdc, &w))
    return FALSE;
  std::memcpy(lptm, &w, offsetof(TEXTMETRICA, tmFirstChar));
  lptm->tmFirstChar = static_cast<BYTE>(w.tmFirstChar);
  lptm->tmLastChar = static_cast<BYTE>(w.tmLastChar);
  lptm->tmDefaultChar = static_cast<BYTE>(w.tmDefaultChar);
  lptm->tmBreakChar = static_cast<BYTE>(w.tmBreakChar);
  lptm->tmItalic = w.tmItalic;
  lptm->tmUnderlined = w.tmUnderlined;
  lptm->tmStruckOut = w.tmStruckOut;
  lptm->tmPitchAndFamily = w.tmPitchAndFamily;
  lptm->tmCharSet = w.tmCharSet;
  return TRUE;
}

int WINAPI GetTextFaceA(HDC hdc, int c, LPSTR lpName) {
  Dc *dc = AsDc(hdc);
  if (!dc)
    return 0;
  LOGFONTA a;
  GetObjectA(dc->s.font, sizeof a, &a);
  int len = static_cast<int>(strlen(a.lfFaceName));
  if (!lpName)
    return len + 1;
  if (c <= 0)
    return 0;
  int n = std::min(len, c - 1);
  std::memcpy(lpName, a.lfFaceName, n);
  lpName[n] = 0;
  return n;
}

VQWIN_FONT_RESOLVER WINAPI vqwinGdiSetFontResolver(VQWIN_FONT_RESOLVER r) {
  VQWIN_FONT_RESOLVER previous = resolver == SystemResolver ? nullptr : resolver;
  resolver = r ? r : SystemResolver;
  Resolved().clear();
  return previous;
}

BOOL WINAPI vqwinGdiGetFontFile(HFONT font, char *path, size_t pathSize) {
  Font *f = AsFont(font);
  FontInstance *inst = f ? Realize(f) : nullptr;
  if (!inst || !path || inst->path.size() >= pathSize)
    return FALSE;
  strcpy(path, inst->path.c_str());
  return TRUE;
}
