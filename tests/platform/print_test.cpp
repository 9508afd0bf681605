// Printing through the layer's PDF printer: device capabilities, the job
// calls and their errors, where documents go, the print dialog, and what a
// reader of the finished PDF sees (pdftotext -layout).
#include <windows.h>

#include <commdlg.h>
#include <vqwin_modal.h>
#include <vqwin_print.h>

#include <gtest/gtest.h>

#include "../common/pdf_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using vqtest::LineOf;
using vqtest::PdfPages;
using vqtest::PdfWord;

std::string TempPath(const std::string &name) { return testing::TempDir() + name; }

bool Exists(const std::string &path) { return std::ifstream(path).good(); }

DOCINFOA Doc(const char *name, const char *output) {
  DOCINFOA di{};
  di.cbSize = sizeof di;
  di.lpszDocName = name;
  di.lpszOutput = output;
  return di;
}

class Print : public testing::Test {
protected:
  void SetUp() override {
    vqwinResetModal();
    vqwinSetPrintOutput(nullptr);
  }
  void TearDown() override {
    vqwinResetModal();
    vqwinSetPrintOutput(nullptr);
  }
};

TEST_F(Print, TheDefaultPrinterIsA4At300Dpi) {
  HDC dc = CreateDCA("WINSPOOL", nullptr, nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  struct Row {
    const char *name;
    int index, expected;
  } rows[] = {{"LOGPIXELSX", LOGPIXELSX, 300},
              {"LOGPIXELSY", LOGPIXELSY, 300},
              {"PHYSICALWIDTH", PHYSICALWIDTH, 2480},
              {"PHYSICALHEIGHT", PHYSICALHEIGHT, 3508},
              {"PHYSICALOFFSETX", PHYSICALOFFSETX, 50},
              {"PHYSICALOFFSETY", PHYSICALOFFSETY, 50},
              {"HORZRES", HORZRES, 2380},
              {"VERTRES", VERTRES, 3408},
              {"HORZSIZE", HORZSIZE, 202},
              {"TECHNOLOGY", TECHNOLOGY, DT_RASPRINTER}};
  for (const Row &r : rows)
    EXPECT_EQ(GetDeviceCaps(dc, r.index), r.expected) << r.name;
  EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(Print, DevModeChoosesPaperOrientationAndResolution) {
  struct Row {
    const char *name;
    DWORD fields;
    short paper, orientation, quality;
    int dpi, width, height; // PHYSICALWIDTH, PHYSICALHEIGHT
  } rows[] = {
      {"landscape A4", DM_ORIENTATION, 0, DMORIENT_LANDSCAPE, 0, 300, 3508, 2480},
      {"letter", DM_PAPERSIZE, DMPAPER_LETTER, 0, 0, 300, 2550, 3300},
      {"600 dpi", DM_PRINTQUALITY, 0, 0, 600, 600, 4961, 7016},
      {"draft keeps 300", DM_PRINTQUALITY, 0, 0, -1, 300, 2480, 3508},
  };
  for (const Row &r : rows) {
    DEVMODEA dm{};
    dm.dmSize = sizeof dm;
    dm.dmFields = r.fields;
    dm.dmPaperSize = r.paper;
    dm.dmOrientation = r.orientation;
    dm.dmPrintQuality = r.quality;
    HDC dc = CreateDCA(nullptr, "pdf", nullptr, &dm);
    ASSERT_NE(dc, nullptr) << r.name;
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), r.dpi) << r.name;
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), r.width) << r.name;
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), r.height) << r.name;
    DeleteDC(dc);
  }
}

TEST_F(Print, CreateDcRefusesWhatItCannotPrintOn) {
  DEVMODEA legal{};
  legal.dmFields = DM_PAPERSIZE;
  legal.dmPaperSize = 5;
  DEVMODEA fine{};
  fine.dmFields = DM_PRINTQUALITY;
  fine.dmPrintQuality = 5000;
  struct Row {
    const char *name, *driver, *device;
    const DEVMODEA *dm;
    DWORD error;
  } rows[] = {
      {"unknown printer", "WINSPOOL", "Laser 5", nullptr, ERROR_INVALID_PRINTER_NAME},
      {"display driver", "DISPLAY", nullptr, nullptr, ERROR_INVALID_PARAMETER},
      {"unknown paper", nullptr, nullptr, &legal, ERROR_INVALID_PARAMETER},
      {"resolution too fine", nullptr, nullptr, &fine, ERROR_INVALID_PARAMETER},
  };
  for (const Row &r : rows) {
    SetLastError(0);
    EXPECT_EQ(CreateDCA(r.driver, r.device, nullptr, r.dm), nullptr) << r.name;
    EXPECT_EQ(GetLastError(), r.error) << r.name;
  }
}

TEST_F(Print, TwoPagesReadBackInTheirPlaces) {
  std::string path = TempPath("print_two_pages.pdf");
  std::remove(path.c_str());
  HDC dc = CreateDCA(nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  HFONT font = CreateFontA(-MulDiv(11, 300, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0,
                           "Times New Roman");
  HGDIOBJ old = SelectObject(dc, font);
  DOCINFOA di = Doc("Two pages", path.c_str());
  int job = StartDocA(dc, &di);
  EXPECT_GT(job, 0);
  int right = GetDeviceCaps(dc, HORZRES), bottom = GetDeviceCaps(dc, VERTRES);

  ASSERT_GT(StartPage(dc), 0);
  TextOutA(dc, 0, 0, "Alpha", 5);
  SetTextAlign(dc, TA_RIGHT | TA_TOP);
  TextOutA(dc, right, 0, "Omega", 5);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  TextOutA(dc, 0, bottom / 2, "Middle of page one", 18);
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID) << "no pixels to read on paper";
  ASSERT_GT(EndPage(dc), 0);

  ASSERT_GT(StartPage(dc), 0);
  TextOutA(dc, right / 2, 0, "Second page", 11);
  TextOutA(dc, 0, bottom - 100, "Bottom \xE4\xF6\xFC", 10);
  ASSERT_GT(EndPage(dc), 0);
  ASSERT_GT(EndDoc(dc), 0);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);

  char last[MAX_PATH];
  EXPECT_EQ(vqwinGetLastPrintOutput(last, sizeof last), path.size());
  EXPECT_EQ(last, path);
  EXPECT_EQ(vqwinGetLastPrintPages(), 2u);
  EXPECT_FALSE(Exists(path + ".part"));

  std::vector<std::string> pages = PdfPages(path);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(LineOf(pages[0], "Alpha"), LineOf(pages[0], "Omega")) << "one line";
  EXPECT_LT(LineOf(pages[0], "Alpha"), LineOf(pages[0], "Middle of page one"));
  EXPECT_EQ(LineOf(pages[0], "Second page"), -1);
  EXPECT_NE(LineOf(pages[1], "Bottom \xC3\xA4\xC3\xB6\xC3\xBC"), -1);

  // Dots become points at 72/300, counted from the sheet's corner: the
  // printable area starts 50 dots in.
  constexpr double kPt = 72.0 / 300;
  struct Row {
    const char *word;
    int page;
    double x; // expected xMin, or xMax for right-aligned words
    bool right;
    double y; // the text's top: at most a line above yMin
  } rows[] = {{"Alpha", 0, 50 * kPt, false, 50 * kPt},
              {"Omega", 0, (50 + right) * kPt, true, 50 * kPt},
              {"Middle", 0, 50 * kPt, false, (50 + bottom / 2) * kPt},
              {"Second", 1, (50 + right / 2) * kPt, false, 50 * kPt},
              {"Bottom", 1, 50 * kPt, false, (50 + bottom - 100) * kPt}};
  const std::vector<PdfWord> words = vqtest::PdfWords(path);
  for (const Row &r : rows) {
    auto w = std::find_if(words.begin(), words.end(),
                          [&](const PdfWord &word) { return word.text == r.word; });
    ASSERT_NE(w, words.end()) << r.word;
    EXPECT_EQ(w->page, r.page) << r.word;
    EXPECT_NEAR(r.right ? w->xMax : w->xMin, r.x, 2.0) << r.word;
    EXPECT_GE(w->yMin, r.y - 1) << r.word;
    EXPECT_LE(w->yMin, r.y + 6) << r.word;
  }
  std::remove(path.c_str());
}

TEST_F(Print, JobCallsOutOfOrderFail) {
  HDC dc = CreateDCA(nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(StartPage(dc), SP_ERROR) << "no document";
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  EXPECT_EQ(AbortDoc(dc), SP_ERROR);
  DOCINFOA bad = Doc("x", nullptr);
  bad.cbSize = 4;
  EXPECT_EQ(StartDocA(dc, &bad), SP_ERROR);
  std::string path = TempPath("print_order.pdf");
  DOCINFOA di = Doc("order", path.c_str());
  ASSERT_GT(StartDocA(dc, &di), 0);
  EXPECT_EQ(StartDocA(dc, &di), SP_ERROR) << "a document is open";
  EXPECT_EQ(EndPage(dc), SP_ERROR) << "no page";
  ASSERT_GT(StartPage(dc), 0);
  EXPECT_EQ(StartPage(dc), SP_ERROR) << "page already open";
  EXPECT_GT(EndDoc(dc), 0) << "ends the open page too";
  EXPECT_EQ(vqwinGetLastPrintPages(), 1u);
  DeleteDC(dc);
  std::remove(path.c_str());
  HDC screen = CreateCompatibleDC(nullptr);
  SetLastError(0);
  EXPECT_EQ(StartDocA(screen, &di), SP_ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  DeleteDC(screen);
  std::string missing = TempPath("no such folder/x.pdf");
  DOCINFOA nowhere = Doc("nowhere", missing.c_str());
  dc = CreateDCA(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(StartDocA(dc, &nowhere), SP_ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  DeleteDC(dc);
}

TEST_F(Print, AbortAndDeleteLeaveAnOlderFileAsItWas) {
  std::string path = TempPath("print_abort.pdf");
  { std::ofstream(path) << "older"; }
  for (bool viaDelete : {false, true}) {
    HDC dc = CreateDCA(nullptr, nullptr, nullptr, nullptr);
    DOCINFOA di = Doc("dropped", path.c_str());
    ASSERT_GT(StartDocA(dc, &di), 0);
    StartPage(dc);
    TextOutA(dc, 10, 10, "lost", 4);
    if (!viaDelete) {
      EXPECT_GT(AbortDoc(dc), 0);
    }
    DeleteDC(dc);
    std::ifstream in(path);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "older") << (viaDelete ? "DeleteDC" : "AbortDoc");
    EXPECT_FALSE(Exists(path + ".part"));
  }
  std::remove(path.c_str());
}

TEST_F(Print, OutputPathPrecedence) {
  std::string set = TempPath("print_set.pdf"), env = TempPath("print_env.pdf"),
              own = TempPath("print_own.pdf");
  setenv("VQWIN_PRINT_OUTPUT", env.c_str(), 1);
  struct Row {
    const char *name;
    const char *setPath, *docOutput;
    std::string expected;
  } rows[] = {{"environment", nullptr, nullptr, env},
              {"automation", set.c_str(), nullptr, set},
              {"DOCINFOA", set.c_str(), own.c_str(), own}};
  for (const Row &r : rows) {
    vqwinSetPrintOutput(r.setPath);
    HDC dc = CreateDCA(nullptr, nullptr, nullptr, nullptr);
    DOCINFOA di = Doc(r.name, r.docOutput);
    ASSERT_GT(StartDocA(dc, &di), 0) << r.name;
    StartPage(dc);
    EndDoc(dc);
    DeleteDC(dc);
    EXPECT_TRUE(Exists(r.expected)) << r.name;
    std::remove(r.expected.c_str());
  }
  unsetenv("VQWIN_PRINT_OUTPUT");
  EXPECT_FALSE(vqwinSetPrintOutput(std::string(MAX_PATH, 'a').c_str()));
}

TEST_F(Print, PrintDialogAnswers) {
  struct Row {
    const char *name;
    DWORD flags;
    int answer; // queued answer, 0 for none
    BOOL result;
    bool dc;
  } rows[] = {{"return default with DC", PD_RETURNDEFAULT | PD_RETURNDC, 0, TRUE, true},
              {"return default without DC", PD_RETURNDEFAULT, 0, TRUE, false},
              {"dialog default is OK", PD_RETURNDC, 0, TRUE, true},
              {"dialog OK", PD_RETURNDC, IDOK, TRUE, true},
              {"dialog cancelled", PD_RETURNDC, IDCANCEL, FALSE, false}};
  for (const Row &r : rows) {
    vqwinResetModal();
    if (r.answer)
      vqwinQueueMessageBoxAnswer(r.answer);
    PRINTDLGA pd{};
    pd.lStructSize = sizeof pd;
    pd.Flags = r.flags;
    EXPECT_EQ(PrintDlgA(&pd), r.result) << r.name;
    EXPECT_EQ(CommDlgExtendedError(), 0u) << r.name;
    EXPECT_EQ(pd.hDC != nullptr, r.dc) << r.name;
    if (pd.hDC) {
      EXPECT_EQ(GetDeviceCaps(pd.hDC, TECHNOLOGY), DT_RASPRINTER) << r.name;
      DeleteDC(pd.hDC);
    }
    EXPECT_EQ(vqwinPendingModalSteps(), 0) << r.name;
  }
}

TEST_F(Print, PrintDialogErrors) {
  int devMode = 0;
  struct Row {
    const char *name;
    DWORD size, flags;
    HGLOBAL devModeHandle;
    DWORD error;
  } rows[] = {
      {"size", sizeof(PRINTDLGA) - 8, PD_RETURNDEFAULT, nullptr, CDERR_STRUCTSIZE},
      {"hook", sizeof(PRINTDLGA), 0x1000 /* PD_ENABLEPRINTHOOK */, nullptr, CDERR_INITIALIZATION},
      {"default with a DEVMODE", sizeof(PRINTDLGA), PD_RETURNDEFAULT, &devMode,
       PDERR_RETDEFFAILURE},
  };
  for (const Row &r : rows) {
    PRINTDLGA pd{};
    pd.lStructSize = r.size;
    pd.Flags = r.flags;
    pd.hDevMode = r.devModeHandle;
    EXPECT_FALSE(PrintDlgA(&pd)) << r.name;
    EXPECT_EQ(CommDlgExtendedError(), r.error) << r.name;
  }
  EXPECT_FALSE(PrintDlgA(nullptr));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
}

} // namespace
