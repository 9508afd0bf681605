// The clock and file-system seams: time conversion under a fixed clock, and
// file attributes over real temporary files and over a fake file system.
#include <windows.h>
#include <vqwin_seams.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

struct FixedClock {
  LONGLONG utc = 0;
  LONG offset = 0;
  ULONGLONG ticks = 0;
};

class ClockTest : public testing::Test {
protected:
  void SetUp() override {
    VQWIN_CLOCK clock = {
        [](void *c) { return static_cast<FixedClock *>(c)->utc; },
        [](LONGLONG, void *c) { return static_cast<FixedClock *>(c)->offset; },
        [](void *c) { return static_cast<FixedClock *>(c)->ticks; },
        &fixed,
    };
    VqwinSetClock(&clock);
  }
  void TearDown() override { VqwinSetClock(nullptr); }
  FixedClock fixed;
};

std::string Text(const SYSTEMTIME &t) {
  char buffer[64];
  wsprintfA(buffer, "%04u-%02u-%02u %02u:%02u:%02u.%03u wd%u", t.wYear, t.wMonth, t.wDay, t.wHour,
            t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
  return buffer;
}

TEST_F(ClockTest, ConvertsInstantsToCalendarTimeAndTicks) {
  const struct {
    LONGLONG utc;
    LONG offset;
    const char *system, *local;
  } rows[] = {
      {0, 0, "1970-01-01 00:00:00.000 wd4", "1970-01-01 00:00:00.000 wd4"},
      {951782400000 + 86399999, 3600, "2000-02-29 23:59:59.999 wd2", "2000-03-01 00:59:59.999 wd3"},
      {1709164800000, -7200, "2024-02-29 00:00:00.000 wd4", "2024-02-28 22:00:00.000 wd3"},
      {-1, 0, "1969-12-31 23:59:59.999 wd3", "1969-12-31 23:59:59.999 wd3"},
      {-11644473600000, 0, "1601-01-01 00:00:00.000 wd1", "1601-01-01 00:00:00.000 wd1"}};
  for (const auto &r : rows) {
    fixed.utc = r.utc;
    fixed.offset = r.offset;
    SYSTEMTIME st;
    GetSystemTime(&st);
    EXPECT_EQ(Text(st), r.system) << "utc " << r.utc;
    GetLocalTime(&st);
    EXPECT_EQ(Text(st), r.local) << "utc " << r.utc << " offset " << r.offset;
  }
  GetSystemTime(nullptr);
  GetLocalTime(nullptr);
  fixed.ticks = 0x100000005ull;
  EXPECT_EQ(GetTickCount(), 5u) << "ticks wrap at 32 bits";
}

TEST(Beep, TracesOnlyWhenAsked) {
  unsetenv("VQWIN_TRACE");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(Beep(440, 200));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  setenv("VQWIN_TRACE", "1", 1);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(Beep(440, 200));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "vqwin: Beep(440, 200)\n");
  unsetenv("VQWIN_TRACE");
}

class FileAttributesTest : public testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/vqwin-attr-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    mkdir((root + "/dir").c_str(), 0755);
    std::ofstream(root + "/dir/file.txt") << "x";
    std::ofstream(root + "/ro.txt") << "x";
    chmod((root + "/ro.txt").c_str(), 0444);
  }
  void TearDown() override {
    VqwinSetDriveRoot('Q', nullptr);
    VqwinSetFileSystem(nullptr);
    std::system(("rm -rf " + root).c_str());
  }
  std::string root;
};

TEST_F(FileAttributesTest, SeparatorsDrivesAndErrors) {
  ASSERT_TRUE(VqwinSetDriveRoot('q', root.c_str()));
  const std::string back = "Q:\\";
  const struct {
    std::string path;
    DWORD attributes, error;
  } rows[] = {
      {root + "\\dir\\file.txt", FILE_ATTRIBUTE_NORMAL, 0},
      {root + "/ro.txt", FILE_ATTRIBUTE_READONLY, 0},
      {back + "dir\\file.txt", FILE_ATTRIBUTE_NORMAL, 0},
      {"q:dir/file.txt", FILE_ATTRIBUTE_NORMAL, 0},
      {"Q:", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"C:\\", FILE_ATTRIBUTE_DIRECTORY, 0},
      {back + "dir\\missing.txt", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {back + "nodir\\file.txt", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {back + "ro.txt\\x", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"R:\\", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {back + "dir\\*.txt", INVALID_FILE_ATTRIBUTES, ERROR_INVALID_NAME},
      {"", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {back + std::string(MAX_PATH, 'a'), INVALID_FILE_ATTRIBUTES, ERROR_FILENAME_EXCED_RANGE}};
  unsetenv("VQWIN_DRIVE_R");
  for (const auto &r : rows) {
    SetLastError(12345);
    EXPECT_EQ(GetFileAttributesA(r.path.c_str()), r.attributes) << r.path;
    if (r.error) {
      EXPECT_EQ(GetLastError(), r.error) << r.path;
    }
  }
  SetLastError(0);
  EXPECT_EQ(GetFileAttributesA(nullptr), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(FileAttributesTest, DriveFromEnvironmentAndRemovedMapping) {
  setenv("VQWIN_DRIVE_Q", root.c_str(), 1);
  EXPECT_EQ(GetFileAttributesA("Q:\\dir"), DWORD(FILE_ATTRIBUTE_DIRECTORY));
  ASSERT_TRUE(VqwinSetDriveRoot('Q', ""));
  EXPECT_EQ(GetFileAttributesA("Q:\\dir"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
  unsetenv("VQWIN_DRIVE_Q");
  EXPECT_FALSE(VqwinSetDriveRoot('1', "/"));
}

TEST_F(FileAttributesTest, FakeFileSystemSeesNativePaths) {
  struct Seen {
    std::string path;
  } seen;
  VQWIN_FILE_SYSTEM fake = {[](const char *path, VQWIN_FILE_STATUS *, void *c) {
                              static_cast<Seen *>(c)->path += std::string(path) + ";";
                              return EACCES;
                            },
                            &seen, nullptr, nullptr};
  VqwinSetFileSystem(&fake);
  EXPECT_EQ(GetFileAttributesA("C:\\secret\\x.dat"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(seen.path, "/secret/x.dat;");
}

// Each disposition against a file that exists and one that does not, with
// the last error Win32 leaves behind on success as on failure.
TEST_F(FileAttributesTest, CreateFileDispositionsAndTheirErrors) {
  const std::string there = root + "\\dir\\file.txt", missing = root + "/dir/new.txt";
  const struct {
    const char *name;
    const std::string &path;
    DWORD access, disposition;
    bool opens;
    DWORD error;
  } rows[] = {
      {"open existing", there, GENERIC_READ, OPEN_EXISTING, true, 0},
      {"open missing", missing, GENERIC_READ, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND},
      {"create new over a file", there, GENERIC_WRITE, CREATE_NEW, false, ERROR_FILE_EXISTS},
      {"create always over a file", there, GENERIC_WRITE, CREATE_ALWAYS, true,
       ERROR_ALREADY_EXISTS},
      {"open always a file", there, GENERIC_READ, OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS},
      {"truncate without write access", there, GENERIC_READ, TRUNCATE_EXISTING, false,
       ERROR_INVALID_PARAMETER},
      {"no access", there, 0, OPEN_EXISTING, false, ERROR_INVALID_PARAMETER},
      {"unknown disposition", there, GENERIC_READ, 9, false, ERROR_INVALID_PARAMETER},
      {"a directory", root + "/dir", GENERIC_READ, OPEN_EXISTING, false, ERROR_ACCESS_DENIED},
      {"missing folder", root + "/no/x", GENERIC_WRITE, CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND},
      {"open always a new file", missing, GENERIC_WRITE, OPEN_ALWAYS, true, 0},
  };
  for (const auto &r : rows) {
    SetLastError(12345);
    HANDLE h = CreateFileA(r.path.c_str(), r.access, FILE_SHARE_READ, nullptr, r.disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, r.opens) << r.name;
    EXPECT_EQ(GetLastError(), r.error) << r.name;
    if (h != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(h)) << r.name;
    }
  }
}

TEST_F(FileAttributesTest, HandlesReadWriteCloseAndDelete) {
  const std::string path = root + "/dir/data.bin";
  HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  DWORD n = 99;
  EXPECT_TRUE(WriteFile(out, "0123456789", 10, &n, nullptr));
  EXPECT_EQ(n, 10u);
  char buffer[16] = {};
  EXPECT_FALSE(ReadFile(out, buffer, 4, &n, nullptr)) << "written only";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(CloseHandle(out));
  EXPECT_FALSE(CloseHandle(out)) << "a closed handle is stale";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(ReadFile(out, buffer, 4, &n, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));

  HANDLE in =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(ReadFile(in, buffer, 16, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "0123456789");
  EXPECT_TRUE(ReadFile(in, buffer, 16, &n, nullptr)) << "the end reads as 0 bytes";
  EXPECT_EQ(n, 0u);
  OVERLAPPED overlapped{};
  EXPECT_FALSE(ReadFile(in, buffer, 1, &n, &overlapped));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(WriteFile(in, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseHandle(in));

  EXPECT_FALSE(DeleteFileA((root + "\\dir").c_str()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(DeleteFileA((root + "\\dir\\data.bin").c_str()));
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(DeleteFileA((root + "/none/x").c_str()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

// A test file system decides opening and removing as it decides status.
TEST_F(FileAttributesTest, FakeFileSystemRefusesOpenAndRemove) {
  VQWIN_FILE_SYSTEM fake = {[](const char *, VQWIN_FILE_STATUS *status, void *) {
                              status->isDirectory = FALSE;
                              status->isWritable = TRUE;
                              return 0;
                            },
                            nullptr, [](const char *, int, int, int *, void *) { return EACCES; },
                            [](const char *, void *) { return EBUSY; }};
  VqwinSetFileSystem(&fake);
  EXPECT_EQ(CreateFileA("C:\\x.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(DeleteFileA("C:\\x.dat"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
}

} // namespace
