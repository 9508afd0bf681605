// The record tables of the descriptions (keys, fields, images, tables):
// allocation that reports instead of throwing, deep copies that throw
// CVQTblErr, and growth and moves for the editing operations. Every list
// has the same four members (reset, count, capacity and its array, which
// comes from new[]), so one set of templates serves them all. Internal to
// vq_tbl32.
#ifndef VQ_TBL32_DESC_RECORD_TABLE_H
#define VQ_TBL32_DESC_RECORD_TABLE_H

#include "frame/library.h"

#include <algorithm>
#include <new>

namespace vqdesc {

/// `count` default records, or NULL: when memory is short, and after the
/// log line "Error on allocating %u records of a table" when a record's
/// construction throws. Never throws.
template <typename T> T *AllocRecords(UINT count, const char *tag) {
  try {
    return new (std::nothrow) T[count]();
  } catch (...) {
    theLibrary.PrtLog(VQLOG_ERROR, tag, "Error on allocating %u records of a table", count);
    return nullptr;
  }
}

/// Frees the list's array and clears its three words.
template <typename L, typename T> void FreeRecords(L &list, T *L::*array) {
  delete[](list.*array);
  list.*array = nullptr;
  list.reset = list.count = list.capacity = 0;
}

/// Makes `to` a deep copy of `from` (self-assignment does nothing). The new
/// array is complete before the old one goes, so a failure leaves `to` as
/// it was; the failure is logged and thrown as CVQTblErr.
template <typename L, typename T>
void CopyRecords(L &to, const L &from, T *L::*array, const char *tag) {
  if (&to == &from)
    return;
  T *copy = nullptr;
  const UINT n = from.*array ? from.count : 0;
  if (n != 0) {
    copy = AllocRecords<T>(n, tag);
    if (!copy) {
      theLibrary.PrtLog(VQLOG_ERROR, tag, "CopyOperator: Cannot allocate a new record table");
      throw CVQTblErr();
    }
    try {
      std::copy(from.*array, from.*array + n, copy); // tables copy their own lists
    } catch (...) {
      delete[] copy;
      throw;
    }
  }
  delete[](to.*array);
  to.*array = copy;
  to.count = to.capacity = n;
  to.reset = 0;
}

/// Room for one more record: when the array is full it is replaced by one
/// of capacity + `step` records (`step` for none) holding the old ones. false (the list as
/// it was) when the memory cannot be had or the capacity would pass 2^32.
template <typename L, typename T>
bool ReserveOne(L &list, T *L::*array, UINT step, const char *tag) {
  if (list.*array && list.count < list.capacity)
    return true;
  const ULONGLONG grown = ULONGLONG(list.*array ? list.capacity : 0) + step;
  if (grown > 0xFFFFFFFFull || grown <= list.count)
    return false;
  T *bigger = AllocRecords<T>(static_cast<UINT>(grown), tag);
  if (!bigger)
    return false;
  if (list.*array)
    std::copy(list.*array, list.*array + list.count, bigger);
  delete[](list.*array);
  list.*array = bigger;
  list.capacity = static_cast<UINT>(grown);
  return true;
}

/// Moves record `from` to index `to`; the records between shift by one
/// place towards `from`'s old index.
template <typename T> void MoveRecord(T *records, UINT from, UINT to) {
  if (from > to)
    std::rotate(records + to, records + from, records + from + 1);
  else if (from < to)
    std::rotate(records + from, records + from + 1, records + to + 1);
}

/// Copies at most size - 1 characters and terminates; NULL copies nothing.
inline void CopyName(char *to, size_t size, const char *from) {
  size_t i = 0;
  for (; from && i + 1 < size && from[i]; ++i)
    to[i] = from[i];
  to[i] = '\0';
}

} // namespace vqdesc

#endif
