// The history of recently used texts (paths, selections) behind a combo
// box. The bound combo box is kept in step item by item, so that its edit
// field and selection survive an insertion instead of being refilled.
#include "frame/library.h"

#include <cstring>

namespace {

constexpr char kTag[] = "CVQHistory";
constexpr UINT kReadBuffer = 512;

void StoreCut(char *item, const char *text) {
  const size_t n = strnlen(text, CVQHistory::kItemSize - 1);
  std::memcpy(item, text, n);
  item[n] = '\0';
}

bool EqualIgnoringCase(const char *a, const char *b) {
  for (;; ++a, ++b) {
    unsigned ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z')
      ca += 'a' - 'A';
    if (cb >= 'A' && cb <= 'Z')
      cb += 'a' - 'A';
    if (ca != cb)
      return false;
    if (ca == 0)
      return true;
  }
}

} // namespace

int CVQHistory::ParseItems(CVQConfFile &file, const char *keyword) {
  count = 0;
  char text[kReadBuffer];
  UINT length = 0;
  file.BeginSequence();
  while (count < kMaxItems && file.GetText(keyword, text, sizeof text, &length) == VQCF_OK)
    StoreCut(items[count++], text);
  file.EndSequence();
  return 1;
}

int CVQHistory::WriteItems(CVQConfFile &file, const char *keyword) const {
  for (UINT i = 0; i < count; ++i)
    if (!file.EditTextLine(keyword, items[i]))
      return 0;
  if (count > 0 && !file.EditComment(""))
    return 0;
  return 1;
}

UINT CVQHistory::InsertItem(const char *text) {
  if (!text || !*text) {
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Cannot insert empty item text.");
    return count;
  }
  char item[kItemSize];
  StoreCut(item, text);

  UINT from = count; // the slot that is overwritten by the move down
  if (count == 0) {
    count = 1;
  } else {
    for (UINT i = 0; i < count; ++i)
      if (EqualIgnoringCase(items[i], item)) {
        from = i;
        break;
      }
    if (from < count) {
      if (comboBox)
        SendMessageA(comboBox, CB_DELETESTRING, from, 0);
    } else if (count < kMaxItems) {
      ++count;
    } else {
      from = kMaxItems - 1;
      // The combo box loses the item that falls out, or it would show 17.
      if (comboBox)
        SendMessageA(comboBox, CB_DELETESTRING, from, 0);
    }
    std::memmove(items[1], items[0], size_t(from) * kItemSize);
  }
  if (comboBox) {
    SendMessageA(comboBox, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(comboBox, CB_SETCURSEL, 0, 0);
  }
  std::memcpy(items[0], item, kItemSize);
  return count;
}

int CVQHistory::FillComboBox(HWND window, UINT id, UINT selection) {
  HWND combo = id == 0 || id == UINT(-1) ? window : GetDlgItem(window, static_cast<int>(id));
  if (!combo || !IsWindow(combo)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "ComboBox %u not found in dialog window.", id);
    return 0;
  }
  comboBox = combo;
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (UINT i = 0; i < count; ++i)
    SendMessageA(combo, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(items[i]));
  if (selection < count)
    SendMessageA(combo, CB_SETCURSEL, selection, 0);
  return 1;
}
