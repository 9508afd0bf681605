// The joker comparer at the corners of its rules: where run jokers stand
// (leading, trailing, doubled, alone), what the char and digit jokers
// accept, trimming, given lengths, case, and the patterns it refuses.
#include "frame/library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Texts without lower-case letters: both comparers, with the pattern set up
// as is or upper-cased, must agree on every row.
const struct {
  const char *pattern, *text;
  int expected;
} kRows[] = {
    {"ABC", "ABC", 1},
    {"ABC", "ABCD", 0},
    {"ABC", "AB", 0},
    {"AB*", "AB", 0},
    {"AB*", "ABC", 1},
    {"M*ER*", "MEIER", 0},
    {"M*ER*", "MEIERS", 1},
    {"*AB", "AB", 1},
    {"*AB", "XXAB", 1},
    {"*AB", "ABX", 0},
    {"A*B", "AB", 1},
    {"M*ER", "MAIER", 1},
    {"M*ER", "MAIERS", 0},
    {"AB*BA", "ABA", 0},
    {"AB*BA", "ABBA", 1},
    {"A**B", "AB", 0},
    {"A**B", "AXB", 1},
    {"**B", "B", 0},
    {"**B", "XB", 1},
    {"*A**B*", "ABX", 1},
    {"*A**B*", "AB", 0},
    {"*", "X", 1},
    {"**", "X", 1},
    {"*ABC*", "ABABCX", 1},
    {"*ABC*", "ABABC", 0},
    {"A*B*C", "ABC", 1},
    {"A*C*B", "ABC", 0},
    {"X*AB*AB*Y", "XABABY", 1},
    {"X*AB*AB*Y", "XABAY", 0},
    {"M??ER", "MAIER", 1},
    {"M??ER", "MAIERS", 0},
    {"##.##.2009", "12.03.2009", 1},
    {"##.##.2009", "1.3.2009", 0},
    {"*#5*", "A15B", 1},
    {"*#5*", "A1X5B", 0},
    {"*?B*", "BBB", 1},
    {"*?B*", "B", 0},
    {"*#", "X7", 1},
    {"*#", "7X", 0},
    {"#", "?", 0},
    {"#AC*", "#ACY", 1},
    {"*#AC*", "X#ACY", 0},
    {"?", "", 0},
};

TEST(StrCmp, SegmentRules) {
  for (const auto &r : kRows)
    for (int upper = 0; upper < 2; ++upper) {
      CVQStrCmp cmp;
      ASSERT_EQ(cmp.SetupString(r.pattern, 0, upper), 1) << r.pattern;
      EXPECT_EQ(cmp.CompareStringA(r.text), r.expected) << r.pattern << " ~ " << r.text;
      EXPECT_EQ(cmp.CompareiString(r.text), r.expected) << r.pattern << " ~i " << r.text;
    }
}

TEST(StrCmp, TrimLengthAndCase) {
  const struct {
    const char *pattern;
    UINT patternLength;
    int upper;
    const char *text;
    UINT length;
    int trim, caseBlind, expected;
  } rows[] = {
      {"M*ER", 0, 0, " \tMAIER \t", 0, 1, 0, 1},
      {"M*ER", 0, 0, " \tMAIER \t", 0, 0, 0, 0},
      {"M*ER", 0, 0, " M ER ", 0, 1, 0, 1}, // inner blanks stay
      {"AB ", 0, 0, "AB   ", 5, 1, 0, 0},   // a pattern's blank is no trimmed one
      {"AB *", 0, 0, "AB   ", 5, 1, 0, 0},
      {"AB *", 0, 0, " AB X  ", 7, 1, 0, 1},
      {"m*", 0, 1, "  mx  ", 6, 1, 1, 1},
      {"M*", 0, 0, "  ", 2, 1, 0, 0},
      {"*", 0, 0, "   ", 0, 0, 0, 1},
      {"*", 0, 0, " \t ", 0, 1, 0, 0}, // nothing left after trimming
      {"*", 0, 0, nullptr, 0, 0, 0, 0},
      {"M*ERXYZ", 4, 0, "MAIERXYZ", 5, 0, 0, 1},
      {"M*ERXYZ", 4, 0, "MAIERXYZ", 0, 0, 0, 0},
      {"M*ER", 0, 0, "M\0ER", 4, 0, 0, 1}, // a given length reads past a terminator
      {"m*Er*", 0, 1, "MeIeR1", 0, 0, 1, 1},
      {"m*Er*", 0, 1, "meier1", 0, 0, 0, 0},
      {"m*", 0, 0, "mx", 0, 0, 1, 0}, // a lower-case pattern never meets the folded text
      {"m*", 0, 0, "mx", 0, 0, 0, 1},
      // The pattern is upper-cased by the system's mapping, the text in ASCII only.
      {"\xE4*", 0, 1, "\xC4X", 0, 0, 1, 1},
      {"\xE4*", 0, 1, "\xE4X", 0, 0, 1, 0},
  };
  int row = 0;
  for (const auto &r : rows) {
    CVQStrCmp cmp;
    ASSERT_EQ(cmp.SetupString(r.pattern, r.patternLength, r.upper), 1) << "row " << row;
    const int got = r.caseBlind ? cmp.CompareiString(r.text, r.length, r.trim)
                                : cmp.CompareStringA(r.text, r.length, r.trim);
    EXPECT_EQ(got, r.expected) << "row " << row << ": " << r.pattern;
    ++row;
  }
}

TEST(StrCmp, LongAndRefusedPatterns) {
  theLibrary.StartCapture();
  const std::string sixteen = "A" + std::string(16, '*');
  const std::string tooMany = "0 CVQStrCmp More than 15 run jokers in the pattern " + sixteen;
  CVQStrCmp cmp;
  EXPECT_EQ(cmp.CompareStringA("A"), 0) << "never set up";
  ASSERT_EQ(cmp.SetupString(std::string(15, '*').c_str()), 1) << "16 segments are allowed";
  EXPECT_EQ(cmp.segmentCount, 16u);
  const std::string longText(70, 'A'); // segments are cut to 63 characters
  ASSERT_EQ(cmp.SetupString(longText.c_str()), 1);
  EXPECT_EQ(cmp.CompareStringA(longText.substr(0, 63).c_str()), 1);
  EXPECT_EQ(cmp.CompareStringA(longText.c_str()), 0);
  const struct {
    const char *pattern, *log;
  } rows[] = {{nullptr, nullptr}, {"", nullptr}, {sixteen.c_str(), tooMany.c_str()}};
  for (const auto &r : rows) {
    ASSERT_EQ(cmp.SetupString("*"), 1);
    theLibrary.ClearCaptured();
    EXPECT_EQ(cmp.SetupString(r.pattern), 0) << (r.pattern ? r.pattern : "null");
    EXPECT_EQ(cmp.CompareStringA("ANY"), 0);
    const auto lines = theLibrary.GetCapturedLines();
    EXPECT_EQ(lines.size(), r.log ? 1u : 0u);
    if (r.log && !lines.empty()) {
      EXPECT_EQ(lines[0], r.log);
    }
  }
  theLibrary.StopCapture();
}

} // namespace
