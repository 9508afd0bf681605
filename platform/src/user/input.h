// Entry points of the input path for the automation surface and display
// backends: raw events go in here and come out of the message queue as
// routed window messages.
#ifndef VQWIN_USER_INPUT_H
#define VQWIN_USER_INPUT_H

#include <windows.h>

namespace vqwin::user {

/// A mouse event at a screen point: WM_MOUSEMOVE or WM_xBUTTONDOWN / UP.
void InjectMouse(UINT message, POINT screen);
/// A turn of the mouse wheel at a screen point, in WHEEL_DELTA units
/// (positive: away from the user).
void InjectWheel(int delta, POINT screen);
/// A key going down or up; `ch` is the character of a VK_PACKET key.
void InjectKey(UINT vk, bool down, WCHAR ch);
/// The key and shift state that types the character on the US layout.
bool KeyScan(char c, UINT &vk, bool &shift);

} // namespace vqwin::user

#endif
