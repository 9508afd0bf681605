/*
 * The engine's one seam to the operating system.
 *
 * An ISAM file is a 4096-byte header page followed by an SQLite database.
 * The VFS registered here wraps the system's default SQLite VFS and shifts
 * every access to a main database file by the header size, so SQLite sees
 * an ordinary database; journal and WAL files pass through unshifted.
 * Besides the VFS, this is where the header page is written and checked and
 * where file attributes are asked; nothing else in the engine touches files.
 * It is also where large memory is mapped and asked to be there before it
 * is written.
 *
 * Header page layout (little endian):
 *
 * | bytes | content                                        |
 * |-------|------------------------------------------------|
 * | 0-7   | zero                                           |
 * | 8-9   | FF FF                                          |
 * | 10-11 | zero                                           |
 * | 12-15 | "ISAM"                                         |
 * | 16-19 | format major version (1); newer ones are refused |
 * | 20-23 | format minor version (0)                       |
 * | 24-27 | header size (4096)                             |
 * | 28-31 | storage kind (1: an SQLite database follows)   |
 * | 32-   | zero                                           |
 *
 * Tests inject faults through setFaultHook: a hook that returns non-zero
 * makes the matching read, write, sync or truncate fail with an I/O error.
 */
#ifndef VQ_ISAM_STORE_VFS_H
#define VQ_ISAM_STORE_VFS_H

#include <cstddef>
#include <cstdint>

namespace vqisam::os {

constexpr unsigned kHeaderSize = 4096;
constexpr uint32_t kFormatMajor = 1;
constexpr uint32_t kFormatMinor = 0;

/// Name under which the shifting VFS is registered (registered on first use).
const char *vfsName();

enum class HeaderState { Ok, Missing, Truncated, NotIsam, NewerVersion, BadHeader, Unreadable };

/// Reads and checks the header page of path. sysError receives a Win32
/// error number when the file could not be opened.
HeaderState checkHeader(const char *path, uint32_t &sysError);

/// True when a directory entry of that name exists.
bool exists(const char *path);

/// True when the file has no write permission for anyone: the read-only
/// attribute of the file, whoever the caller is.
bool isReadOnlyFile(const char *path);

/// Win32 error number for the last failed open of the VFS.
uint32_t lastSystemError();

/// Deletes a file through the wrapped VFS; true when it is gone.
bool removeFile(const char *path);

/// Backs [p, p + bytes) with memory now, without writing it, so that a
/// thread writing there later takes no page faults; false when the system
/// cannot (then the faults simply come later).
bool prefault(void *p, size_t bytes);

/// Huge pages, where the system has them: the unit of mapLarge().
constexpr size_t kLargePage = size_t{2} << 20;

/// Anonymous memory for the engine's large arrays, `bytes` rounded up to
/// whole kLargePage, aligned to one and, where the system offers them,
/// backed by huge pages: one page fault then backs 2 MiB instead of 4 KiB,
/// and a first write to each small page would cost more than the copy that
/// fills it. Zero-filled; nullptr when the system has no memory.
void *mapLarge(size_t bytes);
/// Gives back what mapLarge(bytes) returned.
void unmapLarge(void *p, size_t bytes);
/// Bytes mapLarge() holds now, for a heap account that sees them.
uint64_t largeBytes();

/// Gives the heap's free pages back to the system, as after a large page
/// cache was let go; the heap keeps them otherwise, where nothing of the
/// engine's own large arrays would take them again.
void releaseFreeHeap();

enum class FaultOp { Read, Write, Sync, Truncate };
using FaultHook = int (*)(FaultOp op, bool mainFile, void *context);
/// Installs (or with nullptr removes) the fault hook.
void setFaultHook(FaultHook hook, void *context);

} // namespace vqisam::os

#endif
