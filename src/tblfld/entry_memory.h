// Where the list-view field and key description sets get their arrays, and
// the helpers they share. The arrays were sized in 32 bits, so a set whose
// array would pass 4 GiB is treated as memory that cannot be had. The
// allocator can be swapped, so that tests see the sets behave as they do
// when memory is short. Internal to vq_tbl32.
#ifndef VQ_TBL32_TBLFLD_ENTRY_MEMORY_H
#define VQ_TBL32_TBLFLD_ENTRY_MEMORY_H

#include "frame/library.h"

#include <cstddef>

namespace vqtblfld {

/// Returns `bytes` bytes from ::operator new, or NULL.
using EntryAllocator = void *(*)(size_t bytes);

/// Installs `allocator` for every array of the sets (NULL: the heap) and
/// returns the one installed before.
VQ_TBL32_API EntryAllocator SetEntryAllocator(EntryAllocator allocator);

/// Zeroed room for `count` entries of `size` bytes, or NULL. Never throws.
void *AllocEntries(UINT count, size_t size);
/// Releases what AllocEntries gave; NULL does nothing.
void FreeEntries(void *entries);

/// Stores `length` characters of `text` (0 = up to its terminator), cut to
/// 63, as the entry's name with its length and upper-case twin.
void SetName(SVQTblField &field, const char *text, UINT length);

} // namespace vqtblfld

#endif
