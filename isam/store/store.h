/*
 * The engine's storage: one SQLite database per ISAM file, reached through
 * the shifting VFS (store/vfs.h). This header is free of SQLite types so
 * that the engine's interface layer builds without them.
 *
 * Schema:
 *
 * | object            | what it holds                                         |
 * |-------------------|-------------------------------------------------------|
 * | isam_catalog      | one row per table: id, name (unique, ASCII case       |
 * |                   | ignored), record size, index node size, key count,    |
 * |                   | the 58-byte key items, the stored description         |
 * | t<id>             | the records: a = record address (row id), r = record  |
 * |                   | bytes, k<i> = encoded key of index i (NULL when a     |
 * |                   | sparse index leaves the record out)                   |
 * | t<id>_k<i>        | the SQLite index of key i (UNIQUE for unique keys);   |
 * |                   | SQLite appends the row id, so equal keys keep address |
 * |                   | order                                                 |
 *
 * Record counts of indexes are not stored: a connection counts an index
 * once and keeps the count in memory, exact through its own writes, until
 * another connection commits (PRAGMA data_version), it rolls back or a
 * commit fails.
 *
 * Snapshots: an iteration that reads more than a few records makes the
 * connection copy the table's records into memory in one scan, with the
 * key order of the index sorted from those records in memory; from then
 * on iterations and reads by address are served from memory. A table too
 * large to hold as it is has each record compressed against a dictionary
 * of its own records (store/codec.h). A snapshot
 * belongs to one data version: it is dropped when another connection has
 * committed, at a rollback and when a commit fails; this connection's own
 * writes patch it. Tables whose records exceed the budget of
 * CachePolicy stay with SQLite's own cursors.
 *
 * Journal: WAL with synchronous=FULL, so that every commit is atomic and
 * durable on return and readers on other connections never wait for a
 * writer. Writers wait up to five seconds for each other.
 *
 * Every call returns 0 or an engine error number (vq_isa32.h).
 */
#ifndef VQ_ISAM_STORE_STORE_H
#define VQ_ISAM_STORE_STORE_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vqisam::store {

struct TableMeta {
  int64_t id = 0;
  std::string name;
  uint32_t recordSize = 0;
  uint32_t nodeSize = 0;
  uint32_t keyCount = 0;
  std::vector<uint8_t> keyItems; // keyCount items of 58 bytes
};

/// The encoded key of one index; absent when a sparse index skips the record.
struct Key {
  bool present = true;
  std::vector<uint8_t> bytes;
};

struct Bound {
  bool set = false;
  std::vector<uint8_t> key;
};

/// Encodes the key of one index from a record image, as the writes do;
/// false where a sparse index leaves the record out.
using KeyEncoder = std::function<bool(const uint8_t *record, std::vector<uint8_t> &key)>;

/// When a connection copies a table into memory. Process wide; tests set
/// it to reach both paths.
struct CachePolicy {
  /// Bytes of records, addresses and key orders one connection may hold.
  uint64_t budget = uint64_t{1} << 30;
  /// Records an iteration reads through SQLite before the table is copied;
  /// a short walk from a browser's position never pays for the copy.
  uint32_t copyAfter = 1024;
  /// Addresses from which a copy reads the upper half of the table on a
  /// second connection and thread; 0: never.
  uint32_t splitFrom = 65536;
  /// Records a walk over a copy delivers before a second thread gathers
  /// the next ones in its order ahead of it; 0: never.
  uint32_t gatherAfter = 4096;
  /// Bytes of records and orders up to which a connection may hold a
  /// table's records as they are: it does where samples of the records
  /// show that compression would save too little for its time. A larger
  /// table is always held compressed, so that it still fits the budget;
  /// its walks cost up to twice as much, still a fraction of SQLite's
  /// cursors.
  uint64_t plainUpTo = uint64_t{1} << 30;
  /// Off: a table that fits plainUpTo is always held as it is.
  bool compressWherePays = true;
};
void setCachePolicy(const CachePolicy &policy);
CachePolicy cachePolicy();
/// Snapshots copied from SQLite since the process started (for tests).
uint64_t snapshotLoads();
/// Of those, the ones read in two halves on two connections.
uint64_t snapshotHalves();
/// Snapshots copied or coded again compressed since the process started.
uint64_t snapshotsCompressed();

class Database;

/// A running iteration over one index, through an SQLite statement or over
/// the table's snapshot. Either way it sees the data version of its start.
/// Writes through the same database park every cursor; the next step then
/// seeks again after the last delivered record, so a write never disturbs
/// an iteration's position.
class Cursor {
public:
  ~Cursor();
  Cursor(const Cursor &) = delete;
  Cursor &operator=(const Cursor &) = delete;

  /// Starts from the beginning, or after (afterKey, afterAddress).
  unsigned start(const Bound &low, const Bound &high, const Key *afterKey, uint32_t afterAddress);
  /// The next record; ISAM_END_OF_ITERATION at the end.
  unsigned next(void *buffer, uint32_t recordSize, uint32_t &address);

  struct Impl; // defined with the SQLite code

private:
  friend class Database;
  explicit Cursor(std::unique_ptr<Impl> impl);
  void park();
  std::unique_ptr<Impl> impl_;
};

class Database {
public:
  ~Database();
  Database(const Database &) = delete;
  Database &operator=(const Database &) = delete;

  /// detail receives a Win32 system error or SQLite's extended result code.
  static unsigned open(const char *path, bool readOnly, std::unique_ptr<Database> &out,
                       uint32_t &detail);
  static unsigned create(const char *path, std::unique_ptr<Database> &out, uint32_t &detail);
  /// Rolls back an open transaction (ISAM_ERR_ROLLED_BACK) and closes.
  unsigned close(uint32_t &detail);

  bool readOnly() const { return readOnly_; }
  bool inTransaction() const { return inTransaction_; }

  unsigned tableCount(uint32_t &count);
  unsigned tableName(uint32_t number, std::string &name);
  unsigned findTable(const char *name, TableMeta &meta);
  unsigned createTable(const TableMeta &meta, const std::vector<bool> &unique);

  unsigned descSize(int64_t table, uint32_t &size);
  unsigned readDesc(int64_t table, void *buffer, uint32_t size, uint32_t &length);
  unsigned writeDesc(int64_t table, const void *text, uint32_t length);

  unsigned insert(int64_t table, const void *record, uint32_t size, const std::vector<Key> &keys,
                  uint32_t &address);
  unsigned update(int64_t table, uint32_t address, const void *record, uint32_t size,
                  const std::vector<Key> &keys);
  unsigned remove(int64_t table, uint32_t address);
  unsigned read(int64_t table, uint32_t address, void *buffer, uint32_t recordSize);
  unsigned keyOf(int64_t table, unsigned index, uint32_t address, Key &key);
  /// Records whose key is in the index; `sparse` as the key definition says.
  unsigned countIndex(int64_t table, unsigned index, bool sparse, uint32_t &count);

  /// A cursor over index `index` of table in the given order; unique keys
  /// need no address to order equal keys. The encoder places bounds and
  /// positions in a snapshot.
  unsigned openCursor(int64_t table, uint32_t recordSize, unsigned index, bool unique,
                      bool descending, KeyEncoder encoder, std::unique_ptr<Cursor> &out);

  unsigned begin();
  unsigned commit();
  unsigned rollback();

  /// SQLite's integrity check: "ok" or the list of faults.
  unsigned integrityCheck(std::string &result);

  struct Impl; // defined with the SQLite code

private:
  friend class Cursor;
  explicit Database(std::unique_ptr<Impl> impl, bool readOnly);
  unsigned beforeWrite();
  std::unique_ptr<Impl> impl_;
  bool readOnly_;
  bool inTransaction_ = false;
};

} // namespace vqisam::store

#endif
