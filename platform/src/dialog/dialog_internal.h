// What the dialog manager's files share: the per-dialog state that Win32
// keeps beside the DWLP_ slots, template creation, and the modal loop that
// message boxes and dialogs run (and that asks the automation hook for
// steps when the queue is idle).
#ifndef VQWIN_DIALOG_INTERNAL_H
#define VQWIN_DIALOG_INTERNAL_H

#include <windows.h>

#include <vqwin_modal.h>

#include "resource/dialog_template.h"

#include <functional>
#include <string>

namespace vqwin::dialog {

struct DialogInfo {
  HFONT font = nullptr;
  bool ownsFont = false;
  int baseX = 0, baseY = 0; // dialog base units of the font, in pixels
  HWND focus = nullptr;     // the control to focus again on activation
  int defId = 0;            // set by DM_SETDEFID; 0 until then
  bool modal = false;
  bool ended = false;
  INT_PTR result = 0;
};

/// The state of a dialog window, or null for any other window.
DialogInfo *FindDialog(HWND hwnd);
/// Creates the state on the dialog's WM_NCCREATE.
DialogInfo &EnsureDialog(HWND hwnd);

/// Base units (average character width, character height) of a font as
/// Win32 computes them for dialogs; null means the system font.
SIZE FontBaseUnits(HFONT font);

/// Builds a dialog and its controls from a parsed template, sends
/// WM_INITDIALOG and places the focus. Null (with the last error set) when
/// the window or a control cannot be made.
HWND CreateFromTemplate(const resource::DialogTemplate &t, HINSTANCE instance, HWND parent,
                        DLGPROC proc, LPARAM param);

/// One modal loop: runs the queue, and when it is idle asks the script, the
/// hook, or the default what to do next.
struct ModalLoop {
  VQWIN_MODAL_INFO info{};
  std::function<bool()> done;
  std::function<void()> takeDefault;
  std::function<void(int)> answer; // VQWIN_STEP_ANSWER
  std::function<void()> forceEnd;  // when steps and defaults do not end it
  // VQWIN_STEP_PATH; file dialogs only, elsewhere the step is spent.
  std::function<void(const char *)> choosePath;
  // Sees each message before the dialog keys do; true when it took it
  // (property sheets take Ctrl+Tab this way).
  std::function<bool(const MSG &)> filter;
};

/// Shows a created dialog modally with its owner disabled and returns the
/// EndDialog result; the dialog is destroyed on return.
INT_PTR RunModalDialog(HWND dlg, HWND owner, ModalLoop &loop);

/// The top-level window that becomes a modal window's owner.
HWND ModalOwner(HWND parent);

/// Moves the focus to a control as the dialog manager does: edits get
/// their text selected and push buttons take the default look.
void FocusControl(HWND dlg, HWND control);

/// Returns false when WM_QUIT ended the loop (the quit is posted again).
bool RunModalLoop(ModalLoop &loop);

struct MessageBoxEntry {
  HWND owner;
  std::string caption, text;
  UINT type;
  int defaultId, answer;
};
void RecordMessageBox(MessageBoxEntry entry);

} // namespace vqwin::dialog

#endif
