// Shared helpers of the engine tests: a scratch folder per test, index
// description items built field by field, and records with typed fields.
#ifndef VQ_TESTS_ISAM_FIXTURE_H
#define VQ_TESTS_ISAM_FIXTURE_H

#include <vq_isa32.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace isamtest {

struct Part {
  UINT type;
  UINT offset;
  UINT size;
};

inline ISAMIDT keyItem(std::vector<Part> parts, bool unique = false, BYTE sparse = 0,
                       BYTE reversed = 0) {
  ISAMIDT item{};
  item.bytes[0] = unique ? 1 : 0;
  item.bytes[1] = sparse;
  item.bytes[2] = reversed;
  item.bytes[5] = static_cast<BYTE>(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    BYTE *p = item.bytes + 6 + 8 * i;
    p[0] = static_cast<BYTE>(parts[i].type);
    p[1] = static_cast<BYTE>(parts[i].type >> 8);
    p[2] = static_cast<BYTE>(parts[i].offset);
    p[3] = static_cast<BYTE>(parts[i].offset >> 8);
    p[4] = static_cast<BYTE>(parts[i].size);
    p[5] = static_cast<BYTE>(parts[i].size >> 8);
  }
  return item;
}

inline UINT keyType(const char *name) { return ISAMGetKeyType(name); }

inline uint32_t le32(const void *p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

/// A scratch folder removed after the test, with an open file in it when
/// the test asks for one.
class IsamTest : public ::testing::Test {
protected:
  void SetUp() override {
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::temp_directory_path() / ("vq_isam_" + std::to_string(::getpid()) + "_" +
                                                    info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    UINT detail = 0;
    if (file)
      ISAMClose(file, &detail);
    std::error_code ec;
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(dir, ec);
  }
  std::string path(const char *name = "test.isa") const { return (dir / name).string(); }

  void create(const char *name = "test.isa") {
    UINT detail = 0;
    ASSERT_EQ(ISAMCreate(&file, path(name).c_str(), &detail), 0u);
  }
  void reopen(UINT mode = ISAM_MODE_READWRITE, const char *name = "test.isa") {
    UINT detail = 0;
    if (file) {
      ASSERT_EQ(ISAMClose(file, &detail), 0u);
    }
    file = nullptr;
    ASSERT_EQ(ISAMOpen(&file, path(name).c_str(), mode, &detail), 0u) << detail;
  }
  HISAMTABLE makeTable(const char *name, const std::vector<ISAMIDT> &keys, UINT recordSize) {
    EXPECT_EQ(ISAMCreateTable(file, name, keys.empty() ? nullptr : keys.data(),
                              static_cast<UINT>(keys.size()), recordSize, 1024),
              0u);
    HISAMTABLE table = nullptr;
    EXPECT_EQ(ISAMOpenTable(file, name, &table), 0u);
    return table;
  }
  DWORD insert(HISAMTABLE table, const std::vector<BYTE> &record) {
    DWORD address = 0;
    EXPECT_EQ(ISAMInsertRecord(table, record.data(), static_cast<UINT>(record.size()), &address),
              0u);
    return address;
  }
  /// Addresses of an index in iteration order.
  std::vector<DWORD> walk(HISAMTABLE table, UINT index, UINT recordSize) {
    std::vector<DWORD> addresses;
    std::vector<BYTE> buffer(recordSize);
    DWORD address = 0;
    UINT err;
    while ((err = ISAMReadNextRecord(table, index, buffer.data(), &address, 0)) == 0)
      addresses.push_back(address);
    EXPECT_EQ(err, UINT{ISAM_END_OF_ITERATION});
    return addresses;
  }
  std::vector<DWORD> all(HISAMTABLE table, UINT index, UINT recordSize, UINT flags = 0) {
    EXPECT_EQ(ISAMSetupIterationLimits(table, index, flags, nullptr, nullptr), 0u);
    return walk(table, index, recordSize);
  }

  std::filesystem::path dir;
  HISAMFILE file = nullptr;
};

} // namespace isamtest

#endif
