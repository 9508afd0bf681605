// Arbitrary bytes as the kernel's mount table, the outside input behind the
// drive functions. The input is up to three parts split at NUL bytes:
//
//   table text \0 label links ("label<TAB>device" lines) \0 a mount point
//
// Label links lead to the devices sda1, sdb1, sr0 and fuzz in the harness's
// own folder, as udev's lead to /dev.
//
// With the table and labels in force, every drive GetLogicalDrives reports
// must have a letter, a kind and, through GetVolumeInformationA and
// WNetGetConnectionA, names that fit the buffers given. The third part is
// made a canonical path below /vqfuzz, escaped in octal as the kernel
// writes it, and must come back unchanged as the root of drive D:.
#include "fuzz_check.h"

#include <windows.h>
#include <vqwin_seams.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Folder {
  std::string root, mounts, blocks, labels;
  std::vector<std::string> links; // made for the last input

  Folder() {
    char pattern[] = "/tmp/vqfuzz-mounts-XXXXXX";
    CHECK(mkdtemp(pattern));
    root = pattern;
    mounts = root + "/mounts";
    blocks = root + "/block";
    labels = root + "/by-label";
    // A removable disk without a medium and a fixed one, so device sources
    // reach the removable and not-ready paths.
    for (const char *d : {"/block", "/block/sdb", "/block/sdb/sdb1", "/block/sda",
                          "/block/sda/sda1", "/by-label", "/dev"})
      mkdir((root + d).c_str(), 0755);
    // Label links lead to these; a link to nothing is passed over.
    for (const char *device : {"sda1", "sdb1", "sr0", "fuzz"})
      std::ofstream(root + "/dev/" + device);
    const char *files[][2] = {{"/block/sdb/removable", "1"}, {"/block/sdb/size", "0"},
                              {"/block/sdb/sdb1/size", "0"}, {"/block/sda/removable", "0"},
                              {"/block/sda/size", "100"},    {"/block/sda/sda1/size", "100"}};
    for (const auto &f : files)
      std::ofstream(root + f[0]) << f[1] << "\n";
    const VQWIN_MOUNT_TABLE table = {mounts.c_str(), blocks.c_str(), labels.c_str()};
    VqwinSetMountTable(&table);
  }
  ~Folder() {
    VqwinSetMountTable(nullptr);
    std::system(("rm -rf " + root).c_str());
  }
  void Write(const std::string &text) const { std::ofstream(mounts, std::ios::binary) << text; }
};

Folder &TheFolder() {
  static Folder folder;
  return folder;
}

void MakeLabels(Folder &f, const std::string &lines) {
  for (const std::string &link : f.links)
    unlink(link.c_str());
  f.links.clear();
  size_t at = 0;
  while (at < lines.size() && f.links.size() < 4) {
    const size_t end = std::min(lines.find('\n', at), lines.size());
    const std::string line = lines.substr(at, end - at);
    at = end + 1;
    const size_t tab = line.find('\t');
    const std::string name = line.substr(0, tab);
    if (tab == std::string::npos || name.empty() || name.size() > 100 ||
        name.find('/') != std::string::npos || name == "." || name == "..")
      continue;
    const std::string link = f.labels + "/" + name;
    if (symlink((f.root + "/dev/" + line.substr(tab + 1)).c_str(), link.c_str()) == 0)
      f.links.push_back(link);
  }
}

void CheckDrives() {
  const DWORD mask = GetLogicalDrives();
  CHECK((mask >> 26) == 0);
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (DWORD(1) << i)))
      continue;
    const char root[] = {char('A' + i), ':', '\\', '\0'};
    const UINT kind = GetDriveTypeA(root);
    CHECK(kind >= DRIVE_NO_ROOT_DIR && kind <= DRIVE_RAMDISK);
    // Past C: every letter is a mount of the table.
    CHECK(root[0] <= 'C' || kind >= DRIVE_REMOVABLE);
    // Heap buffers of exactly the sizes given, so a write past one is caught.
    std::vector<char> volume(256, 'x'), type(128, 'x');
    DWORD serial = 0, component = 0, flags = 0;
    if (GetVolumeInformationA(root, volume.data(), DWORD(volume.size()), &serial, &component,
                              &flags, type.data(), DWORD(type.size()))) {
      CHECK(std::memchr(volume.data(), 0, volume.size()));
      CHECK(std::memchr(type.data(), 0, type.size()));
    }
    std::vector<char> small(2);
    GetVolumeInformationA(root, small.data(), DWORD(small.size()), nullptr, nullptr, nullptr,
                          nullptr, 0);
    if (kind != DRIVE_REMOTE)
      continue;
    const char local[] = {root[0], ':', '\0'};
    std::vector<char> remote(MAX_PATH);
    DWORD length = DWORD(remote.size());
    const DWORD result = WNetGetConnectionA(local, remote.data(), &length);
    CHECK(result == NO_ERROR || result == ERROR_MORE_DATA);
    if (result == NO_ERROR) {
      CHECK(std::strlen(remote.data()) < remote.size());
      continue;
    }
    CHECK(length > remote.size());
    std::vector<char> exact(length);
    CHECK(WNetGetConnectionA(local, exact.data(), &length) == NO_ERROR);
    CHECK(std::strlen(exact.data()) + 1 == exact.size());
  }
}

// The fake file system of the round trip: every path is a folder, and the
// last one asked is kept.
std::string asked;
int AnyFolder(const char *path, VQWIN_FILE_STATUS *status, void *) {
  asked = path;
  status->isDirectory = TRUE;
  status->isWritable = TRUE;
  return 0;
}

void CheckRoundTrip(const Folder &f, std::string bytes) {
  for (char &c : bytes)
    c = c ? c : '/';
  std::string point = "/vqfuzz";
  for (size_t at = 0; at < bytes.size() && point.size() < 200;) {
    const size_t end = std::min(bytes.find('/', at), bytes.size());
    const std::string part = bytes.substr(at, std::min<size_t>(end - at, 200));
    at = end + 1;
    if (!part.empty() && part != "." && part != "..")
      point += "/" + part;
  }
  std::string escaped;
  for (const char c : point) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
      char octal[5];
      std::snprintf(octal, sizeof octal, "\\%03o", unsigned(static_cast<unsigned char>(c)));
      escaped += octal;
    } else {
      escaped += c;
    }
  }
  f.Write("/dev/sda1 / ext4 rw 0 0\n/dev/fuzz " + escaped + " ext4 rw,relatime 0 0\n");
  const VQWIN_FILE_SYSTEM fake = {AnyFolder, nullptr, nullptr, nullptr};
  VqwinSetFileSystem(&fake);
  asked.clear();
  const DWORD attributes = GetFileAttributesA("D:\\");
  VqwinSetFileSystem(nullptr);
  CHECK(attributes == FILE_ATTRIBUTE_DIRECTORY);
  CHECK(asked == point + "/");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 8192)
    return 0;
  Folder &f = TheFolder();
  const std::string input(reinterpret_cast<const char *>(data), size);
  const size_t first = std::min(input.find('\0'), input.size());
  const size_t second = first < size ? std::min(input.find('\0', first + 1), size) : size;
  f.Write(input.substr(0, first));
  MakeLabels(f, first < size ? input.substr(first + 1, second - first - 1) : "");
  CheckDrives();
  if (second < size)
    CheckRoundTrip(f, input.substr(second + 1));
  return 0;
}
