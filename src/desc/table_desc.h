// What the files of the table description share: its log tag, its message
// numbers and the bounded name helpers. Internal to vq_tbl32.
#ifndef VQ_TBL32_DESC_TABLE_DESC_H
#define VQ_TBL32_DESC_TABLE_DESC_H

#include "desc/record_table.h"

#include <cstring>

namespace vqdesc {

constexpr char kTableTag[] = "CVQTableDesc";
constexpr UINT kNotFound = ~0u;

// Numbered messages; their texts are in the resource modules. 1400 and
// 1410 each name two situations and are shown with and without arguments.
enum : UINT {
  kMsgBlockCount = 0,
  kMsgBlockMemory = 1,
  kMsgBlockSelect = 2,
  kMsgTableName = 1400,
  kMsgNodeSmall = 1401,
  kMsgNodeLarge = 1402,
  kMsgNoFields = 1403,
  kMsgRecSize = 1404,
  kMsgNoKeys = 1405,
  kMsgOverlap = 1407,
  kMsgBadMark = 1408,
  kMsgUnused = 1409,
  kMsgNoMemory = 1410,
  kMsgAppendField = 1411,
  kMsgInsertKey = 1415,
  kMsgAppendKey = 1416,
  kMsgKeyLine = 1420,
  kMsgKeyDisp = 1421,
  kMsgNoGridControl = 1430,
  kMsgNoGridWindow = 1431,
  kMsgNoGrid = 1432,
  kMsgNoColumns = 1433,
  kMsgDescMemory = 1490,
};

/// A name member as a terminated text, for records filled by hand that may
/// run their member full.
template <size_t N> struct BoundedText {
  explicit BoundedText(const char (&member)[N]) {
    std::memcpy(text, member, N);
    text[N] = '\0';
  }
  char text[N + 1];
};

} // namespace vqdesc

#endif
