// ScrollWindowEx and ScrollWindow: moving a window's client pixels on its
// top-level surface so that only the uncovered strip has to be painted.
//
// All regions are in the window's client coordinates:
//   S    the scroll rectangle, cut to the client area
//   C    the clip rectangle, cut to the client area
//   Src  S where the window's own pixels can be seen (the visible client
//        area, without the children that stay where they are)
//   D    Src moved by (dx, dy), cut to C and to what can be seen: the only
//        pixels written
//   uncovered = (S and C) - D - the staying children, what the caller has
//        to paint anew
// The pending update region moves like the pixels: inside D it becomes
// the moved part of itself, elsewhere it is kept. It is not an erase
// target of its own, so a pending erase stays pending for the window.
#include "backend/backend.h"
#include "user/wnd_state.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vqwin::user {
namespace {

constexpr UINT kKnownFlags = SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE;
// Moving farther than any surface is wide moves everything out; the limit
// keeps coordinate sums far from overflowing.
constexpr int kMaxShift = 1 << 27;

// Owns a cairo region for the length of a call.
class Region {
public:
  Region() : r_(cairo_region_create()) {}
  explicit Region(const RECT &rc) : Region() { Add(rc); }
  explicit Region(const cairo_region_t *other) : r_(cairo_region_copy(other)) {}
  ~Region() { cairo_region_destroy(r_); }
  Region(const Region &) = delete;
  Region &operator=(const Region &) = delete;

  cairo_region_t *get() const { return r_; }
  void Add(const RECT &rc) {
    cairo_rectangle_int_t c = Cairo(rc);
    if (c.width > 0 && c.height > 0)
      cairo_region_union_rectangle(r_, &c);
  }
  void Remove(const RECT &rc) {
    cairo_rectangle_int_t c = Cairo(rc);
    if (c.width > 0 && c.height > 0)
      cairo_region_subtract_rectangle(r_, &c);
  }
  void Clip(const RECT &rc) {
    cairo_rectangle_int_t c = Cairo(rc);
    if (c.width <= 0 || c.height <= 0) {
      cairo_region_subtract(r_, r_);
      return;
    }
    cairo_region_intersect_rectangle(r_, &c);
  }
  bool Empty() const { return cairo_region_is_empty(r_); }
  int Count() const { return cairo_region_num_rectangles(r_); }
  RECT At(int i) const {
    cairo_rectangle_int_t c;
    cairo_region_get_rectangle(r_, i, &c);
    return RECT{c.x, c.y, c.x + c.width, c.y + c.height};
  }
  RECT Bounds() const {
    if (Empty())
      return RECT{0, 0, 0, 0};
    cairo_rectangle_int_t c;
    cairo_region_get_extents(r_, &c);
    return RECT{c.x, c.y, c.x + c.width, c.y + c.height};
  }
  bool Contains(const RECT &rc) const {
    cairo_rectangle_int_t c = Cairo(rc);
    return cairo_region_contains_rectangle(r_, &c) == CAIRO_REGION_OVERLAP_IN;
  }

private:
  static cairo_rectangle_int_t Cairo(const RECT &rc) {
    return cairo_rectangle_int_t{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
  }
  cairo_region_t *r_;
};

RECT Cut(const RECT &a, const RECT &b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.right <= r.left || r.bottom <= r.top)
    return RECT{0, 0, 0, 0};
  return r;
}

bool Meets(const RECT &a, const RECT &b) {
  RECT r = Cut(a, b);
  return r.right > r.left;
}

// Child rectangles in the parent's client coordinates, which is how a
// child's rect is kept.
struct ChildPlan {
  std::vector<HWND> moved;
  std::vector<RECT> movedRects;
  std::vector<RECT> staying; // visible children that keep their place
};

ChildPlan PlanChildren(const Window &w, const RECT *prcScroll, bool scrollChildren) {
  ChildPlan plan;
  for (HWND h : w.children) {
    Window *c = Find(h, false);
    if (!c)
      continue;
    if (scrollChildren && (!prcScroll || Meets(c->rect, *prcScroll))) {
      plan.moved.push_back(h);
      plan.movedRects.push_back(c->rect);
    } else if (c->style & WS_VISIBLE) {
      plan.staying.push_back(c->rect);
    }
  }
  return plan;
}

// Copies the pixels of every rectangle of `dest` from (dx, dy) before it.
// A single rectangle moves in place, row order chosen against the overlap;
// several rectangles could read rows another one has already written, so
// their sources are taken from a snapshot first.
void MovePixels(cairo_surface_t *surface, POINT origin, const Region &dest, int dx, int dy) {
  cairo_surface_flush(surface);
  unsigned char *data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  if (!data)
    return;
  constexpr int kPixel = 4; // RGB24 keeps 32 bits per pixel
  auto row = [&](unsigned char *base, int x, int y) {
    return base + static_cast<ptrdiff_t>(y) * stride + static_cast<ptrdiff_t>(x) * kPixel;
  };
  const int n = dest.Count();
  if (n == 1) {
    RECT r = dest.At(0);
    const size_t bytes = static_cast<size_t>(r.right - r.left) * kPixel;
    const int x = r.left + origin.x, y0 = r.top + origin.y, h = r.bottom - r.top;
    for (int i = 0; i < h; ++i) {
      const int y = dy > 0 ? y0 + h - 1 - i : y0 + i;
      std::memmove(row(data, x, y), row(data, x - dx, y - dy), bytes);
    }
  } else if (n > 1) {
    RECT b = dest.Bounds();
    const int bw = b.right - b.left, bh = b.bottom - b.top;
    std::vector<unsigned char> copy(static_cast<size_t>(bw) * bh * kPixel);
    const int sx = b.left - dx + origin.x, sy = b.top - dy + origin.y;
    for (int y = 0; y < bh; ++y)
      std::memcpy(&copy[static_cast<size_t>(y) * bw * kPixel], row(data, sx, sy + y),
                  static_cast<size_t>(bw) * kPixel);
    for (int i = 0; i < n; ++i) {
      RECT r = dest.At(i);
      const size_t bytes = static_cast<size_t>(r.right - r.left) * kPixel;
      for (int y = r.top; y < r.bottom; ++y)
        std::memcpy(row(data, r.left + origin.x, y + origin.y),
                    &copy[(static_cast<size_t>(y - b.top) * bw + (r.left - b.left)) * kPixel],
                    bytes);
    }
  }
  RECT b = dest.Bounds();
  cairo_surface_mark_dirty_rectangle(surface, b.left + origin.x, b.top + origin.y, b.right - b.left,
                                     b.bottom - b.top);
}

// The pending update region after the move: the moved part of itself
// inside D, unchanged outside.
void MoveUpdateRegion(Window &w, const Region &src, const Region &dest, int dx, int dy) {
  if (!w.update)
    return;
  Region moved(w.update);
  cairo_region_intersect(moved.get(), src.get());
  cairo_region_translate(moved.get(), dx, dy);
  cairo_region_intersect(moved.get(), dest.get());
  cairo_region_subtract(w.update, dest.get());
  cairo_region_union(w.update, moved.get());
  if (cairo_region_is_empty(w.update)) {
    cairo_region_destroy(w.update);
    w.update = nullptr;
    w.erasePending = false;
  }
}

bool FillUpdateOut(HRGN out, const Region &uncovered) {
  if (!SetRectRgn(out, 0, 0, 0, 0))
    return false;
  for (int i = 0; i < uncovered.Count(); ++i) {
    RECT r = uncovered.At(i);
    HRGN part = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    CombineRgn(out, out, part, RGN_OR);
    DeleteObject(part);
  }
  return true;
}

// Moves the children along without the repaint SetWindowPos would ask for:
// their pixels travelled with the parent's. A child whose new place was
// not all filled by moved pixels is repainted whole, and the parent paints
// where a child left and nothing moved in.
void MoveChildren(HWND parent, const ChildPlan &plan, const Region &dest, int dx, int dy) {
  for (size_t i = 0; i < plan.moved.size(); ++i) {
    const RECT old = plan.movedRects[i];
    const RECT now{old.left + dx, old.top + dy, old.right + dx, old.bottom + dy};
    SetWindowPos(plan.moved[i], nullptr, now.left, now.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    Window *c = Find(plan.moved[i], false);
    if (c && (c->style & WS_VISIBLE) && !dest.Contains(now))
      RedrawWindow(plan.moved[i], nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Window *p = Find(parent, false);
    if (!p || !c || !(c->style & WS_VISIBLE))
      continue;
    Region left(old);
    cairo_region_subtract(left.get(), dest.get());
    for (int k = 0; k < left.Count(); ++k) {
      RECT r = left.At(k);
      InvalidateClient(*p, &r, true, false);
    }
  }
}

} // namespace
} // namespace vqwin::user

using namespace vqwin::user;

int WINAPI ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT *prcScroll, const RECT *prcClip,
                          HRGN hrgnUpdate, LPRECT prcUpdate, UINT flags) {
  Window *w = Find(hwnd);
  if (!w)
    return ERROR;
  if (flags & ~kKnownFlags) {
    SetLastError(ERROR_INVALID_FLAGS);
    return ERROR;
  }
  RECT probe;
  if (hrgnUpdate && GetRgnBox(hrgnUpdate, &probe) == ERROR) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  dx = std::clamp(dx, -kMaxShift, kMaxShift);
  dy = std::clamp(dy, -kMaxShift, kMaxShift);
  const SIZE size = ClientSize(*w);
  const RECT client{0, 0, size.cx, size.cy};
  const RECT s = prcScroll ? Cut(*prcScroll, client) : client;
  const RECT c = prcClip ? Cut(*prcClip, client) : client;
  const ChildPlan plan = PlanChildren(*w, prcScroll, flags & SW_SCROLLCHILDREN);

  ClientPlacement place = PlaceClient(*w);
  Region seen(place.visible);
  for (const RECT &r : plan.staying)
    seen.Remove(r);
  Region src(s);
  cairo_region_intersect(src.get(), seen.get());
  Region dest(src.get());
  cairo_region_translate(dest.get(), dx, dy);
  dest.Clip(c);
  cairo_region_intersect(dest.get(), seen.get());
  Region uncovered(Cut(s, c));
  cairo_region_subtract(uncovered.get(), dest.get());
  for (const RECT &r : plan.staying)
    uncovered.Remove(r);

  if (!dest.Empty() && (dx || dy)) {
    EnsureSurface(*place.top);
    MovePixels(place.top->surface, place.origin, dest, dx, dy);
    RECT b = dest.Bounds();
    vqwin::backend::Current().Present(place.top->handle,
                                      RECT{b.left + place.origin.x, b.top + place.origin.y,
                                           b.right + place.origin.x, b.bottom + place.origin.y});
  }
  if (dx || dy)
    MoveUpdateRegion(*w, src, dest, dx, dy);
  if (flags & (SW_INVALIDATE | SW_ERASE))
    for (int i = 0; i < uncovered.Count(); ++i) {
      RECT r = uncovered.At(i);
      InvalidateClient(*w, &r, flags & SW_ERASE, true);
    }
  if (hrgnUpdate && !FillUpdateOut(hrgnUpdate, uncovered))
    return ERROR;
  if (prcUpdate)
    *prcUpdate = uncovered.Bounds();
  const int kind = uncovered.Empty()        ? NULLREGION
                   : uncovered.Count() == 1 ? SIMPLEREGION
                                            : COMPLEXREGION;
  if (dx || dy)
    MoveChildren(hwnd, plan, dest, dx, dy);
  return kind;
}

BOOL WINAPI ScrollWindow(HWND hwnd, int dx, int dy, const RECT *lpRect, const RECT *lpClipRect) {
  const UINT flags = SW_INVALIDATE | SW_ERASE | (lpRect ? 0 : SW_SCROLLCHILDREN);
  return ScrollWindowEx(hwnd, dx, dy, lpRect, lpClipRect, nullptr, nullptr, flags) != ERROR;
}
