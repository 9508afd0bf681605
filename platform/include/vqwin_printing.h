/*
 * Printing in GDI: printer device contexts and print jobs. The layer has one
 * printer, "PDF", which is also the default printer; each document printed
 * on it becomes a PDF file whose pages are the StartPage/EndPage pairs of
 * the job. Where the file goes is told by vqwin_print.h.
 *
 * The printer's device (chosen here, as a printer driver chooses it):
 * - 300 dots per inch in both directions (DEVMODEA's dmPrintQuality may ask
 *   for 72 to 1200);
 * - A4 portrait by default (DMPAPER_LETTER and DMORIENT_LANDSCAPE through a
 *   DEVMODEA);
 * - an unprintable border of 1/6 inch on every side: PHYSICALOFFSETX/Y, and
 *   HORZRES/VERTRES are the page less both borders. Logical (0, 0) is the
 *   printable area's top-left corner, as on every Win32 printer.
 *
 * Names, values and layouts are those of the Win32 headers.
 */
#ifndef VQWIN_PRINTING_H
#define VQWIN_PRINTING_H

#include "windef.h"

#define SP_ERROR (-1)

#define CCHDEVICENAME 32
#define CCHFORMNAME 32

#define DM_ORIENTATION 0x00000001L
#define DM_PAPERSIZE 0x00000002L
#define DM_PRINTQUALITY 0x00000400L

#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2

#define DMPAPER_LETTER 1
#define DMPAPER_A4 9

typedef struct _POINTL {
  LONG x;
  LONG y;
} POINTL, *PPOINTL;

typedef struct _devicemodeA {
  BYTE dmDeviceName[CCHDEVICENAME];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  union {
    struct {
      short dmOrientation;
      short dmPaperSize;
      short dmPaperLength;
      short dmPaperWidth;
      short dmScale;
      short dmCopies;
      short dmDefaultSource;
      short dmPrintQuality;
    };
    struct {
      POINTL dmPosition;
      DWORD dmDisplayOrientation;
      DWORD dmDisplayFixedOutput;
    };
  };
  short dmColor;
  short dmDuplex;
  short dmYResolution;
  short dmTTOption;
  short dmCollate;
  BYTE dmFormName[CCHFORMNAME];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  union {
    DWORD dmDisplayFlags;
    DWORD dmNup;
  };
  DWORD dmDisplayFrequency;
  DWORD dmICMMethod;
  DWORD dmICMIntent;
  DWORD dmMediaType;
  DWORD dmDitherType;
  DWORD dmReserved1;
  DWORD dmReserved2;
  DWORD dmPanningWidth;
  DWORD dmPanningHeight;
} DEVMODEA, *PDEVMODEA, *LPDEVMODEA;

typedef struct _DOCINFOA {
  int cbSize;
  LPCSTR lpszDocName;
  LPCSTR lpszOutput; /* a file to print to instead of the configured path */
  LPCSTR lpszDatatype;
  DWORD fwType;
} DOCINFOA, *LPDOCINFOA;

/// A printer DC: `pszDriver` NULL or "WINSPOOL", `pszDevice` the printer's
/// name ("PDF") or NULL for the default printer, `pszPort` ignored, `pdm`
/// NULL or the orientation, paper and resolution asked for. NULL with
/// ERROR_INVALID_PRINTER_NAME for an unknown printer, ERROR_INVALID_PARAMETER
/// for another driver or an unsupported paper size or resolution. Freed with
/// DeleteDC, which drops a document still open as AbortDoc does.
WINGDIAPI HDC WINAPI CreateDCA(LPCSTR pszDriver, LPCSTR pszDevice, LPCSTR pszPort,
                               const DEVMODEA *pdm);

/// Starts a document: returns its job id (> 0), or SP_ERROR with
/// ERROR_INVALID_HANDLE (not a printer DC), ERROR_INVALID_PARAMETER (a
/// document already open, a bad DOCINFOA) or the error of creating the file.
WINGDIAPI int WINAPI StartDocA(HDC hdc, const DOCINFOA *lpdi);
/// Ends the document (and a page still open) and moves the finished PDF
/// into place. SP_ERROR when no document is open or the file cannot be
/// written; then no file is left behind.
WINGDIAPI int WINAPI EndDoc(HDC hdc);
/// Drops the document: its partial file is removed, an older file at the
/// same path stays as it was.
WINGDIAPI int WINAPI AbortDoc(HDC hdc);
/// Starts a page; SP_ERROR outside a document or inside a page.
WINGDIAPI int WINAPI StartPage(HDC hdc);
/// Ends the page: what was drawn since StartPage is one PDF page.
WINGDIAPI int WINAPI EndPage(HDC hdc);

#endif
