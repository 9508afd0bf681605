/*
 * The common dialogs the library family uses: the print dialog. Names,
 * values and layouts are those of the Win32 header (64-bit layout: natural
 * alignment).
 */
#ifndef VQWIN_COMMDLG_H
#define VQWIN_COMMDLG_H

#include "windef.h"

#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define PDERR_RETDEFFAILURE 0x1009
#define PDERR_NODEFAULTPRN 0x1008

#define PD_ALLPAGES 0x00000000
#define PD_SELECTION 0x00000001
#define PD_PAGENUMS 0x00000002
#define PD_NOSELECTION 0x00000004
#define PD_NOPAGENUMS 0x00000008
#define PD_PRINTSETUP 0x00000040
#define PD_NOWARNING 0x00000080
#define PD_RETURNDC 0x00000100
#define PD_RETURNIC 0x00000200
#define PD_RETURNDEFAULT 0x00000400

typedef UINT_PTR(CALLBACK *LPPRINTHOOKPROC)(HWND, UINT, WPARAM, LPARAM);
typedef UINT_PTR(CALLBACK *LPSETUPHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagPDA {
  DWORD lStructSize;
  HWND hwndOwner;
  HGLOBAL hDevMode;
  HGLOBAL hDevNames;
  HDC hDC;
  DWORD Flags;
  WORD nFromPage;
  WORD nToPage;
  WORD nMinPage;
  WORD nMaxPage;
  WORD nCopies;
  HINSTANCE hInstance;
  LPARAM lCustData;
  LPPRINTHOOKPROC lpfnPrintHook;
  LPSETUPHOOKPROC lpfnSetupHook;
  LPCSTR lpPrintTemplateName;
  LPCSTR lpSetupTemplateName;
  HGLOBAL hPrintTemplate;
  HGLOBAL hSetupTemplate;
} PRINTDLGA, *LPPRINTDLGA;

/// The print dialog. With PD_RETURNDEFAULT no dialog is shown and the
/// default printer is taken (hDevMode and hDevNames must be NULL, else
/// PDERR_RETDEFFAILURE). Otherwise a modal dialog lets the user pick the
/// printer; without a display its answer comes from the modal automation
/// (vqwin_modal.h: a VQWIN_MODAL_DIALOG whose OK is IDOK, Cancel IDCANCEL,
/// printer list control 1139) or, with none, is OK with the default
/// printer. PD_RETURNDC and PD_RETURNIC hand back the printer's DC in hDC.
/// hDevMode and hDevNames are not handed out. Hooks and templates
/// (PD_ENABLE*) are not offered: CDERR_INITIALIZATION. FALSE on cancel
/// (CommDlgExtendedError 0) and on failure.
WINUSERAPI BOOL WINAPI PrintDlgA(LPPRINTDLGA pPD);
/// Why the last common dialog call failed; 0 after success or cancel.
WINUSERAPI DWORD WINAPI CommDlgExtendedError(void);

#endif
