// Windows, messages, focus, capture, the thread queue and the text
// functions of the kernel: what a plain Win32 program observes.
#include "conformance.h"

// Records the window-manager messages a test looks at, with parameters.
static LRESULT CALLBACK RecordProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_MOVE:
  case WM_SIZE:
    Log("%s:%s(%d,%d,%d)", NameOf(hwnd), MessageName(msg), (int)wp, (short)LOWORD(lp),
        (short)HIWORD(lp));
    break;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
  case WM_CAPTURECHANGED:
    Log("%s:%s(%s)", NameOf(hwnd), MessageName(msg),
        NameOf(msg == WM_CAPTURECHANGED ? (HWND)lp : (HWND)wp));
    break;
  case WM_NCCREATE:
  case WM_CREATE:
  case WM_DESTROY:
  case WM_NCDESTROY:
    Log("%s", MessageName(msg));
    break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// What WM_NCCREATE and WM_CREATE answer for the failing-window cases.
static LRESULT g_ncCreateResult = TRUE;
static LRESULT g_createResult = 0;

static LRESULT CALLBACK FailingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_NCCREATE:
    Log("WM_NCCREATE");
    if (g_ncCreateResult != TRUE)
      return g_ncCreateResult;
    break;
  case WM_CREATE:
    Log("WM_CREATE");
    return g_createResult;
  case WM_DESTROY:
  case WM_NCDESTROY:
    Log("%s", MessageName(msg));
    break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

static void Register(const char *name, WNDPROC proc) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = proc;
  wc.hInstance = Instance();
  wc.lpszClassName = name;
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  RegisterClassA(&wc);
}

static int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

static void CompareTexts() {
  static const char *pairs[][2] = {
      {"abc", "abd"},     {"abc", "ABC"},     {"a", "B"},
      {"B", "a"},         {"", "a"},          {"a", ""},
      {"co-op", "coop"},  {"coop", "co-op"},  {"co-op", "cop"},
      {"it's", "its"},    {"it's", "itz"},    {"-a", "a"},
      {"a-", "a"},        {"a-b", "a-c"},     {"a-c", "ab"},
      {"'a", "a"},        {"a b", "ab"},      {"a_b", "ab"},
      {"a1", "aa"},       {"Z", "a"},         {"\xe4", "b"},
      {"\xc4", "\xe4"},   {"ab", "a"},        {"-", "'"},
      {"x-y", "x'y"},     {"1-2", "12"},      {"A-B", "a-b"},
      {"ss", "\xdf"},     {"a'b", "ab"},      {"ab", "a'b"},
      {"a--b", "a-b"},    {"don't", "dont"},  {"re-sort", "resort"},
      {"co-op", "co'op"}, {"Co-op", "co-op"}, {"-", "-"},
      {"a-b", "a b"},     {"zz", "z-z"},      {"\xe9t\xe9", "ete"},
      {"\xc9", "e"},
  };
  const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
  for (int i = 0; i < (int)(sizeof pairs / sizeof pairs[0]); ++i) {
    const char *a = pairs[i][0], *b = pairs[i][1];
    char key[64];
    snprintf(key, sizeof key, "text.compare.%02d", i);
    Fact(key, "lstrcmpA %d lstrcmpiA %d word %d nocase %d stringsort %d", Sign(lstrcmpA(a, b)),
         Sign(lstrcmpiA(a, b)), CompareStringA(english, 0, a, -1, b, -1),
         CompareStringA(english, NORM_IGNORECASE, a, -1, b, -1),
         CompareStringA(english, SORT_STRINGSORT, a, -1, b, -1));
  }
  Fact("text.compare.lengths", "%d %d %d", CompareStringA(english, 0, "abc", 2, "abd", 2),
       CompareStringA(english, 0, "abc", 3, "ab", -1), CompareStringA(english, 0, "", 0, "", 0));
  SetLastError(0);
  int bad = CompareStringA(english, 0, NULL, -1, "a", -1);
  Fact("text.compare.null", "%d error %u", bad, (unsigned)GetLastError());
}

static void CharClasses() {
  Fact("text.acp", "%u", GetACP());
  static const unsigned char chars[] = {'A',  'a',  'Z',  'z',  '1',  ' ',  '-',  0xc4, 0xe4, 0xdf,
                                        0xff, 0x8a, 0x9a, 0xd7, 0xf7, 0xaa, 0xb5, 0xc0, 0xe0, 0x9f};
  for (unsigned char c : chars) {
    char key[32];
    snprintf(key, sizeof key, "text.class.%02x", c);
    Fact(key, "upper %d lower %d", IsCharUpperA((CHAR)c) ? 1 : 0, IsCharLowerA((CHAR)c) ? 1 : 0);
  }
}

static void CreateFailures() {
  Register("ConfFailing", FailingProc);
  struct Case {
    const char *name;
    LRESULT ncCreate, create;
  } cases[] = {{"create.fails", TRUE, -1},
               {"create.ncfails", FALSE, 0},
               {"create.succeeds", TRUE, 0},
               {"create.other", TRUE, 5}};
  for (const Case &c : cases) {
    g_ncCreateResult = c.ncCreate;
    g_createResult = c.create;
    StartLog();
    HWND w = CreateWindowExA(0, "ConfFailing", "x", WS_OVERLAPPED, 0, 0, 50, 50, NULL, NULL,
                             Instance(), NULL);
    const char *log = TakeLog();
    Fact(c.name, "%s %s", w ? "window" : "null", log);
    if (w) {
      StartLog();
      DestroyWindow(w);
      char key[64];
      snprintf(key, sizeof key, "%s.destroy", c.name);
      Fact(key, "%s", TakeLog());
    }
  }
  HWND child =
      CreateWindowExA(0, "ConfFailing", "x", WS_CHILD, 0, 0, 5, 5, NULL, NULL, Instance(), NULL);
  Fact("create.child_without_parent", "%s error %u", child ? "window" : "null",
       (unsigned)GetLastError());
  SetLastError(0);
  HWND unknown =
      CreateWindowExA(0, "NoSuchClass", "x", 0, 0, 0, 5, 5, NULL, NULL, Instance(), NULL);
  Fact("create.unknown_class", "%s error %u", unknown ? "window" : "null",
       (unsigned)GetLastError());
}

static void Geometry(HWND top) {
  StartLog();
  HWND child = Named(CreateWindowExA(0, "ConfRecord", "", WS_CHILD | WS_VISIBLE, 5, 6, 40, 30, top,
                                     NULL, Instance(), NULL),
                     "child");
  Fact("pos.create", "%s", TakeLog());
  struct Case {
    const char *name;
    int x, y, cx, cy;
    UINT flags;
    bool move;
  } cases[] = {
      {"pos.move_window", 10, 20, 100, 50, 0, true},
      {"pos.move_window_same", 10, 20, 100, 50, 0, true},
      {"pos.move_only", 11, 22, 100, 50, 0, true},
      {"pos.size_only", 11, 22, 60, 70, 0, true},
      {"pos.swp_both", 1, 2, 30, 40, SWP_NOZORDER, false},
      {"pos.swp_nomove", 50, 50, 31, 41, SWP_NOZORDER | SWP_NOMOVE, false},
      {"pos.swp_nosize", 3, 4, 99, 99, SWP_NOZORDER | SWP_NOSIZE, false},
      {"pos.swp_neither", 7, 7, 7, 7, SWP_NOZORDER | SWP_NOSIZE | SWP_NOMOVE, false},
      {"pos.swp_same", 3, 4, 31, 41, SWP_NOZORDER, false},
      {"pos.swp_empty", 3, 4, 0, 0, SWP_NOZORDER, false},
      {"pos.swp_negative", -5, -6, 10, 10, SWP_NOZORDER, false},
  };
  for (const Case &c : cases) {
    StartLog();
    BOOL ok = c.move ? MoveWindow(child, (int)c.x, (int)c.y, (int)c.cx, (int)c.cy, TRUE)
                     : SetWindowPos(child, NULL, (int)c.x, (int)c.y, (int)c.cx, (int)c.cy, c.flags);
    const char *log = TakeLog();
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(NULL, top, (POINT *)&r, 2);
    Fact(c.name, "%d %s rect %d,%d,%d,%d", ok ? 1 : 0, log, (int)r.left, (int)r.top, (int)r.right,
         (int)r.bottom);
  }
  StartLog();
  ShowWindow(child, SW_HIDE);
  SetWindowPos(child, NULL, 9, 9, 9, 9, SWP_NOZORDER);
  Fact("pos.hidden", "%s visible %d", TakeLog(), IsWindowVisible(child) ? 1 : 0);
  StartLog();
  DestroyWindow(child);
  Fact("pos.destroy", "%s", TakeLog());
}

static void Focus(HWND top) {
  HWND a = Named(CreateWindowExA(0, "ConfRecord", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top,
                                 NULL, Instance(), NULL),
                 "a");
  HWND b = Named(CreateWindowExA(0, "ConfRecord", "", WS_CHILD | WS_VISIBLE, 20, 0, 10, 10, top,
                                 NULL, Instance(), NULL),
                 "b");
  SetFocus(top);
  StartLog();
  HWND prev = SetFocus(a);
  Fact("focus.set_a", "prev %s %s now %s", NameOf(prev), TakeLog(), NameOf(GetFocus()));
  StartLog();
  prev = SetFocus(b);
  Fact("focus.set_b", "prev %s %s now %s", NameOf(prev), TakeLog(), NameOf(GetFocus()));
  StartLog();
  prev = SetFocus(b);
  Fact("focus.set_b_again", "prev %s %s", NameOf(prev), TakeLog());
  EnableWindow(a, FALSE);
  StartLog();
  prev = SetFocus(a);
  Fact("focus.set_disabled", "prev %s %s now %s", NameOf(prev), TakeLog(), NameOf(GetFocus()));
  EnableWindow(a, TRUE);
  StartLog();
  DestroyWindow(b);
  Fact("focus.destroy_focused", "%s now %s", TakeLog(), NameOf(GetFocus()));
  StartLog();
  prev = SetFocus(NULL);
  Fact("focus.set_null", "prev %s %s now %s", NameOf(prev), TakeLog(), NameOf(GetFocus()));
  DestroyWindow(a);
}

static void Capture(HWND top) {
  HWND a = Named(CreateWindowExA(0, "ConfRecord", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top,
                                 NULL, Instance(), NULL),
                 "a");
  HWND b = Named(CreateWindowExA(0, "ConfRecord", "", WS_CHILD | WS_VISIBLE, 20, 0, 10, 10, top,
                                 NULL, Instance(), NULL),
                 "b");
  StartLog();
  HWND prev = SetCapture(a);
  Fact("capture.set_a", "prev %s %s now %s", NameOf(prev), TakeLog(), NameOf(GetCapture()));
  StartLog();
  prev = SetCapture(a);
  Fact("capture.set_a_again", "prev %s %s", NameOf(prev), TakeLog());
  StartLog();
  prev = SetCapture(b);
  Fact("capture.set_b", "prev %s %s now %s", NameOf(prev), TakeLog(), NameOf(GetCapture()));
  StartLog();
  BOOL ok = ReleaseCapture();
  Fact("capture.release", "%d %s now %s", ok ? 1 : 0, TakeLog(), NameOf(GetCapture()));
  StartLog();
  ok = ReleaseCapture();
  Fact("capture.release_again", "%d %s", ok ? 1 : 0, TakeLog());
  SetCapture(a);
  StartLog();
  DestroyWindow(a);
  Fact("capture.destroy_captured", "%s now %s", TakeLog(), NameOf(GetCapture()));
  SetCapture(b);
  StartLog();
  ShowWindow(b, SW_HIDE);
  Fact("capture.hide_captured", "%s now %s", TakeLog(), NameOf(GetCapture()));
  ReleaseCapture();
  DestroyWindow(b);
}

static void ThreadQueue() {
  DWORD thread = GetCurrentThreadId();
  Pump();
  BOOL ok = PostThreadMessageA(thread, WM_USER + 5, 11, 22);
  MSG msg = {};
  BOOL got = PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE);
  Fact("queue.thread_message", "%d %d hwnd %s msg %u wp %d lp %d", ok ? 1 : 0, got ? 1 : 0,
       NameOf(msg.hwnd), msg.message - WM_USER, (int)msg.wParam, (int)msg.lParam);
  ok = PostMessageA(NULL, WM_USER + 6, 1, 2);
  got = PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE);
  Fact("queue.post_null", "%d %d hwnd %s msg %u", ok ? 1 : 0, got ? 1 : 0, NameOf(msg.hwnd),
       msg.message - WM_USER);
  SetLastError(0);
  ok = PostThreadMessageA(0x7ffffff0, WM_USER, 0, 0);
  Fact("queue.thread_bad", "%d error %u", ok ? 1 : 0, (unsigned)GetLastError());
  PostThreadMessageA(thread, WM_USER + 1, 0, 0);
  PostThreadMessageA(thread, WM_USER + 2, 0, 0);
  PostThreadMessageA(thread, WM_USER + 3, 0, 0);
  got = PeekMessageA(&msg, NULL, WM_USER + 2, WM_USER + 2, PM_REMOVE);
  UINT first = got ? msg.message - WM_USER : 0;
  got = PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
  UINT peeked = got ? msg.message - WM_USER : 0;
  got = PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE);
  UINT second = got ? msg.message - WM_USER : 0;
  got = PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE);
  UINT third = got ? msg.message - WM_USER : 0;
  got = PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE);
  Fact("queue.filter_order", "%u %u %u %u more %d", first, peeked, second, third, got ? 1 : 0);
  PostQuitMessage(7);
  got = PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE);
  Fact("queue.quit", "%d msg 0x%04x wp %d", got ? 1 : 0, msg.message, (int)msg.wParam);
}

static void WindowTexts(HWND top) {
  HWND w = CreateWindowExA(0, "ConfRecord", "Title", WS_CHILD, 0, 0, 10, 10, top, NULL, Instance(),
                           NULL);
  char text[8] = "?";
  int n = GetWindowTextA(w, text, sizeof text);
  Fact("text.window", "%d \"%s\" length %d", n, text, GetWindowTextLengthA(w));
  SetWindowTextA(w, "A longer title");
  n = GetWindowTextA(w, text, sizeof text);
  Fact("text.window_truncated", "%d \"%s\" length %d", n, text, GetWindowTextLengthA(w));
  n = GetWindowTextA(w, text, 1);
  Fact("text.window_one", "%d \"%s\"", n, text);
  SetWindowTextA(w, "");
  n = GetWindowTextA(w, text, sizeof text);
  Fact("text.window_empty", "%d \"%s\" length %d", n, text, GetWindowTextLengthA(w));
  char cls[32];
  n = GetClassNameA(w, cls, sizeof cls);
  Fact("text.class_name", "%d %s", n, cls);
  DestroyWindow(w);
  Fact("window.destroyed", "IsWindow %d", IsWindow(w) ? 1 : 0);
}

int main() {
  Register("ConfRecord", RecordProc);
  CompareTexts();
  CharClasses();
  CreateFailures();
  HWND top = Named(CreateWindowExA(0, "ConfRecord", "top", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200,
                                   NULL, NULL, Instance(), NULL),
                   "top");
  Geometry(top);
  Focus(top);
  Capture(top);
  WindowTexts(top);
  DestroyWindow(top);
  ThreadQueue();
  return 0;
}
