// The save-file dialog: what a chosen path turns into (extensions, offsets,
// title, filter index), the refusals that keep the dialog open, the errors
// CommDlgExtendedError reports, and the dialog's controls driven as a user
// would (folder list, name edit, type list).
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <vqwin_automation.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char kFilter[] = "ISAM files\0*.isa\0All files\0*.*\0";

class SaveDialog : public ::testing::Test {
protected:
  void SetUp() override {
    vqwinResetWindows();
    vqwinResetModal();
    SetThreadUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    dir = fs::path(testing::TempDir()) / ("savedlg_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    for (const char *name : {"a.isa", "b.cfg", "old.isa"})
      std::ofstream(dir / name) << "x";
    std::memset(file, 0, sizeof file);
    std::memset(title, 0, sizeof title);
    ofn = OPENFILENAMEA{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = sizeof title;
    initialDir = dir.string();
    ofn.lpstrInitialDir = initialDir.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST;
  }
  void TearDown() override {
    vqwinSetModalHook(nullptr, nullptr);
    vqwinResetModal();
    vqwinResetWindows();
    SetThreadUILanguage(0);
    fs::remove_all(dir);
  }
  std::string In(const char *name) const { return (dir / name).string(); }

  fs::path dir;
  std::string initialDir;
  char file[260];
  char title[260];
  OPENFILENAMEA ofn{};
};

TEST_F(SaveDialog, ChosenPaths) {
  struct Row {
    const char *name;
    const char *typed; // relative to the test folder unless absolute
    DWORD flags;
    const char *defExt;
    DWORD filterIndex;
    int answer; // to the message box the path raises; 0 for none expected
    BOOL result;
    const char *path; // relative to the test folder
    const char *fileTitle;
    int extension; // offset from the name's start; -1 for 0
  } rows[] = {
      {"no extension asked", "new", 0, nullptr, 1, 0, TRUE, "new", "new", 3},
      {"filter extension", "new", 0, "txt", 1, 0, TRUE, "new.isa", "new.isa", 4},
      {"default extension cut to three", "new", 0, "text", 2, 0, TRUE, "new.tex", "new.tex", 4},
      {"typed extension kept", "new.dat", 0, "isa", 1, 0, TRUE, "new.dat", "new.dat", 4},
      {"trailing dot", "new.", 0, nullptr, 1, 0, TRUE, "new.", "new.", -1},
      {"quoted", "\"q.isa\"", 0, nullptr, 1, 0, TRUE, "q.isa", "q.isa", 2},
      {"into a subfolder", "sub/x.isa", 0, nullptr, 1, 0, TRUE, "sub/x.isa", "x.isa", 2},
      {"missing folder refused", "none/x.isa", OFN_PATHMUSTEXIST, nullptr, 1, IDOK, FALSE, "", "",
       0},
      {"missing folder allowed", "none/x.isa", 0, nullptr, 1, 0, TRUE, "none/x.isa", "x.isa", 2},
      {"overwrite declined", "old.isa", OFN_OVERWRITEPROMPT, nullptr, 1, IDNO, FALSE, "", "", 0},
      {"overwrite accepted", "old.isa", OFN_OVERWRITEPROMPT, nullptr, 1, IDYES, TRUE, "old.isa",
       "old.isa", 4},
      {"existing without prompt", "old.isa", 0, nullptr, 1, 0, TRUE, "old.isa", "old.isa", 4},
      {"invalid name refused", "a|b", 0, nullptr, 1, IDOK, FALSE, "", "", 0},
  };
  for (const Row &r : rows) {
    SetUp();
    ofn.Flags = OFN_EXPLORER | r.flags;
    ofn.lpstrDefExt = r.defExt;
    ofn.nFilterIndex = r.filterIndex;
    vqwinQueuePath(r.typed);
    if (r.answer)
      vqwinQueueMessageBoxAnswer(r.answer);
    EXPECT_EQ(GetSaveFileNameA(&ofn), r.result) << r.name;
    EXPECT_EQ(CommDlgExtendedError(), 0u) << r.name;
    EXPECT_EQ(vqwinGetMessageBoxCount(), r.answer ? 1 : 0) << r.name;
    EXPECT_EQ(vqwinPendingModalSteps(), 0) << r.name;
    if (!r.result)
      continue;
    std::string expected = In(r.path);
    EXPECT_EQ(std::string(file), expected) << r.name;
    EXPECT_STREQ(title, r.fileTitle) << r.name;
    EXPECT_EQ(ofn.nFileOffset, expected.size() - std::strlen(r.fileTitle)) << r.name;
    EXPECT_EQ(ofn.nFileExtension, r.extension < 0 ? 0 : ofn.nFileOffset + r.extension) << r.name;
    EXPECT_EQ(ofn.nFilterIndex, r.filterIndex) << r.name;
  }
}

TEST_F(SaveDialog, RefusalTextsAndCaption) {
  vqwinQueuePath("none/x.isa");
  vqwinQueueMessageBoxAnswer(IDOK);
  ofn.lpstrTitle = "Neue Datei";
  EXPECT_FALSE(GetSaveFileNameA(&ofn));
  auto boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Neue Datei");
  EXPECT_EQ(boxes[0].text,
            In("none/x.isa") + "\nThe path does not exist.\nCheck the path and try again.");
  EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));

  vqwinResetModal();
  ofn.Flags |= OFN_OVERWRITEPROMPT;
  vqwinQueuePath("a.isa"); // unanswered: the box's default is No
  EXPECT_FALSE(GetSaveFileNameA(&ofn));
  boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, In("a.isa") + " already exists.\nDo you want to replace it?");
  EXPECT_EQ(boxes[0].answer, IDNO);
}

TEST_F(SaveDialog, Errors) {
  HWND stale = reinterpret_cast<HWND>(0x7777);
  struct Row {
    const char *name;
    DWORD size, flags, maxFile;
    HWND owner;
    DWORD error;
  } rows[] = {
      {"size", sizeof(OPENFILENAMEA) - 4, 0, 260, nullptr, CDERR_STRUCTSIZE},
      {"no file buffer", sizeof(OPENFILENAMEA), 0, 0, nullptr, CDERR_INITIALIZATION},
      {"hook", sizeof(OPENFILENAMEA), OFN_ENABLEHOOK, 260, nullptr, CDERR_INITIALIZATION},
      {"template", sizeof(OPENFILENAMEA), OFN_ENABLETEMPLATE, 260, nullptr, CDERR_INITIALIZATION},
      {"stale owner", sizeof(OPENFILENAMEA), 0, 260, stale, CDERR_DIALOGFAILURE},
  };
  for (const Row &r : rows) {
    ofn.lStructSize = r.size;
    ofn.Flags = r.flags;
    ofn.nMaxFile = r.maxFile;
    ofn.hwndOwner = r.owner;
    EXPECT_FALSE(GetSaveFileNameA(&ofn)) << r.name;
    EXPECT_EQ(CommDlgExtendedError(), r.error) << r.name;
  }
  EXPECT_FALSE(GetSaveFileNameA(nullptr));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));

  // The older, shorter structure is accepted; with nothing scripted the
  // dialog cancels and clears the error.
  ofn = OPENFILENAMEA{};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  EXPECT_FALSE(GetSaveFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(SaveDialog, TooSmallBufferGetsTheNeededSize) {
  ofn.nMaxFile = 8;
  vqwinQueuePath("long-name.isa");
  EXPECT_FALSE(GetSaveFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
  WORD needed = 0;
  std::memcpy(&needed, file, sizeof needed);
  EXPECT_EQ(needed, In("long-name.isa").size() + 1);
}

// A hook that runs one action per request, then leaves the rest to the
// default.
struct Actions {
  std::vector<std::function<void(HWND, VQWIN_MODAL_STEP &)>> steps;
  std::vector<std::string> folders;
  static BOOL CALLBACK Hook(const VQWIN_MODAL_INFO *info, VQWIN_MODAL_STEP *step, void *ctx) {
    auto *self = static_cast<Actions *>(ctx);
    if (info->kind != VQWIN_MODAL_FILEDIALOG || info->round >= (int)self->steps.size())
      return FALSE;
    self->folders.push_back(info->text ? info->text : "");
    step->action = VQWIN_STEP_KEY; // a harmless key, unless the action says more
    step->key = VK_SHIFT;
    self->steps[static_cast<size_t>(info->round)](info->hwnd, *step);
    return TRUE;
  }
};

std::vector<std::string> ListItems(HWND dlg) {
  std::vector<std::string> out;
  HWND list = GetDlgItem(dlg, lst1);
  for (LRESULT i = 0, n = SendMessageA(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
    char text[260] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    out.push_back(text);
  }
  return out;
}

void DoubleClickItem(HWND dlg, int index) {
  HWND list = GetDlgItem(dlg, lst1);
  RECT rc{};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc));
  vqwinMouseDoubleClick(list, rc.left + 5, (rc.top + rc.bottom) / 2, VK_LBUTTON, 0);
}

TEST_F(SaveDialog, ControlsDrivenByMouseAndKeys) {
  using Items = std::vector<std::string>;
  Actions a;
  Items first, allFiles, inSub;
  a.steps = {
      [&](HWND dlg, VQWIN_MODAL_STEP &) {
        first = ListItems(dlg);
        // Choosing "All files" shows the other file too.
        SendDlgItemMessageA(dlg, cmb1, CB_SETCURSEL, 1, 0);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, cmb1)));
        allFiles = ListItems(dlg);
      },
      [&](HWND dlg, VQWIN_MODAL_STEP &) { DoubleClickItem(dlg, 1); }, // "[sub]"
      [&](HWND dlg, VQWIN_MODAL_STEP &step) {
        inSub = ListItems(dlg);
        step.action = VQWIN_STEP_TYPE;
        step.id = edt1;
        std::strcpy(step.text, "made");
      },
      [&](HWND, VQWIN_MODAL_STEP &step) { step.key = VK_RETURN; },
  };
  vqwinSetModalHook(Actions::Hook, &a);
  ofn.lpstrDefExt = "cfg";
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_EQ(first, (Items{"[..]", "[sub]", "a.isa", "old.isa"}));
  EXPECT_EQ(allFiles, (Items{"[..]", "[sub]", "a.isa", "b.cfg", "old.isa"}));
  EXPECT_EQ(inSub, (Items{"[..]"}));
  ASSERT_GE(a.folders.size(), 3u);
  EXPECT_EQ(a.folders[0], initialDir);
  EXPECT_EQ(a.folders[2], In("sub"));
  // "All files" has no extension of its own, so the default one is added.
  EXPECT_EQ(std::string(file), In("sub/made.cfg"));
  EXPECT_EQ(ofn.nFilterIndex, 2u);
}

TEST_F(SaveDialog, PickingAFileAndTheStartingFolder) {
  // A path in lpstrFile names the starting folder over lpstrInitialDir.
  std::strcpy(file, In("sub/start.isa").c_str());
  ofn.lpstrInitialDir = "/nonexistent";
  Actions a;
  std::string startName;
  a.steps = {
      [&](HWND dlg, VQWIN_MODAL_STEP &step) {
        char text[64] = {};
        GetDlgItemTextA(dlg, edt1, text, sizeof text);
        startName = text;
        step.action = VQWIN_STEP_TYPE;
        step.id = edt1;
        std::strcpy(step.text, "..");
      },
      [&](HWND, VQWIN_MODAL_STEP &step) { step.key = VK_RETURN; },
      [&](HWND, VQWIN_MODAL_STEP &step) {
        step.action = VQWIN_STEP_PICK; // "a.isa" after "[..]" and "[sub]"
        step.id = lst1;
        step.index = 2;
      },
      [&](HWND, VQWIN_MODAL_STEP &step) {
        step.action = VQWIN_STEP_CLICK;
        step.id = IDOK;
      },
  };
  vqwinSetModalHook(Actions::Hook, &a);
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_EQ(startName, "start.isa");
  ASSERT_GE(a.folders.size(), 3u);
  EXPECT_EQ(a.folders[0], In("sub"));
  EXPECT_EQ(std::string(file), In("a.isa"));
}

} // namespace
