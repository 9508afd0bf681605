// Small window chores of the dialogs: centring on the screen and enabling
// a dialog's control by id. They use only what Win32 offers, so a window
// manager of any backend serves them.
#include <vq_tbl32.h>

BOOL CenterWindow(HWND window) {
  RECT r;
  if (!window || !GetWindowRect(window, &r))
    return FALSE;
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  // A window as large as the screen stays where it is: centring it would
  // push its caption above the top edge.
  if (width >= screenWidth || height >= screenHeight)
    return FALSE;
  return MoveWindow(window, (screenWidth - width) / 2, (screenHeight - height) / 2, width, height,
                    TRUE);
}

BOOL EnableDlgItem(HWND dialog, int id, BOOL enable) {
  const HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
  if (!control)
    return FALSE;
  EnableWindow(control, enable);
  return TRUE;
}
