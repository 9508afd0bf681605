// The selection dialog: the user edits the text form of a selection,
// checks it (which parses it into the selection at once and lists its
// comparisons), and accepts or cancels. Template 5000 of the resource
// module; its controls are fixed by number.
//
// The dialog is modal, so its state is kept once for the library: which
// dialog object and selection it edits, the text buffer, and whether the
// text changed since the start or the last successful check. OK parses
// only a changed text, so accepting an untouched dialog leaves the tree as
// it was.
#include "frame/library.h"

#include <windows.h>

namespace {

constexpr char kTag[] = "CVQTblSelDlg";
constexpr UINT kTemplate = 5000;
enum : int { kList = 5001, kText = 5002, kCheck = 5003, kOk = 5004, kCancel = 5005 };
constexpr UINT kTextSize = 512;

const CVQListView::Column kColumns[] = {
    {3, 40, MAKEINTRESOURCEA(800)}, // column
    {3, 20, MAKEINTRESOURCEA(801)}, // operator
    {1, 40, MAKEINTRESOURCEA(802)}, // value
};

struct SelDialogState {
  CVQTblSelDlg *dialog = nullptr;
  CVQTblSelDesc *selection = nullptr;
  char text[kTextSize] = {};
  int changed = 0;
  CVQListView list{kColumns, &theLibrary};
};

SelDialogState &State() {
  static SelDialogState state;
  return state;
}

void InitDialog(HWND dlg, CVQTblSelDlg *dialog) {
  SelDialogState &s = State();
  s.dialog = dialog;
  s.selection = dialog->selection;
  s.list.DispHeader(GetDlgItem(dlg, kList), dlg, 1);
  // The bounded form: a tree whose text form is longer than the buffer
  // shows its first 511 characters rather than overrun it.
  s.selection->edit(s.text, kTextSize);
  s.selection->disp(&s.list);
  SetDlgItemTextA(dlg, kText, s.text);
  CenterWindow(dlg);
  s.changed = 0;
}

// Parses the text of the edit field into the selection; on failure the
// parser has shown its message and the dialog stays as it is.
bool CheckText(HWND dlg) {
  SelDialogState &s = State();
  const UINT length = GetDlgItemTextA(dlg, kText, s.text, kTextSize);
  if (!s.selection->parse(s.text, length))
    return false;
  s.selection->disp(&s.list);
  s.changed = 0;
  return true;
}

INT_PTR OnCommand(HWND dlg, int id, UINT code) {
  switch (id) {
  case kText:
    if (code == EN_CHANGE)
      State().changed = 1;
    return TRUE;
  case kCheck:
    CheckText(dlg);
    return TRUE;
  case kOk:
    if (!State().changed || CheckText(dlg))
      EndDialog(dlg, 1);
    return TRUE;
  case kCancel:
  case IDCANCEL:
    EndDialog(dlg, 0);
    return TRUE;
  default:
    return FALSE;
  }
}

INT_PTR CALLBACK SelDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
  case WM_INITDIALOG:
    InitDialog(dlg, reinterpret_cast<CVQTblSelDlg *>(lParam));
    return TRUE;
  case WM_COMMAND:
    return OnCommand(dlg, LOWORD(wParam), HIWORD(wParam));
  case WM_SYSCOMMAND:
    if ((wParam & 0xFFF0) != SC_CLOSE)
      return FALSE;
    EndDialog(dlg, 0);
    return TRUE;
  default:
    return FALSE;
  }
}

} // namespace

UINT CVQTblSelDlg::Dialog(HWND parent) {
  if (!selection) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "No selection to edit in the selection dialog.");
    return 0;
  }
  const INT_PTR result = theLibrary.DispDialogBoxParam(
      MAKEINTRESOURCEA(kTemplate), parent, SelDialogProc, reinterpret_cast<LPARAM>(this));
  State().dialog = nullptr;
  State().selection = nullptr;
  return static_cast<UINT>(result);
}
