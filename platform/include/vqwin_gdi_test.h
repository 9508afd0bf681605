/*
 * GDI services of our own for tests and hosts, beside the Win32 ones: a PNG
 * of what a device context or bitmap holds, and the one place where fonts
 * are looked up on the system, which a test may replace.
 */
#ifndef VQWIN_GDI_TEST_H
#define VQWIN_GDI_TEST_H

#include "windef.h"

/// Writes the pixels a DC can draw on (a window DC: its clip rectangle; a
/// memory DC: its selected bitmap) to a PNG file. FALSE when the DC is not
/// valid, has no pixels, or the file cannot be written.
WINGDIAPI BOOL WINAPI vqwinGdiSavePng(HDC hdc, const char *path);
/// Writes a bitmap to a PNG file; FALSE on an invalid handle or write error.
WINGDIAPI BOOL WINAPI vqwinGdiSaveBitmapPng(HBITMAP hbm, const char *path);

/// Finds the font file of a family. family is a family name as installed
/// ("Liberation Sans") or one of the generic names "sans-serif", "serif" and
/// "monospace", which must always give some font. weight is 100..900; italic
/// asks for a slanted style. Writes the file path (NUL-terminated) and the
/// face index inside it; returns FALSE when no font of that family exists.
typedef BOOL (*VQWIN_FONT_RESOLVER)(const char *family, int weight, BOOL italic, char *path,
                                    size_t pathSize, int *faceIndex);

/// Replaces the font lookup (NULL restores the system's) and returns the one
/// before. Fonts created afterwards use the new lookup; fonts already
/// realised keep their faces.
WINGDIAPI VQWIN_FONT_RESOLVER WINAPI vqwinGdiSetFontResolver(VQWIN_FONT_RESOLVER resolver);

/// The file path of the face a font realises to (after face-name mapping),
/// or FALSE when the handle is not a font or no face could be found.
WINGDIAPI BOOL WINAPI vqwinGdiGetFontFile(HFONT font, char *path, size_t pathSize);

#endif
