// What the common dialogs share: the error CommDlgExtendedError reports,
// the language of their own texts, and the pieces for building a dialog at
// run time (a "#32770" window, its font, its controls).
#ifndef VQWIN_COMMDLG_COMMDLG_H
#define VQWIN_COMMDLG_COMMDLG_H

#include <windows.h>

namespace vqwin::commdlg {

/// Sets what CommDlgExtendedError reports; every dialog call starts with 0.
void SetError(DWORD error);
/// SetError and FALSE, for failure returns.
BOOL Fail(DWORD error);

/// The common dialogs speak German when the thread's UI language is, and
/// English otherwise.
bool German();

/// The dialogs' font (MS Sans Serif 8 pt); the caller deletes it.
HFONT CreateDialogFont();

/// A visible child control of a run-time dialog with the dialog's font.
HWND AddControl(HWND dlg, const char *cls, const char *text, DWORD style, int x, int y, int w,
                int h, int id, HFONT font);

/// Sizes a dialog so that its client area is width x height.
void SetClientSize(HWND dlg, int width, int height);

} // namespace vqwin::commdlg

#endif
