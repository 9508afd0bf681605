/*
 * The common dialogs the library family uses: the print dialog and the
 * save-file dialog. Names,
 * values and layouts are those of the Win32 header (64-bit layout: natural
 * alignment).
 */
#ifndef VQWIN_COMMDLG_H
#define VQWIN_COMMDLG_H

#include "windef.h"

#include <stddef.h>

#define CDERR_DIALOGFAILURE 0xFFFF
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define FNERR_SUBCLASSFAILURE 0x3001
#define FNERR_INVALIDFILENAME 0x3002
#define FNERR_BUFFERTOOSMALL 0x3003
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
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_SHOWHELP 0x00000010
#define OFN_ENABLEHOOK 0x00000020
#define OFN_ENABLETEMPLATE 0x00000040
#define OFN_ENABLETEMPLATEHANDLE 0x00000080
#define OFN_NOVALIDATE 0x00000100
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_EXTENSIONDIFFERENT 0x00000400
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_CREATEPROMPT 0x00002000
#define OFN_SHAREAWARE 0x00004000
#define OFN_NOREADONLYRETURN 0x00008000
#define OFN_NOTESTFILECREATE 0x00010000
#define OFN_NONETWORKBUTTON 0x00020000
#define OFN_NOLONGNAMES 0x00040000
#define OFN_EXPLORER 0x00080000
#define OFN_NODEREFERENCELINKS 0x00100000
#define OFN_LONGNAMES 0x00200000
#define OFN_ENABLESIZING 0x00800000
#define OFN_DONTADDTORECENT 0x02000000
#define OFN_FORCESHOWHIDDEN 0x10000000

typedef UINT_PTR(CALLBACK *LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagOFNA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
  void *pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
} OPENFILENAMEA, *LPOPENFILENAMEA;

/* The size callers built for Windows NT 4 pass: the layout up to and with
   lpTemplateName. */
#define OPENFILENAME_SIZE_VERSION_400A                                                             \
  (offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(((OPENFILENAMEA *)0)->lpTemplateName))

/// The save-file dialog: a modal dialog with the folder's contents (a list
/// of its subfolders and of the files the chosen filter matches), the file
/// name edit (edt1 of dlgs.h), the file type list (cmb1) and Save / Cancel.
/// A name without extension gets the chosen filter's extension, else the
/// first three characters of lpstrDefExt, when lpstrDefExt is set. A name
/// naming a folder opens it; one with '*' or '?' becomes the filter.
/// OFN_PATHMUSTEXIST refuses a name whose folder does not exist and
/// OFN_OVERWRITEPROMPT asks before an existing file is named, each with a
/// message box, and the dialog stays open. On Save the path goes to
/// lpstrFile with nFileOffset and nFileExtension, the name alone to
/// lpstrFileTitle (cut to nMaxFileTitle), and the filter's 1-based position
/// to nFilterIndex. The process's working directory never changes, so
/// OFN_NOCHANGEDIR always holds.
///
/// Without a display the answer comes from the modal automation
/// (vqwin_modal.h, kind VQWIN_MODAL_FILEDIALOG: a path step types the path
/// into the name and presses Save) or, with none, is Cancel.
///
/// FALSE with CommDlgExtendedError 0 on cancel; CDERR_STRUCTSIZE for an
/// lStructSize of neither sizeof(OPENFILENAMEA) nor
/// OPENFILENAME_SIZE_VERSION_400A; CDERR_INITIALIZATION without a file
/// buffer or with hooks and templates (OFN_ENABLEHOOK, OFN_ENABLETEMPLATE*),
/// which are not offered; CDERR_DIALOGFAILURE for an owner that is no
/// window; FNERR_BUFFERTOOSMALL when the chosen path does not fit nMaxFile,
/// with the size needed (terminator included) in the first two bytes of
/// lpstrFile.
WINUSERAPI BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA lpofn);

/// Why the last common dialog call failed; 0 after success or cancel.
WINUSERAPI DWORD WINAPI CommDlgExtendedError(void);

#endif
