// Message boxes: answers from the script, the defaults, the dialog keys,
// the owner's state during the loop, what the box shows, and the record.
#include "control_fixture.h"

namespace vqtest {
namespace {

using MessageBoxTest = DialogTest;

struct Row {
  const char *name;
  UINT type;
  int scripted; // 0: none, the default decides
  int expected;
  int defaultId;
};

TEST_F(MessageBoxTest, ButtonSetsAnswerAsScriptedOrByDefault) {
  const Row rows[] = {
      {"ok default", MB_OK, 0, IDOK, IDOK},
      {"okcancel defbutton2", MB_OKCANCEL | MB_DEFBUTTON2, 0, IDCANCEL, IDCANCEL},
      {"okcancel answered ok", MB_OKCANCEL | MB_DEFBUTTON2, IDOK, IDOK, IDCANCEL},
      {"yesno answered no", MB_YESNO, IDNO, IDNO, IDYES},
      {"yesnocancel defbutton3", MB_YESNOCANCEL | MB_DEFBUTTON3, 0, IDCANCEL, IDCANCEL},
      {"retrycancel answered retry", MB_RETRYCANCEL, IDRETRY, IDRETRY, IDRETRY},
      {"abortretryignore defbutton2", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, 0, IDRETRY, IDRETRY},
      {"abortretryignore answered ignore", MB_ABORTRETRYIGNORE, IDIGNORE, IDIGNORE, IDABORT},
      {"defbutton3 beyond two buttons", MB_YESNO | MB_DEFBUTTON3, 0, IDYES, IDYES},
      {"answer not offered is dropped", MB_OK, IDYES, IDOK, IDOK},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    vqwinClearMessageBoxRecords();
    if (row.scripted)
      vqwinQueueMessageBoxAnswer(row.scripted);
    EXPECT_EQ(MessageBoxA(parent, "Text", "Caption", row.type), row.expected);
    EXPECT_EQ(vqwinPendingModalSteps(), 0);
    auto records = vqwin::MessageBoxRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].answer, row.expected);
    EXPECT_EQ(records[0].defaultId, row.defaultId);
    EXPECT_EQ(records[0].buttons, row.type & MB_TYPEMASK);
  }
}

TEST_F(MessageBoxTest, KeysAnswerAsWin32Allows) {
  struct KeyRow {
    const char *name;
    UINT type;
    std::vector<UINT> keys;
    int expected;
  };
  const KeyRow rows[] = {
      {"escape on ok", MB_OK, {VK_ESCAPE}, IDOK},
      {"escape on okcancel", MB_OKCANCEL, {VK_ESCAPE}, IDCANCEL},
      {"escape on yesnocancel", MB_YESNOCANCEL, {VK_ESCAPE}, IDCANCEL},
      // Escape does nothing without Cancel; Return then takes the default.
      {"escape ignored on yesno", MB_YESNO | MB_DEFBUTTON2, {VK_ESCAPE, VK_RETURN}, IDNO},
      {"return takes the default", MB_RETRYCANCEL | MB_DEFBUTTON2, {VK_RETURN}, IDCANCEL},
      {"tab then return", MB_YESNOCANCEL, {VK_TAB, VK_RETURN}, IDNO},
      {"tab wraps around", MB_YESNOCANCEL, {VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_RETURN}, IDNO},
  };
  for (const KeyRow &row : rows) {
    SCOPED_TRACE(row.name);
    for (UINT k : row.keys)
      vqwinQueueKey(k, 0);
    EXPECT_EQ(MessageBoxA(parent, "Text", "Caption", row.type), row.expected);
    EXPECT_EQ(vqwinPendingModalSteps(), 0);
  }
}

struct Seen {
  BOOL ownerEnabled = TRUE;
  HWND owner = nullptr;
  std::string caption, text, yes, no, textControl;
  COLORREF icon = 0;
  int calls = 0;
};

BOOL CALLBACK Inspect(const VQWIN_MODAL_INFO *info, VQWIN_MODAL_STEP *step, void *context) {
  auto *seen = static_cast<Seen *>(context);
  ++seen->calls;
  seen->ownerEnabled = IsWindowEnabled(info->owner);
  seen->owner = info->owner;
  seen->caption = Text(info->hwnd);
  seen->text = info->text;
  seen->yes = Text(GetDlgItem(info->hwnd, IDYES));
  seen->no = Text(GetDlgItem(info->hwnd, IDNO));
  // Low on the left: inside the disc and the triangle, clear of the signs.
  seen->icon = vqwinGetPixel(info->hwnd, 11 + 6, 11 + 26);
  step->action = VQWIN_STEP_ANSWER;
  step->id = IDNO;
  return TRUE;
}

TEST_F(MessageBoxTest, OwnerIsDisabledWhileTheBoxRunsAndLabelsFollowTheUiLanguage) {
  struct Row {
    LANGID language;
    HWND owner;
    const char *yes, *no;
  } rows[] = {{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), parent, "&Yes", "&No"},
              {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), nullptr, "&Ja", "&Nein"}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.yes);
    SetThreadUILanguage(row.language);
    Seen seen;
    vqwinSetModalHook(Inspect, &seen);
    EXPECT_EQ(MessageBoxA(row.owner, "Delete the table?", "Tables", MB_YESNO | MB_ICONQUESTION),
              IDNO);
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.owner, row.owner);
    if (row.owner) {
      EXPECT_FALSE(seen.ownerEnabled);
      EXPECT_TRUE(IsWindowEnabled(parent));
    }
    EXPECT_EQ(seen.caption, "Tables");
    EXPECT_EQ(seen.text, "Delete the table?");
    EXPECT_EQ(seen.yes, row.yes);
    EXPECT_EQ(seen.no, row.no);
  }
}

TEST_F(MessageBoxTest, IconsArePaintedInTheirColours) {
  const std::pair<UINT, COLORREF> rows[] = {
      {MB_ICONSTOP, RGB(255, 0, 0)},
      {MB_ICONWARNING, RGB(255, 255, 0)},
      {MB_ICONINFORMATION, RGB(0, 0, 255)},
      {MB_ICONQUESTION, RGB(255, 255, 255)},
  };
  for (auto [icon, colour] : rows) {
    SCOPED_TRACE(icon);
    Seen seen;
    vqwinSetModalHook(Inspect, &seen);
    MessageBoxA(parent, "Text", "Caption", MB_YESNO | icon);
    EXPECT_EQ(seen.icon, colour);
  }
  Seen plain;
  vqwinSetModalHook(Inspect, &plain);
  MessageBoxA(parent, "Text", "Caption", MB_YESNO);
  EXPECT_EQ(plain.icon, GetSysColor(COLOR_3DFACE));
}

TEST_F(MessageBoxTest, RecordKeepsEveryBoxUntilCleared) {
  MessageBoxA(parent, "first", nullptr, MB_OK | MB_ICONSTOP);
  vqwinQueueMessageBoxAnswer(IDNO);
  MessageBoxA(nullptr, nullptr, "second", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  ASSERT_EQ(vqwinGetMessageBoxCount(), 2);
  VQWIN_MSGBOX_RECORD r;
  ASSERT_TRUE(vqwinGetMessageBoxRecord(0, &r));
  EXPECT_STREQ(r.caption, "Error");
  EXPECT_STREQ(r.text, "first");
  EXPECT_EQ(r.owner, parent);
  EXPECT_EQ(r.icon, static_cast<UINT>(MB_ICONSTOP));
  ASSERT_TRUE(vqwinGetMessageBoxRecord(1, &r));
  EXPECT_STREQ(r.caption, "second");
  EXPECT_STREQ(r.text, "");
  EXPECT_EQ(r.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  EXPECT_EQ(r.defaultId, IDNO);
  EXPECT_EQ(r.answer, IDNO);
  EXPECT_FALSE(vqwinGetMessageBoxRecord(2, &r));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  vqwinClearMessageBoxRecords();
  EXPECT_EQ(vqwinGetMessageBoxCount(), 0);
}

TEST_F(MessageBoxTest, BadArgumentsFailWithoutABox) {
  SetLastError(0);
  EXPECT_EQ(MessageBoxA(parent, "x", "y", 0x7), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  HWND stale = CreateWindowExA(0, "VqControlParent", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
  DestroyWindow(stale);
  EXPECT_EQ(MessageBoxA(stale, "x", "y", MB_OK), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(vqwinGetMessageBoxCount(), 0);
}

TEST_F(MessageBoxTest, PendingQuitEndsTheBoxAndStaysQueued) {
  PostQuitMessage(3);
  EXPECT_EQ(MessageBoxA(parent, "x", "y", MB_OK), 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
}

BOOL CALLBACK Stubborn(const VQWIN_MODAL_INFO *, VQWIN_MODAL_STEP *step, void *context) {
  ++*static_cast<int *>(context);
  step->action = VQWIN_STEP_KEY; // a key that never ends the box
  step->key = VK_F5;
  return TRUE;
}

TEST_F(MessageBoxTest, HookThatNeverAnswersIsCutOffAtTheLimit) {
  int calls = 0;
  vqwinSetModalHook(Stubborn, &calls);
  EXPECT_EQ(MessageBoxA(parent, "x", "y", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(calls, VQWIN_MODAL_STEP_LIMIT);
}

} // namespace
} // namespace vqtest
