/*
 * List-box and combo-box tables on real controls: the items, the selection
 * and the value read back, refills, missing texts and missing windows.
 */
#include "context_fixture.h"

#include "context_data/ctx_ids.h"

#include <functional>

namespace {

using lib32test::ContextTest;
using lib32test::kTestPattern;

const CVQListTable::Row kRows[] = {{0, IDS_LEFT}, {2, IDS_MIDDLE}, {1, IDS_RIGHT}, {9, 7199}};

class ListFill : public ContextTest {
protected:
  void SetUp() override {
    ContextTest::SetUp();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "ListFillParent";
    RegisterClassA(&wc);
    parent = CreateWindowExA(0, "ListFillParent", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    lib = MakeContext(kTestPattern);
  }
  void TearDown() override {
    DestroyWindow(parent);
    ContextTest::TearDown();
  }

  HWND Child(const char *cls, DWORD style) {
    return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 150, 120, parent,
                           reinterpret_cast<HMENU>(1), nullptr, nullptr);
  }

  // The items of a list box or combo box, in order.
  static std::vector<std::string> Items(HWND control, UINT getCount, UINT getText) {
    std::vector<std::string> items;
    LRESULT n = SendMessageA(control, getCount, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      char text[64] = "";
      SendMessageA(control, getText, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    return items;
  }

  HWND parent = nullptr;
  std::unique_ptr<CVQLibrary> lib;
};

const std::vector<std::string> kTexts = {"Links", "Mitte", "Rechts", "<7199>"};

TEST_F(ListFill, ListBoxShowsRowsInOrderAndSelectsTheValue) {
  CVQListBox table(kRows, lib.get());
  HWND list = Child("LISTBOX", LBS_NOTIFY | WS_VSCROLL);
  const struct {
    UINT value;
    LRESULT index;
    UINT selected;
  } rows[] = {{0, 0, 0}, {2, 1, 2}, {9, 3, 9}, {5, LB_ERR, ~0u}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(table.Display(list, row.value), 1);
    EXPECT_EQ(Items(list, LB_GETCOUNT, LB_GETTEXT), kTexts) << "a refill replaces the items";
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), row.index);
    EXPECT_EQ(table.Select(list), row.selected);
  }
  SendMessageA(list, LB_SETCURSEL, 2, 0);
  EXPECT_EQ(table.Select(list), 1u);
}

// A combo-box table, and a list-box table through the combo-box path that
// drop-down combos of list-box tables take.
TEST_F(ListFill, ComboBoxShowsRowsInOrderAndSelectsTheValue) {
  const CVQComboBox combo(kRows, lib.get());
  const CVQListBox list(kRows, lib.get());
  const struct {
    const char *name;
    std::function<int(HWND, UINT)> display;
    std::function<UINT(HWND)> select;
  } rows[] = {
      {"combo table", [&](HWND c, UINT v) { return combo.Display(c, v); },
       [&](HWND c) { return combo.Select(c); }},
      {"list table", [&](HWND c, UINT v) { return list.DisplayCombo(c, v); },
       [&](HWND c) { return list.SelectCombo(c); }},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    HWND box = Child("COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL);
    SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("stale"));
    ASSERT_EQ(row.display(box, 1), 1);
    EXPECT_EQ(Items(box, CB_GETCOUNT, CB_GETLBTEXT), kTexts);
    EXPECT_EQ(SendMessageA(box, CB_GETCURSEL, 0, 0), 2);
    char shown[32] = "";
    GetWindowTextA(box, shown, sizeof shown);
    EXPECT_STREQ(shown, "Rechts");
    EXPECT_EQ(row.select(box), 1u);
    ASSERT_EQ(row.display(box, 77), 1);
    EXPECT_EQ(SendMessageA(box, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(row.select(box), ~0u);
    EXPECT_EQ(row.display(nullptr, 0), 0);
    DestroyWindow(box);
  }
}

TEST_F(ListFill, RowsAreReachedByIndexAndValue) {
  CVQListBox table(kRows, lib.get());
  EXPECT_EQ(table.GetCount(), 4u);
  const struct { UINT index, value; } rows[] = {{0, 0}, {1, 2}, {3, 9}, {4, ~0u}, {~0u, ~0u}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.index);
    EXPECT_EQ(table.GetValue(row.index), row.value);
    if (row.value != ~0u) {
      EXPECT_EQ(table.FindValue(row.value), row.index);
    }
  }
  EXPECT_EQ(table.FindValue(5), ~0u);
  char small[4];
  EXPECT_EQ(table.GetText(2, small, sizeof small), 3u);
  EXPECT_STREQ(small, "Rec");
  EXPECT_EQ(table.GetText(4, small, sizeof small), 0u);
}

TEST_F(ListFill, NoWindowIsRefusedAndLogged) {
  CVQListBox list(kRows, lib.get());
  CVQComboBox combo(kRows, lib.get());
  HWND gone = Child("LISTBOX", 0);
  DestroyWindow(gone);
  EXPECT_EQ(list.Display(nullptr, 0), 0);
  EXPECT_EQ(combo.Display(gone, 0), 0);
  EXPECT_EQ(list.Select(nullptr), ~0u);
  auto lines = lib->GetCapturedLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("0 CVQListBox No list control to fill: ", 0), 0u) << lines[0];
}

} // namespace
