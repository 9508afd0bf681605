// Scrolling by a few lines moves the grid's pixels and paints only what
// comes in: after every step the window must look exactly as the same
// grid painted whole, and a one-line step must not repaint the window.
#include "grid_fixture.h"

#include <functional>
#include <string>

namespace {

using vqtest::GridTest;

BOOL CALLBACK OwnerText(UINT line, UINT column, char *buffer, UINT size, UINT *length, DWORD_PTR) {
  const int n = std::snprintf(buffer, size, column == 1 ? "%u,%02u" : "L%u gjpq %u", line * 37,
                              column + line % 7);
  *length = static_cast<UINT>(n);
  return TRUE;
}

class GridScroll : public GridTest {
protected:
  // Half a line is left under the last full line, so the part-line strip
  // is in every picture.
  HWND Make(DWORD style, bool owner) {
    HWND g = MakeGrid(240, 100);
    const int h =
        static_cast<int>(view->headerHeight + 8 * view->lineHeight + view->lineHeight / 2);
    SetWindowPos(g, nullptr, 0, 0, 240, h, SWP_NOMOVE | SWP_NOZORDER);
    view->SetStyle(style);
    Columns({30, 30, 40});
    if (owner)
      view->SetItemCount(OwnerText, 60, 0, TRUE);
    else
      AddLines(60);
    SetFocus(g);
    vqwinRunUntilIdle();
    return g;
  }
  std::vector<COLORREF> Picture(HWND g) const {
    RECT rc;
    GetClientRect(g, &rc);
    std::vector<COLORREF> px;
    px.reserve(static_cast<size_t>(rc.right) * rc.bottom);
    for (int y = 0; y < rc.bottom; ++y)
      for (int x = 0; x < rc.right; ++x)
        px.push_back(vqwinGetPixel(g, x, y));
    return px;
  }
  // The first pixel where the stepped picture differs from a whole repaint.
  std::string Difference(HWND g) {
    vqwinRunUntilIdle();
    const std::vector<COLORREF> stepped = Picture(g);
    InvalidateRect(g, nullptr, TRUE);
    vqwinRunUntilIdle();
    const std::vector<COLORREF> whole = Picture(g);
    RECT rc;
    GetClientRect(g, &rc);
    for (size_t i = 0; i < whole.size(); ++i)
      if (stepped[i] != whole[i])
        return "differs at " + std::to_string(i % rc.right) + ", " + std::to_string(i / rc.right) +
               " (" + std::to_string(stepped[i]) + " against " + std::to_string(whole[i]) +
               ", top line " + std::to_string(view->GetTopLine()) + ")";
    return "";
  }
};

TEST_F(GridScroll, StepsPaintWhatAWholeRepaintPaints) {
  struct Config {
    const char *what;
    DWORD style;
    bool owner;
    bool stripes; // different even and odd line colours
  };
  const Config configs[] = {
      {"cell mode, grid lines, coloured column", GS_GRIDLINES, false, false},
      {"line mode, striped lines", GS_GRIDLINES | GS_LINEMODE, false, true},
      {"cell mode, striped lines", GS_GRIDLINES, false, true},
      {"owner data, no grid lines", GS_OWNERDATA, true, false},
  };
  struct Step {
    const char *what;
    std::function<void(HWND)> act;
  };
  auto key = [](UINT vk) { return [vk](HWND g) { SendMessageA(g, WM_KEYDOWN, vk, 0); }; };
  auto bar = [](UINT code) { return [code](HWND g) { SendMessageA(g, WM_VSCROLL, code, 0); }; };
  auto wheel = [](int delta) { return [delta](HWND g) { vqwinMouseWheel(g, 20, 40, delta); }; };
  const Step steps[] = {
      {"End", key(VK_END)},
      {"Down past the bottom", key(VK_DOWN)},
      {"Down again", key(VK_DOWN)},
      {"wheel down", wheel(-WHEEL_DELTA)},
      {"bar line down", bar(SB_LINEDOWN)},
      {"bar line up", bar(SB_LINEUP)},
      {"Home", key(VK_HOME)},
      {"Up past the top", key(VK_UP)},
      {"wheel up", wheel(WHEEL_DELTA)},
      {"Page Down", key(VK_NEXT)},
      {"bar page down", bar(SB_PAGEDOWN)},
      {"Page Up", key(VK_PRIOR)},
      {"bar page up", bar(SB_PAGEUP)},
  };
  for (const Config &c : configs) {
    HWND g = Make(c.style, c.owner);
    if (c.stripes)
      view->SetLineColors(TRUE, RGB(230, 240, 255), RGB(0, 0, 0), RGB(0, 0, 128),
                          RGB(255, 255, 255));
    else {
      view->SetColumnType(2, GCK_TEXT, 102, GCF_BACKCOLORS | GCF_TEXTCOLOR);
      view->SetColumnColors4(2, RGB(255, 255, 200), RGB(255, 230, 200), RGB(0, 0, 255),
                             RGB(0, 0, 255), TRUE);
    }
    view->SetCurCell(3, 1);
    view->SetTopLine(1);
    InvalidateRect(g, nullptr, TRUE); // the colours do not repaint by themselves
    ASSERT_EQ(Difference(g), "") << c.what << ", first picture";
    for (const Step &s : steps) {
      s.act(g);
      ASSERT_EQ(Difference(g), "") << c.what << ", after " << s.what;
    }
    DestroyWindow(g);
  }
}

TEST_F(GridScroll, AOneLineStepRepaintsOnlyTheLinesThatChange) {
  HWND g = Make(GS_GRIDLINES | GS_OWNERDATA, true);
  view->SetCurCell(0, 0);
  SendMessageA(g, WM_KEYDOWN, VK_END, 0);
  vqwinRunUntilIdle();
  const UINT top = view->GetTopLine();
  SendMessageA(g, WM_KEYDOWN, VK_DOWN, 0);
  ASSERT_EQ(view->GetTopLine(), top + 1);
  RECT dirty;
  ASSERT_TRUE(GetUpdateRect(g, &dirty, FALSE));
  // The old current line, now one up, and the new one at the bottom, with
  // the part-line strip under it.
  const UINT oldSlot = view->curLine - 1 - view->GetTopLine();
  EXPECT_EQ(dirty.top, static_cast<LONG>(view->headerHeight + oldSlot * view->lineHeight));
  EXPECT_EQ(dirty.bottom, static_cast<LONG>(view->clientH));

  vqwinRunUntilIdle();
  SendMessageA(g, WM_VSCROLL, SB_LINEUP, 0);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetUpdateRgn(g, rgn, FALSE), NULLREGION);
  // The line coming in at the top and the part-line strip, not the middle.
  const POINT middle = CellCentre(view->GetTopLine() + 4, 0);
  EXPECT_FALSE(PtInRegion(rgn, middle.x, middle.y));
  DeleteObject(rgn);
}

} // namespace
