// The up-down control ("msctls_updown32"): two arrow buttons that step a
// position inside a range, asking the parent with UDN_DELTAPOS before each
// step and telling it afterwards with WM_VSCROLL (WM_HSCROLL for
// UDS_HORZ). It can own a buddy window: placed beside it (UDS_ALIGNRIGHT,
// UDS_ALIGNLEFT), showing the position as its text (UDS_SETBUDDYINT) and
// lending it the arrow keys (UDS_ARROWKEYS). Holding a button steps once;
// auto-repeat and acceleration are not provided.
#include "comctl/comctl.h"

#include "controls/controls.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>

namespace vqwin::comctl {
namespace {

struct UpDown {
  HWND hwnd = nullptr;
  bool alive = true;
  HWND buddy = nullptr;
  // Win32's default range runs from 100 down to 0: the up arrow then
  // lowers the position.
  int lower = 100, upper = 0;
  int pos = 0;
  int base = 10;
  int pressed = 0; // +1 up/right arrow held, -1 down/left, 0 none
};

controls::StateTable<UpDown> updowns;

// Buddies whose arrow keys an up-down takes: their own procedure and the
// up-down they belong to.
struct Lender {
  WNDPROC proc;
  HWND updown;
};
std::unordered_map<HWND, Lender> lenders;

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

int Clamp(const UpDown &u, int v) {
  return std::clamp(v, std::min(u.lower, u.upper), std::max(u.lower, u.upper));
}

std::string Format(const UpDown &u, int v) {
  char buf[32];
  if (u.base == 16) {
    std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(v));
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%d", v < 0 ? -v : v);
  std::string digits = buf, out;
  bool group = !(StyleOf(u.hwnd) & UDS_NOTHOUSANDS);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (group && i > 0 && (digits.size() - i) % 3 == 0)
      out += ',';
    out += digits[i];
  }
  return v < 0 ? "-" + out : out;
}

void SetBuddyInt(const UpDown &u) {
  if ((StyleOf(u.hwnd) & UDS_SETBUDDYINT) && u.buddy && IsWindow(u.buddy))
    SetWindowTextA(u.buddy, Format(u, u.pos).c_str());
}

// Reads the position back from the buddy's text, which the user may have
// typed. False when the text is no number inside the range.
bool GetBuddyInt(UpDown &u) {
  if (!(StyleOf(u.hwnd) & UDS_SETBUDDYINT) || !u.buddy || !IsWindow(u.buddy))
    return true;
  char text[64] = {};
  GetWindowTextA(u.buddy, text, sizeof text);
  std::string digits;
  for (const char *p = text; *p; ++p)
    if (*p != ',' || u.base == 16)
      digits += *p;
  if (digits.empty())
    return false;
  char *end = nullptr;
  long v = std::strtol(digits.c_str(), &end, u.base == 16 ? 16 : 10);
  if (*end || v != Clamp(u, static_cast<int>(v)))
    return false;
  u.pos = static_cast<int>(v);
  return true;
}

void Place(UpDown &u) {
  DWORD style = StyleOf(u.hwnd);
  if (!u.buddy || !(style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)))
    return;
  HWND parent = GetParent(u.hwnd);
  RECT b, self;
  GetWindowRect(u.buddy, &b);
  GetWindowRect(u.hwnd, &self);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&b), 2);
  int w = self.right - self.left;
  int bw = std::max<int>(b.right - b.left - w, 0);
  int x = (style & UDS_ALIGNRIGHT) ? b.left + bw : b.left;
  int bx = (style & UDS_ALIGNRIGHT) ? b.left : b.left + w;
  SetWindowPos(u.buddy, nullptr, bx, b.top, bw, b.bottom - b.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(u.hwnd, nullptr, x, b.top, w, b.bottom - b.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK BuddyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

HWND SetBuddy(UpDown &u, HWND buddy) {
  HWND old = u.buddy;
  if (old) {
    auto it = lenders.find(old);
    if (it != lenders.end() && it->second.updown == u.hwnd) {
      SetWindowLongPtrA(old, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.proc));
      lenders.erase(it);
    }
  }
  u.buddy = buddy && IsWindow(buddy) ? buddy : nullptr;
  if (u.buddy && (StyleOf(u.hwnd) & UDS_ARROWKEYS) && !lenders.count(u.buddy)) {
    auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(u.buddy, GWLP_WNDPROC));
    lenders[u.buddy] = Lender{proc, u.hwnd};
    SetWindowLongPtrA(u.buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BuddyProc));
  }
  // The buddy's text stays until the position is set, as on Win32.
  Place(u);
  return old;
}

// One step in `dir` (+1 the up or right arrow): asks the parent, moves
// within the range (wrapping with UDS_WRAP), shows it and reports it.
void Step(UpDown &u, int dir) {
  GetBuddyInt(u);
  int delta = u.upper < u.lower ? -dir : dir;
  NMUPDOWN nm{};
  nm.iPos = u.pos;
  nm.iDelta = delta;
  HWND hwnd = u.hwnd;
  if (Notify(hwnd, UDN_DELTAPOS, &nm.hdr) || !u.alive)
    return;
  int lo = std::min(u.lower, u.upper), hi = std::max(u.lower, u.upper);
  long long next = static_cast<long long>(u.pos) + nm.iDelta;
  if (next > hi)
    next = (StyleOf(hwnd) & UDS_WRAP) ? lo : hi;
  else if (next < lo)
    next = (StyleOf(hwnd) & UDS_WRAP) ? hi : lo;
  if (next == u.pos)
    return;
  u.pos = static_cast<int>(next);
  SetBuddyInt(u);
  UINT scroll = (StyleOf(hwnd) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
  if (HWND parent = GetParent(hwnd))
    SendMessageA(parent, scroll, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(u.pos)),
                 reinterpret_cast<LPARAM>(hwnd));
}

LRESULT CALLBACK BuddyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto it = lenders.find(hwnd);
  if (it == lenders.end())
    return DefWindowProcA(hwnd, msg, wp, lp);
  Lender lender = it->second;
  bool horz = StyleOf(lender.updown) & UDS_HORZ;
  if (msg == WM_KEYDOWN) {
    int dir = 0;
    if (wp == static_cast<WPARAM>(horz ? VK_RIGHT : VK_UP))
      dir = 1;
    else if (wp == static_cast<WPARAM>(horz ? VK_LEFT : VK_DOWN))
      dir = -1;
    if (dir) {
      if (auto u = updowns.Get(lender.updown))
        Step(*u, dir);
      return 0;
    }
  }
  if (msg == WM_NCDESTROY) {
    lenders.erase(hwnd);
    if (auto u = updowns.Get(lender.updown))
      u->buddy = nullptr;
  }
  return CallWindowProcA(lender.proc, hwnd, msg, wp, lp);
}

// +1 for the up (or right) arrow half, -1 for the other.
int ArrowAt(HWND hwnd, LPARAM lp) {
  RECT r;
  GetClientRect(hwnd, &r);
  int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
  if (StyleOf(hwnd) & UDS_HORZ)
    return x >= r.right / 2 ? 1 : -1;
  return y < r.bottom / 2 ? 1 : -1;
}

// A solid triangle pointing `dir` (0 up, 1 down, 2 left, 3 right).
void Triangle(HDC dc, RECT r, int dir) {
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  int size = std::max(1, std::min<int>(r.right - r.left, r.bottom - r.top) / 4);
  HBRUSH brush = GetSysColorBrush(COLOR_BTNTEXT);
  for (int i = 0; i < size; ++i) {
    RECT line;
    int half = (dir == 0 || dir == 2) ? i : size - 1 - i;
    if (dir < 2)
      line = RECT{cx - half, cy - size / 2 + i, cx + half + 1, cy - size / 2 + i + 1};
    else
      line = RECT{cx - size / 2 + i, cy - half, cx - size / 2 + i + 1, cy + half + 1};
    FillRect(dc, &line, brush);
  }
}

void Paint(HWND hwnd, const UpDown &u) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc)
    return;
  RECT r;
  GetClientRect(hwnd, &r);
  bool horz = StyleOf(hwnd) & UDS_HORZ;
  RECT first = r, second = r; // first: up or left
  if (horz)
    first.right = second.left = r.right / 2;
  else
    first.bottom = second.top = r.bottom / 2;
  const RECT *halves[2] = {&first, &second};
  for (int i = 0; i < 2; ++i) {
    RECT b = *halves[i];
    bool down = (i == 0 && u.pressed < 0 && horz) || (i == 0 && u.pressed > 0 && !horz) ||
                (i == 1 && u.pressed > 0 && horz) || (i == 1 && u.pressed < 0 && !horz);
    FillRect(dc, &b, GetSysColorBrush(COLOR_3DFACE));
    DrawEdge(dc, &b, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    Triangle(dc, b, horz ? (i == 0 ? 2 : 3) : i);
  }
  EndPaint(hwnd, &ps);
}

LRESULT OnGetPos(UpDown &u, bool wide, LPARAM lp) {
  bool ok = GetBuddyInt(u);
  if (wide) {
    if (auto *err = reinterpret_cast<BOOL *>(lp))
      *err = ok ? FALSE : TRUE;
    return u.pos;
  }
  return MAKELONG(static_cast<WORD>(u.pos), ok ? 0 : 1);
}

LRESULT OnSetPos(UpDown &u, int pos) {
  int old = u.pos;
  u.pos = Clamp(u, pos);
  SetBuddyInt(u);
  return old;
}

LRESULT Dispatch(UpDown &u, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_CREATE:
    if (StyleOf(hwnd) & UDS_AUTOBUDDY)
      SetBuddy(u, GetWindow(hwnd, GW_HWNDPREV));
    return 0;
  case WM_DESTROY:
    SetBuddy(u, nullptr);
    return 0;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT:
    Paint(hwnd, u);
    return 0;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
    if (!IsWindowEnabled(hwnd))
      return 0;
    u.pressed = ArrowAt(hwnd, lp);
    SetCapture(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
    Step(u, u.pressed);
    return 0;
  case WM_LBUTTONUP:
    if (!u.pressed)
      return 0;
    u.pressed = 0;
    if (GetCapture() == hwnd)
      ReleaseCapture();
    InvalidateRect(hwnd, nullptr, TRUE);
    if (HWND parent = GetParent(hwnd))
      SendMessageA(parent, (StyleOf(hwnd) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL,
                   MAKEWPARAM(SB_ENDSCROLL, static_cast<WORD>(u.pos)),
                   reinterpret_cast<LPARAM>(hwnd));
    return 0;
  case UDM_SETRANGE:
    u.upper = static_cast<short>(LOWORD(lp));
    u.lower = static_cast<short>(HIWORD(lp));
    return 0;
  case UDM_GETRANGE:
    return MAKELONG(static_cast<WORD>(u.upper), static_cast<WORD>(u.lower));
  case UDM_SETRANGE32:
    u.lower = static_cast<int>(wp);
    u.upper = static_cast<int>(lp);
    return 0;
  case UDM_GETRANGE32:
    if (auto *lo = reinterpret_cast<int *>(wp))
      *lo = u.lower;
    if (auto *hi = reinterpret_cast<int *>(lp))
      *hi = u.upper;
    return 0;
  case UDM_SETPOS:
    return static_cast<WORD>(OnSetPos(u, static_cast<short>(LOWORD(lp))));
  case UDM_SETPOS32:
    return OnSetPos(u, static_cast<int>(lp));
  case UDM_GETPOS:
    return OnGetPos(u, false, lp);
  case UDM_GETPOS32:
    return OnGetPos(u, true, lp);
  case UDM_SETBUDDY:
    return reinterpret_cast<LRESULT>(SetBuddy(u, reinterpret_cast<HWND>(wp)));
  case UDM_GETBUDDY:
    return reinterpret_cast<LRESULT>(u.buddy);
  case UDM_SETBASE: {
    if (wp != 10 && wp != 16)
      return 0;
    int old = u.base;
    u.base = static_cast<int>(wp);
    SetBuddyInt(u);
    return old;
  }
  case UDM_GETBASE:
    return u.base;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK UpDownProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    updowns.Create(hwnd);
  auto u = updowns.Get(hwnd);
  if (!u)
    return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    updowns.Drop(hwnd);
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  return Dispatch(*u, hwnd, msg, wp, lp);
}

} // namespace

bool RegisterUpDownClass() {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
  wc.lpfnWndProc = UpDownProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = UPDOWN_CLASSA;
  return RegisterClassA(&wc) != 0;
}

} // namespace vqwin::comctl
