// SetTimer and KillTimer. A timer is a due time in the message clock
// (MessageTime: the kernel's tick clock plus the input clock's offset), so
// a test moves timers by swapping the clock or by vqwinAdvanceTime, never
// by sleeping. The queue hands out WM_TIMER last, after posted messages,
// input, WM_QUIT and WM_PAINT, and only for a timer that is due; taking
// the message moves the timer one period past the present, so periods that
// passed unseen collapse into one WM_TIMER, as on Win32.
#include "user/timer.h"

#include "user/wnd_state.h"

#include <algorithm>
#include <vector>

namespace vqwin::user {
namespace {

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT period;
  DWORD due;
  TIMERPROC proc;
};

thread_local std::vector<Timer> timers;
thread_local UINT_PTR nextThreadTimerId = 0x7FF0;

// Due when `due` is not ahead of now; compared as a wrapping difference,
// so the tick count's wrap after 49 days does not stall timers.
bool IsDue(const Timer &t, DWORD now) { return static_cast<LONG>(now - t.due) >= 0; }

Timer *FindTimer(HWND hwnd, UINT_PTR id) {
  for (Timer &t : timers)
    if (t.hwnd == hwnd && t.id == id)
      return &t;
  return nullptr;
}

bool InFilter(const Timer &t, HWND filter) {
  if (filter == reinterpret_cast<HWND>(-1))
    return t.hwnd == nullptr;
  return !filter || t.hwnd == filter || IsChild(filter, t.hwnd);
}

} // namespace

bool NextTimerMessage(MSG &out, HWND filter, bool remove) {
  DWORD now = MessageTime();
  Timer *first = nullptr;
  for (Timer &t : timers)
    if (IsDue(t, now) && InFilter(t, filter) &&
        (!first || static_cast<LONG>(t.due - first->due) < 0))
      first = &t;
  if (!first)
    return false;
  POINT pt{};
  GetCursorPos(&pt);
  out = MSG{first->hwnd, WM_TIMER, first->id, reinterpret_cast<LPARAM>(first->proc), now, pt};
  if (remove)
    first->due = now + first->period;
  return true;
}

bool NextTimerDue(DWORD &wait) {
  if (timers.empty())
    return false;
  DWORD now = MessageTime();
  LONG soonest = 0x7FFFFFFF;
  for (const Timer &t : timers)
    soonest = std::min(soonest, static_cast<LONG>(t.due - now));
  wait = soonest > 0 ? static_cast<DWORD>(soonest) : 0;
  return true;
}

TIMERPROC TimerCallback(HWND hwnd, UINT_PTR id, LPARAM proc) {
  // Only a procedure that a live timer was set with is called, so a posted
  // WM_TIMER with a made-up lParam cannot jump anywhere.
  Timer *t = FindTimer(hwnd, id);
  return t && reinterpret_cast<LPARAM>(t->proc) == proc ? t->proc : nullptr;
}

void DropTimers(HWND hwnd) {
  std::erase_if(timers, [hwnd](const Timer &t) { return t.hwnd == hwnd; });
}

void ResetTimers() { timers.clear(); }

} // namespace vqwin::user

using namespace vqwin::user;

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (hwnd) {
    Window *w = Find(hwnd);
    if (!w)
      return 0;
    if (w->thread != CurrentThread()) {
      SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
      return 0;
    }
  }
  elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  Timer *t = FindTimer(hwnd, id);
  if (!hwnd && !t) {
    // Thread timers get ids of their own; the one asked for is only a
    // timer to replace.
    do
      id = ++nextThreadTimerId;
    while (id == 0 || FindTimer(nullptr, id));
  }
  if (!t) {
    timers.push_back(Timer{hwnd, id, elapse, 0, proc});
    t = &timers.back();
  }
  t->period = elapse;
  t->proc = proc;
  t->due = MessageTime() + elapse;
  return id ? id : 1;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
  auto it = std::find_if(timers.begin(), timers.end(),
                         [&](const Timer &t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers.end())
    return FALSE;
  timers.erase(it);
  return TRUE;
}
