/*
 * Modules and resources: loading our shared libraries by their Windows
 * names, and reading the resources compiled into them (strings, dialog
 * templates, bitmaps, cursors, icons).
 *
 * An HMODULE (= HINSTANCE) is the address at which the module's first
 * loadable segment, and so its ELF header, is mapped: the same idea as the
 * Windows image base, stable for the module's lifetime and found again
 * from any address inside the module. GetModuleHandleA(NULL) is the
 * executable's base.
 *
 * Resources use Win32's binary layouts: string tables as blocks of 16
 * counted UTF-16 strings, dialogs as DLGTEMPLATEEX, bitmaps as a packed
 * DIB, icons and cursors as group directories over single images.
 *
 * Language: a module may hold one resource under several languages.
 * FindResourceA and LoadStringA choose by the thread's UI language (German,
 * 0x0407, unless SetThreadUILanguage changed it), then neutral, then the
 * same primary language, then US English, then the first one compiled.
 */
#ifndef VQWIN_RESOURCE_H
#define VQWIN_RESOURCE_H

#include "windef.h"

#ifndef VQWIN_LANGID_DEFINED
#define VQWIN_LANGID_DEFINED
typedef WORD LANGID;
#endif
typedef INT_PTR(WINAPI *FARPROC)(void);

#ifndef MAKEINTRESOURCEA
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#endif
#ifndef MAKEINTRESOURCE
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#endif
#ifndef IS_INTRESOURCE
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#endif

#ifndef MAKELANGID
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
#define PRIMARYLANGID(lgid) ((WORD)(lgid)&0x3ff)
#define SUBLANGID(lgid) ((WORD)(lgid) >> 10)
#endif
#ifndef LANG_NEUTRAL
#define LANG_NEUTRAL 0x00
#define LANG_GERMAN 0x07
#define LANG_ENGLISH 0x09
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define SUBLANG_GERMAN 0x01
#define SUBLANG_ENGLISH_US 0x01
#define SUBLANG_ENGLISH_UK 0x02
#endif

#ifndef RT_CURSOR
#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCE((ULONG_PTR)(RT_CURSOR) + 11)
#define RT_GROUP_ICON MAKEINTRESOURCE((ULONG_PTR)(RT_ICON) + 11)
#endif

/* The IDC_* and IDI_* names for LoadCursorA / LoadIconA are in winuser.h. */

/* ---- Modules --------------------------------------------------------------------------------- */

/// Loads a module by its Windows name ("vq_tblrcD.dll" is the shared library
/// libvq_tblrcD.so), searching beside the platform library, beside the
/// executable, then the loader's own path. Each call counts one reference.
/// Fails with NULL and ERROR_MOD_NOT_FOUND when no such module exists,
/// ERROR_INVALID_PARAMETER for a NULL or empty name.
WINBASEAPI HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
/// Drops one reference taken by LoadLibraryA; the last one unloads the
/// module. Modules the process linked against stay loaded. Fails with
/// ERROR_MOD_NOT_FOUND for a handle that is no loaded module.
WINBASEAPI BOOL WINAPI FreeLibrary(HMODULE hLibModule);
/// An exported function or data item of the module itself (not of the
/// libraries it depends on). Fails with ERROR_PROC_NOT_FOUND for an unknown
/// name or an ordinal, ERROR_MOD_NOT_FOUND for a bad handle.
WINBASEAPI FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
/// The handle of a loaded module by its Windows name, NULL for the
/// executable. No reference is counted. Fails with ERROR_MOD_NOT_FOUND.
WINBASEAPI HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
/// The module's full path. A path that does not fit is cut to nSize - 1
/// characters and terminated; the result is then nSize with
/// ERROR_INSUFFICIENT_BUFFER. Otherwise the length without the terminator.
/// 0 with ERROR_MOD_NOT_FOUND for a bad handle.
WINBASEAPI DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

/* ---- Resources ------------------------------------------------------------------------------- */

/// The thread's UI language, which picks among the languages of a resource.
WINBASEAPI LANGID WINAPI GetThreadUILanguage(void);
/// Sets the thread's UI language; 0 restores the default (German). Returns
/// the language now in effect.
WINBASEAPI LANGID WINAPI SetThreadUILanguage(LANGID LangId);

/// A resource by type and name (MAKEINTRESOURCE ids, names compared without
/// case, or "#<number>"). hModule NULL is the executable. Fails with NULL and
/// ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND or
/// ERROR_RESOURCE_DATA_NOT_FOUND (module without resources).
WINBASEAPI HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
/// As FindResourceA in one language only; ERROR_RESOURCE_LANG_NOT_FOUND when
/// the resource exists in other languages.
WINBASEAPI HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName,
                                        WORD wLanguage);
/// The resource's data; it lives as long as the module.
WINBASEAPI HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
WINBASEAPI LPVOID WINAPI LockResource(HGLOBAL hResData);
/// Size of the resource's data in bytes, 0 with ERROR_INVALID_HANDLE for a
/// handle FindResourceA did not give.
WINBASEAPI DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);

/// Copies string uID (Windows-1252) into lpBuffer, cut to cchBufferMax - 1
/// characters and terminated; returns the number of characters copied.
/// A missing string gives 0, an empty buffer and ERROR_RESOURCE_NAME_NOT_FOUND.
WINUSERAPI int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

/// A new bitmap made from a bitmap resource of the module: monochrome when
/// the resource is, otherwise a colour bitmap; delete it with DeleteObject.
/// hInstance NULL (system bitmaps) is not provided. Fails with the errors
/// of FindResourceA, or ERROR_INVALID_PARAMETER for damaged data.
WINUSERAPI HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName);

/// A cursor of the module, or with hInstance NULL a system cursor (IDC_*).
/// The same cursor gives the same handle each time; it is shared and lives
/// as long as its module. Fails with ERROR_RESOURCE_NAME_NOT_FOUND or
/// ERROR_RESOURCE_TYPE_NOT_FOUND, and ERROR_INVALID_PARAMETER for damaged data.
WINUSERAPI HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
/// As LoadCursorA for icons; system icons are IDI_*.
WINUSERAPI HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
/// Shared cursors and icons are never freed; destroying one succeeds and
/// leaves it usable, as on Windows. Any other handle fails with
/// ERROR_INVALID_CURSOR_HANDLE.
WINUSERAPI BOOL WINAPI DestroyCursor(HCURSOR hCursor);
WINUSERAPI BOOL WINAPI DestroyIcon(HICON hIcon);

#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003
#define DI_COMPAT 0x0004
#define DI_DEFAULTSIZE 0x0008

/// Draws an icon (or a cursor of a module) at (x, y), cx by cy pixels: 0
/// takes the icon's own size, or 32 with DI_DEFAULTSIZE. A non-NULL
/// hbrFlickerFree fills the icon's rectangle first. DI_MASK or DI_IMAGE
/// alone draws that part only. System icons (IDI_*) are drawn as the
/// layer's own pictures. Fails with ERROR_INVALID_CURSOR_HANDLE for a handle
/// that is no icon or cursor, ERROR_INVALID_PARAMETER for a NULL DC, an
/// animation step other than 0, no DI_ part or a size above 4096, and
/// ERROR_NOT_SUPPORTED for system cursors.
WINUSERAPI BOOL WINAPI DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth,
                                  int cyWidth, UINT istepIfAniCur, HBRUSH hbrFlickerFreeDraw,
                                  UINT diFlags);
/// DrawIconEx at 32 x 32 pixels with DI_NORMAL.
WINUSERAPI BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon);

#endif
