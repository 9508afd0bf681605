// Dates and times of field values: the 13 date layouts and 4 time layouts a
// type word selects, the digit-group rules that read them, and day numbers
// (days since 1 January of year 1, proleptic Gregorian, 1583-3200 only).
//
// Readers take characters from fixed positions and test no ranges: a blank
// in place of a leading digit is accepted and impossible dates survive
// reading, so that only DayNumber decides what is a date. Writers work
// without printf; they run for every painted date cell.
#include "desc/value_text.h"
#include "frame/library.h"

#include <cstring>

using vqdesc::IsDigit;

namespace {

// Where day, month and year stand in formats 0-11; -1 = not stored. A year
// of two digits is read as 2000 + YY.
struct DateLayout {
  signed char day;
  BYTE month, year, yearDigits, length;
};
constexpr DateLayout kDates[12] = {
    {0, 3, 6, 4, 10}, {3, 0, 6, 4, 10}, {0, 2, 4, 4, 8},  {2, 0, 4, 4, 8},
    {0, 3, 6, 2, 8},  {3, 0, 6, 2, 8},  {0, 2, 4, 2, 6},  {2, 0, 4, 2, 6},
    {6, 4, 0, 4, 8},  {4, 2, 0, 2, 6},  {-1, 4, 0, 4, 6}, {-1, 2, 0, 2, 4},
};
constexpr UINT kInvertedLength = 8; // format 12
constexpr UINT kInvertedBase = 99999999;

// Two digits at p: a digit at p takes p + 1 untested; else the single digit
// at p + 1, or 0. Arithmetic on a non-digit at p + 1 is intended: the day
// number rejects what it produces.
UINT Two(const char *c) {
  if (IsDigit(c[0]))
    return UINT((c[0] - '0') * 10 + (c[1] - '0'));
  return IsDigit(c[1]) ? UINT(c[1] - '0') : 0;
}

UINT Four(const char *c) {
  if (IsDigit(c[0]))
    return UINT((c[0] - '0') * 1000 + (c[1] - '0') * 100 + (c[2] - '0') * 10 + (c[3] - '0'));
  if (IsDigit(c[1]))
    return UINT((c[1] - '0') * 100 + (c[2] - '0') * 10 + (c[3] - '0'));
  return Two(c + 2);
}

char *PutTwo(char *p, UINT v) {
  p[0] = char('0' + v / 10);
  p[1] = char('0' + v % 10);
  return p + 2;
}

char *PutFour(char *p, UINT v) { return PutTwo(PutTwo(p, v / 100), v % 100); }

bool IsLeap(UINT year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

UINT MonthLength(UINT month, UINT year) {
  static constexpr BYTE kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kLengths[month - 1];
}

// Digits of a date literal up to `stop`; saturates so a long run of digits
// stays an impossible value instead of wrapping into a possible one.
const char *LiteralNumber(const char *p, char stop, UINT *value) {
  *value = 0;
  for (; IsDigit(*p); ++p)
    *value = *value > 100000 ? *value : *value * 10 + UINT(*p - '0');
  return *p == stop ? p : nullptr;
}

} // namespace

UINT ParseDate(UINT *day, UINT *month, UINT *year, const char *text, UINT format) {
  UINT d = 0, m = 0, y = 0, consumed = 0;
  if (format < 12 && text) {
    const DateLayout &f = kDates[format];
    d = f.day < 0 ? 1 : Two(text + f.day);
    m = Two(text + f.month);
    y = f.yearDigits == 4 ? Four(text + f.year) : 2000 + Two(text + f.year);
    consumed = f.length;
  } else if (format == 12 && text) {
    // Blanks, tabs and zeros before the number are skipped however many
    // there are, and up to eight digits are read behind them: a number
    // written right-aligned into a wider field still reads as itself.
    const char *p = text;
    while (*p == ' ' || *p == '\t' || *p == '0')
      ++p;
    UINT number = 0;
    for (const char *stop = p + kInvertedLength; p < stop && IsDigit(*p); ++p)
      number = number * 10 + UINT(*p - '0');
    const UINT rest = kInvertedBase - number;
    y = rest / 10000;
    m = rest / 100 % 100;
    d = rest % 100;
    consumed = kInvertedLength;
  } else if (text) {
    theLibrary.PrtLog(VQLOG_ERROR, vqdesc::kTag, "Illegal date format %u on ParseDate", format);
  }
  if (day)
    *day = d;
  if (month)
    *month = m;
  if (year)
    *year = y;
  return consumed;
}

UINT FormatDate(char *buffer, UINT day, UINT month, UINT year, UINT format, BOOL force) {
  if (!buffer)
    return 0;
  buffer[0] = '\0';
  if (!force && day == 0 && month == 0 && (year == 0 || year == 2000))
    return 0;
  // A part wider than its digits would make a text longer than the format's
  // that could not be read back; two-digit years are cut to their last two
  // digits, as the layout says.
  const bool fullYear = format <= 3 || format == 8 || format == 10 || format == 12;
  if (format > 12 || day > 99 || month > 99 || (fullYear && year > 9999))
    return 0;
  char *p = buffer;
  const UINT yy = year % 100;
  switch (format) {
  case 0:
  case 1:
    p = PutTwo(p, format == 0 ? day : month);
    *p++ = '.';
    p = PutTwo(p, format == 0 ? month : day);
    *p++ = '.';
    p = PutFour(p, year);
    break;
  case 2:
  case 3:
    p = PutTwo(PutTwo(p, format == 2 ? day : month), format == 2 ? month : day);
    p = PutFour(p, year);
    break;
  case 4:
  case 5:
    p = PutTwo(p, format == 4 ? day : month);
    *p++ = '.';
    p = PutTwo(p, format == 4 ? month : day);
    *p++ = '.';
    p = PutTwo(p, yy);
    break;
  case 6:
  case 7:
    p = PutTwo(PutTwo(PutTwo(p, format == 6 ? day : month), format == 6 ? month : day), yy);
    break;
  case 8:
    p = PutTwo(PutTwo(PutFour(p, year), month), day);
    break;
  case 9:
    p = PutTwo(PutTwo(PutTwo(p, yy), month), day);
    break;
  case 10:
    p = PutTwo(PutFour(p, year), month);
    break;
  case 11:
    p = PutTwo(PutTwo(p, yy), month);
    break;
  default:
    p += vqdesc::WriteDigits(p, kInvertedBase - (year * 10000 + month * 100 + day));
    break;
  }
  *p = '\0';
  return UINT(p - buffer);
}

int ParseTime(UINT *hour, UINT *minute, UINT *second, const char *text, UINT format) {
  if (format > 3 || !text)
    return 0;
  const UINT h = Two(text);
  const UINT m = Two(text + (format == 0 || format == 2 ? 3 : 2));
  const UINT s = format == 0 ? Two(text + 6) : format == 1 ? Two(text + 4) : 0;
  if (hour)
    *hour = h;
  if (minute)
    *minute = m;
  if (second)
    *second = s;
  return 1;
}

UINT FormatTime(char *buffer, UINT hour, UINT minute, UINT second, UINT format) {
  if (!buffer)
    return 0;
  buffer[0] = '\0';
  if (format > 3 || hour > 99 || minute > 99 || second > 99)
    return 0;
  const bool colons = format == 0 || format == 2;
  char *p = PutTwo(buffer, hour);
  if (colons)
    *p++ = ':';
  p = PutTwo(p, minute);
  if (format < 2) {
    if (colons)
      *p++ = ':';
    p = PutTwo(p, second);
  }
  *p = '\0';
  return UINT(p - buffer);
}

UINT DaysBeforeYear(UINT year) {
  if (year < 1583 || year > 3200)
    return 0xFFFFFFFF;
  const UINT y = year - 1, q = y / 400, r = y % 400;
  return q * 146097 + (r / 100) * 36524 + (r % 100) * 365 + (r % 100) / 4;
}

UINT DayNumber(UINT day, UINT month, UINT year) {
  if (month < 1 || month > 12 || day == 0 || day > MonthLength(month, year))
    return 0xFFFFFFFF;
  UINT days = DaysBeforeYear(year);
  if (days == 0xFFFFFFFF)
    return days;
  // Selections compare a date for every record: no loop over the months.
  static constexpr unsigned short kBefore[12] = {0,   31,  59,  90,  120, 151,
                                                 181, 212, 243, 273, 304, 334};
  return days + kBefore[month - 1] + (month > 2 && IsLeap(year)) + day - 1;
}

UINT ParseDateLiteral(const char *text) {
  if (!text)
    return 0xFFFFFFFF;
  const size_t length = std::strlen(text);
  if (length < 6)
    return 0xFFFFFFFF;
  UINT day, month, year;
  bool allDigits = true;
  for (size_t i = 0; i < length && allDigits; ++i)
    allDigits = IsDigit(text[i]);
  if (allDigits && (length == 6 || length == 8)) {
    day = Two(text);
    month = Two(text + 2);
    year = length == 6 ? 2000 + Two(text + 4) : Four(text + 4);
  } else {
    const char *p = text;
    if (!IsDigit(*p) || !(p = LiteralNumber(p, '.', &day)) || !IsDigit(*++p) ||
        !(p = LiteralNumber(p, '.', &month)) || !LiteralNumber(p + 1, '\0', &year))
      return 0xFFFFFFFF;
    if (year < 100)
      year += 2000;
  }
  if (month < 1 || month > 12 || day < 1 || day > MonthLength(month, year))
    return 0xFFFFFFFF;
  return DayNumber(day, month, year);
}
