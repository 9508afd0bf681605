// The selection parser: a text becomes a tree of comparisons joined by
// logical operators, or, on any error, the empty tree and a message.
//
// A level (the whole text, a group's inner text) is read once into a list
// of terms, each a comparison or a group, with the logical operator that
// follows it. The level then splits at its loosest operator (OR before XOR
// before AND, the leftmost among equals) into a left and a right part and
// builds each part alike, so x OR y OR z nests as x OR (y OR z). A part is
// a slice of the same term list: its text holds exactly those terms, so
// reading it again would find them again; only a lone group is read anew,
// as a level of its own.
//
// Limits: 128 terms per level, as the list lives on the stack; 256 nested
// groups and 256 stacked operations, which bounds the recursion (and
// covers the parentheses `edit` writes for any tree that parses).
#include "data/sel_syntax.h"

#include "frame/library.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vq::sel {
namespace {

constexpr UINT kMaxTerms = 128;
constexpr UINT kMaxDepth = 256;
constexpr UINT kNotFound = UINT(-1);

CEnumString::Row gComparisonRows[] = {
    {cfEQUAL, "="}, {cfEQUAL, "=="},     {cfNOTEQUAL, "!="}, {cfNOTEQUAL, "<>"},
    {cfLESS, "<"},  {cfLESSEQUAL, "<="}, {cfGREATER, ">"},   {cfGREATEREQUAL, ">="},
};
CEnumString::Row gLogicalRows[] = {
    {loOR, "ODER"}, {loOR, "OR"},  {loOR, "||"},   {loAND, "UND"},
    {loAND, "AND"}, {loAND, "&&"}, {loXOR, "XOR"}, {loXOR, "^^"},
};
const CEnumString kComparisons(gComparisonRows);
const CEnumString kLogicals(gLogicalRows);

// FindUpper needs plain byte order. CEnumString::SortTable folds case,
// which would put "^^" (0x5E) before the letters and lose it.
void SortByBytes(CEnumString::Row *rows, UINT count) {
  std::sort(rows, rows + count, [](const CEnumString::Row &a, const CEnumString::Row &b) {
    return std::strcmp(a.name, b.name) < 0;
  });
}

void SortKeywordTablesOnce() {
  static const bool sorted = [] {
    SortByBytes(gComparisonRows, kComparisons.count);
    SortByBytes(gLogicalRows, kLogicals.count);
    return true;
  }();
  (void)sorted;
}

void EmptyLink(SVQDataCompLink *link) {
  link->fAlloc = 0;
  link->pOper = nullptr;
}

void ReleaseLink(SVQDataCompLink *link) {
  if (link->fAlloc && link->pOper) {
    if (*static_cast<const BYTE *>(link->pOper) == idOPERATION) {
      auto *record = static_cast<SVQDataCompOper *>(link->pOper);
      ReleaseLink(&record->Link[1]);
      ReleaseLink(&record->Link[0]);
      delete record;
    } else {
      delete static_cast<SVQDataCompExpr *>(link->pOper);
    }
  }
  EmptyLink(link);
}

void ReportNoMemory() {
  theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory to allocate a selection record");
  theLibrary.ErrorBox(kMsgNoMemory);
}

// Logs and shows a message whose only argument is the excerpt of
// `length` characters of `text`.
void ReportExcerpt(UINT code, const char *format, const char *text, UINT length) {
  const Excerpt excerpt(text, length);
  theLibrary.PrtLog(VQLOG_ERROR, kTag, format, excerpt.c_str());
  theLibrary.ErrorBox(code, excerpt.c_str());
}

// One operand of a level. Positions count from the level's text; `end` is
// one past the term's last character.
struct Term {
  UINT start;
  UINT end;
  BYTE oper; // the logical operator behind the term (unused for the last)
  BYTE group;
};

struct Tokens {
  char column[kNameField];
  char oper[kOperatorField];
  char value[kNameField];
};

// Reads the three tokens of a comparison at the start of `text`. Returns
// the characters up to the value's end, or 0 after a message.
UINT ReadComparison(const char *text, UINT length, Tokens *tokens) {
  const UINT afterColumn = ReadToken(text, length, tokens->column, kNameField);
  if (afterColumn == 0) {
    // The tokenizer has said why, when there was a reason; this names the
    // token that could not be had.
    ReportExcerpt(kMsgNoColumn, "Missing column name in \"%s\"", text, length);
    return 0;
  }
  if (afterColumn == length) {
    ReportExcerpt(kMsgNoOperator, "No operator in \"%s\"", text + length, 0);
    return 0;
  }
  const char *rest = text + afterColumn;
  const UINT restLength = length - afterColumn;
  const UINT afterOper = ReadToken(rest, restLength, tokens->oper, kOperatorField);
  if (afterOper == 0) {
    ReportExcerpt(kMsgNoOperatorToken, "Missing operator name in \"%s\"", rest, restLength);
    return 0;
  }
  if (afterOper == restLength) {
    ReportExcerpt(kMsgNoValue, "No value spec in \"%s\"", text + length, 0);
    return 0;
  }
  const char *valueText = rest + afterOper;
  const UINT valueLength = restLength - afterOper;
  const UINT afterValue = ReadToken(valueText, valueLength, tokens->value, kNameField);
  if (afterValue == 0) {
    ReportExcerpt(kMsgNoValueToken, "Missing value name in \"%s\"", valueText, valueLength);
    return 0;
  }
  return afterColumn + afterOper + afterValue;
}

// Reads the term that starts at `position` of the level's text.
bool ReadTerm(const char *text, UINT length, UINT position, Term *term) {
  if (position >= length)
    return false;
  position = SkipBlanks(text, length, position);
  term->start = position;
  if (position < length && text[position] == '(') {
    term->group = 1;
    if (position + 1 == length) {
      ReportExcerpt(kMsgMissingParen, "Missing ')' in \"%s\"", text + length, 0);
      return false;
    }
    const UINT inner = SkipBlanks(text, length, position + 1);
    int depth = 0;
    for (UINT i = inner; i < length; ++i) {
      if (text[i] == '(') {
        ++depth;
      } else if (text[i] == ')' && depth-- == 0) {
        term->end = i + 1;
        return true;
      }
    }
    ReportExcerpt(kMsgMissingParen, "Missing ')' in \"%s\"", text + inner, length - inner);
    return false;
  }
  term->group = 0;
  Tokens tokens;
  const UINT extent = ReadComparison(text + position, length - position, &tokens);
  if (extent == 0)
    return false;
  term->end = position + extent;
  return true;
}

class Parser {
public:
  int Level(SVQDataCompLink *link, const char *text, UINT length, UINT groups, UINT opers);

private:
  int Build(SVQDataCompLink *link, const char *text, const Term *terms, UINT count, UINT groups,
            UINT opers);
  int Comparison(SVQDataCompLink *link, const char *text, UINT length);
  int ReadTerms(const char *text, UINT length, Term *terms, UINT *count);
};

int Parser::Level(SVQDataCompLink *link, const char *text, UINT length, UINT groups, UINT opers) {
  EmptyLink(link);
  const UINT first = SkipBlanks(text, length, 0);
  while (length > first && IsBlank(text[length - 1]))
    --length;
  if (first == length)
    return 1;
  text += first;
  length -= first;

  Term terms[kMaxTerms];
  UINT count = 0;
  if (!ReadTerms(text, length, terms, &count))
    return 0;
  return Build(link, text, terms, count, groups, opers);
}

int Parser::ReadTerms(const char *text, UINT length, Term *terms, UINT *count) {
  UINT position = 0;
  for (;;) {
    Term &term = terms[*count];
    if (!ReadTerm(text, length, position, &term))
      return 0;
    ++*count;
    position = SkipBlanks(text, length, term.end);
    if (position == length)
      return 1;
    char token[kOperatorField];
    const UINT consumed = ReadToken(text + position, length - position, token, sizeof token);
    if (consumed == 0) {
      ReportExcerpt(kMsgNoLogical, "Logical operator missing in \"%s\"", text, length);
      return 0;
    }
    CharUpperA(token);
    const UINT code = kLogicals.FindUpper(token);
    if (code == kNotFound) {
      const Excerpt excerpt(text, length);
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Illegal operator found in \"%s\"", excerpt.c_str());
      theLibrary.ErrorBox(kMsgBadLogical, token, excerpt.c_str());
      return 0;
    }
    term.oper = BYTE(code);
    position += consumed;
    if (*count == kMaxTerms) {
      const Excerpt excerpt(text, length);
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "More than %u terms in \"%s\"", kMaxTerms,
                        excerpt.c_str());
      theLibrary.ErrorBox(kMsgTooManyTerms, kMaxTerms, excerpt.c_str());
      return 0;
    }
  }
}

// Builds the slice `terms[0..count)` of a level whose text starts at
// `text`, as the level of just those terms would be built.
int Parser::Build(SVQDataCompLink *link, const char *text, const Term *terms, UINT count,
                  UINT groups, UINT opers) {
  const char *part = text + terms[0].start;
  const UINT partLength = terms[count - 1].end - terms[0].start;
  const bool deeper = count == 1 ? terms[0].group && groups >= kMaxDepth : opers >= kMaxDepth;
  if (deeper) {
    const Excerpt excerpt(part, partLength);
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Selection nested deeper than %u levels in \"%s\"",
                      kMaxDepth, excerpt.c_str());
    theLibrary.ErrorBox(kMsgTooDeep, kMaxDepth, excerpt.c_str());
    return 0;
  }
  if (count == 1) {
    if (terms[0].group)
      return Level(link, part + 1, partLength - 2, groups + 1, opers);
    return Comparison(link, part, partLength);
  }

  UINT split = 0;
  for (UINT i = 1; i + 1 < count; ++i)
    if (terms[i].oper < terms[split].oper)
      split = i;
  auto *record = new (std::nothrow) SVQDataCompOper;
  if (!record) {
    ReportNoMemory();
    return 0;
  }
  record->idRec = idOPERATION;
  record->Oper = terms[split].oper;
  record->nLinks = 0;
  EmptyLink(&record->Link[0]);
  EmptyLink(&record->Link[1]);
  SVQDataCompLink built{1, record};

  if (!Build(&record->Link[0], text, terms, split + 1, groups, opers + 1)) {
    const Excerpt excerpt(part, partLength);
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error in left substring of \"%s\"", excerpt.c_str());
    ReleaseLink(&built);
    return 0;
  }
  SVQDataCompLink *right = record->Link[0].fAlloc ? &record->Link[1] : &record->Link[0];
  if (!Build(right, text, terms + split + 1, count - split - 1, groups, opers + 1)) {
    const Excerpt excerpt(part, partLength);
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error in right substring of \"%s\"", excerpt.c_str());
    ReleaseLink(&built);
    return 0;
  }
  record->nLinks = BYTE(record->Link[0].fAlloc + record->Link[1].fAlloc);
  *link = built;
  return 1;
}

int Parser::Comparison(SVQDataCompLink *link, const char *text, UINT length) {
  Tokens tokens;
  if (ReadComparison(text, length, &tokens) == 0)
    return 0; // cannot happen: the term was read before
  // Zeroed, so the bytes behind the texts' terminators are defined too.
  auto *record = new (std::nothrow) SVQDataCompExpr();
  if (!record) {
    ReportNoMemory();
    return 0;
  }
  record->idRec = idEXPRESSION;
  record->nField = UINT(-1);
  std::memcpy(record->Column, tokens.column, std::strlen(tokens.column) + 1);
  CharUpperA(record->Column);
  CharUpperA(tokens.oper);
  const UINT code = kComparisons.FindUpper(tokens.oper);
  if (code == kNotFound) {
    const Excerpt excerpt(text, length);
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Illegal comparison operator found in \"%s\"",
                      excerpt.c_str());
    theLibrary.ErrorBox(kMsgBadComparison, tokens.oper, excerpt.c_str());
    delete record;
    return 0;
  }
  record->Func = BYTE(code);
  std::memcpy(record->Value, tokens.value, std::strlen(tokens.value) + 1);
  link->fAlloc = 1;
  link->pOper = record;
  return 1;
}

} // namespace
} // namespace vq::sel

int CVQTblSelDesc::parse(const char *text, UINT length) {
  vq::sel::SortKeywordTablesOnce();
  free(&Root);
  if (!text || length == 0)
    return 1;
  return vq::sel::Parser().Level(&Root, text, length, 0, 0);
}

void CVQTblSelDesc::free(SVQDataCompLink *link) {
  if (link)
    vq::sel::ReleaseLink(link);
}
