// Painting: update regions, WM_ERASEBKGND before WM_PAINT with the right
// rcPaint, the idle paint pass, UpdateWindow, and pixels of painted windows
// read back from their surfaces.
#include "window_recorder.h"

#include <cstdio>
#include <string>

namespace {

using vqtest::Msg;
using vqtest::Recorder;
using vqtest::WindowTest;

class Paint : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    top = Top("top", 0, 0, 200, 150);
    vqwinRunUntilIdle();
    Recorder &r = Recorder::Get();
    r.Clear();
    r.ignored = {WM_NCPAINT, WM_SETCURSOR, WM_NCHITTEST, WM_MOUSEMOVE};
    r.handler = [this](HWND h, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
      if (m == WM_ERASEBKGND)
        eraseDc = reinterpret_cast<HDC>(wp);
      if (m != WM_PAINT || !paintHandler)
        return std::nullopt;
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      painted.push_back(ps);
      paintHandler(h, ps);
      EndPaint(h, &ps);
      return 0;
    };
    paintHandler = [](HWND, const PAINTSTRUCT &) {};
  }
  HWND top = nullptr;
  HDC eraseDc = nullptr;
  std::vector<PAINTSTRUCT> painted;
  std::function<void(HWND, const PAINTSTRUCT &)> paintHandler;
};

TEST_F(Paint, EraseComesBeforePaintAndRcPaintBoundsTheUpdate) {
  RECT a{10, 10, 20, 20}, b{50, 30, 60, 45};
  InvalidateRect(top, &a, TRUE);
  InvalidateRect(top, &b, FALSE);
  RECT bounds;
  EXPECT_TRUE(GetUpdateRect(top, &bounds, FALSE));
  EXPECT_EQ(bounds.left, 10);
  EXPECT_EQ(bounds.bottom, 45);
  EXPECT_EQ(vqwinRunUntilIdle(), 1);
  vqtest::ExpectSequence({{top, WM_PAINT}, {top, WM_ERASEBKGND}}, "paint then erase inside it");
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_EQ(painted[0].rcPaint.left, 10);
  EXPECT_EQ(painted[0].rcPaint.top, 10);
  EXPECT_EQ(painted[0].rcPaint.right, 60);
  EXPECT_EQ(painted[0].rcPaint.bottom, 45);
  EXPECT_FALSE(painted[0].fErase); // the class brush erased it
  EXPECT_EQ(eraseDc, painted[0].hdc);
  EXPECT_FALSE(GetUpdateRect(top, &bounds, FALSE));
}

TEST_F(Paint, NoEraseUnlessAskedAndFEraseWhenNotErased) {
  struct Row {
    const char *what;
    BOOL erase;
    LRESULT eraseResult; // -1: default handling
    bool eraseSent;
    BOOL fErase;
  };
  const Row rows[] = {
      {"no erase asked", FALSE, -1, false, FALSE},
      {"erased by the class brush", TRUE, -1, true, FALSE},
      {"erase refused", TRUE, 0, true, TRUE},
  };
  for (const Row &row : rows) {
    Recorder &r = Recorder::Get();
    auto paint = r.handler;
    r.handler = [&](HWND h, UINT m, WPARAM wp, LPARAM lp) -> std::optional<LRESULT> {
      if (m == WM_ERASEBKGND && row.eraseResult >= 0)
        return row.eraseResult;
      return paint(h, m, wp, lp);
    };
    r.Clear();
    painted.clear();
    InvalidateRect(top, nullptr, row.erase);
    vqwinRunUntilIdle();
    bool eraseSent = false;
    for (const Msg &m : r.log)
      eraseSent |= m.msg == WM_ERASEBKGND;
    EXPECT_EQ(eraseSent, row.eraseSent) << row.what;
    ASSERT_EQ(painted.size(), 1u) << row.what;
    EXPECT_EQ(painted[0].fErase, row.fErase) << row.what;
    r.handler = paint;
  }
}

TEST_F(Paint, ValidateRectAndUpdateWindow) {
  InvalidateRect(top, nullptr, FALSE);
  ValidateRect(top, nullptr);
  EXPECT_EQ(vqwinRunUntilIdle(), 0);

  RECT part{0, 0, 100, 150};
  InvalidateRect(top, nullptr, FALSE);
  ValidateRect(top, &part);
  UpdateWindow(top); // paints at once, without the queue
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_EQ(painted[0].rcPaint.left, 100);
  EXPECT_EQ(painted[0].rcPaint.right, 200);
  EXPECT_EQ(vqwinRunUntilIdle(), 0);
}

TEST_F(Paint, ParentsPaintBeforeTheChildrenTheyCover) {
  HWND child = Child(top, "child", 1, 20, 20, 50, 50);
  vqwinRunUntilIdle();
  Recorder::Get().Clear();
  painted.clear();
  RECT r{0, 0, 40, 40};
  InvalidateRect(top, &r, FALSE);
  vqwinRunUntilIdle();
  vqtest::ExpectSequence({{top, WM_PAINT}, {child, WM_PAINT}}, "covered child repaints");
  ASSERT_EQ(painted.size(), 2u);
  EXPECT_EQ(painted[1].rcPaint.right, 20); // the child's part of the rectangle
  EXPECT_EQ(painted[1].rcPaint.bottom, 20);
}

TEST_F(Paint, GetMessageGeneratesPaintWhenIdleAndEndsWhenNothingIsLeft) {
  PostMessageA(top, WM_USER, 0, 0);
  InvalidateRect(top, nullptr, FALSE);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  EXPECT_EQ(msg.hwnd, top);
  // WM_PAINT is not queued: it comes again until the window validates.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  DispatchMessageA(&msg);
  // The headless display never delivers input: an empty queue ends the loop.
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

TEST_F(Paint, RunningTheQueueStopsAtAWindowThatNeverValidates) {
  Recorder::Get().handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_PAINT)
      return 0; // no BeginPaint: the update region stays
    return std::nullopt;
  };
  InvalidateRect(top, nullptr, FALSE);
  EXPECT_EQ(vqwinRunUntilIdle(), -1);
  ValidateRect(top, nullptr);
  EXPECT_EQ(vqwinRunUntilIdle(), 0);
}

TEST_F(Paint, SetRedrawSuspendsPaintingUntilTurnedBackOn) {
  SendMessageA(top, WM_SETREDRAW, FALSE, 0);
  EXPECT_TRUE(IsWindow(top));
  InvalidateRect(top, nullptr, TRUE);
  EXPECT_EQ(vqwinRunUntilIdle(), 0);
  SendMessageA(top, WM_SETREDRAW, TRUE, 0);
  EXPECT_TRUE(IsWindowVisible(top));
  InvalidateRect(top, nullptr, TRUE);
  EXPECT_EQ(vqwinRunUntilIdle(), 1);
  EXPECT_EQ(painted.size(), 1u);
}

TEST_F(Paint, RedrawWindowFlags) {
  HWND child = Child(top, "child", 1, 10, 10, 50, 50);
  SetWindowLongA(top, GWL_STYLE, GetWindowLongA(top, GWL_STYLE) | WS_CLIPCHILDREN);
  vqwinRunUntilIdle();
  struct Row {
    const char *what;
    UINT flags;
    size_t paintsNow; // before the queue runs
    size_t paintsLater;
  };
  const Row rows[] = {
      {"invalidate only", RDW_INVALIDATE, 0, 1},
      {"clipped children stay valid", RDW_INVALIDATE | RDW_UPDATENOW, 1, 0},
      {"all children", RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW, 2, 0},
      {"all children, painted later", RDW_INVALIDATE | RDW_ALLCHILDREN, 0, 2},
  };
  for (const Row &row : rows) {
    painted.clear();
    ASSERT_TRUE(RedrawWindow(top, nullptr, nullptr, row.flags)) << row.what;
    EXPECT_EQ(painted.size(), row.paintsNow) << row.what;
    vqwinRunUntilIdle();
    EXPECT_EQ(painted.size(), row.paintsNow + row.paintsLater) << row.what;
  }
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  RedrawWindow(top, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
  EXPECT_EQ(vqwinRunUntilIdle(), 0);
  (void)child;
}

TEST_F(Paint, UpdateRegionAsARegion) {
  RECT a{0, 0, 10, 10}, b{20, 20, 30, 30};
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(top, rgn, FALSE), NULLREGION);
  InvalidateRect(top, &a, FALSE);
  EXPECT_EQ(GetUpdateRgn(top, rgn, FALSE), SIMPLEREGION);
  HRGN more = CreateRectRgnIndirect(&b);
  InvalidateRgn(top, more, FALSE);
  EXPECT_EQ(GetUpdateRgn(top, rgn, FALSE), COMPLEXREGION);
  RECT box;
  GetRgnBox(rgn, &box);
  EXPECT_EQ(box.right, 30);
  EXPECT_TRUE(PtInRegion(rgn, 5, 5));
  EXPECT_FALSE(PtInRegion(rgn, 15, 15));
  DeleteObject(more);
  DeleteObject(rgn);
}

COLORREF Fill(HDC dc, const RECT &rc, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
  return color;
}

TEST_F(Paint, PixelsPaintedThroughBeginPaintReadBack) {
  HWND child = Child(top, "child", 1, 20, 30, 60, 40, WS_CHILD | WS_VISIBLE | WS_BORDER);
  paintHandler = [&](HWND h, const PAINTSTRUCT &ps) {
    RECT inner{5, 5, 10, 10};
    Fill(ps.hdc, inner, h == child ? RGB(255, 0, 0) : RGB(0, 0, 255));
    if (h == child)
      Fill(ps.hdc, RECT{40, 0, 1000, 1000}, RGB(0, 128, 0)); // clipped to the client area
  };
  InvalidateRect(top, nullptr, TRUE);
  vqwinRunUntilIdle();
  struct Row {
    const char *what;
    HWND hwnd;
    int x, y;
    COLORREF expected;
  };
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  const Row rows[] = {
      {"top's own fill", top, 7, 7, RGB(0, 0, 255)},
      {"top's background", top, 150, 100, window},
      {"child's fill", child, 5, 5, RGB(255, 0, 0)},
      {"child's fill edge", child, 9, 9, RGB(255, 0, 0)},
      {"right of child's fill", child, 10, 9, window},
      {"child's clipped fill", child, 57, 37, RGB(0, 128, 0)},
      {"outside the child's client area", child, 58, 0, CLR_INVALID},
  };
  for (const Row &row : rows)
    EXPECT_EQ(vqwinGetPixel(row.hwnd, row.x, row.y), row.expected) << row.what;
  // The child's border and the top window's area right of the child.
  EXPECT_EQ(vqwinGetWindowPixel(child, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(vqwinGetPixel(top, 20 + 61, 35), window);
}

TEST_F(Paint, ScreenshotWritesThePng) {
  const char *dir = std::getenv("VQ_TEST_OUTPUT");
  std::string path = std::string(dir ? dir : "/tmp") + "/vqwin_window_screenshot.png";
  std::remove(path.c_str());
  HWND child = Child(top, "child", 1, 10, 10, 30, 20);
  vqwinRunUntilIdle();
  ASSERT_TRUE(vqwinSaveScreenshot(child, path.c_str()));
  FILE *f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char header[24] = {};
  ASSERT_EQ(std::fread(header, 1, sizeof header, f), sizeof header);
  std::fclose(f);
  EXPECT_EQ(header[1], 'P');
  EXPECT_EQ((header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19], 30);
  EXPECT_EQ((header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23], 20);
  EXPECT_FALSE(vqwinSaveScreenshot(child, "/nonexistent-dir/x.png"));
}

// Parent fills red, child blue; a parent waiting to paint must not cover a
// child painted at once, and a WS_CLIPCHILDREN parent never paints over its
// children.
TEST_F(Paint, ParentsPaintBeforeChildrenAndClipChildrenKeepsThemVisible) {
  paintHandler = [this](HWND h, const PAINTSTRUCT &ps) {
    HBRUSH b = CreateSolidBrush(h == top ? RGB(255, 0, 0) : RGB(0, 0, 255));
    RECT all{0, 0, 400, 400};
    FillRect(ps.hdc, &all, b);
    DeleteObject(b);
  };
  struct Row {
    const char *what;
    DWORD parentStyle;
    bool childNow; // the child is invalidated too and painted at once
    int paints;    // WM_PAINTs handled
  } rows[] = {
      {"child painted at once while its parent waits", 0, true, 2},
      {"clipping parent repainted alone", WS_CLIPCHILDREN, false, 1},
      {"clipping parent painting after its child", WS_CLIPCHILDREN, true, 2},
  };
  for (const Row &r : rows) {
    SetWindowLongA(top, GWL_STYLE,
                   (GetWindowLongA(top, GWL_STYLE) & ~WS_CLIPCHILDREN) | r.parentStyle);
    HWND child = Child(top, "child", 1, 20, 20, 40, 30);
    vqwinRunUntilIdle();
    painted.clear();
    InvalidateRect(top, nullptr, TRUE);
    if (r.childNow) {
      InvalidateRect(child, nullptr, TRUE);
      UpdateWindow(child);
    }
    vqwinRunUntilIdle();
    EXPECT_EQ(painted.size(), static_cast<size_t>(r.paints)) << r.what;
    EXPECT_EQ(vqwinGetPixel(top, 5, 5), RGB(255, 0, 0)) << r.what;
    EXPECT_EQ(vqwinGetPixel(child, 5, 5), RGB(0, 0, 255)) << r.what;
    DestroyWindow(child);
  }
}

} // namespace
