// The library entry as the loader runs it, and the exported version and
// language calls that act on the library context.
#include "frame/library.h"

#include <vqwin_automation.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class LibraryEntry : public testing::Test {
protected:
  void SetUp() override { vqwinResetModal(); }
  void TearDown() override {
    vqSetTbl32Language("D");
    vqwinResetModal();
    vqwinResetWindows();
  }
};

TEST_F(LibraryEntry, RanAtLoadWithTheLibrarysOwnModule) {
  const HMODULE own = GetModuleHandleA("vq_tbl32.dll");
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(theLibrary.GetModule(), own);
  EXPECT_EQ(theLibrary.GetBaseId(), 100u);
  EXPECT_STREQ(theLibrary.GetModuleName(), "vq_tbl32.dll");
  EXPECT_STREQ(theLibrary.GetBanner(), "vq_tbl32 (Release 1.00, Build 0087)");
  EXPECT_STREQ(theLibrary.GetLanguageId(), "D");
  EXPECT_NE(theLibrary.GetResourceModule(), nullptr);
  // The entry switches thread notifications off; the platform has none to send.
  EXPECT_TRUE(DisableThreadLibraryCalls(own));
}

TEST_F(LibraryEntry, LanguageSwitchesBoxTextsButNotTheVersion) {
  const struct {
    const char *language;
    const char *caption;
    const char *text;
  } rows[] = {
      {"E", "vq_tbl32 Error (error code = 211)", "Record 0x2A was not found in the buffer pool."},
      {"D", "vq_tbl32 Fehler (Fehlercode = 211)",
       "Der Datensatz 0x2A wurde im Pufferpool nicht gefunden."},
  };
  for (const auto &r : rows) {
    vqwinClearMessageBoxRecords();
    EXPECT_NE(vqSetTbl32Language(r.language), 0) << r.language;
    EXPECT_EQ(vqGetTbl32Version(), 256u) << r.language;
    theLibrary.ErrorBox(211, 0x2Au);
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u) << r.language;
    EXPECT_EQ(boxes[0].caption, r.caption) << r.language;
    EXPECT_EQ(boxes[0].text, r.text) << r.language;
  }
}

TEST_F(LibraryEntry, RefusedLanguageKeepsTheCurrentOne) {
  theLibrary.StartCapture();
  theLibrary.ClearCaptured();
  EXPECT_EQ(vqSetTbl32Language("Q"), 0); // no vq_tblrcQ module exists
  EXPECT_EQ(vqSetTbl32Language(nullptr), 0);
  theLibrary.StopCapture();
  EXPECT_STREQ(theLibrary.GetLanguageId(), "D");
  EXPECT_FALSE(theLibrary.GetCapturedLines().empty());
  theLibrary.ClearCaptured();
}

TEST_F(LibraryEntry, DispVersionSetsOnlyTheNamedItems) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "VqFrameTestDialog";
  RegisterClassA(&wc);
  const struct {
    UINT releaseId, buildId;
    const char *release, *build;
  } rows[] = {
      {0, 0, "-", "-"},
      {11, 0, "Release 1.00", "-"},
      {0, 12, "-", "Build 0087"},
      {11, 12, "Release 1.00", "Build 0087"},
  };
  for (const auto &r : rows) {
    const HWND dialog = CreateWindowExA(0, "VqFrameTestDialog", "", WS_POPUP, 0, 0, 200, 100,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    for (int id : {11, 12})
      CreateWindowExA(0, "STATIC", "-", WS_CHILD, 0, 20 * id, 100, 20, dialog,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    vqDispTbl32Version(dialog, r.releaseId, r.buildId);
    char text[64];
    GetDlgItemTextA(dialog, 11, text, sizeof text);
    EXPECT_STREQ(text, r.release) << r.releaseId << "/" << r.buildId;
    GetDlgItemTextA(dialog, 12, text, sizeof text);
    EXPECT_STREQ(text, r.build) << r.releaseId << "/" << r.buildId;
    DestroyWindow(dialog);
  }
}

} // namespace
