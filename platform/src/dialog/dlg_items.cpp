// Controls of a dialog by id: text, numbers, check state and messages.
// GetDlgItemInt reads as Win32 does: leading blanks, a sign, then at least
// one digit; what follows the digits is ignored. No digit, or a value
// outside the type, is not translated.
#include "dialog/dialog_internal.h"

#include <cstdio>
#include <string>

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// strtol / strtoul of a 32-bit C library with their overflow checks: the
// number ends at the first character that is no digit, a '-' on an
// unsigned read wraps the value around.
bool ParseInt(const std::string &text, bool isSigned, UINT &out) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  size_t digits = i;
  unsigned long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
    if (value > 0xFFFFFFFFull)
      return false;
  }
  if (i == digits)
    return false;
  if (isSigned && (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull))
    return false;
  out = static_cast<UINT>(negative ? 0 - static_cast<UINT>(value) : static_cast<UINT>(value));
  return true;
}

} // namespace

LRESULT WINAPI SendDlgItemMessageA(HWND dlg, int id, UINT msg, WPARAM wp, LPARAM lp) {
  HWND c = GetDlgItem(dlg, id);
  return c ? SendMessageA(c, msg, wp, lp) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND dlg, int id, LPCSTR text) {
  HWND c = GetDlgItem(dlg, id);
  return c ? SetWindowTextA(c, text) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND dlg, int id, LPSTR text, int max) {
  if (text && max > 0)
    text[0] = '\0';
  HWND c = GetDlgItem(dlg, id);
  return c ? static_cast<UINT>(GetWindowTextA(c, text, max)) : 0;
}

UINT WINAPI GetDlgItemInt(HWND dlg, int id, BOOL *translated, BOOL isSigned) {
  if (translated)
    *translated = FALSE;
  HWND c = GetDlgItem(dlg, id);
  if (!c)
    return 0;
  int len = GetWindowTextLengthA(c);
  std::string text(static_cast<size_t>(len) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(c, text.data(), len + 1)));
  UINT value = 0;
  if (!ParseInt(text, isSigned, value))
    return 0;
  if (translated)
    *translated = TRUE;
  return value;
}

BOOL WINAPI SetDlgItemInt(HWND dlg, int id, UINT value, BOOL isSigned) {
  char text[16];
  if (isSigned)
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  else
    std::snprintf(text, sizeof text, "%u", value);
  // Win32 answers TRUE even when there is no such item.
  SetDlgItemTextA(dlg, id, text);
  return TRUE;
}

BOOL WINAPI CheckDlgButton(HWND dlg, int id, UINT check) {
  HWND c = GetDlgItem(dlg, id);
  if (!c)
    return FALSE;
  SendMessageA(c, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dlg, int id) {
  HWND c = GetDlgItem(dlg, id);
  return c ? static_cast<UINT>(SendMessageA(c, BM_GETCHECK, 0, 0)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND dlg, int first, int last, int check) {
  if (!IsWindow(dlg)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    int id = GetDlgCtrlID(c);
    if (id >= first && id <= last)
      SendMessageA(c, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  return TRUE;
}
