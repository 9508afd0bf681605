/*
 * Device control codes and their structures, for DeviceIoControl on a
 * drive opened as "\\.\X:". Include it after windows.h, as on Win32.
 */
#ifndef VQWIN_WINIOCTL_H
#define VQWIN_WINIOCTL_H

#include "windef.h"

#define IOCTL_DISK_PERFORMANCE 0x00070020

/// The counters of a disk since the system started. The system counts no
/// idle time, so IdleTime is 0; StorageManagerName is the system's name of
/// the block device (for instance "sda1"), not terminated when it has 8
/// characters, as on Win32.
typedef struct _DISK_PERFORMANCE {
  LARGE_INTEGER BytesRead;
  LARGE_INTEGER BytesWritten;
  LARGE_INTEGER ReadTime;  ///< 100-nanosecond units
  LARGE_INTEGER WriteTime; ///< 100-nanosecond units
  LARGE_INTEGER IdleTime;
  DWORD ReadCount;
  DWORD WriteCount;
  DWORD QueueDepth;
  DWORD SplitCount;
  LARGE_INTEGER QueryTime; ///< when the counters were read, as a FILETIME
  DWORD StorageDeviceNumber;
  WCHAR StorageManagerName[8];
} DISK_PERFORMANCE, *PDISK_PERFORMANCE;

#endif
