// Iterations and reads served from a table's snapshot in memory: the same
// records in the same order as SQLite's cursors deliver them, whether the
// snapshot is made at the set-up, in the middle of a walk or never, and a
// snapshot that never outlives another handle's commit, a rollback or a
// write of its own handle.
#include "isam_fixture.h"

#include "store/store.h"
#include "store/vfs.h"

#include <algorithm>
#include <random>
#include <sqlite3.h>

using namespace isamtest;
using vqisam::store::CachePolicy;

namespace {

constexpr UINT kRecordSize = 12;

// Record: int32 number at 0, int16 group at 4, text[6] tag at 6.
std::vector<BYTE> record(int32_t number, int16_t group, const char *tag = "") {
  std::vector<BYTE> r(kRecordSize, 0);
  std::memcpy(r.data(), &number, 4);
  std::memcpy(r.data() + 4, &group, 2);
  std::memcpy(r.data() + 6, tag, std::min<size_t>(std::strlen(tag), 6));
  return r;
}

struct Policy {
  const char *name;
  CachePolicy policy;
};

void PrintTo(const Policy &p, std::ostream *os) { *os << p.name; }

const Policy kPolicies[] = {
    {"AtSetup", {uint64_t{1} << 30, 0, 0}},
    {"AfterThreeRecords", {uint64_t{1} << 30, 3, 0}},
    // Every copy in two halves, the upper one read by a second connection,
    // and a thread gathering ahead of every long walk from its start.
    {"InHalvesAfterThreeRecords", {uint64_t{1} << 30, 3, 2, 1}},
    // Records compressed against a dictionary of the table's own, copied
    // by one connection and in halves.
    {"CompressedAfterThreeRecords", {uint64_t{1} << 30, 3, 0, 4096, 0}},
    {"CompressedInHalves", {uint64_t{1} << 30, 3, 2, 1, 0}},
    {"Never", {0, 0, 0}},
};

class SnapshotTest : public IsamTest, public ::testing::WithParamInterface<Policy> {
protected:
  void SetUp() override {
    IsamTest::SetUp();
    saved = vqisam::store::cachePolicy();
    vqisam::store::setCachePolicy(GetParam().policy);
    create();
    const UINT sig = keyType("SIGNED"), text = keyType("TEXT");
    table = makeTable("T",
                      {keyItem({{sig, 0, 4}}, true),         // 0: number, unique
                       keyItem({{sig, 4, 2}}),               // 1: group, duplicates
                       keyItem({{text, 6, 6}}, false, 1),    // 2: tag, sparse
                       keyItem({{sig, 0, 4}}, false, 0, 1)}, // 3: number, reversed
                      kRecordSize);
    for (int i = 0; i < 20; ++i)
      addr.push_back(insert(table, record((i * 7) % 20 - 5, static_cast<int16_t>(i % 4),
                                          i % 3 ? "" : (i % 2 ? "odd" : "even"))));
  }
  void TearDown() override {
    UINT detail = 0;
    for (HISAMFILE f : others)
      ISAMClose(f, &detail);
    IsamTest::TearDown();
    vqisam::store::setCachePolicy(saved);
  }
  HISAMTABLE openOther(UINT mode = ISAM_MODE_READWRITE, const char *name = "T") {
    HISAMFILE f = nullptr;
    UINT detail = 0;
    EXPECT_EQ(ISAMOpen(&f, path().c_str(), mode, &detail), 0u);
    others.push_back(f);
    HISAMTABLE t = nullptr;
    EXPECT_EQ(ISAMOpenTable(f, name, &t), 0u);
    return t;
  }
  // What SQLite's cursors deliver: a walk that copies nothing.
  std::vector<DWORD> reference(HISAMTABLE t, UINT index, UINT size, UINT flags = 0) {
    const CachePolicy tested = vqisam::store::cachePolicy();
    vqisam::store::setCachePolicy({0, 0});
    std::vector<DWORD> order = all(t, index, size, flags);
    vqisam::store::setCachePolicy(tested);
    return order;
  }
  // Addresses of the next n records, fewer at the end.
  std::vector<DWORD> take(HISAMTABLE t, UINT index, size_t n) {
    std::vector<DWORD> out;
    std::vector<BYTE> buffer(kRecordSize);
    DWORD a = 0;
    while (out.size() < n && ISAMReadNextRecord(t, index, buffer.data(), &a, 0) == 0)
      out.push_back(a);
    return out;
  }
  // A walk whose every record is checked against a read by its address.
  std::vector<DWORD> checkedAll(HISAMTABLE t, UINT index, UINT size, UINT flags) {
    EXPECT_EQ(ISAMSetupIterationLimits(t, index, flags, nullptr, nullptr), 0u);
    std::vector<DWORD> out;
    std::vector<BYTE> buffer(size), stored(size);
    DWORD a = 0;
    UINT err;
    while ((err = ISAMReadNextRecord(t, index, buffer.data(), &a, 0)) == 0) {
      out.push_back(a);
      EXPECT_EQ(ISAMReadRecordByAddress(t, a, stored.data(), size, 0), 0u);
      if (buffer != stored) {
        ADD_FAILURE() << "the record delivered at " << a << " is not the one stored there";
        break;
      }
    }
    EXPECT_EQ(err, UINT{ISAM_END_OF_ITERATION});
    return out;
  }
  std::vector<BYTE> read(HISAMTABLE t, DWORD a, UINT expected = 0) {
    std::vector<BYTE> buffer(kRecordSize);
    EXPECT_EQ(ISAMReadRecordByAddress(t, a, buffer.data(), kRecordSize, 0), expected);
    return buffer;
  }
  CachePolicy saved;
  HISAMTABLE table = nullptr;
  std::vector<DWORD> addr;
  std::vector<HISAMFILE> others;
};

TEST_P(SnapshotTest, AnotherHandlesCommitIsSeenAtTheNextSetup) {
  const std::vector<DWORD> before = all(table, 1, kRecordSize);
  ASSERT_EQ(before.size(), 20u);
  EXPECT_EQ(all(table, 1, kRecordSize), before);
  HISAMTABLE writer = openOther();
  ASSERT_EQ(ISAMDeleteRecord(writer, addr[3]), 0u);
  ASSERT_EQ(ISAMUpdateRecord(writer, addr[4], record(100, -1).data(), kRecordSize), 0u);
  const DWORD added = insert(writer, record(-100, 9, "zz"));

  const std::vector<DWORD> after = all(table, 1, kRecordSize);
  EXPECT_EQ(after.size(), 20u);
  EXPECT_EQ(after.front(), addr[4]) << "the updated record leads group -1";
  EXPECT_EQ(after.back(), added);
  EXPECT_EQ(std::count(after.begin(), after.end(), addr[3]), 0);
  EXPECT_EQ(all(table, 2, kRecordSize).back(), added) << "\"zz\" sorts last among the tags";
  EXPECT_EQ(read(table, addr[4]), record(100, -1));
  read(table, addr[3], ISAM_ERR_RECORD_NOT_FOUND);
  EXPECT_EQ(read(table, added), record(-100, 9, "zz"));
}

TEST_P(SnapshotTest, RepeatedIterationsCopyTheTableOnce) {
  all(table, 0, kRecordSize);
  const uint64_t loads = vqisam::store::snapshotLoads();
  all(table, 0, kRecordSize);
  all(table, 0, kRecordSize, ISAM_ITER_DESCENDING);
  read(table, addr[5]);
  EXPECT_EQ(vqisam::store::snapshotLoads(), loads) << "nothing changed";
  HISAMTABLE writer = openOther();
  insert(writer, record(500, 1));
  read(table, addr[5]);
  all(table, 0, kRecordSize);
  const bool copies = GetParam().policy.budget > 0;
  EXPECT_EQ(vqisam::store::snapshotLoads(), loads + (copies ? 1 : 0)) << "another handle wrote";
  insert(table, record(501, 1));
  EXPECT_EQ(all(table, 0, kRecordSize).back(), addr.size() + 2);
  EXPECT_EQ(vqisam::store::snapshotLoads(), loads + (copies ? 1 : 0))
      << "this handle's write patched the copy";
}

TEST_P(SnapshotTest, RollbackDropsWhatTheTransactionShowed) {
  ASSERT_EQ(ISAMBeginTransaction(file), 0u);
  const DWORD pending = insert(table, record(-50, 0, "tx"));
  ASSERT_EQ(ISAMDeleteRecord(table, addr[0]), 0u);
  std::vector<DWORD> inside = all(table, 0, kRecordSize);
  EXPECT_EQ(inside.front(), pending);
  EXPECT_EQ(inside.size(), 20u);
  EXPECT_EQ(read(table, pending), record(-50, 0, "tx"));
  ASSERT_EQ(ISAMRollbackTransaction(file), 0u);
  std::vector<DWORD> outside = all(table, 0, kRecordSize);
  EXPECT_EQ(outside.size(), 20u);
  EXPECT_EQ(std::count(outside.begin(), outside.end(), pending), 0);
  EXPECT_EQ(std::count(outside.begin(), outside.end(), addr[0]), 1);
  read(table, pending, ISAM_ERR_RECORD_NOT_FOUND);
  EXPECT_EQ(read(table, addr[0]), record(-5, 0, "even"));
}

TEST_P(SnapshotTest, AWalkKeepsItsVersionWhileAnotherHandleDeletesAndInserts) {
  const std::vector<DWORD> order = all(table, 0, kRecordSize);
  ASSERT_EQ(ISAMSetupIterationLimits(table, 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(take(table, 0, 2), std::vector<DWORD>(order.begin(), order.begin() + 2));
  HISAMTABLE writer = openOther();
  ASSERT_EQ(ISAMDeleteRecord(writer, order[10]), 0u);
  insert(writer, record(7000, 0));
  // The rest of the walk belongs to the version it started with.
  EXPECT_EQ(take(table, 0, 100), std::vector<DWORD>(order.begin() + 2, order.end()));
  std::vector<DWORD> now = all(table, 0, kRecordSize);
  EXPECT_EQ(now.size(), 20u);
  EXPECT_EQ(std::count(now.begin(), now.end(), order[10]), 0);
}

// Handles that copy the table only now: one in halves where the policy
// says so, and one whose walk began before another handle's commit, which
// copies what its walk began with, the second connection's read being
// newer.
TEST_P(SnapshotTest, ACopyAfterAnotherHandlesCommitHoldsTheWalksVersion) {
  const bool halves = GetParam().policy.splitFrom != 0;
  HISAMTABLE first = openOther(ISAM_MODE_READ);
  const std::vector<DWORD> order = reference(first, 0, kRecordSize);
  uint64_t before = vqisam::store::snapshotHalves();
  EXPECT_EQ(all(first, 0, kRecordSize), order);
  EXPECT_EQ(vqisam::store::snapshotHalves(), before + (halves ? 1 : 0));

  HISAMTABLE reader = openOther(ISAM_MODE_READ);
  ASSERT_EQ(ISAMSetupIterationLimits(reader, 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(take(reader, 0, 2), std::vector<DWORD>(order.begin(), order.begin() + 2));
  // The highest address and a new one: both in the upper half.
  ASSERT_EQ(ISAMDeleteRecord(table, addr.back()), 0u);
  insert(table, record(7000, 0));
  before = vqisam::store::snapshotHalves();
  EXPECT_EQ(take(reader, 0, 100), std::vector<DWORD>(order.begin() + 2, order.end()));
  EXPECT_EQ(vqisam::store::snapshotHalves(), before);
}

// Writes of the walking handle while a thread gathers ahead of its walk:
// the records it had gathered give way to the ones written.
TEST_P(SnapshotTest, OwnWritesDuringALongWalkAreSeenByIt) {
  HISAMTABLE big = makeTable("G", {keyItem({{keyType("SIGNED"), 0, 4}}, true)}, kRecordSize);
  ASSERT_EQ(ISAMBeginTransaction(file), 0u);
  std::vector<DWORD> at;
  for (int i = 0; i < 6000; ++i)
    at.push_back(insert(big, record(i, 0, "old")));
  ASSERT_EQ(ISAMCommitTransaction(file), 0u);
  ASSERT_EQ(ISAMSetupIterationLimits(big, 0, 0, nullptr, nullptr), 0u);
  ASSERT_EQ(take(big, 0, 3000).size(), 3000u);
  ASSERT_EQ(ISAMUpdateRecord(big, at[5000], record(5000, 1, "new").data(), kRecordSize), 0u);
  ASSERT_EQ(ISAMDeleteRecord(big, at[4000]), 0u);
  std::vector<BYTE> buffer(kRecordSize);
  DWORD a = 0;
  int number = 3000;
  while (ISAMReadNextRecord(big, 0, buffer.data(), &a, 0) == 0) {
    number += number == 4000;
    ASSERT_EQ(buffer, record(number, number == 5000, number == 5000 ? "new" : "old")) << number;
    ++number;
  }
  EXPECT_EQ(number, 6000);
}

TEST_P(SnapshotTest, OwnWritesDuringAWalkAreSeenAfterTheLastRecordDelivered) {
  ASSERT_EQ(ISAMSetupIterationLimits(table, 1, 0, nullptr, nullptr), 0u);
  const std::vector<DWORD> first = take(table, 1, 6); // group 0 and one of group 1
  ASSERT_EQ(first.size(), 6u);
  // Moves a record from group 3 to group 1 ahead of the walk, and one of
  // group 1 behind it.
  const std::vector<DWORD> order = all(table, 1, kRecordSize);
  ASSERT_EQ(ISAMSetupIterationAddress(table, 1, 12, first.back(), 0), 0u);
  ASSERT_EQ(ISAMUpdateRecord(table, order.back(), record(900, 1).data(), kRecordSize), 0u);
  ASSERT_EQ(ISAMUpdateRecord(table, order[6], record(901, -3).data(), kRecordSize), 0u);
  const std::vector<DWORD> rest = take(table, 1, 100);
  EXPECT_EQ(rest.size(), 13u);
  EXPECT_EQ(std::count(rest.begin(), rest.end(), order.back()), 1);
  EXPECT_EQ(std::count(rest.begin(), rest.end(), order[6]), 0);
}

// Walks that turn back at every few records, on every index, from the
// start and inside limits, against the order of a whole walk.
TEST_P(SnapshotTest, DirectionChangesInTheMiddle) {
  const auto low = record(-2, 1), high = record(9, 2);
  for (UINT index = 0; index < 4; ++index) {
    const std::vector<DWORD> order = all(table, index, kRecordSize);
    for (size_t turn = 1; turn < order.size(); turn += 3) {
      ASSERT_EQ(ISAMSetupIterationLimits(table, index, 0, nullptr, nullptr), 0u);
      const std::vector<DWORD> ahead = take(table, index, turn);
      ASSERT_EQ(ahead, std::vector<DWORD>(order.begin(), order.begin() + turn));
      ASSERT_EQ(ISAMSetupIterationAddress(table, index, 28, ahead.back(), 0), 0u);
      std::vector<DWORD> back(order.begin(), order.begin() + turn - 1);
      std::reverse(back.begin(), back.end());
      EXPECT_EQ(take(table, index, 100), back) << "index " << index << " turn " << turn;
      ASSERT_EQ(ISAMSetupIterationAddress(table, index, 12, ahead.front(), 0), 0u);
      EXPECT_EQ(take(table, index, 100), std::vector<DWORD>(order.begin() + 1, order.end()))
          << "index " << index << " forward again after " << turn;
    }
    // Inside limits each direction keeps to them.
    if (index == 2)
      continue; // tags: the limits' empty tag bounds nothing in particular
    ASSERT_EQ(ISAMSetupIterationLimits(table, index, 0, low.data(), high.data()), 0u);
    const std::vector<DWORD> limited = take(table, index, 100);
    ASSERT_EQ(ISAMSetupIterationLimits(table, index, 16, low.data(), high.data()), 0u);
    std::vector<DWORD> down = take(table, index, 100);
    std::reverse(down.begin(), down.end());
    EXPECT_EQ(down, limited) << "index " << index;
  }
}

// Random writes on two handles, commits and rollbacks, each followed by
// walks from random places; a third handle that never copies a table
// tells what SQLite's cursors deliver.
// A row written by something else than the engine with a record of
// another size: no copy takes it, and the walk stops at it.
TEST_P(SnapshotTest, ARecordOfAnotherSizeStopsTheWalkAsCorrupt) {
  sqlite3 *db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path().c_str(), &db, SQLITE_OPEN_READWRITE, vqisam::os::vfsName()),
            SQLITE_OK);
  const std::string damage = "UPDATE t1 SET r = x'0102' WHERE a = " + std::to_string(addr[10]);
  EXPECT_EQ(sqlite3_exec(db, damage.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  ASSERT_EQ(ISAMSetupIterationLimits(table, 0, 0, nullptr, nullptr), 0u);
  std::vector<BYTE> buffer(kRecordSize);
  DWORD a = 0;
  UINT delivered = 0, err;
  while ((err = ISAMReadNextRecord(table, 0, buffer.data(), &a, 0)) == 0)
    ++delivered;
  EXPECT_EQ(err, UINT{ISAM_ERR_CORRUPT});
  EXPECT_EQ(delivered, 10u) << "numbers -5 to 4 come before the damaged 5";
}

TEST_P(SnapshotTest, RandomWritesAndWalksAgreeWithSqlitesCursors) {
  HISAMTABLE writer = openOther();
  std::mt19937 rng(11);
  std::vector<BYTE> buffer(kRecordSize);
  bool inTransaction = false;
  for (int round = 0; round < 60; ++round) {
    // While this handle's transaction holds the write lock the other
    // handle's writes would only wait out the busy timeout.
    const bool own = rng() % 3 != 0;
    HISAMTABLE t = own || inTransaction ? table : writer;
    for (int w = 0; w < 4; ++w) {
      const int32_t number = static_cast<int32_t>(rng() % 60) - 20;
      DWORD a = 0;
      switch (rng() % 3) {
      case 0:
        ISAMInsertRecord(t, record(number, static_cast<int16_t>(rng() % 3), "r").data(),
                         kRecordSize, &a);
        break;
      case 1:
        ISAMUpdateRecord(t, 1 + rng() % 30, record(number, 2).data(), kRecordSize);
        break;
      default:
        ISAMDeleteRecord(t, 1 + rng() % 30);
      }
    }
    if (t == table && rng() % 4 == 0) {
      if (inTransaction)
        ASSERT_EQ(rng() % 2 ? ISAMCommitTransaction(file) : ISAMRollbackTransaction(file), 0u);
      else
        ASSERT_EQ(ISAMBeginTransaction(file), 0u);
      inTransaction = !inTransaction;
    }
    if (inTransaction)
      continue; // the reference handle would wait for the write lock
    const CachePolicy tested = vqisam::store::cachePolicy();
    vqisam::store::setCachePolicy({0, 0});
    HISAMTABLE reference = openOther(ISAM_MODE_READ);
    vqisam::store::setCachePolicy(tested);
    for (UINT index = 0; index < 4; ++index) {
      const std::vector<DWORD> order = all(reference, index, kRecordSize);
      ASSERT_EQ(all(table, index, kRecordSize), order) << "round " << round << " index " << index;
      if (order.empty())
        continue;
      const size_t at = rng() % order.size();
      const UINT mode = rng() % 2 ? 12 : 28;
      ASSERT_EQ(ISAMSetupIterationAddress(reference, index, mode, order[at], 0), 0u);
      ASSERT_EQ(ISAMSetupIterationAddress(table, index, mode, order[at], 0), 0u);
      EXPECT_EQ(take(table, index, 100), take(reference, index, 100))
          << "round " << round << " index " << index << " mode " << mode;
    }
    for (DWORD a = 1; a <= 32; ++a) {
      std::vector<BYTE> expected(kRecordSize);
      const UINT err = ISAMReadRecordByAddress(reference, a, expected.data(), kRecordSize, 0);
      ASSERT_EQ(ISAMReadRecordByAddress(table, a, buffer.data(), kRecordSize, 0), err)
          << "address " << a;
      if (!err) {
        EXPECT_EQ(buffer, expected) << "address " << a;
      }
    }
    UINT detail = 0;
    ISAMClose(others.back(), &detail);
    others.pop_back();
  }
}

// Writes of the handle itself change its snapshot in place: every index
// walks as SQLite's cursors do afterwards, reads by address see the write,
// and nothing is copied from the file again.
TEST_P(SnapshotTest, OwnWritesPatchTheSnapshot) {
  const struct {
    const char *name;
    int op; // 0 insert, 1 update, 2 delete
    size_t at;
    int32_t number;
    int16_t group;
    const char *tag;
  } cases[] = {
      {"insert with the largest keys", 0, 0, 90, 9, "zz"},
      {"insert into the middle of every order", 0, 0, 50, 1, "m"},
      {"update moving every key", 1, 2, -40, -2, "a"},
      {"update keeping every key, new bytes elsewhere", 1, 5, 0, 0, nullptr},
      {"update leaving the sparse index", 1, 0, 41, 1, ""},
      {"delete", 2, 7, 0, 0, nullptr},
      {"delete the highest address", 2, 0, 0, 0, nullptr},
      {"insert reusing the highest address", 0, 0, 55, 2, "back"},
  };
  for (UINT index = 0; index < 4; ++index)
    all(table, index, kRecordSize);
  const uint64_t loads = vqisam::store::snapshotLoads();
  HISAMTABLE other = openOther(ISAM_MODE_READ);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    DWORD a = c.at < addr.size() ? addr[c.at] : 0;
    if (std::string(c.name) == "delete the highest address")
      a = *std::max_element(addr.begin(), addr.end());
    if (c.op == 0) {
      addr.push_back(insert(table, record(c.number, c.group, c.tag)));
      a = addr.back();
    } else if (c.op == 1) {
      std::vector<BYTE> r = read(table, a);
      if (c.tag)
        r = record(c.number, c.group, c.tag);
      else
        r[11] ^= 0x40; // past the tag's NUL: no key sees it
      ASSERT_EQ(ISAMUpdateRecord(table, a, r.data(), kRecordSize), 0u);
    } else {
      ASSERT_EQ(ISAMDeleteRecord(table, a), 0u);
      addr.erase(std::find(addr.begin(), addr.end(), a));
    }
    for (UINT index = 0; index < 4; ++index) {
      EXPECT_EQ(all(table, index, kRecordSize), reference(other, index, kRecordSize))
          << "index " << index;
    }
    std::vector<BYTE> expected(kRecordSize), got(kRecordSize);
    const UINT want = ISAMReadRecordByAddress(other, a, expected.data(), kRecordSize, 0);
    EXPECT_EQ(ISAMReadRecordByAddress(table, a, got.data(), kRecordSize, 0), want);
    EXPECT_EQ(got, want ? got : expected);
  }
  EXPECT_EQ(vqisam::store::snapshotLoads(), loads);
  // A rollback drops the patched copy: the next walk copies the file again.
  ASSERT_EQ(ISAMBeginTransaction(file), 0u);
  insert(table, record(77, 3, "tx"));
  ASSERT_EQ(ISAMRollbackTransaction(file), 0u);
  EXPECT_EQ(all(table, 1, kRecordSize), reference(other, 1, kRecordSize));
  EXPECT_EQ(vqisam::store::snapshotLoads(), loads + (GetParam().policy.budget ? 1 : 0));
}

// Orders sorted in memory for keys longer than the eight bytes compared at
// once, with long common beginnings, keys of several lengths (digits) and
// many equal keys: as SQLite's index orders them, both directions, on the
// handle that wrote them and on one that copies the table from the file
// (several blocks of records, gaps in the addresses, more records than one
// thread sorts alone).
TEST_P(SnapshotTest, SortedOrdersMatchSqlitesIndexes) {
  const UINT text = keyType("TEXT"), digits = keyType("DIGITS"), noCase = keyType("TEXTNOCASE");
  constexpr UINT kSize = 200;
  HISAMTABLE longKeys =
      makeTable("L",
                {keyItem({{text, 0, 20}}), keyItem({{digits, 20, 8}}),
                 keyItem({{noCase, 0, 12}, {digits, 20, 8}}, false, 1), keyItem({{text, 40, 12}})},
                kSize);
  std::mt19937 rng(5);
  const char *digitTexts[] = {"007", "7", " 7,0", "-3,5", "-30", "abc", "0", "12345678", "+1.25"};
  ASSERT_EQ(ISAMBeginTransaction(file), 0u);
  std::vector<DWORD> written;
  for (int i = 0; i < 9000; ++i) {
    std::vector<BYTE> r(kSize, 0);
    std::string name = "CustomerNumber";
    for (int k = 0; k < 4; ++k)
      if (rng() % 3)
        name += static_cast<char>((rng() % 2 ? 'a' : 'A') + rng() % 3);
    if (rng() % 9 == 0)
      name = "";
    std::memcpy(r.data(), name.data(), std::min<size_t>(name.size(), 20));
    const char *d = digitTexts[rng() % 9];
    std::memcpy(r.data() + 20, d, std::strlen(d));
    for (UINT k = 0; k < 12; ++k) // few beginnings, then many endings
      r[40 + k] = static_cast<BYTE>('a' + rng() % (k < 2 ? 3 : 26));
    written.push_back(insert(longKeys, r));
  }
  // Gaps in the upper addresses first: a copy in halves keeps the upper
  // half's blocks as they are; then in the lower ones too, so that the
  // upper half must move behind the lower one.
  const auto removeEverySeventh = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; i += 7)
      ASSERT_EQ(ISAMDeleteRecord(longKeys, written[i]), 0u);
  };
  removeEverySeventh(4200, written.size());
  ASSERT_EQ(ISAMCommitTransaction(file), 0u);
  HISAMTABLE other = openOther(ISAM_MODE_READ, "L");
  const auto agree = [&](UINT indexes) {
    HISAMTABLE copying = openOther(ISAM_MODE_READ, "L");
    const uint64_t halves = vqisam::store::snapshotHalves();
    for (UINT index = 0; index < indexes; ++index)
      for (UINT flags : {0u, UINT{ISAM_ITER_DESCENDING}}) {
        const std::vector<DWORD> expected = reference(other, index, kSize, flags);
        EXPECT_EQ(all(longKeys, index, kSize, flags), expected)
            << "index " << index << " flags " << flags;
        EXPECT_EQ(all(longKeys, index, kSize, flags), expected)
            << "again, index " << index << " flags " << flags;
        EXPECT_EQ(checkedAll(copying, index, kSize, flags), expected)
            << "copied, index " << index << " flags " << flags;
      }
    EXPECT_EQ(vqisam::store::snapshotHalves(), halves + (GetParam().policy.splitFrom ? 1 : 0));
  };
  agree(4);
  removeEverySeventh(0, 4200);
  agree(2);
}

INSTANTIATE_TEST_SUITE_P(Policies, SnapshotTest, ::testing::ValuesIn(kPolicies),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace {

// Whether a table that fits the budget is held compressed, decided from
// samples of its records: where the codes save many bytes an operation,
// and not where they save little or nothing.
struct Kind {
  const char *name;
  std::vector<BYTE> (*make)(uint32_t i, std::mt19937 &rng);
  bool compressed;
};

constexpr UINT kWideSize = 100;

std::vector<BYTE> numbered(uint32_t i) {
  std::vector<BYTE> r(kWideSize, ' ');
  std::memcpy(r.data(), &i, 4);
  return r;
}

const Kind kKinds[] = {
    // A number and a text every record shares: one copy of 96 bytes.
    {"SharedText",
     [](uint32_t i, std::mt19937 &) {
       std::vector<BYTE> r = numbered(i);
       std::memcpy(r.data() + 4, "an ordinary line of text that all of the records share", 54);
       return r;
     },
     true},
    {"Noise",
     [](uint32_t i, std::mt19937 &rng) {
       std::vector<BYTE> r = numbered(i);
       for (UINT c = 4; c < kWideSize; ++c)
         r[c] = static_cast<BYTE>(rng());
       return r;
     },
     false},
    // Short fields of words that recur in any order: half the bytes saved,
    // in about one operation a field.
    {"ShortFields",
     [](uint32_t i, std::mt19937 &rng) {
       static const char *const words[] = {"Berlin", "Bonn",   "Essen", "Kiel",  "Munich", "Bremen",
                                           "Hof",    "Ulm",    "Jena",  "Trier", "Mainz",  "Worms",
                                           "Gera",   "Passau", "Lahr",  "Emden"};
       std::vector<BYTE> r = numbered(i);
       for (UINT field = 0; field < 12; ++field) {
         const char *word = words[rng() % 16];
         std::memcpy(r.data() + 4 + field * 8, word, std::strlen(word));
       }
       return r;
     },
     false},
};

class CompressionChoiceTest : public IsamTest, public ::testing::WithParamInterface<Kind> {};

void PrintTo(const Kind &k, std::ostream *os) { *os << k.name; }

TEST_P(CompressionChoiceTest, FollowsWhatTheSamplesSave) {
  const CachePolicy saved = vqisam::store::cachePolicy();
  CachePolicy policy;
  policy.splitFrom = 0;
  vqisam::store::setCachePolicy(policy);
  create();
  HISAMTABLE t = makeTable("W", {keyItem({{keyType("UNSIGNED"), 0, 4}}, true)}, kWideSize);
  std::mt19937 rng(5);
  std::vector<std::vector<BYTE>> records;
  ASSERT_EQ(ISAMBeginTransaction(file), 0u);
  const uint64_t before = vqisam::store::snapshotsCompressed();
  for (uint32_t i = 0; i < 5000; ++i) {
    records.push_back(GetParam().make(i, rng));
    insert(t, records.back());
  }
  ASSERT_EQ(ISAMCommitTransaction(file), 0u);
  EXPECT_EQ(vqisam::store::snapshotsCompressed() - before, GetParam().compressed ? 1u : 0u)
      << "the creating handle's snapshot at its 4096th record";

  // A copy from SQLite on another handle decides the same, and holds the
  // same records; without compression where it pays, it holds them plain.
  const auto copyHeldCompressed = [&] {
    UINT detail = 0;
    HISAMFILE other = nullptr;
    HISAMTABLE copied = nullptr;
    EXPECT_EQ(ISAMOpen(&other, path().c_str(), ISAM_MODE_READ, &detail), 0u);
    EXPECT_EQ(ISAMOpenTable(other, "W", &copied), 0u);
    const uint64_t loads = vqisam::store::snapshotLoads();
    const uint64_t held = vqisam::store::snapshotsCompressed();
    EXPECT_EQ(ISAMSetupIterationLimits(copied, 0, 0, nullptr, nullptr), 0u);
    std::vector<BYTE> buffer(kWideSize);
    DWORD a = 0;
    size_t same = 0;
    while (ISAMReadNextRecord(copied, 0, buffer.data(), &a, 0) == 0)
      same += same < records.size() && buffer == records[same];
    EXPECT_EQ(same, records.size());
    EXPECT_EQ(vqisam::store::snapshotLoads() - loads, 1u);
    const bool compressed = vqisam::store::snapshotsCompressed() > held;
    ISAMClose(other, &detail);
    return compressed;
  };
  EXPECT_EQ(copyHeldCompressed(), GetParam().compressed);
  policy.compressWherePays = false;
  vqisam::store::setCachePolicy(policy);
  EXPECT_FALSE(copyHeldCompressed());
  vqisam::store::setCachePolicy(saved);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CompressionChoiceTest, ::testing::ValuesIn(kKinds),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
