// Number texts of field values: plain digit texts, fixed-point decimals
// written "-1.234,56", floating texts, and the writer that turns a field's
// numeric value into display digits. These run once per record and field
// while the table browser sorts and the selection filters, so they allocate
// nothing and keep the C library's locale-aware printf out of the integer
// paths. Accumulation wraps at 64 bits like the grid's readers: digits
// typed past the range are taken modulo 2^64 instead of failing. Those
// readers (ReadUInt64 and kin) stop at the first non-digit and FormatMoney
// keeps 32 bits of hundredths; field values need grouping points passed
// over and any number of decimals of a 64-bit value, hence these.
#include "desc/value_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vqdesc {
namespace {

// Pairs "00".."99", so the writer halves its divisions.
constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536"
    "37383940414243444546474849505152535455565758596061626364656667686970717273"
    "7475767778798081828384858687888990919293949596979899";

ULONGLONG Accumulate(const char *text, size_t i, size_t n) {
  ULONGLONG value = 0;
  for (; i < n && text[i]; ++i)
    if (IsDigit(text[i]))
      value = value * 10u + ULONGLONG(text[i] - '0');
  return value;
}

size_t Skip(const char *text, size_t i, size_t n, bool zeros) {
  while (i < n && (text[i] == ' ' || text[i] == '\t' || (zeros && text[i] == '0')))
    ++i;
  return i;
}

// Public "0 = up to the terminator": every bounded reader stops at NUL.
size_t Bound(UINT length) { return length ? length : SIZE_MAX; }

} // namespace

UINT WriteDigits(char *buffer, ULONGLONG value) {
  char text[20];
  char *p = text + sizeof text;
  while (value >= 100) {
    const unsigned pair = unsigned(value % 100) * 2;
    value /= 100;
    *--p = kPairs[pair + 1];
    *--p = kPairs[pair];
  }
  if (value >= 10) {
    *--p = kPairs[value * 2 + 1];
    *--p = kPairs[value * 2];
  } else {
    *--p = char('0' + value);
  }
  const UINT length = UINT(text + sizeof text - p);
  std::memcpy(buffer, p, length);
  return length;
}

ULONGLONG UnsignedDigits(const char *text, size_t n) {
  return Accumulate(text, Skip(text, 0, n, true), n);
}

LONGLONG SignedDigits(const char *text, size_t n) {
  size_t i = Skip(text, 0, n, false);
  const bool negative = i < n && text[i] == '-';
  if (negative)
    i = Skip(text, i + 1, n, true);
  const ULONGLONG magnitude = Accumulate(text, i, n);
  return LONGLONG(negative ? 0u - magnitude : magnitude);
}

LONGLONG DecimalText(const char *text, size_t n, UINT decimals) {
  size_t i = 0;
  while (i < n && text[i] == ' ')
    ++i;
  ULONGLONG value = 0;
  bool negative = false, sign = false, digits = false, fraction = false;
  UINT fractionDigits = 0;
  for (; i < n; ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      if (fraction && fractionDigits++ == decimals)
        break;
      digits = true;
      value = value * 10u + ULONGLONG(c - '0');
    } else if ((c == '-' || c == '+') && !sign && !digits) {
      sign = true;
      negative = c == '-';
    } else if (c == ',' && !fraction) {
      fraction = true;
    } else if (c != '.' || fraction) {
      break;
    }
  }
  return LONGLONG(negative ? 0u - value : value);
}

double FloatText(const char *text, size_t n) {
  double value = 0, factor = 0.1;
  bool negative = false, sign = false, fraction = false;
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      if (fraction) {
        value += (c - '0') * factor;
        factor *= 0.1;
      } else {
        value = value * 10 + (c - '0');
      }
    } else if ((c == '-' || c == '+') && !sign) {
      sign = true;
      negative = c == '-';
    } else if ((c == ',' || c == '.') && !fraction) {
      fraction = true;
    } else {
      break;
    }
  }
  return negative ? -value : value;
}

int DigitTexts(const char *a, size_t na, const char *b, size_t nb) {
  na = strnlen(a, na);
  nb = strnlen(b, nb);
  while (na && *a == '0')
    ++a, --na;
  while (nb && *b == '0')
    ++b, --nb;
  if (na != nb)
    return na < nb ? -1 : 1;
  const int order = std::memcmp(a, b, na);
  return order < 0 ? -1 : order > 0;
}

} // namespace vqdesc

using namespace vqdesc;

ULONGLONG ParseUnsignedDigits(const char *text, UINT length) {
  return text ? UnsignedDigits(text, Bound(length)) : 0;
}

LONGLONG ParseSignedDigits(const char *text, UINT length) {
  return text ? SignedDigits(text, Bound(length)) : 0;
}

LONGLONG ParseDecimalText(const char *text, UINT length, UINT decimals) {
  return text ? DecimalText(text, Bound(length), decimals) : 0;
}

double ParseFloatText(const char *text, UINT length) {
  return text ? FloatText(text, Bound(length)) : 0;
}

int CompareDigitTexts(const char *textA, UINT lengthA, const char *textB, UINT lengthB) {
  return DigitTexts(textA ? textA : "", Bound(lengthA), textB ? textB : "", Bound(lengthB));
}

UINT FormatDecimalText(char *buffer, UINT size, LONGLONG value, UINT decimals) {
  if (!buffer || !size)
    return 0;
  ULONGLONG magnitude = value < 0 ? 0u - ULONGLONG(value) : ULONGLONG(value);
  char *p = buffer + size - 1;
  *p = '\0';
  const auto fail = [buffer] {
    buffer[0] = '\0';
    return 0u;
  };
  if (decimals) {
    if (size < decimals + 3)
      return fail();
    for (UINT k = 0; k < decimals; ++k, magnitude /= 10)
      *--p = char('0' + magnitude % 10);
    *--p = ',';
  }
  for (UINT digit = 0;; ++digit) {
    if (p - buffer < (digit && digit % 3 == 0 ? 2 : 1))
      return fail();
    if (digit && digit % 3 == 0)
      *--p = '.';
    *--p = char('0' + magnitude % 10);
    magnitude /= 10;
    if (!magnitude)
      break;
  }
  if (value < 0) {
    if (p == buffer)
      return fail();
    *--p = '-';
  }
  const UINT length = UINT(buffer + size - 1 - p);
  std::memmove(buffer, p, length + 1);
  return length;
}

UINT FormatNumber(char *buffer, numVal value, UINT kind, UINT contentType, UINT displayType) {
  if (!buffer)
    return 0;
  if (kind == nvkDOUBLE) {
    const UINT d = (displayType & twDECIMALS) >> twDECIMALS_SHIFT;
    const double x = value.dbl;
    int length;
    if (d == 0 && x + 0.5 > -9.2e18 && x + 0.5 < 9.2e18) {
      // Half up, then toward zero: -2.5 shows -2, as fields have always shown it.
      const LONGLONG whole = LONGLONG(x + 0.5); // NOLINT(bugprone-incorrect-roundings)
      char *p = buffer;
      if (whole < 0)
        *p++ = '-';
      p += WriteDigits(p, whole < 0 ? 0u - ULONGLONG(whole) : ULONGLONG(whole));
      *p = '\0';
      return UINT(p - buffer);
    }
    // Values beyond 64 bits (and NaN) have no integral form; printf's own
    // text for them is cut to the buffer instead.
    if (d == 0)
      length = std::snprintf(buffer, 32, "%.0f", x);
    else if (d <= 10)
      length = std::snprintf(buffer, 32, "%.*f", int(d), x);
    else
      length = std::snprintf(buffer, 32, "%f", x);
    return length < 0 ? 0 : length > 31 ? 31 : UINT(length);
  }
  if (kind > nvkINT64) {
    buffer[0] = '\0';
    return 0;
  }
  bool negative = false;
  ULONGLONG magnitude;
  switch (kind) {
  case nvkUINT32:
    magnitude = value.u32;
    break;
  case nvkINT32:
    negative = value.i32 < 0;
    magnitude = negative ? 0u - ULONGLONG(LONGLONG(value.i32)) : ULONGLONG(value.i32);
    break;
  case nvkUINT64:
    magnitude = value.u64;
    break;
  default:
    negative = value.i64 < 0;
    magnitude = negative ? 0u - ULONGLONG(value.i64) : ULONGLONG(value.i64);
    break;
  }
  char *p = buffer;
  if (negative)
    *p++ = '-';
  // 10^d is a 32-bit number, so integer fields carry at most 9 decimals;
  // with more the stored integer is shown unscaled, which loses nothing.
  const UINT d = (contentType & twDECIMALS) >> twDECIMALS_SHIFT;
  if (d == 0 || d > 9) {
    p += WriteDigits(p, magnitude);
  } else {
    UINT scale = 1;
    for (UINT k = 0; k < d; ++k)
      scale *= 10;
    p += WriteDigits(p, magnitude / scale);
    *p++ = ',';
    ULONGLONG fraction = magnitude % scale;
    for (UINT k = d; k-- > 0; fraction /= 10)
      p[k] = char('0' + fraction % 10);
    p += d;
  }
  *p = '\0';
  return UINT(p - buffer);
}
