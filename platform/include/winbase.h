/*
 * Kernel services of the platform layer: the thread's last error and
 * integer arithmetic helpers.
 */
#ifndef VQWIN_WINBASE_H
#define VQWIN_WINBASE_H

#include "windef.h"

/// The calling thread's last error number, as set by the last failing call.
WINBASEAPI DWORD WINAPI GetLastError(void);
/// Sets the calling thread's last error number.
WINBASEAPI void WINAPI SetLastError(DWORD dwErrCode);

/// (nNumber * nNumerator) / nDenominator with a 64-bit intermediate, rounded
/// half away from zero. Returns -1 when nDenominator is 0 or the result does
/// not fit in 32 bits.
WINBASEAPI int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator);

#endif
