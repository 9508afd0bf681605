// MessageBoxA: a dialog of the "#32770" class built at run time, with a
// STATIC for the text, BUTTON children for the answers and the icon painted
// by the box itself. It runs through the same modal loop as any dialog, so
// Return, Escape, Tab and the close command behave as in one, and each box
// is recorded with its answer.
//
// Chosen here: the button labels follow the thread's UI language (German
// or English), as they follow the system's language on Windows; the icons
// are the system icons as DrawIconEx draws them.
#include "dialog/dialog_internal.h"

#include "user/wnd_state.h"
#include "user/wnd_text.h"

#include <algorithm>

#include <vector>

namespace vqwin::dialog {
namespace {

constexpr int kMargin = 11, kIcon = 32, kButtonW = 75, kButtonH = 23, kGap = 6, kTextMaxW = 400,
              kTextId = 0xFFFF, kMinClientW = 160;

struct Box {
  std::string text;
  UINT type = 0;
  std::vector<int> buttons;
  int defaultId = 0;
  HFONT font = nullptr;
  RECT icon{}; // empty without an icon
};

bool ButtonsOf(UINT set, std::vector<int> &out) {
  switch (set) {
  case MB_OK:
    out = {IDOK};
    return true;
  case MB_OKCANCEL:
    out = {IDOK, IDCANCEL};
    return true;
  case MB_ABORTRETRYIGNORE:
    out = {IDABORT, IDRETRY, IDIGNORE};
    return true;
  case MB_YESNOCANCEL:
    out = {IDYES, IDNO, IDCANCEL};
    return true;
  case MB_YESNO:
    out = {IDYES, IDNO};
    return true;
  case MB_RETRYCANCEL:
    out = {IDRETRY, IDCANCEL};
    return true;
  }
  return false;
}

const char *Label(int id) {
  bool german = PRIMARYLANGID(GetThreadUILanguage()) == LANG_GERMAN;
  switch (id) {
  case IDOK:
    return "OK";
  case IDCANCEL:
    return german ? "Abbrechen" : "Cancel";
  case IDABORT:
    return german ? "&Abbrechen" : "&Abort";
  case IDRETRY:
    return german ? "&Wiederholen" : "&Retry";
  case IDIGNORE:
    return german ? "&Ignorieren" : "&Ignore";
  case IDYES:
    return german ? "&Ja" : "&Yes";
  case IDNO:
    return german ? "&Nein" : "&No";
  }
  return "";
}

bool Offers(const Box &box, int id) {
  for (int b : box.buttons)
    if (b == id)
      return true;
  return false;
}

SIZE MeasureText(const Box &box) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, box.font);
  RECT rc{0, 0, kTextMaxW, 0};
  DrawTextA(dc, box.text.c_str(), -1, &rc,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, old);
  DeleteDC(dc);
  return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

void Layout(HWND dlg, Box &box) {
  SIZE text = MeasureText(box);
  bool icon = (box.type & MB_ICONMASK) != 0;
  int textX = icon ? kMargin + kIcon + kMargin : kMargin;
  int blockH = icon && text.cy < kIcon ? kIcon : text.cy;
  int textY = kMargin + (blockH - text.cy) / 2;
  int n = static_cast<int>(box.buttons.size());
  int rowW = n * kButtonW + (n - 1) * kGap;
  int clientW = std::max({textX + text.cx + kMargin, rowW + 2 * kMargin, kMinClientW});
  int buttonsY = kMargin + blockH + kMargin + 4;
  int clientH = buttonsY + kButtonH + kMargin;
  if (icon)
    box.icon = RECT{kMargin, kMargin, kMargin + kIcon, kMargin + kIcon};

  HINSTANCE inst = nullptr;
  HWND label =
      CreateWindowExA(0, "STATIC", box.text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                      textX, textY, text.cx + 1, text.cy, dlg,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), inst, nullptr);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(box.font), FALSE);
  int x = (clientW - rowW) / 2;
  for (int i = 0; i < n; ++i, x += kButtonW + kGap) {
    int id = box.buttons[static_cast<size_t>(i)];
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? WS_GROUP : 0) |
                  (id == box.defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    HWND b = CreateWindowExA(0, "BUTTON", Label(id), style, x, buttonsY, kButtonW, kButtonH, dlg,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
    SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(box.font), FALSE);
  }

  DWORD style = static_cast<DWORD>(GetWindowLongA(dlg, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongA(dlg, GWL_EXSTYLE));
  user::Frame f = user::FrameOf(style, exStyle);
  int w = clientW + f.left + f.right, h = clientH + f.top + f.bottom;
  // The caption is read whole: the box widens for it (and its close box),
  // up to the screen's width.
  char caption[256] = "";
  const int length = GetWindowTextA(dlg, caption, sizeof caption);
  if (HDC dc = GetWindowDC(dlg)) {
    SIZE extent{};
    if (GetTextExtentPoint32A(dc, caption, length, &extent))
      w = std::min(
          std::max<int>(w, f.left + f.right + 4 + extent.cx + 4 + GetSystemMetrics(SM_CXSIZE) + 2),
          GetSystemMetrics(SM_CXSCREEN));
    ReleaseDC(dlg, dc);
  }
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (HWND owner = GetWindow(dlg, GW_OWNER))
    if (IsWindowVisible(owner))
      GetWindowRect(owner, &area);
  int left = std::max(0, area.left + (area.right - area.left - w) / 2);
  int top = std::max(0, area.top + (area.bottom - area.top - h) / 2);
  SetWindowPos(dlg, nullptr, left, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PaintIcon(HDC dc, const Box &box) {
  if (IsRectEmpty(&box.icon))
    return;
  LPCSTR id;
  switch (box.type & MB_ICONMASK) {
  case MB_ICONHAND:
    id = IDI_HAND;
    break;
  case MB_ICONQUESTION:
    id = IDI_QUESTION;
    break;
  case MB_ICONEXCLAMATION:
    id = IDI_EXCLAMATION;
    break;
  default:
    id = IDI_ASTERISK;
    break;
  }
  DrawIconEx(dc, box.icon.left, box.icon.top, LoadIconA(nullptr, id), kIcon, kIcon, 0, nullptr,
             DI_NORMAL);
}

Box *BoxOf(HWND dlg) { return reinterpret_cast<Box *>(GetWindowLongPtrA(dlg, DWLP_USER)); }

INT_PTR CALLBACK BoxProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_INITDIALOG: {
    auto *box = reinterpret_cast<Box *>(lp);
    SetWindowLongPtrA(dlg, DWLP_USER, lp);
    Layout(dlg, *box);
    SendMessageA(dlg, DM_SETDEFID, static_cast<WPARAM>(box->defaultId), 0);
    SetFocus(GetDlgItem(dlg, box->defaultId));
    return FALSE;
  }
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dlg, &ps);
    if (Box *box = BoxOf(dlg))
      PaintIcon(dc, *box);
    EndPaint(dlg, &ps);
    return TRUE;
  }
  case WM_COMMAND: {
    Box *box = BoxOf(dlg);
    int id = LOWORD(wp);
    if (!box || HIWORD(wp) != BN_CLICKED)
      return FALSE;
    // Escape and the close command arrive as IDCANCEL: a box without a
    // Cancel button takes them only when OK is its one button.
    if (id == IDCANCEL && !Offers(*box, IDCANCEL)) {
      if ((box->type & MB_TYPEMASK) != MB_OK)
        return TRUE;
      id = IDOK;
    }
    if (Offers(*box, id))
      EndDialog(dlg, id);
    return TRUE;
  }
  }
  return FALSE;
}

} // namespace
} // namespace vqwin::dialog

using namespace vqwin::dialog;

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (owner && !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  Box box;
  if (!ButtonsOf(type & MB_TYPEMASK, box.buttons)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t def = (type & MB_DEFMASK) >> 8;
  box.defaultId = box.buttons[def < box.buttons.size() ? def : 0];
  box.text = text ? text : "";
  box.type = type;
  box.font =
      CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif");
  std::string title = caption ? caption : "Error";

  vqwin::resource::DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  t.title = vqwin::user::ToWide(title.c_str());
  HWND dlg = CreateFromTemplate(t, nullptr, owner, BoxProc, reinterpret_cast<LPARAM>(&box));
  int answer = 0;
  if (dlg) {
    ModalLoop loop;
    loop.info.kind = VQWIN_MODAL_MESSAGEBOX;
    loop.info.text = box.text.c_str();
    loop.info.type = type;
    loop.takeDefault = [dlg, &box] {
      SendMessageA(GetDlgItem(dlg, box.defaultId), BM_CLICK, 0, 0);
    };
    loop.answer = [dlg, &box](int id) {
      if (Offers(box, id)) // an answer the box does not offer is dropped
        SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
    };
    loop.forceEnd = [dlg, &box] { EndDialog(dlg, box.defaultId); };
    answer = static_cast<int>(RunModalDialog(dlg, ModalOwner(owner), loop));
  }
  DeleteObject(box.font);
  RecordMessageBox(MessageBoxEntry{owner, title, box.text, type, box.defaultId, answer});
  return answer;
}
