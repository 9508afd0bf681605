// Dates and times through every layout and back, the digit-group rules for
// blanks in digit places, and day numbers against the standard library's
// civil calendar over the whole supported range.
#include "value_fixture.h"

#include <chrono>

namespace {

using valuetest::Captured;

struct Date {
  UINT day, month, year;
};

TEST(ValueDates, EveryFormatWritesItsLayoutAndReadsItBack) {
  // 31.12.2009 in formats 0-12; formats 10 and 11 keep no day (read as 1).
  const char *texts[13] = {"31.12.2009", "12.31.2009", "31122009", "12312009", "31.12.09",
                           "12.31.09",   "311209",     "123109",   "20091231", "091231",
                           "200912",     "0912",       "79908768"};
  for (UINT f = 0; f < 13; ++f) {
    char buffer[16];
    EXPECT_EQ(FormatDate(buffer, 31, 12, 2009, f, FALSE), std::strlen(texts[f])) << "format " << f;
    EXPECT_STREQ(buffer, texts[f]) << "format " << f;
    Date d{};
    EXPECT_EQ(ParseDate(&d.day, &d.month, &d.year, texts[f], f), std::strlen(texts[f]))
        << "format " << f;
    EXPECT_EQ(d.day, f == 10 || f == 11 ? 1u : 31u) << "format " << f;
    EXPECT_EQ(d.month, 12u) << "format " << f;
    EXPECT_EQ(d.year, 2009u) << "format " << f;
  }
}

// A digit at a group's start takes the next character untested ("5 " reads
// 5 * 10 + (' ' - '0') = 34).
TEST(ValueDates, DigitGroupsAcceptBlanksForLeadingDigits) {
  struct Row {
    const char *text;
    UINT format;
    Date date;
  };
  const Row rows[] = {
      {" 5.12.2009", 0, {5, 12, 2009}},
      {"05/12/2009", 0, {5, 12, 2009}},
      {"05.12. 999", 0, {5, 12, 999}},
      {"05.12.  99", 0, {5, 12, 99}},
      {"05.12.    ", 0, {5, 12, 0}},
      {"5 .12.2009", 0, {34, 12, 2009}},
      {"  .  .    ", 0, {0, 0, 0}},
      {" 1 2 9", 6, {1, 2, 2009}},
      // Format 12 skips every blank, tab and zero before its digits, then
      // reads up to eight of them.
      {" 0000001", 12, {98, 99, 9999}},
      {"0000000012", 12, {87, 99, 9999}},
      {"  79908768", 12, {31, 12, 2009}},
      {"\t\t79908768", 12, {31, 12, 2009}},
      {" 0\t0 079908768", 12, {31, 12, 2009}},
      {"799087689", 12, {31, 12, 2009}},
      {"8768", 12, {31, 12, 9999}},
      {"  8768 1", 12, {31, 12, 9999}},
  };
  for (const auto &r : rows) {
    Date d{};
    ParseDate(&d.day, &d.month, &d.year, r.text, r.format);
    EXPECT_EQ(d.day, r.date.day) << '"' << r.text << '"';
    EXPECT_EQ(d.month, r.date.month) << '"' << r.text << '"';
    EXPECT_EQ(d.year, r.date.year) << '"' << r.text << '"';
  }
}

TEST_F(Captured, IllegalFormatsAreRefused) {
  UINT day = 7, month = 7, year = 7;
  EXPECT_EQ(ParseDate(&day, &month, &year, "31.12.2009", 13), 0u);
  EXPECT_EQ(Lines(),
            std::vector<std::string>{"0 CVQFieldDesc Illegal date format 13 on ParseDate"});
  char buffer[16] = "x";
  EXPECT_EQ(FormatDate(buffer, 1, 1, 2009, 13, TRUE), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(ParseTime(&day, &month, &year, "23:59:58", 4), 0);
  EXPECT_EQ(FormatTime(buffer, 1, 2, 3, 4), 0u);
}

// Two-digit years show only their last two digits.
TEST(ValueDates, EmptyAndForcedDates) {
  struct Row {
    Date date;
    UINT format;
    BOOL force;
    const char *text;
  };
  const Row rows[] = {
      {{0, 0, 0}, 0, FALSE, ""},          {{0, 0, 2000}, 4, FALSE, ""},

      {{0, 0, 0}, 0, TRUE, "00.00.0000"}, {{0, 0, 0}, 12, TRUE, "99999999"},
      {{31, 12, 9999}, 12, TRUE, "8768"}, {{1, 100, 2009}, 0, TRUE, ""},

      {{1, 1, 12345}, 9, TRUE, "450101"},
  };
  for (const auto &r : rows) {
    char buffer[16];
    EXPECT_EQ(FormatDate(buffer, r.date.day, r.date.month, r.date.year, r.format, r.force),
              std::strlen(r.text))
        << r.text;
    EXPECT_STREQ(buffer, r.text) << r.date.day << '.' << r.date.month << '.' << r.date.year;
  }
}

TEST(ValueDates, TimesRoundTrip) {
  const char *texts[4] = {"23:59:58", "235958", "23:59", "2359"};
  for (UINT f = 0; f < 4; ++f) {
    UINT h = 0, m = 0, s = 9;
    ASSERT_EQ(ParseTime(&h, &m, &s, texts[f], f), 1) << f;
    EXPECT_EQ(h * 10000 + m * 100 + s, f < 2 ? 235958u : 235900u) << "format " << f;
    char buffer[16];
    EXPECT_EQ(FormatTime(buffer, h, m, s, f), std::strlen(texts[f])) << "format " << f;
    EXPECT_STREQ(buffer, texts[f]);
  }
  UINT h, m, s;
  ParseTime(&h, &m, &s, " 9: 5: 1", 0);
  EXPECT_EQ(h * 10000 + m * 100 + s, 90501u);
}

TEST(ValueDates, DayNumbersAgreeWithTheCivilCalendar) {
  using namespace std::chrono;
  const sys_days origin = year{1} / January / 1;
  for (sys_days d = year{1583} / January / 1; d <= sys_days{year{3200} / December / 31};
       d += days{1}) {
    const year_month_day ymd{d};
    const UINT expected = UINT((d - origin).count());
    const UINT y = UINT(int(ymd.year())), m = unsigned(ymd.month()), day = unsigned(ymd.day());
    ASSERT_EQ(DayNumber(day, m, y), expected) << day << '.' << m << '.' << y;
    if (day == 1 && m == 1) {
      ASSERT_EQ(DaysBeforeYear(y), expected) << y;
    }
    if (day == unsigned((ymd.year() / ymd.month() / last).day())) {
      ASSERT_EQ(DayNumber(day + 1, m, y), 0xFFFFFFFFu) << "day after the end of " << m << '/' << y;
    }
  }
  EXPECT_EQ(DayNumber(1, 1, 2000), 730119u);
  EXPECT_EQ(DayNumber(31, 12, 2009), 733771u);
  const Date bad[] = {{29, 2, 2100},  {0, 1, 2000}, {1, 0, 2000}, {1, 13, 2000},
                      {31, 12, 1582}, {1, 1, 3201}, {1, 1, 0}};
  for (const auto &b : bad)
    EXPECT_EQ(DayNumber(b.day, b.month, b.year), 0xFFFFFFFFu)
        << b.day << '.' << b.month << '.' << b.year;
  EXPECT_EQ(DaysBeforeYear(1582), 0xFFFFFFFFu);
  EXPECT_EQ(DaysBeforeYear(3201), 0xFFFFFFFFu);
}

TEST(ValueDates, DateLiterals) {
  struct Row {
    const char *text;
    Date date; // year 0: not a date
  };
  const Row rows[] = {
      {"311209", {31, 12, 2009}},
      {"31122009", {31, 12, 2009}},
      {"1.1.09", {1, 1, 2009}},
      {"01.01.", {1, 1, 2000}},

      {"31.4.2009", {}},
      {"12345", {}},
      {"1.1.", {}},
      {"1.1.2009x", {}},
      {".1.2009", {}},

      {"1.1.1.2009", {}},

      {"29.2.2100", {}},
      {"29.2.2000", {29, 2, 2000}},
      {"1.1.99999999999", {}},

      {"1 .1.2009", {}},
  };
  for (const auto &r : rows)
    EXPECT_EQ(ParseDateLiteral(r.text),
              r.date.year ? DayNumber(r.date.day, r.date.month, r.date.year) : 0xFFFFFFFFu)
        << '"' << r.text << '"';
  EXPECT_EQ(ParseDateLiteral(nullptr), 0xFFFFFFFFu);
}

} // namespace
