// Number texts of the grid and the engine field conversions: ',' is the
// decimal separator and '.' groups three digits. The readers accumulate in
// the width of their result and let it wrap, as plain value * 10 + digit
// does, rather than saturate: what the user typed past the range is taken
// modulo 2^32 or 2^64, and the routines stay branch-light for painting.
#include <vq_tbl32.h>

#include <climits>
#include <cstring>
#include <type_traits>

namespace {

template <typename Char> bool IsDigit(Char c) { return c >= '0' && c <= '9'; }

// Skips the leading characters the readers ignore; stops at `end` or at the
// terminator, which is neither blank nor '0'.
template <typename Char> UINT SkipLeading(const Char *text, UINT i, UINT end, bool zeros) {
  while (i < end && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  while (zeros && i < end && text[i] == '0')
    ++i;
  return i;
}

template <typename Unsigned, typename Char>
Unsigned Accumulate(const Char *text, UINT i, UINT end) {
  Unsigned value = 0;
  for (; i < end && IsDigit(text[i]); ++i)
    value = Unsigned(value * 10u + Unsigned(text[i] - '0'));
  return value;
}

// A length of 0 reads to the terminator; every loop also stops there.
UINT EndOf(UINT length) { return length ? length : UINT_MAX; }

template <typename Unsigned, typename Char> Unsigned ReadUnsigned(const Char *text, UINT length) {
  if (!text)
    return 0;
  const UINT end = EndOf(length);
  return Accumulate<Unsigned>(text, SkipLeading(text, 0, end, true), end);
}

template <typename Signed, typename Char> Signed ReadSigned(const Char *text, UINT length) {
  using Unsigned = std::make_unsigned_t<Signed>;
  if (!text)
    return 0;
  const UINT end = EndOf(length);
  UINT i = SkipLeading(text, 0, end, false);
  const bool negative = i < end && text[i] == '-';
  const Unsigned magnitude = Accumulate<Unsigned>(text, i + negative, end);
  return Signed(negative ? Unsigned(0u - magnitude) : magnitude);
}

template <typename Char> double ReadGrouped(const Char *text, UINT length) {
  if (!text)
    return 0;
  const UINT end = EndOf(length);
  UINT i = 0;
  while (i < end && text[i] == ' ')
    ++i;
  double value = 0, factor = 0.1;
  bool negative = false, digits = false, decimal = false;
  for (; i < end; ++i) {
    const Char c = text[i];
    if (IsDigit(c)) {
      digits = true;
      if (decimal) {
        value += (c - '0') * factor;
        factor *= 0.1;
      } else {
        value = value * 10 + (c - '0');
      }
    } else if ((c == '-' || c == '+') && !digits && !decimal) {
      negative = c == '-';
    } else if (c == ',' && !decimal) {
      decimal = true;
    } else if (c != '.' || decimal) {
      break;
    }
  }
  return negative ? -value : value;
}

// Hundredths as Win32's truncating conversion gives them: through a 64-bit
// integer, keeping the low 32 bits.
UINT Hundredths(double value) {
  const double scaled = value * 100 + 0.5;
  if (!(scaled > -9.2e18 && scaled < 9.2e18))
    return 0;
  return UINT(ULONGLONG(LONGLONG(scaled)));
}

} // namespace

UINT FormatMoney(char *buffer, UINT size, double value) {
  if (!buffer || size < 5) {
    if (buffer && size)
      buffer[0] = '\0';
    return 0;
  }
  UINT cents = Hundredths(value);
  char text[16]; // "42.949.672,95" and the terminator at most
  char *p = text + sizeof text;
  *--p = '\0';
  *--p = char('0' + cents % 10);
  *--p = char('0' + cents / 10 % 10);
  *--p = ',';
  UINT whole = cents / 100;
  for (int digit = 0;; ++digit) {
    if (digit && digit % 3 == 0)
      *--p = '.';
    *--p = char('0' + whole % 10);
    whole /= 10;
    if (!whole)
      break;
  }
  const UINT length = UINT(text + sizeof text - 1 - p);
  if (length >= size) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, p, length + 1);
  return length;
}

UINT GroupDigits(char *digits, UINT length) {
  if (!digits)
    return 0;
  const UINT n = length ? length : UINT(std::strlen(digits));
  const UINT sign = n && (digits[0] == '-' || digits[0] == '+');
  const UINT count = n - sign;
  if (count < 4)
    return n;
  const UINT grouped = n + (count - 1) / 3;
  digits[grouped] = '\0';
  // Moving from the right, each group of three lands behind its '.'; the
  // leftmost group and the sign are already in place.
  UINT from = n, to = grouped;
  for (UINT moved = 0; to != from; ++moved) {
    if (moved && moved % 3 == 0)
      digits[--to] = '.';
    digits[--to] = digits[--from];
  }
  return grouped;
}

UINT CopyText(char *buffer, UINT size, const char *text) {
  if (!buffer || !size)
    return 0;
  const UINT length = text ? UINT(strnlen(text, size - 1)) : 0;
  std::memcpy(buffer, text ? text : "", length);
  buffer[length] = '\0';
  return length;
}

UINT CopyWideText(WCHAR *buffer, UINT size, const WCHAR *text) {
  if (!buffer || size < 2)
    return 0;
  const UINT limit = (size - 1) / 2;
  UINT length = 0;
  for (; text && length < limit && text[length]; ++length)
    buffer[length] = text[length];
  buffer[length] = 0;
  return length;
}

INT ReadInt32(const char *text, UINT length) { return ReadSigned<INT>(text, length); }
UINT ReadUInt32(const char *text, UINT length) { return ReadUnsigned<UINT>(text, length); }
LONGLONG ReadInt64(const char *text, UINT length) { return ReadSigned<LONGLONG>(text, length); }
ULONGLONG ReadUInt64(const char *text, UINT length) {
  return ReadUnsigned<ULONGLONG>(text, length);
}
INT ReadInt32(const WCHAR *text, UINT length) { return ReadSigned<INT>(text, length); }
UINT ReadUInt32(const WCHAR *text, UINT length) { return ReadUnsigned<UINT>(text, length); }
LONGLONG ReadInt64(const WCHAR *text, UINT length) { return ReadSigned<LONGLONG>(text, length); }
ULONGLONG ReadUInt64(const WCHAR *text, UINT length) {
  return ReadUnsigned<ULONGLONG>(text, length);
}
double ReadGroupedFloat(const char *text, UINT length) { return ReadGrouped(text, length); }
double ReadGroupedFloat(const WCHAR *text, UINT length) { return ReadGrouped(text, length); }
