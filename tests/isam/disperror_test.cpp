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

TEST_F(DispErrorTest, BoxNamesTheCallTheErrorAndTheFile) {
  create();
  HISAMTABLE table = makeTable("T", {}, 4);
  const std::string where = "\n\nDatei: " + path();
  struct Row {
    const char *what;
    LPCVOID subject;
    const char *function;
    UINT error;
    std::string text;
  } rows[] = {
      {"file handle", file, "ISAMOpenTable", ISAM_ERR_TABLE_NOT_FOUND,
       "Fehler 1015 bei ISAMOpenTable:\nDie Tabelle existiert nicht." + where},
      {"table handle", table, "ISAMReadNextRecord", ISAM_END_OF_ITERATION,
       "Fehler 1022 bei ISAMReadNextRecord:\nKeine weiteren S\xE4tze." + where},
      {"path", "/daten/kunden.isa", "ISAMOpen", ISAM_ERR_NOT_ISAM,
       "Fehler 1005 bei ISAMOpen:\nDie Datei ist keine ISAM-Datei.\n\nDatei: /daten/kunden.isa"},
      {"no subject, unknown error", nullptr, "ISAMClose", 4711,
       "Fehler 4711 bei ISAMClose:\nUnbekannter Fehler."},
  };
  for (const Row &row : rows) {
    vqwinClearMessageBoxRecords();
    EXPECT_EQ(ISAMDispError(row.subject, row.function, row.error, nullptr), 0u) << row.what;
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u) << row.what;
    EXPECT_EQ(boxes[0].caption, "ISAM-Fehler") << row.what;
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
  EXPECT_EQ(ISAMDispError(closed, "ISAMGetTableCount", ISAM_ERR_HANDLE, nullptr), 0u);
  const auto boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("Datei: (geschlossenes Handle)"), std::string::npos)
      << boxes[0].text;
}

} // namespace
