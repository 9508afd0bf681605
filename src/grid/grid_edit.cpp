// In-place editing in the grid control: which column kinds the parent
// edits itself and which open a child over the cell, the single-line
// editor that writes every change through to its item and gives the old
// value back on Escape, and the drop-down list that the parent fills,
// shown in a popup of the class "CVQListBoxParent".
//
// The grid owns at most one child. Its state: hChild (0 = none),
// childKind (GCK_EDIT or GCK_DROPDOWN), edPrevProc (the editor's own
// procedure) and cancelEdit (set: the edit ends without keeping it).
//
// Chosen here, where the control's description leaves room:
// - The drop-down ends with a choice (GVN_DROPDOWNCHOSEN) only by Tab,
//   Return or a double click. Escape, and the focus going elsewhere (a
//   click outside the list), end it without one: the cancel mark set when
//   the list opened stays. The column's list selection follows the list
//   as the user moves in it; the parent reads it on the choice.
// - The editor scrolls its text (ES_AUTOHSCROLL), so input may be longer
//   than the cell is wide; a text item takes up to 256 characters.
#include "grid/grid_view.h"

#include "frame/library.h"

#include <cstring>
#include <new>

using namespace vq::grid;

namespace {

constexpr int kEditLineMax = 256;
constexpr int kDropLines = 12;

/// The drop-down popup's object, kept in the popup's window extra bytes.
struct CListBoxParent {
  HWND hPopup;
  HWND hGrid;
  HWND hList;
  CGridView *grid;
  WNDPROC listPrevProc;
};

// ---- Saving and restoring an item's value ----

bool IsText(BYTE type) { return type == GIT_TEXT || type == GIT_TEXTW; }

void DropSaved(SGridElt &e) {
  if (IsText(e.savedType) && e.savedValue)
    ::operator delete(reinterpret_cast<void *>(e.savedValue));
  e.savedType = 0;
  e.savedSize = 0;
  e.savedValue = 0;
  e.savedHighValue = 0;
}

void SaveValue(SGridElt &e) {
  DropSaved(e);
  if (IsText(e.type)) {
    if (!e.value || e.capacity == 0)
      return;
    void *copy = ::operator new(e.capacity, std::nothrow);
    if (!copy)
      return; // a later cancel keeps the edited text
    std::memcpy(copy, reinterpret_cast<void *>(e.value), e.capacity);
    e.savedType = e.type;
    e.savedSize = e.capacity;
    e.savedValue = reinterpret_cast<DWORD_PTR>(copy);
    return;
  }
  e.savedType = e.type;
  e.savedValue = e.value;
  e.savedHighValue = e.highValue;
}

void RestoreValue(SGridElt &e) {
  if (e.savedType == 0)
    return;
  if (IsText(e.savedType)) {
    if (IsText(e.type) && e.value && e.capacity >= e.savedSize)
      std::memcpy(reinterpret_cast<void *>(e.value), reinterpret_cast<void *>(e.savedValue),
                  e.savedSize);
    DropSaved(e);
    return;
  }
  e.type = e.savedType;
  e.value = e.savedValue;
  e.highValue = e.savedHighValue;
  DropSaved(e);
}

// The top of a line's cell as the child windows are placed over it.
int CellTop(const CGridView &g, UINT line) {
  return static_cast<int>(g.headerHeight) +
         static_cast<int>(line - FirstShownLine(g)) * static_cast<int>(g.lineHeight);
}

bool IsEndKey(WPARAM vk, bool editor) {
  return vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE ||
         (editor && (vk == VK_UP || vk == VK_DOWN));
}

// ---- The editor ----

// The key a child's message is about: a key press, or the one a dialog's
// WM_GETDLGCODE asks about; 0 for any other message.
WPARAM KeyOf(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_KEYDOWN)
    return wp;
  if (msg == WM_GETDLGCODE && lp && reinterpret_cast<const MSG *>(lp)->message == WM_KEYDOWN)
    return reinterpret_cast<const MSG *>(lp)->wParam;
  return 0;
}

LRESULT CALLBACK SubClassEdWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto *g = reinterpret_cast<CGridView *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!g) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "SubClassEdWndProc: pGridCtl is NULL");
    theLibrary.TextBox("SubClassEdWndProc: GWL_USERDATA is NULL");
    return 0;
  }
  const WPARAM key = KeyOf(msg, wp, lp);
  if (key && IsEndKey(key, true)) {
    g->cancelEdit = key == VK_ESCAPE;
    SetFocus(g->hWnd);
    return msg == WM_GETDLGCODE ? DLGC_WANTALLKEYS : 0;
  }
  return CallWindowProcA(g->edPrevProc, hwnd, msg, wp, lp);
}

void OpenEditor(CGridView &g, SGridElt &item) {
  const SGridColumn &c = g.columns[g.curColumn];
  char text[kEditLineMax];
  FormatItemText(item, c.flags, text, sizeof text);
  const int y = CellTop(g, g.curLine) - 3;
  HWND ed = CreateWindowExA(
      WS_EX_CLIENTEDGE, "EDIT", text, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
      static_cast<int>(c.x) - 3, y, static_cast<int>(c.width) + 6,
      static_cast<int>(g.lineHeight) + 6, g.hWnd,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(c.id)), theLibrary.GetModule(), nullptr);
  if (!ed) {
    const UINT err = static_cast<UINT>(GetLastError());
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u on created edit field (%u,%u)", err, g.curColumn,
                      g.curLine);
    theLibrary.ErrorBox(kMsgNoEditor, err);
    return;
  }
  SendMessageA(ed, EM_LIMITTEXT, kEditLineMax, 0);
  SaveValue(item);
  SendMessageA(ed, WM_SETFONT, reinterpret_cast<WPARAM>(g.dataFont), TRUE);
  g.cancelEdit = FALSE;
  g.childKind = GCK_EDIT;
  g.hChild = ed;
  SetWindowLongPtrA(ed, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&g));
  g.edPrevProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(ed, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubClassEdWndProc)));
  Notify(g, c.id, GVN_EDITOROPENED, static_cast<LPARAM>(g.curLine));
  if (g.hChild == ed) {
    SendMessageA(ed, EM_SETSEL, 0, -1);
    SetFocus(ed);
  }
}

// Every change of the editor's text reaches the item at once.
void WriteThrough(CGridView &g) {
  if (g.curLine >= g.lineCount)
    return;
  SGridElt *e = FindItem(g, g.curLine, g.curColumn);
  if (!e)
    return;
  char text[kEditLineMax + 1];
  *reinterpret_cast<WORD *>(text) = kEditLineMax;
  LRESULT got = SendMessageA(g.hChild, EM_GETLINE, 0, reinterpret_cast<LPARAM>(text));
  const UINT n = got < 0 ? 0 : got > kEditLineMax ? kEditLineMax : static_cast<UINT>(got);
  text[n] = '\0';
  switch (e->type) {
  case GIT_UINT:
    e->value = ReadUInt32(text, n);
    break;
  case GIT_INT:
    e->value = static_cast<DWORD>(ReadInt32(text, n));
    break;
  case GIT_FIXED2:
    e->value = static_cast<DWORD>(ReadGroupedFloat(text, n) * 100 + 0.5);
    break;
  case GIT_TEXT:
    g.SetItemText(g.curLine, g.curColumn, text);
    break;
  case GIT_UINT64: {
    const ULONGLONG v = ReadUInt64(text, n);
    e->value = static_cast<DWORD>(v);
    e->highValue = static_cast<DWORD>(v >> 32);
    break;
  }
  case GIT_INT64: {
    const ULONGLONG v = static_cast<ULONGLONG>(ReadInt64(text, n));
    e->value = static_cast<DWORD>(v);
    e->highValue = static_cast<DWORD>(v >> 32);
    break;
  }
  default:
    break;
  }
}

// ---- The drop-down ----

CListBoxParent *PopupObject(HWND popup) {
  return reinterpret_cast<CListBoxParent *>(GetWindowLongPtrA(popup, 0));
}

LRESULT CALLBACK SubClassListWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto *p = reinterpret_cast<CListBoxParent *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!p) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "SubClassListWndProc: pParCtl is NULL");
    theLibrary.TextBox("SubClassListWndProc: GWL_USERDATA is NULL");
    return 0;
  }
  const WPARAM key = KeyOf(msg, wp, lp);
  if (key && IsEndKey(key, false)) {
    if (p->grid)
      p->grid->cancelEdit = key == VK_ESCAPE;
    SetFocus(p->hGrid);
    return msg == WM_GETDLGCODE ? DLGC_WANTALLKEYS : 0;
  }
  return CallWindowProcA(p->listPrevProc, hwnd, msg, wp, lp);
}

LRESULT OnPopupCreate(HWND popup, const CREATESTRUCTA *cs) {
  auto *p = new (std::nothrow) CListBoxParent{};
  if (!p) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag,
                      "Not enough free memory to create instance of CListBoxParent");
    theLibrary.ErrorBox(kMsgNoPopupObject);
    return -1;
  }
  SetWindowLongPtrA(popup, 0, reinterpret_cast<LONG_PTR>(p));
  p->hPopup = popup;
  p->hGrid = static_cast<HWND>(cs->lpCreateParams);
  p->grid = static_cast<CGridView *>(
      reinterpret_cast<IGridView *>(SendMessageA(p->hGrid, GM_GETINTERFACE, 0, 0)));
  if (p->grid)
    p->grid->cancelEdit = TRUE;
  RECT rc{};
  GetClientRect(popup, &rc);
  p->hList = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOTIFY, 0, 0,
                             rc.right, rc.bottom, popup, nullptr, theLibrary.GetModule(), nullptr);
  if (!p->hList) {
    const UINT err = static_cast<UINT>(GetLastError());
    theLibrary.PrtLog(VQLOG_ERROR, kTag,
                      "CListBoxParentWndProc: Error %u on creating a listbox window", err);
    theLibrary.ErrorBox(kMsgNoListBox, err);
    SetWindowLongPtrA(popup, 0, 0);
    delete p;
    return -1;
  }
  SetWindowLongPtrA(p->hList, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(p));
  p->listPrevProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(p->hList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubClassListWndProc)));
  RECT lr{};
  GetWindowRect(p->hList, &lr);
  SetWindowPos(popup, nullptr, 0, 0, lr.right - lr.left, lr.bottom - lr.top,
               SWP_NOMOVE | SWP_NOZORDER);
  SetFocus(p->hList);
  return 0;
}

void OnPopupDestroy(HWND popup) {
  CListBoxParent *p = PopupObject(popup);
  if (!p)
    return;
  SetWindowLongPtrA(popup, 0, 0);
  if (p->hList && IsWindow(p->hList)) {
    SetWindowLongPtrA(p->hList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(p->listPrevProc));
    SetWindowLongPtrA(p->hList, GWLP_USERDATA, 0);
    DestroyWindow(p->hList);
  }
  delete p;
}

void OpenDropDown(CGridView &g) {
  const SGridColumn &c = g.columns[g.curColumn];
  SGridElt *item = FindItem(g, g.curLine, g.curColumn);
  char text[kEditLineMax];
  FormatItemText(*item, c.flags, text, sizeof text);
  POINT pt{static_cast<LONG>(c.x) - 3, CellTop(g, g.curLine) - 3};
  ClientToScreen(g.hWnd, &pt);
  HWND popup = CreateWindowExA(0, kPopupClass, text, WS_POPUP | WS_VISIBLE, pt.x, pt.y,
                               static_cast<int>(c.width) + 6,
                               kDropLines * static_cast<int>(g.lineHeight) + 6, g.hWnd, nullptr,
                               theLibrary.GetModule(), g.hWnd);
  if (!popup) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u on create listbox field (%u,%u)",
                      static_cast<UINT>(GetLastError()), g.curColumn, g.curLine);
    theLibrary.ErrorBox(kMsgNoDropDown);
    return;
  }
  SendMessageA(popup, WM_SETFONT, reinterpret_cast<WPARAM>(g.dataFont), TRUE);
  g.childKind = GCK_DROPDOWN;
  g.hChild = popup;
  const UINT column = g.curColumn;
  Notify(g, c.id, GVN_DROPDOWNOPENED, static_cast<LPARAM>(g.curLine));
  if (g.hChild == popup && column < g.columnCount)
    g.columns[column].listSel = static_cast<UINT>(SendMessageA(popup, LB_GETCURSEL, 0, 0));
}

void StoreListSelection(CGridView &g) {
  if (g.curLine == kNone || g.curColumn >= g.columnCount || !FindItem(g, g.curLine, g.curColumn))
    return;
  const LRESULT sel = SendMessageA(g.hChild, LB_GETCURSEL, 0, 0);
  if (sel != LB_ERR)
    g.columns[g.curColumn].listSel = static_cast<UINT>(sel);
}

} // namespace

namespace vq::grid {

BOOL EditCurrent(CGridView &g) {
  const UINT line = g.curLine;
  if (line == kNone || line >= g.GetLineCount())
    return FALSE;
  if (IsLineMode(g) && !(g.style & GS_LINEMODEEDIT)) {
    Notify(g, g.ownId, GVN_EDITLINE, static_cast<LPARAM>(line));
    return TRUE;
  }
  if (!g.columns || g.curColumn >= g.columnCount) {
    if (!IsLineMode(g))
      return FALSE;
    Notify(g, g.ownId, GVN_EDITLINE, static_cast<LPARAM>(line));
    return TRUE;
  }
  g.EnsureVisible(line);
  const SGridColumn &c = g.columns[g.curColumn];
  const bool ownerData = (g.style & GS_OWNERDATA) != 0;
  switch (c.kind) {
  case GCK_TEXT:
    break;
  case GCK_CHECKBOX:
    Notify(g, c.id, GVN_EDITCHECKBOX, static_cast<LPARAM>(line));
    break;
  case GCK_PARENTEDIT:
    Notify(g, c.id, GVN_EDITPARENT, static_cast<LPARAM>(line));
    break;
  case GCK_EDIT:
    if (!ownerData && !g.hChild)
      if (SGridElt *item = FindItem(g, line, g.curColumn))
        OpenEditor(g, *item);
    break;
  case GCK_DROPDOWN:
    if (!ownerData && !g.hChild && FindItem(g, line, g.curColumn))
      OpenDropDown(g);
    break;
  default:
    Notify(g, c.id, GVN_CELLSELECTED, static_cast<LPARAM>(line));
  }
  return TRUE;
}

void OnChildCommand(CGridView &g, WPARAM wp) {
  const UINT code = HIWORD(wp);
  if (g.childKind == GCK_EDIT) {
    if (code == EN_CHANGE)
      WriteThrough(g);
    else if (code == EN_KILLFOCUS)
      OnChildKillFocus(g);
    return;
  }
  switch (code) {
  case LBN_SELCHANGE:
    StoreListSelection(g);
    break;
  case LBN_DBLCLK:
    StoreListSelection(g);
    g.cancelEdit = FALSE;
    OnChildKillFocus(g);
    break;
  case LBN_KILLFOCUS:
    OnChildKillFocus(g);
    break;
  }
}

void OnChildKillFocus(CGridView &g) {
  HWND child = g.hChild;
  if (!child) {
    SetFocus(g.hWnd);
    return;
  }
  const UINT kind = g.childKind;
  theLibrary.PrtLog(VQLOG_TRACE, kTag, "OnChildKillFocus: pSubClassEd = 0x%X, itChildCtl = %u",
                    static_cast<UINT>(reinterpret_cast<UINT_PTR>(g.edPrevProc)), kind);
  // The child is forgotten first: its own focus loss while it is being
  // destroyed must not end it a second time.
  g.hChild = nullptr;
  g.childKind = 0;
  if (kind == GCK_EDIT && g.edPrevProc && IsWindow(child))
    SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g.edPrevProc));
  g.edPrevProc = nullptr;
  const bool cellExists = g.curColumn < g.columnCount && g.curLine < g.GetLineCount();
  const UINT id = ColumnId(g, g.curColumn);
  if (kind == GCK_EDIT) {
    if (SGridElt *e = FindItem(g, g.curLine, g.curColumn)) {
      if (g.cancelEdit)
        RestoreValue(*e);
      else
        DropSaved(*e);
    }
    if (cellExists)
      Notify(g, id, GVN_EDITORCLOSED, static_cast<LPARAM>(g.curLine));
  } else if (kind == GCK_DROPDOWN && cellExists && !g.cancelEdit) {
    Notify(g, id, GVN_DROPDOWNCHOSEN, static_cast<LPARAM>(g.curLine));
  }
  if (IsWindow(child))
    DestroyWindow(child);
  if (g.hWnd && IsWindow(g.hWnd)) {
    SetFocus(g.hWnd);
    g.RedrawLine(g.curLine);
  }
}

void DestroyChild(CGridView &g) {
  HWND child = g.hChild;
  if (!child)
    return;
  g.hChild = nullptr;
  if (g.childKind == GCK_EDIT) {
    if (g.edPrevProc && IsWindow(child))
      SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g.edPrevProc));
    if (SGridElt *e = FindItem(g, g.curLine, g.curColumn))
      DropSaved(*e);
  }
  g.childKind = 0;
  g.edPrevProc = nullptr;
  if (IsWindow(child))
    DestroyWindow(child);
}

LRESULT CALLBACK ListBoxParentWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_CREATE:
    return OnPopupCreate(hwnd, reinterpret_cast<const CREATESTRUCTA *>(lp));
  case WM_DESTROY:
    OnPopupDestroy(hwnd);
    return 0;
  case WM_SETFONT:
  case LB_INSERTSTRING:
  case LB_RESETCONTENT:
  case LB_SETCURSEL:
  case LB_GETCURSEL:
    if (CListBoxParent *p = PopupObject(hwnd))
      return SendMessageA(p->hList, msg, wp, lp);
    return msg == LB_GETCURSEL ? LB_ERR : 0;
  case WM_COMMAND:
    if (CListBoxParent *p = PopupObject(hwnd))
      return SendMessageA(p->hGrid, WM_COMMAND, wp, reinterpret_cast<LPARAM>(hwnd));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace vq::grid
