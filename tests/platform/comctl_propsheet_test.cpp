// A three-page property sheet from templates of the test program, run
// under scripted input: the order of the pages' notifications, a page
// refusing to be left, Apply enabled by PSM_CHANGED, and the result.
#include "control_fixture.h"

#include "comctl_data/sheet_ids.h"

namespace vqtest {
namespace {

constexpr int kApply = 0x3021; // the sheet's Apply button

struct PageLog {
  std::vector<std::string> lines;
  int refuseKill = -1; // page that refuses the next PSN_KILLACTIVE once
  int changeOn = -1;   // page that reports a change when activated
  HWND sheet = nullptr;
  std::string caption; // of the sheet, read when the first page shows
  std::vector<std::string> tabs;
  std::vector<std::string> applied; // each page's edit text at PSN_APPLY
};

PageLog log;

std::string Name(UINT code) {
  switch (code) {
  case PSN_SETACTIVE:
    return "SETACTIVE";
  case PSN_KILLACTIVE:
    return "KILLACTIVE";
  case PSN_APPLY:
    return "APPLY";
  case PSN_RESET:
    return "RESET";
  case PSN_QUERYCANCEL:
    return "QUERYCANCEL";
  }
  return "?";
}

void ReadSheet(HWND sheet) {
  char caption[32] = {};
  GetWindowTextA(sheet, caption, sizeof caption);
  log.caption = caption;
  HWND tab = PropSheet_GetTabControl(sheet);
  for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
    char buf[32] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    SendMessageA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    log.tabs.push_back(buf);
  }
}

INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && LOWORD(wp) == IDC_FILL) {
    SetDlgItemTextA(page, IDC_NAME, "filled");
    return TRUE;
  }
  if (msg == WM_INITDIALOG) {
    auto *psp = reinterpret_cast<PROPSHEETPAGEA *>(lp);
    SetWindowLongPtrA(page, DWLP_USER, psp->lParam);
    log.lines.push_back("INIT " + std::to_string(psp->lParam));
    return TRUE;
  }
  if (msg != WM_NOTIFY)
    return FALSE;
  auto *n = reinterpret_cast<PSHNOTIFY *>(lp);
  int index = static_cast<int>(GetWindowLongPtrA(page, DWLP_USER));
  std::string line = Name(n->hdr.code) + " " + std::to_string(index);
  if (n->hdr.code == PSN_APPLY) {
    line += n->lParam ? " ok" : " apply";
    char text[32] = {};
    GetWindowTextA(GetWindow(page, GW_CHILD), text, sizeof text);
    log.applied.push_back(text);
  }
  log.lines.push_back(line);
  log.sheet = n->hdr.hwndFrom;
  if (log.caption.empty())
    ReadSheet(log.sheet);
  if (n->hdr.code == PSN_SETACTIVE && index == log.changeOn)
    PropSheet_Changed(n->hdr.hwndFrom, page);
  if (n->hdr.code == PSN_KILLACTIVE && index == log.refuseKill) {
    log.refuseKill = -1;
    SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_INVALID);
    return TRUE;
  }
  return FALSE;
}

class PropSheetTest : public ComctlTest {
protected:
  void SetUp() override {
    ComctlTest::SetUp();
    log = PageLog{};
    const int templates[] = {IDD_PAGE_NAME, IDD_PAGE_SIZE, IDD_PAGE_MORE};
    for (int i = 0; i < 3; ++i) {
      PROPSHEETPAGEA &p = pages[i];
      p = PROPSHEETPAGEA{};
      p.dwSize = sizeof p;
      p.dwFlags = i == 1 ? PSP_USETITLE | PSP_PREMATURE : 0;
      p.pszTemplate = MAKEINTRESOURCEA(templates[i]);
      p.pszTitle = MAKEINTRESOURCEA(IDS_SIZE);
      p.pfnDlgProc = PageProc;
      p.lParam = i;
    }
    header = PROPSHEETHEADERA{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.hwndParent = parent;
    header.pszCaption = MAKEINTRESOURCEA(IDS_SHEET);
    header.nPages = 3;
    header.ppsp = pages;
  }
  PROPSHEETPAGEA pages[3];
  PROPSHEETHEADERA header;
};

TEST_F(PropSheetTest, PagesSwitchRefuseApplyAndReturnInOrder) {
  log.refuseKill = 1;
  log.changeOn = 2;
  header.nStartPage = 0;
  vqwinQueueKey(VK_TAB, VQWIN_CONTROL); // to page 1
  vqwinQueueKey(VK_TAB, VQWIN_CONTROL); // page 1 refuses once
  vqwinQueueKey(VK_TAB, VQWIN_CONTROL); // to page 2, which reports a change
  vqwinQueueClick(kApply);
  vqwinQueueClick(IDCANCEL);
  EXPECT_EQ(PropertySheetA(&header), 1) << "applied before the cancel";
  EXPECT_EQ(log.caption, "Table");
  EXPECT_EQ(log.tabs, (std::vector<std::string>{"Name", "Size", "More"}));
  const std::vector<std::string> want = {
      "INIT 1", // premature: made with the sheet
      "INIT 0",        "SETACTIVE 0",   "KILLACTIVE 0",  "SETACTIVE 1",
      "KILLACTIVE 1",  "KILLACTIVE 1",  "INIT 2",        "SETACTIVE 2",
      "KILLACTIVE 2",  "APPLY 0 apply", "APPLY 1 apply", "APPLY 2 apply",
      "QUERYCANCEL 2", "RESET 0",       "RESET 1",       "RESET 2"};
  ASSERT_EQ(log.lines.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i)
    EXPECT_EQ(log.lines[i], want[i]) << "line " << i;
  EXPECT_EQ(vqwinPendingModalSteps(), 0);
}

// Tab and Alt with a letter reach the controls of the page shown, not only
// the sheet's own buttons: each row's keys press the page's "&Fill".
TEST_F(PropSheetTest, KeysReachTheControlsOfThePageShown) {
  const struct {
    const char *name;
    UINT key, modifiers;
  } rows[] = {
      {"Alt+F", 'F', VQWIN_ALT},
      {"Tab from the name, then Space", VK_TAB, 0},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    log = PageLog{};
    vqwinQueueKey(row.key, row.modifiers);
    if (row.key == VK_TAB)
      vqwinQueueKey(VK_SPACE, 0);
    vqwinQueueClick(IDOK);
    EXPECT_EQ(PropertySheetA(&header), 1);
    EXPECT_EQ(log.applied, (std::vector<std::string>{"filled", ""})) << "the premature page too";
  }
}

TEST_F(PropSheetTest, ScriptStepsReachControlsOnThePages) {
  vqwinQueueType(IDC_NAME, "Kunden");
  vqwinQueueKey(VK_TAB, VQWIN_CONTROL);
  vqwinQueueClick(IDC_SIZE);
  vqwinQueueType(0, "42");
  vqwinQueueClick(IDOK);
  EXPECT_EQ(PropertySheetA(&header), 1);
  EXPECT_EQ(log.applied, (std::vector<std::string>{"Kunden", "42"}));
  EXPECT_EQ(vqwinPendingModalSteps(), 0);
}

BOOL CALLBACK ApplyState(const VQWIN_MODAL_INFO *info, VQWIN_MODAL_STEP *step, void *context) {
  auto *states = static_cast<std::vector<BOOL> *>(context);
  states->push_back(IsWindowEnabled(GetDlgItem(info->hwnd, kApply)));
  switch (states->size()) {
  case 1:
    PropSheet_Changed(info->hwnd, PropSheet_GetCurrentPageHwnd(info->hwnd));
    return FALSE;
  case 2:
    PropSheet_UnChanged(info->hwnd, PropSheet_GetCurrentPageHwnd(info->hwnd));
    return FALSE;
  }
  step->action = VQWIN_STEP_CLICK;
  step->id = IDOK;
  return TRUE;
}

BOOL CALLBACK KeepGoing(const VQWIN_MODAL_INFO *info, VQWIN_MODAL_STEP *step, void *context) {
  auto *states = static_cast<std::vector<BOOL> *>(context);
  BOOL r = ApplyState(info, step, context);
  if (!r && states->size() < 3) {
    step->action = VQWIN_STEP_KEY; // a harmless key keeps the loop asking
    step->key = VK_SHIFT;
    return TRUE;
  }
  return r;
}

TEST_F(PropSheetTest, ChangedEnablesApplyAndOkAppliesEveryMadePage) {
  header.nStartPage = 2;
  std::vector<BOOL> states;
  vqwinSetModalHook(KeepGoing, &states);
  EXPECT_EQ(PropertySheetA(&header), 1);
  ASSERT_EQ(states.size(), 3u);
  EXPECT_EQ(states[0], FALSE);
  EXPECT_EQ(states[1], TRUE) << "PSM_CHANGED enables Apply";
  EXPECT_EQ(states[2], FALSE) << "PSM_UNCHANGED of the only changed page disables it";
  const std::vector<std::string> want = {"INIT 1",       "INIT 2",     "SETACTIVE 2",
                                         "KILLACTIVE 2", "APPLY 1 ok", "APPLY 2 ok"};
  EXPECT_EQ(log.lines, want);
}

// The sheet's own texts follow the thread's UI language.
BOOL CALLBACK ReadButtons(const VQWIN_MODAL_INFO *info, VQWIN_MODAL_STEP *step, void *context) {
  auto *texts = static_cast<std::vector<std::string> *>(context);
  for (int id : {IDOK, IDCANCEL, kApply}) {
    char text[32] = {};
    GetWindowTextA(GetDlgItem(info->hwnd, id), text, sizeof text);
    texts->push_back(text);
  }
  char caption[64] = {};
  GetWindowTextA(info->hwnd, caption, sizeof caption);
  texts->push_back(caption);
  step->action = VQWIN_STEP_CLICK;
  step->id = IDCANCEL;
  return TRUE;
}

TEST_F(PropSheetTest, ButtonTextsFollowTheUiLanguage) {
  const struct {
    LANGID language;
    std::vector<std::string> texts;
  } rows[] = {
      {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN),
       {"OK", "Abbrechen",
        "&\xDC"
        "bernehmen",
        "Eigenschaften von Table"}},
      {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
       {"OK", "Cancel", "&Apply", "Properties for Table"}},
  };
  header.dwFlags |= PSH_PROPTITLE;
  for (const auto &row : rows) {
    SetThreadUILanguage(row.language);
    std::vector<std::string> texts;
    vqwinSetModalHook(ReadButtons, &texts);
    EXPECT_EQ(PropertySheetA(&header), 0);
    EXPECT_EQ(texts, row.texts);
  }
  SetThreadUILanguage(0);
}

TEST_F(PropSheetTest, CancelWithoutApplyReturnsZeroAndBadHeadersFail) {
  vqwinQueueClick(IDCANCEL);
  EXPECT_EQ(PropertySheetA(&header), 0);
  struct Row {
    const char *name;
    void (*spoil)(PROPSHEETHEADERA &, PROPSHEETPAGEA *);
    DWORD error;
  } rows[] = {
      {"start page past the last", [](PROPSHEETHEADERA &h, PROPSHEETPAGEA *) { h.nStartPage = 3; },
       ERROR_INVALID_PARAMETER},
      {"no pages", [](PROPSHEETHEADERA &h, PROPSHEETPAGEA *) { h.nPages = 0; },
       ERROR_INVALID_PARAMETER},
      {"page handles", [](PROPSHEETHEADERA &h, PROPSHEETPAGEA *) { h.dwFlags = 0; },
       ERROR_INVALID_PARAMETER},
      {"short header", [](PROPSHEETHEADERA &h, PROPSHEETPAGEA *) { h.dwSize = 8; },
       ERROR_INVALID_PARAMETER},
      {"missing template",
       [](PROPSHEETHEADERA &, PROPSHEETPAGEA *p) { p[2].pszTemplate = MAKEINTRESOURCEA(999); },
       ERROR_RESOURCE_NAME_NOT_FOUND},
  };
  for (const Row &row : rows) {
    PROPSHEETHEADERA h = header;
    PROPSHEETPAGEA p[3] = {pages[0], pages[1], pages[2]};
    h.ppsp = p;
    row.spoil(h, p);
    SetLastError(0);
    EXPECT_EQ(PropertySheetA(&h), -1) << row.name;
    EXPECT_EQ(GetLastError(), row.error) << row.name;
  }
  EXPECT_EQ(PropertySheetA(nullptr), -1);
}

} // namespace
} // namespace vqtest
