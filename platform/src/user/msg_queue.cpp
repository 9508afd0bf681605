// The calling thread's message queue. Messages come out in Win32's order:
// posted messages, then input (converted to window messages only when it
// reaches the front, so capture and focus are those of that moment), then
// WM_QUIT once nothing else is posted, then WM_PAINT for the first window in
// painting order whose update region is not empty, then WM_TIMER for a due
// timer. WM_PAINT and WM_TIMER are never queued: they stay due until the
// window validates itself or the timer's message is taken.
//
// Chosen here: with a display that never delivers input (the headless one),
// a GetMessageA that finds nothing returns 0 with a WM_QUIT of code 0
// instead of blocking forever, so a host's message loop ends when its work
// is done. Timers still running keep it waiting for them, as long as the
// clock moves while it waits (a test's fixed clock does not).
#include "backend/backend.h"
#include "kernel/host.h"
#include "user/timer.h"
#include "user/wnd_state.h"

#include <algorithm>
#include <deque>

namespace vqwin::user {
namespace {

struct Queue {
  std::deque<MSG> posted;
  std::deque<MSG> input; // converted input waiting behind a filter
  bool quit = false;
  int quitCode = 0;
  DWORD lastPos = 0;
  LONG lastTime = 0;
};

thread_local Queue queue;
DWORD timeOffset = 0;

bool Matches(const MSG &m, HWND filter, UINT min, UINT max) {
  if (filter == reinterpret_cast<HWND>(-1)) {
    if (m.hwnd)
      return false;
  } else if (filter && m.hwnd != filter && !IsChild(filter, m.hwnd)) {
    return false;
  }
  if (min == 0 && max == 0)
    return true;
  return m.message >= min && m.message <= max;
}

bool TakeFrom(std::deque<MSG> &list, MSG &out, HWND filter, UINT min, UINT max, bool remove) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (!Matches(*it, filter, min, max))
      continue;
    out = *it;
    if (remove)
      list.erase(it);
    return true;
  }
  return false;
}

bool Peek(MSG &out, HWND filter, UINT min, UINT max, UINT flags) {
  bool remove = flags & PM_REMOVE;
  if (TakeFrom(queue.posted, out, filter, min, max, remove))
    return true;
  if (TakeFrom(queue.input, out, filter, min, max, remove))
    return true;
  // Input becomes a message one event at a time, so that each sees the
  // capture, focus and tracking that the messages before it left.
  MSG cooked;
  while (CookInput(cooked)) {
    if (Matches(cooked, filter, min, max)) {
      out = cooked;
      if (!remove)
        queue.input.push_back(cooked);
      return true;
    }
    queue.input.push_back(cooked);
  }
  if (queue.quit && (filter == nullptr || filter == reinterpret_cast<HWND>(-1)) &&
      ((min == 0 && max == 0) || (WM_QUIT >= min && WM_QUIT <= max))) {
    out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, MessageTime(), {}};
    if (remove)
      queue.quit = false;
    return true;
  }
  bool threadOnly = filter == reinterpret_cast<HWND>(-1);
  if (!threadOnly && ((min == 0 && max == 0) || (WM_PAINT >= min && WM_PAINT <= max))) {
    if (HWND h = NextPaintWindow(filter)) {
      out = MSG{h, WM_PAINT, 0, 0, MessageTime(), {}};
      return true;
    }
  }
  if ((min == 0 && max == 0) || (WM_TIMER >= min && WM_TIMER <= max))
    return NextTimerMessage(out, filter, remove);
  return false;
}

// Waits for the soonest timer; false when there is none or the clock stood
// still while waiting, so waiting longer would never end.
bool WaitForTimer() {
  DWORD wait = 0;
  if (!NextTimerDue(wait))
    return false;
  // In short slices, so that a clock that stands still is noticed soon.
  DWORD before = MessageTime();
  kernel::Wait(std::clamp<DWORD>(wait, 1, 20));
  return MessageTime() != before;
}

} // namespace

DWORD MessageTime() { return GetTickCount() + timeOffset; }

void AdvanceMessageTime(DWORD ms) { timeOffset += ms; }

void NoteRetrieved(const MSG &msg) {
  queue.lastPos = static_cast<DWORD>(MAKELONG(msg.pt.x, msg.pt.y));
  queue.lastTime = static_cast<LONG>(msg.time);
}

void PurgeMessages(HWND hwnd) {
  DropTimers(hwnd);
  auto stale = [hwnd](const MSG &m) { return m.hwnd == hwnd; };
  std::erase_if(queue.posted, stale);
  std::erase_if(queue.input, stale);
}

void ResetQueue() {
  queue = Queue{};
  ResetTimers();
  timeOffset = 0;
}

} // namespace vqwin::user

using namespace vqwin::user;

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (hwnd) {
    Window *w = Find(hwnd);
    if (!w)
      return FALSE;
    if (w->thread != CurrentThread()) {
      // Each thread keeps its own queue and the layer has no locks, so a
      // window can only be posted to from the thread that owns it.
      SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
      return FALSE;
    }
  }
  POINT pt{};
  GetCursorPos(&pt);
  queue.posted.push_back(MSG{hwnd, msg, wp, lp, MessageTime(), pt});
  return TRUE;
}

BOOL WINAPI PostThreadMessageA(DWORD thread, UINT msg, WPARAM wp, LPARAM lp) {
  if (thread != CurrentThread()) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return PostMessageA(nullptr, msg, wp, lp);
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT min, UINT max, UINT flags) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !Find(hwnd))
    return FALSE;
  if (!Peek(*msg, hwnd, min, max, flags)) {
    vqwin::backend::Current().PollInput(false);
    if (!Peek(*msg, hwnd, min, max, flags))
      return FALSE;
  }
  NoteRetrieved(*msg);
  return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT min, UINT max) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !Find(hwnd))
    return -1;
  for (;;) {
    if (Peek(*msg, hwnd, min, max, PM_REMOVE)) {
      NoteRetrieved(*msg);
      return msg->message != WM_QUIT;
    }
    if (!vqwin::backend::Current().PollInput(true) && !WaitForTimer()) {
      *msg = MSG{nullptr, WM_QUIT, 0, 0, MessageTime(), {}};
      return FALSE;
    }
  }
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
  if (msg && msg->message == WM_TIMER && msg->lParam) {
    if (TIMERPROC proc = TimerCallback(msg->hwnd, msg->wParam, msg->lParam)) {
      proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
      return 0;
    }
  }
  if (!msg || !msg->hwnd)
    return 0;
  Window *w = Find(msg->hwnd);
  if (!w)
    return 0;
  return CallProc(*w, false, msg->message, msg->wParam, msg->lParam);
}

void WINAPI PostQuitMessage(int code) {
  queue.quit = true;
  queue.quitCode = code;
}

DWORD WINAPI GetMessagePos(void) { return queue.lastPos; }

LONG WINAPI GetMessageTime(void) { return queue.lastTime; }
