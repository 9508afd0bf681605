// The engine calls of the table browser, in one table that a test may
// replace to count or fail them. The browser reaches the engine only
// through theTableEngine; it starts out as the engine's own functions.
// Internal: hosts see the library only through vq_tbl32.h.
#ifndef VQ_TBL32_DATA_TABLE_ENGINE_H
#define VQ_TBL32_DATA_TABLE_ENGINE_H

#include <vq_isa32.h>
#include <vq_tbl32.h>

struct STableEngine {
  UINT(WINAPI *Open)(HISAMFILE *file, LPCSTR path, UINT mode, UINT *detail);
  UINT(WINAPI *Close)(HISAMFILE file, UINT *detail);
  UINT(WINAPI *OpenTable)(HISAMFILE file, LPCSTR name, HISAMTABLE *table);
  UINT(WINAPI *CloseTable)(HISAMTABLE table);
  UINT(WINAPI *GetDataRecSize)(HISAMTABLE table, UINT *size);
  UINT(WINAPI *GetIndexDesc)(HISAMTABLE table, UINT index, void *description);
  UINT(WINAPI *SetupIterationLimits)
  (HISAMTABLE table, UINT index, UINT flags, LPCVOID low, LPCVOID high);
  UINT(WINAPI *SetupIterationAddress)
  (HISAMTABLE table, UINT index, UINT mode, DWORD address, UINT reserved);
  UINT(WINAPI *ReadNextRecord)
  (HISAMTABLE table, UINT index, void *buffer, DWORD *address, UINT reserved);
  UINT(WINAPI *ReadRecordByAddress)
  (HISAMTABLE table, DWORD address, void *buffer, UINT size, UINT reserved);
  UINT(WINAPI *DispError)(LPCVOID subject, LPCSTR function, UINT error, HWND owner);
};

/// A count remembers the address of every kLineAnchorStride-th passing
/// record, and of the first passing record after kAnchorVisitStride
/// records read without one, so that a line far from the cached ones is
/// walked to from the nearest of them.
inline constexpr UINT kLineAnchorStride = 256;
inline constexpr UINT kAnchorVisitStride = 4096;

/// The engine's own calls, to restore a replaced table.
VQ_TBL32_API extern const STableEngine kIsamTableEngine;
VQ_TBL32_API extern STableEngine theTableEngine;

#endif
