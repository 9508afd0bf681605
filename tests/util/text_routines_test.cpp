// Memory fills and moves, byte searches, path offsets with both separators,
// digit tests and the date and time texts.
#include <windows.h>
#include <vq_tbl32.h>
#include <vqwin_seams.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr UINT kNone = UINT(-1);

TEST(MemoryRoutines, FillsNeedNoAlignmentAndStopAtCount) {
  unsigned char buffer[16];
  memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(FillDwords(buffer + 1, 0x11223344u, 3), 0x11223344u);
  DWORD third;
  memcpy(&third, buffer + 9, 4);
  EXPECT_EQ(third, 0x11223344u);
  EXPECT_EQ(buffer[0], 0xEE);
  EXPECT_EQ(buffer[13], 0xEE);
  EXPECT_EQ(FillWords(buffer + 1, 0xABCD, 2), 0xABCD);
  WORD second;
  memcpy(&second, buffer + 3, 2);
  EXPECT_EQ(second, 0xABCD);
  EXPECT_EQ(buffer[5], 0x44) << "the dword fill behind the words is untouched";
  FillWords(buffer, 0, 0);
  EXPECT_EQ(buffer[0], 0xEE);
}

TEST(MemoryRoutines, MovesOverlapBothWays) {
  char up[] = "abcdef....";
  MoveUp(up, 2, 6);
  EXPECT_STREQ(up, "ababcdef..");
  char down[] = "..abcdef";
  MoveDown(down, 2, 6);
  EXPECT_STREQ(down, "abcdefef");
  MoveUp(down, 3, 0);
  EXPECT_STREQ(down, "abcdefef");
}

TEST(MemoryRoutines, ByteSearches) {
  const char text[] = "a/b/c";
  const struct {
    BYTE byte;
    UINT count, first, last;
  } rows[] = {
      {'/', 5, 1, 3},         {'a', 5, 0, 0},         {'c', 5, 4, 4}, {'c', 4, kNone, kNone},
      {'/', 0, kNone, kNone}, {'x', 5, kNone, kNone}, {0, 6, 5, 5}};
  for (const auto &r : rows) {
    EXPECT_EQ(FindByte(text, r.byte, r.count), r.first) << r.byte << "/" << r.count;
    EXPECT_EQ(FindLastByte(text, r.byte, r.count), r.last) << r.byte << "/" << r.count;
  }
  EXPECT_EQ(FindByte(nullptr, 'a', 3), kNone);
  EXPECT_EQ(FindLastByte(nullptr, 'a', 3), kNone);
}

TEST(TextRoutines, TrailingCharacter) {
  char text[8] = "C:";
  EXPECT_EQ(AppendCharIfMissing(text, '\\'), 3u);
  EXPECT_EQ(AppendCharIfMissing(text, '\\'), 3u);
  EXPECT_STREQ(text, "C:\\");
  EXPECT_EQ(StripTrailingChar(text, '\\'), 2u);
  EXPECT_EQ(StripTrailingChar(text, '\\'), 2u);
  EXPECT_STREQ(text, "C:");
  char empty[4] = "";
  EXPECT_EQ(StripTrailingChar(empty, '/'), 0u);
  EXPECT_EQ(AppendCharIfMissing(empty, '/'), 1u);
  EXPECT_STREQ(empty, "/");
  EXPECT_EQ(AppendCharIfMissing(nullptr, '/'), 0u);
  EXPECT_EQ(StripTrailingChar(nullptr, '/'), 0u);
}

TEST(TextRoutines, PathOffsets) {
  const struct {
    const char *path;
    UINT length, name, extension;
  } rows[] = {{"C:\\DIR/FILE.EXT", 0, 7, 11}, {"C:\\DIR.X\\FILE", 0, 9, kNone},
              {"/a/b.c/d.tar.gz", 0, 7, 12},  {"FILE.EXT", 0, 0, 4},
              {"C:FILE.EXT", 0, 0, 6},        {"DIR\\", 0, 4, kNone},
              {".profile", 0, 0, 0},          {"", 0, 0, kNone},
              {"A/B.C/D", 5, 2, 3},           {"A/B.C/D", 3, 2, kNone}};
  for (const auto &r : rows) {
    EXPECT_EQ(FileNameOffset(r.path, r.length), r.name) << r.path << "/" << r.length;
    EXPECT_EQ(ExtensionOffset(r.path, r.length), r.extension) << r.path << "/" << r.length;
  }
  EXPECT_EQ(FileNameOffset(nullptr), 0u);
  EXPECT_EQ(ExtensionOffset(nullptr), kNone);
}

TEST(TextRoutines, DigitAndNumberTexts) {
  const struct {
    const char *text;
    UINT length;
    BOOL digits, number, signedNumber;
  } rows[] = {{"", 0, 1, 1, 1},     {"0123", 0, 1, 1, 1},  {"12a", 0, 0, 0, 0},
              {"12a", 2, 1, 1, 1},  {" 12 ", 0, 0, 1, 1},  {"1.234.5", 0, 0, 1, 1},
              {"-12", 0, 0, 0, 1},  {" + -1", 0, 0, 0, 1}, {"1-2", 0, 0, 0, 0},
              {"12 3", 0, 0, 0, 0}, {"1,5", 0, 0, 0, 0},   {"\t1", 0, 0, 0, 0},
              {"   ", 0, 0, 1, 1}};
  for (const auto &r : rows) {
    EXPECT_EQ(IsDigitText(r.text, r.length), r.digits) << '"' << r.text << "\"/" << r.length;
    EXPECT_EQ(IsNumberText(r.text, r.length, FALSE), r.number) << '"' << r.text << '"';
    EXPECT_EQ(IsNumberText(r.text, r.length, TRUE), r.signedNumber) << '"' << r.text << '"';
  }
  EXPECT_FALSE(IsDigitText(nullptr));
  EXPECT_FALSE(IsNumberText(nullptr, 0, TRUE));
}

TEST(TextRoutines, DateAndTimeTexts) {
  char buffer[12];
  memset(buffer, '#', sizeof buffer);
  WriteDateText(buffer, 5, 3, 2024);
  EXPECT_EQ(std::string(buffer, 11), "05.03.2024#");
  WriteDateText(buffer, 123, 7, 12345);
  EXPECT_EQ(std::string(buffer, 11), "23.07.2345#") << "parts taken modulo their width";
  memset(buffer, '#', sizeof buffer);
  WriteTimeText(buffer, 9, 5, 0);
  EXPECT_EQ(std::string(buffer, 9), "09:05:00#");
}

LONGLONG FixedUtc(void *) { return 1709251199000; } // 2024-02-29 23:59:59 UTC
LONG FixedOffset(LONGLONG, void *) { return 3600; }
ULONGLONG FixedTicks(void *) { return 0; }

TEST(TextRoutines, NowTextsComeFromOneLocalReading) {
  const VQWIN_CLOCK clock = {FixedUtc, FixedOffset, FixedTicks, nullptr};
  VqwinSetClock(&clock);
  char date[16], time[16];
  memset(date, '#', sizeof date);
  memset(time, '#', sizeof time);
  GetNowTexts(date, time);
  VqwinSetClock(nullptr);
  EXPECT_EQ(std::string(date, 11), std::string("01.03.2024\0", 11));
  EXPECT_EQ(std::string(time, 9), std::string("00:59:59\0", 9));
  GetNowTexts(nullptr, nullptr);
}

TEST(TextRoutines, ExistingFileIsNoDirectory) {
  char pattern[] = "/tmp/vq-util-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string root = pattern;
  std::ofstream(root + "/file.cfg") << "x";
  EXPECT_TRUE(IsExistingFile((root + "/file.cfg").c_str()));
  EXPECT_TRUE(IsExistingFile((root + "\\file.cfg").c_str()));
  EXPECT_FALSE(IsExistingFile(root.c_str()));
  EXPECT_FALSE(IsExistingFile((root + "/missing.cfg").c_str()));
  EXPECT_FALSE(IsExistingFile(nullptr));
  unlink((root + "/file.cfg").c_str());
  rmdir(root.c_str());
}

} // namespace
