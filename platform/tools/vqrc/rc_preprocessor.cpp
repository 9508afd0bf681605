// The lexer and preprocessor of resource scripts: files, macros and
// conditionals, down to the token stream the parser reads.
#include "rc_preprocessor.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace vqrc {
namespace {

constexpr int kMaxIncludeDepth = 16;
constexpr int kMaxConditionDepth = 64;
// Expanding one identifier may not produce more tokens than this; it stops
// macros that double at each level from exhausting memory.
constexpr size_t kExpansionBudget = 100000;

const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t FromCp1252(unsigned char c) {
  return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : char16_t(c);
}

// Appends UTF-8 text as UTF-16; false on a malformed sequence.
bool AppendUtf8(const std::string &bytes, std::u16string &out) {
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    size_t extra = 0;
    uint32_t cp = 0;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (extra > 0 && i + extra >= bytes.size())
      return false;
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char cc = static_cast<unsigned char>(bytes[i + k]);
      if ((cc & 0xC0) != 0x80)
        return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    const uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
      return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += char16_t(0xD800 + (cp >> 10));
      out += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      out += char16_t(cp);
    }
    i += extra + 1;
  }
  return true;
}

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string Lower(std::string s) {
  for (char &c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string DirectoryOf(const std::string &path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Headers of the Windows SDK that scripts include for their constants;
// those constants are known by name, so the headers themselves are skipped.
bool IsSystemHeader(const std::string &name) {
  static const char *const names[] = {
      "windows.h",  "winres.h", "winresrc.h", "afxres.h", "commctrl.h",  "winuser.h",
      "winuser.rh", "winnt.h",  "winnt.rh",   "dlgs.h",   "richedit.h",  "winver.h",
      "verrsrc.h",  "prsht.h",  "commdlg.h",  "ntverp.h", "sdkddkver.h", "winbase.h",
      "windef.h",   "wingdi.h", "tchar.h",    "winnls.h"};
  const std::string base = Lower(name.substr(name.find_last_of('/') + 1));
  return std::any_of(std::begin(names), std::end(names), [&](const char *n) { return base == n; });
}

const char *const kTwoCharPuncts[] = {"&&", "||", "==", "!=", "<=", ">=", "<<", ">>"};

} // namespace

// ---- Lexer ------------------------------------------------------------------------------------

void Lexer::fail(const std::string &message) const { throw CompileError{*file_, line_, message}; }

Token Lexer::makeToken(Tok kind) const {
  Token t;
  t.kind = kind;
  t.file = file_;
  t.line = line_;
  t.lineStart = lineStart_;
  return t;
}

void Lexer::skipSpace(bool inLine) {
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c == '\n') {
      if (inLine)
        return;
      ++line_, ++pos_;
      lineStart_ = true;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++pos_;
    } else if (c == '\\' && pos_ + 1 < text_.size() &&
               (text_[pos_ + 1] == '\n' ||
                (text_[pos_ + 1] == '\r' && pos_ + 2 < text_.size() && text_[pos_ + 2] == '\n'))) {
      pos_ = text_.find('\n', pos_) + 1;
      ++line_;
    } else if (text_.compare(pos_, 2, "//") == 0) {
      const size_t end = text_.find('\n', pos_);
      pos_ = end == std::string::npos ? text_.size() : end;
    } else if (text_.compare(pos_, 2, "/*") == 0) {
      const int startLine = line_;
      const size_t end = text_.find("*/", pos_ + 2);
      if (end == std::string::npos) {
        line_ = startLine;
        fail("unterminated comment");
      }
      line_ += static_cast<int>(std::count(text_.begin() + pos_, text_.begin() + end, '\n'));
      pos_ = end + 2;
    } else {
      return;
    }
  }
}

Token Lexer::next(bool inLine, bool lenient, uint16_t codePage) {
  skipSpace(inLine);
  if (pos_ >= text_.size() || text_[pos_] == '\n')
    return makeToken(Tok::End);
  Token t;
  const char c = text_[pos_];
  if ((c == 'L' || c == 'l') && pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
    ++pos_;
    t = lexString(true, lenient, codePage);
  } else if (c == '"') {
    t = lexString(false, lenient, codePage);
  } else if (IsIdentStart(c)) {
    t = makeToken(Tok::Ident);
    const size_t start = pos_;
    while (pos_ < text_.size() && IsIdentChar(text_[pos_]))
      ++pos_;
    t.text = text_.substr(start, pos_ - start);
  } else if (std::isdigit(static_cast<unsigned char>(c))) {
    t = lexNumber();
    if (lenient && t.kind == Tok::End)
      t.kind = Tok::Punct;
  } else {
    t = makeToken(Tok::Punct);
    for (const char *p : kTwoCharPuncts)
      if (text_.compare(pos_, 2, p) == 0)
        t.text = p;
    if (t.text.empty()) {
      if (!lenient && !std::strchr(",|()+-~*/%&^!<>={}#", c)) {
        const unsigned char u = static_cast<unsigned char>(c);
        char buf[32];
        std::snprintf(buf, sizeof buf, std::isprint(u) ? "'%c'" : "0x%02X", u);
        fail(std::string("unexpected character ") + buf);
      }
      t.text = std::string(1, c);
    }
    pos_ += t.text.size();
  }
  lineStart_ = false;
  t.spaceAfter = !(pos_ < text_.size() && text_[pos_] == '(');
  return t;
}

Token Lexer::lexNumber() {
  Token t = makeToken(Tok::Number);
  const size_t start = pos_;
  uint64_t value = 0;
  if (text_.compare(pos_, 2, "0x") == 0 || text_.compare(pos_, 2, "0X") == 0) {
    pos_ += 2;
    if (pos_ >= text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[pos_])))
      fail("malformed number");
    while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_]))) {
      const char d = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_++])));
      value = value * 16 + static_cast<uint64_t>(d <= '9' ? d - '0' : d - 'a' + 10);
      if (value > 0xFFFFFFFFu)
        fail("number too large");
    }
  } else {
    while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
      value = value * 10 + static_cast<uint64_t>(text_[pos_++] - '0');
      if (value > 0xFFFFFFFFu)
        fail("number too large");
    }
  }
  while (pos_ < text_.size() && std::strchr("uUlL", text_[pos_]))
    ++pos_;
  if (pos_ < text_.size() && IsIdentChar(text_[pos_]))
    fail("malformed number");
  t.value = static_cast<uint32_t>(value);
  t.text = text_.substr(start, pos_ - start);
  return t;
}

Token Lexer::lexString(bool wide, bool lenient, uint16_t codePage) {
  Token t = makeToken(Tok::String);
  t.wideLiteral = wide;
  std::string raw; // bytes still to be decoded by the code page
  auto flush = [&] {
    if (codePage == 65001) {
      if (!AppendUtf8(raw, t.wide) && !lenient)
        fail("invalid UTF-8 in string");
    } else {
      for (unsigned char b : raw)
        t.wide += FromCp1252(b);
    }
    raw.clear();
  };
  ++pos_; // opening quote
  for (;;) {
    if (pos_ >= text_.size() || text_[pos_] == '\n') {
      if (lenient)
        break;
      fail("unterminated string");
    }
    const char c = text_[pos_++];
    if (c == '"') {
      if (pos_ < text_.size() && text_[pos_] == '"') { // "" is a quote
        raw += '"';
        ++pos_;
        continue;
      }
      break;
    }
    if (c != '\\') {
      raw += c;
      continue;
    }
    const size_t splice = text_.compare(pos_, 2, "\r\n") == 0 ? 2 : 1;
    if (pos_ + splice <= text_.size() && text_[pos_ + splice - 1] == '\n') {
      pos_ += splice; // a backslash at the end of a line joins the next one
      ++line_;
      continue;
    }
    if (pos_ >= text_.size() || text_[pos_] == '\n') {
      if (lenient)
        break;
      fail("unterminated string");
    }
    const char e = text_[pos_++];
    uint32_t unit = 0;
    bool isUnit = true;
    switch (e) {
    case 'n':
      unit = '\n';
      break;
    case 't':
      unit = '\t';
      break;
    case 'r':
      unit = '\r';
      break;
    case 'a':
      unit = '\a';
      break;
    case 'b':
      unit = '\b';
      break;
    case 'f':
      unit = '\f';
      break;
    case 'v':
      unit = '\v';
      break;
    case 'x':
    case 'X': {
      const int maxDigits = wide ? 4 : 2;
      int digits = 0;
      while (digits < maxDigits && pos_ < text_.size() &&
             std::isxdigit(static_cast<unsigned char>(text_[pos_]))) {
        const char d = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_++])));
        unit = unit * 16 + static_cast<uint32_t>(d <= '9' ? d - '0' : d - 'a' + 10);
        ++digits;
      }
      if (digits == 0 && !lenient)
        fail("malformed \\x escape in string");
      break;
    }
    default:
      if (e >= '0' && e <= '7') {
        unit = static_cast<uint32_t>(e - '0');
        for (int k = 0; k < 2 && pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '7';
             ++k)
          unit = unit * 8 + static_cast<uint32_t>(text_[pos_++] - '0');
      } else { // \\, \", \' and unknown escapes stand for the character itself
        raw += e;
        isUnit = false;
      }
    }
    if (isUnit) {
      flush();
      t.wide += wide ? char16_t(unit & 0xFFFF) : FromCp1252(static_cast<unsigned char>(unit));
    }
  }
  flush();
  return t;
}

std::string Lexer::restOfLine() {
  const size_t end = std::min(text_.find('\n', pos_), text_.size());
  std::string rest = text_.substr(pos_, end - pos_);
  pos_ = end;
  return rest;
}

// ---- Preprocessor -----------------------------------------------------------------------------

struct Preprocessor::Frame {
  std::string text;
  const std::string *name;
  Lexer lexer;
  bool headerOnly;
  size_t conditionalsAtEntry;
  Frame(std::string t, const std::string *n, bool header, size_t conds)
      : text(std::move(t)), name(n), lexer(n, text), headerOnly(header),
        conditionalsAtEntry(conds) {}
};

Preprocessor::Preprocessor(const Options &options, const FileReader &reader)
    : options_(options), reader_(reader) {
  auto number = [](const std::string &text, uint32_t value) {
    Token t;
    t.kind = Tok::Number;
    t.text = text;
    t.value = value;
    return t;
  };
  macros_["RC_INVOKED"].body.push_back(number("1", 1));
  macros_["_WIN32"].body.push_back(number("1", 1));
  for (const auto &[name, value] : options.defines) {
    Macro &m = macros_[name];
    char *end = nullptr;
    const unsigned long v = std::strtoul(value.empty() ? "1" : value.c_str(), &end, 0);
    if (end && *end == '\0') {
      m.body.push_back(number(value.empty() ? "1" : value, static_cast<uint32_t>(v)));
    } else {
      Token t;
      t.kind = Tok::Ident;
      t.text = value;
      m.body.push_back(t);
    }
  }
}

Preprocessor::~Preprocessor() = default;

std::string Preprocessor::takeInput(std::optional<std::string> text, const Token &at,
                                    const std::string &path) {
  if (!text)
    throw CompileError{at.file ? *at.file : path, at.line, "cannot open '" + path + "'"};
  inputBytes_ += text->size();
  if (inputBytes_ > options_.maxInputBytes)
    throw CompileError{at.file ? *at.file : path, at.line, "input too large"};
  deps_.push_back(path);
  return std::move(*text);
}

void Preprocessor::open(const std::string &path) {
  Token none;
  std::string text = takeInput(reader_(path), none, path);
  const std::string *name = &*fileNames_.insert(path).first;
  frames_.push_back(std::make_unique<Frame>(std::move(text), name, false, 0));
}

bool Preprocessor::active() const { return conditionals_.empty() || conditionals_.back().active; }

std::optional<std::string> Preprocessor::findFile(const std::string &name, const std::string &from,
                                                  bool quoted, std::string &found) {
  std::string n = name;
  std::replace(n.begin(), n.end(), '\\', '/');
  std::vector<std::string> candidates;
  if (!n.empty() && n[0] == '/') {
    candidates.push_back(n);
  } else {
    if (quoted)
      candidates.push_back(DirectoryOf(from) + n);
    for (const std::string &dir : options_.includeDirs)
      candidates.push_back(dir + (dir.empty() || dir.back() == '/' ? "" : "/") + n);
  }
  for (const std::string &c : candidates)
    if (auto text = reader_(c)) {
      found = c;
      return text;
    }
  found = candidates.empty() ? n : candidates.front();
  return std::nullopt;
}

std::string Preprocessor::readResourceFile(const std::string &name, const Token &at) {
  std::string found;
  auto text = findFile(name, at.file ? *at.file : std::string(), true, found);
  if (!text)
    throw CompileError{at.file ? *at.file : std::string(), at.line, "cannot open '" + name + "'"};
  return takeInput(std::move(text), at, found);
}

void Preprocessor::include(const Token &at, const std::string &spec) {
  std::string s = spec;
  s.erase(0, s.find_first_not_of(" \t"));
  const size_t comment = s.find("//");
  if (comment != std::string::npos)
    s.erase(comment);
  if (s.empty() || (s[0] != '"' && s[0] != '<'))
    throw CompileError{*at.file, at.line, "#include expects \"file\" or <file>"};
  const char close = s[0] == '"' ? '"' : '>';
  const size_t end = s.find(close, 1);
  if (end == std::string::npos || end == 1)
    throw CompileError{*at.file, at.line, "#include expects \"file\" or <file>"};
  const std::string name = s.substr(1, end - 1);
  if (IsSystemHeader(name))
    return;
  if (frames_.size() >= kMaxIncludeDepth)
    throw CompileError{*at.file, at.line, "#include nested too deeply"};
  std::string found;
  auto text = findFile(name, *at.file, close == '"', found);
  if (!text)
    throw CompileError{*at.file, at.line, "cannot open include file '" + name + "'"};
  std::string body = takeInput(std::move(text), at, found);
  const std::string lower = Lower(found);
  const bool header = lower.size() > 2 && (lower.ends_with(".h") || lower.ends_with(".c") ||
                                           lower.ends_with(".hpp") || lower.ends_with(".hh"));
  const std::string *stored = &*fileNames_.insert(found).first;
  frames_.push_back(std::make_unique<Frame>(std::move(body), stored, header, conditionals_.size()));
}

void Preprocessor::define(Frame &frame, const Token &at) {
  Token name = frame.lexer.next(true, false, codePage_);
  if (name.kind != Tok::Ident)
    throw CompileError{*at.file, at.line, "#define expects a name"};
  Macro m;
  if (!name.spaceAfter) {
    Token open = frame.lexer.next(true, true, codePage_);
    if (open.is("(")) {
      m.functionLike = true;
      frame.lexer.restOfLine(); // parameters and body are never used
      macros_[name.text] = std::move(m);
      return;
    }
    m.body.push_back(open);
  }
  for (Token t = frame.lexer.next(true, false, codePage_); t.kind != Tok::End;
       t = frame.lexer.next(true, false, codePage_))
    m.body.push_back(t);
  if (!m.body.empty() && m.body.front().kind == Tok::End)
    m.body.clear();
  macros_[name.text] = std::move(m);
}

void Preprocessor::expand(const Token &token, std::set<std::string> &activeNames,
                          std::vector<Token> &out, size_t &budget) {
  if (budget == 0)
    throw CompileError{*token.file, token.line, "macro expansion too large"};
  --budget;
  auto it = token.kind == Tok::Ident ? macros_.find(token.text) : macros_.end();
  if (it == macros_.end() || activeNames.count(token.text)) {
    out.push_back(token);
    return;
  }
  if (it->second.functionLike)
    throw CompileError{*token.file, token.line,
                       "function-like macro '" + token.text + "' is not supported"};
  activeNames.insert(token.text);
  const std::vector<Token> body = it->second.body;
  for (Token t : body) {
    t.file = token.file;
    t.line = token.line;
    t.lineStart = false;
    expand(t, activeNames, out, budget);
  }
  activeNames.erase(token.text);
}

namespace {

// #if expressions: C precedence over 64-bit signed values.
class ConditionParser {
public:
  ConditionParser(const std::vector<Token> &tokens, const Token &at) : t_(tokens), at_(at) {}
  int64_t parse() {
    const int64_t v = ternary(0);
    if (i_ != t_.size())
      fail("unexpected '" + t_[i_].text + "' in #if");
    return v;
  }

private:
  [[noreturn]] void fail(const std::string &m) const { throw CompileError{*at_.file, at_.line, m}; }
  bool accept(const char *p) {
    if (i_ < t_.size() && t_[i_].is(p)) {
      ++i_;
      return true;
    }
    return false;
  }
  int64_t ternary(int depth) {
    const int64_t c = binary(0, depth);
    if (!accept("?"))
      return c;
    const int64_t a = ternary(depth + 1);
    if (!accept(":"))
      fail("expected ':' in #if");
    const int64_t b = ternary(depth + 1);
    return c ? a : b;
  }
  static int precedence(const std::string &op) {
    static const std::pair<const char *, int> table[] = {
        {"||", 1}, {"&&", 2}, {"|", 3}, {"^", 4},  {"&", 5},  {"==", 6},
        {"!=", 6}, {"<", 7},  {">", 7}, {"<=", 7}, {">=", 7}, {"<<", 8},
        {">>", 8}, {"+", 9},  {"-", 9}, {"*", 10}, {"/", 10}, {"%", 10}};
    for (const auto &[name, p] : table)
      if (op == name)
        return p;
    return 0;
  }
  int64_t binary(int minPrec, int depth) {
    int64_t left = unary(depth);
    for (;;) {
      if (i_ >= t_.size() || t_[i_].kind != Tok::Punct)
        return left;
      const std::string op = t_[i_].text;
      const int p = precedence(op);
      if (p == 0 || p <= minPrec)
        return left;
      ++i_;
      const int64_t right = binary(p, depth + 1);
      left = apply(op, left, right);
    }
  }
  int64_t apply(const std::string &op, int64_t a, int64_t b) {
    const auto ua = static_cast<uint64_t>(a), ub = static_cast<uint64_t>(b);
    if (op == "||")
      return a || b;
    if (op == "&&")
      return a && b;
    if (op == "|")
      return a | b;
    if (op == "^")
      return a ^ b;
    if (op == "&")
      return a & b;
    if (op == "==")
      return a == b;
    if (op == "!=")
      return a != b;
    if (op == "<")
      return a < b;
    if (op == ">")
      return a > b;
    if (op == "<=")
      return a <= b;
    if (op == ">=")
      return a >= b;
    if (op == "<<")
      return static_cast<int64_t>(ua << (ub & 63));
    if (op == ">>")
      return static_cast<int64_t>(ua >> (ub & 63));
    if (op == "+")
      return static_cast<int64_t>(ua + ub);
    if (op == "-")
      return static_cast<int64_t>(ua - ub);
    if (op == "*")
      return static_cast<int64_t>(ua * ub);
    if (b == 0)
      fail("division by zero in #if");
    if (a == INT64_MIN && b == -1)
      return op == "/" ? a : 0;
    return op == "/" ? a / b : a % b;
  }
  int64_t unary(int depth) {
    if (depth > 200)
      fail("#if expression nested too deeply");
    if (i_ >= t_.size())
      fail("missing operand in #if");
    const Token &t = t_[i_++];
    if (t.kind == Tok::Number)
      return t.value;
    if (t.kind == Tok::Ident) // names left after expansion are 0, as in C
      return 0;
    if (t.is("!"))
      return !unary(depth + 1);
    if (t.is("~"))
      return ~unary(depth + 1);
    if (t.is("-"))
      return static_cast<int64_t>(0 - static_cast<uint64_t>(unary(depth + 1)));
    if (t.is("+"))
      return unary(depth + 1);
    if (t.is("(")) {
      const int64_t v = ternary(depth + 1);
      if (!accept(")"))
        fail("missing ')' in #if");
      return v;
    }
    fail("unexpected '" + t.text + "' in #if");
  }

  const std::vector<Token> &t_;
  const Token &at_;
  size_t i_ = 0;
};

} // namespace

bool Preprocessor::evaluateCondition(Frame &frame, const Token &at) {
  std::vector<Token> line;
  for (Token t = frame.lexer.next(true, false, codePage_); t.kind != Tok::End;
       t = frame.lexer.next(true, false, codePage_))
    line.push_back(t);
  if (line.empty())
    throw CompileError{*at.file, at.line, "#if without an expression"};
  std::vector<Token> expanded;
  size_t budget = kExpansionBudget;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i].kind == Tok::Ident && line[i].text == "defined") {
      const bool paren = i + 1 < line.size() && line[i + 1].is("(");
      const size_t n = i + (paren ? 2 : 1);
      if (n >= line.size() || line[n].kind != Tok::Ident ||
          (paren && (n + 1 >= line.size() || !line[n + 1].is(")"))))
        throw CompileError{*at.file, at.line, "malformed defined() in #if"};
      Token v = line[n];
      v.kind = Tok::Number;
      v.value = macros_.count(line[n].text) ? 1 : 0;
      expanded.push_back(v);
      i = n + (paren ? 1 : 0);
      continue;
    }
    std::set<std::string> activeNames;
    expand(line[i], activeNames, expanded, budget);
  }
  return ConditionParser(expanded, at).parse() != 0;
}

void Preprocessor::directive(const Token &hash) {
  Frame &frame = *frames_.back();
  const bool reading = active();
  Token name = frame.lexer.next(true, !reading, codePage_);
  auto failHere = [&](const std::string &m) { throw CompileError{*hash.file, hash.line, m}; };
  auto skipLine = [&] { frame.lexer.restOfLine(); };
  if (name.kind == Tok::End)
    return; // a lone '#' is allowed
  const std::string &d = name.text;
  if (d == "if" || d == "ifdef" || d == "ifndef") {
    if (conditionals_.size() >= kMaxConditionDepth)
      failHere("conditionals nested too deeply");
    bool value = false;
    if (reading) {
      if (d == "if") {
        value = evaluateCondition(frame, hash);
      } else {
        Token id = frame.lexer.next(true, false, codePage_);
        if (id.kind != Tok::Ident)
          failHere("#" + d + " expects a name");
        value = macros_.count(id.text) == (d == "ifdef" ? 1u : 0u);
        skipLine();
      }
    } else {
      skipLine();
    }
    conditionals_.push_back({reading && value, value, false, reading, hash.line});
    return;
  }
  if (d == "elif" || d == "else" || d == "endif") {
    if (conditionals_.size() <= frame.conditionalsAtEntry)
      failHere("#" + d + " without #if");
    Conditional &c = conditionals_.back();
    if (d == "endif") {
      conditionals_.pop_back();
      skipLine();
    } else if (c.sawElse) {
      failHere("#" + d + " after #else");
    } else if (d == "else") {
      c.sawElse = true;
      c.active = c.parentActive && !c.taken;
      c.taken = true;
      skipLine();
    } else {
      const bool value = c.parentActive && !c.taken && evaluateCondition(frame, hash);
      if (!(c.parentActive && !c.taken))
        skipLine();
      c.active = value;
      c.taken = c.taken || value;
    }
    return;
  }
  if (!reading) {
    skipLine();
    return;
  }
  if (d == "define") {
    define(frame, hash);
  } else if (d == "undef") {
    Token id = frame.lexer.next(true, false, codePage_);
    if (id.kind != Tok::Ident)
      failHere("#undef expects a name");
    macros_.erase(id.text);
    skipLine();
  } else if (d == "include") {
    include(hash, frame.lexer.restOfLine());
  } else if (d == "pragma") {
    Token what = frame.lexer.next(true, true, codePage_);
    if (what.kind == Tok::Ident && what.text == "code_page") {
      Token open = frame.lexer.next(true, false, codePage_);
      Token page = frame.lexer.next(true, false, codePage_);
      Token close = frame.lexer.next(true, false, codePage_);
      if (!open.is("(") || !close.is(")") ||
          (page.kind != Tok::Number && !(page.kind == Tok::Ident && page.text == "DEFAULT")))
        failHere("malformed #pragma code_page");
      const uint32_t cp = page.kind == Tok::Number ? page.value : 1252;
      if (cp != 1252 && cp != 65001)
        failHere("unsupported code page " + std::to_string(cp));
      codePage_ = static_cast<uint16_t>(cp);
    }
    skipLine(); // other pragmas concern other compilers
  } else if (d == "error") {
    std::string text = frame.lexer.restOfLine();
    text.erase(0, text.find_first_not_of(" \t"));
    failHere("#error " + text);
  } else if (d == "line") {
    skipLine();
  } else {
    failHere("unknown directive #" + d);
  }
}

Token Preprocessor::rawNext() {
  for (;;) {
    if (frames_.empty()) {
      Token end;
      end.kind = Tok::End;
      return end;
    }
    Frame &frame = *frames_.back();
    // Skipped text and the declarations of headers may hold anything.
    Token t = frame.lexer.next(false, !active() || frame.headerOnly, codePage_);
    if (t.kind == Tok::End) {
      if (conditionals_.size() > frame.conditionalsAtEntry)
        throw CompileError{*frame.name, conditionals_.back().line, "unterminated #if"};
      frames_.pop_back();
      continue;
    }
    if (t.lineStart && t.is("#")) {
      directive(t);
      continue;
    }
    if (!active() || frame.headerOnly) {
      if (t.kind != Tok::End)
        continue;
    }
    return t;
  }
}

Token Preprocessor::next() {
  if (pending_.empty()) {
    for (;;) {
      Token t = rawNext();
      if (t.kind != Tok::Ident || !macros_.count(t.text))
        return t;
      std::vector<Token> out;
      std::set<std::string> activeNames;
      size_t budget = kExpansionBudget;
      expand(t, activeNames, out, budget);
      if (out.empty())
        continue; // a macro defined as nothing
      pending_.assign(out.begin(), out.end());
      break;
    }
  }
  Token t = pending_.front();
  pending_.pop_front();
  return t;
}

Token Preprocessor::peek() {
  if (pending_.empty()) {
    Token t = next();
    pending_.push_front(t);
  }
  return pending_.front();
}

} // namespace vqrc
