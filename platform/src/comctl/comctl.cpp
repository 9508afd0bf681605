// Shared pieces of the common controls and InitCommonControlsEx. The
// classes are registered when the layer loads, so InitCommonControlsEx
// only confirms that a group asked for is one this layer has.
#include "comctl/comctl.h"

#include <cstring>

namespace vqwin::comctl {

LRESULT Notify(HWND hwnd, UINT code, NMHDR *nm) {
  HWND parent = GetParent(hwnd);
  nm->hwndFrom = hwnd;
  nm->idFrom = static_cast<UINT_PTR>(GetWindowLongPtrA(hwnd, GWLP_ID));
  nm->code = code;
  if (!parent)
    return 0;
  return SendMessageA(parent, WM_NOTIFY, nm->idFrom, reinterpret_cast<LPARAM>(nm));
}

int FontHeight(HWND hwnd, HFONT font) {
  HDC dc = GetDC(hwnd);
  if (!dc)
    return 16;
  HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
  TEXTMETRICA tm{};
  int h = GetTextMetricsA(dc, &tm) ? tm.tmHeight : 16;
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return h;
}

int CopyText(const char *text, LPSTR buffer, int size) {
  if (!buffer || size <= 0)
    return 0;
  int n = static_cast<int>(std::strlen(text ? text : ""));
  if (n > size - 1)
    n = size - 1;
  if (n > 0)
    std::memcpy(buffer, text, static_cast<size_t>(n));
  buffer[n] = '\0';
  return n;
}

namespace {

struct Registration {
  Registration() {
    RegisterHeaderClass();
    RegisterListViewClass();
    RegisterUpDownClass();
    RegisterTabClass();
  }
};

const Registration registration;

} // namespace

} // namespace vqwin::comctl

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX *icc) {
  // The groups whose classes this layer registers; anything else asked for
  // is absent, and saying so beats a later CreateWindow failing by name.
  constexpr DWORD kProvided = ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS;
  if (!icc || icc->dwSize != sizeof(INITCOMMONCONTROLSEX) || (icc->dwICC & ~kProvided)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}
