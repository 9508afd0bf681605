// BUTTON and STATIC driven by synthetic mouse and keys and by messages:
// BN_CLICKED sequences, check states, capture while held, and the pixels
// of the check mark, the default frame and static text.
#include "control_fixture.h"

namespace vqtest {
namespace {

using ButtonTest = DialogTest;

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
    HWND b = Make("BUTTON", row.style, 10, 10, 120, 20, "Kind", 9);
    std::vector<LRESULT> checks;
    for (int i = 0; i < 3; ++i) {
      vqwinMouseClick(b, 5, 10, VK_LBUTTON, 0);
      checks.push_back(SendMessageA(b, BM_GETCHECK, 0, 0));
    }
    EXPECT_EQ(checks, row.checks);
    EXPECT_EQ(IdCodes(), (std::vector<IdCode>(3, {9, BN_CLICKED})));
    DestroyWindow(b);
  }
}

TEST_F(ButtonTest, AutoRadioButtonsClearTheirGroup) {
  HWND a = Make("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 10, 10, 100, 20, "A", 1);
  HWND b = Make("BUTTON", BS_AUTORADIOBUTTON, 10, 30, 100, 20, "B", 2);
  HWND other = Make("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 10, 50, 100, 20, "C", 3);
  SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
  vqwinMouseClick(a, 5, 10, VK_LBUTTON, 0);
  vqwinMouseClick(b, 5, 10, VK_LBUTTON, 0);
  EXPECT_EQ(SendMessageA(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(other, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ButtonTest, BmClickIgnoresDisabledButtons) {
  HWND b = Make("BUTTON", BS_PUSHBUTTON, 10, 10, 80, 24, "Go", 7);
  SendMessageA(b, BM_CLICK, 0, 0);
  EnableWindow(b, FALSE);
  SendMessageA(b, BM_CLICK, 0, 0);
  vqwinMouseClick(b, 40, 12, VK_LBUTTON, 0);
  EXPECT_EQ(IdCodes(), (std::vector<IdCode>{{7, BN_CLICKED}}));
}

TEST_F(ButtonTest, CheckMarkAndDefaultFrameArePainted) {
  HWND box = Make("BUTTON", BS_CHECKBOX, 10, 10, 100, 13, "", 1);
  int before = DarkPixels(box, RECT{2, 0, 11, 13});
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  vqwinRunUntilIdle();
  int after = DarkPixels(box, RECT{2, 0, 11, 13});
  EXPECT_EQ(vqwinGetPixel(box, 6, 3), GetSysColor(COLOR_WINDOW)) << "box interior above the mark";
  EXPECT_GE(after - before, 15) << "the tick is 7 columns of 3 pixels";

  HWND plain = Make("BUTTON", BS_PUSHBUTTON, 10, 40, 60, 24, "", 2);
  HWND def = Make("BUTTON", BS_DEFPUSHBUTTON, 10, 70, 60, 24, "", 3);
  EXPECT_EQ(vqwinGetPixel(def, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(vqwinGetPixel(def, 59, 23), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_NE(vqwinGetPixel(plain, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
  SendMessageA(plain, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  vqwinRunUntilIdle();
  EXPECT_EQ(vqwinGetPixel(plain, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
}

TEST_F(ButtonTest, FocusAndPressChangeThePushButtonLook) {
  HWND b = Make("BUTTON", BS_PUSHBUTTON, 10, 10, 60, 24, "", 2);
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
    HWND s = Make("STATIC", row.style, 10, 10, 200, 20, "", 4);
    EXPECT_EQ(DarkPixels(s, RECT{0, 0, 200, 20}), 0);
    SetWindowTextA(s, "Wide");
    vqwinRunUntilIdle();
    EXPECT_EQ(DarkPixels(s, RECT{0, 0, 100, 20}) > 0, row.left);
    EXPECT_EQ(DarkPixels(s, RECT{100, 0, 200, 20}) > 0, row.right);
    DestroyWindow(s);
  }
}

TEST_F(ButtonTest, StaticNotifiesOnlyWithSsNotify) {
  HWND quiet = Make("STATIC", SS_LEFT, 10, 10, 50, 20, "a", 1);
  HWND loud = Make("STATIC", SS_LEFT | SS_NOTIFY, 10, 40, 50, 20, "b", 2);
  vqwinMouseClick(quiet, 5, 5, VK_LBUTTON, 0);
  vqwinMouseClick(loud, 5, 5, VK_LBUTTON, 0);
  EXPECT_EQ(IdCodes(), (std::vector<IdCode>{{2, STN_CLICKED}}));
  EXPECT_EQ(SendMessageA(loud, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

} // namespace
} // namespace vqtest
