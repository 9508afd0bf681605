// The table description property sheet under an automation script: the
// walk of a new field through its columns, deleting with its question,
// the option dialogs building type words bit by bit, the keys page, the
// gallery page, a sheet that cannot be shown, and a picture of each page.
// Every step acts through the sheet's input path; what a step finds is
// checked in the description at once.
#include "desc_fixture.h"

#include "../common/sample_table.h"

#include <commctrl.h>

#include <functional>

namespace {

using vqtest::Calls;
using vqtest::DescTest;

constexpr int kApply = 0x3021; // the sheet's Apply button

// A step of the script: told what asks (sheet, option dialog or message
// box), it returns what to do. `kind` is what it expects to be asked by.
struct Step {
  UINT kind;
  std::function<VQWIN_MODAL_STEP(const VQWIN_MODAL_INFO &)> act;
};

struct Script {
  explicit Script(std::vector<Step> list) : steps(std::move(list)) {}
  std::vector<Step> steps;
  size_t next = 0;
  std::vector<std::string> wrongAsker; // steps that met another window
};

BOOL CALLBACK Drive(const VQWIN_MODAL_INFO *info, VQWIN_MODAL_STEP *step, void *context) {
  auto *script = static_cast<Script *>(context);
  if (script->next >= script->steps.size())
    return FALSE;
  const Step &s = script->steps[script->next];
  if (s.kind != info->kind) {
    script->wrongAsker.push_back("step " + std::to_string(script->next) + " asked by kind " +
                                 std::to_string(info->kind));
    return FALSE;
  }
  ++script->next;
  *step = s.act(*info);
  return TRUE;
}

VQWIN_MODAL_STEP Make(UINT action, int id = 0) {
  VQWIN_MODAL_STEP s{};
  s.action = action;
  s.id = id;
  return s;
}

Step Click(int id, UINT kind = VQWIN_MODAL_DIALOG) {
  return {kind, [id](const VQWIN_MODAL_INFO &) { return Make(VQWIN_STEP_CLICK, id); }};
}
Step Key(UINT vk) {
  return {VQWIN_MODAL_DIALOG, [vk](const VQWIN_MODAL_INFO &) {
            VQWIN_MODAL_STEP s = Make(VQWIN_STEP_KEY);
            s.key = vk;
            return s;
          }};
}
// Types into control `id` (0: where the focus is).
Step Type(const char *text, int id = 0) {
  return {VQWIN_MODAL_DIALOG, [text, id](const VQWIN_MODAL_INFO &) {
            VQWIN_MODAL_STEP s = Make(VQWIN_STEP_TYPE, id);
            std::snprintf(s.text, sizeof s.text, "%s", text);
            return s;
          }};
}
Step Pick(int id, int index) {
  return {VQWIN_MODAL_DIALOG, [id, index](const VQWIN_MODAL_INFO &) {
            VQWIN_MODAL_STEP s = Make(VQWIN_STEP_PICK, id);
            s.index = index;
            return s;
          }};
}
Step Answer(int id) {
  return {VQWIN_MODAL_MESSAGEBOX,
          [id](const VQWIN_MODAL_INFO &) { return Make(VQWIN_STEP_ANSWER, id); }};
}
// Runs `f` on the asking window, then takes a step that does nothing.
Step Do(std::function<void(HWND)> f, UINT kind = VQWIN_MODAL_DIALOG) {
  return {kind, [f](const VQWIN_MODAL_INFO &info) {
            f(info.hwnd);
            return Make(VQWIN_STEP_TYPE);
          }};
}

HWND CurrentPage(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }

IGridView *PageGrid(HWND sheet, int id) {
  return reinterpret_cast<IGridView *>(
      SendMessageA(GetDlgItem(CurrentPage(sheet), id), GM_GETINTERFACE, 0, 0));
}

std::string DlgText(HWND dlg, int id) {
  char text[256] = {};
  GetDlgItemTextA(dlg, id, text, sizeof text);
  return text;
}

// Puts the grid's current cell on (line, column) and gives it the focus:
// the next key acts there.
Step Cell(int grid, UINT line, UINT column) {
  return Do([grid, line, column](HWND sheet) {
    IGridView *g = PageGrid(sheet, grid);
    SetFocus(g->GetWindow());
    g->SetCurCell(line, column);
  });
}

// Empties the open editor of the grid, so typing replaces its text.
Step ClearEditor(int grid) {
  return Do([grid](HWND sheet) { SetWindowTextA(PageGrid(sheet, grid)->GetChildWindow(), ""); });
}

class Sheet : public DescTest {
protected:
  int Run(Script &script, UINT pages, UINT start = 0) {
    vqwinSetModalHook(Drive, &script);
    const int result = t.PropertySheetA(nullptr, pages, start);
    vqwinSetModalHook(nullptr, nullptr);
    EXPECT_EQ(script.next, script.steps.size()) << "steps left";
    EXPECT_EQ(script.wrongAsker, Calls{});
    return result;
  }
  CVQFieldDesc &Field(UINT i) { return t.fields.fields[i]; }

  vqsample::SampleTable sample;
  CVQTableDesc &t = sample.desc;
};

// Which child the fields grid has open, and on which column.
std::string OpenChild(HWND sheet) {
  IGridView *g = PageGrid(sheet, 5300);
  HWND child = g->GetChildWindow();
  if (!child)
    return "none";
  char cls[32] = {};
  GetClassNameA(child, cls, sizeof cls);
  char text[64] = {};
  GetWindowTextA(child, text, sizeof text);
  return std::to_string(g->GetCurColumn()) + " " + cls + (text[0] ? std::string(" ") + text : "");
}

TEST_F(Sheet, AnInsertedFieldWalksTheEditorsThroughEveryColumn) {
  std::vector<std::string> walk;
  const auto seen = [&walk](HWND sheet) { walk.push_back(OpenChild(sheet)); };
  Script script{{
      Click(5372), // append: the name editor opens on the new line
      Do(seen),
      Type("Neu"),
      Key(VK_RETURN),
      Do([&](HWND sheet) {
        seen(sheet);
        EXPECT_STREQ(Field(10).name, "Neu") << "in the description at once";
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApply))) << "PSM_CHANGED";
      }),
      Key(VK_END),
      Key(VK_UP),
      Key(VK_RETURN), // encode type: text
      Do(seen),
      Key(VK_RETURN), // offset: the proposal
      Do(seen),
      ClearEditor(5300),
      Type("20"),
      Key(VK_RETURN), // size
      Do([&](HWND sheet) {
        seen(sheet);
        EXPECT_EQ(DlgText(CurrentPage(sheet), 5392), "95") << "record size";
      }),
      Key(VK_HOME),
      Key(VK_DOWN),
      Key(VK_RETURN), // content type: number
      // content options: the number dialog
      Click(5380),
      Click(5382),
      Do([](HWND dlg) { SetDlgItemTextA(dlg, 5385, ""); }),
      Type("2", 5385),
      Click(5370),
      Do(seen),
      Key(VK_RETURN), // data justification: left
      Do(seen),
      Key(VK_END),
      Key(VK_UP),
      Key(VK_UP),
      Key(VK_RETURN), // display type: decimal
      Click(5370),    // display options: unchanged
      Do(seen),
      Key(VK_END),
      Key(VK_RETURN), // display justification: right
      Do(seen),
      ClearEditor(5300),
      Type("8"),
      Key(VK_RETURN), // display width
      Do([&](HWND sheet) {
        seen(sheet);
        EXPECT_EQ(DlgText(CurrentPage(sheet), 5391), "8") << "total display width";
      }),
      Click(IDOK),
  }};
  EXPECT_EQ(Run(script, 0x01), 1);
  // Each child is titled with its cell's text.
  EXPECT_EQ(walk,
            (Calls{"1 Edit", "2 CVQListBoxParent", "3 Edit 75", "4 Edit 0",
                   "5 CVQListBoxParent Text", "7 CVQListBoxParent Links", "8 CVQListBoxParent Text",
                   "10 CVQListBoxParent Links", "11 Edit 0", "none"}));
  ASSERT_EQ(t.fields.count, 11u);
  const CVQFieldDesc &f = Field(10);
  EXPECT_STREQ(f.name, "Neu");
  EXPECT_EQ(f.encodeType, UINT(iteTEXT));
  EXPECT_EQ(f.offset, 75u);
  EXPECT_EQ(f.size, 20u);
  EXPECT_EQ(f.contentType, 0x2091u) << "number, signed, grouping, 2 decimals";
  EXPECT_EQ(f.dataJustType, 0u);
  EXPECT_EQ(f.displayType, UINT(pkDECIMAL));
  EXPECT_EQ(f.dispJustType, 2u);
  EXPECT_EQ(f.dispWidth, 8u);
  EXPECT_EQ(Logged(), Calls{});
  ExpectNoBox("walk");
}

TEST_F(Sheet, EditingAnotherLineStopsTheWalk) {
  std::vector<std::string> walk;
  Script script{{
      Click(5372),
      Type("A"),
      Key(VK_RETURN),
      Key(VK_ESCAPE), // encode type left as it was
      Cell(5300, 0, 1),
      Key(VK_RETURN),
      Type("X"),
      Key(VK_RETURN),
      Do([&](HWND sheet) { walk.push_back(OpenChild(sheet)); }),
      Click(IDCANCEL),
  }};
  EXPECT_EQ(Run(script, 0x01), 0) << "cancelled";
  EXPECT_EQ(walk, Calls{"none"});
  EXPECT_STREQ(Field(0).name, "X") << "Cancel undoes nothing";
  EXPECT_STREQ(Field(10).name, "A");
}

TEST_F(Sheet, DeletingAFieldAsksAndKeepsItOnAnyAnswerButYes) {
  const struct {
    const char *name;
    std::vector<Step> how; // ends with the box
    int answer;
    const char *text;
    UINT count;
  } rows[] = {
      {"Delete key, no",
       {Cell(5300, 2, 1), Key(VK_DELETE)},
       IDNO,
       "Soll das Datenfeld \"Plz\" gel\xF6scht werden?",
       10},
      {"Delete key, yes",
       {Cell(5300, 2, 1), Key(VK_DELETE)},
       IDYES,
       "Soll das Datenfeld \"Plz\" gel\xF6scht werden?",
       9},
      {"button, no",
       {Cell(5300, 2, 1), Click(5374)},
       IDNO,
       "Soll das Datenfeld \"Plz\" gel\xF6scht werden?",
       10},
      {"button, yes",
       {Cell(5300, 2, 1), Click(5374)},
       IDYES,
       "Soll das Datenfeld \"Plz\" gel\xF6scht werden?",
       9},
  };
  for (const auto &r : rows) {
    vqsample::SampleTable fresh;
    t = fresh.desc;
    Clear();
    Script script{r.how};
    script.steps.push_back(Answer(r.answer));
    script.steps.push_back(Do(
        [&](HWND sheet) { EXPECT_EQ(PageGrid(sheet, 5300)->GetLineCount(), r.count) << r.name; }));
    script.steps.push_back(Click(IDOK));
    Run(script, 0x01);
    ASSERT_EQ(t.fields.count, r.count) << r.name;
    EXPECT_STREQ(Field(2).name, r.count == 10 ? "Plz" : "Age") << r.name;
    EXPECT_EQ(t.fields.fields[9].name[0] == '\0', r.count == 9) << "last slot cleared: " << r.name;
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u) << r.name;
    EXPECT_EQ(boxes[0].caption, "vq_tbl32 Meldung (Meldungscode = 1710)") << r.name;
    EXPECT_EQ(boxes[0].text, r.text) << r.name;
    EXPECT_EQ(boxes[0].type, UINT(MB_ICONINFORMATION | MB_YESNO)) << r.name;
    EXPECT_EQ(Logged(), Calls{}) << r.name;
  }
}

// The content options cell of the first field opens the dialog of its
// kind; the word it builds is the field's at once.
TEST_F(Sheet, TheOptionDialogsBuildTheWordBitByBit) {
  const Step closeBox = Do([](HWND dlg) { PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); });
  const Step noDecimals = Do([](HWND dlg) { SetDlgItemTextA(dlg, 5385, ""); });
  const struct {
    const char *name;
    UINT word;
    std::vector<Step> steps;
    int result;
    UINT after;
  } rows[] = {
      {"signed", 0x0001, {Click(5380), Click(5370)}, 1, 0x0011},
      {"every bit",
       0x0001,
       {Click(5380), Click(5381), Click(5382), Click(5383), noDecimals, Type("3", 5385),
        Click(5370)},
       1,
       0x30F1},
      {"toggled back", 0x0011, {Click(5380), Click(5380), Click(5370)}, 0, 0x0011},
      {"OK alone", 0x2091, {Click(5370)}, 0, 0x2091},
      {"decimals modulo 16", 0x0001, {noDecimals, Type("18", 5385), Click(5370)}, 1, 0x2001},
      {"cancel button", 0x0001, {Click(5380), Click(5371)}, 0, 0x0001},
      {"Escape", 0x0001, {Click(5380), Key(VK_ESCAPE)}, 0, 0x0001},
      {"system close", 0x0001, {Click(5380), closeBox}, 0, 0x0001},
      {"decimal keeps its sign", 0x2013, {Click(5370)}, 0, 0x2013},
      {"decimal comma", 0x2013, {Click(5383), Click(5382), Click(5370)}, 1, 0x20D3},
      {"time part", 0x1102, {Click(5387), Pick(5361, 2), Click(5370)}, 1, 0x21302},
      {"date part off", 0x31302, {Click(5386), Click(5370)}, 1, 0x30202},
      {"date format", 0x0102, {Pick(5360, 12), Click(5370)}, 1, 0xC102},
      {"date/time OK alone", 0x31302, {Click(5370)}, 0, 0x31302},
      {"text has no dialog", 0x0C00, {}, 0, 0x0C00},
  };
  for (const auto &r : rows) {
    Clear();
    Field(0).contentType = r.word;
    std::vector<Step> steps{Cell(5300, 0, 6), Key(VK_RETURN)};
    steps.insert(steps.end(), r.steps.begin(), r.steps.end());
    bool changed = false;
    steps.push_back(Do([&](HWND sheet) {
      EXPECT_EQ(Field(0).contentType, r.after) << r.name;
      changed = IsWindowEnabled(GetDlgItem(sheet, kApply));
    }));
    steps.push_back(Click(IDCANCEL));
    Script script{steps};
    EXPECT_EQ(Run(script, 0x01), 0) << r.name << ": cancelled";
    EXPECT_EQ(changed, r.result == 1) << r.name << ": PSM_CHANGED after a change only";
    EXPECT_EQ(Field(0).contentType, r.after) << r.name;
    EXPECT_EQ(Logged(), Calls{}) << r.name;
    ExpectNoBox(r.name);
  }
}

TEST_F(Sheet, TheDateFormatListFollowsItsCheckBox) {
  bool enabled[3] = {};
  Field(0).contentType = 0x0002;
  Script script{{
      Cell(5300, 0, 6),
      Key(VK_RETURN),
      Do([&](HWND dlg) { enabled[0] = IsWindowEnabled(GetDlgItem(dlg, 5360)); }),
      Click(5386),
      Do([&](HWND dlg) { enabled[1] = IsWindowEnabled(GetDlgItem(dlg, 5360)); }),
      Click(5386),
      Do([&](HWND dlg) { enabled[2] = IsWindowEnabled(GetDlgItem(dlg, 5360)); }),
      Click(5371),
      Click(IDOK),
  }};
  EXPECT_EQ(Run(script, 0x01), 1);
  EXPECT_EQ(Field(0).contentType, 0x0002u);
  EXPECT_FALSE(enabled[0]);
  EXPECT_TRUE(enabled[1]);
  EXPECT_FALSE(enabled[2]);
}

} // namespace
