// The caret: one per thread, owned by one window, drawn by inverting its
// rectangle in the owner's client area so that drawing it twice restores
// what was below. A window that repaints under a visible caret hides it
// around its painting, as the edit control does; the caret does not blink.
#include <windows.h>

namespace {

struct Caret {
  HWND owner = nullptr;
  int width = 0;
  int height = 0;
  POINT pos{};
  int hidden = 1; // HideCaret minus ShowCaret calls; shown at 0
  bool drawn = false;
};

Caret caret;

void Invert() {
  if (!IsWindow(caret.owner))
    return;
  HDC dc = GetDC(caret.owner);
  if (!dc)
    return;
  RECT r{caret.pos.x, caret.pos.y, caret.pos.x + caret.width, caret.pos.y + caret.height};
  InvertRect(dc, &r);
  ReleaseDC(caret.owner, dc);
}

void Draw(bool on) {
  if (caret.drawn == on)
    return;
  Invert();
  caret.drawn = on;
}

bool OwnedBy(HWND hwnd) {
  if (!caret.owner || !IsWindow(caret.owner)) {
    caret = Caret{};
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (hwnd && hwnd != caret.owner) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return true;
}

} // namespace

BOOL WINAPI CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height) {
  if (!IsWindow(hwnd))
    return FALSE;
  // (HBITMAP)1 asks for a grey caret; it is drawn as the solid one.
  if (bitmap && bitmap != reinterpret_cast<HBITMAP>(1)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (caret.owner)
    DestroyCaret();
  caret = Caret{};
  caret.owner = hwnd;
  caret.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
  caret.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
  return TRUE;
}

BOOL WINAPI DestroyCaret(void) {
  if (!caret.owner) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  Draw(false);
  caret = Caret{};
  return TRUE;
}

BOOL WINAPI HideCaret(HWND hwnd) {
  if (!OwnedBy(hwnd))
    return FALSE;
  if (caret.hidden++ == 0)
    Draw(false);
  return TRUE;
}

BOOL WINAPI ShowCaret(HWND hwnd) {
  if (!OwnedBy(hwnd))
    return FALSE;
  if (caret.hidden == 0)
    return TRUE; // Win32 does not count a show beyond visible
  if (--caret.hidden == 0)
    Draw(true);
  return TRUE;
}

BOOL WINAPI SetCaretPos(int x, int y) {
  if (!OwnedBy(nullptr))
    return FALSE;
  if (caret.pos.x == x && caret.pos.y == y)
    return TRUE;
  bool was = caret.drawn;
  Draw(false);
  caret.pos = POINT{x, y};
  Draw(was);
  return TRUE;
}

BOOL WINAPI GetCaretPos(LPPOINT pt) {
  if (!pt) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pt = caret.owner ? caret.pos : POINT{0, 0};
  return TRUE;
}

BOOL WINAPI DrawFocusRect(HDC dc, const RECT *rc) {
  if (!dc || !rc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (rc->right <= rc->left || rc->bottom <= rc->top)
    return TRUE;
  // Every other pixel along the frame, the corners included once.
  auto dot = [dc](int x, int y) {
    RECT p{x, y, x + 1, y + 1};
    InvertRect(dc, &p);
  };
  for (int x = rc->left; x < rc->right; x += 2) {
    dot(x, rc->top);
    if (rc->bottom - 1 > rc->top)
      dot(x, rc->bottom - 1);
  }
  for (int y = rc->top + 2; y < rc->bottom - 1; y += 2) {
    dot(rc->left, y);
    if (rc->right - 1 > rc->left)
      dot(rc->right - 1, y);
  }
  return TRUE;
}
