// Creating and destroying windows, with the message order of Win32:
// WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, then showing; on destruction
// owned windows go first, WM_DESTROY reaches a window before its children
// and WM_NCDESTROY reaches the children before their parent.
//
// A window whose WM_CREATE answers -1 gets WM_NCDESTROY only.
//
// Chosen here: windows are hidden and lose the focus before WM_DESTROY (no
// WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED), the capture silently (no
// WM_CAPTURECHANGED, as on Win32), and WM_PARENTNOTIFY is not sent; nothing
// in the library family listens to them.
#include "backend/backend.h"
#include "user/wnd_state.h"
#include "user/wnd_text.h"

#include <algorithm>

namespace vqwin::user {
namespace {

struct CreateArgs {
  DWORD exStyle;
  WindowClass *cls;
  std::u16string name;
  DWORD style;
  int x, y, width, height;
  HWND parent;
  HMENU menu;
  HINSTANCE instance;
  LPVOID param;
};

void DefaultPlacement(CreateArgs &a, bool topLevel) {
  SIZE screen = vqwin::backend::Current().ScreenSize();
  bool overlapped = topLevel && !(a.style & WS_POPUP);
  if (a.x == CW_USEDEFAULT) {
    a.x = overlapped ? screen.cx / 16 : 0;
    a.y = overlapped ? screen.cy / 16 : 0;
  }
  if (a.width == CW_USEDEFAULT) {
    a.width = overlapped ? screen.cx * 3 / 4 : 0;
    a.height = overlapped ? screen.cy * 3 / 4 : 0;
  }
}

// Builds the window object and links it into the tree; no message yet.
Window *Link(const CreateArgs &a, HWND parent, HWND owner) {
  State &s = GetState();
  auto w = std::make_unique<Window>();
  w->handle = reinterpret_cast<HWND>(s.nextHandle);
  s.nextHandle += 4;
  w->cls = a.cls;
  w->parent = parent;
  w->owner = owner;
  w->style = a.style & ~WS_VISIBLE;
  w->exStyle = a.exStyle;
  w->id = reinterpret_cast<LONG_PTR>(a.menu);
  w->instance = a.instance;
  w->proc = a.cls->proc;
  w->unicode = a.cls->unicode;
  w->extra.assign(static_cast<size_t>(a.cls->wndExtra), 0);
  w->text = a.name;
  w->rect = RECT{a.x, a.y, a.x + std::max(a.width, 0), a.y + std::max(a.height, 0)};
  w->restoreRect = w->rect;
  w->thread = CurrentThread();
  w->bars[SB_HORZ].everSet = a.style & WS_HSCROLL;
  w->bars[SB_VERT].everSet = a.style & WS_VSCROLL;
  ComputeClientRect(*w);
  a.cls->windows++;
  Window *raw = w.get();
  s.windows.emplace(raw->handle, std::move(w));
  if (parent)
    Find(parent, false)->children.push_back(raw->handle); // bottom of the siblings
  else
    s.topLevels.insert(s.topLevels.begin(), raw->handle); // top of the screen
  return raw;
}

void Unlink(HWND hwnd) {
  State &s = GetState();
  Window *w = Find(hwnd, false);
  if (!w)
    return;
  if (Window *parent = Find(w->parent, false)) {
    auto &c = parent->children;
    c.erase(std::remove(c.begin(), c.end(), hwnd), c.end());
  }
  s.topLevels.erase(std::remove(s.topLevels.begin(), s.topLevels.end(), hwnd), s.topLevels.end());
  if (!w->parent)
    vqwin::backend::Current().WindowDestroyed(hwnd);
  w->cls->windows--;
  s.windows.erase(hwnd);
}

void SendDestroy(HWND hwnd) {
  Window *w = Find(hwnd, false);
  if (!w)
    return;
  w->destroying = true;
  Send(hwnd, WM_DESTROY, 0, 0);
  w = Find(hwnd, false);
  if (!w)
    return;
  std::vector<HWND> children = w->children;
  for (HWND child : children)
    SendDestroy(child);
}

void SendNcDestroyAndFree(HWND hwnd) {
  Window *w = Find(hwnd, false);
  if (!w)
    return;
  std::vector<HWND> children = w->children;
  for (HWND child : children)
    SendNcDestroyAndFree(child);
  ForgetWindow(hwnd);
  PurgeMessages(hwnd);
  Send(hwnd, WM_NCDESTROY, 0, 0);
  Unlink(hwnd);
}

template <typename CS> HWND Create(CreateArgs a, const CS &csTemplate, bool unicodeCaller) {
  bool child = a.style & WS_CHILD;
  HWND parent = nullptr, owner = nullptr;
  if (child) {
    if (!a.parent) {
      SetLastError(ERROR_TLW_WITH_WSCHILD);
      return nullptr;
    }
    if (!Find(a.parent))
      return nullptr;
    parent = a.parent;
  } else {
    if (a.parent) {
      Window *p = Find(a.parent);
      if (!p)
        return nullptr;
      owner = TopLevelOf(p)->handle;
    }
    // Overlapped windows always have a caption, as on Win32.
    if (!(a.style & WS_POPUP))
      a.style |= WS_CAPTION | WS_CLIPSIBLINGS;
  }
  DefaultPlacement(a, !child);

  Window *w = Link(a, parent, owner);
  HWND hwnd = w->handle;
  CS cs = csTemplate;
  cs.x = a.x;
  cs.y = a.y;
  cs.cx = a.width;
  cs.cy = a.height;
  LPARAM lp = reinterpret_cast<LPARAM>(&cs);

  if (!CallProc(*w, unicodeCaller, WM_NCCREATE, 0, lp)) {
    SendNcDestroyAndFree(hwnd);
    return nullptr;
  }
  if (!(w = Find(hwnd, false)))
    return nullptr;
  w->created = true;
  ComputeClientRect(*w);
  if (CallProc(*w, unicodeCaller, WM_CREATE, 0, lp) == -1) {
    // A window that refused to be created never lived: it gets only
    // WM_NCDESTROY, as on Win32.
    State &s = GetState();
    if (s.focus && (s.focus == hwnd || IsChild(hwnd, s.focus)))
      s.focus = nullptr;
    if (s.capture && (s.capture == hwnd || IsChild(hwnd, s.capture)))
      s.capture = nullptr;
    SendNcDestroyAndFree(hwnd);
    return nullptr;
  }
  if (!(w = Find(hwnd, false)))
    return nullptr;
  if (!w->sizeSent) {
    w->sizeSent = true;
    SIZE size = ClientSize(*w);
    Send(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.cx, size.cy));
    if ((w = Find(hwnd, false))) {
      POINT o{w->rect.left + w->clientRect.left, w->rect.top + w->clientRect.top};
      Send(hwnd, WM_MOVE, 0, MAKELPARAM(o.x, o.y));
    }
  }
  if (!Find(hwnd, false))
    return nullptr;
  if (a.style & WS_VISIBLE)
    ShowWindow(hwnd, child ? SW_SHOWNA : SW_SHOW);
  return Find(hwnd, false) ? hwnd : nullptr;
}

} // namespace
} // namespace vqwin::user

using namespace vqwin::user;

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  WindowClass *cls = className ? FindClass(className, instance) : nullptr;
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  CREATESTRUCTA cs{param, instance, menu,        parent,     height,    width,
                   y,     x,        (LONG)style, windowName, className, exStyle};
  // An ordinal name (an icon static's resource id) reaches the window
  // procedure through CREATESTRUCT only; the window's text stays empty.
  const char *text = IS_INTRESOURCE(windowName) ? nullptr : windowName;
  return Create(CreateArgs{exStyle, cls, ToWide(text), style, x, y, width, height, parent, menu,
                           instance, param},
                cs, false);
}

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  WindowClass *cls = className ? FindClassW(className, instance) : nullptr;
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  CREATESTRUCTW cs{param, instance, menu,        parent,     height,    width,
                   y,     x,        (LONG)style, windowName, className, exStyle};
  std::u16string name = IS_INTRESOURCE(windowName) ? std::u16string() : std::u16string(windowName);
  return Create(
      CreateArgs{exStyle, cls, name, style, x, y, width, height, parent, menu, instance, param}, cs,
      true);
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
  Window *w = Find(hwnd);
  if (!w)
    return FALSE;
  if (w->destroying)
    return TRUE;
  w->destroying = true;
  State &s = GetState();

  std::vector<HWND> owned;
  for (HWND top : s.topLevels)
    if (Window *t = Find(top, false); t && t->owner == hwnd)
      owned.push_back(top);
  for (HWND o : owned)
    DestroyWindow(o);

  if (!(w = Find(hwnd, false)))
    return TRUE;
  if (w->style & WS_VISIBLE) {
    if (IsChildStyle(*w)) {
      if (Window *parent = Find(w->parent, false)) {
        RECT r = w->rect;
        InvalidateClient(*parent, &r, true, true);
      }
    } else {
      vqwin::backend::Current().WindowShown(hwnd, false);
    }
    w->style &= ~WS_VISIBLE;
  }
  if (s.focus && (s.focus == hwnd || IsChild(hwnd, s.focus)))
    SetFocus(IsChildStyle(*w) ? w->parent : nullptr);
  if (s.capture && (s.capture == hwnd || IsChild(hwnd, s.capture)))
    s.capture = nullptr;
  if (!Find(hwnd, false))
    return TRUE;

  SendDestroy(hwnd);
  SendNcDestroyAndFree(hwnd);
  if (s.active == hwnd || !Find(s.active, false))
    s.active = nullptr;
  return TRUE;
}
