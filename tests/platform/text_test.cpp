// Windows-1252 case mapping and classes, the lstr* routines and wsprintfA.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

unsigned char Single(LPSTR(WINAPI *map)(LPSTR), unsigned char c) {
  return static_cast<unsigned char>(uintptr_t(map(reinterpret_cast<LPSTR>(uintptr_t(c)))));
}

TEST(CaseMapping, CodePagePairsInTextAndCharacterForm) {
  const unsigned char pairs[][2] = {{'a', 'A'},   {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E},
                                    {0xFF, 0x9F}, {0xE4, 0xC4}, {0xFE, 0xDE}};
  for (const auto &p : pairs) {
    char text[] = {char(p[0]), char(p[1]), 0};
    CharUpperA(text);
    EXPECT_EQ(std::string(text), std::string(2, char(p[1]))) << "0x" << std::hex << int(p[0]);
    CharLowerA(text);
    EXPECT_EQ(std::string(text), std::string(2, char(p[0]))) << "0x" << std::hex << int(p[1]);
    EXPECT_EQ(Single(CharUpperA, p[0]), p[1]) << "0x" << std::hex << int(p[0]);
    EXPECT_EQ(Single(CharLowerA, p[1]), p[0]) << "0x" << std::hex << int(p[1]);
  }
  for (unsigned char c : std::string("@[{\x83\xB5\xD7\xDF\xF7")) {
    EXPECT_EQ(Single(CharUpperA, c), c) << "0x" << std::hex << int(c);
    EXPECT_EQ(Single(CharLowerA, c), c) << "0x" << std::hex << int(c);
  }
  char text[] = "ab\0cd";
  EXPECT_EQ(CharUpperA(text), text);
  EXPECT_EQ(std::string(text, 5), std::string("AB\0cd", 5)) << "text form stops at the terminator";
  EXPECT_EQ(CharLowerBuffA(text, 5), 5u);
  EXPECT_EQ(std::string(text, 5), std::string("ab\0cd", 5));
  EXPECT_EQ(CharUpperBuffA(nullptr, 4), 0u);
}

TEST(CaseMapping, LetterClasses) {
  for (unsigned char c : std::string("aZ\xE4\xDF\xAA\xB5\x8A")) {
    EXPECT_TRUE(IsCharAlphaA(CHAR(c))) << "0x" << std::hex << int(c);
    EXPECT_TRUE(IsCharAlphaNumericA(CHAR(c))) << "0x" << std::hex << int(c);
  }
  for (unsigned char c : std::string(" _\xD7\xF7\x80"))
    EXPECT_FALSE(IsCharAlphaNumericA(CHAR(c))) << "0x" << std::hex << int(c);
  EXPECT_FALSE(IsCharAlphaA('5'));
  EXPECT_TRUE(IsCharAlphaNumericA('5'));
}

TEST(ByteStrings, CopiesCutAndNullArguments) {
  char buffer[8] = "x";
  EXPECT_EQ(lstrlenA(nullptr), 0);
  EXPECT_EQ(lstrcpyA(nullptr, "a"), nullptr);
  EXPECT_EQ(lstrcatA(buffer, nullptr), nullptr);
  EXPECT_EQ(lstrcpynA(buffer, nullptr, 4), nullptr);
  EXPECT_EQ(lstrcpynA(buffer, "abc", 0), buffer);
  EXPECT_STREQ(buffer, "x") << "failed calls write nothing";
  EXPECT_STREQ(lstrcatA(lstrcpyA(buffer, "abc"), "de"), "abcde");
  for (int max : {1, 3, 6, 8}) {
    EXPECT_EQ(lstrcpynA(buffer, "12345", max), buffer);
    EXPECT_EQ(std::string(buffer), std::string("12345").substr(0, size_t(max - 1))) << max;
  }
}

// Letters, case and accents against each other are conformance facts
// (text.compare.*); these are the punctuation, digits and null pointers.
TEST(ByteStrings, ComparisonOrder) {
  const struct {
    const char *a, *b;
    int cmp, icmp;
  } rows[] = {{nullptr, "", 0, 0}, {"_", "1", -1, -1},     {":", "0", -1, -1},   {"9", "A", -1, -1},
              {"\xE4", "a", 1, 1}, {"\x8A", "\x9A", 1, 0}, {"x", "\xB5", -1, -1}};
  for (const auto &r : rows) {
    const std::string row = std::string(r.a ? r.a : "(null)") + " vs " + r.b;
    EXPECT_EQ(lstrcmpA(r.a, r.b), r.cmp) << row;
    EXPECT_EQ(lstrcmpA(r.b, r.a), -r.cmp) << row;
    EXPECT_EQ(lstrcmpiA(r.a, r.b), r.icmp) << row;
  }
}

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
  const struct {
    const char *expected;
    std::string actual;
  } rows[] = {
      {"42 -7 4294967295 -2147483648", Format("%d %i %u %d", 42, -7, 0xFFFFFFFFu, INT32_MIN)},
      {"ff FF 0xff 0", Format("%x %X %#x %#x", 255, 255, 255, 0)},
      {"[   42][42   ][-0042][  042]", Format("[%5d][%-5d][%05d][%5.3d]", 42, 42, -42, 42)},
      {"-1 65535 -5 1a", Format("%hd %hu %ld %lx", 0xFFFF, -1, -5, 26u)},
      {"[  abc][ab](null)", Format("[%5s][%.2s]%s", "abc", "abc", (const char *)nullptr)},
      {"x\xE4\x80", Format("%c%lc%C", 'x', WCHAR(0xE4), WCHAR(0x20AC))},
      {"W\xE4\x80?|W\xE4|n", Format("%ls|%.2S|%hs", wide, wide, "n")},
      {"100% f 3 end", Format("%d%% %f %d end%", 100, 3)},
      {"0000000000001234", Format("%p", (void *)0x1234)}};
  for (const auto &r : rows)
    EXPECT_EQ(r.actual, r.expected);
}

TEST(Wsprintf, OutputStopsAt1024Bytes) {
  const std::string longText(2000, 'x');
  char buffer[1100];
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(wsprintfA(buffer, "%s%d", longText.c_str(), 5), 1023);
  EXPECT_EQ(std::string(buffer), std::string(1023, 'x'));
  EXPECT_EQ(buffer[1024], '#');
  EXPECT_EQ(wsprintfA(buffer, "%2000d", 1), 1023);
  EXPECT_EQ(wsprintfA(nullptr, "%d", 1), 0);
  EXPECT_EQ(wsprintfA(buffer, nullptr), 0);
}

} // namespace
