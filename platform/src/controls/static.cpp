// The STATIC control: text aligned left, centred or right (wrapped at word
// breaks unless SS_LEFTNOWORDWRAP or SS_SIMPLE), '&' prefixes unless
// SS_NOPREFIX, plus the plain rectangles, frames and etched lines. Colours
// come from the parent's WM_CTLCOLORSTATIC; a disabled static draws grey
// text. With SS_NOTIFY a click sends STN_CLICKED.
//
// SS_ICON and SS_BITMAP show an image that the control borrows: whoever
// set or loaded it keeps it (module icons are shared anyway), as on Win32.
#include <windows.h>

#include "resource/cursor_object.h"

namespace {

struct Static {
  HFONT font = nullptr;
  HANDLE image = nullptr; // icon or bitmap by the style
};

Static *StateOf(HWND hwnd) { return reinterpret_cast<Static *>(GetWindowLongPtrA(hwnd, 0)); }

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

UINT TextFormat(DWORD style) {
  UINT format = DT_EXPANDTABS;
  switch (style & SS_TYPEMASK) {
  case SS_CENTER:
    format |= DT_CENTER | DT_WORDBREAK;
    break;
  case SS_RIGHT:
    format |= DT_RIGHT | DT_WORDBREAK;
    break;
  case SS_SIMPLE:
    format |= DT_SINGLELINE | DT_NOCLIP;
    break;
  case SS_LEFTNOWORDWRAP:
    break;
  default:
    format |= DT_WORDBREAK;
    break;
  }
  if (style & SS_NOPREFIX)
    format |= DT_NOPREFIX;
  if (style & SS_CENTERIMAGE)
    format = (format & ~static_cast<UINT>(DT_WORDBREAK)) | DT_SINGLELINE | DT_VCENTER;
  if (style & SS_ENDELLIPSIS)
    format |= DT_END_ELLIPSIS;
  return format;
}

bool IsTextType(DWORD type) {
  return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
         type == SS_LEFTNOWORDWRAP;
}

bool IsImageType(DWORD type) { return type == SS_ICON || type == SS_BITMAP; }

SIZE ImageSize(DWORD type, HANDLE image) {
  if (type == SS_BITMAP) {
    BITMAP bm{};
    if (GetObjectA(image, sizeof bm, &bm))
      return SIZE{bm.bmWidth, bm.bmHeight};
    return SIZE{0, 0};
  }
  vqwin::resource::CursorImage info;
  if (!vqwin::resource::DescribeCursor(static_cast<HCURSOR>(image), &info))
    return SIZE{0, 0};
  return info.width > 0 ? SIZE{info.width, info.height} : SIZE{32, 32}; // system icons
}

bool ImageFits(DWORD type, UINT imageType, HANDLE image) {
  bool iconType = imageType == IMAGE_ICON || imageType == IMAGE_CURSOR;
  if (type == SS_ICON ? !iconType : (type != SS_BITMAP || imageType != IMAGE_BITMAP))
    return false;
  if (!image)
    return true;
  return type == SS_BITMAP ? GetObjectType(image) == OBJ_BITMAP
                           : vqwin::resource::DescribeCursor(static_cast<HCURSOR>(image), nullptr);
}

// Returns the previous image; the control takes the image's size unless
// told to keep its own.
HANDLE SetImage(HWND hwnd, Static &s, HANDLE image) {
  HANDLE old = s.image;
  s.image = image;
  DWORD style = StyleOf(hwnd);
  SIZE size = image ? ImageSize(style & SS_TYPEMASK, image) : SIZE{0, 0};
  if (image && !(style & (SS_CENTERIMAGE | SS_REALSIZECONTROL)) && size.cx > 0)
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd, nullptr, TRUE);
  return old;
}

LRESULT ReplaceImage(HWND hwnd, Static &s, UINT imageType, HANDLE image) {
  if (!ImageFits(StyleOf(hwnd) & SS_TYPEMASK, imageType, image))
    return 0;
  return reinterpret_cast<LRESULT>(SetImage(hwnd, s, image));
}

// The image named by the creation text: an ordinal or a name in the
// window's module.
void LoadNamedImage(HWND hwnd, Static &s, const CREATESTRUCTA &cs) {
  DWORD type = static_cast<DWORD>(cs.style) & SS_TYPEMASK;
  LPCSTR name = cs.lpszName;
  if (!IsImageType(type) || !name || (!IS_INTRESOURCE(name) && !*name))
    return;
  HANDLE image = type == SS_ICON ? static_cast<HANDLE>(LoadIconA(cs.hInstance, name))
                                 : static_cast<HANDLE>(LoadBitmapA(cs.hInstance, name));
  if (image)
    SetImage(hwnd, s, image);
}

void PaintImage(HDC dc, DWORD style, HANDLE image, const RECT &r) {
  DWORD type = style & SS_TYPEMASK;
  SIZE size = ImageSize(type, image);
  int x = 0, y = 0;
  if (style & SS_CENTERIMAGE) {
    x = (r.right - size.cx) / 2;
    y = (r.bottom - size.cy) / 2;
  }
  if (type == SS_ICON) {
    DrawIconEx(dc, x, y, static_cast<HICON>(image), size.cx, size.cy, 0, nullptr, DI_NORMAL);
    return;
  }
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, image);
  BitBlt(dc, x, y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void PaintShape(HDC dc, DWORD type, RECT r) {
  switch (type) {
  case SS_BLACKRECT:
  case SS_GRAYRECT:
  case SS_WHITERECT: {
    int color = type == SS_BLACKRECT  ? COLOR_WINDOWFRAME
                : type == SS_GRAYRECT ? COLOR_3DSHADOW
                                      : COLOR_WINDOW;
    FillRect(dc, &r, GetSysColorBrush(color));
    break;
  }
  case SS_BLACKFRAME:
  case SS_GRAYFRAME:
  case SS_WHITEFRAME: {
    int color = type == SS_BLACKFRAME  ? COLOR_WINDOWFRAME
                : type == SS_GRAYFRAME ? COLOR_3DSHADOW
                                       : COLOR_WINDOW;
    FrameRect(dc, &r, GetSysColorBrush(color));
    break;
  }
  case SS_ETCHEDHORZ:
    DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
    break;
  case SS_ETCHEDVERT:
    DrawEdge(dc, &r, EDGE_ETCHED, BF_LEFT);
    break;
  case SS_ETCHEDFRAME:
    DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
    break;
  }
}

void Paint(HWND hwnd, const Static &s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc)
    return;
  RECT r;
  GetClientRect(hwnd, &r);
  DWORD style = StyleOf(hwnd);
  DWORD type = style & SS_TYPEMASK;
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(hwnd), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(hwnd)));
  if (IsTextType(type) || IsImageType(type) || type == SS_ETCHEDHORZ || type == SS_ETCHEDVERT ||
      type == SS_ETCHEDFRAME || type == SS_BLACKFRAME || type == SS_GRAYFRAME ||
      type == SS_WHITEFRAME)
    FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_3DFACE));
  if (IsTextType(type)) {
    HGDIOBJ old = SelectObject(dc, s.font ? s.font : GetStockObject(SYSTEM_FONT));
    int len = GetWindowTextLengthA(hwnd);
    char stack[512];
    char *text = len < 512 ? stack : new char[static_cast<size_t>(len) + 1];
    int n = GetWindowTextA(hwnd, text, len + 1);
    SetBkMode(dc, TRANSPARENT);
    if (!IsWindowEnabled(hwnd))
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextA(dc, text, n, &r, TextFormat(style));
    if (text != stack)
      delete[] text;
    SelectObject(dc, old);
  } else if (IsImageType(type)) {
    if (s.image)
      PaintImage(dc, style, s.image, r);
  } else {
    PaintShape(dc, type, r);
  }
  if (style & SS_SUNKEN)
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  EndPaint(hwnd, &ps);
}

void Notify(HWND hwnd, WORD code) {
  if (StyleOf(hwnd) & SS_NOTIFY)
    if (HWND parent = GetParent(hwnd))
      SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code),
                   reinterpret_cast<LPARAM>(hwnd));
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(new Static));
  Static *s = StateOf(hwnd);
  if (!s)
    return DefWindowProcA(hwnd, msg, wp, lp);
  switch (msg) {
  case WM_NCDESTROY:
    SetWindowLongPtrA(hwnd, 0, 0);
    delete s;
    return DefWindowProcA(hwnd, msg, wp, lp);
  case WM_CREATE:
    LoadNamedImage(hwnd, *s, *reinterpret_cast<const CREATESTRUCTA *>(lp));
    return 0;
  case WM_GETDLGCODE:
    return DLGC_STATIC;
  case STM_SETICON:
    return ReplaceImage(hwnd, *s, IMAGE_ICON, reinterpret_cast<HANDLE>(wp));
  case STM_SETIMAGE:
    return ReplaceImage(hwnd, *s, static_cast<UINT>(wp), reinterpret_cast<HANDLE>(lp));
  case STM_GETICON:
    wp = IMAGE_ICON;
    [[fallthrough]];
  case STM_GETIMAGE:
    return ImageFits(StyleOf(hwnd) & SS_TYPEMASK, static_cast<UINT>(wp), nullptr)
               ? reinterpret_cast<LRESULT>(s->image)
               : 0;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT:
    Paint(hwnd, *s);
    return 0;
  case WM_ENABLE:
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  case WM_SETTEXT: {
    LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
    InvalidateRect(hwnd, nullptr, TRUE);
    return r;
  }
  case WM_SETFONT:
    s->font = reinterpret_cast<HFONT>(wp);
    if (lp)
      InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(s->font);
  case WM_LBUTTONDOWN:
    Notify(hwnd, STN_CLICKED);
    return 0;
  case WM_LBUTTONDBLCLK:
    Notify(hwnd, STN_DBLCLK);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

bool RegisterStatic() {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_PARENTDC;
  wc.lpfnWndProc = StaticProc;
  wc.cbWndExtra = sizeof(Static *);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "Static";
  return RegisterClassA(&wc) != 0;
}

[[maybe_unused]] const bool registered = RegisterStatic();

} // namespace
