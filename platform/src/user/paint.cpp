// Painting: update regions, BeginPaint / EndPaint, window and client device
// contexts, and the paint pass that the message queue runs when it is idle.
//
// Every top-level window owns an RGB24 cairo surface of its window size;
// a child draws into its rectangle of that surface. A device context gets
// its origin and a rectangular clip (the client area, cut by every
// ancestor's client area, and for BeginPaint by the update region's
// bounds), minus the visible children of a WS_CLIPCHILDREN window, and is
// made by GDI through surface_dc.h.
//
// A window without WS_CLIPCHILDREN paints over its children, so, as on
// Win32, invalidating it invalidates the children it covers and it paints
// before them: the paint pass goes parent first, and a child painted at
// once (UpdateWindow, RDW_UPDATENOW) first lets every ancestor that still
// waits to paint over it do so, or that ancestor would cover it later.
#include "backend/backend.h"
#include "gdi/surface_dc.h"
#include "user/wnd_state.h"

#include <algorithm>

namespace vqwin::user {
namespace {

RECT Intersect(const RECT &a, const RECT &b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.right <= r.left || r.bottom <= r.top)
    return RECT{0, 0, 0, 0};
  return r;
}

RECT Offset(RECT r, int dx, int dy) {
  return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

bool Empty(const RECT &r) { return r.right <= r.left || r.bottom <= r.top; }

// Where a window's area lies on its top-level surface and what of it can be
// seen through its ancestors' client areas.
struct Placement {
  Window *top = nullptr;
  POINT origin{}; // surface position of the window's top-left corner
  RECT visible{}; // surface rectangle its ancestors leave visible
};

Placement Place(Window &w) {
  Placement p;
  p.top = TopLevelOf(&w);
  POINT topOrigin = WindowOrigin(*p.top);
  POINT o = WindowOrigin(w);
  p.origin = POINT{o.x - topOrigin.x, o.y - topOrigin.y};
  p.visible =
      RECT{0, 0, p.top->rect.right - p.top->rect.left, p.top->rect.bottom - p.top->rect.top};
  for (Window *a = IsChildStyle(w) ? Find(w.parent, false) : nullptr; a;
       a = IsChildStyle(*a) ? Find(a->parent, false) : nullptr) {
    POINT ao = WindowOrigin(*a);
    RECT client = Offset(a->clientRect, ao.x - topOrigin.x, ao.y - topOrigin.y);
    p.visible = Intersect(p.visible, client);
  }
  return p;
}

HDC MakeDC(Window &w, bool whole, const RECT *clientClip) {
  Placement p = Place(w);
  EnsureSurface(*p.top);
  gdi::SurfaceTarget t;
  t.surface = p.top->surface;
  t.window = w.handle;
  RECT area =
      whole ? RECT{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top} : w.clientRect;
  RECT clip = Intersect(Offset(area, p.origin.x, p.origin.y), p.visible);
  if (whole) {
    t.origin = p.origin;
  } else {
    t.origin = POINT{p.origin.x + w.clientRect.left, p.origin.y + w.clientRect.top};
    if (clientClip)
      clip = Intersect(clip, Offset(*clientClip, t.origin.x, t.origin.y));
  }
  t.clip = clip;
  if (w.style & WS_CLIPCHILDREN)
    for (HWND h : w.children) {
      Window *c = Find(h, false);
      if (!c || !(c->style & WS_VISIBLE))
        continue;
      POINT co = WindowOrigin(*c);
      POINT topOrigin = WindowOrigin(*p.top);
      t.excluded.push_back(
          Offset(RECT{0, 0, c->rect.right - c->rect.left, c->rect.bottom - c->rect.top},
                 co.x - topOrigin.x, co.y - topOrigin.y));
    }
  return gdi::CreateSurfaceDC(t);
}

RECT UpdateBounds(const Window &w) {
  if (!w.update || cairo_region_is_empty(w.update))
    return RECT{0, 0, 0, 0};
  cairo_rectangle_int_t e;
  cairo_region_get_extents(w.update, &e);
  return RECT{e.x, e.y, e.x + e.width, e.y + e.height};
}

bool NeedsPaint(const Window &w) { return w.update && !cairo_region_is_empty(w.update); }

void Validate(Window &w, const RECT *rc) {
  if (!w.update)
    return;
  if (!rc) {
    cairo_region_destroy(w.update);
    w.update = nullptr;
    w.erasePending = false;
    return;
  }
  cairo_rectangle_int_t r{rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top};
  if (r.width > 0 && r.height > 0)
    cairo_region_subtract_rectangle(w.update, &r);
  if (cairo_region_is_empty(w.update)) {
    cairo_region_destroy(w.update);
    w.update = nullptr;
    w.erasePending = false;
  }
}

void Present(Window &w, const RECT &surfaceRect) {
  Window *top = TopLevelOf(&w);
  if (top && top->surface)
    backend::Current().Present(top->handle, surfaceRect);
}

} // namespace

ClientPlacement PlaceClient(Window &w) {
  Placement p = Place(w);
  ClientPlacement c;
  c.top = p.top;
  c.origin = POINT{p.origin.x + w.clientRect.left, p.origin.y + w.clientRect.top};
  RECT client = Offset(w.clientRect, p.origin.x, p.origin.y);
  c.visible = IsShown(w) ? Offset(Intersect(client, p.visible), -c.origin.x, -c.origin.y)
                         : RECT{0, 0, 0, 0};
  return c;
}

void EnsureSurface(Window &top) {
  int width = std::max<int>(top.rect.right - top.rect.left, 1);
  int height = std::max<int>(top.rect.bottom - top.rect.top, 1);
  if (top.surface && cairo_image_surface_get_width(top.surface) == width &&
      cairo_image_surface_get_height(top.surface) == height)
    return;
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t *cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  if (top.surface) {
    // Keep what was drawn; the resize invalidates the window anyway, but a
    // screenshot taken before the repaint should not show a blank window.
    cairo_set_source_surface(cr, top.surface, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(top.surface);
  }
  cairo_destroy(cr);
  top.surface = surface;
  backend::Current().WindowPlaced(top.handle, surface, top.rect);
}

void InvalidateClient(Window &w, const RECT *rc, bool erase, bool children, bool allChildren) {
  if (!IsShown(w))
    return;
  SIZE size = ClientSize(w);
  RECT client{0, 0, size.cx, size.cy};
  RECT r = rc ? Intersect(*rc, client) : client;
  if (Empty(r))
    return;
  if (!w.update)
    w.update = cairo_region_create();
  cairo_rectangle_int_t cr{r.left, r.top, r.right - r.left, r.bottom - r.top};
  cairo_region_union_rectangle(w.update, &cr);
  if (erase)
    w.erasePending = true;
  if (!children || ((w.style & WS_CLIPCHILDREN) && !allChildren))
    return;
  for (HWND h : w.children) {
    Window *c = Find(h, false);
    if (!c || !(c->style & WS_VISIBLE))
      continue;
    RECT inChild = Intersect(r, c->rect);
    if (Empty(inChild))
      continue;
    RECT local =
        Offset(inChild, -c->rect.left - c->clientRect.left, -c->rect.top - c->clientRect.top);
    InvalidateFrame(*c);
    InvalidateClient(*c, &local, erase, true, allChildren);
  }
}

void InvalidateFrame(Window &w) {
  Frame f = FrameOf(w.style, w.exStyle);
  if (f.left || f.top || (w.style & (WS_HSCROLL | WS_VSCROLL)))
    w.frameDirty = true;
}

HWND NextPaintWindow(HWND filter) {
  State &s = GetState();
  std::vector<HWND> order;
  std::vector<HWND> tops = s.topLevels;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it)
    CollectPaintOrder(*it, order);
  DWORD thread = CurrentThread();
  for (HWND h : order) {
    Window *w = Find(h, false);
    if (!w || w->thread != thread || !IsShown(*w) || w->painting)
      continue;
    if (filter && h != filter && !IsChild(filter, h))
      continue;
    if (w->frameDirty && !NeedsPaint(*w)) {
      w->frameDirty = false;
      Send(h, WM_NCPAINT, 1, 0);
      continue;
    }
    if (NeedsPaint(*w))
      return h;
  }
  return nullptr;
}

// Whether the window's update region reaches into the rectangle of its
// descendant `d`.
bool CoversDescendant(const Window &w, const Window &d) {
  if (!NeedsPaint(w))
    return false;
  POINT dOrigin = WindowOrigin(d), wClient = ClientOrigin(w);
  cairo_rectangle_int_t r{dOrigin.x - wClient.x, dOrigin.y - wClient.y, d.rect.right - d.rect.left,
                          d.rect.bottom - d.rect.top};
  return cairo_region_contains_rectangle(w.update, &r) != CAIRO_REGION_OVERLAP_OUT;
}

// Paints, outermost first, the ancestors whose pending paint would cover
// the window.
void PaintCoveringAncestors(HWND hwnd) {
  std::vector<HWND> chain;
  for (Window *w = Find(hwnd, false); w && IsChildStyle(*w);) {
    w = Find(w->parent, false);
    if (w)
      chain.push_back(w->handle);
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    Window *a = Find(*it, false), *w = Find(hwnd, false);
    if (!w)
      return;
    if (a && !a->painting && !(a->style & WS_CLIPCHILDREN) && IsShown(*a) &&
        CoversDescendant(*a, *w))
      Send(*it, WM_PAINT, 0, 0);
  }
}

void PaintNow(HWND hwnd) {
  Window *w = Find(hwnd, false);
  if (!w || !IsShown(*w))
    return;
  if (NeedsPaint(*w) || w->frameDirty) {
    PaintCoveringAncestors(hwnd);
    if (!(w = Find(hwnd, false)))
      return;
  }
  if (NeedsPaint(*w))
    Send(hwnd, WM_PAINT, 0, 0);
  else if (w->frameDirty) {
    w->frameDirty = false;
    Send(hwnd, WM_NCPAINT, 1, 0);
  }
}

} // namespace vqwin::user

using namespace vqwin::user;

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT *rc, BOOL erase) {
  if (!hwnd) {
    // Win32 repaints every window for a NULL window; so do we.
    for (auto &[h, w] : GetState().windows)
      InvalidateClient(*w, nullptr, erase, false);
    return TRUE;
  }
  Window *w = Find(hwnd);
  if (!w)
    return FALSE;
  InvalidateClient(*w, rc, erase, true);
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT *rc) {
  Window *w = Find(hwnd);
  if (!w)
    return FALSE;
  Validate(*w, rc);
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
  if (!Find(hwnd))
    return FALSE;
  std::vector<HWND> order;
  CollectPaintOrder(hwnd, order);
  for (HWND h : order)
    PaintNow(h);
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rc, BOOL erase) {
  Window *w = Find(hwnd);
  if (!w)
    return FALSE;
  RECT bounds = UpdateBounds(*w);
  if (erase && w->erasePending && NeedsPaint(*w)) {
    w->erasePending = false;
    if (HDC dc = GetDC(hwnd)) {
      Send(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      ReleaseDC(hwnd, dc);
    }
  }
  if (rc)
    *rc = bounds;
  return !Empty(bounds);
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  Window *w = Find(hwnd);
  if (!w)
    return nullptr;
  if (!ps) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (w->frameDirty) {
    w->frameDirty = false;
    Send(hwnd, WM_NCPAINT, 1, 0);
    if (!(w = Find(hwnd, false)))
      return nullptr;
  }
  RECT bounds = UpdateBounds(*w);
  bool erase = w->erasePending;
  Validate(*w, nullptr);
  *ps = PAINTSTRUCT{};
  ps->rcPaint = bounds;
  ps->hdc = MakeDC(*w, false, &bounds);
  if (!ps->hdc)
    return nullptr;
  w->painting = true;
  ps->fErase = erase ? !Send(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(ps->hdc), 0) : FALSE;
  return ps->hdc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT *ps) {
  if (!ps)
    return FALSE;
  if (Window *w = Find(hwnd, false)) {
    w->painting = false;
    if (const vqwin::gdi::SurfaceTarget *t = vqwin::gdi::SurfaceOfDC(ps->hdc))
      Present(*w, t->clip);
  }
  vqwin::gdi::DestroySurfaceDC(ps->hdc);
  return TRUE;
}

namespace {

// A DC for measuring, not for showing: the whole screen is never one
// surface here, so GetDC(NULL) draws into a scratch pixel that nobody sees.
HDC ScreenDC() {
  static cairo_surface_t *scratch = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
  vqwin::gdi::SurfaceTarget t;
  t.surface = scratch;
  return vqwin::gdi::CreateSurfaceDC(t);
}

} // namespace

HDC WINAPI GetDC(HWND hwnd) {
  if (!hwnd)
    return ScreenDC();
  Window *w = Find(hwnd);
  return w ? MakeDC(*w, false, nullptr) : nullptr;
}

HDC WINAPI GetWindowDC(HWND hwnd) {
  if (!hwnd)
    return ScreenDC();
  Window *w = Find(hwnd);
  return w ? MakeDC(*w, true, nullptr) : nullptr;
}

int WINAPI ReleaseDC(HWND hwnd, HDC dc) {
  const vqwin::gdi::SurfaceTarget *t = vqwin::gdi::SurfaceOfDC(dc);
  if (!t)
    return 0;
  if (Window *w = Find(hwnd, false))
    Present(*w, t->clip);
  return vqwin::gdi::DestroySurfaceDC(dc) ? 1 : 0;
}

BOOL WINAPI InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  if (!rgn)
    return InvalidateRect(hwnd, nullptr, erase);
  RECT box;
  if (GetRgnBox(rgn, &box) == ERROR) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return InvalidateRect(hwnd, &box, erase);
}

int WINAPI GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  Window *w = Find(hwnd);
  if (!w)
    return ERROR;
  if (!SetRectRgn(rgn, 0, 0, 0, 0))
    return ERROR;
  int n = w->update ? cairo_region_num_rectangles(w->update) : 0;
  for (int i = 0; i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(w->update, i, &r);
    HRGN part = CreateRectRgn(r.x, r.y, r.x + r.width, r.y + r.height);
    CombineRgn(rgn, rgn, part, RGN_OR);
    DeleteObject(part);
  }
  if (erase)
    GetUpdateRect(hwnd, nullptr, TRUE);
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

namespace {

// Regions reach the update region through their bounds, which repaints at
// least what was asked; validating by bounds could drop wanted paints, so
// validation takes regions only as a whole-window request.
bool AreaOf(const RECT *rc, HRGN rgn, RECT &out, bool &whole) {
  whole = false;
  if (rc) {
    out = *rc;
    return true;
  }
  if (rgn)
    return GetRgnBox(rgn, &out) != ERROR;
  whole = true;
  return true;
}

void ValidateTree(HWND hwnd, const RECT *rc, bool noErase, bool allChildren) {
  Window *w = Find(hwnd, false);
  if (!w)
    return;
  if (noErase)
    w->erasePending = false;
  Validate(*w, rc);
  if (!allChildren)
    return;
  for (HWND child : std::vector<HWND>(w->children))
    ValidateTree(child, nullptr, noErase, true);
}

} // namespace

BOOL WINAPI RedrawWindow(HWND hwnd, const RECT *rc, HRGN rgn, UINT flags) {
  Window *w = Find(hwnd);
  if (!w)
    return FALSE;
  if (flags & RDW_INTERNALPAINT) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  RECT area{};
  bool whole = false;
  if (!AreaOf(rc, rgn, area, whole)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  bool allChildren = flags & RDW_ALLCHILDREN;
  bool children = !(flags & RDW_NOCHILDREN);
  if (flags & RDW_INVALIDATE) {
    if (flags & RDW_FRAME)
      InvalidateFrame(*w);
    InvalidateClient(*w, whole ? nullptr : &area, flags & RDW_ERASE, children, allChildren);
  } else if (flags & RDW_VALIDATE) {
    if (flags & RDW_NOFRAME)
      w->frameDirty = false;
    ValidateTree(hwnd, rgn && !rc ? nullptr : (whole ? nullptr : &area), flags & RDW_NOERASE,
                 allChildren);
  }
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
    std::vector<HWND> order;
    if (children)
      CollectPaintOrder(hwnd, order);
    else
      order.push_back(hwnd);
    for (HWND h : order) {
      if (flags & RDW_UPDATENOW)
        PaintNow(h);
      else
        GetUpdateRect(h, nullptr, TRUE);
    }
  }
  return TRUE;
}
