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
#include <memory>
#include <new>

namespace vqdesc {

// The generic messages of reading a series of blocks.
enum : UINT { kMsgBlockCount = 0, kMsgBlockMemory = 1, kMsgBlockSelect = 2 };

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

/// Orders `key` against a name member of `size` bytes (which need not hold
/// a terminator) without regard to ASCII case, as strcmp's sign does.
inline int CompareName(const char *key, const char *member, size_t size) {
  const char *a = key ? key : "";
  const auto fold = [](char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
  };
  for (size_t i = 0;; ++i) {
    const int ca = fold(a[i]);
    const int cb = member && i < size ? fold(member[i]) : 0;
    if (ca != cb)
      return ca - cb;
    if (ca == 0)
      return 0;
  }
}

/// Copies at most size - 1 characters and terminates; NULL copies nothing.
inline void CopyName(char *to, size_t size, const char *from) {
  size_t i = 0;
  for (; from && i + 1 < size && from[i]; ++i)
    to[i] = from[i];
  to[i] = '\0';
}

// Reads every `keyword` block of the current block into a new array of
// `list` (left empty on failure), with messages 0-2 of the block reading;
// T::ReadDef reports its own failure.
template <typename L, typename T>
bool ReadBlocks(CVQConfFile &conf, const char *keyword, L &list, T *L::*array, const char *tag) {
  FreeRecords(list, array);
  UINT n = 0;
  if (!conf.GetBlockCount(keyword, &n)) {
    theLibrary.PrtLog(VQLOG_ERROR, tag, "Error on GetBlockCount( %s )", keyword);
    theLibrary.ErrorBox(kMsgBlockCount, keyword);
    return false;
  }
  if (n == 0)
    return true;
  std::unique_ptr<T[]> records(AllocRecords<T>(n, tag));
  if (!records) {
    theLibrary.PrtLog(VQLOG_ERROR, tag, "Not enough free memory to allocate %u table records", n);
    theLibrary.ErrorBox(kMsgBlockMemory, n);
    theLibrary.PrtLog(VQLOG_ERROR, tag, "ReadLines: Cannot create a new record table");
    return false;
  }
  if (!conf.SelectBlock(keyword)) {
    theLibrary.PrtLog(VQLOG_ERROR, tag, "Error on selecting the keyword %s - block", keyword);
    theLibrary.ErrorBox(kMsgBlockSelect, keyword);
    conf.LeaveBlock();
    return false;
  }
  for (UINT i = 0; i < n; ++i) {
    if (!records[i].ReadDef(conf, keyword, i)) {
      theLibrary.PrtLog(VQLOG_ERROR, tag, "Error on reading an object definition");
      conf.LeaveBlock();
      return false;
    }
    if (!conf.SelectNextBlock())
      break; // the records not reached keep their defaults
  }
  conf.LeaveBlock();
  list.*array = records.release();
  list.count = list.capacity = n;
  return true;
}

/// Where InsertNamed put the record, or why it could not.
enum class Inserted { Appended, Moved, Placed, NoRoomAtEnd, NoRoomInside };

/// The insertion of the editors: at or past the end `record` is appended
/// (growth by `appendStep`) without a name search; inside the list a record
/// for which `sameName` holds is moved to *position instead, otherwise
/// `record` is appended (growth by 1) and moved there. *position receives
/// the final place; on failure the list is as it was.
template <typename L, typename T, typename Same>
Inserted InsertNamed(L &list, T *L::*array, const T &record, UINT *position, UINT appendStep,
                     Same sameName, const char *tag) {
  const UINT p = *position;
  const UINT n = list.*array ? list.count : 0;
  if (p >= n) {
    if (!ReserveOne(list, array, appendStep, tag))
      return Inserted::NoRoomAtEnd;
    (list.*array)[n] = record;
    list.count = n + 1;
    *position = n;
    return Inserted::Appended;
  }
  for (UINT j = 0; j < n; ++j)
    if (sameName((list.*array)[j])) {
      MoveRecord(list.*array, j, p);
      return Inserted::Moved;
    }
  if (!ReserveOne(list, array, 1, tag))
    return Inserted::NoRoomInside;
  (list.*array)[n] = record;
  list.count = n + 1;
  MoveRecord(list.*array, n, p);
  return Inserted::Placed;
}

} // namespace vqdesc

#endif
