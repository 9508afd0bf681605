/*
 * What the base library's tests share: a capture of the default log
 * and an OS seam whose clock, environment and file writes a test controls.
 */
#ifndef VQ_TESTS_LIB32_FIXTURE_H
#define VQ_TESTS_LIB32_FIXTURE_H

#include <vq_lib32.h>

#include "os/os_seam.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace lib32test {

/// The seam's calls that a test can make fail, in the order an atomic
/// write makes them.
enum class Step { None, Create, Write, Sync, Rename };

/// A seam with a fixed clock (05.12.2026 18:24:44.007), an environment of
/// its own and one step that fails with a chosen error.
struct FakeOs {
  static inline Step failing = Step::None;
  static inline DWORD failError = ERROR_DISK_FULL;
  static inline std::map<std::string, std::string> env;

  static DWORD Fail(Step step, DWORD rc) { return failing == step ? failError : rc; }
  static DWORD Create(const char *path, vq::lib32::OsFile *file) {
    return failing == Step::Create ? failError : vq::lib32::SystemOsCalls().create(path, file);
  }
  static DWORD Write(vq::lib32::OsFile file, const void *data, size_t size) {
    // A failing write still puts half of its bytes down, as a full disk would.
    if (failing == Step::Write) {
      vq::lib32::SystemOsCalls().write(file, data, size / 2);
      return failError;
    }
    return vq::lib32::SystemOsCalls().write(file, data, size);
  }
  static DWORD Sync(vq::lib32::OsFile file) {
    return Fail(Step::Sync, vq::lib32::SystemOsCalls().sync(file));
  }
  static DWORD Rename(const char *from, const char *to) {
    return failing == Step::Rename ? failError : vq::lib32::SystemOsCalls().rename(from, to);
  }
  static void Clock(vq::lib32::OsTime *t) { *t = {2026, 12, 5, 18, 24, 44, 7}; }
  static const char *GetEnv(const char *name) {
    auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  }

  static const vq::lib32::OsCalls &Calls() {
    static const vq::lib32::OsCalls calls = [] {
      vq::lib32::OsCalls c = vq::lib32::SystemOsCalls();
      c.create = Create;
      c.write = Write;
      c.sync = Sync;
      c.rename = Rename;
      c.localTime = Clock;
      c.getEnv = GetEnv;
      return c;
    }();
    return calls;
  }
};

/// Installs the fake seam, captures the default log and gives each test a
/// fresh folder for its files.
class Lib32Test : public ::testing::Test {
protected:
  void SetUp() override {
    FakeOs::failing = Step::None;
    FakeOs::failError = ERROR_DISK_FULL;
    FakeOs::env.clear();
    vq::lib32::SetOsCalls(&FakeOs::Calls());
    CVQLogFile::GetDefault().ClearCaptured();
    CVQLogFile::GetDefault().StartCapture();
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = std::filesystem::temp_directory_path() /
             (std::string("vq_lib32_") + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  void TearDown() override {
    CVQLogFile::GetDefault().StopCapture();
    CVQLogFile::GetDefault().ClearCaptured();
    vq::lib32::SetOsCalls(nullptr);
    std::filesystem::remove_all(folder);
  }

  /// The lines logged since the test began, "LEVEL TAG TEXT".
  static std::vector<std::string> Logged() { return CVQLogFile::GetDefault().GetCapturedLines(); }
  static void ClearLog() { CVQLogFile::GetDefault().ClearCaptured(); }

  std::string PathOf(const char *name) const { return (folder / name).string(); }

  std::filesystem::path folder;
};

} // namespace lib32test

#endif
