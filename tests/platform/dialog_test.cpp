// The dialog manager: templates run modally under a script, WM_INITDIALOG
// and the first focus, Tab order, Return and Escape, the default button,
// the close command, DWLP_MSGRESULT, dialog units, and the by-id helpers.
#include "control_fixture.h"
#include "dialog_data/dialog_ids.h"

#include <functional>

namespace vqtest {
namespace {

struct FormState {
  std::vector<IdCode> commands;
  LPARAM initParam = 0;
  HWND initFocusParam = nullptr;
  bool focusApply = false; // WM_INITDIALOG places the focus itself
  bool ignoreCancel = false;
  bool askOnApply = false;
  int answer = 0;
};

FormState *form = nullptr;

INT_PTR CALLBACK FormProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_INITDIALOG:
    form->initParam = lp;
    form->initFocusParam = reinterpret_cast<HWND>(wp);
    if (form->focusApply) {
      SetFocus(GetDlgItem(dlg, IDC_APPLY));
      return FALSE;
    }
    return TRUE;
  case WM_COMMAND:
    form->commands.push_back({LOWORD(wp), HIWORD(wp)});
    if (LOWORD(wp) == IDC_APPLY && form->askOnApply)
      form->answer = MessageBoxA(dlg, "Apply?", "Form", MB_YESNO | MB_ICONQUESTION);
    if (LOWORD(wp) == IDOK)
      EndDialog(dlg, IsDlgButtonChecked(dlg, IDC_ACTIVE) ? 100 : 101);
    else if (LOWORD(wp) == IDCANCEL && !form->ignoreCancel)
      EndDialog(dlg, IDCANCEL);
    return TRUE;
  case WM_USER + 5:
    SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 4242);
    return TRUE;
  }
  return FALSE;
}

class DialogManagerTest : public DialogTest {
protected:
  void SetUp() override {
    DialogTest::SetUp();
    form = &state;
  }
  void TearDown() override {
    form = nullptr;
    DialogTest::TearDown();
  }
  HWND Modeless() {
    HWND dlg = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_FORM), parent, FormProc, 77);
    EXPECT_TRUE(dlg);
    ShowWindow(dlg, SW_SHOW);
    vqwinRunUntilIdle();
    return dlg;
  }
  int FocusId() { return GetDlgCtrlID(GetFocus()); }
  FormState state;
};

// Each row queues its script, runs the form modally and names the result
// and, where it matters, the commands the procedure saw.
TEST_F(DialogManagerTest, ModalTemplatesRunUnderAScript) {
  using C = std::vector<IdCode>;
  struct Row {
    const char *name;
    std::function<void()> script;
    bool ignoreCancel;
    INT_PTR result;
    C commands; // empty: not looked at
  } rows[] = {
      {"a click focuses Apply without making it the default: Return is OK's",
       [] {
         vqwinQueueClick(IDC_ACTIVE);
         vqwinQueueClick(IDC_MANUAL);
         vqwinQueueClick(IDC_APPLY);
         vqwinQueueKey(VK_RETURN, 0);
       },
       false, 100,
       C{{IDC_ACTIVE, BN_CLICKED},
         {IDC_MANUAL, BN_CLICKED},
         {IDC_APPLY, BN_CLICKED},
         {IDOK, BN_CLICKED}}},
      {"OK with the box checked",
       [] {
         vqwinQueueClick(IDC_ACTIVE);
         vqwinQueueClick(IDOK);
       },
       false, 100, C{}},
      {"Return on the check box is the default button's",
       [] {
         vqwinQueueType(0, "");
         vqwinQueueKey(VK_RETURN, 0);
       },
       false, 101, C{}},
      {"an ended dialog", [] { vqwinQueueEndDialog(33); }, false, 33, C{}},
      {"without a script the default cancels", [] {}, false, IDCANCEL, C{{IDCANCEL, BN_CLICKED}}},
      {"even when the procedure ignores it", [] {}, true, IDCANCEL, C{{IDCANCEL, BN_CLICKED}}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    state = FormState{};
    state.ignoreCancel = row.ignoreCancel;
    row.script();
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_FORM), parent, FormProc, 5),
              row.result);
    EXPECT_EQ(state.initParam, 5);
    if (!row.commands.empty()) {
      EXPECT_EQ(state.commands, row.commands);
    }
    EXPECT_TRUE(IsWindowEnabled(parent));
  }
}

TEST_F(DialogManagerTest, BoxInsideADialogTakesTheNextStepAndDisablesTheDialog) {
  state.askOnApply = true;
  vqwinQueueClick(IDC_APPLY);
  vqwinQueueMessageBoxAnswer(IDNO);
  vqwinQueueClick(IDC_ACTIVE);
  vqwinQueueKey(VK_RETURN, 0);
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_FORM), parent, FormProc, 0), 100);
  EXPECT_EQ(state.answer, IDNO);
  auto records = vqwin::MessageBoxRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].text, "Apply?");
  EXPECT_NE(records[0].owner, parent); // the dialog owned it
  EXPECT_EQ(vqwinPendingModalSteps(), 0);
  EXPECT_TRUE(IsWindowEnabled(parent));
}

BOOL CALLBACK OwnerCheck(const VQWIN_MODAL_INFO *info, VQWIN_MODAL_STEP *step, void *context) {
  *static_cast<BOOL *>(context) = IsWindowEnabled(info->owner);
  step->action = VQWIN_STEP_END;
  step->id = 9;
  return TRUE;
}

TEST_F(DialogManagerTest, OwnerIsDisabledDuringTheModalLoop) {
  HWND child = Make("STATIC", 0, 0, 0, 10, 10, "", 5);
  BOOL enabled = TRUE;
  vqwinSetModalHook(OwnerCheck, &enabled);
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_FORM), child, FormProc, 0), 9);
  EXPECT_FALSE(enabled);
  EXPECT_TRUE(IsWindowEnabled(parent));
}

TEST_F(DialogManagerTest, MissingTemplatesAndClassesFail) {
  SetLastError(0);
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), parent, FormProc, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_BROKEN), parent, FormProc, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  EXPECT_EQ(CreateDialogIndirectParamA(nullptr, nullptr, parent, FormProc, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(IsWindowEnabled(parent));
}

TEST_F(DialogManagerTest, InitDialogPlacesTheFocus) {
  HWND dlg = Modeless();
  EXPECT_EQ(state.initParam, 77);
  EXPECT_EQ(state.initFocusParam, GetDlgItem(dlg, IDC_ACTIVE));
  EXPECT_EQ(FocusId(), IDC_ACTIVE);
  DestroyWindow(dlg);
  state.focusApply = true;
  dlg = Modeless();
  EXPECT_EQ(FocusId(), IDC_APPLY);
}

TEST_F(DialogManagerTest, TabWalksTheTabStopsSkippingDisabledOnes) {
  HWND dlg = Modeless();
  EnableWindow(GetDlgItem(dlg, IDC_MANUAL), FALSE);
  std::vector<int> forward, backward;
  for (int i = 0; i < 5; ++i) {
    DialogKey(dlg, VK_TAB);
    forward.push_back(FocusId());
  }
  for (int i = 0; i < 5; ++i) {
    DialogKey(dlg, VK_TAB, VQWIN_SHIFT);
    backward.push_back(FocusId());
  }
  EXPECT_EQ(forward, (std::vector<int>{IDC_APPLY, IDOK, IDCANCEL, IDC_ACTIVE, IDC_APPLY}));
  EXPECT_EQ(backward, (std::vector<int>{IDC_ACTIVE, IDCANCEL, IDOK, IDC_APPLY, IDC_ACTIVE}));
  EXPECT_EQ(GetNextDlgTabItem(dlg, nullptr, FALSE), GetDlgItem(dlg, IDC_ACTIVE));
  EXPECT_EQ(GetNextDlgTabItem(dlg, nullptr, TRUE), GetDlgItem(dlg, IDCANCEL));
}

TEST_F(DialogManagerTest, ReturnAndEscapeBecomeCommands) {
  HWND dlg = Modeless();
  state.ignoreCancel = true;
  DialogKey(dlg, VK_ESCAPE);
  DialogKey(dlg, VK_TAB);
  DialogKey(dlg, VK_TAB); // past Manual to Apply, which takes the default look
  EXPECT_EQ(GetWindowLongA(GetDlgItem(dlg, IDC_APPLY), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongA(GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
  DialogKey(dlg, VK_RETURN);
  DialogKey(dlg, VK_TAB, VQWIN_SHIFT);
  DialogKey(dlg, VK_TAB, VQWIN_SHIFT); // back to the check box: OK is default again
  EXPECT_EQ(GetWindowLongA(GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  DialogKey(dlg, VK_SPACE);
  const std::vector<IdCode> expected = {
      {IDCANCEL, BN_CLICKED}, {IDC_APPLY, BN_CLICKED}, {IDC_ACTIVE, BN_CLICKED}};
  EXPECT_EQ(state.commands, expected);
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_ACTIVE), static_cast<UINT>(BST_CHECKED));
}

TEST_F(DialogManagerTest, DefaultButtonIdFollowsTemplateAndSetDefId) {
  HWND dlg = Modeless();
  EXPECT_EQ(SendMessageA(dlg, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
  SendMessageA(dlg, DM_SETDEFID, IDC_APPLY, 0);
  EXPECT_EQ(SendMessageA(dlg, DM_GETDEFID, 0, 0), MAKELRESULT(IDC_APPLY, DC_HASDEFID));
  EXPECT_EQ(GetWindowLongA(GetDlgItem(dlg, IDC_APPLY), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongA(GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
  DialogKey(dlg, VK_RETURN);
  EXPECT_EQ(state.commands, (std::vector<IdCode>{{IDC_APPLY, BN_CLICKED}}));
}

TEST_F(DialogManagerTest, CloseCommandCancelsAndMsgResultIsReturned) {
  HWND dlg = Modeless();
  state.ignoreCancel = true;
  SendMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
  PumpDialog(dlg);
  EXPECT_EQ(state.commands, (std::vector<IdCode>{{IDCANCEL, BN_CLICKED}}));
  EXPECT_TRUE(IsWindow(dlg));
  EXPECT_EQ(SendMessageA(dlg, WM_USER + 5, 0, 0), 4242);
  EXPECT_TRUE(EndDialog(dlg, 3));
  EXPECT_FALSE(IsWindowVisible(dlg));
  EXPECT_FALSE(EndDialog(parent, 3));
}

TEST_F(DialogManagerTest, ControlsArePlacedInDialogUnitsOfTheFont) {
  HWND dlg = Modeless();
  RECT expected{7, 30, 7 + 80, 30 + 10};
  ASSERT_TRUE(MapDialogRect(dlg, &expected));
  RECT actual;
  HWND active = GetDlgItem(dlg, IDC_ACTIVE);
  GetWindowRect(active, &actual);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT *>(&actual), 2);
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.right, expected.right);
  EXPECT_EQ(actual.bottom, expected.bottom);
  RECT client;
  GetClientRect(dlg, &client);
  RECT whole{0, 0, 200, 120};
  MapDialogRect(dlg, &whole);
  EXPECT_EQ(client.right, whole.right);
  EXPECT_EQ(client.bottom, whole.bottom);
  EXPECT_EQ(SendMessageA(active, WM_GETFONT, 0, 0), SendMessageA(dlg, WM_GETFONT, 0, 0));
  LONG units = GetDialogBaseUnits();
  EXPECT_GT(LOWORD(units), 3);
  EXPECT_GT(HIWORD(units), 8);
}

TEST_F(DialogManagerTest, ItemHelpersRoundTrip) {
  HWND dlg = Modeless();
  char buf[32] = "x";
  SetDlgItemTextA(dlg, IDC_NUMBER, "123456");
  EXPECT_EQ(GetDlgItemTextA(dlg, IDC_NUMBER, buf, 5), 4u);
  EXPECT_STREQ(buf, "1234");
  EXPECT_EQ(GetDlgItemTextA(dlg, 4711, buf, sizeof buf), 0u);
  EXPECT_STREQ(buf, "");
  EXPECT_TRUE(CheckDlgButton(dlg, IDC_MANUAL, BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_MANUAL), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_MANUAL, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(CheckDlgButton(dlg, 4711, BST_CHECKED));
  CheckRadioButton(dlg, IDC_ACTIVE, IDC_MANUAL, IDC_ACTIVE);
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_ACTIVE), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_MANUAL), static_cast<UINT>(BST_UNCHECKED));
}

// A control that takes every character, as an edit control would.
LRESULT CALLBACK SinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_GETDLGCODE)
    return DLGC_WANTCHARS;
  if (msg == WM_CHAR) {
    char text[64] = {};
    GetWindowTextA(hwnd, text, sizeof text - 1);
    size_t n = strlen(text);
    text[n] = static_cast<char>(wp);
    SetWindowTextA(hwnd, text);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

struct GroupResult {
  UINT checks[3] = {};
  std::string sink;
};

INT_PTR CALLBACK GroupProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(dlg, DWLP_USER, lp);
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
    auto *r = reinterpret_cast<GroupResult *>(GetWindowLongPtrA(dlg, DWLP_USER));
    for (int i = 0; i < 3; ++i)
      r->checks[i] = IsDlgButtonChecked(dlg, IDC_ONE + i);
    r->sink = Text(GetDlgItem(dlg, IDC_SINK));
    EndDialog(dlg, IDOK);
    return TRUE;
  }
  return FALSE;
}

TEST_F(DialogManagerTest, ArrowsMoveThroughARadioGroupAndTextIsTyped) {
  static bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = SinkProc;
    wc.lpszClassName = "DialogTestSink";
    return RegisterClassA(&wc) != 0;
  }();
  ASSERT_TRUE(registered);
  // The template is passed by address, as the indirect calls take it.
  HRSRC res = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_GROUP), RT_DIALOG);
  ASSERT_TRUE(res);
  auto tmpl = static_cast<LPCDLGTEMPLATEA>(LockResource(LoadResource(nullptr, res)));
  struct Case {
    const char *name;
    std::vector<UINT> keys;
    UINT checks[3];
  };
  const Case cases[] = {
      {"down once", {VK_DOWN}, {0, 1, 0}},
      {"down twice", {VK_DOWN, VK_DOWN}, {0, 0, 1}},
      {"down wraps in the group", {VK_DOWN, VK_DOWN, VK_DOWN}, {1, 0, 0}},
      {"up wraps backwards", {VK_UP}, {0, 0, 1}},
      {"tab leaves the group", {VK_TAB, VK_DOWN}, {0, 0, 0}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    for (UINT k : c.keys)
      vqwinQueueKey(k, 0);
    vqwinQueueType(IDC_SINK, "Ab1");
    vqwinQueueKey(VK_RETURN, 0);
    GroupResult result;
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, tmpl, parent, GroupProc,
                                      reinterpret_cast<LPARAM>(&result)),
              IDOK);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(result.checks[i], c.checks[i]) << "radio " << i;
    EXPECT_EQ(result.sink, "Ab1");
  }
}

struct PickResult {
  std::string text;
  UINT number = 0;
  BOOL translated = FALSE;
  int selChanges = 0;
};

INT_PTR CALLBACK PickProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto *r = reinterpret_cast<PickResult *>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
  case WM_INITDIALOG:
    SetWindowLongPtrA(dlg, DWLP_USER, lp);
    for (const char *item : {"alpha", "beta", "gamma"})
      SendDlgItemMessageA(dlg, IDC_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    return TRUE;
  case WM_COMMAND:
    if (LOWORD(wp) == IDC_LIST && HIWORD(wp) == LBN_SELCHANGE)
      ++r->selChanges;
    if (LOWORD(wp) == IDOK) {
      char text[32];
      GetDlgItemTextA(dlg, IDC_EDIT, text, sizeof text);
      r->text = text;
      r->number = GetDlgItemInt(dlg, IDC_EDIT, &r->translated, FALSE);
      EndDialog(dlg, 10 + SendDlgItemMessageA(dlg, IDC_LIST, LB_GETCURSEL, 0, 0));
    }
    return TRUE;
  }
  return FALSE;
}

TEST_F(DialogManagerTest, ScriptTypesIntoAnEditAndPicksAListItem) {
  vqwinQueueType(IDC_EDIT, "123");
  vqwinQueuePick(IDC_LIST, 2);
  vqwinQueueKey(VK_RETURN, 0);
  PickResult r;
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_PICK), parent, PickProc,
                            reinterpret_cast<LPARAM>(&r)),
            12);
  EXPECT_EQ(r.text, "123");
  EXPECT_EQ(r.number, 123u);
  EXPECT_TRUE(r.translated);
  EXPECT_EQ(r.selChanges, 1);
}

} // namespace
} // namespace vqtest
