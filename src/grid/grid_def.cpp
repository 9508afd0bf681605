// CGridDef: a program's constant column table put into a grid window. The
// descriptions of fields, keys, tables and files fill their grids through
// it; header texts are resource strings, so they follow the language.
#include "grid/grid_attach.h"

#include "frame/library.h"

namespace {

// Numbered messages; their texts are in the resource modules.
enum : UINT {
  kMsgNoControl = 900,
  kMsgNoGrid = 901,
  kMsgInsert = 910,
  kMsgDelete = 911,
  kMsgSetRes = 920,
};

using vq::grid::AttachGrid;
using vq::grid::LoadResText;

constexpr char kTag[] = "CGridDef";

constexpr vq::grid::AttachTexts kAttach = {kTag, "Control id %d not found.",
                                           "Cannot inquire the grid control instance pointer.",
                                           kMsgNoControl, kMsgNoGrid};

} // namespace

BOOL CGridDef::DispColHeaders(HWND window, BOOL clear) {
  if (!AttachGrid(window, ctrlId, kAttach, &hGrid, &pGrid))
    return FALSE;
  // Lines hold one item per column they were made with, so a grid whose
  // columns may grow is cleared first by the callers that rebuild it.
  if (clear)
    pGrid->DeleteAllItems(FALSE);
  pGrid->SetStyle(style);
  pGrid->SetColumnCount(colCount, FALSE);
  char text[128];
  for (UINT i = 0; colDefs && i < colCount; ++i) {
    const SGridColDef &col = colDefs[i];
    LoadResText(pLib, col.headerString, text, sizeof text);
    pGrid->SetColumnHeader(i, col.width, col.justify, text, FALSE);
    pGrid->SetColumnType(i, col.kind, col.id, col.flags);
  }
  InvalidateRect(hGrid, nullptr, TRUE);
  return TRUE;
}

BOOL CGridDef::InsertItem(UINT line, UINT lineData) {
  if (!pGrid) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot insert item %u into grid: pGrid = NULL.", line);
    theLibrary.ErrorBox(kMsgInsert, line);
    return FALSE;
  }
  return pGrid->InsertItem(line, lineData, FALSE);
}

BOOL CGridDef::DeleteItem(UINT line, BOOL redraw) {
  if (!pGrid) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot delete item %u in grid: pGrid = NULL.", line);
    theLibrary.ErrorBox(kMsgDelete, line);
    return FALSE;
  }
  return pGrid->DeleteItem(line, redraw);
}

BOOL CGridDef::SetItemRes(UINT line, UINT column, UINT stringNumber) const {
  if (!pGrid || !pLib) {
    theLibrary.ErrorBox(kMsgSetRes, line, column);
    return FALSE;
  }
  char text[256];
  LoadResText(pLib, stringNumber, text, sizeof text);
  return pGrid->SetItemText(line, column, text);
}
