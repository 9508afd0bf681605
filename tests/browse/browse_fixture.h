// Shared set-up of the browsing tests: a temporary folder that each test
// fills with the tree it scans (removed again, permissions restored), and
// a fed mount table with its block-device and label folders.
#ifndef VQ_TESTS_BROWSE_FIXTURE_H
#define VQ_TESTS_BROWSE_FIXTURE_H

#include "../common/captured_test.h"

#include <vq_tbl32.h>
#include <vqwin_seams.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace vqtest {

namespace fs = std::filesystem;

class BrowseTest : public CapturedTest {
protected:
  void SetUp() override {
    CapturedTest::SetUp();
    // No test asks the real network: without a station source of its own,
    // "NetApi32.dll" is absent as on a machine without interfaces.
    const VQWIN_STATION_QUERY offline = {nullptr, 0, 0, 0, TRUE};
    VqwinSetStationQuery(&offline);
    char pattern[] = "/tmp/vqbrowse-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
  }
  void TearDown() override {
    VqwinSetMountTable(nullptr);
    VqwinSetStationSource(nullptr);
    VqwinSetStationQuery(nullptr);
    VqwinSetSearchHook(nullptr, nullptr);
    for (char c = 'A'; c <= 'Z'; ++c)
      VqwinSetDriveRoot(c, nullptr);
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(root, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root, ignored);
    CapturedTest::TearDown();
  }
  /// Makes a file of `size` bytes (folders on the way too).
  void File(const std::string &relative, size_t size = 0) const {
    const fs::path p = fs::path(root) / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p) << std::string(size, 'x');
  }
  void Dir(const std::string &relative) const { fs::create_directories(fs::path(root) / relative); }
  /// Writes a text file (folders on the way too).
  void Text(const std::string &relative, const std::string &text) const {
    const fs::path p = fs::path(root) / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
  }
  /// The library's form of a path below the folder: '\' between its parts.
  std::string Win(const std::string &relative) const {
    std::string out = relative;
    for (char &c : out)
      c = c == '/' ? '\\' : c;
    return root + "\\" + out;
  }
  std::string root;
};

} // namespace vqtest

#endif
