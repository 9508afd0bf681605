// The shared window manager state and the geometry helpers every USER
// source leans on: handle lookup, frame widths, client rectangles, screen
// origins and painting order.
#include "user/wnd_state.h"

#include <algorithm>
#include <functional>
#include <thread>

namespace vqwin::user {

Window::~Window() {
  if (update)
    cairo_region_destroy(update);
  if (surface)
    cairo_surface_destroy(surface);
}

State &GetState() {
  static State state;
  return state;
}

Window *Find(HWND hwnd, bool setError) {
  auto &windows = GetState().windows;
  auto it = hwnd ? windows.find(hwnd) : windows.end();
  if (it == windows.end()) {
    if (setError)
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return it->second.get();
}

bool IsChildStyle(const Window &w) { return (w.style & WS_CHILD) && w.parent; }

Window *TopLevelOf(Window *w) {
  while (w && IsChildStyle(*w))
    w = Find(w->parent, false);
  return w;
}

POINT WindowOrigin(const Window &w) {
  POINT p{w.rect.left, w.rect.top};
  if (IsChildStyle(w)) {
    if (const Window *parent = Find(w.parent, false)) {
      POINT o = ClientOrigin(*parent);
      p.x += o.x;
      p.y += o.y;
    }
  }
  return p;
}

POINT ClientOrigin(const Window &w) {
  POINT p = WindowOrigin(w);
  p.x += w.clientRect.left;
  p.y += w.clientRect.top;
  return p;
}

bool IsShown(const Window &w) {
  const Window *cur = &w;
  while (cur) {
    if (!(cur->style & WS_VISIBLE))
      return false;
    if (!IsChildStyle(*cur))
      return true;
    cur = Find(cur->parent, false);
  }
  return false;
}

Frame FrameOf(DWORD style, DWORD exStyle) {
  Frame f;
  int border = 0;
  if (style & WS_THICKFRAME)
    border = GetSystemMetrics(SM_CXFRAME);
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    border = GetSystemMetrics(SM_CXDLGFRAME);
  else if (style & WS_BORDER)
    border = GetSystemMetrics(SM_CXBORDER);
  if (exStyle & WS_EX_CLIENTEDGE)
    border += GetSystemMetrics(SM_CXEDGE);
  if (exStyle & WS_EX_STATICEDGE)
    border += GetSystemMetrics(SM_CXBORDER);
  f.left = f.top = f.right = f.bottom = border;
  if ((style & WS_CAPTION) == WS_CAPTION) {
    f.caption = GetSystemMetrics(SM_CYCAPTION);
    f.top += f.caption;
  }
  return f;
}

void ComputeClientRect(Window &w) {
  if (w.style & WS_MINIMIZE) {
    w.clientRect = RECT{0, 0, 0, 0};
    return;
  }
  Frame f = FrameOf(w.style, w.exStyle);
  int width = w.rect.right - w.rect.left;
  int height = w.rect.bottom - w.rect.top;
  RECT c{f.left, f.top, width - f.right, height - f.bottom};
  if (w.style & WS_VSCROLL)
    c.right -= GetSystemMetrics(SM_CXVSCROLL);
  if (w.style & WS_HSCROLL)
    c.bottom -= GetSystemMetrics(SM_CYHSCROLL);
  // A window smaller than its frame has an empty client area at the frame's
  // inner corner rather than a negative one.
  c.right = std::max(c.right, c.left);
  c.bottom = std::max(c.bottom, c.top);
  w.clientRect = c;
}

SIZE ClientSize(const Window &w) {
  return SIZE{w.clientRect.right - w.clientRect.left, w.clientRect.bottom - w.clientRect.top};
}

void CollectPaintOrder(HWND root, std::vector<HWND> &out) {
  Window *w = Find(root, false);
  if (!w)
    return;
  out.push_back(root);
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
    CollectPaintOrder(*it, out);
}

DWORD CurrentThread() { return GetCurrentThreadId(); }

} // namespace vqwin::user
