/*
 * Answers for modal UI without a person in front of it. Every modal loop of
 * the layer (message boxes, dialogs, property sheets, the print and save
 * dialogs) runs its queue until nothing is left to do and then asks for the
 * next step: first the queued script, then the installed hook, then the
 * documented default. Steps act on the modal window that asks, through the
 * same input path a user's mouse and keyboard take.
 *
 * With a display that delivers real input and nothing scripted, the loop
 * waits for that input instead of taking a default.
 *
 * Defaults: a message box takes its default button; a dialog gets the
 * Escape key (WM_COMMAND IDCANCEL) and, should its procedure ignore that,
 * ends with IDCANCEL; the save dialog cancels. A loop that takes
 * VQWIN_MODAL_STEP_LIMIT steps without ending treats the next request as
 * the default.
 *
 * Every message box shown is recorded with its caption, text, flags and
 * answer, until vqwinClearMessageBoxRecords or vqwinResetModal.
 *
 * This header is the layer's own, not Win32: tests and hosts include it,
 * library code never does.
 */
#ifndef VQWIN_MODAL_H
#define VQWIN_MODAL_H

#include "windef.h"

/* What is asking (VQWIN_MODAL_INFO.kind). */
#define VQWIN_MODAL_MESSAGEBOX 1
#define VQWIN_MODAL_DIALOG 2
#define VQWIN_MODAL_FILEDIALOG 3 /* GetSaveFileNameA; `text` is the folder shown */

/* What to do (VQWIN_MODAL_STEP.action). */
#define VQWIN_STEP_DEFAULT 0 /* the documented default */
#define VQWIN_STEP_ANSWER 1  /* message box: press button `id`; dialog: command `id` */
#define VQWIN_STEP_CLICK 2   /* left click in the middle of control `id` */
#define VQWIN_STEP_TYPE 3    /* focus control `id` (0: keep the focus) and type `text` */
#define VQWIN_STEP_KEY 4     /* press virtual key `key` with VQWIN_SHIFT/CONTROL/ALT `modifiers` */
/* select item `index` of list or combo box `id`, with its notification */
#define VQWIN_STEP_PICK 5
/* file dialogs: type `text` as the file name and press Save; elsewhere spent */
#define VQWIN_STEP_PATH 6
#define VQWIN_STEP_END 7 /* EndDialog with result `id` */

#define VQWIN_MODAL_STEP_LIMIT 10000
#define VQWIN_STEP_TEXT_MAX 1024

typedef struct VQWIN_MODAL_STEP {
  UINT action;
  int id;
  int index;
  UINT key;
  UINT modifiers;
  char text[VQWIN_STEP_TEXT_MAX]; /* Windows-1252 */
} VQWIN_MODAL_STEP;

typedef struct VQWIN_MODAL_INFO {
  UINT kind;
  HWND hwnd;  /* the modal window */
  HWND owner; /* disabled while the loop runs; may be NULL */
  int round;  /* 0 for the first request of this loop */
  LPCSTR caption;
  LPCSTR text; /* message box text; file dialog folder; NULL for dialogs */
  UINT type;   /* message box MB_* flags; 0 for dialogs */
} VQWIN_MODAL_INFO;

/// Fills *step and returns TRUE, or returns FALSE to leave the decision to
/// the default. Called only when the modal window's queue is idle; it should
/// return steps rather than inject input itself, so that keys pass the
/// dialog manager as they would from a user.
typedef BOOL(CALLBACK *VQWIN_MODAL_HOOK)(const VQWIN_MODAL_INFO *info, VQWIN_MODAL_STEP *step,
                                         void *context);

/// Installs the hook (NULL removes it); returns the previous one.
WINUSERAPI VQWIN_MODAL_HOOK WINAPI vqwinSetModalHook(VQWIN_MODAL_HOOK hook, void *context);

/* ---- The script: steps taken in order, before the hook is asked ---- */

/// FALSE with ERROR_INVALID_PARAMETER for a NULL step or unknown action.
WINUSERAPI BOOL WINAPI vqwinQueueModalStep(const VQWIN_MODAL_STEP *step);
WINUSERAPI BOOL WINAPI vqwinQueueMessageBoxAnswer(int id);
WINUSERAPI BOOL WINAPI vqwinQueueClick(int id);
/// FALSE with ERROR_INSUFFICIENT_BUFFER for a text of VQWIN_STEP_TEXT_MAX
/// characters or more.
WINUSERAPI BOOL WINAPI vqwinQueueType(int id, LPCSTR text);
WINUSERAPI BOOL WINAPI vqwinQueueKey(UINT vk, UINT modifiers);
WINUSERAPI BOOL WINAPI vqwinQueuePick(int id, int index);
WINUSERAPI BOOL WINAPI vqwinQueuePath(LPCSTR path);
WINUSERAPI BOOL WINAPI vqwinQueueEndDialog(int result);
/// Steps still waiting in the script.
WINUSERAPI int WINAPI vqwinPendingModalSteps(void);
WINUSERAPI void WINAPI vqwinClearModalScript(void);

/* ---- The record of message boxes ---- */

typedef struct VQWIN_MSGBOX_RECORD {
  HWND owner;
  LPCSTR caption; /* valid until the record is cleared */
  LPCSTR text;
  UINT type;     /* every MB_* flag given */
  UINT icon;     /* type & MB_ICONMASK */
  UINT buttons;  /* type & MB_TYPEMASK */
  int defaultId; /* the id of the default button */
  int answer;    /* what MessageBoxA returned */
} VQWIN_MSGBOX_RECORD;

WINUSERAPI int WINAPI vqwinGetMessageBoxCount(void);
/// FALSE with ERROR_INVALID_INDEX for an index outside the record.
WINUSERAPI BOOL WINAPI vqwinGetMessageBoxRecord(int index, VQWIN_MSGBOX_RECORD *record);
WINUSERAPI void WINAPI vqwinClearMessageBoxRecords(void);

/// Removes the hook, the script and the record.
WINUSERAPI void WINAPI vqwinResetModal(void);

#ifdef __cplusplus
#include <string>
#include <vector>

namespace vqwin {

/// A message box as the record keeps it, with owned texts.
struct MessageBoxRecord {
  HWND owner;
  std::string caption, text;
  UINT type, icon, buttons;
  int defaultId, answer;
};

inline std::vector<MessageBoxRecord> MessageBoxRecords() {
  std::vector<MessageBoxRecord> out;
  VQWIN_MSGBOX_RECORD r;
  for (int i = 0; vqwinGetMessageBoxRecord(i, &r); ++i)
    out.push_back({r.owner, r.caption, r.text, r.type, r.icon, r.buttons, r.defaultId, r.answer});
  return out;
}

} // namespace vqwin
#endif

#endif
