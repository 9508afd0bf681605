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

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(char c) { return IsKeywordChar(static_cast<unsigned char>(c)); }

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  c = FoldUpper(c);
  return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

struct Item {
  bool isText = false;
  UINT value = 0;
  const char *textBegin = nullptr; // raw, quotes still doubled
  const char *textEnd = nullptr;
};

// The items of one line, left to right.
class ItemReader {
public:
  ItemReader(const char *begin, const char *end) : p(begin), e(end) {}

  /// 0 with `got` true for an item, 0 with `got` false at the line's end,
  /// or an error number.
  [[gnu::always_inline]] UINT Next(Item &item, bool &got) {
    got = false;
    SkipBlanks();
    if (p == e || *p == ';')
      return afterComma ? VQCF_SYNTAX : VQCF_OK;
    const bool separated = first || afterComma || blankBefore;
    UINT rc;
    if (separated && IsDigit(*p)) // the common case first
      rc = Number(item);
    else if (IsControl(*p))
      return VQCF_BAD_CHARACTER;
    else if (!separated)
      return VQCF_SYNTAX;
    else if (*p == '"')
      rc = Quoted(item);
    else if (*p == '\'')
      rc = Character(item);
    else if (IsDigit(*p) || *p == '-' || *p == '+')
      rc = Number(item);
    else
      rc = VQCF_SYNTAX;
    if (rc != VQCF_OK)
      return rc;
    first = false;
    blankBefore = SkipBlanks();
    afterComma = p < e && *p == ',';
    if (afterComma)
      ++p;
    got = true;
    return VQCF_OK;
  }

private:
  bool SkipBlanks() {
    const char *start = p;
    p = vq::lib32::SkipBlanks(p, e);
    return p != start;
  }

  UINT Quoted(Item &item) {
    item.isText = true;
    item.textBegin = ++p;
    for (;;) {
      if (p == e)
        return VQCF_UNTERMINATED;
      if (*p == '"') {
        if (p + 1 < e && p[1] == '"') {
          p += 2;
          continue;
        }
        item.textEnd = p++;
        return VQCF_OK;
      }
      if (IsControl(*p))
        return VQCF_BAD_CHARACTER;
      ++p;
    }
  }

  UINT Character(Item &item) {
    if (e - p < 3 || p[2] != '\'')
      return VQCF_UNTERMINATED;
    if (IsControl(p[1]))
      return VQCF_BAD_CHARACTER;
    item.value = static_cast<unsigned char>(p[1]);
    p += 3;
    return VQCF_OK;
  }

  [[gnu::always_inline]] UINT Number(Item &item) {
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
      ++p;
    if (p == e || !IsDigit(*p))
      return VQCF_SYNTAX;
    unsigned long long value = 0;
    if (*p == '0' && p + 1 < e && (p[1] == 'x' || p[1] == 'X')) {
      p += 2;
      if (p == e || HexValue(*p) < 0)
        return VQCF_BAD_NUMBER;
      for (; p < e && HexValue(*p) >= 0; ++p)
        if ((value = value * 16 + HexValue(*p)) > 0xFFFFFFFFull)
          return VQCF_BAD_NUMBER;
    } else {
      for (; p < e && IsDigit(*p); ++p)
        if ((value = value * 10 + (*p - '0')) > 0xFFFFFFFFull)
          return VQCF_BAD_NUMBER;
    }
    if (p < e && (IsAlnum(*p) || *p == '.'))
      return VQCF_BAD_NUMBER;
    if (negative && value > 0x80000000ull)
      return VQCF_BAD_NUMBER;
    item.value =
        negative ? static_cast<UINT>(0u - static_cast<UINT>(value)) : static_cast<UINT>(value);
    return VQCF_OK;
  }

  const char *p;
  const char *e;
  bool first = true;
  bool afterComma = false;
  bool blankBefore = false;
};

// Copies a raw text (doubled quotes made single) cut to the buffer; returns
// whether all of it fitted. Runs between quotes go in one copy each.
bool CopyText(const char *begin, const char *end, bool quoted, const TextBuffer &out) {
  char *const text = out.text;
  const size_t room = out.size - 1;
  size_t n = 0;
  bool fitted = true;
  for (const char *p = begin; p < end;) {
    const char *stop =
        quoted ? static_cast<const char *>(std::memchr(p, '"', size_t(end - p))) : nullptr;
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
      if (!CopyText(p, stop, false, rq.texts[0]))
        WarnCut(rq.keyword, line.number, rq.texts[0].size);
      return VQCF_OK;
    }
  }
  ItemReader reader(begin, end);
  UINT numbers = 0, texts = 0;
  for (;;) {
    Item item;
    bool got = false;
    const UINT rc = reader.Next(item, got);
    if (rc != VQCF_OK)
      return rc;
    if (!got)
      break;
    if (!item.isText) {
      if (texts > 0 || rq.maxNumbers == 0)
        return VQCF_SYNTAX;
      if (numbers == rq.maxNumbers)
        return VQCF_TOO_MANY_NUMBERS;
      rq.values[numbers++] = item.value;
    } else {
      if (texts == rq.textCount)
        return VQCF_SYNTAX;
      if (!CopyText(item.textBegin, item.textEnd, true, rq.texts[texts]))
        WarnCut(rq.keyword, line.number, rq.texts[texts].size);
      ++texts;
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
  if (line.tooLong)
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
