// The three option dialogs of a type word: number options (signed, leading
// zeros, grouping, decimal comma, decimals), decimal options (grouping,
// decimal comma, decimals) and date/time options (date part with its
// format, time part with its format). Each click on a check box toggles its
// bit at once; OK puts the word together and reports whether it changed.
//
// Bits a dialog does not show are kept as they were (a signed decimal
// stays signed, a text's case flag stays), so OK without a change always
// gives back the word it started with.
//
// The dialogs are modal and one at a time, so their state is kept once.
#include "desc/type_options.h"

#include "frame/library.h"

#include <commctrl.h>

namespace vqdesc {
namespace {

constexpr UINT kNumberDialog = 5330, kDecimalDialog = 5340, kDateTimeDialog = 5350;
enum : int {
  kDateFormat = 5360,
  kTimeFormat = 5361,
  kOk = 5370,
  kCancel = 5371,
  kSigned = 5380,
  kZeros = 5381,
  kGrouping = 5382,
  kComma = 5383,
  kSpin = 5384,
  kDecimals = 5385,
  kDate = 5386,
  kTime = 5387,
};
constexpr UINT kMaxSpin = 32767;
constexpr UINT kDecimalsMask = 0x0F; // four bits of the word hold the decimals

constexpr CVQListTable::Row kDateRows[] = {
    {0, 2500}, {1, 2501}, {2, 2502}, {3, 2503},  {4, 2504},  {5, 2505},  {6, 2506},
    {7, 2507}, {8, 2508}, {9, 2509}, {10, 2510}, {11, 2511}, {12, 2512},
};
constexpr CVQListTable::Row kTimeRows[] = {{0, 2600}, {1, 2601}, {2, 2602}, {3, 2603}};
const CVQComboBox cbDateFormats(kDateRows, &theLibrary);
const CVQComboBox cbTimeFormats(kTimeRows, &theLibrary);

// The check boxes and the bit each one stands for.
struct Check {
  int id;
  UINT bit;
};
constexpr Check kChecks[] = {
    {kSigned, twSIGNED},  {kZeros, twLEADZERO}, {kGrouping, twGROUPING},
    {kComma, twDECCOMMA}, {kDate, twDATE},      {kTime, twTIME},
};

struct OptionState {
  UINT *word = nullptr; // in/out
  UINT edited = 0;      // the bits the running dialog shows
  UINT bits = 0;        // check box bits as the user left them
  UINT decimals = 0;
};

OptionState &State() {
  static OptionState state;
  return state;
}

UINT EditedBits(UINT dialog) {
  switch (dialog) {
  case kNumberDialog:
    return twSIGNED | twLEADZERO | twGROUPING | twDECCOMMA | twDECIMALS;
  case kDecimalDialog:
    return twGROUPING | twDECCOMMA | twDECIMALS;
  default:
    return twDATE | twTIME | twDECIMALS | twTIMEFMT;
  }
}

void InitDialog(HWND dlg) {
  OptionState &s = State();
  const UINT word = *s.word;
  s.bits = word & s.edited & ~(twDECIMALS | twTIMEFMT);
  for (const Check &c : kChecks)
    CheckDlgButton(dlg, c.id, (s.bits & c.bit) ? BST_CHECKED : BST_UNCHECKED);
  // The buddy reports every text it is given, the spin control's first
  // one too: the decimals are read back from it rather than set here.
  const UINT decimals = (word & twDECIMALS) >> twDECIMALS_SHIFT;
  if (HWND spin = GetDlgItem(dlg, kSpin)) {
    SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dlg, kDecimals)), 0);
    SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(kMaxSpin, 0));
    SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(decimals, 0));
  }
  SetDlgItemInt(dlg, kDecimals, decimals, FALSE);
  s.decimals = decimals;
  if (GetDlgItem(dlg, kDateFormat)) {
    cbDateFormats.Display(GetDlgItem(dlg, kDateFormat), decimals);
    cbTimeFormats.Display(GetDlgItem(dlg, kTimeFormat), (word & twTIMEFMT) >> twTIMEFMT_SHIFT);
    EnableDlgItem(dlg, kDateFormat, (s.bits & twDATE) != 0);
    EnableDlgItem(dlg, kTimeFormat, (s.bits & twTIME) != 0);
  }
  CenterWindow(dlg);
}

// The format chosen in a combo box, or `old` when none is.
UINT Chosen(const CVQComboBox &table, HWND box, UINT old) {
  const UINT value = table.Select(box);
  return value == ~0u ? old : value;
}

UINT BuildWord(HWND dlg) {
  const OptionState &s = State();
  const UINT old = *s.word;
  UINT word = (old & ~s.edited) | s.bits;
  if (GetDlgItem(dlg, kDateFormat)) {
    if (s.bits & twDATE)
      word |= (Chosen(cbDateFormats, GetDlgItem(dlg, kDateFormat),
                      (old & twDECIMALS) >> twDECIMALS_SHIFT)
               << twDECIMALS_SHIFT) &
              twDECIMALS;
    if (s.bits & twTIME)
      word |=
          (Chosen(cbTimeFormats, GetDlgItem(dlg, kTimeFormat), (old & twTIMEFMT) >> twTIMEFMT_SHIFT)
           << twTIMEFMT_SHIFT) &
          twTIMEFMT;
  } else {
    word |= (s.decimals & kDecimalsMask) << twDECIMALS_SHIFT;
  }
  return word;
}

INT_PTR OnCommand(HWND dlg, int id, UINT code) {
  OptionState &s = State();
  for (const Check &c : kChecks)
    if (id == c.id && code == BN_CLICKED) {
      s.bits ^= c.bit;
      if (c.bit == twDATE || c.bit == twTIME)
        EnableDlgItem(dlg, c.bit == twDATE ? kDateFormat : kTimeFormat, (s.bits & c.bit) != 0);
      return TRUE;
    }
  switch (id) {
  case kDecimals:
    if (code == EN_CHANGE) {
      BOOL ok = FALSE;
      const UINT value = GetDlgItemInt(dlg, kDecimals, &ok, FALSE);
      if (ok)
        s.decimals = value;
    }
    return TRUE;
  case kOk: {
    const UINT word = BuildWord(dlg);
    const bool changed = word != *s.word;
    *s.word = word;
    EndDialog(dlg, changed ? 1 : 0);
    return TRUE;
  }
  case kCancel:
  case IDCANCEL:
    EndDialog(dlg, 0);
    return TRUE;
  default:
    return FALSE;
  }
}

INT_PTR CALLBACK OptionDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
  case WM_INITDIALOG:
    InitDialog(dlg);
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

INT_PTR EditTypeOptions(HWND parent, UINT *word) {
  if (!word)
    return 0;
  UINT dialog = 0;
  switch (*word & twKIND) {
  case pkNUMBER:
    dialog = kNumberDialog;
    break;
  case pkDATETIME:
    dialog = kDateTimeDialog;
    break;
  case pkDECIMAL:
    dialog = kDecimalDialog;
    break;
  default:
    return 0;
  }
  OptionState &s = State();
  UINT copy = *word;
  s.word = &copy;
  s.edited = EditedBits(dialog);
  const INT_PTR result = theLibrary.DispDialogBoxParam(
      MAKEINTRESOURCEA(dialog), parent, OptionDialogProc, reinterpret_cast<LPARAM>(&copy));
  s.word = nullptr;
  if (result == 1)
    *word = copy;
  return result;
}

} // namespace vqdesc
