// The common controls: their registration, the report list view with
// text supplied by the parent on request, and up-down controls driving a
// buddy edit.
#include "conformance.h"

#include <commctrl.h>

enum { kList = 201, kBuddy, kUpDown, kPlainBuddy, kPlainUpDown };

static bool g_recordDispInfo = true;

static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    NMHDR *h = (NMHDR *)lp;
    if (h->code == LVN_GETDISPINFOA) {
      NMLVDISPINFOA *d = (NMLVDISPINFOA *)lp;
      if (g_recordDispInfo)
        Log("dispinfo(%d,%d,%x)", d->item.iItem, d->item.iSubItem, d->item.mask);
      if ((d->item.mask & LVIF_TEXT) && d->item.pszText && d->item.cchTextMax > 0)
        snprintf(d->item.pszText, d->item.cchTextMax, "cb%d.%d", d->item.iItem, d->item.iSubItem);
    } else if (h->code == LVN_ITEMCHANGING || h->code == LVN_ITEMCHANGED) {
      NMLISTVIEW *v = (NMLISTVIEW *)lp;
      Log("%s(%d,%d,%x,%x,%x)", h->code == LVN_ITEMCHANGING ? "changing" : "changed", v->iItem,
          v->iSubItem, v->uNewState, v->uOldState, v->uChanged);
    } else if (h->code == LVN_DELETEITEM) {
      Log("deleteitem(%d)", ((NMLISTVIEW *)lp)->iItem);
    } else if (h->code == LVN_DELETEALLITEMS) {
      Log("deleteall(%d)", ((NMLISTVIEW *)lp)->iItem);
    } else if (h->code == LVN_INSERTITEM) {
      Log("insertitem(%d)", ((NMLISTVIEW *)lp)->iItem);
    } else if (h->code == UDN_DELTAPOS) {
      NMUPDOWN *u = (NMUPDOWN *)lp;
      Log("deltapos(%d,%d)", u->iPos, u->iDelta);
    }
    return 0;
  }
  if (msg == WM_VSCROLL || msg == WM_HSCROLL) {
    Log("%s(%d,%d,%s)", MessageName(msg), LOWORD(wp), (short)HIWORD(wp), NameOf((HWND)lp));
    return 0;
  }
  if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE) {
    Log("EN_CHANGE(%d)", LOWORD(wp));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

static void Registration() {
  struct Case {
    const char *name;
    DWORD size, classes;
  } cases[] = {
      {"init.listview", sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES},
      {"init.updown", sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS},
      {"init.win95", sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES},
      {"init.tab", sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES},
      {"init.none", sizeof(INITCOMMONCONTROLSEX), 0},
      {"init.size_zero", 0, ICC_LISTVIEW_CLASSES},
      {"init.size_large", sizeof(INITCOMMONCONTROLSEX) + 4, ICC_LISTVIEW_CLASSES},
      {"init.size_small", 4, ICC_LISTVIEW_CLASSES},
  };
  for (const Case &c : cases) {
    INITCOMMONCONTROLSEX icc;
    icc.dwSize = c.size;
    icc.dwICC = c.classes;
    Fact(c.name, "%d", InitCommonControlsEx(&icc) ? 1 : 0);
  }
  static const char *classes[] = {WC_LISTVIEWA, UPDOWN_CLASSA, WC_HEADERA, WC_TABCONTROLA};
  for (const char *cls : classes) {
    WNDCLASSA wc;
    char key[64];
    snprintf(key, sizeof key, "class.%s", cls);
    Fact(key, "%d", GetClassInfoA(NULL, cls, &wc) ? 1 : 0);
  }
}

static void ListView(HWND parent) {
  HWND lv = Named(CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0,
                                  260, 120, parent, (HMENU)kList, Instance(), NULL),
                  "listview");
  LVCOLUMNA col = {};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 60;
  static char titles[3][8] = {"A", "B", "C"};
  for (int i = 0; i < 3; ++i) {
    col.pszText = titles[i];
    char key[32];
    snprintf(key, sizeof key, "listview.column%d", i);
    Fact(key, "%d", (int)SendMessageA(lv, LVM_INSERTCOLUMNA, i, (LPARAM)&col));
  }
  Fact("listview.column_width", "%d", (int)SendMessageA(lv, LVM_GETCOLUMNWIDTH, 1, 0));
  StartLog();
  for (int i = 0; i < 3; ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = LPSTR_TEXTCALLBACKA;
    int at = (int)SendMessageA(lv, LVM_INSERTITEMA, 0, (LPARAM)&item);
    Log("at%d", at);
    LVITEMA sub = {};
    sub.iSubItem = 1;
    sub.pszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(lv, LVM_SETITEMTEXTA, at, (LPARAM)&sub);
    static char plain[] = "plain";
    sub.iSubItem = 2;
    sub.pszText = plain;
    SendMessageA(lv, LVM_SETITEMTEXTA, at, (LPARAM)&sub);
  }
  Fact("listview.insert", "%s count %d", TakeLog(), (int)SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
  struct Get {
    const char *name;
    int item, sub;
  } gets[] = {{"listview.text.0.0", 0, 0}, {"listview.text.0.1", 0, 1},
              {"listview.text.1.2", 1, 2}, {"listview.text.2.1", 2, 1},
              {"listview.text.5.0", 5, 0}, {"listview.text.0.7", 0, 7}};
  for (const Get &g : gets) {
    char text[32] = "?";
    LVITEMA item = {};
    item.iSubItem = g.sub;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    StartLog();
    int n = (int)SendMessageA(lv, LVM_GETITEMTEXTA, g.item, (LPARAM)&item);
    Fact(g.name, "%d \"%s\" %s", n, text, TakeLog());
  }
  char text[32] = "?";
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = 1;
  item.iSubItem = 1;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  StartLog();
  BOOL ok = (BOOL)SendMessageA(lv, LVM_GETITEMA, 0, (LPARAM)&item);
  Fact("listview.getitem.sub", "%d \"%s\" %s", ok ? 1 : 0,
       item.pszText == text                  ? text
       : item.pszText == LPSTR_TEXTCALLBACKA ? "callback"
                                             : "other",
       TakeLog());
  StartLog();
  InvalidateRect(lv, NULL, TRUE);
  UpdateWindow(lv);
  // Painting order is the control's own; what matters is which cells it asks for.
  char cells[16] = "";
  for (int i = 0; i < 3; ++i)
    for (int s = 0; s < 3; ++s) {
      char needle[32];
      snprintf(needle, sizeof needle, "dispinfo(%d,%d,", i, s);
      strcat(cells, strstr(g_log, needle) ? "1" : "0");
    }
  TakeLog();
  Fact("listview.paint_requests", "%s", cells);
  g_recordDispInfo = false;
  LVITEMA state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  StartLog();
  SendMessageA(lv, LVM_SETITEMSTATE, 1, (LPARAM)&state);
  Fact("listview.select", "%s next %d", TakeLog(),
       (int)SendMessageA(lv, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
  StartLog();
  SendMessageA(lv, LVM_SETITEMSTATE, 1, (LPARAM)&state);
  Fact("listview.select_again", "%s", TakeLog());
  state.state = 0;
  state.stateMask = LVIS_SELECTED;
  StartLog();
  SendMessageA(lv, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&state);
  Fact("listview.deselect_all", "%s next %d", TakeLog(),
       (int)SendMessageA(lv, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
  Fact("listview.state", "%x",
       (unsigned)SendMessageA(lv, LVM_GETITEMSTATE, 1, LVIS_FOCUSED | LVIS_SELECTED));
  StartLog();
  SendMessageA(lv, LVM_DELETEITEM, 0, 0);
  Fact("listview.delete", "%s count %d", TakeLog(), (int)SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
  StartLog();
  SendMessageA(lv, LVM_DELETEALLITEMS, 0, 0);
  Fact("listview.delete_all", "%s count %d", TakeLog(),
       (int)SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
  DestroyWindow(lv);
}

static void BuddyText(const char *key, HWND buddy, const char *log) {
  char text[32] = "?";
  GetWindowTextA(buddy, text, sizeof text);
  Fact(key, "\"%s\" %s", text, log);
}

static void UpDown(HWND parent) {
  HWND buddy = Named(CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 130, 60,
                                     20, parent, (HMENU)kBuddy, Instance(), NULL),
                     "buddy");
  HWND ud = Named(CreateWindowExA(0, UPDOWN_CLASSA, "",
                                  WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT |
                                      UDS_AUTOBUDDY | UDS_ARROWKEYS,
                                  0, 0, 16, 20, parent, (HMENU)kUpDown, Instance(), NULL),
                  "updown");
  Fact("updown.buddy", "%s", NameOf((HWND)SendMessageA(ud, UDM_GETBUDDY, 0, 0)));
  BuddyText("updown.initial_text", buddy, "");
  DWORD range = (DWORD)SendMessageA(ud, UDM_GETRANGE, 0, 0);
  Fact("updown.default_range", "%d %d", (short)HIWORD(range), (short)LOWORD(range));
  StartLog();
  SendMessageA(ud, UDM_SETRANGE32, 0, 2000);
  BuddyText("updown.setrange", buddy, TakeLog());
  StartLog();
  SendMessageA(ud, UDM_SETPOS32, 0, 5);
  BuddyText("updown.setpos", buddy, TakeLog());
  StartLog();
  SendMessageA(ud, UDM_SETPOS32, 0, 1500);
  BuddyText("updown.thousands", buddy, TakeLog());
  Fact("updown.getpos", "%d", (int)SendMessageA(ud, UDM_GETPOS32, 0, 0));
  StartLog();
  int old = (int)SendMessageA(ud, UDM_SETPOS32, 0, 5000);
  BOOL err = -1;
  int now = (int)SendMessageA(ud, UDM_GETPOS32, 0, (LPARAM)&err);
  char key[64];
  snprintf(key, sizeof key, "updown.clamp");
  char log[256];
  snprintf(log, sizeof log, "old %d now %d err %d %s", old, now, err, TakeLog());
  BuddyText(key, buddy, log);
  SendMessageA(ud, UDM_SETPOS32, 0, 7);
  SetFocus(buddy);
  StartLog();
  SendMessageA(buddy, WM_KEYDOWN, VK_UP, 1);
  SendMessageA(buddy, WM_KEYUP, VK_UP, (LPARAM)0xC0000001u);
  Pump();
  BuddyText("updown.key_up", buddy, TakeLog());
  StartLog();
  SendMessageA(buddy, WM_KEYDOWN, VK_DOWN, 1);
  SendMessageA(buddy, WM_KEYUP, VK_DOWN, (LPARAM)0xC0000001u);
  Pump();
  BuddyText("updown.key_down", buddy, TakeLog());
  SetWindowTextA(buddy, "42");
  err = -1;
  now = (int)SendMessageA(ud, UDM_GETPOS32, 0, (LPARAM)&err);
  Fact("updown.read_buddy", "%d err %d", now, err);
  SetWindowTextA(buddy, "1,234");
  err = -1;
  now = (int)SendMessageA(ud, UDM_GETPOS32, 0, (LPARAM)&err);
  Fact("updown.read_thousands", "%d err %d", now, err);
  SetWindowTextA(buddy, "abc");
  err = -1;
  now = (int)SendMessageA(ud, UDM_GETPOS32, 0, (LPARAM)&err);
  Fact("updown.read_bad", "%d err %d", now, err);
  DWORD pos16 = (DWORD)SendMessageA(ud, UDM_GETPOS, 0, 0);
  Fact("updown.getpos16_bad", "%d err %d", LOWORD(pos16), HIWORD(pos16) ? 1 : 0);
  SendMessageA(ud, UDM_SETPOS32, 0, 26);
  int oldBase = (int)SendMessageA(ud, UDM_SETBASE, 16, 0);
  Fact("updown.setbase", "%d %d", oldBase, (int)SendMessageA(ud, UDM_GETBASE, 0, 0));
  StartLog();
  SendMessageA(ud, UDM_SETPOS32, 0, 27);
  BuddyText("updown.hex", buddy, TakeLog());
  SendMessageA(ud, UDM_SETBASE, 10, 0);
  RECT r;
  GetClientRect(ud, &r);
  StartLog();
  SendMessageA(ud, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((int)r.right / 2, 2));
  SendMessageA(ud, WM_LBUTTONUP, 0, MAKELPARAM((int)r.right / 2, 2));
  Pump();
  BuddyText("updown.click_up", buddy, TakeLog());
  StartLog();
  SendMessageA(ud, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((int)r.right / 2, (int)r.bottom - 2));
  SendMessageA(ud, WM_LBUTTONUP, 0, MAKELPARAM((int)r.right / 2, (int)r.bottom - 2));
  Pump();
  BuddyText("updown.click_down", buddy, TakeLog());

  HWND plain = Named(CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 100, 130, 60,
                                     20, parent, (HMENU)kPlainBuddy, Instance(), NULL),
                     "plainbuddy");
  HWND ud2 =
      Named(CreateWindowExA(0, UPDOWN_CLASSA, "",
                            WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_NOTHOUSANDS | UDS_WRAP, 0,
                            0, 16, 20, parent, (HMENU)kPlainUpDown, Instance(), NULL),
            "updown2");
  StartLog();
  HWND prev = (HWND)SendMessageA(ud2, UDM_SETBUDDY, (WPARAM)plain, 0);
  BuddyText("updown.setbuddy", plain, TakeLog());
  Fact("updown.setbuddy_prev", "%s", NameOf(prev));
  SendMessageA(ud2, UDM_SETRANGE32, 0, 3000);
  StartLog();
  SendMessageA(ud2, UDM_SETPOS32, 0, 2500);
  BuddyText("updown.nothousands", plain, TakeLog());
  SendMessageA(ud2, UDM_SETPOS32, 0, 3000);
  GetClientRect(ud2, &r);
  StartLog();
  SendMessageA(ud2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((int)r.right / 2, 2));
  SendMessageA(ud2, WM_LBUTTONUP, 0, MAKELPARAM((int)r.right / 2, 2));
  Pump();
  BuddyText("updown.wrap", plain, TakeLog());
  SendMessageA(ud2, UDM_SETRANGE32, 10, 0);
  SendMessageA(ud2, UDM_SETPOS32, 0, 4);
  StartLog();
  SendMessageA(ud2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((int)r.right / 2, 2));
  SendMessageA(ud2, WM_LBUTTONUP, 0, MAKELPARAM((int)r.right / 2, 2));
  Pump();
  BuddyText("updown.reversed_range", plain, TakeLog());
  DestroyWindow(ud2);
  DestroyWindow(ud);
}

int main() {
  Registration();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ParentProc;
  wc.hInstance = Instance();
  wc.lpszClassName = "ConfComctlParent";
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  RegisterClassA(&wc);
  HWND parent = Named(CreateWindowExA(0, "ConfComctlParent", "parent", WS_POPUP | WS_VISIBLE, 0, 0,
                                      300, 200, NULL, NULL, Instance(), NULL),
                      "parent");
  ListView(parent);
  UpDown(parent);
  DestroyWindow(parent);
  return 0;
}
