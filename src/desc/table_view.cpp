// A table description shown in controls: its line in a list of tables,
// its key parts as lines of a key grid, one field's properties, the
// column headers of a grid that shows the table's records, and combo
// boxes of its field names.
#include "desc/table_desc.h"

namespace {

using namespace vqdesc;

constexpr BYTE kKeyColumnFlags = GCF_SORTHADMARK; // a sort mark can be set, none is active

} // namespace

BOOL CVQTableDesc::DispDef(CGridDef &grid, UINT line) {
  return grid.pGrid ? DispDef(grid.pGrid, line) : 1;
}

BOOL CVQTableDesc::DispDef(IGridView *view, UINT line) {
  if (!view)
    return 1;
  view->SetItemText(line, 0, BoundedText(name).text);
  view->SetItemUInt(line, 1, fields.fields ? fields.count : 0);
  view->SetItemUInt(line, 2, keys.keys ? keys.count : 0);
  view->SetItemUInt(line, 3, fields.GetRecSize());
  view->SetItemUInt(line, 4, indexNodeSize);
  return 1;
}

BOOL CVQTableDesc::DispFieldProperties(CGridDef &grid, UINT field) {
  if (!fields.fields || field >= fields.count) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag,
                      "Data field definition %d not found in table description.",
                      static_cast<int>(field));
    return 0;
  }
  return fields.fields[field].DispDef(grid, field);
}

BOOL CVQTableDesc::ListKeys(CGridDef &grid) const {
  if (grid.pGrid)
    grid.pGrid->DeleteAllItems(TRUE);
  UINT line = 0;
  for (UINT k = 0; keys.keys && k < keys.count; ++k) {
    const CVQKeyDesc &key = keys.keys[k];
    // A key filled by hand may claim more parts than it holds; it shows
    // the parts it has.
    const UINT parts =
        key.partCount < CVQKeyDesc::kMaxParts ? key.partCount : CVQKeyDesc::kMaxParts;
    const UINT first = line;
    for (UINT i = 0; i < parts; ++i, ++line)
      if (!grid.InsertItem(line, line)) {
        theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Cannot insert item %u into the grid control.",
                          k);
        theLibrary.ErrorBox(kMsgKeyLine);
        return 0;
      }
    if (parts != 0 && !key.DispDef(grid, k, first)) {
      theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Cannot display item %u in the grid control.", k);
      theLibrary.ErrorBox(kMsgKeyDisp);
      return 0;
    }
  }
  return 1;
}

IGridView *CVQTableDesc::DispGridDataHeader(HWND window, UINT controlId) {
  HWND grid = window;
  if (controlId == kNotFound) {
    if (!IsWindow(window)) {
      const DWORD error = GetLastError();
      theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error %u on IsWindow( 0x%X )", UINT(error),
                        UINT(reinterpret_cast<UINT_PTR>(window)));
      theLibrary.ErrorBox(kMsgNoGridWindow, UINT(error));
      return nullptr;
    }
  } else {
    grid = GetDlgItem(window, static_cast<int>(controlId));
    if (!grid) {
      const DWORD error = GetLastError();
      theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error %u on IsWindow( 0x%X )", UINT(error),
                        UINT(reinterpret_cast<UINT_PTR>(window)));
      theLibrary.ErrorBox(kMsgNoGridControl, controlId, UINT(error));
      return nullptr;
    }
  }
  IGridView *view = reinterpret_cast<IGridView *>(SendMessageA(grid, GM_GETINTERFACE, 0, 0));
  if (!view) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Cannot inquire the grid class instance.");
    theLibrary.ErrorBox(kMsgNoGrid);
    return nullptr;
  }
  if (!fields.fields || fields.count == 0) {
    theLibrary.ErrorBox(kMsgNoColumns, BoundedText(name).text);
    return nullptr;
  }
  view->DeleteAllItems(FALSE);
  view->SetColumnCount(fields.count, FALSE);
  for (UINT c = 0; c < fields.count; ++c) {
    const CVQFieldDesc &f = fields.fields[c];
    const BYTE justify = static_cast<BYTE>(f.dispJustType);
    if (f.dispWidth != 0)
      view->SetColumnHeader(c, f.dispWidth, justify, BoundedText(f.name).text, FALSE);
    else
      view->SetColumnHeader(c, 0, justify, "", FALSE);
    const UINT id = controlId == kNotFound ? c : controlId + 1 + c;
    view->SetColumnType(c, GCK_TEXT, id, FindKeyToFieldIndex(c) != kNotFound ? kKeyColumnFlags : 0);
  }
  InvalidateRect(grid, nullptr, TRUE);
  return view;
}

BOOL CVQTableDesc::FillFieldsCombo(HWND window, UINT controlId, const char *selectName) const {
  return FillNameCombo(
      window, controlId, fields.fields, fields.fields ? fields.count : 0,
      [&](const CVQFieldDesc &f) { return selectName && CmpFieldName(selectName, &f) == 0; },
      "No Field descriptions found to insert into the combo box.", kTableTag);
}

BOOL CVQTableDesc::GetCurrSelCombo(HWND window, UINT controlId, char *buffer) const {
  return GetComboSelection(window, controlId, buffer, sizeof(CVQFieldDesc::name), kTableTag);
}
