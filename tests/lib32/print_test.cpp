// CVQPrint as the field-list print drives it: the page layout in device
// units, columns, page breaks with their callbacks, and the printed PDF read
// back with pdftotext; plus the failures that must not print anything.
#include <vq_lib32.h>

#include <vqwin_print.h>

#include <gtest/gtest.h>

#include "../common/pdf_text.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using vqtest::LineOf;
using vqtest::PdfPages;

// Prepared as the field-list print prepares its print object.
void Prepare(CVQPrint &p) {
  p.prtPageOpen = p.prtPageCount = p.prtJobId = p.prtLineCount = p.prtLastError = 0;
  p.prtTopMargin = 200, p.prtLeftMargin = 150, p.prtRightMargin = 150;
  p.prtBottomMargin = 150, p.prtHeaderHeight = 60, p.prtFooterHeight = 60;
  p.prtPageHeader = nullptr, p.prtColumnHeader = nullptr, p.prtPageEnd = nullptr;
}

void Header(CVQPrint &p, const char *title, UINT page) {
  char text[64];
  std::snprintf(text, sizeof text, "%s Seite %u", title, page);
  p.LeftText(-1, p.GetLine(-1), "Satzstruktur", 0);
  p.RightText(-2, p.GetLine(-1), text, 0);
}

UINT Columns(CVQPrint &p, UINT line) {
  p.RightText(-16, line, "Nr", 0);
  p.LeftText(-15, line, "Name", 0);
  p.RightText(-5, line, "Breite", 0);
  UINT t = static_cast<UINT>((p.prtResY * 2 + 127) / 254);
  p.PrintRectFrame(p.prtLeft, line + p.prtLineHeight + 1, static_cast<UINT>(p.prtRight - p.prtLeft),
                   t);
  return line + p.prtLineHeight + 1 + 2 * t;
}

UINT PageEnd(CVQPrint &p, UINT line) {
  p.PrintHorLine(line + 4, 2, 10);
  p.LeftText(-1, line + 16, "Fortsetzung", 0);
  return line + 16;
}

class PrintObject : public testing::Test {
protected:
  void SetUp() override {
    path = testing::TempDir() + "lib32_print_" +
           testing::UnitTest::GetInstance()->current_test_info()->name() + ".pdf";
    std::remove(path.c_str());
    vqwinSetPrintOutput(path.c_str());
    CVQLogFile::GetDefault().StartCapture();
    CVQLogFile::GetDefault().ClearCaptured();
  }
  void TearDown() override {
    vqwinSetPrintOutput(nullptr);
    CVQLogFile::GetDefault().StopCapture();
    std::remove(path.c_str());
  }
  std::string path;
};

TEST_F(PrintObject, OpeningLaysOutThePageInDeviceUnits) {
  CVQPrint p;
  Prepare(p);
  ASSERT_TRUE(p.OpenPrinterA(nullptr, "Layout", nullptr));
  // 300 dpi, printable area 50 dots inside the sheet of 2480 x 3508.
  struct Row {
    const char *name;
    long long actual, expected;
  } rows[] = {
      {"resolution x", p.prtResX, 300},
      {"resolution y", p.prtResY, 300},
      {"left edge: 15 mm less the border", p.prtLeft, 177 - 50},
      {"right edge", p.prtRight, 2480 - 177 - 50},
      {"header line: 20 mm", p.GetLine(-1), 236 - 50},
      {"first body line: 6 mm lower", p.GetLine(-2), 236 - 50 + 71},
      {"line height: 18 pt", p.prtLineHeight, 75},
      {"body line 2", p.GetLine(2), 236 - 50 + 71 + 150},
      {"column -16", p.ColumnX(-16), p.prtTabs[0]},
      {"column -5: the right edge", p.ColumnX(-5), p.prtRight},
      {"column -4 names nothing", p.ColumnX(-4), -1},
      {"job id", p.prtJobId > 0, 1},
  };
  for (const Row &r : rows)
    EXPECT_EQ(r.actual, r.expected) << r.name;
  EXPECT_TRUE(p.ClosePrinter(1));
  EXPECT_EQ(p.prtDC, nullptr);
}

TEST_F(PrintObject, LongListsBreakPagesWithHeaderColumnsAndPageEnd) {
  CVQPrint p;
  Prepare(p);
  ASSERT_TRUE(p.OpenPrinterA(nullptr, "ISAM Table Field List", nullptr));
  HFONT normal = p.CreateDefFont("Times New Roman", 18, 11, 400, 0);
  UINT boldHeight = 0;
  HFONT bold = p.CreateFontHeight("Times New Roman", 18, 11, 700, 0, &boldHeight);
  ASSERT_NE(normal, nullptr);
  ASSERT_NE(bold, nullptr);
  EXPECT_GE(boldHeight, p.prtLineHeight);
  UINT line = p.GetLine(-2);
  p.prtPageHeader = Header;
  p.prtTitle = "Feldliste";
  ASSERT_TRUE(p.StartPage());
  SelectObject(p.prtDC, bold);
  p.LeftText(p.prtLeft, line, "Tabelle:", 0);
  line = p.IncLine(line, 2 * boldHeight);
  line = Columns(p, line);
  p.prtColumnHeader = Columns;
  p.prtPageEnd = PageEnd;
  SelectObject(p.prtDC, normal);
  const int kFields = 100;
  for (int i = 0; i < kFields; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Feld%03d", i + 1);
    p.RightDez(-16, line, i + 1);
    p.LeftText(-15, line, name, 0);
    p.RightDez(-5, line, 10 * (i + 1));
    line = p.IncLine(line, p.prtLineHeight);
  }
  p.PrintHorLine(line + 4, 2, 10);
  p.LeftText(p.prtLeft, line + 16, "100 Felder", 0);
  p.prtPageOpen = 0;
  EndPage(p.prtDC);
  EXPECT_TRUE(p.ClosePrinter(0));
  DeleteObject(normal);
  DeleteObject(bold);
  EXPECT_TRUE(p.ClosePrinter(1));

  std::vector<std::string> pages = PdfPages(path);
  ASSERT_GE(pages.size(), 3u);
  EXPECT_EQ(pages.size(), p.prtPageCount);
  int printed = 0;
  for (size_t i = 0; i < pages.size(); ++i) {
    const std::string &page = pages[i];
    std::string n = std::to_string(i + 1);
    int header = LineOf(page, "Feldliste Seite " + n), columns = LineOf(page, "Name"),
        end = LineOf(page, i + 1 < pages.size() ? "Fortsetzung" : "100 Felder");
    EXPECT_EQ(LineOf(page, "Satzstruktur"), header) << "page " << n;
    EXPECT_GE(header, 0) << "page " << n;
    EXPECT_GT(columns, header) << "page " << n;
    EXPECT_GT(end, columns) << "page " << n;
    for (int f = 1; f <= kFields; ++f) {
      char name[16];
      std::snprintf(name, sizeof name, "Feld%03d", f);
      int at = LineOf(page, name);
      if (at < 0)
        continue;
      ++printed;
      EXPECT_GT(at, columns) << name;
      EXPECT_LT(at, end) << name;
    }
  }
  EXPECT_EQ(printed, kFields) << "every field once";
  EXPECT_NE(LineOf(pages[0], "Tabelle:"), -1);
  EXPECT_EQ(LineOf(pages[1], "Tabelle:"), -1) << "the title area is the caller's, page 1 only";
}

TEST_F(PrintObject, FailuresAreLoggedAndPrintNothing) {
  struct Row {
    const char *name;
    const char *printer;
    UINT top, bottom;
    std::string log;
  } rows[] = {
      {"unknown printer", "Laser 5", 200, 150,
       "0 CVQPrint Cannot open the printer \"Laser 5\" (error 1801)"},
      {"margins leave no area", nullptr, 2000, 1500,
       "0 CVQPrint The page layout 2000,150,150,1500,60,60 leaves no print area"},
  };
  for (const Row &r : rows) {
    CVQLogFile::GetDefault().ClearCaptured();
    CVQPrint p;
    Prepare(p);
    p.prtTopMargin = r.top, p.prtBottomMargin = r.bottom;
    EXPECT_FALSE(p.OpenPrinterA(nullptr, "x", r.printer)) << r.name;
    p.ClosePrinter(1);
    std::vector<std::string> lines = CVQLogFile::GetDefault().GetCapturedLines();
    ASSERT_FALSE(lines.empty()) << r.name;
    EXPECT_EQ(lines[0], r.log) << r.name;
    EXPECT_FALSE(std::ifstream(path).good()) << r.name;
  }
  CVQPrint closed;
  EXPECT_FALSE(closed.StartPage());
  EXPECT_FALSE(closed.LeftText(0, 0, "x", 0));
  EXPECT_EQ(closed.CreateDefFont("Arial", 18, 11, 400, 0), nullptr);
}

TEST_F(PrintObject, BadColumnsAndFontsAreRefused) {
  CVQPrint p;
  Prepare(p);
  ASSERT_TRUE(p.OpenPrinterA(nullptr, "Bad", "PDF"));
  ASSERT_TRUE(p.StartPage());
  CVQLogFile::GetDefault().ClearCaptured();
  EXPECT_FALSE(p.LeftText(-4, 300, "x", 0));
  EXPECT_FALSE(p.RightText(-17, 300, "x", 0));
  EXPECT_FALSE(p.PrintHorLine(300, 2, 20000));
  EXPECT_EQ(p.CreateFontHeight("", 18, 11, 400, 0, nullptr), nullptr);
  EXPECT_EQ(p.CreateDefFont(std::string(40, 'F').c_str(), 18, 11, 400, 0), nullptr);
  EXPECT_EQ(p.CreateDefFont("Arial", 18, 0, 400, 0), nullptr);
  std::vector<std::string> lines = CVQLogFile::GetDefault().GetCapturedLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "0 CVQPrint Cannot print at column -4 on line 300");
  EXPECT_EQ(lines[1], "0 CVQPrint Cannot print at column -17 on line 300");
  EXPECT_TRUE(p.LeftText(-10, 300, "short text", 5)) << "a length cuts the text";
  p.AbortPrint();
  EXPECT_TRUE(p.ClosePrinter(1));
  EXPECT_FALSE(std::ifstream(path).good()) << "an aborted print leaves no file";
}

} // namespace
