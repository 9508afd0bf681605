// The automation surface: synthetic input into the input path, a queue
// runner, and reads of the window surfaces (pixels and PNG screenshots).
#include <vqwin_automation.h>

#include "user/input.h"
#include "user/wnd_state.h"

#include "kernel/cp1252.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vqwin::user {
namespace {

bool autoRun = true;

bool ToScreen(HWND hwnd, int x, int y, POINT &out) {
  out = POINT{x, y};
  if (!hwnd)
    return true;
  return ClientToScreen(hwnd, &out);
}

void Settle() {
  if (autoRun)
    vqwinRunUntilIdle();
}

bool ButtonMessages(UINT button, UINT &down, UINT &up) {
  switch (button) {
  case VK_LBUTTON:
    down = WM_LBUTTONDOWN, up = WM_LBUTTONUP;
    return true;
  case VK_RBUTTON:
    down = WM_RBUTTONDOWN, up = WM_RBUTTONUP;
    return true;
  case VK_MBUTTON:
    down = WM_MBUTTONDOWN, up = WM_MBUTTONUP;
    return true;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

void Modifiers(UINT modifiers, bool down) {
  const UINT keys[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
  for (int i = 0; i < 3; ++i)
    if (modifiers & (1u << i))
      InjectKey(keys[i], down, 0);
}

bool Button(HWND hwnd, int x, int y, UINT button, bool down) {
  UINT downMsg, upMsg;
  POINT pt;
  if (!ButtonMessages(button, downMsg, upMsg) || !ToScreen(hwnd, x, y, pt))
    return false;
  InjectMouse(WM_MOUSEMOVE, pt);
  InjectMouse(down ? downMsg : upMsg, pt);
  return true;
}

bool Clicks(HWND hwnd, int x, int y, UINT button, UINT modifiers, int count) {
  UINT downMsg, upMsg;
  POINT pt;
  if (!ButtonMessages(button, downMsg, upMsg) || !ToScreen(hwnd, x, y, pt))
    return false;
  Modifiers(modifiers, true);
  InjectMouse(WM_MOUSEMOVE, pt);
  for (int i = 0; i < count; ++i) {
    InjectMouse(downMsg, pt);
    InjectMouse(upMsg, pt);
  }
  Modifiers(modifiers, false);
  Settle();
  return true;
}

// Reads a pixel of a window at a point relative to `area` (window
// coordinates), if the point is inside it and visible on the surface.
COLORREF ReadPixel(HWND hwnd, int x, int y, bool client) {
  Window *w = Find(hwnd);
  if (!w)
    return CLR_INVALID;
  RECT area = client ? w->clientRect
                     : RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  if (x < 0 || y < 0 || x >= area.right - area.left || y >= area.bottom - area.top)
    return CLR_INVALID;
  Window *top = TopLevelOf(w);
  if (!top->surface)
    return CLR_INVALID;
  POINT o = WindowOrigin(*w), to = WindowOrigin(*top);
  int sx = o.x - to.x + area.left + x, sy = o.y - to.y + area.top + y;
  cairo_surface_t *s = top->surface;
  cairo_surface_flush(s);
  if (sx < 0 || sy < 0 || sx >= cairo_image_surface_get_width(s) ||
      sy >= cairo_image_surface_get_height(s))
    return CLR_INVALID;
  const unsigned char *row =
      cairo_image_surface_get_data(s) + sy * cairo_image_surface_get_stride(s);
  uint32_t px;
  std::memcpy(&px, row + sx * 4, 4);
  return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
}

} // namespace
} // namespace vqwin::user

using namespace vqwin::user;

BOOL WINAPI vqwinMouseMove(HWND hwnd, int x, int y) {
  POINT pt;
  if (!ToScreen(hwnd, x, y, pt))
    return FALSE;
  InjectMouse(WM_MOUSEMOVE, pt);
  Settle();
  return TRUE;
}

BOOL WINAPI vqwinMouseWheel(HWND hwnd, int x, int y, int delta) {
  POINT pt;
  if (!ToScreen(hwnd, x, y, pt))
    return FALSE;
  InjectWheel(delta, pt);
  Settle();
  return TRUE;
}

BOOL WINAPI vqwinMouseDown(HWND hwnd, int x, int y, UINT button) {
  if (!Button(hwnd, x, y, button, true))
    return FALSE;
  Settle();
  return TRUE;
}

BOOL WINAPI vqwinMouseUp(HWND hwnd, int x, int y, UINT button) {
  if (!Button(hwnd, x, y, button, false))
    return FALSE;
  Settle();
  return TRUE;
}

BOOL WINAPI vqwinMouseClick(HWND hwnd, int x, int y, UINT button, UINT modifiers) {
  return Clicks(hwnd, x, y, button, modifiers, 1);
}

BOOL WINAPI vqwinMouseDoubleClick(HWND hwnd, int x, int y, UINT button, UINT modifiers) {
  return Clicks(hwnd, x, y, button, modifiers, 2);
}

BOOL WINAPI vqwinMouseDrag(HWND hwnd, int x, int y, int toX, int toY, int steps) {
  POINT from, to;
  if (!ToScreen(hwnd, x, y, from) || !ToScreen(hwnd, toX, toY, to))
    return FALSE;
  if (steps < 1)
    steps = 1;
  InjectMouse(WM_MOUSEMOVE, from);
  InjectMouse(WM_LBUTTONDOWN, from);
  for (int i = 1; i <= steps; ++i)
    InjectMouse(WM_MOUSEMOVE,
                POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
  InjectMouse(WM_LBUTTONUP, to);
  Settle();
  return TRUE;
}

BOOL WINAPI vqwinKeyDown(UINT vk) {
  if (vk == 0 || vk > 0xFE)
    return FALSE;
  InjectKey(vk, true, 0);
  Settle();
  return TRUE;
}

BOOL WINAPI vqwinKeyUp(UINT vk) {
  if (vk == 0 || vk > 0xFE)
    return FALSE;
  InjectKey(vk, false, 0);
  Settle();
  return TRUE;
}

BOOL WINAPI vqwinKeyPress(UINT vk, UINT modifiers) {
  if (vk == 0 || vk > 0xFE)
    return FALSE;
  Modifiers(modifiers, true);
  InjectKey(vk, true, 0);
  InjectKey(vk, false, 0);
  Modifiers(modifiers, false);
  Settle();
  return TRUE;
}

BOOL WINAPI vqwinTypeText(LPCSTR text) {
  if (!text)
    return FALSE;
  for (const char *p = text; *p; ++p) {
    UINT vk = 0;
    bool shift = false;
    if (KeyScan(*p, vk, shift)) {
      if (shift)
        InjectKey(VK_SHIFT, true, 0);
      InjectKey(vk, true, 0);
      InjectKey(vk, false, 0);
      if (shift)
        InjectKey(VK_SHIFT, false, 0);
    } else {
      WCHAR ch = vqwin::cp1252::ToUnicode(static_cast<unsigned char>(*p));
      InjectKey(VK_PACKET, true, ch);
      InjectKey(VK_PACKET, false, ch);
    }
  }
  Settle();
  return TRUE;
}

int WINAPI vqwinRunUntilIdle(void) {
  MSG msg;
  int count = 0;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit for the host's own loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    if (++count >= VQWIN_RUN_LIMIT)
      return -1;
  }
  return count;
}

void WINAPI vqwinSetAutoRun(BOOL run) { autoRun = run; }

void WINAPI vqwinAdvanceTime(DWORD ms) { AdvanceMessageTime(ms); }

COLORREF WINAPI vqwinGetPixel(HWND hwnd, int x, int y) { return ReadPixel(hwnd, x, y, true); }

COLORREF WINAPI vqwinGetWindowPixel(HWND hwnd, int x, int y) {
  return ReadPixel(hwnd, x, y, false);
}

BOOL WINAPI vqwinSaveScreenshot(HWND hwnd, LPCSTR path) {
  Window *w = Find(hwnd);
  if (!w || !path)
    return FALSE;
  Window *top = TopLevelOf(w);
  EnsureSurface(*top);
  POINT o = WindowOrigin(*w), to = WindowOrigin(*top);
  int width = std::max<int>(w->rect.right - w->rect.left, 1);
  int height = std::max<int>(w->rect.bottom - w->rect.top, 1);
  cairo_surface_t *shot = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t *cr = cairo_create(shot);
  cairo_set_source_surface(cr, top->surface, -(o.x - to.x), -(o.y - to.y));
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_status_t status = cairo_surface_write_to_png(shot, path);
  cairo_surface_destroy(shot);
  if (status != CAIRO_STATUS_SUCCESS) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  return TRUE;
}

void WINAPI vqwinResetWindows(void) {
  State &s = GetState();
  std::vector<HWND> tops = s.topLevels;
  for (HWND h : tops)
    DestroyWindow(h);
  s.focus = s.capture = s.active = nullptr;
  s.cursor = nullptr;
  ResetInput();
  ResetQueue();
}
