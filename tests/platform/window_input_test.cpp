// Focus and capture sequences, routing of synthetic mouse and keyboard
// input, key states, and the message queue's order and filters.
#include "window_recorder.h"

namespace {

using vqtest::Msg;
using vqtest::Recorder;
using vqtest::WindowTest;

class Input : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    top = Top("top", 100, 100, 300, 200);
    left = Child(top, "left", 1, 10, 10, 100, 100);
    right = Child(top, "right", 2, 150, 10, 100, 100, WS_CHILD | WS_VISIBLE, 0, "VqRecorderDbl");
    vqwinRunUntilIdle();
    Recorder &r = Recorder::Get();
    r.Clear();
    r.IgnoreNoise();
  }
  HWND top = nullptr, left = nullptr, right = nullptr;
};

TEST_F(Input, ClicksGoToTheWindowUnderThePointInClientCoordinates) {
  Recorder::Get().ignored.insert({WM_KEYDOWN, WM_KEYUP}); // the modifiers
  ASSERT_TRUE(vqwinMouseClick(top, 30, 40, VK_LBUTTON, VQWIN_SHIFT));
  ASSERT_TRUE(vqwinMouseClick(nullptr, 100 + 155, 100 + 15, VK_RBUTTON, VQWIN_CONTROL));
  ASSERT_TRUE(vqwinMouseClick(top, 5, 5, VK_MBUTTON, 0));
  vqtest::ExpectSequence({{left, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(20, 30)},
                          {left, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(20, 30)},
                          {right, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, MAKELPARAM(5, 5)},
                          {right, WM_RBUTTONUP, MK_CONTROL, MAKELPARAM(5, 5)},
                          {top, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(5, 5)},
                          {top, WM_MBUTTONUP, 0, MAKELPARAM(5, 5)}},
                         "clicks");
}

TEST_F(Input, CaptureTakesTheMouseEverywhereWithoutHitTests) {
  SetCapture(left);
  Recorder &r = Recorder::Get();
  r.Clear();
  r.ignored.erase(WM_NCHITTEST);
  r.ignored.erase(WM_SETCURSOR);
  r.ignored.erase(WM_MOUSEMOVE);
  vqwinMouseMove(right, 10, 10);
  vqwinMouseDown(nullptr, 0, 0, VK_LBUTTON);
  // Client coordinates of the capture window, negative outside it.
  vqtest::ExpectSequence({{left, WM_MOUSEMOVE, 0, MAKELPARAM(150, 10)},
                          {left, WM_MOUSEMOVE, 0, MAKELPARAM(-110, -110)},
                          {left, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-110, -110)}},
                         "captured mouse");
  vqwinMouseUp(nullptr, 0, 0, VK_LBUTTON);
}

TEST_F(Input, DoubleClicksOnlyForClassesThatAskForThem) {
  vqwinMouseDoubleClick(left, 5, 5, VK_LBUTTON, 0);
  vqwinMouseDoubleClick(right, 5, 5, VK_LBUTTON, 0);
  vqtest::ExpectSequence({{left, WM_LBUTTONDOWN},
                          {left, WM_LBUTTONUP},
                          {left, WM_LBUTTONDOWN},
                          {left, WM_LBUTTONUP},
                          {right, WM_LBUTTONDOWN},
                          {right, WM_LBUTTONUP},
                          {right, WM_LBUTTONDBLCLK},
                          {right, WM_LBUTTONUP}},
                         "double clicks");
}

TEST_F(Input, SlowOrDistantSecondClicksAreSingleClicks) {
  struct Row {
    const char *what;
    DWORD wait;
    int dx;
    UINT expected;
  };
  const Row rows[] = {
      {"quick, same place", 0, 0, WM_LBUTTONDBLCLK},
      {"quick, 2 pixels off", 0, 2, WM_LBUTTONDBLCLK},
      {"quick, 3 pixels off", 0, 3, WM_LBUTTONDOWN},
      {"after the double-click time", GetDoubleClickTime() + 1, 0, WM_LBUTTONDOWN},
  };
  for (const Row &row : rows) {
    vqwinAdvanceTime(10000); // forget earlier clicks
    vqwinMouseClick(right, 20, 20, VK_LBUTTON, 0);
    vqwinAdvanceTime(row.wait);
    Recorder::Get().Clear();
    vqwinMouseClick(right, 20 + row.dx, 20, VK_LBUTTON, 0);
    ASSERT_FALSE(Recorder::Get().log.empty()) << row.what;
    EXPECT_EQ(Recorder::Get().log.front().msg, row.expected) << row.what;
  }
}

TEST_F(Input, PressInAnInactiveWindowActivatesItFirst) {
  HWND other = Top("other", 500, 100, 100, 100);
  EXPECT_EQ(GetActiveWindow(), other);
  Recorder &r = Recorder::Get();
  r.Clear();
  r.ignored.erase(WM_ACTIVATE);
  vqwinMouseClick(left, 5, 5, VK_LBUTTON, 0);
  vqtest::ExpectSequence({{left, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top)},
                          {top, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top)},
                          {other, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(top)},
                          {top, WM_ACTIVATE, WA_CLICKACTIVE, reinterpret_cast<LPARAM>(other)},
                          {other, WM_KILLFOCUS, reinterpret_cast<WPARAM>(top)},
                          {top, WM_SETFOCUS, reinterpret_cast<WPARAM>(other)},
                          {left, WM_LBUTTONDOWN},
                          {left, WM_LBUTTONUP}},
                         "click activation");

  // A window may refuse activation and eat the click.
  ShowWindow(other, SW_SHOW);
  SetActiveWindow(other);
  r.handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_MOUSEACTIVATE && h == right)
      return MA_NOACTIVATEANDEAT;
    return std::nullopt;
  };
  r.Clear();
  vqwinMouseClick(right, 5, 5, VK_LBUTTON, 0);
  vqtest::ExpectSequence({{right, WM_MOUSEACTIVATE}, {right, WM_LBUTTONUP}}, "eaten click");
  EXPECT_EQ(GetActiveWindow(), other);
}

TEST_F(Input, DisabledChildHandsClicksToItsParent) {
  EnableWindow(left, FALSE);
  Recorder::Get().Clear();
  vqwinMouseClick(left, 1, 2, VK_LBUTTON, 0);
  vqtest::ExpectSequence({{top, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(11, 12)},
                          {top, WM_LBUTTONUP, 0, MAKELPARAM(11, 12)}},
                         "click on a disabled child");
}

TEST_F(Input, FrameClicksAreNonClientMessages) {
  HWND framed = Child(top, "framed", 3, 10, 120, 60, 40, WS_CHILD | WS_VISIBLE | WS_BORDER);
  Recorder &r = Recorder::Get();
  r.Clear();
  r.ignored.erase(WM_NCHITTEST);
  vqwinMouseDown(framed, -1, 5, VK_LBUTTON); // on the left border
  vqwinMouseUp(framed, -1, 5, VK_LBUTTON);
  POINT screen{-1, 5};
  ClientToScreen(framed, &screen);
  LPARAM lp = MAKELPARAM(screen.x, screen.y);
  vqtest::ExpectSequence({{framed, WM_NCHITTEST, 0, lp},
                          {framed, WM_NCHITTEST, 0, lp},
                          {framed, WM_NCLBUTTONDOWN, HTBORDER, lp},
                          {framed, WM_NCHITTEST, 0, lp},
                          {framed, WM_NCHITTEST, 0, lp},
                          {framed, WM_NCLBUTTONUP, HTBORDER, lp}},
                         "border click");
}

// The caption's close box: a press and a release both on it close the
// window through WM_SYSCOMMAND SC_CLOSE; without WS_SYSMENU there is none.
TEST_F(Input, TheCloseBoxClosesOnAPressAndReleaseOnIt) {
  struct Row {
    const char *name;
    DWORD style;
    bool downOnBox, upOnBox, closes;
  } rows[] = {
      {"press and release on the box", WS_OVERLAPPEDWINDOW | WS_VISIBLE, true, true, true},
      {"released off the box", WS_OVERLAPPEDWINDOW | WS_VISIBLE, true, false, false},
      {"pressed off the box", WS_OVERLAPPEDWINDOW | WS_VISIBLE, false, true, false},
      {"no system menu, no box", WS_POPUP | WS_CAPTION | WS_VISIBLE, true, true, false},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    HWND framed = Top("framed", 400, 300, 200, 120, row.style);
    RECT wr{};
    GetWindowRect(framed, &wr);
    // The box's middle: inside the sizing frame, near the caption's right end.
    const POINT box{wr.right - GetSystemMetrics(SM_CXFRAME) - 10,
                    wr.top + GetSystemMetrics(SM_CYFRAME) + 9};
    const POINT caption{wr.left + 60, box.y};
    EXPECT_EQ(SendMessageA(framed, WM_NCHITTEST, 0, MAKELPARAM(box.x, box.y)),
              row.style & WS_SYSMENU ? HTCLOSE : HTCAPTION);
    const POINT down = row.downOnBox ? box : caption, up = row.upOnBox ? box : caption;
    vqwinMouseDown(nullptr, down.x, down.y, VK_LBUTTON);
    vqwinMouseUp(nullptr, up.x, up.y, VK_LBUTTON);
    vqwinRunUntilIdle();
    EXPECT_EQ(IsWindow(framed) == FALSE, row.closes);
    if (IsWindow(framed))
      DestroyWindow(framed);
  }
}

// A press on the caption moves the window with the mouse until the release;
// Escape puts it back, WM_MOVING may hold it, and a double click on the
// caption of a window without a maximize box leaves it alone.
TEST_F(Input, ThePressOnTheCaptionMovesTheWindow) {
  struct Row {
    const char *name;
    DWORD style;
    bool escape, holdX, doubleClick;
    POINT moved; // from the start, once done
  } rows[] = {
      {"dragged", WS_POPUP | WS_CAPTION | WS_VISIBLE, false, false, false, {30, 20}},
      {"escape puts it back", WS_POPUP | WS_CAPTION | WS_VISIBLE, true, false, false, {0, 0}},
      {"WM_MOVING holds x", WS_POPUP | WS_CAPTION | WS_VISIBLE, false, true, false, {0, 20}},
      {"double click, no maximize box",
       WS_POPUP | WS_CAPTION | WS_VISIBLE,
       false,
       false,
       true,
       {0, 0}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    HWND framed = Top("framed", 400, 300, 200, 120, row.style);
    vqwinRunUntilIdle();
    RECT before{};
    GetWindowRect(framed, &before);
    const POINT grab{before.left + 40, before.top + GetSystemMetrics(SM_CYFRAME) + 8};
    ASSERT_EQ(SendMessageA(framed, WM_NCHITTEST, 0, MAKELPARAM(grab.x, grab.y)), HTCAPTION);
    Recorder &r = Recorder::Get();
    r.Clear();
    int syscommands = 0;
    r.handler = [&](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> std::optional<LRESULT> {
      if (h == framed && msg == WM_SYSCOMMAND && (wp & 0xFFF0) != SC_MOVE)
        ++syscommands;
      if (row.holdX && h == framed && msg == WM_MOVING) {
        RECT *m = reinterpret_cast<RECT *>(lp);
        const int width = m->right - m->left;
        m->left = before.left;
        m->right = before.left + width;
      }
      return std::nullopt;
    };
    // Queued in one go: headless, the loop ends with the queued input.
    vqwinSetAutoRun(FALSE);
    vqwinMouseDown(nullptr, grab.x, grab.y, VK_LBUTTON);
    if (row.doubleClick) {
      vqwinMouseUp(nullptr, grab.x, grab.y, VK_LBUTTON);
      vqwinMouseDown(nullptr, grab.x, grab.y, VK_LBUTTON);
    } else {
      vqwinMouseMove(nullptr, grab.x + 10, grab.y + 5);
      vqwinMouseMove(nullptr, grab.x + 30, grab.y + 20);
      if (row.escape)
        vqwinKeyPress(VK_ESCAPE, 0);
    }
    vqwinMouseUp(nullptr, grab.x + 30, grab.y + 20, VK_LBUTTON);
    vqwinSetAutoRun(TRUE);
    vqwinRunUntilIdle();
    r.handler = nullptr;
    RECT after{};
    GetWindowRect(framed, &after);
    EXPECT_EQ(after.left - before.left, row.moved.x);
    EXPECT_EQ(after.top - before.top, row.moved.y);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(syscommands, 0);
    int enters = 0, exits = 0, moving = 0;
    for (const Msg &m : r.log)
      if (m.hwnd == framed) {
        enters += m.msg == WM_ENTERSIZEMOVE;
        exits += m.msg == WM_EXITSIZEMOVE;
        moving += m.msg == WM_MOVING;
      }
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, enters);
    EXPECT_EQ(moving, row.doubleClick ? 0 : 2);
    DestroyWindow(framed);
  }
}

TEST_F(Input, KeysGoToTheFocusWithCharactersFromTranslateMessage) {
  SetFocus(left);
  Recorder &r = Recorder::Get();
  r.Clear();
  vqwinKeyPress('A', VQWIN_SHIFT);
  vqwinKeyPress(VK_RETURN, 0);
  std::vector<Msg> seen;
  for (const Msg &m : r.log)
    if (m.wp != VK_SHIFT)
      seen.push_back(m);
  r.log = seen;
  vqtest::ExpectSequence({{left, WM_KEYDOWN, 'A'},
                          {left, WM_CHAR, 'A'},
                          {left, WM_KEYUP, 'A'},
                          {left, WM_KEYDOWN, VK_RETURN},
                          {left, WM_CHAR, '\r'},
                          {left, WM_KEYUP, VK_RETURN}},
                         "keys");
  // lParam: repeat count 1, scan code of A (0x1E), released keys with the
  // previous-state and transition bits.
  EXPECT_EQ(seen[0].lp, 0x001E0001);
  EXPECT_EQ(static_cast<DWORD>(*seen[2].lp), 0xC01E0001u);
}

TEST_F(Input, AltMakesSystemKeysAndF10IsOneAlone) {
  SetFocus(left);
  Recorder &r = Recorder::Get();
  r.Clear();
  vqwinKeyPress('X', VQWIN_ALT);
  vqwinKeyPress(VK_F10, 0);
  vqwinKeyPress('X', VQWIN_ALT | VQWIN_CONTROL); // Ctrl+Alt is AltGr: plain keys
  vqtest::ExpectSequence({{left, WM_SYSKEYDOWN, VK_MENU},
                          {left, WM_SYSKEYDOWN, 'X'},
                          {left, WM_SYSCHAR, 'x'},
                          {left, WM_SYSKEYUP, 'X'},
                          {left, WM_SYSKEYUP, VK_MENU},
                          {left, WM_SYSKEYDOWN, VK_F10},
                          {left, WM_SYSKEYUP, VK_F10},
                          {left, WM_KEYDOWN, VK_CONTROL},
                          {left, WM_SYSKEYDOWN, VK_MENU},
                          {left, WM_KEYDOWN, 'X'},
                          {left, WM_KEYUP, 'X'},
                          {left, WM_KEYUP, VK_CONTROL},
                          {left, WM_SYSKEYUP, VK_MENU}},
                         "system keys");
  EXPECT_TRUE(r.log[1].lp.value() & (1 << 29)); // context code: Alt is down
}

TEST_F(Input, KeyStateFollowsTheMessagesTaken) {
  SetFocus(left);
  SHORT shiftDuringKey = 0, asyncAfterQueueing = 0;
  Recorder::Get().handler = [&](HWND, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_KEYDOWN && wp == 'B')
      shiftDuringKey = GetKeyState(VK_SHIFT);
    return std::nullopt;
  };
  vqwinSetAutoRun(FALSE);
  vqwinKeyDown(VK_SHIFT);
  vqwinKeyDown('B');
  asyncAfterQueueing = GetAsyncKeyState(VK_SHIFT);
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0); // not taken from the queue yet
  vqwinSetAutoRun(TRUE);
  vqwinRunUntilIdle();
  EXPECT_NE(shiftDuringKey & 0x8000, 0);
  EXPECT_NE(asyncAfterQueueing & 0x8000, 0);
  EXPECT_NE(GetKeyState(VK_LSHIFT) & 0x8000, 0);
  vqwinKeyUp('B');
  vqwinKeyUp(VK_SHIFT);
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
}

TEST_F(Input, TypedTextArrivesAsCharacters) {
  SetFocus(right);
  std::string typed;
  Recorder::Get().handler = [&](HWND, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_CHAR)
      typed.push_back(static_cast<char>(wp));
    return std::nullopt;
  };
  vqwinTypeText("Ab1!,\xE4\xDF");
  EXPECT_EQ(typed, "Ab1!,\xE4\xDF");
}

TEST_F(Input, KeysWithoutFocusGoToTheActiveWindowAsSystemKeys) {
  ShowWindow(top, SW_SHOW);
  SetFocus(nullptr);
  Recorder::Get().Clear();
  vqwinKeyPress('Q', 0);
  vqtest::ExpectSequence(
      {{top, WM_SYSKEYDOWN, 'Q'}, {top, WM_SYSCHAR, 'q'}, {top, WM_SYSKEYUP, 'Q'}},
      "keys without focus");
}

TEST_F(Input, PostedMessagesComeBeforeInputAndPaintAfterBoth) {
  vqwinSetAutoRun(FALSE);
  InvalidateRect(left, nullptr, FALSE);
  vqwinMouseDown(right, 1, 1, VK_LBUTTON);
  PostMessageA(left, WM_USER, 1, 0);
  PostMessageA(left, WM_USER, 2, 0);
  Recorder &r = Recorder::Get();
  r.ignored.erase(WM_PAINT);
  vqwinRunUntilIdle();
  vqwinSetAutoRun(TRUE);
  vqtest::ExpectSequence(
      {{left, WM_USER, 1}, {left, WM_USER, 2}, {right, WM_LBUTTONDOWN}, {left, WM_PAINT}},
      "queue order");
  vqwinMouseUp(right, 1, 1, VK_LBUTTON);
}

TEST_F(Input, PeekFiltersAndQuit) {
  PostMessageA(left, WM_USER, 1, 0);
  PostMessageA(right, WM_USER + 1, 2, 0);
  PostMessageA(nullptr, WM_APP, 3, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, right, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE) == FALSE);
  PostQuitMessage(5);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.wParam, 1u);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 5u);
  // A window's posted messages go with it.
  PostMessageA(left, WM_USER, 7, 0);
  DestroyWindow(left);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
  SetLastError(0);
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x99), WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Input, SentMessagesNestAndReturnResults) {
  Recorder::Get().handler = [&](HWND h, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER && h == left)
      return SendMessageA(right, WM_USER, wp + 1, 0) * 10;
    if (m == WM_USER && h == right)
      return static_cast<LRESULT>(wp);
    return std::nullopt;
  };
  EXPECT_EQ(SendMessageA(left, WM_USER, 4, 0), 50);
  vqtest::ExpectSequence({{left, WM_USER, 4}, {right, WM_USER, 5}}, "nested sends");
}

} // namespace

namespace {

class Wheel : public Input {};

TEST_F(Wheel, TurnsGoToTheFocusAndUnhandledOnesUpToItsParent) {
  SetFocus(left);
  Recorder::Get().Clear();
  // The point is elsewhere: the wheel follows the focus, not the mouse.
  ASSERT_TRUE(vqwinMouseWheel(right, 5, 6, -2 * WHEEL_DELTA));
  const LPARAM screen = MAKELPARAM(100 + 150 + 5, 100 + 10 + 6);
  const WPARAM wp = MAKEWPARAM(0, static_cast<WORD>(-240));
  vqtest::ExpectSequence({{left, WM_MOUSEWHEEL, wp, screen}, {top, WM_MOUSEWHEEL, wp, screen}},
                         "wheel");
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wp), -240);
}

} // namespace
