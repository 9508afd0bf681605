// The report-view list view driven by messages, mouse and keys: columns
// and their header, item texts (stored and supplied by the parent), the
// notifications of selection and deletion in order, scrolling and paint.
#include "control_fixture.h"

#include <cstring>

namespace vqtest {
namespace {

class ListViewTest : public ComctlTest {
protected:
  void SetUp() override {
    ComctlTest::SetUp();
    lv = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL,
                         10, 10, 300, 200, parent, reinterpret_cast<HMENU>(77), nullptr, nullptr);
    ASSERT_TRUE(lv);
  }
  int AddColumn(int at, const char *text, int width, int fmt) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    c.pszText = const_cast<LPSTR>(text);
    c.cx = width;
    c.fmt = fmt;
    return static_cast<int>(SendMessageA(lv, LVM_INSERTCOLUMNA, at, reinterpret_cast<LPARAM>(&c)));
  }
  int AddItem(int at, LPSTR text, LPARAM param = 0) {
    LVITEMA it{};
    it.mask = LVIF_TEXT | LVIF_PARAM;
    it.iItem = at;
    it.pszText = text;
    it.lParam = param;
    return static_cast<int>(SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
  }
  void SetText(int item, int sub, const char *text) {
    LVITEMA it{};
    it.iSubItem = sub;
    it.pszText = const_cast<LPSTR>(text);
    ASSERT_TRUE(SendMessageA(lv, LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it)));
  }
  std::string Text(int item, int sub) {
    char buf[64] = "unchanged";
    LVITEMA it{};
    it.iSubItem = sub;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    LRESULT n = SendMessageA(lv, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it));
    // A missing item writes nothing and answers 0.
    if (std::strcmp(buf, "unchanged") != 0)
      EXPECT_EQ(n, static_cast<LRESULT>(std::strlen(buf))) << "item " << item << " sub " << sub;
    else
      EXPECT_EQ(n, 0) << "item " << item << " sub " << sub;
    return buf;
  }
  RECT ItemRect(int item) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    SendMessageA(lv, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  HWND lv = nullptr;
};

TEST_F(ListViewTest, ColumnsKeepWidthTextAndFormatInStepWithTheHeader) {
  EXPECT_EQ(AddColumn(0, "Name", 100, LVCFMT_RIGHT), 0);
  EXPECT_EQ(AddColumn(5, "Size", 60, LVCFMT_RIGHT), 1); // past the end appends
  EXPECT_EQ(AddColumn(1, "Type", 50, LVCFMT_CENTER), 1);
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  ASSERT_TRUE(header);
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);
  struct Row {
    int col;
    const char *text;
    int width, fmt;
  } rows[] = {{0, "Name", 100, LVCFMT_LEFT}, // the first column is always left-aligned
              {1, "Type", 50, LVCFMT_CENTER},
              {2, "Size", 60, LVCFMT_RIGHT}};
  for (const Row &row : rows) {
    char buf[16] = {};
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    c.pszText = buf;
    c.cchTextMax = sizeof buf;
    ASSERT_TRUE(SendMessageA(lv, LVM_GETCOLUMNA, row.col, reinterpret_cast<LPARAM>(&c)));
    EXPECT_STREQ(buf, row.text) << "column " << row.col;
    EXPECT_EQ(c.cx, row.width) << "column " << row.col;
    EXPECT_EQ(c.fmt, row.fmt) << "column " << row.col;
    HDITEMA hd{};
    hd.mask = HDI_WIDTH;
    ASSERT_TRUE(SendMessageA(header, HDM_GETITEMA, row.col, reinterpret_cast<LPARAM>(&hd)));
    EXPECT_EQ(hd.cxy, row.width) << "header item " << row.col;
  }
  EXPECT_TRUE(SendMessageA(lv, LVM_SETCOLUMNWIDTH, 2, 75));
  EXPECT_EQ(SendMessageA(lv, LVM_GETCOLUMNWIDTH, 2, 0), 75);
  EXPECT_FALSE(SendMessageA(lv, LVM_SETCOLUMNWIDTH, 3, 75));
  EXPECT_EQ(SendMessageA(lv, LVM_GETCOLUMNWIDTH, 3, 0), 0);
  EXPECT_EQ(SendMessageA(lv, LVM_INSERTCOLUMNA, 0, 0), -1);
}

TEST_F(ListViewTest, ItemsTakeTextsPerSubItemAndRefuseBadIndexes) {
  AddColumn(0, "A", 80, LVCFMT_LEFT);
  AddColumn(1, "B", 80, LVCFMT_RIGHT);
  EXPECT_EQ(AddItem(0, const_cast<LPSTR>("second")), 0);
  EXPECT_EQ(AddItem(0, const_cast<LPSTR>("first")), 0);
  EXPECT_EQ(AddItem(99, const_cast<LPSTR>("third")), 2);
  EXPECT_EQ(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0), 3);
  SetText(1, 1, "12");
  struct Row {
    int item, sub;
    const char *text;
  } rows[] = {{0, 0, "first"}, {1, 0, "second"}, {2, 0, "third"},
              {1, 1, "12"},    {0, 1, ""},       {5, 0, "unchanged"}};
  for (const Row &row : rows)
    EXPECT_EQ(Text(row.item, row.sub), row.text) << "item " << row.item << " sub " << row.sub;
  LVITEMA sub{};
  sub.mask = LVIF_TEXT;
  sub.iSubItem = 1;
  sub.pszText = const_cast<LPSTR>("x");
  EXPECT_EQ(SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&sub)), -1);
  EXPECT_EQ(SendMessageA(lv, LVM_INSERTITEMA, 0, 0), -1);
  // A small buffer gets a cut, terminated text.
  char small[4];
  LVITEMA it{};
  it.pszText = small;
  it.cchTextMax = sizeof small;
  EXPECT_EQ(SendMessageA(lv, LVM_GETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&it)), 3);
  EXPECT_STREQ(small, "sec");
  // LVM_SETITEMA and LVM_GETITEMA carry the item's value.
  LVITEMA set{};
  set.mask = LVIF_PARAM;
  set.iItem = 2;
  set.lParam = 4711;
  EXPECT_TRUE(SendMessageA(lv, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&set)));
  LVITEMA get{};
  get.mask = LVIF_PARAM;
  get.iItem = 2;
  EXPECT_TRUE(SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get)));
  EXPECT_EQ(get.lParam, 4711);
  EXPECT_TRUE(SendMessageA(lv, LVM_DELETEITEM, 0, 0));
  EXPECT_FALSE(SendMessageA(lv, LVM_DELETEITEM, 7, 0));
  EXPECT_EQ(Text(0, 0), "second");
}

TEST_F(ListViewTest, CallbackTextsComeFromTheParent) {
  AddColumn(0, "A", 80, LVCFMT_LEFT);
  AddColumn(1, "B", 80, LVCFMT_LEFT);
  Answer() = [](NMHDR *nm) -> LRESULT {
    if (nm->code != LVN_GETDISPINFOA)
      return 0;
    auto *di = reinterpret_cast<NMLVDISPINFOA *>(nm);
    static std::string text;
    text = "row" + std::to_string(di->item.iItem) + "." + std::to_string(di->item.iSubItem) + "/" +
           std::to_string(di->item.lParam);
    if (di->item.iSubItem == 0)
      std::snprintf(di->item.pszText, static_cast<size_t>(di->item.cchTextMax), "%s", text.c_str());
    else
      di->item.pszText = const_cast<LPSTR>(text.c_str()); // a text of the parent's own
    return 0;
  };
  AddItem(0, LPSTR_TEXTCALLBACKA, 9);
  AddItem(1, const_cast<LPSTR>("stored"), 8);
  LVITEMA cb{};
  cb.iSubItem = 1;
  cb.pszText = LPSTR_TEXTCALLBACKA;
  SendMessageA(lv, LVM_SETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&cb));
  EXPECT_EQ(Text(0, 0), "row0.0/9");
  EXPECT_EQ(Text(1, 0), "stored");
  EXPECT_EQ(Text(1, 1), "row1.1/8");
  EXPECT_EQ(Text(0, 1), "");
}

TEST_F(ListViewTest, ClicksAndArrowKeysSelectWithNotificationsInOrder) {
  AddColumn(0, "A", 120, LVCFMT_LEFT);
  for (int i = 0; i < 3; ++i)
    AddItem(i, const_cast<LPSTR>("item"), 100 + i);
  Events().clear();
  RECT r = ItemRect(1);
  vqwinMouseClick(lv, 20, (r.top + r.bottom) / 2, VK_LBUTTON, 0);
  ExpectEvents(
      {{"NM_SETFOCUS", -1}, {"LVN_ITEMCHANGING", 1}, {"LVN_ITEMCHANGED", 1}, {"NM_CLICK", 1}});
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
  vqwinKeyPress(VK_DOWN, 0);
  ExpectEvents({{"LVN_ITEMCHANGING", 1},
                {"LVN_ITEMCHANGED", 1},
                {"LVN_ITEMCHANGING", 2},
                {"LVN_ITEMCHANGED", 2}});
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
  EXPECT_EQ(SendMessageA(lv, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  // A parent that refuses the change keeps the selection where it is.
  Answer() = [](NMHDR *nm) -> LRESULT { return nm->code == LVN_ITEMCHANGING; };
  vqwinKeyPress(VK_HOME, 0);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
  Answer() = nullptr;
  Events().clear();
  vqwinAdvanceTime(1000);
  r = ItemRect(0);
  vqwinMouseDoubleClick(lv, 20, (r.top + r.bottom) / 2, VK_LBUTTON, 0);
  ASSERT_FALSE(Events().empty());
  EXPECT_EQ(Events().back().name, "NM_DBLCLK");
  EXPECT_EQ(Events().back().item, 0);
}

TEST_F(ListViewTest, SelectedRowIsPaintedInTheHighlightColour) {
  AddColumn(0, "A", 120, LVCFMT_LEFT);
  AddItem(0, const_cast<LPSTR>(""));
  AddItem(1, const_cast<LPSTR>(""));
  SetFocus(lv);
  LVITEMA st{};
  st.state = st.stateMask = LVIS_SELECTED;
  SendMessageA(lv, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&st));
  vqwinRunUntilIdle();
  RECT sel = ItemRect(1), other = ItemRect(0);
  EXPECT_EQ(vqwinGetPixel(lv, 60, (sel.top + sel.bottom) / 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(vqwinGetPixel(lv, 60, (other.top + other.bottom) / 2), GetSysColor(COLOR_WINDOW));
  // Unfocused without LVS_SHOWSELALWAYS the selection is not shown.
  SetFocus(parent);
  vqwinRunUntilIdle();
  EXPECT_EQ(vqwinGetPixel(lv, 60, (sel.top + sel.bottom) / 2), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(vqwinGetPixel(lv, 60, 2), GetSysColor(COLOR_3DFACE)) << "the header";
}

TEST_F(ListViewTest, DeleteAllAsksTheParentWhetherItWantsEachItem) {
  AddColumn(0, "A", 80, LVCFMT_LEFT);
  AddItem(0, const_cast<LPSTR>("a"));
  AddItem(1, const_cast<LPSTR>("b"));
  Events().clear();
  EXPECT_TRUE(SendMessageA(lv, LVM_DELETEALLITEMS, 0, 0));
  ExpectEvents({{"LVN_DELETEALLITEMS", -1}, {"LVN_DELETEITEM", 1}, {"LVN_DELETEITEM", 0}});
  EXPECT_EQ(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0), 0);
  AddItem(0, const_cast<LPSTR>("a"));
  Events().clear();
  Answer() = [](NMHDR *nm) -> LRESULT { return nm->code == LVN_DELETEALLITEMS; };
  SendMessageA(lv, LVM_DELETEALLITEMS, 0, 0);
  ExpectEvents({{"LVN_DELETEALLITEMS", -1}});
}

TEST_F(ListViewTest, RowsBeyondThePageScrollIntoView) {
  AddColumn(0, "A", 80, LVCFMT_LEFT);
  int page = static_cast<int>(SendMessageA(lv, LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_GT(page, 2);
  for (int i = 0; i < page + 5; ++i)
    AddItem(i, const_cast<LPSTR>("row"));
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 0);
  EXPECT_TRUE(SendMessageA(lv, LVM_ENSUREVISIBLE, page + 2, FALSE));
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 3);
  SendMessageA(lv, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 0);
  SendMessageA(lv, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 1);
  SendMessageA(lv, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(SendMessageA(lv, LVM_GETTOPINDEX, 0, 0), 5);
  EXPECT_EQ(GetScrollPos(lv, SB_VERT), 5);
}

} // namespace
} // namespace vqtest
