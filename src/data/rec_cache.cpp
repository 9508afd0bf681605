// The record cache of a table shown in the grid: which record stands on
// which line, and the bytes of the most recently used ones. Two pools of
// different size: 1024 cache records (line, address, use stamp) and 64
// buffers carved from one block. A record that loses its buffer keeps its
// line and address, so the browser can still read it back by address or
// start an iteration from it.
//
// Use order is one 32-bit counter: every use stamps the record with the
// current value and increments it; the smallest stamp is the least
// recently used, and ties (never-stamped records after an invalidation) go
// to the lowest index. Every search is a linear scan: the arrays are small
// and fixed, and the browser does one per painted line.
//
// Where the cache goes beyond the plain rules, for safety:
//   - FreeCache also forgets every line and buffer, so a cache used after
//     it finds nothing instead of handing out freed memory;
//   - the line (UINT)-1 marks empty records and is never looked up or saved;
//   - FindFreeBuffer hands out a slot even to a record that holds one
//     already, as its callers expect of it (SaveRecord only asks for records
//     without one); the record's old slot then stays its own until it is
//     taken back as the least recently used, and taking it back clears the
//     record's buffer only while the record still points at that slot, so
//     the newer buffer is never lost.
#include "frame/library.h"

#include <cstring>
#include <new>

namespace {

constexpr char kTag[] = "CVQRecCache";
constexpr UINT kNone = 0xFFFFFFFF;
constexpr UINT kMsgNoMemory = 1600;

UINT Distance(UINT a, UINT b) { return a > b ? a - b : b - a; }

} // namespace

CVQRecCache::CVQRecCache()
    : tick(0), recordSize(0), memorySize(0), memory(nullptr), buffers{}, records{} {
  FreeCache();
}

CVQRecCache::~CVQRecCache() { FreeCache(); }

int CVQRecCache::InitCache(UINT recordBytes) {
  FreeCache();
  tick = 0;
  recordSize = recordBytes;
  const ULONGLONG size = ULONGLONG(kBuffers) * recordBytes;
  // memorySize is 32 bits wide: a block it cannot describe counts as one
  // that cannot be had.
  if (size <= 0xFFFFFFFFull)
    memory = new (std::nothrow) char[size];
  if (!memory) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory for %u cache recs a %u bytes",
                      kBuffers, recordBytes);
    theLibrary.ErrorBox(kMsgNoMemory, kBuffers, recordBytes);
    memorySize = 0;
    return 0;
  }
  memorySize = UINT(size);
  for (UINT i = 0; i < kBuffers; ++i)
    buffers[i] = {kNone, memory + size_t(i) * recordBytes};
  for (SCacheRecord &r : records) {
    r.line = kNone;
    r.buffer = nullptr;
  }
  return 1;
}

void CVQRecCache::FreeCache() {
  delete[] memory;
  memory = nullptr;
  memorySize = 0;
  recordSize = 0;
  for (SBufferSlot &slot : buffers)
    slot = {kNone, nullptr};
  for (SCacheRecord &r : records) {
    r.line = kNone;
    r.buffer = nullptr;
  }
}

void CVQRecCache::InvalidateCache() {
  tick = 0;
  for (SCacheRecord &r : records) {
    r.line = kNone;
    r.buffer = nullptr;
  }
  for (SBufferSlot &slot : buffers)
    slot.owner = kNone;
}

UINT CVQRecCache::FindFreeRecord() {
  UINT oldest = 0;
  for (UINT i = 0; i < kRecords; ++i) {
    if (records[i].line == kNone)
      return i;
    if (records[i].tick < records[oldest].tick)
      oldest = i;
  }
  return oldest;
}

char *CVQRecCache::FindFreeBuffer(UINT index) {
  if (index >= kRecords || !memory)
    return nullptr;
  UINT chosen = kNone;
  for (UINT i = 0; i < kBuffers && chosen == kNone; ++i)
    if (buffers[i].owner == kNone)
      chosen = i;
  if (chosen == kNone) {
    chosen = 0;
    for (UINT i = 1; i < kBuffers; ++i)
      if (records[buffers[i].owner].tick < records[buffers[chosen].owner].tick)
        chosen = i;
    SCacheRecord &loser = records[buffers[chosen].owner];
    if (loser.buffer == buffers[chosen].buffer)
      loser.buffer = nullptr;
  }
  buffers[chosen].owner = index;
  return buffers[chosen].buffer;
}

UINT CVQRecCache::FindLine(UINT line) {
  if (line == kNone)
    return kNone;
  for (UINT i = 0; i < kRecords; ++i)
    if (records[i].line == line) {
      records[i].tick = tick++;
      return i;
    }
  return kNone;
}

int CVQRecCache::FindNearestLine(UINT line, UINT *nearestLine, UINT *index) const {
  UINT chosen = kNone;
  UINT best = 0;
  for (UINT i = 0; i < kRecords; ++i) {
    if (records[i].line == kNone)
      continue;
    const UINT d = Distance(records[i].line, line);
    if (chosen == kNone || d < best) {
      chosen = i;
      best = d;
    }
  }
  if (chosen == kNone)
    return 0;
  if (nearestLine)
    *nearestLine = records[chosen].line;
  if (index)
    *index = chosen;
  return 1;
}

SCacheRecord *CVQRecCache::FindRecord(UINT line) {
  const UINT i = FindLine(line);
  return i == kNone ? nullptr : &records[i];
}

SCacheRecord *CVQRecCache::GetRecord(UINT index) {
  return index < kRecords ? &records[index] : nullptr;
}

int CVQRecCache::SaveRecord(const char *record, ULONG address, UINT line) {
  if (line == kNone || (!record && recordSize)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot save line 0x%X of record 0x%X: %s", line,
                      UINT(address), record ? "no such line" : "no record bytes");
    return 0;
  }
  UINT i = FindLine(line);
  if (i == kNone)
    i = FindFreeRecord();
  SCacheRecord &r = records[i];
  if (!r.buffer)
    r.buffer = FindFreeBuffer(i);
  if (!r.buffer) {
    theLibrary.TextBox("Cannot find a free cache buffer.");
    return 0;
  }
  // The caller may hand in the very buffer it got from the cache.
  if (recordSize)
    std::memmove(r.buffer, record, recordSize);
  r.line = line;
  r.tick = tick++;
  r.address = address;
  return 1;
}
