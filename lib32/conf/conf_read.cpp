/*
 * CVQConfFile, loading and blocks: splits the text into keyword lines,
 * indexes them by keyword and walks the nested blocks. The item parsers are
 * in conf_parse.cpp, the editor in conf_edit.cpp.
 */
#include "conf/conf_impl.h"

#include <algorithm>
#include <cstring>

using namespace vq::lib32;

namespace {
// The bare word END (any case) alone on the rest of the line, comments aside.
bool IsEndLine(const char *p, const char *e) {
  p = SkipBlanks(p, e);
  if (e - p < 3 || FoldUpper(p[0]) != 'E' || FoldUpper(p[1]) != 'N' || FoldUpper(p[2]) != 'D')
    return false;
  p += 3;
  while (p < e && IsBlank(*p))
    ++p;
  return p == e || *p == ';';
}
} // namespace

size_t vq::lib32::CanonicalKeyword(const char *keyword, char *out) {
  if (!keyword)
    return 0;
  const char *p = keyword;
  while (*p == ' ' || *p == '\t')
    ++p;
  if (!IsKeywordStart(static_cast<unsigned char>(*p)))
    return 0;
  size_t n = 0;
  while (IsKeywordChar(static_cast<unsigned char>(*p))) {
    if (n == kMaxKeyword)
      return 0;
    out[n++] = FoldUpper(*p++);
  }
  out[n] = '\0';
  while (*p == ' ' || *p == '\t')
    ++p;
  if (*p == ':')
    ++p;
  while (*p == ' ' || *p == '\t')
    ++p;
  return *p ? 0 : n;
}

size_t EntryList::Gallop(UINT from) {
  const size_t n = entries.size();
  if (n == 0)
    return 0;
  size_t lo, end;
  size_t i = hint < n ? hint : n - 1;
  if (entries[i] >= from) {
    // Back from the hint: entries[i] stays at or above `from`.
    size_t step = 1;
    while (i >= step && entries[i - step] >= from) {
      i -= step;
      step <<= 1;
    }
    lo = i >= step ? i - step : 0;
    end = i + 1;
  } else {
    // Forward: entries[i] stays below `from`.
    size_t step = 1;
    while (i + step < n && entries[i + step] < from) {
      i += step;
      step <<= 1;
    }
    lo = i + 1;
    end = i + step + 1 < n ? i + step + 1 : n;
  }
  hint = static_cast<size_t>(std::lower_bound(entries.begin() + lo, entries.begin() + end, from) -
                             entries.begin());
  return hint;
}

void CVQConfFile::Impl::ClearReader() {
  text.clear();
  text.shrink_to_fit();
  lines.clear();
  lines.shrink_to_fit();
  ids.clear();
  dataLines.clear();
  endLines.clear();
  levels.assign(1, BlockRange{kNoKeyword, 0, 0, 0});
  for (RecentKeyword &r : recent)
    r.length = 0;
}

UINT CVQConfFile::Impl::LoadKeyword(const char *raw, size_t length) {
  char key[kMaxKeyword + 1];
  for (size_t i = 0; i < length; ++i)
    key[i] = FoldUpper(raw[i]);
  const std::string_view view(key, length);
  auto it = ids.find(view);
  if (it == ids.end()) {
    it = ids.emplace(std::string(view), static_cast<UINT>(dataLines.size())).first;
    dataLines.emplace_back();
    endLines.emplace_back();
  }
  return it->second;
}

void CVQConfFile::Impl::Load(const char *data, size_t size) {
  ClearReader();
  text.assign(data, size);
  const char *base = text.data();
  size_t pos = 0;
  if (size >= 3 && std::memcmp(base, "\xEF\xBB\xBF", 3) == 0)
    pos = 3;
  UINT number = 0;
  struct Spelling {
    const char *raw;
    size_t length; // 0: an empty slot
    UINT id;
  };
  constexpr size_t kSeen = 16;
  Spelling seen[kSeen] = {};
  size_t lastSeen = 0, nextSeen = 0;
  lines.reserve(size / 64);
  while (pos < size) {
    ++number;
    const char *lineStart = base + pos;
    const char *newline = static_cast<const char *>(std::memchr(lineStart, '\n', size - pos));
    const char *lineEnd = newline ? newline : base + size;
    pos = static_cast<size_t>(lineEnd - base) + (newline ? 1 : 0);
    const char *contentEnd = lineEnd;
    if (contentEnd > lineStart && contentEnd[-1] == '\r')
      --contentEnd;

    const char *p = lineStart;
    while (p < contentEnd && IsBlank(*p))
      ++p;
    if (p == contentEnd || !IsKeywordStart(static_cast<unsigned char>(*p)))
      continue;
    // Runs of lines share their keyword as written: when the line starts
    // with the last spelling, that is its keyword, without another scan.
    const Spelling &last = seen[lastSeen];
    const char *q = p;
    const bool asLast = last.length && size_t(contentEnd - p) >= last.length &&
                        SameBytes(p, last.raw, last.length, last.length) &&
                        (size_t(contentEnd - p) == last.length ||
                         !IsKeywordChar(static_cast<unsigned char>(p[last.length])));
    if (asLast) {
      q = p + last.length;
    } else {
      while (q < contentEnd && IsKeywordChar(static_cast<unsigned char>(*q)))
        ++q;
      if (q - p > static_cast<ptrdiff_t>(kMaxKeyword))
        continue;
    }
    const char *r = SkipBlanks(q, contentEnd);
    if (r < contentEnd && *r == ':')
      r = SkipBlanks(r + 1, contentEnd);
    else if (r == q && r < contentEnd && *r != ';')
      continue; // "Name=..." or "Name(": not a keyword line

    // A block repeats the few spellings of its lines: only a spelling not
    // seen lately costs a lookup.
    const size_t length = static_cast<size_t>(q - p);
    if (!asLast) {
      size_t i = 0;
      while (i < kSeen && !SameBytes(p, seen[i].raw, length, seen[i].length))
        ++i;
      if (i == kSeen) {
        i = nextSeen;
        nextSeen = (nextSeen + 1) % kSeen;
        seen[i] = {p, length, LoadKeyword(p, length)};
      }
      lastSeen = i;
    }
    const UINT lastId = seen[lastSeen].id;
    const UINT entry = static_cast<UINT>(lines.size());
    const bool tooLong = contentEnd - lineStart > static_cast<ptrdiff_t>(VQCF_MAX_LINE);
    const UINT marked = (number < ConfLine::kTooLong ? number : ConfLine::kTooLong - 1) |
                        (tooLong ? ConfLine::kTooLong : 0);
    lines.push_back(
        ConfLine{static_cast<UINT>(r - base), static_cast<UINT>(contentEnd - base), marked});
    if (!tooLong && IsEndLine(r, contentEnd))
      endLines[lastId].entries.push_back(entry);
    else
      dataLines[lastId].entries.push_back(entry);
  }
  const UINT count = static_cast<UINT>(lines.size());
  levels.assign(1, BlockRange{kNoKeyword, 0, count, count});
}

namespace {
// `keyword` (NUL-terminated) is the slot's raw text; stops at the first
// difference, so it never reads past the caller's terminator.
bool SameRaw(const char *keyword, const char *raw, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (keyword[i] != raw[i])
      return false;
  return keyword[length] == '\0';
}
} // namespace

UINT CVQConfFile::Impl::Lookup(const char *keyword, bool *legal) const {
  if (keyword) {
    const RecentKeyword &hit = recent[recentHit];
    if (hit.length && SameRaw(keyword, hit.raw, hit.length)) {
      if (legal)
        *legal = true;
      return hit.id;
    }
    for (size_t i = 0; i < kRecent; ++i)
      if (recent[i].length && SameRaw(keyword, recent[i].raw, recent[i].length)) {
        recentHit = i;
        if (legal)
          *legal = true;
        return recent[i].id;
      }
  }
  char key[kMaxKeyword + 1];
  const size_t length = CanonicalKeyword(keyword, key);
  if (legal)
    *legal = length > 0;
  if (length == 0)
    return kNoKeyword;
  auto it = ids.find(std::string_view(key, length));
  const UINT id = it == ids.end() ? kNoKeyword : it->second;
  // Legal keywords come in blanks and a colon of modest length; longer
  // spellings are simply not remembered.
  const size_t rawLength = strnlen(keyword, sizeof recent[0].raw);
  if (rawLength < sizeof recent[0].raw) {
    RecentKeyword &slot = recent[recentNext];
    recentNext = (recentNext + 1) % kRecent;
    std::memcpy(slot.raw, keyword, rawLength);
    slot.length = rawLength;
    slot.id = id;
  }
  return id;
}

BlockRange CVQConfFile::Impl::MakeBlock(UINT keyword, UINT head, UINT enclosingEnd) {
  const UINT end = endLines[keyword].FirstIn(head + 1, enclosingEnd);
  if (end != kNoKeyword)
    return {keyword, head, end, end + 1};
  const UINT next = dataLines[keyword].FirstIn(head + 1, enclosingEnd);
  if (next != kNoKeyword)
    return {keyword, head, next, next, true};
  return {keyword, head, enclosingEnd, enclosingEnd};
}

CVQConfFile::CVQConfFile() : impl(new Impl), blockLevel(0), sequential(FALSE), sequenceNext(0) {
  impl->ClearReader();
}

CVQConfFile::~CVQConfFile() { delete impl; }

BOOL CVQConfFile::Read(const char *path, BOOL logErrors, BOOL textOnly) {
  impl->ClearReader();
  blockLevel = 0;
  sequential = FALSE;
  CVQLogFile &log = CVQLogFile::GetDefault();
  if (!path || strnlen(path, MAX_PATH) >= MAX_PATH) {
    if (logErrors)
      log.PrtLog(VQLOG_ERROR, kConfTag, "Illegal configuration file name");
    return FALSE;
  }
  std::string data;
  const DWORD rc = ReadWhole(path, data);
  if (rc != 0) {
    if (logErrors)
      log.PrtLog(VQLOG_ERROR, kConfTag, "Error %u on reading %s", static_cast<UINT>(rc), path);
    return FALSE;
  }
  if (textOnly && std::memchr(data.data(), '\0', data.size())) {
    if (logErrors)
      log.PrtLog(VQLOG_ERROR, kConfTag, "%s is not a text file", path);
    return FALSE;
  }
  impl->Load(data.data(), data.size());
  SetFileName(path);
  return TRUE;
}

BOOL CVQConfFile::ReadIt(const char *text, UINT length) {
  blockLevel = 0;
  sequential = FALSE;
  if (!text && length > 0) {
    impl->ClearReader();
    return FALSE;
  }
  impl->Load(text ? text : "", length);
  return TRUE;
}

void CVQConfFile::Free() {
  impl->ClearReader();
  impl->editing = false;
  std::string().swap(impl->edit);
  blockLevel = 0;
  sequential = FALSE;
}

BOOL CVQConfFile::SelectBlock(const char *keyword) {
  impl->levels.resize(blockLevel + 1);
  sequential = FALSE;
  if (blockLevel + 1 >= kMaxBlockDepth) {
    CVQLogFile::GetDefault().PrtLog(VQLOG_ERROR, kConfTag, "Blocks nested deeper than %u levels",
                                    kMaxBlockDepth);
    return FALSE;
  }
  const BlockRange current = impl->levels[blockLevel];
  const UINT id = impl->Lookup(keyword);
  BlockRange sub{id, current.end, current.end, current.end};
  const UINT head =
      id == kNoKeyword ? kNoKeyword : impl->dataLines[id].FirstIn(current.begin, current.end);
  if (head != kNoKeyword)
    sub = impl->MakeBlock(id, head, current.end);
  impl->levels.push_back(sub);
  ++blockLevel;
  return head != kNoKeyword;
}

BOOL CVQConfFile::SelectNextBlock() {
  sequential = FALSE;
  if (blockLevel == 0)
    return FALSE;
  impl->levels.resize(blockLevel + 1);
  BlockRange &sub = impl->levels[blockLevel];
  const BlockRange &enclosing = impl->levels[blockLevel - 1];
  if (sub.keyword == kNoKeyword)
    return FALSE;
  const UINT head =
      sub.nextIsHead ? sub.next : impl->dataLines[sub.keyword].FirstIn(sub.next, enclosing.end);
  if (head == kNoKeyword) {
    sub = BlockRange{sub.keyword, enclosing.end, enclosing.end, enclosing.end};
    return FALSE;
  }
  sub = impl->MakeBlock(sub.keyword, head, enclosing.end);
  return TRUE;
}

BOOL CVQConfFile::GetBlockCount(const char *keyword, UINT *count) {
  if (count)
    *count = 0;
  bool legal = false;
  const UINT id = impl->Lookup(keyword, &legal);
  if (!count || !legal)
    return FALSE;
  if (id == kNoKeyword)
    return TRUE;
  const BlockRange &current = impl->levels[blockLevel];
  UINT n = 0;
  for (UINT head = impl->dataLines[id].FirstIn(current.begin, current.end); head != kNoKeyword;
       ++n) {
    const BlockRange block = impl->MakeBlock(id, head, current.end);
    head = block.nextIsHead ? block.next : impl->dataLines[id].FirstIn(block.next, current.end);
  }
  *count = n;
  return TRUE;
}

UINT CVQConfFile::GetKeyCount(const char *keyword) {
  const UINT id = impl->Lookup(keyword);
  if (id == kNoKeyword)
    return 0;
  const BlockRange &current = impl->levels[blockLevel];
  return impl->dataLines[id].CountIn(current.begin, current.end);
}
