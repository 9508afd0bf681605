// Keyboard interface of dialogs: IsDialogMessageA turns Tab, Shift+Tab,
// arrows, Return and Escape into focus moves and commands unless the
// focused control claims the key through WM_GETDLGCODE; GetNextDlgTabItem
// and GetNextDlgGroupItem walk the controls in template (z-) order. The
// default push button follows the focus: a focused push button looks and
// acts as the default, otherwise the dialog's DM_GETDEFID button does.
//
// Mnemonics: Alt+letter, or the letter alone when the focused control does
// not take characters, finds the next control (after the focus, wrapping)
// whose text marks that letter with '&'. A label or group box hands the
// focus to the first usable control after it; check boxes and radio buttons
// take the focus and are clicked; push buttons are clicked where the focus
// stays, as their command is the point.
#include "dialog/dialog_internal.h"

#include <vector>

namespace vqwin::dialog {
namespace {

constexpr UINT kEmSetSel = 0x00B1;

LONG StyleOf(HWND c) { return GetWindowLongA(c, GWL_STYLE); }

bool ControlParent(HWND c) {
  return (GetWindowLongA(c, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && (StyleOf(c) & WS_VISIBLE);
}

// The dialog's controls in z-order; a shown child with WS_EX_CONTROLPARENT
// (a property sheet's page) stands aside for its own controls, so Tab,
// arrows and mnemonics walk into it as on Win32.
void Collect(HWND parent, std::vector<HWND> &out) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (ControlParent(c))
      Collect(c, out);
    else
      out.push_back(c);
}

std::vector<HWND> Controls(HWND dlg) {
  std::vector<HWND> out;
  Collect(dlg, out);
  return out;
}

// The control's own styles count, not its parents': a dialog that is not
// shown yet still has a first tab stop for WM_INITDIALOG.
bool Usable(HWND c) {
  LONG style = GetWindowLongA(c, GWL_STYLE);
  return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

UINT CodeOf(HWND c, const MSG *msg = nullptr) {
  return c ? static_cast<UINT>(SendMessageA(c, WM_GETDLGCODE, msg ? msg->wParam : 0,
                                            reinterpret_cast<LPARAM>(msg)))
           : 0;
}

// The control of the dialog that holds `hwnd`: itself when a child of the
// dialog or of a control parent inside it.
HWND DirectChild(HWND dlg, HWND hwnd) {
  for (HWND parent; hwnd; hwnd = parent) {
    parent = GetParent(hwnd);
    if (parent == dlg || (parent && ControlParent(parent) && IsChild(dlg, parent)))
      return hwnd;
  }
  return hwnd;
}

void UpdateDefaultLook(HWND dlg, HWND focus, UINT code) {
  LRESULT def = SendMessageA(dlg, DM_GETDEFID, 0, 0);
  HWND defButton = HIWORD(def) == DC_HASDEFID ? GetDlgItem(dlg, LOWORD(def)) : nullptr;
  HWND wanted = (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) ? focus : defButton;
  for (HWND c : Controls(dlg)) {
    UINT cc = CodeOf(c);
    if (c != wanted && (cc & DLGC_DEFPUSHBUTTON))
      SendMessageA(c, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    else if (c == wanted && (cc & DLGC_UNDEFPUSHBUTTON))
      SendMessageA(c, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  }
}

void Command(HWND dlg, int id, HWND control) {
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void PressReturn(HWND dlg, HWND focus) {
  int id;
  HWND control;
  if (focus && (CodeOf(focus) & DLGC_DEFPUSHBUTTON)) {
    control = focus;
    id = GetDlgCtrlID(focus);
  } else {
    LRESULT def = SendMessageA(dlg, DM_GETDEFID, 0, 0);
    id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
    control = GetDlgItem(dlg, id);
  }
  if (control && !IsWindowEnabled(control))
    return;
  Command(dlg, id, control);
}

void MoveInGroup(HWND dlg, HWND focus, bool previous) {
  HWND next = GetNextDlgGroupItem(dlg, focus, previous);
  if (!next || next == focus)
    return;
  FocusControl(dlg, next);
  // Moving onto an automatic radio button selects it, as a click would.
  if ((StyleOf(next) & BS_TYPEMASK) == BS_AUTORADIOBUTTON && (CodeOf(next) & DLGC_RADIOBUTTON))
    SendMessageA(next, BM_CLICK, 0, 0);
}

// True when the key was a dialog key and has been handled.
bool DialogKey(HWND dlg, const MSG &msg) {
  HWND focus = GetFocus();
  HWND control = DirectChild(dlg, msg.hwnd);
  UINT code = CodeOf(msg.hwnd, &msg);
  if (code & DLGC_WANTMESSAGE)
    return false;
  switch (msg.wParam) {
  case VK_TAB:
    if (code & DLGC_WANTTAB)
      return false;
    if (HWND next = GetNextDlgTabItem(dlg, control, GetKeyState(VK_SHIFT) < 0))
      FocusControl(dlg, next);
    return true;
  case VK_LEFT:
  case VK_UP:
  case VK_RIGHT:
  case VK_DOWN:
    if (code & DLGC_WANTARROWS)
      return false;
    if (control)
      MoveInGroup(dlg, control, msg.wParam == VK_LEFT || msg.wParam == VK_UP);
    return true;
  case VK_ESCAPE:
    Command(dlg, IDCANCEL, GetDlgItem(dlg, IDCANCEL));
    return true;
  case VK_RETURN:
    PressReturn(dlg, focus && IsChild(dlg, focus) ? focus : nullptr);
    return true;
  }
  return false;
}

char Upper(char c) {
  return static_cast<char>(reinterpret_cast<ULONG_PTR>(
      CharUpperA(reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<unsigned char>(c))))));
}

bool HasMnemonic(HWND c, char key) {
  char cls[16] = {};
  GetClassNameA(c, cls, sizeof cls);
  if (lstrcmpiA(cls, "STATIC") == 0 && (StyleOf(c) & SS_NOPREFIX))
    return false;
  char text[256];
  int n = GetWindowTextA(c, text, sizeof text);
  for (int i = 0; i + 1 < n; ++i) {
    if (text[i] != '&')
      continue;
    if (text[i + 1] != '&')
      return Upper(text[i + 1]) == key;
    ++i; // "&&" is a plain ampersand
  }
  return false;
}

void ActivateMnemonic(HWND dlg, HWND c, const std::vector<HWND> &all, size_t at) {
  UINT code = CodeOf(c);
  if (code & DLGC_STATIC) {
    for (size_t i = at + 1; i < all.size(); ++i)
      if (Usable(all[i]) && !(CodeOf(all[i]) & DLGC_STATIC)) {
        FocusControl(dlg, all[i]);
        return;
      }
    return;
  }
  if ((code & DLGC_BUTTON) && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
    SendMessageA(c, BM_CLICK, 0, 0);
    return;
  }
  FocusControl(dlg, c);
  if ((code & DLGC_BUTTON) && IsWindow(c))
    SendMessageA(c, BM_CLICK, 0, 0);
}

// True when a control answered to the letter.
bool Mnemonic(HWND dlg, HWND from, char ch) {
  char key = Upper(ch);
  if (key == ' ' || key == '\0')
    return false;
  std::vector<HWND> all = Controls(dlg);
  size_t n = all.size(), start = n - 1;
  from = DirectChild(dlg, from);
  for (size_t i = 0; i < n; ++i)
    if (all[i] == from)
      start = i;
  for (size_t step = 1; step <= n; ++step) {
    size_t i = (start + step) % n;
    HWND c = all[i];
    bool label = CodeOf(c) & DLGC_STATIC;
    // A label stays usable for its mnemonic while disabled: what counts is
    // the control it leads to.
    if (!(StyleOf(c) & WS_VISIBLE) || (!label && (StyleOf(c) & WS_DISABLED)))
      continue;
    if (HasMnemonic(c, key)) {
      ActivateMnemonic(dlg, c, all, i);
      return true;
    }
  }
  return false;
}

// The characters of the keys taken above never reach the control.
bool DialogChar(const MSG &msg) {
  UINT code = CodeOf(msg.hwnd, &msg);
  if (code & (DLGC_WANTMESSAGE | DLGC_WANTCHARS))
    return false;
  switch (msg.wParam) {
  case '\t':
    return !(code & DLGC_WANTTAB);
  case '\r':
  case 0x1B:
    return true;
  }
  return false;
}

} // namespace

void FocusControl(HWND dlg, HWND control) {
  UINT code = CodeOf(control);
  SetFocus(control);
  if (GetFocus() != control)
    return;
  if (code & DLGC_HASSETSEL)
    SendMessageA(control, kEmSetSel, 0, -1);
  UpdateDefaultLook(dlg, control, code);
}

} // namespace vqwin::dialog

using namespace vqwin::dialog;

HWND WINAPI GetNextDlgTabItem(HWND dlg, HWND ctl, BOOL previous) {
  if (!IsWindow(dlg) || (ctl && !IsChild(dlg, ctl))) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  std::vector<HWND> all = Controls(dlg);
  if (all.empty())
    return nullptr;
  // Without a control the first step lands on the first (or last) one.
  size_t n = all.size(), start = previous ? 0 : n - 1;
  for (size_t i = 0; i < n; ++i)
    if (all[i] == ctl)
      start = i;
  for (size_t step = 1; step <= n; ++step) {
    size_t i = previous ? (start + n - step % n) % n : (start + step) % n;
    HWND c = all[i];
    if ((StyleOf(c) & WS_TABSTOP) && Usable(c))
      return c;
  }
  return nullptr;
}

HWND WINAPI GetNextDlgGroupItem(HWND dlg, HWND ctl, BOOL previous) {
  if (!IsWindow(dlg) || !ctl || !IsChild(dlg, ctl)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  std::vector<HWND> all = Controls(dlg);
  size_t n = all.size(), at = 0;
  while (at < n && all[at] != ctl)
    ++at;
  if (at == n)
    return nullptr;
  // The group runs from the control with WS_GROUP at or before `at` up to
  // the next WS_GROUP control.
  size_t first = at;
  while (first > 0 && !(StyleOf(all[first]) & WS_GROUP))
    --first;
  size_t last = at + 1;
  while (last < n && !(StyleOf(all[last]) & WS_GROUP))
    ++last;
  size_t size = last - first;
  for (size_t step = 1; step < size; ++step) {
    size_t off = previous ? (at - first + size - step) % size : (at - first + step) % size;
    if (Usable(all[first + off]))
      return all[first + off];
  }
  return ctl;
}

BOOL WINAPI IsDialogMessageA(HWND dlg, LPMSG msg) {
  if (!msg || !dlg || !IsWindow(dlg) || (msg->hwnd != dlg && !IsChild(dlg, msg->hwnd)))
    return FALSE;
  if (msg->message == WM_KEYDOWN && DialogKey(dlg, *msg))
    return TRUE;
  if (msg->message == WM_CHAR && DialogChar(*msg))
    return TRUE;
  if (msg->message == WM_SYSCHAR ||
      (msg->message == WM_CHAR && !(CodeOf(msg->hwnd, msg) & (DLGC_WANTCHARS | DLGC_WANTMESSAGE))))
    if (Mnemonic(dlg, msg->hwnd, static_cast<char>(msg->wParam)))
      return TRUE;
  TranslateMessage(msg);
  DispatchMessageA(msg);
  return TRUE;
}
