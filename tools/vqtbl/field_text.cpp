// Field texts in and out of records; see field_text.h.
#include "field_text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace vqtbl {
namespace {

// Code points of 0x80-0x9F; 0 marks a byte the code page leaves undefined.
const char16_t kHigh1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string &out, char32_t c) {
  if (c < 0x80) {
    out.push_back(char(c));
  } else if (c < 0x800) {
    out.push_back(char(0xC0 | (c >> 6)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(char(0xE0 | (c >> 12)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else {
    out.push_back(char(0xF0 | (c >> 18)));
    out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  }
}

// The next code point of UTF-8 text, or false for a bad sequence
// (overlong forms and surrogates included).
bool NextUtf8(std::string_view text, std::size_t &i, char32_t &c) {
  const unsigned char b = text[i];
  int extra = b < 0x80             ? 0
              : (b & 0xE0) == 0xC0 ? 1
              : (b & 0xF0) == 0xE0 ? 2
              : (b & 0xF8) == 0xF0 ? 3
                                   : -1;
  if (extra < 0 || i + extra >= text.size() + (extra ? 0 : 1))
    return false;
  c = extra == 0 ? b : b & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    const unsigned char n = text[i + k];
    if ((n & 0xC0) != 0x80)
      return false;
    c = (c << 6) | (n & 0x3F);
  }
  static const char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
    return false;
  i += extra + 1;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

UINT Decimals(UINT typeWord) { return (typeWord & twDECIMALS) >> twDECIMALS_SHIFT; }

// "-1.234,56" with at most `decimals` fraction digits, scaled by
// 10^decimals; '.' groups digits before the ','. Missing fraction digits
// count as zeros.
bool ParseFixed(std::string_view s, UINT decimals, bool &negative, ULONGLONG &magnitude,
                std::string &why) {
  s = Trim(s);
  negative = false;
  magnitude = 0;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+'))
    negative = s[i++] == '-';
  bool digits = false, fraction = false;
  UINT fractionDigits = 0;
  const ULONGLONG limit = std::numeric_limits<ULONGLONG>::max() / 10;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      if (fraction && ++fractionDigits > decimals) {
        why = decimals ? "more than " + std::to_string(decimals) + " decimals"
                       : std::string("decimals in a field without any");
        return false;
      }
      if (magnitude > limit)
        return why = "too large a number", false;
      magnitude = magnitude * 10 + ULONGLONG(c - '0');
      digits = true;
    } else if (c == '.' && !fraction) {
      continue;
    } else if (c == ',' && !fraction) {
      fraction = true;
    } else {
      return why = "not a number", false;
    }
  }
  if (!digits)
    return why = "not a number", false;
  for (; fractionDigits < decimals; ++fractionDigits) {
    if (magnitude > limit)
      return why = "too large a number", false;
    magnitude *= 10;
  }
  return true;
}

bool StoreInteger(const CVQFieldDesc &f, std::string_view text, char *at, std::string &why) {
  bool negative = false;
  ULONGLONG magnitude = 0;
  if (!ParseFixed(text, Decimals(f.contentType), negative, magnitude, why))
    return false;
  static const UINT kBits[4] = {8, 16, 32, 64};
  const UINT bits = kBits[f.encodeType];
  const bool isSigned = f.contentType & twSIGNED;
  const ULONGLONG top = bits == 64 ? ~0ull : (1ull << bits) - 1;
  ULONGLONG value = 0;
  if (!isSigned) {
    if (negative && magnitude)
      return why = "a negative value in an unsigned field", false;
    if (magnitude > top)
      return why = "out of range for a " + std::to_string(bits) + "-bit field", false;
    value = magnitude;
  } else {
    const ULONGLONG high = top >> 1; // largest positive
    if (magnitude > high + (negative ? 1 : 0))
      return why = "out of range for a signed " + std::to_string(bits) + "-bit field", false;
    value = negative ? ~magnitude + 1 : magnitude;
  }
  for (UINT b = 0; b < bits / 8; ++b)
    at[b] = char(value >> (8 * b));
  return true;
}

bool StoreFloating(const CVQFieldDesc &f, std::string_view text, char *at, std::string &why) {
  std::string s(Trim(text));
  for (char &c : s)
    if (c == ',')
      c = '.';
  char *end = nullptr;
  errno = 0;
  const double v = s.empty() ? 0 : std::strtod(s.c_str(), &end);
  if (s.empty() || end != s.c_str() + s.size() || errno == ERANGE)
    return why = "not a number", false;
  if (f.encodeType == ite32FLOATING) {
    const float x = float(v);
    std::memcpy(at, &x, 4);
  } else {
    std::memcpy(at, &v, 8);
  }
  return true;
}

// Puts `s` into the `size` bytes at `at`, blank-filled, right-aligned
// when `right`.
bool PutText(std::string_view s, char *at, UINT size, bool right, std::string &why) {
  if (s.size() > size)
    return why = "longer than " + std::to_string(size) + " characters", false;
  std::memset(at, ' ', size);
  std::memcpy(at + (right ? size - s.size() : 0), s.data(), s.size());
  return true;
}

const char *const kDateLayout[13] = {
    "DD.MM.YYYY", "MM.DD.YYYY", "DDMMYYYY", "MMDDYYYY", "DD.MM.YY", "MM.DD.YY",        "DDMMYY",
    "MMDDYY",     "YYYYMMDD",   "YYMMDD",   "YYYYMM",   "YYMM",     "an inverted date"};
const char *const kTimeLayout[4] = {"hh:mm:ss", "hhmmss", "hh:mm", "hhmm"};
const UINT kDateChars[13] = {10, 10, 8, 8, 8, 8, 6, 6, 8, 6, 6, 4, 8};
const UINT kTimeChars[4] = {8, 6, 5, 4};

bool AllDigits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9')
      return false;
  return true;
}

bool StoreDateTime(const CVQFieldDesc &f, std::string_view text, char *at, std::string &why) {
  text = Trim(text);
  if (text.empty())
    return PutText("", at, f.size, false, why);
  const UINT cDate = Decimals(f.contentType), dDate = Decimals(f.displayType);
  const UINT cTime = (f.contentType & twTIMEFMT) >> twTIMEFMT_SHIFT;
  const UINT dTime = (f.displayType & twTIMEFMT) >> twTIMEFMT_SHIFT;
  const bool hasDate = f.contentType & twDATE, hasTime = f.contentType & twTIME;
  if (cDate > 12 || dDate > 12 || cTime > 3 || dTime > 3)
    return why = "the field's date or time format is not one the library knows", false;
  std::string stored;
  std::size_t pos = 0;
  if (hasDate) {
    const std::string part(text.substr(0, kDateChars[dDate]));
    UINT d = 0, m = 0, y = 0;
    bool ok = part.size() == kDateChars[dDate];
    if (ok) {
      ParseDate(&d, &m, &y, part.c_str(), dDate);
      ok = DayNumber(d, m, y) != 0xFFFFFFFFu;
    }
    if (!ok)
      return why = std::string("not a date of the form ") + kDateLayout[dDate], false;
    char buffer[32];
    FormatDate(buffer, d, m, y, cDate, TRUE);
    stored = buffer;
    pos = part.size();
  }
  if (hasTime) {
    while (pos < text.size() && text[pos] == ' ')
      ++pos;
    const std::string part(text.substr(pos));
    UINT h = 0, mi = 0, s = 0;
    std::string digits = part;
    std::erase(digits, ':');
    bool ok = part.size() == kTimeChars[dTime] && AllDigits(digits);
    if (ok) {
      ParseTime(&h, &mi, &s, part.c_str(), dTime);
      ok = h < 24 && mi < 60 && s < 60;
    }
    if (!ok)
      return why = std::string("not a time of the form ") + kTimeLayout[dTime], false;
    char buffer[32];
    FormatTime(buffer, h, mi, s, cTime);
    // A blank between date and time where the field has room for it.
    if (hasDate && stored.size() + 1 + std::strlen(buffer) <= f.size)
      stored.push_back(' ');
    stored += buffer;
    pos = text.size();
  }
  if (pos != text.size())
    return why = "more than a date and time", false;
  return PutText(stored, at, f.size, false, why);
}

bool StoreText(const CVQFieldDesc &f, std::string_view cp, char *at, std::string &why) {
  const bool right = f.dataJustType == 2;
  switch (f.contentType & twKIND) {
  case pkNUMBER: {
    const std::string_view t = Trim(cp);
    for (char c : t)
      if (!(c >= '0' && c <= '9') && c != '-' && c != '+' && c != '.' && c != ',')
        return why = "not a number", false;
    return PutText(t, at, f.size, right, why);
  }
  case pkDATETIME:
    return StoreDateTime(f, cp, at, why);
  case pkDECIMAL: {
    if (Trim(cp).empty())
      return PutText("", at, f.size, right, why);
    bool negative = false;
    ULONGLONG magnitude = 0;
    const UINT d = Decimals(f.contentType);
    if (!ParseFixed(cp, d, negative, magnitude, why))
      return false;
    std::string digits = std::to_string(magnitude);
    if (d) {
      if (digits.size() <= d)
        digits.insert(0, d + 1 - digits.size(), '0');
      digits.insert(digits.size() - d, 1, ',');
    }
    if (negative && magnitude)
      digits.insert(0, 1, '-');
    return PutText(digits, at, f.size, right, why);
  }
  default:
    // Trailing blanks are not shown, so they are not kept either.
    return PutText(Trim(cp).size() == cp.size() ? cp : cp.substr(0, cp.find_last_not_of(" \t") + 1),
                   at, f.size, false, why);
  }
}

bool StoreWide(const CVQFieldDesc &f, std::string_view text, char *at, std::string &why) {
  std::u16string wide;
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = 0;
    if (!NextUtf8(text, i, c))
      return why = "not UTF-8", false;
    if (c >= 0x10000) {
      c -= 0x10000;
      wide.push_back(char16_t(0xD800 + (c >> 10)));
      wide.push_back(char16_t(0xDC00 + (c & 0x3FF)));
    } else {
      wide.push_back(char16_t(c));
    }
  }
  while (!wide.empty() && wide.back() == u' ')
    wide.pop_back();
  if (wide.size() > f.size / 2)
    return why = "longer than " + std::to_string(f.size / 2) + " characters", false;
  std::memset(at, 0, f.size);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    at[2 * i] = char(wide[i] & 0xFF);
    at[2 * i + 1] = char(wide[i] >> 8);
  }
  return true;
}

std::string WideToUtf8(const char *at, UINT size) {
  std::string out;
  std::size_t end = 0;
  std::vector<char16_t> units;
  for (UINT i = 0; i + 1 < size; i += 2) {
    const char16_t u = char16_t(BYTE(at[i]) | (BYTE(at[i + 1]) << 8));
    if (u == 0)
      break;
    units.push_back(u);
  }
  while (!units.empty() && units.back() == u' ')
    units.pop_back();
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    else if (c >= 0xD800 && c < 0xE000)
      c = 0xFFFD; // a lone surrogate has no UTF-8 form
    AppendUtf8(out, c);
  }
  (void)end;
  return out;
}

} // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char b : text) {
    if (b < 0x80)
      out.push_back(char(b));
    else if (b < 0xA0)
      AppendUtf8(out, kHigh1252[b - 0x80] ? kHigh1252[b - 0x80] : b);
    else
      AppendUtf8(out, b);
  }
  return out;
}

bool Utf8ToCp1252(std::string_view text, std::string &out) {
  out.clear();
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (BYTE(text[i]) < 0x80) {
      out.push_back(text[i++]);
      continue;
    }
    char32_t c = 0;
    if (!NextUtf8(text, i, c))
      return false;
    if (c >= 0xA0 && c <= 0xFF) {
      out.push_back(char(c));
      continue;
    }
    int byte = -1;
    for (int k = 0; k < 32; ++k)
      if (kHigh1252[k] ? kHigh1252[k] == c : c == char32_t(0x80 + k))
        byte = 0x80 + k;
    if (byte < 0)
      return false;
    out.push_back(char(byte));
  }
  return true;
}

bool FieldToText(const CVQFieldDesc &field, const char *record, UINT recordSize,
                 std::string &text) {
  if (field.encodeType == iteUNICODETEXT) {
    text = WideToUtf8(record + field.offset, field.size);
    return true;
  }
  char small[256];
  std::vector<char> large;
  char *buffer = small;
  UINT size = sizeof small;
  if (field.size + 64 > size) {
    large.resize(field.size + 64);
    buffer = large.data();
    size = UINT(large.size());
  }
  UINT written = 0;
  if (!field.FormatData(buffer, size, &written, record, recordSize))
    return false;
  // The length FormatData reports leaves out the zeros it put in front.
  text = Cp1252ToUtf8(std::string_view(buffer, std::strlen(buffer)));
  return true;
}

void ClearField(const CVQFieldDesc &field, char *record) {
  std::memset(record + field.offset, field.encodeType == iteTEXT ? ' ' : 0, field.size);
}

bool TextToField(const CVQFieldDesc &field, std::string_view text, char *record, UINT recordSize,
                 std::string &why) {
  char *at = record + field.offset;
  if (field.encodeType == iteUNICODETEXT)
    return StoreWide(field, text, at, why);
  std::string cp;
  if (!Utf8ToCp1252(text, cp))
    return why = "holds a character outside Windows-1252", false;
  // A value the field cannot hold must not leave half its bytes behind.
  std::string saved(at, field.size);
  bool ok = false;
  if (field.encodeType <= iteINT64) {
    ClearField(field, record);
    ok = Trim(cp).empty() || StoreInteger(field, cp, at, why);
  } else if (field.encodeType == ite32FLOATING || field.encodeType == ite64FLOATING) {
    ClearField(field, record);
    ok = Trim(cp).empty() || StoreFloating(field, cp, at, why);
  } else if (field.encodeType == iteTEXT) {
    ok = StoreText(field, cp, at, why);
  } else {
    why = "the library has no text conversion for this field's encoding";
  }
  if (ok) {
    std::string shown;
    if (!FieldToText(field, record, recordSize, shown)) {
      why = "the library cannot show the value";
      ok = false;
    } else if (Trim(shown) != Trim(text)) {
      why = "reads back as \"" + shown + "\"";
      ok = false;
    }
  }
  if (!ok)
    std::memcpy(at, saved.data(), field.size);
  return ok;
}

} // namespace vqtbl
