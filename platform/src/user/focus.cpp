// Keyboard focus, activation, mouse capture and the cursor shape.
//
// Focus moves in Win32 order: WM_KILLFOCUS to the window losing it (which
// still has it while it hears so), then WM_SETFOCUS to the window gaining
// it. Focusing a window in another top-level window activates that one
// first (WM_ACTIVATE). Chosen here: activation sends only WM_ACTIVATE, not
// WM_NCACTIVATE or WM_ACTIVATEAPP, which nothing in the family handles.
#include "user/wnd_state.h"

namespace vqwin::user {
namespace {

bool FocusAllowed(Window *w) {
  for (; w; w = IsChildStyle(*w) ? Find(w->parent, false) : nullptr)
    if (w->style & (WS_DISABLED | WS_MINIMIZE))
      return false;
  return true;
}

// Set while SetFocus activates the target's top-level window, so that the
// default WM_ACTIVATE handling does not focus the top-level window first.
bool focusFollows = false;

} // namespace

void ForgetWindow(HWND hwnd) {
  State &s = GetState();
  if (s.focus == hwnd)
    s.focus = nullptr;
  if (s.capture == hwnd)
    s.capture = nullptr;
  if (s.active == hwnd)
    s.active = nullptr;
}

void ActivateTopLevel(HWND hwnd, WORD how) {
  State &s = GetState();
  if (s.active == hwnd)
    return;
  HWND old = s.active;
  if (Find(old, false))
    Send(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
  s.active = hwnd;
  if (Window *w = Find(hwnd, false)) {
    BOOL minimized = (w->style & WS_MINIMIZE) != 0;
    Send(hwnd, WM_ACTIVATE, MAKEWPARAM(how, minimized), reinterpret_cast<LPARAM>(old));
  }
}

bool FocusFollowsActivation() { return focusFollows; }

} // namespace vqwin::user

using namespace vqwin::user;

HWND WINAPI SetFocus(HWND hwnd) {
  State &s = GetState();
  HWND old = s.focus;
  if (hwnd) {
    Window *w = Find(hwnd);
    if (!w || !FocusAllowed(w))
      return nullptr;
    if (hwnd == old)
      return old;
    Window *top = TopLevelOf(w);
    if (top && s.active != top->handle) {
      focusFollows = true;
      ActivateTopLevel(top->handle, WA_ACTIVE);
      focusFollows = false;
      if (!Find(hwnd, false))
        return nullptr;
      old = s.focus;
      if (hwnd == old)
        return old;
    }
  }
  if (old && Find(old, false))
    Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && !Find(hwnd, false))
    return nullptr;
  s.focus = hwnd;
  if (hwnd)
    Send(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND WINAPI GetFocus(void) { return GetState().focus; }

HWND WINAPI GetActiveWindow(void) { return GetState().active; }

HWND WINAPI SetActiveWindow(HWND hwnd) {
  Window *w = Find(hwnd);
  if (!w)
    return nullptr;
  HWND old = GetState().active;
  ActivateTopLevel(TopLevelOf(w)->handle, WA_ACTIVE);
  return old;
}

HWND WINAPI SetCapture(HWND hwnd) {
  State &s = GetState();
  if (!Find(hwnd))
    return nullptr;
  HWND old = s.capture;
  // Taking the capture again still tells the holder it changed, as Win32 does.
  s.capture = hwnd;
  if (old && Find(old, false))
    Send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return old;
}

BOOL WINAPI ReleaseCapture(void) {
  State &s = GetState();
  HWND old = s.capture;
  s.capture = nullptr;
  if (old && Find(old, false))
    Send(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND WINAPI GetCapture(void) { return GetState().capture; }

// Cursor handles come from LoadCursorA; the window manager only keeps the
// current one, which a display backend shows.
HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  State &s = GetState();
  HCURSOR old = s.cursor;
  s.cursor = cursor;
  return old;
}

HCURSOR WINAPI GetCursor(void) { return GetState().cursor; }
