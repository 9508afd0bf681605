// What the message queue asks of the timers (timer.cpp).
#ifndef VQWIN_USER_TIMER_H
#define VQWIN_USER_TIMER_H

#include <windows.h>

namespace vqwin::user {

/// The WM_TIMER of the earliest due timer under `filter` (as PeekMessage
/// filters windows); `remove` starts the timer's next period.
bool NextTimerMessage(MSG &out, HWND filter, bool remove);
/// Milliseconds until the soonest timer is due (0 when one is); false when
/// the thread has no timer.
bool NextTimerDue(DWORD &wait);
/// The procedure DispatchMessage calls for a WM_TIMER, or null.
TIMERPROC TimerCallback(HWND hwnd, UINT_PTR id, LPARAM proc);
/// Forgets the timers of a window that goes away.
void DropTimers(HWND hwnd);
void ResetTimers();

} // namespace vqwin::user

#endif
