// Test support for the common controls: a top-level parent that records
// the WM_NOTIFY codes its controls send (and can answer them), names for
// the codes so a mismatch prints readable sequences, and a screenshot of
// the parent when a test fails.
#ifndef VQ_TESTS_PLATFORM_COMCTL_FIXTURE_H
#define VQ_TESTS_PLATFORM_COMCTL_FIXTURE_H

#include <windows.h>

#include <commctrl.h>
#include <vqwin_automation.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vqtest {

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
      {NM_CLICK, "NM_CLICK"},
      {NM_DBLCLK, "NM_DBLCLK"},
      {NM_SETFOCUS, "NM_SETFOCUS"},
      {NM_KILLFOCUS, "NM_KILLFOCUS"},
      {LVN_ITEMCHANGING, "LVN_ITEMCHANGING"},
      {LVN_ITEMCHANGED, "LVN_ITEMCHANGED"},
      {LVN_INSERTITEM, "LVN_INSERTITEM"},
      {LVN_DELETEITEM, "LVN_DELETEITEM"},
      {LVN_DELETEALLITEMS, "LVN_DELETEALLITEMS"},
      {LVN_GETDISPINFOA, "LVN_GETDISPINFOA"},
      {UDN_DELTAPOS, "UDN_DELTAPOS"},
      {TCN_SELCHANGING, "TCN_SELCHANGING"},
      {TCN_SELCHANGE, "TCN_SELCHANGE"},
  };
  for (const Name &n : names)
    if (n.code == code)
      return n.name;
  return "code " + std::to_string(static_cast<int>(code));
}

inline LRESULT CALLBACK NotifyParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
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
  return DefWindowProcA(hwnd, msg, wp, lp);
}

inline std::string Describe(const std::vector<Event> &events) {
  std::string s;
  for (const Event &e : events)
    s += e.name + "(" + std::to_string(e.item) + ") ";
  return s;
}

class ComctlTest : public ::testing::Test {
protected:
  void SetUp() override {
    static bool registered = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = NotifyParentProc;
      wc.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
      wc.lpszClassName = "ComctlTestParent";
      return RegisterClassA(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    vqwinResetWindows();
    vqwinResetModal();
    vqwinSetAutoRun(TRUE);
    Events().clear();
    Answer() = nullptr;
    parent = CreateWindowExA(0, "ComctlTestParent", "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                             0, 480, 360, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent);
  }
  void TearDown() override {
    if (HasFailure()) {
      std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
      vqwinSaveScreenshot(parent, (name + ".png").c_str());
    }
    Answer() = nullptr;
    vqwinResetModal();
    vqwinResetWindows();
  }
  void ExpectEvents(const std::vector<Event> &want) {
    EXPECT_EQ(Describe(Events()), Describe(want));
    Events().clear();
  }
  HWND parent = nullptr;
};

} // namespace vqtest

#endif
