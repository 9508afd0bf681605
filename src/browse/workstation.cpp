// The drives of the workstation: one SDriveRec per drive letter the system
// knows, with its kind, its volume label and, for network drives, the
// server and share it is connected to.
//
// The device query opens a drive as "\\.\X:" and asks for its disk
// counters (IOCTL_DISK_PERFORMANCE), whose storage manager name tells which
// device serves the drive. It is only logged: nothing in the record
// depends on it, so a drive that cannot be opened (which needs the right to
// read the raw device) is still listed.
#include "frame/library.h"

#include <winioctl.h>

#include <cstring>
#include <new>

namespace {

constexpr char kTag[] = "CVQWorkstation";
constexpr UINT kMsgNoDrives = 400;
constexpr UINT kMsgNoMemory = 401;
constexpr UINT kMsgDriveType = 402;
constexpr UINT kMsgVolume = 410;
constexpr UINT kMsgConnection = 420;

enum : UINT { kNone = 0, kFixed = 1, kRemovable = 2, kCdRom = 3, kNetwork = 4, kRamDisk = 5 };

void SetRoot(SDriveRec &rec, char letter) {
  std::memset(&rec, 0, sizeof rec);
  rec.root[0] = letter;
  rec.root[1] = ':';
  rec.root[2] = '\\';
}

// The volume label; a drive without a medium still counts, as kind 0.
bool VolumeStep(SDriveRec &rec) {
  DWORD serial = 0, maxComponent = 0, flags = 0;
  char fileSystem[128];
  if (GetVolumeInformationA(rec.root, rec.volumeName, sizeof rec.volumeName, &serial, &maxComponent,
                            &flags, fileSystem, sizeof fileSystem)) {
    rec.volumeValid = 1;
    return true;
  }
  const DWORD error = GetLastError();
  rec.driveKind = kNone;
  rec.volumeName[0] = '\0';
  switch (error) {
  case ERROR_NOT_READY:
    rec.volumeValid = 0;
    return true;
  case ERROR_INVALID_FUNCTION:
  case ERROR_ACCESS_DENIED:
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Access denied on GetVolumeInformation( %s )", rec.root);
    return false;
  case ERROR_PATH_NOT_FOUND:
  case ERROR_BAD_NETPATH:
  case 1005: // ERROR_UNRECOGNIZED_VOLUME
    return false;
  default:
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Error %d on GetVolumeInformation( %s )", int(error),
                      rec.root);
    theLibrary.ErrorBox(kMsgVolume, rec.root, int(error));
    return false;
  }
}

// "\\server\share\dir" gives the server and "share\dir"; any other remote
// name is the share as a whole.
void ConnectionStep(SDriveRec &rec) {
  const char local[3] = {rec.root[0], ':', '\0'};
  DWORD size = sizeof rec.remoteName;
  const DWORD error = WNetGetConnectionA(local, rec.remoteName, &size);
  if (error != NO_ERROR) {
    rec.remoteName[0] = '\0';
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u on call of WNetGetConnection( %s )", UINT(error),
                      local);
    theLibrary.ErrorBox(kMsgConnection, local, UINT(error));
    return;
  }
  const char *remote = rec.remoteName;
  if (remote[0] == '\\' && remote[1] == '\\') {
    const char *slash = std::strchr(remote + 2, '\\');
    const size_t serverLength = slash ? size_t(slash - remote - 2) : std::strlen(remote + 2);
    CopyText(rec.server,
             UINT(serverLength < sizeof rec.server ? serverLength + 1 : sizeof rec.server),
             remote + 2);
    CopyText(rec.share, sizeof rec.share, slash ? slash + 1 : "");
  } else {
    CopyText(rec.share, sizeof rec.share, remote);
  }
}

void DeviceQuery(const SDriveRec &rec) {
  const char device[7] = {'\\', '\\', '.', '\\', rec.root[0], ':', '\0'};
  HANDLE handle = CreateFileA(device, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Error on opening %s, error code = %u", rec.root,
                      UINT(GetLastError()));
    return;
  }
  union {
    DISK_PERFORMANCE performance;
    BYTE bytes[1024];
  } out{};
  DWORD returned = 0;
  if (DeviceIoControl(handle, IOCTL_DISK_PERFORMANCE, nullptr, 0, &out, sizeof out, &returned,
                      nullptr)) {
    // The name fills its 8 characters without a terminator when it is that long.
    char name[9] = {};
    for (int i = 0; i < 8 && out.performance.StorageManagerName[i]; ++i)
      name[i] =
          char(out.performance.StorageManagerName[i] < 0x80 ? out.performance.StorageManagerName[i]
                                                            : '?');
    theLibrary.PrtLog(VQLOG_TRACE, kTag, "Drive %s has StorageManager %s", rec.root, name);
  } else {
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Error on inquiry of %s, error code = %u", rec.root,
                      UINT(GetLastError()));
  }
  CloseHandle(handle);
}

// One drive of Browse; true when its record is to be kept.
bool BrowseOne(SDriveRec &rec, UINT number) {
  const UINT type = GetDriveTypeA(rec.root);
  switch (type) {
  case DRIVE_UNKNOWN:
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Unknown drive %u: %s", number, rec.root);
    return false;
  case DRIVE_NO_ROOT_DIR:
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Drive no root directory %u: %s", number, rec.root);
    return false;
  case DRIVE_REMOVABLE:
    theLibrary.PrtLog(VQLOG_INFO, kTag, "Removable drive %u: %s", number, rec.root);
    rec.driveKind = kRemovable;
    DeviceQuery(rec);
    return VolumeStep(rec);
  case DRIVE_FIXED:
    theLibrary.PrtLog(VQLOG_INFO, kTag, "Fixed disk drive: %u: %s", number, rec.root);
    rec.driveKind = kFixed;
    DeviceQuery(rec);
    return VolumeStep(rec);
  case DRIVE_REMOTE:
    ConnectionStep(rec);
    theLibrary.PrtLog(VQLOG_INFO, kTag, "Network drive %u: %s is %s", number, rec.root,
                      rec.remoteName);
    rec.driveKind = kNetwork;
    return VolumeStep(rec);
  case DRIVE_CDROM:
    theLibrary.PrtLog(VQLOG_INFO, kTag, "CD-ROM drive: %u: %s", number, rec.root);
    rec.driveKind = kCdRom;
    return VolumeStep(rec);
  case DRIVE_RAMDISK:
    theLibrary.PrtLog(VQLOG_INFO, kTag, "RAM disk drive: %u: %s", number, rec.root);
    rec.driveKind = kRamDisk;
    return true;
  default:
    theLibrary.PrtLog(VQLOG_INFO, kTag, "Unknown drive type %u: %u: %s", type, number, rec.root);
    theLibrary.ErrorBox(kMsgDriveType, type, rec.root);
    return false;
  }
}

} // namespace

CVQWorkstation::~CVQWorkstation() {
  delete[] table;
  table = nullptr;
  count = 0;
}

int CVQWorkstation::Browse(const char *station, int) {
  delete[] table; // the table of an earlier call
  table = nullptr;
  count = 0;
  const DWORD mask = GetLogicalDrives();
  UINT n = 0;
  for (DWORD m = mask; m; m &= m - 1)
    ++n;
  if (n == 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "No logical drives found on %s", station ? station : "");
    theLibrary.ErrorBox(kMsgNoDrives, station ? station : "");
    return 0;
  }
  table = new (std::nothrow) SDriveRec[n]();
  if (!table) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag,
                      "Not enough free memory available for %d instances of SDriveRec", int(n));
    theLibrary.ErrorBox(kMsgNoMemory, int(n));
    return 0;
  }
  count = n;
  UINT filled = 0;
  for (UINT bit = 0; bit < 26 && filled < n; ++bit) {
    if (!(mask & (DWORD(1) << bit)))
      continue;
    SDriveRec &rec = table[filled];
    SetRoot(rec, char('A' + bit));
    if (BrowseOne(rec, filled))
      ++filled;
    else
      std::memset(&rec, 0, sizeof rec); // used again for the next drive
  }
  count = filled;
  return 1;
}

int CVQWorkstation::InquDrive(char letter) {
  if (letter >= 'a' && letter <= 'z')
    letter = char(letter - ('a' - 'A'));
  SDriveRec rec;
  SetRoot(rec, letter);
  const UINT type = GetDriveTypeA(rec.root);
  switch (type) {
  case DRIVE_UNKNOWN:
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Unknown drive %s", rec.root);
    return 0;
  case DRIVE_NO_ROOT_DIR:
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Drive no root directory %s", rec.root);
    return 0;
  case DRIVE_REMOVABLE:
    theLibrary.PrtLog(VQLOG_INFO, kTag, "Removable drive %s", rec.root);
    rec.driveKind = kRemovable;
    DeviceQuery(rec);
    break;
  case DRIVE_FIXED:
    theLibrary.PrtLog(VQLOG_INFO, kTag, "Fixed disk drive: %s", rec.root);
    rec.driveKind = kFixed;
    break;
  case DRIVE_REMOTE:
    ConnectionStep(rec);
    theLibrary.PrtLog(VQLOG_INFO, kTag, "Network drive: %s is %s", rec.root, rec.remoteName);
    rec.driveKind = kNetwork;
    break;
  case DRIVE_CDROM:
    theLibrary.PrtLog(VQLOG_INFO, kTag, "CD-ROM drive: %s", rec.root);
    rec.driveKind = kCdRom;
    break;
  case DRIVE_RAMDISK:
    theLibrary.PrtLog(VQLOG_INFO, kTag, "RAM disk drive: %s", rec.root);
    rec.driveKind = kRamDisk;
    break;
  default:
    theLibrary.PrtLog(VQLOG_INFO, kTag, "Unknown drive type %u: %s", type, rec.root);
    theLibrary.ErrorBox(kMsgDriveType, type, rec.root);
    return 0;
  }
  if (!VolumeStep(rec))
    return 0;
  auto *one = new (std::nothrow) SDriveRec[1];
  if (!one) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory available.");
    theLibrary.ErrorBox(kMsgNoMemory, 1);
    return 0;
  }
  one[0] = rec;
  delete[] table; // the table of an earlier call
  table = one;
  count = 1;
  return 1;
}
