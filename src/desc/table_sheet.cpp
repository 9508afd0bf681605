// The property sheet of a table description: up to three pages, the
// fields (one grid line per field, one column per attribute), the keys
// (one grid line per key part) and the gallery (settings and image file
// name templates). Every edit changes the description at once and tells
// the sheet (PSM_CHANGED); OK and Apply only close or acknowledge, and
// Cancel undoes nothing. Templates, captions and headers come from the
// resource module.
//
// The grids report as WM_COMMAND: the column's (or the grid's) id in the
// low word, the notification in the high word and the line in lParam.
// Buttons report BN_CLICKED (0), a code no grid notification uses.
//
// A field inserted on the fields page is walked through its columns:
// every column handled on that line opens the next column's editor, until
// the display width is given or another line is edited.
//
// The sheet is modal and one at a time, so its state is kept once.
#include "desc/table_desc.h"
#include "desc/type_options.h"

#include <commctrl.h>
#include <vq_isa32.h>

#include <cstdio>
#include <cstring>

namespace {

using namespace vqdesc;

constexpr char kTag[] = "CVQTableDescDlg";

enum Page : UINT { kFieldsPage, kKeysPage, kGalleryPage, kPages };

enum : int {
  kLayout = 5362,
  kDiaMode = 5363,
  kAppend = 5372,
  kInsert = 5373,
  kDelete = 5374,
  kPrint = 5375,
  kName = 5390,
  kWidth = 5391,
  kRecSize = 5392,
  kDiaWidth = 5393,
  kDiaHeight = 5394,
};
enum : UINT {
  kFieldGrid = 5300,
  kKeyGrid = 5320,
  kImageGrid = 5340,
  kSheetCaption = 2710,
  kMsgSheet = 1701,
  kMsgDeleteField = 1710,
  kMsgDeleteLine = 1711,
  kMsgDeleteEntry = 1712,
  kMsgPartCount = 1713,
};
constexpr UINT kPageTemplate[kPages] = {5300, 5310, 5320};
constexpr UINT kPageTitle[kPages] = {2711, 2712, 2713};
constexpr DWORD kGridStyle = 0x19;
constexpr UINT kTextSize = 128, kImageSize = 512;

const SGridColDef kFieldColumns[] = {
    {0, 0, 2, 1, 5301, 5, 2720}, {4, 0, 0, 1, 5302, 19, 2721}, {5, 0, 0, 1, 5303, 9, 2722},
    {4, 0, 2, 1, 5304, 6, 2723}, {4, 0, 2, 1, 5305, 7, 2724},  {5, 0, 0, 1, 5306, 9, 2725},
    {2, 0, 0, 1, 5307, 9, 2726}, {5, 0, 0, 1, 5308, 7, 2727},  {5, 0, 0, 1, 5309, 7, 2728},
    {2, 0, 0, 1, 5310, 8, 2729}, {5, 0, 0, 1, 5311, 7, 2730},  {4, 0, 2, 1, 5312, 7, 2731},
};
const SGridColDef kKeyColumns[] = {
    {4, 0, 0, 1, 5321, 8, 2740}, {1, 0, 0, 1, 5322, 8, 2741},  {1, 0, 0, 1, 5323, 8, 2742},
    {1, 0, 0, 1, 5324, 8, 2743}, {1, 0, 0, 1, 5325, 8, 2744},  {1, 0, 0, 1, 5326, 8, 2745},
    {4, 0, 2, 1, 5327, 8, 2746}, {5, 0, 0, 1, 5328, 16, 2747}, {5, 0, 0, 1, 5329, 28, 2748},
};
const SGridColDef kImageColumns[] = {{4, 0, 0, 1, 5341, 100, 2750}};

constexpr CVQListTable::Row kLayoutRows[] = {
    {0, 2800}, {1, 2801}, {2, 2802}, {3, 2803}, {4, 2804},
    {5, 2805}, {6, 2806}, {7, 2807}, {8, 2808},
};
constexpr CVQListTable::Row kDiaModeRows[] = {{0, 2900}, {1, 2901}, {2, 2902}, {3, 2903}};
const CVQComboBox cbGalleryLayouts(kLayoutRows, &theLibrary);
const CVQComboBox cbGalleryDiaModes(kDiaModeRows, &theLibrary);

struct SheetState {
  CVQTableDesc *table[kPages] = {};
  HWND sheet[kPages] = {};
  CGridDef grid[kPages] = {
      CGridDef(&theLibrary, kFieldGrid, kFieldColumns, 12, kGridStyle),
      CGridDef(&theLibrary, kKeyGrid, kKeyColumns, 9, kGridStyle),
      CGridDef(&theLibrary, kImageGrid, kImageColumns, 1, kGridStyle),
  };
  UINT newLine = kNotFound; // the field being walked through its columns
  bool filling = false;     // the page sets its controls: their notes are no edits
};

SheetState &State() {
  static SheetState state;
  return state;
}

void Changed(Page page, HWND dlg) {
  if (HWND sheet = State().sheet[page])
    SendMessageA(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(dlg), 0);
}

INT_PTR Answer(HWND dlg, LRESULT result) {
  SetWindowLongPtrA(dlg, DWLP_MSGRESULT, result);
  return TRUE;
}

/// Removes record `index`: the following records move up one place, the
/// last slot is cleared and the count decreases.
template <typename L, typename T> void RemoveRecord(L &list, T *L::*array, UINT index) {
  T *records = list.*array;
  if (!records || index >= list.count)
    return;
  MoveRecord(records, index, list.count - 1);
  records[list.count - 1] = T();
  --list.count;
}

bool IsListBox(HWND window) {
  char cls[32] = {};
  GetClassNameA(window, cls, sizeof cls);
  return lstrcmpiA(cls, "ListBox") == 0 || lstrcmpiA(cls, "CVQListBoxParent") == 0;
}

// The drop-down of the grid: a list box (or the grid's popup, which passes
// the list-box messages on), or a combo box.
void FillDropDownNames(HWND box, const CVQFieldDescList &fields, UINT selected) {
  const bool list = IsListBox(box);
  SendMessageA(box, list ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
  // Every field gets its row, an unnamed one too, so that a row's index is
  // its field's.
  for (UINT i = 0; fields.fields && i < fields.count; ++i)
    SendMessageA(box, list ? LB_INSERTSTRING : CB_INSERTSTRING, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(BoundedText(fields.fields[i].name).text));
  SendMessageA(box, list ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

/* ---- Fields page ------------------------------------------------------- */

void ShowTotals(HWND dlg, const CVQTableDesc &t) {
  SetDlgItemInt(dlg, kWidth, t.fields.GetDispWidth(), FALSE);
  SetDlgItemInt(dlg, kRecSize, t.fields.GetRecSize(), FALSE);
}

void RefillFields(const CVQTableDesc &t) {
  CGridDef &grid = State().grid[kFieldsPage];
  if (!grid.pGrid)
    return;
  grid.pGrid->DeleteAllItems(TRUE);
  const UINT n = t.fields.fields ? t.fields.count : 0;
  if (n == 0)
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "DispRecs: Table does not exist");
  for (UINT i = 0; i < n; ++i) {
    if (!grid.InsertItem(i, i)) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot insert item %u into the grid control", i);
      theLibrary.ErrorBox(kMsgBlockCount);
      break;
    }
    if (!t.fields.fields[i].DispDef(grid, i)) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot display item %u in the grid control", i);
      break;
    }
  }
  InvalidateRect(grid.hGrid, nullptr, TRUE);
}

void FillFieldsPage(HWND dlg, const CVQTableDesc &t) {
  SetDlgItemTextA(dlg, kName, BoundedText(t.name).text);
  ShowTotals(dlg, t);
  RefillFields(t);
}

// Inserts an unnamed field at `position`, shows it and opens the editor of
// `column` on its line, where the walk through the columns starts.
void InsertNewField(HWND dlg, CVQTableDesc &t, UINT position, UINT column) {
  SheetState &s = State();
  if (!t.InsertField("", &position))
    return;
  RefillFields(t);
  ShowTotals(dlg, t);
  if (s.grid[kFieldsPage].pGrid)
    s.grid[kFieldsPage].pGrid->EditCell(position, column);
  Changed(kFieldsPage, dlg);
  s.newLine = position;
}

// The numbers in the questions count from 1, as the grids show them.
void DeleteField(HWND dlg, CVQTableDesc &t, UINT line) {
  const bool exists = t.fields.fields && line < t.fields.count;
  const int answer =
      exists ? theLibrary.AskBox(kMsgDeleteField, BoundedText(t.fields.fields[line].name).text)
             : theLibrary.AskBox(kMsgDeleteLine, line + 1);
  if (answer != IDYES || !exists)
    return;
  RemoveRecord(t.fields, &CVQFieldDescList::fields, line);
  State().newLine = kNotFound;
  RefillFields(t);
  ShowTotals(dlg, t);
  Changed(kFieldsPage, dlg);
}

// What one column notification of the fields grid did.
struct FieldEdit {
  bool handled = false; // the column was visited: the walk may go on
  bool changed = false; // the field changed
  UINT next = kNotFound;
};

// Fills the open drop-down (code 18) or takes its choice (code 19).
FieldEdit DropDown(IGridView &g, UINT code, UINT column, UINT next,
                   int (CVQFieldDesc::*fill)(HWND) const, int (CVQFieldDesc::*set)(UINT),
                   CVQFieldDesc &f) {
  FieldEdit e;
  if (code == GVN_DROPDOWNOPENED) {
    (f.*fill)(g.GetChildWindow());
  } else if (code == GVN_DROPDOWNCHOSEN) {
    (f.*set)(g.GetColumnListSel(column));
    e = FieldEdit{true, true, next};
  }
  return e;
}

FieldEdit TypeOptions(HWND dlg, UINT code, UINT &word, UINT next) {
  FieldEdit e;
  if (code != GVN_EDITPARENT)
    return e;
  e.handled = true;
  e.changed = vqdesc::EditTypeOptions(dlg, &word) == 1;
  e.next = next;
  return e;
}

FieldEdit EditFieldColumn(HWND dlg, CVQTableDesc &t, IGridView &g, UINT id, UINT code, UINT line) {
  CVQFieldDesc &f = t.fields.fields[line];
  const bool closed = code == GVN_EDITORCLOSED;
  switch (id) {
  case 5302:
    if (closed) {
      char text[kTextSize] = {};
      g.GetItemText(line, 1, text, sizeof text);
      t.SetFieldName(line, text);
      return {true, true, 2};
    }
    break;
  case 5303:
    return DropDown(g, code, 2, 3, &CVQFieldDesc::DispEncodeTypeLB, &CVQFieldDesc::SetEncodeTypeIdx,
                    f);
  case 5304:
    if (code == GVN_EDITOROPENED && line > 0 && g.GetItemUInt(line, 3) == 0) {
      // The end of the previous field is where a new one usually starts.
      const CVQFieldDesc &previous = t.fields.fields[line - 1];
      char text[16];
      std::snprintf(text, sizeof text, "%u", previous.offset + previous.size);
      if (HWND editor = g.GetChildWindow()) {
        SetWindowTextA(editor, text);
        SendMessageA(editor, EM_SETSEL, 0, -1);
      }
    } else if (closed) {
      f.offset = g.GetItemUInt(line, 3);
      SetDlgItemInt(dlg, kRecSize, t.fields.GetRecSize(), FALSE);
      return {true, true, 4};
    }
    break;
  case 5305:
    if (closed) {
      f.size = g.GetItemUInt(line, 4);
      SetDlgItemInt(dlg, kRecSize, t.fields.GetRecSize(), FALSE);
      return {true, true, 5};
    }
    break;
  case 5306:
    return DropDown(g, code, 5, 6, &CVQFieldDesc::DispContentTypeLB,
                    &CVQFieldDesc::SetContentTypeIdx, f);
  case 5307:
    return TypeOptions(dlg, code, f.contentType, 7);
  case 5308:
    return DropDown(g, code, 7, 8, &CVQFieldDesc::DispDataJustTypeLB,
                    &CVQFieldDesc::SetDataJustTypeIdx, f);
  case 5309:
    return DropDown(g, code, 8, 9, &CVQFieldDesc::DispDisplayTypeLB,
                    &CVQFieldDesc::SetDisplayTypeIdx, f);
  case 5310:
    return TypeOptions(dlg, code, f.displayType, 10);
  case 5311:
    return DropDown(g, code, 10, 11, &CVQFieldDesc::DispDispJustTypeLB,
                    &CVQFieldDesc::SetDispJustTypeIdx, f);
  case 5312:
    if (closed) {
      f.dispWidth = g.GetItemUInt(line, 11);
      SetDlgItemInt(dlg, kWidth, t.fields.GetDispWidth(), FALSE);
      return {true, true, kNotFound};
    }
    break;
  }
  return {};
}

void OnFieldColumn(HWND dlg, CVQTableDesc &t, UINT id, UINT code, UINT line) {
  SheetState &s = State();
  CGridDef &grid = s.grid[kFieldsPage];
  if (!grid.pGrid || !t.fields.fields || line >= t.fields.count)
    return;
  const FieldEdit e = EditFieldColumn(dlg, t, *grid.pGrid, id, code, line);
  if (!e.handled)
    return;
  if (e.changed) {
    t.DispFieldProperties(grid, line);
    grid.pGrid->RedrawLine(line);
    Changed(kFieldsPage, dlg);
  }
  if (line != s.newLine || e.next == kNotFound) {
    s.newLine = kNotFound;
    return;
  }
  // Posted: the grid finishes closing the child before the next one opens.
  PostMessageA(grid.hGrid, WM_USER + 1, line, static_cast<LPARAM>(e.next));
}

INT_PTR OnFieldsCommand(HWND dlg, CVQTableDesc &t, UINT id, UINT code, LPARAM lParam) {
  IGridView *g = State().grid[kFieldsPage].pGrid;
  const UINT line = static_cast<UINT>(lParam);
  const UINT count = t.fields.fields ? t.fields.count : 0;
  if (id > kFieldGrid && id <= kFieldGrid + 12) {
    OnFieldColumn(dlg, t, id, code, line);
    return TRUE;
  }
  switch (id) {
  case kFieldGrid:
    if (code == GVN_INSERTLINE || code == GVN_LCLICKEMPTY)
      InsertNewField(dlg, t, line, 0);
    else if (code == GVN_DELETELINE)
      DeleteField(dlg, t, line);
    return TRUE;
  case kAppend:
    InsertNewField(dlg, t, count, 1);
    return TRUE;
  case kInsert:
    InsertNewField(dlg, t, g ? g->GetCurLine() : count, 1);
    return TRUE;
  case kDelete:
    if (g && g->GetCurLine() != kNotFound)
      DeleteField(dlg, t, g->GetCurLine());
    return TRUE;
  case kPrint:
    t.PrintFieldList(dlg);
    return TRUE;
  }
  return FALSE;
}

/* ---- Keys page --------------------------------------------------------- */

// Lists the keys again and puts the current cell back where it was.
void RelistKeys(const CVQTableDesc &t) {
  CGridDef &grid = State().grid[kKeysPage];
  if (!grid.pGrid)
    return;
  const UINT line = grid.pGrid->GetCurLine(), column = grid.pGrid->GetCurColumn();
  t.ListKeys(grid);
  if (line < grid.pGrid->GetLineCount() && column != kNotFound)
    grid.pGrid->SetCurCell(line, column);
  InvalidateRect(grid.hGrid, nullptr, TRUE);
}

void FillKeysPage(HWND dlg, const CVQTableDesc &t) {
  SetDlgItemTextA(dlg, kName, BoundedText(t.name).text);
  RelistKeys(t);
}

void InsertNewKey(HWND dlg, CVQTableDesc &t, UINT key) {
  if (!t.InsertKey(&key))
    return;
  RelistKeys(t);
  Changed(kKeysPage, dlg);
}

void DeleteKey(HWND dlg, CVQTableDesc &t, UINT key) {
  if (!t.keys.keys || key >= t.keys.count)
    return;
  if (theLibrary.AskBox(kMsgDeleteEntry, key + 1) != IDYES)
    return;
  RemoveRecord(t.keys, &CVQKeyDescList::keys, key);
  RelistKeys(t);
  Changed(kKeysPage, dlg);
}

// A key holds one to four parts; a count outside that range would leave
// the key without lines or point beyond its parts, so it is refused.
bool SetPartCount(CVQKeyDesc &key, UINT keyIndex, UINT count) {
  if (count >= 1 && count <= CVQKeyDesc::kMaxParts) {
    key.partCount = count;
    return true;
  }
  theLibrary.PrtLog(VQLOG_WARNING, kTag, "Part count %u of key %u is out of range 1 to %u.", count,
                    keyIndex, UINT(CVQKeyDesc::kMaxParts));
  theLibrary.ErrorBox(kMsgPartCount, count, keyIndex + 1);
  return false;
}

// One column notification of the keys grid; true when the key changed.
bool EditKeyColumn(CVQTableDesc &t, IGridView &g, UINT id, UINT code, UINT line) {
  const UINT k = t.KeyPartToIndex(line), p = t.KeyPartToPart(line);
  if (k == kNotFound)
    return false;
  CVQKeyDesc &key = t.keys.keys[k];
  if (id >= 5322 && id <= 5326 && code == GVN_EDITCHECKBOX) {
    UINT &attribute = key.attributes[id - 5322];
    attribute = attribute == 0 ? 1 : 0;
    return true;
  }
  switch (id) {
  case 5327:
    if (code == GVN_EDITORCLOSED) {
      SetPartCount(key, k, g.GetItemUInt(line, 6));
      return true; // a refused count is shown again as it was
    }
    break;
  case 5328:
    if (code == GVN_DROPDOWNOPENED) {
      HWND box = g.GetChildWindow();
      const UINT type = p < CVQKeyDesc::kMaxParts ? key.parts[p].partType : kNotFound;
      if (IsListBox(box))
        ISAMLBKeyTypes.Display(box, type);
      else
        ISAMLBKeyTypes.DisplayCombo(box, type);
    } else if (code == GVN_DROPDOWNCHOSEN && p < CVQKeyDesc::kMaxParts) {
      const UINT type = ISAMLBKeyTypes.GetValue(g.GetColumnListSel(7));
      if (type == kNotFound)
        return false;
      key.parts[p].partType = type;
      return true;
    }
    break;
  case 5329:
    if (code == GVN_DROPDOWNOPENED) {
      FillDropDownNames(g.GetChildWindow(), t.fields, t.FindFieldToKeyIndex(k, p));
    } else if (code == GVN_DROPDOWNCHOSEN) {
      t.SetKeyFieldIndex(k, p, g.GetColumnListSel(8));
      return true;
    }
    break;
  }
  return false;
}

INT_PTR OnKeysCommand(HWND dlg, CVQTableDesc &t, UINT id, UINT code, LPARAM lParam) {
  IGridView *g = State().grid[kKeysPage].pGrid;
  const UINT line = static_cast<UINT>(lParam);
  if (id > kKeyGrid && id <= kKeyGrid + 9) {
    if (g && EditKeyColumn(t, *g, id, code, line)) {
      RelistKeys(t);
      Changed(kKeysPage, dlg);
    }
    return TRUE;
  }
  const UINT current = g ? t.KeyPartToIndex(g->GetCurLine()) : kNotFound;
  switch (id) {
  case kKeyGrid:
    if (code == GVN_INSERTLINE || code == GVN_LCLICKEMPTY)
      InsertNewKey(dlg, t, t.KeyPartToIndex(line));
    else if (code == GVN_DELETELINE)
      DeleteKey(dlg, t, t.KeyPartToIndex(line));
    return TRUE;
  case kInsert:
    InsertNewKey(dlg, t, current);
    return TRUE;
  case kDelete:
    DeleteKey(dlg, t, current);
    return TRUE;
  case kPrint:
    t.PrintKeyList(dlg);
    return TRUE;
  }
  return FALSE;
}

/* ---- Gallery page ------------------------------------------------------ */

void RefillImages(const CVQGallDesc &gallery) {
  CGridDef &grid = State().grid[kGalleryPage];
  if (!grid.pGrid)
    return;
  grid.pGrid->DeleteAllItems(TRUE);
  const CVQImgNameDescList &images = gallery.images;
  for (UINT i = 0; images.images && i < images.count; ++i) {
    if (!grid.InsertItem(i, i)) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot insert item %u into the grid control", i);
      break;
    }
    grid.pGrid->SetItemText(i, 0, BoundedText(images.images[i].imageName).text);
  }
  InvalidateRect(grid.hGrid, nullptr, TRUE);
}

void FillGalleryPage(HWND dlg, const CVQTableDesc &t) {
  const CVQGallDesc &gallery = t.gallery;
  SheetState &s = State();
  s.filling = true;
  cbGalleryDiaModes.Display(GetDlgItem(dlg, kDiaMode), gallery.diaMode);
  cbGalleryLayouts.Display(GetDlgItem(dlg, kLayout), gallery.layout);
  SetDlgItemTextA(dlg, kName, BoundedText(t.name).text);
  SetDlgItemInt(dlg, kDiaWidth, gallery.diaWidth, FALSE);
  SetDlgItemInt(dlg, kDiaHeight, gallery.diaHeight, FALSE);
  RefillImages(gallery);
  s.filling = false;
}

bool AppendImage(CVQGallDesc &gallery) {
  CVQImgNameDescList &images = gallery.images;
  if (!ReserveOne(images, &CVQImgNameDescList::images, 1, kTag)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory to allocate %u table records",
                      images.count + 1);
    theLibrary.ErrorBox(kMsgBlockMemory, images.count + 1);
    return false;
  }
  images.images[images.count++] = CVQImgNameDesc();
  return true;
}

bool DeleteImage(CVQGallDesc &gallery, UINT line) {
  CVQImgNameDescList &images = gallery.images;
  if (!images.images || line >= images.count ||
      theLibrary.AskBox(kMsgDeleteEntry, line + 1) != IDYES)
    return false;
  RemoveRecord(images, &CVQImgNameDescList::images, line);
  return true;
}

bool SetImageName(CVQGallDesc &gallery, IGridView &g, UINT line) {
  CVQImgNameDescList &images = gallery.images;
  if (!images.images || line >= images.count)
    return false;
  CVQImgNameDesc &image = images.images[line];
  char text[kImageSize] = {};
  g.GetItemText(line, 0, text, sizeof text);
  CopyName(image.imageName, sizeof image.imageName, text);
  image.textLength = static_cast<UINT>(std::strlen(image.imageName));
  return true;
}

// One command of the gallery page; true when the gallery changed.
bool EditGallery(HWND dlg, CVQGallDesc &gallery, UINT id, UINT code, UINT line) {
  IGridView *g = State().grid[kGalleryPage].pGrid;
  switch (id) {
  case kLayout:
  case kDiaMode: {
    if (code != CBN_SELCHANGE)
      return false;
    const CVQComboBox &table = id == kLayout ? cbGalleryLayouts : cbGalleryDiaModes;
    const UINT value = table.Select(GetDlgItem(dlg, static_cast<int>(id)));
    if (value == kNotFound)
      return false;
    (id == kLayout ? gallery.layout : gallery.diaMode) = value;
    return true;
  }
  case kDiaWidth:
  case kDiaHeight: {
    if (code != EN_CHANGE || State().filling)
      return false;
    BOOL number = FALSE;
    const UINT value = GetDlgItemInt(dlg, static_cast<int>(id), &number, FALSE);
    if (!number)
      return false;
    (id == kDiaWidth ? gallery.diaWidth : gallery.diaHeight) = value;
    return true;
  }
  case kImageGrid + 1:
    return code == GVN_EDITORCLOSED && g && SetImageName(gallery, *g, line);
  case kImageGrid:
    if (code == GVN_INSERTLINE || code == GVN_LCLICKEMPTY)
      return AppendImage(gallery);
    return code == GVN_DELETELINE && DeleteImage(gallery, line);
  case kInsert:
    return code == BN_CLICKED && AppendImage(gallery);
  case kDelete:
    return code == BN_CLICKED && g && DeleteImage(gallery, g->GetCurLine());
  }
  return false;
}

INT_PTR OnGalleryCommand(HWND dlg, CVQTableDesc &t, UINT id, UINT code, LPARAM lParam) {
  if (id == static_cast<UINT>(kPrint)) {
    t.PrintKeyList(dlg);
    return TRUE;
  }
  if (!EditGallery(dlg, t.gallery, id, code, static_cast<UINT>(lParam)))
    return FALSE;
  // The image list itself changed: show it anew.
  if (id == kImageGrid || id == static_cast<UINT>(kInsert) || id == static_cast<UINT>(kDelete))
    RefillImages(t.gallery);
  Changed(kGalleryPage, dlg);
  return TRUE;
}

/* ---- Every page -------------------------------------------------------- */

void FillPage(Page page, HWND dlg, CVQTableDesc &t) {
  switch (page) {
  case kFieldsPage:
    FillFieldsPage(dlg, t);
    break;
  case kKeysPage:
    FillKeysPage(dlg, t);
    break;
  default:
    FillGalleryPage(dlg, t);
    break;
  }
}

INT_PTR PageProc(Page page, HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  SheetState &s = State();
  switch (msg) {
  case WM_INITDIALOG: {
    const auto *psp = reinterpret_cast<const PROPSHEETPAGEA *>(lParam);
    s.table[page] = psp ? reinterpret_cast<CVQTableDesc *>(psp->lParam) : nullptr;
    s.grid[page].DispColHeaders(dlg, TRUE);
    CenterWindow(GetParent(dlg));
    s.newLine = kNotFound;
    return TRUE;
  }
  case WM_NOTIFY: {
    const auto *n = reinterpret_cast<const PSHNOTIFY *>(lParam);
    if (!n)
      return FALSE;
    switch (n->hdr.code) {
    case PSN_SETACTIVE:
      s.sheet[page] = n->hdr.hwndFrom;
      if (s.table[page])
        FillPage(page, dlg, *s.table[page]);
      return Answer(dlg, 0);
    case PSN_KILLACTIVE:
      return Answer(dlg, FALSE);
    case PSN_APPLY:
      return Answer(dlg, PSNRET_NOERROR);
    }
    return FALSE;
  }
  case WM_COMMAND: {
    CVQTableDesc *t = s.table[page];
    if (!t)
      return FALSE;
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    switch (page) {
    case kFieldsPage:
      return OnFieldsCommand(dlg, *t, id, code, lParam);
    case kKeysPage:
      return OnKeysCommand(dlg, *t, id, code, lParam);
    default:
      return OnGalleryCommand(dlg, *t, id, code, lParam);
    }
  }
  }
  return FALSE;
}

INT_PTR CALLBACK FieldsPageProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  return PageProc(kFieldsPage, dlg, msg, wParam, lParam);
}
INT_PTR CALLBACK KeysPageProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  return PageProc(kKeysPage, dlg, msg, wParam, lParam);
}
INT_PTR CALLBACK GalleryPageProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  return PageProc(kGalleryPage, dlg, msg, wParam, lParam);
}

constexpr DLGPROC kPageProc[kPages] = {FieldsPageProc, KeysPageProc, GalleryPageProc};

} // namespace

int CVQTableDesc::PropertySheetA(HWND parent, UINT pages, UINT startPage) {
  HINSTANCE module = theLibrary.GetResourceModule();
  PROPSHEETPAGEA psp[kPages] = {};
  UINT n = 0;
  for (UINT page = 0; page < kPages; ++page) {
    if (!(pages & (1u << page)) || (page == kGalleryPage && !gallery.enabled))
      continue;
    PROPSHEETPAGEA &p = psp[n++];
    p.dwSize = sizeof p;
    p.dwFlags = 0x0408 | PSP_USETITLE | PSP_PREMATURE;
    p.hInstance = module;
    p.pszTemplate = MAKEINTRESOURCEA(kPageTemplate[page]);
    p.pszTitle = MAKEINTRESOURCEA(kPageTitle[page]);
    p.pfnDlgProc = kPageProc[page];
    p.lParam = reinterpret_cast<LPARAM>(this);
  }
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE;
  header.hwndParent = parent;
  header.hInstance = module;
  header.pszCaption = MAKEINTRESOURCEA(kSheetCaption);
  header.nPages = n;
  header.nStartPage = startPage;
  header.ppsp = psp;
  const INT_PTR result = ::PropertySheetA(&header);
  SheetState &s = State();
  for (UINT page = 0; page < kPages; ++page) {
    s.table[page] = nullptr;
    s.sheet[page] = nullptr;
    s.grid[page].hGrid = nullptr;
    s.grid[page].pGrid = nullptr;
  }
  s.newLine = kNotFound;
  if (result < 0) {
    const DWORD error = GetLastError();
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %d from PropertySheet.", static_cast<int>(result));
    theLibrary.ErrorBox(kMsgSheet, static_cast<UINT>(error));
    return 0;
  }
  return static_cast<int>(result);
}
