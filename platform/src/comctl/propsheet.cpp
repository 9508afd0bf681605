// PropertySheetA: a modal dialog holding a tab control, one child dialog
// per page inside the tab's display area, and OK, Cancel and Apply
// buttons. Pages with PSP_PREMATURE are made with the sheet, the others on
// first activation. Pages hear PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY,
// PSN_QUERYCANCEL and PSN_RESET through WM_NOTIFY (a PSHNOTIFY from the
// sheet) and answer through DWLP_MSGRESULT. The sheet runs through the
// same modal loop, script and hook as dialogs; Ctrl+Tab and
// Ctrl+Shift+Tab switch pages.
//
// Chosen where Win32 leaves room: the button texts (and the PSH_PROPTITLE
// prefix) follow the thread's UI language, German or English, as those of
// message boxes and the common dialogs do; and a
// PSN_SETACTIVE answer other than 0 is taken as 0 (the page is shown),
// since skipping pages belongs to wizards, which are not provided.
#include "comctl/comctl.h"

#include "dialog/dialog_internal.h"
#include "user/wnd_text.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vqwin::comctl {
namespace {

// Child ids of the sheet, as Win32 numbers them.
constexpr int kTabId = 0x3020;
constexpr int kApplyId = 0x3021;
// Pixels: margins of the sheet and the size of its buttons.
constexpr int kMargin = 7;
constexpr int kButtonWidth = 75, kButtonHeight = 23, kButtonGap = 6;

struct Page {
  PROPSHEETPAGEA psp{}; // the copy handed to the page as its parameter
  resource::DialogTemplate tmpl;
  std::string title;
  HWND hwnd = nullptr;
  bool changed = false;
};

struct Sheet {
  HWND hwnd = nullptr;
  HWND tab = nullptr;
  HINSTANCE instance = nullptr;
  std::string caption;
  std::vector<Page> pages;
  int cur = -1;
  UINT start = 0;
  bool noApply = false;
  bool applied = false; // changes were applied at least once
  RECT pageRect{};
};

std::string ResourceText(HINSTANCE instance, LPCSTR text) {
  if (!text)
    return {};
  if (IS_INTRESOURCE(text)) {
    char buffer[256] = {};
    LoadStringA(instance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)), buffer,
                sizeof buffer);
    return buffer;
  }
  return text;
}

bool LoadPageTemplate(const PROPSHEETPAGEA &psp, resource::DialogTemplate &out) {
  if (psp.dwFlags & PSP_DLGINDIRECT) {
    SetLastError(ERROR_INVALID_PARAMETER); // in-memory page templates are not provided
    return false;
  }
  HRSRC res = FindResourceA(psp.hInstance, psp.pszTemplate, RT_DIALOG);
  if (!res)
    return false;
  HGLOBAL data = LoadResource(psp.hInstance, res);
  const void *bytes = data ? LockResource(data) : nullptr;
  if (!bytes || !resource::ParseDialogTemplate(bytes, SizeofResource(psp.hInstance, res), &out)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

Sheet *SheetOf(HWND hwnd) { return reinterpret_cast<Sheet *>(GetWindowLongPtrA(hwnd, DWLP_USER)); }

LRESULT NotifyPage(const Sheet &s, const Page &page, UINT code, LPARAM param) {
  PSHNOTIFY n{};
  n.hdr.hwndFrom = s.hwnd;
  n.hdr.idFrom = 0;
  n.hdr.code = code;
  n.lParam = param;
  return SendMessageA(page.hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

bool CreatePage(Sheet &s, Page &page) {
  if (page.hwnd)
    return true;
  resource::DialogTemplate t = page.tmpl;
  // A page is a control of the sheet, whatever frame its template asks for.
  t.style = (t.style & ~static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                           DS_MODALFRAME | WS_VISIBLE | WS_DISABLED)) |
            WS_CHILD | DS_CONTROL;
  t.exStyle |= WS_EX_CONTROLPARENT;
  t.x = t.y = 0;
  page.hwnd = dialog::CreateFromTemplate(t, page.psp.hInstance, s.hwnd, page.psp.pfnDlgProc,
                                         reinterpret_cast<LPARAM>(&page.psp));
  if (!page.hwnd)
    return false;
  SetWindowPos(page.hwnd, HWND_TOP, s.pageRect.left, s.pageRect.top,
               s.pageRect.right - s.pageRect.left, s.pageRect.bottom - s.pageRect.top,
               SWP_NOACTIVATE | SWP_HIDEWINDOW);
  return true;
}

// Shows page `index`. The current page must already have agreed to go.
bool Activate(Sheet &s, int index) {
  if (index < 0 || index >= static_cast<int>(s.pages.size()))
    return false;
  Page &page = s.pages[static_cast<size_t>(index)];
  if (!CreatePage(s, page))
    return false;
  NotifyPage(s, page, PSN_SETACTIVE, 0);
  if (s.cur >= 0 && s.cur != index && s.pages[static_cast<size_t>(s.cur)].hwnd)
    ShowWindow(s.pages[static_cast<size_t>(s.cur)].hwnd, SW_HIDE);
  s.cur = index;
  SendMessageA(s.tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  ShowWindow(page.hwnd, SW_SHOW);
  HWND focus = GetFocus();
  if (!focus || !IsChild(s.hwnd, focus) || !IsWindowVisible(focus))
    if (HWND first = GetNextDlgTabItem(page.hwnd, nullptr, FALSE))
      SetFocus(first);
  return true;
}

// Asks the current page whether it may be left (PSN_KILLACTIVE).
bool MayLeave(Sheet &s) {
  if (s.cur < 0)
    return true;
  return NotifyPage(s, s.pages[static_cast<size_t>(s.cur)], PSN_KILLACTIVE, 0) == 0;
}

bool SwitchTo(Sheet &s, int index) {
  if (index == s.cur)
    return true;
  if (!MayLeave(s)) {
    SendMessageA(s.tab, TCM_SETCURSEL, static_cast<WPARAM>(s.cur), 0);
    return false;
  }
  return Activate(s, index);
}

void EnableApply(const Sheet &s) {
  bool any = std::any_of(s.pages.begin(), s.pages.end(), [](const Page &p) { return p.changed; });
  if (HWND apply = GetDlgItem(s.hwnd, kApplyId))
    EnableWindow(apply, any);
}

// Leaves the current page and applies every page made so far; false when
// a page refused (it is then shown).
bool Apply(Sheet &s, bool closing) {
  if (!MayLeave(s))
    return false;
  for (size_t i = 0; i < s.pages.size(); ++i) {
    Page &page = s.pages[i];
    if (!page.hwnd)
      continue;
    LRESULT r = NotifyPage(s, page, PSN_APPLY, closing ? TRUE : FALSE);
    if (r == PSNRET_INVALID || r == PSNRET_INVALID_NOCHANGEPAGE) {
      if (r == PSNRET_INVALID && static_cast<int>(i) != s.cur)
        Activate(s, static_cast<int>(i));
      return false;
    }
  }
  s.applied = true;
  for (Page &page : s.pages)
    page.changed = false;
  EnableApply(s);
  return true;
}

void Cancel(Sheet &s) {
  if (s.cur >= 0 && NotifyPage(s, s.pages[static_cast<size_t>(s.cur)], PSN_QUERYCANCEL, 0))
    return;
  for (Page &page : s.pages)
    if (page.hwnd)
      NotifyPage(s, page, PSN_RESET, 0);
  EndDialog(s.hwnd, s.applied ? 1 : 0);
}

HWND AddButton(HWND sheet, int id, const char *text, DWORD style, int x, int y) {
  HWND b = CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y,
                           kButtonWidth, kButtonHeight, sheet,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  if (b)
    SendMessageA(b, WM_SETFONT, static_cast<WPARAM>(SendMessageA(sheet, WM_GETFONT, 0, 0)), FALSE);
  return b;
}

// Sizes the sheet around the largest page and lays out tab and buttons.
bool Build(Sheet &s) {
  SIZE page{0, 0};
  for (const Page &p : s.pages) {
    RECT r{0, 0, p.tmpl.cx, p.tmpl.cy};
    MapDialogRect(s.hwnd, &r);
    page.cx = std::max(page.cx, r.right);
    page.cy = std::max(page.cy, r.bottom);
  }
  s.tab = CreateWindowExA(
      0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, kMargin, kMargin,
      0, 0, s.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabId)), nullptr, nullptr);
  if (!s.tab)
    return false;
  SendMessageA(s.tab, WM_SETFONT, static_cast<WPARAM>(SendMessageA(s.hwnd, WM_GETFONT, 0, 0)),
               FALSE);
  RECT tab{0, 0, page.cx, page.cy};
  SendMessageA(s.tab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&tab));
  OffsetRect(&tab, kMargin - tab.left, kMargin - tab.top);
  SetWindowPos(s.tab, nullptr, tab.left, tab.top, tab.right - tab.left, tab.bottom - tab.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  s.pageRect = tab;
  SendMessageA(s.tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&s.pageRect));
  for (size_t i = 0; i < s.pages.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPSTR>(s.pages[i].title.c_str());
    SendMessageA(s.tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  int width = std::max<int>(tab.right + kMargin, 3 * kButtonWidth + 2 * kButtonGap + 2 * kMargin);
  int y = tab.bottom + kMargin;
  int x = width - kMargin - kButtonWidth;
  const bool german = PRIMARYLANGID(GetThreadUILanguage()) == LANG_GERMAN;
  if (!s.noApply) {
    EnableWindow(AddButton(s.hwnd, kApplyId,
                           german ? "&\xDC"
                                    "bernehmen"
                                  : "&Apply",
                           0, x, y),
                 FALSE);
    x -= kButtonWidth + kButtonGap;
  }
  AddButton(s.hwnd, IDCANCEL, german ? "Abbrechen" : "Cancel", 0, x, y);
  AddButton(s.hwnd, IDOK, "OK", BS_DEFPUSHBUTTON, x - kButtonWidth - kButtonGap, y);
  SendMessageA(s.hwnd, DM_SETDEFID, IDOK, 0);
  RECT outer, client;
  GetWindowRect(s.hwnd, &outer);
  GetClientRect(s.hwnd, &client);
  int w = width + (outer.right - outer.left) - client.right;
  int h = y + kButtonHeight + kMargin + (outer.bottom - outer.top) - client.bottom;
  // Keep the sheet's centre where the dialog manager placed it.
  SetWindowPos(s.hwnd, nullptr, (outer.left + outer.right - w) / 2,
               (outer.top + outer.bottom - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowTextA(s.hwnd, s.caption.c_str());
  for (Page &p : s.pages)
    if ((p.psp.dwFlags & PSP_PREMATURE) && !CreatePage(s, p))
      return false;
  return Activate(s, static_cast<int>(s.start));
}

INT_PTR Result(HWND hwnd, LRESULT value) {
  SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, value);
  return TRUE;
}

INT_PTR OnNotify(Sheet &s, const NMHDR *nm) {
  if (!nm || nm->hwndFrom != s.tab)
    return FALSE;
  if (nm->code == TCN_SELCHANGING)
    return Result(s.hwnd, MayLeave(s) ? FALSE : TRUE);
  if (nm->code == TCN_SELCHANGE)
    Activate(s, static_cast<int>(SendMessageA(s.tab, TCM_GETCURSEL, 0, 0)));
  return FALSE;
}

INT_PTR OnCommand(Sheet &s, WORD id) {
  switch (id) {
  case IDOK:
    if (Apply(s, true))
      EndDialog(s.hwnd, 1);
    return TRUE;
  case IDCANCEL:
    Cancel(s);
    return TRUE;
  case kApplyId:
    Apply(s, false);
    return TRUE;
  }
  return FALSE;
}

int PageIndex(const Sheet &s, HWND page) {
  for (size_t i = 0; i < s.pages.size(); ++i)
    if (s.pages[i].hwnd == page)
      return static_cast<int>(i);
  return -1;
}

INT_PTR CALLBACK SheetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    auto *s = reinterpret_cast<Sheet *>(lp);
    s->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    if (!Build(*s))
      EndDialog(hwnd, -1);
    return FALSE; // Build placed the focus
  }
  Sheet *s = SheetOf(hwnd);
  if (!s)
    return FALSE;
  switch (msg) {
  case WM_NOTIFY:
    return OnNotify(*s, reinterpret_cast<const NMHDR *>(lp));
  case WM_COMMAND:
    return OnCommand(*s, LOWORD(wp));
  case PSM_CHANGED:
  case PSM_UNCHANGED: {
    int i = PageIndex(*s, reinterpret_cast<HWND>(wp));
    if (i >= 0) {
      s->pages[static_cast<size_t>(i)].changed = msg == PSM_CHANGED;
      EnableApply(*s);
    }
    return Result(hwnd, 0);
  }
  case PSM_SETCURSEL:
    return Result(hwnd, SwitchTo(*s, static_cast<int>(wp)) ? TRUE : FALSE);
  case PSM_APPLY:
    return Result(hwnd, Apply(*s, false) ? TRUE : FALSE);
  case PSM_CANCELTOCLOSE:
    if (HWND cancel = GetDlgItem(hwnd, IDCANCEL))
      SetWindowTextA(cancel, "Close");
    return Result(hwnd, 0);
  case PSM_GETTABCONTROL:
    return Result(hwnd, reinterpret_cast<LRESULT>(s->tab));
  case PSM_GETCURRENTPAGEHWND:
    return Result(hwnd, s->cur >= 0
                            ? reinterpret_cast<LRESULT>(s->pages[static_cast<size_t>(s->cur)].hwnd)
                            : 0);
  }
  return FALSE;
}

// Ctrl+Tab anywhere in the sheet moves to the next page, Ctrl+Shift+Tab
// to the previous one, wrapping.
bool SheetKeys(Sheet &s, const MSG &msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || !(GetKeyState(VK_CONTROL) & 0x8000))
    return false;
  if (msg.hwnd != s.hwnd && !IsChild(s.hwnd, msg.hwnd))
    return false;
  int n = static_cast<int>(s.pages.size());
  int step = (GetKeyState(VK_SHIFT) & 0x8000) ? n - 1 : 1;
  SwitchTo(s, (s.cur + step) % n);
  return true;
}

bool Validate(const PROPSHEETHEADERA *h) {
  if (!h || h->dwSize < sizeof(PROPSHEETHEADERA) || !(h->dwFlags & PSH_PROPSHEETPAGE) ||
      (h->dwFlags & (PSH_WIZARD | PSH_MODELESS | PSH_USEPSTARTPAGE)) || !h->nPages || !h->ppsp ||
      h->nStartPage >= h->nPages) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  for (UINT i = 0; i < h->nPages; ++i)
    if (h->ppsp[i].dwSize < sizeof(PROPSHEETPAGEA)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
  return true;
}

} // namespace

} // namespace vqwin::comctl

using namespace vqwin;

INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA header) {
  if (!comctl::Validate(header))
    return -1;
  comctl::Sheet sheet;
  sheet.instance = header->hInstance;
  sheet.caption = comctl::ResourceText(header->hInstance, header->pszCaption);
  if (header->dwFlags & PSH_PROPTITLE)
    sheet.caption = (PRIMARYLANGID(GetThreadUILanguage()) == LANG_GERMAN ? "Eigenschaften von "
                                                                         : "Properties for ") +
                    sheet.caption;
  sheet.start = header->nStartPage;
  sheet.noApply = header->dwFlags & PSH_NOAPPLYNOW;
  // The pages' copies must not move once handed out: size the vector first.
  sheet.pages.resize(header->nPages);
  for (UINT i = 0; i < header->nPages; ++i) {
    comctl::Page &page = sheet.pages[i];
    page.psp = header->ppsp[i];
    if (!comctl::LoadPageTemplate(page.psp, page.tmpl))
      return -1;
    page.title = (page.psp.dwFlags & PSP_USETITLE)
                     ? comctl::ResourceText(page.psp.hInstance, page.psp.pszTitle)
                     : user::ToAnsi(page.tmpl.title);
  }
  // The sheet is a dialog in the first page's font, sized in Build.
  resource::DialogTemplate t;
  const resource::DialogTemplate &first = sheet.pages[0].tmpl;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK | DS_CENTER |
            (first.hasFont ? DS_SETFONT : 0);
  t.hasFont = first.hasFont;
  t.pointSize = first.pointSize;
  t.weight = first.weight;
  t.italic = first.italic;
  t.charset = first.charset;
  t.typeface = first.typeface;
  t.cx = first.cx;
  t.cy = first.cy;
  HWND dlg = dialog::CreateFromTemplate(t, header->hInstance, header->hwndParent, comctl::SheetProc,
                                        reinterpret_cast<LPARAM>(&sheet));
  if (!dlg)
    return -1;
  dialog::ModalLoop loop;
  loop.info.kind = VQWIN_MODAL_DIALOG;
  loop.filter = [&sheet](const MSG &msg) { return comctl::SheetKeys(sheet, msg); };
  INT_PTR result = dialog::RunModalDialog(dlg, dialog::ModalOwner(header->hwndParent), loop);
  return result;
}
