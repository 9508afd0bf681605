// The standard controls inside a dialog: edit (single and multi-line),
// dialog-item numbers, buttons, list boxes, combo boxes, scroll bars.
// Input is sent as the messages the system would send, so the facts do not
// depend on screen positions of a desktop.
#include "conformance.h"

enum { kEdit = 101, kMulti, kButton, kList, kCombo, kCheck, kScroll, kSorted, kDropdown, kLast };

static const char *CodeName(int id, WORD code) {
  static char other[16];
  if (id == kEdit || id == kMulti) {
    switch (code) {
    case EN_SETFOCUS:
      return "EN_SETFOCUS";
    case EN_KILLFOCUS:
      return "EN_KILLFOCUS";
    case EN_CHANGE:
      return "EN_CHANGE";
    case EN_UPDATE:
      return "EN_UPDATE";
    case EN_MAXTEXT:
      return "EN_MAXTEXT";
    }
  } else if (id == kList || id == kSorted) {
    switch (code) {
    case LBN_SELCHANGE:
      return "LBN_SELCHANGE";
    case LBN_DBLCLK:
      return "LBN_DBLCLK";
    case LBN_SETFOCUS:
      return "LBN_SETFOCUS";
    case LBN_KILLFOCUS:
      return "LBN_KILLFOCUS";
    case LBN_SELCANCEL:
      return "LBN_SELCANCEL";
    }
  } else if (id == kCombo || id == kDropdown) {
    switch (code) {
    case CBN_SELCHANGE:
      return "CBN_SELCHANGE";
    case CBN_DBLCLK:
      return "CBN_DBLCLK";
    case CBN_SETFOCUS:
      return "CBN_SETFOCUS";
    case CBN_KILLFOCUS:
      return "CBN_KILLFOCUS";
    case CBN_EDITCHANGE:
      return "CBN_EDITCHANGE";
    case CBN_EDITUPDATE:
      return "CBN_EDITUPDATE";
    case CBN_DROPDOWN:
      return "CBN_DROPDOWN";
    case CBN_CLOSEUP:
      return "CBN_CLOSEUP";
    case CBN_SELENDOK:
      return "CBN_SELENDOK";
    case CBN_SELENDCANCEL:
      return "CBN_SELENDCANCEL";
    }
  } else if (id == kButton || id == kCheck) {
    switch (code) {
    case BN_CLICKED:
      return "BN_CLICKED";
    case BN_SETFOCUS:
      return "BN_SETFOCUS";
    case BN_KILLFOCUS:
      return "BN_KILLFOCUS";
    case BN_DBLCLK:
      return "BN_DBLCLK";
    }
  }
  snprintf(other, sizeof other, "code%u", code);
  return other;
}

static INT_PTR CALLBACK DialogProc(HWND, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_COMMAND) {
    Log("%s", CodeName(LOWORD(wp), HIWORD(wp)));
    return TRUE;
  }
  if (msg == WM_INITDIALOG)
    return FALSE;
  return FALSE;
}

static HWND g_dlg;

static HWND Item(int id) { return GetDlgItem(g_dlg, id); }

static LRESULT Send(int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  return SendMessageA(Item(id), msg, wp, lp);
}

static void Key(int id, UINT vk) {
  Send(id, WM_KEYDOWN, vk, 1);
  Send(id, WM_KEYUP, vk, (LPARAM)0xC0000001u);
}

static void Char(int id, char c) { Send(id, WM_CHAR, (unsigned char)c, 1); }

// Presses Tab in the dialog as the message loop would deliver it.
static void DialogKey(UINT vk, bool shift = false) {
  MSG msg = {};
  msg.hwnd = GetFocus();
  msg.message = WM_KEYDOWN;
  msg.wParam = vk;
  msg.lParam = 1;
  (void)shift;
  IsDialogMessageA(g_dlg, &msg);
  Pump();
}

static HWND MakeDialog() {
  // An item-less template; the controls are created as children afterwards.
  static WORD buffer[64];
  DLGTEMPLATE *t = (DLGTEMPLATE *)buffer;
  t->style = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME;
  t->cdit = 0;
  t->x = 10;
  t->y = 10;
  t->cx = 300;
  t->cy = 200;
  return CreateDialogIndirectParamA(Instance(), t, NULL, DialogProc, 0);
}

static HWND Control(const char *cls, const char *text, DWORD style, int x, int y, int cx, int cy,
                    int id, const char *name) {
  HWND w = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, g_dlg,
                           (HMENU)(INT_PTR)id, Instance(), NULL);
  return Named(w, name);
}

static void MultiLineTexts() {
  static const char *texts[] = {"",
                                "one",
                                "one\r\ntwo",
                                "one\r\ntwo\r\n",
                                "\r\n\r\n",
                                "a\r\n\r\nccc\r\ndd",
                                "tab\there\r\nx"};
  for (int t = 0; t < (int)(sizeof texts / sizeof texts[0]); ++t) {
    SetWindowTextA(Item(kMulti), texts[t]);
    char key[64];
    int count = (int)Send(kMulti, EM_GETLINECOUNT);
    snprintf(key, sizeof key, "edit.multi.%d.count", t);
    Fact(key, "%d length %d", count, GetWindowTextLengthA(Item(kMulti)));
    char line[256] = "";
    for (int i = 0; i <= count; ++i) {
      int index = (int)Send(kMulti, EM_LINEINDEX, i);
      int length = (int)Send(kMulti, EM_LINELENGTH, index);
      char buf[32];
      *(WORD *)buf = sizeof buf - 1;
      int got = (int)Send(kMulti, EM_GETLINE, i, (LPARAM)buf);
      buf[got >= 0 && got < 32 ? got : 0] = 0;
      snprintf(key, sizeof key, "edit.multi.%d.line%d", t, i);
      Fact(key, "index %d length %d getline %d \"%s\"", index, length, got, buf);
    }
    int len = GetWindowTextLengthA(Item(kMulti));
    for (int c = 0; c <= len + 1 && c < 60; ++c)
      line[c] = (char)('0' + (int)Send(kMulti, EM_LINEFROMCHAR, c));
    line[len + 2 < 60 ? len + 2 : 60] = 0;
    snprintf(key, sizeof key, "edit.multi.%d.fromchar", t);
    Fact(key, "%s", line);
  }
  SetWindowTextA(Item(kMulti), "first\r\nsecond\r\nthird");
  Send(kMulti, EM_SETSEL, 9, 9);
  Fact("edit.multi.caret", "index %d fromchar %d length %d", (int)Send(kMulti, EM_LINEINDEX, -1),
       (int)Send(kMulti, EM_LINEFROMCHAR, -1), (int)Send(kMulti, EM_LINELENGTH, -1));
  Send(kMulti, EM_SETSEL, 3, 10);
  Fact("edit.multi.selection", "fromchar %d length %d", (int)Send(kMulti, EM_LINEFROMCHAR, -1),
       (int)Send(kMulti, EM_LINELENGTH, -1));
  Fact("edit.multi.bad_line", "index %d getline %d", (int)Send(kMulti, EM_LINEINDEX, 7),
       (int)Send(kMulti, EM_GETLINE, 7, 0));
  SetWindowTextA(Item(kMulti), "ab");
  Send(kMulti, EM_SETSEL, 2, 2);
  Char(kMulti, '\r');
  Char(kMulti, 'c');
  char buf[32];
  GetWindowTextA(Item(kMulti), buf, sizeof buf);
  Fact("edit.multi.typed_return", "\"%s\" count %d",
       buf[2] == '\r' && buf[3] == '\n' ? "ab<crlf>c" : buf, (int)Send(kMulti, EM_GETLINECOUNT));
  SetWindowTextA(Item(kEdit), "one\r\ntwo");
  Fact("edit.single.lines", "count %d index1 %d fromchar5 %d length %d",
       (int)Send(kEdit, EM_GETLINECOUNT), (int)Send(kEdit, EM_LINEINDEX, 1),
       (int)Send(kEdit, EM_LINEFROMCHAR, 5), (int)Send(kEdit, EM_LINELENGTH, 0));
}

static void EditBasics() {
  Fact("edit.limit.default", "single %u multi %u", (unsigned)Send(kEdit, EM_GETLIMITTEXT),
       (unsigned)Send(kMulti, EM_GETLIMITTEXT));
  Send(kEdit, EM_LIMITTEXT, 0);
  Send(kMulti, EM_LIMITTEXT, 0);
  Fact("edit.limit.zero", "single %u multi %u", (unsigned)Send(kEdit, EM_GETLIMITTEXT),
       (unsigned)Send(kMulti, EM_GETLIMITTEXT));
  Send(kEdit, EM_LIMITTEXT, 3);
  SetWindowTextA(Item(kEdit), "");
  SetFocus(Item(kEdit));
  StartLog();
  Char(kEdit, 'a');
  Char(kEdit, 'b');
  Char(kEdit, 'c');
  Char(kEdit, 'd');
  char text[32];
  GetWindowTextA(Item(kEdit), text, sizeof text);
  Fact("edit.limit.typed", "\"%s\" %s", text, TakeLog());
  StartLog();
  SetWindowTextA(Item(kEdit), "longer text");
  GetWindowTextA(Item(kEdit), text, sizeof text);
  Fact("edit.limit.settext", "\"%s\" %s", text, TakeLog());
  Send(kEdit, EM_LIMITTEXT, 100);
  StartLog();
  Send(kEdit, EM_SETSEL, 0, 6);
  Send(kEdit, EM_REPLACESEL, TRUE, (LPARAM) "short");
  GetWindowTextA(Item(kEdit), text, sizeof text);
  Fact("edit.replacesel", "\"%s\" %s", text, TakeLog());
  DWORD start = 0, end = 0;
  Send(kEdit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  Fact("edit.replacesel.caret", "%u %u", (unsigned)start, (unsigned)end);
  Send(kEdit, EM_SETSEL, 4, 2);
  Send(kEdit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  Fact("edit.setsel.reversed", "%u %u", (unsigned)start, (unsigned)end);
  Send(kEdit, EM_SETSEL, 0, -1);
  Send(kEdit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  Fact("edit.setsel.all", "%u %u", (unsigned)start, (unsigned)end);
  Send(kEdit, EM_SETSEL, -1, 0);
  Send(kEdit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  Fact("edit.setsel.none", "%u %u", (unsigned)start, (unsigned)end);
  Fact("edit.modify", "%d", (int)Send(kEdit, EM_GETMODIFY));
  Send(kEdit, EM_SETMODIFY, FALSE);
  StartLog();
  Key(kEdit, VK_HOME);
  Key(kEdit, VK_DELETE);
  GetWindowTextA(Item(kEdit), text, sizeof text);
  Fact("edit.delete_key", "\"%s\" %s modify %d", text, TakeLog(), (int)Send(kEdit, EM_GETMODIFY));
  StartLog();
  Char(kEdit, '\b');
  Fact("edit.backspace_at_start", "%s", TakeLog());
  char small[4] = "???";
  int n = (int)Send(kEdit, WM_GETTEXT, sizeof small, (LPARAM)small);
  Fact("edit.gettext_small", "%d \"%s\"", n, small);
  SetWindowTextA(Item(kEdit), "");
}

static void FocusSelection() {
  SetWindowTextA(Item(kEdit), "hello");
  SetWindowTextA(Item(kMulti), "multi\r\nline");
  SetFocus(Item(kButton));
  Send(kEdit, EM_SETSEL, 2, 2);
  SetFocus(Item(kEdit));
  DWORD s = 0, e = 0;
  Send(kEdit, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  Fact("edit.focus.setfocus", "%u %u", (unsigned)s, (unsigned)e);
  static const struct {
    int id;
    const char *name;
  } controls[] = {{kEdit, "edit"},     {kMulti, "multi"},      {kButton, "button"},
                  {kList, "list"},     {kCombo, "combo"},      {kCheck, "check"},
                  {kScroll, "scroll"}, {kDropdown, "dropdown"}};
  for (const auto &c : controls) {
    char key[64];
    snprintf(key, sizeof key, "dlgcode.%s", c.name);
    Fact(key, "%04x", (unsigned)Send(c.id, WM_GETDLGCODE));
  }
  SetFocus(Item(kCheck));
  Send(kEdit, EM_SETSEL, 1, 1);
  Send(kMulti, EM_SETSEL, 1, 1);
  // The tab order follows creation: edit, multi, button, list, combo, check.
  SetFocus(Item(kDropdown));
  DialogKey(VK_TAB);
  HWND first = GetFocus();
  Send(kEdit, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  Fact("edit.focus.tab_single", "focus %s sel %u %u", NameOf(first), (unsigned)s, (unsigned)e);
  DialogKey(VK_TAB);
  Send(kMulti, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  Fact("edit.focus.tab_multi", "focus %s sel %u %u", NameOf(GetFocus()), (unsigned)s, (unsigned)e);
  SetFocus(Item(kButton));
  StartLog();
  SendMessageA(g_dlg, WM_NEXTDLGCTL, (WPARAM)Item(kEdit), TRUE);
  Send(kEdit, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  Fact("edit.focus.nextdlgctl", "focus %s sel %u %u %s", NameOf(GetFocus()), (unsigned)s,
       (unsigned)e, TakeLog());
  SetFocus(Item(kButton));
  SendMessageA(g_dlg, WM_NEXTDLGCTL, 0, FALSE);
  Fact("edit.focus.nextdlgctl_next", "focus %s", NameOf(GetFocus()));
}

static void DialogInts() {
  static const char *texts[] = {"123",         "-45",        " 12",        "12 ",
                                "12a",         "",           "+7",         "4294967295",
                                "4294967296",  "2147483647", "2147483648", "-2147483648",
                                "-2147483649", "0x10",       "  -3  ",     "-",
                                "00042",       "1 2",        "\t9"};
  for (int i = 0; i < (int)(sizeof texts / sizeof texts[0]); ++i) {
    SetDlgItemTextA(g_dlg, kEdit, texts[i]);
    BOOL signedOk = -1, unsignedOk = -1;
    UINT s = GetDlgItemInt(g_dlg, kEdit, &signedOk, TRUE);
    UINT u = GetDlgItemInt(g_dlg, kEdit, &unsignedOk, FALSE);
    char key[64];
    snprintf(key, sizeof key, "dlgint.get.%02d", i);
    Fact(key, "signed %d %d unsigned %u %d", (int)s, signedOk, u, unsignedOk);
  }
  UINT v = GetDlgItemInt(g_dlg, kEdit, NULL, TRUE);
  Fact("dlgint.get.null_flag", "%u", v);
  BOOL ok = -1;
  v = GetDlgItemInt(g_dlg, 999, &ok, TRUE);
  Fact("dlgint.get.missing_item", "%u %d", v, ok);
  static const struct {
    UINT value;
    BOOL sign;
  } sets[] = {{0, FALSE},           {5, TRUE},          {(UINT)-5, TRUE}, {(UINT)-5, FALSE},
              {4294967295u, FALSE}, {2147483648u, TRUE}};
  for (int i = 0; i < (int)(sizeof sets / sizeof sets[0]); ++i) {
    StartLog();
    BOOL r = SetDlgItemInt(g_dlg, kEdit, sets[i].value, sets[i].sign);
    char text[32];
    GetDlgItemTextA(g_dlg, kEdit, text, sizeof text);
    char key[64];
    snprintf(key, sizeof key, "dlgint.set.%d", i);
    Fact(key, "%d \"%s\" %s", r ? 1 : 0, text, TakeLog());
  }
  Fact("dlgint.set.missing_item", "%d", SetDlgItemInt(g_dlg, 999, 1, FALSE) ? 1 : 0);
}

// Only the documented bits: check state, pushed, focus.
static UINT State(int id) { return (UINT)Send(id, BM_GETSTATE) & 0x0f; }

static void Buttons() {
  SetFocus(Item(kEdit));
  StartLog();
  Send(kButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  Fact("button.down", "focus %s capture %s state %04x %s", NameOf(GetFocus()), NameOf(GetCapture()),
       State(kButton), TakeLog());
  StartLog();
  Send(kButton, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  Fact("button.up", "focus %s capture %s state %04x %s", NameOf(GetFocus()), NameOf(GetCapture()),
       State(kButton), TakeLog());
  StartLog();
  Send(kButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  Send(kButton, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 200));
  Fact("button.drag_out", "state %04x", State(kButton));
  Send(kButton, WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
  Fact("button.release_outside", "state %04x capture %s %s", State(kButton), NameOf(GetCapture()),
       TakeLog());
  SetFocus(Item(kEdit));
  StartLog();
  Send(kButton, BM_CLICK);
  Pump();
  Fact("button.bm_click", "focus %s %s", NameOf(GetFocus()), TakeLog());
  StartLog();
  Send(kButton, BM_SETSTATE, TRUE);
  Fact("button.setstate", "%04x %s", State(kButton), TakeLog());
  Send(kButton, BM_SETSTATE, FALSE);
  SetFocus(Item(kButton));
  StartLog();
  Key(kButton, VK_SPACE);
  Fact("button.space", "state %04x %s", State(kButton), TakeLog());
  StartLog();
  Send(kCheck, BM_CLICK);
  Pump();
  Fact("check.click", "check %d state %04x %s", (int)Send(kCheck, BM_GETCHECK), State(kCheck),
       TakeLog());
  StartLog();
  Send(kCheck, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  UINT during = State(kCheck);
  Send(kCheck, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  Fact("check.mouse", "during %04x check %d focus %s %s", during, (int)Send(kCheck, BM_GETCHECK),
       NameOf(GetFocus()), TakeLog());
  StartLog();
  Send(kCheck, BM_SETCHECK, BST_CHECKED);
  Fact("check.setcheck", "check %d %s", (int)Send(kCheck, BM_GETCHECK), TakeLog());
  Fact("check.dlgbutton", "%u", IsDlgButtonChecked(g_dlg, kCheck));
}

static void ListBoxes() {
  static const char *items[] = {"alpha", "beta", "gamma", "delta"};
  for (const char *s : items)
    Send(kList, LB_ADDSTRING, 0, (LPARAM)s);
  static const char *sorted[] = {"b", "a", "C", "aa", "B"};
  char added[64] = "";
  for (const char *s : sorted) {
    char n[8];
    snprintf(n, sizeof n, "%d ", (int)Send(kSorted, LB_ADDSTRING, 0, (LPARAM)s));
    strcat(added, n);
  }
  Fact("list.sorted_add", "%s", added);
  char order[64] = "";
  for (int i = 0; i < 5; ++i) {
    char t[8];
    Send(kSorted, LB_GETTEXT, i, (LPARAM)t);
    strcat(order, t);
    strcat(order, " ");
  }
  Fact("list.sorted_order", "%s", order);
  int h = (int)Send(kList, LB_GETITEMHEIGHT);
  SetFocus(Item(kEdit));
  StartLog();
  Send(kList, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, h * 2 + 1));
  Log("|");
  Fact("list.click_down", "sel %d focus %s capture %s %s", (int)Send(kList, LB_GETCURSEL),
       NameOf(GetFocus()), NameOf(GetCapture()), TakeLog());
  StartLog();
  Send(kList, WM_LBUTTONUP, 0, MAKELPARAM(5, h * 2 + 1));
  Fact("list.click_up", "sel %d capture %s %s", (int)Send(kList, LB_GETCURSEL),
       NameOf(GetCapture()), TakeLog());
  StartLog();
  Send(kList, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, h * 2 + 1));
  Send(kList, WM_LBUTTONUP, 0, MAKELPARAM(5, h * 2 + 1));
  Fact("list.click_same", "%s", TakeLog());
  StartLog();
  Send(kList, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, h * 0 + 1));
  Send(kList, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, h * 1 + 1));
  Log("|");
  Send(kList, WM_LBUTTONUP, 0, MAKELPARAM(5, h * 1 + 1));
  Fact("list.drag", "sel %d %s", (int)Send(kList, LB_GETCURSEL), TakeLog());
  StartLog();
  Send(kList, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, h * 3 + 1));
  Send(kList, WM_LBUTTONUP, 0, MAKELPARAM(5, h * 3 + 1));
  Fact("list.dblclk", "sel %d %s", (int)Send(kList, LB_GETCURSEL), TakeLog());
  static const struct {
    UINT vk;
    const char *name;
  } keys[] = {{VK_HOME, "home"}, {VK_DOWN, "down"}, {VK_DOWN, "down2"}, {VK_UP, "up"},
              {VK_END, "end"},   {VK_END, "end2"},  {VK_NEXT, "next"},  {VK_PRIOR, "prior"}};
  for (const auto &k : keys) {
    StartLog();
    Key(kList, k.vk);
    char key[64];
    snprintf(key, sizeof key, "list.key.%s", k.name);
    Fact(key, "sel %d %s", (int)Send(kList, LB_GETCURSEL), TakeLog());
  }
  StartLog();
  Char(kList, 'g');
  Fact("list.char", "sel %d %s", (int)Send(kList, LB_GETCURSEL), TakeLog());
  StartLog();
  int r = (int)Send(kList, LB_SETCURSEL, 1);
  Fact("list.setcursel", "%d sel %d %s", r, (int)Send(kList, LB_GETCURSEL), TakeLog());
  r = (int)Send(kList, LB_SETCURSEL, 9);
  Fact("list.setcursel_bad", "%d sel %d", r, (int)Send(kList, LB_GETCURSEL));
  Fact("list.find", "%d %d %d %d", (int)Send(kList, LB_FINDSTRING, -1, (LPARAM) "g"),
       (int)Send(kList, LB_FINDSTRING, 2, (LPARAM) "alp"),
       (int)Send(kList, LB_FINDSTRINGEXACT, -1, (LPARAM) "BETA"),
       (int)Send(kList, LB_FINDSTRING, -1, (LPARAM) "zz"));
  Fact("list.textlen", "%d %d", (int)Send(kList, LB_GETTEXTLEN, 2),
       (int)Send(kList, LB_GETTEXTLEN, 9));
  int at = (int)Send(kList, LB_INSERTSTRING, 1, (LPARAM) "ins");
  int atEnd = (int)Send(kList, LB_INSERTSTRING, -1, (LPARAM) "end");
  Fact("list.insert", "%d %d count %d", at, atEnd, (int)Send(kList, LB_GETCOUNT));
  int left = (int)Send(kList, LB_DELETESTRING, 0);
  Fact("list.delete", "%d %d", left, (int)Send(kList, LB_DELETESTRING, 99));
  Fact("list.sel_after_delete", "%d", (int)Send(kList, LB_GETCURSEL));
  StartLog();
  SetFocus(Item(kEdit));
  Fact("list.killfocus", "%s", TakeLog());
}

static void ComboBoxes() {
  static const char *items[] = {"apple", "banana", "cherry", "blueberry"};
  for (const char *s : items) {
    Send(kCombo, CB_ADDSTRING, 0, (LPARAM)s);
    Send(kDropdown, CB_ADDSTRING, 0, (LPARAM)s);
  }
  Fact("combo.initial", "sel %d count %d dropped %d", (int)Send(kCombo, CB_GETCURSEL),
       (int)Send(kCombo, CB_GETCOUNT), (int)Send(kCombo, CB_GETDROPPEDSTATE));
  SetFocus(Item(kEdit));
  StartLog();
  SetFocus(Item(kCombo));
  Fact("combo.setfocus", "focus %s %s", NameOf(GetFocus()), TakeLog());
  struct Step {
    const char *name;
    UINT vk;
    char ch;
  } steps[] = {
      {"combo.key.down", VK_DOWN, 0},
      {"combo.key.down2", VK_DOWN, 0},
      {"combo.key.up", VK_UP, 0},
      {"combo.key.end", VK_END, 0},
      {"combo.key.home", VK_HOME, 0},
      {"combo.key.home_again", VK_HOME, 0},
      {"combo.char.c", 0, 'c'},
      {"combo.char.b", 0, 'b'},
      {"combo.key.f4_open", VK_F4, 0},
      {"combo.open.down", VK_DOWN, 0},
      {"combo.open.down2", VK_DOWN, 0},
      {"combo.open.return", VK_RETURN, 0},
      {"combo.key.f4_again", VK_F4, 0},
      {"combo.open.up", VK_UP, 0},
      {"combo.open.escape", VK_ESCAPE, 0},
      {"combo.key.f4_third", VK_F4, 0},
      {"combo.open.f4_close", VK_F4, 0},
  };
  for (const Step &s : steps) {
    StartLog();
    if (s.vk)
      Key(kCombo, s.vk);
    else
      Char(kCombo, s.ch);
    Pump();
    char text[32] = "";
    GetWindowTextA(Item(kCombo), text, sizeof text);
    Fact(s.name, "sel %d dropped %d text \"%s\" %s", (int)Send(kCombo, CB_GETCURSEL),
         (int)Send(kCombo, CB_GETDROPPEDSTATE), text, TakeLog());
  }
  StartLog();
  Send(kCombo, CB_SHOWDROPDOWN, TRUE);
  Fact("combo.show", "dropped %d %s", (int)Send(kCombo, CB_GETDROPPEDSTATE), TakeLog());
  StartLog();
  Send(kCombo, CB_SHOWDROPDOWN, FALSE);
  Fact("combo.hide", "dropped %d %s", (int)Send(kCombo, CB_GETDROPPEDSTATE), TakeLog());
  Send(kCombo, CB_SHOWDROPDOWN, TRUE);
  StartLog();
  SetFocus(Item(kEdit));
  Pump();
  Fact("combo.killfocus_open", "dropped %d %s", (int)Send(kCombo, CB_GETDROPPEDSTATE), TakeLog());
  SetFocus(Item(kCombo));
  StartLog();
  SetFocus(Item(kEdit));
  Fact("combo.killfocus", "%s", TakeLog());
  StartLog();
  int r = (int)Send(kCombo, CB_SETCURSEL, 2);
  Fact("combo.setcursel", "%d %s", r, TakeLog());
  r = (int)Send(kCombo, CB_SETCURSEL, 9);
  Fact("combo.setcursel_bad", "%d sel %d", r, (int)Send(kCombo, CB_GETCURSEL));
  r = (int)Send(kCombo, CB_SETCURSEL, -1);
  Fact("combo.setcursel_none", "%d sel %d", r, (int)Send(kCombo, CB_GETCURSEL));
  Fact("combo.find", "%d %d %d %d", (int)Send(kCombo, CB_FINDSTRING, -1, (LPARAM) "b"),
       (int)Send(kCombo, CB_FINDSTRING, 1, (LPARAM) "b"),
       (int)Send(kCombo, CB_FINDSTRINGEXACT, -1, (LPARAM) "CHERRY"),
       (int)Send(kCombo, CB_FINDSTRING, -1, (LPARAM) "x"));
  Fact("combo.textlen", "%d %d", (int)Send(kCombo, CB_GETLBTEXTLEN, 1),
       (int)Send(kCombo, CB_GETLBTEXTLEN, 9));
  StartLog();
  r = (int)Send(kCombo, CB_SELECTSTRING, -1, (LPARAM) "bl");
  char text[32] = "";
  GetWindowTextA(Item(kCombo), text, sizeof text);
  Fact("combo.selectstring", "%d text \"%s\" %s", r, text, TakeLog());
  // The drop-down combo with an edit field.
  StartLog();
  r = (int)Send(kDropdown, CB_SELECTSTRING, -1, (LPARAM) "ch");
  GetWindowTextA(Item(kDropdown), text, sizeof text);
  Fact("dropdown.selectstring", "%d text \"%s\" %s", r, text, TakeLog());
  StartLog();
  SetWindowTextA(Item(kDropdown), "typed");
  GetWindowTextA(Item(kDropdown), text, sizeof text);
  Fact("dropdown.settext", "sel %d text \"%s\" %s", (int)Send(kDropdown, CB_GETCURSEL), text,
       TakeLog());
  StartLog();
  Send(kDropdown, CB_SETCURSEL, 0);
  GetWindowTextA(Item(kDropdown), text, sizeof text);
  Fact("dropdown.setcursel", "text \"%s\" %s", text, TakeLog());
  Fact("dropdown.limit", "%d", (int)Send(kDropdown, CB_LIMITTEXT, 5));
  DWORD sel = (DWORD)Send(kDropdown, CB_GETEDITSEL);
  Fact("dropdown.editsel", "%u %u", LOWORD(sel), HIWORD(sel));
}

static void ScrollBars() {
  HWND sb = Item(kScroll);
  char cls[32] = "";
  GetClassNameA(sb, cls, sizeof cls);
  Fact("scrollbar.class", "%s %s", sb ? "window" : "null", cls);
  SetScrollRange(sb, SB_CTL, 0, 100, FALSE);
  int old = SetScrollPos(sb, SB_CTL, 30, TRUE);
  Fact("scrollbar.setpos", "old %d now %d msg %d", old, GetScrollPos(sb, SB_CTL),
       (int)SendMessageA(sb, SBM_GETPOS, 0, 0));
  old = SetScrollPos(sb, SB_CTL, 500, TRUE);
  Fact("scrollbar.setpos_clamped", "old %d now %d", old, GetScrollPos(sb, SB_CTL));
  INT lo = -1, hi = -1;
  SendMessageA(sb, SBM_GETRANGE, (WPARAM)&lo, (LPARAM)&hi);
  Fact("scrollbar.range", "%d %d", lo, hi);
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_PAGE;
  si.nPage = 10;
  int pos = SetScrollInfo(sb, SB_CTL, &si, TRUE);
  Fact("scrollbar.page", "%d now %d", pos, GetScrollPos(sb, SB_CTL));
  si.fMask = SIF_ALL;
  GetScrollInfo(sb, SB_CTL, &si);
  Fact("scrollbar.info", "%d %d page %u pos %d", si.nMin, si.nMax, si.nPage, si.nPos);
  old = (int)SendMessageA(sb, SBM_SETPOS, 40, TRUE);
  Fact("scrollbar.setpos_msg", "%d now %d", old, GetScrollPos(sb, SB_CTL));
  HWND lower = CreateWindowExA(0, "scrollbar", "", WS_CHILD | SBS_VERT, 0, 0, 10, 50, g_dlg, NULL,
                               Instance(), NULL);
  GetClassNameA(lower, cls, sizeof cls);
  Fact("scrollbar.lowercase", "%s %s", lower ? "window" : "null", cls);
  DestroyWindow(lower);
}

static void ClassNames() {
  static const int ids[] = {kEdit, kButton, kList, kCombo, kScroll};
  char names[128] = "";
  for (int id : ids) {
    char cls[32] = "";
    GetClassNameA(Item(id), cls, sizeof cls);
    strcat(names, cls);
    strcat(names, " ");
  }
  Fact("class.names", "%s", names);
  HWND st =
      CreateWindowExA(0, "STATIC", "s", WS_CHILD, 0, 0, 10, 10, g_dlg, NULL, Instance(), NULL);
  char cls[32] = "";
  GetClassNameA(st, cls, sizeof cls);
  Fact("class.static", "%s", cls);
  DestroyWindow(st);
}

int main() {
  g_dlg = Named(MakeDialog(), "dialog");
  Fact("dialog.created", "%d", g_dlg ? 1 : 0);
  Control("EDIT", "", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 5, 5, 120, 20, kEdit, "edit");
  Control("EDIT", "", WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL, 5,
          30, 120, 60, kMulti, "multi");
  Control("BUTTON", "Push", WS_TABSTOP | BS_PUSHBUTTON, 5, 95, 60, 20, kButton, "button");
  Control("LISTBOX", "", WS_TABSTOP | WS_BORDER | LBS_NOTIFY | WS_VSCROLL, 130, 5, 80, 60, kList,
          "list");
  Control("COMBOBOX", "", WS_TABSTOP | CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL, 130, 70, 80,
          100, kCombo, "combo");
  Control("BUTTON", "Check", WS_TABSTOP | BS_AUTOCHECKBOX, 70, 95, 60, 20, kCheck, "check");
  Control("SCROLLBAR", "", SBS_HORZ, 5, 120, 100, 15, kScroll, "scroll");
  Control("LISTBOX", "", LBS_SORT | LBS_NOTIFY, 220, 5, 60, 60, kSorted, "sorted");
  Control("COMBOBOX", "", WS_TABSTOP | CBS_DROPDOWN | CBS_HASSTRINGS, 220, 70, 60, 100, kDropdown,
          "dropdown");
  ClassNames();
  MultiLineTexts();
  EditBasics();
  FocusSelection();
  DialogInts();
  Buttons();
  ListBoxes();
  ComboBoxes();
  ScrollBars();
  DestroyWindow(g_dlg);
  return 0;
}
