/*
 * The shifting SQLite VFS, the header page and the file attribute queries:
 * every system call of the engine is made from this file.
 */
#include "store/vfs.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <malloc.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vqisam::os {
namespace {

constexpr const char *kVfsName = "vq_isam";
constexpr uint32_t kStorageSqlite = 1;

FaultHook faultHook = nullptr;
void *faultContext = nullptr;
int lastErrno = 0;

struct ShimFile {
  sqlite3_file base;
  sqlite3_file *real;   // the wrapped file, stored right behind this struct
  sqlite3_int64 offset; // kHeaderSize for a main database, else 0
};

sqlite3_vfs *realVfs() { return static_cast<sqlite3_vfs *>(sqlite3_vfs_find(kVfsName)->pAppData); }

ShimFile *shim(sqlite3_file *f) { return reinterpret_cast<ShimFile *>(f); }

bool faulted(ShimFile *f, FaultOp op) {
  return faultHook && faultHook(op, f->offset != 0, faultContext) != 0;
}

void putLe32(unsigned char *p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<unsigned char>(v >> (8 * i));
}
uint32_t getLe32(const unsigned char *p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void makeHeader(unsigned char *page) {
  std::memset(page, 0, kHeaderSize);
  page[8] = 0xFF;
  page[9] = 0xFF;
  std::memcpy(page + 12, "ISAM", 4);
  putLe32(page + 16, kFormatMajor);
  putLe32(page + 20, kFormatMinor);
  putLe32(page + 24, kHeaderSize);
  putLe32(page + 28, kStorageSqlite);
}

int shimClose(sqlite3_file *f) {
  sqlite3_file *r = shim(f)->real;
  return r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
}
int shimRead(sqlite3_file *f, void *buf, int amount, sqlite3_int64 offset) {
  ShimFile *s = shim(f);
  if (faulted(s, FaultOp::Read))
    return SQLITE_IOERR_READ;
  return s->real->pMethods->xRead(s->real, buf, amount, offset + s->offset);
}
int shimWrite(sqlite3_file *f, const void *buf, int amount, sqlite3_int64 offset) {
  ShimFile *s = shim(f);
  if (faulted(s, FaultOp::Write))
    return SQLITE_IOERR_WRITE;
  return s->real->pMethods->xWrite(s->real, buf, amount, offset + s->offset);
}
int shimTruncate(sqlite3_file *f, sqlite3_int64 size) {
  ShimFile *s = shim(f);
  if (faulted(s, FaultOp::Truncate))
    return SQLITE_IOERR_TRUNCATE;
  return s->real->pMethods->xTruncate(s->real, size + s->offset);
}
int shimSync(sqlite3_file *f, int flags) {
  ShimFile *s = shim(f);
  if (faulted(s, FaultOp::Sync))
    return SQLITE_IOERR_FSYNC;
  return s->real->pMethods->xSync(s->real, flags);
}
int shimFileSize(sqlite3_file *f, sqlite3_int64 *size) {
  ShimFile *s = shim(f);
  int rc = s->real->pMethods->xFileSize(s->real, size);
  if (rc == SQLITE_OK)
    *size = *size > s->offset ? *size - s->offset : 0;
  return rc;
}
int shimLock(sqlite3_file *f, int level) {
  return shim(f)->real->pMethods->xLock(shim(f)->real, level);
}
int shimUnlock(sqlite3_file *f, int level) {
  return shim(f)->real->pMethods->xUnlock(shim(f)->real, level);
}
int shimCheckReserved(sqlite3_file *f, int *out) {
  return shim(f)->real->pMethods->xCheckReservedLock(shim(f)->real, out);
}
int shimFileControl(sqlite3_file *f, int op, void *arg) {
  ShimFile *s = shim(f);
  // A size hint speaks of the database's size; the file is larger by the header.
  if (op == SQLITE_FCNTL_SIZE_HINT && s->offset) {
    sqlite3_int64 hint = *static_cast<sqlite3_int64 *>(arg) + s->offset;
    return s->real->pMethods->xFileControl(s->real, op, &hint);
  }
  return s->real->pMethods->xFileControl(s->real, op, arg);
}
int shimSectorSize(sqlite3_file *f) { return shim(f)->real->pMethods->xSectorSize(shim(f)->real); }
int shimDeviceCharacteristics(sqlite3_file *f) {
  return shim(f)->real->pMethods->xDeviceCharacteristics(shim(f)->real);
}
int shimShmMap(sqlite3_file *f, int page, int size, int extend, void volatile **out) {
  return shim(f)->real->pMethods->xShmMap(shim(f)->real, page, size, extend, out);
}
int shimShmLock(sqlite3_file *f, int offset, int n, int flags) {
  return shim(f)->real->pMethods->xShmLock(shim(f)->real, offset, n, flags);
}
void shimShmBarrier(sqlite3_file *f) { shim(f)->real->pMethods->xShmBarrier(shim(f)->real); }
int shimShmUnmap(sqlite3_file *f, int deleteFlag) {
  return shim(f)->real->pMethods->xShmUnmap(shim(f)->real, deleteFlag);
}

// Version 2: shared memory for WAL, but no memory-mapped reads, which would
// bypass the shift (and measured no faster than reads for a table copy).
const sqlite3_io_methods shimMethods = {2,
                                        shimClose,
                                        shimRead,
                                        shimWrite,
                                        shimTruncate,
                                        shimSync,
                                        shimFileSize,
                                        shimLock,
                                        shimUnlock,
                                        shimCheckReserved,
                                        shimFileControl,
                                        shimSectorSize,
                                        shimDeviceCharacteristics,
                                        shimShmMap,
                                        shimShmLock,
                                        shimShmBarrier,
                                        shimShmUnmap,
                                        nullptr,
                                        nullptr};

// A new main database starts with its header page, written before SQLite
// writes its first page so that a file never exists without the signature.
int writeHeaderIfEmpty(sqlite3_file *real) {
  sqlite3_int64 size = 0;
  int rc = real->pMethods->xFileSize(real, &size);
  if (rc != SQLITE_OK || size != 0)
    return rc;
  unsigned char page[kHeaderSize];
  makeHeader(page);
  rc = real->pMethods->xWrite(real, page, kHeaderSize, 0);
  if (rc == SQLITE_OK)
    rc = real->pMethods->xSync(real, SQLITE_SYNC_FULL);
  return rc;
}

int shimOpen(sqlite3_vfs *vfs, const char *name, sqlite3_file *f, int flags, int *outFlags) {
  sqlite3_vfs *real = static_cast<sqlite3_vfs *>(vfs->pAppData);
  ShimFile *s = shim(f);
  s->real = reinterpret_cast<sqlite3_file *>(s + 1);
  s->offset = (flags & SQLITE_OPEN_MAIN_DB) ? kHeaderSize : 0;
  f->pMethods = nullptr;
  int rc = real->xOpen(real, name, s->real, flags, outFlags);
  if (rc != SQLITE_OK) {
    lastErrno = errno;
    return rc;
  }
  f->pMethods = &shimMethods;
  if (s->offset && (flags & SQLITE_OPEN_CREATE))
    rc = writeHeaderIfEmpty(s->real);
  return rc;
}

int vfsDelete(sqlite3_vfs *v, const char *n, int sync) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  return r->xDelete(r, n, sync);
}
int vfsAccess(sqlite3_vfs *v, const char *n, int flags, int *out) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  return r->xAccess(r, n, flags, out);
}
int vfsFullPathname(sqlite3_vfs *v, const char *n, int size, char *out) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  return r->xFullPathname(r, n, size, out);
}
void *vfsDlOpen(sqlite3_vfs *v, const char *n) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  return r->xDlOpen(r, n);
}
void vfsDlError(sqlite3_vfs *v, int n, char *out) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  r->xDlError(r, n, out);
}
void (*vfsDlSym(sqlite3_vfs *v, void *h, const char *s))(void) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  return r->xDlSym(r, h, s);
}
void vfsDlClose(sqlite3_vfs *v, void *h) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  r->xDlClose(r, h);
}
int vfsRandomness(sqlite3_vfs *v, int n, char *out) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  return r->xRandomness(r, n, out);
}
int vfsSleep(sqlite3_vfs *v, int us) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  return r->xSleep(r, us);
}
int vfsCurrentTime(sqlite3_vfs *v, double *out) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  return r->xCurrentTime(r, out);
}
int vfsGetLastError(sqlite3_vfs *v, int n, char *out) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  return r->xGetLastError(r, n, out);
}
int vfsCurrentTimeInt64(sqlite3_vfs *v, sqlite3_int64 *out) {
  sqlite3_vfs *r = static_cast<sqlite3_vfs *>(v->pAppData);
  return r->xCurrentTimeInt64(r, out);
}

sqlite3_vfs *registerVfs() {
  if (sqlite3_vfs *existing = sqlite3_vfs_find(kVfsName))
    return existing;
  sqlite3_vfs *real = sqlite3_vfs_find(nullptr);
  static sqlite3_vfs vfs;
  vfs.iVersion = 2;
  vfs.szOsFile = static_cast<int>(sizeof(ShimFile)) + real->szOsFile;
  vfs.mxPathname = real->mxPathname;
  vfs.zName = kVfsName;
  vfs.pAppData = real;
  vfs.xOpen = shimOpen;
  vfs.xDelete = vfsDelete;
  vfs.xAccess = vfsAccess;
  vfs.xFullPathname = vfsFullPathname;
  vfs.xDlOpen = vfsDlOpen;
  vfs.xDlError = vfsDlError;
  vfs.xDlSym = vfsDlSym;
  vfs.xDlClose = vfsDlClose;
  vfs.xRandomness = vfsRandomness;
  vfs.xSleep = vfsSleep;
  vfs.xCurrentTime = vfsCurrentTime;
  vfs.xGetLastError = vfsGetLastError;
  vfs.xCurrentTimeInt64 = vfsCurrentTimeInt64;
  sqlite3_vfs_register(&vfs, 0);
  return &vfs;
}

uint32_t win32Error(int e) {
  switch (e) {
  case ENOENT:
    return 2; // ERROR_FILE_NOT_FOUND
  case ENOTDIR:
    return 3; // ERROR_PATH_NOT_FOUND
  case EACCES:
  case EPERM:
  case EISDIR:
    return 5; // ERROR_ACCESS_DENIED
  case EROFS:
    return 19; // ERROR_WRITE_PROTECT
  case EEXIST:
    return 80; // ERROR_FILE_EXISTS
  case ENOSPC:
    return 112; // ERROR_DISK_FULL
  case ENOMEM:
    return 8; // ERROR_NOT_ENOUGH_MEMORY
  default:
    return e ? 29 : 0; // ERROR_WRITE_FAULT as the catch-all
  }
}

} // namespace

const char *vfsName() { return registerVfs()->zName; }

// Read through the wrapped VFS rather than open(2): closing a second
// descriptor of a file would drop the POSIX locks SQLite holds on it.
HeaderState checkHeader(const char *path, uint32_t &sysError) {
  sysError = 0;
  registerVfs();
  struct stat st;
  if (::stat(path, &st) != 0) {
    sysError = win32Error(errno);
    return sysError == 2 || sysError == 3 ? HeaderState::Missing : HeaderState::Unreadable;
  }
  // Opening a pipe or device could block or read forever.
  if (S_ISDIR(st.st_mode)) {
    sysError = 5; // ERROR_ACCESS_DENIED, as for a directory on Win32
    return HeaderState::Unreadable;
  }
  if (!S_ISREG(st.st_mode))
    return HeaderState::NotIsam;
  sqlite3_vfs *real = realVfs();
  sqlite3_file *f = static_cast<sqlite3_file *>(sqlite3_malloc(real->szOsFile));
  if (!f)
    return HeaderState::Unreadable;
  std::memset(f, 0, real->szOsFile);
  int outFlags = 0;
  HeaderState state = HeaderState::Unreadable;
  if (real->xOpen(real, path, f, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_DB, &outFlags) !=
      SQLITE_OK) {
    sysError = win32Error(errno);
    if (f->pMethods)
      f->pMethods->xClose(f);
    sqlite3_free(f);
    return HeaderState::Unreadable;
  }
  sqlite3_int64 size = 0;
  unsigned char page[kHeaderSize];
  if (f->pMethods->xFileSize(f, &size) != SQLITE_OK) {
    sysError = win32Error(errno);
  } else if (size < 16) {
    state = HeaderState::NotIsam;
  } else if (f->pMethods->xRead(f, page, 16, 0) != SQLITE_OK) {
    sysError = win32Error(errno);
  } else if (getLe32(page) != 0 || page[8] != 0xFF || page[9] != 0xFF ||
             std::memcmp(page + 12, "ISAM", 4) != 0) {
    state = HeaderState::NotIsam;
  } else if (size < static_cast<sqlite3_int64>(kHeaderSize)) {
    state = HeaderState::Truncated;
  } else if (f->pMethods->xRead(f, page, kHeaderSize, 0) != SQLITE_OK) {
    sysError = win32Error(errno);
  } else if (getLe32(page + 16) > kFormatMajor) {
    state = HeaderState::NewerVersion;
  } else if (getLe32(page + 24) != kHeaderSize || getLe32(page + 28) != kStorageSqlite) {
    state = HeaderState::BadHeader;
  } else {
    state = HeaderState::Ok;
  }
  f->pMethods->xClose(f);
  sqlite3_free(f);
  return state;
}

bool exists(const char *path) {
  struct stat st;
  return ::stat(path, &st) == 0;
}

bool isReadOnlyFile(const char *path) {
  struct stat st;
  return ::stat(path, &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

uint32_t lastSystemError() { return win32Error(lastErrno); }

bool prefault(void *p, size_t bytes) {
#ifndef MADV_POPULATE_WRITE
  constexpr int MADV_POPULATE_WRITE = 23; // Linux 5.14; older kernels refuse it
#endif
  // madvise takes whole pages: the ones that lie inside the range.
  static const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(p) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(page - 1);
  return end <= begin ||
         madvise(reinterpret_cast<void *>(begin), end - begin, MADV_POPULATE_WRITE) == 0;
}

namespace {
std::atomic<uint64_t> largeMapped{0};
size_t largeRounded(size_t bytes) { return (bytes + kLargePage - 1) & ~(kLargePage - 1); }
} // namespace

void *mapLarge(size_t bytes) {
  if (bytes == 0 || bytes > SIZE_MAX - 2 * kLargePage)
    return nullptr;
  const size_t size = largeRounded(bytes);
  // Mapped one huge page larger, so that an aligned start lies inside; the
  // ends outside it go back at once.
  void *m =
      mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED)
    return nullptr;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(m);
  const uintptr_t aligned = (begin + kLargePage - 1) & ~(kLargePage - 1);
  if (aligned > begin)
    munmap(m, aligned - begin);
  if (const uintptr_t after = begin + size + kLargePage - (aligned + size))
    munmap(reinterpret_cast<void *>(aligned + size), after);
  // Advice only: without huge pages the memory is the same, in small pages.
  madvise(reinterpret_cast<void *>(aligned), size, MADV_HUGEPAGE);
  largeMapped.fetch_add(size, std::memory_order_relaxed);
  return reinterpret_cast<void *>(aligned);
}

void unmapLarge(void *p, size_t bytes) {
  if (!p)
    return;
  munmap(p, largeRounded(bytes));
  largeMapped.fetch_sub(largeRounded(bytes), std::memory_order_relaxed);
}

uint64_t largeBytes() { return largeMapped.load(std::memory_order_relaxed); }

void releaseFreeHeap() { malloc_trim(0); }

bool removeFile(const char *path) {
  sqlite3_vfs *real = registerVfs() ? realVfs() : nullptr;
  return real && real->xDelete(real, path, 1) == SQLITE_OK;
}

void setFaultHook(FaultHook hook, void *context) {
  faultHook = hook;
  faultContext = context;
}

} // namespace vqisam::os
