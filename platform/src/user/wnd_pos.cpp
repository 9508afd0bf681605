// Window geometry and visibility: rectangles and coordinate mapping,
// SetWindowPos with WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED (whose
// default handling sends WM_MOVE and WM_SIZE), ShowWindow, EnableWindow and
// the system metrics that fix frame and scroll bar sizes.
//
// Chosen here: any move, resize or show repaints the whole window and the
// parent's uncovered area; a minimised window keeps its rectangle but has no
// client area and takes no input.
#include "backend/backend.h"
#include "user/wnd_state.h"

#include <algorithm>

namespace vqwin::user {
namespace {

// Win32 marks a WM_WINDOWPOSCHANGED whose client area kept its size or place
// with these flags, and DefWindowProc sends WM_MOVE / WM_SIZE only without
// them. They are not part of the documented SWP_ set.
constexpr UINT kNoClientSize = 0x0800;
constexpr UINT kNoClientMove = 0x1000;

void MoveInZOrder(Window &w, HWND after) {
  State &s = GetState();
  std::vector<HWND> &list = IsChildStyle(w) ? Find(w.parent, false)->children : s.topLevels;
  if (after == w.handle)
    return;
  auto it = std::find(list.begin(), list.end(), w.handle);
  if (it == list.end())
    return;
  list.erase(it);
  if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
    list.insert(list.begin(), w.handle);
  } else if (after == HWND_BOTTOM) {
    list.push_back(w.handle);
  } else {
    auto pos = std::find(list.begin(), list.end(), after);
    list.insert(pos == list.end() ? list.end() : pos + 1, w.handle);
  }
}

void InvalidateParentArea(Window &w, const RECT &rect) {
  if (!IsChildStyle(w))
    return;
  if (Window *parent = Find(w.parent, false)) {
    RECT r = rect;
    InvalidateClient(*parent, &r, true, true);
  }
}

void InvalidateAll(Window &w) {
  InvalidateFrame(w);
  InvalidateClient(w, nullptr, true, true);
}

} // namespace

void ApplyFrameChange(HWND hwnd) {
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

} // namespace vqwin::user

using namespace vqwin::user;

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
  Window *w = Find(hwnd);
  if (!w || !rect)
    return FALSE;
  SIZE size = ClientSize(*w);
  *rect = RECT{0, 0, size.cx, size.cy};
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
  Window *w = Find(hwnd);
  if (!w || !rect)
    return FALSE;
  POINT o = WindowOrigin(*w);
  *rect = RECT{o.x, o.y, o.x + w->rect.right - w->rect.left, o.y + w->rect.bottom - w->rect.top};
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT pt) {
  Window *w = Find(hwnd);
  if (!w || !pt)
    return FALSE;
  POINT o = ClientOrigin(*w);
  pt->x += o.x;
  pt->y += o.y;
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT pt) {
  Window *w = Find(hwnd);
  if (!w || !pt)
    return FALSE;
  POINT o = ClientOrigin(*w);
  pt->x -= o.x;
  pt->y -= o.y;
  return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  POINT a{0, 0}, b{0, 0};
  if (from) {
    Window *w = Find(from);
    if (!w)
      return 0;
    a = ClientOrigin(*w);
  }
  if (to) {
    Window *w = Find(to);
    if (!w)
      return 0;
    b = ClientOrigin(*w);
  }
  int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
  Window *w = Find(hwnd);
  if (!w)
    return FALSE;
  WINDOWPOS wp{hwnd, after, x, y, cx, cy, flags};
  if (flags & SWP_NOMOVE) {
    wp.x = w->rect.left;
    wp.y = w->rect.top;
  }
  if (flags & SWP_NOSIZE) {
    wp.cx = w->rect.right - w->rect.left;
    wp.cy = w->rect.bottom - w->rect.top;
  }
  if (!(flags & SWP_NOSENDCHANGING)) {
    Send(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    if (!(w = Find(hwnd, false)))
      return FALSE;
  }
  const RECT oldRect = w->rect;
  const RECT oldClient = w->clientRect;
  const bool wasVisible = w->style & WS_VISIBLE;

  w->rect = RECT{wp.x, wp.y, wp.x + std::max(wp.cx, 0), wp.y + std::max(wp.cy, 0)};
  if (wp.flags & SWP_SHOWWINDOW)
    w->style |= WS_VISIBLE;
  if (wp.flags & SWP_HIDEWINDOW)
    w->style &= ~WS_VISIBLE;
  if (!(wp.flags & SWP_NOZORDER))
    MoveInZOrder(*w, wp.hwndInsertAfter);
  ComputeClientRect(*w);
  const bool visible = w->style & WS_VISIBLE;

  bool moved = oldRect.left != w->rect.left || oldRect.top != w->rect.top;
  bool sized = oldRect.right - oldRect.left != w->rect.right - w->rect.left ||
               oldRect.bottom - oldRect.top != w->rect.bottom - w->rect.top;
  bool changed = moved || sized || wasVisible != visible || (wp.flags & SWP_FRAMECHANGED) ||
                 !(wp.flags & SWP_NOZORDER);
  if (!IsChildStyle(*w)) {
    if (sized || visible)
      EnsureSurface(*w);
    if (moved || sized)
      vqwin::backend::Current().WindowPlaced(hwnd, w->surface, RECT{w->rect});
    if (wasVisible != visible)
      vqwin::backend::Current().WindowShown(hwnd, visible);
  }
  if (changed && !(wp.flags & SWP_NOREDRAW)) {
    if (wasVisible)
      InvalidateParentArea(*w, oldRect);
    if (visible)
      InvalidateAll(*w);
  }

  if (oldClient.right - oldClient.left == w->clientRect.right - w->clientRect.left &&
      oldClient.bottom - oldClient.top == w->clientRect.bottom - w->clientRect.top)
    wp.flags |= kNoClientSize;
  if (!moved && oldClient.left == w->clientRect.left && oldClient.top == w->clientRect.top)
    wp.flags |= kNoClientMove;
  Send(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  if (!(wp.flags & SWP_NOACTIVATE) && (w = Find(hwnd, false)) && !IsChildStyle(*w) &&
      (w->style & WS_VISIBLE))
    ActivateTopLevel(hwnd, WA_ACTIVE);
  return TRUE;
}

LRESULT vqwin::user::DefWindowPosChanged(HWND hwnd, const WINDOWPOS *wp) {
  Window *w = Find(hwnd, false);
  if (!w || !wp)
    return 0;
  // WM_MOVE first, then WM_SIZE, as Win32's default handling sends them;
  // creation sends them the other way round (wnd_create.cpp).
  if (!(wp->flags & kNoClientMove) &&
      !(wp->flags & SWP_NOMOVE && !(wp->flags & SWP_FRAMECHANGED))) {
    POINT o{w->rect.left + w->clientRect.left, w->rect.top + w->clientRect.top};
    Send(hwnd, WM_MOVE, 0, MAKELPARAM(o.x, o.y));
    if (!(w = Find(hwnd, false)))
      return 0;
  }
  if (!(wp->flags & kNoClientSize) &&
      !(wp->flags & SWP_NOSIZE && !(wp->flags & SWP_FRAMECHANGED))) {
    SIZE size = ClientSize(*w);
    WPARAM kind = (w->style & WS_MAXIMIZE)   ? SIZE_MAXIMIZED
                  : (w->style & WS_MINIMIZE) ? SIZE_MINIMIZED
                                             : SIZE_RESTORED;
    w->sizeSent = true;
    Send(hwnd, WM_SIZE, kind, MAKELPARAM(size.cx, size.cy));
  }
  return 0;
}

BOOL WINAPI ShowWindow(HWND hwnd, int cmd) {
  Window *w = Find(hwnd);
  if (!w)
    return FALSE;
  const bool wasVisible = w->style & WS_VISIBLE;
  const bool topLevel = !IsChildStyle(*w);
  if (cmd == SW_HIDE) {
    if (!wasVisible)
      return FALSE;
    Send(hwnd, WM_SHOWWINDOW, FALSE, 0);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    State &s = GetState();
    if (topLevel && s.active == hwnd) {
      if (s.focus && (s.focus == hwnd || IsChild(hwnd, s.focus)))
        SetFocus(nullptr);
      s.active = nullptr;
    }
    return TRUE;
  }

  UINT flags = SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE;
  RECT target = w->rect;
  DWORD style = w->style;
  switch (cmd) {
  case SW_SHOWMAXIMIZED: {
    if (!(style & WS_MAXIMIZE))
      w->restoreRect = w->rect;
    style = (style | WS_MAXIMIZE) & ~WS_MINIMIZE;
    SIZE screen = vqwin::backend::Current().ScreenSize();
    target = RECT{0, 0, screen.cx, screen.cy};
    if (Window *parent = topLevel ? nullptr : Find(w->parent, false))
      target = RECT{0, 0, ClientSize(*parent).cx, ClientSize(*parent).cy};
    break;
  }
  case SW_MINIMIZE:
  case SW_SHOWMINIMIZED:
  case SW_SHOWMINNOACTIVE:
    style |= WS_MINIMIZE;
    break;
  case SW_RESTORE:
  case SW_SHOWNORMAL:
  case SW_SHOWDEFAULT:
    if (style & WS_MAXIMIZE)
      target = w->restoreRect;
    style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
    break;
  case SW_SHOW:
  case SW_SHOWNA:
  case SW_SHOWNOACTIVATE:
    break;
  default:
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!wasVisible) {
    Send(hwnd, WM_SHOWWINDOW, TRUE, 0);
    if (!(w = Find(hwnd, false)))
      return FALSE;
  }
  if (style != w->style) {
    w->style = style;
    flags |= SWP_FRAMECHANGED;
  }
  SetWindowPos(hwnd, nullptr, target.left, target.top, target.right - target.left,
               target.bottom - target.top, flags);
  bool activate = cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE && cmd != SW_SHOWMINNOACTIVE &&
                  cmd != SW_MINIMIZE;
  if (topLevel && activate && Find(hwnd, false))
    ActivateTopLevel(hwnd, WA_ACTIVE);
  return wasVisible;
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
  Window *w = Find(hwnd, false);
  return w && IsShown(*w);
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
  Window *w = Find(hwnd);
  if (!w)
    return FALSE;
  const bool wasDisabled = w->style & WS_DISABLED;
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    Send(hwnd, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    Send(hwnd, WM_CANCELMODE, 0, 0);
    if (!(w = Find(hwnd, false)))
      return FALSE;
    w->style |= WS_DISABLED;
    State &s = GetState();
    if (s.focus && (s.focus == hwnd || IsChild(hwnd, s.focus)))
      SetFocus(nullptr);
    Send(hwnd, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
  Window *w = Find(hwnd);
  return w && !(w->style & WS_DISABLED);
}

namespace {

bool Contains(const RECT &r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The deepest shown child of `w` under the screen point; disabled children
// hand the point to their parent.
HWND DeepestAt(Window &w, POINT screen) {
  POINT c = ClientOrigin(w);
  SIZE size = ClientSize(w);
  if (!Contains(RECT{c.x, c.y, c.x + size.cx, c.y + size.cy}, screen))
    return w.handle;
  for (HWND h : w.children) {
    Window *child = Find(h, false);
    if (!child || !(child->style & WS_VISIBLE))
      continue;
    POINT o = WindowOrigin(*child);
    RECT r{o.x, o.y, o.x + child->rect.right - child->rect.left,
           o.y + child->rect.bottom - child->rect.top};
    if (!Contains(r, screen))
      continue;
    if (child->style & WS_DISABLED)
      return w.handle;
    return DeepestAt(*child, screen);
  }
  return w.handle;
}

} // namespace

HWND WINAPI WindowFromPoint(POINT pt) {
  for (HWND top : GetState().topLevels) {
    Window *w = Find(top, false);
    if (!w || !(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE))
      continue;
    RECT r = w->rect;
    if (Contains(r, pt))
      return DeepestAt(*w, pt);
  }
  return nullptr;
}

int WINAPI GetSystemMetrics(int index) {
  SIZE screen = vqwin::backend::Current().ScreenSize();
  switch (index) {
  case SM_CXSCREEN:
  case SM_CXFULLSCREEN:
    return screen.cx;
  case SM_CYSCREEN:
    return screen.cy;
  case SM_CYFULLSCREEN:
    return screen.cy - 19;
  case SM_CXVSCROLL:
  case SM_CYHSCROLL:
  case SM_CYVSCROLL:
  case SM_CXHSCROLL:
  case SM_CYVTHUMB:
  case SM_CXHTHUMB:
  case SM_CXSMICON:
  case SM_CYSMICON:
    return 16;
  case SM_CYCAPTION:
  case SM_CYMENU:
    return 19;
  case SM_CXBORDER:
  case SM_CYBORDER:
  case SM_MOUSEPRESENT:
    return 1;
  case SM_CXEDGE:
  case SM_CYEDGE:
    return 2;
  case SM_CXDLGFRAME:
  case SM_CYDLGFRAME:
    return 3;
  case SM_CXFRAME:
  case SM_CYFRAME:
  case SM_CXDOUBLECLK:
  case SM_CYDOUBLECLK:
    return 4;
  case SM_CXSIZE:
  case SM_CYSIZE:
    return 18;
  case SM_CXICON:
  case SM_CYICON:
  case SM_CXCURSOR:
  case SM_CYCURSOR:
    return 32;
  case SM_CXMIN:
  case SM_CXMINTRACK:
    return 112;
  case SM_CYMIN:
  case SM_CYMINTRACK:
    return 27;
  case SM_CMOUSEBUTTONS:
    return 3;
  case SM_SWAPBUTTON:
    return 0;
  }
  return 0;
}
