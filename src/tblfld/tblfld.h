// What the parts of the list-view field and key description sets share:
// their tags, message numbers, string numbers and the justification codes
// with their characters and names. Internal to vq_tbl32.
#ifndef VQ_TBL32_TBLFLD_TBLFLD_H
#define VQ_TBL32_TBLFLD_TBLFLD_H

#include "frame/library.h"

namespace vqtblfld {

constexpr char kFldTag[] = "CVQTblFldDesc";
constexpr char kKeyTag[] = "CVQTblKeyDesc";
constexpr UINT kNotFound = 0xFFFFFFFF;

// Numbered messages of the field set (500s) and of the key set (601).
enum : UINT {
  kMsgNoKeyword = 500,
  kMsgNoMemory = 501,
  kMsgReadError = 510,
  kMsgFewNumbers = 511,
  kMsgNoName = 512,
  kMsgBadJust = 513,
  kMsgInsertColumn = 520,
  kMsgInsertItem = 530,
  kMsgEmpty = 550,
  kMsgBadType = 551,
  kMsgNoLength = 552,
  kMsgNoFieldName = 553,
  kMsgKeyNoMemory = 601,
};

// Justifications are list-view column formats: left, right, centred.
enum : UINT { kJustLeft = 0, kJustRight = 1, kJustMiddle = 2 };
enum : UINT {
  kJustLeftName = 590,
  kJustMiddleName = 591,
  kJustRightName = 592,
  kJustOtherName = 593
};

// The name of engine field type c is string 2020 + c; the printed list's
// column headers are strings 2000-2005.
constexpr UINT kTypeNames = 2020, kColumnHeaders = 2000;

/// The justification of character 'L', 'R' or 'M' (either case), else `otherwise`.
UINT JustFromChar(UINT c, UINT otherwise);
/// 'L', 'R', 'M', or '?' for a value that is none of them.
char JustChar(UINT justification);
/// The string number that names the justification.
UINT JustName(UINT justification);

/// String `id` of the library's resource module into `text` (`size`
/// bytes); the empty text when it is missing. Returns the length.
UINT LoadText(UINT id, char *text, UINT size);

} // namespace vqtblfld

#endif
