/*
 * The USER32 text routines of the platform layer: case mapping and
 * character classes over Windows-1252, and wsprintfA/wvsprintfA.
 *
 * On Win32 these are declared by winuser.h; they live in a header of their
 * own here so that the window manager's header stays about windows.
 */
#ifndef VQWIN_TEXT_H
#define VQWIN_TEXT_H

#include <stdarg.h>

#include "windef.h"

#ifndef WINAPIV
#define WINAPIV
#endif

/// Upper-cases a text in place and returns it. When the high bits of the
/// pointer above the low 16 are zero, its low byte is a single character
/// instead, and the result carries that character upper-cased.
WINUSERAPI LPSTR WINAPI CharUpperA(LPSTR lpsz);
/// Lower-cases a text in place, or a single character as CharUpperA does.
WINUSERAPI LPSTR WINAPI CharLowerA(LPSTR lpsz);
/// Whether a Windows-1252 character is an upper case letter.
WINUSERAPI BOOL WINAPI IsCharUpperA(CHAR ch);
/// Whether a Windows-1252 character is a lower case letter (ß and ÿ too,
/// which have no upper case form in the code page).
WINUSERAPI BOOL WINAPI IsCharLowerA(CHAR ch);
/// Upper-cases cchLength bytes in place (terminators included); returns
/// cchLength, or 0 for a NULL buffer.
WINUSERAPI DWORD WINAPI CharUpperBuffA(LPSTR lpsz, DWORD cchLength);
/// Lower-cases cchLength bytes in place; returns cchLength, or 0 for NULL.
WINUSERAPI DWORD WINAPI CharLowerBuffA(LPSTR lpsz, DWORD cchLength);

/// TRUE for the letters of Windows-1252 (accented ones, ß, ª and º among them).
WINUSERAPI BOOL WINAPI IsCharAlphaA(CHAR ch);
/// TRUE for letters and the digits 0-9.
WINUSERAPI BOOL WINAPI IsCharAlphaNumericA(CHAR ch);

/// Formats into lpOut, which receives at most 1024 bytes: 1023 characters
/// and the terminator. Conversions: %d %i %u %x %X %c %C %s %S %p and %%,
/// with the flags '-', '0' and '#', a width, a precision ('.n': most bytes
/// of a text, fewest digits of a number), 'h' (short, narrow) and 'l' (wide
/// for c and s). There is no floating point: any other character after the
/// '%' is written as it stands and takes no argument (so "%f" writes "f").
/// A NULL text argument writes "(null)". Returns the count of characters
/// written, without the terminator.
WINUSERAPI int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...);
/// wsprintfA with its arguments in a va_list.
WINUSERAPI int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist);

#endif
