// The table description inside an ISAM file: creating the table from the
// description and storing the text of its TABLE block with it, and
// reading a table's name, index node size and stored block back.
//
// The stored text is exactly what a configuration file would hold for the
// table alone, header included, so any reader of configuration files can
// read it. The engine's index node size always wins over the text's.
#include "desc/table_desc.h"

#include <vq_isa32.h>

#include <memory>
#include <new>

namespace {

using namespace vqdesc;

// The editor's layout of stored descriptions; what the numbers mean is the
// editor's.
constexpr UINT kEditLayout[6] = {65536, 8, 32, 24, 80, 104};

struct IdtRelease {
  const CVQKeyDescList *keys;
  void operator()(ISAMIDT *idt) const { keys->FreeIDT(idt); }
};

// The engine's error for step `function`, logged and shown; 0 for none.
bool EngineFailed(void *file, UINT e, const char *function, const char *format, const char *name) {
  if (e == 0)
    return false;
  theLibrary.PrtLog(VQLOG_ERROR, kTableTag, format, e, name);
  ISAMDispError(file, function, e, nullptr);
  return true;
}

bool WriteStoredText(const CVQTableDesc &table, CVQConfFile &editor) {
  const UINT *l = kEditLayout;
  if (!editor.StartEdit(l[0], l[1], l[2], l[3], l[4], l[5])) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error on start editing the table description.");
    return false;
  }
  editor.EditHdDelLine();
  editor.EditHdEmptyLine();
  editor.EditHdParamLine(0, "ISAM File Description");
  editor.EditHdParamLine(2, BoundedText(table.name).text);
  editor.EditHdEmptyLine();
  editor.EditHdDelLine();
  editor.EditHdEmptyLine();
  editor.EditHdParamLine(3, "Table description stored with the table");
  editor.EditHdParamLine(4, "Tablora: ISAM file manager");
  editor.EditHdEmptyLine();
  editor.EditHdParamLine(5, nullptr); // the date and time of writing
  editor.EditHdParamLine(6, "");
  editor.EditHdEmptyLine();
  editor.EditHdDelLine();
  editor.EditComment();
  if (!table.WriteDef(editor, "Table:")) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error on editing the table description.");
    return false;
  }
  return true;
}

} // namespace

BOOL CVQTableDesc::CreateISAMTable(void *isamFile) const {
  const BoundedText tableName(name);
  const char *n = tableName.text;
  std::unique_ptr<ISAMIDT, IdtRelease> idt(keys.CreateIDT(fields), IdtRelease{&keys});
  if (!idt) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Cannot create an IDT for table %s", n);
    return 0;
  }
  CVQConfFile editor; // its text is released with it on every path
  if (!WriteStoredText(*this, editor))
    return 0;
  UINT e = ISAMCreateTable(isamFile, n, idt.get(), keys.count, fields.GetRecSize(), indexNodeSize);
  if (EngineFailed(isamFile, e, "ISAMCreateTable", "Error %u on creating table %s", n))
    return 0;
  HISAMTABLE table = nullptr;
  e = ISAMOpenTable(isamFile, n, &table);
  if (EngineFailed(isamFile, e, "ISAMOpenTable", "Error %u on opening isam table %s", n))
    return 0;
  BOOL result = 1;
  e = ISAMWriteTableDesc(table, 0, editor.GetEditText(), editor.GetEditLength());
  if (EngineFailed(isamFile, e, "ISAMWriteTableDesc", "Error %u on ISAMWriteTableDesc of %s", n))
    result = 0;
  e = ISAMCloseTable(table);
  if (EngineFailed(isamFile, e, "ISAMCloseTable", "Error %u on closing isam table %s", n))
    result = 0;
  return result;
}

namespace {

// Steps 3 to 8 of reading a stored description from the open table.
BOOL ReadOpenTable(CVQTableDesc &desc, void *isamFile, HISAMTABLE table, UINT tableNumber) {
  const char *name = desc.name;
  UINT engineNodeSize = 0;
  UINT e = ISAMGetIndexRecSize(table, &engineNodeSize);
  if (EngineFailed(isamFile, e, "ISAMGetIndexRecSize", "Error %u on ISAMGetIndexRecSize( %s )",
                   name))
    return 0;
  desc.indexNodeSize = engineNodeSize;
  UINT size = 0;
  e = ISAMGetTableDescSize(table, 0, &size);
  if (EngineFailed(isamFile, e, "ISAMGetTableDescSize", "Error %u on ISAMGetTableDescSize( %s )",
                   name))
    return 0;
  if (size == 0) {
    theLibrary.PrtLog(VQLOG_WARNING, kTableTag, "Table %s contains no record description.", name);
    return 1;
  }
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
  if (!buffer) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag,
                      "Not enough free memory for an isam table description.");
    theLibrary.ErrorBox(kMsgDescMemory);
    return 0;
  }
  UINT read = 0;
  e = ISAMReadTableDesc(table, 0, buffer.get(), size, &read);
  if (EngineFailed(isamFile, e, "ISAMReadTableDesc", "Error %u on ISAMReadTableDesc( %s )", name))
    return 0;
  // The text names the table itself; the engine's name is the one the
  // failure reports.
  char engineName[sizeof desc.name];
  std::memcpy(engineName, desc.name, sizeof engineName);
  CVQConfFile reader;
  if (!reader.ReadIt(buffer.get(), read < size ? read : size) ||
      !desc.ReadDef(reader, "TABLE", tableNumber)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error on reading the definition of table %s.",
                      engineName);
    return 0;
  }
  desc.indexNodeSize = engineNodeSize;
  return 1;
}

} // namespace

BOOL CVQTableDesc::ReadDesc(void *isamFile, UINT tableNumber) {
  UINT e = ISAMGetTableName(isamFile, tableNumber, name, sizeof name);
  if (e != 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error %u on ISAMGetTableName( %u )", e, tableNumber);
    ISAMDispError(isamFile, "ISAMGetTableName", e, nullptr);
    return 0;
  }
  HISAMTABLE table = nullptr;
  e = ISAMOpenTable(isamFile, name, &table);
  if (EngineFailed(isamFile, e, "ISAMOpenTable", "Error %u on ISAMOpenTable( %s )", name))
    return 0;
  BOOL result = ReadOpenTable(*this, isamFile, table, tableNumber);
  e = ISAMCloseTable(table);
  if (EngineFailed(isamFile, e, "ISAMCloseTable", "Error %u on ISAMCloseTable( %s )",
                   BoundedText(name).text))
    result = 0;
  return result;
}
