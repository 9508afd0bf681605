// Fields typed with the ISAM engine's own field type codes, as the list-view
// field descriptions and the selection's field callback describe them:
// the list of codes, their display texts, and the values that dates and
// times compare by. Date and time codes keep their characters in fixed
// places, so display is a matter of moving characters; the comparison
// values demand digits where the layout has them.
#include "desc/value_text.h"
#include "frame/library.h"

#include <cstdio>
#include <cstring>

using vqdesc::IsDigit;

namespace {

// The name of engine field type code c is resource string 2020 + c.
constexpr UINT kFieldTypeNames = 2020;
constexpr CVQListTable::Row Name(UINT code) { return {code, kFieldTypeNames + code}; }
constexpr CVQListTable::Row kFieldTypeRows[] = {
    Name(0),  Name(1),  Name(2),  Name(3),  Name(4),  Name(5),  Name(6),  Name(10), Name(11),
    Name(12), Name(13), Name(14), Name(15), Name(16), Name(17), Name(18), Name(19), Name(20),
    Name(21), Name(22), Name(40), Name(41), Name(42), Name(43), Name(44)};
static_assert(sizeof kFieldTypeRows / sizeof kFieldTypeRows[0] == 25);

constexpr UINT kNoValue = 0xFFFFFFFF;
constexpr UINT kDropLeadingZeros = 0x8000;

// Where a date code keeps its parts; a year of two digits has yearDigits 2.
// Positions run from code 10 to 19.
struct DateLayout {
  BYTE day, month, year, yearDigits, length;
};
constexpr DateLayout kDates[10] = {
    {0, 3, 6, 4, 10}, {3, 0, 6, 4, 10}, {0, 2, 4, 4, 8}, {2, 0, 4, 4, 8}, {0, 3, 6, 2, 8},
    {3, 0, 6, 2, 8},  {0, 2, 4, 2, 6},  {2, 0, 4, 2, 6}, {6, 4, 0, 4, 8}, {4, 2, 0, 2, 6},
};

// Where a time code keeps hours, minutes and seconds (0xFF: none, read 0).
struct TimeLayout {
  BYTE hour, minute, second, length;
};
constexpr TimeLayout kTimes[3] = {{0, 3, 6, 8}, {0, 2, 4, 6}, {0, 2, 0xFF, 4}};

// The digits of `count` characters as a number, or -1 when one is no digit.
int Digits(const char *p, UINT count) {
  int value = 0;
  for (UINT i = 0; i < count; ++i) {
    if (!IsDigit(p[i]))
      return -1;
    value = value * 10 + (p[i] - '0');
  }
  return value;
}

// The one place that reads the clock: tests set the platform's clock.
UINT CurrentYear() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wYear;
}

template <UINT Code> UINT DateValue(const char *bytes) {
  const DateLayout &f = kDates[Code - 10];
  const int day = Digits(bytes + f.day, 2), month = Digits(bytes + f.month, 2);
  int year = Digits(bytes + f.year, f.yearDigits);
  if (day < 0 || month < 0 || year < 0)
    return kNoValue;
  if (f.yearDigits == 2)
    // A two-digit year lies in the century that keeps it from the future.
    year += CurrentYear() - 1900 < UINT(year) + 100 ? 1900 : 2000;
  return DayNumber(UINT(day), UINT(month), UINT(year));
}

template <UINT Code> UINT TimeValue(const char *bytes) {
  const TimeLayout &f = kTimes[Code - 20];
  const int hour = Digits(bytes + f.hour, 2), minute = Digits(bytes + f.minute, 2);
  const int second = f.second == 0xFF ? 0 : Digits(bytes + f.second, 2);
  if (hour < 0 || minute < 0 || second < 0)
    return kNoValue;
  return UINT(hour * 3600 + minute * 60 + second);
}

constexpr PENGINEFIELDVALUE kValueProcs[13] = {
    DateValue<10>, DateValue<11>, DateValue<12>, DateValue<13>, DateValue<14>,
    DateValue<15>, DateValue<16>, DateValue<17>, DateValue<18>, DateValue<19>,
    TimeValue<20>, TimeValue<21>, TimeValue<22>,
};

UINT Empty(char *output) {
  output[0] = '\0';
  return 0;
}

// Puts a whole text or nothing: a number or date cut short would be read
// as another value.
UINT Put(char *output, UINT size, const char *text, size_t length) {
  if (length >= size)
    return Empty(output);
  std::memcpy(output, text, length);
  output[length] = '\0';
  return UINT(length);
}

// Leading blanks and tabs dropped, and zeros too when asked, keeping one
// character.
void TrimFront(const char *&text, size_t &length, bool zeros) {
  while (length && (*text == ' ' || *text == '\t'))
    ++text, --length;
  while (zeros && length > 1 && *text == '0')
    ++text, --length;
}

// "1234567" as "12.345,67": the last two digits are hundredths.
UINT MoneyForm(char *output, UINT size, const char *digits, size_t length) {
  TrimFront(digits, length, true);
  char text[96];
  if (length == 0 || length > 64)
    return Empty(output);
  UINT n = 0;
  if (length <= 2) {
    text[n++] = '0';
  } else {
    std::memcpy(text, digits, length - 2);
    n = GroupDigits(text, UINT(length - 2));
  }
  text[n++] = ',';
  text[n++] = length == 1 ? '0' : digits[length - 2];
  text[n++] = digits[length - 1];
  return Put(output, size, text, n);
}

// An integer in machine form of 1, 2, 4 or 8 bytes; false for another length.
bool LoadInteger(const BYTE *p, UINT length, bool isSigned, ULONGLONG *magnitude, bool *negative) {
  LONGLONG s;
  ULONGLONG u;
  switch (length) {
  case 1:
    u = p[0];
    s = p[0] >= 0x80 ? LONGLONG(p[0]) - 0x100 : LONGLONG(p[0]);
    break;
  case 2: {
    WORD w;
    std::memcpy(&w, p, 2);
    u = w;
    s = static_cast<SHORT>(w);
    break;
  }
  case 4: {
    UINT d;
    std::memcpy(&d, p, 4);
    u = d;
    s = static_cast<INT>(d);
    break;
  }
  case 8:
    std::memcpy(&u, p, 8);
    s = static_cast<LONGLONG>(u);
    break;
  default:
    return false;
  }
  *negative = isSigned && s < 0;
  *magnitude = *negative ? 0u - ULONGLONG(s) : u;
  return true;
}

UINT DisplayDate(char *output, UINT size, UINT code, const char *c, UINT length) {
  const DateLayout &f = kDates[code - 10];
  if (length < f.length)
    return Empty(output);
  char text[10] = {c[f.day], c[f.day + 1], '.', c[f.month], c[f.month + 1], '.', '2', '0'};
  if (f.yearDigits == 4)
    std::memcpy(text + 6, c + f.year, 4);
  else
    std::memcpy(text + 8, c + f.year, 2);
  return Put(output, size, text, sizeof text);
}

UINT DisplayTime(char *output, UINT size, UINT code, const char *c, UINT length) {
  const TimeLayout &f = kTimes[code - 20];
  if (length < f.length)
    return Empty(output);
  const char text[8] = {c[f.hour],
                        c[f.hour + 1],
                        ':',
                        c[f.minute],
                        c[f.minute + 1],
                        ':',
                        f.second == 0xFF ? '0' : c[f.second],
                        f.second == 0xFF ? '0' : c[f.second + 1]};
  return Put(output, size, text, sizeof text);
}

} // namespace

const CVQListBox lbFldTypes(kFieldTypeRows, &theLibrary);

UINT FormatEngineField(const SVQTblField *field, char *output, UINT outputSize, const void *bytes,
                       UINT length) {
  if (!field || !output || !outputSize || (!bytes && length))
    return 0;
  // An empty field may come without bytes.
  const char *c = bytes ? static_cast<const char *>(bytes) : "";
  const UINT code = field->type;
  // Text stops at a NUL byte: fields are often padded with them.
  const size_t textLength = strnlen(c, length);
  switch (code) {
  case 0:
  case 1:
  case 2:
  case 3:
  case 4:
  case 5: {
    size_t n = textLength;
    TrimFront(c, n, code >= 2 || (field->flags & kDropLeadingZeros));
    if (n > outputSize - 1)
      n = outputSize - 1;
    return Put(output, outputSize, c, n);
  }
  case 6:
    return MoneyForm(output, outputSize, c, textLength);
  case 40:
  case 41:
  case 44: {
    ULONGLONG magnitude;
    bool negative;
    if (!LoadInteger(reinterpret_cast<const BYTE *>(c), length, code == 41, &magnitude, &negative))
      return Empty(output);
    char text[24];
    UINT n = 0;
    if (negative)
      text[n++] = '-';
    n += vqdesc::WriteDigits(text + n, magnitude);
    return code == 44 ? MoneyForm(output, outputSize, text, n) : Put(output, outputSize, text, n);
  }
  case 42:
  case 43: {
    if (length != (code == 42 ? 4u : 8u))
      return Empty(output);
    double value;
    if (code == 42) {
      float f;
      std::memcpy(&f, bytes, 4);
      value = f;
    } else {
      std::memcpy(&value, bytes, 8);
    }
    // "%f" of a large value runs to hundreds of digits; it is cut to the
    // output rather than refused, as the digits in front are its magnitude.
    const int n = std::snprintf(output, outputSize, "%f", value);
    return n < 0 ? 0 : UINT(n) < outputSize ? UINT(n) : outputSize - 1;
  }
  default:
    if (code >= 10 && code <= 19)
      return DisplayDate(output, outputSize, code, c, length);
    if (code >= 20 && code <= 22)
      return DisplayTime(output, outputSize, code, c, length);
    return 0;
  }
}

PENGINEFIELDVALUE EngineFieldValueProc(UINT code) {
  return code >= 10 && code <= 22 ? kValueProcs[code - 10] : nullptr;
}

UINT EngineFieldValue(UINT code, const char *bytes) {
  const PENGINEFIELDVALUE proc = EngineFieldValueProc(code);
  return proc && bytes ? proc(bytes) : kNoValue;
}
