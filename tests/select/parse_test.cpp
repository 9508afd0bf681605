// Selection texts that parse, checked through the text form of their tree:
// precedence and nesting of the logical operators, groups, quoting, the
// keyword spellings, blanks and the empty selection. (That text forms
// parse back to themselves is the fuzz target's check.)
#include "select_fixture.h"

namespace {

using Parsing = SelectionTest;

TEST_F(Parsing, TextsGiveTheirTreesTextForm) {
  const struct {
    const char *text;
    const char *edited;
  } rows[] = {
      // empty selections
      {"", ""},
      {" \t  ", ""},
      {"()", ""},
      {"( ( ) )", ""},
      // precedence: AND before XOR before OR, chains nest to the right
      {"a=1 und b=2 oder c=3", "( A == \"1\" && B == \"2\" ) || C == \"3\" "},
      {"a=1 or b=2 and c=3", "A == \"1\" || ( B == \"2\" && C == \"3\" ) "},
      {"x=1 or y=2 or z=3", "X == \"1\" || ( Y == \"2\" || Z == \"3\" ) "},
      {"a=1 and b=2 and c=3", "A == \"1\" && ( B == \"2\" && C == \"3\" ) "},
      {"a=1 xor b=2 and c=3 or d=4",
       "( A == \"1\" ^^ ( B == \"2\" && C == \"3\" ) ) || D == \"4\" "},
      // groups
      {"(a=1 oder b=2) und c=3", "( A == \"1\" || B == \"2\" ) && C == \"3\" "},
      {"((a=1))", "A == \"1\""},
      {"(a=1)und(b=2)", "A == \"1\" && B == \"2\" "},
      {"a=1 and (b=2 or (c=3 xor d=4))",
       "A == \"1\" && ( B == \"2\" || ( C == \"3\" ^^ D == \"4\" ) ) "},
      {"() oder a=1", "A == \"1\" || "},
      {"a=1 or ()", "A == \"1\" || "},
      {"() and ()", "&& "},
      // keywords in any case and every spelling
      {"a=1 Und b=2", "A == \"1\" && B == \"2\" "},
      {"a=1 AND b=2", "A == \"1\" && B == \"2\" "},
      {"a=1 && b=2", "A == \"1\" && B == \"2\" "},
      {"a=1 oDeR b=2", "A == \"1\" || B == \"2\" "},
      {"a=1 Xor b=2", "A == \"1\" ^^ B == \"2\" "},
      {"a=1 ^^ b=2", "A == \"1\" ^^ B == \"2\" "},
      {"a=1 'or' b=2", "A == \"1\" || B == \"2\" "},
      // comparison operators
      {"a == 1", "A == \"1\""},
      {"a != 1", "A != \"1\""},
      {"a <> 1", "A != \"1\""},
      {"a < 1", "A < \"1\""},
      {"a <= 1", "A <= \"1\""},
      {"a > 1", "A > \"1\""},
      {"a >= 1", "A >= \"1\""},
      // tokens: classes, quotes, case
      {"A>=5", "A >= \"5\""},
      {"x=-5", "X == \"-5\""},
      {"datum >= 12.03.2009", "DATUM >= \"12.03.2009\""},
      {"name = M*ER?", "NAME == \"M*ER?\""},
      {"name = Maier", "NAME == \"Maier\""},
      {"name = \"it's a b\"", "NAME == \"it's a b\""},
      {"name='x y'", "NAME == \"x y\""},
      {"name = ''", "NAME == \"\""},
      {"'my col' = 1", "MY COL == \"1\""},
      {"stra\337e_nr% = 1", "STRA\337E_NR% == \"1\""},
      {"\xE4pfel = \xF6l", "\xC4PFEL == \"\xF6l\""},
      {"\ta\t=\t1\t", "A == \"1\""},
  };
  for (const auto &row : rows) {
    Clear();
    EXPECT_EQ(Parse(row.text), 1) << row.text;
    EXPECT_EQ(Edited(), row.edited) << row.text;
    EXPECT_EQ(vqwinGetMessageBoxCount(), 0) << row.text;
    EXPECT_TRUE(SelectionLines().empty()) << row.text;
  }
}

TEST_F(Parsing, NullTextZeroLengthAndTheGivenLength) {
  ASSERT_EQ(Parse("a=1"), 1);
  EXPECT_EQ(sel.parse(nullptr, 10), 1);
  EXPECT_EQ(sel.Root.fAlloc, 0);
  ASSERT_EQ(Parse("a=1"), 1);
  EXPECT_EQ(sel.parse("a=1", 0), 1);
  EXPECT_EQ(sel.Root.pOper, nullptr);
  EXPECT_EQ(sel.edit(nullptr), 0u);
  ASSERT_EQ(sel.parse("a=1 und b=2", 3), 1);
  EXPECT_EQ(Edited(), "A == \"1\"");
}

TEST_F(Parsing, BoundedTextFormIsCutAndMeasured) {
  ASSERT_EQ(Parse("a=1 or b=2"), 1);
  const std::string full = "A == \"1\" || B == \"2\" ";
  EXPECT_EQ(sel.edit(nullptr, 0), full.size());
  for (const UINT size : {1u, 5u, UINT(full.size()), UINT(full.size() + 1)}) {
    std::string buffer(full.size() + 8, '#');
    EXPECT_EQ(sel.edit(buffer.data(), size), full.size()) << size;
    EXPECT_EQ(buffer.c_str(), full.substr(0, size - 1)) << size;
    EXPECT_EQ(buffer.substr(size), std::string(buffer.size() - size, '#')) << size;
  }
}

TEST_F(Parsing, RecordsAreLaidOutAsBuilt) {
  ASSERT_EQ(Parse("() oder a=1"), 1);
  const auto *oper = static_cast<const SVQDataCompOper *>(sel.Root.pOper);
  ASSERT_TRUE(sel.Root.fAlloc && oper->idRec == idOPERATION);
  EXPECT_EQ(oper->nLinks, 1);
  EXPECT_TRUE(oper->Link[0].fAlloc && !oper->Link[1].fAlloc && !oper->Link[1].pOper);
  const auto *expr = static_cast<const SVQDataCompExpr *>(oper->Link[0].pOper);
  EXPECT_EQ(expr->idRec, idEXPRESSION);
  EXPECT_EQ(expr->nField, UINT(-1)) << "unresolved";
  EXPECT_EQ(std::string() + expr->StrCmp.charJoker + expr->StrCmp.digitJoker +
                expr->StrCmp.runJoker,
            "?#*");
  EXPECT_EQ(expr->StrCmp.segmentCount, 0u);
  ASSERT_EQ(Parse("() and ()"), 1);
  EXPECT_EQ(static_cast<const SVQDataCompOper *>(sel.Root.pOper)->nLinks, 0);
}

TEST_F(Parsing, LimitsAreReachableExactly) {
  // 63 characters of column and value, 128 terms and 256 nested groups.
  const std::string name(63, 'C'), value(63, 'v');
  ASSERT_EQ(Parse(name + "='" + value + "'"), 1);
  EXPECT_EQ(Edited(), name + " == \"" + value + "\"");

  std::string chain = "t=0";
  for (int i = 1; i < 128; ++i)
    chain += " or t=" + std::to_string(i);
  ASSERT_EQ(Parse(chain), 1);
  // A chain of 128 nests 127 operations deep and its text form reads back.
  const std::string chainForm = Edited();
  ASSERT_EQ(Parse(chainForm), 1);
  EXPECT_EQ(Edited(), chainForm);

  ASSERT_EQ(Parse(std::string(256, '(') + "a=1" + std::string(256, ')')), 1);
  EXPECT_EQ(Edited(), "A == \"1\"");
}

} // namespace
