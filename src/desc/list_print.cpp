// The printed field list of a table description: a title area, a column
// header of twelve tab stops that is repeated on every page, one line per
// field and a summary line, with a page header of title, date, time and
// page number. Pages come from the base library's CVQPrint, which calls
// back here for the page header and, after each page break, for the page
// end line and the column header. The key list prints nothing.
#include "desc/table_desc.h"
#include "desc/type_lists.h"

#include "frame/library.h"

#include <cstdio>
#include <cstring>

namespace {

using namespace vqdesc;

constexpr char kDocName[] = "ISAM Table Field List";
constexpr char kTitle[] = "Feldliste";
constexpr char kFace[] = "Times New Roman";
constexpr UINT kPitch = 18, kPointSize = 11, kNormal = 400, kBold = 700;
constexpr UINT kPageHeaderText = 1440;
constexpr char kPageHeaderFallback[] = "Satzstruktur einer ISAM-Datei";
constexpr UINT kNameBuffer = 128, kHeaderBuffer = 256;
// The string numbers of each vocabulary come in a block of a hundred; a
// code past its block would name a string of the next vocabulary.
constexpr UINT kCodesPerBlock = 100;
constexpr int kFirstColumn = -16;

// The print object of one field list. Its callbacks only get the print
// object, so the fonts of the job travel with it.
struct FieldListPrint : CVQPrint {
  HFONT normal = nullptr;
  HFONT bold = nullptr;
  UINT boldLineHeight = 0;
};

struct Column {
  UINT step; // percent of the print area's width from the previous stop
  const char *header;
  bool right;
};

constexpr Column kColumns[12] = {
    {3, "Nr", true},      {1, "Name", false},   {17, "Typ", false},   {17, "Pos", true},
    {7, "Len", true},     {1, "Inhalt", false}, {9, "Format", false}, {8, "Just.", false},
    {8, "Darst.", false}, {9, "Format", false}, {9, "Just.", false},  {11, "Breite", true},
};

constexpr int Stop(int column) { return kFirstColumn + column; }

// 2 tenths of a millimetre in device units, rounded.
UINT FrameThickness(const CVQPrint &print) {
  const int units = (print.prtResY * 2 + 127) / 254;
  return units > 0 ? static_cast<UINT>(units) : 1;
}

/// The name of `code` in the vocabulary numbered from `base`, into a
/// buffer of kNameBuffer; its length, 0 (and an empty text) when missing.
UINT LoadName(UINT base, UINT code, char *text) {
  text[0] = '\0';
  HINSTANCE module = theLibrary.GetResourceModule();
  if (code >= kCodesPerBlock || !module)
    return 0;
  const int n = LoadStringA(module, base + code, text, static_cast<int>(kNameBuffer));
  if (n <= 0) {
    text[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(n);
}

/// Expands the page header format with the title. Resource modules can be
/// replaced, so the format is taken only when it asks for no more than one
/// "%s" (and "%%"); anything else could read arguments that are not there.
bool ExpandHeader(const char *format, const char *title, char *out, size_t size) {
  size_t used = 0;
  bool titleUsed = false;
  auto put = [&](char c) {
    if (used + 1 < size)
      out[used++] = c;
  };
  for (const char *p = format; *p; ++p) {
    if (*p != '%') {
      put(*p);
      continue;
    }
    ++p;
    if (*p == '%') {
      put('%');
    } else if (*p == 's' && !titleUsed) {
      titleUsed = true;
      for (const char *t = title; *t; ++t)
        put(*t);
    } else {
      return false;
    }
  }
  out[used] = '\0';
  return true;
}

void PrintPageHeader(CVQPrint &print, const char *title, UINT page) {
  const UINT line = print.GetLine(-1);
  char format[kHeaderBuffer] = {};
  HINSTANCE module = theLibrary.GetResourceModule();
  if (!module || LoadStringA(module, kPageHeaderText, format, sizeof format) <= 0)
    std::snprintf(format, sizeof format, "%s", kPageHeaderFallback);
  char text[kHeaderBuffer];
  if (!ExpandHeader(format, title ? title : "", text, sizeof text)) {
    theLibrary.PrtLog(VQLOG_WARNING, kTableTag, "String %u is not a page header format: \"%s\"",
                      kPageHeaderText, format);
    ExpandHeader(kPageHeaderFallback, "", text, sizeof text);
  }
  print.LeftText(print.prtLeft, line, text, 0);

  SYSTEMTIME now{};
  GetLocalTime(&now);
  char date[24], time[24];
  std::snprintf(date, sizeof date, "%02u.%02u.%04u", UINT(now.wDay), UINT(now.wMonth),
                UINT(now.wYear));
  std::snprintf(time, sizeof time, "%02u:%02u:%02u", UINT(now.wHour), UINT(now.wMinute),
                UINT(now.wSecond));
  std::snprintf(text, sizeof text, "%s   %s   Seite %u", date, time, page);
  print.RightText(print.prtRight, line, text, 0);
}

// Sets the twelve stops from the print area's current width, so a caller's
// own stops never leak into the field lines.
UINT PrintColumnHeader(CVQPrint &print, UINT line) {
  // Installed only on a FieldListPrint by PrintFieldList.
  auto &job = static_cast<FieldListPrint &>(print);
  const long long left = print.prtLeft, width = print.prtRight - print.prtLeft;
  long long stop = left;
  for (int i = 0; i < 12; ++i) {
    stop += width * kColumns[i].step / 100;
    print.prtTabs[i] = static_cast<int>(stop);
  }
  SelectObject(print.prtDC, job.bold);
  for (int i = 0; i < 12; ++i) {
    if (kColumns[i].right)
      print.RightText(Stop(i), line, kColumns[i].header, 0);
    else
      print.LeftText(Stop(i), line, kColumns[i].header, 0);
  }
  SelectObject(print.prtDC, job.normal);
  const UINT thickness = FrameThickness(print);
  const UINT frame = line + print.prtLineHeight + 1;
  print.PrintRectFrame(print.prtLeft, frame, static_cast<UINT>(width), thickness);
  return frame + 2 * thickness;
}

UINT PrintPageEnd(CVQPrint &print, UINT line) {
  print.PrintHorLine(line + 4, 2, 10);
  return line + 16;
}

int NumberWidth(const CVQPrint &print, LONGLONG value) {
  char digits[24];
  const int n = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(value));
  SIZE size{};
  return GetTextExtentPoint32A(print.prtDC, digits, n, &size) ? size.cx : 0;
}

// The stops leave a type name 17 % of the width, less the position that
// ends at the next stop; the longer German names, five-digit positions and
// long field names overrun it. A left-aligned cell is therefore cut to the
// characters that end a blank's width before `limit`, where the next cell
// begins, rather than print over it.
void LeftCell(CVQPrint &print, int column, UINT line, const char *text, UINT length, int limit) {
  int n = static_cast<int>(length ? strnlen(text, length) : std::strlen(text));
  SIZE blank{}, size{};
  GetTextExtentPoint32A(print.prtDC, " ", 1, &blank);
  int fit = n;
  if (GetTextExtentExPointA(print.prtDC, text, n, limit - print.ColumnX(column) - blank.cx, &fit,
                            nullptr, &size) &&
      fit < n) {
    // Whole words where the cut leaves one, as "Gleitkomma" of
    // "Gleitkomma 32 Bit"; a single long word is cut where it must be.
    int word = fit;
    while (word > 0 && text[word] != ' ')
      --word;
    n = word > 0 ? word : fit;
    while (n > 0 && text[n - 1] == ' ')
      --n;
  }
  if (n > 0)
    print.LeftText(column, line, text, static_cast<UINT>(n));
}

void Prepare(CVQPrint &print) {
  print.prtPageOpen = print.prtPageCount = print.prtJobId = 0;
  print.prtLineCount = print.prtLastError = 0;
  print.prtTopMargin = 200;
  print.prtLeftMargin = 150;
  print.prtRightMargin = 150;
  print.prtBottomMargin = 150;
  print.prtHeaderHeight = 60;
  print.prtFooterHeight = 60;
  print.prtPageHeader = nullptr;
  print.prtColumnHeader = nullptr;
  print.prtPageEnd = nullptr;
}

void PrintSummary(CVQPrint &print, UINT line, const CVQFieldDescList &fields) {
  char text[32];
  std::snprintf(text, sizeof text, "%u Felder", fields.count);
  print.LeftText(print.prtLeft, line, text, 0);
  print.RightDez(Stop(4), line, fields.GetRecSize());
  print.LeftText(Stop(5), line, "Bytes", 0);
  print.RightDez(Stop(11), line, fields.GetDispWidth());
}

} // namespace

int CVQFieldDesc::PrintDef(CVQPrint &print, UINT line, UINT index) const {
  char text[kNameBuffer];
  const BoundedText fieldName(name);
  const int stop2 = print.ColumnX(Stop(2)), stop3 = print.ColumnX(Stop(3));
  print.RightDez(Stop(0), line, LONGLONG(index) + 1);
  LeftCell(print, Stop(1), line, fieldName.text, 0, stop2);
  UINT length = LoadName(kEncodeNames, encodeType, text);
  LeftCell(print, Stop(2), line, text, length, stop3 - NumberWidth(print, offset));
  print.RightDez(Stop(3), line, offset);
  print.RightDez(Stop(4), line, size);
  // The format columns stay empty, so the kinds may reach into them.
  length = LoadName(kKindNames, contentType & twKIND, text);
  LeftCell(print, Stop(5), line, text, length, print.ColumnX(Stop(7)));
  length = LoadName(kJustNames, dataJustType, text);
  LeftCell(print, Stop(7), line, text, length, print.ColumnX(Stop(8)));
  length = LoadName(kKindNames, displayType & twKIND, text);
  LeftCell(print, Stop(8), line, text, length, print.ColumnX(Stop(10)));
  length = LoadName(kJustNames, dispJustType, text);
  LeftCell(print, Stop(10), line, text, length,
           print.ColumnX(Stop(11)) - NumberWidth(print, dispWidth));
  print.RightDez(Stop(11), line, dispWidth);
  return 1;
}

BOOL CVQTableDesc::PrintFieldList(HWND owner) const {
  FieldListPrint print;
  Prepare(print);
  if (!print.OpenPrinterA(owner, kDocName, nullptr)) {
    print.ClosePrinter(1);
    return 0;
  }
  print.normal = print.CreateDefFont(kFace, kPitch, kPointSize, kNormal, 0);
  print.bold = print.CreateFontHeight(kFace, kPitch, kPointSize, kBold, 0, &print.boldLineHeight);
  UINT line = print.GetLine(-2);
  print.prtPageHeader = PrintPageHeader;
  print.prtTitle = kTitle;

  print.StartPage();
  SelectObject(print.prtDC, print.bold);
  const int left = print.prtLeft;
  print.LeftText(left, line, "ISAM-Datei:", 0);
  line = print.IncLine(line, 2 * print.boldLineHeight);
  print.LeftText(left, line, "Tabelle:", 0);
  const BoundedText tableName(name);
  print.LeftText(left + (print.prtResX * 300 + 127) / 254, line, tableName.text, 0);
  line = print.IncLine(line, 2 * print.boldLineHeight);

  line = PrintColumnHeader(print, line);
  print.prtColumnHeader = PrintColumnHeader;
  print.prtPageEnd = PrintPageEnd;
  SelectObject(print.prtDC, print.normal);

  if (!fields.fields || fields.count == 0) {
    print.LeftText(left, line, "Die Tabelle enth\xE4lt keine Felddefinitionen.", 0);
  } else {
    for (UINT i = 0; i < fields.count; ++i) {
      fields.fields[i].PrintDef(print, line, i);
      line = print.IncLine(line, print.prtLineHeight);
    }
    PrintSummary(print, PrintPageEnd(print, line), fields);
  }

  print.prtPageOpen = 0;
  EndPage(print.prtDC);
  print.ClosePrinter(0);
  if (print.normal)
    DeleteObject(print.normal);
  if (print.bold)
    DeleteObject(print.bold);
  print.ClosePrinter(1);
  return 1;
}

BOOL CVQTableDesc::PrintKeyList(HWND /*owner*/) const { return 1; }
