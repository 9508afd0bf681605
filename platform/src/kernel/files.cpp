// The file-system seam, the drive table and the path translation every
// path-taking function of the layer goes through, and GetFileAttributesA.
//
// Win32 says "file not found" when only the last part of a path is missing
// and "path not found" when a directory on the way is; POSIX says ENOENT for
// both, so a missing entry's parent is asked too.
#include "host.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

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

constexpr VQWIN_FILE_SYSTEM kHostFileSystem = {HostStatus, nullptr};
VQWIN_FILE_SYSTEM currentFileSystem = kHostFileSystem;

// A mapping set through VqwinSetDriveRoot wins over the environment; an
// explicit "" removes the drive, even C:.
std::optional<std::string> driveRoots[26];

std::optional<std::string> DriveRoot(char letter) {
  const int index = (letter | 0x20) - 'a';
  if (driveRoots[index])
    return driveRoots[index]->empty() ? std::nullopt : driveRoots[index];
  const char name[] = {
      'V', 'Q', 'W', 'I', 'N', '_', 'D', 'R', 'I', 'V', 'E', '_', char(letter & ~0x20), '\0'};
  if (const char *env = std::getenv(name); env && *env)
    return std::string(env);
  if (index == 'c' - 'a')
    return std::string("/");
  return std::nullopt;
}

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
    return ERROR_ACCESS_DENIED;
  case ENAMETOOLONG:
    return ERROR_FILENAME_EXCED_RANGE;
  default:
    return ERROR_FILE_NOT_FOUND;
  }
}

} // namespace

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
    out.push_back(DirectoryEntry{e->d_name, status.isDirectory != FALSE});
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
  for (; *rest; ++rest)
    native += *rest == '\\' ? '/' : *rest;
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
    error = ErrorOf(err);
    VQWIN_FILE_STATUS parent;
    if (err == ENOENT && (FileStatus(ParentOf(native), parent) != 0 || !parent.isDirectory))
      error = ERROR_PATH_NOT_FOUND;
    SetLastError(error);
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = status.isDirectory ? FILE_ATTRIBUTE_DIRECTORY : 0;
  if (!status.isWritable)
    attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}
