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

#include <string>
#include <unordered_map>
#include <vector>

namespace vq::lib32 {

inline constexpr UINT kNoKeyword = 0xFFFFFFFFu;
inline constexpr UINT kMaxKeyword = 63;
inline constexpr UINT kMaxBlockDepth = 64;
inline constexpr const char *kConfTag = "CVQConfFile";

/// One keyword line of the loaded text.
struct ConfLine {
  UINT begin;   // offset of the first byte behind the keyword and its colon
  UINT end;     // offset of the line end (before CR LF)
  UINT number;  // 1-based line number in the text, for messages
  UINT keyword; // keyword id
  bool tooLong;
};

/// A block: entries [begin, end) with the keyword of its head; `next` is the
/// entry where the search for the following block of that keyword starts.
struct BlockRange {
  UINT keyword, begin, end, next;
};

inline bool IsKeywordStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
inline bool IsKeywordChar(unsigned char c) { return IsKeywordStart(c) || (c >= '0' && c <= '9'); }
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

/// The upper-case keyword without a trailing colon (and blanks), or an
/// empty string when `keyword` is not a legal keyword.
std::string CanonicalKeyword(const char *keyword);

} // namespace vq::lib32

struct CVQConfFile::Impl {
  // reader
  std::string text;
  std::vector<vq::lib32::ConfLine> lines;
  std::unordered_map<std::string, UINT> ids;
  std::vector<std::vector<UINT>> dataLines; // per keyword id
  std::vector<std::vector<UINT>> endLines;  // per keyword id
  std::vector<vq::lib32::BlockRange> levels;

  // editor
  bool editing = false;
  std::string edit;
  UINT headerIndent = 0, headerTextColumn = 0, keywordWidth = 0, delimiterWidth = 0,
       commentColumn = 0;

  void ClearReader();
  void Load(const char *data, size_t size);
  UINT Lookup(const char *keyword) const;
  /// The first entry of `list` in [from, before), or kNoKeyword.
  static UINT FirstIn(const std::vector<UINT> &list, UINT from, UINT before);
  vq::lib32::BlockRange MakeBlock(UINT keyword, UINT head, UINT enclosingEnd) const;
  /// Finds the request's line in the block of `blockLevel` and parses it.
  UINT Parse(const vq::lib32::ParseRequest &request, UINT blockLevel, BOOL sequential,
             UINT &sequenceNext);
};

#endif
