// Shared by the conformance programs: one printed line per observed fact
// ("key: value"), a message log that windows append to, and names for the
// handles a program creates so that logs never print raw pointers.
//
// Only Win32 headers and the C library are used here: the same source is
// built against the platform layer and with a Windows cross compiler.
#ifndef VQ_TESTS_CONFORMANCE_H
#define VQ_TESTS_CONFORMANCE_H

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static inline void Fact(const char *key, const char *format, ...) {
  char value[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(value, sizeof value, format, args);
  va_end(args);
  printf("%s: %s\n", key, value);
  fflush(stdout);
}

// The log collects what windows see between two facts; Take() hands it
// over and starts a new one. An empty log prints as "-".
static char g_log[4096];
static bool g_logging;

static inline void Log(const char *format, ...) {
  if (!g_logging)
    return;
  size_t used = strlen(g_log);
  if (used + 2 >= sizeof g_log)
    return;
  if (used)
    g_log[used++] = ' ';
  va_list args;
  va_start(args, format);
  vsnprintf(g_log + used, sizeof g_log - used, format, args);
  va_end(args);
}

static inline void StartLog() {
  g_log[0] = 0;
  g_logging = true;
}

static inline const char *TakeLog() {
  static char taken[sizeof g_log];
  g_logging = false;
  strcpy(taken, g_log[0] ? g_log : "-");
  g_log[0] = 0;
  return taken;
}

struct NamedWindow {
  HWND hwnd;
  const char *name;
};
static NamedWindow g_names[64];
static int g_nameCount;

static inline HWND Named(HWND hwnd, const char *name) {
  if (g_nameCount < 64)
    g_names[g_nameCount++] = {hwnd, name};
  return hwnd;
}

static inline const char *NameOf(HWND hwnd) {
  if (!hwnd)
    return "null";
  for (int i = 0; i < g_nameCount; ++i)
    if (g_names[i].hwnd == hwnd)
      return g_names[i].name;
  return "other";
}

static inline const char *MessageName(UINT msg) {
  switch (msg) {
  case WM_NCCREATE:
    return "WM_NCCREATE";
  case WM_CREATE:
    return "WM_CREATE";
  case WM_DESTROY:
    return "WM_DESTROY";
  case WM_NCDESTROY:
    return "WM_NCDESTROY";
  case WM_MOVE:
    return "WM_MOVE";
  case WM_SIZE:
    return "WM_SIZE";
  case WM_SETFOCUS:
    return "WM_SETFOCUS";
  case WM_KILLFOCUS:
    return "WM_KILLFOCUS";
  case WM_CAPTURECHANGED:
    return "WM_CAPTURECHANGED";
  case WM_COMMAND:
    return "WM_COMMAND";
  case WM_NOTIFY:
    return "WM_NOTIFY";
  case WM_VSCROLL:
    return "WM_VSCROLL";
  case WM_HSCROLL:
    return "WM_HSCROLL";
  }
  static char other[16];
  snprintf(other, sizeof other, "0x%04x", msg);
  return other;
}

static inline HINSTANCE Instance() { return GetModuleHandleA(NULL); }

// Runs posted and sent work until the queue is empty.
static inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

#endif
