// Windows-1252 case mapping and classes, the lstr* routines and wsprintfA.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

LPSTR AsCharArgument(unsigned char c) { return reinterpret_cast<LPSTR>(uintptr_t(c)); }
unsigned char FromCharResult(LPSTR r) { return static_cast<unsigned char>(uintptr_t(r)); }

struct CaseRow {
  unsigned char lower, upper;
};

// Every case pair of the code page; 0xDF, 0xB5, 0x83, 0xF7 and 0xD7 have none.
const CaseRow kCasePairs[] = {{'a', 'A'},   {'z', 'Z'},   {0x9A, 0x8A}, {0x9C, 0x8C},
                              {0x9E, 0x8E}, {0xFF, 0x9F}, {0xE0, 0xC0}, {0xE4, 0xC4},
                              {0xF6, 0xD6}, {0xF8, 0xD8}, {0xFC, 0xDC}, {0xFE, 0xDE}};
const unsigned char kCaseless[] = {'0',  '@',  '[',  '`',  '{',  0x80, 0x83, 0xAA,
                                   0xB5, 0xBA, 0xD7, 0xDF, 0xF7, 0x00, 0x7F, 0xA0};

TEST(CaseMapping, PairsMapBothWaysInTextAndCharacterForm) {
  for (const auto &r : kCasePairs) {
    char text[] = {char(r.lower), char(r.upper), 0};
    CharUpperA(text);
    EXPECT_EQ((unsigned char)text[0], r.upper) << "upper of 0x" << std::hex << int(r.lower);
    EXPECT_EQ((unsigned char)text[1], r.upper) << "upper of 0x" << std::hex << int(r.upper);
    CharLowerA(text);
    EXPECT_EQ((unsigned char)text[0], r.lower) << "lower of 0x" << std::hex << int(r.upper);
    EXPECT_EQ(FromCharResult(CharUpperA(AsCharArgument(r.lower))), r.upper)
        << "single upper of 0x" << std::hex << int(r.lower);
    EXPECT_EQ(FromCharResult(CharLowerA(AsCharArgument(r.upper))), r.lower)
        << "single lower of 0x" << std::hex << int(r.upper);
  }
  for (unsigned char c : kCaseless) {
    EXPECT_EQ(FromCharResult(CharUpperA(AsCharArgument(c))), c) << "0x" << std::hex << int(c);
    EXPECT_EQ(FromCharResult(CharLowerA(AsCharArgument(c))), c) << "0x" << std::hex << int(c);
  }
}

TEST(CaseMapping, TextFormStopsAtTerminatorBufferFormDoesNot) {
  char text[] = "ab\0cd";
  EXPECT_EQ(CharUpperA(text), text);
  EXPECT_EQ(std::string(text, 5), std::string("AB\0cd", 5));
  EXPECT_EQ(CharLowerBuffA(text, 5), 5u);
  EXPECT_EQ(std::string(text, 5), std::string("ab\0cd", 5));
  EXPECT_EQ(CharUpperBuffA(text, 1), 1u);
  EXPECT_EQ(std::string(text, 5), std::string("Ab\0cd", 5));
  EXPECT_EQ(CharUpperBuffA(nullptr, 4), 0u);
  EXPECT_EQ(CharLowerBuffA(text, 0), 0u);
}

TEST(CharacterClasses, LettersOfTheCodePage) {
  const struct {
    unsigned char c;
    bool alpha, alnum;
  } rows[] = {{'a', 1, 1},  {'Z', 1, 1},  {'5', 0, 1},  {' ', 0, 0},  {'_', 0, 0},
              {0xE4, 1, 1}, {0xDF, 1, 1}, {0xAA, 1, 1}, {0xB5, 1, 1}, {0x8A, 1, 1},
              {0xD7, 0, 0}, {0xF7, 0, 0}, {0x80, 0, 0}, {0xA7, 0, 0}};
  for (const auto &r : rows) {
    EXPECT_EQ(IsCharAlphaA(CHAR(r.c)) != 0, r.alpha) << "0x" << std::hex << int(r.c);
    EXPECT_EQ(IsCharAlphaNumericA(CHAR(r.c)) != 0, r.alnum) << "0x" << std::hex << int(r.c);
  }
}

TEST(ByteStrings, NullArgumentsNeverCrash) {
  char buffer[8] = "x";
  EXPECT_EQ(lstrlenA(nullptr), 0);
  EXPECT_EQ(lstrlenA("abc"), 3);
  EXPECT_EQ(lstrcpyA(nullptr, "a"), nullptr);
  EXPECT_EQ(lstrcpyA(buffer, nullptr), nullptr);
  EXPECT_EQ(lstrcatA(buffer, nullptr), nullptr);
  EXPECT_EQ(lstrcpynA(buffer, nullptr, 4), nullptr);
  EXPECT_STREQ(buffer, "x");
  EXPECT_EQ(lstrcmpA(nullptr, ""), 0);
  EXPECT_EQ(lstrcmpiA(nullptr, "a"), -1);
}

TEST(ByteStrings, CopyTruncatesAndConcatenates) {
  char buffer[8];
  EXPECT_EQ(lstrcpyA(buffer, "abc"), buffer);
  EXPECT_EQ(lstrcatA(buffer, "de"), buffer);
  EXPECT_STREQ(buffer, "abcde");
  const struct {
    int max;
    const char *expected;
  } rows[] = {{1, ""}, {3, "12"}, {6, "12345"}, {7, "12345"}, {8, "12345"}};
  for (const auto &r : rows) {
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(lstrcpynA(buffer, "12345", r.max), buffer);
    EXPECT_STREQ(buffer, r.expected) << "max " << r.max;
  }
  memset(buffer, '#', sizeof buffer);
  lstrcpynA(buffer, "12345", 0);
  EXPECT_EQ(buffer[0], '#') << "a size of 0 writes nothing";
}

TEST(ByteStrings, ComparisonOrder) {
  const struct {
    const char *a, *b;
    int cmp, icmp;
  } rows[] = {{"abc", "abc", 0, 0},
              {"abc", "ABC", -1, 0},
              {"ABC", "abd", -1, -1},
              {"ab", "Ac", -1, -1},
              {"a", "ab", -1, -1},
              {"", "a", -1, -1},
              {"Zebra", "apple", 1, 1},
              {"1", "a", -1, -1},
              {"_", "a", -1, -1},
              {"9", "A", -1, -1},
              {":", "0", -1, -1},
              {"\xE4", "a", 1, 1},
              {"\xE4", "b", -1, -1},
              {"\xC4", "\xE4", 1, 0},
              {"STRA\xDF"
               "E",
               "strasse", -1, -1},
              {"\x8A", "\x9A", 1, 0},
              {"\xE4rger", "Arger", 1, 1},
              {"x", "\xB5", -1, -1}};
  for (const auto &r : rows) {
    EXPECT_EQ(lstrcmpA(r.a, r.b), r.cmp) << "lstrcmpA(\"" << r.a << "\", \"" << r.b << "\")";
    EXPECT_EQ(lstrcmpA(r.b, r.a), -r.cmp) << "lstrcmpA(\"" << r.b << "\", \"" << r.a << "\")";
    EXPECT_EQ(lstrcmpiA(r.a, r.b), r.icmp) << "lstrcmpiA(\"" << r.a << "\", \"" << r.b << "\")";
  }
}

struct FormatRow {
  const char *expected;
  std::string actual;
};

std::string Format(const char *format, ...) {
  char buffer[1100];
  va_list args;
  va_start(args, format);
  const int n = wvsprintfA(buffer, format, args);
  va_end(args);
  EXPECT_EQ(n, int(strlen(buffer))) << format;
  return buffer;
}

TEST(Wsprintf, Win32FormatSet) {
  const WCHAR wide[] = {'W', 0xE4, 0x20AC, 0x4E00, 0};
  const FormatRow rows[] = {
      {"42 -7 4294967295", Format("%d %i %u", 42, -7, 0xFFFFFFFFu)},
      {"-2147483648", Format("%d", INT32_MIN)},
      {"ff FF 0xff 0XFF 0", Format("%x %X %#x %#X %#x", 255, 255, 255, 255, 0)},
      {"[   42][42   ][00042][-0042]", Format("[%5d][%-5d][%05d][%05d]", 42, 42, 42, -42)},
      {"[00042][  042]", Format("[%.5d][%5.3d]", 42, 42)},
      {"-1 65535 ffff", Format("%hd %hu %hx", 0xFFFF, -1, 0x1FFFF)},
      {"-5 7 1a", Format("%ld %lu %lx", -5, 7u, 26u)},
      {"[abc][  abc][abc  ][ab]", Format("[%s][%5s][%-5s][%.2s]", "abc", "abc", "abc", "abc")},
      {"(null)", Format("%s", (const char *)nullptr)},
      {"x\xE4", Format("%c%c", 'x', 0xE4)},
      {"\xE4\x80", Format("%lc%C", WCHAR(0xE4), WCHAR(0x20AC))},
      {"W\xE4\x80?", Format("%ls", wide)},
      {"W\xE4\x80?|W\xE4", Format("%S|%.2S", wide, wide)},
      {"narrow", Format("%hs", "narrow")},
      {"100%", Format("%d%%", 100)},
      {"f 3", Format("%f %d", 3)},
      {"1.5 => g5", Format("1.5 => %.1g%d", 5)},
      {"end", Format("end%")},
      {"0000000000001234", Format("%p", (void *)0x1234)}};
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i)
    EXPECT_EQ(rows[i].actual, rows[i].expected) << "row " << i;
}

TEST(Wsprintf, OutputStopsAt1024Bytes) {
  std::string longText(2000, 'x');
  char buffer[1100];
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(wsprintfA(buffer, "%s%d", longText.c_str(), 5), 1023);
  EXPECT_EQ(std::string(buffer), std::string(1023, 'x'));
  EXPECT_EQ(buffer[1024], '#');
  EXPECT_EQ(wsprintfA(buffer, "%2000d", 1), 1023);
  EXPECT_EQ(wsprintfA(nullptr, "%d", 1), 0);
  EXPECT_EQ(wsprintfA(buffer, nullptr), 0);
  EXPECT_STREQ(buffer, "");
}

} // namespace
