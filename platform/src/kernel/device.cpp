// Drives opened as devices ("\\.\X:") and the one control code asked of
// them, IOCTL_DISK_PERFORMANCE, answered from the counters the system keeps
// for the drive's block device.
//
// Opening a volume on Win32 asks for the right to read the raw device;
// here the device node of the mount's source is opened for reading, so the
// same rights decide. A drive without a device (a network or RAM disk)
// cannot be opened, as on Win32.
#include "host.h"
#include "mounts.h"

#include <winioctl.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <unordered_set>

namespace vqwin::kernel {
namespace {

struct DeviceObject {
  int fd;
  std::string source;
};
std::unordered_set<DeviceObject *> openDevices;

DeviceObject *DeviceOf(HANDLE handle) {
  auto *device = static_cast<DeviceObject *>(handle);
  return openDevices.count(device) ? device : nullptr;
}

LONGLONG FileTimeNow() {
  const VQWIN_CLOCK &c = Clock();
  return (c.utcMilliseconds(c.context) + 11644473600000LL) * 10000;
}

} // namespace

bool IsDevicePath(const char *path) { return path && std::strncmp(path, "\\\\.\\", 4) == 0; }

HANDLE OpenDevice(const char *path, DWORD access, DWORD disposition) {
  if (disposition != OPEN_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string native;
  Mount mount;
  DWORD error = 0;
  if (!RootLetter(path + 4) || path[6] || !DriveMount(path + 4, native, mount, error)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (mount.source.empty() || mount.source[0] != '/') {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const int flags = (access & GENERIC_WRITE) ? O_RDWR : O_RDONLY;
  const int fd = ::open(mount.source.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    SetLastError(errno == EACCES || errno == EPERM || errno == EROFS ? ERROR_ACCESS_DENIED
                 : errno == ENOMEDIUM                                ? ERROR_NOT_READY
                                                                     : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  auto *device = new DeviceObject{fd, mount.source};
  openDevices.insert(device);
  SetLastError(ERROR_SUCCESS);
  return device;
}

bool CloseDevice(HANDLE handle) {
  DeviceObject *device = DeviceOf(handle);
  if (!device)
    return false;
  openDevices.erase(device);
  ::close(device->fd);
  delete device;
  return true;
}

} // namespace vqwin::kernel

using namespace vqwin::kernel;

BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID, DWORD,
                            LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                            LPOVERLAPPED lpOverlapped) {
  if (lpBytesReturned)
    *lpBytesReturned = 0;
  DeviceObject *device = DeviceOf(hDevice);
  if (!device) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpOverlapped) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (dwIoControlCode != IOCTL_DISK_PERFORMANCE) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  if (!lpOutBuffer || nOutBufferSize < sizeof(DISK_PERFORMANCE)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::string folder, disk;
  unsigned long long f[11] = {};
  bool counted = BlockDeviceFolders(device->source, folder, disk);
  if (counted) {
    std::istringstream stat(ReadLine(folder + "/stat"));
    for (auto &value : f)
      stat >> value;
    counted = !stat.fail();
  }
  if (!counted) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  // The counters: reads, reads merged, sectors read, ms reading, writes,
  // writes merged, sectors written, ms writing, in flight, ms busy, ...
  DISK_PERFORMANCE out{};
  out.BytesRead.QuadPart = LONGLONG(f[2] * 512);
  out.BytesWritten.QuadPart = LONGLONG(f[6] * 512);
  out.ReadTime.QuadPart = LONGLONG(f[3] * 10000);
  out.WriteTime.QuadPart = LONGLONG(f[7] * 10000);
  out.ReadCount = DWORD(f[0]);
  out.WriteCount = DWORD(f[4]);
  out.QueueDepth = DWORD(f[8]);
  out.SplitCount = DWORD(f[1] + f[5]);
  out.QueryTime.QuadPart = FileTimeNow();
  const std::string name = folder.substr(folder.find_last_of('/') + 1);
  for (size_t i = 0; i < 8 && i < name.size(); ++i)
    out.StorageManagerName[i] = WCHAR(static_cast<unsigned char>(name[i]));
  std::memcpy(lpOutBuffer, &out, sizeof out);
  if (lpBytesReturned)
    *lpBytesReturned = sizeof out;
  return TRUE;
}
