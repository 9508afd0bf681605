// Rectangle arithmetic of USER. Rectangles include their left and top edges
// and exclude their right and bottom ones; an empty rectangle has no area.
#include <windows.h>

#include <algorithm>

BOOL WINAPI SetRect(LPRECT rc, int left, int top, int right, int bottom) {
  if (!rc)
    return FALSE;
  *rc = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT rc) { return SetRect(rc, 0, 0, 0, 0); }

BOOL WINAPI CopyRect(LPRECT dst, const RECT *src) {
  if (!dst || !src)
    return FALSE;
  *dst = *src;
  return TRUE;
}

BOOL WINAPI InflateRect(LPRECT rc, int dx, int dy) {
  if (!rc)
    return FALSE;
  *rc = RECT{rc->left - dx, rc->top - dy, rc->right + dx, rc->bottom + dy};
  return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT rc, int dx, int dy) {
  if (!rc)
    return FALSE;
  *rc = RECT{rc->left + dx, rc->top + dy, rc->right + dx, rc->bottom + dy};
  return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT *rc) {
  return !rc || rc->right <= rc->left || rc->bottom <= rc->top;
}

BOOL WINAPI EqualRect(const RECT *a, const RECT *b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
         a->bottom == b->bottom;
}

BOOL WINAPI PtInRect(const RECT *rc, POINT pt) {
  return rc && pt.x >= rc->left && pt.x < rc->right && pt.y >= rc->top && pt.y < rc->bottom;
}

// Win32 leaves an empty result as all zeros.
BOOL WINAPI IntersectRect(LPRECT dst, const RECT *a, const RECT *b) {
  if (!dst || !a || !b)
    return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    SetRectEmpty(dst);
    return FALSE;
  }
  *dst = r;
  return TRUE;
}

BOOL WINAPI UnionRect(LPRECT dst, const RECT *a, const RECT *b) {
  if (!dst || !a || !b)
    return FALSE;
  if (IsRectEmpty(a) && IsRectEmpty(b)) {
    SetRectEmpty(dst);
    return FALSE;
  }
  if (IsRectEmpty(a)) {
    *dst = *b;
    return TRUE;
  }
  if (IsRectEmpty(b)) {
    *dst = *a;
    return TRUE;
  }
  *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
              std::max(a->bottom, b->bottom)};
  return TRUE;
}
