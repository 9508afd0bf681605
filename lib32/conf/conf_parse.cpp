/*
 * CVQConfFile, the item parsers: find the keyword's line in the current
 * block (or the next one in a sequence) and take its items apart into
 * unsigned numbers and texts. Every path that fails leaves the caller's
 * counts and lengths at 0 and its texts empty.
 */
#include "conf/conf_impl.h"

#include <cstring>

using namespace vq::lib32;

namespace {

bool IsControl(char c) { return HasClass(c, kClassControl); }
bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The first '"', control byte or CR in [p, e), or e. Names are a dozen
// bytes or more, so eight are tested together; a tab also stops the word
// test, and the byte loop then goes on past it.
const char *FindQuoteOrControl(const char *p, const char *e) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    while (e - p >= 8) {
      std::uint64_t eight;
      std::memcpy(&eight, p, 8);
      const std::uint64_t quotes = eight ^ (kOnes * '"');
      const std::uint64_t hits =
          (((quotes - kOnes) & ~quotes) | ((eight - kOnes * 0x20) & ~eight)) & kHigh;
      if (hits) {
        p += std::countr_zero(hits) / 8;
        break;
      }
      p += 8;
    }
  }
  while (p < e && *p != '"' && !IsControl(*p) && *p != '\r')
    ++p;
  return p;
}

// The digits of an unsigned number at `p` (a digit), as far as they go;
// 0x starts hexadecimal digits.
[[gnu::always_inline]] inline UINT ReadDigits(const char *&pos, const char *e,
                                              unsigned long long &out) {
  const char *p = pos;
  unsigned long long value;
  if (*p == '0' && e - p > 1 && (p[1] == 'x' || p[1] == 'X')) {
    p += 2;
    if (p == e || kChars.hex[static_cast<unsigned char>(*p)] < 0)
      return VQCF_BAD_NUMBER;
    // Eight hexadecimal digits always fit; only more need the check.
    UINT fast = 0;
    const char *stop = e - p > 8 ? p + 8 : e;
    for (int d; p < stop && (d = kChars.hex[static_cast<unsigned char>(*p)]) >= 0; ++p)
      fast = fast * 16 + UINT(d);
    value = fast;
    for (int d; p < e && (d = kChars.hex[static_cast<unsigned char>(*p)]) >= 0; ++p)
      if ((value = value * 16 + UINT(d)) > 0xFFFFFFFFull)
        return VQCF_BAD_NUMBER;
  } else {
    // Likewise nine decimal digits.
    UINT fast = 0;
    const char *stop = e - p > 9 ? p + 9 : e;
    for (; p < stop && IsDigit(*p); ++p)
      fast = fast * 10 + UINT(*p - '0');
    value = fast;
    for (; p < e && IsDigit(*p); ++p)
      if ((value = value * 10 + UINT(*p - '0')) > 0xFFFFFFFFull)
        return VQCF_BAD_NUMBER;
  }
  // A separator (mostly the comma) ends a number; letters or a point would
  // make it something else.
  if (p < e && *p != ',' && (IsKeywordChar(static_cast<unsigned char>(*p)) || *p == '.'))
    return VQCF_BAD_NUMBER;
  out = value;
  pos = p;
  return VQCF_OK;
}

// A number with a sign at `p`: '-' gives the two's complement.
UINT ReadSigned(const char *&p, const char *e, UINT &out) {
  const bool negative = *p == '-';
  const char *digits = p + 1;
  if (digits == e || !IsDigit(*digits))
    return VQCF_SYNTAX;
  unsigned long long value = 0;
  const UINT rc = ReadDigits(digits, e, value);
  if (rc != VQCF_OK)
    return rc;
  if (negative && value > 0x80000000ull)
    return VQCF_BAD_NUMBER;
  out = negative ? 0u - static_cast<UINT>(value) : static_cast<UINT>(value);
  p = digits;
  return VQCF_OK;
}

// A character constant 'c' at `p`.
UINT ReadCharacter(const char *&p, const char *e, UINT &out) {
  if (e - p < 3 || p[2] != '\'')
    return VQCF_UNTERMINATED;
  if (IsControl(p[1]))
    return VQCF_BAD_CHARACTER;
  out = static_cast<unsigned char>(p[1]);
  p += 3;
  return VQCF_OK;
}

// A quoted text at `p`: [begin, end) is its raw inside, quotes still doubled.
// A CR inside is refused like the other control bytes although it is a blank
// between items: the editor writes no line breaks into a text, so a text
// that held one would not come back when the file is written again.
struct RawText {
  const char *begin, *end;
  bool doubledQuotes;
};
UINT ReadQuoted(const char *&p, const char *e, RawText &text) {
  text.begin = ++p;
  text.doubledQuotes = false;
  for (;;) {
    p = FindQuoteOrControl(p, e);
    if (p == e)
      return VQCF_UNTERMINATED;
    if (*p != '"')
      return VQCF_BAD_CHARACTER;
    if (p + 1 < e && p[1] == '"') {
      text.doubledQuotes = true;
      p += 2;
      continue;
    }
    text.end = p++;
    return VQCF_OK;
  }
}

// Copies a raw text cut to the buffer, making doubled quotes single where the
// text holds any; returns whether all of it fitted. Runs between quotes go in
// one copy each.
bool CopyText(const char *begin, const char *end, bool doubledQuotes, const TextBuffer &out) {
  char *const text = out.text;
  const size_t room = out.size - 1;
  if (!doubledQuotes && size_t(end - begin) <= room) { // the usual name
    const size_t length = size_t(end - begin);
    std::memcpy(text, begin, length);
    text[length] = '\0';
    if (out.length)
      *out.length = static_cast<UINT>(length);
    return true;
  }
  size_t n = 0;
  bool fitted = true;
  for (const char *p = begin; p < end;) {
    const char *stop =
        doubledQuotes ? static_cast<const char *>(std::memchr(p, '"', size_t(end - p))) : nullptr;
    if (!stop)
      stop = end;
    size_t run = size_t(stop - p);
    if (run > room - n) {
      run = room - n;
      fitted = false;
    }
    std::memcpy(text + n, p, run);
    n += run;
    if (!fitted)
      break;
    p = stop;
    if (p < end) {
      if (n == room) {
        fitted = false;
        break;
      }
      text[n++] = '"';
      p += 2;
    }
  }
  text[n] = '\0';
  if (out.length)
    *out.length = static_cast<UINT>(n);
  return fitted;
}

void ResetTexts(const TextBuffer *texts, UINT count) {
  for (UINT i = 0; i < count; ++i) {
    if (texts[i].text && texts[i].size > 0)
      texts[i].text[0] = '\0';
    if (texts[i].length)
      *texts[i].length = 0;
  }
}

} // namespace

namespace {

void WarnCut(const char *keyword, UINT line, UINT size) {
  CVQLogFile::GetDefault().PrtLog(VQLOG_WARNING, kConfTag,
                                  "Text of keyword %s in line %u cut to %u characters", keyword,
                                  line, size - 1);
}

UINT ParseItems(const ParseRequest &rq, const ConfLine &line, const char *base) {
  const char *begin = base + line.begin;
  const char *end = base + line.end;
  if (rq.bareText) {
    const char *p = begin;
    while (p < end && IsBlank(*p))
      ++p;
    if (p == end || *p != '"') {
      const char *stop = p;
      while (stop < end && *stop != ';') {
        if (IsControl(*stop))
          return VQCF_BAD_CHARACTER;
        ++stop;
      }
      while (stop > p && IsBlank(stop[-1]))
        --stop;
      // CRs at either end were trimmed as blanks; one inside stays in the
      // text and could not be written back (see ReadQuoted).
      if (std::memchr(p, '\r', size_t(stop - p)))
        return VQCF_BAD_CHARACTER;
      if (!CopyText(p, stop, false, rq.texts[0]))
        WarnCut(rq.keyword, line.Number(), rq.texts[0].size);
      return VQCF_OK;
    }
  }
  // Items are separated by blanks and/or one comma. Description files hold
  // tens of thousands of lines of eight numbers and a name, so the loop keeps
  // its state in locals and takes the ", " behind an item first.
  const char *p = begin;
  const char *const e = end;
  // Locals, not the request's fields: the stores into `values` could
  // otherwise overwrite them, as far as the compiler knows.
  UINT *const values = rq.values;
  const UINT maxNumbers = rq.maxNumbers;
  UINT numbers = 0, texts = 0;
  bool separated = true; // at the start, or behind a blank or a comma
  bool afterComma = false;
  for (;;) {
    const char *blanks = p;
    while (p < e && IsBlank(*p))
      ++p;
    separated |= p != blanks;
    if (p == e || *p == ';') {
      if (afterComma)
        return VQCF_SYNTAX;
      break;
    }
    const char c = *p;
    if (!separated)
      return IsControl(c) ? VQCF_BAD_CHARACTER : VQCF_SYNTAX;
    if (IsDigit(c) || c == '-' || c == '+' || c == '\'') {
      UINT value = 0;
      UINT rc;
      if (IsDigit(c)) {
        unsigned long long digits = 0;
        rc = ReadDigits(p, e, digits);
        value = static_cast<UINT>(digits);
      } else {
        rc = c == '\'' ? ReadCharacter(p, e, value) : ReadSigned(p, e, value);
      }
      if (rc != VQCF_OK)
        return rc;
      if (texts > 0 || maxNumbers == 0)
        return VQCF_SYNTAX;
      if (numbers == maxNumbers)
        return VQCF_TOO_MANY_NUMBERS;
      values[numbers++] = value;
    } else if (c == '"') {
      RawText raw;
      const UINT rc = ReadQuoted(p, e, raw);
      if (rc != VQCF_OK)
        return rc;
      if (texts == rq.textCount)
        return VQCF_SYNTAX;
      if (!CopyText(raw.begin, raw.end, raw.doubledQuotes, rq.texts[texts]))
        WarnCut(rq.keyword, line.Number(), rq.texts[texts].size);
      ++texts;
    } else {
      return IsControl(c) ? VQCF_BAD_CHARACTER : VQCF_SYNTAX;
    }
    if (p < e && *p == ',') {
      ++p;
      separated = afterComma = true;
      continue;
    }
    blanks = p;
    while (p < e && IsBlank(*p))
      ++p;
    separated = p != blanks;
    afterComma = p < e && *p == ',';
    if (afterComma) {
      ++p;
      separated = true;
    }
  }
  if (texts < rq.textCount)
    return VQCF_MISSING_TEXT;
  if (numbers < rq.minNumbers)
    return VQCF_MISSING_NUMBER;
  if (rq.count)
    *rq.count = numbers;
  return VQCF_OK;
}

} // namespace

UINT CVQConfFile::Impl::Parse(const ParseRequest &rq, UINT blockLevel, BOOL sequential,
                              UINT &sequenceNext) {
  if (rq.count)
    *rq.count = 0;
  ResetTexts(rq.texts, rq.textCount);
  if (!rq.keyword || (rq.maxNumbers > 0 && !rq.values))
    return VQCF_BAD_ARGUMENT;
  for (UINT i = 0; i < rq.textCount; ++i)
    if (!rq.texts[i].text || rq.texts[i].size == 0)
      return VQCF_BAD_ARGUMENT;
  bool legal = false;
  const UINT id = Lookup(rq.keyword, &legal);
  if (!legal)
    return VQCF_BAD_ARGUMENT;
  const UINT notFound = sequential ? VQCF_NO_MORE_LINES : VQCF_NOT_FOUND;
  if (id == kNoKeyword)
    return notFound;
  const BlockRange &block = levels[blockLevel];
  const UINT from = sequential ? block.begin + sequenceNext : block.begin;
  const UINT entry = dataLines[id].FirstIn(from, block.end);
  if (entry == kNoKeyword)
    return notFound;
  if (sequential)
    sequenceNext = entry + 1 - block.begin;
  const ConfLine &line = lines[entry];
  if (line.TooLong())
    return VQCF_LINE_TOO_LONG;
  const UINT rc = ParseItems(rq, line, text.data());
  if (rc != VQCF_OK) {
    if (rq.count)
      *rq.count = 0;
    ResetTexts(rq.texts, rq.textCount);
  }
  return rc;
}

UINT CVQConfFile::GetWord(const char *keyword, UINT *value) {
  UINT number = 0;
  const UINT rc =
      impl->Parse({keyword, value ? &number : nullptr, 1, 1, nullptr, nullptr, 0, false},
                  blockLevel, sequential, sequenceNext);
  if (value)
    *value = rc == VQCF_OK ? number : 0;
  return rc;
}

UINT CVQConfFile::GetWords(const char *keyword, UINT *values, UINT maxCount, UINT *count) {
  return impl->Parse({keyword, values, maxCount, 0, count, nullptr, 0, false}, blockLevel,
                     sequential, sequenceNext);
}

UINT CVQConfFile::GetText(const char *keyword, char *text, UINT size, UINT *length) {
  const TextBuffer out[1] = {{text, size, length}};
  return impl->Parse({keyword, nullptr, 0, 0, nullptr, out, 1, true}, blockLevel, sequential,
                     sequenceNext);
}

UINT CVQConfFile::Get2Text(const char *keyword, char *text1, UINT size1, UINT *length1, char *text2,
                           UINT size2, UINT *length2) {
  const TextBuffer out[2] = {{text1, size1, length1}, {text2, size2, length2}};
  return impl->Parse({keyword, nullptr, 0, 0, nullptr, out, 2, false}, blockLevel, sequential,
                     sequenceNext);
}

UINT CVQConfFile::GetWordsText(const char *keyword, UINT *values, UINT maxCount, UINT *count,
                               char *text, UINT size, UINT *length) {
  const TextBuffer out[1] = {{text, size, length}};
  return impl->Parse({keyword, values, maxCount, 0, count, out, 1, false}, blockLevel, sequential,
                     sequenceNext);
}

UINT CVQConfFile::GetWords2Text(const char *keyword, UINT *values, UINT maxCount, UINT *count,
                                char *text1, UINT size1, UINT *length1, char *text2, UINT size2,
                                UINT *length2) {
  const TextBuffer out[2] = {{text1, size1, length1}, {text2, size2, length2}};
  return impl->Parse({keyword, values, maxCount, 0, count, out, 2, false}, blockLevel, sequential,
                     sequenceNext);
}
