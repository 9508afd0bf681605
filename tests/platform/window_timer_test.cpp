// Timers under a clock the test moves: when WM_TIMER becomes due, its place
// behind every other message, periods collapsing into one message, timer
// procedures, thread timers, and the message time that follows the clock.
#include <windows.h>

#include <vqwin_automation.h>
#include <vqwin_seams.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ULONGLONG ticks = 0;
ULONGLONG Ticks(void *) { return ticks; }
LONGLONG Utc(void *) { return 0; }
LONG Offset(LONGLONG, void *) { return 0; }

std::vector<std::string> calls;

void CALLBACK Proc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time) {
  calls.push_back((hwnd ? "window " : "thread ") + std::to_string(msg) + " " + std::to_string(id) +
                  " @" + std::to_string(time));
}

class TimerTest : public ::testing::Test {
protected:
  void SetUp() override {
    ticks = 5000;
    VQWIN_CLOCK clock{Utc, Offset, Ticks, nullptr};
    VqwinSetClock(&clock);
    vqwinResetWindows();
    calls.clear();
    static bool registered = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = DefWindowProcA;
      wc.lpszClassName = "TimerTestWindow";
      return RegisterClassA(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    hwnd = CreateWindowExA(0, "TimerTestWindow", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100,
                           100, nullptr, nullptr, nullptr, nullptr);
    vqwinRunUntilIdle();
  }
  void TearDown() override {
    vqwinResetWindows();
    VqwinSetClock(nullptr);
  }

  // The messages waiting now, in the order the queue gives them.
  std::vector<std::string> Drain() {
    std::vector<std::string> out;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      out.push_back(msg.message == WM_TIMER   ? "timer " + std::to_string(msg.wParam)
                    : msg.message == WM_PAINT ? "paint"
                    : msg.message == WM_USER  ? "user"
                                              : std::to_string(msg.message));
      DispatchMessageA(&msg);
    }
    return out;
  }

  HWND hwnd = nullptr;
};

using Seen = std::vector<std::string>;

TEST_F(TimerTest, DueByTheClockLastInLineAndCollapsed) {
  ASSERT_EQ(SetTimer(hwnd, 7, 100, nullptr), 7u);
  struct Row {
    const char *name;
    ULONGLONG advance;
    bool postAndPaint;
    Seen want;
  } rows[] = {
      {"not yet due", 99, false, {}},
      {"due", 1, false, {"timer 7"}},
      {"the next period starts when taken", 99, false, {}},
      {"missed periods give one message", 350, false, {"timer 7"}},
      {"behind posted messages and painting", 100, true, {"user", "paint", "timer 7"}},
  };
  for (const Row &r : rows) {
    ticks += r.advance;
    if (r.postAndPaint) {
      PostMessageA(hwnd, WM_USER, 0, 0);
      InvalidateRect(hwnd, nullptr, TRUE);
    }
    EXPECT_EQ(Drain(), r.want) << r.name;
  }
  // Setting the same timer again restarts its period.
  ticks += 90;
  SetTimer(hwnd, 7, 100, nullptr);
  ticks += 90;
  EXPECT_EQ(Drain(), Seen{}) << "restarted";
  vqwinAdvanceTime(10); // the input clock moves timers too
  EXPECT_EQ(Drain(), Seen{"timer 7"});

  // A filtered peek leaves the timer due; a removing one takes it.
  ticks += 100;
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, hwnd, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_EQ(msg.time, static_cast<DWORD>(ticks + 10));
  EXPECT_FALSE(PeekMessageA(&msg, hwnd, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(Drain(), Seen{"timer 7"});

  EXPECT_TRUE(KillTimer(hwnd, 7));
  EXPECT_FALSE(KillTimer(hwnd, 7));
  ticks += 1000;
  EXPECT_EQ(Drain(), Seen{}) << "killed";

  SetTimer(hwnd, 8, 10, nullptr);
  DestroyWindow(hwnd);
  EXPECT_FALSE(KillTimer(hwnd, 8)) << "a window's timers end with it";
}

TEST_F(TimerTest, ProceduresAndThreadTimers) {
  UINT_PTR first = SetTimer(nullptr, 0, 50, Proc);
  UINT_PTR second = SetTimer(nullptr, 0, 70, Proc);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);
  EXPECT_EQ(SetTimer(nullptr, first, 60, Proc), first) << "replaced by its id";
  EXPECT_EQ(SetTimer(hwnd, 3, 5, Proc), 3u) << "below the minimum: 10 ms";
  ticks += 10;
  Drain();
  ticks += 60;
  Drain();
  const std::string t5010 = " @5010", t5070 = " @5070";
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "window 275 3" + t5010,
                       "window 275 3" + t5070, // due since 5020: the earliest first
                       "thread 275 " + std::to_string(first) + t5070,
                       "thread 275 " + std::to_string(second) + t5070,
                   }));

  // A posted WM_TIMER reaches a procedure only if a live timer has it.
  calls.clear();
  KillTimer(hwnd, 3);
  PostMessageA(hwnd, WM_TIMER, 3, reinterpret_cast<LPARAM>(&Proc));
  Drain();
  EXPECT_TRUE(calls.empty());

  SetLastError(0);
  EXPECT_EQ(SetTimer(reinterpret_cast<HWND>(0x4321), 1, 10, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(TimerTest, MessageTimeFollowsTheClock) {
  ticks = 123456;
  PostMessageA(hwnd, WM_USER, 0, 0);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.time, 123456u);
  EXPECT_EQ(GetMessageTime(), 123456);
  // With a clock that stands still, a waiting timer cannot keep GetMessageA
  // waiting: the loop ends.
  SetTimer(hwnd, 1, 1000, nullptr);
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

} // namespace
