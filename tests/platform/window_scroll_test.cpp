// Standard scroll bars: state rules, showing and hiding with the client
// area, and the WM_VSCROLL / WM_HSCROLL sequences of clicks and drags.
#include "window_recorder.h"

namespace {

using vqtest::Msg;
using vqtest::Recorder;
using vqtest::WindowTest;

class Scroll : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    top = Top("top", 0, 0, 300, 300);
    w = Child(top, "w", 1, 10, 10, 120, 200);
    vqwinRunUntilIdle();
    Recorder &r = Recorder::Get();
    r.Clear();
    r.IgnoreNoise();
  }
  SIZE Client() {
    RECT rc;
    GetClientRect(w, &rc);
    return SIZE{rc.right, rc.bottom};
  }
  HWND top = nullptr, w = nullptr;
};

TEST_F(Scroll, RangeShowsTheBarAndShrinksTheClientArea) {
  SetLastError(0);
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
  EXPECT_FALSE(GetScrollInfo(w, SB_VERT, &si));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SCROLLBARS));

  Recorder &r = Recorder::Get();
  r.ignored.erase(WM_SIZE);
  ASSERT_TRUE(SetScrollRange(w, SB_VERT, 0, 50, TRUE));
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(Client().cx, 104);
  SetScrollRange(w, SB_VERT, 0, 0, TRUE); // an empty range hides it
  EXPECT_FALSE(GetWindowLongA(w, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(Client().cx, 120);
  ShowScrollBar(w, SB_BOTH, TRUE);
  EXPECT_EQ(Client().cx, 104);
  EXPECT_EQ(Client().cy, 184);
  vqtest::ExpectSequence({{w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(104, 200)},
                          {w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 200)},
                          {w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(104, 184)}},
                         "client size changes");
}

TEST_F(Scroll, InfoClampsPageAndPosition) {
  struct Row {
    const char *what;
    UINT mask;
    int min, max;
    UINT page;
    int pos;
    UINT expectPage;
    int expectPos;
    bool shown;
  };
  const Row rows[] = {
      {"plain", SIF_ALL, 0, 99, 10, 50, 10, 50, true},
      {"position past the last page", SIF_ALL, 0, 99, 10, 95, 10, 90, true},
      {"position below the minimum", SIF_ALL, 10, 20, 0, 3, 0, 10, true},
      {"page larger than the range", SIF_ALL, 0, 9, 20, 5, 10, 0, false},
      {"page equal to the range", SIF_ALL, 0, 9, 10, 5, 10, 0, false},
      {"kept but disabled", SIF_ALL | SIF_DISABLENOSCROLL, 0, 9, 10, 0, 10, 0, true},
  };
  for (const Row &row : rows) {
    SCROLLINFO si{sizeof(si), row.mask, row.min, row.max, row.page, row.pos, 0};
    int pos = SetScrollInfo(w, SB_VERT, &si, FALSE);
    EXPECT_EQ(pos, row.expectPos) << row.what;
    SCROLLINFO out{sizeof(out), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(w, SB_VERT, &out)) << row.what;
    EXPECT_EQ(out.nPage, row.expectPage) << row.what;
    EXPECT_EQ(out.nPos, row.expectPos) << row.what;
    EXPECT_EQ(GetScrollPos(w, SB_VERT), row.expectPos) << row.what;
    EXPECT_EQ((GetWindowLongA(w, GWL_STYLE) & WS_VSCROLL) != 0, row.shown) << row.what;
  }
  SCROLLINFO bad{sizeof(SCROLLINFO) + 4, SIF_ALL, 0, 0, 0, 0, 0};
  EXPECT_EQ(SetScrollInfo(w, SB_VERT, &bad, FALSE), 0);
  EXPECT_EQ(SetScrollPos(w, SB_CTL, 1, FALSE), 0);
}

TEST_F(Scroll, PositionAndRangeAccessors) {
  SetScrollRange(w, SB_HORZ, -5, 5, FALSE);
  EXPECT_EQ(SetScrollPos(w, SB_HORZ, 3, FALSE), 0);
  EXPECT_EQ(SetScrollPos(w, SB_HORZ, 30, FALSE), 3);
  EXPECT_EQ(GetScrollPos(w, SB_HORZ), 5);
  int min = 0, max = 0;
  ASSERT_TRUE(GetScrollRange(w, SB_HORZ, &min, &max));
  EXPECT_EQ(min, -5);
  EXPECT_EQ(max, 5);
  EXPECT_FALSE(SetScrollRange(w, SB_HORZ, 5, -5, FALSE));
}

// The vertical bar of `w` (client 104 wide, 200 high): arrows 16 high at
// both ends, a track of 168 between them. A disabled bar sends nothing.
TEST_F(Scroll, ClicksOnArrowsAndPageAreasSendTheirCodes) {
  RECT wr;
  GetWindowRect(w, &wr);
  int barX = wr.left + 104 + 8;
  struct Row {
    const char *what;
    int max, pos, y; // y from the window's top
    WPARAM code;     // SB_ENDSCROLL: nothing sent
  };
  const Row rows[] = {
      {"up arrow", 99, 0, 5, SB_LINEUP},
      {"down arrow", 99, 0, 195, SB_LINEDOWN},
      {"page area below the thumb", 99, 0, 150, SB_PAGEDOWN},
      {"page area above the thumb", 99, 90, 30, SB_PAGEUP},
      {"disabled", 5, 0, 5, SB_ENDSCROLL},
  };
  for (const Row &row : rows) {
    SCROLLINFO si{sizeof(si), SIF_ALL | SIF_DISABLENOSCROLL, 0, row.max, 10, row.pos, 0};
    SetScrollInfo(w, SB_VERT, &si, TRUE);
    vqwinAdvanceTime(1000);
    Recorder::Get().Clear();
    vqwinMouseClick(nullptr, barX, wr.top + row.y, VK_LBUTTON, 0);
    if (row.code == SB_ENDSCROLL) {
      for (const Msg &m : Recorder::Get().log)
        EXPECT_NE(m.msg, static_cast<UINT>(WM_VSCROLL)) << row.what;
      continue;
    }
    vqtest::ExpectSequence({{w, WM_NCLBUTTONDOWN, HTVSCROLL},
                            {w, WM_VSCROLL, row.code, 0},
                            {w, WM_VSCROLL, SB_ENDSCROLL, 0}},
                           row.what);
  }
}

TEST_F(Scroll, DraggingTheThumbTracksThenSetsThePosition) {
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 99, 10, 0, 0};
  SetScrollInfo(w, SB_VERT, &si, TRUE);
  // Thumb: 168 * 10 / 100 = 16 pixels at the top of the track (16..32);
  // the track leaves 152 pixels of travel for positions 0..90.
  int trackPosSeen = -1;
  Recorder::Get().handler = [&](HWND h, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_VSCROLL && LOWORD(wp) == SB_THUMBTRACK) {
      SCROLLINFO info{sizeof(info), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(h, SB_VERT, &info);
      trackPosSeen = info.nTrackPos;
    }
    return std::nullopt;
  };
  RECT wr;
  GetWindowRect(w, &wr);
  int x = wr.left + 112;
  vqwinMouseDrag(nullptr, x, wr.top + 20, x, wr.top + 20 + 76, 2);
  vqtest::ExpectSequence({{w, WM_NCLBUTTONDOWN, HTVSCROLL},
                          {w, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 23), 0},
                          {w, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 45), 0},
                          {w, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 45), 0},
                          {w, WM_VSCROLL, SB_ENDSCROLL, 0}},
                         "thumb drag");
  EXPECT_EQ(trackPosSeen, 45);
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 0); // the application moves it, not the bar
}

TEST_F(Scroll, BarsArePaintedInTheFrame) {
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 99, 10, 0, 0};
  SetScrollInfo(w, SB_VERT, &si, TRUE);
  vqwinRunUntilIdle();
  // The track below the thumb has the scroll bar colour, the thumb the
  // 3D face colour inside its raised edge.
  EXPECT_EQ(vqwinGetWindowPixel(w, 112, 100), GetSysColor(COLOR_SCROLLBAR));
  EXPECT_EQ(vqwinGetWindowPixel(w, 112, 24), GetSysColor(COLOR_3DFACE));
}

} // namespace
