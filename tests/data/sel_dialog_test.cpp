// The selection dialog under an automation script: what it shows at the
// start, check, OK with and without a change, an invalid text, cancel and
// the system close command, in both resource modules.
#include "../common/captured_test.h"

#include <commctrl.h>
#include <vq_tbl32.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// What the dialog showed when the script took a step.
struct Snapshot {
  std::string caption, text, header;
  std::vector<std::string> rows; // "column op value"
};

std::string ItemText(HWND list, int item, int sub) {
  char text[128] = {};
  LVITEMA it{};
  it.iSubItem = sub;
  it.pszText = text;
  it.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(item), reinterpret_cast<LPARAM>(&it));
  return text;
}

Snapshot Take(HWND dlg) {
  Snapshot s;
  char text[512];
  GetWindowTextA(dlg, text, sizeof text);
  s.caption = text;
  GetDlgItemTextA(dlg, 5002, text, sizeof text);
  s.text = text;
  HWND list = GetDlgItem(dlg, 5001);
  LVCOLUMNA c{};
  c.mask = LVCF_TEXT;
  c.pszText = text;
  c.cchTextMax = sizeof text;
  text[0] = '\0';
  SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&c));
  s.header = text;
  const int n = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i)
    s.rows.push_back(ItemText(list, i, 0) + " " + ItemText(list, i, 1) + " " +
                     ItemText(list, i, 2));
  return s;
}

// The script: one action per idle round of the dialog; message boxes take
// their default.
struct Script {
  using Step = std::function<VQWIN_MODAL_STEP(HWND)>;
  Script(std::initializer_list<Step> list) : steps(list) {}
  std::vector<Step> steps;
  size_t next = 0;
  std::vector<Snapshot> seen;
};

BOOL CALLBACK Drive(const VQWIN_MODAL_INFO *info, VQWIN_MODAL_STEP *step, void *context) {
  auto *script = static_cast<Script *>(context);
  if (info->kind != VQWIN_MODAL_DIALOG || script->next >= script->steps.size())
    return FALSE;
  script->seen.push_back(Take(info->hwnd));
  *step = script->steps[script->next++](info->hwnd);
  return TRUE;
}

VQWIN_MODAL_STEP Click(int id) {
  VQWIN_MODAL_STEP s{};
  s.action = VQWIN_STEP_CLICK;
  s.id = id;
  return s;
}
std::function<VQWIN_MODAL_STEP(HWND)> Press(int id) {
  return [id](HWND) { return Click(id); };
}
// Empties the edit field and types `text` into it.
std::function<VQWIN_MODAL_STEP(HWND)> Type(const char *text) {
  return [text](HWND dlg) {
    SetDlgItemTextA(dlg, 5002, "");
    VQWIN_MODAL_STEP s{};
    s.action = VQWIN_STEP_TYPE;
    s.id = 5002;
    std::snprintf(s.text, sizeof s.text, "%s", text);
    return s;
  };
}
std::function<VQWIN_MODAL_STEP(HWND)> SystemClose() {
  return [](HWND dlg) {
    PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    VQWIN_MODAL_STEP s{};
    s.action = VQWIN_STEP_TYPE; // nothing to type: the posted command acts
    return s;
  };
}
class SelDialog : public vqtest::CapturedTest {
protected:
  void SetUp() override {
    CapturedTest::SetUp();
    vqwinClearMessageBoxRecords();
    ASSERT_EQ(sel.parse("name = MAIER and plz > 8000", 27), 1);
  }
  UINT Run(Script &script) {
    vqwinSetModalHook(Drive, &script);
    CVQTblSelDlg dialog(&sel);
    const UINT result = dialog.Dialog(nullptr);
    vqwinSetModalHook(nullptr, nullptr);
    return result;
  }
  std::string Text() const {
    char text[512];
    sel.edit(text, sizeof text);
    return text;
  }

  CVQTblSelDesc sel;
};

TEST_F(SelDialog, OkWithoutAChangeLeavesTheTreeAlone) {
  const void *tree = sel.Root.pOper;
  Script script{Press(5004)};
  EXPECT_EQ(Run(script), 1u);
  EXPECT_EQ(sel.Root.pOper, tree);
  ASSERT_EQ(script.seen.size(), 1u);
  const Snapshot &start = script.seen[0];
  EXPECT_EQ(start.caption, "Selektion");
  EXPECT_EQ(start.header, "Spalte");
  EXPECT_EQ(start.text, Text()); // the text form, not what was typed
  EXPECT_EQ(start.rows, (std::vector<std::string>{"NAME == MAIER", "PLZ > 8000"}));
}

TEST_F(SelDialog, CheckListsTheComparisonsAndCancelKeepsThem) {
  Script script{Type("city = bonn or age > 3 and name = X"), Press(5003), Press(5005)};
  EXPECT_EQ(Run(script), 0u);
  ASSERT_EQ(script.seen.size(), 3u);
  EXPECT_EQ(script.seen[2].rows,
            (std::vector<std::string>{"CITY == bonn", "AGE > 3", "NAME == X"}));
  EXPECT_EQ(Text(), "CITY == \"bonn\" || ( AGE > \"3\" && NAME == \"X\" ) ");
  // OK after a change parses it.
  Script ok{Type("count = 7"), Press(5004)};
  EXPECT_EQ(Run(ok), 1u);
  EXPECT_EQ(Text(), "COUNT == \"7\"");
  EXPECT_TRUE(vqwin::MessageBoxRecords().empty());
}

TEST_F(SelDialog, AnInvalidTextKeepsTheDialogOpenUntilCancel) {
  Script script{Type("name = "), Press(5004), Press(5005)};
  EXPECT_EQ(Run(script), 0u);
  ASSERT_EQ(script.seen.size(), 3u); // still open after OK
  ExpectNumberedBox(724, "", "name = ");
  EXPECT_EQ(sel.Root.fAlloc, 0); // emptied by the failed parse
  EXPECT_EQ(Text(), "");
}

TEST_F(SelDialog, TheSystemCloseCommandCancels) {
  const std::string before = Text();
  Script script{Type("age = 1"), SystemClose()};
  EXPECT_EQ(Run(script), 0u);
  EXPECT_EQ(Text(), before);
  // Escape goes the same way.
  VQWIN_MODAL_STEP escape{};
  escape.action = VQWIN_STEP_KEY;
  escape.key = VK_ESCAPE;
  Script keys{[escape](HWND) { return escape; }};
  EXPECT_EQ(Run(keys), 0u);
}

TEST_F(SelDialog, TheEnglishModuleHasTheTemplateToo) {
  ASSERT_EQ(vqSetTbl32Language("E"), 1);
  Script script{Press(5005)};
  EXPECT_EQ(Run(script), 0u);
  ASSERT_EQ(script.seen.size(), 1u);
  EXPECT_EQ(script.seen[0].caption, "Selection");
  EXPECT_EQ(script.seen[0].header, "Column");
  EXPECT_EQ(script.seen[0].rows.size(), 2u);
  CVQTblSelDlg none;
  EXPECT_EQ(none.Dialog(nullptr), 0u);
}

} // namespace
