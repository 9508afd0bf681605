// Bounded forms of the value text readers and the digit writer that the
// field conversions share. The exported readers take "length 0 = up to the
// terminator"; a field of the record has an exact byte count instead, and a
// field of size 0 must read nothing rather than run on to a terminator that
// may lie far behind it. Every reader here also stops at a NUL byte.
// Internal to vq_tbl32.
#ifndef VQ_TBL32_DESC_VALUE_TEXT_H
#define VQ_TBL32_DESC_VALUE_TEXT_H

#include <vq_tbl32.h>

#include <cstddef>

namespace vqdesc {

constexpr char kTag[] = "CVQFieldDesc";

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

ULONGLONG UnsignedDigits(const char *text, size_t n);
LONGLONG SignedDigits(const char *text, size_t n);
LONGLONG DecimalText(const char *text, size_t n, UINT decimals);
double FloatText(const char *text, size_t n);
int DigitTexts(const char *a, size_t na, const char *b, size_t nb);

/// Writes the decimal digits of `value` at `buffer` (at most 20, not
/// terminated) and returns their count.
UINT WriteDigits(char *buffer, ULONGLONG value);

} // namespace vqdesc

#endif
