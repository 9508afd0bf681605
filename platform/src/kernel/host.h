// The kernel's single road to the host system. Only clock.cpp reads the
// time; files.cpp asks the file system about paths, find.cpp lists
// directories and mounts.cpp reads the mount table; everything else in the
// layer goes through these functions, which is what lets vqwin_seams.h swap
// them for a test.
#ifndef VQWIN_KERNEL_HOST_H
#define VQWIN_KERNEL_HOST_H

#include <windows.h>
#include <vqwin_seams.h>

#include <optional>
#include <string>
#include <vector>

namespace vqwin::kernel {

/// The clock in force: the system's or the one a test set.
const VQWIN_CLOCK &Clock();

/// Lets `milliseconds` of real time pass; the one place the layer sleeps.
void Wait(DWORD milliseconds);

/// Asks the file system in force about a native path; 0 or an errno value.
int FileStatus(const std::string &nativePath, VQWIN_FILE_STATUS &status);

/// One entry of a directory listing.
struct DirectoryEntry {
  std::string name;
  bool isDirectory = false;
};

/// The entries of a native directory, without "." and ".."; false when it
/// cannot be read. Hidden entries (a leading '.') are left out, as the
/// file dialogs show them.
bool ListDirectory(const std::string &nativePath, std::vector<DirectoryEntry> &out);

/// The process's working directory, native; "/" when it cannot be read.
std::string WorkingDirectory();

/// Turns a Win32 path into a native one: '\' becomes '/', a leading drive
/// ("C:", "C:\...") becomes its mapped directory. On failure returns false
/// and sets `error` to the Win32 error number the caller should report.
bool ToNativePath(const char *path, std::string &native, DWORD &error);

/// The directory a drive letter stands for: its own mapping
/// (VqwinSetDriveRoot, then VQWIN_DRIVE_<letter>), "/" for C:, else the
/// mount point the mount table gives the letter; nothing for none.
std::optional<std::string> DriveRoot(char letter);
/// The letter's own mapping alone; "" when it was removed.
std::optional<std::string> ConfiguredDriveRoot(char letter);
/// The mount point that the mount table gives a letter from D: on.
std::optional<std::string> MountedDriveRoot(char letter);

/// Whether a path names a device ("\\.\X:"), which CreateFileA opens
/// with OpenDevice; CloseHandle hands handles it does not know to
/// CloseDevice, which is false for one that is no device either.
bool IsDevicePath(const char *path);
HANDLE OpenDevice(const char *path, DWORD access, DWORD disposition);
bool CloseDevice(HANDLE handle);

/// Writes one line "vqwin: <text>" to standard error when VQWIN_TRACE is
/// set to anything but "" or "0"; the layer has no log of its own.
void Trace(const char *format, ...) __attribute__((format(printf, 1, 2)));

} // namespace vqwin::kernel

#endif
