/*
 * Where printed documents go. This header is the layer's own, not Win32:
 * tests and hosts include it, library code never does.
 *
 * The PDF file of a document is, in this order of precedence:
 * 1. DOCINFOA.lpszOutput, when StartDocA gets one;
 * 2. the path set with vqwinSetPrintOutput;
 * 3. the environment setting VQWIN_PRINT_OUTPUT;
 * 4. "vqwin-print-<process id>-<job id>.pdf" in TMPDIR (or /tmp).
 * A document is written to "<path>.part" and renamed to the path by EndDoc,
 * so a path never holds half a document; a later document to the same path
 * replaces the earlier one.
 */
#ifndef VQWIN_PRINT_H
#define VQWIN_PRINT_H

#include "windef.h"

/// Sets the path of every following document; NULL returns to the
/// environment setting and the default. FALSE with ERROR_FILENAME_EXCED_RANGE
/// for a path of MAX_PATH characters or more.
WINGDIAPI BOOL WINAPI vqwinSetPrintOutput(LPCSTR path);
/// The path of the last document that EndDoc finished, copied into
/// `buffer`; returns its length, 0 when none was finished (or `size` is 0).
WINGDIAPI UINT WINAPI vqwinGetLastPrintOutput(LPSTR buffer, UINT size);
/// The number of pages of that document.
WINGDIAPI UINT WINAPI vqwinGetLastPrintPages(void);

#endif
