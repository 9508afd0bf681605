/*
 * The engine's exported calls: argument checks, handles, key encoding and
 * iteration state. Storage is the store's business (store/store.h); this
 * file holds no SQLite code and builds against the Windows headers.
 */
#include <vq_isa32.h>

#include "handles.h"
#include "keys.h"
#include "store/store.h"
#include "store/vfs.h"

#include <cstring>
#include <map>
#include <new>
#include <memory>
#include <string>
#include <vector>

namespace vqisam {
namespace {

struct FileObject {
  std::string path;
  std::unique_ptr<store::Database> db;
  std::vector<uint32_t> tables; // handles of tables opened through this file
};

struct TableObject {
  FileObject *file = nullptr;
  store::TableMeta meta;
  std::vector<KeyDef> keys;
  // Cursors by index and direction, kept so that a browser re-positioning
  // often does not prepare its statements again.
  std::map<unsigned, std::unique_ptr<store::Cursor>> cursors;
  bool iterating = false;
  unsigned iterIndex = 0;
  store::Cursor *cursor = nullptr;
};

FileObject *fileOf(HISAMFILE h) {
  return static_cast<FileObject *>(findHandle(handleValue(h), HandleKind::File));
}
TableObject *tableOf(HISAMTABLE h) {
  return static_cast<TableObject *>(findHandle(handleValue(h), HandleKind::Table));
}

// Paths may come with Windows separators.
std::string nativePath(LPCSTR path) {
  std::string p(path);
  for (char &c : p)
    if (c == '\\')
      c = '/';
  return p;
}

bool validTableName(LPCSTR name) {
  const size_t n = std::strlen(name);
  return n > 0 && n <= ISAM_MAX_NAME;
}

void destroyTable(uint32_t handle) {
  auto *table = static_cast<TableObject *>(findHandle(handle, HandleKind::Table));
  removeHandle(handle);
  delete table;
}

UINT headerError(os::HeaderState state, uint32_t sysError, UINT *detail) {
  *detail = sysError;
  switch (state) {
  case os::HeaderState::Ok:
    return 0;
  case os::HeaderState::Missing:
    return ISAM_ERR_FILE_NOT_FOUND;
  case os::HeaderState::NotIsam:
    return ISAM_ERR_NOT_ISAM;
  case os::HeaderState::Truncated:
    return ISAM_ERR_TRUNCATED;
  case os::HeaderState::NewerVersion:
    return ISAM_ERR_VERSION;
  case os::HeaderState::BadHeader:
    return ISAM_ERR_CORRUPT;
  default:
    return sysError == 5 ? ISAM_ERR_ACCESS : ISAM_ERR_IO;
  }
}

UINT registerFile(std::unique_ptr<store::Database> db, const std::string &path, HISAMFILE *file) {
  auto object = std::make_unique<FileObject>();
  object->path = path;
  object->db = std::move(db);
  const uint32_t h = addHandle(HandleKind::File, object.get());
  if (!h) {
    uint32_t ignored = 0;
    object->db->close(ignored);
    return ISAM_ERR_TOO_MANY_HANDLES;
  }
  object.release();
  *file = handlePointer(h);
  return 0;
}

void encodeRecordKeys(const TableObject &t, const void *record, std::vector<store::Key> &keys) {
  keys.resize(t.keys.size());
  for (size_t i = 0; i < t.keys.size(); ++i)
    keys[i].present = encodeKey(t.keys[i], static_cast<const uint8_t *>(record), keys[i].bytes);
}

// Bounds are full keys even where a sparse index would skip the record.
store::Bound boundOf(const KeyDef &key, LPCVOID record) {
  store::Bound bound;
  if (record) {
    KeyDef dense = key;
    dense.attributes[1] = 0;
    bound.set = encodeKey(dense, static_cast<const uint8_t *>(record), bound.key);
  }
  return bound;
}

store::Cursor *cursorFor(TableObject &t, unsigned index, bool descending, UINT &err) {
  const unsigned slot = index * 2 + (descending ? 1 : 0);
  auto &entry = t.cursors[slot];
  if (!entry) {
    const KeyDef &key = t.keys[index];
    err = t.file->db->openCursor(
        t.meta.id, t.meta.recordSize, index, key.unique(), descending,
        [key](const uint8_t *record, std::vector<uint8_t> &out) {
          return encodeKey(key, record, out);
        },
        entry);
  }
  return entry.get();
}

void putLe32(BYTE *p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<BYTE>(v >> (8 * i));
}

// The file an error box speaks of: a file or table handle names its path;
// a value that was a handle once is not read as text, since it points
// nowhere; anything else is the caller's path.
std::string subjectText(LPCVOID subject, const char *closedHandle) {
  if (!subject)
    return std::string();
  const uint32_t h = handleValue(subject);
  if (auto *f = static_cast<FileObject *>(findHandle(h, HandleKind::File)))
    return f->path;
  if (auto *t = static_cast<TableObject *>(findHandle(h, HandleKind::Table)))
    return t->file->path;
  if (wasHandle(h))
    return closedHandle;
  const char *text = static_cast<const char *>(subject);
  return std::string(text, strnlen(text, MAX_PATH));
}

// The words of the error box in one language.
struct BoxWords {
  char language; // for ISAMErrorText
  const char *caption, *error, *in, *unknown, *file, *closedHandle;
};

// The box speaks the thread's UI language, as the platform's string lookup
// does for every other text: English for an English UI, German otherwise.
const BoxWords &boxWords() {
  static const BoxWords german = {
      'D',       "ISAM-Fehler",           "Fehler ", " bei ", "Unbekannter Fehler.",
      "Datei: ", "(geschlossenes Handle)"};
  static const BoxWords english = {'E',      "ISAM error",     "Error ", " in ", "Unknown error.",
                                   "File: ", "(closed handle)"};
  return PRIMARYLANGID(GetThreadUILanguage()) == LANG_ENGLISH ? english : german;
}

// No exception may cross the exported calls: an allocation that fails
// anywhere below becomes the engine's memory error.
template <typename F> UINT guarded(F &&call) {
  try {
    return call();
  } catch (const std::bad_alloc &) {
    return ISAM_ERR_MEMORY;
  } catch (...) {
    return ISAM_ERR_IO;
  }
}

} // namespace
} // namespace vqisam

using namespace vqisam;

extern "C" {

/* ---- Files ------------------------------------------------------------- */

UINT WINAPI ISAMOpen(HISAMFILE *file, LPCSTR path, UINT mode, UINT *detail) {
  return guarded([&]() -> UINT {
    if (file)
      *file = NULL;
    if (detail)
      *detail = 0;
    if (!file || !path || !detail)
      return ISAM_ERR_PARAMETER;
    if (mode != ISAM_MODE_READ && mode != ISAM_MODE_READWRITE)
      return ISAM_ERR_MODE;
    const std::string p = nativePath(path);
    uint32_t sysError = 0;
    const os::HeaderState state = os::checkHeader(p.c_str(), sysError);
    if (UINT err = headerError(state, sysError, detail))
      return err;
    if (mode == ISAM_MODE_READWRITE && os::isReadOnlyFile(p.c_str())) {
      *detail = 5; // ERROR_ACCESS_DENIED
      return ISAM_ERR_ACCESS;
    }
    std::unique_ptr<store::Database> db;
    uint32_t storeDetail = 0;
    UINT err = store::Database::open(p.c_str(), mode == ISAM_MODE_READ, db, storeDetail);
    *detail = storeDetail;
    return err ? err : registerFile(std::move(db), p, file);
  });
}

UINT WINAPI ISAMCreate(HISAMFILE *file, LPCSTR path, UINT *detail) {
  return guarded([&]() -> UINT {
    if (file)
      *file = NULL;
    if (detail)
      *detail = 0;
    if (!file || !path || !detail)
      return ISAM_ERR_PARAMETER;
    const std::string p = nativePath(path);
    if (p.empty()) {
      *detail = 3; // ERROR_PATH_NOT_FOUND
      return ISAM_ERR_ACCESS;
    }
    if (os::exists(p.c_str())) {
      *detail = 80; // ERROR_FILE_EXISTS
      return ISAM_ERR_FILE_EXISTS;
    }
    std::unique_ptr<store::Database> db;
    uint32_t storeDetail = 0;
    UINT err = store::Database::create(p.c_str(), db, storeDetail);
    *detail = storeDetail;
    return err ? err : registerFile(std::move(db), p, file);
  });
}

UINT WINAPI ISAMClose(HISAMFILE file, UINT *detail) {
  return guarded([&]() -> UINT {
    if (!detail)
      return ISAM_ERR_PARAMETER;
    *detail = 0;
    FileObject *f = fileOf(file);
    if (!f)
      return ISAM_ERR_HANDLE;
    for (uint32_t table : f->tables)
      destroyTable(table);
    uint32_t storeDetail = 0;
    UINT err = f->db->close(storeDetail);
    *detail = storeDetail;
    removeHandle(handleValue(file));
    delete f;
    return err;
  });
}

/* ---- Tables ------------------------------------------------------------ */

UINT WINAPI ISAMGetTableCount(HISAMFILE file, UINT *count) {
  return guarded([&]() -> UINT {
    if (!count)
      return ISAM_ERR_PARAMETER;
    *count = 0;
    FileObject *f = fileOf(file);
    if (!f)
      return ISAM_ERR_HANDLE;
    uint32_t n = 0;
    UINT err = f->db->tableCount(n);
    *count = n;
    return err;
  });
}

UINT WINAPI ISAMGetTableName(HISAMFILE file, UINT tableNumber, LPSTR buffer, UINT size) {
  return guarded([&]() -> UINT {
    if (!buffer || size == 0)
      return ISAM_ERR_PARAMETER;
    FileObject *f = fileOf(file);
    if (!f)
      return ISAM_ERR_HANDLE;
    std::string name;
    if (UINT err = f->db->tableName(tableNumber, name))
      return err;
    if (name.size() + 1 > size)
      return ISAM_ERR_BUFFER_TOO_SMALL;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return 0;
  });
}

UINT WINAPI ISAMCreateTable(HISAMFILE file, LPCSTR tableName, const ISAMIDT *idt, UINT keyCount,
                            UINT recordSize, UINT indexNodeSize) {
  return guarded([&]() -> UINT {
    FileObject *f = fileOf(file);
    if (!f)
      return ISAM_ERR_HANDLE;
    if (!tableName || (keyCount > 0 && !idt))
      return ISAM_ERR_PARAMETER;
    if (f->db->readOnly())
      return ISAM_ERR_READ_ONLY;
    if (!validTableName(tableName))
      return ISAM_ERR_TABLE_NAME;
    if (keyCount > ISAM_MAX_INDEXES)
      return ISAM_ERR_INDEX_NUMBER;
    if (recordSize == 0 || recordSize > ISAM_MAX_RECORD)
      return ISAM_ERR_RECORD_SIZE;
    if (indexNodeSize < 32 || indexNodeSize > 65535)
      return ISAM_ERR_NODE_SIZE;
    store::TableMeta meta;
    meta.name = tableName;
    meta.recordSize = recordSize;
    meta.nodeSize = indexNodeSize;
    meta.keyCount = keyCount;
    meta.keyItems.resize(size_t{keyCount} * kIdtItemSize);
    std::vector<bool> unique(keyCount);
    for (UINT i = 0; i < keyCount; ++i) {
      KeyDef key;
      if (UINT err = parseKeyItem(idt[i].bytes, recordSize, key))
        return err;
      writeKeyItem(key, meta.keyItems.data() + i * kIdtItemSize);
      unique[i] = key.unique();
    }
    return f->db->createTable(meta, unique);
  });
}

UINT WINAPI ISAMOpenTable(HISAMFILE file, LPCSTR tableName, HISAMTABLE *table) {
  return guarded([&]() -> UINT {
    if (table)
      *table = NULL;
    if (!tableName || !table)
      return ISAM_ERR_PARAMETER;
    FileObject *f = fileOf(file);
    if (!f)
      return ISAM_ERR_HANDLE;
    if (!validTableName(tableName))
      return ISAM_ERR_TABLE_NAME;
    auto t = std::make_unique<TableObject>();
    if (UINT err = f->db->findTable(tableName, t->meta))
      return err;
    t->keys.resize(t->meta.keyCount);
    for (uint32_t i = 0; i < t->meta.keyCount; ++i)
      if (parseKeyItem(t->meta.keyItems.data() + i * kIdtItemSize, t->meta.recordSize, t->keys[i]))
        return ISAM_ERR_CORRUPT;
    t->file = f;
    f->tables.reserve(f->tables.size() + 1); // no throw once the handle exists
    const uint32_t h = addHandle(HandleKind::Table, t.get());
    if (!h)
      return ISAM_ERR_TOO_MANY_HANDLES;
    f->tables.push_back(h);
    t.release();
    *table = handlePointer(h);
    return 0;
  });
}

UINT WINAPI ISAMCloseTable(HISAMTABLE table) {
  return guarded([&]() -> UINT {
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    auto &list = t->file->tables;
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i] == handleValue(table)) {
        list.erase(list.begin() + static_cast<long>(i));
        break;
      }
    destroyTable(handleValue(table));
    return 0;
  });
}

/* ---- Sizes ------------------------------------------------------------- */

UINT WINAPI ISAMGetDataRecSize(HISAMTABLE table, UINT *recordSize) {
  return guarded([&]() -> UINT {
    if (!recordSize)
      return ISAM_ERR_PARAMETER;
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    *recordSize = t->meta.recordSize;
    return 0;
  });
}

UINT WINAPI ISAMGetIndexRecSize(HISAMTABLE table, UINT *indexNodeSize) {
  return guarded([&]() -> UINT {
    if (!indexNodeSize)
      return ISAM_ERR_PARAMETER;
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    *indexNodeSize = t->meta.nodeSize;
    return 0;
  });
}

UINT WINAPI ISAMGetIndexDesc(HISAMTABLE table, UINT indexNumber, void *description) {
  return guarded([&]() -> UINT {
    if (!description)
      return ISAM_ERR_PARAMETER;
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    if (indexNumber >= t->keys.size())
      return ISAM_ERR_INDEX_NUMBER;
    uint32_t count = 0;
    if (UINT err =
            t->file->db->countIndex(t->meta.id, indexNumber, t->keys[indexNumber].sparse(), count))
      return err;
    BYTE *d = static_cast<BYTE *>(description);
    std::memset(d, 0, ISAM_INDEX_DESC_SIZE);
    BYTE item[kIdtItemSize];
    writeKeyItem(t->keys[indexNumber], item);
    std::memcpy(d, item, 38);
    putLe32(d + 38, maxKeyLength(t->keys[indexNumber]));
    putLe32(d + 42, t->meta.nodeSize);
    putLe32(d + 46, count);
    putLe32(d + 50, t->meta.recordSize);
    putLe32(d + 54, indexNumber);
    return 0;
  });
}

/* ---- Stored description ------------------------------------------------ */

UINT WINAPI ISAMGetTableDescSize(HISAMTABLE table, UINT descNumber, UINT *size) {
  return guarded([&]() -> UINT {
    if (!size)
      return ISAM_ERR_PARAMETER;
    *size = 0;
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    if (descNumber != 0)
      return ISAM_ERR_DESC_NUMBER;
    uint32_t n = 0;
    UINT err = t->file->db->descSize(t->meta.id, n);
    *size = n;
    return err;
  });
}

UINT WINAPI ISAMReadTableDesc(HISAMTABLE table, UINT descNumber, void *buffer, UINT size,
                              UINT *read) {
  return guarded([&]() -> UINT {
    if (!read || (!buffer && size > 0))
      return ISAM_ERR_PARAMETER;
    *read = 0;
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    if (descNumber != 0)
      return ISAM_ERR_DESC_NUMBER;
    uint32_t length = 0;
    UINT err = t->file->db->readDesc(t->meta.id, buffer, size, length);
    *read = length;
    return err;
  });
}

UINT WINAPI ISAMWriteTableDesc(HISAMTABLE table, UINT descNumber, LPCVOID text, UINT length) {
  return guarded([&]() -> UINT {
    if (!text && length > 0)
      return ISAM_ERR_PARAMETER;
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    if (descNumber != 0)
      return ISAM_ERR_DESC_NUMBER;
    return t->file->db->writeDesc(t->meta.id, text, length);
  });
}

/* ---- Iteration --------------------------------------------------------- */

UINT WINAPI ISAMSetupIterationLimits(HISAMTABLE table, UINT indexNumber, UINT flags,
                                     LPCVOID lowRecord, LPCVOID highRecord) {
  return guarded([&]() -> UINT {
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    t->iterating = false;
    if (indexNumber >= t->keys.size())
      return ISAM_ERR_INDEX_NUMBER;
    if (flags & ~UINT{ISAM_ITER_DESCENDING})
      return ISAM_ERR_MODE;
    const KeyDef &key = t->keys[indexNumber];
    const bool descending = ((flags & ISAM_ITER_DESCENDING) != 0) != key.reversed();
    UINT err = 0;
    store::Cursor *cursor = cursorFor(*t, indexNumber, descending, err);
    if (err)
      return err;
    if ((err = cursor->start(boundOf(key, lowRecord), boundOf(key, highRecord), nullptr, 0)))
      return err;
    t->iterating = true;
    t->iterIndex = indexNumber;
    t->cursor = cursor;
    return 0;
  });
}

UINT WINAPI ISAMSetupIterationAddress(HISAMTABLE table, UINT indexNumber, UINT mode,
                                      DWORD recordAddress, UINT reserved) {
  return guarded([&]() -> UINT {
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    t->iterating = false;
    if (reserved != 0)
      return ISAM_ERR_PARAMETER;
    if (indexNumber >= t->keys.size())
      return ISAM_ERR_INDEX_NUMBER;
    if (mode != ISAM_ITER_AFTER && mode != (ISAM_ITER_AFTER | ISAM_ITER_DESCENDING))
      return ISAM_ERR_MODE;
    store::Key key;
    if (UINT err = t->file->db->keyOf(t->meta.id, indexNumber, recordAddress, key))
      return err;
    if (!key.present)
      return ISAM_ERR_RECORD_NOT_FOUND;
    const bool descending = ((mode & ISAM_ITER_DESCENDING) != 0) != t->keys[indexNumber].reversed();
    UINT err = 0;
    store::Cursor *cursor = cursorFor(*t, indexNumber, descending, err);
    if (err)
      return err;
    if ((err = cursor->start(store::Bound{}, store::Bound{}, &key, recordAddress)))
      return err;
    t->iterating = true;
    t->iterIndex = indexNumber;
    t->cursor = cursor;
    return 0;
  });
}

UINT WINAPI ISAMReadNextRecord(HISAMTABLE table, UINT indexNumber, void *buffer,
                               DWORD *recordAddress, UINT reserved) {
  return guarded([&]() -> UINT {
    if (!buffer || !recordAddress || reserved != 0)
      return ISAM_ERR_PARAMETER;
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    if (indexNumber >= t->keys.size())
      return ISAM_ERR_INDEX_NUMBER;
    if (!t->iterating || t->iterIndex != indexNumber)
      return ISAM_ERR_NO_ITERATION;
    uint32_t address = 0;
    UINT err = t->cursor->next(buffer, t->meta.recordSize, address);
    if (!err)
      *recordAddress = address;
    return err;
  });
}

UINT WINAPI ISAMReadRecordByAddress(HISAMTABLE table, DWORD recordAddress, void *buffer, UINT size,
                                    UINT reserved) {
  return guarded([&]() -> UINT {
    if (!buffer || reserved != 0)
      return ISAM_ERR_PARAMETER;
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    if (size < t->meta.recordSize)
      return ISAM_ERR_BUFFER_TOO_SMALL;
    return t->file->db->read(t->meta.id, recordAddress, buffer, t->meta.recordSize);
  });
}

/* ---- Record writes and transactions ------------------------------------ */

UINT WINAPI ISAMInsertRecord(HISAMTABLE table, LPCVOID record, UINT size, DWORD *recordAddress) {
  return guarded([&]() -> UINT {
    if (!record || !recordAddress)
      return ISAM_ERR_PARAMETER;
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    if (t->file->db->readOnly())
      return ISAM_ERR_READ_ONLY;
    if (size < t->meta.recordSize)
      return ISAM_ERR_BUFFER_TOO_SMALL;
    std::vector<store::Key> keys;
    encodeRecordKeys(*t, record, keys);
    uint32_t address = 0;
    UINT err = t->file->db->insert(t->meta.id, record, t->meta.recordSize, keys, address);
    if (!err)
      *recordAddress = address;
    return err;
  });
}

UINT WINAPI ISAMUpdateRecord(HISAMTABLE table, DWORD recordAddress, LPCVOID record, UINT size) {
  return guarded([&]() -> UINT {
    if (!record)
      return ISAM_ERR_PARAMETER;
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    if (t->file->db->readOnly())
      return ISAM_ERR_READ_ONLY;
    if (size < t->meta.recordSize)
      return ISAM_ERR_BUFFER_TOO_SMALL;
    std::vector<store::Key> keys;
    encodeRecordKeys(*t, record, keys);
    return t->file->db->update(t->meta.id, recordAddress, record, t->meta.recordSize, keys);
  });
}

UINT WINAPI ISAMDeleteRecord(HISAMTABLE table, DWORD recordAddress) {
  return guarded([&]() -> UINT {
    TableObject *t = tableOf(table);
    if (!t)
      return ISAM_ERR_HANDLE;
    return t->file->db->remove(t->meta.id, recordAddress);
  });
}

UINT WINAPI ISAMBeginTransaction(HISAMFILE file) {
  return guarded([&]() -> UINT {
    FileObject *f = fileOf(file);
    return f ? f->db->begin() : ISAM_ERR_HANDLE;
  });
}

UINT WINAPI ISAMCommitTransaction(HISAMFILE file) {
  return guarded([&]() -> UINT {
    FileObject *f = fileOf(file);
    return f ? f->db->commit() : ISAM_ERR_HANDLE;
  });
}

UINT WINAPI ISAMRollbackTransaction(HISAMFILE file) {
  return guarded([&]() -> UINT {
    FileObject *f = fileOf(file);
    return f ? f->db->rollback() : ISAM_ERR_HANDLE;
  });
}

/* ---- Error box ----------------------------------------------------------- */

UINT WINAPI ISAMDispError(LPCVOID subject, LPCSTR functionName, UINT error, HWND owner) {
  return guarded([&]() -> UINT {
    const BoxWords &words = boxWords();
    const char *text = ISAMErrorText(error, words.language);
    std::string message = words.error + std::to_string(error);
    if (functionName)
      message += std::string(words.in) + functionName;
    message += ":\n";
    message += text ? text : words.unknown;
    const std::string file = subjectText(subject, words.closedHandle);
    if (!file.empty())
      message += std::string("\n\n") + words.file + file;
    return MessageBoxA(owner, message.c_str(), words.caption, MB_OK | MB_ICONEXCLAMATION)
               ? 0
               : ISAM_ERR_PARAMETER;
  });
}

/* ---- Key partition types ----------------------------------------------- */

UINT WINAPI ISAMGetKeyType(LPCSTR name) { return keyTypeCode(name); }

LPCSTR WINAPI ISAMKeyType(UINT code) { return keyTypeName(code); }
}
