// Selection texts that do not parse: each error's log lines and numbered
// boxes with their texts, the excerpt rule, the limits on tokens, terms
// and nesting, and the empty tree every failure leaves.
#include "select_fixture.h"

#include <vq_tbl32.h>

#include <cstdio>
#include <utility>

namespace {

std::string Caption(UINT code) {
  return "vq_tbl32 Fehler (Fehlercode = " + std::to_string(code) + ")";
}

// The text as a message quotes it.
std::string Quoted(const std::string &text) {
  return text.size() < 256 ? text : text.substr(0, 252) + "...";
}

struct Box {
  UINT code;
  std::string text;
};

struct Row {
  std::string text;
  std::vector<std::string> lines; // without "0 CVQTblSelDesc "
  std::vector<Box> boxes;
};

class Errors : public SelectionTest {
protected:
  void ExpectFailure(const Row &row) {
    ASSERT_EQ(Parse("keep = 1"), 1);
    theLibrary.ClearCaptured();
    vqwinClearMessageBoxRecords();
    EXPECT_EQ(Parse(row.text), 0) << row.text;
    EXPECT_EQ(sel.Root.fAlloc, 0) << row.text;
    EXPECT_EQ(sel.Root.pOper, nullptr) << row.text;

    std::vector<std::string> expected;
    for (const std::string &line : row.lines)
      expected.push_back("0 CVQTblSelDesc " + line);
    EXPECT_EQ(SelectionLines(), expected) << row.text;

    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), row.boxes.size()) << row.text;
    for (size_t i = 0; i < boxes.size(); ++i) {
      EXPECT_EQ(boxes[i].caption, Caption(row.boxes[i].code)) << row.text << " box " << i;
      EXPECT_EQ(boxes[i].text, row.boxes[i].text) << row.text << " box " << i;
      EXPECT_EQ(boxes[i].icon, UINT(MB_ICONEXCLAMATION)) << row.text << " box " << i;
    }
  }
};

TEST_F(Errors, SyntaxErrorsGiveTheirLinesAndBoxes) {
  const Row rows[] = {
      {"name = 'abc",
       {"Missing ' in \" 'abc\"", "Missing value name in \" 'abc\""},
       {{710, "Fehlendes Zeichen ' in \" 'abc\""}, {725, "Fehlender Vergleichswert in \" 'abc\""}}},
      {")",
       {"Syntax error in \")\"", "Missing column name in \")\""},
       {{711, "Syntaxfehler in \")\""}, {721, "Fehlender Spaltenname in \")\""}}},
      {"(a=1", {"Missing ')' in \"a=1\""}, {{720, "Fehlende ')' in \"a=1\""}}},
      {"a=1 or (", {"Missing ')' in \"\""}, {{720, "Fehlende ')' in \"\""}}},
      {"a", {"No operator in \"\""}, {{722, "Kein Vergleichsoperator in \"\""}}},
      {"a $",
       {"Syntax error in \" $\"", "Missing operator name in \" $\""},
       {{711, "Syntaxfehler in \" $\""}, {723, "Fehlender Vergleichsoperator in \" $\""}}},
      {"a =", {"No value spec in \"\""}, {{724, "Kein Vergleichswert in \"\""}}},
      {"a = (",
       {"Syntax error in \" (\"", "Missing value name in \" (\""},
       {{711, "Syntaxfehler in \" (\""}, {725, "Fehlender Vergleichswert in \" (\""}}},
      {"(a = ')')",
       {"Missing ' in \"')\"", "Logical operator missing in \"(a = ')')\""},
       {{710, "Fehlendes Zeichen ' in \"')\""},
        {730, "Logischer Operator fehlt in \"(a = ')')\""}}},
      {"a = 1 $ b = 2",
       {"Syntax error in \"$ b = 2\"", "Logical operator missing in \"a = 1 $ b = 2\""},
       {{711, "Syntaxfehler in \"$ b = 2\""},
        {730, "Logischer Operator fehlt in \"a = 1 $ b = 2\""}}},
      {"name = 'it''s'",
       {"Illegal operator found in \"name = 'it''s'\""},
       {{731, "Unzul\xE4ssiger logischer Operator \"S\" in \"name = 'it''s'\""}}},
      {"a = 5 b = 6",
       {"Illegal operator found in \"a = 5 b = 6\""},
       {{731, "Unzul\xE4ssiger logischer Operator \"B\" in \"a = 5 b = 6\""}}},
      {"a => 5",
       {"Illegal comparison operator found in \"a => 5\""},
       {{732, "Unzul\xE4ssiger Vergleichsoperator \"=>\" in \"a => 5\""}}},
      {"a x 5",
       {"Illegal comparison operator found in \"a x 5\""},
       {{732, "Unzul\xE4ssiger Vergleichsoperator \"X\" in \"a x 5\""}}},
      // A missing term after an operator has no message of its own.
      {"a = 1 und", {}, {}},
      {"(a=1) or", {}, {}},
  };
  for (const Row &row : rows)
    ExpectFailure(row);
}

TEST_F(Errors, PartsThatFailAreNamedOnTheWayUp) {
  const Row rows[] = {
      {"a = 1 und b => 2",
       {"Illegal comparison operator found in \"b => 2\"",
        "Error in right substring of \"a = 1 und b => 2\""},
       {{732, "Unzul\xE4ssiger Vergleichsoperator \"=>\" in \"b => 2\""}}},
      {"a >< 1 oder b = 2",
       {"Illegal comparison operator found in \"a >< 1\"",
        "Error in left substring of \"a >< 1 oder b = 2\""},
       {{732, "Unzul\xE4ssiger Vergleichsoperator \"><\" in \"a >< 1\""}}},
      {"a=1 or b=2 and c=>3",
       {"Illegal comparison operator found in \"c=>3\"",
        "Error in right substring of \"b=2 and c=>3\"",
        "Error in right substring of \"a=1 or b=2 and c=>3\""},
       {{732, "Unzul\xE4ssiger Vergleichsoperator \"=>\" in \"c=>3\""}}},
      // Inside a group the part is read as a level of its own; the group
      // itself adds no line.
      {"(a=1 and b<<2) or c=3",
       {"Illegal comparison operator found in \"b<<2\"",
        "Error in right substring of \"a=1 and b<<2\"",
        "Error in left substring of \"(a=1 and b<<2) or c=3\""},
       {{732, "Unzul\xE4ssiger Vergleichsoperator \"<<\" in \"b<<2\""}}},
  };
  for (const Row &row : rows)
    ExpectFailure(row);
}

TEST_F(Errors, TokensLongerThanTheirFieldsAreRefused) {
  const std::string column = std::string(64, 'C') + "=1";
  const std::string value = "'" + std::string(64, 'v') + "'";
  const std::string oper32 = " " + std::string(32, '=') + " 1";
  const std::string oper31 = "a " + std::string(31, '=') + " 1";
  const std::string logical = "a=1 " + std::string(32, '&') + " b=2";
  const std::string logicalRest = std::string(32, '&') + " b=2";
  const Row rows[] = {
      {column,
       {"Token longer than 63 characters in \"" + column + "\"",
        "Missing column name in \"" + column + "\""},
       {{712, "Ein Wort ist l\xE4nger als 63 Zeichen in \"" + column + "\""},
        {721, "Fehlender Spaltenname in \"" + column + "\""}}},
      {"a=" + value,
       {"Token longer than 63 characters in \"" + value + "\"",
        "Missing value name in \"" + value + "\""},
       {{712, "Ein Wort ist l\xE4nger als 63 Zeichen in \"" + value + "\""},
        {725, "Fehlender Vergleichswert in \"" + value + "\""}}},
      {"a" + oper32,
       {"Token longer than 31 characters in \"" + oper32 + "\"",
        "Missing operator name in \"" + oper32 + "\""},
       {{712, "Ein Wort ist l\xE4nger als 31 Zeichen in \"" + oper32 + "\""},
        {723, "Fehlender Vergleichsoperator in \"" + oper32 + "\""}}},
      {oper31,
       {"Illegal comparison operator found in \"" + oper31 + "\""},
       {{732, "Unzul\xE4ssiger Vergleichsoperator \"" + std::string(31, '=') + "\" in \"" + oper31 +
                  "\""}}},
      {logical,
       {"Token longer than 31 characters in \"" + logicalRest + "\"",
        "Logical operator missing in \"" + logical + "\""},
       {{712, "Ein Wort ist l\xE4nger als 31 Zeichen in \"" + logicalRest + "\""},
        {730, "Logischer Operator fehlt in \"" + logical + "\""}}},
  };
  for (const Row &row : rows)
    ExpectFailure(row);
}

TEST_F(Errors, LevelsTooWideOrTooDeepAreRefused) {
  std::string wide = "t=0";
  for (int i = 1; i <= 128; ++i)
    wide += " or t=" + std::to_string(i);
  const std::string deep = std::string(257, '(') + "a=1" + std::string(257, ')');
  const Row rows[] = {
      {wide,
       {"More than 128 terms in \"" + Quoted(wide) + "\""},
       {{726, "Mehr als 128 Vergleiche auf einer Ebene in \"" + Quoted(wide) + "\""}}},
      {deep,
       {"Selection nested deeper than 256 levels in \"(a=1)\""},
       {{727, "Die Selektion ist tiefer als 256 Ebenen verschachtelt in \"(a=1)\""}}},
  };
  for (const Row &row : rows)
    ExpectFailure(row);

  // Operations stack up through groups: three chains of 128, each ending in
  // a group with the next, would nest 381 operations.
  std::string stacked = "a=1";
  for (int level = 0; level < 3; ++level) {
    std::string chain;
    for (int i = 0; i < 127; ++i)
      chain += "t=1 or ";
    stacked = chain + "(" + stacked + ")";
  }
  Clear();
  EXPECT_EQ(Parse(stacked), 0);
  const auto lines = SelectionLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("0 CVQTblSelDesc Selection nested deeper than 256 levels in \"", 0), 0u);
  const auto boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, Caption(727));
  EXPECT_EQ(sel.Root.fAlloc, 0);
}

TEST_F(Errors, ExcerptsAreCutAbove255Characters) {
  const struct {
    size_t filler;
    bool cut;
  } rows[] = {{254, false}, {255, true}, {400, true}};
  for (const auto &row : rows) {
    const std::string handed = "$" + std::string(row.filler, 'x');
    Clear();
    EXPECT_EQ(Parse("a = 1 " + handed), 0);
    const auto lines = SelectionLines();
    ASSERT_FALSE(lines.empty()) << row.filler;
    const std::string quoted = row.cut ? handed.substr(0, 252) + "..." : handed;
    EXPECT_EQ(lines[0], "0 CVQTblSelDesc Syntax error in \"" + quoted + "\"") << row.filler;
  }
}

TEST_F(Errors, EveryMessageHasAGermanAndAnEnglishText) {
  const std::pair<UINT, const char *> english[] = {
      {700, "Not enough free memory for the selection."},
      {710, "Missing %c in \"%s\""},
      {711, "Syntax error in \"%s\""},
      {712, "A word is longer than %u characters in \"%s\""},
      {720, "Missing ')' in \"%s\""},
      {721, "Missing column name in \"%s\""},
      {722, "No operator in \"%s\""},
      {723, "Missing operator name in \"%s\""},
      {724, "No value spec in \"%s\""},
      {725, "Missing value name in \"%s\""},
      {726, "More than %u comparisons on one level in \"%s\""},
      {727, "The selection is nested deeper than %u levels in \"%s\""},
      {730, "Logical operator missing in \"%s\""},
      {731, "Illegal operator \"%s\" found in \"%s\""},
      {732, "Illegal comparison operator \"%s\" found in \"%s\""},
  };
  char text[512];
  for (const auto &[id, expected] : english)
    EXPECT_GT(LoadStringA(theLibrary.GetResourceModule(), id, text, sizeof text), 0) << id;
  ASSERT_EQ(vqSetTbl32Language("E"), 1);
  for (const auto &[id, expected] : english) {
    ASSERT_GT(LoadStringA(theLibrary.GetResourceModule(), id, text, sizeof text), 0) << id;
    EXPECT_STREQ(text, expected) << id;
  }
  EXPECT_EQ(vqSetTbl32Language("D"), 1);
}

} // namespace
