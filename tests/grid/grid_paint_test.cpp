// Layout, scrolling, painting, mouse and keyboard of the grid window,
// driven by messages and synthetic input, checked by figures and pixels.
#include "grid_fixture.h"

#include <string>

namespace {

using vqtest::GridTest;
using vqtest::Note;
using NoteList = std::vector<Note>;

class GridLayout : public GridTest {
protected:
  // A grid of `lines` lines whose client area shows exactly `shown` lines.
  HWND Sized(UINT lines, UINT shown, int width = 300) {
    HWND g = MakeGrid(width, 100);
    const int h = static_cast<int>(view->headerHeight + shown * view->lineHeight);
    SetWindowPos(g, nullptr, 0, 0, width, h, SWP_NOMOVE | SWP_NOZORDER);
    Columns({33, 34, 33});
    AddLines(lines);
    return g;
  }
  static bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96; }
  // Dark pixels in a client rectangle of the grid.
  int DarkPixels(int left, int top, int right, int bottom) const {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        n += Dark(vqwinGetPixel(view->GetWindow(), x, y));
    return n;
  }
  void SaveOnFailure(const char *name) {
    if (HasFailure())
      vqwinSaveScreenshot(view->GetWindow(), (testing::TempDir() + name).c_str());
  }
};

TEST_F(GridLayout, MetricsAndColumnEdgesFollowTheFontAndThePercents) {
  ASSERT_NE(MakeGrid(300, 200), nullptr);
  EXPECT_GT(view->headerHeight, 10u);
  EXPECT_EQ(view->lineHeight, view->headerHeight - 2);
  EXPECT_GT(view->ellipsisWidth, 3u);
  Columns({33, 34, 33});
  const UINT x[] = {0, 99, 201}, w[] = {99, 102, 99};
  for (UINT i = 0; i < 3; ++i) {
    EXPECT_EQ(view->columns[i].x, x[i]) << i;
    EXPECT_EQ(view->columns[i].width, w[i]) << i;
  }
  // A new width moves the edges.
  SetWindowPos(view->GetWindow(), nullptr, 0, 0, 200, 200, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(view->columns[1].x, 66u);
  EXPECT_EQ(view->columns[2].x, 134u);
  EXPECT_EQ(view->totalWidth, 200u);
}

TEST_F(GridLayout, ALongGridScrollsAndAShortOneDoesNot) {
  Sized(100, 10);
  ASSERT_TRUE(view->vBarShown);
  EXPECT_EQ(view->lastVisible, 9u);
  EXPECT_EQ(view->scrollMax, 90u);
  int lo = -1, hi = -1;
  GetScrollRange(view->GetWindow(), SB_VERT, &lo, &hi);
  EXPECT_EQ(hi, 90);
  view->SetCurCell(0, 0);
  SendMessageA(view->GetWindow(), WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(view->GetTopLine(), 9u);
  EXPECT_EQ(view->GetCurLine(), 9u);
  EXPECT_EQ(GetScrollPos(view->GetWindow(), SB_VERT), 9);
  EXPECT_EQ(view->GetLineVisibility(8), -1);
  EXPECT_EQ(view->GetLineVisibility(18), 0);
  EXPECT_EQ(view->GetLineVisibility(19), 1);
  EXPECT_FALSE(view->ScrollLines(-10));
  EXPECT_FALSE(view->ScrollLines(91));
  EXPECT_TRUE(view->ScrollLines(0));
  EXPECT_TRUE(view->SetTopLine(500));
  EXPECT_EQ(view->GetTopLine(), 100u);

  DestroyWindow(view->GetWindow());
  Sized(5, 10);
  EXPECT_FALSE(view->vBarShown);
  EXPECT_FALSE(view->ScrollLines(1));
  EXPECT_FALSE(view->SetTopLine(1));
  EXPECT_FALSE(view->EnsureVisible(4));
  view->SetCurCell(2, 0);
  SendMessageA(view->GetWindow(), WM_KEYDOWN, VK_NEXT, 0);
  SendMessageA(view->GetWindow(), WM_KEYDOWN, VK_PRIOR, 0);
  EXPECT_EQ(view->GetCurLine(), 2u);
  EXPECT_EQ(view->GetTopLine(), 0u);
}

TEST_F(GridLayout, TheKeyboardTableMovesTheCurrentCell) {
  Sized(100, 10);
  const struct {
    UINT line, column, top, key;
    UINT wantLine, wantColumn, wantTop;
  } rows[] = {
      {5, 1, 0, VK_DOWN, 6, 1, 0},       {9, 1, 0, VK_DOWN, 10, 1, 1},
      {0, 1, 0, VK_UP, 0, 1, 0},         {20, 0, 20, VK_UP, 19, 0, 19},
      {5, 0, 0, VK_LEFT, 5, 0, 0},       {5, 2, 0, VK_RIGHT, 5, 2, 0},
      {5, 1, 0, VK_RIGHT, 5, 2, 0},      {5, 1, 0, VK_END, 9, 1, 0},
      {9, 1, 0, VK_END, 99, 1, 90},      {15, 1, 10, VK_HOME, 10, 1, 10},
      {10, 1, 10, VK_HOME, 0, 1, 0},     {95, 1, 88, VK_NEXT, 97, 1, 90},
      {30, 1, 25, VK_PRIOR, 21, 1, 16},  {7, 1, 4, VK_PRIOR, 3, 1, 0},
      {99, 2, 90, VK_DOWN, 99, 2, 90},   {~0u, ~0u, 0, VK_DOWN, 0, 0, 0},
      {~0u, ~0u, 0, VK_LEFT, ~0u, 0, 0},
  };
  for (const auto &r : rows) {
    const std::string row = "key " + std::to_string(r.key) + " from line " +
                            std::to_string(r.line) + " column " + std::to_string(r.column);
    view->topLine = r.top;
    view->curLine = r.line;
    view->curColumn = r.column;
    SendMessageA(view->GetWindow(), WM_KEYDOWN, r.key, 0);
    EXPECT_EQ(view->GetCurLine(), r.wantLine) << row;
    EXPECT_EQ(view->GetCurColumn(), r.wantColumn) << row;
    EXPECT_EQ(view->GetTopLine(), r.wantTop) << row;
  }
}

TEST_F(GridLayout, KeysNotifyMovesInsertsAndDeletesWithTheStylesIds) {
  Sized(20, 10);
  view->SetCurCell(3, 1);
  const struct {
    DWORD style;
    UINT key;
    Note note;
  } rows[] = {
      {GS_NOTIFYMOVES, VK_DOWN, {101, GVN_CELLMOVED, 4}},
      {GS_NOTIFYMOVES | GS_LINEMODE, VK_UP, {kGridId, GVN_CELLMOVED, 3}},
      {0, VK_INSERT, {101, GVN_INSERTCELL, 3}},
      {GS_INSERTBYGRID, VK_INSERT, {kGridId, GVN_INSERTLINE, 3}},
      {0, VK_DELETE, {101, GVN_DELETECELL, 3}},
      {GS_DELETEBYGRID, VK_DELETE, {kGridId, GVN_DELETELINE, 3}},
      {GS_LINEMODE, VK_DELETE, {kGridId, GVN_DELETELINE, 3}},
  };
  for (const auto &r : rows) {
    view->SetStyle(r.style);
    ClearNotes();
    SendMessageA(view->GetWindow(), WM_KEYDOWN, r.key, 0);
    EXPECT_EQ(Notes(), NoteList{r.note}) << "style " << r.style << " key " << r.key;
  }
  // A key that moves nothing tells nothing.
  view->SetStyle(GS_NOTIFYMOVES);
  view->curLine = 0;
  ClearNotes();
  SendMessageA(view->GetWindow(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_TRUE(Notes().empty());
}

TEST_F(GridLayout, TheScrollBarAndTheWheelMoveTheTopLineAndPostItsNotification) {
  HWND g = Sized(100, 10);
  const struct {
    WPARAM wp;
    UINT from, to;
  } rows[] = {
      {SB_LINEDOWN, 0, 1},   {SB_LINEUP, 0, 0},  {SB_LINEDOWN, 90, 90},
      {SB_PAGEDOWN, 85, 90}, {SB_PAGEUP, 5, 0},  {SB_PAGEUP, 30, 21},
      {SB_TOP, 40, 0},       {SB_BOTTOM, 0, 90}, {MAKEWPARAM(SB_THUMBTRACK, 33), 0, 33},
      {SB_ENDSCROLL, 7, 7},
  };
  for (const auto &r : rows) {
    view->topLine = r.from;
    ClearNotes();
    SendMessageA(g, WM_VSCROLL, r.wp, 0);
    EXPECT_EQ(view->GetTopLine(), r.to) << r.wp << " from " << r.from;
    vqwinRunUntilIdle(); // the notification is posted
    const NoteList want =
        r.to == r.from ? NoteList{} : NoteList{{kGridId, GVN_TOPLINECHANGED, LPARAM(r.to)}};
    EXPECT_EQ(Notes(), want) << r.wp << " from " << r.from;
  }
  view->topLine = 10;
  SetFocus(g);
  ClearNotes();
  ASSERT_TRUE(vqwinMouseWheel(g, 50, 50, -WHEEL_DELTA));
  EXPECT_EQ(view->GetTopLine(), 13u);
  ASSERT_TRUE(vqwinMouseWheel(g, 50, 50, 2 * WHEEL_DELTA));
  EXPECT_EQ(view->GetTopLine(), 7u);
  ASSERT_TRUE(vqwinMouseWheel(g, 50, 50, 5 * WHEEL_DELTA));
  EXPECT_EQ(view->GetTopLine(), 0u);
  // Half notches add up.
  vqwinMouseWheel(g, 50, 50, -60);
  EXPECT_EQ(view->GetTopLine(), 0u);
  vqwinMouseWheel(g, 50, 50, -60);
  EXPECT_EQ(view->GetTopLine(), 3u);
  EXPECT_EQ(Notes(), (NoteList{{kGridId, GVN_TOPLINECHANGED, 13},
                               {kGridId, GVN_TOPLINECHANGED, 7},
                               {kGridId, GVN_TOPLINECHANGED, 0},
                               {kGridId, GVN_TOPLINECHANGED, 3}}));
}

TEST_F(GridLayout, ClicksSelectCellsAndReportTheirPlace) {
  HWND g = Sized(5, 10);
  const POINT c = CellCentre(2, 1);
  const int below = CellCentre(7, 1).y; // inside the window, under the lines
  vqwinMouseClick(g, c.x, c.y, VK_LBUTTON, 0);
  EXPECT_EQ(view->GetCurLine(), 2u);
  EXPECT_EQ(view->GetCurColumn(), 1u);
  vqwinMouseClick(g, 150, 5, VK_LBUTTON, 0);     // header of column 1
  vqwinMouseClick(g, c.x, below, VK_LBUTTON, 0); // under the lines
  vqwinMouseClick(g, 150, 5, VK_RBUTTON, 0);     // header
  vqwinMouseClick(g, 150, 5, VK_MBUTTON, 0);
  vqwinMouseClick(g, c.x, c.y, VK_RBUTTON, 0);   // a cell
  vqwinMouseClick(g, c.x, below, VK_RBUTTON, 0); // no line
  EXPECT_EQ(Notes(), (NoteList{{101, GVN_CELLSELECTED, 2},
                               {kGridId, GVN_LCLICKHEADER, 1},
                               {kGridId, GVN_LCLICKEMPTY, MAKELPARAM(c.x, below)},
                               {kGridId, GVN_RCLICKHEADER, 1},
                               {kGridId, GVN_MCLICKHEADER, 1},
                               {101, GVN_RCLICKCELL, 2},
                               {kGridId, GVN_RCLICKEMPTY, MAKELPARAM(c.x, below)}}));
  EXPECT_EQ(view->GetCurLine(), ~0u);
  ClearNotes();
  view->SetStyle(GS_RCLICKDETAIL);
  vqwinMouseClick(g, c.x, c.y, VK_RBUTTON, 0);
  EXPECT_EQ(Notes(), (NoteList{{kGridId, GVN_RCLICKLINE, 0}}));
  EXPECT_EQ(vqtest::Parent().detail,
            (std::vector<UINT>{2, 1, static_cast<UINT>(c.x), static_cast<UINT>(c.y)}));
  // Line mode: the first click selects the line, the second edits it.
  ClearNotes();
  view->SetStyle(GS_LINEMODE);
  vqwinMouseClick(g, c.x, c.y, VK_LBUTTON, 0);
  vqwinAdvanceTime(1000);
  vqwinMouseClick(g, c.x, c.y, VK_LBUTTON, 0);
  EXPECT_EQ(Notes(), (NoteList{{kGridId, GVN_LINESELECTED, 2}, {kGridId, GVN_EDITLINE, 2}}));
}

TEST_F(GridLayout, DraggingABorderResizesDownToZeroWithTheResizeCursor) {
  HWND g = Sized(5, 10);
  ASSERT_TRUE(vqwinMouseMove(g, 100, 5)); // near the left edge of column 1 (99)
  EXPECT_TRUE(view->resizeCursor);
  EXPECT_EQ(GetCursor(),
            LoadCursorA(theLibrary.GetModule(), MAKEINTRESOURCEA(vq::grid::kCurColumnResize)));
  EXPECT_EQ(GetCapture(), g);
  ASSERT_TRUE(vqwinMouseDrag(g, 100, 5, 140, 5, 4));
  EXPECT_FALSE(view->resizing);
  EXPECT_EQ(view->columns[0].width, 139u);
  EXPECT_EQ(view->columns[1].x, 139u);
  EXPECT_EQ(view->columns[1].width, 102u);
  EXPECT_EQ(view->columns[2].x, 241u);
  EXPECT_EQ(view->columns[0].percent, 46u);
  // Past the left edge of the column before: it keeps no width.
  vqwinMouseMove(g, 240, 5);
  ASSERT_TRUE(view->resizeCursor);
  vqwinMouseDrag(g, 240, 5, 50, 5, 3);
  EXPECT_EQ(view->columns[1].width, 0u);
  EXPECT_EQ(view->columns[2].x, 139u);
  EXPECT_EQ(view->columns[1].percent, 0u);
  // Leaving the header gives the cursor and the mouse back.
  vqwinMouseMove(g, 200, 100);
  EXPECT_FALSE(view->resizeCursor);
  EXPECT_NE(GetCapture(), g);
}

TEST_F(GridLayout, TheCurrentCellAndColumnColoursShowInTheirPixels) {
  HWND g = Sized(6, 10);
  view->SetStyle(GS_GRIDLINES);
  view->SetColumnType(2, GCK_TEXT, 102, GCF_BACKCOLORS);
  view->SetColumnColors(2, RGB(255, 255, 200), RGB(0, 0, 255), TRUE);
  view->SetCurCell(1, 0);
  vqwinRunUntilIdle();
  const POINT cur = CellCentre(1, 0), other = CellCentre(3, 2);
  EXPECT_EQ(vqwinGetPixel(g, cur.x + 30, cur.y), COLORREF(0x600000));
  EXPECT_EQ(vqwinGetPixel(g, other.x + 30, other.y), RGB(255, 255, 200));
  // A vertical grid line at column 1's left edge, in the 3D face colour.
  EXPECT_EQ(vqwinGetPixel(g, 99, other.y), GetSysColor(COLOR_3DFACE));
  // Without the focus the selection takes its other colour.
  SetFocus(parent);
  vqwinRunUntilIdle();
  EXPECT_EQ(vqwinGetPixel(g, cur.x + 30, cur.y), COLORREF(0xD0A0A0));
  // Without grid lines: no lines, and the cell still highlighted.
  view->SetStyle(0);
  InvalidateRect(g, nullptr, TRUE);
  vqwinRunUntilIdle();
  EXPECT_EQ(vqwinGetPixel(g, 99, other.y + 30), RGB(255, 255, 255));
  EXPECT_EQ(vqwinGetPixel(g, cur.x + 30, cur.y), COLORREF(0xD0A0A0));
  SaveOnFailure("grid_colours.png");
}

TEST_F(GridLayout, LongTextsEndInAnEllipsisAndSortMarksOnlyWhereTheyFit) {
  HWND g = Sized(2, 10);
  view->SetColumnHeader(0, 10, 0, "A header far too wide for it", FALSE);
  view->SetColumnHeader(1, 2, 0, "Narrow", FALSE);
  view->SetColumnHeader(2, 88, 0, "Sorted", FALSE);
  view->SetSortMark(2, TRUE);
  view->SetItemText(0, 0, "A cell text far too wide for its column");
  view->SetItemText(0, 1, "");
  InvalidateRect(g, nullptr, TRUE);
  vqwinRunUntilIdle();
  const SGridColumn &c0 = view->columns[0], &c1 = view->columns[1], &c2 = view->columns[2];
  ASSERT_LT(c1.width, 7u);
  const int hh = static_cast<int>(view->headerHeight);
  // Column 0 (30 pixels): the cut text and its dots stay in the cell.
  const int top = hh + 1, bottom = hh + static_cast<int>(view->lineHeight);
  EXPECT_GT(DarkPixels(0, top, c0.width, bottom), 0);
  EXPECT_GT(DarkPixels(c0.width - 8, top, c0.width, bottom), 0);
  EXPECT_EQ(DarkPixels(c0.width, top, c0.width + c1.width, bottom), 0);
  // Column 1 (under 7 pixels): only the dots, which start 3 pixels in.
  EXPECT_GT(DarkPixels(c1.x + 3, 2, c1.x + c1.width, hh - 2), 0);
  // The mark, lighter than the face it sits on, at the cell's right end.
  const COLORREF face = GetSysColor(COLOR_3DFACE);
  const COLORREF mark =
      RGB(std::min(GetRValue(face) * 12 / 10, 255), std::min(GetGValue(face) * 12 / 10, 255),
          std::min(GetBValue(face) * 12 / 10, 255));
  int markPixels = 0;
  for (int y = 0; y < hh; ++y)
    for (int x = c2.x + c2.width - 20; x < int(c2.x + c2.width); ++x)
      markPixels += vqwinGetPixel(g, x, y) == mark;
  EXPECT_GT(markPixels, 10);
  // A mark on a column too narrow for it is not drawn.
  view->SetSortMark(1, FALSE);
  InvalidateRect(g, nullptr, TRUE);
  vqwinRunUntilIdle();
  int narrowMark = 0;
  for (int y = 0; y < hh; ++y)
    for (int x = c1.x; x < int(c1.x + c1.width); ++x)
      narrowMark += vqwinGetPixel(g, x, y) == mark;
  EXPECT_EQ(narrowMark, 0);
  SaveOnFailure("grid_ellipsis.png");
}

// The UTF-16 class keeps and paints texts of characters beyond one code
// page; its single-byte reader refuses them rather than cutting them.
TEST_F(GridLayout, TheWideClassPaintsAndReturnsUtf16Texts) {
  HWND g = MakeGrid(300, 100, kGridId, "CVQGridView32W");
  ASSERT_NE(g, nullptr);
  Columns({50, 50});
  ASSERT_TRUE(view->InsertItem(0, 0, FALSE));
  const WCHAR text[] = u"\u00C4rger \u2713 \u0416";
  ASSERT_TRUE(view->SetItemTextW(0, 0, text));
  WCHAR back[32] = {};
  ASSERT_TRUE(view->GetItemTextW(0, 0, back, sizeof back));
  EXPECT_EQ(std::u16string(back), std::u16string(text));
  char narrow[32];
  EXPECT_FALSE(view->GetItemText(0, 0, narrow, sizeof narrow));
  InvalidateRect(g, nullptr, TRUE);
  vqwinRunUntilIdle();
  const int top = static_cast<int>(view->headerHeight) + 1;
  EXPECT_GT(DarkPixels(0, top, static_cast<int>(view->columns[0].width),
                       top + static_cast<int>(view->lineHeight)),
            20);
  SaveOnFailure("grid_wide.png");
}

struct OwnerRun {
  std::vector<std::pair<UINT, UINT>> asked;
};

BOOL CALLBACK OwnerCell(UINT line, UINT column, char *buffer, UINT size, UINT *length,
                        DWORD_PTR user) {
  auto *run = reinterpret_cast<OwnerRun *>(user);
  run->asked.emplace_back(line, column);
  if (column == 2 && line % 2 == 1)
    return FALSE;
  *length = static_cast<UINT>(std::snprintf(buffer, size, "Owner %u/%u", line, column));
  return TRUE;
}

TEST_F(GridLayout, OwnerDataLinesStopAtAFailingCell) {
  HWND g = MakeGrid(400, 100);
  const int h = static_cast<int>(view->headerHeight + 4 * view->lineHeight);
  SetWindowPos(g, nullptr, 0, 0, 400, h, SWP_NOMOVE | SWP_NOZORDER);
  Columns({25, 25, 25, 25});
  view->SetStyle(GS_OWNERDATA);
  OwnerRun run;
  ASSERT_TRUE(view->SetItemCount(OwnerCell, 1000000, reinterpret_cast<DWORD_PTR>(&run), TRUE));
  view->SetTopLine(500);
  vqwinRunUntilIdle();
  // Lines 500-503 shown; odd lines end at column 2.
  const std::vector<std::pair<UINT, UINT>> asked = {
      {500, 0}, {500, 1}, {500, 2}, {500, 3}, {501, 0}, {501, 1}, {501, 2},
      {502, 0}, {502, 1}, {502, 2}, {502, 3}, {503, 0}, {503, 1}, {503, 2}};
  EXPECT_EQ(run.asked, asked);
  const RECT odd = {static_cast<LONG>(view->columns[3].x), 0, 400, 0};
  const int oddTop = static_cast<int>(view->headerHeight + view->lineHeight + 1);
  const int evenTop = static_cast<int>(view->headerHeight + 1);
  const int lh = static_cast<int>(view->lineHeight);
  EXPECT_EQ(DarkPixels(odd.left, oddTop, odd.right, oddTop + lh - 1), 0);
  EXPECT_GT(DarkPixels(odd.left, evenTop, odd.right, evenTop + lh - 1), 0);
  SaveOnFailure("grid_owner.png");
}

} // namespace
