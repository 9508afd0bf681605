// Test support for the standard controls: a parent window that records the
// WM_COMMAND notifications its controls send, names for their codes so that
// a mismatch prints readable sequences, and pixel helpers for what a
// control painted. A failing test leaves screenshots in VQ_TEST_OUTPUT.
#ifndef VQ_TESTS_PLATFORM_CONTROL_FIXTURE_H
#define VQ_TESTS_PLATFORM_CONTROL_FIXTURE_H

#include <windows.h>
#include <vqwin_automation.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace vqtest {

struct Command {
  HWND control;
  WORD id;
  WORD code;
  std::string cls; // taken at once: a handler may destroy the control
};

inline std::vector<Command> &Commands() {
  static std::vector<Command> commands;
  return commands;
}

// Runs inside the parent's WM_COMMAND, after recording it; a test may
// destroy windows here as the library's own handlers do.
inline std::function<void(const Command &)> &OnCommand() {
  static std::function<void(const Command &)> hook;
  return hook;
}

inline LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
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
  static const Name edit[] = {{EN_SETFOCUS, "EN_SETFOCUS"},
                              {EN_KILLFOCUS, "EN_KILLFOCUS"},
                              {EN_CHANGE, "EN_CHANGE"},
                              {EN_UPDATE, "EN_UPDATE"},
                              {EN_MAXTEXT, "EN_MAXTEXT"}};
  static const Name list[] = {{LBN_SELCHANGE, "LBN_SELCHANGE"},
                              {LBN_DBLCLK, "LBN_DBLCLK"},
                              {LBN_SETFOCUS, "LBN_SETFOCUS"},
                              {LBN_KILLFOCUS, "LBN_KILLFOCUS"},
                              {LBN_SELCANCEL, "LBN_SELCANCEL"}};
  static const Name combo[] = {
      {CBN_SELCHANGE, "CBN_SELCHANGE"},   {CBN_DBLCLK, "CBN_DBLCLK"},
      {CBN_SETFOCUS, "CBN_SETFOCUS"},     {CBN_KILLFOCUS, "CBN_KILLFOCUS"},
      {CBN_DROPDOWN, "CBN_DROPDOWN"},     {CBN_CLOSEUP, "CBN_CLOSEUP"},
      {CBN_SELENDOK, "CBN_SELENDOK"},     {CBN_SELENDCANCEL, "CBN_SELENDCANCEL"},
      {CBN_EDITCHANGE, "CBN_EDITCHANGE"}, {CBN_EDITUPDATE, "CBN_EDITUPDATE"}};
  const std::string &c = cls;
  auto find = [code](const auto &table) -> std::string {
    for (const Name &n : table)
      if (n.code == code)
        return n.name;
    return "code " + std::to_string(code);
  };
  if (c == "Edit")
    return find(edit);
  if (c == "ListBox")
    return find(list);
  return find(combo);
}

class ControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = ParentProc;
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
      wc.lpszClassName = "VqControlParent";
      registered = RegisterClassA(&wc) != 0;
    }
    parent = CreateWindowExA(0, "VqControlParent", "parent", WS_POPUP | WS_VISIBLE, 50, 50, 400,
                             300, nullptr, nullptr, nullptr, nullptr);
    vqwinRunUntilIdle();
    Commands().clear();
    OnCommand() = nullptr;
  }

  void TearDown() override {
    if (HasFailure())
      Screenshot();
    OnCommand() = nullptr;
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

  static std::string Text(HWND hwnd) {
    char buffer[512] = "";
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
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

} // namespace vqtest

#endif
