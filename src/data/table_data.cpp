// The abstract table browser: binds a grid window to a table description
// and gives the grid one text column per field, in owner-data mode, so that
// a browser of any record source only has to serve the cells.
#include "frame/library.h"

#include <windows.h>

namespace {

constexpr char kTag[] = "CVQTableData";
// GS_OWNERDATA and the grid's style bit 0x0001, which browsing grids carry.
constexpr DWORD kBrowseStyle = 0x8001;

} // namespace

CVQTableData::~CVQTableData() {
  grid = nullptr;
  tableDesc = nullptr;
  selection = nullptr;
  gridWindow = nullptr;
}

int CVQTableData::InitTable(HWND window, UINT controlId) {
  grid = tableDesc ? const_cast<CVQTableDesc *>(tableDesc)->DispGridDataHeader(window, controlId)
                   : nullptr;
  if (!grid) {
    gridWindow = nullptr;
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on displaying the grid column headers.");
    return 0;
  }
  gridWindow = grid->GetWindow();
  grid->AddStyle(kBrowseStyle);
  return 1;
}
