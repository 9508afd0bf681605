// Memory fills and moves, byte searches, path offsets with both separators,
// digit tests and the date and time texts.
#include <windows.h>
#include <vq_tbl32.h>
#include <vqwin_seams.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr UINT kNone = UINT(-1);

TEST(MemoryRoutines, FillsAndOverlappingMoves) {
  unsigned char buffer[12];
  memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(FillDwords(buffer + 1, 0x11223344u, 2), 0x11223344u); // unaligned
  EXPECT_EQ(FillWords(buffer + 1, 0xABCD, 1), 0xABCD);
  const unsigned char expected[] = {0xEE, 0xCD, 0xAB, 0x22, 0x11, 0x44, 0x33, 0x22, 0x11, 0xEE};
  EXPECT_EQ(memcmp(buffer, expected, sizeof expected), 0);
  char up[] = "abcdef..";
  MoveUp(up, 2, 6);
  EXPECT_STREQ(up, "ababcdef");
  char down[] = "..abcdef";
  MoveDown(down, 2, 6);
  EXPECT_STREQ(down, "abcdefef");
}

TEST(MemoryRoutines, ByteSearches) {
  const struct {
    BYTE byte;
    UINT count, first, last;
  } rows[] = {
      {'/', 5, 1, 3}, {'c', 5, 4, 4}, {'c', 4, kNone, kNone}, {'/', 0, kNone, kNone}, {0, 6, 5, 5}};
  for (const auto &r : rows) {
    EXPECT_EQ(FindByte("a/b/c", r.byte, r.count), r.first) << r.byte << "/" << r.count;
    EXPECT_EQ(FindLastByte("a/b/c", r.byte, r.count), r.last) << r.byte << "/" << r.count;
  }
}

TEST(TextRoutines, TrailingCharacter) {
  char text[8] = "C:";
  EXPECT_EQ(AppendCharIfMissing(text, '\\'), 3u);
  EXPECT_EQ(AppendCharIfMissing(text, '\\'), 3u);
  EXPECT_STREQ(text, "C:\\");
  EXPECT_EQ(StripTrailingChar(text, '\\'), 2u);
  EXPECT_EQ(StripTrailingChar(text, '\\'), 2u);
  char empty[4] = "";
  EXPECT_EQ(AppendCharIfMissing(empty, '/'), 1u);
  EXPECT_EQ(AppendCharIfMissing(nullptr, '/'), 0u);
}

TEST(TextRoutines, PathOffsets) {
  const struct {
    const char *path;
    UINT length, name, extension;
  } rows[] = {{"C:\\DIR/FILE.EXT", 0, 7, 11}, {"C:\\DIR.X\\FILE", 0, 9, kNone},
              {"/a/b.c/d.tar.gz", 0, 7, 12},  {"C:FILE.EXT", 0, 0, 6},
              {"DIR\\", 0, 4, kNone},         {"", 0, 0, kNone},
              {"A/B.C/D", 5, 2, 3},           {nullptr, 0, 0, kNone}};
  for (const auto &r : rows) {
    const std::string row =
        std::string(r.path ? r.path : "(null)") + "/" + std::to_string(r.length);
    EXPECT_EQ(FileNameOffset(r.path, r.length), r.name) << row;
    EXPECT_EQ(ExtensionOffset(r.path, r.length), r.extension) << row;
  }
}

TEST(TextRoutines, DigitAndNumberTexts) {
  const struct {
    const char *text;
    UINT length;
    BOOL digits, number, signedNumber;
  } rows[] = {{"", 0, 1, 1, 1},      {"12a", 2, 1, 1, 1}, {" 1.234.5 ", 0, 0, 1, 1},
              {" + -1", 0, 0, 0, 1}, {"1-2", 0, 0, 0, 0}, {"12 3", 0, 0, 0, 0},
              {"1,5", 0, 0, 0, 0},   {"\t1", 0, 0, 0, 0}, {nullptr, 0, 0, 0, 0}};
  for (const auto &r : rows) {
    const std::string row = r.text ? '"' + std::string(r.text) + '"' : "(null)";
    EXPECT_EQ(IsDigitText(r.text, r.length), r.digits) << row;
    EXPECT_EQ(IsNumberText(r.text, r.length, FALSE), r.number) << row;
    EXPECT_EQ(IsNumberText(r.text, r.length, TRUE), r.signedNumber) << row;
  }
}

LONGLONG FixedUtc(void *) { return 1709251199000; } // 2024-02-29 23:59:59 UTC
LONG FixedOffset(LONGLONG, void *) { return 3600; }
ULONGLONG FixedTicks(void *) { return 0; }

TEST(TextRoutines, DateAndTimeTexts) {
  char date[12], time[12];
  memset(date, '#', sizeof date);
  WriteDateText(date, 123, 7, 12345);
  EXPECT_EQ(std::string(date, 11), "23.07.2345#") << "parts modulo their width, no terminator";
  const VQWIN_CLOCK clock = {FixedUtc, FixedOffset, FixedTicks, nullptr};
  VqwinSetClock(&clock);
  GetNowTexts(date, time);
  VqwinSetClock(nullptr);
  EXPECT_STREQ(date, "01.03.2024");
  EXPECT_STREQ(time, "00:59:59");
}

TEST(TextRoutines, ExistingFileIsNoDirectory) {
  char pattern[] = "/tmp/vq-util-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string root = pattern;
  std::ofstream(root + "/file.cfg") << "x";
  EXPECT_TRUE(IsExistingFile((root + "\\file.cfg").c_str()));
  EXPECT_FALSE(IsExistingFile(root.c_str()));
  EXPECT_FALSE(IsExistingFile((root + "/missing.cfg").c_str()));
  EXPECT_FALSE(IsExistingFile(nullptr));
  unlink((root + "/file.cfg").c_str());
  rmdir(root.c_str());
}

} // namespace
