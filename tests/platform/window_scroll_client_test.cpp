// ScrollWindowEx and ScrollWindow: pixels moved on the surface, the strip
// they uncover, pending invalid areas that travel along, clipping by the
// scroll and clip rectangles and by ancestors, and children moved along.
#include "window_recorder.h"

#include <climits>

namespace {

using vqtest::WindowTest;

// Every pixel of the pattern tells where it was drawn.
COLORREF PatternAt(int x, int y) { return RGB(x & 0xFF, y & 0xFF, 0x80); }

void DrawPattern(HWND hwnd, int width, int height) {
  HDC dc = GetDC(hwnd);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      SetPixel(dc, x, y, PatternAt(x, y));
  ReleaseDC(hwnd, dc);
}

HRGN Rects(std::initializer_list<RECT> rects) {
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  for (const RECT &r : rects) {
    HRGN part = CreateRectRgnIndirect(&r);
    CombineRgn(rgn, rgn, part, RGN_OR);
    DeleteObject(part);
  }
  return rgn;
}

::testing::AssertionResult UpdateIs(HWND hwnd, std::initializer_list<RECT> expected) {
  HRGN actual = CreateRectRgn(0, 0, 0, 0), want = Rects(expected);
  GetUpdateRgn(hwnd, actual, FALSE);
  const bool same = EqualRgn(actual, want);
  RECT box{};
  GetRgnBox(actual, &box);
  DeleteObject(actual);
  DeleteObject(want);
  if (same)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "update region bounds (" << box.left << ", " << box.top
                                       << ", " << box.right << ", " << box.bottom << ")";
}

class ScrollClient : public WindowTest {
protected:
  static constexpr int kW = 200, kH = 150;
  void SetUp() override {
    WindowTest::SetUp();
    top = Top("top", 0, 0, kW, kH);
    vqwinRunUntilIdle();
    DrawPattern(top, kW, kH);
  }
  // Checks a lattice of the window: points inside `moved` show the pattern
  // from (dx, dy) before them, points outside `moved` and `uncovered` their
  // own pattern.
  void ExpectMoved(HWND hwnd, const RECT &moved, const RECT &uncovered, int dx, int dy,
                   const char *what) {
    RECT client;
    GetClientRect(hwnd, &client);
    for (int y = 0; y < client.bottom; y += 3)
      for (int x = 0; x < client.right; x += 7) {
        POINT p{x, y};
        if (PtInRect(&uncovered, p))
          continue;
        const COLORREF want = PtInRect(&moved, p) ? PatternAt(x - dx, y - dy) : PatternAt(x, y);
        ASSERT_EQ(vqwinGetPixel(hwnd, x, y), want) << what << " at " << x << ", " << y;
      }
  }
  HWND top = nullptr;
};

TEST_F(ScrollClient, PixelsMoveAndOnlyTheUncoveredStripBecomesInvalid) {
  struct Row {
    const char *what;
    int dx, dy;
    RECT moved;
    std::initializer_list<RECT> uncovered;
    int kind;
  };
  const Row rows[] = {
      {"up", 0, -10, {0, 0, kW, kH - 10}, {{0, kH - 10, kW, kH}}, SIMPLEREGION},
      {"down", 0, 7, {0, 7, kW, kH}, {{0, 0, kW, 7}}, SIMPLEREGION},
      {"right", 5, 0, {5, 0, kW, kH}, {{0, 0, 5, kH}}, SIMPLEREGION},
      {"up and left",
       -4,
       -6,
       {0, 0, kW - 4, kH - 6},
       {{0, kH - 6, kW, kH}, {kW - 4, 0, kW, kH}},
       COMPLEXREGION},
  };
  for (const Row &row : rows) {
    DrawPattern(top, kW, kH);
    ValidateRect(top, nullptr);
    HRGN out = CreateRectRgn(0, 0, 0, 0);
    RECT outRect{};
    EXPECT_EQ(ScrollWindowEx(top, row.dx, row.dy, nullptr, nullptr, out, &outRect, SW_INVALIDATE),
              row.kind)
        << row.what;
    HRGN want = Rects(row.uncovered);
    EXPECT_TRUE(EqualRgn(out, want)) << row.what;
    RECT wantBox;
    GetRgnBox(want, &wantBox);
    EXPECT_TRUE(EqualRect(&outRect, &wantBox)) << row.what;
    EXPECT_TRUE(UpdateIs(top, row.uncovered)) << row.what;
    ExpectMoved(top, row.moved, wantBox, row.dx, row.dy, row.what);
    DeleteObject(out);
    DeleteObject(want);
  }
}

TEST_F(ScrollClient, ScrollAndClipRectanglesLimitWhatMovesAndIsWritten) {
  const RECT area{20, 20, 120, 100};
  // Without a clip the moved pixels may land outside the scroll rectangle.
  ASSERT_EQ(ScrollWindowEx(top, 0, -10, &area, nullptr, nullptr, nullptr, SW_INVALIDATE),
            SIMPLEREGION);
  EXPECT_TRUE(UpdateIs(top, {{20, 90, 120, 100}}));
  ExpectMoved(top, RECT{20, 10, 120, 90}, RECT{20, 90, 120, 100}, 0, -10, "no clip");

  DrawPattern(top, kW, kH);
  ValidateRect(top, nullptr);
  ASSERT_EQ(ScrollWindowEx(top, 0, -10, &area, &area, nullptr, nullptr, 0), SIMPLEREGION);
  ExpectMoved(top, RECT{20, 20, 120, 90}, RECT{20, 90, 120, 100}, 0, -10, "clipped");
  EXPECT_FALSE(GetUpdateRect(top, nullptr, FALSE)) << "nothing invalidated without the flag";

  // A clip that the scroll rectangle does not meet writes nothing.
  const RECT elsewhere{150, 0, 200, 50};
  DrawPattern(top, kW, kH);
  RECT outRect{1, 1, 1, 1};
  EXPECT_EQ(ScrollWindowEx(top, 0, -10, &area, &elsewhere, nullptr, &outRect, SW_INVALIDATE),
            NULLREGION);
  EXPECT_TRUE(IsRectEmpty(&outRect));
  ExpectMoved(top, RECT{0, 0, 0, 0}, RECT{0, 0, 0, 0}, 0, 0, "clip elsewhere");
}

TEST_F(ScrollClient, PendingInvalidAreasMoveWithThePixels) {
  ValidateRect(top, nullptr);
  const RECT inside{30, 60, 50, 70}, straddling{150, 5, 160, 30};
  InvalidateRect(top, &inside, FALSE);
  InvalidateRect(top, &straddling, FALSE);
  const RECT below{0, 20, kW, kH};
  ScrollWindowEx(top, 0, -20, &below, nullptr, nullptr, nullptr, SW_INVALIDATE);
  // Inside what the moved pixels cover, only moved invalid areas remain:
  // the part of the straddling one above the scroll rectangle is now valid.
  EXPECT_TRUE(UpdateIs(top, {{30, 40, 50, 50}, {150, 0, 160, 10}, {0, kH - 20, kW, kH}}));

  // Without SW_INVALIDATE the pending area still moves.
  ValidateRect(top, nullptr);
  InvalidateRect(top, &inside, FALSE);
  ScrollWindowEx(top, 0, 10, nullptr, nullptr, nullptr, nullptr, 0);
  EXPECT_TRUE(UpdateIs(top, {{30, 70, 50, 80}}));
}

TEST_F(ScrollClient, PixelsHiddenByAnAncestorComeBackInvalid) {
  // 80 x 100, but only 50 rows show above the parent's bottom edge.
  HWND child = Child(top, "child", 1, 100, 100, 80, 100);
  vqwinRunUntilIdle();
  DrawPattern(child, 80, 100);
  ValidateRect(child, nullptr);
  EXPECT_EQ(ScrollWindowEx(child, 0, -20, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE),
            SIMPLEREGION);
  EXPECT_TRUE(UpdateIs(child, {{0, 30, 80, 100}}));
  ExpectMoved(child, RECT{0, 0, 80, 30}, RECT{0, 30, 80, 100}, 0, -20, "child");
  EXPECT_EQ(vqwinGetPixel(top, 50, 120), PatternAt(50, 120)) << "the parent keeps its pixels";
}

TEST_F(ScrollClient, ChildrenMoveAlongOnlyWithScrollChildren) {
  HWND child = Child(top, "child", 1, 40, 40, 30, 20);
  vqwinRunUntilIdle();
  DrawPattern(top, kW, kH);
  const COLORREF green = RGB(0, 200, 0);
  HDC dc = GetDC(child);
  HBRUSH b = CreateSolidBrush(green);
  RECT all{0, 0, 30, 20};
  FillRect(dc, &all, b);
  DeleteObject(b);
  ReleaseDC(child, dc);
  ValidateRect(top, nullptr);
  ValidateRect(child, nullptr);

  // A child that stays keeps its pixels; what would have come from under
  // it is the parent's to paint.
  ScrollWindowEx(top, 0, -20, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
  RECT wr;
  GetWindowRect(child, &wr);
  EXPECT_EQ(wr.top, 40);
  EXPECT_EQ(vqwinGetPixel(child, 10, 10), green);
  EXPECT_EQ(vqwinGetPixel(top, 50, 25), PatternAt(50, 25)) << "not written from under the child";
  EXPECT_TRUE(UpdateIs(top, {{40, 20, 70, 40}, {0, kH - 20, kW, kH}}));

  DrawPattern(top, kW, kH);
  dc = GetDC(child);
  b = CreateSolidBrush(green);
  FillRect(dc, &all, b);
  DeleteObject(b);
  ReleaseDC(child, dc);
  ValidateRect(top, nullptr);
  ValidateRect(child, nullptr);
  EXPECT_EQ(ScrollWindow(top, 0, -20, nullptr, nullptr), TRUE);
  GetWindowRect(child, &wr);
  EXPECT_EQ(wr.top, 20);
  EXPECT_EQ(vqwinGetPixel(child, 10, 10), green);
  EXPECT_EQ(vqwinGetPixel(top, 50, 45), PatternAt(50, 65)) << "the parent's pixels moved in";
  EXPECT_FALSE(GetUpdateRect(child, nullptr, FALSE)) << "its pixels came along";
  EXPECT_TRUE(UpdateIs(top, {{0, kH - 20, kW, kH}}));

  // Moved partly past what the pixels cover, the child paints itself anew.
  ScrollWindowEx(top, 0, 120, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN);
  GetWindowRect(child, &wr);
  EXPECT_EQ(wr.top, 140);
  EXPECT_TRUE(GetUpdateRect(child, nullptr, FALSE));
}

TEST_F(ScrollClient, BadInputFailsWithAReason) {
  SetLastError(0);
  EXPECT_EQ(
      ScrollWindowEx(reinterpret_cast<HWND>(0x4321), 0, 1, nullptr, nullptr, nullptr, nullptr, 0),
      ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(ScrollWindowEx(top, 0, 1, nullptr, nullptr, nullptr, nullptr, 0x0010), ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  EXPECT_EQ(ScrollWindowEx(top, 0, 1, nullptr, nullptr, reinterpret_cast<HRGN>(0x77), nullptr, 0),
            ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(ScrollWindow(nullptr, 0, 1, nullptr, nullptr));

  ValidateRect(top, nullptr);
  EXPECT_EQ(ScrollWindowEx(top, 0, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE),
            NULLREGION);
  ExpectMoved(top, RECT{0, 0, 0, 0}, RECT{0, 0, 0, 0}, 0, 0, "no move");
  // A shift beyond any size uncovers everything and writes nothing.
  EXPECT_EQ(ScrollWindowEx(top, INT_MIN, INT_MAX, nullptr, nullptr, nullptr, nullptr, SW_ERASE),
            SIMPLEREGION);
  EXPECT_TRUE(UpdateIs(top, {{0, 0, kW, kH}}));
  ExpectMoved(top, RECT{0, 0, 0, 0}, RECT{0, 0, 0, 0}, 0, 0, "far away");
}

} // namespace
