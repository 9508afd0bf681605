// Directory searches over a temporary folder, drives from a mount table the
// test writes, the device counters, network connections and the code-page
// conversion of names.
#include <windows.h>
#include <vqwin_seams.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include "../common/fake_mounts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

class KernelFolder : public testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/vqwin-find-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
  }
  void TearDown() override {
    VqwinSetMountTable(nullptr);
    VqwinSetSearchHook(nullptr, nullptr);
    VqwinSetDriveRoot('Q', nullptr);
    std::system(("rm -rf " + root).c_str());
  }
  void Write(const std::string &relative, const std::string &text = "") const {
    const std::string path = root + "/" + relative;
    std::system(("mkdir -p \"$(dirname '" + path + "')\"").c_str());
    std::ofstream(path) << text;
  }
  std::set<std::string> Find(const std::string &pattern, DWORD &error) const {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(pattern.c_str(), &data);
    error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (h == INVALID_HANDLE_VALUE)
      return names;
    do
      names.insert(data.cFileName);
    while (FindNextFileA(h, &data));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(h));
    return names;
  }
  std::string root;
};

TEST_F(KernelFolder, SearchPatternsAndErrors) {
  for (const char *f : {"a1.txt", "B2.TXT", "b", "c.dat", ".hidden", "sub/x"})
    Write(f);
  Write("K\xC3\xB6ln");
  using Names = std::set<std::string>;
  const std::string w = root + "\\";
  const struct {
    std::string pattern;
    Names names;
    DWORD error;
  } rows[] = {
      {w + "*.*", {".", "..", ".hidden", "B2.TXT", "K\xF6ln", "a1.txt", "b", "c.dat", "sub"}, 0},
      {w + "*.txt", {"B2.TXT", "a1.txt"}, 0},
      {w + "?2.t?t", {"B2.TXT"}, 0},
      {w + "b.*", {"b"}, 0},
      {w + "k\xD6LN", {"K\xF6ln"}, 0},
      {w + "sub\\*", {".", "..", "x"}, 0},
      {w + "none*", {}, ERROR_FILE_NOT_FOUND},
      {w + "nodir\\*", {}, ERROR_PATH_NOT_FOUND},
      {w + std::string(MAX_PATH, 'a'), {}, ERROR_FILENAME_EXCED_RANGE}};
  for (const auto &r : rows) {
    DWORD error = 0;
    EXPECT_EQ(Find(r.pattern, error), r.names) << r.pattern;
    EXPECT_EQ(error, r.error) << r.pattern;
  }
  WIN32_FIND_DATAA data;
  EXPECT_EQ(FindFirstFileA(nullptr, &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  ASSERT_TRUE(VqwinSetDriveRoot('Q', root.c_str()));
  DWORD error = 0;
  EXPECT_EQ(Find("Q:\\s*", error), Names{"sub"}) << "no dots in a drive's root";
}

TEST_F(KernelFolder, EntriesCarrySizesTimesAndAttributes) {
  Write("ro.txt");
  Write("dir/inner");
  chmod((root + "/ro.txt").c_str(), 0444);
  Write("big.bin");
  ASSERT_EQ(truncate((root + "/big.bin").c_str(), 5368709121LL), 0);
  symlink((root + "/dir").c_str(), (root + "/dirlink").c_str());
  // Removed between the listing and the stat, as another program may.
  Write("gone.txt", "data");
  VqwinSetSearchHook(
      [](const char *dir, const char *name, void *) {
        if (std::string(name) == "gone.txt")
          unlink((std::string(dir) + "/" + name).c_str());
      },
      nullptr);
  const timespec times[2] = {{1000000000, 0}, {1700000000, 123456700}};
  utimensat(AT_FDCWD, (root + "/ro.txt").c_str(), times, 0);
  const struct {
    const char *name;
    DWORD attributes, high, low;
  } rows[] = {{"big.bin", FILE_ATTRIBUTE_NORMAL, 1, 1073741825},
              {"ro.txt", FILE_ATTRIBUTE_READONLY, 0, 0},
              {"dir", FILE_ATTRIBUTE_DIRECTORY, 0, 0},
              {"dirlink", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, 0, 0},
              {"gone.txt", FILE_ATTRIBUTE_NORMAL, 0, 0}};
  for (const auto &r : rows) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((root + "/" + r.name).c_str(), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << r.name;
    EXPECT_EQ(data.dwFileAttributes, r.attributes) << r.name;
    EXPECT_EQ(data.nFileSizeHigh, r.high) << r.name;
    EXPECT_EQ(data.nFileSizeLow, r.low) << r.name;
    EXPECT_STREQ(data.cAlternateFileName, "");
    if (std::string(r.name) == "ro.txt") {
      const ULONGLONG ticks = (1700000000ull + 11644473600ull) * 10000000ull + 1234567;
      EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, DWORD(ticks));
      EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, DWORD(ticks >> 32));
    }
    const bool gone = std::string(r.name) == "gone.txt";
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime == 0 && data.ftLastWriteTime.dwHighDateTime == 0,
              gone)
        << r.name << ": only an entry that vanished comes without a time";
    FindClose(h);
  }
}

TEST_F(KernelFolder, CodePageNamesReachUtf8Files) {
  const std::string name = root + "\\M\xFCller.txt";
  HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_EQ(access((root + "/M\xC3\xBCller.txt").c_str(), F_OK), 0);
  EXPECT_TRUE(DeleteFileA(name.c_str()));
  const WCHAR wide[] = u"B\u00fcro \u20ac \u2603";
  char out[32];
  BOOL usedDefault = FALSE;
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, out, sizeof out, nullptr, &usedDefault), 9);
  EXPECT_STREQ(out, "B\xFCro \x80 ?");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr), 14);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, out, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  // Names that are no UTF-8: each byte of a malformed sequence is a '?',
  // and an overlong '/' never becomes one.
  const struct {
    const char *onDisk, *listed;
  } names[] = {{"x\xE0\x80\xAF"
                "a",
                "x???a"},
               {"x\xED\xA0\x80"
                "b",
                "x???b"},
               {"x\xC3", "x?"},
               {"x\xF0\x9F\x98\x80"
                "c",
                "x?c"}};
  for (const auto &n : names) {
    const std::string path = root + "/" + n.onDisk;
    ASSERT_EQ(close(creat(path.c_str(), 0600)), 0);
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA((root + "\\x*").c_str(), &data);
    ASSERT_NE(found, INVALID_HANDLE_VALUE) << n.listed;
    EXPECT_STREQ(data.cFileName, n.listed);
    FindClose(found);
    unlink(path.c_str());
  }
}

// The mount table: C: the root, D: NFS, E: CIFS, F: tmpfs, G: ISO 9660,
// H: a USB stick, I: a card reader without a card; no letters for proc and
// for a file mounted over a file.
class MountTable : public KernelFolder {
protected:
  void SetUp() override {
    KernelFolder::SetUp();
    fake = std::make_unique<vqtest::FakeMounts>(root, "MY\\x20STICK", "100");
    std::system(("mkdir -p " + root + "/nfs/x").c_str());
  }
  std::unique_ptr<vqtest::FakeMounts> fake;
};

TEST_F(MountTable, LettersKindsVolumesAndConnections) {
  EXPECT_EQ(GetLogicalDrives(), 0x1FCu);
  const struct {
    const char *root;
    UINT type;
    BOOL volume;
    DWORD error;
    const char *label, *fileSystem, *remote;
    DWORD connection;
  } rows[] = {
      {"C:\\", DRIVE_FIXED, TRUE, 0, "", "EXT4", "", ERROR_NOT_CONNECTED},
      {"D:\\", DRIVE_REMOTE, TRUE, 0, "", "NFS4", "\\\\server\\export\\home", NO_ERROR},
      {"e:", DRIVE_REMOTE, TRUE, 0, "", "CIFS", "\\\\fileserver\\public", NO_ERROR},
      {"F:\\", DRIVE_RAMDISK, TRUE, 0, "", "TMPFS", "", ERROR_NOT_CONNECTED},
      {"G:\\", DRIVE_CDROM, TRUE, 0, "", "ISO9660", "", ERROR_NOT_CONNECTED},
      {"H:\\", DRIVE_REMOVABLE, TRUE, 0, "MY STICK", "VFAT", "", ERROR_NOT_CONNECTED},
      {"I:\\", DRIVE_REMOVABLE, FALSE, ERROR_NOT_READY, "", "", "", ERROR_NOT_CONNECTED},
      {"J:\\", DRIVE_NO_ROOT_DIR, FALSE, ERROR_PATH_NOT_FOUND, "", "", "", ERROR_BAD_DEVICE},
      {"C:\\dir", DRIVE_NO_ROOT_DIR, FALSE, ERROR_INVALID_NAME, "", "", "", ERROR_BAD_DEVICE}};
  for (const auto &r : rows) {
    EXPECT_EQ(GetDriveTypeA(r.root), r.type) << r.root;
    char label[256] = "?", fileSystem[128] = "?";
    DWORD serial = 0, longest = 0, flags = 0;
    EXPECT_EQ(GetVolumeInformationA(r.root, label, sizeof label, &serial, &longest, &flags,
                                    fileSystem, sizeof fileSystem),
              r.volume)
        << r.root;
    if (r.volume) {
      EXPECT_STREQ(label, r.label) << r.root;
      EXPECT_STREQ(fileSystem, r.fileSystem) << r.root;
      EXPECT_GT(longest, 0u) << r.root;
    } else {
      EXPECT_EQ(GetLastError(), r.error) << r.root;
    }
    const char local[3] = {r.root[0], ':', '\0'};
    char remote[260] = "";
    DWORD size = sizeof remote;
    EXPECT_EQ(WNetGetConnectionA(std::string(r.root).size() > 3 ? r.root : local, remote, &size),
              r.connection)
        << r.root;
    EXPECT_STREQ(remote, r.remote) << r.root;
  }
  char small[8];
  DWORD size = sizeof small;
  EXPECT_EQ(WNetGetConnectionA("D:", small, &size), DWORD(ERROR_MORE_DATA));
  EXPECT_EQ(size, 21u);
  ASSERT_TRUE(VqwinSetDriveRoot('Q', (root + "/nfs/x").c_str()));
  EXPECT_EQ(GetLogicalDrives(), 0x101FCu) << "Q: beside the mounts' letters";
  char remote[260];
  size = sizeof remote;
  EXPECT_EQ(WNetGetConnectionA("Q:", remote, &size), DWORD(NO_ERROR));
  EXPECT_STREQ(remote, "\\\\server\\export\\home\\x");
  EXPECT_EQ(GetDriveTypeA((root + "/cd").c_str()), UINT(DRIVE_CDROM)) << "a mount point by name";
}

TEST_F(KernelFolder, MountFieldsAsTheKernelWritesThem) {
  // Blanks, tabs, newlines and backslashes come escaped in octal; any other
  // byte, a carriage return too, stands in its field. A label link whose
  // name only looks like an escape gives that name; an escaped NUL, which
  // no path holds, leaves its line out.
  const std::string dirs[] = {"a b", "c\rd", "e\\f"};
  for (const std::string &d : dirs)
    Write(d + "/m");
  Write("dev/sdz1");
  Write("labels/.keep");
  symlink("../dev/sdz1", (root + "/labels/odd\\xzz").c_str());
  Write("mounts", "/dev/vq-none / ext4 rw 0 0\n/dev/sdz1 " + root + "/a\\040b ext4 rw 0 0\n" +
                      "/dev/vq-none\t" + root + "/c\rd ext4 rw 0 0\n/dev/vq-none " + root +
                      "/e\\134f// ext4 rw 0 0\n/dev/vq-none " + root + "/g\\000h ext4 rw 0 0\n");
  const std::string mounts = root + "/mounts", labels = root + "/labels";
  const VQWIN_MOUNT_TABLE table = {mounts.c_str(), nullptr, labels.c_str()};
  VqwinSetMountTable(&table);
  EXPECT_EQ(GetLogicalDrives(), 0x3Cu);
  for (const char *marker : {"D:\\m", "E:\\m", "F:\\m"})
    EXPECT_EQ(GetFileAttributesA(marker), DWORD(FILE_ATTRIBUTE_NORMAL)) << marker;
  char label[256] = "", fileSystem[128] = "";
  ASSERT_TRUE(GetVolumeInformationA("D:\\", label, sizeof label, nullptr, nullptr, nullptr,
                                    fileSystem, sizeof fileSystem));
  EXPECT_STREQ(label, "odd\\xzz");
}

TEST_F(MountTable, DevicesAnswerTheirCounters) {
  HANDLE h = CreateFileA("\\\\.\\H:", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DISK_PERFORMANCE counters{};
  DWORD returned = 0;
  ASSERT_TRUE(DeviceIoControl(h, IOCTL_DISK_PERFORMANCE, nullptr, 0, &counters, sizeof counters,
                              &returned, nullptr));
  EXPECT_EQ(returned, sizeof counters);
  EXPECT_EQ(counters.ReadCount, 120u);
  EXPECT_EQ(counters.BytesRead.QuadPart, 4096 * 512);
  EXPECT_EQ(counters.WriteTime.QuadPart, 20 * 10000);
  EXPECT_EQ(std::u16string(counters.StorageManagerName), u"sdb1");
  EXPECT_FALSE(
      DeviceIoControl(h, 0x2D1400, nullptr, 0, &counters, sizeof counters, &returned, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FUNCTION));
  EXPECT_FALSE(
      DeviceIoControl(h, IOCTL_DISK_PERFORMANCE, nullptr, 0, &counters, 8, &returned, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(DeviceIoControl(h, IOCTL_DISK_PERFORMANCE, nullptr, 0, &counters, sizeof counters,
                               &returned, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  for (const char *device : {"\\\\.\\I:", "\\\\.\\F:", "\\\\.\\J:"}) {
    EXPECT_EQ(CreateFileA(device, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE)
        << device;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND)) << device;
  }
}

} // namespace
