// Statements of resource scripts and the Win32 layouts they compile to:
// string tables as blocks of 16 counted UTF-16 strings, DIALOGEX as
// DLGTEMPLATEEX, bitmaps as packed DIBs (the file without its file header),
// icon and cursor files split into single images plus a group directory.
#include "rc_preprocessor.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

namespace vqrc {
namespace {

constexpr uint16_t kRtCursor = 1, kRtBitmap = 2, kRtIcon = 3, kRtDialog = 5, kRtString = 6,
                   kRtGroupCursor = 12, kRtGroupIcon = 14;
constexpr uint32_t kWsChild = 0x40000000, kWsVisible = 0x10000000, kWsPopup = 0x80000000,
                   kWsBorder = 0x00800000, kWsSysMenu = 0x00080000, kWsCaption = 0x00C00000,
                   kWsGroup = 0x00020000, kWsTabStop = 0x00010000, kDsSetFont = 0x40;

std::string Upper(std::string s) {
  for (char &c : s)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Little-endian writer for the Win32 layouts.
struct Writer {
  std::vector<uint8_t> bytes;
  void u8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
  void u16(uint32_t v) { u8(v & 0xFF), u8((v >> 8) & 0xFF); }
  void u32(uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); }
  void text(const std::u16string &s) {
    for (char16_t c : s)
      u16(c);
    u16(0);
  }
  void align4() {
    while (bytes.size() % 4)
      u8(0);
  }
  void append(const uint8_t *p, size_t n) { bytes.insert(bytes.end(), p, p + n); }
};

uint32_t ReadLe(const std::string &s, size_t at, int width) {
  uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i)
    v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
  return v;
}

// A title, class or menu of a dialog: absent, an ordinal, or a text.
struct NameOrOrdinal {
  enum { None, Ordinal, Text } kind = None;
  uint16_t ordinal = 0;
  std::u16string text;
  void write(Writer &w) const {
    if (kind == Ordinal) {
      w.u16(0xFFFF);
      w.u16(ordinal);
    } else if (kind == Text) {
      w.text(text);
    } else {
      w.u16(0);
    }
  }
};

struct Control {
  uint32_t helpId = 0, exStyle = 0, style = 0, id = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal cls, title;
};

// A DIALOGEX statement's header; the defaults are a resource compiler's.
struct DialogHead {
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint32_t helpId = 0, exStyle = 0;
  uint32_t style = kWsPopup | kWsBorder | kWsSysMenu;
  bool haveCaption = false, haveFont = false;
  std::u16string caption, face;
  uint16_t pointSize = 0, weight = 0;
  uint8_t italic = 0, charset = 1; // DEFAULT_CHARSET
  NameOrOrdinal menu, cls;
};

// The DLGTEMPLATEEX layout (see the platform's dialog template reader).
std::vector<uint8_t> DialogTemplate(const DialogHead &d, const std::vector<Control> &controls) {
  Writer w;
  w.u16(1); // dlgVer
  w.u16(0xFFFF);
  w.u32(d.helpId);
  w.u32(d.exStyle);
  w.u32(d.style);
  w.u16(static_cast<uint32_t>(controls.size()));
  for (int16_t v : {d.x, d.y, d.cx, d.cy})
    w.u16(static_cast<uint16_t>(v));
  d.menu.write(w);
  d.cls.write(w);
  w.text(d.caption);
  if (d.haveFont) {
    w.u16(d.pointSize);
    w.u16(d.weight);
    w.u8(d.italic);
    w.u8(d.charset);
    w.text(d.face);
  }
  for (const Control &c : controls) {
    w.align4();
    w.u32(c.helpId);
    w.u32(c.exStyle);
    w.u32(c.style);
    for (int16_t v : {c.x, c.y, c.cx, c.cy})
      w.u16(static_cast<uint16_t>(v));
    w.u32(c.id);
    c.cls.write(w);
    c.title.write(w);
    w.u16(0); // no creation data
  }
  return std::move(w.bytes);
}

struct ControlKind {
  const char *keyword;
  bool hasText;
  uint16_t atom; // predefined class: 0x80 button ... 0x85 combo box
  uint32_t style;
};

// Default styles as a Windows resource compiler gives each control keyword;
// WS_CHILD | WS_VISIBLE come on top of each.
const ControlKind kControls[] = {
    {"LTEXT", true, 0x82, 0x0 | kWsGroup},
    {"RTEXT", true, 0x82, 0x2 | kWsGroup},
    {"CTEXT", true, 0x82, 0x1 | kWsGroup},
    {"PUSHBUTTON", true, 0x80, 0x0 | kWsTabStop},
    {"DEFPUSHBUTTON", true, 0x80, 0x1 | kWsTabStop},
    {"CHECKBOX", true, 0x80, 0x2 | kWsTabStop},
    {"AUTOCHECKBOX", true, 0x80, 0x3 | kWsTabStop},
    {"RADIOBUTTON", true, 0x80, 0x4 | kWsTabStop},
    {"STATE3", true, 0x80, 0x5 | kWsTabStop},
    {"AUTO3STATE", true, 0x80, 0x6 | kWsTabStop},
    {"GROUPBOX", true, 0x80, 0x7},
    {"AUTORADIOBUTTON", true, 0x80, 0x9},
    {"PUSHBOX", true, 0x80, 0xA | kWsTabStop},
    {"EDITTEXT", false, 0x81, 0x0 | kWsBorder | kWsTabStop},
    {"LISTBOX", false, 0x83, 0x1 | kWsBorder},
    {"COMBOBOX", false, 0x85, 0x1 | kWsTabStop},
    {"SCROLLBAR", false, 0x84, 0x0},
};

const std::pair<const char *, uint16_t> kClassAtoms[] = {{"BUTTON", 0x80},    {"EDIT", 0x81},
                                                         {"STATIC", 0x82},    {"LISTBOX", 0x83},
                                                         {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85}};

bool IsMemoryOption(const Token &t) {
  static const char *const names[] = {"DISCARDABLE", "MOVEABLE",      "FIXED",      "PURE",
                                      "IMPURE",      "PRELOAD",       "LOADONCALL", "SHARED",
                                      "NONSHARED",   "NONDISCARDABLE"};
  return t.kind == Tok::Ident && std::any_of(std::begin(names), std::end(names),
                                             [&](const char *n) { return t.text == n; });
}

class Parser {
public:
  Parser(Preprocessor &pp, const Options &options) : pp_(pp), language_(options.defaultLanguage) {}

  std::vector<Resource> run() {
    for (Token t = pp_.peek(); t.kind != Tok::End; t = pp_.peek())
      statement();
    finishStrings();
    std::sort(resources_.begin(), resources_.end(), [](const Resource &a, const Resource &b) {
      return std::tie(a.type.text, a.type.id, a.name.text, a.name.id, a.language) <
             std::tie(b.type.text, b.type.id, b.name.text, b.name.id, b.language);
    });
    return std::move(resources_);
  }

private:
  // ---- tokens ----

  Token take() {
    Token t = pp_.next();
    if (t.file) {
      lastFile_ = *t.file;
      lastLine_ = t.line;
    }
    return t;
  }
  [[noreturn]] void fail(const Token &at, const std::string &message) const {
    if (at.file)
      throw CompileError{*at.file, at.line, message};
    throw CompileError{lastFile_, lastLine_, message};
  }
  static std::string describe(const Token &t) {
    if (t.kind == Tok::End)
      return "end of file";
    if (t.kind == Tok::String)
      return "a string";
    return "'" + t.text + "'";
  }
  void expect(const char *punct, const char *what) {
    Token t = take();
    if (!t.is(punct))
      fail(t, std::string("expected ") + what + ", found " + describe(t));
  }
  bool acceptComma() {
    if (pp_.peek().is(",")) {
      take();
      return true;
    }
    return false;
  }
  bool isBegin(const Token &t) const {
    return t.is("{") || (t.kind == Tok::Ident && t.text == "BEGIN");
  }
  bool isEnd(const Token &t) const {
    return t.is("}") || (t.kind == Tok::Ident && t.text == "END");
  }
  std::u16string string(const char *what) {
    Token t = take();
    if (t.kind != Tok::String)
      fail(t, std::string("expected ") + what + ", found " + describe(t));
    std::u16string s = t.wide;
    while (pp_.peek().kind == Tok::String)
      s += take().wide;
    return s;
  }

  // Dialog texts are NUL-terminated, and a leading U+FFFF marks an ordinal:
  // neither may appear inside a text or it would read back differently.
  void checkDialogText(const std::u16string &text, const Token &at) {
    if (text.find(u'\0') != std::u16string::npos)
      fail(at, "NUL character in dialog text");
    if (!text.empty() && text[0] == 0xFFFF)
      fail(at, "dialog text starts with U+FFFF");
  }
  std::u16string dialogString(const char *what) {
    const Token at = pp_.peek();
    std::u16string text = string(what);
    checkDialogText(text, at);
    return text;
  }

  // ---- expressions ----

  uint32_t primary(int depth) {
    if (depth > 200)
      fail(pp_.peek(), "expression nested too deeply");
    Token t = take();
    if (t.kind == Tok::Number)
      return t.value;
    if (t.is("-"))
      return 0u - primary(depth + 1);
    if (t.is("+"))
      return primary(depth + 1);
    if (t.is("~"))
      return ~primary(depth + 1);
    if (t.is("(")) {
      const uint32_t v = expression(depth + 1);
      expect(")", "')'");
      return v;
    }
    if (t.kind == Tok::Ident) {
      if (const uint32_t *v = KnownSymbol(t.text))
        return *v;
      fail(t, "undefined symbol '" + t.text + "'");
    }
    fail(t, "expected a number, found " + describe(t));
  }
  uint32_t product(int depth) {
    uint32_t v = primary(depth);
    while (pp_.peek().is("*") || pp_.peek().is("/")) {
      const Token op = take();
      const uint32_t r = primary(depth);
      if (op.is("/") && r == 0)
        fail(op, "division by zero");
      v = op.is("*") ? v * r : v / r;
    }
    return v;
  }
  uint32_t sum(int depth) {
    uint32_t v = product(depth);
    while (pp_.peek().is("+") || pp_.peek().is("-")) {
      const bool plus = take().is("+");
      const uint32_t r = product(depth);
      v = plus ? v + r : v - r;
    }
    return v;
  }
  uint32_t conjunction(int depth) {
    uint32_t v = sum(depth);
    while (pp_.peek().is("&")) {
      take();
      v &= sum(depth);
    }
    return v;
  }
  uint32_t expression(int depth = 0) {
    uint32_t v = conjunction(depth);
    while (pp_.peek().is("|")) {
      take();
      v |= conjunction(depth);
    }
    return v;
  }
  // Style lists apply left to right onto the default: "NOT x" clears x.
  uint32_t style(uint32_t base) {
    for (;;) {
      const Token t = pp_.peek();
      if (t.kind == Tok::Ident && t.text == "NOT") {
        take();
        base &= ~conjunction(0);
      } else {
        base |= conjunction(0);
      }
      if (!pp_.peek().is("|"))
        return base;
      take();
    }
  }
  int16_t coordinate() {
    const Token at = pp_.peek();
    const auto v = static_cast<int32_t>(expression());
    if (v < -32768 || v > 32767)
      fail(at, "value " + std::to_string(v) + " out of range");
    return static_cast<int16_t>(v);
  }
  uint16_t word(const char *what) {
    const Token at = pp_.peek();
    const uint32_t v = expression();
    if (v > 0xFFFF)
      fail(at, std::string(what) + " " + std::to_string(v) + " out of range");
    return static_cast<uint16_t>(v);
  }

  // ---- statements ----

  ResourceKey resourceName() {
    const Token t = pp_.peek();
    if (t.kind == Tok::String) {
      take();
      std::string narrow;
      for (char16_t c : t.wide)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
      if (narrow.empty())
        fail(t, "empty resource name");
      return {Upper(narrow), 0};
    }
    if (t.kind == Tok::Ident && !KnownSymbol(t.text)) {
      take();
      return {Upper(t.text), 0};
    }
    return {std::string(), word("resource id")};
  }

  void add(const Token &at, uint16_t type, ResourceKey name, std::vector<uint8_t> data) {
    for (const Resource &r : resources_)
      if (r.type.id == type && r.type.text.empty() && r.name == name && r.language == language_)
        fail(at, "duplicate resource " + (name.text.empty() ? std::to_string(name.id) : name.text));
    resources_.push_back({{std::string(), type}, std::move(name), language_, std::move(data)});
  }

  void statement() {
    const Token first = pp_.peek();
    if (first.kind == Tok::Ident && first.text == "LANGUAGE") {
      take();
      language_ = languageArguments();
      return;
    }
    if (first.kind == Tok::Ident && first.text == "STRINGTABLE") {
      take();
      stringTable(first);
      return;
    }
    if (first.kind != Tok::Ident && first.kind != Tok::Number && first.kind != Tok::String &&
        !first.is("(") && !first.is("-"))
      fail(first, "expected a resource statement, found " + describe(first));
    ResourceKey name = resourceName();
    const Token type = take();
    if (type.kind != Tok::Ident)
      fail(type, "expected a resource type, found " + describe(type));
    while (IsMemoryOption(pp_.peek()))
      take();
    if (type.text == "DIALOGEX")
      dialog(first, std::move(name));
    else if (type.text == "BITMAP")
      bitmap(first, std::move(name));
    else if (type.text == "ICON")
      iconOrCursor(first, std::move(name), false);
    else if (type.text == "CURSOR")
      iconOrCursor(first, std::move(name), true);
    else if (type.text == "DIALOG")
      fail(type, "DIALOG is not supported; use DIALOGEX");
    else
      fail(type, "unsupported resource type '" + type.text + "'");
  }

  uint16_t languageArguments() {
    const uint32_t primaryLang = word("language");
    expect(",", "','");
    const uint32_t sub = word("sublanguage");
    if (primaryLang > 0x3FF || sub > 0x3F)
      fail(pp_.peek(), "language out of range");
    return static_cast<uint16_t>((sub << 10) | primaryLang);
  }

  // Options between a statement's head and its BEGIN that we accept and
  // ignore, or (LANGUAGE) apply to this statement only.
  bool commonOption(uint16_t &language) {
    const Token t = pp_.peek();
    if (t.kind != Tok::Ident)
      return false;
    if (t.text == "LANGUAGE") {
      take();
      language = languageArguments();
      return true;
    }
    if (t.text == "CHARACTERISTICS" || t.text == "VERSION") {
      take();
      expression();
      return true;
    }
    if (IsMemoryOption(t)) {
      take();
      return true;
    }
    return false;
  }

  void stringTable(const Token &at) {
    uint16_t language = language_;
    while (commonOption(language)) {
    }
    Token open = take();
    if (!isBegin(open))
      fail(open, "expected BEGIN, found " + describe(open));
    for (;;) {
      const Token t = pp_.peek();
      if (isEnd(t)) {
        take();
        return;
      }
      if (t.kind == Tok::End)
        fail(at, "STRINGTABLE without END");
      const uint16_t id = word("string id");
      acceptComma();
      std::u16string text = string("a string");
      if (text.size() > 0xFFFF)
        fail(t, "string " + std::to_string(id) + " too long");
      auto &table = strings_[language];
      if (table.count(id))
        fail(t, "duplicate string id " + std::to_string(id));
      table[id] = std::move(text);
    }
  }

  void finishStrings() {
    for (const auto &[language, table] : strings_) {
      std::map<uint16_t, std::array<const std::u16string *, 16>> blocks;
      for (const auto &[id, text] : table) {
        blocks.try_emplace(static_cast<uint16_t>((id >> 4) + 1)).first->second[id & 15] = &text;
      }
      for (const auto &[blockId, block] : blocks) {
        Writer w;
        for (const std::u16string *s : block) {
          w.u16(s ? static_cast<uint32_t>(s->size()) : 0);
          if (s)
            for (char16_t c : *s)
              w.u16(c);
        }
        resources_.push_back(
            {{std::string(), kRtString}, {std::string(), blockId}, language, std::move(w.bytes)});
      }
    }
  }

  NameOrOrdinal classOf(const Token &t) {
    NameOrOrdinal n;
    std::string key;
    if (t.kind == Tok::String) {
      checkDialogText(t.wide, t);
      for (char16_t c : t.wide)
        key += c < 0x80 ? static_cast<char>(c) : '?';
      n.kind = NameOrOrdinal::Text;
      n.text = t.wide;
    } else if (t.kind == Tok::Ident) {
      key = t.text;
    } else {
      fail(t, "expected a class name, found " + describe(t));
    }
    for (const auto &[name, atom] : kClassAtoms)
      if (Upper(key) == name) {
        n.kind = NameOrOrdinal::Ordinal;
        n.ordinal = atom;
        return n;
      }
    if (t.kind == Tok::Ident)
      fail(t, "unknown control class '" + t.text + "'");
    if (t.wide.empty())
      fail(t, "empty control class");
    return n;
  }

  // A control's text: a string, or a resource id (icons and bitmaps).
  NameOrOrdinal controlText() {
    NameOrOrdinal n;
    const Token t = pp_.peek();
    if (t.kind == Tok::String) {
      n.kind = NameOrOrdinal::Text;
      n.text = dialogString("a string");
    } else if (t.kind == Tok::Ident && !KnownSymbol(t.text)) {
      take();
      n.kind = NameOrOrdinal::Text;
      for (char c : Upper(t.text))
        n.text += char16_t(c);
    } else {
      n.kind = NameOrOrdinal::Ordinal;
      n.ordinal = word("resource id");
    }
    return n;
  }

  void rectangle(Control &c, bool sizeOptional) {
    c.x = coordinate();
    expect(",", "','");
    c.y = coordinate();
    if (sizeOptional && !pp_.peek().is(","))
      return;
    expect(",", "','");
    c.cx = coordinate();
    expect(",", "','");
    c.cy = coordinate();
  }

  // style, extended style and help id that may end a control line
  void trailingStyles(Control &c, bool withStyle) {
    if (withStyle) {
      if (!acceptComma())
        return;
      c.style = style(c.style);
    }
    if (!acceptComma())
      return;
    c.exStyle = style(c.exStyle);
    if (acceptComma())
      c.helpId = expression();
  }

  Control control(const Token &keyword) {
    Control c;
    c.title.kind = NameOrOrdinal::Text;
    if (keyword.text == "CONTROL") {
      c.title = controlText();
      expect(",", "','");
      c.id = expression();
      expect(",", "','");
      c.cls = classOf(take());
      expect(",", "','");
      c.style = style(kWsChild | kWsVisible);
      expect(",", "','");
      rectangle(c, false);
      trailingStyles(c, false);
      return c;
    }
    if (keyword.text == "ICON") {
      c.title = controlText();
      expect(",", "','");
      c.id = expression();
      expect(",", "','");
      c.cls.kind = NameOrOrdinal::Ordinal;
      c.cls.ordinal = 0x82;
      c.style = kWsChild | kWsVisible | 0x3; // SS_ICON
      rectangle(c, true);
      trailingStyles(c, true);
      return c;
    }
    for (const ControlKind &k : kControls) {
      if (keyword.text != k.keyword)
        continue;
      if (k.hasText) {
        c.title.text = dialogString("the control's text");
        expect(",", "','");
      }
      c.id = expression();
      expect(",", "','");
      c.cls.kind = NameOrOrdinal::Ordinal;
      c.cls.ordinal = k.atom;
      c.style = kWsChild | kWsVisible | k.style;
      rectangle(c, false);
      trailingStyles(c, true);
      return c;
    }
    fail(keyword, "unknown control '" + keyword.text + "'");
  }

  void dialogOption(const Token &t, DialogHead &d) {
    if (t.text == "CAPTION") {
      d.caption = dialogString("the caption");
      d.haveCaption = true;
    } else if (t.text == "STYLE") {
      d.style = style(0);
    } else if (t.text == "EXSTYLE") {
      d.exStyle = style(0);
    } else if (t.text == "FONT") {
      d.pointSize = word("font size");
      expect(",", "','");
      d.face = dialogString("the font name");
      d.haveFont = true;
      if (acceptComma()) {
        d.weight = word("font weight");
        if (acceptComma()) {
          d.italic = static_cast<uint8_t>(expression() != 0);
          if (acceptComma())
            d.charset = static_cast<uint8_t>(word("character set"));
        }
      }
    } else if (t.text == "MENU") {
      const ResourceKey m = resourceName();
      d.menu.kind = m.text.empty() ? NameOrOrdinal::Ordinal : NameOrOrdinal::Text;
      d.menu.ordinal = m.id;
      for (char c : m.text)
        d.menu.text += char16_t(c);
    } else if (t.text == "CLASS") {
      const Token c = take();
      if (c.kind == Tok::String && !c.wide.empty()) {
        checkDialogText(c.wide, c);
        d.cls.kind = NameOrOrdinal::Text;
        d.cls.text = c.wide;
      } else if (c.kind == Tok::Number && c.value <= 0xFFFF) {
        d.cls.kind = NameOrOrdinal::Ordinal;
        d.cls.ordinal = static_cast<uint16_t>(c.value);
      } else {
        fail(c, "expected a class name, found " + describe(c));
      }
    } else {
      fail(t, "unknown dialog option '" + t.text + "'");
    }
  }

  void dialog(const Token &at, ResourceKey name) {
    DialogHead d;
    d.x = coordinate();
    expect(",", "','");
    d.y = coordinate();
    expect(",", "','");
    d.cx = coordinate();
    expect(",", "','");
    d.cy = coordinate();
    if (acceptComma())
      d.helpId = expression();
    uint16_t language = language_;
    for (Token t = pp_.peek(); t.kind == Tok::Ident && t.text != "BEGIN"; t = pp_.peek())
      if (!commonOption(language))
        dialogOption(take(), d);
    if (d.haveCaption)
      d.style |= kWsCaption;
    if (d.haveFont)
      d.style |= kDsSetFont;
    else if (d.style & kDsSetFont)
      fail(at, "DS_SETFONT without FONT");

    Token open = take();
    if (!isBegin(open))
      fail(open, "expected BEGIN, found " + describe(open));
    std::vector<Control> controls;
    for (Token t = take(); !isEnd(t); t = take()) {
      if (t.kind == Tok::End)
        fail(at, "DIALOGEX without END");
      if (t.kind != Tok::Ident)
        fail(t, "expected a control, found " + describe(t));
      if (controls.size() == 0xFFFF)
        fail(t, "too many controls");
      controls.push_back(control(t));
    }
    const uint16_t saved = language_;
    language_ = language;
    add(at, kRtDialog, std::move(name), DialogTemplate(d, controls));
    language_ = saved;
  }

  std::string fileName() {
    const Token t = pp_.peek();
    if (t.kind != Tok::String)
      fail(t, "expected a file name, found " + describe(t));
    std::string name;
    for (char16_t c : string("a file name")) {
      if (c >= 0x80)
        fail(t, "file name must be ASCII");
      name += static_cast<char>(c);
    }
    return name;
  }

  void bitmap(const Token &at, ResourceKey name) {
    const Token where = pp_.peek();
    const std::string file = fileName();
    const std::string data = pp_.readResourceFile(file, where);
    // BITMAPFILEHEADER is 14 bytes; an info header of 12 (core) to 124 bytes follows.
    if (data.size() < 14 + 12 || data[0] != 'B' || data[1] != 'M')
      fail(where, "'" + file + "' is not a bitmap");
    const uint32_t headerSize = ReadLe(data, 14, 4);
    if (headerSize < 12 || headerSize > 124 || 14 + headerSize > data.size())
      fail(where, "'" + file + "' is not a bitmap");
    std::vector<uint8_t> dib(data.begin() + 14, data.end());
    add(at, kRtBitmap, std::move(name), std::move(dib));
  }

  void iconOrCursor(const Token &at, ResourceKey name, bool cursor) {
    const Token where = pp_.peek();
    const std::string file = fileName();
    const std::string data = pp_.readResourceFile(file, where);
    const std::string bad = "'" + file + "' is not " + (cursor ? "a cursor" : "an icon") + " file";
    if (data.size() < 6 || ReadLe(data, 0, 2) != 0 || ReadLe(data, 2, 2) != (cursor ? 2u : 1u))
      fail(where, bad);
    const uint32_t count = ReadLe(data, 4, 2);
    if (count == 0 || 6 + 16 * size_t{count} > data.size())
      fail(where, bad);
    Writer group;
    group.u16(0);
    group.u16(cursor ? 2 : 1);
    group.u16(count);
    for (uint32_t i = 0; i < count; ++i) {
      const size_t e = 6 + 16 * size_t{i};
      const uint32_t size = ReadLe(data, e + 8, 4), offset = ReadLe(data, e + 12, 4);
      if (size < 40 || offset > data.size() || size > data.size() - offset)
        fail(where, bad);
      const std::string image = data.substr(offset, size);
      const bool png = image.compare(0, 4, "\x89PNG") == 0;
      uint32_t planes = ReadLe(data, e + 4, 2), bits = ReadLe(data, e + 6, 2);
      uint32_t width = static_cast<unsigned char>(data[e]);
      uint32_t height = static_cast<unsigned char>(data[e + 1]);
      if (!png) {
        if (ReadLe(image, 0, 4) < 40)
          fail(where, bad);
        width = ReadLe(image, 4, 4);
        height = ReadLe(image, 8, 4); // colour and mask: twice the image height
        planes = ReadLe(image, 12, 2);
        bits = ReadLe(image, 14, 2);
        if (width == 0 || width > 256 || height == 0 || height > 512)
          fail(where, bad);
      } else if (cursor) {
        fail(where, bad);
      }
      if (nextImageId_ == 0)
        fail(where, "too many icon and cursor images");
      const uint16_t imageId = nextImageId_++;
      Writer single;
      if (cursor) { // hot spot first, as the cursor resource carries it
        single.u16(ReadLe(data, e + 4, 2));
        single.u16(ReadLe(data, e + 6, 2));
        group.u16(width);
        group.u16(height);
      } else {
        group.u8(width >= 256 ? 0 : width);
        group.u8(png ? height : (height / 2 >= 256 ? 0 : height / 2));
        group.u8(static_cast<unsigned char>(data[e + 2]));
        group.u8(0);
      }
      group.u16(planes);
      group.u16(bits);
      single.append(reinterpret_cast<const uint8_t *>(image.data()), image.size());
      group.u32(static_cast<uint32_t>(single.bytes.size()));
      group.u16(imageId);
      add(at, cursor ? kRtCursor : kRtIcon, {std::string(), imageId}, std::move(single.bytes));
    }
    add(at, cursor ? kRtGroupCursor : kRtGroupIcon, std::move(name), std::move(group.bytes));
  }

  Preprocessor &pp_;
  uint16_t language_;
  uint16_t nextImageId_ = 1;
  std::vector<Resource> resources_;
  std::map<uint16_t, std::map<uint16_t, std::u16string>> strings_;
  std::string lastFile_;
  int lastLine_ = 0;
};

} // namespace

std::optional<std::string> ReadFileFromDisk(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad())
    return std::nullopt;
  return text.str();
}

Result Compile(const std::string &path, const Options &options, const FileReader &reader) {
  Result result;
  Preprocessor pp(options, reader);
  try {
    pp.open(path);
    Parser parser(pp, options);
    result.resources = parser.run();
    result.ok = true;
  } catch (const CompileError &e) {
    result.error = e.file + ":" + std::to_string(e.line) + ": error: " + e.message;
  }
  result.dependencies = pp.dependencies();
  return result;
}

} // namespace vqrc
