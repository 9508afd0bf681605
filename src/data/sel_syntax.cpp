// The tokenizer of the selection language and the character classes it
// reads by. A token never spans a class boundary, so "A>=5" is three
// tokens and "X=-5" gives the value "-5"; dates, times and joker patterns
// ("12.03.2009", "10:30", "M*ER?") stay whole words.
#include "data/sel_syntax.h"

#include "frame/library.h"

#include <cstring>

namespace vq::sel {
namespace {

struct ClassTable {
  BYTE at[256];
};

constexpr ClassTable MakeClasses() {
  ClassTable t{};
  const auto mark = [&t](const char *chars, BYTE cls) {
    for (; *chars; ++chars)
      t.at[static_cast<unsigned char>(*chars)] |= cls;
  };
  mark("\t ", ccBlank);
  mark("\"'", ccQuote);
  mark("0123456789", ccDigit);
  mark("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz%_", ccLetter);
  // The letters of German in Windows-1252: Ä Ö Ü ß ä ö ü.
  mark("\xC4\xD6\xDC\xDF\xE4\xF6\xFC", ccLetter);
  mark("!&<=>^|", ccOperator);
  mark(",-.", ccSeparator);
  mark(":.", ccColon);
  mark("#*?", ccJoker);
  return t;
}

constexpr ClassTable kClasses = MakeClasses();

constexpr const char *kFuncTexts[] = {"==", "!=", "==", "!=", ">", ">=", "<", "<="};
constexpr const char *kOperTexts[] = {"||", "^^", "&&"};

// Copies a token that fits; the caller has checked its length.
void CopyToken(char *token, const char *text, UINT length) {
  std::memcpy(token, text, length);
  token[length] = '\0';
}

UINT RunOf(const char *text, UINT length, UINT position, BYTE classes) {
  while (position < length && (CharClass(text[position]) & classes))
    ++position;
  return position;
}

} // namespace

BYTE CharClass(char c) { return kClasses.at[static_cast<unsigned char>(c)]; }

Excerpt::Excerpt(const char *text, UINT length) {
  if (!text)
    length = 0;
  if (length < sizeof text_) {
    std::memcpy(text_, text, length);
    text_[length] = '\0';
  } else {
    std::memcpy(text_, text, 252);
    std::memcpy(text_ + 252, "...", 4);
  }
}

UINT SkipBlanks(const char *text, UINT length, UINT position) {
  return RunOf(text, length, position, ccBlank);
}

UINT ReadToken(const char *text, UINT length, char *token, UINT size) {
  token[0] = '\0';
  const UINT start = SkipBlanks(text, length, 0);
  if (start == length)
    return 0;
  const char first = text[start];
  const BYTE cls = CharClass(first);
  UINT begin = start, end, consumed;
  if (cls & ccQuote) {
    begin = start + 1;
    const void *close = std::memchr(text + begin, first, length - begin);
    if (!close) {
      const Excerpt excerpt(text, length);
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Missing %c in \"%s\"", first, excerpt.c_str());
      theLibrary.ErrorBox(kMsgMissingQuote, first, excerpt.c_str());
      return 0;
    }
    end = UINT(static_cast<const char *>(close) - text);
    consumed = end + 1;
  } else if (cls & (ccWord | ccOperator)) {
    end = consumed = RunOf(text, length, start, (cls & ccWord) ? ccWord : ccOperator);
  } else {
    const Excerpt excerpt(text, length);
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Syntax error in \"%s\"", excerpt.c_str());
    theLibrary.ErrorBox(kMsgSyntax, excerpt.c_str());
    return 0;
  }
  if (end - begin >= size) {
    const Excerpt excerpt(text, length);
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Token longer than %u characters in \"%s\"", size - 1,
                      excerpt.c_str());
    theLibrary.ErrorBox(kMsgTokenTooLong, size - 1, excerpt.c_str());
    return 0;
  }
  CopyToken(token, text + begin, end - begin);
  return consumed;
}

const char *FuncText(UINT func) {
  return func < sizeof kFuncTexts / sizeof *kFuncTexts ? kFuncTexts[func] : "?";
}

const char *OperText(UINT oper) {
  return oper < sizeof kOperTexts / sizeof *kOperTexts ? kOperTexts[oper] : "?";
}

} // namespace vq::sel
