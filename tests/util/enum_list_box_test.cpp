// Keyword tables filling a real list box and reading its selection back.
#include "frame/library.h"

#include <vqwin_automation.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class EnumListBox : public testing::Test {
protected:
  void SetUp() override {
    list = CreateWindowExA(0, "LISTBOX", "", WS_POPUP, 0, 0, 120, 200, nullptr, nullptr, nullptr,
                           nullptr);
    ASSERT_NE(list, nullptr);
    theLibrary.StartCapture();
    theLibrary.ClearCaptured();
  }
  void TearDown() override {
    theLibrary.StopCapture();
    theLibrary.ClearCaptured();
    vqwinResetWindows();
  }
  std::string Item(int i) {
    char text[64] = {};
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    return text;
  }
  HWND list = nullptr;
  CEnumString::Row rows[3] = {{7, "AND"}, {3, "NOT"}, {9, "OR"}};
  CEnumString table{rows};
};

TEST_F(EnumListBox, FillsInRowOrderAndSelectsTheCurrentValue) {
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("stale"));
  table.FillListBox(list, 3);
  ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(Item(0), "AND");
  EXPECT_EQ(Item(1), "NOT");
  EXPECT_EQ(Item(2), "OR");
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
  table.FillListBox(list, 12345); // no row holds it: nothing selected
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
  table.FillListBox(nullptr, 3); // no window, no crash
}

TEST_F(EnumListBox, SelectionReportsChangesAndBadStates) {
  table.FillListBox(list, 7);
  const struct {
    const char *name;
    int select; // -1: none selected
    bool grow;  // an item past the table is added and selected
    UINT before, after;
    int result;
    const char *log; // NULL: nothing logged
  } rows[] = {
      {"same value", 0, false, 7, 7, 0, nullptr},
      {"changed", 2, false, 7, 9, 1, nullptr},
      {"nothing selected", -1, false, 7, 7, 0,
       "1 CVQEnum Error on inquiry of the currently selected listbox item"},
      {"past the table", 3, true, 7, 7, 0,
       "1 CVQEnum Item 3 of 3 currently selected in the listbox"},
  };
  for (const auto &r : rows) {
    theLibrary.ClearCaptured();
    if (r.grow)
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("EXTRA"));
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(r.select), 0);
    UINT value = r.before;
    EXPECT_EQ(table.GetListBoxSelection(list, &value), r.result) << r.name;
    EXPECT_EQ(value, r.after) << r.name;
    const auto lines = theLibrary.GetCapturedLines();
    if (r.log) {
      ASSERT_EQ(lines.size(), 1u) << r.name;
      EXPECT_EQ(lines[0], r.log) << r.name;
    } else {
      EXPECT_TRUE(lines.empty()) << r.name;
    }
  }
  UINT value = 7;
  EXPECT_EQ(table.GetListBoxSelection(nullptr, &value), 0);
  EXPECT_EQ(table.GetListBoxSelection(list, nullptr), 0);
}

} // namespace
