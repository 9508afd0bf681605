// What the common controls share: WM_NOTIFY to the parent with the
// control's id filled in, and the row height of a font.
#ifndef VQWIN_COMCTL_COMCTL_H
#define VQWIN_COMCTL_COMCTL_H

#include <windows.h>

#include <commctrl.h>

namespace vqwin::comctl {

/// Fills the NMHDR at the head of `nm` and sends WM_NOTIFY to the parent.
/// Returns the parent's answer; 0 without a parent.
LRESULT Notify(HWND hwnd, UINT code, NMHDR *nm);

/// Line height of the font (the system font for NULL).
int FontHeight(HWND hwnd, HFONT font);

/// Copies `text` into a caller's buffer of `size` characters, always
/// terminated; returns the characters copied.
int CopyText(const char *text, LPSTR buffer, int size);

bool RegisterHeaderClass();
bool RegisterListViewClass();
bool RegisterUpDownClass();
bool RegisterTabClass();

} // namespace vqwin::comctl

#endif
