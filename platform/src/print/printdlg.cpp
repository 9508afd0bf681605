// PrintDlgA. The dialog is a "#32770" window built
// at run time (a label, the drop-down list of printers, OK and Cancel) that
// runs through the layer's modal loop like every dialog, so scripts and
// hooks drive it with the same steps. Chosen here: without a script, hook
// or display the dialog answers OK with the default printer selected, so
// that a host printing headless gets its document.
#include "print/printer.h"

#include "commdlg/commdlg.h"
#include "dialog/dialog_internal.h"
#include "user/wnd_state.h"
#include "user/wnd_text.h"

#include <commdlg.h>
#include <dlgs.h>

namespace vqwin::print {
namespace {

using commdlg::AddControl;
using commdlg::German;

constexpr int kPrinterList = cmb4;
constexpr int kLabelId = 0xFFFF;
constexpr DWORD kHookOrTemplate = 0x0003F000; // PD_ENABLE{PRINT,SETUP}{HOOK,TEMPLATE}{,HANDLE}

struct Choice {
  HFONT font = nullptr;
  char printer[CCHDEVICENAME] = {};
};

void Layout(HWND dlg, Choice &choice) {
  bool german = German();
  HFONT f = choice.font;
  AddControl(dlg, "STATIC", german ? "&Drucker:" : "&Printer:", SS_LEFT, 11, 14, 60, 16, kLabelId,
             f);
  HWND list = AddControl(dlg, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_GROUP | WS_VSCROLL,
                         75, 11, 200, 120, kPrinterList, f);
  SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DefaultPrinterName()));
  SendMessageA(list, CB_SETCURSEL, 0, 0);
  AddControl(dlg, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 119, 45, 75, 23, IDOK,
             f);
  AddControl(dlg, "BUTTON", german ? "Abbrechen" : "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 200, 45,
             75, 23, IDCANCEL, f);
  commdlg::SetClientSize(dlg, 286, 79);
}

INT_PTR CALLBACK PrintProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_INITDIALOG:
    SetWindowLongPtrA(dlg, DWLP_USER, lp);
    Layout(dlg, *reinterpret_cast<Choice *>(lp));
    SetFocus(GetDlgItem(dlg, IDOK));
    return FALSE;
  case WM_COMMAND: {
    auto *choice = reinterpret_cast<Choice *>(GetWindowLongPtrA(dlg, DWLP_USER));
    int id = LOWORD(wp);
    if (!choice || (id != IDOK && id != IDCANCEL))
      return FALSE;
    if (id == IDOK) {
      HWND list = GetDlgItem(dlg, kPrinterList);
      LRESULT sel = SendMessageA(list, CB_GETCURSEL, 0, 0);
      if (sel == CB_ERR) // nothing chosen: OK stays unanswered, as Windows keeps it
        return TRUE;
      SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(sel),
                   reinterpret_cast<LPARAM>(choice->printer));
    }
    EndDialog(dlg, id);
    return TRUE;
  }
  }
  return FALSE;
}

// Runs the dialog; true with the chosen printer on OK.
bool AskPrinter(HWND owner, Choice &choice) {
  choice.font = commdlg::CreateDialogFont();
  resource::DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  t.title = user::ToWide(German() ? "Drucken" : "Print");
  HWND dlg =
      dialog::CreateFromTemplate(t, nullptr, owner, PrintProc, reinterpret_cast<LPARAM>(&choice));
  INT_PTR result = IDCANCEL;
  if (dlg) {
    dialog::ModalLoop loop;
    loop.info.kind = VQWIN_MODAL_DIALOG;
    loop.takeDefault = [dlg] { SendMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0); };
    loop.forceEnd = [dlg] { EndDialog(dlg, IDCANCEL); };
    result = dialog::RunModalDialog(dlg, dialog::ModalOwner(owner), loop);
  }
  DeleteObject(choice.font);
  return dlg && result == IDOK;
}

} // namespace
} // namespace vqwin::print

using namespace vqwin::print;
using vqwin::commdlg::Fail;

BOOL WINAPI PrintDlgA(LPPRINTDLGA pd) {
  vqwin::commdlg::SetError(0);
  if (!pd)
    return Fail(CDERR_INITIALIZATION);
  if (pd->lStructSize != sizeof(PRINTDLGA))
    return Fail(CDERR_STRUCTSIZE);
  if ((pd->Flags & kHookOrTemplate) || (pd->hwndOwner && !IsWindow(pd->hwndOwner)))
    return Fail(CDERR_INITIALIZATION);
  Choice choice;
  if (pd->Flags & PD_RETURNDEFAULT) {
    if (pd->hDevMode || pd->hDevNames)
      return Fail(PDERR_RETDEFFAILURE);
    lstrcpynA(choice.printer, DefaultPrinterName(), CCHDEVICENAME);
  } else if (!AskPrinter(pd->hwndOwner, choice)) {
    return FALSE; // cancelled: no extended error
  }
  pd->hDC = nullptr;
  if (pd->Flags & (PD_RETURNDC | PD_RETURNIC)) {
    pd->hDC = CreateDCA("WINSPOOL", choice.printer, nullptr, nullptr);
    if (!pd->hDC)
      return Fail(PDERR_NODEFAULTPRN);
  }
  if (pd->nCopies == 0)
    pd->nCopies = 1;
  return TRUE;
}
