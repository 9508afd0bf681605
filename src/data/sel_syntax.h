// The lexical layer of the selection language, shared by its parser and
// its writers: the character classes, the tokenizer, the excerpts that
// messages quote, and the text forms of the operator codes. Internal to
// vq_tbl32.
#ifndef VQ_TBL32_DATA_SEL_SYNTAX_H
#define VQ_TBL32_DATA_SEL_SYNTAX_H

#include <vq_tbl32.h>

namespace vq::sel {

inline constexpr char kTag[] = "CVQTblSelDesc";

// Message numbers. 700, 712, 726 and 727 are this library's answer to what
// the language leaves open: memory, tokens longer than their fields, and
// levels too wide or too deep to keep on the stack.
enum : UINT {
  kMsgNoMemory = 700,
  kMsgMissingQuote = 710,
  kMsgSyntax = 711,
  kMsgTokenTooLong = 712,
  kMsgMissingParen = 720,
  kMsgNoColumn = 721,
  kMsgNoOperator = 722,
  kMsgNoOperatorToken = 723,
  kMsgNoValue = 724,
  kMsgNoValueToken = 725,
  kMsgTooManyTerms = 726,
  kMsgTooDeep = 727,
  kMsgNoLogical = 730,
  kMsgBadLogical = 731,
  kMsgBadComparison = 732,
  kMsgNoField = 740,
  kMsgNoPattern = 741,
  kMsgOrderJokers = 742,
  kMsgOrderText = 743,
  kMsgDateEncoding = 745,
  kMsgDecimalEncoding = 746,
};

// Character classes: bits of one byte per character code.
enum : BYTE {
  ccDigit = 0x01,
  ccLetter = 0x02,
  ccOperator = 0x04,
  ccSeparator = 0x08, // ',' '-' and '.'
  ccColon = 0x10,     // ':' and '.'
  ccJoker = 0x20,
  ccQuote = 0x40,
  ccBlank = 0x80,
  ccWord = ccDigit | ccLetter | ccSeparator | ccColon | ccJoker,
};

BYTE CharClass(char c);
inline bool IsBlank(char c) { return (CharClass(c) & ccBlank) != 0; }

// Field sizes a token is copied into, terminator included.
enum : UINT { kNameField = 64, kOperatorField = 32 };

/// The text as messages quote it: whole when shorter than 256 characters,
/// else its first 252 and "...".
class Excerpt {
public:
  Excerpt(const char *text, UINT length);
  const char *c_str() const { return text_; }

private:
  char text_[256];
};

/// Reads one token of `length` characters of `text` into `token` (`size`
/// bytes, terminated): a quoted text without its quotes, a run of word
/// characters or a run of operator characters, after blanks. Returns the
/// characters consumed from the start of `text`, quotes included; 0 when
/// only blanks remain (silently) or after message 710, 711 or 712.
UINT ReadToken(const char *text, UINT length, char *token, UINT size);

/// Blanks skipped from `position` on; the first other position or `length`.
UINT SkipBlanks(const char *text, UINT length, UINT position);

/// "==", "!=", ... for a comparison code; "?" for a code no parse gives.
const char *FuncText(UINT func);
/// "||", "^^" or "&&"; "?" for an unknown code.
const char *OperText(UINT oper);

} // namespace vq::sel

#endif
