// What the files of the table description share: its log tag, its message
// numbers and the bounded name helpers. Internal to vq_tbl32.
#ifndef VQ_TBL32_DESC_TABLE_DESC_H
#define VQ_TBL32_DESC_TABLE_DESC_H

#include "desc/record_table.h"

#include <cstring>

namespace vqdesc {

constexpr char kTableTag[] = "CVQTableDesc";
constexpr UINT kNotFound = ~0u;

// Numbered messages; their texts are in the resource modules. 1400 and
// 1410 each name two situations and are shown with and without arguments.
enum : UINT {
  kMsgTableName = 1400,
  kMsgNodeSmall = 1401,
  kMsgNodeLarge = 1402,
  kMsgNoFields = 1403,
  kMsgRecSize = 1404,
  kMsgNoKeys = 1405,
  kMsgOverlap = 1407,
  kMsgBadMark = 1408,
  kMsgUnused = 1409,
  kMsgNoMemory = 1410,
  kMsgAppendField = 1411,
  kMsgInsertKey = 1415,
  kMsgAppendKey = 1416,
  kMsgKeyLine = 1420,
  kMsgKeyDisp = 1421,
  kMsgNoGridControl = 1430,
  kMsgNoGridWindow = 1431,
  kMsgNoGrid = 1432,
  kMsgNoColumns = 1433,
  kMsgDescMemory = 1490,
};

/// A name member as a terminated text, for records filled by hand that may
/// run their member full.
template <size_t N> struct BoundedText {
  explicit BoundedText(const char (&member)[N]) {
    std::memcpy(text, member, N);
    text[N] = '\0';
  }
  char text[N + 1];
};

/// The combo box of the field and table fillers: `window` itself when
/// `controlId` is 0 or (UINT)-1, else its child; NULL (logged) when none.
inline HWND FindCombo(HWND window, UINT controlId, const char *tag) {
  HWND box = controlId == 0 || controlId == kNotFound
                 ? window
                 : GetDlgItem(window, static_cast<int>(controlId));
  if (box && IsWindow(box))
    return box;
  theLibrary.PrtLog(VQLOG_ERROR, tag, "Combo box control (%d) not found in dialog.",
                    static_cast<int>(controlId));
  return nullptr;
}

/// Fills the combo box with the names of `records` (the empty ones left
/// out) and selects the one for which `selected` holds. `none` is logged at
/// level 5 when there are no records.
template <typename T, typename Selected>
BOOL FillNameCombo(HWND window, UINT controlId, const T *records, UINT count, Selected selected,
                   const char *none, const char *tag) {
  HWND box = FindCombo(window, controlId, tag);
  if (!box)
    return 0;
  SendMessageA(box, CB_RESETCONTENT, 0, 0);
  if (!records || count == 0) {
    theLibrary.PrtLog(VQLOG_TRACE, tag, "%s", none);
    return 1;
  }
  for (UINT i = 0; i < count; ++i) {
    const BoundedText name(records[i].name);
    if (name.text[0] == '\0')
      continue;
    const LRESULT entry = SendMessageA(box, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(name.text));
    if (entry >= 0 && selected(records[i]))
      SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
  }
  return 1;
}

/// The selected entry of the combo box into `buffer` of `size` bytes (a
/// name's room); an entry that does not fit is refused, not cut.
inline BOOL GetComboSelection(HWND window, UINT controlId, char *buffer, size_t size,
                              const char *tag) {
  HWND box = FindCombo(window, controlId, tag);
  if (!box)
    return 0;
  const LRESULT selection = SendMessageA(box, CB_GETCURSEL, 0, 0);
  if (selection == CB_ERR) {
    theLibrary.PrtLog(VQLOG_WARNING, tag, "No item selected in data table combo box.");
    return 0;
  }
  const LRESULT length = SendMessageA(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(selection), 0);
  if (!buffer || length == CB_ERR || length >= LRESULT(size) ||
      SendMessageA(box, CB_GETLBTEXT, static_cast<WPARAM>(selection),
                   reinterpret_cast<LPARAM>(buffer)) == CB_ERR) {
    theLibrary.PrtLog(VQLOG_ERROR, tag, "Error on inquiry of combo box item %d",
                      static_cast<int>(selection));
    return 0;
  }
  return 1;
}

/// The editor's layout of every description text; what the numbers mean is
/// the editor's.
constexpr UINT kEditLayout[6] = {65536, 8, 32, 24, 80, 104};

/// Starts `editor` and writes the comment header of a description text:
/// the title, the name line when `name` is given, a remark, the program
/// line and the date of writing. false when the editor cannot start.
inline bool StartDescription(CVQConfFile &editor, const char *title, const char *name,
                             const char *remark, const char *program) {
  const UINT *l = kEditLayout;
  if (!editor.StartEdit(l[0], l[1], l[2], l[3], l[4], l[5]))
    return false;
  editor.EditHdDelLine();
  editor.EditHdEmptyLine();
  editor.EditHdParamLine(0, title);
  if (name)
    editor.EditHdParamLine(2, name);
  editor.EditHdEmptyLine();
  editor.EditHdDelLine();
  editor.EditHdEmptyLine();
  editor.EditHdParamLine(3, remark);
  editor.EditHdParamLine(4, program);
  editor.EditHdEmptyLine();
  editor.EditHdParamLine(5, nullptr); // the date and time of writing
  editor.EditHdParamLine(6, "");
  editor.EditHdEmptyLine();
  editor.EditHdDelLine();
  editor.EditComment();
  return true;
}

} // namespace vqdesc

#endif
