// Shared pieces of the standard controls, and their registration as global
// classes when the layer is loaded, so that any module can create them by
// name as on Win32.
#include "controls/controls.h"

#include <algorithm>

namespace vqwin::controls {

bool NotifyParent(HWND hwnd, WORD code) {
  HWND parent = GetParent(hwnd);
  if (parent) {
    WORD id = static_cast<WORD>(GetWindowLongPtrA(hwnd, GWLP_ID));
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(hwnd));
  }
  return IsWindow(hwnd) != FALSE;
}

HBRUSH ControlBrush(HWND hwnd, HDC dc, UINT message) {
  HWND parent = GetParent(hwnd);
  WPARAM wp = reinterpret_cast<WPARAM>(dc);
  LPARAM lp = reinterpret_cast<LPARAM>(hwnd);
  LRESULT brush = parent ? SendMessageA(parent, message, wp, lp) : 0;
  if (!brush)
    brush = DefWindowProcA(hwnd, message, wp, lp);
  return reinterpret_cast<HBRUSH>(brush);
}

TextDC::TextDC(HWND hwnd, HFONT font) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
  if (dc_ && font)
    old_ = SelectObject(dc_, font);
}

TextDC::~TextDC() {
  if (!dc_)
    return;
  if (old_)
    SelectObject(dc_, old_);
  ReleaseDC(hwnd_, dc_);
}

int TextDC::Width(const char *text, int length) const {
  SIZE size{};
  if (dc_ && length > 0)
    GetTextExtentPoint32A(dc_, text, length, &size);
  return size.cx;
}

int TextDC::Height() const {
  TEXTMETRICA tm{};
  if (!dc_ || !GetTextMetricsA(dc_, &tm))
    return 16;
  return tm.tmHeight;
}

namespace {

char Fold(char c) {
  return static_cast<char>(reinterpret_cast<ULONG_PTR>(
      CharUpperA(reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<unsigned char>(c))))));
}

} // namespace

int CompareItems(const std::string &a, const std::string &b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(Fold(a[i]));
    auto y = static_cast<unsigned char>(Fold(b[i]));
    if (x != y)
      return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool HasPrefix(const std::string &text, const std::string &prefix) {
  if (prefix.size() > text.size())
    return false;
  return CompareItems(text.substr(0, prefix.size()), prefix) == 0;
}

namespace {

struct Registration {
  Registration() {
    RegisterEditClass();
    RegisterListBoxClasses();
    RegisterComboBoxClass();
    RegisterScrollBarClass();
  }
};

const Registration registration;

} // namespace

} // namespace vqwin::controls
