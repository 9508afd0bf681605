// CVQPrint: a document printed page by page through the platform's printer
// calls (PrintDlgA or CreateDCA, StartDocA, StartPage, EndPage, EndDoc).
// The print object keeps the page geometry in device units once the printer
// is open; callers place text by device position or by tab-stop column and
// let IncLine break pages, which calls their header and page-end callbacks.
#include <vq_lib32.h>

#include <commdlg.h>

#include <cstdio>
#include <cstring>

namespace {

const char kTag[] = "CVQPrint";
const char kDefaultFace[] = "Times New Roman";
constexpr UINT kDefaultPitch = 18, kDefaultSize = 11;
constexpr UINT kMaxPointSize = 500;

CVQLogFile &Log() { return CVQLogFile::GetDefault(); }

} // namespace

CVQPrint::CVQPrint()
    : prtPageOpen(0), prtPageCount(0), prtJobId(0), prtLineCount(0), prtLastError(0),
      prtTopMargin(200), prtLeftMargin(150), prtRightMargin(150), prtBottomMargin(150),
      prtHeaderHeight(60), prtFooterHeight(60), prtPageHeader(nullptr), prtColumnHeader(nullptr),
      prtPageEnd(nullptr), prtTitle(nullptr), prtDC(nullptr), prtResX(0), prtResY(0), prtLeft(0),
      prtRight(0), prtTop(0), prtBottom(0), prtLineHeight(0), prtTabs{}, defFont(nullptr),
      ownFont(nullptr), origFont(nullptr), inBreak(FALSE) {}

CVQPrint::~CVQPrint() { ClosePrinter(1); }

int CVQPrint::MmToX(UINT tenths) const { return MulDiv(static_cast<int>(tenths), prtResX, 254); }
int CVQPrint::MmToY(UINT tenths) const { return MulDiv(static_cast<int>(tenths), prtResY, 254); }

BOOL CVQPrint::OpenPrinterA(HWND owner, const char *docName, const char *printerName) {
  if (prtDC) {
    Log().PrtLog(VQLOG_ERROR, kTag, "The printer is already open");
    return FALSE;
  }
  if (!printerName) {
    PRINTDLGA pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (!PrintDlgA(&pd) || !pd.hDC) {
      prtLastError = CommDlgExtendedError();
      Log().PrtLog(VQLOG_ERROR, kTag, "No default printer (error 0x%X)", prtLastError);
      return FALSE;
    }
    prtDC = pd.hDC;
  } else {
    prtDC = CreateDCA("WINSPOOL", printerName, nullptr, nullptr);
    if (!prtDC) {
      prtLastError = GetLastError();
      Log().PrtLog(VQLOG_ERROR, kTag, "Cannot open the printer \"%s\" (error %u)", printerName,
                   prtLastError);
      return FALSE;
    }
  }
  prtResX = GetDeviceCaps(prtDC, LOGPIXELSX);
  prtResY = GetDeviceCaps(prtDC, LOGPIXELSY);
  // The margins count from the sheet's edges; the DC counts from the
  // printable area's corner, which lies PHYSICALOFFSET inside them.
  int offX = GetDeviceCaps(prtDC, PHYSICALOFFSETX), offY = GetDeviceCaps(prtDC, PHYSICALOFFSETY);
  int sheetW = GetDeviceCaps(prtDC, PHYSICALWIDTH), sheetH = GetDeviceCaps(prtDC, PHYSICALHEIGHT);
  int horz = GetDeviceCaps(prtDC, HORZRES), vert = GetDeviceCaps(prtDC, VERTRES);
  auto clamp = [](int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; };
  prtLeft = clamp(MmToX(prtLeftMargin) - offX, 0, horz);
  prtRight = clamp(sheetW - MmToX(prtRightMargin) - offX, 0, horz);
  prtTop = clamp(MmToY(prtTopMargin) - offY, 0, vert);
  prtBottom = clamp(sheetH - MmToY(prtBottomMargin) - offY, 0, vert);
  int bodyTop = prtTop + MmToY(prtHeaderHeight);
  int bodyEnd = prtBottom - MmToY(prtFooterHeight);
  if (prtRight <= prtLeft || bodyEnd <= bodyTop) {
    prtLastError = ERROR_INVALID_PARAMETER;
    Log().PrtLog(VQLOG_ERROR, kTag, "The page layout %u,%u,%u,%u,%u,%u leaves no print area",
                 prtTopMargin, prtLeftMargin, prtRightMargin, prtBottomMargin, prtHeaderHeight,
                 prtFooterHeight);
    return FALSE;
  }
  for (int i = 0; i < 12; ++i)
    prtTabs[i] = prtLeft + (prtRight - prtLeft) * (i + 1) / 12;
  ownFont = CreateDefFont(kDefaultFace, kDefaultPitch, kDefaultSize, FW_NORMAL, 0);
  if (!ownFont)
    return FALSE;
  DOCINFOA di{};
  di.cbSize = sizeof di;
  di.lpszDocName = docName ? docName : "";
  int job = StartDocA(prtDC, &di);
  if (job <= 0) {
    prtLastError = GetLastError();
    Log().PrtLog(VQLOG_ERROR, kTag, "Cannot start the document \"%s\" (error %u)", di.lpszDocName,
                 prtLastError);
    return FALSE;
  }
  prtJobId = static_cast<UINT>(job);
  prtPageCount = 0;
  Log().PrtLog(VQLOG_INFO, kTag, "Printing \"%s\" as job %d", di.lpszDocName, job);
  return TRUE;
}

BOOL CVQPrint::StartPage() {
  if (!prtDC || !prtJobId || ::StartPage(prtDC) <= 0) {
    prtLastError = prtDC ? GetLastError() : ERROR_INVALID_HANDLE;
    Log().PrtLog(VQLOG_ERROR, kTag, "Cannot start page %u (error %u)", prtPageCount + 1,
                 prtLastError);
    return FALSE;
  }
  prtPageOpen = 1;
  ++prtPageCount;
  prtLineCount = 0;
  if (defFont)
    SelectObject(prtDC, defFont);
  if (prtPageHeader)
    prtPageHeader(*this, prtTitle ? prtTitle : "", prtPageCount);
  return TRUE;
}

BOOL CVQPrint::EndPage() {
  if (!prtDC || !prtPageOpen)
    return FALSE;
  prtPageOpen = 0;
  return ::EndPage(prtDC) > 0;
}

BOOL CVQPrint::ClosePrinter(UINT flag) {
  BOOL ok = TRUE;
  if (prtDC) {
    if (prtPageOpen)
      EndPage();
    if (prtJobId) {
      if (EndDoc(prtDC) <= 0) {
        prtLastError = GetLastError();
        Log().PrtLog(VQLOG_ERROR, kTag, "The document could not be written (error %u)",
                     prtLastError);
        ok = FALSE;
      }
      prtJobId = 0;
    }
    // The caller deletes its fonts next; none of them may stay selected.
    if (origFont)
      SelectObject(prtDC, origFont);
  }
  if (flag == 0)
    return ok;
  if (prtDC)
    DeleteDC(prtDC);
  if (ownFont)
    DeleteObject(ownFont);
  if (defFont == ownFont)
    defFont = nullptr;
  prtDC = nullptr;
  ownFont = nullptr;
  origFont = nullptr;
  return ok;
}

void CVQPrint::AbortPrint() {
  if (!prtDC || !prtJobId)
    return;
  AbortDoc(prtDC);
  prtJobId = 0;
  prtPageOpen = 0;
  Log().PrtLog(VQLOG_WARNING, kTag, "The document was dropped");
}

HFONT CVQPrint::MakeFont(const char *face, UINT pitch, UINT size, UINT weight, UINT italic,
                         UINT *lineHeight) {
  if (!prtDC || !face || !*face || std::strlen(face) >= LF_FACESIZE || size == 0 ||
      size > kMaxPointSize || pitch > kMaxPointSize || weight > 1000) {
    Log().PrtLog(VQLOG_ERROR, kTag, "Cannot create the font \"%s\" %u/%u at weight %u",
                 face ? face : "", pitch, size, weight);
    return nullptr;
  }
  HFONT font =
      CreateFontA(-MulDiv(static_cast<int>(size), prtResY, 72), 0, 0, 0, static_cast<int>(weight),
                  italic ? TRUE : FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, face);
  if (!font) {
    Log().PrtLog(VQLOG_ERROR, kTag, "Cannot create the font \"%s\"", face);
    return nullptr;
  }
  // The pitch sets the line spacing; a font taller than the pitch still
  // gets lines that do not overlap.
  HGDIOBJ old = SelectObject(prtDC, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(prtDC, &tm);
  SelectObject(prtDC, old);
  int height = MulDiv(static_cast<int>(pitch), prtResY, 72);
  int needed = tm.tmHeight + tm.tmExternalLeading;
  if (lineHeight)
    *lineHeight = static_cast<UINT>(height > needed ? height : needed);
  return font;
}

HFONT CVQPrint::CreateDefFont(const char *face, UINT pitch, UINT size, UINT weight, UINT italic) {
  UINT height = 0;
  HFONT font = MakeFont(face, pitch, size, weight, italic, &height);
  if (!font)
    return nullptr;
  defFont = font;
  prtLineHeight = height;
  HGDIOBJ old = SelectObject(prtDC, font);
  if (!origFont)
    origFont = old;
  return font;
}

HFONT CVQPrint::CreateFontHeight(const char *face, UINT pitch, UINT size, UINT weight, UINT italic,
                                 UINT *lineHeight) {
  return MakeFont(face, pitch, size, weight, italic, lineHeight);
}

UINT CVQPrint::GetLine(int which) const {
  UINT first = static_cast<UINT>(prtTop + MmToY(prtHeaderHeight));
  switch (which) {
  case -1:
    return static_cast<UINT>(prtTop);
  case -2:
    return first;
  case -3: {
    int last = prtBottom - MmToY(prtFooterHeight) - static_cast<int>(prtLineHeight);
    return last > static_cast<int>(first) ? static_cast<UINT>(last) : first;
  }
  }
  if (which < 0) {
    Log().PrtLog(VQLOG_WARNING, kTag, "Unknown line %d", which);
    return first;
  }
  return first + static_cast<UINT>(which) * prtLineHeight;
}

UINT CVQPrint::IncLine(UINT line, UINT height) {
  UINT next = line + height;
  long long limit = prtBottom - MmToY(prtFooterHeight);
  if (!prtPageOpen || inBreak || static_cast<long long>(next) + prtLineHeight <= limit) {
    ++prtLineCount;
    return next;
  }
  // Callbacks print through this object and may advance lines themselves:
  // they must not start a second break inside this one.
  inBreak = TRUE;
  if (prtPageEnd)
    prtPageEnd(*this, next);
  EndPage();
  UINT result = GetLine(-2);
  if (StartPage() && prtColumnHeader)
    result = prtColumnHeader(*this, result);
  inBreak = FALSE;
  return result;
}

int CVQPrint::ColumnX(int x) const {
  if (x >= 0)
    return x;
  if (x >= -16 && x <= -5)
    return prtTabs[x + 16];
  if (x == -1)
    return prtLeft;
  if (x == -2)
    return prtRight;
  return -1;
}

BOOL CVQPrint::Text(int x, UINT line, const char *text, UINT length, UINT align) {
  int pos = ColumnX(x);
  if (!prtDC || pos < 0 || !text) {
    Log().PrtLog(VQLOG_ERROR, kTag, "Cannot print at column %d on line %u", x, line);
    return FALSE;
  }
  size_t n = length ? strnlen(text, length) : std::strlen(text);
  SetBkMode(prtDC, TRANSPARENT);
  SetTextAlign(prtDC, align | TA_TOP);
  BOOL ok = TextOutA(prtDC, pos, static_cast<int>(line), text, static_cast<int>(n));
  SetTextAlign(prtDC, TA_LEFT | TA_TOP);
  return ok;
}

BOOL CVQPrint::LeftText(int x, UINT line, const char *text, UINT length) {
  return Text(x, line, text, length, TA_LEFT);
}

BOOL CVQPrint::RightText(int x, UINT line, const char *text, UINT length) {
  return Text(x, line, text, length, TA_RIGHT);
}

BOOL CVQPrint::RightDez(int x, UINT line, LONGLONG value) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(value));
  return Text(x, line, digits, 0, TA_RIGHT);
}

BOOL CVQPrint::PrintHorLine(UINT line, UINT thickness, UINT inset) {
  if (!prtDC)
    return FALSE;
  int t = MmToY(thickness);
  int in = MmToX(inset);
  RECT bar{prtLeft + in, static_cast<int>(line), prtRight - in,
           static_cast<int>(line) + (t > 0 ? t : 1)};
  if (bar.right <= bar.left) {
    Log().PrtLog(VQLOG_ERROR, kTag, "A line inset by %u leaves nothing to draw", inset);
    return FALSE;
  }
  return FillRect(prtDC, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))) != 0;
}

BOOL CVQPrint::PrintRectFrame(int x, UINT line, UINT width, UINT thickness) {
  int pos = ColumnX(x);
  if (!prtDC || pos < 0) {
    Log().PrtLog(VQLOG_ERROR, kTag, "Cannot draw a bar at column %d", x);
    return FALSE;
  }
  RECT bar{pos, static_cast<int>(line), pos + static_cast<int>(width),
           static_cast<int>(line + (thickness ? thickness : 1))};
  return FillRect(prtDC, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))) != 0;
}
