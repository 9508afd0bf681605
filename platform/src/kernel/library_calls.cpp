// Per-thread notifications of a library's entry point. The layer calls an
// entry point only when the library is loaded and unloaded, never for
// threads, so switching thread notifications off is already the state.
#include <windows.h>

BOOL WINAPI DisableThreadLibraryCalls(HMODULE) { return TRUE; }
