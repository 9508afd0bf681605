/*
 * The test and automation surface of the window manager: synthetic mouse
 * and keyboard input that takes the same path as real input, running the
 * message queue until nothing is left to do, and reading back what windows
 * show (pixels, PNG screenshots). This header is the layer's own, not
 * Win32: library code never includes it; tests and hosts that script the
 * user interface do.
 *
 * Unless vqwinSetAutoRun(FALSE) was called, every input function runs the
 * queue until idle before returning, so the input's effects are complete.
 */
#ifndef VQWIN_AUTOMATION_H
#define VQWIN_AUTOMATION_H

#include "windef.h"

/* Modifier keys held around a click or key press. */
#define VQWIN_SHIFT 0x0001
#define VQWIN_CONTROL 0x0002
#define VQWIN_ALT 0x0004

/* ---- Mouse ---- */

/// Moves the mouse to (x, y): client coordinates of `hwnd`, or screen
/// coordinates for a NULL window. FALSE for a stale window.
WINUSERAPI BOOL WINAPI vqwinMouseMove(HWND hwnd, int x, int y);
/// Presses or releases VK_LBUTTON, VK_RBUTTON or VK_MBUTTON at (x, y),
/// moving the mouse there first. FALSE for another key or a stale window.
WINUSERAPI BOOL WINAPI vqwinMouseDown(HWND hwnd, int x, int y, UINT button);
WINUSERAPI BOOL WINAPI vqwinMouseUp(HWND hwnd, int x, int y, UINT button);
/// Press and release with the VQWIN_ modifiers held.
WINUSERAPI BOOL WINAPI vqwinMouseClick(HWND hwnd, int x, int y, UINT button, UINT modifiers);
/// Two clicks within the double-click time and place.
WINUSERAPI BOOL WINAPI vqwinMouseDoubleClick(HWND hwnd, int x, int y, UINT button, UINT modifiers);
/// Presses at (x, y), moves to (toX, toY) in `steps` moves, releases there.
WINUSERAPI BOOL WINAPI vqwinMouseDrag(HWND hwnd, int x, int y, int toX, int toY, int steps);

/// Turns the wheel by `delta` (WHEEL_DELTA = 120 a notch; positive away
/// from the user) with the mouse at (x, y), moving it there first. The
/// focus window hears it as WM_MOUSEWHEEL. FALSE for a stale window.
WINUSERAPI BOOL WINAPI vqwinMouseWheel(HWND hwnd, int x, int y, int delta);

/* ---- Keyboard ---- */

/// A virtual key going down or up (VK_SHIFT, VK_CONTROL, VK_MENU included).
WINUSERAPI BOOL WINAPI vqwinKeyDown(UINT vk);
WINUSERAPI BOOL WINAPI vqwinKeyUp(UINT vk);
/// Down and up with the VQWIN_ modifiers held.
WINUSERAPI BOOL WINAPI vqwinKeyPress(UINT vk, UINT modifiers);
/// Types single-byte (Windows-1252) text: keys of the US layout where one
/// makes the character, a character packet (VK_PACKET) otherwise.
WINUSERAPI BOOL WINAPI vqwinTypeText(LPCSTR text);

/* ---- Queue and clock ---- */

/// Takes and dispatches messages (with TranslateMessage) until none is left
/// and no window needs painting. Returns the number dispatched, or -1 when
/// it stopped after `VQWIN_RUN_LIMIT` messages because windows kept the
/// queue busy (a window that never validates, for instance).
#define VQWIN_RUN_LIMIT 100000
WINUSERAPI int WINAPI vqwinRunUntilIdle(void);
/// Whether input functions run the queue until idle (the default) or only
/// queue their input.
WINUSERAPI void WINAPI vqwinSetAutoRun(BOOL run);
/// Moves the input clock forward, for instance past the double-click time.
WINUSERAPI void WINAPI vqwinAdvanceTime(DWORD milliseconds);

/* ---- What windows show ---- */

/// The colour at client point (x, y) of a window, as COLORREF; CLR_INVALID
/// (0xFFFFFFFF) outside the window's visible client area.
WINUSERAPI COLORREF WINAPI vqwinGetPixel(HWND hwnd, int x, int y);
/// Same, at a point of the whole window (frame included).
WINUSERAPI COLORREF WINAPI vqwinGetWindowPixel(HWND hwnd, int x, int y);
/// Writes the window's rectangle, frame included, as a PNG file.
WINUSERAPI BOOL WINAPI vqwinSaveScreenshot(HWND hwnd, LPCSTR path);

/* ---- Between tests ---- */

/// Destroys every window, empties the message and input queues and resets
/// focus, capture, cursor, key states and the input clock offset. Window
/// classes stay registered.
WINUSERAPI void WINAPI vqwinResetWindows(void);

#endif
