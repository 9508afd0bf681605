/*
 * The one place where the base library touches the operating system: whole
 * files, the pieces of an atomic write, appending log lines and the clock.
 *
 * Every call goes through a table of functions that a test may replace (to
 * make a write fail half way, for instance) and restore. Errors are Win32
 * error numbers whatever the system, so log lines read the same everywhere.
 * This is not a file API for callers of the library.
 */
#ifndef VQ_LIB32_OS_SEAM_H
#define VQ_LIB32_OS_SEAM_H

#include <windows.h>

#include <cstddef>
#include <string>

namespace vq::lib32 {

/// An open file of the seam; kOsNoFile when none.
using OsFile = intptr_t;
inline constexpr OsFile kOsNoFile = -1;

/// Local calendar time, as written into logs and headers.
struct OsTime {
  UINT year, month, day, hour, minute, second, millisecond;
};

/// The replaceable system calls. Each returns 0 or a Win32 error number.
struct OsCalls {
  /// Reads a whole file; a file larger than maxSize gives ERROR_NOT_ENOUGH_MEMORY.
  DWORD (*readWhole)(const char *path, std::string &data, size_t maxSize);
  /// Creates or truncates a file for writing.
  DWORD (*create)(const char *path, OsFile *file);
  /// Opens a file for appending, creating it when missing.
  DWORD (*openAppend)(const char *path, OsFile *file);
  DWORD (*write)(OsFile file, const void *data, size_t size);
  /// Flushes the file's data to the disk.
  DWORD (*sync)(OsFile file);
  DWORD (*close)(OsFile file);
  /// Renames `from` over `to`, replacing it, durably.
  DWORD (*rename)(const char *from, const char *to);
  DWORD (*remove)(const char *path);
  void (*localTime)(OsTime *time);
  /// The value of an environment setting, or NULL.
  const char *(*getEnv)(const char *name);
  /// The process's standard error stream (never closed).
  OsFile (*standardError)();
};

/// The calls in use.
const OsCalls &Os();
/// The system's own calls.
const OsCalls &SystemOsCalls();
/// Replaces the calls in use (NULL restores the system's). The table must
/// outlive its use.
void SetOsCalls(const OsCalls *calls);

} // namespace vq::lib32

#endif
