// Record writes and transactions: what a write changes, what a refused
// write leaves alone, and what an I/O failure underneath does.
#include "isam_fixture.h"

#include "store/store.h"
#include "store/vfs.h"

#include <algorithm>
#include <functional>

using namespace isamtest;

namespace {

constexpr UINT kSize = 12;

// Record: unique int32 id at 0, int32 group at 4 (duplicates), text[4] at 8.
std::vector<BYTE> rec(int32_t id, int32_t group, const char *tag = "") {
  std::vector<BYTE> r(kSize, 0);
  std::memcpy(r.data(), &id, 4);
  std::memcpy(r.data() + 4, &group, 4);
  std::memcpy(r.data() + 8, tag, std::min<size_t>(std::strlen(tag), 4));
  return r;
}

class WriteTest : public IsamTest {
protected:
  void SetUp() override {
    IsamTest::SetUp();
    create();
    openTable();
  }
  void openTable() {
    const UINT sig = keyType("SIGNED");
    UINT count = 0;
    ASSERT_EQ(ISAMGetTableCount(file, &count), 0u);
    if (count == 0) {
      table = makeTable("W", {keyItem({{sig, 0, 4}}, true), keyItem({{sig, 4, 4}})}, kSize);
    } else {
      ASSERT_EQ(ISAMOpenTable(file, "W", &table), 0u);
    }
  }
  std::vector<BYTE> read(DWORD address) {
    std::vector<BYTE> r(kSize);
    EXPECT_EQ(ISAMReadRecordByAddress(table, address, r.data(), kSize, 0), 0u);
    return r;
  }
  UINT count(UINT index) {
    BYTE desc[ISAM_INDEX_DESC_SIZE];
    EXPECT_EQ(ISAMGetIndexDesc(table, index, desc), 0u);
    return le32(desc + 46);
  }
  HISAMTABLE table = nullptr;
};

TEST_F(WriteTest, InsertUpdateDeleteByAddress) {
  const DWORD a = insert(table, rec(1, 10));
  const DWORD b = insert(table, rec(2, 20));
  EXPECT_GE(a, 1u);
  EXPECT_GT(b, a);
  ASSERT_EQ(ISAMUpdateRecord(table, a, rec(3, 5).data(), kSize), 0u);
  EXPECT_EQ(read(a), rec(3, 5));
  EXPECT_EQ(all(table, 0, kSize), (std::vector<DWORD>{b, a})) << "the key moved with the update";
  EXPECT_EQ(all(table, 1, kSize), (std::vector<DWORD>{a, b}));
  ASSERT_EQ(ISAMDeleteRecord(table, b), 0u);
  EXPECT_EQ(all(table, 0, kSize), (std::vector<DWORD>{a}));
  EXPECT_EQ(count(1), 1u);
  std::vector<BYTE> buffer(kSize);
  EXPECT_EQ(ISAMReadRecordByAddress(table, b, buffer.data(), kSize, 0),
            UINT{ISAM_ERR_RECORD_NOT_FOUND});
  EXPECT_EQ(ISAMDeleteRecord(table, b), UINT{ISAM_ERR_RECORD_NOT_FOUND});
  EXPECT_EQ(ISAMUpdateRecord(table, b, rec(9, 9).data(), kSize), UINT{ISAM_ERR_RECORD_NOT_FOUND});
  // Writes are durable across closing and opening again.
  reopen(ISAM_MODE_READ);
  openTable();
  EXPECT_EQ(read(a), rec(3, 5));
}

TEST_F(WriteTest, DuplicateUniqueKeyChangesNothing) {
  const DWORD a = insert(table, rec(1, 10));
  const DWORD b = insert(table, rec(2, 20));
  DWORD address = 77;
  EXPECT_EQ(ISAMInsertRecord(table, rec(1, 30).data(), kSize, &address),
            UINT{ISAM_ERR_DUPLICATE_KEY});
  EXPECT_EQ(address, 77u);
  EXPECT_EQ(ISAMUpdateRecord(table, b, rec(1, 99).data(), kSize), UINT{ISAM_ERR_DUPLICATE_KEY});
  EXPECT_EQ(read(a), rec(1, 10));
  EXPECT_EQ(read(b), rec(2, 20));
  EXPECT_EQ(count(0), 2u);
  EXPECT_EQ(count(1), 2u);
  // Duplicates in a non-unique index are fine.
  insert(table, rec(3, 10));
  EXPECT_EQ(count(1), 3u);
}

TEST_F(WriteTest, ArgumentErrors) {
  DWORD address = 0;
  const auto r = rec(1, 1);
  EXPECT_EQ(ISAMInsertRecord(table, r.data(), kSize - 1, &address),
            UINT{ISAM_ERR_BUFFER_TOO_SMALL});
  EXPECT_EQ(ISAMInsertRecord(table, nullptr, kSize, &address), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMInsertRecord(table, r.data(), kSize, nullptr), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMUpdateRecord(table, 1, nullptr, kSize), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMUpdateRecord(table, 1, r.data(), 3), UINT{ISAM_ERR_BUFFER_TOO_SMALL});
  EXPECT_EQ(ISAMInsertRecord(nullptr, r.data(), kSize, &address), UINT{ISAM_ERR_HANDLE});
  EXPECT_EQ(ISAMBeginTransaction(table), UINT{ISAM_ERR_HANDLE}) << "a table is not a file";
  EXPECT_EQ(count(0), 0u);
}

TEST_F(WriteTest, TransactionsCommitTogetherOrNotAtAll) {
  ASSERT_EQ(ISAMBeginTransaction(file), 0u);
  EXPECT_EQ(ISAMBeginTransaction(file), UINT{ISAM_ERR_IN_TRANSACTION});
  const DWORD a = insert(table, rec(1, 1));
  insert(table, rec(2, 1));
  DWORD address = 0;
  // A refused write inside a transaction undoes only itself.
  EXPECT_EQ(ISAMInsertRecord(table, rec(1, 5).data(), kSize, &address),
            UINT{ISAM_ERR_DUPLICATE_KEY});
  ASSERT_EQ(ISAMCommitTransaction(file), 0u);
  EXPECT_EQ(count(0), 2u);
  EXPECT_EQ(ISAMCommitTransaction(file), UINT{ISAM_ERR_NO_TRANSACTION});
  EXPECT_EQ(ISAMRollbackTransaction(file), UINT{ISAM_ERR_NO_TRANSACTION});

  ASSERT_EQ(ISAMBeginTransaction(file), 0u);
  insert(table, rec(3, 1));
  ASSERT_EQ(ISAMDeleteRecord(table, a), 0u);
  ASSERT_EQ(ISAMCreateTable(file, "Extra", nullptr, 0, 4, 1024), 0u);
  ASSERT_EQ(ISAMRollbackTransaction(file), 0u);
  EXPECT_EQ(count(0), 2u);
  EXPECT_EQ(read(a), rec(1, 1));
  UINT tables = 0;
  ASSERT_EQ(ISAMGetTableCount(file, &tables), 0u);
  EXPECT_EQ(tables, 1u);
}

// Index record counts are kept between calls: every kind of write, through
// this handle or another, must leave them as a fresh count would find them.
TEST_F(WriteTest, RecordCountsStayExactThroughEveryWrite) {
  const UINT sig = keyType("SIGNED");
  HISAMTABLE t = makeTable("C",
                           {keyItem({{sig, 0, 4}}, true), keyItem({{sig, 4, 4}}),
                            keyItem({{keyType("TEXT"), 8, 4}}, false, 1)},
                           kSize);
  HISAMFILE otherFile = nullptr;
  HISAMTABLE other = nullptr;
  UINT detail = 0;
  ASSERT_EQ(ISAMOpen(&otherFile, path().c_str(), ISAM_MODE_READWRITE, &detail), 0u);
  ASSERT_EQ(ISAMOpenTable(otherFile, "C", &other), 0u);
  DWORD a = 0, b = 0, c = 0, address = 0;
  auto counts = [&] {
    std::vector<UINT> n;
    for (UINT i = 0; i < 3; ++i) {
      BYTE desc[ISAM_INDEX_DESC_SIZE];
      EXPECT_EQ(ISAMGetIndexDesc(t, i, desc), 0u);
      n.push_back(le32(desc + 46));
      EXPECT_EQ(n.back(), all(t, i, kSize).size()) << "index " << i << " counted as walked";
    }
    return n;
  };
  const struct Step {
    const char *what;
    std::function<void()> write;
    std::vector<UINT> counts; // unique, duplicates, sparse
  } steps[] = {
      {"empty", [] {}, {0, 0, 0}},
      {"insert", [&] { a = insert(t, rec(1, 10, "x")); }, {1, 1, 1}},
      {"insert left out of the sparse index", [&] { b = insert(t, rec(2, 20)); }, {2, 2, 1}},
      {"update into the sparse index",
       [&] { EXPECT_EQ(ISAMUpdateRecord(t, b, rec(2, 20, "y").data(), kSize), 0u); },
       {2, 2, 2}},
      {"update out of it",
       [&] { EXPECT_EQ(ISAMUpdateRecord(t, a, rec(1, 11).data(), kSize), 0u); },
       {2, 2, 1}},
      {"refused duplicate",
       [&] {
         EXPECT_EQ(ISAMInsertRecord(t, rec(1, 5, "z").data(), kSize, &address),
                   UINT{ISAM_ERR_DUPLICATE_KEY});
         EXPECT_EQ(ISAMUpdateRecord(t, b, rec(1, 5, "z").data(), kSize),
                   UINT{ISAM_ERR_DUPLICATE_KEY});
       },
       {2, 2, 1}},
      {"delete", [&] { EXPECT_EQ(ISAMDeleteRecord(t, b), 0u); }, {1, 1, 0}},
      {"refused delete and update of a missing record",
       [&] {
         EXPECT_EQ(ISAMDeleteRecord(t, b), UINT{ISAM_ERR_RECORD_NOT_FOUND});
         EXPECT_EQ(ISAMUpdateRecord(t, b, rec(7, 7, "q").data(), kSize),
                   UINT{ISAM_ERR_RECORD_NOT_FOUND});
       },
       {1, 1, 0}},
      {"rolled back",
       [&] {
         ASSERT_EQ(ISAMBeginTransaction(file), 0u);
         insert(t, rec(3, 30, "w"));
         EXPECT_EQ(ISAMDeleteRecord(t, a), 0u);
         EXPECT_EQ(counts(), (std::vector<UINT>{1, 1, 1})) << "inside the transaction";
         ASSERT_EQ(ISAMRollbackTransaction(file), 0u);
       },
       {1, 1, 0}},
      {"committed",
       [&] {
         ASSERT_EQ(ISAMBeginTransaction(file), 0u);
         c = insert(t, rec(4, 10, "v"));
         ASSERT_EQ(ISAMCommitTransaction(file), 0u);
       },
       {2, 2, 1}},
      {"another handle inserts",
       [&] { ASSERT_EQ(ISAMInsertRecord(other, rec(5, 50, "u").data(), kSize, &address), 0u); },
       {3, 3, 2}},
      {"another handle deletes", [&] { ASSERT_EQ(ISAMDeleteRecord(other, c), 0u); }, {2, 2, 1}},
      {"another handle's transaction",
       [&] {
         ASSERT_EQ(ISAMBeginTransaction(otherFile), 0u);
         ASSERT_EQ(ISAMInsertRecord(other, rec(6, 60).data(), kSize, &address), 0u);
         ASSERT_EQ(ISAMCommitTransaction(otherFile), 0u);
       },
       {3, 3, 1}},
  };
  for (const Step &step : steps) {
    SCOPED_TRACE(step.what);
    step.write();
    EXPECT_EQ(counts(), step.counts);
  }
  ASSERT_EQ(ISAMClose(otherFile, &detail), 0u);
}

TEST_F(WriteTest, ClosingWithAnOpenTransactionRollsItBack) {
  insert(table, rec(1, 1));
  ASSERT_EQ(ISAMBeginTransaction(file), 0u);
  insert(table, rec(2, 1));
  UINT detail = 0;
  EXPECT_EQ(ISAMClose(file, &detail), UINT{ISAM_ERR_ROLLED_BACK});
  file = nullptr;
  reopen(ISAM_MODE_READ);
  openTable();
  EXPECT_EQ(count(0), 1u);
}

TEST_F(WriteTest, AddressesStayBelowTwoToThe32) {
  const DWORD a = insert(table, rec(1, 1));
  const DWORD b = insert(table, rec(2, 1));
  ASSERT_EQ(ISAMDeleteRecord(table, a), 0u);
  const DWORD c = insert(table, rec(3, 1));
  EXPECT_NE(c, a) << "a deleted address below the highest is not handed out again";
  EXPECT_GT(c, b);
}

// The fault hook fails every write of the main file or of its journal.
int failWrites(vqisam::os::FaultOp op, bool, void *armed) {
  return *static_cast<bool *>(armed) &&
         (op == vqisam::os::FaultOp::Write || op == vqisam::os::FaultOp::Sync);
}

TEST_F(WriteTest, FailingDiskWritesReportAnErrorAndLoseNothing) {
  const DWORD a = insert(table, rec(1, 1));
  bool armed = true;
  vqisam::os::setFaultHook(failWrites, &armed);
  DWORD address = 0;
  const UINT insertError = ISAMInsertRecord(table, rec(2, 2).data(), kSize, &address);
  const UINT updateError = ISAMUpdateRecord(table, a, rec(1, 9).data(), kSize);
  const UINT descError = ISAMWriteTableDesc(table, 0, "text", 4);
  armed = false;
  vqisam::os::setFaultHook(nullptr, nullptr);
  EXPECT_EQ(insertError, UINT{ISAM_ERR_IO});
  EXPECT_EQ(updateError, UINT{ISAM_ERR_IO});
  EXPECT_EQ(descError, UINT{ISAM_ERR_IO});
  reopen(ISAM_MODE_READ);
  openTable();
  EXPECT_EQ(count(0), 1u);
  EXPECT_EQ(read(a), rec(1, 1));
  UINT size = 9;
  ASSERT_EQ(ISAMGetTableDescSize(table, 0, &size), 0u);
  EXPECT_EQ(size, 0u);
}

TEST_F(WriteTest, FailingReadsReportAnError) {
  const DWORD a = insert(table, rec(1, 1));
  reopen(ISAM_MODE_READ); // a fresh connection has nothing cached
  bool armed = true;
  vqisam::os::setFaultHook(
      [](vqisam::os::FaultOp op, bool mainFile, void *on) -> int {
        return *static_cast<bool *>(on) && mainFile && op == vqisam::os::FaultOp::Read;
      },
      &armed);
  HISAMTABLE t = nullptr;
  const UINT err = ISAMOpenTable(file, "W", &t);
  std::vector<BYTE> r(kSize);
  const UINT readError = err ? err : ISAMReadRecordByAddress(t, a, r.data(), kSize, 0);
  vqisam::os::setFaultHook(nullptr, nullptr);
  EXPECT_EQ(readError, UINT{ISAM_ERR_IO});
}

TEST_F(WriteTest, FreshFileHoldsAnIntactDatabase) {
  for (int i = 0; i < 100; ++i)
    insert(table, rec(i, i % 3));
  UINT detail = 0;
  ASSERT_EQ(ISAMClose(file, &detail), 0u);
  file = nullptr;
  std::unique_ptr<vqisam::store::Database> db;
  uint32_t storeDetail = 0;
  ASSERT_EQ(vqisam::store::Database::open(path().c_str(), true, db, storeDetail), 0u);
  std::string result;
  ASSERT_EQ(db->integrityCheck(result), 0u);
  EXPECT_EQ(result, "ok");
  EXPECT_EQ(db->close(storeDetail), 0u);
}

} // namespace
