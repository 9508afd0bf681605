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
  ASSERT_STREQ(rows[0].name, "AND");
  ASSERT_STREQ(rows[2].name, "OR");
  const struct {
    const char *key;
    UINT length;
    UINT upper, lower, string;
  } cases[] = {
      {"AND", 0, 1, kNone, 1},          {"and", 0, kNone, kNone, 1},
      {"aNd", 0, kNone, kNone, 1},      {"AN", 2, kNone, kNone, kNone}, // the terminator takes part
      {"ANDX", 3, 1, kNone, 1}, // a length inside a longer text
      {"AND", 9, 1, kNone, 1},  // the key's own terminator ends it
      {"ANDS", 0, kNone, kNone, kNone}, {"A", 0, kNone, kNone, kNone},
      {"OR", 0, 2, kNone, 2},           {"NOT", 0, 3, kNone, 3},
      {"", 0, kNone, kNone, kNone},     {"ZZZ", 0, kNone, kNone, kNone},
      {"0", 0, kNone, kNone, kNone}};
  for (const auto &c : cases) {
    EXPECT_EQ(table.FindUpper(c.key, c.length), c.upper)
        << "FindUpper " << c.key << "/" << c.length;
    EXPECT_EQ(table.FindLower(c.key, c.length), c.lower)
        << "FindLower " << c.key << "/" << c.length;
    EXPECT_EQ(table.FindString(c.key, c.length), c.string)
        << "FindString " << c.key << "/" << c.length;
  }
  EXPECT_EQ(table.FindUpper(nullptr), kNone);
  EXPECT_EQ(table.FindString(nullptr), kNone);
}

TEST(EnumString, LowerCaseTableAndCodePageFolding) {
  CEnumString::Row rows[] = {{8, "or"}, {7, "\xE4nd"}}; // byte order: "or" < "änd"
  CEnumString table(rows);
  EXPECT_EQ(table.FindLower("\xC4ND"), 7u);
  EXPECT_EQ(table.FindLower("OR"), 8u);
  EXPECT_EQ(table.FindString("or"), kNone);
}

TEST(EnumString, EveryKeywordIsFoundInTablesOfEverySize) {
  for (UINT n = 1; n <= 40; ++n) {
    std::vector<CEnumString::Row> rows(n);
    for (UINT i = 0; i < n; ++i) {
      rows[i].value = 100 + i;
      std::string name = "K" + std::to_string(1000 + (i * 7919) % 1000); // unsorted, distinct
      memcpy(rows[i].name, name.c_str(), name.size() + 1);
    }
    CEnumString table(n, rows.data());
    table.SortTable();
    for (UINT i = 0; i < n; ++i) {
      const std::string name = "K" + std::to_string(1000 + (i * 7919) % 1000);
      EXPECT_EQ(table.FindUpper(name.c_str()), 100 + i) << name << " in " << n << " rows";
    }
    EXPECT_EQ(table.FindUpper("K"), kNone) << n << " rows";
    EXPECT_EQ(table.FindUpper("A"), kNone) << n << " rows: below the first row";
    EXPECT_EQ(table.FindUpper("Z"), kNone) << n << " rows: above the last row";
  }
}

TEST(EnumString, EmptyUnsortedAndLimits) {
  CEnumString empty;
  EXPECT_EQ(empty.FindUpper("A"), kNone);
  EXPECT_EQ(empty.GetIndex(0), kNone);
  EXPECT_EQ(empty.GetString(0), nullptr);
  empty.SortTable();

  CEnumString::Row rows[] = {
      {5, "ZETA"}, {6, "ALPHA"}, {5, "BETA"}, {9, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"}};
  CEnumString table(rows);
  EXPECT_EQ(table.FindUpper("ZETA"), kNone) << "an unsorted table misses rows";
  EXPECT_STREQ(table.GetString(5), "ZETA") << "the first row with the value";
  EXPECT_EQ(table.GetString(4), nullptr);
  EXPECT_EQ(table.GetIndex(3), 9u);
  EXPECT_EQ(table.GetIndex(4), kNone);
  table.SortTable();
  EXPECT_EQ(table.FindUpper("ALPHA"), 6u);
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
    UINT length;
    UINT expectedLength;
    const char *name, *upper;
  } rows[] = {{"abc", 0, 3, "abc", "ABC"},
              {"abcdef", 2, 2, "ab", "AB"},
              {"\xE4pfel", 0, 5, "\xE4pfel", "\xC4PFEL"},
              {"ab", 10, 2, "ab", "AB"},
              {"", 0, 0, "", ""},
              {nullptr, 5, 0, "", ""}};
  for (const auto &r : rows) {
    CVQName n;
    n.set("old");
    n.set(r.text, r.length);
    EXPECT_EQ(n.length, r.expectedLength) << (r.text ? r.text : "(null)");
    EXPECT_STREQ(n.name, r.name) << (r.text ? r.text : "(null)");
    EXPECT_STREQ(n.upper, r.upper) << (r.text ? r.text : "(null)");
  }
  const std::string longName(100, 'x');
  CVQName n;
  n.set(longName.c_str());
  EXPECT_EQ(n.length, 63u);
  EXPECT_EQ(std::string(n.upper), std::string(63, 'X'));
}

} // namespace
