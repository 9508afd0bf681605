/*
 * The library context and its numbered boxes: texts and captions in both
 * languages, the fallbacks, answers, language switching, resource module
 * lifetime and dialogs run from the resource module.
 */
#include "context_fixture.h"

#include "context_data/ctx_ids.h"

#include <algorithm>

namespace {

using lib32test::ContextTest;
using lib32test::kRealPattern;
using lib32test::kTestPattern;
using vqwin::MessageBoxRecords;

constexpr char kNoText[] = "Der Text zu diesem Fehler oder dieser Meldung existiert nicht.";
constexpr char kSubstError[] = "<Substitutionsfehler>";

class Boxes : public ContextTest {};

TEST_F(Boxes, TextFollowsTheLanguageAndCaptionsTheCode) {
  auto lib = MakeContext(kRealPattern);
  EXPECT_EQ(lib->ErrorBox(210, 0xBEEFu), IDOK);
  ASSERT_EQ(lib->SetLanguageId("E"), 1);
  EXPECT_STREQ(lib->GetLanguageId(), "E");
  EXPECT_EQ(GetThreadUILanguage(), 0x0409);
  lib->ErrorBox(210, 0xBEEFu);
  ASSERT_EQ(lib->SetLanguageId("d"), 1) << "letters are taken in capitals";
  lib->AskBox(211, 0x10u);

  auto boxes = MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].caption, "vq_tbl32 Fehler (Fehlercode = 210)");
  EXPECT_EQ(boxes[0].text, "Der Datensatz 0xBEEF ist kein g\xFCltiger Puffer des Pufferpools.");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(boxes[1].caption, "vq_tbl32 Error (error code = 210)");
  EXPECT_EQ(boxes[1].text, "Record 0xBEEF is no legal buffer of the buffer pool.");
  EXPECT_EQ(boxes[2].caption, "vq_tbl32 Meldung (Meldungscode = 211)");
  EXPECT_EQ(boxes[2].text, "Der Datensatz 0x10 wurde im Pufferpool nicht gefunden.");
  EXPECT_EQ(boxes[2].type, static_cast<UINT>(MB_ICONINFORMATION | MB_YESNO));
}

TEST_F(Boxes, FallbacksForMissingTextsAndFailedSubstitutions) {
  auto lib = MakeContext(kTestPattern);
  struct Row {
    const char *name;
    int (*show)(CVQLibrary &);
    const char *caption;
    const char *text;
    UINT type;
    const char *logged; // the level-1 line, if any
    UINT code;          // 0 for text boxes
  };
  const Row rows[] = {
      {"filled", [](CVQLibrary &l) { return l.ErrorBox(IDS_FILE_MISSING, "a.cfg", 2u); },
       "vq_tbl32 Fehler (Fehlercode = 7000)", "Die Datei a.cfg fehlt (Fehler 2).",
       MB_ICONEXCLAMATION, nullptr, 7000},
      {"no text", [](CVQLibrary &l) { return l.ErrorBox(9999); },
       "vq_tbl32 Fehler (Fehlercode = 9999)", kNoText, MB_ICONEXCLAMATION,
       "1 CVQError No text for message 9999", 9999},
      {"no text, question", [](CVQLibrary &l) { return l.AskBox(9998, 1); },
       "vq_tbl32 Meldung (Meldungscode = 9998)", kNoText, MB_ICONINFORMATION | MB_YESNO,
       "1 CVQError No text for message 9998", 9998},
      {"too few arguments", [](CVQLibrary &l) { return l.ErrorBox(IDS_FILE_MISSING, "a.cfg"); },
       "vq_tbl32 Fehler (Fehlercode = 7000)", kSubstError, MB_ICONEXCLAMATION,
       "1 CVQError Cannot fill in message 7000: Die Datei %s fehlt (Fehler %u).", 7000},
      {"number for %s", [](CVQLibrary &l) { return l.ErrorBox(IDS_WRONG_KIND, 5); },
       "vq_tbl32 Fehler (Fehlercode = 7001)", kSubstError, MB_ICONEXCLAMATION,
       "1 CVQError Cannot fill in message 7001: Name: %s", 7001},
      {"unknown directive", [](CVQLibrary &l) { return l.ErrorBox(IDS_BAD_DIRECTIVE, 5); },
       "vq_tbl32 Fehler (Fehlercode = 7002)", kSubstError, MB_ICONEXCLAMATION,
       "1 CVQError Cannot fill in message 7002: Wert %y", 7002},
      {"text box",
       [](CVQLibrary &l) {
         return l.TextBox("Cannot get fieldname of key partition (%u,%u)", 1u, 5u);
       },
       "vq_tbl32 Fehlermeldung", "Cannot get fieldname of key partition (1,5)", MB_ICONEXCLAMATION,
       nullptr, 0},
      {"broken text box", [](CVQLibrary &l) { return l.TextBox("%s of %s", "one"); },
       "vq_tbl32 Fehlermeldung", kSubstError, MB_ICONEXCLAMATION,
       "1 CVQError Cannot fill in the text: %s of %s", 0},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    vqwinClearMessageBoxRecords();
    lib->ClearCaptured();
    int answer = row.show(*lib);
    auto boxes = MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, row.caption);
    EXPECT_EQ(boxes[0].text, row.text);
    EXPECT_EQ(boxes[0].type, row.type);
    EXPECT_EQ(boxes[0].answer, answer);
    auto lines = lib->GetCapturedLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "5 CVQError Box " + std::to_string(row.code) + " answered " +
                                std::to_string(answer) + ": " + row.text);
    if (row.logged)
      EXPECT_EQ(lines.front(), row.logged);
    else
      EXPECT_EQ(lines.size(), 1u);
  }
}

TEST_F(Boxes, TakeTheArgumentKindsCallersPass) {
  auto lib = MakeContext(kTestPattern);
  char path[MAX_PATH] = "C:\\daten\\kunden.isa";
  DWORD error = ERROR_ACCESS_DENIED;
  lib->ErrorBox(IDS_FILE_MISSING, path, error);
  const char *name = nullptr;
  lib->ErrorBox(IDS_FILE_MISSING, name, static_cast<WORD>(7));
  auto boxes = MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Die Datei C:\\daten\\kunden.isa fehlt (Fehler 5).");
  EXPECT_EQ(boxes[1].text, "Die Datei (null) fehlt (Fehler 7).");
}

TEST_F(Boxes, AskBoxReturnsTheAnswer) {
  auto lib = MakeContext(kTestPattern);
  vqwinQueueMessageBoxAnswer(IDNO);
  vqwinQueueMessageBoxAnswer(IDYES);
  EXPECT_EQ(lib->AskBox(IDS_QUESTION, "x.isa"), IDNO);
  EXPECT_EQ(lib->AskBox(IDS_QUESTION, "x.isa"), IDYES);
  EXPECT_EQ(lib->AskBox(IDS_QUESTION, "x.isa"), IDYES) << "the default button";
  auto boxes = MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "Soll x.isa \xFC"
                           "berschrieben werden?");
}

TEST_F(Boxes, WithoutAResourceModuleEveryCodeHasNoText) {
  auto lib = MakeContext("vq_nomodule$.dll");
  lib->ErrorBox(210, 1u);
  lib->ErrorBox(211, 1u);
  auto boxes = MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, kNoText);
  auto lines = lib->GetCapturedLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "0 CVQLibrary Error 126 on loading the resource library vq_nomoduleD.dll"),
            1)
      << "reported once, not at every box";
  EXPECT_EQ(lib->DispDialogBoxParam(MAKEINTRESOURCEA(IDD_CHOOSE), nullptr, nullptr, 0), -1);
}

class Language : public ContextTest {};

TEST_F(Language, BadOrUnavailableLanguagesKeepTheCurrentOne) {
  auto lib = MakeContext(kRealPattern);
  const struct {
    const char *id;
    const char *logged;
  } rows[] = {
      {nullptr, "0 CVQLibrary Illegal language id \"(null)\""},
      {"", "0 CVQLibrary Illegal language id \"\""},
      {"TOOLONGID", "0 CVQLibrary Illegal language id \"TOOLONGID\""},
      {"D/../x", "0 CVQLibrary Illegal language id \"D/../x\""},
      {"X", "0 CVQLibrary Language X not available, keeping D"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.id ? row.id : "NULL");
    lib->ClearCaptured();
    EXPECT_EQ(lib->SetLanguageId(row.id), 0);
    EXPECT_STREQ(lib->GetLanguageId(), "D");
    EXPECT_EQ(GetThreadUILanguage(), 0x0407);
    auto lines = lib->GetCapturedLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), row.logged);
  }
  EXPECT_EQ(lib->GetCapturedLines().front(),
            "0 CVQLibrary Error 126 on loading the resource library vq_tblrcX.dll");

  auto test = MakeContext(kTestPattern);
  EXPECT_EQ(test->SetLanguageId("E"), 0) << "the test module has no English twin";
  EXPECT_EQ(GetThreadUILanguage(), 0x0407);
  test->ErrorBox(IDS_FILE_MISSING, "b", 1u);
  EXPECT_EQ(MessageBoxRecords().back().text, "Die Datei b fehlt (Fehler 1).");
}

TEST_F(Language, ResourceModuleLivesFromFirstNeedToDetach) {
  ASSERT_EQ(GetModuleHandleA("vq_ctxtestD.dll"), nullptr);
  {
    auto lib = MakeContext(kTestPattern);
    EXPECT_EQ(&CVQLogFile::GetDefault(), lib.get()) << "flag 1 installs the context's log";
    EXPECT_EQ(GetModuleHandleA("vq_ctxtestD.dll"), nullptr) << "not loaded at construction";
    ASSERT_NE(lib->GetResourceModule(), nullptr);
    EXPECT_EQ(GetModuleHandleA("vq_ctxtestD.dll"), lib->GetResourceModule());
    lib->DllMainCall(lib->GetModule(), DLL_PROCESS_DETACH, 100);
    EXPECT_EQ(GetModuleHandleA("vq_ctxtestD.dll"), nullptr);
    lib->GetResourceModule();
  }
  EXPECT_EQ(GetModuleHandleA("vq_ctxtestD.dll"), nullptr) << "the destructor frees it";
  EXPECT_NE(&CVQLogFile::GetDefault(), nullptr);
}

TEST_F(Language, WithoutAPatternTheOwnModuleCarriesEveryLanguage) {
  auto lib = MakeContext("");
  EXPECT_EQ(lib->GetResourceModule(), lib->GetModule());
  const CVQListTable::Row rows[] = {{1, 103}};
  const CVQListBox table(rows, lib.get());
  for (const auto &[id, text] :
       {std::pair{"E", "vq_tbl32 Error message"}, std::pair{"D", "vq_tbl32 Fehlermeldung"}}) {
    EXPECT_EQ(lib->SetLanguageId(id), 1) << id;
    EXPECT_STREQ(lib->GetLanguageId(), id);
    char shown[64] = "";
    table.GetText(0, shown, sizeof shown);
    EXPECT_STREQ(shown, text);
  }
  EXPECT_EQ(lib->GetCapturedLines(),
            (std::vector<std::string>{"4 CVQLibrary Language switched to E",
                                      "4 CVQLibrary Language switched to D"}));
}

// Fills the combo box from the table handed over as the parameter and ends
// with 100 + the value the user chose.
INT_PTR CALLBACK ChooseProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  static const CVQComboBox *table;
  if (msg == WM_INITDIALOG) {
    table = reinterpret_cast<const CVQComboBox *>(lp);
    table->Display(GetDlgItem(dlg, IDC_CHOICES), 1);
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wp) == IDC_TAKE) {
    EndDialog(dlg, 100 + static_cast<INT_PTR>(table->Select(GetDlgItem(dlg, IDC_CHOICES))));
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) {
    EndDialog(dlg, 0);
    return TRUE;
  }
  return FALSE;
}

class Dialogs : public ContextTest {};

TEST_F(Dialogs, RunFromTheResourceModuleAndReturnTheEndCode) {
  auto lib = MakeContext(kTestPattern);
  static const CVQListTable::Row rows[] = {{0, IDS_LEFT}, {2, IDS_MIDDLE}, {1, IDS_RIGHT}};
  CVQComboBox table(rows, lib.get());

  vqwinQueuePick(IDC_CHOICES, 1);
  vqwinQueueClick(IDC_TAKE);
  EXPECT_EQ(lib->DispDialogBoxParam(MAKEINTRESOURCEA(IDD_CHOOSE), nullptr, ChooseProc,
                                    reinterpret_cast<LPARAM>(&table)),
            102);
  vqwinQueueClick(IDC_TAKE);
  EXPECT_EQ(lib->DispDialogBoxParam(MAKEINTRESOURCEA(IDD_CHOOSE), nullptr, ChooseProc,
                                    reinterpret_cast<LPARAM>(&table)),
            101)
      << "the current value stays selected";
  EXPECT_EQ(lib->DispDialogBoxParam(MAKEINTRESOURCEA(IDD_CHOOSE), nullptr, ChooseProc,
                                    reinterpret_cast<LPARAM>(&table)),
            0)
      << "Escape by default";

  lib->ClearCaptured();
  EXPECT_EQ(lib->DispDialogBoxParam(MAKEINTRESOURCEA(7999), nullptr, ChooseProc, 0), -1);
  EXPECT_EQ(lib->DispDialogBoxParam("NOSUCHDIALOG", nullptr, ChooseProc, 0), -1);
  EXPECT_EQ(lib->GetCapturedLines(),
            (std::vector<std::string>{"0 CVQLibrary Error 1814 on showing dialog 7999",
                                      "0 CVQLibrary Error 1814 on showing dialog NOSUCHDIALOG"}));
}

} // namespace
