// The mount table as the drive functions see it: which mounts deserve a
// drive letter, what kind of drive each is, and the block device behind it.
// Read afresh on every question, so a mount made while a program runs is
// seen at once; the table is a few dozen lines.
#ifndef VQWIN_KERNEL_MOUNTS_H
#define VQWIN_KERNEL_MOUNTS_H

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vqwin::kernel {

/// One line of the mount table, its octal escapes ("\040") decoded.
struct Mount {
  std::string source, point, type, options;
};

/// The mounts in table order; a mount point mounted over keeps only the
/// last mount.
std::vector<Mount> ReadMounts();

/// The mount holding a native path (the longest mount point above it).
std::optional<Mount> MountOf(const std::vector<Mount> &mounts, const std::string &native);

/// The drive letter of a root ("X:", "X:\\", "X:/"), or 0.
char RootLetter(const char *root);

/// The drive root's native directory and its mount; false with a Win32
/// error (ERROR_INVALID_NAME for no root, ERROR_PATH_NOT_FOUND for no
/// drive).
bool DriveMount(const char *root, std::string &native, Mount &mount, DWORD &error);

/// The block device folder of a device source ("/dev/sdb1" ->
/// "<tree>/sdb/sdb1"), and the disk folder above it ("<tree>/sdb"); false
/// when the tree has none.
bool BlockDeviceFolders(const std::string &source, std::string &device, std::string &disk);

/// The first line of a small file, or "" when it cannot be read.
std::string ReadLine(const std::string &path);

} // namespace vqwin::kernel

#endif
