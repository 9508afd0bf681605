// Whole-process benchmark of the ISAM engine against plain SQLite on an
// equivalent table, in one run: insert N records of 100 bytes with two
// indexes, iterate the text index in key order reading every record, and
// read 10,000 records by address, and ask 100 times for the record count of
// an index (the description's count; SQLite's count(*)). Prints each time,
// the ratio engine/SQLite (target for iteration and reads: at most 1.5) and
// the file sizes.
//
//   isam_bench [records=1000000] [folder=temp folder]
#include <vq_isa32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <random>
#include <sqlite3.h>
#include <string>
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
  double insert = 0, iterate = 0, reads = 0, counts = 0;
  uint64_t checksum = 0;
};

Times runEngine(const std::string &path, const std::vector<std::vector<BYTE>> &records,
                const std::vector<uint32_t> &readOrder) {
  Times t;
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
  std::vector<DWORD> addresses(records.size());
  auto start = Clock::now();
  ISAMBeginTransaction(file);
  for (size_t i = 0; i < records.size(); ++i)
    if ((err = ISAMInsertRecord(table, records[i].data(), kRecordSize, &addresses[i])))
      die("ISAMInsertRecord", err);
  if ((err = ISAMCommitTransaction(file)))
    die("ISAMCommitTransaction", err);
  t.insert = seconds(start);

  std::vector<BYTE> buffer(kRecordSize);
  DWORD address = 0;
  start = Clock::now();
  if ((err = ISAMSetupIterationLimits(table, 1, 0, nullptr, nullptr)))
    die("ISAMSetupIterationLimits", err);
  while ((err = ISAMReadNextRecord(table, 1, buffer.data(), &address, 0)) == 0)
    t.checksum += address + buffer[kRecordSize - 1];
  if (err != ISAM_END_OF_ITERATION)
    die("ISAMReadNextRecord", err);
  t.iterate = seconds(start);

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
  ISAMClose(file, &detail);
  return t;
}

void exec(sqlite3 *db, const char *sql) {
  if (int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr))
    die(sql, rc);
}

// The same table as plain SQLite would hold it: key columns of their own
// types beside the record, an index on each, the same journal settings.
Times runSqlite(const std::string &path, const std::vector<std::vector<BYTE>> &records,
                const std::vector<uint32_t> &readOrder) {
  Times t;
  sqlite3 *db = nullptr;
  if (sqlite3_open(path.c_str(), &db))
    die("sqlite3_open", 0);
  exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
           "CREATE TABLE p(a INTEGER PRIMARY KEY, r BLOB NOT NULL, num INTEGER, name BLOB);"
           "CREATE UNIQUE INDEX p_num ON p(num); CREATE INDEX p_name ON p(name)");
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

  const auto records = makeRecords(static_cast<uint32_t>(count));
  std::mt19937 rng(2);
  std::vector<uint32_t> readOrder(kReads);
  for (uint32_t &i : readOrder)
    i = static_cast<uint32_t>(rng() % records.size());

  // Plain SQLite first, so the engine does not profit from a warm cache.
  const Times base = runSqlite(sqlitePath, records, readOrder);
  const Times isam = runEngine(isamPath, records, readOrder);
  if (isam.checksum != base.checksum)
    std::printf("warning: checksums differ (%llu / %llu)\n",
                static_cast<unsigned long long>(isam.checksum),
                static_cast<unsigned long long>(base.checksum));

  std::printf("records: %ld of %u bytes, two indexes\n", count, kRecordSize);
  std::printf("%-28s %12s %12s %8s\n", "", "engine s", "sqlite s", "ratio");
  const struct {
    const char *name;
    double engine, sqlite;
    const char *target;
  } rows[] = {{"insert all", isam.insert, base.insert, ""},
              {"iterate index in key order", isam.iterate, base.iterate, " (target <= 1.5)"},
              {"10000 reads by address", isam.reads, base.reads, " (target <= 1.5)"},
              {"100 index record counts", isam.counts, base.counts, ""}};
  for (const auto &row : rows)
    std::printf("%-28s %12.3f %12.3f %8.2f%s\n", row.name, row.engine, row.sqlite,
                row.engine / row.sqlite, row.target);
  const auto isamSize = std::filesystem::file_size(isamPath);
  const auto sqliteSize = std::filesystem::file_size(sqlitePath);
  std::printf("file size: engine %llu bytes, sqlite %llu bytes, ratio %.2f\n",
              static_cast<unsigned long long>(isamSize),
              static_cast<unsigned long long>(sqliteSize),
              static_cast<double>(isamSize) / static_cast<double>(sqliteSize));
  std::filesystem::remove_all(folder);
  return 0;
}
