// Directory searches: FindFirstFileA, FindNextFileA, FindClose.
//
// A search is an open directory descriptor, a buffer of its raw entries
// and the pattern of the last path part. Each entry is asked for its size
// and times when it is handed out, relative to the descriptor, so a deep
// tree costs one getdents per buffer and one stat per entry and no path is
// built twice. The directory's own stat serves as "." and as "..": Win32
// promises nothing of ".." beyond its being a directory, and asking the
// parent would cost a stat per directory that callers skipping the dots
// never see. The pattern is matched on the code-page form of the name,
// which is what the caller compares with.
//
// Win32 reads an entry's data from the directory itself, so an entry
// removed after its directory was read is still handed out. Here the data
// come from a stat that then fails; the entry is handed out as the
// directory listed it (name, directory or not) with no size and no times,
// and a caller that cares asks the path again (the file tree does).
#include "cp1252.h"
#include "host.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <unordered_set>

namespace vqwin::kernel {
namespace {

// The record getdents64 fills; glibc declares no wrapper for it everywhere.
struct RawEntry {
  ino64_t inode;
  off64_t next;
  unsigned short length;
  unsigned char type;
  char name[1];
};

struct SearchObject {
  int fd = -1;
  struct stat self {}; // the directory itself, handed out as "."
  std::string pattern;
  bool matchAll = false;
  int dotsLeft = 0;         // "." and ".." still to hand out
  std::string native, name; // the directory; the last name handed out
  long filled = 0, at = 0;
  alignas(RawEntry) char entries[32768];

  ~SearchObject() {
    if (fd >= 0)
      ::close(fd);
  }

  // The next raw entry, reading the next buffer when one is used up.
  const RawEntry *Read() {
    if (at >= filled) {
      filled = ::syscall(SYS_getdents64, fd, entries, sizeof entries);
      at = 0;
      if (filled <= 0)
        return nullptr;
    }
    const auto *e = reinterpret_cast<const RawEntry *>(entries + at);
    at += e->length;
    return e;
  }
};
std::unordered_set<SearchObject *> openSearches;

VQWIN_SEARCH_HOOK searchHook = nullptr;
void *searchHookContext = nullptr;

SearchObject *SearchOf(HANDLE handle) {
  auto *search = static_cast<SearchObject *>(handle);
  return openSearches.count(search) ? search : nullptr;
}

bool Fold(char a, char b) {
  return cp1252::ToUpper(static_cast<unsigned char>(a)) ==
         cp1252::ToUpper(static_cast<unsigned char>(b));
}

// '*' any run, '?' any one character; at the end of the pattern ".*"
// (and "*." for names without a dot) also match where no dot follows, as
// Win32 reads them.
bool Matches(const char *p, const char *n) {
  for (; *p; ++p, ++n) {
    if (*p == '*') {
      while (*p == '*')
        ++p;
      if (!*p)
        return true;
      for (; *n; ++n)
        if (Matches(p, n))
          return true;
      return Matches(p, n);
    }
    if (!*n)
      return std::strcmp(p, ".*") == 0 || std::strcmp(p, ".") == 0;
    if (*p != '?' && !Fold(*p, *n))
      return false;
  }
  return !*n;
}

void ToFileTime(const timespec &t, FILETIME &ft) {
  const ULONGLONG ticks =
      (ULONGLONG(t.tv_sec) + 11644473600ull) * 10000000ull + ULONGLONG(t.tv_nsec) / 100;
  ft.dwLowDateTime = DWORD(ticks);
  ft.dwHighDateTime = DWORD(ticks >> 32);
}

void Describe(const struct stat &st, bool link, const std::string &name, WIN32_FIND_DATAA &out) {
  std::memset(&out, 0, sizeof out);
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
  if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
    attributes |= FILE_ATTRIBUTE_READONLY;
  if (name[0] == '.' && name != "." && name != "..")
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (link)
    attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  out.dwFileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  ToFileTime(st.st_mtim, out.ftLastWriteTime);
  out.ftCreationTime = out.ftLastWriteTime;
  ToFileTime(st.st_atim, out.ftLastAccessTime);
  if (!S_ISDIR(st.st_mode)) {
    out.nFileSizeHigh = DWORD(ULONGLONG(st.st_size) >> 32);
    out.nFileSizeLow = DWORD(st.st_size);
  }
  std::memcpy(out.cFileName, name.c_str(), name.size() + 1);
}

// The next entry that matches; false at the end.
bool NextEntry(SearchObject &s, WIN32_FIND_DATAA &out) {
  const int fd = s.fd;
  while (s.dotsLeft > 0) {
    const char *dot = s.dotsLeft-- == 2 ? "." : "..";
    if (!s.matchAll && !Matches(s.pattern.c_str(), dot))
      continue;
    Describe(s.self, false, dot, out);
    return true;
  }
  std::string &name = s.name;
  while (const RawEntry *e = s.Read()) {
    if (e->name[0] == '.' && (!e->name[1] || (e->name[1] == '.' && !e->name[2])))
      continue;
    cp1252::FromUtf8(e->name, std::strlen(e->name), name);
    if (!s.matchAll && !Matches(s.pattern.c_str(), name.c_str()))
      continue;
    if (searchHook)
      searchHook(s.native.c_str(), e->name, searchHookContext);
    struct stat st {};
    bool link = e->type == DT_LNK;
    if (fstatat(fd, e->name, &st, 0) != 0) {
      // A dangling link is still an entry, with the link's own data.
      if (fstatat(fd, e->name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        st = {};
        st.st_mode = (e->type == DT_DIR ? S_IFDIR : S_IFREG) | S_IWUSR;
        Describe(st, false, name, out);
        out.ftLastWriteTime = out.ftCreationTime = out.ftLastAccessTime = FILETIME{};
        return true;
      }
      link = true;
    } else if (e->type == DT_UNKNOWN) {
      struct stat own {};
      link = fstatat(fd, e->name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode);
    }
    Describe(st, link, name, out);
    return true;
  }
  return false;
}

DWORD OpenError(int err) {
  switch (err) {
  case EACCES:
  case EPERM:
    return ERROR_ACCESS_DENIED;
  case ENAMETOOLONG:
    return ERROR_FILENAME_EXCED_RANGE;
  default:
    return ERROR_PATH_NOT_FOUND;
  }
}

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

} // namespace
} // namespace vqwin::kernel

using namespace vqwin::kernel;

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  if (!lpFileName || !lpFindFileData)
    return Fail(ERROR_INVALID_PARAMETER);
  const size_t length = std::strlen(lpFileName);
  if (length >= MAX_PATH)
    return Fail(ERROR_FILENAME_EXCED_RANGE);
  const char *last = std::strrchr(lpFileName, '\\');
  const char *slash = std::strrchr(lpFileName, '/');
  if (!last || (slash && slash > last))
    last = slash;
  const bool drivePrefix = !last && length >= 2 && lpFileName[1] == ':';
  std::string folder = last          ? std::string(lpFileName, size_t(last - lpFileName + 1))
                       : drivePrefix ? std::string(lpFileName, 2)
                                     : std::string(".");
  const std::string pattern = last ? last + 1 : drivePrefix ? lpFileName + 2 : lpFileName;
  if (pattern.empty())
    return Fail(ERROR_FILE_NOT_FOUND);
  std::string native;
  DWORD error = 0;
  if (!ToNativePath(folder.c_str(), native, error))
    return Fail(error);
  const bool driveRoot = folder.size() <= 3 && folder.size() >= 2 && folder[1] == ':';
  auto *search = new SearchObject;
  search->pattern = pattern;
  search->native = native;
  search->matchAll = pattern == "*" || pattern == "*.*";
  search->dotsLeft = driveRoot || native == "/" ? 0 : 2;
  search->fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (search->fd < 0 || fstat(search->fd, &search->self) != 0) {
    const int err = errno;
    delete search;
    return Fail(OpenError(err));
  }
  if (!NextEntry(*search, *lpFindFileData)) {
    delete search;
    return Fail(ERROR_FILE_NOT_FOUND);
  }
  openSearches.insert(search);
  SetLastError(ERROR_SUCCESS);
  return search;
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  SearchObject *search = SearchOf(hFindFile);
  if (!search || !lpFindFileData) {
    SetLastError(search ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!NextEntry(*search, *lpFindFileData)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
  SearchObject *search = SearchOf(hFindFile);
  if (!search) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  openSearches.erase(search);
  delete search;
  return TRUE;
}

void WINAPI VqwinSetSearchHook(VQWIN_SEARCH_HOOK hook, void *context) {
  searchHook = hook;
  searchHookContext = hook ? context : nullptr;
}
