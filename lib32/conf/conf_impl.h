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

#include <bit>
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

/// One keyword line of the loaded text. Large files hold hundreds of
/// thousands of these, so the record is kept to 12 bytes: the too-long mark
/// rides in the top bit of the line number (numbers beyond 2^31 - 1, in a
/// text of more than 2 GB of line breaks, are reported as that).
struct ConfLine {
  static constexpr UINT kTooLong = 0x80000000u;
  UINT begin;  // offset of the first non-blank behind the keyword and its colon
  UINT end;    // offset of the line end (before CR LF)
  UINT marked; // 1-based line number, for messages, | kTooLong

  UINT Number() const { return marked & ~kTooLong; }
  bool TooLong() const { return (marked & kTooLong) != 0; }
};

/// A block: entries [begin, end) with the keyword of its head; `next` is the
/// entry where the search for the following block of that keyword starts,
/// and is that block's head itself when `nextIsHead` is set.
struct BlockRange {
  UINT keyword, begin, end, next;
  bool nextIsHead = false;
};

/// Byte classes of the reader, one table lookup per byte on the hot paths.
enum : unsigned char {
  kClassBlank = 1,    // ' ', tab, and a lone CR
  kClassDigit = 2,    // 0-9
  kClassKeyStart = 4, // A-Z a-z _
  kClassControl = 8,  // below 0x20 except tab and CR
};
struct CharClasses {
  unsigned char of[256];
  signed char hex[256]; // the value of a hexadecimal digit, -1 otherwise
  constexpr CharClasses() : of(), hex() {
    for (int c = 0; c < 256; ++c) {
      hex[c] = -1;
      if (c < 0x20 && c != '\t' && c != '\r')
        of[c] |= kClassControl;
    }
    of[int(' ')] = of[int('\t')] = of[int('\r')] = kClassBlank;
    for (int c = '0'; c <= '9'; ++c) {
      of[c] = kClassDigit;
      hex[c] = static_cast<signed char>(c - '0');
    }
    for (int c = 'A'; c <= 'Z'; ++c)
      of[c] = of[c + 32] = kClassKeyStart;
    for (int c = 0; c < 6; ++c)
      hex['A' + c] = hex['a' + c] = static_cast<signed char>(10 + c);
    of[int('_')] = kClassKeyStart;
  }
};
inline constexpr CharClasses kChars;

inline bool HasClass(char c, unsigned char classes) {
  return (kChars.of[static_cast<unsigned char>(c)] & classes) != 0;
}
inline bool IsKeywordStart(unsigned char c) { return kChars.of[c] & kClassKeyStart; }
inline bool IsKeywordChar(unsigned char c) { return kChars.of[c] & (kClassKeyStart | kClassDigit); }
/// Blanks inside a line: a lone CR counts as one.
inline bool IsBlank(char c) { return HasClass(c, kClassBlank); }

/// The first non-blank in [p, e). Writers pad columns with runs of spaces
/// and put single ones between items, so eight bytes are looked at together:
/// the first that is not a space ends the run at once, however long it was,
/// without a branch per byte.
inline const char *SkipBlanks(const char *p, const char *e) {
  if constexpr (std::endian::native == std::endian::little) {
    while (e - p >= 8) {
      std::uint64_t eight;
      std::memcpy(&eight, p, 8);
      const std::uint64_t notSpace = eight ^ 0x2020202020202020ull;
      if (notSpace == 0) {
        p += 8;
        continue;
      }
      p += std::countr_zero(notSpace) / 8;
      if (!IsBlank(*p))
        return p;
      ++p; // a tab or a lone CR
    }
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
    // Most searches end at the hint or an entry or two beside it: a parser
    // call steps back to a block's head, the next block step goes two on.
    const size_t n = entries.size();
    if (n == 0) // most keywords never close their blocks with END
      return 0;
    const size_t i = hint < n ? hint : n - 1;
    if (entries[i] >= from) {
      if (i == 0 || entries[i - 1] < from)
        return hint = i;
      if (i == 1 || entries[i - 2] < from)
        return hint = i - 1;
    } else {
      for (size_t k = i + 1; k <= i + 3; ++k)
        if (k == n || entries[k] >= from)
          return hint = k;
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

// Impl is nested in an exported class and would be exported with it. Its
// functions are the reader's inner loop: hidden, they are called directly and
// may be inlined, instead of going through the symbol table on every line.
#if defined(__GNUC__) && !defined(_WIN32)
#define VQ_CONF_HIDDEN __attribute__((visibility("hidden")))
#else
#define VQ_CONF_HIDDEN
#endif

struct VQ_CONF_HIDDEN CVQConfFile::Impl {
  // reader
  std::string text;
  std::vector<vq::lib32::ConfLine> lines;
  std::unordered_map<std::string, UINT, vq::lib32::KeywordHash, std::equal_to<>> ids;
  std::vector<vq::lib32::EntryList> dataLines; // per keyword id
  std::vector<vq::lib32::EntryList> endLines;  // per keyword id
  std::vector<vq::lib32::BlockRange> levels;
  // Callers ask for a handful of keywords over and over, mostly as the same
  // literal: the last few answers, by the keyword as the caller wrote it,
  // spare both its canonical form and the hash.
  struct RecentKeyword {
    char raw[vq::lib32::kMaxKeyword + 8];
    size_t length = 0; // 0: an empty slot
    UINT id = vq::lib32::kNoKeyword;
  };
  static constexpr size_t kRecent = 16;
  mutable RecentKeyword recent[kRecent];
  mutable size_t recentNext = 0;
  mutable size_t recentHit = 0;

  // editor
  bool editing = false;
  std::string edit;
  UINT headerIndent = 0, headerTextColumn = 0, keywordWidth = 0, delimiterWidth = 0,
       commentColumn = 0;

  void ClearReader();
  void Load(const char *data, size_t size);
  /// The id of a keyword as the text spells it, new ones numbered on.
  UINT LoadKeyword(const char *raw, size_t length);
  /// The id of `keyword`, or kNoKeyword; `legal` (if given) tells whether
  /// the keyword is well-formed at all.
  UINT Lookup(const char *keyword, bool *legal = nullptr) const;
  vq::lib32::BlockRange MakeBlock(UINT keyword, UINT head, UINT enclosingEnd);
  /// Finds the request's line in the block of `blockLevel` and parses it.
  UINT Parse(const vq::lib32::ParseRequest &request, UINT blockLevel, BOOL sequential,
             UINT &sequenceNext);
};

#endif
