// The input path: raw mouse and keyboard events, from the automation
// surface or a display backend, wait in an input queue and become window
// messages when the message queue reaches them, routed as Win32 routes
// them:
//
// - mouse: to the capture window in its client coordinates, otherwise to
//   the deepest shown window under the point, which first answers
//   WM_NCHITTEST and gets WM_SETCURSOR; inside the client area the message
//   is WM_xBUTTONxxx with MK_ flags, elsewhere WM_NCxBUTTONxxx with the hit
//   code and screen coordinates. A press in an inactive top-level window
//   first asks WM_MOUSEACTIVATE, which may activate it and may eat the click. A second press of the
//   same button on the same window within the double-click time and box is a double click, which
//   the client area hears only with CS_DBLCLKS.
// - wheel: WM_MOUSEWHEEL to the focus window (else the active one), with
//   the delta in the high word of wParam, the MK_ flags in the low word and
//   the screen point in lParam; DefWindowProc passes it on to the parent.
// - keys: to the focus window as WM_KEYDOWN / WM_KEYUP, as WM_SYSKEYDOWN /
//   WM_SYSKEYUP with Alt (without Ctrl) or F10; with no focus window they go
//   to the active window as system keys. TranslateMessage adds WM_CHAR /
//   WM_SYSCHAR from a US keyboard layout.
//
// GetKeyState follows the messages taken from the queue, GetAsyncKeyState
// and GetCursorPos the events as they arrive.
#include "user/input.h"
#include "user/wnd_state.h"

#include "kernel/cp1252.h"

#include <cstdlib>
#include <cstring>
#include <deque>

namespace vqwin::user {
namespace {

struct RawEvent {
  bool mouse = false;
  UINT message = 0; // WM_MOUSEMOVE, WM_xBUTTONDOWN / UP, WM_KEYDOWN / UP
  POINT pt{};
  UINT vk = 0;
  WCHAR ch = 0; // the character of a VK_PACKET key
  DWORD time = 0;
  int wheel = 0; // WM_MOUSEWHEEL: the delta
};

struct LastClick {
  HWND hwnd = nullptr;
  UINT message = 0;
  POINT pt{};
  DWORD time = 0;
};

struct InputState {
  std::deque<RawEvent> events;
  BYTE async[256] = {};
  BYTE sync[256] = {};
  POINT cursor{};
  LastClick click;
  WCHAR packetChar = 0; // of the last VK_PACKET key taken from the queue
};

InputState input;

void Press(BYTE *keys, UINT vk, bool down) {
  vk &= 0xFF;
  if (down) {
    if (!(keys[vk] & 0x80))
      keys[vk] ^= 0x01;
    keys[vk] |= 0x80;
  } else {
    keys[vk] &= static_cast<BYTE>(~0x80);
  }
}

// The generic modifier keys and their left-hand keys move together, so
// either name answers GetKeyState.
UINT Generic(UINT vk) {
  switch (vk) {
  case VK_LSHIFT:
  case VK_RSHIFT:
    return VK_SHIFT;
  case VK_LCONTROL:
  case VK_RCONTROL:
    return VK_CONTROL;
  case VK_LMENU:
  case VK_RMENU:
    return VK_MENU;
  }
  return vk;
}

UINT LeftHand(UINT vk) {
  switch (vk) {
  case VK_SHIFT:
    return VK_LSHIFT;
  case VK_CONTROL:
    return VK_LCONTROL;
  case VK_MENU:
    return VK_LMENU;
  }
  return vk;
}

void ApplyKey(BYTE *keys, UINT vk, bool down) {
  UINT generic = Generic(vk);
  Press(keys, generic, down);
  if (LeftHand(generic) != generic)
    Press(keys, vk == generic ? LeftHand(generic) : vk, down);
}

bool Down(const BYTE *keys, UINT vk) { return keys[vk & 0xFF] & 0x80; }

UINT ButtonOf(UINT message) {
  switch (message) {
  case WM_LBUTTONDOWN:
  case WM_LBUTTONUP:
    return VK_LBUTTON;
  case WM_RBUTTONDOWN:
  case WM_RBUTTONUP:
    return VK_RBUTTON;
  case WM_MBUTTONDOWN:
  case WM_MBUTTONUP:
    return VK_MBUTTON;
  }
  return 0;
}

bool IsButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

WPARAM MouseKeyFlags() {
  WPARAM flags = 0;
  if (Down(input.sync, VK_LBUTTON))
    flags |= MK_LBUTTON;
  if (Down(input.sync, VK_RBUTTON))
    flags |= MK_RBUTTON;
  if (Down(input.sync, VK_MBUTTON))
    flags |= MK_MBUTTON;
  if (Down(input.sync, VK_SHIFT))
    flags |= MK_SHIFT;
  if (Down(input.sync, VK_CONTROL))
    flags |= MK_CONTROL;
  return flags;
}

// Double-click detection; remembers the press when it is not the second one.
bool IsDoubleClick(HWND target, const RawEvent &ev) {
  LastClick &last = input.click;
  int boxX = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
  int boxY = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  bool dbl = last.hwnd == target && last.message == ev.message &&
             ev.time - last.time <= GetDoubleClickTime() && std::abs(ev.pt.x - last.pt.x) <= boxX &&
             std::abs(ev.pt.y - last.pt.y) <= boxY;
  if (dbl)
    last = LastClick{};
  else
    last = LastClick{target, ev.message, ev.pt, ev.time};
  return dbl;
}

// A press in a window whose top-level window is not active asks it with
// WM_MOUSEACTIVATE and activates it unless told not to; false when the
// answer eats the click.
bool ClickActivates(HWND target, LRESULT hit, UINT message) {
  Window *w = Find(target, false);
  Window *top = w ? TopLevelOf(w) : nullptr;
  if (!top || GetState().active == top->handle || (top->style & WS_DISABLED))
    return true;
  HWND topHandle = top->handle;
  LRESULT answer = Send(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(topHandle),
                        MAKELPARAM(static_cast<WORD>(hit), message));
  if ((answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) && Find(topHandle, false))
    ActivateTopLevel(topHandle, WA_CLICKACTIVE);
  return answer != MA_ACTIVATEANDEAT && answer != MA_NOACTIVATEANDEAT && Find(target, false);
}

bool CookWheel(const RawEvent &ev, MSG &out) {
  State &s = GetState();
  HWND target = s.focus ? s.focus : s.active;
  if (!Find(target, false))
    return false;
  out.hwnd = target;
  out.message = WM_MOUSEWHEEL;
  out.wParam = MAKEWPARAM(static_cast<WORD>(MouseKeyFlags()), static_cast<WORD>(ev.wheel));
  out.lParam = MAKELPARAM(ev.pt.x, ev.pt.y);
  out.time = ev.time;
  out.pt = ev.pt;
  return true;
}

bool CookMouse(const RawEvent &ev, MSG &out) {
  if (ev.message == WM_MOUSEWHEEL)
    return CookWheel(ev, out);
  if (ScrollTrackingActive()) {
    TrackScrollMouse(ev.message, ev.pt);
    return false;
  }
  State &s = GetState();
  HWND target = s.capture;
  LRESULT hit = HTCLIENT;
  if (!target) {
    target = WindowFromPoint(ev.pt);
    Window *w = Find(target, false);
    if (!w || (w->style & WS_DISABLED))
      return false;
    hit = Send(target, WM_NCHITTEST, 0, MAKELPARAM(ev.pt.x, ev.pt.y));
    if (hit == HTTRANSPARENT || hit == HTERROR)
      return false;
    Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
         MAKELPARAM(static_cast<WORD>(hit), ev.message));
  }
  if (IsButtonDown(ev.message) && !ClickActivates(target, hit, ev.message))
    return false;
  Window *w = Find(target, false);
  if (!w)
    return false;
  UINT message = ev.message;
  if (IsButtonDown(message) && IsDoubleClick(target, ev)) {
    bool client = hit == HTCLIENT;
    if (!client || (w->cls->style & CS_DBLCLKS))
      message += 2; // WM_xBUTTONDOWN to WM_xBUTTONDBLCLK
  }
  out.hwnd = target;
  out.time = ev.time;
  out.pt = ev.pt;
  if (hit == HTCLIENT) {
    POINT c = ClientOrigin(*w);
    out.message = message;
    out.wParam = MouseKeyFlags();
    out.lParam = MAKELPARAM(ev.pt.x - c.x, ev.pt.y - c.y);
  } else {
    out.message = message - (WM_MOUSEMOVE - WM_NCMOUSEMOVE);
    out.wParam = static_cast<WPARAM>(hit);
    out.lParam = MAKELPARAM(ev.pt.x, ev.pt.y);
  }
  return true;
}

struct ScanCode {
  UINT vk;
  BYTE scan;
  bool extended;
};

constexpr ScanCode kScanCodes[] = {
    {VK_ESCAPE, 0x01, false},    {VK_BACK, 0x0E, false},       {VK_TAB, 0x0F, false},
    {VK_RETURN, 0x1C, false},    {VK_CONTROL, 0x1D, false},    {VK_SHIFT, 0x2A, false},
    {VK_MENU, 0x38, false},      {VK_SPACE, 0x39, false},      {VK_CAPITAL, 0x3A, false},
    {VK_F11, 0x57, false},       {VK_F12, 0x58, false},        {VK_HOME, 0x47, true},
    {VK_UP, 0x48, true},         {VK_PRIOR, 0x49, true},       {VK_LEFT, 0x4B, true},
    {VK_RIGHT, 0x4D, true},      {VK_END, 0x4F, true},         {VK_DOWN, 0x50, true},
    {VK_NEXT, 0x51, true},       {VK_INSERT, 0x52, true},      {VK_DELETE, 0x53, true},
    {VK_OEM_1, 0x27, false},     {VK_OEM_PLUS, 0x0D, false},   {VK_OEM_COMMA, 0x33, false},
    {VK_OEM_MINUS, 0x0C, false}, {VK_OEM_PERIOD, 0x34, false}, {VK_OEM_2, 0x35, false},
    {VK_OEM_3, 0x29, false},     {VK_OEM_4, 0x1A, false},      {VK_OEM_5, 0x2B, false},
    {VK_OEM_6, 0x1B, false},     {VK_OEM_7, 0x28, false},
};

ScanCode ScanOf(UINT vk) {
  static const char letters[] = "\x1E\x30\x2E\x20\x12\x21\x22\x23\x17\x24\x25\x26\x32\x31\x18"
                                "\x19\x10\x13\x1F\x14\x16\x2F\x11\x2D\x15\x2C";
  if (vk >= 'A' && vk <= 'Z')
    return {vk, static_cast<BYTE>(letters[vk - 'A']), false};
  if (vk >= '1' && vk <= '9')
    return {vk, static_cast<BYTE>(0x02 + vk - '1'), false};
  if (vk == '0')
    return {vk, 0x0B, false};
  if (vk >= VK_F1 && vk <= VK_F10)
    return {vk, static_cast<BYTE>(0x3B + vk - VK_F1), false};
  for (const ScanCode &s : kScanCodes)
    if (s.vk == Generic(vk))
      return s;
  return {vk, 0, false};
}

bool CookKey(const RawEvent &ev, MSG &out) {
  State &s = GetState();
  bool down = ev.message == WM_KEYDOWN;
  bool wasDown = Down(input.sync, ev.vk);
  // A press is judged by the modifiers held with it, a release by those
  // held until it.
  bool altBefore = Down(input.sync, VK_MENU), ctrlBefore = Down(input.sync, VK_CONTROL);
  ApplyKey(input.sync, ev.vk, down);
  HWND target = s.focus ? s.focus : s.active;
  if (!Find(target, false))
    return false;
  bool alt = down ? Down(input.sync, VK_MENU) : altBefore;
  bool ctrl = down ? Down(input.sync, VK_CONTROL) : ctrlBefore;
  bool system = !s.focus || (alt && !ctrl) || ev.vk == VK_F10 || Generic(ev.vk) == VK_MENU;
  ScanCode sc = ScanOf(ev.vk);
  DWORD lp = 1u | (static_cast<DWORD>(sc.scan) << 16);
  if (sc.extended)
    lp |= 1u << 24;
  if (alt && !ctrl)
    lp |= 1u << 29;
  if (wasDown || !down)
    lp |= 1u << 30;
  if (!down)
    lp |= 1u << 31;
  if (ev.vk == VK_PACKET)
    input.packetChar = ev.ch;
  out.hwnd = target;
  out.message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  out.wParam = ev.vk;
  out.lParam = static_cast<LPARAM>(lp);
  out.time = ev.time;
  out.pt = input.cursor;
  return true;
}

char CharFor(UINT vk, bool shift, bool ctrl, bool caps) {
  if (ctrl) {
    if (vk >= 'A' && vk <= 'Z')
      return static_cast<char>(vk - 'A' + 1);
    switch (vk) {
    case VK_OEM_4:
      return 0x1B;
    case VK_OEM_5:
      return 0x1C;
    case VK_OEM_6:
      return 0x1D;
    case VK_RETURN:
      return 0x0A;
    case VK_BACK:
      return 0x7F;
    case VK_SPACE:
      return ' ';
    }
    return 0;
  }
  if (vk >= 'A' && vk <= 'Z')
    return static_cast<char>((shift != caps ? 'A' : 'a') + (vk - 'A'));
  if (vk >= '0' && vk <= '9')
    return shift ? ")!@#$%^&*("[vk - '0'] : static_cast<char>(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
    return static_cast<char>('0' + vk - VK_NUMPAD0);
  switch (vk) {
  case VK_SPACE:
    return ' ';
  case VK_RETURN:
    return '\r';
  case VK_BACK:
    return '\b';
  case VK_TAB:
    return '\t';
  case VK_ESCAPE:
    return 0x1B;
  case VK_MULTIPLY:
    return '*';
  case VK_ADD:
    return '+';
  case VK_SUBTRACT:
    return '-';
  case VK_DECIMAL:
    return '.';
  case VK_DIVIDE:
    return '/';
  case VK_OEM_1:
    return shift ? ':' : ';';
  case VK_OEM_PLUS:
    return shift ? '+' : '=';
  case VK_OEM_COMMA:
    return shift ? '<' : ',';
  case VK_OEM_MINUS:
    return shift ? '_' : '-';
  case VK_OEM_PERIOD:
    return shift ? '>' : '.';
  case VK_OEM_2:
    return shift ? '?' : '/';
  case VK_OEM_3:
    return shift ? '~' : '`';
  case VK_OEM_4:
    return shift ? '{' : '[';
  case VK_OEM_5:
    return shift ? '|' : '\\';
  case VK_OEM_6:
    return shift ? '}' : ']';
  case VK_OEM_7:
    return shift ? '"' : '\'';
  }
  return 0;
}

} // namespace

void InjectMouse(UINT message, POINT screen) {
  input.cursor = screen;
  if (UINT button = ButtonOf(message))
    Press(input.async, button, IsButtonDown(message));
  input.events.push_back(RawEvent{true, message, screen, 0, 0, MessageTime()});
}

void InjectWheel(int delta, POINT screen) {
  input.cursor = screen;
  RawEvent ev{true, WM_MOUSEWHEEL, screen, 0, 0, MessageTime()};
  ev.wheel = delta;
  input.events.push_back(ev);
}

void InjectKey(UINT vk, bool down, WCHAR ch) {
  ApplyKey(input.async, vk, down);
  input.events.push_back(RawEvent{false, static_cast<UINT>(down ? WM_KEYDOWN : WM_KEYUP),
                                  input.cursor, vk, ch, MessageTime()});
}

bool KeyScan(char c, UINT &vk, bool &shift) {
  for (UINT k = 0; k < 256; ++k) {
    if (k == VK_PACKET || (k >= VK_NUMPAD0 && k <= VK_DIVIDE))
      continue;
    for (int sh = 0; sh < 2; ++sh) {
      if (CharFor(k, sh, false, false) == c && c != 0) {
        vk = k;
        shift = sh;
        return true;
      }
    }
  }
  return false;
}

bool CookInput(MSG &out) {
  while (!input.events.empty()) {
    RawEvent ev = input.events.front();
    input.events.pop_front();
    if (ev.mouse) {
      if (UINT button = ButtonOf(ev.message))
        Press(input.sync, button, IsButtonDown(ev.message));
      if (CookMouse(ev, out))
        return true;
    } else if (CookKey(ev, out)) {
      return true;
    }
  }
  return false;
}

void ResetInput() {
  input = InputState{};
  CancelScrollTracking();
}

} // namespace vqwin::user

using namespace vqwin::user;

BOOL WINAPI TranslateMessage(const MSG *msg) {
  if (!msg)
    return FALSE;
  switch (msg->message) {
  case WM_KEYUP:
  case WM_SYSKEYUP:
    return TRUE;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
    break;
  default:
    return FALSE;
  }
  UINT vk = static_cast<UINT>(msg->wParam);
  bool ctrl = Down(input.sync, VK_CONTROL), alt = Down(input.sync, VK_MENU);
  unsigned char ch = 0;
  if (ctrl && alt)
    return TRUE; // Ctrl+Alt (AltGr) makes no character on the US layout
  if (vk == VK_PACKET)
    ch = vqwin::cp1252::FromUnicode(input.packetChar);
  else
    ch = static_cast<unsigned char>(
        CharFor(vk, Down(input.sync, VK_SHIFT), ctrl, input.sync[VK_CAPITAL] & 0x01));
  if (ch) {
    UINT charMsg = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    PostMessageA(msg->hwnd, charMsg, ch, msg->lParam);
  }
  return TRUE;
}

SHORT WINAPI GetKeyState(int vk) {
  BYTE b = input.sync[vk & 0xFF];
  return static_cast<SHORT>(((b & 0x80) ? 0x8000 : 0) | (b & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int vk) {
  return static_cast<SHORT>((input.async[vk & 0xFF] & 0x80) ? 0x8000 : 0);
}

BOOL WINAPI GetCursorPos(LPPOINT pt) {
  if (!pt) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pt = input.cursor;
  return TRUE;
}

UINT WINAPI GetDoubleClickTime(void) { return 500; }
