// The buffer pool's block chain as records come and go, and its refusal of
// pointers that are not its records.
#include "../common/captured_test.h"

#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kSize = 12; // not a multiple of 8: offsets must not rely on alignment

class BuffPool : public vqtest::CapturedTest {
protected:
  static std::string Hex32(const void *p) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<UINT>(reinterpret_cast<UINT_PTR>(p)));
    return text;
  }
  static std::string Hex(const void *p) {
    char text[32];
    std::snprintf(text, sizeof text, "%llX",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(p)));
    return text;
  }
};

TEST_F(BuffPool, BlocksAreChainedAndReleasedWhenEmpty) {
  CVQBuffPool pool(kSize);
  EXPECT_EQ(pool.firstBlock, nullptr);
  EXPECT_EQ(pool.blockSize, 64 * kSize + 2 * sizeof(void *) + 12);

  std::vector<BYTE *> records;
  for (int i = 0; i < 64; ++i) {
    records.push_back(static_cast<BYTE *>(pool.alloc()));
    ASSERT_NE(records.back(), nullptr);
    for (UINT b = 0; b < kSize; ++b)
      ASSERT_EQ(records.back()[b], 0) << "record " << i << " not zeroed";
    std::memset(records.back(), i + 1, kSize);
  }
  void *const first = pool.firstBlock;
  EXPECT_EQ(pool.lastBlock, first);
  EXPECT_EQ(records[63], records[0] + 63 * kSize);

  BYTE *const extra = static_cast<BYTE *>(pool.alloc());
  ASSERT_NE(extra, nullptr);
  void *const second = pool.lastBlock;
  EXPECT_NE(second, first);
  EXPECT_EQ(pool.firstBlock, first);

  // A freed slot in the first block is reused before the second block grows.
  pool.freeRec(records[5]);
  EXPECT_EQ(records[5][0], 0);
  EXPECT_EQ(pool.alloc(), records[5]);

  for (BYTE *r : records)
    pool.freeRec(r);
  EXPECT_EQ(pool.firstBlock, second);
  EXPECT_EQ(pool.lastBlock, second);
  EXPECT_EQ(pool.getRec(0), extra);

  pool.freeRec(extra);
  EXPECT_EQ(pool.firstBlock, nullptr);
  EXPECT_EQ(pool.lastBlock, nullptr);
  EXPECT_EQ(vqwinGetMessageBoxCount(), 0);
  EXPECT_TRUE(theLibrary.GetCapturedLines().empty());
}

TEST_F(BuffPool, ForeignAndMisalignedRecordsAreRefused) {
  CVQBuffPool pool(kSize);
  BYTE *const kept = static_cast<BYTE *>(pool.alloc());
  std::memset(kept, 0x5A, kSize);
  BYTE outside[kSize];
  const struct {
    const char *name;
    void *pointer;
    UINT code;
    const char *logFormat;
    const char *boxFormat;
  } rows[] = {
      {"foreign", outside, 211, "0 CVQBPool Record 0x%s not found in buffer pool",
       "Der Datensatz 0x%s wurde im Pufferpool nicht gefunden."},
      {"null", nullptr, 211, "0 CVQBPool Record 0x%s not found in buffer pool",
       "Der Datensatz 0x%s wurde im Pufferpool nicht gefunden."},
      {"past the records", kept + 64 * kSize, 211,
       "0 CVQBPool Record 0x%s not found in buffer pool",
       "Der Datensatz 0x%s wurde im Pufferpool nicht gefunden."},
      {"inside a record", kept + kSize / 2, 210, "0 CVQBPool Record 0x%s no legal pool buffer",
       "Der Datensatz 0x%s ist kein g\xFCltiger Puffer des Pufferpools."},
  };
  for (const auto &r : rows) {
    theLibrary.ClearCaptured();
    vqwinClearMessageBoxRecords();
    pool.freeRec(r.pointer);
    char expected[256];
    std::snprintf(expected, sizeof expected, r.logFormat, Hex(r.pointer).c_str());
    const auto lines = theLibrary.GetCapturedLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << r.name;
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u) << r.name;
    std::snprintf(expected, sizeof expected, "vq_tbl32 Fehler (Fehlercode = %u)", r.code);
    EXPECT_EQ(boxes[0].caption, expected) << r.name;
    // The message text's %X shows the address's low 32 bits, as printf would.
    std::snprintf(expected, sizeof expected, r.boxFormat, Hex32(r.pointer).c_str());
    EXPECT_EQ(boxes[0].text, expected) << r.name;
    EXPECT_EQ(boxes[0].icon, UINT(MB_ICONEXCLAMATION)) << r.name;
    // Nothing was freed: the block and the record's bytes are intact.
    EXPECT_NE(pool.firstBlock, nullptr) << r.name;
    EXPECT_EQ(kept[0], 0x5A) << r.name;
    EXPECT_EQ(pool.alloc(), kept + kSize) << r.name;
    pool.freeRec(kept + kSize);
  }
}

TEST_F(BuffPool, GetRecAndCopyCrossBlocks) {
  CVQBuffPool pool(sizeof(UINT));
  for (UINT i = 0; i < 130; ++i)
    *static_cast<UINT *>(pool.alloc()) = i;
  const struct {
    UINT index;
    bool present;
  } rows[] = {{0, true}, {63, true}, {64, true}, {129, true}, {191, true}, {192, false}};
  for (const auto &r : rows) {
    void *rec = pool.getRec(r.index);
    EXPECT_EQ(rec != nullptr, r.present) << r.index;
    if (rec && r.index < 130) {
      EXPECT_EQ(*static_cast<UINT *>(rec), r.index) << r.index;
    }
  }
  std::vector<UINT> out(200, 0xFFFFFFFF);
  EXPECT_EQ(pool.copy(out.data(), 100), 100u);
  for (UINT i = 0; i < 100; ++i)
    ASSERT_EQ(out[i], i) << i;
  EXPECT_EQ(out[100], 0xFFFFFFFFu);
  // Three blocks hold 192 slots; the copy stops where the chain ends.
  EXPECT_EQ(pool.copy(out.data(), 200), 192u);
  EXPECT_EQ(out[129], 129u);
  EXPECT_EQ(out[130], 0u);
}

TEST_F(BuffPool, ZeroRecordSizeIsRefusedWithMessage200) {
  CVQBuffPool pool(0);
  EXPECT_EQ(pool.alloc(), nullptr);
  const auto lines = theLibrary.GetCapturedLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "0 CVQBPool Not enough free memory to allocate a buffer pool record");
  const auto boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "vq_tbl32 Fehler (Fehlercode = 200)");
}

} // namespace
