// What a window holds and how its relatives are found: the tree queries,
// the values behind Get/SetWindowLongPtr (styles, id, user data, procedure,
// extra bytes) and the window text, which travels through WM_SETTEXT and
// WM_GETTEXT so that a class can keep its own.
#include "user/wnd_state.h"
#include "user/wnd_text.h"

#include <algorithm>
#include <cstring>

namespace vqwin::user {
namespace {

template <typename T> bool ReadBytes(const Window &w, int index, T &out) {
  if (index < 0 || static_cast<size_t>(index) + sizeof(T) > w.extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return false;
  }
  std::memcpy(&out, w.extra.data() + index, sizeof(T));
  return true;
}

template <typename T> bool WriteBytes(Window &w, int index, T value) {
  if (index < 0 || static_cast<size_t>(index) + sizeof(T) > w.extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return false;
  }
  std::memcpy(w.extra.data() + index, &value, sizeof(T));
  return true;
}

bool ReadLong(const Window &w, int index, LONG_PTR &out) {
  switch (index) {
  case GWL_STYLE:
    out = static_cast<LONG>(w.style);
    return true;
  case GWL_EXSTYLE:
    out = static_cast<LONG>(w.exStyle);
    return true;
  case GWLP_ID:
    out = w.id;
    return true;
  case GWLP_USERDATA:
    out = w.userData;
    return true;
  case GWLP_WNDPROC:
    out = reinterpret_cast<LONG_PTR>(w.proc);
    return true;
  case GWLP_HINSTANCE:
    out = reinterpret_cast<LONG_PTR>(w.instance);
    return true;
  case GWLP_HWNDPARENT:
    out = reinterpret_cast<LONG_PTR>(IsChildStyle(w) ? w.parent : w.owner);
    return true;
  }
  return ReadBytes(w, index, out);
}

LONG_PTR WriteLong(HWND hwnd, int index, LONG_PTR value, bool unicode) {
  Window *w = Find(hwnd);
  if (!w)
    return 0;
  LONG_PTR old = 0;
  if (!ReadLong(*w, index, old))
    return 0;
  switch (index) {
  case GWL_STYLE:
    // Visibility only changes through ShowWindow / SetWindowPos, frames only
    // with SWP_FRAMECHANGED, as on Win32.
    w->style = static_cast<DWORD>(value);
    break;
  case GWL_EXSTYLE:
    w->exStyle = static_cast<DWORD>(value);
    break;
  case GWLP_ID:
    w->id = value;
    break;
  case GWLP_USERDATA:
    w->userData = value;
    break;
  case GWLP_WNDPROC: {
    if (!value) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    old = reinterpret_cast<LONG_PTR>(ProcForCaller(*w, unicode));
    WNDPROC proc = reinterpret_cast<WNDPROC>(value);
    bool procUnicode = unicode;
    FromProcHandle(reinterpret_cast<WNDPROC>(value), proc, procUnicode);
    w->proc = proc;
    w->unicode = procUnicode;
    break;
  }
  case GWLP_HINSTANCE:
    w->instance = reinterpret_cast<HINSTANCE>(value);
    break;
  case GWLP_HWNDPARENT:
    if (!IsChildStyle(*w))
      w->owner = reinterpret_cast<HWND>(value);
    break;
  default:
    WriteBytes(*w, index, value);
  }
  return old;
}

// On 64-bit Windows the 32-bit accessors refuse the slots that hold
// pointers; everything else is the low half of the pointer-sized value.
bool IsPointerSlot(int index) {
  return index == GWLP_WNDPROC || index == GWLP_HINSTANCE || index == GWLP_HWNDPARENT;
}

} // namespace
} // namespace vqwin::user

using namespace vqwin::user;

BOOL WINAPI IsWindow(HWND hwnd) { return Find(hwnd, false) != nullptr; }

BOOL WINAPI IsChild(HWND parent, HWND hwnd) {
  Window *w = Find(hwnd, false);
  while (w && IsChildStyle(*w)) {
    if (w->parent == parent)
      return TRUE;
    w = Find(w->parent, false);
  }
  return FALSE;
}

HWND WINAPI GetParent(HWND hwnd) {
  Window *w = Find(hwnd);
  if (!w)
    return nullptr;
  if (IsChildStyle(*w))
    return w->parent;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND WINAPI GetAncestor(HWND hwnd, UINT flags) {
  Window *w = Find(hwnd);
  if (!w)
    return nullptr;
  switch (flags) {
  case GA_PARENT:
    return IsChildStyle(*w) ? w->parent : nullptr;
  case GA_ROOT:
    return TopLevelOf(w)->handle;
  case GA_ROOTOWNER: {
    Window *top = TopLevelOf(w);
    while (Window *o = Find(top->owner, false))
      top = TopLevelOf(o);
    return top->handle;
  }
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

HWND WINAPI GetWindow(HWND hwnd, UINT cmd) {
  Window *w = Find(hwnd);
  if (!w)
    return nullptr;
  if (cmd == GW_CHILD)
    return w->children.empty() ? nullptr : w->children.front();
  if (cmd == GW_OWNER)
    return IsChildStyle(*w) ? nullptr : w->owner;
  const std::vector<HWND> *siblings = &GetState().topLevels;
  if (IsChildStyle(*w))
    siblings = &Find(w->parent, false)->children;
  if (siblings->empty())
    return nullptr;
  auto it = std::find(siblings->begin(), siblings->end(), hwnd);
  switch (cmd) {
  case GW_HWNDFIRST:
    return siblings->front();
  case GW_HWNDLAST:
    return siblings->back();
  case GW_HWNDNEXT:
    return it + 1 < siblings->end() ? *(it + 1) : nullptr;
  case GW_HWNDPREV:
    return it != siblings->begin() ? *(it - 1) : nullptr;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  Window *w = Find(dialog);
  if (!w)
    return nullptr;
  for (HWND child : w->children)
    if (static_cast<int>(Find(child, false)->id) == id)
      return child;
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hwnd) {
  Window *w = Find(hwnd);
  return w && IsChildStyle(*w) ? static_cast<int>(w->id) : 0;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) {
  Window *w = Find(hwnd);
  if (w && index == GWLP_WNDPROC)
    return reinterpret_cast<LONG_PTR>(ProcForCaller(*w, false));
  LONG_PTR value = 0;
  return w && ReadLong(*w, index, value) ? value : 0;
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hwnd, int index) {
  Window *w = Find(hwnd);
  if (w && index == GWLP_WNDPROC)
    return reinterpret_cast<LONG_PTR>(ProcForCaller(*w, true));
  return GetWindowLongPtrA(hwnd, index);
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  return WriteLong(hwnd, index, value, false);
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  return WriteLong(hwnd, index, value, true);
}

LONG WINAPI GetWindowLongA(HWND hwnd, int index) {
  Window *w = Find(hwnd);
  if (!w)
    return 0;
  if (IsPointerSlot(index)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  if (index >= 0) {
    LONG value = 0;
    return ReadBytes(*w, index, value) ? value : 0;
  }
  return static_cast<LONG>(GetWindowLongPtrA(hwnd, index));
}

LONG WINAPI SetWindowLongA(HWND hwnd, int index, LONG value) {
  Window *w = Find(hwnd);
  if (!w)
    return 0;
  if (IsPointerSlot(index)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  if (index >= 0) {
    LONG old = 0;
    if (!ReadBytes(*w, index, old))
      return 0;
    WriteBytes(*w, index, value);
    return old;
  }
  if (index == GWL_STYLE || index == GWL_EXSTYLE)
    return static_cast<LONG>(WriteLong(hwnd, index, static_cast<DWORD>(value), false));
  return static_cast<LONG>(WriteLong(hwnd, index, value, false));
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (!Find(hwnd))
    return FALSE;
  return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
  if (!Find(hwnd))
    return 0;
  if (!buffer || size <= 0)
    return 0;
  buffer[0] = '\0';
  return static_cast<int>(
      SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthA(HWND hwnd) {
  if (!Find(hwnd))
    return 0;
  return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}
