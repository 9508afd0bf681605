// BUTTON and STATIC driven by synthetic mouse and keys and by messages:
// BN_CLICKED sequences, check states, capture while held, and the pixels
// of the check mark, the default frame and static text.
#include "dialog_fixture.h"

namespace vqtest {
namespace {

using ButtonTest = DialogTest;

bool Dark(COLORREF c) { return GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128; }

int DarkPixels(HWND hwnd, int fromX, int toX, int height) {
  int n = 0;
  for (int x = fromX; x < toX; ++x)
    for (int y = 0; y < height; ++y)
      n += Dark(vqwinGetPixel(hwnd, x, y));
  return n;
}

TEST_F(ButtonTest, KindsToggleAsTheyShould) {
  struct Row {
    const char *name;
    DWORD style;
    std::vector<LRESULT> checks; // after each of three clicks
  };
  const Row rows[] = {
      {"push", BS_PUSHBUTTON, {0, 0, 0}},
      {"manual check box", BS_CHECKBOX, {0, 0, 0}},
      {"auto check box", BS_AUTOCHECKBOX, {1, 0, 1}},
      {"auto three-state", BS_AUTO3STATE, {1, 2, 0}},
      {"auto radio", BS_AUTORADIOBUTTON, {1, 1, 1}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    Commands().clear();
    HWND b = Child("BUTTON", "Kind", row.style, 10, 10, 120, 20, 9);
    std::vector<LRESULT> checks;
    for (int i = 0; i < 3; ++i) {
      vqwinMouseClick(b, 5, 10, VK_LBUTTON, 0);
      checks.push_back(SendMessageA(b, BM_GETCHECK, 0, 0));
    }
    EXPECT_EQ(checks, row.checks);
    EXPECT_EQ(Commands(), (std::vector<Command>(3, {9, BN_CLICKED})));
    DestroyWindow(b);
  }
}

TEST_F(ButtonTest, AutoRadioButtonsClearTheirGroup) {
  HWND a = Child("BUTTON", "A", BS_AUTORADIOBUTTON | WS_GROUP, 10, 10, 100, 20, 1);
  HWND b = Child("BUTTON", "B", BS_AUTORADIOBUTTON, 10, 30, 100, 20, 2);
  HWND other = Child("BUTTON", "C", BS_AUTORADIOBUTTON | WS_GROUP, 10, 50, 100, 20, 3);
  SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
  vqwinMouseClick(a, 5, 10, VK_LBUTTON, 0);
  vqwinMouseClick(b, 5, 10, VK_LBUTTON, 0);
  EXPECT_EQ(SendMessageA(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(other, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ButtonTest, BmClickIgnoresDisabledButtons) {
  HWND b = Child("BUTTON", "Go", BS_PUSHBUTTON, 10, 10, 80, 24, 7);
  SendMessageA(b, BM_CLICK, 0, 0);
  EnableWindow(b, FALSE);
  SendMessageA(b, BM_CLICK, 0, 0);
  vqwinMouseClick(b, 40, 12, VK_LBUTTON, 0);
  EXPECT_EQ(Commands(), (std::vector<Command>{{7, BN_CLICKED}}));
}

TEST_F(ButtonTest, CheckMarkAndDefaultFrameArePainted) {
  HWND box = Child("BUTTON", "", BS_CHECKBOX, 10, 10, 100, 13, 1);
  int before = DarkPixels(box, 2, 11, 13);
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  vqwinRunUntilIdle();
  int after = DarkPixels(box, 2, 11, 13);
  EXPECT_EQ(vqwinGetPixel(box, 6, 3), GetSysColor(COLOR_WINDOW)) << "box interior above the mark";
  EXPECT_GE(after - before, 15) << "the tick is 7 columns of 3 pixels";

  HWND plain = Child("BUTTON", "", BS_PUSHBUTTON, 10, 40, 60, 24, 2);
  HWND def = Child("BUTTON", "", BS_DEFPUSHBUTTON, 10, 70, 60, 24, 3);
  EXPECT_EQ(vqwinGetPixel(def, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(vqwinGetPixel(def, 59, 23), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_NE(vqwinGetPixel(plain, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
  SendMessageA(plain, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  vqwinRunUntilIdle();
  EXPECT_EQ(vqwinGetPixel(plain, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
}

TEST_F(ButtonTest, FocusAndPressChangeThePushButtonLook) {
  HWND b = Child("BUTTON", "", BS_PUSHBUTTON, 10, 10, 60, 24, 2);
  // Raised: white outer top-left edge, the face inside.
  EXPECT_EQ(vqwinGetPixel(b, 0, 0), GetSysColor(COLOR_3DHIGHLIGHT));
  EXPECT_EQ(vqwinGetPixel(b, 3, 3), GetSysColor(COLOR_3DFACE));
  SetFocus(b);
  vqwinRunUntilIdle();
  EXPECT_EQ(vqwinGetPixel(b, 3, 3), GetSysColor(COLOR_WINDOWTEXT)) << "focus rectangle corner";
  EXPECT_EQ(vqwinGetPixel(b, 4, 3), GetSysColor(COLOR_3DFACE)) << "focus rectangle is dotted";
  SendMessageA(b, BM_SETSTATE, TRUE, 0);
  vqwinRunUntilIdle();
  EXPECT_EQ(vqwinGetPixel(b, 0, 0), GetSysColor(COLOR_3DSHADOW)) << "pressed: flat shadow frame";
  EXPECT_TRUE(SendMessageA(b, BM_GETSTATE, 0, 0) & BST_FOCUS);
}

TEST_F(ButtonTest, StaticTextFollowsAlignmentAndRepaintsOnSetText) {
  struct Row {
    const char *name;
    DWORD style;
    bool left, right; // text pixels expected in each half
  };
  const Row rows[] = {
      {"left", SS_LEFT, true, false},
      {"right", SS_RIGHT, false, true},
      {"centre", SS_CENTER, true, true},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    HWND s = Child("STATIC", "", row.style, 10, 10, 200, 20, 4);
    EXPECT_EQ(DarkPixels(s, 0, 200, 20), 0);
    SetWindowTextA(s, "Wide");
    vqwinRunUntilIdle();
    EXPECT_EQ(DarkPixels(s, 0, 100, 20) > 0, row.left);
    EXPECT_EQ(DarkPixels(s, 100, 200, 20) > 0, row.right);
    DestroyWindow(s);
  }
}

TEST_F(ButtonTest, StaticNotifiesOnlyWithSsNotify) {
  HWND quiet = Child("STATIC", "a", SS_LEFT, 10, 10, 50, 20, 1);
  HWND loud = Child("STATIC", "b", SS_LEFT | SS_NOTIFY, 10, 40, 50, 20, 2);
  vqwinMouseClick(quiet, 5, 5, VK_LBUTTON, 0);
  vqwinMouseClick(loud, 5, 5, VK_LBUTTON, 0);
  EXPECT_EQ(Commands(), (std::vector<Command>{{2, STN_CLICKED}}));
  EXPECT_EQ(SendMessageA(loud, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

} // namespace
} // namespace vqtest
