// What the files of the file description share: its log tag, its message
// numbers and the engine steps every path ends with. Internal to vq_tbl32.
#ifndef VQ_TBL32_DESC_FILE_DESC_H
#define VQ_TBL32_DESC_FILE_DESC_H

#include "desc/table_desc.h"

namespace vqdesc {

constexpr char kFileTag[] = "CVQFileDesc";

// Numbered messages; their texts are in the resource modules.
enum : UINT {
  kMsgGridLine = 0,
  kMsgTableIndex = 1500,
  kMsgAppendTable = 1501,
  kMsgInsertTable = 1502,
  kMsgTablesMemory = 1510,
  kMsgAskNewConfig = 1520,
  kMsgNoConfig = 1521,
  kMsgAskReplace = 1522,
  kMsgDeleteFailed = 1523,
  kMsgNoTables = 1530,
  kMsgNoTableGrid = 1540,
  kMsgNoSource = 1550,
  kMsgSourceMissing = 1551,
  kMsgNoDestination = 1552,
  kMsgDestinationExists = 1553,
};

/// Closes an ISAM file opened or created at `path`; an engine error is
/// logged ("Error %u / %u on closing %s") and shown, and gives false.
bool CloseIsam(void *isamFile, const char *path);

/// Replaces the tables of `file` by those stored in the ISAM file at `path`,
/// opened read-only for the purpose and closed again; every failure is
/// logged and shown, and gives false.
bool ReadIsamTables(CVQFileDesc &file, const char *path);

} // namespace vqdesc

#endif
