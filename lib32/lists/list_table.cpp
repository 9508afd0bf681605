/*
 * List-box and combo-box tables: static rows of (value, string number)
 * whose texts come from the resource module of the current language, so a
 * language switch shows at the next fill. The controls are driven only
 * through messages.
 */
#include <vq_lib32.h>

#include <cstdio>

namespace {

constexpr char kTag[] = "CVQListBox";
constexpr UINT kNone = ~0u;

} // namespace

UINT CVQListTable::FindValue(UINT value) const {
  for (UINT i = 0; rows && i < count; ++i)
    if (rows[i].value == value)
      return i;
  return kNone;
}

UINT CVQListTable::GetText(UINT index, char *buffer, UINT size) const {
  if (!buffer || size == 0 || !rows || index >= count)
    return 0;
  HINSTANCE module = lib ? lib->GetResourceModule() : nullptr;
  int n = module ? LoadStringA(module, rows[index].stringId, buffer, static_cast<int>(size)) : 0;
  if (n > 0)
    return static_cast<UINT>(n);
  // The number keeps a row visible and tells which text is missing.
  n = std::snprintf(buffer, size, "<%u>", rows[index].stringId);
  return n < 0 ? 0 : (static_cast<UINT>(n) < size ? static_cast<UINT>(n) : size - 1);
}

int CVQListTable::Fill(HWND control, UINT value, UINT reset, UINT insert, UINT select) const {
  CVQLogFile &log = lib ? *lib : CVQLogFile::GetDefault();
  if (!IsWindow(control)) {
    log.PrtLog(VQLOG_ERROR, kTag, "No list control to fill: %p", static_cast<void *>(control));
    return 0;
  }
  SendMessageA(control, reset, 0, 0);
  char text[256];
  for (UINT i = 0; rows && i < count; ++i) {
    GetText(i, text, sizeof text);
    LRESULT at =
        SendMessageA(control, insert, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    if (at < 0) {
      log.PrtLog(VQLOG_ERROR, kTag, "Error %d on inserting item %u of %u", static_cast<int>(at), i,
                 count);
      return 0;
    }
  }
  // WPARAM -1 clears the selection when no row holds the value.
  UINT row = FindValue(value);
  SendMessageA(control, select, row == kNone ? static_cast<WPARAM>(-1) : row, 0);
  return 1;
}

UINT CVQListTable::Selected(HWND control, UINT getSelection, const char *what) const {
  if (!IsWindow(control))
    return kNone;
  LRESULT index = SendMessageA(control, getSelection, 0, 0);
  if (index < 0 || static_cast<ULONG_PTR>(index) >= count) {
    CVQLogFile &log = lib ? *lib : CVQLogFile::GetDefault();
    log.PrtLog(VQLOG_TRACE, kTag, "No %s item selected", what);
    return kNone;
  }
  return GetValue(static_cast<UINT>(index));
}

int CVQListBox::Display(HWND listBox, UINT value) const {
  return Fill(listBox, value, LB_RESETCONTENT, LB_INSERTSTRING, LB_SETCURSEL);
}

UINT CVQListBox::Select(HWND listBox) const { return Selected(listBox, LB_GETCURSEL, "listbox"); }

int CVQListTable::DisplayCombo(HWND comboBox, UINT value) const {
  return Fill(comboBox, value, CB_RESETCONTENT, CB_INSERTSTRING, CB_SETCURSEL);
}

UINT CVQListTable::SelectCombo(HWND comboBox) const {
  return Selected(comboBox, CB_GETCURSEL, "combobox");
}

int CVQComboBox::Display(HWND comboBox, UINT value) const { return DisplayCombo(comboBox, value); }

UINT CVQComboBox::Select(HWND comboBox) const { return SelectCombo(comboBox); }
