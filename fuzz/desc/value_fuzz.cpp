// Feeds arbitrary bytes to the field value text readers and to the display
// of a text field. The first two bytes choose formats, decimals and the
// output size; the rest is the text. Every reader gets a buffer of exactly
// the bytes it may read, so a read past them is an AddressSanitizer report.
// Round trips must hold: a fixed-point value written and read again, a date
// whose parts fit written and read again; a digit comparison is antisymmetric.
#include <windows.h>
#include <vq_tbl32.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool ok) {
  if (!ok)
    std::abort();
}

struct FieldBytes {
  UINT offset, size, dispWidth, encodeType, contentType, displayType, dataJust, dispJust;
  char name[32];
};

const UINT kDateLength[13] = {10, 10, 8, 8, 8, 8, 6, 6, 8, 6, 6, 4, 8};

void Decimals(const char *text, UINT n, UINT decimals) {
  const LONGLONG value = ParseDecimalText(text, n, decimals);
  char written[64];
  const UINT length = FormatDecimalText(written, sizeof written, value, decimals);
  Check(length > 0 && length == std::strlen(written));
  Check(ParseDecimalText(written, length, decimals) == value);
  ParseFloatText(text, n);
  ParseUnsignedDigits(text, n);
  ParseSignedDigits(text, n);
}

void Dates(const std::vector<char> &bytes, UINT format) {
  if (bytes.size() < kDateLength[format])
    return;
  // Format 12 reads on over leading blanks and zeros to the first other
  // byte, so it gets its text with a terminator; the others exactly theirs.
  std::vector<char> exact(bytes.begin(), bytes.begin() + kDateLength[format]);
  if (format == 12)
    exact.push_back('\0');
  UINT day, month, year;
  Check(ParseDate(&day, &month, &year, exact.data(), format) == kDateLength[format]);
  DayNumber(day, month, year);
  char text[16];
  const UINT length = FormatDate(text, day, month, year, format, TRUE);
  if (!length)
    return;
  Check(length == std::strlen(text) && length <= kDateLength[format]);
  UINT d, m, y;
  ParseDate(&d, &m, &y, text, format);
  const bool twoDigitYear = (format >= 4 && format <= 7) || format == 9 || format == 11;
  Check(m == month && y == (twoDigitYear ? 2000 + year % 100 : year));
  Check(d == day || format == 10 || format == 11);
}

void Display(const std::vector<char> &bytes, BYTE selector, UINT outputSize) {
  const UINT kinds[4] = {pkTEXT, pkNUMBER, pkDATETIME, pkDECIMAL};
  const UINT content = kinds[selector & 3] | (selector & 0xF0u) << 8 | twDATE | twTIME |
                       ((selector >> 2) & 3u) << twTIMEFMT_SHIFT;
  const UINT display = kinds[(selector >> 2) & 3] | twLEADZERO | (selector & 0x0Fu) << 12;
  const CVQFieldDesc field = std::bit_cast<CVQFieldDesc>(
      FieldBytes{0, UINT(bytes.size()), 0, iteTEXT, content, display, 0, 0, "F"});
  std::vector<char> output(outputSize);
  UINT written = 0;
  numVal value;
  UINT kind;
  if (bytes.empty())
    return;
  Check(field.FormatData(output.data(), outputSize, &written, bytes.data(), 0) == 1);
  Check(written < outputSize);
  field.ParseData(&value, &kind, bytes.data(), 0);
  field.CompareData(bytes.data(), bytes.data());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2 || size > 4096)
    return 0;
  const BYTE selector = data[0], second = data[1];
  const std::vector<char> bytes(data + 2, data + size);
  const UINT n = UINT(bytes.size());

  // A length of 0 would read up to a terminator, which this input lacks.
  if (n)
    Decimals(bytes.data(), n, selector % 16);
  Dates(bytes, selector % 13);
  UINT hour, minute, second2;
  if (n >= 8)
    ParseTime(&hour, &minute, &second2, bytes.data(), second % 4);

  std::vector<char> terminated(bytes);
  terminated.push_back('\0');
  const UINT day = ParseDateLiteral(terminated.data());
  Check(day == 0xFFFFFFFF || (day >= DaysBeforeYear(1583) && day < DaysBeforeYear(3200) + 366));

  if (const UINT half = n / 2)
    Check(CompareDigitTexts(bytes.data(), half, bytes.data() + half, n - half) ==
          -CompareDigitTexts(bytes.data() + half, n - half, bytes.data(), half));

  Display(bytes, selector, 1 + second % 48);
  return 0;
}
