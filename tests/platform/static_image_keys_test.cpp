// Icon and bitmap statics with the icons DrawIconEx paints (mask and image
// combined over what lies beneath), and dialog mnemonics: which control a
// letter reaches, with or without Alt, from which focus.
#include "control_fixture.h"

#include "dialog_data/dialog_ids.h"

namespace vqtest {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

std::vector<IdCode> dialogCommands;

// Button commands only: the edit's own notifications are not the point.
INT_PTR CALLBACK RecordingProc(HWND, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_COMMAND && LOWORD(wp) != IDC_EDIT)
    dialogCommands.push_back({LOWORD(wp), HIWORD(wp)});
  return msg == WM_INITDIALOG;
}

HINSTANCE Program() { return GetModuleHandleA(nullptr); }

using ImageTest = DialogTest;

TEST_F(ImageTest, DrawIconExCombinesMaskAndImage) {
  HICON icon = LoadIconA(Program(), MAKEINTRESOURCEA(IDI_TEST));
  ASSERT_TRUE(icon);
  HDC dc = GetDC(parent);
  RECT all{0, 0, 100, 100};
  HBRUSH red = CreateSolidBrush(kRed);
  FillRect(dc, &all, red);
  ASSERT_TRUE(DrawIconEx(dc, 10, 10, icon, 0, 0, 0, nullptr, DI_NORMAL));
  ASSERT_TRUE(DrawIconEx(dc, 40, 10, icon, 32, 32, 0, nullptr, DI_NORMAL)); // doubled
  ASSERT_TRUE(DrawIconEx(dc, 10, 60, icon, 0, 0, 0, nullptr, DI_IMAGE));
  ReleaseDC(parent, dc);
  DeleteObject(red);
  struct Row {
    const char *name;
    int x, y;
    COLORREF want;
  } rows[] = {
      {"transparent part", 10 + 5, 10 + 10, kRed},
      {"inverted part", 10 + 1, 10 + 1, RGB(0, 255, 255)},
      {"opaque part", 10 + 12, 10 + 5, kWhite},
      {"left of the icon", 9, 15, kRed},
      {"doubled: transparent", 40 + 10, 10 + 20, kRed},
      {"doubled: inverted", 40 + 7, 10 + 7, RGB(0, 255, 255)},
      {"doubled: opaque", 40 + 30, 10 + 30, kWhite},
      {"doubled: past the end", 40 + 32, 10 + 30, kRed},
      {"image only: black", 10 + 5, 60 + 10, kBlack},
      {"image only: white", 10 + 1, 60 + 1, kWhite},
  };
  for (const Row &r : rows)
    EXPECT_EQ(vqwinGetPixel(parent, r.x, r.y), r.want) << r.name;

  HDC again = GetDC(parent);
  SetLastError(0);
  EXPECT_FALSE(DrawIconEx(again, 0, 0, reinterpret_cast<HICON>(parent), 0, 0, 0, nullptr, 3));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_CURSOR_HANDLE));
  EXPECT_FALSE(DrawIconEx(again, 0, 0, icon, 0, 0, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(DrawIcon(again, 0, 0, LoadCursorA(nullptr, IDC_ARROW)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_TRUE(DrawIcon(again, 0, 0, LoadIconA(nullptr, IDI_EXCLAMATION)));
  ReleaseDC(parent, again);
  EXPECT_EQ(vqwinGetPixel(parent, 16, 4), RGB(255, 255, 0)) << "the warning sign";
}

TEST_F(ImageTest, StaticsShowTemplateIconsAndSetImages) {
  HWND dlg = CreateDialogParamA(Program(), MAKEINTRESOURCEA(IDD_IMAGES), parent, RecordingProc, 0);
  ASSERT_TRUE(dlg);
  ShowWindow(dlg, SW_SHOW);
  vqwinRunUntilIdle();
  HWND icon = GetDlgItem(dlg, IDC_ICON), bitmap = GetDlgItem(dlg, IDC_BITMAP);
  HICON loaded = LoadIconA(Program(), MAKEINTRESOURCEA(IDI_TEST));
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)), loaded);
  RECT rc{};
  GetClientRect(icon, &rc);
  EXPECT_EQ(rc.right, 16) << "the control takes the icon's size";
  EXPECT_EQ(vqwinGetPixel(icon, 12, 5), kWhite);
  EXPECT_EQ(vqwinGetPixel(icon, 5, 10), GetSysColor(COLOR_3DFACE)) << "the face shows through";

  HBITMAP check = LoadBitmapA(Program(), MAKEINTRESOURCEA(IDB_TEST));
  struct Row {
    const char *name;
    HWND control;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    LRESULT want;
  } rows[] = {
      {"bitmap into an icon static", icon, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)check, 0},
      {"icon into a bitmap static", bitmap, STM_SETIMAGE, IMAGE_ICON, (LPARAM)loaded, 0},
      {"no image", bitmap, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)parent, 0},
      {"first bitmap", bitmap, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)check, 0},
      {"bitmap back", bitmap, STM_GETIMAGE, IMAGE_BITMAP, 0, (LRESULT)check},
      {"wrong kind asked", bitmap, STM_GETIMAGE, IMAGE_ICON, 0, 0},
      {"icon unchanged", icon, STM_GETIMAGE, IMAGE_ICON, 0, (LRESULT)loaded},
  };
  for (const Row &r : rows)
    EXPECT_EQ(SendMessageA(r.control, r.msg, r.wp, r.lp), r.want) << r.name;
  vqwinRunUntilIdle();
  GetClientRect(bitmap, &rc);
  EXPECT_GT(rc.right, 16) << "SS_CENTERIMAGE keeps the control's size";
  int left = (rc.right - 16) / 2, top = (rc.bottom - 16) / 2;
  EXPECT_EQ(vqwinGetPixel(bitmap, left + 1, top + 1), kBlack);
  EXPECT_EQ(vqwinGetPixel(bitmap, left + 5, top + 1), GetSysColor(COLOR_3DFACE))
      << "a monochrome bitmap's set bits take the background colour the parent chose";

  HICON warning = LoadIconA(nullptr, IDI_WARNING);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(icon, STM_SETICON, (WPARAM)warning, 0)), loaded);
  vqwinRunUntilIdle();
  GetClientRect(icon, &rc);
  EXPECT_EQ(rc.right, 32) << "system icons are 32 pixels";
  EXPECT_EQ(vqwinGetPixel(icon, 16, 4), RGB(255, 255, 0));
  DestroyWindow(dlg);
  DeleteObject(check);
}

using MnemonicTest = DialogTest;

TEST_F(MnemonicTest, LettersReachTheirControls) {
  struct Row {
    const char *name;
    int focus; // control focused first
    UINT vk;
    UINT modifiers;
    int focusAfter;
    std::vector<IdCode> commands;
    bool checked;
    const char *editText;
  } rows[] = {
      {"label leads to its edit", IDOK, 'N', 0, IDC_EDIT, {}, false, ""},
      {"edits take plain letters", IDC_EDIT, 'A', 0, IDC_EDIT, {}, false, "a"},
      {"Alt reaches past an edit",
       IDC_EDIT,
       'A',
       VQWIN_ALT,
       IDC_ACTIVE,
       {{IDC_ACTIVE, BN_CLICKED}},
       true,
       ""},
      {"push buttons are clicked, taking the focus as a click does",
       IDOK,
       'P',
       0,
       IDC_APPLY,
       {{IDC_APPLY, BN_CLICKED}},
       false,
       ""},
      {"Alt clicks a button from an edit",
       IDC_EDIT,
       'P',
       VQWIN_ALT,
       IDC_APPLY,
       {{IDC_APPLY, BN_CLICKED}},
       false,
       ""},
      {"disabled buttons do not answer", IDOK, 'O', 0, IDOK, {}, false, ""},
      {"unknown letters do nothing", IDOK, 'Z', VQWIN_ALT, IDOK, {}, false, ""},
  };
  for (const Row &r : rows) {
    HWND dlg = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_KEYS), parent, RecordingProc, 0);
    ASSERT_TRUE(dlg) << r.name;
    ShowWindow(dlg, SW_SHOW);
    PumpDialog(dlg);
    SetFocus(GetDlgItem(dlg, r.focus));
    dialogCommands.clear();
    DialogKey(dlg, r.vk, r.modifiers);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), r.focusAfter) << r.name;
    EXPECT_EQ(dialogCommands, r.commands) << r.name;
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_ACTIVE), r.checked ? 1u : 0u) << r.name;
    EXPECT_EQ(Text(GetDlgItem(dlg, IDC_EDIT)), r.editText) << r.name;
    DestroyWindow(dlg);
  }
}

} // namespace
} // namespace vqtest
