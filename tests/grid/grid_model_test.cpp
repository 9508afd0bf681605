// The grid window's classes, its object's life and its data model,
// through real windows and the IGridView interface they answer WM_USER
// with: columns, lines and typed items, owner data, selection by program
// with its notifications, and destruction while the grid sends.
#include "grid_fixture.h"

#include <cstring>
#include <memory>

namespace {

using vqtest::GridTest;
using vqtest::Note;
using vqtest::Parent;
using Log = std::vector<std::string>;

class GridModel : public GridTest {};

TEST_F(GridModel, ClassesAreRegisteredAtLoadAndARepeatStopsAtTheExistingClass) {
  for (const char *name : {"CVQGridView32", "CVQGridView32W", "CVQListBoxParent"}) {
    WNDCLASSA wc{};
    ASSERT_TRUE(GetClassInfoA(theLibrary.GetModule(), name, &wc)) << name;
    EXPECT_EQ(wc.style, UINT(CS_GLOBALCLASS)) << name;
    EXPECT_EQ(wc.cbWndExtra, int(sizeof(LONG_PTR))) << name;
    EXPECT_EQ(wc.hbrBackground, GetStockObject(WHITE_BRUSH)) << name;
  }
  // A second attach meets the existing class: one log line, no box, the
  // other two are not tried, and the entry point still answers TRUE.
  EXPECT_TRUE(DllMain(theLibrary.GetModule(), DLL_PROCESS_ATTACH, nullptr));
  EXPECT_EQ(GridLog(),
            Log{"0 CGridView Error 1410 on registering the ASCII grid window class CVQGridView32"});
  EXPECT_EQ(vqwinGetMessageBoxCount(), 0);
}

TEST_F(GridModel, AWindowMadeByClassNameOwnsItsObjectAndACallersObjectStaysTheCallers) {
  HWND own = MakeGrid(300, 200);
  ASSERT_NE(own, nullptr);
  EXPECT_TRUE(view->ownsSelf);
  EXPECT_EQ(view->GetWindow(), own);
  EXPECT_EQ(view->ownId, kGridId);

  auto mine = std::make_unique<CGridView>();
  const RECT r{10, 220, 310, 420};
  ASSERT_TRUE(mine->Create(parent, kGridId + 1, &r, GS_GRIDLINES));
  HWND theirs = mine->GetWindow();
  EXPECT_EQ(Interface(theirs), mine.get());
  EXPECT_FALSE(mine->ownsSelf);
  EXPECT_EQ(mine->GetStyle(), DWORD(GS_GRIDLINES));
  EXPECT_EQ(GetWindowLongA(theirs, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
  // Two grids in one parent keep their own objects.
  EXPECT_NE(Interface(own), Interface(theirs));

  // Destroying the caller's window leaves the object, detached.
  DestroyWindow(theirs);
  EXPECT_EQ(mine->GetWindow(), nullptr);
  EXPECT_EQ(mine->ownId, ~0u);
  // Deleting the caller's object destroys its window.
  ASSERT_TRUE(mine->Create(parent, kGridId + 1, &r, 0));
  theirs = mine->GetWindow();
  mine.reset();
  EXPECT_FALSE(IsWindow(theirs));
  EXPECT_TRUE(IsWindow(own));
}

TEST_F(GridModel, CreateIntoNoParentFailsWithItsLogLineAndBox) {
  CGridView g;
  const RECT r{0, 0, 10, 10};
  EXPECT_FALSE(g.Create(reinterpret_cast<HWND>(0x7777), 1, &r, 0));
  EXPECT_EQ(GridLog(), Log{"0 CGridView Error 1400 on creating a grid control window"});
  ASSERT_EQ(vqwinGetMessageBoxCount(), 1);
  const auto box = vqwin::MessageBoxRecords()[0];
  EXPECT_EQ(box.caption, "vq_tbl32 Fehler (Fehlercode = 1102)");
  EXPECT_EQ(box.text, "Das Fenster der Tabellenansicht kann nicht erzeugt werden (Fehler 1400).");
}

TEST_F(GridModel, ColumnCountsShareOneHundredPercentEvenly) {
  ASSERT_NE(MakeGrid(300, 200), nullptr);
  const struct {
    UINT count;
    std::vector<UINT> percents;
  } rows[] = {{1, {100}},
              {3, {33, 34, 33}},
              {6, {17, 16, 17, 17, 16, 17}},
              {7, {14, 15, 14, 14, 14, 15, 14}}};
  for (const auto &r : rows) {
    ASSERT_TRUE(view->SetColumnCount(r.count, FALSE));
    std::vector<UINT> got;
    for (UINT i = 0; i < view->columnCount; ++i) {
      got.push_back(view->columns[i].percent);
      EXPECT_EQ(view->columns[i].vjustify, 1) << r.count;
      EXPECT_EQ(view->GetColumnListSel(i), ~0u) << r.count;
    }
    EXPECT_EQ(got, r.percents) << r.count;
    EXPECT_EQ(view->totalWidth, 300u) << r.count;
  }
  EXPECT_TRUE(view->SetColumnCount(0, TRUE));
  EXPECT_EQ(view->columnCount, 0u);
  EXPECT_EQ(view->GetColumnListSel(0), ~0u);
  EXPECT_FALSE(view->SetColumnType(0, GCK_EDIT, 1, 0));
  EXPECT_FALSE(view->SetColumnHeader(0, 10, 0, "x", FALSE));
}

TEST_F(GridModel, InsertingBeyondTheEndFillsTheGapWithEmptyLines) {
  ASSERT_NE(MakeGrid(300, 200), nullptr);
  Columns({50, 50});
  ASSERT_TRUE(view->InsertItem(5, 77, FALSE));
  ASSERT_EQ(view->GetLineCount(), 6u);
  for (UINT l = 0; l < 5; ++l)
    EXPECT_EQ(view->GetLineData(l), 0u) << l;
  EXPECT_EQ(view->GetLineData(5), 77u);
  EXPECT_EQ(view->GetLineData(6), ~0u);
  // Inserting in the middle moves the later lines down.
  ASSERT_TRUE(view->InsertItem(2, 22, FALSE));
  ASSERT_TRUE(view->InsertItem(0, 11, FALSE));
  EXPECT_EQ(view->GetLineData(0), 11u);
  EXPECT_EQ(view->GetLineData(3), 22u);
  EXPECT_EQ(view->GetLineData(7), 77u);
  EXPECT_FALSE(view->DeleteItem(8, FALSE));
  EXPECT_EQ(view->GetLineCount(), 8u);
  EXPECT_TRUE(view->DeleteItem(3, FALSE));
  EXPECT_EQ(view->GetLineData(3), 0u);
  EXPECT_EQ(view->GetLineData(6), 77u);
  view->SetCurCell(1, 1);
  view->DeleteAllItems(TRUE);
  EXPECT_EQ(view->GetLineCount(), 0u);
  EXPECT_EQ(view->GetCurLine(), ~0u);
  EXPECT_EQ(view->GetCurColumn(), ~0u);
  EXPECT_FALSE(view->DeleteItem(0, FALSE));
}

TEST_F(GridModel, TextBuffersOnlyGrowAndANullTextIsEmpty) {
  ASSERT_NE(MakeGrid(300, 200), nullptr);
  Columns({100});
  view->InsertItem(0, 0, FALSE);
  ASSERT_TRUE(view->SetItemText(0, 0, "a longer text"));
  const DWORD_PTR buffer = view->GetItemValue(0, 0);
  SGridElt *e = &view->firstLine->items[0];
  EXPECT_EQ(e->capacity, 14);
  ASSERT_TRUE(view->SetItemText(0, 0, "short"));
  EXPECT_EQ(view->GetItemValue(0, 0), buffer);
  EXPECT_EQ(e->capacity, 14);
  ASSERT_TRUE(view->SetItemText(0, 0, "a text longer than before"));
  EXPECT_EQ(e->capacity, 26);
  ASSERT_TRUE(view->SetItemText(0, 0, nullptr));
  char out[32] = "x";
  ASSERT_TRUE(view->GetItemText(0, 0, out, sizeof out));
  EXPECT_STREQ(out, "");
  // Cut to the buffer given.
  view->SetItemText(0, 0, "abcdef");
  ASSERT_TRUE(view->GetItemText(0, 0, out, 4));
  EXPECT_STREQ(out, "abc");
  const WCHAR wide[] = {'W', 0x20AC, '7', 0};
  ASSERT_TRUE(view->SetItemTextW(0, 0, wide));
  WCHAR wout[8] = {};
  ASSERT_TRUE(view->GetItemTextW(0, 0, wout, 5)); // two characters and the zero
  EXPECT_EQ(wout[0], 'W');
  EXPECT_EQ(wout[1], 0x20AC);
  EXPECT_EQ(wout[2], 0);
  // Missing cells.
  EXPECT_FALSE(view->SetItemText(1, 0, "x"));
  EXPECT_FALSE(view->SetItemUInt(0, 1, 3));
  EXPECT_EQ(view->GetItemUInt(0, 1), 0u);
}

TEST_F(GridModel, TypedItemsReadBackAndWrongReadsNameTheCellAndType) {
  ASSERT_NE(MakeGrid(300, 200), nullptr);
  Columns({20, 20, 20, 20, 20});
  view->InsertItem(0, 0, FALSE);
  view->SetItemUInt64(0, 0, 0x123456789ull);
  view->SetItemInt(0, 1, -5);
  view->SetItemText(0, 2, "123");
  const WCHAR w[] = {'4', '2', 0};
  view->SetItemTextW(0, 3, w);
  view->SetItemFixed2(0, 4, 12345);
  EXPECT_EQ(view->GetItemUInt64(0, 0), 0x123456789ull);
  EXPECT_EQ(view->GetItemValue64(0, 0), 0x123456789ull);
  EXPECT_EQ(view->GetItemUInt(0, 0), 0x23456789u);
  EXPECT_EQ(view->GetItemValue(0, 1), DWORD_PTR(0xFFFFFFFBu));
  EXPECT_EQ(view->GetItemUInt(0, 2), 123u);
  EXPECT_EQ(view->GetItemUInt64(0, 3), 42u);
  EXPECT_EQ(view->GetItemInt(0, 1), -1);
  EXPECT_EQ(view->GetItemUInt(0, 4), 12345u);

  theLibrary.ClearCaptured();
  char t[8];
  WCHAR tw[8];
  EXPECT_FALSE(view->GetItemText(0, 1, t, sizeof t));
  EXPECT_FALSE(view->GetItemText(0, 3, t, sizeof t));
  EXPECT_FALSE(view->GetItemTextW(0, 2, tw, sizeof tw));
  EXPECT_FALSE(view->GetItemTextW(0, 0, tw, sizeof tw));
  EXPECT_EQ(GridLog(), (Log{"0 CGridView Grid item (0,1): Cannot read data of type 2 as text",
                            "0 CGridView Grid item (0,3): UNICODE text cannot be read as text",
                            "0 CGridView Grid item (0,2): ASCII text cannot be read as UNICODE",
                            "0 CGridView Grid item (0,0): Cannot read data of type 10 as text"}));
}

BOOL CALLBACK Owner(UINT, UINT, char *, UINT, UINT *, DWORD_PTR) { return FALSE; }

TEST_F(GridModel, OwnerDataNeedsItsStyleBit) {
  ASSERT_NE(MakeGrid(300, 200), nullptr);
  Columns({100});
  AddLines(3);
  EXPECT_FALSE(view->SetItemCount(Owner, 500, 9, TRUE));
  EXPECT_EQ(GridLog(), Log{"0 CGridView Call of SetItemCount but GS_OWNERDATA is clear"});
  EXPECT_EQ(view->GetLineCount(), 3u);
  view->AddStyle(GS_OWNERDATA);
  EXPECT_TRUE(view->SetItemCount(Owner, 500, 9, TRUE));
  EXPECT_EQ(view->GetLineCount(), 500u);
  EXPECT_EQ(view->ownerValue, DWORD_PTR(9));
  EXPECT_TRUE(view->vBarShown);
}

TEST_F(GridModel, StyleCallsAnswerAsTheirCallersExpect) {
  CGridView g;
  EXPECT_EQ(g.SetStyle(0x19), 0x19u);
  EXPECT_EQ(g.AddStyle(0x20), 0x20u);
  EXPECT_EQ(g.GetStyle(), 0x39u);
  EXPECT_EQ(g.RemoveStyle(0x01), ~DWORD(0x01));
  EXPECT_EQ(g.GetStyle(), 0x38u);
}

TEST_F(GridModel, SortMarksTurnIntoHadAMarkWhenAnotherColumnGetsOne) {
  ASSERT_NE(MakeGrid(300, 200), nullptr);
  Columns({50, 50}, GCK_TEXT, GCF_GROUPDIGITS);
  EXPECT_FALSE(view->HasSortMark(0));
  ASSERT_TRUE(view->SetSortMark(0, TRUE));
  EXPECT_EQ(view->columns[0].flags, GCF_GROUPDIGITS | 6);
  ASSERT_TRUE(view->SetSortMark(1, FALSE));
  EXPECT_EQ(view->columns[0].flags, GCF_GROUPDIGITS | 2);
  EXPECT_EQ(view->columns[1].flags, GCF_GROUPDIGITS | 4);
  EXPECT_TRUE(view->HasSortMark(0));
  view->ClearSortMarks();
  EXPECT_EQ(view->columns[1].flags, GCF_GROUPDIGITS | 2);
  EXPECT_FALSE(view->SetSortMark(2, TRUE));
}

TEST_F(GridModel, LineColoursShareABrushWhileEvenAndOddAreEqual) {
  CBGColor c{};
  c.color1 = c.color2 = 0x123456;
  ASSERT_TRUE(c.CreateBrushes());
  EXPECT_EQ(c.brush1, c.brush2);
  EXPECT_TRUE(c.ownBrush1);
  EXPECT_FALSE(c.ownBrush2);
  ASSERT_TRUE(c.SetColor(TRUE, 0xFFFFFF));
  EXPECT_EQ(c.brush2, GetStockObject(WHITE_BRUSH));
  EXPECT_FALSE(c.ownBrush2);
  ASSERT_TRUE(c.SetColor(TRUE, 0x123456));
  EXPECT_EQ(c.brush2, c.brush1);
  // Changing colour 1 while brush 2 shares it keeps colour 2's brush.
  ASSERT_TRUE(c.SetColor(FALSE, 0));
  EXPECT_EQ(c.brush1, GetStockObject(BLACK_BRUSH));
  EXPECT_NE(c.brush2, c.brush1);
  LOGBRUSH lb{};
  ASSERT_TRUE(GetObjectA(c.brush2, sizeof lb, &lb));
  EXPECT_EQ(lb.lbColor, 0x123456u);
  c.Release();
  EXPECT_EQ(c.brush1, nullptr);
  EXPECT_EQ(c.brush2, nullptr);
}

TEST_F(GridModel, SelectingByProgramNotifiesWithTheModesIds) {
  ASSERT_NE(MakeGrid(300, 200), nullptr);
  Columns({50, 50});
  AddLines(4);
  EXPECT_TRUE(view->SetCurCell(2, 1));
  EXPECT_EQ(GetFocus(), view->GetWindow());
  EXPECT_FALSE(view->SetCurCell(4, 0));
  EXPECT_FALSE(view->SetCurCell(0, 2));
  EXPECT_TRUE(view->SetCurCell(~0u, 0));
  EXPECT_EQ(view->GetCurLine(), ~0u);
  EXPECT_EQ(view->GetCurColumn(), ~0u);
  view->SetStyle(GS_LINEMODE);
  EXPECT_TRUE(view->SetCurCell(3, 0));
  EXPECT_EQ(Notes(),
            (std::vector<Note>{{101, GVN_CELLSELECTED, 2}, {kGridId, GVN_LINESELECTED, 3}}));
  // WM_USER + 1 edits: in line mode that tells the parent.
  ClearNotes();
  EXPECT_EQ(SendMessageA(view->GetWindow(), GM_EDITCELL, 1, 0), 0);
  EXPECT_EQ(Notes(), (std::vector<Note>{{kGridId, GVN_EDITLINE, 1}}));
}

TEST_F(GridModel, ADetachedWindowAnswersNoInterface) {
  HWND g = MakeGrid(300, 200);
  ASSERT_NE(g, nullptr);
  SetWindowLongPtrA(g, 0, 0);
  EXPECT_EQ(SendMessageA(g, GM_GETINTERFACE, 0, 0), 0);
  // The object is the window's, and the window forgot it.
  delete view;
}

TEST_F(GridModel, DestroyedWhileSendingItFinishesAfterTheSend) {
  HWND g = MakeGrid(300, 200);
  ASSERT_NE(g, nullptr);
  Columns({100});
  AddLines(2);
  Parent().destroyOnChar = g;
  SetFocus(g);
  theLibrary.ClearCaptured();
  ASSERT_TRUE(vqwinTypeText("x"));
  EXPECT_FALSE(IsWindow(g));
  EXPECT_EQ(GridLog(), Log{"1 CGridView WM_DESTROY received: Message send is currently active"});
  EXPECT_EQ(Parent().keys, std::vector<std::string>{"char 120"});
}

TEST_F(GridModel, KeysForTheParentArePassedOnAndItsAnswerReturned) {
  HWND g = MakeGrid(300, 200);
  Columns({100});
  Parent().keyAnswer = 42;
  EXPECT_EQ(SendMessageA(g, WM_KEYDOWN, VK_F5, 0), 42);
  EXPECT_EQ(SendMessageA(g, WM_KEYDOWN, VK_ESCAPE, 0), 42);
  EXPECT_EQ(SendMessageA(g, WM_SYSKEYDOWN, VK_F10, 0), 42);
  EXPECT_EQ(SendMessageA(g, WM_SYSKEYDOWN, 'X', 0), 0);
  EXPECT_EQ(Parent().keys, (std::vector<std::string>{"key 116", "key 27", "key 121"}));
  MSG m{g, WM_KEYDOWN, VK_INSERT, 0, 0, {}};
  EXPECT_EQ(SendMessageA(g, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&m)), 5);
  m.wParam = VK_RETURN; // no current line
  EXPECT_EQ(SendMessageA(g, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&m)), 1);
}

} // namespace
