// Test support for window manager tests: a window class whose procedure
// records every message it gets before passing it to DefWindowProcA, an
// optional per-test override of results, and a comparison of the recorded
// sequence with an expected table that prints both sides on mismatch.
#ifndef VQ_TESTS_PLATFORM_WINDOW_RECORDER_H
#define VQ_TESTS_PLATFORM_WINDOW_RECORDER_H

#include <windows.h>
#include <vqwin_automation.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace vqtest {

struct Msg {
  HWND hwnd;
  UINT msg;
  std::optional<WPARAM> wp = std::nullopt;
  std::optional<LPARAM> lp = std::nullopt;
};

inline std::string MessageName(UINT m) {
  static const std::pair<UINT, const char *> names[] = {
      {WM_CREATE, "WM_CREATE"},
      {WM_DESTROY, "WM_DESTROY"},
      {WM_MOVE, "WM_MOVE"},
      {WM_SIZE, "WM_SIZE"},
      {WM_ACTIVATE, "WM_ACTIVATE"},
      {WM_SETFOCUS, "WM_SETFOCUS"},
      {WM_KILLFOCUS, "WM_KILLFOCUS"},
      {WM_ENABLE, "WM_ENABLE"},
      {WM_SETTEXT, "WM_SETTEXT"},
      {WM_GETTEXT, "WM_GETTEXT"},
      {WM_PAINT, "WM_PAINT"},
      {WM_ERASEBKGND, "WM_ERASEBKGND"},
      {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
      {WM_CANCELMODE, "WM_CANCELMODE"},
      {WM_SETCURSOR, "WM_SETCURSOR"},
      {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
      {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
      {WM_NCCREATE, "WM_NCCREATE"},
      {WM_NCDESTROY, "WM_NCDESTROY"},
      {WM_NCHITTEST, "WM_NCHITTEST"},
      {WM_NCPAINT, "WM_NCPAINT"},
      {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"},
      {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"},
      {WM_NCLBUTTONUP, "WM_NCLBUTTONUP"},
      {WM_NCLBUTTONDBLCLK, "WM_NCLBUTTONDBLCLK"},
      {WM_KEYDOWN, "WM_KEYDOWN"},
      {WM_KEYUP, "WM_KEYUP"},
      {WM_CHAR, "WM_CHAR"},
      {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
      {WM_SYSKEYUP, "WM_SYSKEYUP"},
      {WM_SYSCHAR, "WM_SYSCHAR"},
      {WM_COMMAND, "WM_COMMAND"},
      {WM_HSCROLL, "WM_HSCROLL"},
      {WM_VSCROLL, "WM_VSCROLL"},
      {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
      {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
      {WM_LBUTTONUP, "WM_LBUTTONUP"},
      {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
      {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
      {WM_RBUTTONUP, "WM_RBUTTONUP"},
      {WM_MBUTTONDOWN, "WM_MBUTTONDOWN"},
      {WM_MBUTTONUP, "WM_MBUTTONUP"},
      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
      {WM_NOTIFY, "WM_NOTIFY"},
      {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
      {WM_USER, "WM_USER"},
  };
  for (auto &[id, name] : names)
    if (id == m)
      return name;
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", m);
  return buf;
}

// The recorder behind the class "VqRecorder" (and "VqRecorderDbl" with
// CS_DBLCLKS); one per process, cleared by each test fixture.
struct Recorder {
  std::vector<Msg> log;
  std::set<UINT> ignored;
  // Returns a result to stop the message before DefWindowProcA.
  std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> handler;
  std::vector<std::string> names; // window names by index of `hwnds`
  std::vector<HWND> hwnds;

  static Recorder &Get() {
    static Recorder r;
    return r;
  }

  void Clear() { log.clear(); }

  std::string NameOf(HWND h) const {
    for (size_t i = 0; i < hwnds.size(); ++i)
      if (hwnds[i] == h)
        return names[i];
    std::ostringstream os;
    os << h;
    return os.str();
  }

  void Name(HWND h, const std::string &name) {
    hwnds.push_back(h);
    names.push_back(name);
  }

  std::string Describe(const Msg &m) const {
    std::ostringstream os;
    os << NameOf(m.hwnd) << ' ' << MessageName(m.msg);
    if (m.wp)
      os << " wp=" << *m.wp;
    if (m.lp)
      os << " lp=" << *m.lp;
    return os.str();
  }

  // Messages that Win32 interleaves everywhere and that most tests do not
  // look at.
  void IgnoreNoise() {
    ignored = {WM_SETCURSOR,
               WM_NCHITTEST,
               WM_NCPAINT,
               WM_WINDOWPOSCHANGING,
               WM_WINDOWPOSCHANGED,
               WM_GETTEXT,
               WM_ERASEBKGND,
               WM_PAINT,
               WM_MOVE,
               WM_SIZE,
               WM_SHOWWINDOW,
               WM_ACTIVATE,
               WM_MOUSEMOVE,
               WM_NCMOUSEMOVE};
  }
};

inline LRESULT CALLBACK RecordingProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  Recorder &r = Recorder::Get();
  if (!r.ignored.count(m))
    r.log.push_back(Msg{h, m, wp, lp});
  if (r.handler)
    if (auto result = r.handler(h, m, wp, lp))
      return *result;
  return DefWindowProcA(h, m, wp, lp);
}

inline void RegisterRecorderClasses() {
  static bool done = false;
  if (done)
    return;
  done = true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.cbWndExtra = 16;
  wc.lpszClassName = "VqRecorder";
  RegisterClassA(&wc);
  wc.style = CS_DBLCLKS;
  wc.lpszClassName = "VqRecorderDbl";
  RegisterClassA(&wc);
}

// Compares only the fields an expected row sets; prints both sequences when
// they differ.
inline void ExpectSequence(const std::vector<Msg> &expected, const char *what) {
  const Recorder &r = Recorder::Get();
  bool same = expected.size() == r.log.size();
  for (size_t i = 0; same && i < expected.size(); ++i) {
    const Msg &e = expected[i], &a = r.log[i];
    same = e.hwnd == a.hwnd && e.msg == a.msg && (!e.wp || e.wp == a.wp) && (!e.lp || e.lp == a.lp);
  }
  if (same)
    return;
  std::ostringstream os;
  os << what << ": sequences differ\n  expected:\n";
  for (const Msg &m : expected)
    os << "    " << r.Describe(m) << '\n';
  os << "  actual:\n";
  for (const Msg &m : r.log)
    os << "    " << r.Describe(m) << '\n';
  ADD_FAILURE() << os.str();
}

class WindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterRecorderClasses();
    Recorder &r = Recorder::Get();
    r = Recorder{};
  }
  void TearDown() override {
    if (HasFailure())
      SaveScreenshots();
    // Handlers may hold references to the test body's locals.
    Recorder::Get().handler = nullptr;
    vqwinResetWindows();
    Recorder::Get() = Recorder{};
  }

  HWND Top(const char *name, int x, int y, int w, int h, DWORD style = WS_POPUP | WS_VISIBLE,
           const char *cls = "VqRecorder") {
    HWND hwnd =
        CreateWindowExA(0, cls, name, style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
    Recorder::Get().Name(hwnd, name);
    return hwnd;
  }

  HWND Child(HWND parent, const char *name, int id, int x, int y, int w, int h,
             DWORD style = WS_CHILD | WS_VISIBLE, DWORD exStyle = 0,
             const char *cls = "VqRecorder") {
    HWND hwnd =
        CreateWindowExA(exStyle, cls, name, style, x, y, w, h, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    Recorder::Get().Name(hwnd, name);
    return hwnd;
  }

  // Keeps a picture of every top-level window of a failing test.
  void SaveScreenshots() {
    const char *dir = std::getenv("VQ_TEST_OUTPUT");
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    Recorder &r = Recorder::Get();
    for (size_t i = 0; dir && i < r.hwnds.size(); ++i) {
      if (!IsWindow(r.hwnds[i]) || GetParent(r.hwnds[i]))
        continue;
      std::string path = std::string(dir) + "/" + info->test_suite_name() + "." + info->name() +
                         "." + r.names[i] + ".png";
      vqwinSaveScreenshot(r.hwnds[i], path.c_str());
    }
  }
};

} // namespace vqtest

#endif
