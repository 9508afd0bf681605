// CVQListView on a real list view: columns from a table (widths as shares
// of the client width, alignments, header texts), items and numbers, the
// item counter, and the failures without a window.
#include <windows.h>

#include <commctrl.h>
#include <vq_lib32.h>
#include <vqwin_automation.h>

#include <gtest/gtest.h>

namespace {

const CVQListView::Column kColumns[] = {
    {3, 40, "Column"}, {1, 20, "Value"}, {2, 40, MAKEINTRESOURCEA(802)}};

class ListViewFill : public ::testing::Test {
protected:
  void SetUp() override {
    vqwinResetWindows();
    parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                             nullptr, nullptr, nullptr, nullptr);
    lv = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 200, 150,
                         parent, nullptr, nullptr, nullptr);
    ASSERT_TRUE(lv);
  }
  void TearDown() override { vqwinResetWindows(); }
  std::string Text(int item, int sub) {
    char buf[32] = {};
    LVITEMA it{};
    it.iSubItem = sub;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    SendMessageA(lv, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it));
    return buf;
  }
  HWND parent = nullptr, lv = nullptr;
};

TEST_F(ListViewFill, HeaderColumnsTakeTheirShareFormatAndText) {
  CVQListView view(kColumns, nullptr);
  ASSERT_EQ(view.DispHeader(lv, parent, 1), 1);
  RECT r;
  GetClientRect(lv, &r);
  struct Row {
    int col, fmt;
    UINT percent;
    const char *text;
  } rows[] = {{0, LVCFMT_LEFT, 40, "Column"},
              {1, LVCFMT_RIGHT, 20, "Value"},
              {2, LVCFMT_CENTER, 40, "<802>"}}; // no resource module: the number
  for (const Row &row : rows) {
    char buf[32] = {};
    LVCOLUMNA c{};
    c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    c.pszText = buf;
    c.cchTextMax = sizeof buf;
    ASSERT_TRUE(SendMessageA(lv, LVM_GETCOLUMNA, row.col, reinterpret_cast<LPARAM>(&c)));
    EXPECT_EQ(c.fmt, row.fmt) << "column " << row.col;
    EXPECT_EQ(c.cx, static_cast<int>((row.percent * static_cast<UINT>(r.right) + 50) / 100))
        << "column " << row.col;
    EXPECT_STREQ(buf, row.text) << "column " << row.col;
  }
  // Shown again with clearing, the columns are not doubled.
  ASSERT_EQ(view.DispHeader(lv, parent, 1), 1);
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);
}

TEST_F(ListViewFill, ItemsAreCountedAndNumbersShownInDecimal) {
  CVQListView view(kColumns, nullptr);
  EXPECT_EQ(view.InsertItem(0, 0, 0), -1) << "no window yet";
  ASSERT_EQ(view.DispHeader(lv, parent, 1), 1);
  EXPECT_EQ(view.InsertItem(0, 10, 0), 0);
  EXPECT_EQ(view.InsertItem(1, 11, LVIS_SELECTED), 1);
  EXPECT_EQ(view.itemCount, 2u);
  EXPECT_EQ(view.SetItemInt(1, 1, -42), 1);
  EXPECT_EQ(view.SetItemInt(7, 1, 5), 0);
  EXPECT_EQ(Text(1, 1), "-42");
  EXPECT_EQ(Text(0, 0), "");
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
  LVITEMA it{};
  it.mask = LVIF_PARAM;
  it.iItem = 1;
  SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  EXPECT_EQ(it.lParam, 11);
  ASSERT_EQ(view.DispHeader(lv, parent, 1), 1);
  EXPECT_EQ(view.itemCount, 0u);
  EXPECT_EQ(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(view.DispHeader(nullptr, parent, 1), 0);
}

} // namespace
