// CGridDesc: grid columns described by "SortColumn:" and "GridColumn:"
// lines of a configuration file block, read, written back and put into a
// grid window. Hosts let users shape their grids this way; the library's
// own grids use CGridDef.
//
// A GridColumn line reads
//   kind, flags, justify, spare, width, backEven, text, backOdd, text2,
//   "joker", "header"
// with the colours as 0xRRGGBB; numbers missing at the end take defaults.
#include "grid/grid_attach.h"

#include "frame/library.h"

#include <cstdio>
#include <new>

namespace {

// Numbered messages; their texts are in the resource modules.
enum : UINT {
  kMsgNoControl = 1000,
  kMsgNoGrid = 1001,
  kMsgInsert = 1010,
  kMsgSetRes = 1011,
  kMsgBadLine = 1020,
  kMsgNoJoker = 1021,
  kMsgNoHeader = 1022,
  kMsgNoColumns = 1030,
  kMsgNoMemory = 1031,
};

using vq::grid::AttachGrid;
using vq::grid::DoubleQuotes;
using vq::grid::LoadResText;

constexpr char kTag[] = "CGridDesc";
constexpr char kColumnKey[] = "GRIDCOLUMN";
constexpr UINT kNumbers = 9;
constexpr COLORREF kWhite = 0xFFFFFF;

constexpr vq::grid::AttachTexts kAttach = {kTag, "Control id %d not found",
                                           "Cannot inquire the grid control instance pointer",
                                           kMsgNoControl, kMsgNoGrid};

// The file writes red in the high byte, COLORREF holds it in the low one;
// the exchange is its own inverse.
constexpr DWORD SwapRedBlue(DWORD colour) {
  return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

SGridColDesc *AllocColumns(UINT count) {
  try {
    return new (std::nothrow) SGridColDesc[count]();
  } catch (...) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on allocating %u records of a table", count);
    return nullptr;
  }
}

// One GridColumn line, the next of the running sequence, into `col`.
BOOL ParseColumn(CVQConfFile &config, UINT index, UINT ctrlId, SGridColDesc &col) {
  UINT num[kNumbers] = {};
  UINT n = 0, jokerLength = 0, headerLength = 0;
  UINT rc = config.GetWords2Text(kColumnKey, num, kNumbers, &n, col.joker, sizeof col.joker,
                                 &jokerLength, col.header, sizeof col.header, &headerLength);
  // The first four numbers fill bytes: a larger one would be cut silently
  // to another kind or flag set, so it counts as a number the line cannot
  // hold, like one beyond 32 bits.
  for (UINT k = 0; rc == VQCF_OK && k < 4 && k < n; ++k)
    if (num[k] > 0xFF)
      rc = VQCF_BAD_NUMBER;
  if (rc != VQCF_OK) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u on parsing keyword %s(%u)", rc, kColumnKey,
                      index);
    theLibrary.ErrorBox(kMsgBadLine, kColumnKey, index);
    return FALSE;
  }
  if (jokerLength == 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Joker name ist empty in grid column %s(%u)", kColumnKey,
                      index);
    theLibrary.ErrorBox(kMsgNoJoker, kColumnKey, index);
    return FALSE;
  }
  if (headerLength == 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Header text is empty in grid column %s(%u)", kColumnKey,
                      index);
    theLibrary.ErrorBox(kMsgNoHeader, kColumnKey, index);
    return FALSE;
  }
  // Numbers beyond n are unset; the zero-initialised array gives their 0.
  col.kind = static_cast<BYTE>(num[0]);
  col.flags = static_cast<BYTE>(num[1]);
  col.justify = static_cast<BYTE>(num[2]);
  col.spare = static_cast<BYTE>(num[3]);
  col.width = num[4];
  // The line has no place for a command id. The grid's own id keeps every
  // notification of the grid under one id in the parent's WM_COMMAND
  // switch and can never pass for IDOK or IDCANCEL the way a column index
  // would; the column is in the notification's line or GetCurColumn.
  col.id = ctrlId == ~0u ? 0 : LOWORD(ctrlId);
  col.headerString = ~0u;
  const bool back = col.flags & GCF_BACKCOLORS, text = col.flags & GCF_TEXTCOLOR;
  col.backEven = back && n > 5 ? SwapRedBlue(num[5]) : kWhite;
  col.text = text && n > 6 ? SwapRedBlue(num[6]) : 0;
  col.backOdd = back && n > 7 ? SwapRedBlue(num[7]) : kWhite;
  col.text2 = text && n > 8 ? SwapRedBlue(num[8]) : 0;
  return TRUE;
}

} // namespace

CGridDesc::CGridDesc(CVQLibrary *library, UINT controlId, UINT, DWORD gridStyle)
    : hGrid(nullptr), ctrlId(controlId), style(gridStyle), sortColumn1(0), sortColumn2(0),
      pLib(library), pGrid(nullptr), colCount(0), colAlloc(0), colDescs(nullptr) {}

CGridDesc::~CGridDesc() { FreeDesc(); }

void CGridDesc::FreeDesc() {
  delete[] colDescs;
  colDescs = nullptr;
  colCount = 0;
  colAlloc = 0;
}

BOOL CGridDesc::ParseDesc(CVQConfFile &config, const char *) {
  UINT sort[2] = {0, 0};
  UINT n = 0;
  if (config.GetWords("SORTCOLUMN", sort, 2, &n) != VQCF_OK)
    n = 0;
  sortColumn1 = n > 0 ? sort[0] : 0;
  sortColumn2 = n > 1 ? sort[1] : 0;

  FreeDesc();
  const UINT count = config.GetKeyCount(kColumnKey);
  if (count == 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "No keywords \"%s\" found in configuration file %s",
                      kColumnKey, config.GetFileName());
    theLibrary.ErrorBox(kMsgNoColumns, kColumnKey);
    return FALSE;
  }
  colDescs = AllocColumns(count);
  if (!colDescs) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory to allocate %u table records",
                      count);
    theLibrary.ErrorBox(kMsgNoMemory, count);
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "ReadLines: Cannot create a new record table");
    return FALSE;
  }
  colAlloc = count;
  colCount = 0;
  config.BeginSequence();
  for (UINT i = 0; i < count; ++i) {
    if (!ParseColumn(config, i, ctrlId, colDescs[i])) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on reading an object definition");
      config.EndSequence();
      FreeDesc();
      return FALSE;
    }
  }
  config.EndSequence();
  colCount = count;
  return TRUE;
}

BOOL CGridDesc::EditDesc(CVQConfFile &config, const char *name) const {
  const bool block = name && *name;
  if (block)
    config.EditDataLine(name, "", nullptr);
  char line[512];
  std::snprintf(line, sizeof line, "%u, %u", sortColumn1, sortColumn2);
  config.EditDataLine("SortColumn:", line, nullptr);
  if (colCount > 0 && colDescs) {
    config.EditComment(nullptr);
    for (UINT i = 0; i < colCount; ++i) {
      const SGridColDesc &col = colDescs[i];
      const bool back = col.flags & GCF_BACKCOLORS, text = col.flags & GCF_TEXTCOLOR;
      char joker[2 * sizeof col.joker + 1], header[2 * sizeof col.header + 1];
      DoubleQuotes(joker, col.joker, sizeof col.joker);
      DoubleQuotes(header, col.header, sizeof col.header);
      std::snprintf(line, sizeof line,
                    "%u, 0x%02X, %u, %u, %2u, 0x%06X, 0x%06X, 0x%06X, 0x%06X, \"%s\", \"%s\"",
                    col.kind, col.flags, col.justify, col.spare, col.width,
                    back ? SwapRedBlue(col.backEven) : 0, text ? SwapRedBlue(col.text) : 0,
                    back ? SwapRedBlue(col.backOdd) : 0, text ? SwapRedBlue(col.text2) : 0, joker,
                    header);
      if (!config.EditDataLine("GridColumn:", line, nullptr)) {
        theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot write item %u in the listview", i);
        break;
      }
    }
  }
  if (block)
    config.EditDataLine(name, "END", nullptr);
  return TRUE;
}

BOOL CGridDesc::DispColHeaders(HWND window, BOOL clear) {
  if (!AttachGrid(window, ctrlId, kAttach, &hGrid, &pGrid))
    return FALSE;
  if (clear)
    pGrid->DeleteAllItems(FALSE);
  pGrid->SetStyle(style);
  pGrid->SetColumnCount(colCount, FALSE);
  for (UINT i = 0; colDescs && i < colCount; ++i) {
    const SGridColDesc &col = colDescs[i];
    pGrid->SetColumnHeader(i, col.width, col.justify, col.header, FALSE);
    pGrid->SetColumnType(i, col.kind, col.id, col.flags);
    if (col.flags & (GCF_BACKCOLORS | GCF_TEXTCOLOR))
      pGrid->SetColumnColors4(i, col.backEven, col.backOdd, col.text, col.text2, FALSE);
  }
  InvalidateRect(hGrid, nullptr, TRUE);
  return TRUE;
}

BOOL CGridDesc::InsertItem(UINT line, UINT lineData) {
  if (!pGrid) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "InsertItem(%u): NULL-pointer in pGrid", line);
    theLibrary.ErrorBox(kMsgInsert, line);
    return FALSE;
  }
  return pGrid->InsertItem(line, lineData, FALSE);
}

BOOL CGridDesc::SetItemRes(UINT line, UINT column, UINT stringNumber) const {
  if (!pGrid || !pLib) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "SetItemRes(%u,%u): NULL-pointer in pGrid or pLib found",
                      line, column);
    theLibrary.ErrorBox(kMsgSetRes, line, column);
    return FALSE;
  }
  char text[256];
  LoadResText(pLib, stringNumber, text, sizeof text);
  return pGrid->SetItemText(line, column, text);
}
