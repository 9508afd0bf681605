/*
 * SQLite storage of ISAM files: catalog, record tables, key indexes,
 * cursors and transactions. The schema and journal choices are described
 * in store.h; SQLite result codes become engine error numbers here and
 * nowhere else.
 */
#include "store/store.h"
#include "store/codec.h"

#include "store/vfs.h"

#include <vq_isa32.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <sqlite3.h>
#include <stdexcept>
#include <unordered_map>
#include <utility>
#include <atomic>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>

namespace vqisam::store {
namespace {

constexpr int kBusyTimeoutMs = 5000;
// SQLite's page cache while a transaction is open, in KiB. With the default
// of 2 MiB a transaction of many inserts spills dirty pages to the log and
// reads them back over and over (twice as many system calls as records);
// afterwards the cache goes back to the connection's default, which frees
// the pages beyond it.
constexpr int kTransactionCacheKiB = 64 * 1024;
constexpr int kReleaseAfterCacheBytes = 8 << 20;
constexpr uint32_t kMinNodeSize = 32;
constexpr uint32_t kMaxNodeSize = 65535;
// Records a snapshot that grew from fewer holds when it is coded again.
constexpr uint32_t kRecodeAt = 4096;
constexpr int64_t kPrefetch = 8; // records fetched ahead of a walk over a snapshot

unsigned mapError(int rc) {
  switch (rc & 0xFF) {
  case SQLITE_OK:
  case SQLITE_ROW:
  case SQLITE_DONE:
    return 0;
  case SQLITE_NOMEM:
    return ISAM_ERR_MEMORY;
  case SQLITE_BUSY:
  case SQLITE_LOCKED:
    return ISAM_ERR_BUSY;
  case SQLITE_READONLY:
    return ISAM_ERR_READ_ONLY;
  case SQLITE_IOERR:
    if (rc == SQLITE_IOERR_SHORT_READ)
      return ISAM_ERR_CORRUPT;
    return rc == SQLITE_IOERR_NOMEM ? ISAM_ERR_MEMORY : ISAM_ERR_IO;
  case SQLITE_FULL:
    return ISAM_ERR_DISK_FULL;
  case SQLITE_CANTOPEN:
  case SQLITE_PERM:
  case SQLITE_AUTH:
    return ISAM_ERR_ACCESS;
  case SQLITE_TOOBIG:
    return ISAM_ERR_TOO_LARGE;
  case SQLITE_CONSTRAINT:
    if (rc == SQLITE_CONSTRAINT_UNIQUE)
      return ISAM_ERR_DUPLICATE_KEY;
    // The only CHECK guards the record address range.
    return rc == SQLITE_CONSTRAINT_CHECK ? ISAM_ERR_TABLE_FULL : ISAM_ERR_CORRUPT;
  default:
    // Our SQL is fixed: when SQLite rejects it, the schema is not ours.
    return ISAM_ERR_CORRUPT;
  }
}

std::string recordTable(int64_t table) { return "t" + std::to_string(table); }
std::string keyColumn(unsigned index) { return "k" + std::to_string(index); }

// Resets a statement when a call is done with it, which also ends the read
// transaction a pending statement would hold.
struct ResetOnExit {
  sqlite3_stmt *stmt;
  ~ResetOnExit() {
    if (stmt) {
      sqlite3_reset(stmt);
      sqlite3_clear_bindings(stmt);
    }
  }
};

// An empty vector has no data pointer, and a NULL blob pointer binds SQL NULL.
void bindBytes(sqlite3_stmt *stmt, int column, const std::vector<uint8_t> &bytes) {
  sqlite3_bind_blob(stmt, column, bytes.empty() ? "" : (const void *)bytes.data(),
                    static_cast<int>(bytes.size()), SQLITE_STATIC);
}

void bindKey(sqlite3_stmt *stmt, int column, const Key &key) {
  if (!key.present)
    sqlite3_bind_null(stmt, column);
  else
    bindBytes(stmt, column, key.bytes);
}

void readKey(sqlite3_stmt *stmt, int column, Key &key) {
  key.present = sqlite3_column_type(stmt, column) != SQLITE_NULL;
  const auto *p = static_cast<const uint8_t *>(sqlite3_column_blob(stmt, column));
  key.bytes.assign(p, p + sqlite3_column_bytes(stmt, column));
}

CachePolicy policy;
uint64_t loads = 0, halves = 0, compressions = 0;

// SQLite's order of BLOB keys.
int compareKeys(const uint8_t *a, size_t an, const uint8_t *b, size_t bn) {
  if (int c = std::memcmp(a, b, std::min(an, bn)))
    return c;
  return an < bn ? -1 : an > bn ? 1 : 0;
}

} // namespace

void setCachePolicy(const CachePolicy &p) { policy = p; }
CachePolicy cachePolicy() { return policy; }
uint64_t snapshotLoads() { return loads; }
uint64_t snapshotHalves() { return halves; }
uint64_t snapshotsCompressed() { return compressions; }

// One table's records as a connection saw them at one data version, with
// the key order of every index iterated since. Slots follow the addresses;
// while no record has been deleted they are dense and need no list. The
// connection's own writes patch it: a new record takes a slot at the end,
// a deleted one leaves a dead slot behind.
//
// Records are held compressed, each alone (store/codec.h), so that a table
// takes a fraction of its bytes in memory and any record is read alone.
namespace {

// Arrays as large as a huge page live in memory of their own
// (os::mapLarge), smaller ones on the heap. A table's copy writes each
// once: in small pages the first write to each cost more than the copy.
template <class T> struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <class U> LargeAllocator(const LargeAllocator<U> &) {}
  static bool large(size_t n) { return n >= os::kLargePage / sizeof(T); }
  T *allocate(size_t n) {
    if (n > SIZE_MAX / sizeof(T))
      throw std::bad_array_new_length();
    if (!large(n))
      return static_cast<T *>(::operator new(n * sizeof(T)));
    if (void *p = os::mapLarge(n * sizeof(T)))
      return static_cast<T *>(p);
    throw std::bad_alloc();
  }
  void deallocate(T *p, size_t n) {
    if (large(n))
      os::unmapLarge(p, n * sizeof(T));
    else
      ::operator delete(p);
  }
  template <class U> bool operator==(const LargeAllocator<U> &) const { return true; }
};

// Slots of a snapshot: an index's key order, addresses, code places.
using Slots = std::vector<uint32_t, LargeAllocator<uint32_t>>;

// An array of trivial objects, left as the memory comes; empty when there
// is no memory for it.
template <class T> class LargeArray {
public:
  LargeArray() = default;
  explicit LargeArray(size_t n) : n_(n) {
    try {
      p_ = LargeAllocator<T>().allocate(n);
    } catch (const std::bad_alloc &) {
      n_ = 0;
    }
  }
  LargeArray(LargeArray &&o) noexcept
      : p_(std::exchange(o.p_, nullptr)), n_(std::exchange(o.n_, 0)) {}
  LargeArray &operator=(LargeArray &&o) noexcept {
    std::swap(p_, o.p_);
    std::swap(n_, o.n_);
    return *this;
  }
  ~LargeArray() {
    if (p_)
      LargeAllocator<T>().deallocate(p_, n_);
  }
  T *get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

private:
  T *p_ = nullptr;
  size_t n_ = 0;
};

} // namespace

// Records a dictionary is made of: as many as it holds, 64 at most.
size_t dictionaryRecords(uint32_t recordSize) {
  return std::clamp<size_t>(RecordCodec::kMaxDictionary / std::max<uint32_t>(recordSize, 1), 1, 64);
}

// What records between the dictionary's foretell of a table's codes: the
// mean bytes and operations of one.
struct Forecast {
  double bytes = 0, operations = 0;
};

Forecast foretell(const RecordCodec &codec, const std::vector<std::vector<uint8_t>> &probes,
                  uint32_t recordSize) {
  Forecast f{static_cast<double>(RecordCodec::bound(recordSize)),
             static_cast<double>((recordSize + 127) / 128)};
  if (probes.empty())
    return f;
  std::vector<uint8_t> code(RecordCodec::bound(recordSize));
  size_t bytes = 0, operations = 0;
  for (const auto &probe : probes) {
    size_t ops = 0;
    codec.encode(probe.data(), recordSize, code.data());
    bytes += RecordCodec::codeLength(code.data(), recordSize, &ops);
    operations += ops;
  }
  f.bytes = static_cast<double>(bytes) / static_cast<double>(probes.size());
  f.operations = static_cast<double>(operations) / static_cast<double>(probes.size());
  return f;
}

// A table that fits its budget as it is gets compressed only where that
// pays for the time: each operation of a code costs a few nanoseconds at
// every read of the record and more when it is coded, so each must save
// at least kBytesPerOperation bytes, and the codes a quarter of the bytes
// in all. Measured on 100-byte records: a 16-character name and a run the
// dictionary holds save 11 bytes an operation, down to a quarter of the
// bytes, and walks took as long as plain ones; seven short text and number
// fields save 3.5, where a copy and a count over it took up to twice as
// long as plain.
constexpr double kBytesPerOperation = 8;

bool compressionPays(const Forecast &f, uint32_t recordSize) {
  const double saved = recordSize - f.bytes;
  return saved >= recordSize / 4.0 && saved >= kBytesPerOperation * f.operations;
}

struct Snapshot {
  // Codes live in blocks of a huge page (or the next power of two that
  // holds the longest code): growing never moves the others, and no
  // doubling leaves capacity unused. A code never spans two blocks, and the
  // decoder's slack after the last one stays inside its block.
  static_assert(os::kLargePage == size_t{1} << 21);

  struct Order {
    // Slots in ascending key order, equal keys in address order, as the
    // SQLite index keeps them.
    Slots slots;
    KeyEncoder encoder;
    // Bytes moved by patches; past a few times the order's own size, a
    // new sort costs less than going on patching.
    uint64_t moved = 0;
  };

  uint32_t recordSize = 0;
  std::shared_ptr<const RecordCodec> codec;
  unsigned blockShift = 21;
  uint32_t count = 0; // slots, dead ones included
  uint32_t dead = 0;
  uint32_t first = 0; // address of slot 0 when dense
  Slots addresses;    // ascending, one per slot; empty when dense
  // Per slot, where its code starts: block << blockShift | offset.
  Slots at;
  std::vector<LargeArray<uint8_t>> blocks;
  size_t blocksUsed = 0; // blocks holding codes; the last one up to `tail`
  size_t tail = 0;
  uint64_t replaced = 0; // bytes of codes that newer ones replaced
  // Whether the codes are meant to be compressed; plain ones are the
  // records as they are, in literal runs, against an empty dictionary.
  bool compressed = false;
  std::vector<uint64_t> deadBits; // empty while no slot is dead
  std::map<unsigned, Order> orders;

  Snapshot(uint32_t size, std::shared_ptr<const RecordCodec> c)
      : recordSize(size), codec(std::move(c)) {
    while ((size_t{1} << blockShift) < RecordCodec::bound(recordSize) + RecordCodec::kSlack)
      ++blockShift;
  }
  size_t blockBytes() const { return size_t{1} << blockShift; }
  static LargeArray<uint8_t> newBlock(size_t bytes) {
    LargeArray<uint8_t> block(bytes);
    if (!block)
      throw std::bad_alloc();
    return block;
  }
  // Blocks that hold n codes of the longest kind.
  size_t blocksFor(uint64_t n) const {
    const uint64_t perBlock = (blockBytes() - RecordCodec::kSlack) / RecordCodec::bound(recordSize);
    return static_cast<size_t>((n + perBlock - 1) / perBlock);
  }
  const uint8_t *code(uint32_t slot) const {
    return blocks[at[slot] >> blockShift].get() + (at[slot] & (blockBytes() - 1));
  }
  void read(uint32_t slot, uint8_t *out) const { codec->decode(code(slot), recordSize, out); }
  // The record of slot in scratch, for the key encoders.
  const uint8_t *view(uint32_t slot, std::vector<uint8_t> &scratch) const {
    scratch.resize(recordSize);
    read(slot, scratch.data());
    return scratch.data();
  }
  uint32_t address(uint32_t slot) const {
    return addresses.empty() ? first + slot : addresses[slot];
  }
  bool isDead(uint32_t slot) const {
    return !deadBits.empty() && (deadBits[slot >> 6] >> (slot & 63) & 1);
  }
  // The slot holding address a, dead or alive; -1 for none.
  int64_t anySlotOf(uint32_t a) const {
    if (addresses.empty())
      return count && a >= first && a - first < count ? int64_t{a - first} : int64_t{-1};
    auto it = std::lower_bound(addresses.begin(), addresses.end(), a);
    return it != addresses.end() && *it == a ? it - addresses.begin() : -1;
  }
  int64_t slotOf(uint32_t a) const {
    const int64_t slot = anySlotOf(a);
    return slot >= 0 && isDead(static_cast<uint32_t>(slot)) ? -1 : slot;
  }
  // Codes the record at the end of the used blocks, taking the next block
  // where the last has no room for the longest code; where it starts.
  bool needsBlock() const {
    return blocksUsed == 0 ||
           tail + RecordCodec::bound(recordSize) + RecordCodec::kSlack > blockBytes();
  }
  uint32_t store(const void *bytes) {
    if (needsBlock()) {
      if ((uint64_t{blocksUsed} + 1) << blockShift > (uint64_t{1} << 32))
        throw std::length_error("snapshot blocks");
      if (blocksUsed == blocks.size())
        blocks.emplace_back();
      if (!blocks[blocksUsed])
        blocks[blocksUsed] = newBlock(blockBytes());
      ++blocksUsed;
      tail = 0;
    }
    const auto position = static_cast<uint32_t>((blocksUsed - 1) << blockShift | tail);
    tail += codec->encode(static_cast<const uint8_t *>(bytes), recordSize,
                          blocks[blocksUsed - 1].get() + tail);
    return position;
  }
  // A new last slot for the record at address a, above every slot.
  void append(uint32_t a, const void *bytes) {
    if (count && a <= address(count - 1))
      throw std::invalid_argument("address below the last slot");
    if (count == 0xFFFFFFFFu)
      throw std::length_error("slots");
    if (count == 0)
      first = a;
    else if (addresses.empty() && a != first + count) {
      addresses.reserve(count + 1);
      for (uint32_t s = 0; s < count; ++s)
        addresses.push_back(first + s);
    }
    if (at.size() == at.capacity())
      at.reserve(at.size() + at.size() / 8 + 1024);
    at.push_back(store(bytes));
    if (!addresses.empty())
      addresses.push_back(a);
    if (!deadBits.empty() && (count >> 6) == deadBits.size())
      deadBits.push_back(0);
    ++count;
  }
  // A slot's record changed: its new code goes to the end.
  void replace(uint32_t slot, const void *bytes) {
    const size_t length = RecordCodec::codeLength(code(slot), recordSize);
    at[slot] = store(bytes);
    replaced += length;
  }
  void setDead(uint32_t slot, bool on) {
    if (deadBits.empty())
      deadBits.assign((size_t{count} + 63) / 64 + 1, 0);
    const uint64_t bit = uint64_t{1} << (slot & 63);
    if (on != ((deadBits[slot >> 6] & bit) != 0))
      dead += on ? 1 : static_cast<uint32_t>(-1);
    deadBits[slot >> 6] = on ? deadBits[slot >> 6] | bit : deadBits[slot >> 6] & ~bit;
  }
  // A codec against records spread over the slots; `probes`, when given,
  // receives as many records between them.
  std::shared_ptr<const RecordCodec>
  ownCodec(std::vector<std::vector<uint8_t>> *probes = nullptr) const {
    std::vector<uint8_t> dictionary, image(recordSize);
    const size_t wanted = 2 * dictionaryRecords(recordSize);
    for (size_t k = 0; k < wanted && count; ++k) {
      const auto slot = static_cast<uint32_t>(uint64_t{count} * k / wanted);
      if (isDead(slot))
        continue;
      read(slot, image.data());
      if (k % 2 == 0)
        dictionary.insert(dictionary.end(), image.begin(), image.end());
      else if (probes)
        probes->push_back(image);
    }
    return std::make_shared<const RecordCodec>(std::move(dictionary));
  }
  // Codes every record again, against `with`; the orders keep their slots.
  void recode(std::shared_ptr<const RecordCodec> with) {
    std::vector<uint8_t> image(recordSize);
    Snapshot fresh(recordSize, std::move(with));
    fresh.at.reserve(at.capacity());
    for (uint32_t slot = 0; slot < count; ++slot) {
      read(slot, image.data());
      fresh.at.push_back(fresh.store(image.data()));
    }
    codec = std::move(fresh.codec);
    blocks.swap(fresh.blocks);
    at.swap(fresh.at);
    blocksUsed = fresh.blocksUsed;
    tail = fresh.tail;
    replaced = 0;
  }
  // Whether the dictionary was made from fewer records than it holds.
  bool codecFromFew() const {
    return codec->dictionarySize() < dictionaryRecords(recordSize) * recordSize &&
           codec->dictionarySize() < RecordCodec::kMaxDictionary;
  }
  // Bytes the next code may add.
  uint64_t growth() const {
    return (needsBlock() ? blockBytes() : 0) +
           (at.size() == at.capacity() ? (at.size() / 8 + 1024) * 4 : 0);
  }
  // Bytes of codes, replaced ones included.
  uint64_t usedBytes() const {
    return blocksUsed ? (uint64_t{blocksUsed} - 1) * blockBytes() + tail : 0;
  }
  // Blocks past the used ones, allocated ahead of a copy that did not
  // reach them, go back.
  void trim() {
    for (size_t b = blocksUsed; b < blocks.size(); ++b)
      blocks[b] = {};
    blocks.resize(blocksUsed);
    at.shrink_to_fit();
    addresses.shrink_to_fit();
  }
  uint64_t bytes() const {
    // Every block counts: only a copy under way holds empty ones.
    uint64_t n = at.capacity() * 4 + addresses.capacity() * 4 + deadBits.capacity() * 8 +
                 uint64_t{blocks.size()} * blockBytes();
    for (const auto &entry : orders)
      n += entry.second.slots.capacity() * 4;
    return n;
  }
};

namespace {

// Sorting slots by key in memory: each entry holds eight key bytes from
// `depth` on, big endian, and how many key bytes that leaves (9: more
// follow). Entries equal in both with more bytes to follow are sorted again
// on the next eight bytes; a stable sort keeps equal keys in address order.
// An entry carries the eight bytes after its chunk as well, so that the
// first such round needs no second look at the records, which lie all over
// memory by then.
struct SortEntry {
  uint64_t chunk;
  uint64_t next; // the eight key bytes after the chunk
  uint32_t slot;
  uint16_t tail;
  uint16_t after; // key bytes after the chunk, at most 0xFFFF
};

uint64_t chunkAt(const std::vector<uint8_t> &key, size_t depth) {
  uint64_t chunk = 0;
  if (depth + 8 <= key.size()) {
    std::memcpy(&chunk, key.data() + depth, 8);
    return __builtin_bswap64(chunk);
  }
  for (size_t i = 0; i < 8; ++i)
    chunk = (chunk << 8) | (depth + i < key.size() ? key[depth + i] : 0);
  return chunk;
}

void fillEntry(SortEntry &e, const std::vector<uint8_t> &key, size_t depth) {
  e.chunk = chunkAt(key, depth);
  e.next = chunkAt(key, depth + 8);
  const size_t left = key.size() > depth ? key.size() - depth : 0;
  e.tail = static_cast<uint16_t>(std::min<size_t>(left, 9));
  e.after = static_cast<uint16_t>(std::min<size_t>(left > 8 ? left - 8 : 0, 0xFFFF));
}

// The entry eight bytes deeper, from what it carries.
void shiftEntry(SortEntry &e) {
  e.chunk = e.next;
  e.next = 0;
  e.tail = static_cast<uint16_t>(std::min<unsigned>(e.after, 9));
  e.after = 0;
}

bool entryLess(const SortEntry &a, const SortEntry &b) {
  return a.chunk != b.chunk ? a.chunk < b.chunk : a.tail < b.tail;
}

// Stable least-significant-digit radix sort of [v, v + n) by (chunk, tail):
// the tail first, then the chunk in six digits of 11 bits, skipping the
// digits all entries share.
void radixSort(SortEntry *v, SortEntry *tmp, size_t n) {
  if (n <= 32) {
    // Insertion is stable, and short runs are most of the work once the
    // first eight bytes are sorted.
    for (size_t i = 1; i < n; ++i) {
      const SortEntry e = v[i];
      size_t j = i;
      for (; j > 0 && entryLess(e, v[j - 1]); --j)
        v[j] = v[j - 1];
      v[j] = e;
    }
    return;
  }
  if (n < 256) {
    std::stable_sort(v, v + n, entryLess);
    return;
  }
  constexpr unsigned kDigits = 7, kBuckets = 2048;
  const auto digit = [](const SortEntry &e, unsigned d) -> unsigned {
    return d == 0 ? e.tail : static_cast<unsigned>(e.chunk >> (11 * (d - 1))) & (kBuckets - 1);
  };
  std::vector<uint32_t> hist(kDigits * kBuckets, 0);
  for (size_t i = 0; i < n; ++i)
    for (unsigned d = 0; d < kDigits; ++d)
      ++hist[kBuckets * d + digit(v[i], d)];
  SortEntry *from = v, *to = tmp;
  for (unsigned d = 0; d < kDigits; ++d) {
    uint32_t *h = &hist[kBuckets * d];
    if (h[digit(v[0], d)] == n)
      continue;
    uint32_t sum = 0;
    for (unsigned b = 0; b < kBuckets; ++b) {
      const uint32_t c = h[b];
      h[b] = sum;
      sum += c;
    }
    for (size_t i = 0; i < n; ++i)
      to[h[digit(from[i], d)]++] = from[i];
    std::swap(from, to);
  }
  if (from != v)
    std::memcpy(v, from, n * sizeof(SortEntry));
}

// Sort entries of a snapshot's slots before they are sorted. The first
// round of the sort distributes them by the sixteen bits after what all
// keys share, and each of those 65,536 buckets is then sorted on its own,
// in the cache, two threads sharing them.
struct SortInput {
  LargeArray<SortEntry> entries, scratch;
  size_t capacity = 0, count = 0;

  bool reserve(size_t n) {
    entries = LargeArray<SortEntry>(n);
    scratch = LargeArray<SortEntry>(n);
    capacity = entries && scratch ? n : 0;
    return capacity == n;
  }
  // Entries of the live slots of [from, to) whose records the encoder puts
  // into the index.
  void add(const Snapshot &snap, const KeyEncoder &encoder, uint32_t from, uint32_t to,
           std::vector<uint8_t> &key) {
    if (to - from > capacity - count)
      throw std::length_error("sort entries");
    count += encodeSlots(snap, encoder, from, to, entries.get() + count, key);
  }
  static size_t encodeSlots(const Snapshot &snap, const KeyEncoder &encoder, uint32_t from,
                            uint32_t to, SortEntry *out, std::vector<uint8_t> &key) {
    size_t n = 0;
    std::vector<uint8_t> record;
    for (uint32_t slot = from; slot < to; ++slot) {
      if (snap.isDead(slot) || !encoder(snap.view(slot, record), key))
        continue;
      SortEntry &e = out[n++];
      e.slot = slot;
      fillEntry(e, key, 0);
    }
    return n;
  }
};

// Sorts v[begin, end) in full, scratch[begin, end) its room to work.
void sortRange(const Snapshot &snap, const KeyEncoder &encoder, SortEntry *v, SortEntry *scratch,
               size_t begin, size_t end) {
  std::vector<uint8_t> key, record;
  // shifted: the entries of the range were moved on from what they carried,
  // so the next round must read the records again.
  struct Range {
    size_t begin, end, depth;
    bool shifted;
  };
  std::vector<Range> todo{{begin, end, 0, false}};
  while (!todo.empty()) {
    const Range r = todo.back();
    todo.pop_back();
    if (r.shifted) {
      for (size_t i = r.begin; i < r.end; ++i)
        shiftEntry(v[i]);
    } else if (r.depth) {
      // The records of a run lie anywhere: their cache misses overlap.
      for (size_t i = r.begin; i < r.end && i < r.begin + 16; ++i)
        __builtin_prefetch(snap.code(v[i].slot));
      for (size_t i = r.begin; i < r.end; ++i) {
        encoder(snap.view(v[i].slot, record), key);
        fillEntry(v[i], key, r.depth);
      }
    }
    radixSort(v + r.begin, scratch + r.begin, r.end - r.begin);
    for (size_t i = r.begin; i < r.end;) {
      size_t j = i + 1;
      while (j < r.end && v[j].chunk == v[i].chunk && v[j].tail == v[i].tail)
        ++j;
      if (j - i > 1 && v[i].tail == 9)
        todo.push_back({i, j, r.depth + 8, !r.shifted});
      i = j;
    }
  }
}

// Below this many entries one thread sorts them as one range.
constexpr size_t kBucketedSort = 4096;

// Runs second() on a thread of its own beside first(false); where no
// thread can be had, first(true) does all the work alone. An exception of
// either is thrown once both have ended.
template <class First, class Second> void besideEachOther(First first, Second second) {
  std::exception_ptr failed;
  std::thread other;
  try {
    other = std::thread([&] {
      try {
        second();
      } catch (...) {
        failed = std::current_exception();
      }
    });
  } catch (const std::system_error &) {
  }
  const bool alone = !other.joinable();
  try {
    first(alone);
  } catch (...) {
    if (!alone)
      other.join();
    throw;
  }
  if (!alone)
    other.join();
  if (failed)
    std::rethrow_exception(failed);
}

// The key order of the entries into out. The sort is stable, so that equal
// keys stay in address order as SQLite's index keeps them.
void sortEntries(const Snapshot &snap, const KeyEncoder &encoder, SortInput &in, Slots &out) {
  SortEntry *v = in.entries.get(), *scratch = in.scratch.get();
  const size_t n = in.count;
  // Bits every key shares from the start: the buckets are cut after them.
  uint64_t differ = 0;
  for (size_t i = 1; i < n; ++i)
    differ |= v[i].chunk ^ v[0].chunk;
  const int shared = differ ? __builtin_clzll(differ) : 64;
  if (n < kBucketedSort || shared > 48) {
    sortRange(snap, encoder, v, scratch, 0, n);
  } else {
    constexpr size_t kBuckets = 65536;
    const auto bucket = [shared](const SortEntry &e) {
      return static_cast<size_t>((e.chunk << shared) >> 48);
    };
    std::vector<size_t> start(kBuckets + 1, 0);
    for (size_t i = 0; i < n; ++i)
      ++start[bucket(v[i]) + 1];
    for (size_t t = 0; t < kBuckets; ++t)
      start[t + 1] += start[t];
    {
      std::vector<size_t> next(start.begin(), start.end() - 1);
      for (size_t i = 0; i < n; ++i)
        scratch[next[bucket(v[i])]++] = v[i];
    }
    std::swap(v, scratch);
    const auto sortBuckets = [&](size_t from, size_t to) {
      for (size_t t = from; t < to; ++t)
        if (start[t + 1] - start[t] > 1)
          sortRange(snap, encoder, v, scratch, start[t], start[t + 1]);
    };
    // The first bucket that starts in the second half of the entries.
    const size_t half = std::lower_bound(start.begin(), start.end() - 1, n / 2) - start.begin();
    besideEachOther([&](bool alone) { sortBuckets(0, alone ? kBuckets : half); },
                    [&] { sortBuckets(half, kBuckets); });
  }
  out.resize(n);
  for (size_t i = 0; i < n; ++i)
    out[i] = v[i].slot;
}

// The key order of one index over the live slots of a snapshot; two
// threads make the entries of a large one.
void sortOrder(const Snapshot &snap, const KeyEncoder &encoder, Slots &out) {
  SortInput in;
  if (!in.reserve(snap.count))
    throw std::bad_alloc();
  std::vector<uint8_t> key;
  if (snap.count < kBucketedSort) {
    in.add(snap, encoder, 0, snap.count, key);
  } else {
    const uint32_t half = snap.count / 2;
    size_t second = 0;
    bool split = false;
    besideEachOther(
        [&](bool alone) {
          split = !alone;
          in.add(snap, encoder, 0, alone ? snap.count : half, key);
        },
        [&] {
          std::vector<uint8_t> otherKey;
          second = SortInput::encodeSlots(snap, encoder, half, snap.count, in.entries.get() + half,
                                          otherKey);
          // The first round of the sort writes every entry there.
          os::prefault(in.scratch.get(), in.capacity * sizeof(SortEntry));
        });
    // The second half's entries follow the first's.
    if (split) {
      std::memmove(in.entries.get() + in.count, in.entries.get() + half,
                   second * sizeof(SortEntry));
      in.count += second;
    }
  }
  sortEntries(snap, encoder, in, out);
}

// Records of a key order lie all over memory: fetching a few ahead lets
// their cache misses overlap. A walk at pos in [lo, hi) fetches where a
// slot's code starts twice as far ahead as the code itself, of which the
// lines of its first 32 bytes (a compressed code is shorter, mostly; a
// fetch of every line of a plain one was no faster). Inlined always: as a function of its own,
// whose fetches change nothing, the compiler drops its calls.
[[gnu::always_inline]] inline void prefetchAhead(const Snapshot &snap, const Slots &order,
                                                 int64_t pos, int step, int64_t lo, int64_t hi) {
  const int64_t far = pos + 2 * step * kPrefetch, near = pos + step * kPrefetch;
  if (far >= lo && far < hi)
    __builtin_prefetch(&snap.at[order[static_cast<size_t>(far)]]);
  if (near >= lo && near < hi) {
    const uint8_t *p = snap.code(order[static_cast<size_t>(near)]);
    __builtin_prefetch(p);
    __builtin_prefetch(p + 31);
  }
}

// Copies the records of a long walk over a snapshot, in the walk's order,
// into a ring a little ahead of the walk, on a thread of its own: the walk
// then reads them in sequence instead of from all over memory, and the
// cache misses of the one overlap the work of the other. The walk never
// waits for it: a record not there yet is read where it lies. It only
// reads the snapshot; the connection stops it before any change to one.
class Gatherer {
public:
  static constexpr uint64_t kRing = 4096; // records
  static constexpr uint64_t kPublish = 64, kConsumed = 1024;

  Gatherer(std::shared_ptr<const Snapshot> snap, const Slots &order, int64_t from, int64_t end,
           int step)
      : snap_(std::move(snap)), order_(order), from_(from), end_(end), step_(step),
        ring_(new (std::nothrow) uint8_t[kRing * snap_->recordSize]) {
    if (!ring_)
      return;
    try {
      thread_ = std::thread([this] { run(); });
    } catch (const std::system_error &) {
    }
  }
  ~Gatherer() {
    stop_.store(true, std::memory_order_release);
    consumed_.fetch_add(1, std::memory_order_release);
    consumed_.notify_one();
    if (thread_.joinable())
      thread_.join();
  }
  bool running() const { return thread_.joinable(); }
  int64_t from() const { return from_; }
  int step() const { return step_; }
  // The n-th record of the walk from `from` on, or null while it is not in
  // the ring.
  const uint8_t *at(uint64_t n) const {
    if (n >= produced_.load(std::memory_order_acquire))
      return nullptr;
    return ring_.get() + (n % kRing) * snap_->recordSize;
  }
  // The walk is done with the records before the n-th: room for more.
  void taken(uint64_t n) {
    if (n % kConsumed == 0) {
      consumed_.store(n, std::memory_order_release);
      consumed_.notify_one();
    }
  }

private:
  void run() {
    const uint32_t size = snap_->recordSize;
    const uint64_t count = static_cast<uint64_t>((end_ - from_) * step_);
    uint64_t n = 0;
    for (int64_t pos = from_; n < count && !stop_.load(std::memory_order_acquire);
         pos += step_, ++n) {
      for (;;) {
        const uint64_t c = consumed_.load(std::memory_order_acquire);
        if (c > n) {
          // The walk got past this thread (it started late or was held
          // up): what lies behind the walk is not wanted any more.
          if (c >= count)
            return;
          pos += static_cast<int64_t>(c - n) * step_;
          n = c;
        }
        if (n - c < kRing - kConsumed)
          break;
        if (stop_.load(std::memory_order_acquire))
          return;
        produced_.store(n, std::memory_order_release);
        consumed_.wait(c, std::memory_order_acquire);
      }
      prefetchAhead(*snap_, order_, pos, step_, step_ > 0 ? from_ : end_ + 1,
                    step_ > 0 ? end_ : from_ + 1);
      snap_->read(order_[static_cast<size_t>(pos)], ring_.get() + (n % kRing) * size);
      if ((n + 1) % kPublish == 0)
        produced_.store(n + 1, std::memory_order_release);
    }
    produced_.store(n, std::memory_order_release);
  }

  std::shared_ptr<const Snapshot> snap_;
  const Slots &order_;
  const int64_t from_, end_;
  const int step_;
  std::unique_ptr<uint8_t[]> ring_;
  std::atomic<uint64_t> produced_{0}, consumed_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A second thread beside the copy of a table into a snapshot: it asks the
// system for the blocks' memory a few blocks ahead of the copy, so that the
// copying thread takes no page faults (a third of a copy's time otherwise),
// and when a key order is wanted, it makes the sort entries of the records
// copied so far, so that the sort can start as soon as the copy ends.
class CopyHelper {
public:
  // Blocks the copy allocates ahead of the one it fills.
  static constexpr size_t kAhead = 4;

  CopyHelper(const Snapshot &snap, const KeyEncoder *encoder, SortInput *sort)
      : snap_(snap), encoder_(encoder), sort_(sort) {
    try {
      thread_ = std::thread([this] { run(); });
    } catch (const std::system_error &) {
      // Without it the copy takes its own faults and the sort encodes later.
    }
  }
  ~CopyHelper() { stop(kStopped); }
  CopyHelper(const CopyHelper &) = delete;
  CopyHelper &operator=(const CopyHelper &) = delete;

  // The copy has filled `slots` slots and allocated the first `blocks`
  // blocks; the vector of blocks itself never changes size meanwhile.
  void copied(uint32_t slots, size_t blocks) {
    allocated_.store(blocks, std::memory_order_release);
    state_.store(slots, std::memory_order_release);
    state_.notify_one();
  }
  // The copy is complete with `slots` slots: true when every entry of the
  // sort is made.
  bool finish(uint32_t slots) {
    stop(kDone | slots);
    return threadRan_ && encoded_ == slots && !failed_;
  }

private:
  static constexpr uint64_t kDone = uint64_t{1} << 32, kStopped = uint64_t{1} << 33;

  void stop(uint64_t state) {
    if (!thread_.joinable())
      return;
    state_.store(state, std::memory_order_release);
    state_.notify_one();
    thread_.join();
    threadRan_ = true;
  }

  void run() {
    std::vector<uint8_t> key;
    size_t faulted = 0, scratchFaulted = 0;
    const size_t blockBytes = snap_.blockBytes();
    for (;;) {
      const uint64_t state = state_.load(std::memory_order_acquire);
      if (state & kStopped)
        return;
      const uint32_t slots = static_cast<uint32_t>(state);
      // Acquire: the helper may see a count newer than the state, and must
      // then see the blocks it counts.
      if (!(state & kDone) && faulted < allocated_.load(std::memory_order_acquire)) {
        os::prefault(snap_.blocks[faulted++].get(), blockBytes);
        continue;
      }
      if (encoder_ && encoded_ < slots && !failed_) {
        // A few at a time, so that the faults ahead are not late.
        const uint32_t to = std::min<uint32_t>(slots, encoded_ + 8192);
        try {
          sort_->add(snap_, *encoder_, encoded_, to, key);
        } catch (const std::exception &) {
          failed_ = true;
        }
        encoded_ = to;
        // The sort's first round writes as many entries elsewhere.
        if (!(state & kDone) && sort_->count > scratchFaulted) {
          os::prefault(sort_->scratch.get() + scratchFaulted,
                       (sort_->count - scratchFaulted) * sizeof(SortEntry));
          scratchFaulted = sort_->count;
        }
        continue;
      }
      if (state & kDone)
        return;
      state_.wait(state, std::memory_order_acquire);
    }
  }

  const Snapshot &snap_;
  const KeyEncoder *encoder_;
  SortInput *sort_;
  std::thread thread_;
  std::atomic<uint64_t> state_{0};
  std::atomic<size_t> allocated_{0};
  uint32_t encoded_ = 0; // slots; read by the copying thread only after the join
  bool failed_ = false;
  bool threadRan_ = false;
};

} // namespace

struct Database::Impl {
  sqlite3 *db = nullptr;
  std::unordered_map<std::string, sqlite3_stmt *> statements;
  std::vector<Cursor::Impl *> cursors;
  // Record counts of indexes, by (table, index), as this connection sees
  // them. Counting a large index takes a scan, so a count is kept: this
  // connection's own writes keep it exact, and it is dropped when another
  // connection has committed (SQLite's data_version moves), at a rollback,
  // and when a commit fails.
  std::map<std::pair<int64_t, unsigned>, uint32_t> counts;
  // Snapshots by table, valid at `version`; cursors share them, so one
  // dropped here lives on until its last iteration moves on.
  std::map<int64_t, std::shared_ptr<Snapshot>> snapshots;
  int64_t version = -1;
  // The thread gathering ahead of one cursor's walk over a snapshot; it
  // stops before anything changes a snapshot.
  std::unique_ptr<Gatherer> gatherer;
  const Cursor::Impl *gathering = nullptr;
  void stopGathering(const Cursor::Impl *of = nullptr) {
    if (!of || gathering == of) {
      gatherer.reset();
      gathering = nullptr;
    }
  }
  // A second connection to the same file that reads the upper half of a
  // large table while this one reads the lower half, on another thread.
  // Opened with the first walk through SQLite; never written through.
  sqlite3 *second = nullptr;
  bool secondTried = false;
  std::unordered_map<std::string, sqlite3_stmt *> secondStatements;
  sqlite3_stmt *prepareSecond(const std::string &sql);
  // The second connection's data_version where this connection has no
  // statement running (so that its next read starts a transaction of its
  // own, later than this); -1 where there is none to be had.
  int64_t secondBaseline();
  // Begins a read on the second connection that sees what this one's read
  // sees: true when no connection has committed since `baseline`.
  bool beginSecond(int64_t baseline);
  void endSecond();
  // The copy of loadSnapshot in two halves, the upper one read by the
  // second connection, whose read has begun.
  unsigned copyHalves(int64_t table, const std::shared_ptr<Snapshot> &snap, int64_t lowest,
                      int64_t span, uint64_t most, double codeBytes, const KeyEncoder *encoder,
                      Slots &order, bool &sorted, std::shared_ptr<Snapshot> &out);
  // The codec a copy of table codes its records with, and the bytes a
  // record's code takes as samples of the table foretell it.
  unsigned sampleCodec(const std::string &table, uint32_t recordSize, int64_t lowest, int64_t span,
                       std::shared_ptr<const RecordCodec> &codec, double &codeBytes);

  ~Impl();
  unsigned prepare(const std::string &sql, sqlite3_stmt *&stmt);
  // The page cache in KiB; 0 gives back the size the connection opened
  // with, and the freed pages to the system. Failing to change it changes
  // nothing but speed.
  int defaultCache = 0; // PRAGMA cache_size's value before the first change
  void setCacheKiB(int kib) {
    if (!defaultCache) {
      sqlite3_stmt *s = nullptr;
      if (prepare("PRAGMA cache_size", s) != 0)
        return;
      if (sqlite3_step(s) == SQLITE_ROW)
        defaultCache = sqlite3_column_int(s, 0);
      sqlite3_reset(s);
      if (!defaultCache)
        return;
    }
    int used = 0, highest = 0;
    sqlite3_db_status(db, SQLITE_DBSTATUS_CACHE_USED, &used, &highest, 0);
    const std::string sql =
        "PRAGMA cache_size=" + std::to_string(kib ? -static_cast<int64_t>(kib) : defaultCache);
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    // Only a cache that grew large is worth the walk over the heap, which
    // takes about a millisecond for a hundred megabytes.
    if (!kib && used > kReleaseAfterCacheBytes)
      os::releaseFreeHeap();
  }

  unsigned exec(const char *sql) {
    return mapError(sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
  }
  void finalizeAll();

  unsigned checkVersion();
  void forget(int64_t table) { snapshots.erase(table); }
  // A refused key leaves the database as it was; after any other failure
  // SQLite may have rolled back more than the statement.
  void afterFailedWrite(int64_t table, unsigned err) {
    if (err != ISAM_ERR_DUPLICATE_KEY && err != ISAM_ERR_TABLE_FULL)
      forget(table);
  }
  void forgetAll() {
    counts.clear();
    snapshots.clear();
  }
  // Whether `records` of `perRecord` bytes each fit the budget beside the
  // snapshots held.
  bool fitsBudget(double records, double perRecord) const {
    return records * perRecord + static_cast<double>(snapshotBytes()) <=
           static_cast<double>(policy.budget);
  }
  uint64_t snapshotBytes() const {
    uint64_t n = 0;
    for (const auto &entry : snapshots)
      n += entry.second->bytes();
    return n;
  }
  unsigned snapshotFor(int64_t table, uint32_t recordSize, unsigned index,
                       const KeyEncoder &encoder, int64_t atVersion, int64_t secondBaseline,
                       std::shared_ptr<const Snapshot> &out);
  // With an encoder, also the key order it gives, into order, when sorted
  // says so: the copy makes the sort entries as it goes.
  unsigned loadSnapshot(int64_t table, uint32_t recordSize, std::shared_ptr<Snapshot> &out,
                        const KeyEncoder *encoder, Slots &order, bool &sorted,
                        int64_t secondBaseline = -1);
  // The snapshot of table that holds the key order of index, at the
  // current data version, without copying or sorting anything.
  const Snapshot *heldOrder(int64_t table, uint32_t recordSize, unsigned index) const {
    auto found = snapshots.find(table);
    return found != snapshots.end() && found->second->recordSize == recordSize &&
                   found->second->orders.count(index)
               ? found->second.get()
               : nullptr;
  }
  void patchWrite(int64_t table, uint32_t address, const void *record, const std::vector<Key> *keys,
                  bool inserted);
  bool countsOf(int64_t table) const {
    auto it = counts.lower_bound({table, 0u});
    return it != counts.end() && it->first.first == table;
  }
  unsigned presence(int64_t table, uint32_t address, std::vector<bool> &present);
  void adjustCounts(int64_t table, const std::vector<bool> &before, const std::vector<bool> &after);
};

struct Cursor::Impl {
  Database::Impl *owner = nullptr;
  int64_t tableId = 0;
  uint32_t recordSize = 0;
  unsigned index = 0;
  KeyEncoder encoder;
  std::string table;
  std::string column;
  bool unique = false;
  bool descending = false;
  sqlite3_stmt *shapes[8] = {};
  sqlite3_stmt *current = nullptr;
  Bound low, high;
  bool hasPosition = false; // position = after this key and address
  Key positionKey;
  uint32_t positionAddress = 0;
  bool parked = false;
  bool ended = true;
  int64_t startVersion = -1;
  int64_t secondBaseline = -1; // taken before the statement's first step
  uint32_t delivered = 0;      // since the start, through SQLite

  // Over a snapshot: order[pos] is the next slot, the range is [lo, hi).
  std::shared_ptr<const Snapshot> snap;
  const Slots *order = nullptr;
  int64_t pos = 0, lo = 0, hi = 0;
  int64_t lastSlot = -1;
  uint64_t walked = 0; // records delivered from the snapshot since it was taken

  unsigned seek();
  bool useSnapshot();
  void leaveSnapshot();
  int compareAt(int64_t i, const std::vector<uint8_t> &key, const uint32_t *address,
                std::vector<uint8_t> &scratch) const;
  int64_t firstNotBelow(const std::vector<uint8_t> &key, const uint32_t *address, bool orEqual,
                        std::vector<uint8_t> &scratch) const;
  void finalize() {
    for (sqlite3_stmt *&s : shapes) {
      sqlite3_finalize(s);
      s = nullptr;
    }
    current = nullptr;
  }
};

Database::Impl::~Impl() {
  stopGathering();
  finalizeAll();
  for (auto &entry : secondStatements)
    sqlite3_finalize(entry.second);
  // The second connection closes first, so that it is never the last
  // one, which would checkpoint.
  if (second)
    sqlite3_close_v2(second);
  if (db)
    sqlite3_close_v2(db);
}

void Database::Impl::finalizeAll() {
  stopGathering();
  for (Cursor::Impl *c : cursors) {
    c->finalize();
    c->owner = nullptr;
  }
  cursors.clear();
  for (auto &entry : statements)
    sqlite3_finalize(entry.second);
  statements.clear();
}

// Drops the kept counts and snapshots when another connection has committed
// since they were taken.
unsigned Database::Impl::checkVersion() {
  sqlite3_stmt *s = nullptr;
  if (unsigned err = prepare("PRAGMA data_version", s))
    return err;
  ResetOnExit reset{s};
  int rc = sqlite3_step(s);
  if (rc != SQLITE_ROW)
    return mapError(rc);
  const int64_t v = sqlite3_column_int64(s, 0);
  if (v != version) {
    forgetAll();
    version = v;
  }
  return 0;
}

// Which indexes hold the record at `address` (its key columns not NULL).
unsigned Database::Impl::presence(int64_t table, uint32_t address, std::vector<bool> &present) {
  present.clear();
  sqlite3_stmt *s = nullptr;
  if (unsigned err = prepare("SELECT * FROM " + recordTable(table) + " WHERE a=?", s))
    return err;
  ResetOnExit reset{s};
  sqlite3_bind_int64(s, 1, address);
  int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE)
    return 0; // the write finds no record either
  if (rc != SQLITE_ROW)
    return mapError(rc);
  // Columns: a, r, then k0, k1, ...
  for (int c = 2; c < sqlite3_column_count(s); ++c)
    present.push_back(sqlite3_column_type(s, c) != SQLITE_NULL);
  return 0;
}

// A write moved one record from the indexes of `before` to those of `after`.
void Database::Impl::adjustCounts(int64_t table, const std::vector<bool> &before,
                                  const std::vector<bool> &after) {
  for (auto it = counts.lower_bound({table, 0u}); it != counts.end() && it->first.first == table;
       ++it) {
    const unsigned i = it->first.second;
    const bool was = i < before.size() && before[i];
    const bool is = i < after.size() && after[i];
    it->second += static_cast<uint32_t>(is) - static_cast<uint32_t>(was);
  }
}

namespace {
std::vector<bool> presenceOf(const std::vector<Key> &keys) {
  std::vector<bool> present(keys.size());
  for (size_t i = 0; i < keys.size(); ++i)
    present[i] = keys[i].present;
  return present;
}
} // namespace

// The snapshot of table with the key order of index, at data version
// atVersion (-1: the current one); none when the version has moved on,
// when the table exceeds the budget or when its rows are not the engine's
// own, for SQLite's cursors to report. One read transaction holds the
// records and every order to the same version; a statement running on this
// connection already holds it, and keeps it past the COMMIT.
unsigned Database::Impl::snapshotFor(int64_t table, uint32_t recordSize, unsigned index,
                                     const KeyEncoder &encoder, int64_t atVersion,
                                     int64_t secondBaseline, std::shared_ptr<const Snapshot> &out) {
  out.reset();
  const bool own = sqlite3_get_autocommit(db) != 0;
  if (own)
    if (unsigned err = exec("BEGIN"))
      return err;
  unsigned err = checkVersion();
  if (!err && (atVersion < 0 || atVersion == version)) {
    // Memory the copy cannot get leaves the walk with SQLite, and the read
    // transaction must end either way.
    try {
      auto found = snapshots.find(table);
      std::shared_ptr<Snapshot> snap = found != snapshots.end() ? found->second : nullptr;
      if (snap && snap->recordSize != recordSize)
        snap.reset();
      if (!snap) {
        // The copy makes the order's sort entries as it goes, when the
        // budget has room for the order too.
        Slots slots;
        bool sorted = false;
        err = loadSnapshot(table, recordSize, snap, &encoder, slots, sorted, secondBaseline);
        if (!err && snap)
          snapshots[table] = snap;
        if (!err && snap && sorted) {
          Snapshot::Order order;
          order.encoder = encoder;
          order.slots = std::move(slots);
          snap->orders.emplace(index, std::move(order));
        }
      }
      // A map keeps its elements in place: cursors walking another order of
      // this snapshot are not disturbed by the one added. The order is
      // sorted from the records in memory rather than read from the SQLite
      // index: the keys are the ones the writes stored, and both sort by
      // bytes, then by address.
      if (!err && snap && !snap->orders.count(index)) {
        if (uint64_t{snap->count} * 4 + snapshotBytes() > policy.budget) {
          snapshots.erase(table);
          snap.reset();
        } else {
          Snapshot::Order order;
          order.encoder = encoder;
          sortOrder(*snap, encoder, order.slots);
          snap->orders.emplace(index, std::move(order));
        }
      }
      out = snap;
    } catch (const std::exception &) {
      snapshots.erase(table);
      out.reset();
    }
  }
  if (own)
    exec("COMMIT");
  return err;
}

namespace {

// A table's copy runs inside one step of one statement: SQLite hands every
// row to this aggregate, which spares the return to the caller and the
// column calls per row, about a quarter of the copy. A row the snapshot
// cannot take stops the statement and leaves the table without a copy.
constexpr const char *kTableCopy = "isam_copy";

struct TableCopy {
  TableCopy(Snapshot &s, uint32_t size, uint64_t m, std::function<void()> filled)
      : snap(s), recordSize(size), most(m), blockFilled(std::move(filled)) {}
  Snapshot &snap;
  uint32_t recordSize;
  uint64_t most;
  std::function<void()> blockFilled;
  bool refused = false;
  // With an encoder, the sort entries of the copied records, made while
  // each row is at hand; `room` entries at most.
  const KeyEncoder *encoder = nullptr;
  SortEntry *entries = nullptr;
  size_t room = 0, made = 0;
  std::vector<uint8_t> key;
};

void copyRow(sqlite3_context *context, int, sqlite3_value **values) {
  // The pointer is looked up once per statement: the lookup compares its
  // type's name.
  auto **kept = static_cast<TableCopy **>(sqlite3_aggregate_context(context, sizeof(TableCopy *)));
  if (!kept)
    return sqlite3_result_error_nomem(context);
  if (!*kept)
    *kept = static_cast<TableCopy *>(sqlite3_value_pointer(values[2], kTableCopy));
  TableCopy *copy = *kept;
  if (!copy || copy->refused)
    return;
  Snapshot &snap = copy->snap;
  const sqlite3_int64 a = sqlite3_value_int64(values[0]);
  const void *p = sqlite3_value_blob(values[1]);
  try {
    // Rows come in address order from the table's own tree; append
    // refuses any other. Neither the blocks nor the places of the codes
    // may grow meanwhile: a helper may read them.
    if (a < 1 || a > 0xFFFFFFFFll || !p ||
        static_cast<uint32_t>(sqlite3_value_bytes(values[1])) != copy->recordSize ||
        snap.count >= copy->most || snap.at.size() == snap.at.capacity() ||
        (snap.needsBlock() && snap.blocksUsed == snap.blocks.size()))
      throw std::length_error("a row the snapshot cannot hold");
    const size_t blocks = snap.blocksUsed;
    snap.append(static_cast<uint32_t>(a), p);
    if (copy->encoder && (*copy->encoder)(static_cast<const uint8_t *>(p), copy->key)) {
      if (copy->made == copy->room)
        throw std::length_error("sort entries");
      SortEntry &e = copy->entries[copy->made++];
      e.slot = snap.count - 1;
      fillEntry(e, copy->key, 0);
    }
    if (snap.blocksUsed != blocks)
      copy->blockFilled();
  } catch (const std::exception &) {
    copy->refused = true;
    sqlite3_result_error(context, "the copy stopped", -1);
  }
}

void copyDone(sqlite3_context *) {}

} // namespace

// Records spread evenly over the addresses make the dictionary; as many
// others, between them, measure how well it codes the table. A table
// whose records and order fit plainUpTo beside the other snapshots gets
// the empty dictionary: walks over plain codes cost little more than over
// the records themselves.
unsigned Database::Impl::sampleCodec(const std::string &t, uint32_t recordSize, int64_t lowest,
                                     int64_t span, std::shared_ptr<const RecordCodec> &codec,
                                     double &codeBytes) {
  const bool fits = static_cast<uint64_t>(span) * (uint64_t{recordSize} + 8) + snapshotBytes() <=
                    policy.plainUpTo;
  const auto plain = [&] {
    codec = std::make_shared<const RecordCodec>(std::vector<uint8_t>{});
    codeBytes = static_cast<double>(RecordCodec::bound(recordSize));
    return 0u;
  };
  // A small table costs little memory either way.
  if (fits && (span < kRecodeAt || !policy.compressWherePays))
    return plain();
  sqlite3_stmt *s = nullptr;
  if (unsigned err = prepare("SELECT a, r FROM " + t + " WHERE a >= ? ORDER BY a LIMIT 1", s))
    return err;
  ResetOnExit reset{s};
  const size_t wanted = dictionaryRecords(recordSize);
  std::vector<uint8_t> dictionary;
  std::vector<std::vector<uint8_t>> probes;
  int64_t last = lowest - 1;
  for (size_t k = 0; k < 2 * wanted && span > 0; ++k) {
    const int64_t from = lowest + span * static_cast<int64_t>(k) / static_cast<int64_t>(2 * wanted);
    if (from <= last)
      continue;
    sqlite3_reset(s);
    sqlite3_bind_int64(s, 1, from);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE)
      break;
    if (rc != SQLITE_ROW)
      return mapError(rc);
    last = sqlite3_column_int64(s, 0);
    const auto *p = static_cast<const uint8_t *>(sqlite3_column_blob(s, 1));
    // A row of another size is for the copy to refuse.
    if (!p || static_cast<uint32_t>(sqlite3_column_bytes(s, 1)) != recordSize)
      continue;
    if (k % 2)
      probes.emplace_back(p, p + recordSize);
    else
      dictionary.insert(dictionary.end(), p, p + recordSize);
  }
  auto sampled = std::make_shared<const RecordCodec>(std::move(dictionary));
  const Forecast forecast = foretell(*sampled, probes, recordSize);
  if (fits && !compressionPays(forecast, recordSize))
    return plain();
  codec = std::move(sampled);
  codeBytes = forecast.bytes;
  return 0;
}

unsigned Database::Impl::loadSnapshot(int64_t table, uint32_t recordSize,
                                      std::shared_ptr<Snapshot> &out, const KeyEncoder *encoder,
                                      Slots &order, bool &sorted, int64_t secondBaseline) {
  out.reset();
  sorted = false;
  const std::string t = recordTable(table);
  // The address range bounds the count without a scan of its own.
  sqlite3_stmt *s = nullptr;
  if (unsigned err =
          prepare("SELECT (SELECT min(a) FROM " + t + "), (SELECT max(a) FROM " + t + ")", s))
    return err;
  int64_t span = 0, lowest = 0;
  {
    ResetOnExit reset{s};
    int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW)
      return mapError(rc);
    if (sqlite3_column_type(s, 0) != SQLITE_NULL) {
      lowest = sqlite3_column_int64(s, 0);
      span = sqlite3_column_int64(s, 1) - lowest + 1;
    }
  }
  if (span < 0 || span > 0xFFFFFFFFll)
    return 0;
  std::shared_ptr<const RecordCodec> codec;
  double codeBytes = 0;
  if (unsigned err = sampleCodec(t, recordSize, lowest, span, codec, codeBytes))
    return err;
  // Room for the codes, where they start and one key order, as the samples
  // foretell it; a table that codes worse meets the budget's end while it
  // is copied.
  const double perRecord = codeBytes + 8;
  const auto most = static_cast<uint64_t>(static_cast<double>(policy.budget) / perRecord);
  if (!fitsBudget(static_cast<double>(span), perRecord))
    snapshots.clear();
  auto snap = std::make_shared<Snapshot>(recordSize, codec);
  snap->compressed = codec->dictionarySize() > 0;
  // Neither the vector of blocks nor the one of code positions grows while
  // the copy runs (the address range bounds the records), so that the
  // helper can read them while the copy allocates blocks a few ahead of the
  // one it fills.
  const uint64_t slotsAtMost = std::min<uint64_t>(static_cast<uint64_t>(span), most);
  const size_t blockBytes = snap->blockBytes();
  snap->blocks.resize(
      std::min(snap->blocksFor(slotsAtMost), static_cast<size_t>(policy.budget / blockBytes) + 1));
  snap->at.reserve(static_cast<size_t>(slotsAtMost));
  size_t allocated = 0;
  const auto allocateAhead = [&] {
    const size_t want = std::min(snap->blocks.size(), snap->blocksUsed + 1 + CopyHelper::kAhead);
    for (; allocated < want; ++allocated)
      snap->blocks[allocated] = Snapshot::newBlock(blockBytes);
  };
  if (policy.splitFrom && span >= policy.splitFrom && span >= 2 && beginSecond(secondBaseline)) {
    struct End {
      Impl &impl;
      ~End() { impl.endSecond(); }
    } end{*this};
    return copyHalves(table, snap, lowest, span, most, codeBytes, encoder, order, sorted, out);
  }
  allocateAhead();
  SortInput sort;
  // Only where the budget holds the order beside the records; the entries
  // live for the sort only.
  const bool sorting = encoder && slotsAtMost >= kBucketedSort &&
                       fitsBudget(static_cast<double>(slotsAtMost), perRecord) &&
                       sort.reserve(static_cast<size_t>(slotsAtMost));
  if (unsigned err = prepare("SELECT isam_copy(a, r, ?) FROM " + t, s))
    return err;
  ResetOnExit reset{s};
  CopyHelper helper(*snap, sorting ? encoder : nullptr, sorting ? &sort : nullptr);
  helper.copied(0, allocated);
  TableCopy copy{*snap, recordSize, most, [&] {
                   allocateAhead();
                   helper.copied(snap->count, allocated);
                 }};
  sqlite3_bind_pointer(s, 1, &copy, kTableCopy, nullptr);
  const int rc = sqlite3_step(s);
  sqlite3_bind_null(s, 1);
  if (copy.refused)
    return 0;
  if (rc != SQLITE_ROW)
    return mapError(rc);
  // Without the helper's entries (no thread, no memory) the order is
  // sorted from the records afterwards.
  const bool encoded = helper.finish(snap->count);
  snap->trim();
  if (sorting && encoded) {
    sortEntries(*snap, *encoder, sort, order);
    sorted = true;
  }
  out = std::move(snap);
  ++loads;
  compressions += out->compressed ? 1 : 0;
  return 0;
}

// Each half asks the system for its blocks' memory as it takes them, on its
// own thread; the sort entries are made afterwards, on two threads too.
unsigned Database::Impl::copyHalves(int64_t table, const std::shared_ptr<Snapshot> &snap,
                                    int64_t lowest, int64_t span, uint64_t most, double codeBytes,
                                    const KeyEncoder *encoder, Slots &order, bool &sorted,
                                    std::shared_ptr<Snapshot> &out) {
  const std::string t = recordTable(table);
  const int64_t middle = lowest + span / 2;
  sqlite3_stmt *low = nullptr;
  if (unsigned err = prepare("SELECT isam_copy(a, r, ?1) FROM " + t + " WHERE a < ?2", low))
    return err;
  ResetOnExit reset{low};
  sqlite3_stmt *high = prepareSecond("SELECT isam_copy(a, r, ?1) FROM " + t + " WHERE a >= ?2");
  if (!high)
    return 0;
  const uint32_t recordSize = snap->recordSize;
  const size_t blockBytes = snap->blockBytes();
  Snapshot upper(recordSize, snap->codec);
  const uint64_t upperAtMost =
      std::min<uint64_t>(static_cast<uint64_t>(lowest + span - middle), most);
  upper.blocks.resize(snap->blocks.size());
  upper.at.reserve(static_cast<size_t>(upperAtMost));
  size_t lowBlocks = 0, highBlocks = 0;
  const auto grow = [blockBytes](Snapshot &part, size_t &taken) {
    const size_t want = std::min(part.blocks.size(), part.blocksUsed + 1);
    for (; taken < want; ++taken) {
      if (!part.blocks[taken])
        part.blocks[taken] = Snapshot::newBlock(blockBytes);
      os::prefault(part.blocks[taken].get(), blockBytes);
    }
  };
  grow(*snap, lowBlocks);
  grow(upper, highBlocks);
  TableCopy lower{*snap, recordSize, most, [&] { grow(*snap, lowBlocks); }};
  TableCopy higher{upper, recordSize, most, [&] { grow(upper, highBlocks); }};
  // Each half makes the sort entries of its records into its own part.
  SortInput sort;
  const auto lowerAtMost =
      static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(middle - lowest), most));
  if (encoder && fitsBudget(static_cast<double>(lowerAtMost + upperAtMost), codeBytes + 8) &&
      sort.reserve(lowerAtMost + static_cast<size_t>(upperAtMost))) {
    lower.encoder = higher.encoder = encoder;
    lower.entries = sort.entries.get();
    lower.room = lowerAtMost;
    higher.entries = sort.entries.get() + lowerAtMost;
    higher.room = static_cast<size_t>(upperAtMost);
  }
  sqlite3_bind_pointer(low, 1, &lower, kTableCopy, nullptr);
  sqlite3_bind_int64(low, 2, middle);
  sqlite3_bind_pointer(high, 1, &higher, kTableCopy, nullptr);
  sqlite3_bind_int64(high, 2, middle);
  int lowRc = SQLITE_ERROR, highRc = SQLITE_ERROR;
  // Without a thread this one reads both halves, one after the other.
  besideEachOther(
      [&](bool alone) {
        lowRc = sqlite3_step(low);
        if (alone)
          highRc = sqlite3_step(high);
      },
      [&] { highRc = sqlite3_step(high); });
  sqlite3_bind_null(low, 1);
  sqlite3_bind_null(high, 1);
  if (lower.refused || higher.refused)
    return 0;
  if (lowRc != SQLITE_ROW)
    return mapError(lowRc);
  // A failure of the second connection leaves the walk with this one's
  // cursor, which meets the same damage, if any, itself.
  if (highRc != SQLITE_ROW)
    return 0;
  const size_t base = snap->blocksUsed;
  if (uint64_t{snap->count} + upper.count > most ||
      (uint64_t{base} + upper.blocksUsed) << snap->blockShift > (uint64_t{1} << 32))
    return 0;
  const bool dense =
      snap->addresses.empty() && upper.addresses.empty() &&
      (snap->count == 0 || upper.count == 0 || upper.first == snap->first + snap->count);
  if (!dense) {
    snap->addresses.reserve(size_t{snap->count} + upper.count);
    for (uint32_t slot = static_cast<uint32_t>(snap->addresses.size()); slot < snap->count; ++slot)
      snap->addresses.push_back(snap->first + slot);
    for (uint32_t slot = 0; slot < upper.count; ++slot)
      snap->addresses.push_back(upper.address(slot));
  }
  if (snap->count == 0)
    snap->first = upper.first;
  // The upper half's blocks follow the lower half's used ones as they are;
  // the positions of its codes move with them.
  snap->trim();
  for (size_t b = 0; b < upper.blocksUsed; ++b)
    snap->blocks.push_back(std::move(upper.blocks[b]));
  const auto by = static_cast<uint32_t>(base << snap->blockShift);
  snap->at.reserve(size_t{snap->count} + upper.count);
  for (uint32_t slot = 0; slot < upper.count; ++slot)
    snap->at.push_back(upper.at[slot] + by);
  if (upper.blocksUsed) {
    snap->blocksUsed = base + upper.blocksUsed;
    snap->tail = upper.tail;
  }
  if (lower.encoder) {
    // The upper half's entries follow the lower half's, their slots moved
    // on by the lower half's count.
    SortEntry *to = sort.entries.get() + lower.made;
    for (size_t i = 0; i < higher.made; ++i) {
      to[i] = higher.entries[i];
      to[i].slot += snap->count;
    }
    sort.count = lower.made + higher.made;
  }
  snap->count += upper.count;
  if (lower.encoder) {
    sortEntries(*snap, *encoder, sort, order);
    sorted = true;
  }
  out = snap;
  ++loads;
  compressions += out->compressed ? 1 : 0;
  ++halves;
  return 0;
}

namespace {

// The place of (key, address) in an order: the first entry not below it.
size_t placeIn(const Snapshot &snap, const Snapshot::Order &order, const std::vector<uint8_t> &key,
               uint32_t address, std::vector<uint8_t> &scratch) {
  size_t first = 0, count = order.slots.size();
  std::vector<uint8_t> record;
  while (count > 0) {
    const size_t half = count / 2;
    const uint32_t slot = order.slots[first + half];
    order.encoder(snap.view(slot, record), scratch);
    int c = compareKeys(scratch.data(), scratch.size(), key.data(), key.size());
    if (c == 0) {
      const uint32_t a = snap.address(slot);
      c = a < address ? -1 : a > address ? 1 : 0;
    }
    if (c < 0) {
      first += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  return first;
}

} // namespace

// Brings the table's snapshot up to a write of this connection that SQLite
// has done: the record at `address` now holds `record` with `keys`, or is
// gone when keys is null. Orders that patches would cost more than a new
// sort are dropped, to be sorted again when next walked; a snapshot that
// cannot follow is dropped whole.
void Database::Impl::patchWrite(int64_t table, uint32_t address, const void *record,
                                const std::vector<Key> *keys, bool inserted) {
  stopGathering();
  auto found = snapshots.find(table);
  if (found == snapshots.end())
    return;
  Snapshot &snap = *found->second;
  try {
    const int64_t existing = snap.anySlotOf(address);
    if (inserted ? existing >= 0 && !snap.isDead(static_cast<uint32_t>(existing))
                 : existing < 0 || snap.isDead(static_cast<uint32_t>(existing)))
      throw std::logic_error("the snapshot does not hold what SQLite held");
    uint32_t slot;
    if (existing >= 0) {
      slot = static_cast<uint32_t>(existing);
    } else {
      if (snapshotBytes() + snap.growth() > policy.budget)
        throw std::length_error("budget");
      snap.append(address, record);
      slot = snap.count - 1;
      // A table that grew from a few records under this connection's
      // inserts gets a dictionary of what it holds now; a plain one is
      // compressed where its records show that this pays, or once it
      // outgrew plainUpTo.
      std::shared_ptr<const RecordCodec> own;
      bool recode = false;
      if (snap.compressed) {
        recode = snap.count == kRecodeAt && snap.codecFromFew();
      } else if (snap.count % kRecodeAt == 0) {
        recode = uint64_t{snap.count} * (uint64_t{snap.recordSize} + 8) + snapshotBytes() -
                     snap.bytes() >
                 policy.plainUpTo;
        if (!recode && snap.count == kRecodeAt && policy.compressWherePays) {
          std::vector<std::vector<uint8_t>> probes;
          own = snap.ownCodec(&probes);
          recode = compressionPays(foretell(*own, probes, snap.recordSize), snap.recordSize);
        }
      }
      if (recode) {
        snap.compressed = true;
        snap.recode(own ? std::move(own) : snap.ownCodec());
        ++compressions;
      }
    }
    std::vector<uint8_t> oldKey, scratch, image;
    for (auto it = snap.orders.begin(); it != snap.orders.end();) {
      Snapshot::Order &order = it->second;
      const unsigned index = it->first;
      const bool had = !inserted && order.encoder(snap.view(slot, image), oldKey);
      const Key *now = keys && index < keys->size() ? &(*keys)[index] : nullptr;
      const bool has = now && now->present;
      if (had && has && oldKey == now->bytes) {
        ++it;
        continue; // the key stays, and with it the place
      }
      const uint64_t moved0 = order.moved;
      if (had) {
        const size_t at = placeIn(snap, order, oldKey, address, scratch);
        if (at >= order.slots.size() || order.slots[at] != slot)
          throw std::logic_error("an order without the record");
        order.moved += (order.slots.size() - at) * 4;
        order.slots.erase(order.slots.begin() + static_cast<long>(at));
      }
      if (has) {
        const size_t at = placeIn(snap, order, now->bytes, address, scratch);
        order.moved += (order.slots.size() - at) * 4;
        order.slots.insert(order.slots.begin() + static_cast<long>(at), slot);
      }
      if (order.moved > moved0 && order.moved > uint64_t{8} * 4 * (order.slots.size() + 1024))
        it = snap.orders.erase(it);
      else
        ++it;
    }
    if (!keys) {
      snap.setDead(slot, true);
    } else if (existing >= 0) {
      // Replaced codes stay where they are until they outweigh the live
      // ones; then the next long walk copies the table afresh.
      if (snapshotBytes() + snap.growth() > policy.budget || snap.replaced > snap.usedBytes() / 2)
        throw std::length_error("budget");
      snap.replace(slot, record);
      if (inserted)
        snap.setDead(slot, false);
    }
  } catch (const std::exception &) {
    snapshots.erase(found);
  }
}

unsigned Database::Impl::prepare(const std::string &sql, sqlite3_stmt *&stmt) {
  auto found = statements.find(sql);
  if (found != statements.end()) {
    stmt = found->second;
    return 0;
  }
  int rc = sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK)
    return mapError(rc);
  statements.emplace(sql, stmt);
  return 0;
}

Database::Database(std::unique_ptr<Impl> impl, bool readOnly)
    : impl_(std::move(impl)), readOnly_(readOnly) {}

Database::~Database() = default;

namespace {

// Defences for files from elsewhere: no triggers or views of a crafted
// schema run, and damaged cells are found when they are read.
unsigned configure(sqlite3 *db, bool readOnly) {
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
#ifdef SQLITE_DBCONFIG_ENABLE_VIEW
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
#endif
  int rc = sqlite3_create_function_v2(db, kTableCopy, 3, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr,
                                      nullptr, copyRow, copyDone, nullptr);
  if (rc == SQLITE_OK)
    rc = sqlite3_exec(db, "PRAGMA cell_size_check=ON; PRAGMA synchronous=FULL", nullptr, nullptr,
                      nullptr);
  if (rc == SQLITE_OK && !readOnly)
    rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  return mapError(rc);
}

unsigned openConnection(const char *path, int flags, sqlite3 *&db, uint32_t &detail) {
  // Each connection is used by one thread at a time, so SQLite's mutex
  // around every call (a tenth of a table copy) buys nothing.
  int rc = sqlite3_open_v2(path, &db, flags | SQLITE_OPEN_NOMUTEX, os::vfsName());
  if (rc != SQLITE_OK) {
    detail = static_cast<uint32_t>(db ? sqlite3_extended_errcode(db) : rc);
    if ((rc & 0xFF) == SQLITE_CANTOPEN)
      detail = os::lastSystemError();
    return mapError(rc);
  }
  return 0;
}

} // namespace

sqlite3_stmt *Database::Impl::prepareSecond(const std::string &sql) {
  auto found = secondStatements.find(sql);
  if (found != secondStatements.end())
    return found->second;
  sqlite3_stmt *stmt = nullptr;
  if (sqlite3_prepare_v3(second, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
      SQLITE_OK)
    return nullptr;
  secondStatements.emplace(sql, stmt);
  return stmt;
}

int64_t Database::Impl::secondBaseline() {
  if (policy.splitFrom == 0 || !sqlite3_get_autocommit(db))
    return -1;
  for (sqlite3_stmt *p = sqlite3_next_stmt(db, nullptr); p; p = sqlite3_next_stmt(db, p))
    if (sqlite3_stmt_busy(p))
      return -1;
  if (!secondTried) {
    secondTried = true;
    // The same file as this connection, however it was named, and the
    // same mode; without it every copy is made by this connection alone.
    const char *path = sqlite3_db_filename(db, "main");
    const bool readOnly = sqlite3_db_readonly(db, "main") == 1;
    sqlite3 *opened = nullptr;
    uint32_t detail = 0;
    if (path && *path &&
        openConnection(path, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, opened,
                       detail) == 0 &&
        configure(opened, true) == 0)
      second = opened;
    else
      sqlite3_close_v2(opened);
  }
  sqlite3_stmt *v = second ? prepareSecond("PRAGMA data_version") : nullptr;
  if (!v)
    return -1;
  const int64_t value = sqlite3_step(v) == SQLITE_ROW ? sqlite3_column_int64(v, 0) : -1;
  sqlite3_reset(v);
  return value;
}

bool Database::Impl::beginSecond(int64_t baseline) {
  if (!second || baseline < 0 || sqlite3_exec(second, "BEGIN", nullptr, nullptr, nullptr))
    return false;
  // data_version starts the read transaction, so the copy's statement on
  // the second connection reads what this value describes.
  sqlite3_stmt *v = prepareSecond("PRAGMA data_version");
  const bool same = v && sqlite3_step(v) == SQLITE_ROW && sqlite3_column_int64(v, 0) == baseline;
  if (v)
    sqlite3_reset(v);
  if (!same)
    endSecond();
  return same;
}

void Database::Impl::endSecond() {
  for (auto &entry : secondStatements)
    sqlite3_reset(entry.second);
  sqlite3_exec(second, "ROLLBACK", nullptr, nullptr, nullptr);
}

unsigned Database::open(const char *path, bool readOnly, std::unique_ptr<Database> &out,
                        uint32_t &detail) {
  auto impl = std::make_unique<Impl>();
  int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  unsigned err = openConnection(path, flags, impl->db, detail);
  if (err)
    return err;
  err = configure(impl->db, readOnly);
  sqlite3_stmt *probe = nullptr;
  if (!err)
    err = impl->prepare("SELECT count(*) FROM sqlite_schema WHERE type='table' AND "
                        "name='isam_catalog'",
                        probe);
  if (!err) {
    ResetOnExit reset{probe};
    int rc = sqlite3_step(probe);
    if (rc != SQLITE_ROW)
      err = mapError(rc);
    else if (sqlite3_column_int(probe, 0) != 1)
      err = ISAM_ERR_CORRUPT; // a database, but not one of ours
  }
  if (err) {
    detail = static_cast<uint32_t>(sqlite3_extended_errcode(impl->db));
    return err;
  }
  out.reset(new Database(std::move(impl), readOnly));
  return 0;
}

unsigned Database::create(const char *path, std::unique_ptr<Database> &out, uint32_t &detail) {
  auto impl = std::make_unique<Impl>();
  unsigned err = openConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, impl->db, detail);
  if (!err)
    err = configure(impl->db, false);
  if (!err)
    err = impl->exec("BEGIN IMMEDIATE;"
                     "CREATE TABLE isam_catalog(id INTEGER PRIMARY KEY,"
                     " name TEXT NOT NULL UNIQUE COLLATE NOCASE,"
                     " record_size INTEGER NOT NULL, node_size INTEGER NOT NULL,"
                     " key_count INTEGER NOT NULL, key_items BLOB NOT NULL,"
                     " description BLOB NOT NULL);"
                     "COMMIT");
  if (err) {
    if (impl->db)
      detail = static_cast<uint32_t>(sqlite3_extended_errcode(impl->db));
    impl.reset();
    os::removeFile(path);
    return err;
  }
  out.reset(new Database(std::move(impl), false));
  return 0;
}

unsigned Database::close(uint32_t &detail) {
  detail = 0;
  unsigned err = 0;
  if (inTransaction_ && !sqlite3_get_autocommit(impl_->db)) {
    impl_->finalizeAll();
    impl_->exec("ROLLBACK");
    err = ISAM_ERR_ROLLED_BACK;
  }
  impl_->finalizeAll();
  int rc = sqlite3_close(impl_->db);
  if (rc != SQLITE_OK) {
    detail = static_cast<uint32_t>(rc);
    sqlite3_close_v2(impl_->db);
    err = err ? err : mapError(rc);
  }
  impl_->db = nullptr;
  return err;
}

unsigned Database::beforeWrite() {
  if (readOnly_)
    return ISAM_ERR_READ_ONLY;
  for (Cursor::Impl *c : impl_->cursors) {
    if (c->snap)
      c->leaveSnapshot();
    else if (c->current && !c->parked) {
      sqlite3_reset(c->current);
      c->parked = true;
    }
  }
  return 0;
}

unsigned Database::tableCount(uint32_t &count) {
  sqlite3_stmt *s = nullptr;
  if (unsigned err = impl_->prepare("SELECT count(*) FROM isam_catalog", s))
    return err;
  ResetOnExit reset{s};
  int rc = sqlite3_step(s);
  if (rc != SQLITE_ROW)
    return mapError(rc);
  count = static_cast<uint32_t>(sqlite3_column_int64(s, 0));
  return 0;
}

unsigned Database::tableName(uint32_t number, std::string &name) {
  sqlite3_stmt *s = nullptr;
  if (unsigned err =
          impl_->prepare("SELECT name FROM isam_catalog ORDER BY id LIMIT 1 OFFSET ?", s))
    return err;
  ResetOnExit reset{s};
  sqlite3_bind_int64(s, 1, number);
  int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE)
    return ISAM_ERR_TABLE_NUMBER;
  if (rc != SQLITE_ROW)
    return mapError(rc);
  const char *text = reinterpret_cast<const char *>(sqlite3_column_text(s, 0));
  name.assign(text ? text : "");
  return 0;
}

unsigned Database::findTable(const char *name, TableMeta &meta) {
  sqlite3_stmt *s = nullptr;
  if (unsigned err = impl_->prepare("SELECT id, name, record_size, node_size, key_count, key_items "
                                    "FROM isam_catalog WHERE name = ?",
                                    s))
    return err;
  ResetOnExit reset{s};
  sqlite3_bind_text(s, 1, name, -1, SQLITE_STATIC);
  int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE)
    return ISAM_ERR_TABLE_NOT_FOUND;
  if (rc != SQLITE_ROW)
    return mapError(rc);
  const sqlite3_int64 recordSize = sqlite3_column_int64(s, 2);
  const sqlite3_int64 nodeSize = sqlite3_column_int64(s, 3);
  const sqlite3_int64 keyCount = sqlite3_column_int64(s, 4);
  const auto *items = static_cast<const uint8_t *>(sqlite3_column_blob(s, 5));
  const int itemBytes = sqlite3_column_bytes(s, 5);
  // The catalog of a damaged or foreign file must not drive us out of bounds.
  if (recordSize < 1 || recordSize > ISAM_MAX_RECORD || nodeSize < kMinNodeSize ||
      nodeSize > kMaxNodeSize || keyCount < 0 || keyCount > ISAM_MAX_INDEXES ||
      itemBytes != keyCount * 58)
    return ISAM_ERR_CORRUPT;
  meta.id = sqlite3_column_int64(s, 0);
  const char *text = reinterpret_cast<const char *>(sqlite3_column_text(s, 1));
  meta.name.assign(text ? text : "");
  meta.recordSize = static_cast<uint32_t>(recordSize);
  meta.nodeSize = static_cast<uint32_t>(nodeSize);
  meta.keyCount = static_cast<uint32_t>(keyCount);
  meta.keyItems.assign(items, items + itemBytes);
  return 0;
}

unsigned Database::createTable(const TableMeta &meta, const std::vector<bool> &unique) {
  if (unsigned err = beforeWrite())
    return err;
  TableMeta existing;
  unsigned err = findTable(meta.name.c_str(), existing);
  if (err == 0)
    return ISAM_ERR_TABLE_EXISTS;
  if (err != ISAM_ERR_TABLE_NOT_FOUND)
    return err;
  // A savepoint makes the catalog row and the SQLite objects one change,
  // inside or outside a transaction of the caller.
  if ((err = impl_->exec("SAVEPOINT create_table")))
    return err;
  sqlite3_stmt *s = nullptr;
  err = impl_->prepare("INSERT INTO isam_catalog(name, record_size, node_size, key_count, "
                       "key_items, description) VALUES(?, ?, ?, ?, ?, X'')",
                       s);
  if (!err) {
    ResetOnExit reset{s};
    sqlite3_bind_text(s, 1, meta.name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int64(s, 2, meta.recordSize);
    sqlite3_bind_int64(s, 3, meta.nodeSize);
    sqlite3_bind_int64(s, 4, meta.keyCount);
    bindBytes(s, 5, meta.keyItems);
    err = mapError(sqlite3_step(s));
  }
  int64_t id = 0;
  if (!err) {
    id = sqlite3_last_insert_rowid(impl_->db);
    const std::string t = recordTable(id);
    std::string sql = "CREATE TABLE " + t +
                      "(a INTEGER PRIMARY KEY CHECK(a BETWEEN 1 AND 4294967295), r BLOB NOT NULL";
    for (unsigned i = 0; i < meta.keyCount; ++i)
      sql += ", " + keyColumn(i) + " BLOB";
    sql += ");";
    for (unsigned i = 0; i < meta.keyCount; ++i)
      sql += std::string("CREATE ") + (unique[i] ? "UNIQUE " : "") + "INDEX " + t + "_" +
             keyColumn(i) + " ON " + t + "(" + keyColumn(i) + ");";
    err = impl_->exec(sql.c_str());
  }
  if (err) {
    if (err == ISAM_ERR_DUPLICATE_KEY)
      err = ISAM_ERR_TABLE_EXISTS; // another handle created it meanwhile
    impl_->exec("ROLLBACK TO create_table");
    impl_->exec("RELEASE create_table");
    return err;
  }
  if ((err = impl_->exec("RELEASE create_table")))
    return err;
  // A table this connection made is empty: its snapshot costs nothing to
  // start, and the connection's own inserts fill it.
  if (policy.budget >= (size_t{meta.recordSize} << 4) && !impl_->checkVersion())
    impl_->snapshots[id] = std::make_shared<Snapshot>(
        meta.recordSize, std::make_shared<const RecordCodec>(std::vector<uint8_t>{}));
  return 0;
}

unsigned Database::descSize(int64_t table, uint32_t &size) {
  sqlite3_stmt *s = nullptr;
  if (unsigned err = impl_->prepare(
          "SELECT length(CAST(description AS BLOB)) FROM isam_catalog WHERE id = ?", s))
    return err;
  ResetOnExit reset{s};
  sqlite3_bind_int64(s, 1, table);
  int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE)
    return ISAM_ERR_TABLE_NOT_FOUND;
  if (rc != SQLITE_ROW)
    return mapError(rc);
  size = static_cast<uint32_t>(sqlite3_column_int64(s, 0));
  return 0;
}

unsigned Database::readDesc(int64_t table, void *buffer, uint32_t size, uint32_t &length) {
  sqlite3_stmt *s = nullptr;
  if (unsigned err =
          impl_->prepare("SELECT CAST(description AS BLOB) FROM isam_catalog WHERE id = ?", s))
    return err;
  ResetOnExit reset{s};
  sqlite3_bind_int64(s, 1, table);
  int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE)
    return ISAM_ERR_TABLE_NOT_FOUND;
  if (rc != SQLITE_ROW)
    return mapError(rc);
  const void *p = sqlite3_column_blob(s, 0);
  length = static_cast<uint32_t>(sqlite3_column_bytes(s, 0));
  if (length > size)
    return ISAM_ERR_BUFFER_TOO_SMALL;
  if (length)
    std::memcpy(buffer, p, length);
  return 0;
}

unsigned Database::writeDesc(int64_t table, const void *text, uint32_t length) {
  if (unsigned err = beforeWrite())
    return err;
  if (length > static_cast<uint32_t>(sqlite3_limit(impl_->db, SQLITE_LIMIT_LENGTH, -1)))
    return ISAM_ERR_TOO_LARGE;
  sqlite3_stmt *s = nullptr;
  if (unsigned err = impl_->prepare("UPDATE isam_catalog SET description = ? WHERE id = ?", s))
    return err;
  ResetOnExit reset{s};
  sqlite3_bind_blob(s, 1, length ? text : "", static_cast<int>(length), SQLITE_STATIC);
  sqlite3_bind_int64(s, 2, table);
  if (unsigned err = mapError(sqlite3_step(s)))
    return err;
  return sqlite3_changes(impl_->db) ? 0 : ISAM_ERR_TABLE_NOT_FOUND;
}

unsigned Database::insert(int64_t table, const void *record, uint32_t size,
                          const std::vector<Key> &keys, uint32_t &address) {
  if (unsigned err = beforeWrite())
    return err;
  const std::string t = recordTable(table);
  std::string sql = "INSERT INTO " + t + "(r";
  std::string values = ") VALUES(?";
  for (unsigned i = 0; i < keys.size(); ++i) {
    sql += "," + keyColumn(i);
    values += ",?";
  }
  sqlite3_stmt *s = nullptr;
  if (unsigned err = impl_->prepare(sql + values + ")", s))
    return err;
  ResetOnExit reset{s};
  sqlite3_bind_blob(s, 1, record, static_cast<int>(size), SQLITE_STATIC);
  for (unsigned i = 0; i < keys.size(); ++i)
    bindKey(s, static_cast<int>(i) + 2, keys[i]);
  if (unsigned err = mapError(sqlite3_step(s))) {
    impl_->afterFailedWrite(table, err);
    return err;
  }
  address = static_cast<uint32_t>(sqlite3_last_insert_rowid(impl_->db));
  impl_->patchWrite(table, address, record, &keys, true);
  if (impl_->countsOf(table))
    impl_->adjustCounts(table, {}, presenceOf(keys));
  return 0;
}

unsigned Database::update(int64_t table, uint32_t address, const void *record, uint32_t size,
                          const std::vector<Key> &keys) {
  if (unsigned err = beforeWrite())
    return err;
  std::string sql = "UPDATE " + recordTable(table) + " SET r=?";
  for (unsigned i = 0; i < keys.size(); ++i)
    sql += "," + keyColumn(i) + "=?";
  sql += " WHERE a=?";
  sqlite3_stmt *s = nullptr;
  if (unsigned err = impl_->prepare(sql, s))
    return err;
  ResetOnExit reset{s};
  sqlite3_bind_blob(s, 1, record, static_cast<int>(size), SQLITE_STATIC);
  for (unsigned i = 0; i < keys.size(); ++i)
    bindKey(s, static_cast<int>(i) + 2, keys[i]);
  sqlite3_bind_int64(s, static_cast<int>(keys.size()) + 2, address);
  // A sparse index may take the record in or leave it out.
  std::vector<bool> before;
  const bool counted = impl_->countsOf(table);
  if (counted)
    if (unsigned err = impl_->presence(table, address, before))
      return err;
  if (unsigned err = mapError(sqlite3_step(s))) {
    impl_->afterFailedWrite(table, err);
    return err;
  }
  if (!sqlite3_changes(impl_->db))
    return ISAM_ERR_RECORD_NOT_FOUND;
  impl_->patchWrite(table, address, record, &keys, false);
  if (counted)
    impl_->adjustCounts(table, before, presenceOf(keys));
  return 0;
}

unsigned Database::remove(int64_t table, uint32_t address) {
  if (unsigned err = beforeWrite())
    return err;
  sqlite3_stmt *s = nullptr;
  if (unsigned err = impl_->prepare("DELETE FROM " + recordTable(table) + " WHERE a=?", s))
    return err;
  ResetOnExit reset{s};
  sqlite3_bind_int64(s, 1, address);
  std::vector<bool> before;
  const bool counted = impl_->countsOf(table);
  if (counted)
    if (unsigned err = impl_->presence(table, address, before))
      return err;
  if (unsigned err = mapError(sqlite3_step(s))) {
    impl_->afterFailedWrite(table, err);
    return err;
  }
  if (!sqlite3_changes(impl_->db))
    return ISAM_ERR_RECORD_NOT_FOUND;
  impl_->patchWrite(table, address, nullptr, nullptr, false);
  if (counted)
    impl_->adjustCounts(table, before, {});
  return 0;
}

unsigned Database::read(int64_t table, uint32_t address, void *buffer, uint32_t recordSize) {
  if (impl_->snapshots.count(table)) {
    if (unsigned err = impl_->checkVersion())
      return err;
    auto found = impl_->snapshots.find(table);
    if (found != impl_->snapshots.end() && found->second->recordSize == recordSize) {
      const int64_t slot = found->second->slotOf(address);
      if (slot < 0)
        return ISAM_ERR_RECORD_NOT_FOUND;
      found->second->read(static_cast<uint32_t>(slot), static_cast<uint8_t *>(buffer));
      return 0;
    }
  }
  sqlite3_stmt *s = nullptr;
  if (unsigned err = impl_->prepare("SELECT r FROM " + recordTable(table) + " WHERE a=?", s))
    return err;
  ResetOnExit reset{s};
  sqlite3_bind_int64(s, 1, address);
  int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE)
    return ISAM_ERR_RECORD_NOT_FOUND;
  if (rc != SQLITE_ROW)
    return mapError(rc);
  const void *p = sqlite3_column_blob(s, 0);
  if (static_cast<uint32_t>(sqlite3_column_bytes(s, 0)) != recordSize)
    return ISAM_ERR_CORRUPT;
  std::memcpy(buffer, p, recordSize);
  return 0;
}

unsigned Database::keyOf(int64_t table, unsigned index, uint32_t address, Key &key) {
  sqlite3_stmt *s = nullptr;
  if (unsigned err = impl_->prepare(
          "SELECT " + keyColumn(index) + " FROM " + recordTable(table) + " WHERE a=?", s))
    return err;
  ResetOnExit reset{s};
  sqlite3_bind_int64(s, 1, address);
  int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE)
    return ISAM_ERR_RECORD_NOT_FOUND;
  if (rc != SQLITE_ROW)
    return mapError(rc);
  readKey(s, 0, key);
  return 0;
}

unsigned Database::countIndex(int64_t table, unsigned index, bool sparse, uint32_t &count) {
  if (unsigned err = impl_->checkVersion())
    return err;
  if (auto kept = impl_->counts.find({table, index}); kept != impl_->counts.end()) {
    count = kept->second;
    return 0;
  }
  // A key that is not sparse is written with every record, so the table's
  // own count is the index's; SQLite counts that one from a tree's pages
  // without reading their cells, in a third of the time.
  sqlite3_stmt *s = nullptr;
  const std::string k = keyColumn(index);
  if (unsigned err = impl_->prepare("SELECT count(*) FROM " + recordTable(table) +
                                        (sparse ? " WHERE " + k + " IS NOT NULL" : ""),
                                    s))
    return err;
  ResetOnExit reset{s};
  int rc = sqlite3_step(s);
  if (rc != SQLITE_ROW)
    return mapError(rc);
  count = static_cast<uint32_t>(sqlite3_column_int64(s, 0));
  impl_->counts[{table, index}] = count;
  return 0;
}

unsigned Database::begin() {
  if (unsigned err = beforeWrite())
    return err;
  if (inTransaction_)
    return ISAM_ERR_IN_TRANSACTION;
  unsigned err = impl_->exec("BEGIN IMMEDIATE");
  inTransaction_ = err == 0;
  if (inTransaction_)
    impl_->setCacheKiB(kTransactionCacheKiB);
  return err;
}

unsigned Database::commit() {
  if (!inTransaction_)
    return ISAM_ERR_NO_TRANSACTION;
  unsigned err = impl_->exec("COMMIT");
  // SQLite ends the transaction itself after some failures.
  inTransaction_ = !sqlite3_get_autocommit(impl_->db);
  if (err)
    impl_->forgetAll();
  if (!inTransaction_)
    impl_->setCacheKiB(0);
  return err;
}

unsigned Database::rollback() {
  if (!inTransaction_)
    return ISAM_ERR_NO_TRANSACTION;
  beforeWrite();
  impl_->forgetAll();
  unsigned err = impl_->exec("ROLLBACK");
  inTransaction_ = !sqlite3_get_autocommit(impl_->db);
  if (!inTransaction_)
    impl_->setCacheKiB(0);
  return err;
}

unsigned Database::integrityCheck(std::string &result) {
  result.clear();
  sqlite3_stmt *s = nullptr;
  if (unsigned err = impl_->prepare("PRAGMA integrity_check", s))
    return err;
  ResetOnExit reset{s};
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    if (!result.empty())
      result += '\n';
    const char *text = reinterpret_cast<const char *>(sqlite3_column_text(s, 0));
    result += text ? text : "";
  }
  return mapError(rc);
}

unsigned Database::openCursor(int64_t table, uint32_t recordSize, unsigned index, bool unique,
                              bool descending, KeyEncoder encoder, std::unique_ptr<Cursor> &out) {
  auto impl = std::make_unique<Cursor::Impl>();
  impl->owner = impl_.get();
  impl->tableId = table;
  impl->recordSize = recordSize;
  impl->index = index;
  impl->encoder = std::move(encoder);
  impl->table = recordTable(table);
  impl->column = keyColumn(index);
  impl->unique = unique;
  impl->descending = descending;
  impl_->cursors.push_back(impl.get());
  out.reset(new Cursor(std::move(impl)));
  return 0;
}

/* ---- Cursor ------------------------------------------------------------ */

Cursor::Cursor(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Cursor::~Cursor() {
  if (impl_->owner) {
    impl_->owner->stopGathering(impl_.get());
    auto &list = impl_->owner->cursors;
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i] == impl_.get()) {
        list.erase(list.begin() + static_cast<long>(i));
        break;
      }
  }
  impl_->finalize();
}

void Cursor::park() {
  if (impl_->snap)
    impl_->leaveSnapshot();
  if (impl_->current)
    sqlite3_reset(impl_->current);
  impl_->parked = true;
}

// Compares entry i of the order with (key, address); without an address
// only the keys count.
int Cursor::Impl::compareAt(int64_t i, const std::vector<uint8_t> &key, const uint32_t *address,
                            std::vector<uint8_t> &scratch) const {
  const uint32_t slot = (*order)[static_cast<size_t>(i)];
  scratch.clear();
  std::vector<uint8_t> record;
  encoder(snap->view(slot, record), scratch);
  if (int c = compareKeys(scratch.data(), scratch.size(), key.data(), key.size()))
    return c;
  if (!address)
    return 0;
  const uint32_t a = snap->address(slot);
  return a < *address ? -1 : a > *address ? 1 : 0;
}

// The first entry above (key, address), or not below it with orEqual.
int64_t Cursor::Impl::firstNotBelow(const std::vector<uint8_t> &key, const uint32_t *address,
                                    bool orEqual, std::vector<uint8_t> &scratch) const {
  int64_t first = 0, count = static_cast<int64_t>(order->size());
  while (count > 0) {
    const int64_t half = count / 2;
    const int c = compareAt(first + half, key, address, scratch);
    if (c < 0 || (c == 0 && !orEqual)) {
      first += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  return first;
}

// Takes the iteration onto the table's snapshot at the version it started
// with, placed as the SQLite statement would go on; false leaves it to
// the statement.
bool Cursor::Impl::useSnapshot() {
  std::shared_ptr<const Snapshot> s;
  // The baseline holds while this connection's read is still the one this
  // statement started: outside a transaction of the host's.
  const int64_t baseline = sqlite3_get_autocommit(owner->db) ? secondBaseline : -1;
  if (owner->snapshotFor(tableId, recordSize, index, encoder, startVersion, baseline, s) || !s)
    return false;
  owner->stopGathering(this);
  snap = std::move(s);
  order = &snap->orders.at(index).slots;
  walked = 0;
  std::vector<uint8_t> scratch;
  lo = low.set ? firstNotBelow(low.key, nullptr, true, scratch) : 0;
  hi = high.set ? firstNotBelow(high.key, nullptr, false, scratch)
                : static_cast<int64_t>(order->size());
  if (!descending) {
    pos = lo;
    if (hasPosition)
      pos = std::max(pos, firstNotBelow(positionKey.bytes, unique ? nullptr : &positionAddress,
                                        false, scratch));
  } else {
    pos = hi - 1;
    if (hasPosition)
      pos = std::min(
          pos,
          firstNotBelow(positionKey.bytes, unique ? nullptr : &positionAddress, true, scratch) - 1);
  }
  lastSlot = -1;
  if (current)
    sqlite3_reset(current);
  parked = false;
  ended = false;
  return true;
}

// Back to an SQLite statement, placed after the last record delivered.
void Cursor::Impl::leaveSnapshot() {
  if (owner)
    owner->stopGathering(this);
  if (lastSlot >= 0) {
    positionKey.bytes.clear();
    std::vector<uint8_t> record;
    positionKey.present =
        encoder(snap->view(static_cast<uint32_t>(lastSlot), record), positionKey.bytes);
    positionAddress = snap->address(static_cast<uint32_t>(lastSlot));
    hasPosition = true;
  }
  snap.reset();
  order = nullptr;
  parked = true;
}

// One statement per combination of lower bound, upper bound and start
// position, prepared when first needed.
unsigned Cursor::Impl::seek() {
  if (!owner)
    return ISAM_ERR_HANDLE;
  const int shape = (low.set ? 1 : 0) | (high.set ? 2 : 0) | (hasPosition ? 4 : 0);
  sqlite3_stmt *&s = shapes[shape];
  if (!s) {
    const char *after = descending ? "<" : ">";
    std::string sql =
        "SELECT a, r, " + column + " FROM " + table + " WHERE " + column + " IS NOT NULL";
    if (low.set)
      sql += " AND " + column + " >= ?1";
    if (high.set)
      sql += " AND " + column + " <= ?2";
    if (hasPosition)
      sql += unique ? " AND " + column + " " + after + " ?3"
                    : " AND (" + column + ", a) " + after + " (?3, ?4)";
    const char *dir = descending ? " DESC" : "";
    sql += " ORDER BY " + column + dir;
    if (!unique)
      sql += std::string(", a") + dir;
    int rc = sqlite3_prepare_v3(owner->db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    if (rc != SQLITE_OK)
      return mapError(rc);
  }
  if (current)
    sqlite3_reset(current);
  sqlite3_reset(s);
  secondBaseline = owner->secondBaseline();
  sqlite3_clear_bindings(s);
  if (low.set)
    bindBytes(s, 1, low.key);
  if (high.set)
    bindBytes(s, 2, high.key);
  if (hasPosition) {
    // Copied: positionKey follows every delivered row while s runs.
    if (positionKey.present)
      sqlite3_bind_blob(s, 3,
                        positionKey.bytes.empty() ? "" : (const void *)positionKey.bytes.data(),
                        static_cast<int>(positionKey.bytes.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(s, 4, positionAddress);
  }
  current = s;
  parked = false;
  ended = false;
  return 0;
}

unsigned Cursor::start(const Bound &low, const Bound &high, const Key *afterKey,
                       uint32_t afterAddress) {
  impl_->low = low;
  impl_->high = high;
  impl_->hasPosition = afterKey != nullptr;
  if (afterKey) {
    impl_->positionKey = *afterKey;
    impl_->positionAddress = afterAddress;
  }
  Impl &c = *impl_;
  if (!c.owner)
    return ISAM_ERR_HANDLE;
  c.owner->stopGathering(&c);
  c.snap.reset();
  c.order = nullptr;
  c.delivered = 0;
  if (unsigned err = c.owner->checkVersion())
    return err;
  c.startVersion = c.owner->version;
  // A snapshot that holds the order already costs nothing to use.
  if ((policy.copyAfter == 0 || c.owner->heldOrder(c.tableId, c.recordSize, c.index)) &&
      c.useSnapshot())
    return 0;
  return c.seek();
}

unsigned Cursor::next(void *buffer, uint32_t recordSize, uint32_t &address) {
  Impl &c = *impl_;
  if (!c.owner)
    return ISAM_ERR_HANDLE;
  if (c.ended)
    return ISAM_END_OF_ITERATION;
  if (c.snap) {
    if (c.descending ? c.pos < c.lo : c.pos >= c.hi) {
      c.owner->stopGathering(&c);
      c.ended = true;
      return ISAM_END_OF_ITERATION;
    }
    const uint32_t slot = (*c.order)[static_cast<size_t>(c.pos)];
    const int step = c.descending ? -1 : 1;
    const uint8_t *record = nullptr;
    if (c.owner->gathering == &c) {
      Gatherer &g = *c.owner->gatherer;
      const auto n = static_cast<uint64_t>((c.pos - g.from()) * step);
      record = g.at(n);
      g.taken(n + 1);
    } else if (++c.walked == policy.gatherAfter && recordSize == c.snap->recordSize &&
               (c.descending ? c.pos - c.lo : c.hi - c.pos) > int64_t{Gatherer::kConsumed}) {
      c.owner->stopGathering();
      auto g = std::make_unique<Gatherer>(c.snap, *c.order, c.pos + step,
                                          c.descending ? c.lo - 1 : c.hi, step);
      if (g->running()) {
        c.owner->gatherer = std::move(g);
        c.owner->gathering = &c;
      }
    }
    if (record) {
      std::memcpy(buffer, record, recordSize);
    } else {
      prefetchAhead(*c.snap, *c.order, c.pos, step, c.lo, c.hi);
      c.snap->read(slot, static_cast<uint8_t *>(buffer));
    }
    address = c.snap->address(slot);
    c.lastSlot = slot;
    c.pos += c.descending ? -1 : 1;
    return 0;
  }
  // After a write of this connection a snapshot it has kept up holds the
  // walk's order as SQLite would deliver it.
  if (c.parked && c.owner->heldOrder(c.tableId, c.recordSize, c.index) &&
      recordSize == c.recordSize && c.useSnapshot())
    return next(buffer, recordSize, address);
  if (c.parked)
    if (unsigned err = c.seek())
      return err;
  int rc = sqlite3_step(c.current);
  if (rc == SQLITE_DONE) {
    sqlite3_reset(c.current);
    c.ended = true;
    return ISAM_END_OF_ITERATION;
  }
  if (rc != SQLITE_ROW) {
    unsigned err = mapError(rc);
    sqlite3_reset(c.current);
    c.parked = true;
    return err;
  }
  const sqlite3_int64 a = sqlite3_column_int64(c.current, 0);
  const void *p = sqlite3_column_blob(c.current, 1);
  if (a < 1 || a > 0xFFFFFFFFll ||
      static_cast<uint32_t>(sqlite3_column_bytes(c.current, 1)) != recordSize) {
    sqlite3_reset(c.current);
    c.ended = true;
    return ISAM_ERR_CORRUPT;
  }
  std::memcpy(buffer, p, recordSize);
  address = static_cast<uint32_t>(a);
  readKey(c.current, 2, c.positionKey);
  c.positionAddress = address;
  c.hasPosition = true;
  // A long walk moves onto the snapshot; the statement keeps the version
  // pinned while the copy is made.
  if (++c.delivered == policy.copyAfter && c.recordSize == recordSize)
    c.useSnapshot();
  return 0;
}

} // namespace vqisam::store
