// The drop-down list combo box: items through CB_ messages as the library
// fills it, the drop-down opened and closed by mouse and keys with its CBN_
// sequences, and the painted field, button and list.
#include "control_fixture.h"

namespace {

using vqtest::ControlTest;
using Seq = std::vector<std::string>;

class ComboTest : public ControlTest {
protected:
  HWND MakeCombo(DWORD style = CBS_DROPDOWNLIST, int items = 5) {
    HWND combo = Make("COMBOBOX", WS_VSCROLL | style, 20, 20, 160, 200);
    for (int i = 0; i < items; ++i)
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Name(i).c_str()));
    return combo;
  }

  static std::string Name(int i) { return "entry " + std::to_string(i); }
  static LRESULT Sel(HWND combo) { return SendMessageA(combo, CB_GETCURSEL, 0, 0); }
  static bool Dropped(HWND combo) { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }

  static RECT DroppedRect(HWND combo) {
    RECT r{};
    SendMessageA(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r;
  }

  // The screen point in the middle of item `i` of the open list.
  static POINT ItemPoint(HWND combo, int i) {
    RECT r = DroppedRect(combo);
    int h = static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0));
    return POINT{(r.left + r.right) / 2, r.top + 1 + i * h + h / 2};
  }

  static HWND ListOf(HWND combo) {
    POINT p = ItemPoint(combo, 0);
    return WindowFromPoint(p);
  }

  static void ClickScreen(POINT p) { vqwinMouseClick(nullptr, p.x, p.y, VK_LBUTTON, 0); }
};

TEST_F(ComboTest, ItemsThroughMessages) {
  HWND combo = MakeCombo(CBS_DROPDOWNLIST | CBS_SORT, 0);
  for (const char *t : {"pear", "apple", "Banana"})
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  EXPECT_EQ(SendMessageA(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("first")), 0)
      << "CB_INSERTSTRING does not sort";
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 4);
  char buffer[32] = "";
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(buffer)), 6);
  EXPECT_STREQ(buffer, "Banana");
  EXPECT_EQ(Text(combo), "");
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(Text(combo), "Banana") << "the window text is the selection";
  EXPECT_EQ(SendMessageA(combo, WM_GETTEXTLENGTH, 0, 0), 6);
  EXPECT_EQ(SendMessageA(combo, CB_DELETESTRING, 0, 0), 3);
  EXPECT_EQ(Sel(combo), 1);
  EXPECT_NE(SendMessageA(combo, CB_SETITEMDATA, 1, 77), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, 1, 0), 77);
  EXPECT_TRUE(SetWindowTextA(combo, "pear")) << "WM_SETTEXT selects a matching item";
  EXPECT_EQ(Sel(combo), 2);

  struct Row {
    const char *name;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
  } errors[] = {
      {"CB_GETLBTEXT past the end", CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(buffer)},
      {"CB_DELETESTRING past the end", CB_DELETESTRING, 9, 0},
      {"CB_FINDSTRINGEXACT not there", CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
       reinterpret_cast<LPARAM>("kiwi")},
      {"CB_GETITEMDATA past the end", CB_GETITEMDATA, 3, 0},
      {"WM_SETTEXT of no item", WM_SETTEXT, 0, reinterpret_cast<LPARAM>("kiwi")},
  };
  for (const Row &row : errors)
    EXPECT_EQ(SendMessageA(combo, row.msg, row.wp, row.lp), CB_ERR) << row.name;
  EXPECT_EQ(Sel(combo), 2);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Sel(combo), CB_ERR);
  EXPECT_TRUE(Notes(combo).empty()) << "changes by messages are not notified";
}

TEST_F(ComboTest, TheWindowKeepsTheFieldHeightAndTheListTheRest) {
  HWND combo = MakeCombo();
  RECT wr, client;
  GetWindowRect(combo, &wr);
  GetClientRect(combo, &client);
  EXPECT_EQ(GetWindowLongPtrA(combo, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), 0)
      << "the scroll bar styles are the list's";
  EXPECT_EQ(client.right, wr.right - wr.left) << "no bar beside the field";
  int field = wr.bottom - wr.top;
  int item = static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0));
  EXPECT_EQ(field, item + 8);
  EXPECT_EQ(SendMessageA(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), item);
  RECT list = DroppedRect(combo);
  EXPECT_EQ(list.top, wr.bottom);
  EXPECT_EQ(list.left, wr.left);
  EXPECT_EQ(list.right, wr.right);
  EXPECT_EQ(list.bottom - list.top, 5 * item + 2) << "five items fit in the dropped height";

  MoveWindow(combo, 20, 20, 160, field + 3 * item + 2, TRUE);
  GetWindowRect(combo, &wr);
  EXPECT_EQ(wr.bottom - wr.top, field) << "a resize sets the dropped height";
  list = DroppedRect(combo);
  EXPECT_EQ(list.bottom - list.top, 3 * item + 2);
}

TEST_F(ComboTest, ClickOpensAndAClickOnAnItemChooses) {
  HWND combo = MakeCombo();
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  vqwinMouseClick(combo, 10, 5, VK_LBUTTON, 0);
  EXPECT_TRUE(Dropped(combo));
  EXPECT_EQ(GetFocus(), combo);
  EXPECT_EQ(Notes(combo), Seq({"CBN_SETFOCUS", "CBN_DROPDOWN"}));
  HWND list = ListOf(combo);
  ASSERT_NE(list, nullptr);
  EXPECT_NE(list, combo);
  EXPECT_TRUE(IsWindowVisible(list));
  vqwinAdvanceTime(1000);

  POINT p3 = ItemPoint(combo, 3);
  vqwinMouseMove(nullptr, p3.x, p3.y);
  EXPECT_TRUE(Notes(combo).empty()) << "hovering only highlights";
  ClickScreen(p3);
  EXPECT_FALSE(Dropped(combo));
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(Sel(combo), 3);
  EXPECT_EQ(Text(combo), Name(3));
  EXPECT_EQ(Notes(combo), Seq({"CBN_SELENDOK", "CBN_CLOSEUP", "CBN_SELCHANGE"}));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetFocus(), combo);

  vqwinAdvanceTime(1000);
  vqwinMouseClick(combo, 10, 5, VK_LBUTTON, 0);
  vqwinAdvanceTime(1000);
  ClickScreen(ItemPoint(combo, 3));
  EXPECT_EQ(Notes(combo), Seq({"CBN_DROPDOWN", "CBN_SELENDOK", "CBN_CLOSEUP"}))
      << "the same item again changes nothing";
}

TEST_F(ComboTest, AClickElsewhereCancels) {
  HWND combo = MakeCombo();
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  struct Row {
    const char *name;
    POINT screen;
  } rows[] = {
      {"on the parent", POINT{50 + 300, 50 + 250}},
      {"on the field again", POINT{50 + 30, 50 + 25}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    vqwinAdvanceTime(1000);
    vqwinMouseClick(combo, 10, 5, VK_LBUTTON, 0);
    ASSERT_TRUE(Dropped(combo));
    vqwinMouseMove(nullptr, ItemPoint(combo, 4).x, ItemPoint(combo, 4).y);
    Notes(combo);
    vqwinAdvanceTime(1000);
    ClickScreen(row.screen);
    EXPECT_FALSE(Dropped(combo));
    EXPECT_EQ(Sel(combo), 1) << "the selection from before comes back";
    EXPECT_EQ(Notes(combo), Seq({"CBN_SELENDCANCEL", "CBN_CLOSEUP"}));
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

// Arrows, Home, End, letters, F4, Return, Escape and CB_SHOWDROPDOWN are
// in the conformance recordings; Alt with an arrow, repeated opening, the
// dialog code of an open list and what a focus loss keeps are not.
TEST_F(ComboTest, AltArrowsOpenAndFocusLossKeepsTheArrowsChoice) {
  HWND combo = MakeCombo();
  HWND other = Make("EDIT", WS_BORDER, 200, 20, 80, 24);
  SetFocus(combo);
  vqwinKeyPress(VK_END, 0);
  Notes(combo);
  struct Row {
    const char *name;
    UINT vk;
    UINT mods;
    bool dropped;
    Seq notes;
  } rows[] = {
      {"Alt+Down opens", VK_DOWN, VQWIN_ALT, true, {"CBN_DROPDOWN"}},
      {"Escape closes", VK_ESCAPE, 0, false, {"CBN_SELENDCANCEL", "CBN_CLOSEUP"}},
      {"Alt+Up opens too", VK_UP, VQWIN_ALT, true, {"CBN_DROPDOWN"}},
  };
  for (const Row &row : rows) {
    vqwinKeyPress(row.vk, row.mods);
    EXPECT_EQ(Dropped(combo), row.dropped) << row.name;
    EXPECT_EQ(Notes(combo), row.notes) << row.name;
  }
  SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_TRUE(Notes(combo).empty()) << "opening twice is once";

  MSG ret{combo, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  LPARAM retMsg = reinterpret_cast<LPARAM>(&ret);
  EXPECT_EQ(SendMessageA(combo, WM_GETDLGCODE, VK_RETURN, retMsg),
            DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTMESSAGE)
      << "an open list keeps Return from the dialog";
  vqwinKeyPress(VK_UP, 0);
  Notes(combo);
  SetFocus(other);
  EXPECT_FALSE(Dropped(combo));
  EXPECT_EQ(Sel(combo), 3) << "what the arrow key chose and announced stays";
  EXPECT_EQ(Notes(combo), Seq({"CBN_SELENDCANCEL", "CBN_CLOSEUP", "CBN_KILLFOCUS"}));
  EXPECT_EQ(SendMessageA(combo, WM_GETDLGCODE, VK_RETURN, retMsg),
            DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(ComboTest, PaintsFieldButtonAndList) {
  HWND combo = MakeCombo();
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  vqwinRunUntilIdle();
  RECT rc;
  GetClientRect(combo, &rc);
  int button = GetSystemMetrics(SM_CXVSCROLL);
  int midY = rc.bottom / 2;
  EXPECT_EQ(vqwinGetPixel(combo, rc.right - 6, 5), GetSysColor(COLOR_3DFACE)) << "button face";
  int arrowX = rc.right - 2 - button / 2;
  EXPECT_EQ(vqwinGetPixel(combo, arrowX, midY - 1), GetSysColor(COLOR_BTNTEXT)) << "arrow";
  EXPECT_EQ(vqwinGetPixel(combo, rc.right - button - 8, midY), GetSysColor(COLOR_WINDOW));
  EXPECT_GT(DarkPixels(combo, RECT{4, 3, rc.right / 2, rc.bottom - 3}), 5) << "the text";

  SetFocus(combo);
  vqwinRunUntilIdle();
  EXPECT_EQ(vqwinGetPixel(combo, rc.right - button - 8, midY), GetSysColor(COLOR_HIGHLIGHT))
      << "a focused field is highlighted";

  SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  vqwinRunUntilIdle();
  HWND list = ListOf(combo);
  RECT lr;
  GetClientRect(list, &lr);
  int h = static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0));
  EXPECT_EQ(vqwinGetPixel(list, lr.right - 3, h + h / 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(vqwinGetPixel(list, lr.right - 3, h / 2), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(vqwinGetPixel(combo, rc.right - button - 8, midY), GetSysColor(COLOR_WINDOW))
      << "no highlight in the field while the list is open";
}

TEST_F(ComboTest, DropDownStyleEditsInItsField) {
  HWND combo = MakeCombo(CBS_DROPDOWN | CBS_AUTOHSCROLL);
  HWND edit = GetDlgItem(combo, 1001);
  ASSERT_NE(edit, nullptr);
  char cls[16] = "";
  GetClassNameA(edit, cls, sizeof cls);
  EXPECT_STREQ(cls, "Edit");

  SetFocus(combo);
  EXPECT_EQ(GetFocus(), edit) << "the edit takes the combo box's focus";
  EXPECT_EQ(Notes(combo), Seq({"CBN_SETFOCUS"}));
  vqwinTypeText("ab");
  EXPECT_EQ(Text(combo), "ab");
  EXPECT_EQ(Notes(combo),
            Seq({"CBN_EDITUPDATE", "CBN_EDITCHANGE", "CBN_EDITUPDATE", "CBN_EDITCHANGE"}));
  EXPECT_EQ(Sel(combo), CB_ERR) << "typing does not select";

  vqwinKeyPress(VK_DOWN, 0);
  EXPECT_EQ(Sel(combo), 0);
  EXPECT_EQ(Text(combo), Name(0)) << "a selection fills the edit";
  EXPECT_EQ(SendMessageA(combo, CB_GETEDITSEL, 0, 0),
            static_cast<LRESULT>(MAKELRESULT(0, Name(0).size())))
      << "with its text selected";
  EXPECT_EQ(Notes(combo), Seq({"CBN_SELENDOK", "CBN_SELCHANGE"}));
  vqwinKeyPress(VK_DOWN, VQWIN_ALT);
  EXPECT_TRUE(Dropped(combo));
  vqwinKeyPress(VK_DOWN, 0);
  vqwinKeyPress(VK_RETURN, 0);
  EXPECT_FALSE(Dropped(combo));
  EXPECT_EQ(Text(combo), Name(1));
  EXPECT_EQ(Notes(combo), Seq({"CBN_DROPDOWN", "CBN_SELCHANGE", "CBN_SELENDOK", "CBN_CLOSEUP"}));

  SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(1, 3));
  EXPECT_EQ(SendMessageA(combo, CB_GETEDITSEL, 0, 0), static_cast<LRESULT>(MAKELRESULT(1, 3)));
  SendMessageA(combo, CB_LIMITTEXT, 4, 0);
  SetWindowTextA(combo, "");
  vqwinTypeText("123456");
  EXPECT_EQ(Text(combo), "1234");

  HWND other = Make("EDIT", WS_BORDER, 200, 20, 80, 24);
  Notes(combo);
  SetFocus(other);
  EXPECT_EQ(Notes(combo), Seq({"CBN_SELENDCANCEL", "CBN_KILLFOCUS"}));
  vqwinRunUntilIdle();
  RECT rc;
  GetClientRect(combo, &rc);
  EXPECT_EQ(vqwinGetPixel(combo, rc.right - 6, 5), GetSysColor(COLOR_3DFACE)) << "the button";
}

TEST_F(ComboTest, TheOpenListScrollsWithItsBar) {
  HWND combo = MakeCombo(CBS_DROPDOWNLIST, 20);
  vqwinMouseClick(combo, 10, 5, VK_LBUTTON, 0);
  HWND list = ListOf(combo);
  ASSERT_NE(GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL, 0) << "20 items need the bar";
  RECT r = DroppedRect(combo);
  vqwinAdvanceTime(1000);
  ClickScreen(POINT{r.right - 4, r.bottom - 4}); // the bar's down arrow
  EXPECT_TRUE(Dropped(combo)) << "scrolling keeps the list open";
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 1);
  vqwinAdvanceTime(1000);
  ClickScreen(ItemPoint(combo, 0));
  EXPECT_EQ(Sel(combo), 1) << "the first item shown is now item 1";
  EXPECT_FALSE(Dropped(combo));
}

TEST_F(ComboTest, AParentMayDestroyTheComboInItsHandlers) {
  HWND combo = MakeCombo();
  vqtest::OnCommand() = [](const vqtest::Command &c) {
    if (c.code == CBN_SELENDOK)
      DestroyWindow(c.control);
  };
  vqwinMouseClick(combo, 10, 5, VK_LBUTTON, 0);
  vqwinAdvanceTime(1000);
  ClickScreen(ItemPoint(combo, 2));
  EXPECT_FALSE(IsWindow(combo));
  EXPECT_EQ(GetCapture(), nullptr);
}

} // namespace
