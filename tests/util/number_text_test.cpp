// Money and grouped digit texts, text copies and the decimal readers at
// their limits: wrap-around accumulation, blank and empty texts, buffers too
// small for what they should hold.
#include <windows.h>
#include <vq_tbl32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

namespace {

TEST(FormatMoney, HundredthsGroupsAndBufferSizes) {
  const struct {
    double value;
    UINT size;
    const char *expected; // "" with result 0
  } rows[] = {{1234.5, 32, "1.234,50"},
              {0.004, 32, "0,00"},
              {0.005, 32, "0,01"},
              {999.995, 32, "1.000,00"},
              {42949672.95, 32, "42.949.672,95"},
              {42949672.96, 32, "0,00"}, // 2^32 hundredths wrap to 0
              {-1, 32, "42.949.671,97"}, // -99 hundredths, modulo 2^32
              {NAN, 32, "0,00"},
              {0, 4, ""},
              {0, 5, "0,00"},
              {1234.5, 8, ""},
              {1234.5, 9, "1.234,50"}};
  for (const auto &r : rows) {
    char buffer[40];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatMoney(buffer, r.size, r.value), strlen(r.expected)) << r.value << "/" << r.size;
    EXPECT_STREQ(buffer, r.expected) << r.value << "/" << r.size;
    EXPECT_EQ(buffer[r.size], '#') << r.value << "/" << r.size << ": wrote past the buffer";
  }
  EXPECT_EQ(FormatMoney(nullptr, 10, 1), 0u);
}

TEST(GroupDigits, InsertsPointsBetweenGroupsOfThree) {
  const struct {
    const char *text;
    UINT length;
    const char *expected;
  } rows[] = {{"123", 0, "123"},         {"1000", 0, "1.000"},
              {"123456", 0, "123.456"},  {"", 0, ""},
              {"-123", 0, "-123"},       {"-1234", 0, "-1.234"},
              {"12345xyz", 5, "12.345"}, {"18446744073709551615", 0, "18.446.744.073.709.551.615"}};
  for (const auto &r : rows) {
    char buffer[40];
    strcpy(buffer, r.text);
    const UINT n = GroupDigits(buffer, r.length);
    EXPECT_EQ(std::string(buffer, n), r.expected) << r.text;
    const size_t grouped = r.length ? r.length : strlen(r.text);
    if (n > grouped) {
      EXPECT_EQ(buffer[n], '\0') << r.text;
    }
  }
}

TEST(CopyText, CutsToBufferAndTerminates) {
  const struct {
    UINT size;
    const char *text;
    UINT result;
  } rows[] = {{8, "abc", 3}, {4, "abcdef", 3}, {1, "abc", 0}, {8, nullptr, 0}};
  for (const auto &r : rows) {
    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(CopyText(buffer, r.size, r.text), r.result) << r.size;
    EXPECT_EQ(std::string(buffer), std::string(r.text ? r.text : "").substr(0, r.result));
  }
  char untouched = '#';
  EXPECT_EQ(CopyText(&untouched, 0, "abc"), 0u);
  EXPECT_EQ(untouched, '#');

  const WCHAR text[] = {'a', 'b', 'c', 'd', 0};
  for (UINT size : {10u, 9u, 8u, 3u, 2u, 1u}) { // bytes
    WCHAR buffer[6] = {'#', '#', '#', '#', '#', '#'};
    const UINT expected = size < 2 ? 0 : std::min(4u, (size - 1) / 2);
    EXPECT_EQ(CopyWideText(buffer, size, text), expected) << "size " << size;
    EXPECT_EQ(buffer[expected], size < 2 ? '#' : 0) << "size " << size;
    EXPECT_EQ(buffer[expected + 1], '#') << "size " << size;
  }
}

TEST(DigitReaders, BlanksSignsLengthsAndWrapAround) {
  const struct {
    const char *text;
    UINT length;
    INT i32;
    UINT u32;
    LONGLONG i64;
    ULONGLONG u64;
  } rows[] = {{"", 0, 0, 0, 0, 0},
              {"  ", 0, 0, 0, 0, 0},
              {"  007x9", 0, 7, 7, 7, 7},
              {"\t \t42 1", 0, 42, 42, 42, 42},
              {"-12", 0, -12, 0, -12, 0},
              {"- 5", 0, 0, 0, 0, 0},
              {"+5", 0, 0, 0, 0, 0},
              {"12345", 3, 123, 123, 123, 123},
              {"2147483648", 0, INT_MIN, 2147483648u, 2147483648LL, 2147483648u},
              {"-2147483649", 0, INT_MAX, 0, -2147483649LL, 0},
              {"4294967297", 0, 1, 1, 4294967297LL, 4294967297u},
              {"9223372036854775808", 0, 0, 0, LLONG_MIN, 9223372036854775808u},
              {"18446744073709551616", 0, 0, 0, 0, 0}};
  for (const auto &r : rows) {
    const std::string row = '"' + std::string(r.text) + "\"/" + std::to_string(r.length);
    EXPECT_EQ(ReadInt32(r.text, r.length), r.i32) << row;
    EXPECT_EQ(ReadUInt32(r.text, r.length), r.u32) << row;
    EXPECT_EQ(ReadInt64(r.text, r.length), r.i64) << row;
    EXPECT_EQ(ReadUInt64(r.text, r.length), r.u64) << row;
    const std::u16string wide(r.text, r.text + strlen(r.text));
    EXPECT_EQ(ReadInt32(wide.c_str(), r.length), r.i32) << "wide " << row;
    EXPECT_EQ(ReadUInt64(wide.c_str(), r.length), r.u64) << "wide " << row;
  }
  EXPECT_EQ(ReadInt32(static_cast<const char *>(nullptr)), 0);
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
              {"1.2.3", 0, 123},
              {"5-", 0, 5},
              {" \t5", 0, 0},
              {"1.234,56", 4, 123},
              {",-5", 0, 0}};
  for (const auto &r : rows) {
    EXPECT_DOUBLE_EQ(ReadGroupedFloat(r.text, r.length), r.expected) << '"' << r.text << '"';
    const std::u16string wide(r.text, r.text + strlen(r.text));
    EXPECT_DOUBLE_EQ(ReadGroupedFloat(wide.c_str(), r.length), r.expected) << r.text;
  }
  // The grid keeps money as hundredths: value * 100 + 0.5, truncated.
  EXPECT_EQ(UINT(ReadGroupedFloat("42.949.672,95") * 100 + 0.5), 4294967295u);
}

} // namespace
