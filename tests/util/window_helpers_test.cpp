// Centring a window on the screen and enabling dialog controls by id, on
// real windows of the platform's window manager.
#include <windows.h>
#include <vq_tbl32.h>
#include <vqwin_automation.h>

#include <gtest/gtest.h>

namespace {

class WindowHelpersTest : public testing::Test {
protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "VqUtilTestWindow";
    RegisterClassA(&wc); // fails harmlessly when an earlier test registered it
  }
  void TearDown() override { vqwinResetWindows(); }
  HWND Popup(int x, int y, int width, int height) {
    return CreateWindowExA(0, "VqUtilTestWindow", "", WS_POPUP, x, y, width, height, nullptr,
                           nullptr, nullptr, nullptr);
  }
};

TEST_F(WindowHelpersTest, CentresOnlyWindowsSmallerThanTheScreen) {
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  const struct {
    int width, height;
    BOOL moved;
  } rows[] = {{200, 100, TRUE}, {cx - 1, cy - 1, TRUE}, {cx, 100, FALSE}, {200, cy + 5, FALSE}};
  for (const auto &r : rows) {
    const HWND window = Popup(3, 4, r.width, r.height);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(CenterWindow(window), r.moved) << r.width << "x" << r.height;
    RECT rect;
    GetWindowRect(window, &rect);
    const LONG left = r.moved ? (cx - r.width) / 2 : 3, top = r.moved ? (cy - r.height) / 2 : 4;
    EXPECT_EQ(rect.left, left) << r.width << "x" << r.height;
    EXPECT_EQ(rect.top, top) << r.width << "x" << r.height;
    EXPECT_EQ(rect.right - rect.left, r.width) << r.width << "x" << r.height;
    DestroyWindow(window);
  }
  EXPECT_FALSE(CenterWindow(nullptr));
}

TEST_F(WindowHelpersTest, EnablesDialogControlsById) {
  const HWND dialog = Popup(0, 0, 300, 200);
  const HWND control = CreateWindowExA(0, "VqUtilTestWindow", "", WS_CHILD, 10, 10, 50, 20, dialog,
                                       reinterpret_cast<HMENU>(5), nullptr, nullptr);
  ASSERT_NE(control, nullptr);
  EXPECT_TRUE(EnableDlgItem(dialog, 5, FALSE));
  EXPECT_FALSE(IsWindowEnabled(control));
  EXPECT_TRUE(EnableDlgItem(dialog, 5, TRUE));
  EXPECT_TRUE(IsWindowEnabled(control));
  EXPECT_FALSE(EnableDlgItem(dialog, 6, FALSE));
  EXPECT_FALSE(EnableDlgItem(nullptr, 5, FALSE));
  EXPECT_TRUE(IsWindowEnabled(control));
}

} // namespace
