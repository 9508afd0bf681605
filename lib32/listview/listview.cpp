// CVQListView: columns of a report-view list view from a static table, and
// the items the callers then fill column by column. Header texts given as
// string numbers come from the context's resource module; a number the
// module lacks shows as "<N>", as the list-box tables do.
#include <windows.h>

#include <commctrl.h>

#include <vq_lib32.h>

#include <cstdio>

namespace {

const char kTag[] = "CVQListView";

int Format(UINT format) {
  switch (format & 3) {
  case 1:
    return LVCFMT_RIGHT;
  case 2:
    return LVCFMT_CENTER;
  default:
    return LVCFMT_LEFT;
  }
}

void HeaderText(CVQLibrary *lib, LPCSTR header, char *buffer, int size) {
  if (!header) {
    buffer[0] = '\0';
  } else if (IS_INTRESOURCE(header)) {
    UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(header));
    HINSTANCE module = lib ? lib->GetResourceModule() : NULL;
    if (!module || LoadStringA(module, id, buffer, size) <= 0)
      std::snprintf(buffer, static_cast<size_t>(size), "<%u>", id);
  } else {
    std::snprintf(buffer, static_cast<size_t>(size), "%s", header);
  }
}

} // namespace

int CVQListView::DispHeader(HWND listView, HWND owner, UINT clear) {
  (void)owner; // boxes of this class have no owner of their own to name
  if (!listView || !IsWindow(listView)) {
    if (lib)
      lib->PrtLog(0, kTag, "DispHeader: no list view window.");
    return 0;
  }
  list = listView;
  if (clear) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0))
      ;
    itemCount = 0;
  }
  RECT r;
  GetClientRect(list, &r);
  for (UINT i = 0; i < count; ++i) {
    char text[256];
    HeaderText(lib, columns[i].header, text, sizeof text);
    LVCOLUMNA c = {};
    c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    c.fmt = Format(columns[i].format);
    c.cx = static_cast<int>((columns[i].width * static_cast<UINT>(r.right) + 50) / 100);
    c.pszText = text;
    c.iSubItem = static_cast<int>(i);
    if (SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c)) < 0) {
      if (lib)
        lib->PrtLog(0, kTag, "Cannot insert column %u into the list view.", i);
      return 0;
    }
  }
  return 1;
}

int CVQListView::InsertItem(UINT item, LPARAM itemData, UINT state) {
  if (!list || !IsWindow(list)) {
    if (lib)
      lib->PrtLog(0, kTag, "InsertItem(%u): no list view window.", item);
    return -1;
  }
  LVITEMA it = {};
  it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
  it.iItem = static_cast<int>(item);
  it.pszText = const_cast<LPSTR>("");
  it.lParam = itemData;
  it.state = state;
  it.stateMask = static_cast<UINT>(-1);
  int index =
      static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
  if (index < 0) {
    if (lib)
      lib->PrtLog(0, kTag, "Cannot insert item %u into the list view.", item);
    return -1;
  }
  ++itemCount;
  return index;
}

int CVQListView::SetItemInt(UINT item, UINT subItem, int value) {
  if (!list)
    return 0;
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  LVITEMA it = {};
  it.iSubItem = static_cast<int>(subItem);
  it.pszText = text;
  return SendMessageA(list, LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it)) ? 1 : 0;
}
