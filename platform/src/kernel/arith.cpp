// Integer helpers of the kernel. MulDiv is what layout code uses to scale
// point sizes and dialog units, so its rounding must match Win32's: halves
// go away from zero, and overflow or a zero divisor answers -1.
#include <windows.h>

#include <climits>
#include <cstdint>

int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (nDenominator == 0)
    return -1;
  int64_t product = int64_t(nNumber) * nNumerator;
  int64_t divisor = nDenominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  const int64_t half = divisor / 2;
  const int64_t result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
  if (result > INT_MAX || result < -INT_MAX)
    return -1;
  return int(result);
}
