// The joker comparer against texts chosen at the corners of its rules:
// where run jokers stand (leading, trailing, doubled, alone), what the char
// and digit jokers accept, trimming, explicit lengths and case, and the
// patterns SetupString refuses.
#include "frame/library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Row {
  const char *pattern;
  const char *text;
  int expected;
};

// Every row runs through both comparers with a pattern set up as is and
// upper-cased; texts here have no lower-case letters, so all must agree.
const Row kRows[] = {
    // no run joker: the whole text, exactly
    {"ABC", "ABC", 1},
    {"ABC", "ABCD", 0},
    {"ABC", "AB", 0},
    // trailing run joker: needs a character
    {"AB*", "AB", 0},
    {"AB*", "ABC", 1},
    {"M*ER*", "MEIER", 0},
    {"M*ER*", "MEIERS", 1},
    // leading run joker: may stand for nothing
    {"*AB", "AB", 1},
    {"*AB", "XXAB", 1},
    {"*AB", "ABX", 0},
    // inner run joker
    {"A*B", "AB", 1},
    {"M*ER", "MAIER", 1},
    {"M*ER", "MEIER", 1},
    {"M*ER", "MAIERS", 0},
    // prefix and suffix must not overlap
    {"AB*BA", "ABA", 0},
    {"AB*BA", "ABBA", 1},
    // doubled run jokers: the empty segment needs a character left
    {"A**B", "AB", 0},
    {"A**B", "AXB", 1},
    {"**B", "B", 0},
    {"**B", "XB", 1},
    {"*A**B*", "ABX", 1},
    {"*A**B*", "AB", 0},
    // only run jokers
    {"*", "X", 1},
    {"**", "X", 1},
    {"***", "XYZ", 1},
    // middle segments: leftmost place, retried after a false start
    {"*ABC*", "ABABCX", 1},
    {"*ABC*", "ABABC", 0},
    {"A*B*C", "ABC", 1},
    {"A*C*B", "ABC", 0},
    {"X*AB*AB*Y", "XABABY", 1},
    {"X*AB*AB*Y", "XABAY", 0},
    // char and digit jokers
    {"M??ER", "MAIER", 1},
    {"M??ER", "MAIERS", 0},
    {"##.##.2009", "12.03.2009", 1},
    {"##.##.2009", "1.3.2009", 0},
    {"##.##.2009", "12.0A.2009", 0},
    {"*#5*", "A15B", 1},
    {"*#5*", "A1X5B", 0},
    {"*?B*", "BBB", 1},
    {"*?B*", "B", 0},
    {"*#", "X7", 1},
    {"*#", "7X", 0},
    {"?", "?", 1},
    {"#", "?", 0},
};

TEST(StrCmp, MatchesByTheSegmentRules) {
  for (const Row &r : kRows) {
    for (int upper = 0; upper < 2; ++upper) {
      CVQStrCmp cmp;
      ASSERT_EQ(cmp.SetupString(r.pattern, 0, upper), 1) << r.pattern;
      EXPECT_EQ(cmp.CompareStringA(r.text), r.expected) << r.pattern << " ~ " << r.text;
      EXPECT_EQ(cmp.CompareiString(r.text), r.expected) << r.pattern << " ~i " << r.text;
    }
  }
}

TEST(StrCmp, TrimsBlanksAndTabsOnlyWhenAsked) {
  CVQStrCmp cmp;
  ASSERT_EQ(cmp.SetupString("M*ER"), 1);
  EXPECT_EQ(cmp.CompareStringA(" \tMAIER \t", 0, 1), 1);
  EXPECT_EQ(cmp.CompareStringA(" \tMAIER \t", 0, 0), 0);
  EXPECT_EQ(cmp.CompareStringA("MAIER   ", 0, 1), 1);
  // Blanks inside the text stay.
  EXPECT_EQ(cmp.CompareStringA(" M ER ", 0, 1), 1);
  ASSERT_EQ(cmp.SetupString("*"), 1);
  EXPECT_EQ(cmp.CompareStringA("   ", 0, 0), 1);
  EXPECT_EQ(cmp.CompareStringA("   ", 0, 1), 0);
  EXPECT_EQ(cmp.CompareStringA(" \t", 0, 1), 0);
  EXPECT_EQ(cmp.CompareStringA(""), 0);
  EXPECT_EQ(cmp.CompareStringA(nullptr), 0);
  EXPECT_EQ(cmp.CompareiString(nullptr), 0);
}

TEST(StrCmp, ExplicitLengthsCutTextAndPattern) {
  CVQStrCmp cmp;
  ASSERT_EQ(cmp.SetupString("M*ERXYZ", 4), 1);
  EXPECT_EQ(cmp.segmentCount, 2u);
  EXPECT_STREQ(cmp.segments[1].text, "ER");
  EXPECT_EQ(cmp.CompareStringA("MAIERXYZ", 5), 1);
  EXPECT_EQ(cmp.CompareStringA("MAIERXYZ"), 0);
  // A given length reads past an embedded terminator.
  EXPECT_EQ(cmp.CompareStringA("M\0ER", 4), 1);
}

TEST(StrCmp, CaseBlindComparerFoldsAsciiLettersOfTheTextOnly) {
  CVQStrCmp cmp;
  ASSERT_EQ(cmp.SetupString("m*Er*", 0, 1), 1);
  EXPECT_STREQ(cmp.segments[0].text, "M");
  EXPECT_STREQ(cmp.segments[1].text, "ER");
  EXPECT_EQ(cmp.CompareiString("meier1"), 1);
  EXPECT_EQ(cmp.CompareiString("MeIeR1"), 1);
  EXPECT_EQ(cmp.CompareStringA("meier1"), 0);
  EXPECT_EQ(cmp.CompareStringA("MEIER1"), 1);
  // A lower-case pattern never meets the upper-cased text.
  ASSERT_EQ(cmp.SetupString("m*", 0, 0), 1);
  EXPECT_EQ(cmp.CompareiString("mx"), 0);
  EXPECT_EQ(cmp.CompareStringA("mx"), 1);
  // The pattern is upper-cased by the system's mapping, the text only in
  // ASCII: a lower-case umlaut in the text stays itself.
  ASSERT_EQ(cmp.SetupString("\xE4*", 0, 1), 1);
  EXPECT_STREQ(cmp.segments[0].text, "\xC4");
  EXPECT_EQ(cmp.CompareiString("\xC4X"), 1);
  EXPECT_EQ(cmp.CompareiString("\xE4X"), 0);
}

TEST(StrCmp, SegmentsAreSplitAndCut) {
  CVQStrCmp cmp;
  ASSERT_EQ(cmp.SetupString("*A**B*"), 1);
  const char *const expected[] = {"", "A", "", "B", ""};
  ASSERT_EQ(cmp.segmentCount, 5u);
  for (UINT i = 0; i < 5; ++i) {
    EXPECT_STREQ(cmp.segments[i].text, expected[i]) << "segment " << i;
    EXPECT_EQ(cmp.segments[i].length, std::string(expected[i]).size()) << "segment " << i;
  }
  const std::string longText(70, 'A');
  ASSERT_EQ(cmp.SetupString(longText.c_str()), 1);
  EXPECT_EQ(cmp.segments[0].length, 63u);
  EXPECT_EQ(cmp.CompareStringA(longText.substr(0, 63).c_str()), 1);
  EXPECT_EQ(cmp.CompareStringA(longText.c_str()), 0);
}

class StrCmpSetup : public testing::Test {
protected:
  void SetUp() override {
    theLibrary.StartCapture();
    theLibrary.ClearCaptured();
  }
  void TearDown() override {
    theLibrary.StopCapture();
    theLibrary.ClearCaptured();
  }
};

TEST_F(StrCmpSetup, RefusedPatternsLeaveAComparerThatMatchesNothing) {
  const std::string fifteen = "A" + std::string(15, '*');
  const std::string sixteen = "A" + std::string(16, '*');
  CVQStrCmp cmp;
  EXPECT_EQ(cmp.CompareStringA("A"), 0) << "never set up";
  ASSERT_EQ(cmp.SetupString(fifteen.c_str()), 1);
  EXPECT_EQ(cmp.segmentCount, 16u);
  EXPECT_EQ(cmp.CompareStringA("AXXXXXXXXXXXXXX"), 1);
  EXPECT_TRUE(theLibrary.GetCapturedLines().empty());

  const std::string tooMany = "0 CVQStrCmp More than 15 run jokers in the pattern " + sixteen;
  const struct {
    const char *name;
    const char *pattern;
    const char *log;
  } rows[] = {
      {"null", nullptr, nullptr},
      {"empty", "", nullptr},
      {"16 run jokers", sixteen.c_str(), tooMany.c_str()},
  };
  for (const auto &r : rows) {
    ASSERT_EQ(cmp.SetupString("*"), 1);
    theLibrary.ClearCaptured();
    EXPECT_EQ(cmp.SetupString(r.pattern), 0) << r.name;
    EXPECT_EQ(cmp.segmentCount, 0u) << r.name;
    EXPECT_EQ(cmp.CompareStringA("ANY"), 0) << r.name;
    const auto lines = theLibrary.GetCapturedLines();
    if (r.log) {
      ASSERT_EQ(lines.size(), 1u) << r.name;
      EXPECT_EQ(lines[0], r.log);
    } else {
      EXPECT_TRUE(lines.empty()) << r.name;
    }
  }
}

} // namespace
