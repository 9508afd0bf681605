// The modal loop shared by message boxes and dialogs, the script and hook
// that answer it, and the record of message boxes. Steps are carried out
// through the input path (InjectMouse / InjectKey), so a scripted click or
// key reaches the controls exactly as a user's would, dialog keys included.
#include "dialog/dialog_internal.h"

#include <vqwin_automation.h>

#include "backend/backend.h"
#include "kernel/cp1252.h"
#include "user/input.h"

#include <cstring>
#include <deque>
#include <list>
#include <vector>

namespace vqwin::dialog {
namespace {

// Messages of the list controls that a pick step uses.
constexpr UINT kLbSetCurSel = 0x0186;
constexpr UINT kCbSetCurSel = 0x014E;
constexpr WORD kSelChange = 1; // LBN_SELCHANGE and CBN_SELCHANGE

struct Hook {
  VQWIN_MODAL_HOOK fn = nullptr;
  void *context = nullptr;
};

Hook hook;
std::deque<VQWIN_MODAL_STEP> script;
// A list, so the texts a record hands out stay where they are.
std::list<MessageBoxEntry> records;

void PressKey(UINT vk, UINT modifiers) {
  const UINT keys[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
  for (int i = 0; i < 3; ++i)
    if (modifiers & (1u << i))
      user::InjectKey(keys[i], true, 0);
  user::InjectKey(vk, true, 0);
  user::InjectKey(vk, false, 0);
  for (int i = 2; i >= 0; --i)
    if (modifiers & (1u << i))
      user::InjectKey(keys[i], false, 0);
}

void TypeText(const char *text) {
  for (const char *p = text; *p; ++p) {
    UINT vk = 0;
    bool shift = false;
    if (user::KeyScan(*p, vk, shift)) {
      PressKey(vk, shift ? VQWIN_SHIFT : 0);
    } else {
      WCHAR ch = cp1252::ToUnicode(static_cast<unsigned char>(*p));
      user::InjectKey(VK_PACKET, true, ch);
      user::InjectKey(VK_PACKET, false, ch);
    }
  }
}

void Click(HWND control) {
  RECT rc;
  if (!GetClientRect(control, &rc))
    return;
  POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  ClientToScreen(control, &pt);
  user::InjectMouse(WM_MOUSEMOVE, pt);
  user::InjectMouse(WM_LBUTTONDOWN, pt);
  user::InjectMouse(WM_LBUTTONUP, pt);
}

// The control a step names: a child of the modal window, else one at any
// depth below it, preferring visible ones, so that steps reach the controls
// on a property sheet's current page (pages are children of the sheet and
// may repeat each other's ids).
HWND FindControl(HWND dlg, int id) {
  if (HWND direct = GetDlgItem(dlg, id))
    return direct;
  std::vector<HWND> level{dlg}, hidden;
  while (!level.empty()) {
    std::vector<HWND> next;
    for (HWND parent : level)
      for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(c) == id && parent != dlg) {
          if (IsWindowVisible(c))
            return c;
          hidden.push_back(c);
        }
        next.push_back(c);
      }
    level = std::move(next);
  }
  return hidden.empty() ? nullptr : hidden.front();
}

void Pick(HWND dlg, int id, int index) {
  HWND control = FindControl(dlg, id);
  char cls[16] = {};
  if (!control || !GetClassNameA(control, cls, sizeof cls))
    return;
  UINT msg = lstrcmpiA(cls, "COMBOBOX") == 0 ? kCbSetCurSel : kLbSetCurSel;
  SendMessageA(control, msg, static_cast<WPARAM>(index), 0);
  if (IsWindow(control))
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, kSelChange),
                 reinterpret_cast<LPARAM>(control));
}

void Perform(ModalLoop &loop, const VQWIN_MODAL_STEP &step) {
  HWND dlg = loop.info.hwnd;
  switch (step.action) {
  case VQWIN_STEP_ANSWER:
    loop.answer(step.id);
    break;
  case VQWIN_STEP_CLICK:
    if (HWND c = FindControl(dlg, step.id))
      Click(c);
    break;
  case VQWIN_STEP_TYPE:
    if (step.id)
      if (HWND c = FindControl(dlg, step.id))
        SetFocus(c);
    TypeText(step.text);
    break;
  case VQWIN_STEP_KEY:
    PressKey(step.key, step.modifiers);
    break;
  case VQWIN_STEP_PICK:
    Pick(dlg, step.id, step.index);
    break;
  case VQWIN_STEP_END:
    if (loop.info.kind == VQWIN_MODAL_MESSAGEBOX)
      loop.answer(step.id);
    else
      EndDialog(dlg, step.id);
    break;
  case VQWIN_STEP_PATH:
    if (loop.choosePath)
      loop.choosePath(step.text);
    break;
  default:
    loop.takeDefault();
    break;
  }
}

// The script's next step, else the hook's; false when neither has one.
bool NextStep(const VQWIN_MODAL_INFO &info, VQWIN_MODAL_STEP &step) {
  step = VQWIN_MODAL_STEP{};
  if (!script.empty()) {
    step = script.front();
    script.pop_front();
    return true;
  }
  return hook.fn && hook.fn(&info, &step, hook.context);
}

bool Queue(const VQWIN_MODAL_STEP &step) {
  if (step.action > VQWIN_STEP_END) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  script.push_back(step);
  return true;
}

VQWIN_MODAL_STEP MakeStep(UINT action, int id) {
  VQWIN_MODAL_STEP step{};
  step.action = action;
  step.id = id;
  return step;
}

} // namespace

bool RunModalLoop(ModalLoop &loop) {
  MSG msg;
  // Once the script and the hook have left the loop to a person at a
  // display, they are not asked again at every event the person makes.
  bool person = false;
  for (;;) {
    while (!loop.done() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      if (loop.filter && loop.filter(msg))
        continue;
      if (!IsDialogMessageA(loop.info.hwnd, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    if (loop.done() || !IsWindow(loop.info.hwnd))
      return true;
    if (loop.info.round >= VQWIN_MODAL_STEP_LIMIT) {
      // A script or hook that keeps the window open forever would hang the
      // host; past the limit the default decides, and then the loop ends.
      if (loop.info.round > VQWIN_MODAL_STEP_LIMIT)
        loop.forceEnd();
      else
        loop.takeDefault();
    } else {
      VQWIN_MODAL_STEP step;
      if (!person && NextStep(loop.info, step)) {
        Perform(loop, step);
      } else if (backend::Current().PollInput(true)) {
        person = true;
        continue; // a display delivered input: the person answers
      } else {
        loop.takeDefault();
      }
    }
    ++loop.info.round;
  }
}

void RecordMessageBox(MessageBoxEntry entry) { records.push_back(std::move(entry)); }

} // namespace vqwin::dialog

using namespace vqwin::dialog;

VQWIN_MODAL_HOOK WINAPI vqwinSetModalHook(VQWIN_MODAL_HOOK fn, void *context) {
  VQWIN_MODAL_HOOK old = hook.fn;
  hook = Hook{fn, context};
  return old;
}

BOOL WINAPI vqwinQueueModalStep(const VQWIN_MODAL_STEP *step) {
  if (!step) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  VQWIN_MODAL_STEP copy = *step;
  copy.text[VQWIN_STEP_TEXT_MAX - 1] = '\0';
  return Queue(copy);
}

BOOL WINAPI vqwinQueueMessageBoxAnswer(int id) { return Queue(MakeStep(VQWIN_STEP_ANSWER, id)); }

BOOL WINAPI vqwinQueueClick(int id) { return Queue(MakeStep(VQWIN_STEP_CLICK, id)); }

static BOOL QueueText(UINT action, int id, LPCSTR text) {
  if (!text) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  size_t n = std::strlen(text);
  if (n >= VQWIN_STEP_TEXT_MAX) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  VQWIN_MODAL_STEP step = MakeStep(action, id);
  std::memcpy(step.text, text, n + 1);
  return Queue(step);
}

BOOL WINAPI vqwinQueueType(int id, LPCSTR text) { return QueueText(VQWIN_STEP_TYPE, id, text); }

BOOL WINAPI vqwinQueuePath(LPCSTR path) { return QueueText(VQWIN_STEP_PATH, 0, path); }

BOOL WINAPI vqwinQueueKey(UINT vk, UINT modifiers) {
  VQWIN_MODAL_STEP step = MakeStep(VQWIN_STEP_KEY, 0);
  step.key = vk;
  step.modifiers = modifiers;
  return Queue(step);
}

BOOL WINAPI vqwinQueuePick(int id, int index) {
  VQWIN_MODAL_STEP step = MakeStep(VQWIN_STEP_PICK, id);
  step.index = index;
  return Queue(step);
}

BOOL WINAPI vqwinQueueEndDialog(int result) { return Queue(MakeStep(VQWIN_STEP_END, result)); }

int WINAPI vqwinPendingModalSteps(void) { return static_cast<int>(script.size()); }

void WINAPI vqwinClearModalScript(void) { script.clear(); }

int WINAPI vqwinGetMessageBoxCount(void) { return static_cast<int>(records.size()); }

BOOL WINAPI vqwinGetMessageBoxRecord(int index, VQWIN_MSGBOX_RECORD *out) {
  if (index < 0 || static_cast<size_t>(index) >= records.size() || !out) {
    SetLastError(index < 0 || out ? ERROR_INVALID_INDEX : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto it = records.begin();
  std::advance(it, index);
  *out = VQWIN_MSGBOX_RECORD{it->owner,
                             it->caption.c_str(),
                             it->text.c_str(),
                             it->type,
                             static_cast<UINT>(it->type & MB_ICONMASK),
                             static_cast<UINT>(it->type & MB_TYPEMASK),
                             it->defaultId,
                             it->answer};
  return TRUE;
}

void WINAPI vqwinClearMessageBoxRecords(void) { records.clear(); }

void WINAPI vqwinResetModal(void) {
  hook = Hook{};
  script.clear();
  records.clear();
}
