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
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The bare word END (any case) alone on the rest of the line, comments aside.
bool IsEndLine(const char *p, const char *e) {
  while (p < e && IsBlank(*p))
    ++p;
  if (e - p < 3 || FoldUpper(p[0]) != 'E' || FoldUpper(p[1]) != 'N' || FoldUpper(p[2]) != 'D')
    return false;
  p += 3;
  while (p < e && IsBlank(*p))
    ++p;
  return p == e || *p == ';';
}
} // namespace

std::string vq::lib32::CanonicalKeyword(const char *keyword) {
  if (!keyword)
    return {};
  const char *p = keyword;
  while (*p == ' ' || *p == '\t')
    ++p;
  if (!IsKeywordStart(static_cast<unsigned char>(*p)))
    return {};
  std::string key;
  while (IsKeywordChar(static_cast<unsigned char>(*p))) {
    if (key.size() == kMaxKeyword)
      return {};
    key += FoldUpper(*p++);
  }
  while (*p == ' ' || *p == '\t')
    ++p;
  if (*p == ':')
    ++p;
  while (*p == ' ' || *p == '\t')
    ++p;
  return *p ? std::string() : key;
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
}

void CVQConfFile::Impl::Load(const char *data, size_t size) {
  ClearReader();
  text.assign(data, size);
  const char *base = text.data();
  size_t pos = 0;
  if (size >= 3 && std::memcmp(base, "\xEF\xBB\xBF", 3) == 0)
    pos = 3;
  UINT number = 0;
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
    const char *q = p;
    while (q < contentEnd && IsKeywordChar(static_cast<unsigned char>(*q)))
      ++q;
    if (q - p > static_cast<ptrdiff_t>(kMaxKeyword))
      continue;
    const char *r = q;
    while (r < contentEnd && IsBlank(*r))
      ++r;
    if (r < contentEnd && *r == ':')
      ++r;
    else if (r == q && r < contentEnd && *r != ';')
      continue; // "Name=..." or "Name(": not a keyword line

    std::string key(p, q);
    for (char &c : key)
      c = FoldUpper(c);
    auto [it, added] = ids.try_emplace(key, static_cast<UINT>(dataLines.size()));
    if (added) {
      dataLines.emplace_back();
      endLines.emplace_back();
    }
    const UINT entry = static_cast<UINT>(lines.size());
    const bool tooLong = contentEnd - lineStart > static_cast<ptrdiff_t>(VQCF_MAX_LINE);
    lines.push_back(ConfLine{static_cast<UINT>(r - base), static_cast<UINT>(contentEnd - base),
                             number, it->second, tooLong});
    if (!tooLong && IsEndLine(r, contentEnd))
      endLines[it->second].push_back(entry);
    else
      dataLines[it->second].push_back(entry);
  }
  const UINT count = static_cast<UINT>(lines.size());
  levels.assign(1, BlockRange{kNoKeyword, 0, count, count});
}

UINT CVQConfFile::Impl::Lookup(const char *keyword) const {
  const std::string key = CanonicalKeyword(keyword);
  if (key.empty())
    return kNoKeyword;
  auto it = ids.find(key);
  return it == ids.end() ? kNoKeyword : it->second;
}

UINT CVQConfFile::Impl::FirstIn(const std::vector<UINT> &list, UINT from, UINT before) {
  auto it = std::lower_bound(list.begin(), list.end(), from);
  return it != list.end() && *it < before ? *it : kNoKeyword;
}

BlockRange CVQConfFile::Impl::MakeBlock(UINT keyword, UINT head, UINT enclosingEnd) const {
  const UINT end = FirstIn(endLines[keyword], head + 1, enclosingEnd);
  if (end != kNoKeyword)
    return {keyword, head, end, end + 1};
  const UINT next = FirstIn(dataLines[keyword], head + 1, enclosingEnd);
  if (next != kNoKeyword)
    return {keyword, head, next, next};
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
  const UINT head = id == kNoKeyword
                        ? kNoKeyword
                        : Impl::FirstIn(impl->dataLines[id], current.begin, current.end);
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
  const UINT head = Impl::FirstIn(impl->dataLines[sub.keyword], sub.next, enclosing.end);
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
  if (!count || CanonicalKeyword(keyword).empty())
    return FALSE;
  const UINT id = impl->Lookup(keyword);
  if (id == kNoKeyword)
    return TRUE;
  const BlockRange &current = impl->levels[blockLevel];
  UINT n = 0;
  for (UINT head = Impl::FirstIn(impl->dataLines[id], current.begin, current.end);
       head != kNoKeyword;
       head = Impl::FirstIn(impl->dataLines[id], impl->MakeBlock(id, head, current.end).next,
                            current.end))
    ++n;
  *count = n;
  return TRUE;
}

UINT CVQConfFile::GetKeyCount(const char *keyword) {
  const UINT id = impl->Lookup(keyword);
  if (id == kNoKeyword)
    return 0;
  const BlockRange &current = impl->levels[blockLevel];
  const std::vector<UINT> &list = impl->dataLines[id];
  auto first = std::lower_bound(list.begin(), list.end(), current.begin);
  auto last = std::lower_bound(first, list.end(), current.end);
  return static_cast<UINT>(last - first);
}
