// Dialogs from templates: the dialog font, dialog units to pixels, the
// window and its controls, WM_INITDIALOG and the first focus, and the
// modal run that DialogBoxParamA and MessageBoxA share.
//
// Chosen here: a template's menu is ignored (the layer has no menus), and
// a template passed by address is read with a bound of 1 MiB, since the
// Win32 call gives no size.
#include "dialog/dialog_internal.h"

#include "user/wnd_state.h"
#include "user/wnd_text.h"

namespace vqwin::dialog {
namespace {

constexpr size_t kIndirectBound = 1u << 20;

const char *PredefinedClass(WORD atom) {
  switch (atom) {
  case 0x80:
    return "BUTTON";
  case 0x81:
    return "EDIT";
  case 0x82:
    return "STATIC";
  case 0x83:
    return "LISTBOX";
  case 0x84:
    return "SCROLLBAR";
  case 0x85:
    return "COMBOBOX";
  }
  return nullptr;
}

// Holds the class or title text for CreateWindowExA: an ordinal becomes
// MAKEINTRESOURCE, a text its single-byte form.
struct Name {
  std::string text;
  LPCSTR ptr = nullptr;
  Name(const resource::DialogName &n, bool isClass) {
    if (n.isOrdinal) {
      const char *predefined = isClass ? PredefinedClass(n.ordinal) : nullptr;
      ptr = predefined ? predefined : MAKEINTRESOURCEA(n.ordinal);
    } else if (!n.text.empty() || !isClass) {
      text = user::ToAnsi(n.text);
      ptr = text.c_str();
    }
  }
};

HFONT TemplateFont(const resource::DialogTemplate &t) {
  if (!t.hasFont)
    return nullptr;
  std::string face = user::ToAnsi(t.typeface);
  int height = -MulDiv(t.pointSize, 96, 72);
  return CreateFontA(height, 0, 0, 0, t.weight ? t.weight : FW_NORMAL, t.italic, FALSE, FALSE,
                     t.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH, face.c_str());
}

POINT Place(const resource::DialogTemplate &t, HWND owner, SIZE base, SIZE outer) {
  POINT pt{MulDiv(t.x, base.cx, 4), MulDiv(t.y, base.cy, 8)};
  if (t.style & DS_CENTER) {
    pt.x = (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2;
    pt.y = (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
  } else if (!(t.style & (WS_CHILD | DS_ABSALIGN)) && owner) {
    ClientToScreen(owner, &pt);
  }
  return pt;
}

bool CreateControls(HWND dlg, const resource::DialogTemplate &t, HINSTANCE instance,
                    DialogInfo &info) {
  for (const auto &item : t.items) {
    Name cls(item.windowClass, true), title(item.title, false);
    if (!cls.ptr) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return false;
    }
    HWND c = CreateWindowExA(
        item.exStyle | WS_EX_NOPARENTNOTIFY, cls.ptr, title.ptr, item.style | WS_CHILD,
        MulDiv(item.x, info.baseX, 4), MulDiv(item.y, info.baseY, 8),
        MulDiv(item.cx, info.baseX, 4), MulDiv(item.cy, info.baseY, 8), dlg,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(static_cast<int>(item.id))), instance,
        item.creationData.empty() ? nullptr : const_cast<BYTE *>(item.creationData.data()));
    if (!c) {
      if (t.style & DS_NOFAILCREATE)
        continue;
      return false;
    }
    if (info.font)
      SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(info.font), FALSE);
    if (SendMessageA(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
      info.defId = static_cast<int>(item.id);
  }
  return true;
}

bool LoadTemplate(HINSTANCE instance, LPCSTR name, resource::DialogTemplate &t) {
  HRSRC res = FindResourceA(instance, name, RT_DIALOG);
  if (!res)
    return false;
  const void *data = LockResource(LoadResource(instance, res));
  if (!data || !resource::ParseDialogTemplate(data, SizeofResource(instance, res), &t)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

bool ParseIndirect(LPCDLGTEMPLATEA tmpl, resource::DialogTemplate &t) {
  if (!tmpl || !resource::ParseDialogTemplate(tmpl, kIndirectBound, &t)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

} // namespace

SIZE FontBaseUnits(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SIZE sz{};
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  GetTextExtentPoint32A(dc, kAlphabet, 52, &sz);
  SelectObject(dc, old);
  DeleteDC(dc);
  // Win32's rounding of the average over both cases.
  return SIZE{(sz.cx / 26 + 1) / 2, tm.tmHeight};
}

HWND ModalOwner(HWND parent) {
  if (!parent || !IsWindow(parent))
    return nullptr;
  return GetAncestor(parent, GA_ROOT);
}

HWND CreateFromTemplate(const resource::DialogTemplate &t, HINSTANCE instance, HWND parent,
                        DLGPROC proc, LPARAM param) {
  if (parent && !IsWindow(parent))
    return nullptr;
  bool child = t.style & WS_CHILD;
  HWND owner = child ? parent : ModalOwner(parent);
  HFONT font = TemplateFont(t);
  SIZE base = FontBaseUnits(font);
  DWORD exStyle = t.exStyle | ((t.style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
  DWORD style = t.style & ~WS_VISIBLE;
  user::Frame f = user::FrameOf(style, exStyle);
  SIZE outer{MulDiv(t.cx, base.cx, 4) + f.left + f.right,
             MulDiv(t.cy, base.cy, 8) + f.top + f.bottom};
  POINT at = Place(t, owner, base, outer);
  Name cls(t.windowClass, true);
  std::string title = user::ToAnsi(t.title);
  HWND dlg = CreateWindowExA(exStyle, cls.ptr ? cls.ptr : "#32770", title.c_str(), style, at.x,
                             at.y, outer.cx, outer.cy, owner, nullptr, instance,
                             reinterpret_cast<LPVOID>(param));
  if (!dlg) {
    if (font)
      DeleteObject(font);
    return nullptr;
  }
  DialogInfo &info = EnsureDialog(dlg);
  info.font = font;
  info.ownsFont = font != nullptr;
  info.baseX = base.cx;
  info.baseY = base.cy;
  SetWindowLongPtrA(dlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (font)
    SendMessageA(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  DialogInfo *live = FindDialog(dlg);
  if (!live || !CreateControls(dlg, t, instance, *live)) {
    DWORD err = GetLastError();
    if (IsWindow(dlg))
      DestroyWindow(dlg);
    SetLastError(err);
    return nullptr;
  }
  HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE);
  LRESULT focusIt = SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  if (!IsWindow(dlg))
    return nullptr;
  if (focusIt && first && IsWindow(first))
    FocusControl(dlg, first);
  if (DialogInfo *now = FindDialog(dlg)) {
    HWND focus = GetFocus();
    if (focus && IsChild(dlg, focus))
      now->focus = focus;
  }
  if (t.style & WS_VISIBLE)
    ShowWindow(dlg, SW_SHOWNORMAL);
  return dlg;
}

INT_PTR RunModalDialog(HWND dlg, HWND owner, ModalLoop &loop) {
  DialogInfo *info = FindDialog(dlg);
  if (!info)
    return -1;
  info->modal = true;
  bool reenable = owner && IsWindowEnabled(owner);
  if (reenable)
    EnableWindow(owner, FALSE);
  ShowWindow(dlg, SW_SHOWNORMAL);
  std::string caption(static_cast<size_t>(GetWindowTextLengthA(dlg)) + 1, '\0');
  caption.resize(static_cast<size_t>(GetWindowTextA(dlg, caption.data(), (int)caption.size())));
  loop.info.hwnd = dlg;
  loop.info.owner = owner;
  loop.info.caption = caption.c_str();
  loop.done = [dlg] {
    DialogInfo *i = FindDialog(dlg);
    return !i || i->ended;
  };
  if (!loop.takeDefault)
    loop.takeDefault = [dlg] {
      HWND cancel = GetDlgItem(dlg, IDCANCEL);
      SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(cancel));
      DialogInfo *i = FindDialog(dlg);
      if (i && !i->ended)
        EndDialog(dlg, IDCANCEL);
    };
  if (!loop.answer)
    loop.answer = [dlg](int id) {
      HWND c = GetDlgItem(dlg, id);
      char cls[8] = {};
      if (c && GetClassNameA(c, cls, sizeof cls) && lstrcmpiA(cls, "BUTTON") == 0)
        SendMessageA(c, BM_CLICK, 0, 0);
      else
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(c));
    };
  if (!loop.forceEnd)
    loop.forceEnd = [dlg] { EndDialog(dlg, IDCANCEL); };
  RunModalLoop(loop);
  info = FindDialog(dlg);
  INT_PTR result = info && info->ended ? info->result : 0;
  if (reenable && IsWindow(owner))
    EnableWindow(owner, TRUE);
  if (IsWindow(dlg))
    DestroyWindow(dlg);
  if (owner && IsWindow(owner) && IsWindowVisible(owner))
    SetActiveWindow(owner);
  return result;
}

} // namespace vqwin::dialog

using namespace vqwin::dialog;

HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc,
                               LPARAM param) {
  vqwin::resource::DialogTemplate t;
  if (!LoadTemplate(instance, name, t))
    return nullptr;
  return CreateFromTemplate(t, instance, parent, proc, param);
}

HWND WINAPI CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA tmpl, HWND parent,
                                       DLGPROC proc, LPARAM param) {
  vqwin::resource::DialogTemplate t;
  if (!ParseIndirect(tmpl, t))
    return nullptr;
  return CreateFromTemplate(t, instance, parent, proc, param);
}

static INT_PTR RunTemplate(const vqwin::resource::DialogTemplate &t, HINSTANCE instance,
                           HWND parent, DLGPROC proc, LPARAM param) {
  HWND dlg = CreateFromTemplate(t, instance, parent, proc, param);
  if (!dlg)
    return -1;
  ModalLoop loop;
  loop.info.kind = VQWIN_MODAL_DIALOG;
  return RunModalDialog(dlg, ModalOwner(parent), loop);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc,
                               LPARAM param) {
  vqwin::resource::DialogTemplate t;
  if (!LoadTemplate(instance, name, t))
    return -1;
  return RunTemplate(t, instance, parent, proc, param);
}

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA tmpl, HWND parent,
                                       DLGPROC proc, LPARAM param) {
  vqwin::resource::DialogTemplate t;
  if (!ParseIndirect(tmpl, t))
    return -1;
  return RunTemplate(t, instance, parent, proc, param);
}

LONG WINAPI GetDialogBaseUnits(void) {
  SIZE base = FontBaseUnits(nullptr);
  return MAKELONG(base.cx, base.cy);
}

BOOL WINAPI MapDialogRect(HWND dlg, LPRECT rc) {
  DialogInfo *info = FindDialog(dlg);
  if (!info || !rc) {
    SetLastError(info ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!info->baseX) {
    SIZE base = FontBaseUnits(info->font);
    info->baseX = base.cx;
    info->baseY = base.cy;
  }
  rc->left = MulDiv(rc->left, info->baseX, 4);
  rc->right = MulDiv(rc->right, info->baseX, 4);
  rc->top = MulDiv(rc->top, info->baseY, 8);
  rc->bottom = MulDiv(rc->bottom, info->baseY, 8);
  return TRUE;
}
