// The file description shown in controls: its tables as the lines of a
// table list grid (name, fields, keys, record size, index node size) and
// as the entries of a combo box.
#include "desc/file_desc.h"

namespace {

using namespace vqdesc;

constexpr DWORD kListStyle = 0x19;
constexpr DWORD kStyleFlagBit = 0x02; // set by HeadTables' flag

constexpr SGridColDef kTableColumns[] = {
    {4, 0, 0, 1, 5200, 40, 5210}, {2, 0, 2, 1, 5201, 15, 5211}, {2, 0, 2, 1, 5202, 15, 5212},
    {2, 0, 2, 1, 5203, 15, 5213}, {4, 0, 2, 1, 5204, 15, 5214},
};

// One definition for every file description: HeadTables prepares the grid
// that the argument-less ListTables fills.
CGridDef tableList(&theLibrary, kNotFound, kTableColumns, 5, kListStyle);

template <typename Insert, typename Show>
BOOL ListLines(const CVQTableDescList &tables, Insert insert, Show show) {
  if (!tables.tables || tables.count == 0) {
    theLibrary.PrtLog(VQLOG_WARNING, kFileTag, "DispRecs: Table does not exist");
    return 0;
  }
  for (UINT i = 0; i < tables.count; ++i) {
    if (!insert(i)) {
      theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Cannot insert item %u into the grid control", i);
      theLibrary.ErrorBox(kMsgGridLine);
      return 0;
    }
    // DispDef only reads the table; it is not declared const.
    if (!show(const_cast<CVQTableDesc &>(tables.tables[i]), i)) {
      theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Cannot display item %u in the grid control", i);
      return 0;
    }
  }
  return 1;
}

} // namespace

BOOL CVQFileDesc::HeadTables(HWND dialog, UINT gridId, BOOL flag) const {
  HWND grid = dialog ? GetDlgItem(dialog, static_cast<int>(gridId)) : nullptr;
  if (!grid) {
    const DWORD error = GetLastError();
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag,
                      "HeadTables: Error %u on searching control %d in dialog.", error,
                      static_cast<int>(gridId));
    theLibrary.ErrorBox(kMsgNoTableGrid, static_cast<int>(gridId), error);
    return 0;
  }
  tableList.style = flag ? tableList.style | kStyleFlagBit : tableList.style & ~kStyleFlagBit;
  return tableList.DispColHeaders(grid, TRUE);
}

BOOL CVQFileDesc::ListTables() const {
  // The shared definition outlives the grid HeadTables gave it: once that
  // window is gone its interface is gone with it and must not be called.
  if (tableList.hGrid && !IsWindow(tableList.hGrid)) {
    tableList.hGrid = nullptr;
    tableList.pGrid = nullptr;
  }
  return ListTables(tableList);
}

BOOL CVQFileDesc::ListTables(CGridDef &grid) const {
  if (grid.pGrid) {
    grid.pGrid->DeleteAllItems(FALSE);
    grid.pGrid->DeleteAllItems(TRUE);
  }
  return ListLines(
      tables, [&](UINT i) { return grid.InsertItem(i, i); },
      [&](CVQTableDesc &t, UINT i) { return t.DispDef(grid, i); });
}

BOOL CVQFileDesc::ListTables(HWND window, UINT controlId) const {
  HWND grid = controlId == 0 || controlId == kNotFound
                  ? window
                  : GetDlgItem(window, static_cast<int>(controlId));
  IGridView *view = grid && IsWindow(grid)
                        ? reinterpret_cast<IGridView *>(SendMessageA(grid, WM_USER, 0, 0))
                        : nullptr;
  // A window that is no grid is refused like a grid without lines.
  if (!view) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Grid control %d not found for the table list.",
                      static_cast<int>(controlId));
    return 0;
  }
  view->DeleteAllItems(FALSE);
  view->DeleteAllItems(TRUE);
  return ListLines(
      tables, [&](UINT i) { return view->InsertItem(i, i, FALSE); },
      [&](CVQTableDesc &t, UINT i) { return t.DispDef(view, i); });
}

BOOL CVQFileDesc::FillTablesCombo(HWND window, UINT controlId, const char *selectName) const {
  return FillNameCombo(
      window, controlId, tables.tables, tables.tables ? tables.count : 0,
      [&](const CVQTableDesc &t) { return selectName && CmpTableName(selectName, &t) == 0; },
      "No table descriptions found to insert into the combo box.", kFileTag);
}

BOOL CVQFileDesc::GetCurrSelCombo(HWND window, UINT controlId, char *buffer) const {
  return GetComboSelection(window, controlId, buffer, sizeof(CVQTableDesc::name), kFileTag);
}
