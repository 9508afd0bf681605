// Tables of Windows-1252, built once from the few ranges that differ from
// ASCII so that every lookup is a single array access.
#include "cp1252.h"

#include <array>

namespace vqwin::cp1252 {
namespace {

// 0x80-0x9F: the code page's printable additions; the five unassigned bytes
// map to the C1 controls of the same value, as Win32's conversion does.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Case pairs outside the regular ranges (lower, upper).
constexpr unsigned char kPairs[][2] = {{0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};

// Base letter of each accented letter 0xC0-0xFF, lower-cased; 0 where the
// byte is no letter. Þ and þ sort after z; Æ, ß and Œ sort on their first
// letter.
constexpr char kBase[64] = {'a', 'a', 'a', 'a', 'a', 'a', 'a', 'c', 'e', 'e', 'e', 'e', 'i',
                            'i', 'i', 'i', 'd', 'n', 'o', 'o', 'o', 'o', 'o', 0,   'o', 'u',
                            'u', 'u', 'u', 'y', '{', 's', 'a', 'a', 'a', 'a', 'a', 'a', 'a',
                            'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i', 'd', 'n', 'o', 'o',
                            'o', 'o', 'o', 0,   'o', 'u', 'u', 'u', 'u', 'y', '{', 'y'};

struct Tables {
  std::array<unsigned char, 256> upper{}, lower{};
  std::array<bool, 256> alpha{};
  std::array<SortWeight, 256> weight{};
  std::array<unsigned char, 0x180> fromLow{}; // U+0000-U+017F
};

unsigned char BaseLetter(unsigned c) {
  if (c >= 'a' && c <= 'z')
    return static_cast<unsigned char>(c);
  if (c >= 0xC0)
    return static_cast<unsigned char>(kBase[c - 0xC0]);
  switch (c) {
  case 0x83:
    return 'f';
  case 0x9A:
    return 's';
  case 0x9C:
    return 'o';
  case 0x9E:
    return 'z';
  case 0xAA:
    return 'a';
  case 0xBA:
    return 'o';
  case 0xB5:
    return '|'; // µ: Greek, after every Latin letter
  }
  return 0;
}

Tables Build() {
  Tables t;
  for (unsigned c = 0; c < 256; ++c)
    t.upper[c] = t.lower[c] = static_cast<unsigned char>(c);
  for (unsigned c = 'a'; c <= 'z'; ++c) {
    t.upper[c] = static_cast<unsigned char>(c - 0x20);
    t.lower[c - 0x20] = static_cast<unsigned char>(c);
  }
  for (unsigned c = 0xE0; c <= 0xFE; ++c) {
    if (c == 0xF7)
      continue; // ÷ and × are no letters
    t.upper[c] = static_cast<unsigned char>(c - 0x20);
    t.lower[c - 0x20] = static_cast<unsigned char>(c);
  }
  for (const auto &p : kPairs) {
    t.upper[p[0]] = p[1];
    t.lower[p[1]] = p[0];
  }
  for (unsigned c = 0; c < 256; ++c) {
    const unsigned lower = t.lower[c];
    const unsigned char base = BaseLetter(lower);
    t.alpha[c] = base != 0;
    SortWeight &w = t.weight[c];
    w.upper = t.upper[c] == c && t.lower[c] != c;
    if (base) {
      w.primary = static_cast<uint16_t>(0x200 + base);
      w.accent = static_cast<uint8_t>(lower == base ? 0 : lower);
    } else if (c >= '0' && c <= '9') {
      w.primary = static_cast<uint16_t>(0x100 + c);
    } else {
      w.primary = static_cast<uint16_t>(lower);
    }
  }
  for (unsigned c = 0; c < 0x180; ++c)
    t.fromLow[c] = '?';
  for (unsigned c = 0; c < 256; ++c) {
    const char16_t u = ToUnicode(static_cast<unsigned char>(c));
    if (u < 0x180)
      t.fromLow[u] = static_cast<unsigned char>(c);
  }
  return t;
}

const Tables &Get() {
  static const Tables tables = Build();
  return tables;
}

} // namespace

unsigned char ToUpper(unsigned char c) { return Get().upper[c]; }
unsigned char ToLower(unsigned char c) { return Get().lower[c]; }
bool IsAlpha(unsigned char c) { return Get().alpha[c]; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
SortWeight Weight(unsigned char c) { return Get().weight[c]; }

char16_t ToUnicode(unsigned char c) {
  return c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : static_cast<char16_t>(c);
}

unsigned char FromUnicode(char16_t c) {
  if (c < 0x180)
    return Get().fromLow[c];
  for (unsigned i = 0; i < 32; ++i)
    if (kHigh[i] == c)
      return static_cast<unsigned char>(0x80 + i);
  return '?';
}

} // namespace vqwin::cp1252

namespace vqwin::cp1252 {

void AppendUtf8(std::string &out, const char *text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += char(byte);
      continue;
    }
    const char16_t c = ToUnicode(byte);
    if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
    } else {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
    }
    out += char(0x80 | (c & 0x3F));
  }
}

size_t DecodeUtf8(const unsigned char *p, const unsigned char *end, char32_t &c) {
  if (p >= end)
    return 0;
  const unsigned b = *p;
  if (b < 0x80) {
    c = b;
    return 1;
  }
  const size_t n = b >= 0xC2 && b <= 0xDF   ? 2
                   : b >= 0xE0 && b <= 0xEF ? 3
                   : b >= 0xF0 && b <= 0xF4 ? 4
                                            : 0;
  if (n == 0 || size_t(end - p) < n)
    return 0;
  for (size_t k = 1; k < n; ++k)
    if ((p[k] & 0xC0) != 0x80)
      return 0;
  if ((b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] >= 0xA0) || (b == 0xF0 && p[1] < 0x90) ||
      (b == 0xF4 && p[1] >= 0x90))
    return 0;
  c = n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
  for (size_t k = 1; k < n; ++k)
    c = (c << 6) | (p[k] & 0x3F);
  return n;
}

bool FromUtf8(const char *utf8, size_t length, std::string &out) {
  const auto *p = reinterpret_cast<const unsigned char *>(utf8);
  size_t ascii = 0;
  while (ascii < length && p[ascii] < 0x80)
    ++ascii;
  out.assign(utf8, ascii); // most names are plain ASCII
  if (ascii == length)
    return true;
  bool carried = true;
  for (size_t i = ascii; i < length;) {
    if (p[i] < 0x80) {
      out += char(p[i++]);
      continue;
    }
    char32_t c = 0;
    const size_t n = DecodeUtf8(p + i, p + length, c);
    const unsigned char mapped = n && c < 0x10000 ? FromUnicode(char16_t(c)) : '?';
    carried &= mapped != '?';
    out += char(mapped);
    i += n ? n : 1;
  }
  return carried;
}

} // namespace vqwin::cp1252
