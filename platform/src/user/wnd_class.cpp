// Window classes: registration, lookup by name or atom, and the class values
// behind GetClassLongPtrA. A class is local to the instance that registered
// it unless it has CS_GLOBALCLASS; a lookup tries the caller's local classes
// first, then the global ones, as Win32 does.
#include "user/wnd_state.h"
#include "user/wnd_text.h"

#include "kernel/cp1252.h"

#include <algorithm>
#include <cstring>

namespace vqwin::user {
namespace {

bool SameName(const std::string &a, const std::string &b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return cp1252::ToUpper(static_cast<unsigned char>(x)) ==
                  cp1252::ToUpper(static_cast<unsigned char>(y));
         });
}

struct ClassKey {
  ATOM atom = 0; // set when the name was given as an atom
  std::string name;
};

ClassKey KeyOf(LPCSTR name) {
  ClassKey key;
  if (IS_INTRESOURCE(name))
    key.atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
  else
    key.name = name;
  return key;
}

ClassKey KeyOf(LPCWSTR name) {
  if (IS_INTRESOURCE(name))
    return ClassKey{static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name)), {}};
  return ClassKey{0, ToAnsi(name)};
}

bool Matches(const WindowClass &c, const ClassKey &key) {
  return key.atom ? c.atom == key.atom : SameName(c.name, key.name);
}

struct Registration {
  ClassKey key;
  bool unicode = false;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0, wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr, iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menuName;
};

ATOM Register(Registration r) {
  if (r.key.atom || r.key.name.empty() || !r.proc || r.clsExtra < 0 || r.wndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  State &s = GetState();
  bool global = r.style & CS_GLOBALCLASS;
  for (auto &c : s.classes) {
    if (!SameName(c->name, r.key.name))
      continue;
    bool cGlobal = c->style & CS_GLOBALCLASS;
    if (cGlobal == global && (global || c->instance == r.instance)) {
      SetLastError(ERROR_CLASS_ALREADY_EXISTS);
      return 0;
    }
  }
  auto c = std::make_unique<WindowClass>();
  c->atom = s.nextAtom++;
  c->name = std::move(r.key.name);
  c->unicode = r.unicode;
  c->style = r.style;
  c->proc = r.proc;
  c->clsExtra = r.clsExtra;
  c->wndExtra = r.wndExtra;
  c->instance = r.instance;
  c->icon = r.icon;
  c->iconSmall = r.iconSmall;
  c->cursor = r.cursor;
  c->background = r.background;
  c->menuName = std::move(r.menuName);
  c->extra.assign(static_cast<size_t>(r.clsExtra), 0);
  ATOM atom = c->atom;
  s.classes.push_back(std::move(c));
  return atom;
}

std::string MenuNameOf(LPCSTR name) {
  return name && !IS_INTRESOURCE(name) ? std::string(name) : std::string();
}

// Extra bytes are read and written unaligned, as Win32 allows any offset
// that leaves room for the value.
template <typename T> bool ReadExtra(const std::vector<unsigned char> &bytes, int index, T &out) {
  if (index < 0 || static_cast<size_t>(index) + sizeof(T) > bytes.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return false;
  }
  std::memcpy(&out, bytes.data() + index, sizeof(T));
  return true;
}

} // namespace

WindowClass *FindClass(LPCSTR name, HINSTANCE instance) {
  ClassKey key = KeyOf(name);
  State &s = GetState();
  for (auto &c : s.classes)
    if (!(c->style & CS_GLOBALCLASS) && c->instance == instance && Matches(*c, key))
      return c.get();
  for (auto &c : s.classes)
    if ((c->style & CS_GLOBALCLASS) && Matches(*c, key))
      return c.get();
  // Chosen here: a local class of another instance is found last rather
  // than not at all, so that a host mixing up its own and a library's
  // module handle still gets its window; registration stays strict.
  for (auto &c : s.classes)
    if (Matches(*c, key))
      return c.get();
  return nullptr;
}

WindowClass *FindClassW(LPCWSTR name, HINSTANCE instance) {
  ClassKey key = KeyOf(name);
  if (key.atom)
    return FindClass(MAKEINTATOM(key.atom), instance);
  return FindClass(key.name.c_str(), instance);
}

} // namespace vqwin::user

using namespace vqwin::user;

ATOM WINAPI RegisterClassA(const WNDCLASSA *wc) {
  if (!wc || !wc->lpszClassName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Register({KeyOf(wc->lpszClassName), false, wc->style, wc->lpfnWndProc, wc->cbClsExtra,
                   wc->cbWndExtra, wc->hInstance, wc->hIcon, nullptr, wc->hCursor,
                   wc->hbrBackground, MenuNameOf(wc->lpszMenuName)});
}

ATOM WINAPI RegisterClassW(const WNDCLASSW *wc) {
  if (!wc || !wc->lpszClassName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string menu =
      wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName) ? ToAnsi(wc->lpszMenuName) : "";
  return Register({KeyOf(wc->lpszClassName), true, wc->style, wc->lpfnWndProc, wc->cbClsExtra,
                   wc->cbWndExtra, wc->hInstance, wc->hIcon, nullptr, wc->hCursor,
                   wc->hbrBackground, menu});
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA *wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpszClassName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Register({KeyOf(wc->lpszClassName), false, wc->style, wc->lpfnWndProc, wc->cbClsExtra,
                   wc->cbWndExtra, wc->hInstance, wc->hIcon, wc->hIconSm, wc->hCursor,
                   wc->hbrBackground, MenuNameOf(wc->lpszMenuName)});
}

BOOL WINAPI UnregisterClassA(LPCSTR name, HINSTANCE instance) {
  if (!name) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  ClassKey key = KeyOf(name);
  auto &classes = GetState().classes;
  auto it = std::find_if(classes.begin(), classes.end(), [&](const auto &c) {
    return Matches(*c, key) && (c->instance == instance || (c->style & CS_GLOBALCLASS));
  });
  if (it == classes.end()) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if ((*it)->windows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  classes.erase(it);
  return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE instance, LPCSTR name, LPWNDCLASSA out) {
  WindowClass *c = name ? FindClass(name, instance) : nullptr;
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (!out) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  out->style = c->style;
  out->lpfnWndProc = c->proc;
  out->cbClsExtra = c->clsExtra;
  out->cbWndExtra = c->wndExtra;
  out->hInstance = c->instance;
  out->hIcon = c->icon;
  out->hCursor = c->cursor;
  out->hbrBackground = c->background;
  out->lpszMenuName = c->menuName.empty() ? nullptr : c->menuName.c_str();
  out->lpszClassName = c->name.c_str();
  return TRUE;
}

int WINAPI GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
  Window *w = Find(hwnd);
  if (!w)
    return 0;
  if (!buffer || size <= 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  size_t n = std::min(w->cls->name.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, w->cls->name.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

ULONG_PTR WINAPI GetClassLongPtrA(HWND hwnd, int index) {
  Window *w = Find(hwnd);
  if (!w)
    return 0;
  WindowClass &c = *w->cls;
  switch (index) {
  case GCLP_HBRBACKGROUND:
    return reinterpret_cast<ULONG_PTR>(c.background);
  case GCLP_HCURSOR:
    return reinterpret_cast<ULONG_PTR>(c.cursor);
  case GCLP_HICON:
    return reinterpret_cast<ULONG_PTR>(c.icon);
  case GCLP_HICONSM:
    return reinterpret_cast<ULONG_PTR>(c.iconSmall);
  case GCLP_HMODULE:
    return reinterpret_cast<ULONG_PTR>(c.instance);
  case GCLP_WNDPROC:
    return reinterpret_cast<ULONG_PTR>(c.proc);
  case GCLP_MENUNAME:
    return c.menuName.empty() ? 0 : reinterpret_cast<ULONG_PTR>(c.menuName.c_str());
  case GCL_STYLE:
    return c.style;
  case GCL_CBWNDEXTRA:
    return static_cast<ULONG_PTR>(c.wndExtra);
  case GCL_CBCLSEXTRA:
    return static_cast<ULONG_PTR>(c.clsExtra);
  case GCW_ATOM:
    return c.atom;
  }
  ULONG_PTR value = 0;
  if (!ReadExtra(c.extra, index, value))
    return 0;
  return value;
}

ULONG_PTR WINAPI SetClassLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  Window *w = Find(hwnd);
  if (!w)
    return 0;
  WindowClass &c = *w->cls;
  ULONG_PTR old = GetClassLongPtrA(hwnd, index);
  switch (index) {
  case GCLP_HBRBACKGROUND:
    c.background = reinterpret_cast<HBRUSH>(value);
    return old;
  case GCLP_HCURSOR:
    c.cursor = reinterpret_cast<HCURSOR>(value);
    return old;
  case GCLP_HICON:
    c.icon = reinterpret_cast<HICON>(value);
    return old;
  case GCLP_HICONSM:
    c.iconSmall = reinterpret_cast<HICON>(value);
    return old;
  case GCLP_WNDPROC:
    c.proc = reinterpret_cast<WNDPROC>(value);
    return old;
  case GCL_STYLE:
    c.style = static_cast<UINT>(value);
    return old;
  }
  if (index < 0 || static_cast<size_t>(index) + sizeof(value) > c.extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  std::memcpy(c.extra.data() + index, &value, sizeof(value));
  return old;
}
