/*
 * vq_tbl32: the data table description manager of the vq library family.
 *
 * This is the library's one public header. It declares every exported
 * class, function and data item; hosts include it after <windows.h>
 * exactly as on Windows.
 */
#ifndef VQ_TBL32_H
#define VQ_TBL32_H

#include <windows.h>

#if defined(_WIN32)
#if defined(VQ_TBL32_EXPORTS)
#define VQ_TBL32_API __declspec(dllexport)
#else
#define VQ_TBL32_API __declspec(dllimport)
#endif
#else
#define VQ_TBL32_API __attribute__((visibility("default")))
#endif

/* ---- Library entry, version and language ------------------------------ */

extern "C" {
/// The release number, "1.00", as a zero-terminated text.
VQ_TBL32_API extern const char DllVersion[];
/// The build number, "0087", as a zero-terminated text.
VQ_TBL32_API extern const char DllBuild[];

/// The library's version: major release in the high byte, minor in the low
/// byte (256 for release 1.00), whatever language is set.
VQ_TBL32_API UINT vqGetTbl32Version(void);
}

#endif
