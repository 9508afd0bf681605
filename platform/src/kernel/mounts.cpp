// Drives from the mount table: GetLogicalDrives, GetDriveTypeA,
// GetVolumeInformationA and WNetGetConnectionA, and the mount-table seam.
//
// A Windows drive is a volume; here it is a mount point. C: stays the root
// (as every path of the layer already knows it), the other mounts a user
// would open files from get D: onwards in the order the system mounted
// them. What a user would not open files from gets no letter: the pseudo
// file systems and everything below /proc, /sys, /dev and /run.
#include "mounts.h"

#include "cp1252.h"
#include "host.h"

#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace vqwin::kernel {
namespace {

struct MountTableFiles {
  std::string mounts = "/proc/self/mounts";
  std::string blocks = "/sys/block";
  std::string labels = "/dev/disk/by-label";
};
MountTableFiles tableFiles;

// "\040" and its kin: the mount table escapes blanks, tabs, newlines and
// backslashes in its fields.
std::string Unescape(const std::string &field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    auto octal = [&](size_t k) { return field[k] >= '0' && field[k] <= '7'; };
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        octal(i + 2) && octal(i + 3)) {
      out += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

bool IsPseudo(const std::string &type) {
  static const char *const kPseudo[] = {
      "proc",       "sysfs",         "devtmpfs", "devpts",   "cgroup",      "cgroup2",
      "securityfs", "debugfs",       "tracefs",  "pstore",   "bpf",         "autofs",
      "mqueue",     "hugetlbfs",     "configfs", "fusectl",  "binfmt_misc", "efivarfs",
      "rpc_pipefs", "nsfs",          "overlay",  "squashfs", "fuse.portal", "fuse.gvfsd-fuse",
      "selinuxfs",  "ramfs_internal"};
  for (const char *p : kPseudo)
    if (type == p)
      return true;
  return false;
}

bool IsBelow(const std::string &point, const char *top) {
  const size_t n = std::strlen(top);
  return point.compare(0, n, top) == 0 && (point.size() == n || point[n] == '/');
}

bool WorthALetter(const Mount &m) {
  if (m.point == "/" || IsPseudo(m.type))
    return false;
  for (const char *top : {"/proc", "/sys", "/dev", "/run"})
    if (IsBelow(m.point, top))
      return false;
  // A file bind-mounted over a file (a container's /etc/hosts) is no drive.
  VQWIN_FILE_STATUS status;
  return FileStatus(m.point, status) != 0 || status.isDirectory;
}

bool IsNetwork(const std::string &type) {
  static const char *const kNetwork[] = {"nfs",       "nfs4",       "cifs",        "smb3",
                                         "smbfs",     "ncpfs",      "afs",         "ceph",
                                         "glusterfs", "fuse.sshfs", "fuse.rclone", "davfs"};
  for (const char *n : kNetwork)
    if (type == n)
      return true;
  return false;
}

std::string BaseName(const std::string &path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsOptical(const Mount &m) {
  return m.type == "iso9660" || m.type == "udf" || BaseName(m.source).compare(0, 2, "sr") == 0;
}

bool IsRemovable(const Mount &m) {
  std::string device, disk;
  return BlockDeviceFolders(m.source, device, disk) && ReadLine(disk + "/removable") == "1";
}

// A removable or optical device whose size is 0 holds no medium.
bool HasNoMedium(const Mount &m) {
  std::string device, disk;
  return BlockDeviceFolders(m.source, device, disk) && ReadLine(device + "/size") == "0";
}

UINT KindOf(const Mount &m) {
  if (IsNetwork(m.type))
    return DRIVE_REMOTE;
  if (m.type == "tmpfs" || m.type == "ramfs")
    return DRIVE_RAMDISK;
  if (IsOptical(m))
    return DRIVE_CDROM;
  return IsRemovable(m) ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

// The mounts that get letters from D: on, with their letters.
std::vector<std::pair<char, Mount>> LetteredMounts() {
  std::vector<std::pair<char, Mount>> out;
  char letter = 'D';
  for (const Mount &m : ReadMounts()) {
    if (!WorthALetter(m))
      continue;
    while (letter <= 'Z' && ConfiguredDriveRoot(letter))
      ++letter;
    if (letter > 'Z')
      break;
    out.emplace_back(letter++, m);
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
    return (c | 0x20) - 'a' + 10;
  return -1;
}

// Labels are kept as links named after the label, "\x20" for a blank; a
// name that only looks like an escape is taken as it stands.
std::string LabelOf(const Mount &m) {
  const std::string device = BaseName(m.source);
  if (device.empty() || m.source[0] != '/')
    return {};
  std::vector<DirectoryEntry> entries;
  if (!ListDirectory(tableFiles.labels, entries))
    return {};
  for (const DirectoryEntry &e : entries) {
    char target[4096];
    const std::string link = tableFiles.labels + "/" + e.name;
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0 || BaseName(std::string(target, size_t(n))) != device)
      continue;
    std::string label;
    for (size_t i = 0; i < e.name.size(); ++i) {
      const int high = i + 3 < e.name.size() ? HexDigit(e.name[i + 2]) : -1;
      const int low = high >= 0 ? HexDigit(e.name[i + 3]) : -1;
      if (e.name.compare(i, 2, "\\x") == 0 && low >= 0) {
        label += char(high * 16 + low);
        i += 3;
      } else {
        label += e.name[i];
      }
    }
    return label;
  }
  return {};
}

DWORD VolumeError(int err) {
  switch (err) {
  case EACCES:
  case EPERM:
    return ERROR_ACCESS_DENIED;
  case ENOENT:
  case ENOTDIR:
    return ERROR_PATH_NOT_FOUND;
  case ENOMEDIUM:
    return ERROR_NOT_READY;
  case ENOTCONN:
  case EHOSTDOWN:
  case EHOSTUNREACH:
  case ETIMEDOUT:
  case ESTALE:
  case ECONNREFUSED:
    return ERROR_BAD_NETPATH;
  default:
    return ERROR_INVALID_FUNCTION;
  }
}

bool CopyOut(const std::string &text, LPSTR buffer, DWORD size) {
  if (!buffer)
    return true;
  if (text.size() >= size)
    return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

// "server:/export/home" (NFS), "//server/share" (CIFS) and "user@host:dir"
// (sshfs) as Win32 writes remote names.
std::string RemoteNameOf(const Mount &m) {
  std::string server, path;
  if (m.source.compare(0, 2, "//") == 0) {
    const size_t slash = m.source.find('/', 2);
    server = m.source.substr(2, slash == std::string::npos ? std::string::npos : slash - 2);
    path = slash == std::string::npos ? "" : m.source.substr(slash + 1);
  } else if (const size_t colon = m.source.find(':'); colon != std::string::npos) {
    server = m.source.substr(0, colon);
    if (const size_t at = server.find('@'); at != std::string::npos)
      server.erase(0, at + 1);
    path = m.source.substr(colon + 1);
  } else {
    path = m.source;
  }
  std::string remote;
  if (server.empty()) {
    remote = path;
    for (char &c : remote)
      c = c == '/' ? '\\' : c;
  } else {
    remote = "\\\\" + server;
    for (size_t at = 0; at < path.size();) {
      const size_t slash = std::min(path.find('/', at), path.size());
      if (slash > at)
        remote += "\\" + path.substr(at, slash - at);
      at = slash + 1;
    }
  }
  std::string carried;
  cp1252::FromUtf8(remote.data(), remote.size(), carried);
  return carried;
}

} // namespace

// The kernel separates fields by blanks and lines by newlines and escapes
// exactly those (and tabs and backslashes), so any other byte, a carriage
// return too, belongs to the field it stands in.
std::vector<Mount> ReadMounts() {
  std::vector<Mount> out;
  std::ifstream in(tableFiles.mounts);
  std::string line;
  while (std::getline(in, line)) {
    std::string fields[4];
    size_t at = 0;
    int n = 0;
    for (; n < 4; ++n) {
      at = line.find_first_not_of(" \t", at);
      if (at == std::string::npos)
        break;
      const size_t end = std::min(line.find_first_of(" \t", at), line.size());
      fields[n] = line.substr(at, end - at);
      at = end;
    }
    if (n < 4)
      continue;
    Mount m{Unescape(fields[0]), Unescape(fields[1]), fields[2], fields[3]};
    // No path holds a NUL, so a line escaping one is no mount of this system.
    if (m.source.find('\0') != std::string::npos || m.point.find('\0') != std::string::npos)
      continue;
    while (m.point.size() > 1 && m.point.back() == '/')
      m.point.pop_back();
    for (auto it = out.begin(); it != out.end(); ++it)
      if (it->point == m.point) {
        out.erase(it);
        break;
      }
    out.push_back(std::move(m));
  }
  return out;
}

std::optional<Mount> MountOf(const std::vector<Mount> &mounts, const std::string &native) {
  const Mount *best = nullptr;
  for (const Mount &m : mounts)
    if ((m.point == "/" || IsBelow(native, m.point.c_str())) &&
        (!best || m.point.size() > best->point.size()))
      best = &m;
  return best ? std::optional<Mount>(*best) : std::nullopt;
}

std::optional<std::string> MountedDriveRoot(char letter) {
  const char upper = char(letter & ~0x20);
  for (const auto &[l, m] : LetteredMounts())
    if (l == upper)
      return m.point;
  return std::nullopt;
}

char RootLetter(const char *root) {
  if (!root || !std::isalpha(static_cast<unsigned char>(root[0])) || root[1] != ':')
    return 0;
  if (root[2] && !((root[2] == '\\' || root[2] == '/') && root[3] == '\0'))
    return 0;
  return char(root[0] & ~0x20);
}

bool DriveMount(const char *root, std::string &native, Mount &mount, DWORD &error) {
  const char letter = RootLetter(root ? root : "C:\\");
  if (letter) {
    const auto dir = DriveRoot(letter);
    if (!dir) {
      error = ERROR_PATH_NOT_FOUND;
      return false;
    }
    native = *dir;
    while (native.size() > 1 && native.back() == '/')
      native.pop_back();
  } else if (root && root[0] == '/') {
    native = root; // a mount point named natively
    while (native.size() > 1 && native.back() == '/')
      native.pop_back();
  } else {
    error = ERROR_INVALID_NAME;
    return false;
  }
  const std::vector<Mount> mounts = ReadMounts();
  const auto found = MountOf(mounts, native);
  if (!found || (!letter && found->point != native)) {
    error = letter ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME;
    return false;
  }
  mount = *found;
  return true;
}

bool BlockDeviceFolders(const std::string &source, std::string &device, std::string &disk) {
  if (source.empty() || source[0] != '/')
    return false;
  const std::string name = BaseName(source);
  VQWIN_FILE_STATUS status;
  if (FileStatus(tableFiles.blocks + "/" + name, status) == 0 && status.isDirectory) {
    device = disk = tableFiles.blocks + "/" + name;
    return true;
  }
  std::vector<DirectoryEntry> disks;
  if (!ListDirectory(tableFiles.blocks, disks))
    return false;
  for (const DirectoryEntry &d : disks) {
    const std::string candidate = tableFiles.blocks + "/" + d.name + "/" + name;
    if (FileStatus(candidate, status) == 0 && status.isDirectory) {
      device = candidate;
      disk = tableFiles.blocks + "/" + d.name;
      return true;
    }
  }
  return false;
}

std::string ReadLine(const std::string &path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

} // namespace vqwin::kernel

using namespace vqwin::kernel;

void WINAPI VqwinSetMountTable(const VQWIN_MOUNT_TABLE *table) {
  tableFiles = MountTableFiles{};
  if (!table)
    return;
  if (table->mountsFile)
    tableFiles.mounts = table->mountsFile;
  if (table->blockDevices)
    tableFiles.blocks = table->blockDevices;
  if (table->labels)
    tableFiles.labels = table->labels;
}

DWORD WINAPI GetLogicalDrives(void) {
  DWORD mask = 0;
  const auto lettered = LetteredMounts();
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    bool present;
    if (auto configured = ConfiguredDriveRoot(letter))
      present = !configured->empty();
    else if (letter == 'C')
      present = true;
    else {
      present = false;
      for (const auto &entry : lettered)
        present = present || entry.first == letter;
    }
    if (present)
      mask |= DWORD(1) << (letter - 'A');
  }
  SetLastError(ERROR_SUCCESS);
  return mask;
}

UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName) {
  std::string native;
  Mount mount;
  DWORD error = 0;
  if (!DriveMount(lpRootPathName, native, mount, error))
    return DRIVE_NO_ROOT_DIR;
  return KindOf(mount);
}

BOOL WINAPI GetVolumeInformationA(LPCSTR lpRootPathName, LPSTR lpVolumeNameBuffer,
                                  DWORD nVolumeNameSize, LPDWORD lpVolumeSerialNumber,
                                  LPDWORD lpMaximumComponentLength, LPDWORD lpFileSystemFlags,
                                  LPSTR lpFileSystemNameBuffer, DWORD nFileSystemNameSize) {
  std::string native;
  Mount mount;
  DWORD error = 0;
  if (!DriveMount(lpRootPathName, native, mount, error)) {
    SetLastError(error);
    return FALSE;
  }
  const UINT kind = KindOf(mount);
  if ((kind == DRIVE_REMOVABLE || kind == DRIVE_CDROM) && HasNoMedium(mount)) {
    SetLastError(ERROR_NOT_READY);
    return FALSE;
  }
  struct statfs fs {};
  if (statfs(native.c_str(), &fs) != 0) {
    SetLastError(VolumeError(errno));
    return FALSE;
  }
  std::string label, type;
  const std::string systemLabel = LabelOf(mount);
  vqwin::cp1252::FromUtf8(systemLabel.data(), systemLabel.size(), label);
  for (const char c : mount.type)
    type += char(std::toupper(static_cast<unsigned char>(c)));
  if (!CopyOut(label, lpVolumeNameBuffer, nVolumeNameSize) ||
      !CopyOut(type, lpFileSystemNameBuffer, nFileSystemNameSize)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (lpVolumeSerialNumber) {
    int id[2];
    std::memcpy(id, &fs.f_fsid, sizeof id);
    *lpVolumeSerialNumber = DWORD(id[0]) ^ DWORD(id[1]);
  }
  if (lpMaximumComponentLength)
    *lpMaximumComponentLength = DWORD(fs.f_namelen);
  if (lpFileSystemFlags)
    *lpFileSystemFlags = FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES |
                         FILE_UNICODE_ON_DISK |
                         ((fs.f_flags & ST_RDONLY) ? FILE_READ_ONLY_VOLUME : 0);
  return TRUE;
}

DWORD WINAPI WNetGetConnectionA(LPCSTR lpLocalName, LPSTR lpRemoteName, LPDWORD lpnLength) {
  const char letter = lpLocalName && lpLocalName[0] && lpLocalName[1] == ':' && !lpLocalName[2]
                          ? RootLetter(lpLocalName)
                          : 0;
  if (!letter)
    return ERROR_BAD_DEVICE;
  if (!lpnLength || (!lpRemoteName && *lpnLength))
    return ERROR_INVALID_PARAMETER;
  std::string native;
  Mount mount;
  DWORD error = 0;
  if (!DriveMount(lpLocalName, native, mount, error))
    return ERROR_BAD_DEVICE;
  if (!IsNetwork(mount.type))
    return ERROR_NOT_CONNECTED;
  std::string remote = RemoteNameOf(mount);
  if (native.size() > mount.point.size()) { // a folder inside the mount
    std::string inside;
    vqwin::cp1252::FromUtf8(native.data() + mount.point.size(), native.size() - mount.point.size(),
                            inside);
    for (char &c : inside)
      c = c == '/' ? '\\' : c;
    remote += inside;
  }
  if (remote.size() + 1 > *lpnLength) {
    *lpnLength = DWORD(remote.size() + 1);
    return ERROR_MORE_DATA;
  }
  std::memcpy(lpRemoteName, remote.c_str(), remote.size() + 1);
  return NO_ERROR;
}
