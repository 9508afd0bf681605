// In-place editing and the drop-down list of the grid window: which kinds
// tell the parent, the editor's write-through and its restore on Escape,
// the list the parent fills and the choice it reads back, and clicks
// while a child is open; and a picture of a whole grid.
#include "grid_fixture.h"

#include <vqwin_dialog.h>

#include <cstring>
#include <string>

namespace {

using vqtest::GridTest;
using vqtest::Note;
using vqtest::Parent;
using NoteList = std::vector<Note>;

class GridEdit : public GridTest {
protected:
  HWND Grid(UINT kind, UINT lines = 4) {
    HWND g = MakeGrid(300, 200);
    Columns({50, 50}, kind);
    AddLines(lines);
    return g;
  }
  std::string EditorText() const {
    char t[300] = {};
    GetWindowTextA(view->GetChildWindow(), t, sizeof t);
    return t;
  }
  std::string Text(UINT line, UINT column) const {
    char t[300] = {};
    view->GetItemText(line, column, t, sizeof t);
    return t;
  }
};

TEST_F(GridEdit, ReturnTellsTheParentOrOpensTheColumnsChild) {
  const struct {
    UINT kind;
    DWORD style;
    NoteList notes;
    bool child;
  } rows[] = {
      {GCK_TEXT, 0, {}, false},
      {GCK_CHECKBOX, 0, {{101, GVN_EDITCHECKBOX, 1}}, false},
      {GCK_PARENTEDIT, 0, {{101, GVN_EDITPARENT, 1}}, false},
      {GCK_PARENTCELL, 0, {{101, GVN_CELLSELECTED, 1}}, false},
      {GCK_COLOR, 0, {{101, GVN_CELLSELECTED, 1}}, false},
      {GCK_EDIT, GS_LINEMODE, {{kGridId, GVN_EDITLINE, 1}}, false},
      {GCK_EDIT, 0, {{101, GVN_EDITOROPENED, 1}}, true},
      {GCK_DROPDOWN, 0, {{101, GVN_DROPDOWNOPENED, 1}}, true},
  };
  for (const auto &r : rows) {
    HWND g = Grid(r.kind);
    view->SetStyle(r.style);
    view->SetCurCell(1, 1);
    ClearNotes();
    SetFocus(g);
    vqwinKeyPress(VK_RETURN, 0);
    EXPECT_EQ(Notes(), r.notes) << "kind " << r.kind;
    EXPECT_EQ(view->GetChildWindow() != nullptr, r.child) << "kind " << r.kind;
    DestroyWindow(g);
  }
}

TEST_F(GridEdit, TypingWritesNumbersThroughAndEscapeRestoresThem) {
  HWND g = Grid(GCK_EDIT);
  view->SetItemUInt(2, 1, 5);
  ASSERT_TRUE(view->EditCell(2, 1));
  HWND ed = view->GetChildWindow();
  ASSERT_NE(ed, nullptr);
  char cls[16];
  GetClassNameA(ed, cls, sizeof cls);
  EXPECT_STRCASEEQ(cls, "EDIT");
  EXPECT_EQ(GetFocus(), ed);
  EXPECT_EQ(GetDlgCtrlID(ed), 101);
  EXPECT_EQ(EditorText(), "5");
  // Placed over the cell, three pixels beyond it on every side.
  RECT r{};
  GetWindowRect(ed, &r);
  POINT origin{0, 0};
  ClientToScreen(g, &origin);
  EXPECT_EQ(r.left - origin.x, static_cast<LONG>(view->columns[1].x) - 3);
  EXPECT_EQ(r.right - r.left, static_cast<LONG>(view->columns[1].width) + 6);
  EXPECT_EQ(r.bottom - r.top, static_cast<LONG>(view->lineHeight) + 6);

  ASSERT_TRUE(vqwinTypeText("12a"));
  EXPECT_EQ(view->GetItemUInt(2, 1), 12u);
  EXPECT_EQ(view->GetItemValue(2, 1), DWORD_PTR(12));
  // Keys do not move the grid while its editor is open.
  SendMessageA(g, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(view->GetCurLine(), 2u);
  vqwinKeyPress(VK_ESCAPE, 0);
  EXPECT_EQ(view->GetChildWindow(), nullptr);
  EXPECT_FALSE(IsWindow(ed));
  EXPECT_EQ(view->GetItemUInt(2, 1), 5u);
  EXPECT_EQ(GetFocus(), g);
  EXPECT_EQ(Notes(), (NoteList{{101, GVN_EDITOROPENED, 2}, {101, GVN_EDITORCLOSED, 2}}));
  const auto log = GridLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().rfind("5 CGridView OnChildKillFocus: pSubClassEd = 0x", 0), 0u);
  EXPECT_NE(log.back().find(", itChildCtl = 4"), std::string::npos);
}

TEST_F(GridEdit, EscapeGivesALongerTextsOldValueBackInTheGrownBuffer) {
  Grid(GCK_EDIT);
  view->SetItemText(0, 0, "old");
  ASSERT_TRUE(view->EditCell(0, 0));
  ASSERT_TRUE(vqwinTypeText("a much longer text"));
  EXPECT_EQ(Text(0, 0), "a much longer text");
  const WORD grown = view->firstLine->items[0].capacity;
  EXPECT_GE(grown, 19);
  vqwinKeyPress(VK_ESCAPE, 0);
  EXPECT_EQ(Text(0, 0), "old");
  EXPECT_EQ(view->firstLine->items[0].capacity, grown);
  EXPECT_EQ(view->firstLine->items[0].savedType, 0);
  // Return keeps what was typed.
  ASSERT_TRUE(view->EditCell(0, 0));
  vqwinTypeText("new");
  vqwinKeyPress(VK_RETURN, 0);
  EXPECT_EQ(Text(0, 0), "new");
  EXPECT_EQ(view->GetChildWindow(), nullptr);
}

TEST_F(GridEdit, TypedNumbersOfEveryTypeReachTheItem) {
  Grid(GCK_EDIT);
  const struct {
    void (*set)(CGridView &);
    const char *typed;
    UINT64 value;
  } rows[] = {
      {[](CGridView &v) { v.SetItemInt(0, 0, 1); }, "-42", UINT64(0xFFFFFFD6u)},
      {[](CGridView &v) { v.SetItemFixed2(0, 0, 1); }, "1.234,56", 123456},
      {[](CGridView &v) { v.SetItemUInt64(0, 0, 1); }, "12345678901", 12345678901ull},
      {[](CGridView &v) { v.SetItemInt64(0, 0, 1); }, "-2", UINT64(-2)},
  };
  for (const auto &r : rows) {
    r.set(*view);
    ASSERT_TRUE(view->EditCell(0, 0)) << r.typed;
    vqwinTypeText(r.typed);
    vqwinKeyPress(VK_TAB, 0);
    EXPECT_EQ(view->GetItemValue64(0, 0), r.value) << r.typed;
  }
}

TEST_F(GridEdit, AClickElsewhereKeepsTheEditAndThenSelectsTheCell) {
  HWND g = Grid(GCK_EDIT);
  view->SetItemUInt(0, 0, 7);
  ASSERT_TRUE(view->EditCell(0, 0));
  vqwinTypeText("99");
  ClearNotes();
  const POINT c = CellCentre(3, 1);
  vqwinMouseClick(g, c.x, c.y, VK_LBUTTON, 0);
  EXPECT_EQ(view->GetItemUInt(0, 0), 99u);
  EXPECT_EQ(view->GetChildWindow(), nullptr);
  EXPECT_EQ(Notes(), (NoteList{{100, GVN_EDITORCLOSED, 0}, {101, GVN_CELLSELECTED, 3}}));
  EXPECT_EQ(view->GetCurLine(), 3u);
  EXPECT_EQ(view->GetCurColumn(), 1u);
  // A second click on the same cell opens its editor.
  vqwinAdvanceTime(1000);
  vqwinMouseClick(g, c.x, c.y, VK_LBUTTON, 0);
  EXPECT_NE(view->GetChildWindow(), nullptr);
  // WM_ENABLE closes the editor without a word to the parent.
  ClearNotes();
  SendMessageA(g, WM_ENABLE, FALSE, 0);
  EXPECT_EQ(view->GetChildWindow(), nullptr);
  EXPECT_TRUE(Notes().empty());
}

// Two grids in one parent: each reports under its own ids, and a click into
// the other grid ends the first one's editor, writing the typed value back.
TEST_F(GridEdit, TwoGridsInOneParentKeepTheirEditorsAndIdsApart) {
  HWND first = Grid(GCK_EDIT);
  CGridView *a = view;
  HWND second = CreateWindowExA(0, "CVQGridView32", "", WS_CHILD | WS_VISIBLE, 320, 10, 300, 200,
                                parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kGridId + 1)),
                                nullptr, nullptr);
  ASSERT_NE(second, nullptr);
  CGridView *b = view = Interface(second);
  ASSERT_NE(b, a);
  ASSERT_TRUE(b->SetColumnCount(2, FALSE));
  for (UINT c = 0; c < 2; ++c) {
    b->SetColumnHeader(c, 50, 0, "B", FALSE);
    b->SetColumnType(c, GCK_EDIT, 200 + c, 0);
  }
  AddLines(4);

  view = a;
  a->SetItemUInt(1, 1, 5);
  ASSERT_TRUE(a->EditCell(1, 1));
  vqwinTypeText("42");
  ClearNotes();
  view = b;
  const POINT c = CellCentre(2, 0);
  vqwinMouseClick(second, c.x, c.y, VK_LBUTTON, 0);
  EXPECT_EQ(a->GetChildWindow(), nullptr);
  EXPECT_EQ(a->GetItemUInt(1, 1), 42u);
  EXPECT_EQ(Notes(), (NoteList{{101, GVN_EDITORCLOSED, 1}, {200, GVN_CELLSELECTED, 2}}));
  EXPECT_EQ(b->GetCurLine(), 2u);
  EXPECT_EQ(a->GetCurLine(), 1u) << "the first grid keeps its current cell";

  ClearNotes();
  SetFocus(second);
  vqwinKeyPress(VK_RETURN, 0);
  EXPECT_NE(b->GetChildWindow(), nullptr);
  EXPECT_EQ(a->GetChildWindow(), nullptr);
  EXPECT_EQ(Notes(), (NoteList{{200, GVN_EDITOROPENED, 2}}));
  DestroyWindow(second);
  DestroyWindow(first);
}

INT_PTR CALLBACK EmptyDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// Two grids in a dialog: the dialog manager's Tab moves between them, the
// arrows and Return stay with the grid that has the focus.
TEST_F(GridEdit, TwoGridsInADialogShareItsKeysAsTheirCodesAsk) {
  // An extended template without items (version 1, signature 0xFFFF, help
  // id, extended style, style, no items, 400 x 200, no menu, class or
  // title): the grids join as tab stops after creation.
  alignas(4) BYTE tpl[32] = {1, 0, 0xFF, 0xFF};
  const DWORD style = WS_POPUP | WS_VISIBLE;
  std::memcpy(tpl + 12, &style, sizeof style);
  const SHORT size[2] = {400, 200};
  std::memcpy(tpl + 22, size, sizeof size);
  HWND dlg = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(tpl), parent,
                                        EmptyDialogProc, 0);
  ASSERT_NE(dlg, nullptr);
  CGridView *grids[2];
  HWND windows[2];
  for (int i = 0; i < 2; ++i) {
    windows[i] = CreateWindowExA(
        0, "CVQGridView32", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10 + 300 * i, 10, 280, 150, dlg,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kGridId + i)), nullptr, nullptr);
    ASSERT_NE(windows[i], nullptr);
    view = grids[i] = Interface(windows[i]);
    Columns({50, 50}, GCK_EDIT);
    AddLines(4);
    grids[i]->SetCurCell(0, 0);
  }
  SetFocus(windows[0]);
  vqwinSetAutoRun(FALSE);
  auto press = [&](UINT vk) {
    vqwinKeyPress(vk, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      if (!IsDialogMessageA(dlg, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
  };
  press(VK_DOWN);
  EXPECT_EQ(grids[0]->GetCurLine(), 1u);
  press(VK_TAB);
  EXPECT_EQ(GetFocus(), windows[1]);
  press(VK_DOWN);
  press(VK_DOWN);
  EXPECT_EQ(grids[1]->GetCurLine(), 2u);
  EXPECT_EQ(grids[0]->GetCurLine(), 1u);
  press(VK_RETURN);
  EXPECT_NE(grids[1]->GetChildWindow(), nullptr) << "Return opens the focused grid's editor";
  EXPECT_EQ(grids[0]->GetChildWindow(), nullptr);
  vqwinSetAutoRun(TRUE);
  DestroyWindow(dlg);
}

struct ListFill {
  std::vector<const char *> texts;
  int select = -1;
};
ListFill fill;
CGridView *filled = nullptr;

void FillOnOpen(const Note &n) {
  if (n.code != GVN_DROPDOWNOPENED)
    return;
  HWND popup = filled->GetChildWindow();
  SendMessageA(popup, LB_RESETCONTENT, 0, 0);
  for (size_t i = 0; i < fill.texts.size(); ++i)
    SendMessageA(popup, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(fill.texts[i]));
  // Not passed on by the popup: the list stays as filled.
  SendMessageA(popup, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("never"));
  SendMessageA(popup, LB_SETCURSEL, fill.select, 0);
}

TEST_F(GridEdit, TheDropDownListIsTheParentsAndItsChoiceIsRead) {
  HWND g = Grid(GCK_DROPDOWN);
  filled = view;
  fill = ListFill{{"red", "green", "blue"}, 1};
  Parent().onNote = FillOnOpen;
  ASSERT_TRUE(view->EditCell(1, 1));
  HWND popup = view->GetChildWindow();
  ASSERT_NE(popup, nullptr);
  char cls[32];
  GetClassNameA(popup, cls, sizeof cls);
  EXPECT_STREQ(cls, "CVQListBoxParent");
  HWND list = GetFocus();
  EXPECT_EQ(GetParent(list), popup);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(view->GetColumnListSel(1), 1u);
  EXPECT_NE(GetWindowLongA(popup, GWL_STYLE) & WS_POPUP, 0);
  vqwinKeyPress(VK_DOWN, 0);
  EXPECT_EQ(view->GetColumnListSel(1), 2u);
  vqwinKeyPress(VK_RETURN, 0);
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(GetFocus(), g);
  EXPECT_EQ(Notes(), (NoteList{{101, GVN_DROPDOWNOPENED, 1}, {101, GVN_DROPDOWNCHOSEN, 1}}));
  // Escape ends the list without a choice.
  ClearNotes();
  ASSERT_TRUE(view->EditCell(1, 1));
  vqwinKeyPress(VK_ESCAPE, 0);
  EXPECT_EQ(view->GetChildWindow(), nullptr);
  EXPECT_EQ(Notes(), (NoteList{{101, GVN_DROPDOWNOPENED, 1}}));
  // An empty list leaves no selection.
  fill = ListFill{};
  ASSERT_TRUE(view->EditCell(2, 1));
  EXPECT_EQ(view->GetColumnListSel(1), ~0u);
  vqwinKeyPress(VK_ESCAPE, 0);
  Parent().onNote = nullptr;
}

TEST_F(GridEdit, ADoubleClickInTheListChoosesTheItem) {
  HWND g = Grid(GCK_DROPDOWN);
  filled = view;
  fill = ListFill{{"one", "two", "three"}, 0};
  Parent().onNote = FillOnOpen;
  ASSERT_TRUE(view->EditCell(0, 0));
  HWND list = GetFocus();
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  ClearNotes();
  vqwinMouseDoubleClick(list, item.left + 5, (item.top + item.bottom) / 2, VK_LBUTTON, 0);
  EXPECT_EQ(view->GetColumnListSel(0), 2u);
  EXPECT_EQ(view->GetChildWindow(), nullptr);
  EXPECT_EQ(Notes(), (NoteList{{100, GVN_DROPDOWNCHOSEN, 0}}));
  EXPECT_EQ(GetFocus(), g);
  Parent().onNote = nullptr;
}

TEST_F(GridEdit, APictureOfALongGridInCellModeWithAnOpenEditor) {
  SetWindowPos(parent, nullptr, 0, 0, 660, 420, SWP_NOMOVE | SWP_NOZORDER);
  auto *grid = new CGridView;
  const RECT r{10, 10, 650, 410};
  ASSERT_TRUE(grid->Create(parent, kGridId, &r, GS_GRIDLINES));
  view = grid;
  view->SetColumnCount(6, FALSE);
  const struct {
    const char *header;
    UINT percent, kind;
    BYTE justify, flags;
  } cols[] = {
      {"Nr.", 8, GCK_TEXT, 2, 0},
      {"Name", 28, GCK_EDIT, 0, GCF_EDITONCLICK},
      {"Betrag", 18, GCK_EDIT, 2, GCF_GROUPDIGITS},
      {"Aktiv", 10, GCK_CHECKBOX, 1, 0},
      {"Farbe", 12, GCK_COLOR, 1, 0},
      {"Bemerkung", 24, GCK_EDIT, 0, GCF_BACKCOLORS | GCF_TEXTCOLOR},
  };
  for (UINT i = 0; i < 6; ++i) {
    view->SetColumnHeader(i, cols[i].percent, cols[i].justify, cols[i].header, FALSE);
    view->SetColumnType(i, cols[i].kind, 100 + i, cols[i].flags);
  }
  view->SetColumnColors(5, RGB(255, 255, 225), RGB(0, 0, 160), FALSE);
  view->SetSortMark(1, FALSE);
  static const char *names[] = {"Ahrens", "Berger", "Cramer", "Dietrich", "Ebert", "Fuchs"};
  static const COLORREF colours[] = {RGB(200, 40, 40), RGB(40, 160, 60), RGB(40, 80, 200),
                                     RGB(230, 180, 30)};
  for (UINT l = 0; l < 200; ++l) {
    view->InsertItem(l, l, FALSE);
    view->SetItemUInt(l, 0, l + 1);
    char name[40];
    std::snprintf(name, sizeof name, "%s, Kunde %u", names[l % 6], l + 1);
    view->SetItemText(l, 1, name);
    view->SetItemFixed2(l, 2, 12345u * (l + 1) + 99 * l);
    view->SetItemUInt(l, 3, l % 3);
    view->SetItemUInt(l, 4, colours[l % 4]);
    view->SetItemText(l, 5, l % 5 == 0 ? "Zahlung erwartet bis Monatsende" : "");
  }
  InvalidateRect(view->GetWindow(), nullptr, TRUE);
  view->SetCurCell(3, 2);
  view->EditCell(3, 1);
  vqwinTypeText("Cramer, Kundin 4");
  vqwinRunUntilIdle();
  EXPECT_TRUE(view->vBarShown);
  EXPECT_NE(view->GetChildWindow(), nullptr);
  const std::string path = testing::TempDir() + "grid_200_lines.png";
  ASSERT_TRUE(vqwinSaveScreenshot(parent, path.c_str()));
  std::printf("grid picture: %s\n", path.c_str());
  delete grid;
}

} // namespace
