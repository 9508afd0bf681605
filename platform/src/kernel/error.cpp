// The thread's last error number. Win32 keeps it per thread; so do we, even
// though the library family runs on one thread, so that a host's worker
// threads never see each other's errors.
#include <windows.h>

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD WINAPI GetLastError(void) { return lastError; }

void WINAPI SetLastError(DWORD dwErrCode) { lastError = dwErrCode; }
