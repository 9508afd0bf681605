// The file-system seam, the drive table and the path translation every
// path-taking function of the layer goes through; GetFileAttributesA and
// the file handles (CreateFileA, ReadFile, WriteFile, CloseHandle,
// DeleteFileA).
//
// Win32 says "file not found" when only the last part of a path is missing
// and "path not found" when a directory on the way is; POSIX says ENOENT for
// both, so a missing entry's parent is asked too.
#include "host.h"

#include "cp1252.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unordered_set>

namespace vqwin::kernel {
namespace {

int HostStatus(const char *nativePath, VQWIN_FILE_STATUS *status, void *) {
  struct stat st {};
  if (stat(nativePath, &st) != 0)
    return errno;
  status->isDirectory = S_ISDIR(st.st_mode);
  status->isWritable = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  return 0;
}

int HostOpen(const char *nativePath, int flags, int mode, int *descriptor, void *) {
  const int fd = ::open(nativePath, flags | O_CLOEXEC, mode);
  if (fd < 0)
    return errno;
  *descriptor = fd;
  return 0;
}

int HostRemove(const char *nativePath, void *) { return ::unlink(nativePath) == 0 ? 0 : errno; }

constexpr VQWIN_FILE_SYSTEM kHostFileSystem = {HostStatus, nullptr, HostOpen, HostRemove};
VQWIN_FILE_SYSTEM currentFileSystem = kHostFileSystem;

// A mapping set through VqwinSetDriveRoot wins over the environment; an
// explicit "" removes the drive, even C:.
std::optional<std::string> driveRoots[26];

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string ParentOf(const std::string &path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

DWORD ErrorOf(int err) {
  switch (err) {
  case ENOTDIR:
    return ERROR_PATH_NOT_FOUND;
  case EACCES:
  case EPERM:
  case EISDIR:
  case EROFS:
    return ERROR_ACCESS_DENIED;
  case ENAMETOOLONG:
    return ERROR_FILENAME_EXCED_RANGE;
  case EEXIST:
    return ERROR_FILE_EXISTS;
  case EBUSY:
  case ETXTBSY:
    return ERROR_SHARING_VIOLATION;
  case ENOSPC:
    return ERROR_DISK_FULL;
  default:
    return ERROR_FILE_NOT_FOUND;
  }
}

// The Win32 error of a failed query of an entry: a missing last part is
// "file not found", a missing directory on the way "path not found".
DWORD MissingError(int err, const std::string &native);

// An open file: what CreateFileA hands out. Handles are checked against the
// live set, so a stale or foreign handle is an error, not a crash.
struct FileObject {
  int fd;
  bool canRead, canWrite;
};
std::unordered_set<FileObject *> openFiles;

FileObject *FileOf(HANDLE handle) {
  auto *file = static_cast<FileObject *>(handle);
  return openFiles.count(file) ? file : nullptr;
}

} // namespace

std::optional<std::string> ConfiguredDriveRoot(char letter) {
  if (!IsLetter(letter))
    return std::nullopt;
  const int index = (letter | 0x20) - 'a';
  if (driveRoots[index])
    return driveRoots[index];
  const char name[] = {
      'V', 'Q', 'W', 'I', 'N', '_', 'D', 'R', 'I', 'V', 'E', '_', char(letter & ~0x20), '\0'};
  if (const char *env = std::getenv(name); env && *env)
    return std::string(env);
  return std::nullopt;
}

std::optional<std::string> DriveRoot(char letter) {
  if (!IsLetter(letter))
    return std::nullopt;
  if (auto configured = ConfiguredDriveRoot(letter))
    return configured->empty() ? std::nullopt : configured;
  if ((letter | 0x20) == 'c')
    return std::string("/");
  return MountedDriveRoot(letter);
}

int FileStatus(const std::string &nativePath, VQWIN_FILE_STATUS &status) {
  status = {};
  return currentFileSystem.status(nativePath.c_str(), &status, currentFileSystem.context);
}

bool ListDirectory(const std::string &nativePath, std::vector<DirectoryEntry> &out) {
  out.clear();
  DIR *dir = opendir(nativePath.c_str());
  if (!dir)
    return false;
  while (const dirent *e = readdir(dir)) {
    if (e->d_name[0] == '.')
      continue;
    // Asked through the seam, so a test's file system decides what a
    // directory is here as everywhere else.
    VQWIN_FILE_STATUS status;
    const std::string full = nativePath + (nativePath.ends_with('/') ? "" : "/") + e->d_name;
    if (FileStatus(full, status) != 0)
      continue;
    // A name the code page cannot carry could not be opened again.
    std::string name;
    if (!cp1252::FromUtf8(e->d_name, std::strlen(e->d_name), name))
      continue;
    out.push_back(DirectoryEntry{name, status.isDirectory != FALSE});
  }
  closedir(dir);
  return true;
}

std::string WorkingDirectory() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string("/");
}

bool ToNativePath(const char *path, std::string &native, DWORD &error) {
  if (!path) {
    error = ERROR_INVALID_PARAMETER;
    return false;
  }
  const size_t length = std::strlen(path);
  if (length >= MAX_PATH) {
    error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  if (length == 0) {
    error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  if (std::strpbrk(path, "*?<>\"|")) {
    error = ERROR_INVALID_NAME;
    return false;
  }
  const char *rest = path;
  native.clear();
  if (IsLetter(path[0]) && path[1] == ':') {
    const std::optional<std::string> root = DriveRoot(path[0]);
    if (!root) {
      error = ERROR_PATH_NOT_FOUND;
      return false;
    }
    // "C:name" is relative to the drive's current directory on Win32; the
    // layer keeps no such directory, so it means the drive's root.
    native = *root;
    rest = path + 2;
    while (*rest == '\\' || *rest == '/')
      ++rest;
    if (native.empty() || native.back() != '/')
      native += '/';
  }
  // Names are Windows-1252 here and UTF-8 on the system.
  for (const char *run = rest; *rest; run = rest) {
    while (*rest && *rest != '\\')
      ++rest;
    cp1252::AppendUtf8(native, run, size_t(rest - run));
    if (*rest) {
      native += '/';
      ++rest;
    }
  }
  return true;
}

} // namespace vqwin::kernel

void WINAPI VqwinSetFileSystem(const VQWIN_FILE_SYSTEM *fileSystem) {
  using namespace vqwin::kernel;
  currentFileSystem = fileSystem && fileSystem->status ? *fileSystem : kHostFileSystem;
}

BOOL WINAPI VqwinSetDriveRoot(char letter, const char *root) {
  using namespace vqwin::kernel;
  if (!IsLetter(letter))
    return FALSE;
  std::optional<std::string> &mapping = driveRoots[(letter | 0x20) - 'a'];
  if (root)
    mapping = std::string(root);
  else
    mapping.reset();
  return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  using namespace vqwin::kernel;
  std::string native;
  DWORD error = ERROR_SUCCESS;
  if (!ToNativePath(lpFileName, native, error)) {
    SetLastError(error);
    return INVALID_FILE_ATTRIBUTES;
  }
  VQWIN_FILE_STATUS status;
  if (const int err = FileStatus(native, status); err != 0) {
    SetLastError(MissingError(err, native));
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = status.isDirectory ? FILE_ATTRIBUTE_DIRECTORY : 0;
  if (!status.isWritable)
    attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

namespace vqwin::kernel {
namespace {

DWORD MissingError(int err, const std::string &native) {
  VQWIN_FILE_STATUS parent;
  if (err == ENOENT && (FileStatus(ParentOf(native), parent) != 0 || !parent.isDirectory))
    return ERROR_PATH_NOT_FOUND;
  return ErrorOf(err);
}

int OpenFlags(DWORD access, DWORD disposition, bool &valid) {
  valid = true;
  const bool read = access & GENERIC_READ, write = access & GENERIC_WRITE;
  int flags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  switch (disposition) {
  case CREATE_NEW:
    return flags | O_CREAT | O_EXCL;
  case CREATE_ALWAYS:
    return flags | O_CREAT | O_TRUNC;
  case OPEN_EXISTING:
    return flags;
  case OPEN_ALWAYS:
    return flags | O_CREAT;
  case TRUNCATE_EXISTING:
    valid = write; // Win32 asks for write access to truncate
    return flags | O_TRUNC;
  default:
    valid = false;
    return 0;
  }
}

} // namespace
} // namespace vqwin::kernel

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD, HANDLE) {
  using namespace vqwin::kernel;
  if (IsDevicePath(lpFileName))
    return OpenDevice(lpFileName, dwDesiredAccess, dwCreationDisposition);
  std::string native;
  DWORD error = ERROR_SUCCESS;
  if (!ToNativePath(lpFileName, native, error)) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  bool valid = false;
  const int flags = OpenFlags(dwDesiredAccess, dwCreationDisposition, valid);
  if (!valid || !(dwDesiredAccess & (GENERIC_READ | GENERIC_WRITE))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  VQWIN_FILE_STATUS status;
  const int statusError = FileStatus(native, status);
  const bool existed = statusError == 0;
  if (existed && status.isDirectory) {
    SetLastError(ERROR_ACCESS_DENIED); // Win32 opens directories only with backup semantics
    return INVALID_HANDLE_VALUE;
  }
  if (!existed && !(flags & O_CREAT)) {
    SetLastError(MissingError(statusError, native));
    return INVALID_HANDLE_VALUE;
  }
  int fd = -1;
  const auto open = currentFileSystem.open ? currentFileSystem.open : HostOpen;
  if (const int err = open(native.c_str(), flags, 0666, &fd, currentFileSystem.context); err != 0) {
    SetLastError(err == ENOENT ? MissingError(err, native) : ErrorOf(err));
    return INVALID_HANDLE_VALUE;
  }
  auto *file = new FileObject{fd, (dwDesiredAccess & GENERIC_READ) != 0,
                              (dwDesiredAccess & GENERIC_WRITE) != 0};
  openFiles.insert(file);
  const bool reportsExisting =
      existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
  SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return file;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
  using namespace vqwin::kernel;
  if (lpNumberOfBytesRead)
    *lpNumberOfBytesRead = 0;
  FileObject *file = FileOf(hFile);
  if (!file) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpOverlapped || (!lpBuffer && nNumberOfBytesToRead)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!file->canRead) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD done = 0;
  while (done < nNumberOfBytesToRead) {
    const ssize_t n =
        ::read(file->fd, static_cast<char *>(lpBuffer) + done, nNumberOfBytesToRead - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      SetLastError(ERROR_READ_FAULT);
      return FALSE;
    }
    if (n == 0)
      break;
    done += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesRead)
    *lpNumberOfBytesRead = done;
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  using namespace vqwin::kernel;
  if (lpNumberOfBytesWritten)
    *lpNumberOfBytesWritten = 0;
  FileObject *file = FileOf(hFile);
  if (!file) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpOverlapped || (!lpBuffer && nNumberOfBytesToWrite)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!file->canWrite) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD done = 0;
  while (done < nNumberOfBytesToWrite) {
    const ssize_t n =
        ::write(file->fd, static_cast<const char *>(lpBuffer) + done, nNumberOfBytesToWrite - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      SetLastError(n < 0 && errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
      if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = done;
      return FALSE;
    }
    done += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesWritten)
    *lpNumberOfBytesWritten = done;
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  using namespace vqwin::kernel;
  FileObject *file = FileOf(hObject);
  if (!file) {
    if (CloseDevice(hObject))
      return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  openFiles.erase(file);
  ::close(file->fd);
  delete file;
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  using namespace vqwin::kernel;
  std::string native;
  DWORD error = ERROR_SUCCESS;
  if (!ToNativePath(lpFileName, native, error)) {
    SetLastError(error);
    return FALSE;
  }
  VQWIN_FILE_STATUS status;
  if (const int err = FileStatus(native, status); err != 0) {
    SetLastError(MissingError(err, native));
    return FALSE;
  }
  if (status.isDirectory) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  const auto remove = currentFileSystem.remove ? currentFileSystem.remove : HostRemove;
  if (const int err = remove(native.c_str(), currentFileSystem.context); err != 0) {
    SetLastError(err == ENOENT ? MissingError(err, native) : ErrorOf(err));
    return FALSE;
  }
  return TRUE;
}
