// Keyword tables shown in list boxes: the list box's item index is the
// table's row index, so a selection maps back to a row without a search.
#include "frame/library.h"

#include <cstring>

namespace {
constexpr char kTag[] = "CVQEnum";
} // namespace

void CEnumString::FillListBox(HWND listBox, UINT current) const {
  if (!listBox || !IsWindow(listBox))
    return;
  SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
  int selection = -1;
  for (UINT i = 0; rows && i < count; ++i) {
    // A keyword that fills all 32 bytes has no terminator of its own.
    char name[sizeof(Row::name) + 1];
    std::memcpy(name, rows[i].name, sizeof(Row::name));
    name[sizeof(Row::name)] = '\0';
    SendMessageA(listBox, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(name));
    if (selection < 0 && rows[i].value == current)
      selection = static_cast<int>(i);
  }
  SendMessageA(listBox, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

int CEnumString::GetListBoxSelection(HWND listBox, UINT *value) const {
  if (!listBox || !value || !IsWindow(listBox))
    return 0;
  const LRESULT index = SendMessageA(listBox, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) {
    theLibrary.PrtLog(VQLOG_WARNING, kTag,
                      "Error on inquiry of the currently selected listbox item");
    return 0;
  }
  if (index < 0 || static_cast<ULONGLONG>(index) >= count || !rows) {
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Item %d of %d currently selected in the listbox",
                      static_cast<int>(index), static_cast<int>(count));
    return 0;
  }
  if (rows[index].value == *value)
    return 0;
  *value = rows[index].value;
  return 1;
}
