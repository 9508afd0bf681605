// Keyword tables and names: the halving search with the terminator in the
// comparison, the case rules of the three finders and of SortTable.
#include <windows.h>
#include <vq_tbl32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kNone = UINT(-1);

TEST(EnumString, FindersAfterSorting) {
  CEnumString::Row rows[] = {{3, "NOT"}, {1, "AND"}, {2, "OR"}};
  CEnumString table(rows);
  table.SortTable();
  const struct {
    const char *key;
    UINT length, upper, string;
  } cases[] = {{"AND", 0, 1, 1},          {"and", 0, kNone, 1},  {"AN", 2, kNone, kNone},
               {"ANDX", 3, 1, 1},         {"AND", 9, 1, 1},      {"ANDS", 0, kNone, kNone},
               {"NOT", 0, 3, 3},          {"", 0, kNone, kNone}, {"ZZZ", 0, kNone, kNone},
               {nullptr, 0, kNone, kNone}};
  for (const auto &c : cases) {
    const std::string row = std::string(c.key ? c.key : "(null)") + "/" + std::to_string(c.length);
    EXPECT_EQ(table.FindUpper(c.key, c.length), c.upper) << row;
    EXPECT_EQ(table.FindString(c.key, c.length), c.string) << row;
    EXPECT_EQ(table.FindLower(c.key, c.length), kNone) << row;
  }
  CEnumString::Row lower[] = {{8, "or"}, {7, "\xE4nd"}}; // byte order: "or" < "änd"
  EXPECT_EQ(CEnumString(lower).FindLower("\xC4ND"), 7u) << "folded with the code page";
}

TEST(EnumString, EveryKeywordIsFoundInTablesOfEverySize) {
  for (UINT n = 1; n <= 40; ++n) {
    std::vector<CEnumString::Row> rows(n);
    auto name = [](UINT i) { return "K" + std::to_string(1000 + (i * 7919) % 1000); };
    for (UINT i = 0; i < n; ++i) {
      rows[i].value = 100 + i;
      memcpy(rows[i].name, name(i).c_str(), name(i).size() + 1);
    }
    CEnumString table(n, rows.data());
    table.SortTable();
    for (UINT i = 0; i < n; ++i)
      EXPECT_EQ(table.FindUpper(name(i).c_str()), 100 + i) << name(i) << " in " << n << " rows";
    for (const char *missing : {"A", "K", "Z"})
      EXPECT_EQ(table.FindUpper(missing), kNone) << missing << " in " << n << " rows";
  }
}

TEST(EnumString, EmptyUnsortedAndLongKeys) {
  CEnumString empty;
  EXPECT_EQ(empty.FindUpper("A"), kNone);
  EXPECT_EQ(empty.GetIndex(0), kNone);
  EXPECT_EQ(empty.GetString(0), nullptr);

  CEnumString::Row rows[] = {
      {5, "ZETA"}, {6, "ALPHA"}, {5, "BETA"}, {9, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"}};
  CEnumString table(rows);
  EXPECT_EQ(table.FindUpper("ZETA"), kNone) << "an unsorted table misses rows";
  EXPECT_STREQ(table.GetString(5), "ZETA") << "the first row with the value";
  EXPECT_EQ(table.GetString(4), nullptr);
  EXPECT_EQ(table.GetIndex(3), 9u);
  EXPECT_EQ(table.GetIndex(4), kNone);
  table.SortTable();
  EXPECT_EQ(table.FindUpper("ZETA"), 5u);
  EXPECT_EQ(table.FindString("abcdefghijklmnopqrstuvwxyz01234"), 9u) << "31 characters";
  const std::string longKey = std::string(rows[0].name) + "5678901234567890";
  EXPECT_EQ(table.FindString(longKey.c_str()), kNone);
  EXPECT_EQ(table.FindUpper(longKey.c_str()), kNone);
}

TEST(EnumString, SortFoldsAsciiCaseOnly) {
  CEnumString::Row rows[] = {{1, "b"}, {2, "A_"}, {3, "AB"}, {4, "a"}, {5, "C"}};
  CEnumString(rows).SortTable();
  std::string order;
  for (const auto &r : rows)
    order += std::string(r.name) + " ";
  // '_' lies between 'Z' and 'a': folded to lower case it sorts before 'b'.
  EXPECT_EQ(order, "a A_ AB b C ");
}

TEST(VQName, KeepsUpperCaseTwin) {
  const struct {
    const char *text;
    UINT length, expectedLength;
    const char *name, *upper;
  } rows[] = {{"abcdef", 2, 2, "ab", "AB"},
              {"\xE4pfel", 0, 5, "\xE4pfel", "\xC4PFEL"},
              {"ab", 10, 2, "ab", "AB"},
              {nullptr, 5, 0, "", ""}};
  for (const auto &r : rows) {
    CVQName n;
    n.set("old");
    n.set(r.text, r.length);
    EXPECT_EQ(n.length, r.expectedLength) << (r.text ? r.text : "(null)");
    EXPECT_STREQ(n.name, r.name) << (r.text ? r.text : "(null)");
    EXPECT_STREQ(n.upper, r.upper) << (r.text ? r.text : "(null)");
  }
  CVQName n;
  n.set(std::string(100, 'x').c_str());
  EXPECT_EQ(std::string(n.upper), std::string(63, 'X'));
}

} // namespace
