// The file description: which kind of file a path names, its tables read
// from the descriptions stored in an ISAM file or from the TABLE blocks of a
// configuration file, the configuration file written back, the check of
// every table, and the table list's editing.
//
// A configuration path that does not exist is a new description. Where the
// user is asked whether to start one (message 1520), answering no cancels:
// the description stays empty and the call fails, so a host never goes on
// to write a file the user declined.
#include "desc/file_desc.h"

#include <vq_isa32.h>

#include <cstring>
#include <string>

namespace {

using namespace vqdesc;

constexpr UINT kAppendStep = 4;
constexpr UINT kSignatureBytes = 16;
constexpr UINT kPathChars = sizeof(CVQFileDesc::fileName) - 1;

enum : UINT { kTypeNewConfig = 0, kTypeNone = 1, kTypeIsam = 2, kTypeOther = 3 };

// The extension begins at the last full stop behind the last separator;
// ".CFG" only has to begin it (".cfg1" counts too).
bool HasConfigExtension(const char *path) {
  const UINT dot = ExtensionOffset(path);
  return dot != kNotFound && lstrcmpiA(std::string(path + dot).substr(0, 4).c_str(), ".CFG") == 0;
}

// The first table named `name`, or NULL after the log line naming `caller`.
const CVQTableDesc *FindTable(const CVQFileDesc &file, const char *name, const char *caller) {
  const char *shown = name ? name : "";
  const CVQTableDescList &tables = file.tables;
  if (!tables.tables || tables.count == 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "No tables exist on call of %s( %s )", caller, shown);
    return nullptr;
  }
  const UINT i = file.FindTableName(name);
  if (i == kNotFound) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Table %s not found on call of %s.", shown, caller);
    return nullptr;
  }
  return &tables.tables[i];
}

// Bytes 0-3 zero, 8-9 FF FF, 12-15 "ISAM"; the others are the engine's.
bool IsIsamSignature(const BYTE *b) {
  return b[0] == 0 && b[1] == 0 && b[2] == 0 && b[3] == 0 && b[8] == 0xFF && b[9] == 0xFF &&
         std::memcmp(b + 12, "ISAM", 4) == 0;
}

} // namespace

CVQFileDesc::CVQFileDesc(const CVQFileDesc &other)
    : isIsamFile(other.isIsamFile), isReadOnly(other.isReadOnly), isNewConfig(other.isNewConfig),
      curTable(other.curTable) {
  std::memcpy(fileName, other.fileName, sizeof fileName);
  CopyRecords(tables, other.tables, &CVQTableDescList::tables, kFileTag);
}

CVQFileDesc &CVQFileDesc::operator=(const CVQFileDesc &other) {
  if (this == &other)
    return *this;
  // The tables first: when their copy throws, this description is whole.
  CopyRecords(tables, other.tables, &CVQTableDescList::tables, kFileTag);
  isIsamFile = other.isIsamFile;
  isReadOnly = other.isReadOnly;
  isNewConfig = other.isNewConfig;
  curTable = other.curTable;
  std::memcpy(fileName, other.fileName, sizeof fileName);
  return *this;
}

void CVQFileDesc::Free() { tables.Free(); }

UINT CVQFileDesc::TestFileType(const char *path) {
  isIsamFile = isReadOnly = isNewConfig = 0;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (!HasConfigExtension(path))
      return kTypeNone;
    isNewConfig = 1;
    return kTypeNewConfig;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    return kTypeNone;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Error %u on opening %s", GetLastError(), path);
    return kTypeNone;
  }
  BYTE head[kSignatureBytes] = {};
  DWORD read = 0;
  const BOOL readOk = ReadFile(file, head, sizeof head, &read, nullptr);
  const DWORD readError = GetLastError();
  CloseHandle(file);
  if (!readOk) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Error %u on reading %s", readError, path);
    return kTypeNone;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY)
    isReadOnly = 1;
  if (read == sizeof head && IsIsamSignature(head)) {
    isIsamFile = 1;
    return kTypeIsam;
  }
  return kTypeOther;
}

BOOL CVQFileDesc::InitDescEdit(HWND, const char *path, BOOL allowNew) {
  Free();
  if (!path || !*path || std::strlen(path) > kPathChars) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Missing, empty or too long file name.");
    isIsamFile = isReadOnly = isNewConfig = 0;
    return 0;
  }
  switch (TestFileType(path)) {
  case kTypeNone:
    return 0;
  case kTypeNewConfig:
    if (!allowNew) {
      theLibrary.ErrorBox(kMsgNoConfig, path);
      return 0;
    }
    if (theLibrary.AskBox(kMsgAskNewConfig, path) != IDYES) {
      theLibrary.PrtLog(VQLOG_TRACE, kFileTag, "User canceled the new configuration file %s", path);
      return 0;
    }
    break;
  case kTypeIsam:
    if (!ReadIsamTables(*this, path))
      return 0;
    break;
  default: {
    CVQConfFile conf;
    if (!conf.Read(path, 1, 1)) {
      isNewConfig = 1;
      break;
    }
    // A block that does not read empties the list; the file still opens,
    // so that the host can show what was wrong and the user can fix it.
    if (!ReadBlocks(conf, "TABLE", tables, &CVQTableDescList::tables, kFileTag))
      tables.Free();
    break;
  }
  }
  CopyName(fileName, sizeof fileName, path);
  return 1;
}

bool vqdesc::ReadIsamTables(CVQFileDesc &file, const char *path) {
  HISAMFILE isam = nullptr;
  UINT detail = 0;
  if (const UINT e = ISAMOpen(&isam, path, ISAM_MODE_READ, &detail)) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Error %u / %u on opening %s", e, detail, path);
    ISAMDispError(path, "ISAMOpen", e, nullptr);
    return false;
  }
  if (!file.InitTableDescs(isam)) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Error on reading table descriptions of %s", path);
    ISAMClose(isam, &detail);
    return false;
  }
  return CloseIsam(isam, path);
}

BOOL CVQFileDesc::InitTableDescs(void *isamFile) {
  Free();
  UINT n = 0;
  if (const UINT e = ISAMGetTableCount(static_cast<HISAMFILE>(isamFile), &n)) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Error %u on ISAMGetTableCount( %s )", e, fileName);
    ISAMDispError(isamFile, "ISAMGetTableCount", e, nullptr);
    return 1;
  }
  if (n == 0) {
    theLibrary.PrtLog(VQLOG_WARNING, kFileTag,
                      "InitTableDescs: No data tables found in the isam file.");
    return 1;
  }
  CVQTableDesc *records = AllocRecords<CVQTableDesc>(n, kFileTag);
  if (!records) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "AllocRecords: Cannot allocate new data records");
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Cannot allocate %u new table description records.",
                      n);
    theLibrary.ErrorBox(kMsgTablesMemory);
    return 0;
  }
  tables.tables = records;
  tables.capacity = n;
  for (UINT i = 0; i < n; ++i) {
    if (!records[i].ReadDesc(isamFile, i)) {
      theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Error on read the description of table %u.", i);
      return 0; // the tables read so far stay
    }
    tables.count = i + 1;
  }
  return 1;
}

BOOL CVQFileDesc::WriteDesc() const {
  if (isIsamFile || isReadOnly)
    return 1;
  CVQConfFile conf;
  if (!StartDescription(conf, "Data File Description", nullptr,
                        "Tables, fields, keys and galleries of an ISAM data file",
                        "vq_tbl32: data table description manager"))
    return 0;
  for (UINT i = 0; tables.tables && i < tables.count; ++i)
    if (!tables.tables[i].WriteDef(conf, "Table:"))
      return 0;
  return conf.WriteEdit(fileName, 1);
}

BOOL CVQFileDesc::VerifyDesc(UINT *badTable) const {
  if (!tables.tables || tables.count == 0) {
    theLibrary.ErrorBox(kMsgNoTables);
    if (badTable)
      *badTable = kNotFound;
    return 0;
  }
  for (UINT i = 0; i < tables.count; ++i)
    if (!tables.tables[i].VerifyTable()) {
      if (badTable)
        *badTable = i;
      return 0;
    }
  return 1;
}

BOOL CVQFileDesc::OpenISAMFile(HWND, const char *) { return 0; }

BOOL CVQFileDesc::InsertTable(const char *name, UINT *position) {
  if (!position)
    return 0;
  CVQTableDesc table;
  CopyName(table.name, sizeof table.name, name);
  const UINT p = *position, n = tables.tables ? tables.count : 0;
  switch (InsertNamed(
      tables, &CVQTableDescList::tables, table, position, kAppendStep,
      [&](const CVQTableDesc &t) { return CmpTableName(name, &t) == 0; }, kFileTag)) {
  case Inserted::NoRoomAtEnd:
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Cannot append a new table item.");
    theLibrary.ErrorBox(kMsgAppendTable);
    return 0;
  case Inserted::NoRoomInside:
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Cannot insert new table item %u of %u", p, n);
    theLibrary.ErrorBox(kMsgInsertTable, p);
    return 0;
  default:
    return 1;
  }
}

BOOL CVQFileDesc::DeleteTable(UINT table) {
  if (!tables.tables || table >= tables.count)
    return 0;
  MoveRecord(tables.tables, table, tables.count - 1);
  // The last record goes back to a fresh description, which frees its lists.
  tables.tables[tables.count - 1] = CVQTableDesc();
  --tables.count;
  return 1;
}

BOOL CVQFileDesc::SetTableName(UINT table, const char *name) {
  if (!tables.tables || table >= tables.count) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Cannot access table %u of %u", table,
                      tables.tables ? tables.count : 0);
    theLibrary.ErrorBox(kMsgTableIndex);
    return 0;
  }
  CopyName(tables.tables[table].name, sizeof tables.tables[table].name, name);
  return 1;
}

UINT CVQFileDesc::FindTableName(const char *name) const {
  for (UINT i = 0; name && tables.tables && i < tables.count; ++i)
    if (CmpTableName(name, &tables.tables[i]) == 0)
      return i;
  return kNotFound;
}

CVQTableDesc *CVQFileDesc::GetTableItem(const char *name) {
  return const_cast<CVQTableDesc *>(FindTable(*this, name, "GetTableItem"));
}

const CVQTableDesc *CVQFileDesc::GetCTableItem(const char *name) const {
  return FindTable(*this, name, "GetCTableItem");
}

int CmpTableName(const void *name, const CVQTableDesc *table) {
  return CompareName(static_cast<const char *>(name), table ? table->name : nullptr,
                     sizeof(CVQTableDesc::name));
}
