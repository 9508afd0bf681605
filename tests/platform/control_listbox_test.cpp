// The list box driven by messages as the library fills it, and by keys and
// mouse as a user picks from it: item order, error results, selection
// bookkeeping, LBN_ sequences, scrolling and the painted selection.
#include "control_fixture.h"

namespace {

using vqtest::ControlTest;
using Seq = std::vector<std::string>;

class ListBoxTest : public ControlTest {
protected:
  HWND MakeList(DWORD style = LBS_NOTIFY | WS_VSCROLL, int height = 0) {
    HWND list = Make("LISTBOX", WS_BORDER | style, 10, 10, 150, height ? height : 200);
    return list;
  }

  static LRESULT Add(HWND list, const char *text) {
    return SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }

  static void Fill(HWND list, int count) {
    for (int i = 0; i < count; ++i)
      Add(list, ("item " + std::to_string(100 + i)).c_str());
  }

  static std::vector<std::string> Items(HWND list) {
    std::vector<std::string> out;
    LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      std::string text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)), '\0');
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
      out.push_back(text);
    }
    return out;
  }

  static LRESULT Sel(HWND list) { return SendMessageA(list, LB_GETCURSEL, 0, 0); }

  static int ItemHeight(HWND list) {
    return static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  }

  // The middle of an item's rectangle, for clicks.
  static POINT Center(HWND list, int index) {
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
};

// Case-blind sorting, LB_INSERTSTRING and LB_DELETESTRING results are in the
// conformance recordings; these are the orders they leave open.
TEST_F(ListBoxTest, AddInsertAndDeleteKeepOrder) {
  HWND sorted = MakeList(LBS_SORT);
  for (const char *t : {"pear", "Apple", "banana"})
    Add(sorted, t);
  EXPECT_EQ(Add(sorted, "apple"), 0) << "equal texts go before the ones there";
  EXPECT_EQ(Add(sorted, "\xC4pfel"), 4) << "Windows-1252 letters sort by their code";
  EXPECT_EQ(Items(sorted), Seq({"apple", "Apple", "banana", "pear", "\xC4pfel"}));

  HWND plain = MakeList(0);
  Add(plain, "b");
  EXPECT_EQ(SendMessageA(plain, LB_INSERTSTRING, 0xFFFFFFFFu, reinterpret_cast<LPARAM>("end")), 1)
      << "a 32-bit -1 appends too";
  SendMessageA(plain, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageA(plain, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(ListBoxTest, BadArgumentsAnswerLbErr) {
  HWND list = MakeList();
  Fill(list, 3);
  char buffer[64];
  RECT rc;
  struct Row {
    const char *name;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
  } rows[] = {
      {"LB_GETTEXT past the end", LB_GETTEXT, 3, reinterpret_cast<LPARAM>(buffer)},
      {"LB_GETTEXT without buffer", LB_GETTEXT, 0, 0},
      {"LB_GETTEXTLEN negative", LB_GETTEXTLEN, static_cast<WPARAM>(-2), 0},
      {"LB_INSERTSTRING beyond the count", LB_INSERTSTRING, 4, reinterpret_cast<LPARAM>("x")},
      {"LB_ADDSTRING without text", LB_ADDSTRING, 0, 0},
      {"LB_SETCURSEL -1", LB_SETCURSEL, static_cast<WPARAM>(-1), 0},
      {"LB_GETCURSEL without selection", LB_GETCURSEL, 0, 0},
      {"LB_GETITEMRECT past the end", LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&rc)},
      {"LB_GETITEMRECT without rectangle", LB_GETITEMRECT, 0, 0},
      {"LB_SETITEMDATA past the end", LB_SETITEMDATA, 5, 1},
      {"LB_GETITEMDATA past the end", LB_GETITEMDATA, 5, 0},
      {"LB_SETTOPINDEX past the end", LB_SETTOPINDEX, 3, 0},
      {"LB_SETITEMHEIGHT 0", LB_SETITEMHEIGHT, 0, 0},
      {"LB_SETITEMHEIGHT 256", LB_SETITEMHEIGHT, 0, 256},
      {"LB_FINDSTRINGEXACT of a prefix", LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
       reinterpret_cast<LPARAM>("item")},
  };
  for (const Row &row : rows)
    EXPECT_EQ(SendMessageA(list, row.msg, row.wp, row.lp), LB_ERR) << row.name;
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3) << "nothing was added or removed";
}

TEST_F(ListBoxTest, SelectionFollowsInsertsAndDeletes) {
  HWND list = MakeList(0);
  Fill(list, 5);
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 2, 0), 2);
  SendMessageA(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("new"));
  EXPECT_EQ(Sel(list), 3);
  SendMessageA(list, LB_DELETESTRING, 1, 0);
  EXPECT_EQ(Sel(list), 2);
  SendMessageA(list, LB_INSERTSTRING, 4, reinterpret_cast<LPARAM>("later"));
  EXPECT_EQ(Sel(list), 2);
  SendMessageA(list, LB_DELETESTRING, 2, 0);
  EXPECT_EQ(Sel(list), LB_ERR) << "deleting the selected item clears the selection";
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(Sel(list), LB_ERR);
  EXPECT_TRUE(Notes(list).empty()) << "changes by messages are not notified";
}

TEST_F(ListBoxTest, FindSearchesAfterTheStartAndWraps) {
  HWND list = MakeList(0);
  for (const char *t : {"Alpha", "beta", "alphabet", "Gamma"})
    Add(list, t);
  struct Row {
    UINT msg;
    int start;
    const char *text;
    LRESULT expected;
  } rows[] = {
      {LB_FINDSTRING, 0, "ALP", 2},        {LB_FINDSTRING, 3, "g", 3},
      {LB_FINDSTRING, 99, "beta", 1},      {LB_FINDSTRING, -1, "", 0},
      {LB_FINDSTRINGEXACT, 0, "alpha", 0}, {LB_FINDSTRINGEXACT, -1, "alphabet", 2},
  };
  for (const Row &row : rows)
    EXPECT_EQ(SendMessageA(list, row.msg, static_cast<WPARAM>(row.start),
                           reinterpret_cast<LPARAM>(row.text)),
              row.expected)
        << (row.msg == LB_FINDSTRING ? "LB_FINDSTRING " : "LB_FINDSTRINGEXACT ") << row.start
        << " \"" << row.text << '"';
  EXPECT_EQ(
      SendMessageA(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("gam")),
      3);
  EXPECT_EQ(Sel(list), 3);
}

TEST_F(ListBoxTest, ItemDataTravelsWithItsItem) {
  HWND list = MakeList(LBS_SORT);
  Add(list, "m");
  const ULONG_PTR big = ~static_cast<ULONG_PTR>(0) - 5; // pointer-sized values survive
  EXPECT_NE(SendMessageA(list, LB_SETITEMDATA, 0, static_cast<LPARAM>(big)), LB_ERR);
  Add(list, "a");
  EXPECT_EQ(static_cast<ULONG_PTR>(SendMessageA(list, LB_GETITEMDATA, 1, 0)), big);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 0, 0), 0);
}

// Arrow, page and letter keys are in the conformance recordings; the edges
// of the list are not.
TEST_F(ListBoxTest, KeysAtTheEdgesStillNotify) {
  HWND list = MakeList();
  Fill(list, 3);
  SetFocus(list);
  EXPECT_EQ(Notes(list), Seq({"LBN_SETFOCUS"}));
  struct Row {
    const char *name;
    UINT vk;
    LRESULT expected;
  } rows[] = {
      {"Down without selection selects the first", VK_DOWN, 0},
      {"Up at the top stays, and says so", VK_UP, 0},
      {"End", VK_END, 2},
      {"Down at the end stays, and says so", VK_DOWN, 2},
  };
  for (const Row &row : rows) {
    vqwinKeyPress(row.vk, 0);
    EXPECT_EQ(Sel(list), row.expected) << row.name;
    EXPECT_EQ(Notes(list), Seq({"LBN_SELCHANGE"})) << row.name;
  }
}

TEST_F(ListBoxTest, WithoutLbsNotifyOnlyFocusIsNotified) {
  HWND list = MakeList(0);
  HWND other = MakeList(0);
  Fill(list, 3);
  SetFocus(list);
  vqwinKeyPress(VK_DOWN, 0);
  vqwinMouseClick(list, Center(list, 2).x, Center(list, 2).y, VK_LBUTTON, 0);
  EXPECT_EQ(Sel(list), 2);
  SetFocus(other);
  EXPECT_EQ(Notes(list), Seq({"LBN_SETFOCUS", "LBN_KILLFOCUS"}));
}

TEST_F(ListBoxTest, ADoubleClickBelowTheItemsTakesTheLast) {
  HWND list = MakeList();
  Fill(list, 6);
  SetFocus(list);
  Notes(list);
  RECT rc;
  GetClientRect(list, &rc);
  vqwinMouseDoubleClick(list, 5, rc.bottom - 2, VK_LBUTTON, 0);
  EXPECT_EQ(Sel(list), 5);
  EXPECT_EQ(Notes(list), Seq({"LBN_SELCHANGE", "LBN_DBLCLK"})) << "the second click only tells";
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ListBoxTest, ScrollsWithItsBarKeysAndMessages) {
  HWND list = MakeList();
  int h = ItemHeight(list);
  RECT rc;
  GetClientRect(list, &rc);
  int page = rc.bottom / h;
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  Fill(list, page); // exactly one page: no bar
  EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL, 0);
  Fill(list, 20);
  EXPECT_NE(GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL, 0) << "the bar shows when needed";
  ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &si));
  EXPECT_EQ(si.nMax, page + 19);
  EXPECT_EQ(si.nPage, static_cast<UINT>(page));

  EXPECT_EQ(SendMessageA(list, LB_SETTOPINDEX, 10, 0), LB_OKAY);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 10);
  EXPECT_EQ(GetScrollPos(list, SB_VERT), 10);
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, 12, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.top, 2 * h);
  EXPECT_EQ(item.bottom, 3 * h);
  SendMessageA(list, LB_SETTOPINDEX, page + 19, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 20) << "the last page stays full";

  SendMessageA(list, LB_SETCURSEL, 3, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 3) << "selecting scrolls it into view";
  SetFocus(list);
  vqwinKeyPress(VK_END, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 20);

  // The down arrow of the bar, just right of the client area at its bottom.
  SendMessageA(list, LB_SETTOPINDEX, 0, 0);
  GetClientRect(list, &rc);
  vqwinMouseClick(list, rc.right + 3, rc.bottom - 3, VK_LBUTTON, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 1);
  SendMessageA(list, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 1 + page);
  SendMessageA(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 7), 0);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 7);

  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL, 0) << "and hides when empty";
}

TEST_F(ListBoxTest, HeightShrinksToWholeItemsUnlessNoIntegralHeight) {
  HWND probe = MakeList(0);
  int h = ItemHeight(probe);
  int border = 2; // WS_BORDER
  int odd = 5 * h + h / 2 + border;
  HWND integral = MakeList(0, odd);
  HWND free = MakeList(LBS_NOINTEGRALHEIGHT, odd);
  RECT rc;
  GetClientRect(integral, &rc);
  EXPECT_EQ(rc.bottom, 5 * h);
  GetClientRect(free, &rc);
  EXPECT_EQ(rc.bottom, odd - border);

  EXPECT_EQ(SendMessageA(free, LB_SETITEMHEIGHT, 0, 30), LB_OKAY);
  EXPECT_EQ(ItemHeight(free), 30);
  HFONT font = CreateFontA(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  SendMessageA(free, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  EXPECT_GT(ItemHeight(free), h) << "a new font sets the item height";
  EXPECT_EQ(SendMessageA(free, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
  DestroyWindow(free);
  DeleteObject(font);
}

TEST_F(ListBoxTest, PaintsTheSelectionInHighlightAndTheFocusRectangle) {
  HWND list = MakeList();
  Fill(list, 4);
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  vqwinRunUntilIdle();
  RECT r0{}, r1{};
  SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r0));
  SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r1));
  int blank = r1.right - 10; // right of any text
  EXPECT_EQ(vqwinGetPixel(list, blank, (r1.top + r1.bottom) / 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(vqwinGetPixel(list, blank, (r0.top + r0.bottom) / 2), GetSysColor(COLOR_WINDOW));
  EXPECT_GT(DarkPixels(list, RECT{0, r0.top, r0.right / 2, r0.bottom}), 5) << "item 0's text";
  RECT text1{0, r1.top, r1.right / 2, r1.bottom};
  int light = 0;
  for (int y = text1.top; y < text1.bottom; ++y)
    for (int x = text1.left; x < text1.right; ++x)
      light += vqwinGetPixel(list, x, y) == RGB(255, 255, 255);
  EXPECT_GT(light, 5) << "the selected text in COLOR_HIGHLIGHTTEXT";

  COLORREF corner = vqwinGetPixel(list, r1.left, r1.top);
  SetFocus(list);
  vqwinRunUntilIdle();
  EXPECT_NE(vqwinGetPixel(list, r1.left, r1.top), corner) << "the focus rectangle's dots";
}

TEST_F(ListBoxTest, APopupListEndedOnFocusLossGoesCleanly) {
  // The shape of a drop-down made of a popup and a list box child, which its
  // owner destroys when the list loses the focus.
  HWND popup = CreateWindowExA(0, "VqControlParent", "", WS_POPUP | WS_VISIBLE, 100, 100, 150, 120,
                               parent, nullptr, nullptr, nullptr);
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOTIFY, 0, 0,
                              150, 120, popup, reinterpret_cast<HMENU>(7), nullptr, nullptr);
  for (int i = 0; i < 3; ++i)
    SendMessageA(list, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>("row"));
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  SetFocus(list);
  vqwinRunUntilIdle();
  vqtest::OnCommand() = [popup](const vqtest::Command &c) {
    if (c.code == LBN_KILLFOCUS)
      DestroyWindow(popup);
  };
  SetFocus(parent);
  EXPECT_FALSE(IsWindow(list));
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(Notes(list), Seq({"LBN_SETFOCUS", "LBN_KILLFOCUS"}));
  vqwinRunUntilIdle();
}

TEST_F(ListBoxTest, AParentMayDestroyTheListInItsHandlers) {
  HWND list = MakeList();
  Fill(list, 3);
  vqtest::OnCommand() = [](const vqtest::Command &c) {
    if (c.code == LBN_DBLCLK)
      DestroyWindow(c.control);
  };
  POINT p = Center(list, 1);
  vqwinMouseDoubleClick(list, p.x, p.y, VK_LBUTTON, 0);
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(GetCapture(), nullptr);
}

} // namespace
