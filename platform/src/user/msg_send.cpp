// Sent messages: a direct, reentrant call of the window's procedure. When
// the sender speaks the other character set than the procedure (an "A" send
// to a UTF-16 class or the reverse), the messages that carry text or
// characters are converted on the way in and out, as Win32 does.
//
// The same holds for subclassing across character sets: a caller that
// reads a procedure of the other set (GetWindowLongPtrA of a window whose
// procedure is UTF-16, or the reverse) gets a procedure handle instead of
// the address. CallWindowProcA/W recognise such handles and convert the
// message for the procedure behind them, and SetWindowLongPtr with a
// handle puts back the procedure with its own set. Handles are values no
// procedure can have (0xFFFF0000 plus an index), so calling one directly
// fails at once instead of running a procedure with the wrong texts.
#include "user/wnd_state.h"
#include "user/wnd_text.h"

#include "kernel/cp1252.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vqwin::user {
namespace {

LRESULT AnsiToWide(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_SETTEXT: {
    std::u16string text = ToWide(reinterpret_cast<const char *>(lp));
    return proc(hwnd, msg, wp, lp ? reinterpret_cast<LPARAM>(text.c_str()) : 0);
  }
  case WM_GETTEXT: {
    char *out = reinterpret_cast<char *>(lp);
    if (!out || wp == 0)
      return proc(hwnd, msg, wp, lp);
    std::vector<WCHAR> buffer(wp, 0);
    proc(hwnd, msg, wp, reinterpret_cast<LPARAM>(buffer.data()));
    std::string text = ToAnsi(buffer.data());
    size_t n = std::min(text.size(), static_cast<size_t>(wp - 1));
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<LRESULT>(n);
  }
  case WM_CHAR:
  case WM_SYSCHAR:
    return proc(hwnd, msg, cp1252::ToUnicode(static_cast<unsigned char>(wp)), lp);
  case WM_NCCREATE:
  case WM_CREATE: {
    auto *a = reinterpret_cast<CREATESTRUCTA *>(lp);
    if (!a)
      return proc(hwnd, msg, wp, lp);
    std::u16string name = ToWide(a->lpszName);
    std::u16string cls = IS_INTRESOURCE(a->lpszClass) ? std::u16string() : ToWide(a->lpszClass);
    CREATESTRUCTW w;
    std::memcpy(&w, a, sizeof(w));
    w.lpszName = a->lpszName ? name.c_str() : nullptr;
    w.lpszClass =
        IS_INTRESOURCE(a->lpszClass) ? reinterpret_cast<LPCWSTR>(a->lpszClass) : cls.c_str();
    return proc(hwnd, msg, wp, reinterpret_cast<LPARAM>(&w));
  }
  }
  return proc(hwnd, msg, wp, lp);
}

LRESULT WideToAnsi(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_SETTEXT: {
    std::string text = ToAnsi(reinterpret_cast<const WCHAR *>(lp));
    return proc(hwnd, msg, wp, lp ? reinterpret_cast<LPARAM>(text.c_str()) : 0);
  }
  case WM_GETTEXT: {
    WCHAR *out = reinterpret_cast<WCHAR *>(lp);
    if (!out || wp == 0)
      return proc(hwnd, msg, wp, lp);
    std::vector<char> buffer(wp, 0);
    proc(hwnd, msg, wp, reinterpret_cast<LPARAM>(buffer.data()));
    std::u16string text = ToWide(buffer.data());
    size_t n = std::min(text.size(), static_cast<size_t>(wp - 1));
    std::copy_n(text.data(), n, out);
    out[n] = 0;
    return static_cast<LRESULT>(n);
  }
  case WM_CHAR:
  case WM_SYSCHAR:
    return proc(hwnd, msg, cp1252::FromUnicode(static_cast<char16_t>(wp)), lp);
  case WM_NCCREATE:
  case WM_CREATE: {
    auto *w = reinterpret_cast<CREATESTRUCTW *>(lp);
    if (!w)
      return proc(hwnd, msg, wp, lp);
    std::string name = ToAnsi(w->lpszName);
    std::string cls = IS_INTRESOURCE(w->lpszClass) ? std::string() : ToAnsi(w->lpszClass);
    CREATESTRUCTA a;
    std::memcpy(&a, w, sizeof(a));
    a.lpszName = w->lpszName ? name.c_str() : nullptr;
    a.lpszClass =
        IS_INTRESOURCE(w->lpszClass) ? reinterpret_cast<LPCSTR>(w->lpszClass) : cls.c_str();
    return proc(hwnd, msg, wp, reinterpret_cast<LPARAM>(&a));
  }
  }
  return proc(hwnd, msg, wp, lp);
}

constexpr uintptr_t kHandleBase = 0xFFFF0000u;
constexpr size_t kMaxHandles = 0xFFFF;

struct ProcEntry {
  WNDPROC proc;
  bool unicode;
};
std::vector<ProcEntry> handles;

} // namespace

WNDPROC ProcHandle(WNDPROC proc, bool unicode) {
  for (size_t i = 0; i < handles.size(); ++i)
    if (handles[i].proc == proc && handles[i].unicode == unicode)
      return reinterpret_cast<WNDPROC>(kHandleBase + i);
  if (handles.size() >= kMaxHandles)
    return proc; // no handle left: the bare address, as before handles
  handles.push_back(ProcEntry{proc, unicode});
  return reinterpret_cast<WNDPROC>(kHandleBase + handles.size() - 1);
}

bool FromProcHandle(WNDPROC value, WNDPROC &proc, bool &unicode) {
  uintptr_t v = reinterpret_cast<uintptr_t>(value);
  if (v < kHandleBase || v - kHandleBase >= handles.size())
    return false;
  proc = handles[v - kHandleBase].proc;
  unicode = handles[v - kHandleBase].unicode;
  return true;
}

WNDPROC ProcForCaller(const Window &w, bool callerUnicode) {
  return w.unicode == callerUnicode || !w.proc ? w.proc : ProcHandle(w.proc, w.unicode);
}

LRESULT CallProc(Window &w, bool senderUnicode, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC proc = w.proc;
  HWND hwnd = w.handle;
  if (!proc)
    return 0;
  if (senderUnicode == w.unicode)
    return proc(hwnd, msg, wp, lp);
  return senderUnicode ? WideToAnsi(proc, hwnd, msg, wp, lp) : AnsiToWide(proc, hwnd, msg, wp, lp);
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window *w = Find(hwnd, false);
  return w ? CallProc(*w, false, msg, wp, lp) : 0;
}

} // namespace vqwin::user

using namespace vqwin::user;

LRESULT WINAPI SendMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window *w = Find(hwnd);
  return w ? CallProc(*w, false, msg, wp, lp) : 0;
}

LRESULT WINAPI SendMessageW(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window *w = Find(hwnd);
  return w ? CallProc(*w, true, msg, wp, lp) : 0;
}

// A bare address is called as it is: its caller read it in its own
// character set.
LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC real;
  bool unicode;
  if (FromProcHandle(proc, real, unicode))
    return unicode ? AnsiToWide(real, hwnd, msg, wp, lp) : real(hwnd, msg, wp, lp);
  return proc ? proc(hwnd, msg, wp, lp) : 0;
}

LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC real;
  bool unicode;
  if (FromProcHandle(proc, real, unicode))
    return unicode ? real(hwnd, msg, wp, lp) : WideToAnsi(real, hwnd, msg, wp, lp);
  return proc ? proc(hwnd, msg, wp, lp) : 0;
}
