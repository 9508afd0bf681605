// Engine-typed fields: display texts of every code, the comparison values
// of dates and times with the century of two-digit years taken from the
// clock, and the list of codes with its names.
#include "value_fixture.h"

#include <vqwin_seams.h>

#include <chrono>

namespace {

template <typename T> std::string Bytes(T value) {
  return std::string(reinterpret_cast<const char *>(&value), sizeof value);
}

// Codes 7 and 45 do not exist and leave the output untouched ("#"); a date
// or time field shorter than its layout, an integer of 3 bytes, a float of
// 8 bytes and a date that does not fit the output give the empty text.
TEST(EngineTypes, DisplayTexts) {
  const struct {
    UINT code, flags, size;
    std::string bytes, text;
  } rows[] = {
      {0, 0, 64, "  \t0012", "0012"},
      {1, 0x8000, 64, " 0012", "12"},
      {0, 0x8000, 64, "000", "0"},
      {0, 0, 64, std::string("ab\0cd", 5), "ab"},
      {0, 0, 3, "abcdef", "ab"},
      {2, 0, 64, " 000", "0"},
      {5, 0, 64, "  0120", "120"},
      {3, 0, 64, "   ", ""},
      {6, 0, 64, "5", "0,05"},
      {6, 0, 64, "12", "0,12"},
      {6, 0, 64, "123", "1,23"},
      {6, 0, 64, "1234567", "12.345,67"},
      {6, 0, 64, "  000", "0,00"},
      {6, 0, 64, "", ""},
      {44, 0, 64, Bytes(WORD(12345)), "123,45"},
      {44, 0, 64, "\x01\x02\x03", ""},
      {40, 0, 64, "\x01\x02\x03", ""},
      {40, 0, 64, "\xFF", "255"},
      {41, 0, 64, "\xFF\xFF", "-1"},
      {40, 0, 64, Bytes(~0u), "4294967295"},
      {41, 0, 64, Bytes(LONGLONG(1) << 63), "-9223372036854775808"},
      {42, 0, 64, Bytes(1.5), ""},
      {42, 0, 64, Bytes(1.5f), "1.500000"},
      {43, 0, 64, Bytes(-2.25), "-2.250000"},
      {10, 0, 64, "31.12.2009", "31.12.2009"},
      {10, 0, 10, "31.12.2009", ""},
      {10, 0, 11, "31.12.2009", "31.12.2009"},
      {11, 0, 64, "12.31.2009", "31.12.2009"},
      {12, 0, 64, "31122009", "31.12.2009"},
      {13, 0, 64, "12312009", "31.12.2009"},
      {14, 0, 64, "31.12.09", "31.12.2009"},
      {15, 0, 64, "12.31.09", "31.12.2009"},
      {16, 0, 64, "311209", "31.12.2009"},
      {17, 0, 64, "123109", "31.12.2009"},
      {18, 0, 64, "20091231", "31.12.2009"},
      {19, 0, 64, "091231", "31.12.2009"},
      {20, 0, 64, "23:59:58", "23:59:58"},
      {21, 0, 64, "235958", "23:59:58"},
      {22, 0, 64, "0930", "09:30:00"},
      {12, 0, 64, "3112200", ""},
      {22, 0, 64, "093", ""},
      {7, 0, 64, "abc", "#"},
      {45, 0, 64, "abc", "#"},
  };
  for (const auto &r : rows) {
    SVQTblField field{};
    field.type = r.code;
    field.flags = r.flags;
    char output[64];
    std::memset(output, '#', sizeof output);
    const UINT n = FormatEngineField(&field, output, r.size, r.bytes.data(), UINT(r.bytes.size()));
    const std::string text = output[0] == '#' ? "#" : output;
    EXPECT_EQ(text, r.text) << "code " << r.code << " size " << r.size;
    EXPECT_EQ(n, text == "#" ? 0 : text.size()) << "code " << r.code;
  }
  SVQTblField large{};
  large.type = 43;
  char output[32];
  const std::string huge = Bytes(1e300);
  EXPECT_EQ(FormatEngineField(&large, output, 32, huge.data(), 8), 31u) << "cut, not refused";
  large.type = 0;
  EXPECT_EQ(FormatEngineField(&large, output, 32, nullptr, 0), 0u);
  EXPECT_STREQ(output, "") << "an empty field may come without bytes";
  EXPECT_EQ(FormatEngineField(nullptr, output, 32, "abc", 3), 0u);
}

LONGLONG g_utc;
LONGLONG ClockUtc(void *) { return g_utc; }
LONG ClockOffset(LONGLONG, void *) { return 0; }
ULONGLONG ClockTicks(void *) { return 0; }

class EngineValues : public testing::Test {
protected:
  void SetYear(int y) {
    using namespace std::chrono;
    g_utc = duration_cast<milliseconds>(sys_days{year{y} / July / 1}.time_since_epoch()).count();
    const VQWIN_CLOCK clock = {ClockUtc, ClockOffset, ClockTicks, nullptr};
    VqwinSetClock(&clock);
  }
  void TearDown() override { VqwinSetClock(nullptr); }
};

TEST_F(EngineValues, TwoDigitYearsTakeTheirCenturyFromTheClock) {
  const UINT d2009 = DayNumber(31, 12, 2009), d1909 = DayNumber(31, 12, 1909);
  const UINT d1910 = DayNumber(31, 12, 1910);
  struct Row {
    int year;
    UINT code;
    const char *bytes;
    UINT value;
  };
  const Row rows[] = {
      {2009, 16, "311209", d2009},
      {2008, 16, "311209", d1909},
      {2009, 16, "311210", d1910},
      {2009, 14, "31.12.09", d2009},
      {2009, 15, "12.31.09", d2009},
      {2009, 17, "123109", d2009},
      {2009, 19, "091231", d2009},
      {2008, 19, "091231", d1909},
      {2110, 16, "311210", DayNumber(31, 12, 2010)},
      {2009, 10, "31.12.2009", d2009},
      {2009, 11, "12.31.2009", d2009},
      {2009, 12, "31122009", d2009},
      {2009, 13, "12312009", d2009},
      {2009, 18, "20091231", d2009},
      {2009, 12, "31 22009", 0xFFFFFFFF},
      {2009, 12, "31022009", 0xFFFFFFFF},
      {2009, 20, "23:59:58", 86398},
      {2009, 21, "235958", 86398},
      {2009, 22, "0930", 34200},
      {2009, 22, "09 0", 0xFFFFFFFF},
      {2009, 20, "23-59-58", 86398},
      {2009, 9, "311209", 0xFFFFFFFF},
      {2009, 23, "0930", 0xFFFFFFFF},
  };
  for (const auto &r : rows) {
    SetYear(r.year);
    EXPECT_EQ(EngineFieldValue(r.code, r.bytes), r.value)
        << "code " << r.code << " \"" << r.bytes << "\" in " << r.year;
  }
  EXPECT_EQ(EngineFieldValueProc(9), nullptr);
  EXPECT_EQ(EngineFieldValueProc(22)("0930"), 34200u);
}

TEST(EngineTypes, ListOfCodesWithTheirNames) {
  const UINT codes[] = {0,  1,  2,  3,  4,  5,  6,  10, 11, 12, 13, 14, 15,
                        16, 17, 18, 19, 20, 21, 22, 40, 41, 42, 43, 44};
  ASSERT_EQ(lbFldTypes.GetCount(), 25u);
  for (UINT i = 0; i < 25; ++i) {
    EXPECT_EQ(lbFldTypes.GetValue(i), codes[i]) << "row " << i;
    char text[64];
    ASSERT_GT(lbFldTypes.GetText(i, text, sizeof text), 0u) << "row " << i;
    EXPECT_NE(text[0], '<') << "no resource string for code " << codes[i] << ": " << text;
  }
  char text[64];
  lbFldTypes.GetText(13, text, sizeof text); // code 16
  EXPECT_STREQ(text, "Datum TTMMJJ");
}

} // namespace
