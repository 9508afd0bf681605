/*
 * Kernel services of the platform layer: the thread's last error, integer
 * arithmetic, the clock, file attributes, file handles and the byte-string
 * routines.
 *
 * Paths that enter here may use '\' or '/' as separator, and a drive letter
 * maps to a native directory ("C:" is "/" unless vqwin_seams.h says
 * otherwise). Single-byte texts are Windows-1252.
 */
#ifndef VQWIN_WINBASE_H
#define VQWIN_WINBASE_H

#include "windef.h"

/// The calling thread's last error number, as set by the last failing call.
WINBASEAPI DWORD WINAPI GetLastError(void);
/// Sets the calling thread's last error number.
WINBASEAPI void WINAPI SetLastError(DWORD dwErrCode);

/// Asks that the module's entry point not be called for thread attach and
/// detach. The layer never sends those notifications, so there is nothing
/// to switch off: the call always succeeds.
WINBASEAPI BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule);

/// (nNumber * nNumerator) / nDenominator with a 64-bit intermediate, rounded
/// half away from zero. Returns -1 when nDenominator is 0 or the result does
/// not fit in 32 bits.
WINBASEAPI int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator);

/* ---- Time ------------------------------------------------------------- */

typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek; /* 0 = Sunday */
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

/// The current date and time in UTC.
WINBASEAPI void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime);
/// The current date and time in the local time zone.
WINBASEAPI void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);
/// Milliseconds since the system started; wraps to 0 after about 49.7 days.
WINBASEAPI DWORD WINAPI GetTickCount(void);

/// Sounds nothing: there is no speaker to drive. Returns TRUE. With the
/// environment variable VQWIN_TRACE set (to anything but "" or "0") it writes
/// one line "vqwin: Beep(<frequency>, <duration>)" to standard error.
WINBASEAPI BOOL WINAPI Beep(DWORD dwFreq, DWORD dwDuration);

/* ---- Files ------------------------------------------------------------ */

#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400

/// The attributes of a file or directory: FILE_ATTRIBUTE_DIRECTORY for a
/// directory, FILE_ATTRIBUTE_READONLY when no write permission bit is set,
/// FILE_ATTRIBUTE_NORMAL for a file with neither. Symbolic links are
/// followed. Failure gives INVALID_FILE_ATTRIBUTES with the last error:
/// ERROR_INVALID_PARAMETER (no path), ERROR_FILENAME_EXCED_RANGE (MAX_PATH
/// characters or more), ERROR_INVALID_NAME (wildcards or '<', '>', '"', '|'),
/// ERROR_FILE_NOT_FOUND (the last part is missing), ERROR_PATH_NOT_FOUND (a
/// directory on the way, or the drive, is missing; also the empty path),
/// ERROR_ACCESS_DENIED.
WINBASEAPI DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName);

/* ---- File handles ----------------------------------------------------- */

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define GENERIC_READ 0x80000000L
#define GENERIC_WRITE 0x40000000L
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;

/// Opens or creates a file for reading (GENERIC_READ) and/or writing
/// (GENERIC_WRITE) with one of the five dispositions; the share mode,
/// security attributes, flags and template are taken but not enforced (the
/// host file system has no mandatory sharing). CREATE_ALWAYS and OPEN_ALWAYS
/// leave ERROR_ALREADY_EXISTS as the last error when the file was there
/// (success), 0 otherwise. Failure gives INVALID_HANDLE_VALUE with the path
/// errors of GetFileAttributesA, ERROR_FILE_EXISTS (CREATE_NEW on an
/// existing file), ERROR_ACCESS_DENIED (a directory, or no permission) or
/// ERROR_INVALID_PARAMETER (no access or an unknown disposition).
WINBASEAPI HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                     LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                                     DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                                     HANDLE hTemplateFile);
/// Reads up to nNumberOfBytesToRead bytes at the file position; at the end
/// of the file it succeeds with 0 bytes read. Overlapped reads are not
/// offered (ERROR_INVALID_PARAMETER). ERROR_INVALID_HANDLE for a handle
/// that is not an open file, ERROR_ACCESS_DENIED without read access,
/// ERROR_READ_FAULT when the system refuses the read.
WINBASEAPI BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                                LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped);
/// Writes the bytes at the file position; errors as ReadFile, with
/// ERROR_WRITE_FAULT, or ERROR_DISK_FULL when the device has no room.
WINBASEAPI BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                 LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
/// Closes a handle from CreateFileA; ERROR_INVALID_HANDLE for any other.
WINBASEAPI BOOL WINAPI CloseHandle(HANDLE hObject);
/// Deletes a file. ERROR_ACCESS_DENIED for a directory or without
/// permission, the path errors of GetFileAttributesA otherwise.
WINBASEAPI BOOL WINAPI DeleteFileA(LPCSTR lpFileName);

/* ---- Directory search ------------------------------------------------ */

typedef struct _WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *PWIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

/// Starts a search of the entries of one directory whose names match the
/// last part of lpFileName: '*' any run, '?' any one character, without
/// regard to case; "*.*" matches every name and a pattern ending in ".*"
/// also the names without a dot. A last part without jokers finds that one
/// entry. "." and ".." come first except in the root of a drive.
///
/// Names are Windows-1252: a character of the system's name that the code
/// page cannot carry arrives as '?', as Win32 does, which no later call
/// can open. Sizes and times are the entry's own, symbolic links followed;
/// a link is marked FILE_ATTRIBUTE_REPARSE_POINT. Entries that vanish
/// between listing and asking are left out. The system keeps no creation
/// time, so ftCreationTime is the last write time.
///
/// Failure gives INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND (nothing
/// matches), ERROR_PATH_NOT_FOUND (no such directory),
/// ERROR_ACCESS_DENIED (the directory cannot be read),
/// ERROR_FILENAME_EXCED_RANGE (MAX_PATH characters or more) or
/// ERROR_INVALID_PARAMETER (no path or no data).
WINBASEAPI HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);
/// The next matching entry; FALSE with ERROR_NO_MORE_FILES at the end,
/// ERROR_INVALID_HANDLE for a handle that is no open search.
WINBASEAPI BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);
/// Ends a search; ERROR_INVALID_HANDLE for a handle that is no open search.
WINBASEAPI BOOL WINAPI FindClose(HANDLE hFindFile);

/* ---- Drives and volumes ---------------------------------------------- */

#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

#define FILE_CASE_SENSITIVE_SEARCH 0x00000001
#define FILE_CASE_PRESERVED_NAMES 0x00000002
#define FILE_UNICODE_ON_DISK 0x00000004
#define FILE_READ_ONLY_VOLUME 0x00080000

/// Bit n set for each drive letter 'A' + n that names a directory. A
/// letter is a mount point of the system: C: the root (or the directory
/// VqwinSetDriveRoot or VQWIN_DRIVE_C names), D: onwards the other mount
/// points worth showing, in the order of the mount table; a letter given
/// its own directory keeps it and the mount points take the next free
/// ones. Pseudo file systems (proc, sysfs, cgroup, ...), the mount points
/// below /proc, /sys, /dev and /run, and files mounted over files get no
/// letter.
WINBASEAPI DWORD WINAPI GetLogicalDrives(void);
/// The kind of the drive whose root is lpRootPathName ("X:\", "X:" or the
/// native mount point itself; NULL: C:), from the mount holding it:
/// network file systems DRIVE_REMOTE, tmpfs and ramfs DRIVE_RAMDISK, ISO
/// 9660 and UDF (or an sr device) DRIVE_CDROM, a block device the system
/// calls removable DRIVE_REMOVABLE, anything else DRIVE_FIXED.
/// DRIVE_NO_ROOT_DIR for a letter without a directory or a path that is
/// no root.
WINBASEAPI UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName);
/// The volume of a drive root ("X:\"; NULL: C:): its label (from the
/// system's labels of block devices; empty for others), a serial number
/// from the file system id, the longest name the file system takes, flags
/// (case-sensitive and case-preserving names, FILE_READ_ONLY_VOLUME for a
/// read-only mount) and the file system's name in capitals ("EXT4",
/// "NFS4", "TMPFS", "ISO9660"). Every out pointer may be NULL. Failure:
/// FALSE with ERROR_INVALID_NAME (not a root), ERROR_PATH_NOT_FOUND (no
/// such drive, or its directory is gone), ERROR_NOT_READY (a removable or
/// optical drive without a medium), ERROR_ACCESS_DENIED, ERROR_BAD_NETPATH
/// (the server of a network drive does not answer) or
/// ERROR_INSUFFICIENT_BUFFER (a buffer too small for its text).
WINBASEAPI BOOL WINAPI GetVolumeInformationA(LPCSTR lpRootPathName, LPSTR lpVolumeNameBuffer,
                                             DWORD nVolumeNameSize, LPDWORD lpVolumeSerialNumber,
                                             LPDWORD lpMaximumComponentLength,
                                             LPDWORD lpFileSystemFlags,
                                             LPSTR lpFileSystemNameBuffer,
                                             DWORD nFileSystemNameSize);
/// Sends a control code to a device opened with CreateFileA as "\\.\X:".
/// Only IOCTL_DISK_PERFORMANCE (winioctl.h) is known: the counters of the
/// drive's block device. FALSE with ERROR_INVALID_HANDLE (no device
/// handle), ERROR_INVALID_FUNCTION (another code, or a device without
/// counters), ERROR_INSUFFICIENT_BUFFER (the output does not fit) or
/// ERROR_INVALID_PARAMETER (overlapped calls are not offered).
WINBASEAPI BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer,
                                       DWORD nInBufferSize, LPVOID lpOutBuffer,
                                       DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                                       LPOVERLAPPED lpOverlapped);

/* ---- Code pages ------------------------------------------------------- */

#define CP_ACP 0
#define CP_UTF8 65001

/// Converts UTF-16 to Windows-1252 (CP_ACP) or UTF-8 (CP_UTF8).
/// cchWideChar -1 converts up to and with the terminator. A character
/// without a byte in Windows-1252 becomes lpDefaultChar (NULL: '?') and
/// sets *lpUsedDefaultChar. cbMultiByte 0 asks for the size needed.
/// Returns the bytes written, or 0 with ERROR_INSUFFICIENT_BUFFER or
/// ERROR_INVALID_PARAMETER (another code page, flags, or no text).
WINBASEAPI int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr,
                                          int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                                          LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar);

/* ---- Byte strings ----------------------------------------------------- */

/// The length of a text in bytes; 0 for NULL.
WINBASEAPI int WINAPI lstrlenA(LPCSTR lpString);
/// Compares two texts as CompareStringA does without flags (word sort, case
/// with lower case first). Returns -1, 0 or 1. NULL compares as the empty text.
WINBASEAPI int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
/// Compares two texts as CompareStringA does with NORM_IGNORECASE. Returns
/// -1, 0 or 1. NULL compares as the empty text.
WINBASEAPI int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);

/* ---- Locales ---------------------------------------------------------- */

/* Language ids and their macros come with the resource header. */
typedef DWORD LCID;
#define MAKELCID(lgid, srtid) ((DWORD)((((DWORD)((WORD)(srtid))) << 16) | ((DWORD)((WORD)(lgid)))))
#define SORT_DEFAULT 0x0
#define LOCALE_INVARIANT 0x007f
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_SYSTEM_DEFAULT 0x0800

#define NORM_IGNORECASE 0x00000001
#define NORM_IGNORENONSPACE 0x00000002
#define NORM_IGNORESYMBOLS 0x00000004
#define SORT_STRINGSORT 0x00001000
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3

/// Compares two Windows-1252 texts by the one sort order the layer knows,
/// whatever the locale: symbols before digits before letters, accented
/// letters after their base letter, lower case before upper case, "ß" equal
/// to "ss". Without SORT_STRINGSORT (word sort) hyphens and apostrophes
/// weigh only when the texts are otherwise equal, and then make a text
/// greater; with it they are ordinary symbols. A count of -1 means up to the
/// terminator. Returns CSTR_LESS_THAN, CSTR_EQUAL or CSTR_GREATER_THAN; 0
/// with ERROR_INVALID_PARAMETER for a NULL text, ERROR_INVALID_FLAGS for a
/// flag outside NORM_IGNORECASE, NORM_IGNORENONSPACE, NORM_IGNORESYMBOLS and
/// SORT_STRINGSORT.
WINBASEAPI int WINAPI CompareStringA(LCID Locale, DWORD dwCmpFlags, LPCSTR lpString1, int cchCount1,
                                     LPCSTR lpString2, int cchCount2);
/// The ANSI code page: always 1252, the layer's single-byte character set.
WINBASEAPI UINT WINAPI GetACP(void);

/// The calling thread's identifier, as PostThreadMessageA takes it.
WINBASEAPI DWORD WINAPI GetCurrentThreadId(void);
/// Copies lpString2 with its terminator over lpString1. NULL for either
/// argument gives NULL.
WINBASEAPI LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
/// Copies at most iMaxLength - 1 bytes of lpString2 and a terminator. An
/// iMaxLength of 0 or less writes nothing. NULL for either text gives NULL.
WINBASEAPI LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength);
/// Appends lpString2 to lpString1. NULL for either argument gives NULL.
WINBASEAPI LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2);

/* Reasons a library's entry point is called with. */
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#endif
