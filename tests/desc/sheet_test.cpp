// The table description property sheet under an automation script: the
// walk of a new field through its columns, deleting with its question,
// the option dialogs building type words bit by bit, the keys page, the
// gallery page, a sheet that cannot be shown, and a picture of each page.
// Every step acts through the sheet's input path; what a step finds is
// checked in the description at once.
#include "desc_fixture.h"

#include "../common/sample_table.h"

#include <commctrl.h>
#include <vqwin_print.h>

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

std::string ItemText(IGridView *g, UINT line, UINT column) {
  char text[600] = {};
  g->GetItemText(line, column, text, sizeof text);
  return text;
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
    Step how;
    int answer;
  } rows[] = {
      {"Delete key, no", Key(VK_DELETE), IDNO},
      {"Delete key, yes", Key(VK_DELETE), IDYES},
      {"button, no", Click(5374), IDNO},
      {"button, yes", Click(5374), IDYES},
  };
  for (const auto &r : rows) {
    vqsample::SampleTable fresh;
    t = fresh.desc;
    Clear();
    const UINT count = r.answer == IDYES ? 9 : 10;
    Script script{{Cell(5300, 2, 1), r.how, Answer(r.answer), Do([&](HWND sheet) {
                     EXPECT_EQ(PageGrid(sheet, 5300)->GetLineCount(), count) << r.name;
                   }),
                   Click(IDOK)}};
    Run(script, 0x01);
    ASSERT_EQ(t.fields.count, count) << r.name;
    EXPECT_STREQ(Field(2).name, count == 10 ? "Plz" : "Age") << r.name;
    EXPECT_EQ(t.fields.fields[9].name[0] == '\0', count == 9) << "last slot cleared: " << r.name;
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u) << r.name;
    EXPECT_EQ(boxes[0].caption, "vq_tbl32 Meldung (Meldungscode = 1710)") << r.name;
    EXPECT_EQ(boxes[0].text, "Soll das Datenfeld \"Plz\" gel\xF6scht werden?") << r.name;
    EXPECT_EQ(boxes[0].type, UINT(MB_ICONINFORMATION | MB_YESNO)) << r.name;
    EXPECT_EQ(Logged(), Calls{}) << r.name;
  }
}

// The content options cell of the first field opens the dialog of its
// kind; the word it builds is the field's at once.
TEST_F(Sheet, TheOptionDialogsBuildTheWordBitByBit) {
  const Step closeBox = Do([](HWND dlg) { PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); });
  const Step noDecimals = Do([](HWND dlg) { SetDlgItemTextA(dlg, 5385, ""); });
  const auto formatList = [](bool enabled) {
    return Do([enabled](HWND dlg) { EXPECT_EQ(IsWindowEnabled(GetDlgItem(dlg, 5360)), enabled); });
  };
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
      {"the format list follows the date part",
       0x0002,
       {formatList(false), Click(5386), formatList(true), Click(5386), formatList(false),
        Click(5371)},
       0,
       0x0002},
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

// The sample's keys, one grid line per part: lines 0-1 key 0, 2-3 key 1,
// 4 key 2, 5-6 key 3, 7-8 key 4.
TEST_F(Sheet, TheKeysPageTogglesCountsChoosesTypesAndFields) {
  const auto keys = [this]() -> CVQKeyDescList & { return t.keys; };
  const auto lines = [](HWND sheet) { return PageGrid(sheet, 5320)->GetLineCount(); };
  Script script{{
      Do([&](HWND sheet) {
        EXPECT_EQ(lines(sheet), 9u);
        EXPECT_EQ(DlgText(CurrentPage(sheet), 5390), "Sample");
        EXPECT_EQ(ItemText(PageGrid(sheet, 5320), 4, 7), "TEXT");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kApply))) << "showing is no change";
      }),
      Cell(5320, 0, 1),
      Key(VK_RETURN), // unique on
      Do([&](HWND sheet) {
        EXPECT_EQ(keys().keys[0].attributes[0], 1u);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApply)));
      }),
      Key(VK_RETURN), // the current cell stays: unique off again
      Do([&](HWND) { EXPECT_EQ(keys().keys[0].attributes[0], 0u); }),
      Cell(5320, 4, 3),
      Key(VK_RETURN), // key 2 reversed
      Cell(5320, 4, 6),
      Key(VK_RETURN),
      ClearEditor(5320),
      Type("3"),
      Key(VK_RETURN),
      Do([&](HWND sheet) {
        EXPECT_EQ(keys().keys[2].partCount, 3u);
        EXPECT_EQ(lines(sheet), 11u);
      }),
      Cell(5320, 4, 6),
      Key(VK_RETURN),
      ClearEditor(5320),
      Type("7"),
      Key(VK_RETURN),
      Answer(IDOK), // 1713
      Cell(5320, 4, 7),
      Key(VK_RETURN),
      Key(VK_DOWN),
      Key(VK_DOWN),
      Key(VK_RETURN),
      Do([&](HWND sheet) {
        EXPECT_EQ(keys().keys[2].parts[0].partType, ISAMGetKeyType("UNSIGNED"));
        EXPECT_EQ(ItemText(PageGrid(sheet, 5320), 4, 7), "UNSIGNED");
      }),
      Cell(5320, 4, 8),
      Key(VK_RETURN),
      Key(VK_DOWN),
      Key(VK_RETURN), // Plz to Age
      Do([&](HWND) { EXPECT_STREQ(keys().keys[2].parts[0].fieldName, "Age"); }),
      Cell(5320, 2, 0),
      Key(VK_INSERT), // a key of one part before key 1
      Do([&](HWND sheet) {
        EXPECT_EQ(keys().count, 6u);
        EXPECT_EQ(lines(sheet), 12u);
      }),
      Cell(5320, 2, 0),
      Key(VK_DELETE),
      Answer(IDNO),
      Click(5374),
      Answer(IDYES),
      Click(IDOK),
  }};
  EXPECT_EQ(Run(script, 0x02), 1);
  ASSERT_EQ(t.keys.count, 5u);
  EXPECT_STREQ(t.keys.keys[1].parts[0].fieldName, "City") << "the new key went again";
  EXPECT_EQ(t.keys.keys[2].attributes[2], 1u);
  EXPECT_EQ(t.keys.keys[4].partCount, 2u);
  EXPECT_EQ(t.keys.keys[5].partCount, 0u) << "last slot cleared";
  EXPECT_EQ(Logged(), Calls{"1 CVQTableDescDlg Part count 7 of key 2 is out of range 1 to 4."});
  const auto boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].caption, "vq_tbl32 Fehler (Fehlercode = 1713)");
  EXPECT_EQ(boxes[0].text, "Ein Schl\xFC"
                           "ssel hat 1 bis 4 Teile; 7 Teile sind f\xFC"
                           "r den Schl\xFC"
                           "ssel Nr. 3 nicht m\xF6glich.");
  for (int i : {1, 2}) {
    EXPECT_EQ(boxes[i].caption, "vq_tbl32 Meldung (Meldungscode = 1712)") << i;
    EXPECT_EQ(boxes[i].text, "Soll der Eintrag Nr. 2 gel\xF6scht werden?") << i;
  }
}

void EnableGallery(CVQTableDesc &t) {
  t.gallery.enabled = 1;
  t.gallery.layout = 2;
  t.gallery.diaMode = 1;
  t.gallery.diaWidth = 80;
  t.gallery.diaHeight = 60;
  t.gallery.images.images = new CVQImgNameDesc[1];
  t.gallery.images.count = t.gallery.images.capacity = 1;
  std::strcpy(t.gallery.images.images[0].imageName, "img\\%Name%.png");
  t.gallery.images.images[0].textLength = 14;
}

TEST_F(Sheet, TheGalleryPageEditsLayoutModeSizeAndImages) {
  EnableGallery(t);
  const CVQGallDesc &g = t.gallery;
  const auto clear = [](int id) {
    return Do([id](HWND s) { SetDlgItemTextA(CurrentPage(s), id, ""); });
  };
  Script script{{
      Do([&](HWND sheet) {
        const HWND page = CurrentPage(sheet);
        EXPECT_EQ(DlgText(page, 5362), "2 Zeilen");
        EXPECT_EQ(DlgText(page, 5363), "Strecken");
        EXPECT_EQ(DlgText(page, 5393) + "x" + DlgText(page, 5394), "80x60");
        EXPECT_EQ(ItemText(PageGrid(sheet, 5340), 0, 0), "img\\%Name%.png");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kApply))) << "showing is no change";
      }),
      Pick(5362, 4),
      Pick(5363, 3),
      Do([&](HWND sheet) {
        EXPECT_EQ(g.layout, 4u);
        EXPECT_EQ(g.diaMode, 3u);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApply)));
      }),
      clear(5393),
      Type("120", 5393),
      clear(5394),
      Type("90", 5394),
      Do([&](HWND) { EXPECT_EQ(g.diaWidth * 1000 + g.diaHeight, 120090u); }),
      Click(5373),
      Cell(5340, 1, 0),
      Key(VK_RETURN),
      Type("bild%Nr%.jpg"),
      Key(VK_RETURN),
      Do([&](HWND) {
        ASSERT_EQ(g.images.count, 2u);
        EXPECT_STREQ(g.images.images[1].imageName, "bild%Nr%.jpg");
        EXPECT_EQ(g.images.images[1].textLength, 12u);
      }),
      Cell(5340, 0, 0),
      Key(VK_DELETE),
      Answer(IDNO),
      Click(5374),
      Answer(IDYES),
      Do([&](HWND sheet) { EXPECT_EQ(PageGrid(sheet, 5340)->GetLineCount(), 1u); }),
      Cell(5340, 0, 0),
      Key(VK_INSERT),
      Click(IDOK),
  }};
  EXPECT_EQ(Run(script, 0x07, 2), 1);
  ASSERT_EQ(g.images.count, 2u);
  EXPECT_STREQ(g.images.images[0].imageName, "bild%Nr%.jpg");
  EXPECT_STREQ(g.images.images[1].imageName, "");
  EXPECT_EQ(Logged(), Calls{});
  const auto boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 2u);
  for (const auto &b : boxes) {
    EXPECT_EQ(b.caption, "vq_tbl32 Meldung (Meldungscode = 1712)");
    EXPECT_EQ(b.text, "Soll der Eintrag Nr. 1 gel\xF6scht werden?");
  }
}

TEST_F(Sheet, PagesFollowTheMaskAndTheGallerySwitch) {
  const struct {
    UINT pages;
    bool gallery;
    Calls tabs;
  } rows[] = {
      {0x07, false, {"Felder", "Schl\xFCssel"}},
      {0x07, true, {"Felder", "Schl\xFCssel", "Galerie"}},
      {0x06, true, {"Schl\xFCssel", "Galerie"}},
  };
  for (const auto &r : rows) {
    t.gallery.enabled = r.gallery;
    Calls tabs;
    std::string caption;
    Script script{{Do([&](HWND sheet) {
                     HWND tab = PropSheet_GetTabControl(sheet);
                     for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
                       char text[32] = {};
                       TCITEMA item{};
                       item.mask = TCIF_TEXT;
                       item.pszText = text;
                       item.cchTextMax = sizeof text;
                       SendMessageA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
                       tabs.push_back(text);
                     }
                     char text[64] = {};
                     GetWindowTextA(sheet, text, sizeof text);
                     caption = text;
                   }),
                   Click(IDCANCEL)}};
    EXPECT_EQ(Run(script, r.pages), 0);
    EXPECT_EQ(tabs, r.tabs) << r.pages;
    EXPECT_EQ(caption, "Tabellenbeschreibung");
  }
}

TEST_F(Sheet, ASheetThatCannotBeShownIsReported) {
  const struct {
    const char *name;
    UINT pages, start;
  } rows[] = {{"no page", 0, 0}, {"start beyond the pages", 0x03, 2}, {"gallery off", 0x04, 0}};
  for (const auto &r : rows) {
    Clear();
    Script script{{}};
    EXPECT_EQ(Run(script, r.pages, r.start), 0) << r.name;
    EXPECT_EQ(Logged(), Calls{"0 CVQTableDescDlg Error -1 from PropertySheet."}) << r.name;
    ExpectOneBox(1701, "Das Eigenschaftsblatt der Tabelle kann nicht angezeigt werden (Fehler 87).",
                 r.name);
  }
}

TEST_F(Sheet, ThePrintButtonPrintsTheFieldList) {
  const std::string path = testing::TempDir() + "sheet_field_list.pdf";
  std::remove(path.c_str());
  ASSERT_TRUE(vqwinSetPrintOutput(path.c_str()));
  Script script{{Click(5375), Click(IDCANCEL)}};
  Run(script, 0x01);
  vqwinSetPrintOutput(nullptr);
  EXPECT_EQ(vqwinGetLastPrintPages(), 1u);
  char last[MAX_PATH] = "";
  vqwinGetLastPrintOutput(last, sizeof last);
  EXPECT_EQ(last, path);
  std::remove(path.c_str());
}

// Pictures of every page and of an option dialog, with the sample table,
// in both languages: for a look, and kept in the test's temporary folder.
TEST_F(Sheet, EveryPageMakesAPicture) {
  EnableGallery(t);
  const auto save = [](const std::string &name) {
    return Do([name](HWND window) {
      EXPECT_TRUE(vqwinSaveScreenshot(window, (testing::TempDir() + name).c_str())) << name;
    });
  };
  for (const char *language : {"D", "E"}) {
    ASSERT_EQ(vqSetTbl32Language(language), 1);
    const std::string suffix = std::string("_") + language + ".png";
    for (UINT page = 0; page < 3; ++page) {
      const char *names[] = {"sheet_fields", "sheet_keys", "sheet_gallery"};
      Script script{{save(names[page] + suffix), Click(IDCANCEL)}};
      Run(script, 0x07, page);
    }
    Script options{{Cell(5300, 3, 6), Key(VK_RETURN), save("sheet_number_options" + suffix),
                    Click(5371), Click(IDCANCEL)}};
    Run(options, 0x01);
  }
  EXPECT_EQ(Logged(), Calls{"4 CVQLibrary Language switched to E"});
}

} // namespace
