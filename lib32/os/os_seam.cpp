/*
 * The system side of the base library's OS seam: Win32 file calls on
 * Windows, POSIX calls elsewhere. The local time comes from the Win32 call
 * everywhere: on Linux the platform layer answers it from its own clock,
 * which tests set, so dates written into files follow the same clock as
 * message times and timers. Nothing else in the library includes a system
 * header for files, time or the environment.
 */
#include "os/os_seam.h"

#include <windows.h>

#include <cstdlib>

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vq::lib32 {
namespace {

#ifdef _WIN32

HANDLE ToHandle(OsFile file) { return reinterpret_cast<HANDLE>(file); }

DWORD WinReadWhole(const char *path, std::string &data, size_t maxSize) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, NULL);
  if (h == INVALID_HANDLE_VALUE)
    return GetLastError();
  LARGE_INTEGER size;
  DWORD rc = 0;
  if (!GetFileSizeEx(h, &size))
    rc = GetLastError();
  else if (static_cast<ULONGLONG>(size.QuadPart) > maxSize)
    rc = ERROR_NOT_ENOUGH_MEMORY;
  else {
    data.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < data.size()) {
      DWORD got = 0;
      if (!ReadFile(h, &data[done], static_cast<DWORD>(data.size() - done), &got, NULL)) {
        rc = GetLastError();
        break;
      }
      if (got == 0)
        break;
      done += got;
    }
    data.resize(done);
  }
  CloseHandle(h);
  return rc;
}

DWORD WinOpen(const char *path, DWORD access, DWORD disposition, OsFile *file) {
  HANDLE h = CreateFileA(path, access, 0, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
  if (h == INVALID_HANDLE_VALUE)
    return GetLastError();
  *file = reinterpret_cast<OsFile>(h);
  return 0;
}

DWORD WinCreate(const char *path, OsFile *file) {
  return WinOpen(path, GENERIC_WRITE, CREATE_ALWAYS, file);
}

DWORD WinOpenAppend(const char *path, OsFile *file) {
  return WinOpen(path, FILE_APPEND_DATA, OPEN_ALWAYS, file);
}

DWORD WinWrite(OsFile file, const void *data, size_t size) {
  const char *p = static_cast<const char *>(data);
  while (size > 0) {
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size), done = 0;
    if (!WriteFile(ToHandle(file), p, chunk, &done, NULL))
      return GetLastError();
    p += done;
    size -= done;
  }
  return 0;
}

DWORD WinSync(OsFile file) { return FlushFileBuffers(ToHandle(file)) ? 0 : GetLastError(); }
DWORD WinClose(OsFile file) { return CloseHandle(ToHandle(file)) ? 0 : GetLastError(); }

DWORD WinRename(const char *from, const char *to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0
                                                                                   : GetLastError();
}

DWORD WinRemove(const char *path) { return DeleteFileA(path) ? 0 : GetLastError(); }

#else

// The Win32 numbers for the errno values a file call can meet.
DWORD FromErrno(int e) {
  switch (e) {
  case ENOENT:
    return ERROR_FILE_NOT_FOUND;
  case ENOTDIR:
  case ENAMETOOLONG:
    return ERROR_PATH_NOT_FOUND;
  case EACCES:
  case EPERM:
  case EISDIR:
  case EROFS:
    return ERROR_ACCESS_DENIED;
  case ENOSPC:
  case EDQUOT:
    return ERROR_DISK_FULL;
  case ENOMEM:
    return ERROR_NOT_ENOUGH_MEMORY;
  case EBADF:
    return ERROR_INVALID_HANDLE;
  default:
    return ERROR_WRITE_FAULT;
  }
}

// Hosts written for Windows hand in '\' separators.
std::string NativePath(const char *path) {
  std::string p(path);
  for (char &c : p)
    if (c == '\\')
      c = '/';
  return p;
}

DWORD PosixReadWhole(const char *path, std::string &data, size_t maxSize) {
  int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return FromErrno(errno);
  struct stat st;
  DWORD rc = 0;
  if (fstat(fd, &st) != 0)
    rc = FromErrno(errno);
  else if (S_ISDIR(st.st_mode))
    rc = ERROR_ACCESS_DENIED;
  else if (static_cast<unsigned long long>(st.st_size) > maxSize)
    rc = ERROR_NOT_ENOUGH_MEMORY;
  else {
    data.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < data.size()) {
      ssize_t got = ::read(fd, &data[done], data.size() - done);
      if (got < 0 && errno == EINTR)
        continue;
      if (got < 0) {
        rc = FromErrno(errno);
        break;
      }
      if (got == 0)
        break;
      done += static_cast<size_t>(got);
    }
    data.resize(done);
  }
  ::close(fd);
  return rc;
}

DWORD PosixOpen(const char *path, int flags, OsFile *file) {
  int fd = ::open(NativePath(path).c_str(), flags | O_CLOEXEC, 0644);
  // Creating in a missing folder is a missing path to Windows, not a missing file.
  if (fd < 0 && errno == ENOENT && (flags & O_CREAT))
    return ERROR_PATH_NOT_FOUND;
  if (fd < 0)
    return FromErrno(errno);
  *file = fd;
  return 0;
}

DWORD PosixCreate(const char *path, OsFile *file) {
  return PosixOpen(path, O_WRONLY | O_CREAT | O_TRUNC, file);
}

DWORD PosixOpenAppend(const char *path, OsFile *file) {
  return PosixOpen(path, O_WRONLY | O_CREAT | O_APPEND, file);
}

DWORD PosixWrite(OsFile file, const void *data, size_t size) {
  const char *p = static_cast<const char *>(data);
  while (size > 0) {
    ssize_t done = ::write(static_cast<int>(file), p, size);
    if (done < 0 && errno == EINTR)
      continue;
    if (done < 0)
      return FromErrno(errno);
    p += done;
    size -= static_cast<size_t>(done);
  }
  return 0;
}

DWORD PosixSync(OsFile file) { return ::fsync(static_cast<int>(file)) == 0 ? 0 : FromErrno(errno); }
DWORD PosixClose(OsFile file) {
  return ::close(static_cast<int>(file)) == 0 ? 0 : FromErrno(errno);
}

DWORD PosixRename(const char *from, const char *to) {
  const std::string target = NativePath(to);
  if (::rename(NativePath(from).c_str(), target.c_str()) != 0)
    return FromErrno(errno);
  // The rename itself lives in the folder; flush it too so it survives a crash.
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return 0;
}

DWORD PosixRemove(const char *path) {
  return ::unlink(NativePath(path).c_str()) == 0 ? 0 : FromErrno(errno);
}

#endif

void SystemLocalTime(OsTime *time) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  *time = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

const char *SystemGetEnv(const char *name) { return std::getenv(name); }

#ifdef _WIN32
OsFile SystemStandardError() { return reinterpret_cast<OsFile>(GetStdHandle(STD_ERROR_HANDLE)); }
#else
OsFile SystemStandardError() { return STDERR_FILENO; }
#endif

#ifdef _WIN32
const OsCalls kSystemCalls = {WinReadWhole,    WinCreate,    WinOpenAppend,      WinWrite,
                              WinSync,         WinClose,     WinRename,          WinRemove,
                              SystemLocalTime, SystemGetEnv, SystemStandardError};
#else
const OsCalls kSystemCalls = {PosixReadWhole,  PosixCreate,  PosixOpenAppend,    PosixWrite,
                              PosixSync,       PosixClose,   PosixRename,        PosixRemove,
                              SystemLocalTime, SystemGetEnv, SystemStandardError};
#endif

const OsCalls *current = &kSystemCalls;

} // namespace

const OsCalls &Os() { return *current; }
const OsCalls &SystemOsCalls() { return kSystemCalls; }
void SetOsCalls(const OsCalls *calls) { current = calls ? calls : &kSystemCalls; }

} // namespace vq::lib32
