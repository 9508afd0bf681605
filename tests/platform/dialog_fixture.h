// Test support for message boxes, dialogs and controls: a top-level parent
// that records the WM_COMMAND notifications it gets, a pump that routes
// keys through the dialog manager as a host's loop would, and resetting the
// window manager and the modal hook between tests.
#ifndef VQ_TESTS_PLATFORM_DIALOG_FIXTURE_H
#define VQ_TESTS_PLATFORM_DIALOG_FIXTURE_H

#include <windows.h>
#include <vqwin_automation.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vqtest {

using Command = std::pair<int, int>; // control id, notification code

inline std::vector<Command> &Commands() {
  static std::vector<Command> commands;
  return commands;
}

inline LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND)
    Commands().push_back({LOWORD(wp), HIWORD(wp)});
  return DefWindowProcA(hwnd, msg, wp, lp);
}

class DialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    static bool registered = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = ParentProc;
      wc.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
      wc.lpszClassName = "DialogTestParent";
      return RegisterClassA(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    vqwinResetWindows();
    vqwinResetModal();
    vqwinSetAutoRun(TRUE);
    Commands().clear();
    SetThreadUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    parent = CreateWindowExA(0, "DialogTestParent", "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                             0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent);
  }
  void TearDown() override {
    if (HasFailure()) {
      std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
      vqwinSaveScreenshot(parent, (name + ".png").c_str());
    }
    SetThreadUILanguage(0);
    vqwinResetModal();
    vqwinResetWindows();
  }

  HWND Child(const char *cls, const char *text, DWORD style, int x, int y, int w, int h, int id) {
    HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    vqwinRunUntilIdle();
    return c;
  }

  HWND parent = nullptr;
};

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

inline std::string Text(HWND hwnd) {
  char buf[256] = {};
  GetWindowTextA(hwnd, buf, sizeof buf);
  return buf;
}

} // namespace vqtest

#endif
