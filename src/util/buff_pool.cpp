// The buffer pool: records of one size in blocks of 64, chained both ways.
// A record never moves while it is in use, so callers may keep pointers to
// it; the price is a walk along the chain to find a free slot or the block
// a record belongs to, which stays short for the pool sizes in use.
//
// Block layout (offsets for 8-byte pointers):
//   0   previous block
//   8   next block
//   16  occupancy mask, bit i = record i in use
//   24  record 0, record 1, ... record 63
#include "frame/library.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr char kTag[] = "CVQBPool";
constexpr UINT kPerBlock = 64;
constexpr UINT kMsgNoMemory = 200;
constexpr UINT kMsgNotLegal = 210;
constexpr UINT kMsgNotFound = 211;

struct BlockHeader {
  BlockHeader *previous;
  BlockHeader *next;
  ULONGLONG mask;
};

// The original 32-bit block had 4 spare bytes behind its 16-byte header and
// records; they are kept so that the block size grows only by the links.
constexpr UINT kBlockSlack = 4;

BYTE *RecordsOf(BlockHeader *block) { return reinterpret_cast<BYTE *>(block + 1); }
const BYTE *RecordsOf(const BlockHeader *block) {
  return reinterpret_cast<const BYTE *>(block + 1);
}

// Index of the lowest clear bit; the caller knows one exists.
UINT LowestClearBit(ULONGLONG mask) {
  UINT i = 0;
  while (mask & (ULONGLONG(1) << i))
    ++i;
  return i;
}

} // namespace

CVQBuffPool::CVQBuffPool(UINT recordBytes)
    : firstBlock(nullptr), lastBlock(nullptr), recordSize(recordBytes), recordsPerBlock(kPerBlock),
      blockSize(0), fullMask(~ULONGLONG(0)), openBlock(nullptr) {
  const ULONGLONG size = ULONGLONG(kPerBlock) * recordBytes + sizeof(BlockHeader) + kBlockSlack;
  // A size the 32-bit field cannot hold leaves blockSize 0, so alloc refuses.
  if (recordBytes != 0 && size <= 0xFFFFFFFFull)
    blockSize = UINT(size);
}

CVQBuffPool::~CVQBuffPool() { free(); }

void *CVQBuffPool::alloc() {
  auto *block = static_cast<BlockHeader *>(openBlock ? openBlock : firstBlock);
  while (block && block->mask == fullMask)
    block = block->next;
  if (!block) {
    BYTE *bytes = blockSize ? new (std::nothrow) BYTE[blockSize] : nullptr;
    if (!bytes) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag,
                        "Not enough free memory to allocate a buffer pool record");
      theLibrary.ErrorBox(kMsgNoMemory);
      return nullptr;
    }
    std::memset(bytes, 0, blockSize);
    block = reinterpret_cast<BlockHeader *>(bytes);
    block->previous = static_cast<BlockHeader *>(lastBlock);
    if (lastBlock)
      static_cast<BlockHeader *>(lastBlock)->next = block;
    else
      firstBlock = block;
    lastBlock = block;
  }
  openBlock = block;
  const UINT i = LowestClearBit(block->mask);
  block->mask |= ULONGLONG(1) << i;
  return RecordsOf(block) + ULONGLONG(i) * recordSize;
}

void CVQBuffPool::freeRec(void *record) {
  const auto address = reinterpret_cast<std::uintptr_t>(record);
  const ULONGLONG area = ULONGLONG(kPerBlock) * recordSize;
  auto *block = static_cast<BlockHeader *>(firstBlock);
  for (; block; block = block->next) {
    const auto start = reinterpret_cast<std::uintptr_t>(RecordsOf(block));
    if (address >= start && address - start < area)
      break;
  }
  // The address is logged in full: on 64-bit systems it does not fit the
  // 32 bits a plain %X would print.
  if (!block) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Record 0x%llX not found in buffer pool",
                      static_cast<unsigned long long>(address));
    theLibrary.ErrorBox(kMsgNotFound, static_cast<const void *>(record));
    return;
  }
  const ULONGLONG offset = address - reinterpret_cast<std::uintptr_t>(RecordsOf(block));
  if (offset % recordSize != 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Record 0x%llX no legal pool buffer",
                      static_cast<unsigned long long>(address));
    theLibrary.ErrorBox(kMsgNotLegal, static_cast<const void *>(record));
    return;
  }
  std::memset(record, 0, recordSize);
  block->mask &= ~(ULONGLONG(1) << (offset / recordSize));
  openBlock = nullptr; // the freed slot may lie before it

  if (block->mask != 0)
    return;
  if (block->previous)
    block->previous->next = block->next;
  else
    firstBlock = block->next;
  if (block->next)
    block->next->previous = block->previous;
  else
    lastBlock = block->previous;
  delete[] reinterpret_cast<BYTE *>(block);
}

void *CVQBuffPool::getRec(UINT index) const {
  auto *block = static_cast<BlockHeader *>(firstBlock);
  for (UINT n = index / kPerBlock; block && n > 0; --n)
    block = block->next;
  if (!block)
    return nullptr;
  return RecordsOf(block) + ULONGLONG(index % kPerBlock) * recordSize;
}

UINT CVQBuffPool::copy(void *destination, UINT count) const {
  if (!destination)
    return 0;
  auto *out = static_cast<BYTE *>(destination);
  UINT copied = 0;
  for (auto *block = static_cast<const BlockHeader *>(firstBlock); block && copied < count;
       block = block->next) {
    const UINT n = count - copied < kPerBlock ? count - copied : kPerBlock;
    std::memcpy(out, RecordsOf(block), size_t(n) * recordSize);
    out += size_t(n) * recordSize;
    copied += n;
  }
  return copied;
}

void CVQBuffPool::free() {
  auto *block = static_cast<BlockHeader *>(firstBlock);
  while (block) {
    BlockHeader *next = block->next;
    delete[] reinterpret_cast<BYTE *>(block);
    block = next;
  }
  firstBlock = nullptr;
  lastBlock = nullptr;
  openBlock = nullptr;
}
