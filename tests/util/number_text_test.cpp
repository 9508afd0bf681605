// Money and grouped digit texts, text copies and the decimal readers at
// their limits: wrap-around accumulation, blank and empty texts, buffers too
// small for what they should hold.
#include <windows.h>
#include <vq_tbl32.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace {

TEST(FormatMoney, WritesHundredthsWithGroups) {
  const struct {
    double value;
    const char *expected;
  } rows[] = {{1234.5, "1.234,50"},
              {0.004, "0,00"},
              {0.005, "0,01"},
              {0, "0,00"},
              {999.994, "999,99"},
              {999.995, "1.000,00"},
              {1000000, "1.000.000,00"},
              {42949672.95, "42.949.672,95"},
              {42949672.96, "0,00"}, // 2^32 hundredths wrap to 0
              {-1, "42.949.671,97"}, // -99 hundredths, taken modulo 2^32
              {NAN, "0,00"},
              {1e300, "0,00"}};
  for (const auto &r : rows) {
    char buffer[32];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatMoney(buffer, sizeof buffer, r.value), strlen(r.expected)) << r.value;
    EXPECT_STREQ(buffer, r.expected) << r.value;
  }
}

TEST(FormatMoney, RefusesSmallBuffers) {
  char buffer[16];
  const struct {
    UINT size;
    double value;
    UINT result;
    const char *text;
  } rows[] = {{4, 0, 0, ""},          {5, 0, 4, "0,00"},  {5, 12.34, 0, ""},
              {6, 12.34, 5, "12,34"}, {8, 1234.5, 0, ""}, {9, 1234.5, 8, "1.234,50"},
              {1, 0, 0, ""}};
  for (const auto &r : rows) {
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatMoney(buffer, r.size, r.value), r.result) << "size " << r.size;
    EXPECT_STREQ(buffer, r.text) << "size " << r.size;
    EXPECT_EQ(buffer[r.size], '#') << "size " << r.size << ": wrote past the buffer";
  }
  EXPECT_EQ(FormatMoney(nullptr, 10, 1), 0u);
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(FormatMoney(buffer, 0, 1), 0u);
  EXPECT_EQ(buffer[0], '#');
}

TEST(GroupDigits, InsertsPointsBetweenGroupsOfThree) {
  const struct {
    const char *text;
    UINT length;
    const char *expected;
  } rows[] = {{"123", 0, "123"},
              {"1000", 0, "1.000"},
              {"1234567", 0, "1.234.567"},
              {"123456", 0, "123.456"},
              {"", 0, ""},
              {"-123", 0, "-123"},
              {"-1234", 0, "-1.234"},
              {"+12345", 0, "+12.345"},
              {"4294967295", 0, "4.294.967.295"},
              {"18446744073709551615", 0, "18.446.744.073.709.551.615"},
              {"12345xyz", 5, "12.345"}};
  for (const auto &r : rows) {
    char buffer[40];
    strcpy(buffer, r.text);
    const UINT n = GroupDigits(buffer, r.length);
    const std::string result(buffer, n);
    EXPECT_EQ(result, r.expected) << r.text;
    EXPECT_EQ(n, strlen(r.expected)) << r.text;
    if (n > (r.length ? r.length : strlen(r.text))) {
      EXPECT_EQ(buffer[n], '\0') << r.text;
    }
  }
  EXPECT_EQ(GroupDigits(nullptr, 4), 0u);
}

TEST(CopyText, CutsToBufferAndTerminates) {
  char buffer[8];
  const struct {
    UINT size;
    const char *text;
    UINT result;
    const char *expected;
  } rows[] = {{8, "abc", 3, "abc"}, {4, "abcdef", 3, "abc"}, {1, "abc", 0, ""},
              {8, "", 0, ""},       {8, nullptr, 0, ""},     {7, "abcdefgh", 6, "abcdef"}};
  for (const auto &r : rows) {
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(CopyText(buffer, r.size, r.text), r.result) << r.size;
    EXPECT_STREQ(buffer, r.expected) << r.size;
  }
  EXPECT_EQ(CopyText(nullptr, 8, "abc"), 0u);
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(CopyText(buffer, 0, "abc"), 0u);
  EXPECT_EQ(buffer[0], '#');
}

TEST(CopyText, WideTextSizeIsInBytes) {
  const WCHAR text[] = {'a', 'b', 'c', 'd', 0};
  const struct { UINT size, result; } rows[] = {{10, 4}, {9, 4}, {8, 3}, {5, 2}, {3, 1}, {2, 0}};
  for (const auto &r : rows) {
    WCHAR buffer[8];
    for (auto &c : buffer)
      c = '#';
    EXPECT_EQ(CopyWideText(buffer, r.size, text), r.result) << "size " << r.size;
    EXPECT_EQ(buffer[r.result], 0) << "size " << r.size;
    EXPECT_EQ(buffer[r.result + 1], '#') << "size " << r.size << ": wrote past the terminator";
  }
  WCHAR one[2] = {'#', '#'};
  EXPECT_EQ(CopyWideText(one, 1, text), 0u);
  EXPECT_EQ(one[0], '#') << "one byte cannot even hold the terminator";
  EXPECT_EQ(CopyWideText(one, 4, nullptr), 0u);
  EXPECT_EQ(one[0], 0);
}

struct ReaderRow {
  const char *text;
  UINT length;
  INT i32;
  UINT u32;
  LONGLONG i64;
  ULONGLONG u64;
};

TEST(DigitReaders, BlanksSignsLengthsAndWrapAround) {
  const ReaderRow rows[] = {{"", 0, 0, 0, 0, 0},
                            {"  ", 0, 0, 0, 0, 0},
                            {"  007x9", 0, 7, 7, 7, 7},
                            {"\t \t42 1", 0, 42, 42, 42, 42},
                            {"-12", 0, -12, 0, -12, 0},
                            {"- 5", 0, 0, 0, 0, 0},
                            {"+5", 0, 0, 0, 0, 0},
                            {" -0", 0, 0, 0, 0, 0},
                            {"12345", 3, 123, 123, 123, 123},
                            {"  12", 1, 0, 0, 0, 0},
                            {"2147483647", 0, INT_MAX, 2147483647u, 2147483647, 2147483647},
                            {"2147483648", 0, INT_MIN, 2147483648u, 2147483648LL, 2147483648u},
                            {"-2147483648", 0, INT_MIN, 0, -2147483648LL, 0},
                            {"-2147483649", 0, INT_MAX, 0, -2147483649LL, 0},
                            {"4294967295", 0, -1, UINT_MAX, 4294967295LL, 4294967295u},
                            {"4294967296", 0, 0, 0, 4294967296LL, 4294967296u},
                            {"4294967297", 0, 1, 1, 4294967297LL, 4294967297u},
                            {"9223372036854775808", 0, 0, 0, LLONG_MIN, 9223372036854775808u},
                            {"18446744073709551615", 0, -1, UINT_MAX, -1, ULLONG_MAX},
                            {"18446744073709551616", 0, 0, 0, 0, 0},
                            {"000000000000000000000000000001", 0, 1, 1, 1, 1}};
  for (const auto &r : rows) {
    EXPECT_EQ(ReadInt32(r.text, r.length), r.i32) << '"' << r.text << "\"/" << r.length;
    EXPECT_EQ(ReadUInt32(r.text, r.length), r.u32) << '"' << r.text << "\"/" << r.length;
    EXPECT_EQ(ReadInt64(r.text, r.length), r.i64) << '"' << r.text << "\"/" << r.length;
    EXPECT_EQ(ReadUInt64(r.text, r.length), r.u64) << '"' << r.text << "\"/" << r.length;
    std::u16string wide(r.text, r.text + strlen(r.text));
    EXPECT_EQ(ReadInt32(wide.c_str(), r.length), r.i32) << "wide \"" << r.text << '"';
    EXPECT_EQ(ReadUInt64(wide.c_str(), r.length), r.u64) << "wide \"" << r.text << '"';
  }
  EXPECT_EQ(ReadInt32(static_cast<const char *>(nullptr)), 0);
  EXPECT_EQ(ReadUInt64(static_cast<const WCHAR *>(nullptr)), 0u);
}

TEST(DigitReaders, GroupedFloat) {
  const struct {
    const char *text;
    UINT length;
    double expected;
  } rows[] = {{"1.234,56", 0, 1234.56},
              {"-1.234,5", 0, -1234.5},
              {"  ,5", 0, 0.5},
              {"1,2.3", 0, 1.2},
              {"1,2,3", 0, 1.2},
              {"12a", 0, 12},
              {"", 0, 0},
              {"1.2.3", 0, 123},
              {"5-", 0, 5},
              {"+7,25", 0, 7.25},
              {" \t5", 0, 0},
              {"1.234,56", 4, 123},
              {"0,29", 0, 0.29},
              {"-,5", 0, -0.5},
              {",-5", 0, 0}};
  for (const auto &r : rows) {
    EXPECT_DOUBLE_EQ(ReadGroupedFloat(r.text, r.length), r.expected) << '"' << r.text << '"';
    std::u16string wide(r.text, r.text + strlen(r.text));
    EXPECT_DOUBLE_EQ(ReadGroupedFloat(wide.c_str(), r.length), r.expected) << r.text;
  }
  EXPECT_EQ(ReadGroupedFloat(static_cast<const char *>(nullptr)), 0.0);
  // The grid keeps money as hundredths: value * 100 + 0.5, truncated.
  EXPECT_EQ(UINT(ReadGroupedFloat("0,29") * 100 + 0.5), 29u);
  EXPECT_EQ(UINT(ReadGroupedFloat("42.949.672,95") * 100 + 0.5), 4294967295u);
}

} // namespace
