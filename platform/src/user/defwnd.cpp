// DefWindowProc: what a window does with a message its procedure passes on.
// Text messages keep the window text, WM_ERASEBKGND fills with the class
// brush, WM_PAINT validates, WM_NCPAINT draws the frame and scroll bars,
// WM_NCHITTEST names the part under the mouse, WM_NCLBUTTONDOWN on a scroll
// bar starts tracking it, a press on the caption moves the window
// (WM_SYSCOMMAND SC_MOVE), a click on the close box asks WM_SYSCOMMAND
// SC_CLOSE, WM_SETCURSOR shows the class cursor, and
// WM_WINDOWPOSCHANGED turns into WM_MOVE and WM_SIZE.
#include "user/wnd_state.h"
#include "user/wnd_text.h"

#include "backend/backend.h"

#include <algorithm>
#include <cstring>

namespace vqwin::user {
namespace {

HWND closePressed = nullptr; // the window whose close box the button went down on

LRESULT HitTest(Window &w, POINT screen) {
  POINT o = WindowOrigin(w);
  POINT p{screen.x - o.x, screen.y - o.y};
  RECT r{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
  if (p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom)
    return HTNOWHERE;
  const RECT &c = w.clientRect;
  if (p.x >= c.left && p.x < c.right && p.y >= c.top && p.y < c.bottom)
    return HTCLIENT;
  if (LRESULT bar = ScrollBarHitTest(w, p))
    return bar;
  RECT box{};
  if (CloseBox(w, box) && PtInRect(&box, p))
    return HTCLOSE;
  Frame f = FrameOf(w.style, w.exStyle);
  if (f.caption && p.y >= f.top - f.caption && p.y < f.top && p.x >= f.left &&
      p.x < r.right - f.right)
    return HTCAPTION;
  if (p.x < f.left || p.x >= r.right - f.right || p.y < f.top - f.caption ||
      p.y >= r.bottom - f.bottom)
    return HTBORDER;
  return HTNOWHERE;
}

// SC_MOVE: a loop of its own, as the modal dialogs run, in which the window
// follows the mouse until the button is released (started from the caption)
// or the arrow keys move it until Enter (started from the keyboard); Escape
// puts it back. Other input is dropped, everything else dispatched. With a
// live display the loop waits for it; headless, it ends with the input
// already queued, where the window then stays.
void MoveLoop(HWND hwnd, WPARAM wp, LPARAM lp) {
  const bool mouse = (wp & 0x0F) == HTCAPTION;
  const POINT grab{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))};
  RECT start{};
  GetWindowRect(hwnd, &start);
  HWND parent = GetAncestor(hwnd, GA_PARENT);
  const bool child = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) != 0;
  RECT now = start;
  POINT asked{start.left, start.top};
  // WM_MOVING may change the place, which is in screen coordinates as the
  // window rectangle is; a child is placed in its parent's.
  auto place = [&](int x, int y) {
    if (x == asked.x && y == asked.y)
      return; // no new place asked for since the last time
    asked = POINT{x, y};
    RECT r{x, y, x + (start.right - start.left), y + (start.bottom - start.top)};
    Send(hwnd, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
    if (r.left == now.left && r.top == now.top)
      return;
    now = r;
    POINT at{r.left, r.top};
    if (child)
      ScreenToClient(parent, &at);
    SetWindowPos(hwnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  SetCapture(hwnd);
  Send(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  bool done = false, cancelled = false;
  while (!done && IsWindow(hwnd) && GetCapture() == hwnd) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!backend::Current().PollInput(true))
        break;
      continue;
    }
    switch (msg.message) {
    case WM_QUIT:
      PostQuitMessage(static_cast<int>(msg.wParam));
      done = true;
      break;
    case WM_MOUSEMOVE:
      if (mouse)
        place(start.left + msg.pt.x - grab.x, start.top + msg.pt.y - grab.y);
      break;
    case WM_LBUTTONUP:
      done = mouse;
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      const int step = 8;
      switch (msg.wParam) {
      case VK_ESCAPE:
        cancelled = done = true;
        break;
      case VK_RETURN:
        done = true;
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (!mouse)
          place(now.left + (msg.wParam == VK_LEFT    ? -step
                            : msg.wParam == VK_RIGHT ? step
                                                     : 0),
                now.top + (msg.wParam == VK_UP     ? -step
                           : msg.wParam == VK_DOWN ? step
                                                   : 0));
        break;
      }
      break;
    }
    default:
      if ((msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
          (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK) ||
          (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST))
        break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (!IsWindow(hwnd))
    return;
  if (cancelled && (now.left != start.left || now.top != start.top)) {
    POINT at{start.left, start.top};
    if (child)
      ScreenToClient(parent, &at);
    SetWindowPos(hwnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (GetCapture() == hwnd)
    ReleaseCapture();
  Send(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

LRESULT CopyText(const Window &w, WPARAM size, LPARAM buffer, bool unicode) {
  if (!buffer || size == 0)
    return 0;
  size_t n = std::min(w.text.size(), static_cast<size_t>(size - 1));
  if (unicode) {
    auto *out = reinterpret_cast<WCHAR *>(buffer);
    std::copy_n(w.text.data(), n, out);
    out[n] = 0;
  } else {
    std::string text = ToAnsi(w.text);
    auto *out = reinterpret_cast<char *>(buffer);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
  }
  return static_cast<LRESULT>(n);
}

void StoreText(Window &w, LPARAM text, bool unicode) {
  if (unicode)
    w.text = text ? std::u16string(reinterpret_cast<const WCHAR *>(text)) : std::u16string();
  else
    w.text = ToWide(reinterpret_cast<const char *>(text));
  if ((w.style & WS_CAPTION) == WS_CAPTION)
    InvalidateFrame(w);
}

LRESULT ControlColor(HDC dc, UINT msg) {
  bool window = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(window ? COLOR_WINDOW : COLOR_3DFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(window ? COLOR_WINDOW : COLOR_3DFACE));
}

LRESULT DefProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool unicode) {
  Window *w = Find(hwnd);
  if (!w)
    return 0;
  switch (msg) {
  case WM_NCCREATE:
    if (lp) {
      // Both CREATESTRUCT forms keep the name at the same place.
      LPARAM name = unicode
                        ? reinterpret_cast<LPARAM>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpszName)
                        : reinterpret_cast<LPARAM>(reinterpret_cast<CREATESTRUCTA *>(lp)->lpszName);
      if (name && !IS_INTRESOURCE(name))
        StoreText(*w, name, unicode);
    }
    return TRUE;
  case WM_SETTEXT:
    StoreText(*w, lp, unicode);
    return TRUE;
  case WM_GETTEXT:
    return CopyText(*w, wp, lp, unicode);
  case WM_GETTEXTLENGTH:
    return static_cast<LRESULT>(w->text.size());
  case WM_ERASEBKGND: {
    HBRUSH brush = w->cls->background;
    if (!brush)
      return 0;
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(reinterpret_cast<HDC>(wp), &rc, brush);
    return 1;
  }
  case WM_PAINT: {
    PAINTSTRUCT ps;
    if (BeginPaint(hwnd, &ps))
      EndPaint(hwnd, &ps);
    return 0;
  }
  case WM_NCPAINT:
    DrawFrame(*w);
    return 0;
  case WM_NCHITTEST:
    return HitTest(*w, POINT{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))});
  case WM_SETCURSOR: {
    if (IsChildStyle(*w) && Send(w->parent, WM_SETCURSOR, wp, lp))
      return TRUE;
    if (!(w = Find(hwnd, false)))
      return FALSE;
    SHORT hit = static_cast<SHORT>(LOWORD(lp));
    if (hit == HTCLIENT) {
      if (!w->cls->cursor)
        return FALSE; // the window sets its own
      SetCursor(w->cls->cursor);
      return TRUE;
    }
    if (hit != HTERROR && hit != HTNOWHERE)
      SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return FALSE;
  }
  case WM_NCLBUTTONUP:
    // A click on the close box: pressed and released on it.
    if (wp == HTCLOSE && closePressed == hwnd)
      Send(hwnd, WM_SYSCOMMAND, SC_CLOSE, lp);
    closePressed = nullptr;
    return 0;
  case WM_NCLBUTTONDOWN:
  case WM_NCLBUTTONDBLCLK:
    closePressed = wp == HTCLOSE ? hwnd : nullptr;
    // A double click on the caption maximizes where the window has the box
    // for it; a press there moves the window.
    if (wp == HTCAPTION && msg == WM_NCLBUTTONDBLCLK && (w->style & WS_MAXIMIZEBOX))
      Send(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, lp);
    else if (wp == HTCAPTION && msg == WM_NCLBUTTONDOWN)
      Send(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lp);
    if (wp == HTVSCROLL || wp == HTHSCROLL)
      BeginScrollTracking(hwnd, static_cast<int>(wp),
                          POINT{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))});
    return 0;
  case WM_WINDOWPOSCHANGED:
    return DefWindowPosChanged(hwnd, reinterpret_cast<const WINDOWPOS *>(lp));
  case WM_ACTIVATE:
    if (LOWORD(wp) != WA_INACTIVE && !HIWORD(wp) && !FocusFollowsActivation()) {
      HWND focus = GetFocus();
      if (focus != hwnd && !IsChild(hwnd, focus))
        SetFocus(hwnd);
    }
    return 0;
  case WM_CANCELMODE:
    CancelScrollTracking();
    if (GetCapture() == hwnd)
      ReleaseCapture();
    return 0;
  case WM_SETREDRAW:
    // Win32 turns redrawing off by dropping WS_VISIBLE without hiding the
    // window; the caller invalidates after turning it back on.
    if (wp)
      w->style |= WS_VISIBLE;
    else
      w->style &= ~WS_VISIBLE;
    return 0;
  case WM_CLOSE:
    DestroyWindow(hwnd);
    return 0;
  case WM_SYSCOMMAND:
    // The close box of a display's frame and Alt+F4 ask through here.
    if ((wp & 0xFFF0) == SC_CLOSE)
      Send(hwnd, WM_CLOSE, 0, 0);
    else if ((wp & 0xFFF0) == SC_MOVE)
      MoveLoop(hwnd, wp, lp);
    return 0;
  case WM_SYSKEYDOWN:
    if (wp == VK_F4 && (lp & (1 << 29)) && !IsChildStyle(*w))
      Send(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  case WM_MOUSEWHEEL:
    // Unhandled wheel turns go up the parent chain, as on Win32.
    if (IsChildStyle(*w) && w->parent)
      return Send(w->parent, WM_MOUSEWHEEL, wp, lp);
    return 0;
  case WM_MOUSEACTIVATE:
    if (IsChildStyle(*w))
      if (LRESULT parent = Send(w->parent, WM_MOUSEACTIVATE, wp, lp))
        return parent;
    return MA_ACTIVATE;
  case WM_CTLCOLORMSGBOX:
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORLISTBOX:
  case WM_CTLCOLORBTN:
  case WM_CTLCOLORDLG:
  case WM_CTLCOLORSCROLLBAR:
  case WM_CTLCOLORSTATIC:
    return ControlColor(reinterpret_cast<HDC>(wp), msg);
  }
  return 0;
}

} // namespace
} // namespace vqwin::user

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return vqwin::user::DefProc(hwnd, msg, wp, lp, false);
}

LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return vqwin::user::DefProc(hwnd, msg, wp, lp, true);
}
