// A list-view field description set in standard list views: the field
// list (one item per field), and records (one column per field, sized in
// percent of the control's client width, one item per record); and the
// texts of single fields of a record.
#include "tblfld/tblfld.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

using namespace vqtblfld;

namespace {

constexpr UINT kFieldText = 256;

void SetText(HWND listView, int item, int column, const char *text) {
  LVITEMA it = {};
  it.iSubItem = column;
  it.pszText = const_cast<LPSTR>(text);
  SendMessageA(listView, LVM_SETITEMTEXTA, static_cast<WPARAM>(item),
               reinterpret_cast<LPARAM>(&it));
}

UINT ClientWidth(HWND listView) {
  RECT r = {};
  if (!GetClientRect(listView, &r) || r.right <= 0)
    return 0;
  return static_cast<UINT>(r.right);
}

// Keeps the columns inside the client width: each is cut to what the
// columns before it left.
void SetWidths(HWND listView, UINT count, UINT total, UINT (*width)(HWND, UINT, UINT, const void *),
               const void *context) {
  unsigned long long used = 0;
  for (UINT i = 0; i < count; ++i) {
    unsigned long long cx = width(listView, i, total, context);
    cx = std::min(cx, total - used);
    used += cx;
    SendMessageA(listView, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(static_cast<int>(cx), 0));
  }
}

// The field's place inside a record of `recordLength` bytes: false when it
// starts outside; `*length` is its length cut to the record's end.
bool FieldInRecord(const SVQTblField &f, const void *record, UINT recordLength, UINT *length) {
  if (!record || f.position >= recordLength)
    return false;
  *length = std::min(f.length, recordLength - f.position);
  return true;
}

// What GetDataField and EditDataField share: the output emptied, and the
// field's bytes inside the record with their length, or NULL when there is
// nothing to write (no output, room for the terminator only, no such field,
// a field outside the record).
const char *FieldForOutput(const SVQTblField *fields, UINT count, UINT index, const void *record,
                           UINT recordLength, char *output, UINT size, UINT *length) {
  if (!output || size == 0)
    return nullptr;
  output[0] = '\0';
  if (size == 1 || !fields || index >= count ||
      !FieldInRecord(fields[index], record, recordLength, length))
    return nullptr;
  return static_cast<const char *>(record) + fields[index].position;
}

} // namespace

void CVQTblFldDesc::FillDescLV(CVQListView &listView) const {
  HWND list = listView.GetListView();
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  listView.itemCount = 0;
  for (UINT i = 0; fields && i < count; ++i) {
    const SVQTblField &f = fields[i];
    const int item = listView.InsertItem(i, static_cast<LPARAM>(i), 0);
    if (item < 0)
      break;
    char text[kFieldText];
    SetText(list, item, 0, f.name);
    listView.SetItemInt(static_cast<UINT>(item), 1, static_cast<int>(f.position));
    listView.SetItemInt(static_cast<UINT>(item), 2, static_cast<int>(f.length));
    // A code past the block of type names would name another vocabulary.
    if (f.type >= 100)
      text[0] = '\0';
    else
      LoadText(kTypeNames + f.type, text, sizeof text);
    SetText(list, item, 3, text);
    listView.SetItemInt(static_cast<UINT>(item), 4, f.width);
    LoadText(JustName(f.justification), text, sizeof text);
    SetText(list, item, 5, text);
  }
}

int CVQTblFldDesc::DispDataHeader(HWND listView) const {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the message answers with a handle
  HWND header = reinterpret_cast<HWND>(SendMessageA(listView, LVM_GETHEADER, 0, 0));
  const LRESULT columns = header ? SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) : 0;
  const UINT have = columns > 0 ? static_cast<UINT>(columns) : 0;
  if (!fields || have >= count)
    return 1;
  const UINT total = ClientWidth(listView);
  for (UINT i = 0; i < count; ++i) {
    const SVQTblField &f = fields[i];
    LVCOLUMNA c = {};
    c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    c.fmt = f.justification <= kJustMiddle ? static_cast<int>(f.justification) : LVCFMT_LEFT;
    c.cx = static_cast<int>((f.width * total + 50) / 100);
    c.pszText = const_cast<LPSTR>(fields[i].name);
    c.iSubItem = static_cast<int>(i);
    if (SendMessageA(listView, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c)) < 0) {
      theLibrary.PrtLog(VQLOG_ERROR, kFldTag, "Error on ListView_InsertColumn %u", i);
      theLibrary.ErrorBox(kMsgInsertColumn, i + 1);
      return 0;
    }
  }
  return 1;
}

int CVQTblFldDesc::ResizeDataHeader(HWND listView) const {
  const UINT total = ClientWidth(listView);
  if (total == 0) {
    theLibrary.PrtLog(VQLOG_WARNING, kFldTag, "ResizeDataHeader: New table width is zero.");
    return 1;
  }
  SetWidths(
      listView, fields ? count : 0, total,
      [](HWND, UINT i, UINT w, const void *set) {
        const SVQTblField &f = static_cast<const CVQTblFldDesc *>(set)->fields[i];
        return static_cast<UINT>((f.width * static_cast<unsigned long long>(w) + 50) / 100);
      },
      this);
  return 1;
}

int CVQTblFldDesc::ResizeDataHeader(HWND listView, UINT oldWidth, UINT) const {
  if (oldWidth == 0)
    return ResizeDataHeader(listView);
  const UINT total = ClientWidth(listView);
  if (total == 0) {
    theLibrary.PrtLog(VQLOG_WARNING, kFldTag, "ResizeDataHeader: New table width is zero.");
    return 1;
  }
  SetWidths(
      listView, fields ? count : 0, total,
      [](HWND list, UINT i, UINT w, const void *old) {
        const UINT before = *static_cast<const UINT *>(old);
        const LRESULT c = SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0);
        const unsigned long long present = c > 0 ? static_cast<unsigned long long>(c) : 0;
        const unsigned long long scaled = (present * w + before / 2) / before;
        return static_cast<UINT>(std::min(scaled, static_cast<unsigned long long>(w)));
      },
      &oldWidth);
  return 1;
}

int CVQTblFldDesc::InsertDataLine(HWND listView, UINT line, LPARAM lineData, const void *record,
                                  UINT recordLength) const {
  LVITEMA it = {};
  it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
  it.iItem = static_cast<int>(line);
  it.pszText = LPSTR_TEXTCALLBACKA; // NOLINT(performance-no-int-to-ptr)
  it.lParam = lineData;
  const LRESULT item = SendMessageA(listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
  if (item < 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kFldTag, "Error on ListView_InsertItem %u", line);
    theLibrary.ErrorBox(kMsgInsertItem, line + 1);
    return 0;
  }
  const char *bytes = static_cast<const char *>(record);
  for (UINT i = 0; fields && i < count; ++i) {
    UINT length = 0;
    if (!FieldInRecord(fields[i], record, recordLength, &length))
      continue;
    char text[kFieldText];
    if (!FormatEngineField(&fields[i], text, sizeof text, bytes + fields[i].position, length))
      text[0] = '\0';
    SetText(listView, static_cast<int>(item), static_cast<int>(i), text);
  }
  // The item that no longer fits brings the vertical scroll bar, which
  // narrows the client area: the columns follow it.
  const LRESULT items = SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0);
  if (items == SendMessageA(listView, LVM_GETCOUNTPERPAGE, 0, 0) + 1)
    ResizeDataHeader(listView);
  return 1;
}

UINT CVQTblFldDesc::GetDataField(UINT index, const void *record, UINT recordLength, char *output,
                                 UINT size) const {
  UINT length = 0;
  const char *p = FieldForOutput(fields, count, index, record, recordLength, output, size, &length);
  if (!p)
    return 0;
  size_t n = strnlen(p, length);
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (n > 0 && blank(*p))
    ++p, --n;
  while (n > 0 && blank(p[n - 1]))
    --n;
  n = std::min<size_t>(n, size - 1);
  std::memcpy(output, p, n);
  output[n] = '\0';
  return static_cast<UINT>(n);
}

UINT CVQTblFldDesc::EditDataField(UINT index, const void *record, UINT recordLength, char *output,
                                  UINT size) const {
  UINT length = 0;
  const char *p = FieldForOutput(fields, count, index, record, recordLength, output, size, &length);
  if (!p)
    return 0;
  if (!FormatEngineField(&fields[index], output, size, p, length))
    output[0] = '\0';
  return length;
}
