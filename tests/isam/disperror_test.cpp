// The engine's error box: number, call, text and the file, whatever kind
// of subject the caller hands in.
#include "isam_fixture.h"

#include <vqwin_modal.h>

using namespace isamtest;

namespace {

class DispErrorTest : public IsamTest {
protected:
  void SetUp() override {
    IsamTest::SetUp();
    vqwinResetModal();
  }
  void TearDown() override {
    vqwinResetModal();
    IsamTest::TearDown();
  }
};

// The box follows the thread's UI language; the test puts it back.
class UiLanguage {
public:
  explicit UiLanguage(LANGID language) : saved(GetThreadUILanguage()) {
    SetThreadUILanguage(language);
  }
  ~UiLanguage() { SetThreadUILanguage(saved); }

private:
  LANGID saved;
};

const LANGID kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

TEST_F(DispErrorTest, BoxNamesTheCallTheErrorAndTheFileInTheUiLanguage) {
  create();
  HISAMTABLE table = makeTable("T", {}, 4);
  struct Row {
    const char *what;
    LANGID language;
    LPCVOID subject;
    const char *function;
    UINT error;
    std::string caption, text;
  } rows[] = {
      {"file handle", kGerman, file, "ISAMOpenTable", ISAM_ERR_TABLE_NOT_FOUND, "ISAM-Fehler",
       "Fehler 1015 bei ISAMOpenTable:\nDie Tabelle existiert nicht.\n\nDatei: " + path()},
      {"table handle", kGerman, table, "ISAMReadNextRecord", ISAM_END_OF_ITERATION, "ISAM-Fehler",
       "Fehler 1022 bei ISAMReadNextRecord:\nKeine weiteren S\xE4tze.\n\nDatei: " + path()},
      {"path", kGerman, "/daten/kunden.isa", "ISAMOpen", ISAM_ERR_NOT_ISAM, "ISAM-Fehler",
       "Fehler 1005 bei ISAMOpen:\nDie Datei ist keine ISAM-Datei.\n\nDatei: /daten/kunden.isa"},
      {"no subject, unknown error", kGerman, nullptr, "ISAMClose", 4711, "ISAM-Fehler",
       "Fehler 4711 bei ISAMClose:\nUnbekannter Fehler."},
      {"English, file handle", kEnglish, file, "ISAMOpenTable", ISAM_ERR_TABLE_NOT_FOUND,
       "ISAM error", "Error 1015 in ISAMOpenTable:\nThe table does not exist.\n\nFile: " + path()},
      {"English, path", kEnglish, "/data/customers.isa", "ISAMOpen", ISAM_ERR_NOT_ISAM,
       "ISAM error",
       "Error 1005 in ISAMOpen:\nThe file is not an ISAM file.\n\nFile: /data/customers.isa"},
      {"British English counts as English", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), nullptr,
       "ISAMClose", 4711, "ISAM error", "Error 4711 in ISAMClose:\nUnknown error."},
      {"other languages get German", MAKELANGID(0x0C, 0x01), nullptr, "ISAMClose", ISAM_ERR_IO,
       "ISAM-Fehler", "Fehler 1011 bei ISAMClose:\nFehler beim Lesen oder Schreiben der Datei."},
  };
  for (const Row &row : rows) {
    UiLanguage language(row.language);
    vqwinClearMessageBoxRecords();
    EXPECT_EQ(ISAMDispError(row.subject, row.function, row.error, nullptr), 0u) << row.what;
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u) << row.what;
    EXPECT_EQ(boxes[0].caption, row.caption) << row.what;
    EXPECT_EQ(boxes[0].text, row.text) << row.what;
    EXPECT_EQ(boxes[0].icon, UINT{MB_ICONEXCLAMATION}) << row.what;
    EXPECT_EQ(boxes[0].buttons, UINT{MB_OK}) << row.what;
  }
}

TEST_F(DispErrorTest, ClosedHandleIsNotReadAsText) {
  create();
  HISAMFILE closed = file;
  UINT detail = 0;
  ASSERT_EQ(ISAMClose(closed, &detail), 0u);
  file = nullptr;
  for (const auto &[language, line] : {std::pair{kGerman, "Datei: (geschlossenes Handle)"},
                                       std::pair{kEnglish, "File: (closed handle)"}}) {
    UiLanguage ui(language);
    vqwinClearMessageBoxRecords();
    EXPECT_EQ(ISAMDispError(closed, "ISAMGetTableCount", ISAM_ERR_HANDLE, nullptr), 0u);
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(line), std::string::npos) << boxes[0].text;
  }
}

} // namespace
