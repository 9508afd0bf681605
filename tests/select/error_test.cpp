// Selection texts that do not parse: each error's log lines and numbered
// boxes in both languages, the excerpt rule, the limits on tokens, terms
// and nesting, and the empty tree every failure leaves.
#include "select_fixture.h"

#include <vq_tbl32.h>

#include <cstdlib>

namespace {

struct Row {
  std::string text;
  std::vector<std::string> lines; // without "0 CVQTblSelDesc "
  std::vector<UINT> boxes;
};

class Errors : public SelectionTest {
protected:
  // The row in German and English: the same lines and box numbers, and a
  // text of each box's own, filled in.
  void Expect(const Row &row) {
    for (const char *language : {"E", "D"}) {
      ASSERT_EQ(vqSetTbl32Language(language), 1);
      ASSERT_EQ(Parse("keep = 1"), 1);
      Clear();
      EXPECT_EQ(Parse(row.text), 0) << row.text;
      EXPECT_TRUE(sel.Root.fAlloc == 0 && sel.Root.pOper == nullptr) << row.text;
      std::vector<std::string> lines;
      for (const std::string &line : row.lines)
        lines.push_back("0 CVQTblSelDesc " + line);
      EXPECT_EQ(SelectionLines(), lines) << row.text;
      std::vector<UINT> codes;
      for (const auto &box : vqwin::MessageBoxRecords()) {
        codes.push_back(UINT(std::atoi(box.caption.c_str() + box.caption.rfind('=') + 1)));
        EXPECT_EQ(box.icon, UINT(MB_ICONEXCLAMATION));
        EXPECT_TRUE(box.text != "Der Text zu diesem Fehler oder dieser Meldung existiert nicht." &&
                    box.text != "The text for this error or message does not exist." &&
                    box.text.find("<Substitution") == std::string::npos)
            << language << ": " << box.text;
      }
      EXPECT_EQ(codes, row.boxes) << language << ": " << row.text;
    }
  }
};

TEST_F(Errors, EachErrorLogsAndShowsItsNumber) {
  const std::string column = std::string(64, 'C') + "=1";
  const std::string value = "'" + std::string(64, 'v') + "'";
  const std::string oper = " " + std::string(32, '=') + " 1";
  const std::string logical = std::string(32, '&') + " b=2";
  std::string wide = "t=0";
  for (int i = 1; i <= 128; ++i)
    wide += " or t=" + std::to_string(i);
  const std::string deep = std::string(257, '(') + "a=1" + std::string(257, ')');
  const Row rows[] = {
      {"name = 'abc", {"Missing ' in \" 'abc\"", "Missing value name in \" 'abc\""}, {710, 725}},
      {")", {"Syntax error in \")\"", "Missing column name in \")\""}, {711, 721}},
      {column,
       {"Token longer than 63 characters in \"" + column + "\"",
        "Missing column name in \"" + column + "\""},
       {712, 721}},
      {"a=" + value,
       {"Token longer than 63 characters in \"" + value + "\"",
        "Missing value name in \"" + value + "\""},
       {712, 725}},
      {"a" + oper,
       {"Token longer than 31 characters in \"" + oper + "\"",
        "Missing operator name in \"" + oper + "\""},
       {712, 723}},
      {"a=1 " + logical,
       {"Token longer than 31 characters in \"" + logical + "\"",
        "Logical operator missing in \"a=1 " + logical + "\""},
       {712, 730}},
      {"(a=1", {"Missing ')' in \"a=1\""}, {720}},
      {"a=1 or (", {"Missing ')' in \"\""}, {720}},
      {"a", {"No operator in \"\""}, {722}},
      {"a $", {"Syntax error in \" $\"", "Missing operator name in \" $\""}, {711, 723}},
      {"a =", {"No value spec in \"\""}, {724}},
      {"a = (", {"Syntax error in \" (\"", "Missing value name in \" (\""}, {711, 725}},
      {wide, {"More than 128 terms in \"" + wide.substr(0, 252) + "...\""}, {726}},
      {deep, {"Selection nested deeper than 256 levels in \"(a=1)\""}, {727}},
      // Groups close without regard to quotes.
      {"(a = ')')",
       {"Missing ' in \"')\"", "Logical operator missing in \"(a = ')')\""},
       {710, 730}},
      {"a = 1 $ b = 2",
       {"Syntax error in \"$ b = 2\"", "Logical operator missing in \"a = 1 $ b = 2\""},
       {711, 730}},
      // The value is it; the quoted s behind it is read as an operator.
      {"name = 'it''s'", {"Illegal operator found in \"name = 'it''s'\""}, {731}},
      {"a = 5 b = 6", {"Illegal operator found in \"a = 5 b = 6\""}, {731}},
      {"a => 5", {"Illegal comparison operator found in \"a => 5\""}, {732}},
      {"a " + std::string(31, '=') + " 1",
       {"Illegal comparison operator found in \"a " + std::string(31, '=') + " 1\""},
       {732}},
      // A missing term after an operator has no message of its own.
      {"a = 1 und", {}, {}},
      // Parts that fail are named on the way up, groups adding no line.
      {"a=1 or b=2 and c=>3",
       {"Illegal comparison operator found in \"c=>3\"",
        "Error in right substring of \"b=2 and c=>3\"",
        "Error in right substring of \"a=1 or b=2 and c=>3\""},
       {732}},
      {"(a=1 and b<<2) or c=3",
       {"Illegal comparison operator found in \"b<<2\"",
        "Error in right substring of \"a=1 and b<<2\"",
        "Error in left substring of \"(a=1 and b<<2) or c=3\""},
       {732}},
  };
  for (const Row &row : rows)
    Expect(row);
}

TEST_F(Errors, BoxesQuoteTheirArgumentsInOrder) {
  const struct {
    std::string text, box;
  } rows[] = {
      {"name = 'abc", "Fehlendes Zeichen ' in \" 'abc\""},
      {"a = 5 b = 6", "Unzul\xE4ssiger logischer Operator \"B\" in \"a = 5 b = 6\""},
      {"a <<< 6", "Unzul\xE4ssiger Vergleichsoperator \"<<<\" in \"a <<< 6\""},
      {"a " + std::string(32, '<') + " 6",
       "Ein Wort ist l\xE4nger als 31 Zeichen in \" " + std::string(32, '<') + " 6\""},
  };
  for (const auto &row : rows) {
    Clear();
    EXPECT_EQ(Parse(row.text), 0);
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_FALSE(boxes.empty()) << row.text;
    EXPECT_EQ(boxes[0].text, row.box);
  }
}

TEST_F(Errors, ExcerptsAreCutAbove255Characters) {
  for (const size_t filler : {254, 255, 400}) {
    const std::string handed = "$" + std::string(filler, 'x');
    Clear();
    EXPECT_EQ(Parse("a = 1 " + handed), 0);
    const auto lines = SelectionLines();
    ASSERT_FALSE(lines.empty()) << filler;
    const std::string quoted = filler < 255 ? handed : handed.substr(0, 252) + "...";
    EXPECT_EQ(lines[0], "0 CVQTblSelDesc Syntax error in \"" + quoted + "\"") << filler;
  }
}

TEST_F(Errors, OperationsStackedTooDeepThroughGroupsAreRefused) {
  // Three chains of 128, each ending in a group with the next, would nest
  // 381 operations.
  std::string stacked = "a=1";
  for (int level = 0; level < 3; ++level) {
    std::string chain;
    for (int i = 0; i < 127; ++i)
      chain += "t=1 or ";
    stacked = chain + "(" + stacked + ")";
  }
  EXPECT_EQ(Parse(stacked), 0);
  const auto lines = SelectionLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("0 CVQTblSelDesc Selection nested deeper than 256 levels", 0), 0u);
  EXPECT_EQ(vqwinGetMessageBoxCount(), 1);
  EXPECT_EQ(sel.Root.fAlloc, 0);
}

} // namespace
