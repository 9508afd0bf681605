/*
 * The inside of CVQConfFile, shared by its reader and editor sources.
 *
 * The loaded text is kept once; only keyword lines get an index entry, and
 * every keyword has two sorted lists of those entries: its data lines and
 * its END lines. A block is a half-open range of entries, so finding a
 * block's end, the next block or a keyword's first line is a binary search,
 * whatever the size of the file:
 *
 *   entry   line                      lines[FIELD]  ends[TABLE]
 *     0     Table:  "T1"   (head)
 *     1     Field:  0, 4, ...           0
 *     2     Field:  4, 2, ...           1
 *     3     Table:  END                             3   -> TABLE block = [0, 3)
 */
#ifndef VQ_LIB32_CONF_IMPL_H
#define VQ_LIB32_CONF_IMPL_H

#include <vq_lib32.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vq::lib32 {

inline constexpr UINT kNoKeyword = 0xFFFFFFFFu;
inline constexpr UINT kMaxKeyword = 63;
inline constexpr UINT kMaxBlockDepth = 64;
inline constexpr const char *kConfTag = "CVQConfFile";

/// One keyword line of the loaded text.
struct ConfLine {
  UINT begin;   // offset of the first non-blank behind the keyword and its colon
  UINT end;     // offset of the line end (before CR LF)
  UINT number;  // 1-based line number in the text, for messages
  UINT keyword; // keyword id
  bool tooLong;
};

/// A block: entries [begin, end) with the keyword of its head; `next` is the
/// entry where the search for the following block of that keyword starts,
/// and is that block's head itself when `nextIsHead` is set.
struct BlockRange {
  UINT keyword, begin, end, next;
  bool nextIsHead = false;
};

inline bool IsKeywordStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
inline bool IsKeywordChar(unsigned char c) { return IsKeywordStart(c) || (c >= '0' && c <= '9'); }
/// Blanks inside a line: a lone CR counts as one.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

/// The first non-blank in [p, e). Writers pad columns with runs of spaces,
/// so those go eight at a time.
inline const char *SkipBlanks(const char *p, const char *e) {
  for (std::uint64_t eight; e - p >= 8; p += 8) {
    std::memcpy(&eight, p, 8);
    if (eight != 0x2020202020202020ull)
      break;
  }
  while (p < e && IsBlank(*p))
    ++p;
  return p;
}

/// Equal byte runs; keywords are short, so a loop beats a library call.
inline bool SameBytes(const char *a, const char *b, size_t length, size_t otherLength) {
  if (length != otherLength)
    return false;
  for (size_t i = 0; i < length; ++i)
    if (a[i] != b[i])
      return false;
  return true;
}

inline char FoldUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

/// A caller's text buffer.
struct TextBuffer {
  char *text;
  UINT size;
  UINT *length;
};

/// What a parser call wants from its line.
struct ParseRequest {
  const char *keyword;
  UINT *values;
  UINT maxNumbers;
  UINT minNumbers;
  UINT *count;
  const TextBuffer *texts;
  UINT textCount;
  bool bareText; // GetText: an unquoted rest of line is the text
};

/// Writes the upper-case keyword without a trailing colon (and blanks) into
/// `out` (kMaxKeyword + 1 bytes) and returns its length; 0 when `keyword` is
/// not a legal keyword.
size_t CanonicalKeyword(const char *keyword, char *out);

/// The sorted entries of one kind of line of one keyword. Readers walk a
/// file forward, so a search starts from where the last one ended and
/// gallops; a walk over all blocks costs a step or two per block, not a
/// binary search over the whole file.
struct EntryList {
  std::vector<UINT> entries;
  size_t hint = 0;

  /// The index of the first entry not below `from` (the size when none).
  size_t LowerIndex(UINT from) {
    // Most searches end at the hint or one entry beside it.
    const size_t n = entries.size();
    if (hint < n) {
      if (entries[hint] >= from) {
        if (hint == 0 || entries[hint - 1] < from)
          return hint;
        if (hint == 1 || entries[hint - 2] < from)
          return --hint;
      } else if (hint + 1 == n || entries[hint + 1] >= from) {
        return ++hint;
      }
    }
    return Gallop(from);
  }
  size_t Gallop(UINT from);
  /// The first entry in [from, before), or kNoKeyword.
  UINT FirstIn(UINT from, UINT before) {
    const size_t i = LowerIndex(from);
    return i < entries.size() && entries[i] < before ? entries[i] : kNoKeyword;
  }
  UINT CountIn(UINT from, UINT before) {
    const size_t first = LowerIndex(from);
    return static_cast<UINT>(LowerIndex(before) - first);
  }
};

/// Hashing of keyword views, so that a lookup builds no string.
struct KeywordHash {
  using is_transparent = void;
  size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
};

} // namespace vq::lib32

struct CVQConfFile::Impl {
  // reader
  std::string text;
  std::vector<vq::lib32::ConfLine> lines;
  std::unordered_map<std::string, UINT, vq::lib32::KeywordHash, std::equal_to<>> ids;
  std::vector<vq::lib32::EntryList> dataLines; // per keyword id
  std::vector<vq::lib32::EntryList> endLines;  // per keyword id
  std::vector<vq::lib32::BlockRange> levels;
  // Callers ask for a handful of keywords over and over; the last few
  // answers spare the hash. lastKey/lastId also serve the loader.
  struct RecentKeyword {
    char key[vq::lib32::kMaxKeyword + 1];
    size_t length = 0;
    UINT id = vq::lib32::kNoKeyword;
  };
  static constexpr size_t kRecent = 16;
  mutable RecentKeyword recent[kRecent];
  mutable size_t recentNext = 0;
  mutable size_t recentHit = 0;
  std::string lastKey;
  UINT lastId = vq::lib32::kNoKeyword;

  // editor
  bool editing = false;
  std::string edit;
  UINT headerIndent = 0, headerTextColumn = 0, keywordWidth = 0, delimiterWidth = 0,
       commentColumn = 0;

  void ClearReader();
  void Load(const char *data, size_t size);
  /// The id of `keyword`, or kNoKeyword; `legal` (if given) tells whether
  /// the keyword is well-formed at all.
  UINT Lookup(const char *keyword, bool *legal = nullptr) const;
  vq::lib32::BlockRange MakeBlock(UINT keyword, UINT head, UINT enclosingEnd);
  /// Finds the request's line in the block of `blockLevel` and parses it.
  UINT Parse(const vq::lib32::ParseRequest &request, UINT blockLevel, BOOL sequential,
             UINT &sequenceNext);
};

#endif
