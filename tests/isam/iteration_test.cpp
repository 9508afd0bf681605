// Iteration over indexes: both directions from the start and from any
// record, equal keys in a stable order, limits, many indexes and parts, and
// iterations that survive writes.
#include "isam_fixture.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>

using namespace isamtest;

namespace {

constexpr UINT kRecordSize = 24;

// Record: int32 number at 0, text[8] at 4, int16 group at 12, text[8] at 14.
std::vector<BYTE> record(int32_t number, const char *name, int16_t group, const char *tag = "") {
  std::vector<BYTE> r(kRecordSize, 0);
  std::memcpy(r.data(), &number, 4);
  std::strncpy(reinterpret_cast<char *>(r.data() + 4), name, 8);
  std::memcpy(r.data() + 12, &group, 2);
  std::strncpy(reinterpret_cast<char *>(r.data() + 14), tag, 8);
  return r;
}

class IterationTest : public IsamTest {
protected:
  void SetUp() override {
    IsamTest::SetUp();
    create();
    const UINT sig = keyType("SIGNED"), text = keyType("TEXT");
    table = makeTable("T",
                      {keyItem({{sig, 0, 4}}, true),          // 0: number, unique
                       keyItem({{sig, 12, 2}}),               // 1: group, duplicates
                       keyItem({{sig, 12, 2}, {text, 4, 8}}), // 2: group + name
                       keyItem({}),                           // 3: no parts at all
                       keyItem({{text, 14, 8}}, false, 1),    // 4: tag, sparse
                       keyItem({{sig, 0, 4}}, false, 0, 1)},  // 5: number, reversed
                      kRecordSize);
    // Inserted out of order; groups repeat so that index 1 has equal keys.
    const int32_t numbers[] = {50, -7, 12, 0, 33, -100, 7};
    const char *names[] = {"eve", "bob", "dan", "amy", "cat", "fay", "gus"};
    const int16_t groups[] = {2, 1, 2, 1, 2, -1, 1};
    const char *tags[] = {"", "x", "", "y", "", "", "x"};
    for (int i = 0; i < 7; ++i)
      addr.push_back(insert(table, record(numbers[i], names[i], groups[i], tags[i])));
  }
  std::vector<DWORD> byIndex(std::initializer_list<int> order) {
    std::vector<DWORD> out;
    for (int i : order)
      out.push_back(addr[i]);
    return out;
  }
  std::vector<DWORD> reversed(std::vector<DWORD> v) {
    std::reverse(v.begin(), v.end());
    return v;
  }
  HISAMTABLE table = nullptr;
  std::vector<DWORD> addr; // by insertion number
};

TEST_F(IterationTest, EveryIndexInBothDirections) {
  struct Row {
    UINT index;
    std::vector<DWORD> ascending;
  } rows[] = {
      {0, byIndex({5, 1, 3, 6, 2, 4, 0})},
      // Equal groups keep address order.
      {1, byIndex({5, 1, 3, 6, 0, 2, 4})},
      {2, byIndex({5, 3, 1, 6, 4, 2, 0})},
      {3, byIndex({0, 1, 2, 3, 4, 5, 6})},
      {4, byIndex({1, 6, 3})},
      // A reversed key turns flag 0 into the largest key first.
      {5, byIndex({0, 4, 2, 6, 3, 1, 5})},
  };
  for (const Row &row : rows) {
    EXPECT_EQ(all(table, row.index, kRecordSize, 0), row.ascending) << "index " << row.index;
    EXPECT_EQ(all(table, row.index, kRecordSize, ISAM_ITER_DESCENDING), reversed(row.ascending))
        << "index " << row.index << " descending";
    BYTE desc[ISAM_INDEX_DESC_SIZE];
    ASSERT_EQ(ISAMGetIndexDesc(table, row.index, desc), 0u);
    EXPECT_EQ(le32(desc + 46), row.ascending.size()) << "count of index " << row.index;
  }
}

TEST_F(IterationTest, ContinuesAfterAnyRecordInEitherDirection) {
  for (UINT index : {0u, 1u, 2u, 3u, 5u}) {
    const std::vector<DWORD> order = all(table, index, kRecordSize);
    for (size_t i = 0; i < order.size(); ++i) {
      ASSERT_EQ(ISAMSetupIterationAddress(table, index, 12, order[i], 0), 0u);
      EXPECT_EQ(walk(table, index, kRecordSize),
                std::vector<DWORD>(order.begin() + static_cast<long>(i) + 1, order.end()))
          << "index " << index << " ascending after position " << i;
      ASSERT_EQ(ISAMSetupIterationAddress(table, index, 28, order[i], 0), 0u);
      EXPECT_EQ(walk(table, index, kRecordSize),
                reversed(std::vector<DWORD>(order.begin(), order.begin() + static_cast<long>(i))))
          << "index " << index << " descending after position " << i;
    }
  }
}

TEST_F(IterationTest, EndOfIterationRepeatsAndRecordsArriveWhole) {
  ASSERT_EQ(ISAMSetupIterationAddress(table, 0, 12, addr[0], 0), 0u); // the largest number
  std::vector<BYTE> buffer(kRecordSize);
  DWORD address = 0;
  EXPECT_EQ(ISAMReadNextRecord(table, 0, buffer.data(), &address, 0), UINT{ISAM_END_OF_ITERATION});
  EXPECT_EQ(ISAMReadNextRecord(table, 0, buffer.data(), &address, 0), UINT{ISAM_END_OF_ITERATION});
  ASSERT_EQ(ISAMSetupIterationLimits(table, 0, 0, nullptr, nullptr), 0u);
  ASSERT_EQ(ISAMReadNextRecord(table, 0, buffer.data(), &address, 0), 0u);
  EXPECT_EQ(address, addr[5]);
  EXPECT_EQ(buffer, record(-100, "fay", -1));
}

TEST_F(IterationTest, SetupAndReadErrors) {
  std::vector<BYTE> buffer(kRecordSize);
  DWORD address = 0;
  EXPECT_EQ(ISAMReadNextRecord(table, 0, buffer.data(), &address, 0), UINT{ISAM_ERR_NO_ITERATION});
  EXPECT_EQ(ISAMSetupIterationLimits(table, 6, 0, nullptr, nullptr), UINT{ISAM_ERR_INDEX_NUMBER});
  EXPECT_EQ(ISAMSetupIterationLimits(table, 0, 8, nullptr, nullptr), UINT{ISAM_ERR_MODE});
  EXPECT_EQ(ISAMSetupIterationAddress(table, 0, 4, addr[0], 0), UINT{ISAM_ERR_MODE});
  EXPECT_EQ(ISAMSetupIterationAddress(table, 0, 12, addr[0], 1), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMSetupIterationAddress(table, 0, 12, 999, 0), UINT{ISAM_ERR_RECORD_NOT_FOUND});
  EXPECT_EQ(ISAMSetupIterationAddress(table, 0, 12, 0, 0), UINT{ISAM_ERR_RECORD_NOT_FOUND});
  // A sparse index does not hold a record with an empty key.
  EXPECT_EQ(ISAMSetupIterationAddress(table, 4, 12, addr[0], 0), UINT{ISAM_ERR_RECORD_NOT_FOUND});
  ASSERT_EQ(ISAMSetupIterationLimits(table, 1, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(ISAMReadNextRecord(table, 0, buffer.data(), &address, 0), UINT{ISAM_ERR_NO_ITERATION});
  EXPECT_EQ(ISAMReadNextRecord(table, 7, buffer.data(), &address, 0), UINT{ISAM_ERR_INDEX_NUMBER});
  EXPECT_EQ(ISAMReadNextRecord(table, 1, nullptr, &address, 0), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMReadNextRecord(table, 1, buffer.data(), nullptr, 0), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMReadRecordByAddress(table, addr[0], buffer.data(), kRecordSize - 1, 0),
            UINT{ISAM_ERR_BUFFER_TOO_SMALL});
  EXPECT_EQ(ISAMReadRecordByAddress(table, 12345, buffer.data(), kRecordSize, 0),
            UINT{ISAM_ERR_RECORD_NOT_FOUND});
}

TEST_F(IterationTest, LimitsBoundTheKeysInclusively) {
  const auto low = record(-7, "", 0), high = record(33, "", 0);
  ASSERT_EQ(ISAMSetupIterationLimits(table, 0, 0, low.data(), high.data()), 0u);
  EXPECT_EQ(walk(table, 0, kRecordSize), byIndex({1, 3, 6, 2, 4}));
  ASSERT_EQ(ISAMSetupIterationLimits(table, 0, 16, low.data(), nullptr), 0u);
  EXPECT_EQ(walk(table, 0, kRecordSize), byIndex({0, 4, 2, 6, 3, 1}));
}

TEST_F(IterationTest, WritesDuringAnIterationKeepItsPosition) {
  ASSERT_EQ(ISAMSetupIterationLimits(table, 0, 0, nullptr, nullptr), 0u);
  std::vector<BYTE> buffer(kRecordSize);
  DWORD address = 0;
  ASSERT_EQ(ISAMReadNextRecord(table, 0, buffer.data(), &address, 0), 0u); // -100
  ASSERT_EQ(ISAMReadNextRecord(table, 0, buffer.data(), &address, 0), 0u); // -7
  const DWORD added = insert(table, record(1, "new", 9));                  // lands ahead
  insert(table, record(-50, "old", 9));                                    // lands behind
  ASSERT_EQ(ISAMDeleteRecord(table, addr[6]), 0u);                         // 7, ahead
  std::vector<DWORD> rest = walk(table, 0, kRecordSize);
  EXPECT_EQ(rest, (std::vector<DWORD>{addr[3], added, addr[2], addr[4], addr[0]}));
}

TEST_F(IterationTest, TwoHandlesIterateIndependently) {
  HISAMTABLE other = nullptr;
  ASSERT_EQ(ISAMOpenTable(file, "T", &other), 0u);
  ASSERT_EQ(ISAMSetupIterationLimits(table, 0, 0, nullptr, nullptr), 0u);
  ASSERT_EQ(ISAMSetupIterationLimits(other, 0, 16, nullptr, nullptr), 0u);
  std::vector<BYTE> buffer(kRecordSize);
  DWORD a = 0, b = 0;
  ASSERT_EQ(ISAMReadNextRecord(table, 0, buffer.data(), &a, 0), 0u);
  ASSERT_EQ(ISAMReadNextRecord(other, 0, buffer.data(), &b, 0), 0u);
  EXPECT_EQ(a, addr[5]);
  EXPECT_EQ(b, addr[0]);
}

TEST_F(IterationTest, SecondFileHandleReadsWhileTheFirstWrites) {
  HISAMFILE reader = nullptr;
  UINT detail = 0;
  ASSERT_EQ(ISAMOpen(&reader, path().c_str(), ISAM_MODE_READ, &detail), 0u);
  HISAMTABLE t = nullptr;
  ASSERT_EQ(ISAMOpenTable(reader, "T", &t), 0u);
  ASSERT_EQ(ISAMBeginTransaction(file), 0u);
  const DWORD pending = insert(table, record(1000, "zed", 5));
  // The reader sees the last committed state while the writer's
  // transaction is open, and is not blocked by it.
  EXPECT_EQ(all(t, 0, kRecordSize).size(), 7u);
  std::vector<BYTE> buffer(kRecordSize);
  EXPECT_EQ(ISAMReadRecordByAddress(t, pending, buffer.data(), kRecordSize, 0),
            UINT{ISAM_ERR_RECORD_NOT_FOUND});
  ASSERT_EQ(ISAMCommitTransaction(file), 0u);
  EXPECT_EQ(all(t, 0, kRecordSize).size(), 8u);
  EXPECT_EQ(ISAMClose(reader, &detail), 0u);
}

// Up to eight indexes of one to four parts over one table, checked against
// a sort of the same records.
TEST_F(IsamTest, EightIndexesOfUpToFourPartsFollowTheirKeys) {
  create();
  const UINT uns = keyType("UNSIGNED"), text = keyType("TEXTNOCASE");
  // Record: four 1-byte fields a b c d at 0..3, text[4] at 4.
  std::vector<ISAMIDT> keys = {
      keyItem({{uns, 0, 1}}),
      keyItem({{uns, 1, 1}, {uns, 0, 1}}),
      keyItem({{uns, 2, 1}, {uns, 1, 1}, {uns, 0, 1}}),
      keyItem({{uns, 3, 1}, {uns, 2, 1}, {uns, 1, 1}, {uns, 0, 1}}),
      keyItem({{text, 4, 4}}),
      keyItem({{text, 4, 4}, {uns, 3, 1}}),
      keyItem({{uns, 0, 1}, {text, 4, 4}, {uns, 1, 1}, {uns, 2, 1}}),
      keyItem({{uns, 0, 4}}),
  };
  HISAMTABLE t = makeTable("Many", keys, 8);
  std::mt19937 rng(7);
  std::vector<std::vector<BYTE>> records;
  std::vector<DWORD> addresses;
  for (int i = 0; i < 200; ++i) {
    std::vector<BYTE> r(8);
    for (int f = 0; f < 4; ++f)
      r[f] = static_cast<BYTE>(rng() % 4);
    for (int c = 4; c < 8; ++c)
      r[c] = static_cast<BYTE>("aAbB"[rng() % 4]);
    records.push_back(r);
    addresses.push_back(insert(t, r));
  }
  auto lower = [](BYTE c) { return static_cast<BYTE>(c >= 'A' && c <= 'Z' ? c + 32 : c); };
  using Tuple = std::vector<int>;
  std::vector<std::function<Tuple(const std::vector<BYTE> &)>> keyOf = {
      [](auto &r) { return Tuple{r[0]}; },
      [](auto &r) {
        return Tuple{r[1], r[0]};
      },
      [](auto &r) {
        return Tuple{r[2], r[1], r[0]};
      },
      [](auto &r) {
        return Tuple{r[3], r[2], r[1], r[0]};
      },
      [&](auto &r) {
        return Tuple{lower(r[4]), lower(r[5]), lower(r[6]), lower(r[7])};
      },
      [&](auto &r) {
        return Tuple{lower(r[4]), lower(r[5]), lower(r[6]), lower(r[7]), r[3]};
      },
      [&](auto &r) {
        return Tuple{r[0], lower(r[4]), lower(r[5]), lower(r[6]), lower(r[7]), r[1], r[2]};
      },
      [](auto &r) {
        return Tuple{r[3], r[2], r[1], r[0]};
      }, // 32-bit little endian
  };
  for (UINT k = 0; k < keys.size(); ++k) {
    std::vector<size_t> order(records.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return keyOf[k](records[a]) < keyOf[k](records[b]);
    });
    std::vector<DWORD> expected;
    for (size_t i : order)
      expected.push_back(addresses[i]);
    EXPECT_EQ(all(t, k, 8), expected) << "index " << k;
  }
}

} // namespace
