// The up-down control with an edit buddy and the tab control, driven by
// messages, clicks and keys: positions, ranges, the buddy's text, and the
// notifications each step or tab change sends.
#include "control_fixture.h"

namespace vqtest {
namespace {

class UpDownTest : public ComctlTest {
protected:
  HWND Make(DWORD style) {
    edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 100, 24,
                           parent, reinterpret_cast<HMENU>(5), nullptr, nullptr);
    ud = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 16, 24, parent,
                         reinterpret_cast<HMENU>(6), nullptr, nullptr);
    SendMessageA(ud, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    return ud;
  }
  std::string BuddyText() {
    char buf[32] = {};
    GetWindowTextA(edit, buf, sizeof buf);
    return buf;
  }
  HWND edit = nullptr, ud = nullptr;
};

// Clamping, thousands, reading the buddy back, wrapping, reversed ranges,
// arrow keys and the notifications of a click are conformance facts; the
// alignment, the 16-bit range, the parent's say over a step and letting go
// of the buddy are not.
TEST_F(UpDownTest, AlignsToItsBuddyAndTheParentDecidesEachStep) {
  Make(UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS);
  RECT e, u;
  GetWindowRect(edit, &e);
  GetWindowRect(ud, &u);
  EXPECT_EQ(e.right - e.left, 84) << "the buddy gives up the control's width";
  EXPECT_EQ(u.left, e.right);
  SendMessageA(ud, UDM_SETRANGE, 0, MAKELONG(50, -5));
  EXPECT_EQ(SendMessageA(ud, UDM_GETRANGE, 0, 0), MAKELONG(50, static_cast<WORD>(-5)));
  SendMessageA(ud, UDM_SETPOS, 0, MAKELONG(static_cast<WORD>(-9), 0));
  EXPECT_EQ(BuddyText(), "-5");

  SendMessageA(ud, UDM_SETRANGE32, 0, 3);
  SendMessageA(ud, UDM_SETPOS32, 0, 3);
  Events().clear();
  vqwinMouseClick(ud, 8, 3, VK_LBUTTON, 0); // at the top without UDS_WRAP
  ExpectEvents({{"UDN_DELTAPOS", 3}, {"SB_ENDSCROLL", 3}});
  Answer() = [](NMHDR *nm) -> LRESULT { return nm->code == UDN_DELTAPOS; };
  vqwinMouseClick(ud, 8, 20, VK_LBUTTON, 0); // refused
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 3);
  Answer() = [](NMHDR *nm) -> LRESULT {
    if (nm->code == UDN_DELTAPOS)
      reinterpret_cast<NMUPDOWN *>(nm)->iDelta = -2; // the parent may change the step
    return 0;
  };
  vqwinMouseClick(ud, 8, 20, VK_LBUTTON, 0);
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 1);
  EXPECT_EQ(BuddyText(), "1");
  Answer() = nullptr;

  // Released, the buddy's keys are its own again.
  SetFocus(edit);
  SendMessageA(ud, UDM_SETBUDDY, 0, 0);
  vqwinKeyPress(VK_UP, 0);
  EXPECT_EQ(BuddyText(), "1");
}

TEST(InitCommonControls, AcceptsOnlyTheGroupsThatArePresent) {
  struct Row {
    DWORD size, icc;
    BOOL ok;
  } rows[] = {{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES | ICC_UPDOWN_CLASS, TRUE},
              {sizeof(INITCOMMONCONTROLSEX), ICC_TREEVIEW_CLASSES, FALSE},
              {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES, FALSE},
              {4, ICC_LISTVIEW_CLASSES, FALSE}};
  for (const Row &row : rows) {
    INITCOMMONCONTROLSEX icc{row.size, row.icc};
    SetLastError(0);
    EXPECT_EQ(InitCommonControlsEx(&icc), row.ok) << "icc " << row.icc << " size " << row.size;
    EXPECT_EQ(GetLastError(), row.ok ? 0u : static_cast<DWORD>(ERROR_INVALID_PARAMETER))
        << "icc " << row.icc;
  }
}

class TabTest : public ComctlTest {
protected:
  void SetUp() override {
    ComctlTest::SetUp();
    tab = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE, 10, 10, 300, 200, parent,
                          reinterpret_cast<HMENU>(9), nullptr, nullptr);
    ASSERT_TRUE(tab);
    const char *names[] = {"One", "Two", "Three"};
    for (int i = 0; i < 3; ++i) {
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<LPSTR>(names[i]);
      ASSERT_EQ(SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item)), i);
    }
  }
  POINT Middle(int index) {
    RECT r{};
    SendMessageA(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  HWND tab = nullptr;
};

TEST_F(TabTest, ClicksChangeTheTabUnlessTheParentRefuses) {
  EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 0);
  POINT p = Middle(2);
  vqwinMouseClick(tab, p.x, p.y, VK_LBUTTON, 0);
  ExpectEvents({{"TCN_SELCHANGING", -1}, {"TCN_SELCHANGE", -1}});
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 2);
  Answer() = [](NMHDR *nm) -> LRESULT { return nm->code == TCN_SELCHANGING; };
  p = Middle(1);
  vqwinMouseClick(tab, p.x, p.y, VK_LBUTTON, 0);
  ExpectEvents({{"TCN_SELCHANGING", -1}});
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 2);
  // TCM_SETCURSEL is silent and returns the previous tab.
  EXPECT_EQ(SendMessageA(tab, TCM_SETCURSEL, 1, 0), 2);
  EXPECT_EQ(SendMessageA(tab, TCM_SETCURSEL, 7, 0), -1);
  ExpectEvents({});
}

TEST_F(TabTest, AdjustRectRoundTripsAndThePanelIsPainted) {
  RECT r{0, 0, 300, 200};
  SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  EXPECT_GT(r.top, 10);
  EXPECT_LT(r.bottom, 200);
  SendMessageA(tab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 200);
  vqwinRunUntilIdle();
  RECT inner{0, 0, 300, 200};
  SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&inner));
  EXPECT_EQ(vqwinGetPixel(tab, 150, (inner.top + inner.bottom) / 2), GetSysColor(COLOR_3DFACE));
  EXPECT_EQ(vqwinGetPixel(tab, 0, 150), GetSysColor(COLOR_3DLIGHT)) << "the panel's raised edge";
}

} // namespace
} // namespace vqtest
