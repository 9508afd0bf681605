// The BUTTON control: push and default push buttons, check boxes (manual,
// automatic, three-state), radio buttons and group boxes, in the classic 3D
// look. A click is a press and a release inside the button, by mouse (with
// capture while the button is held) or by the space bar; it toggles the
// automatic kinds and sends BN_CLICKED to the parent through WM_COMMAND.
//
// Chosen here: BM_CLICK on a disabled button does nothing, as a user's
// click would not; BM_SETSTYLE replaces the BS_ type only.
#include <windows.h>

#include <algorithm>
#include <cmath>

namespace {

struct Button {
  UINT check = BST_UNCHECKED;
  bool pushed = false; // drawn pressed
  bool focused = false;
  bool tracking = false; // mouse held since a press inside
  bool spaceDown = false;
  HFONT font = nullptr;
};

constexpr int kCheckSize = 13;

Button *StateOf(HWND hwnd) { return reinterpret_cast<Button *>(GetWindowLongPtrA(hwnd, 0)); }

UINT TypeOf(HWND hwnd) { return static_cast<UINT>(GetWindowLongA(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

bool IsPush(UINT type) {
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_PUSHBOX ||
         type == BS_USERBUTTON || type == BS_OWNERDRAW;
}

bool IsCheck(UINT type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
         type == BS_AUTO3STATE;
}

bool IsRadio(UINT type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }

void Notify(HWND hwnd, WORD code) {
  HWND parent = GetParent(hwnd);
  if (parent)
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code),
                 reinterpret_cast<LPARAM>(hwnd));
}

void Redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, TRUE); }

void SetPushed(HWND hwnd, Button &b, bool pushed) {
  if (b.pushed != pushed) {
    b.pushed = pushed;
    Redraw(hwnd);
  }
}

// Unchecks the automatic radio buttons of the same group.
void ClearGroup(HWND hwnd) {
  HWND parent = GetParent(hwnd);
  if (!parent)
    return;
  for (HWND c = GetNextDlgGroupItem(parent, hwnd, FALSE); c && c != hwnd;
       c = GetNextDlgGroupItem(parent, c, FALSE)) {
    char cls[8] = {};
    if (GetClassNameA(c, cls, sizeof cls) && lstrcmpiA(cls, "BUTTON") == 0 &&
        TypeOf(c) == BS_AUTORADIOBUTTON)
      SendMessageA(c, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

void Click(HWND hwnd, Button &b) {
  switch (TypeOf(hwnd)) {
  case BS_AUTOCHECKBOX:
    SendMessageA(hwnd, BM_SETCHECK, b.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    break;
  case BS_AUTO3STATE:
    SendMessageA(hwnd, BM_SETCHECK, (b.check + 1) % 3, 0);
    break;
  case BS_AUTORADIOBUTTON:
    SendMessageA(hwnd, BM_SETCHECK, BST_CHECKED, 0);
    ClearGroup(hwnd);
    break;
  }
  if (IsWindow(hwnd))
    Notify(hwnd, BN_CLICKED);
}

// ---- Painting ----

void DottedFrame(HDC dc, const RECT &r) {
  COLORREF c = GetSysColor(COLOR_WINDOWTEXT);
  for (int x = r.left; x < r.right; x += 2) {
    SetPixel(dc, x, r.top, c);
    SetPixel(dc, x, r.bottom - 1, c);
  }
  for (int y = r.top; y < r.bottom; y += 2) {
    SetPixel(dc, r.left, y, c);
    SetPixel(dc, r.right - 1, y, c);
  }
}

void Text(HDC dc, HWND hwnd, RECT r, UINT format, bool enabled) {
  char text[512];
  int n = GetWindowTextA(hwnd, text, sizeof text);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextA(dc, text, n, &r, format);
}

void PaintPush(HDC dc, HWND hwnd, const Button &b, RECT r, bool enabled) {
  FillRect(dc, &r, GetSysColorBrush(COLOR_3DFACE));
  if (TypeOf(hwnd) == BS_DEFPUSHBUTTON) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  if (b.pushed) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_3DSHADOW));
  } else {
    RECT edge = r;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT | BF_SOFT); // white outside, as push buttons are drawn
  }
  RECT text = r;
  if (b.pushed)
    OffsetRect(&text, 1, 1);
  Text(dc, hwnd, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, enabled);
  if (b.focused) {
    InflateRect(&r, -3, -3);
    DottedFrame(dc, r);
  }
}

// A round, sunken radio button drawn pixel by pixel: a two-pixel ring lit
// from the bottom right, the interior, and the dot when checked.
void PaintRadio(HDC dc, const RECT &box, bool checked, COLORREF interior) {
  const int c = kCheckSize / 2;
  for (int y = 0; y < kCheckSize; ++y)
    for (int x = 0; x < kCheckSize; ++x) {
      int dx = x - c, dy = y - c;
      double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
      bool lit = dx + dy > 0;
      COLORREF color;
      if (checked && d <= 2.0)
        color = GetSysColor(COLOR_WINDOWTEXT);
      else if (d <= 4.5)
        color = interior;
      else if (d <= 5.5)
        color = GetSysColor(lit ? COLOR_3DLIGHT : COLOR_3DDKSHADOW);
      else if (d <= 6.5)
        color = GetSysColor(lit ? COLOR_3DHIGHLIGHT : COLOR_3DSHADOW);
      else
        continue;
      SetPixel(dc, box.left + x, box.top + y, color);
    }
}

void PaintMark(HDC dc, const RECT &box, UINT check) {
  COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  if (check == BST_INDETERMINATE)
    ink = GetSysColor(COLOR_3DSHADOW);
  // The classic mark: a 7-pixel-wide tick three pixels thick.
  int x = box.left + 3, y = box.top + 5;
  for (int i = 0; i < 7; ++i) {
    int dy = i < 3 ? i : 4 - i;
    for (int t = 0; t < 3; ++t)
      SetPixel(dc, x + i, y + dy + t, ink);
  }
}

void PaintCheck(HDC dc, HWND hwnd, const Button &b, RECT r, bool enabled) {
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(hwnd), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(hwnd)));
  FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_3DFACE));
  bool leftText = GetWindowLongA(hwnd, GWL_STYLE) & BS_LEFTTEXT;
  int top = r.top + (r.bottom - r.top - kCheckSize) / 2;
  int left = leftText ? r.right - kCheckSize : r.left;
  RECT box{left, top, left + kCheckSize, top + kCheckSize};
  int interior = b.pushed || !enabled ? COLOR_3DFACE : COLOR_WINDOW;
  if (IsRadio(TypeOf(hwnd))) {
    PaintRadio(dc, box, b.check != BST_UNCHECKED, GetSysColor(interior));
  } else {
    RECT inner = box;
    DrawEdge(dc, &inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillRect(dc, &inner, GetSysColorBrush(interior));
    if (b.check)
      PaintMark(dc, box, b.check);
  }
  RECT text = r;
  if (leftText)
    text.right = box.left - 4;
  else
    text.left = box.right + 4;
  Text(dc, hwnd, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE, enabled);
  if (b.focused) {
    RECT measure = text;
    char s[512];
    int n = GetWindowTextA(hwnd, s, sizeof s);
    DrawTextA(dc, s, n, &measure, DT_CALCRECT | DT_SINGLELINE);
    int h = measure.bottom - measure.top;
    RECT focus{text.left - 1, text.top + (text.bottom - text.top - h) / 2 - 1,
               std::min(measure.right + 1, static_cast<LONG>(r.right)), 0};
    focus.bottom = focus.top + h + 2;
    DottedFrame(dc, focus);
  }
}

void PaintGroup(HDC dc, HWND hwnd, RECT r, bool enabled) {
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(hwnd), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(hwnd)));
  char s[512];
  int n = GetWindowTextA(hwnd, s, sizeof s);
  RECT measure{0, 0, r.right, 0};
  DrawTextA(dc, s, n, &measure, DT_CALCRECT | DT_SINGLELINE);
  int h = measure.bottom - measure.top;
  RECT frame{r.left, r.top + h / 2, r.right, r.bottom};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  if (n) {
    RECT label{r.left + 8, r.top, std::min(r.left + 8 + measure.right + 4, r.right), r.top + h};
    FillRect(dc, &label, brush ? brush : GetSysColorBrush(COLOR_3DFACE));
    label.left += 2;
    Text(dc, hwnd, label, DT_LEFT | DT_SINGLELINE, enabled);
  }
}

void Paint(HWND hwnd, Button &b) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc)
    return;
  HGDIOBJ old = SelectObject(dc, b.font ? b.font : GetStockObject(SYSTEM_FONT));
  RECT r;
  GetClientRect(hwnd, &r);
  bool enabled = IsWindowEnabled(hwnd);
  UINT type = TypeOf(hwnd);
  if (type == BS_GROUPBOX)
    PaintGroup(dc, hwnd, r, enabled);
  else if (IsCheck(type) || IsRadio(type))
    PaintCheck(dc, hwnd, b, r, enabled);
  else
    PaintPush(dc, hwnd, b, r, enabled);
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

// ---- Messages ----

LRESULT DialogCode(HWND hwnd) {
  UINT type = TypeOf(hwnd);
  if (type == BS_GROUPBOX)
    return DLGC_STATIC;
  if (type == BS_DEFPUSHBUTTON)
    return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
  if (IsPush(type))
    return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
  if (IsRadio(type))
    return DLGC_BUTTON | DLGC_RADIOBUTTON;
  return DLGC_BUTTON;
}

bool Inside(HWND hwnd, LPARAM lp) {
  RECT r;
  GetClientRect(hwnd, &r);
  POINT pt{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))};
  return PtInRect(&r, pt);
}

void MouseUp(HWND hwnd, Button &b, LPARAM lp) {
  if (!b.tracking)
    return;
  b.tracking = false; // before ReleaseCapture, whose WM_CAPTURECHANGED would cancel
  ReleaseCapture();
  bool inside = Inside(hwnd, lp);
  SetPushed(hwnd, b, false);
  if (inside)
    Click(hwnd, b);
}

LRESULT SetStyle(HWND hwnd, WPARAM wp, LPARAM lp) {
  LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  style = (style & ~static_cast<LONG>(BS_TYPEMASK)) | static_cast<LONG>(wp & BS_TYPEMASK);
  SetWindowLongA(hwnd, GWL_STYLE, style);
  if (lp)
    Redraw(hwnd);
  return 0;
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(new Button));
  Button *b = StateOf(hwnd);
  if (!b)
    return DefWindowProcA(hwnd, msg, wp, lp);
  UINT type = TypeOf(hwnd);
  switch (msg) {
  case WM_NCDESTROY:
    SetWindowLongPtrA(hwnd, 0, 0);
    delete b;
    return DefWindowProcA(hwnd, msg, wp, lp);
  case WM_GETDLGCODE:
    return DialogCode(hwnd);
  case WM_ERASEBKGND:
    return 1; // WM_PAINT covers every pixel
  case WM_PAINT:
    Paint(hwnd, *b);
    return 0;
  case WM_ENABLE:
    Redraw(hwnd);
    return 0;
  case WM_SETTEXT: {
    LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
    Redraw(hwnd);
    return r;
  }
  case WM_SETFONT:
    b->font = reinterpret_cast<HFONT>(wp);
    if (lp)
      Redraw(hwnd);
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(b->font);
  case WM_SETFOCUS:
    b->focused = true;
    Redraw(hwnd);
    if (GetWindowLongA(hwnd, GWL_STYLE) & BS_NOTIFY)
      Notify(hwnd, BN_SETFOCUS);
    return 0;
  case WM_KILLFOCUS:
    b->focused = false;
    b->spaceDown = false;
    if (b->tracking) {
      b->tracking = false;
      ReleaseCapture();
    }
    SetPushed(hwnd, *b, false);
    Redraw(hwnd);
    if (GetWindowLongA(hwnd, GWL_STYLE) & BS_NOTIFY)
      Notify(hwnd, BN_KILLFOCUS);
    return 0;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
    if (type == BS_GROUPBOX)
      return 0;
    SetFocus(hwnd);
    if (!(b = StateOf(hwnd)))
      return 0;
    SetCapture(hwnd);
    b->tracking = true;
    SetPushed(hwnd, *b, true);
    return 0;
  case WM_MOUSEMOVE:
    if (b->tracking)
      SetPushed(hwnd, *b, Inside(hwnd, lp));
    return 0;
  case WM_LBUTTONUP:
    MouseUp(hwnd, *b, lp);
    return 0;
  case WM_CAPTURECHANGED:
    if (b->tracking) {
      b->tracking = false;
      SetPushed(hwnd, *b, false);
    }
    return 0;
  case WM_KEYDOWN:
    if (wp == VK_SPACE && type != BS_GROUPBOX && !b->tracking) {
      b->spaceDown = true;
      SetPushed(hwnd, *b, true);
    }
    return 0;
  case WM_KEYUP:
    if (wp == VK_SPACE && b->spaceDown) {
      b->spaceDown = false;
      SetPushed(hwnd, *b, false);
      Click(hwnd, *b);
    }
    return 0;
  case BM_CLICK:
    // A press and a release inside, as Win32 sends them: the button takes
    // the focus like a user's click.
    if (IsWindowEnabled(hwnd) && type != BS_GROUPBOX) {
      SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      if (IsWindow(hwnd))
        SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
    }
    return 0;
  case BM_GETCHECK:
    return IsCheck(type) || IsRadio(type) ? b->check : BST_UNCHECKED;
  case BM_SETCHECK: {
    UINT check = static_cast<UINT>(wp) & 3;
    if (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE)
      check = BST_CHECKED;
    if ((IsCheck(type) || IsRadio(type)) && b->check != check) {
      b->check = check;
      Redraw(hwnd);
    }
    return 0;
  }
  case BM_GETSTATE:
    return b->check | (b->pushed ? BST_PUSHED : 0) | (b->focused ? BST_FOCUS : 0);
  case BM_SETSTATE:
    SetPushed(hwnd, *b, wp != 0);
    return 0;
  case BM_SETSTYLE:
    return SetStyle(hwnd, wp, lp);
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

bool RegisterButton() {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_PARENTDC;
  wc.lpfnWndProc = ButtonProc;
  wc.cbWndExtra = sizeof(Button *);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "Button";
  return RegisterClassA(&wc) != 0;
}

[[maybe_unused]] const bool registered = RegisterButton();

} // namespace
