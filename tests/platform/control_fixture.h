// Test support for controls, common controls, dialogs and message boxes: a
// top-level parent that records the WM_COMMAND and WM_NOTIFY notifications
// of its children (a test may act inside them or answer them), names for
// their codes so that a mismatch prints readable sequences, a pump that routes keys through the
// dialog manager as a host's loop would, pixel helpers, and a fresh window manager and modal hook
// for each test. A failing test leaves a screenshot in VQ_TEST_OUTPUT.
#ifndef VQ_TESTS_PLATFORM_CONTROL_FIXTURE_H
#define VQ_TESTS_PLATFORM_CONTROL_FIXTURE_H

#include <windows.h>

#include <commctrl.h>
#include <vqwin_automation.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Names as written in the code, so that a sequence prints readably.
#define VQ_NAMED(code)                                                                             \
  { code, #code }

namespace vqtest {

struct Command {
  HWND control;
  WORD id;
  WORD code;
  std::string cls; // taken at once: a handler may destroy the control
};

using IdCode = std::pair<int, int>; // control id, notification code

inline std::vector<Command> &Commands() {
  static std::vector<Command> commands;
  return commands;
}

// The recorded commands as (id, code), for tests that do not care which
// window sent them.
inline std::vector<IdCode> IdCodes() {
  std::vector<IdCode> out;
  for (const Command &c : Commands())
    out.emplace_back(c.id, c.code);
  return out;
}

// Runs inside the parent's WM_COMMAND, after recording it; a test may
// destroy windows here as the library's own handlers do.
inline std::function<void(const Command &)> &OnCommand() {
  static std::function<void(const Command &)> hook;
  return hook;
}

struct Event {
  std::string name;
  int item; // iItem of list views, iPos of up-downs, -1 otherwise
};

inline std::vector<Event> &Events() {
  static std::vector<Event> events;
  return events;
}

// Answers a notification instead of the default 0; runs after recording.
inline std::function<LRESULT(NMHDR *)> &Answer() {
  static std::function<LRESULT(NMHDR *)> answer;
  return answer;
}

inline std::string NotifyName(UINT code) {
  struct Name {
    UINT code;
    const char *name;
  };
  static const Name names[] = {
      VQ_NAMED(NM_CLICK),         VQ_NAMED(NM_DBLCLK),        VQ_NAMED(NM_SETFOCUS),
      VQ_NAMED(NM_KILLFOCUS),     VQ_NAMED(LVN_ITEMCHANGING), VQ_NAMED(LVN_ITEMCHANGED),
      VQ_NAMED(LVN_INSERTITEM),   VQ_NAMED(LVN_DELETEITEM),   VQ_NAMED(LVN_DELETEALLITEMS),
      VQ_NAMED(LVN_GETDISPINFOA), VQ_NAMED(UDN_DELTAPOS),     VQ_NAMED(TCN_SELCHANGING),
      VQ_NAMED(TCN_SELCHANGE)};
  for (const Name &n : names)
    if (n.code == code)
      return n.name;
  return "code " + std::to_string(static_cast<int>(code));
}

inline std::string Describe(const std::vector<Event> &events) {
  std::string s;
  for (const Event &e : events)
    s += e.name + "(" + std::to_string(e.item) + ") ";
  return s;
}

inline LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    auto *nm = reinterpret_cast<NMHDR *>(lp);
    int item = -1;
    if (nm->code >= LVN_DELETEALLITEMS && nm->code <= LVN_ITEMCHANGING)
      item = reinterpret_cast<NMLISTVIEW *>(lp)->iItem;
    else if (nm->code == NM_CLICK || nm->code == NM_DBLCLK)
      item = reinterpret_cast<NMITEMACTIVATE *>(lp)->iItem;
    else if (nm->code == UDN_DELTAPOS)
      item = reinterpret_cast<NMUPDOWN *>(lp)->iPos;
    // Text requests come with every paint; only their answers matter.
    if (nm->code != LVN_GETDISPINFOA)
      Events().push_back({NotifyName(nm->code), item});
    return Answer() ? Answer()(nm) : 0;
  }
  if (msg == WM_VSCROLL || msg == WM_HSCROLL) {
    Events().push_back({LOWORD(wp) == SB_ENDSCROLL ? "SB_ENDSCROLL" : "SB_THUMBPOSITION",
                        static_cast<short>(HIWORD(wp))});
    return 0;
  }
  if (msg == WM_COMMAND) {
    char cls[32] = "";
    GetClassNameA(reinterpret_cast<HWND>(lp), cls, sizeof cls);
    Command c{reinterpret_cast<HWND>(lp), LOWORD(wp), HIWORD(wp), cls};
    Commands().push_back(c);
    if (OnCommand())
      OnCommand()(c);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

inline std::string CodeName(const std::string &cls, WORD code) {
  struct Name {
    WORD code;
    const char *name;
  };
  static const Name edit[] = {VQ_NAMED(EN_SETFOCUS), VQ_NAMED(EN_KILLFOCUS), VQ_NAMED(EN_CHANGE),
                              VQ_NAMED(EN_UPDATE), VQ_NAMED(EN_MAXTEXT)};
  static const Name list[] = {VQ_NAMED(LBN_SELCHANGE), VQ_NAMED(LBN_DBLCLK), VQ_NAMED(LBN_SETFOCUS),
                              VQ_NAMED(LBN_KILLFOCUS), VQ_NAMED(LBN_SELCANCEL)};
  static const Name combo[] = {VQ_NAMED(CBN_SELCHANGE),  VQ_NAMED(CBN_DBLCLK),
                               VQ_NAMED(CBN_SETFOCUS),   VQ_NAMED(CBN_KILLFOCUS),
                               VQ_NAMED(CBN_DROPDOWN),   VQ_NAMED(CBN_CLOSEUP),
                               VQ_NAMED(CBN_SELENDOK),   VQ_NAMED(CBN_SELENDCANCEL),
                               VQ_NAMED(CBN_EDITCHANGE), VQ_NAMED(CBN_EDITUPDATE)};
  auto find = [code](const auto &table) -> std::string {
    for (const Name &n : table)
      if (n.code == code)
        return n.name;
    return "code " + std::to_string(code);
  };
  if (cls == "Edit")
    return find(edit);
  if (cls == "ListBox")
    return find(list);
  return find(combo);
}

inline std::string Text(HWND hwnd) {
  char buffer[512] = "";
  GetWindowTextA(hwnd, buffer, sizeof buffer);
  return buffer;
}

/// Runs the queue as a host's modeless-dialog loop does.
inline void PumpDialog(HWND dlg) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    if (!IsDialogMessageA(dlg, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
}

/// Presses a key and lets the dialog manager see it.
inline void DialogKey(HWND dlg, UINT vk, UINT modifiers = 0) {
  vqwinSetAutoRun(FALSE);
  vqwinKeyPress(vk, modifiers);
  vqwinSetAutoRun(TRUE);
  PumpDialog(dlg);
}

class ControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    static bool registered = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = ParentProc;
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
      wc.lpszClassName = "VqControlParent";
      return RegisterClassA(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    vqwinResetWindows();
    vqwinResetModal();
    vqwinSetAutoRun(TRUE);
    SetThreadUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    parent = CreateWindowExA(0, "VqControlParent", "parent", WS_POPUP | WS_VISIBLE, 50, 50, 400,
                             300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent);
    vqwinRunUntilIdle();
    Commands().clear();
    OnCommand() = nullptr;
    Events().clear();
    Answer() = nullptr;
  }

  void TearDown() override {
    if (HasFailure())
      Screenshot();
    OnCommand() = nullptr;
    Answer() = nullptr;
    SetThreadUILanguage(0);
    vqwinResetModal();
    vqwinResetWindows();
    Commands().clear();
  }

  HWND Make(const char *cls, DWORD style, int x, int y, int w, int h, const char *text = "",
            int id = 100, DWORD exStyle = 0) {
    HWND hwnd =
        CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    vqwinRunUntilIdle();
    return hwnd;
  }

  // Names of the notifications `control` sent since the last call.
  std::vector<std::string> Notes(HWND control) {
    std::vector<std::string> names;
    for (const Command &c : Commands())
      if (c.control == control)
        names.push_back(CodeName(c.cls, c.code));
    Commands().clear();
    return names;
  }

  void Screenshot() {
    const char *dir = std::getenv("VQ_TEST_OUTPUT");
    if (!dir || !IsWindow(parent))
      return;
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string path =
        std::string(dir) + "/" + info->test_suite_name() + "." + info->name() + ".png";
    vqwinSaveScreenshot(parent, path.c_str());
  }

  static std::string Text(HWND hwnd) { return vqtest::Text(hwnd); }

  void ExpectEvents(const std::vector<Event> &want) {
    EXPECT_EQ(Describe(Events()), Describe(want));
    Events().clear();
  }

  // Pixels of a client rectangle darker than mid-grey: text and lines.
  static int DarkPixels(HWND hwnd, RECT r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        COLORREF c = vqwinGetPixel(hwnd, x, y);
        if (c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128)
          ++n;
      }
    return n;
  }

  HWND parent = nullptr;
};

using DialogTest = ControlTest;
using ComctlTest = ControlTest;

} // namespace vqtest

#endif
