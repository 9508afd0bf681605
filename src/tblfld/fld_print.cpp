// The printed list of a list-view field description set: a page header of
// document name and page number, a column header repeated on every page,
// one line per field (name, position, length, type, width, justification)
// and a footer of document name and print time under each page's last
// line. Pages come from the base library's CVQPrint, which calls back here
// for the page header and, at each page break, for the footer and the
// column header.
#include "tblfld/tblfld.h"

#include <cstdio>
#include <cstring>

using namespace vqtblfld;

namespace {

constexpr char kDocName[] = "vq_tbl32: Table Field Description";
constexpr char kFace[] = "Times New Roman";
constexpr UINT kPitch = 18, kPointSize = 10, kNormal = 400, kBold = 700;
constexpr UINT kColumns = 6;
constexpr UINT kText = 128;

// Where each column stands, in percent of the print area's width, and
// whether it ends there (numbers) or begins there (texts).
struct Column {
  UINT percent;
  bool right;
};
constexpr Column kLayout[kColumns] = {{0, false},  {40, true}, {50, true},
                                      {53, false}, {85, true}, {88, false}};

constexpr int Stop(UINT column) { return -16 + static_cast<int>(column); }

// The print object of one list: the callbacks only get the print object,
// so the job's fonts and footer travel with it.
struct DescPrint : CVQPrint {
  HFONT normal = nullptr;
  HFONT bold = nullptr;
  UINT boldLineHeight = 0;
  char footer[160] = {};
};

void Prepare(CVQPrint &print) {
  print.prtPageOpen = print.prtPageCount = print.prtJobId = 0;
  print.prtLineCount = print.prtLastError = 0;
  print.prtTopMargin = 200;
  print.prtLeftMargin = print.prtRightMargin = print.prtBottomMargin = 150;
  print.prtHeaderHeight = print.prtFooterHeight = 60;
  print.prtPageHeader = nullptr;
  print.prtColumnHeader = nullptr;
  print.prtPageEnd = nullptr;
}

void PageHeader(CVQPrint &print, const char *title, UINT page) {
  const UINT line = print.GetLine(-1);
  print.LeftText(print.prtLeft, line, title ? title : "", 0);
  char number[32];
  std::snprintf(number, sizeof number, "%u", page);
  print.RightText(print.prtRight, line, number, 0);
}

UINT ColumnHeader(CVQPrint &print, UINT line) {
  auto &job = static_cast<DescPrint &>(print); // installed only on a DescPrint
  const long long width = print.prtRight - print.prtLeft;
  for (UINT i = 0; i < kColumns; ++i)
    print.prtTabs[i] = print.prtLeft + static_cast<int>(width * kLayout[i].percent / 100);
  SelectObject(print.prtDC, job.bold);
  for (UINT i = 0; i < kColumns; ++i) {
    char text[kText];
    LoadText(kColumnHeaders + i, text, sizeof text);
    if (kLayout[i].right)
      print.RightText(Stop(i), line, text, 0);
    else
      print.LeftText(Stop(i), line, text, 0);
  }
  SelectObject(print.prtDC, job.normal);
  line += job.boldLineHeight;
  print.PrintHorLine(line, 2, 0);
  return line + print.prtLineHeight / 2;
}

UINT PageEnd(CVQPrint &print, UINT line) {
  const auto &job = static_cast<const DescPrint &>(print);
  print.PrintHorLine(line + 4, 2, 0);
  print.LeftText(print.prtLeft, line + 16, job.footer, 0);
  return line + 16 + print.prtLineHeight;
}

void PrintEntry(CVQPrint &print, UINT line, const SVQTblField &f) {
  char text[kText];
  print.LeftText(Stop(0), line, f.name, static_cast<UINT>(strnlen(f.name, sizeof f.name)));
  print.RightDez(Stop(1), line, f.position);
  print.RightDez(Stop(2), line, f.length);
  const UINT type = lbFldTypes.FindValue(f.type);
  if (type == kNotFound)
    std::snprintf(text, sizeof text, "%u", f.type);
  else
    lbFldTypes.GetText(type, text, sizeof text);
  print.LeftText(Stop(3), line, text, 0);
  print.RightDez(Stop(4), line, f.width);
  const UINT just = lbJustTypes.FindValue(f.justification);
  if (just == kNotFound)
    LoadText(kJustOtherName, text, sizeof text);
  else
    lbJustTypes.GetText(just, text, sizeof text);
  print.LeftText(Stop(5), line, text, 0);
}

void MakeFooter(DescPrint &job) {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "%02u.%02u.%04u %02u:%02u:%02u", UINT(now.wDay),
                UINT(now.wMonth), UINT(now.wYear), UINT(now.wHour), UINT(now.wMinute),
                UINT(now.wSecond));
  std::snprintf(job.footer, sizeof job.footer, "%s  %s", kDocName, stamp);
}

} // namespace

int CVQTblFldDesc::PrintDesc(HWND parent) const {
  DescPrint print;
  Prepare(print);
  if (!print.OpenPrinterA(parent, kDocName, nullptr)) {
    print.ClosePrinter(1);
    return 0;
  }
  print.normal = print.CreateDefFont(kFace, kPitch, kPointSize, kNormal, 0);
  print.bold = print.CreateFontHeight(kFace, kPitch, kPointSize, kBold, 0, &print.boldLineHeight);
  MakeFooter(print);
  print.prtPageHeader = PageHeader;
  print.prtTitle = kDocName;
  print.StartPage();
  UINT line = ColumnHeader(print, print.GetLine(-2));
  print.prtColumnHeader = ColumnHeader;
  print.prtPageEnd = PageEnd;
  for (UINT i = 0; fields && i < count; ++i) {
    PrintEntry(print, line, fields[i]);
    line = print.IncLine(line, print.prtLineHeight);
  }
  PageEnd(print, line);
  print.EndPage();
  const BOOL written = print.ClosePrinter(0);
  DeleteObject(print.normal);
  DeleteObject(print.bold);
  print.ClosePrinter(1);
  return written ? 1 : 0;
}
