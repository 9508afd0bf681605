// The library context every class of vq_tbl32 logs and shows its numbered
// boxes through. Internal: hosts see the library only through vq_tbl32.h.
#ifndef VQ_TBL32_FRAME_LIBRARY_H
#define VQ_TBL32_FRAME_LIBRARY_H

#include <vq_lib32.h>
#include <vq_tbl32.h>

/// The one context of the library. It is exported so that a host (and the
/// tests) can open or capture the library's log.
VQ_TBL32_API extern CVQLibrary theLibrary;

/// The entry point a Windows build exports as DllMain; the Linux build calls
/// it from the loader's constructor and destructor hooks.
extern "C" VQ_TBL32_API BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);

#endif
