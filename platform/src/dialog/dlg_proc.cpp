// The dialog class "#32770" and DefDlgProcA: the dialog procedure sees each
// message first and answers through its return value and DWLP_MSGRESULT;
// what it leaves is handled here (background, font, the close command,
// focus kept across activation, the default button id) and then by
// DefWindowProcA. EndDialog only marks the dialog; the modal loop or the
// host tears it down.
#include "dialog/dialog_internal.h"

#include "user/wnd_state.h"

#include <unordered_map>

namespace vqwin::dialog {
namespace {

std::unordered_map<HWND, DialogInfo> &Dialogs() {
  static std::unordered_map<HWND, DialogInfo> dialogs;
  return dialogs;
}

// Messages whose result is the procedure's return value itself rather than
// DWLP_MSGRESULT.
bool ReturnsDirectly(UINT msg) {
  return msg == WM_INITDIALOG || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) ||
         msg == 0x0039 /* WM_COMPAREITEM */ || msg == 0x002E /* WM_VKEYTOITEM */ ||
         msg == 0x002F /* WM_CHARTOITEM */ || msg == 0x0037 /* WM_QUERYDRAGICON */;
}

void RestoreFocus(HWND dlg, DialogInfo &info) {
  HWND f = info.focus;
  if (!f || !IsWindow(f) || !IsChild(dlg, f))
    f = GetNextDlgTabItem(dlg, nullptr, FALSE);
  if (f)
    SetFocus(f);
}

void SaveFocus(HWND dlg, DialogInfo &info) {
  HWND f = GetFocus();
  if (f && IsChild(dlg, f))
    info.focus = f;
}

void SetDefaultId(HWND dlg, DialogInfo &info, int id) {
  if (info.defId && info.defId != id)
    if (HWND old = GetDlgItem(dlg, info.defId))
      if (SendMessageA(old, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
        SendMessageA(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  info.defId = id;
  if (HWND now = GetDlgItem(dlg, id))
    if (SendMessageA(now, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON)
      SendMessageA(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

LRESULT EraseBackground(HWND dlg, HDC dc) {
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
      dlg, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dlg)));
  if (!brush)
    brush = GetSysColorBrush(COLOR_3DFACE);
  RECT rc;
  GetClientRect(dlg, &rc);
  FillRect(dc, &rc, brush);
  return 1;
}

LRESULT Default(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  DialogInfo *info = FindDialog(dlg);
  if (!info)
    return DefWindowProcA(dlg, msg, wp, lp);
  switch (msg) {
  case WM_ERASEBKGND:
    return EraseBackground(dlg, reinterpret_cast<HDC>(wp));
  case WM_SETFONT:
    info->font = reinterpret_cast<HFONT>(wp);
    if (lp)
      InvalidateRect(dlg, nullptr, TRUE);
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(info->font);
  case WM_CLOSE: {
    // As Escape would, unless the Cancel button is there and disabled.
    HWND cancel = GetDlgItem(dlg, IDCANCEL);
    if (!cancel || IsWindowEnabled(cancel))
      PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(cancel));
    return 0;
  }
  case WM_SYSCOMMAND:
    if ((wp & 0xFFF0) == SC_CLOSE) {
      SendMessageA(dlg, WM_CLOSE, 0, 0);
      return 0;
    }
    return DefWindowProcA(dlg, msg, wp, lp);
  case WM_ACTIVATE:
    if (LOWORD(wp) == WA_INACTIVE)
      SaveFocus(dlg, *info);
    else if (!user::FocusFollowsActivation())
      RestoreFocus(dlg, *info);
    return 0;
  case WM_SETFOCUS:
    RestoreFocus(dlg, *info);
    return 0;
  case WM_SHOWWINDOW:
    if (!wp)
      SaveFocus(dlg, *info);
    return DefWindowProcA(dlg, msg, wp, lp);
  case DM_GETDEFID:
    return info->defId ? MAKELRESULT(info->defId, DC_HASDEFID) : 0;
  case DM_SETDEFID:
    SetDefaultId(dlg, *info, static_cast<int>(wp));
    return TRUE;
  case WM_NEXTDLGCTL: {
    HWND target =
        LOWORD(lp) ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(dlg, GetFocus(), wp != 0);
    if (target)
      FocusControl(dlg, target);
    return 0;
  }
  case WM_NCDESTROY: {
    if (info->ownsFont && info->font)
      DeleteObject(info->font);
    Dialogs().erase(dlg);
    return DefWindowProcA(dlg, msg, wp, lp);
  }
  }
  return DefWindowProcA(dlg, msg, wp, lp);
}

bool RegisterDialogClass() {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_SAVEBITS;
  wc.lpfnWndProc = DefDlgProcA;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "#32770";
  return RegisterClassA(&wc) != 0;
}

[[maybe_unused]] const bool registered = RegisterDialogClass();

} // namespace

DialogInfo *FindDialog(HWND hwnd) {
  auto &dialogs = Dialogs();
  auto it = dialogs.find(hwnd);
  if (it == dialogs.end())
    return nullptr;
  if (!IsWindow(hwnd)) { // a class that never passed WM_NCDESTROY on
    dialogs.erase(it);
    return nullptr;
  }
  return &it->second;
}

DialogInfo &EnsureDialog(HWND hwnd) { return Dialogs()[hwnd]; }

} // namespace vqwin::dialog

using namespace vqwin::dialog;

LRESULT WINAPI DefDlgProcA(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (!IsWindow(dlg))
    return 0;
  if (msg == WM_NCCREATE)
    EnsureDialog(dlg);
  SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dlg, DWLP_DLGPROC));
  if (proc) {
    INT_PTR r = proc(dlg, msg, wp, lp);
    if (r)
      return ReturnsDirectly(msg) || !IsWindow(dlg) ? r : GetWindowLongPtrA(dlg, DWLP_MSGRESULT);
    if (!IsWindow(dlg))
      return 0;
  } else if (msg == WM_INITDIALOG) {
    return TRUE; // nobody placed the focus: the dialog manager does
  }
  return Default(dlg, msg, wp, lp);
}

BOOL WINAPI EndDialog(HWND dlg, INT_PTR result) {
  DialogInfo *info = FindDialog(dlg);
  if (!info) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  info->ended = true;
  info->result = result;
  if (!info->modal)
    ShowWindow(dlg, SW_HIDE);
  return TRUE;
}
