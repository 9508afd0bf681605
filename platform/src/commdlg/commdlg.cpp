// CommDlgExtendedError and the helpers the common dialogs share. One error
// serves every common dialog, as on Win32: it tells about the last call of
// whichever dialog ran last.
#include "commdlg/commdlg.h"

#include "user/wnd_state.h"

#include <commdlg.h>

namespace vqwin::commdlg {
namespace {

DWORD lastError = 0;

} // namespace

void SetError(DWORD error) { lastError = error; }

BOOL Fail(DWORD error) {
  lastError = error;
  return FALSE;
}

bool German() { return PRIMARYLANGID(GetThreadUILanguage()) == LANG_GERMAN; }

HFONT CreateDialogFont() {
  return CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                     "MS Sans Serif");
}

HWND AddControl(HWND dlg, const char *cls, const char *text, DWORD style, int x, int y, int w,
                int h, int id, HFONT font) {
  HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, dlg,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

void SetClientSize(HWND dlg, int width, int height) {
  user::Frame f = user::FrameOf(static_cast<DWORD>(GetWindowLongA(dlg, GWL_STYLE)),
                                static_cast<DWORD>(GetWindowLongA(dlg, GWL_EXSTYLE)));
  SetWindowPos(dlg, nullptr, 0, 0, width + f.left + f.right, height + f.top + f.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

} // namespace vqwin::commdlg

DWORD WINAPI CommDlgExtendedError(void) { return vqwin::commdlg::lastError; }
