// The arrays of the list-view description sets and the name of an entry.
#include "tblfld/entry_memory.h"

#include <cstring>
#include <new>

namespace vqtblfld {

namespace {

EntryAllocator installed = nullptr;

void *FromHeap(size_t bytes) { return ::operator new(bytes, std::nothrow); }

} // namespace

EntryAllocator SetEntryAllocator(EntryAllocator allocator) {
  EntryAllocator before = installed;
  installed = allocator;
  return before;
}

void *AllocEntries(UINT count, size_t size) {
  const unsigned long long bytes = static_cast<unsigned long long>(count) * size;
  if (bytes == 0 || bytes > 0xFFFFFFFFull)
    return nullptr;
  void *p = (installed ? installed : FromHeap)(static_cast<size_t>(bytes));
  if (p)
    std::memset(p, 0, static_cast<size_t>(bytes));
  return p;
}

void FreeEntries(void *entries) { ::operator delete(entries); }

void SetName(SVQTblField &field, const char *text, UINT length) {
  size_t n = text ? (length ? strnlen(text, length) : std::strlen(text)) : 0;
  if (n > sizeof field.name - 1)
    n = sizeof field.name - 1;
  std::memcpy(field.name, text ? text : "", n);
  field.name[n] = '\0';
  field.nameLength = static_cast<UINT>(n);
  std::memcpy(field.upperName, field.name, n + 1);
  CharUpperA(field.upperName);
}

} // namespace vqtblfld
