// Whole-process benchmark of the ISAM engine against plain SQLite on an
// equivalent table, in one run: insert N records of 100 bytes with two
// indexes in one transaction, iterate the text index in key order reading
// every record (the first iteration after the inserts, once more, and the
// first after the file was opened again), read
// 10,000 records by address, and ask 100 times for the record count of an
// index (the description's count; SQLite's count(*)). SQLite's side also
// counts a filter over a full scan, the floor an iteration is measured
// against, and runs the same table with indexes that carry the record, the
// layout an engine could choose instead. Prints each time, the ratio
// engine/SQLite against its target, the file sizes and the memory.
//
//   isam_bench [records=1000000] [folder=temp folder] [candidates=1]
//              [hold=auto]
//
// candidates=0 leaves out SQLite with indexes carrying the record, the
// slowest part of a run. hold=auto leaves to the engine whether it holds
// the table's records compressed in memory, as it does where that pays;
// hold=plain has it hold them as they are, hold=compressed compressed, as
// it holds a table too large for its memory budget.
#include <vq_isa32.h>

#include "store/store.h"
#include "store/vfs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <numeric>
#include <random>
#include <sqlite3.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr UINT kRecordSize = 100;
constexpr UINT kNameOffset = 4, kNameSize = 16;
constexpr int kReads = 10000;

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

void die(const char *what, long code) {
  std::fprintf(stderr, "isam_bench: %s failed (%ld)\n", what, code);
  std::exit(1);
}

// Record: unique 32-bit number, 16-character name (often repeated), filler.
std::vector<std::vector<BYTE>> makeRecords(uint32_t count) {
  std::mt19937 rng(1);
  std::vector<uint32_t> numbers(count);
  std::iota(numbers.begin(), numbers.end(), 0u);
  std::shuffle(numbers.begin(), numbers.end(), rng);
  std::vector<std::vector<BYTE>> records(count, std::vector<BYTE>(kRecordSize));
  for (uint32_t i = 0; i < count; ++i) {
    BYTE *r = records[i].data();
    std::memcpy(r, &numbers[i], 4);
    for (UINT c = 0; c < kNameSize; ++c)
      r[kNameOffset + c] = static_cast<BYTE>('a' + rng() % (c < 3 ? 26 : 4));
    for (UINT c = kNameOffset + kNameSize; c < kRecordSize; ++c)
      r[c] = static_cast<BYTE>(i + c);
  }
  return records;
}

ISAMIDT keyItem(bool unique, UINT type, UINT offset, UINT size) {
  ISAMIDT item{};
  item.bytes[0] = unique ? 1 : 0;
  item.bytes[5] = 1;
  item.bytes[6] = static_cast<BYTE>(type);
  item.bytes[8] = static_cast<BYTE>(offset);
  item.bytes[10] = static_cast<BYTE>(size);
  return item;
}

constexpr int kCounts = 100;

struct Times {
  double insert = 0, iterate = 0, iterateAgain = 0, iterateReopened = 0, reads = 0, counts = 0,
         filterScan = 0;
  uint64_t checksum = 0;
  int64_t heapBeyondSqlite = 0; // after the iterations, over what the run started with
};

// Bytes the allocator has handed out, large blocks included, and the
// engine's arrays mapped apart from it.
int64_t heapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<int64_t>(m.uordblks + m.hblkhd + vqisam::os::largeBytes());
}

Times runEngine(const std::string &path, const std::vector<std::vector<BYTE>> &records,
                const std::vector<uint32_t> &readOrder) {
  Times t;
  std::vector<DWORD> addresses(records.size());
  std::vector<BYTE> buffer(kRecordSize);
  const int64_t heapAtStart = heapInUse(), sqliteAtStart = sqlite3_memory_used();
  HISAMFILE file = nullptr;
  UINT detail = 0, err;
  if ((err = ISAMCreate(&file, path.c_str(), &detail)))
    die("ISAMCreate", err);
  const ISAMIDT keys[2] = {keyItem(true, ISAMGetKeyType("UNSIGNED"), 0, 4),
                           keyItem(false, ISAMGetKeyType("TEXT"), kNameOffset, kNameSize)};
  if ((err = ISAMCreateTable(file, "Bench", keys, 2, kRecordSize, 1024)))
    die("ISAMCreateTable", err);
  HISAMTABLE table = nullptr;
  if ((err = ISAMOpenTable(file, "Bench", &table)))
    die("ISAMOpenTable", err);
  auto start = Clock::now();
  ISAMBeginTransaction(file);
  for (size_t i = 0; i < records.size(); ++i)
    if ((err = ISAMInsertRecord(table, records[i].data(), kRecordSize, &addresses[i])))
      die("ISAMInsertRecord", err);
  if ((err = ISAMCommitTransaction(file)))
    die("ISAMCommitTransaction", err);
  t.insert = seconds(start);

  DWORD address = 0;
  const auto iterate = [&](double *time) {
    start = Clock::now();
    if ((err = ISAMSetupIterationLimits(table, 1, 0, nullptr, nullptr)))
      die("ISAMSetupIterationLimits", err);
    uint64_t sum = 0;
    while ((err = ISAMReadNextRecord(table, 1, buffer.data(), &address, 0)) == 0)
      sum += address + buffer[kRecordSize - 1];
    if (err != ISAM_END_OF_ITERATION)
      die("ISAMReadNextRecord", err);
    *time = seconds(start);
    if (time == &t.iterate)
      t.checksum += sum;
  };
  iterate(&t.iterate);
  iterate(&t.iterateAgain);
  t.heapBeyondSqlite = heapInUse() - heapAtStart - (sqlite3_memory_used() - sqliteAtStart);

  start = Clock::now();
  for (uint32_t i : readOrder) {
    if ((err = ISAMReadRecordByAddress(table, addresses[i], buffer.data(), kRecordSize, 0)))
      die("ISAMReadRecordByAddress", err);
    t.checksum += buffer[7];
  }
  t.reads = seconds(start);

  BYTE desc[ISAM_INDEX_DESC_SIZE];
  start = Clock::now();
  for (int i = 0; i < kCounts; ++i) {
    if ((err = ISAMGetIndexDesc(table, static_cast<UINT>(i % 2), desc)))
      die("ISAMGetIndexDesc", err);
    uint32_t count;
    std::memcpy(&count, desc + 46, 4);
    t.checksum += count;
  }
  t.counts = seconds(start);

  // Another program opening the file finds no snapshot: its first walk
  // copies the table from the file.
  ISAMClose(file, &detail);
  if ((err = ISAMOpen(&file, path.c_str(), ISAM_MODE_READ, &detail)))
    die("ISAMOpen", err);
  if ((err = ISAMOpenTable(file, "Bench", &table)))
    die("ISAMOpenTable", err);
  iterate(&t.iterateReopened);
  ISAMClose(file, &detail);
  return t;
}

void exec(sqlite3 *db, const char *sql) {
  if (int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr))
    die(sql, rc);
}

// The same table as plain SQLite would hold it: key columns of their own
// types beside the record, an index on each, the same journal settings.
// With `covering`, each index carries the record behind its key, so that
// one walk of the index delivers rows in key order.
Times runSqlite(const std::string &path, const std::vector<std::vector<BYTE>> &records,
                const std::vector<uint32_t> &readOrder, bool covering) {
  Times t;
  sqlite3 *db = nullptr;
  if (sqlite3_open(path.c_str(), &db))
    die("sqlite3_open", 0);
  exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
           "CREATE TABLE p(a INTEGER PRIMARY KEY, r BLOB NOT NULL, num INTEGER, name BLOB)");
  exec(db, covering ? "CREATE INDEX p_num ON p(num, r); CREATE INDEX p_name ON p(name, a, r)"
                    : "CREATE UNIQUE INDEX p_num ON p(num); CREATE INDEX p_name ON p(name)");
  sqlite3_stmt *ins = nullptr, *scan = nullptr, *get = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO p(r, num, name) VALUES(?, ?, ?)", -1, &ins, nullptr);
  sqlite3_prepare_v2(db, "SELECT a, r FROM p ORDER BY name, a", -1, &scan, nullptr);
  sqlite3_prepare_v2(db, "SELECT r FROM p WHERE a = ?", -1, &get, nullptr);
  std::vector<sqlite3_int64> addresses(records.size());
  auto start = Clock::now();
  exec(db, "BEGIN");
  for (size_t i = 0; i < records.size(); ++i) {
    const BYTE *r = records[i].data();
    uint32_t number;
    std::memcpy(&number, r, 4);
    sqlite3_bind_blob(ins, 1, r, kRecordSize, SQLITE_STATIC);
    sqlite3_bind_int64(ins, 2, number);
    sqlite3_bind_blob(ins, 3, r + kNameOffset, kNameSize, SQLITE_STATIC);
    if (sqlite3_step(ins) != SQLITE_DONE)
      die("INSERT", sqlite3_errcode(db));
    sqlite3_reset(ins);
    addresses[i] = sqlite3_last_insert_rowid(db);
  }
  exec(db, "COMMIT");
  t.insert = seconds(start);

  std::vector<BYTE> buffer(kRecordSize);
  start = Clock::now();
  while (sqlite3_step(scan) == SQLITE_ROW) {
    std::memcpy(buffer.data(), sqlite3_column_blob(scan, 1), kRecordSize);
    t.checksum += static_cast<uint64_t>(sqlite3_column_int64(scan, 0)) + buffer[kRecordSize - 1];
  }
  sqlite3_reset(scan);
  t.iterate = seconds(start);

  // What reading every row costs SQLite at best: a filter counted over a
  // full scan of the table.
  sqlite3_stmt *filter = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM p WHERE substr(r, 100, 1) <> x'00'", -1, &filter,
                     nullptr);
  start = Clock::now();
  if (sqlite3_step(filter) != SQLITE_ROW)
    die("SELECT count filter", sqlite3_errcode(db));
  t.filterScan = seconds(start);
  sqlite3_finalize(filter);

  start = Clock::now();
  for (uint32_t i : readOrder) {
    sqlite3_bind_int64(get, 1, addresses[i]);
    if (sqlite3_step(get) != SQLITE_ROW)
      die("SELECT", sqlite3_errcode(db));
    std::memcpy(buffer.data(), sqlite3_column_blob(get, 0), kRecordSize);
    sqlite3_reset(get);
    t.checksum += buffer[7];
  }
  t.reads = seconds(start);

  sqlite3_stmt *count = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM p", -1, &count, nullptr);
  start = Clock::now();
  for (int i = 0; i < kCounts; ++i) {
    if (sqlite3_step(count) != SQLITE_ROW)
      die("SELECT count", sqlite3_errcode(db));
    t.checksum += static_cast<uint64_t>(sqlite3_column_int64(count, 0));
    sqlite3_reset(count);
  }
  t.counts = seconds(start);
  sqlite3_finalize(count);
  sqlite3_finalize(ins);
  sqlite3_finalize(scan);
  sqlite3_finalize(get);
  sqlite3_close(db);
  return t;
}

} // namespace

int main(int argc, char **argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  if (count < 1 || count > 100000000)
    die("record count", count);
  const std::filesystem::path folder =
      (argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path()) /
      ("vq_isam_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string isamPath = (folder / "bench.isa").string();
  const std::string sqlitePath = (folder / "bench.db").string();
  const std::string coverPath = (folder / "cover.db").string();

  const auto records = makeRecords(static_cast<uint32_t>(count));
  std::mt19937 rng(2);
  std::vector<uint32_t> readOrder(kReads);
  for (uint32_t &i : readOrder)
    i = static_cast<uint32_t>(rng() % records.size());

  // Plain SQLite first, so the engine does not profit from a warm cache.
  const Times base = runSqlite(sqlitePath, records, readOrder, false);
  const bool candidates = argc > 3 ? std::atoi(argv[3]) != 0 : true;
  const Times cover = candidates ? runSqlite(coverPath, records, readOrder, true) : Times{};
  const std::string hold = argc > 4 ? argv[4] : "auto";
  vqisam::store::CachePolicy policy = vqisam::store::cachePolicy();
  if (hold == "plain")
    policy.compressWherePays = false;
  else if (hold == "compressed")
    policy.plainUpTo = 0;
  else if (hold != "auto")
    die("hold (auto, plain or compressed)", 0);
  vqisam::store::setCachePolicy(policy);
  const uint64_t compressedBefore = vqisam::store::snapshotsCompressed();
  const Times isam = runEngine(isamPath, records, readOrder);
  const bool compressed = vqisam::store::snapshotsCompressed() > compressedBefore;
  if (isam.checksum != base.checksum)
    std::printf("warning: checksums differ (%llu / %llu)\n",
                static_cast<unsigned long long>(isam.checksum),
                static_cast<unsigned long long>(base.checksum));

  std::printf("records: %ld of %u bytes, two indexes; the engine held them %s (hold=%s)\n", count,
              kRecordSize, compressed ? "compressed" : "as they are", hold.c_str());
  const double n = static_cast<double>(count);
  std::printf("%-36s %10s %10s %7s %9s\n", "", "engine s", "sqlite s", "ratio", "engine ns");
  const struct {
    const char *name;
    double engine, sqlite, perItem;
    const char *target;
  } rows[] = {
      {"insert all, one transaction", isam.insert, base.insert, n, "target <= 1.2"},
      {"iterate key order, first time", isam.iterate, base.iterate, n, "target <= 0.1"},
      {"iterate key order, again", isam.iterateAgain, base.iterate, n, "target <= 0.1"},
      {"iterate key order, file reopened", isam.iterateReopened, base.iterate, n, "target <= 0.1"},
      {"  same, against filtered full scan", isam.iterate, base.filterScan, n, "target <= 3"},
      {"  reopened, against filtered full scan", isam.iterateReopened, base.filterScan, n,
       "target <= 3"},
      {"10000 reads by address", isam.reads, base.reads, kReads, "target <= 1.0"},
      {"100 index record counts", isam.counts, base.counts, kCounts, ""},
  };
  for (const auto &row : rows)
    std::printf("%-36s %10.3f %10.3f %7.2f %9.0f  %s\n", row.name, row.engine, row.sqlite,
                row.engine / row.sqlite, row.engine / row.perItem * 1e9, row.target);
  std::printf("sqlite: iterate %.0f ns, filtered full scan %.0f ns per row\n",
              base.iterate / n * 1e9, base.filterScan / n * 1e9);
  if (candidates)
    std::printf("sqlite with indexes carrying the record: insert %.3f s (%.2f), iterate %.0f ns "
                "per row (%.2f), file size %.2f\n",
                cover.insert, cover.insert / base.insert, cover.iterate / n * 1e9,
                cover.iterate / base.iterate,
                static_cast<double>(std::filesystem::file_size(coverPath)) /
                    static_cast<double>(std::filesystem::file_size(sqlitePath)));
  const auto isamSize = std::filesystem::file_size(isamPath);
  const auto sqliteSize = std::filesystem::file_size(sqlitePath);
  std::printf("file size: engine %llu bytes, sqlite %llu bytes, ratio %.2f (target <= 1.6)\n",
              static_cast<unsigned long long>(isamSize),
              static_cast<unsigned long long>(sqliteSize),
              static_cast<double>(isamSize) / static_cast<double>(sqliteSize));
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  const double recordBytes = n * kRecordSize;
  std::printf("memory: engine heap beyond SQLite's %.1f MB (%.2f of the record bytes, target "
              "< 1); process peak %.1f MB, the benchmark's input included (%.1f MB of records)\n",
              static_cast<double>(isam.heapBeyondSqlite) / 1e6,
              static_cast<double>(isam.heapBeyondSqlite) / recordBytes,
              static_cast<double>(usage.ru_maxrss) / 1e3, recordBytes / 1e6);
  std::filesystem::remove_all(folder);
  return 0;
}
