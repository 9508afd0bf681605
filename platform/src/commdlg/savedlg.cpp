// GetSaveFileNameA. The dialog is a "#32770" window built at run time:
// the folder shown (stc1), a list of its subfolders and of the files the
// chosen filter matches (lst1), the file name (edt1), the file types (cmb1),
// Save and Cancel. It runs through the layer's modal loop, so scripts drive
// it with the usual steps, and a path step types the path into the name and
// presses Save, which validates it as a user's entry would be.
//
// Chosen here: folders show in the list as "[name]", with "[..]" for the
// parent, folders first; a double click opens a folder or takes a file.
// The dialog never changes the process's working directory. The custom
// filter (lpstrCustomFilter) is read as the starting pattern when
// nFilterIndex is 0, and never written back.
#include "commdlg/commdlg.h"

#include "dialog/dialog_internal.h"
#include "kernel/host.h"
#include "user/wnd_text.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace vqwin::commdlg {
namespace {

struct Filter {
  std::string name, patterns; // patterns: "*.isa;*.cfg"
};

struct SaveDialog {
  OPENFILENAMEA *ofn = nullptr;
  HFONT font = nullptr;
  std::vector<Filter> filters;
  std::string pattern = "*.*";
  std::string folder;
  std::vector<kernel::DirectoryEntry> shown; // the list's items in order
  VQWIN_MODAL_INFO *info = nullptr;
  DWORD error = 0; // the extended error the dialog ended with
};

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// '*' and '?' without regard to ASCII case; "*.*" also takes names without
// a dot, as on Win32.
bool MatchOne(const char *p, const char *n) {
  if (std::strcmp(p, "*.*") == 0)
    return true;
  for (; *p; ++p, ++n) {
    if (*p == '*') {
      for (const char *rest = n;; ++rest) {
        if (MatchOne(p + 1, rest))
          return true;
        if (!*rest)
          return false;
      }
    }
    if (!*n || (*p != '?' && Lower(*p) != Lower(*n)))
      return false;
  }
  return !*n;
}

bool Matches(const std::string &patterns, const std::string &name) {
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string::npos)
      end = patterns.size();
    std::string one = patterns.substr(start, end - start);
    one.erase(0, one.find_first_not_of(' '));
    if (!one.empty() && MatchOne(one.c_str(), name.c_str()))
      return true;
    start = end + 1;
  }
  return false;
}

// The pairs of a double-NUL-terminated filter text; a name without its
// pattern ends the list.
std::vector<Filter> ParseFilters(const char *text) {
  std::vector<Filter> out;
  while (text && *text) {
    const char *pattern = text + std::strlen(text) + 1;
    if (!*pattern)
      break;
    out.push_back(Filter{text, pattern});
    text = pattern + std::strlen(pattern) + 1;
  }
  return out;
}

// The extension a filter stands for: "isa" for "*.isa", nothing for
// wildcard extensions.
std::string FilterExtension(const std::string &patterns) {
  std::string first = patterns.substr(0, patterns.find(';'));
  if (first.size() < 3 || first.compare(0, 2, "*.") != 0 ||
      first.find_first_of("*?", 2) != std::string::npos)
    return {};
  return first.substr(2);
}

size_t NameStart(const std::string &path) {
  size_t sep = path.find_last_of("/\\");
  if (sep != std::string::npos)
    return sep + 1;
  return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

bool IsAbsolute(const std::string &path) {
  return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == ':');
}

std::string Join(const std::string &folder, const std::string &name) {
  if (folder.empty() || IsAbsolute(name))
    return name;
  if (IsSeparator(folder.back()))
    return folder + name;
  // Keep to the separator the folder was written with.
  char sep =
      folder.find('\\') != std::string::npos && folder.find('/') == std::string::npos ? '\\' : '/';
  return folder + sep + name;
}

// The folder without its last part; a root stays itself.
std::string ParentFolder(std::string folder) {
  while (folder.size() > 1 && IsSeparator(folder.back()) &&
         !(folder.size() == 3 && folder[1] == ':'))
    folder.pop_back();
  size_t start = NameStart(folder);
  if (start == folder.size())
    return folder;
  folder.erase(start);
  if (folder.size() > 1 && IsSeparator(folder.back()) && !(folder.size() == 3 && folder[1] == ':'))
    folder.pop_back();
  return folder;
}

bool IsRoot(const std::string &folder) { return ParentFolder(folder) == folder; }

std::string DialogText(HWND dlg, int id) {
  HWND c = GetDlgItem(dlg, id);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(c)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(c, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Refusals are told in a box captioned with the dialog's title.
int Box(HWND dlg, const std::string &text, UINT type) {
  std::string caption(static_cast<size_t>(GetWindowTextLengthA(dlg)) + 1, '\0');
  caption.resize(static_cast<size_t>(GetWindowTextA(dlg, caption.data(), (int)caption.size())));
  return MessageBoxA(dlg, text.c_str(), caption.c_str(), type);
}

void Fill(HWND dlg, SaveDialog &s) {
  std::vector<kernel::DirectoryEntry> entries;
  std::string native;
  DWORD error = 0;
  if (kernel::ToNativePath(s.folder.c_str(), native, error))
    kernel::ListDirectory(native, entries);
  std::erase_if(entries, [&](const kernel::DirectoryEntry &e) {
    return !e.isDirectory && !Matches(s.pattern, e.name);
  });
  std::sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) {
    if (a.isDirectory != b.isDirectory)
      return a.isDirectory;
    return lstrcmpiA(a.name.c_str(), b.name.c_str()) < 0;
  });
  if (!IsRoot(s.folder))
    entries.insert(entries.begin(), kernel::DirectoryEntry{"..", true});
  s.shown = std::move(entries);
  HWND list = GetDlgItem(dlg, lst1);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const auto &e : s.shown) {
    std::string item = e.isDirectory ? "[" + e.name + "]" : e.name;
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  SetDlgItemTextA(dlg, stc1, s.folder.c_str());
  if (s.info)
    s.info->text = s.folder.c_str();
}

// Drops "." and folds ".." parts, so that the folder shown stays readable
// after a user typed ".." a few times.
std::string Collapse(const std::string &path) {
  size_t rootEnd = path.size() >= 2 && path[1] == ':' ? 2 : 0;
  while (rootEnd < path.size() && IsSeparator(path[rootEnd]))
    ++rootEnd;
  std::string out = path.substr(0, rootEnd);
  char sep = out.find('\\') != std::string::npos ? '\\' : '/';
  std::vector<std::string> parts;
  for (size_t i = rootEnd; i < path.size();) {
    size_t end = path.find_first_of("/\\", i);
    if (end == std::string::npos)
      end = path.size();
    std::string part = path.substr(i, end - i);
    if (part == ".." && !parts.empty() && parts.back() != "..")
      parts.pop_back();
    else if (part == ".." && rootEnd > 0)
      ; // nothing above a root
    else if (!part.empty() && part != ".")
      parts.push_back(part);
    if (end < path.size() && path[end] == '\\')
      sep = '\\';
    i = end + 1;
  }
  for (size_t i = 0; i < parts.size(); ++i)
    out += (i ? std::string(1, sep) : std::string()) + parts[i];
  return out.empty() ? "." : out;
}

void OpenFolder(HWND dlg, SaveDialog &s, const std::string &folder) {
  s.folder = Collapse(folder);
  Fill(dlg, s);
  SetDlgItemTextA(dlg, edt1, "");
}

std::string Unquoted(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  text.erase(0, text.find_first_not_of(' '));
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    text = text.substr(1, text.size() - 2);
  return text;
}

// The name gets the filter's extension, else lpstrDefExt's first three
// characters, when it has none and a default extension is asked for.
std::string WithExtension(HWND dlg, const SaveDialog &s, const std::string &path) {
  const char *defExt = s.ofn->lpstrDefExt;
  if (!defExt || path.find('.', NameStart(path)) != std::string::npos)
    return path;
  LRESULT sel = SendDlgItemMessageA(dlg, cmb1, CB_GETCURSEL, 0, 0);
  std::string ext;
  if (sel >= 0 && static_cast<size_t>(sel) < s.filters.size())
    ext = FilterExtension(s.filters[static_cast<size_t>(sel)].patterns);
  if (ext.empty())
    ext = std::string(defExt).substr(0, 3);
  return ext.empty() ? path : path + "." + ext;
}

void Store(HWND dlg, SaveDialog &s, const std::string &path) {
  OPENFILENAMEA &o = *s.ofn;
  size_t needed = path.size() + 1;
  if (needed > o.nMaxFile || needed > 0xFFFF) {
    s.error = FNERR_BUFFERTOOSMALL;
    if (o.nMaxFile >= 2) {
      WORD size = static_cast<WORD>(std::min<size_t>(needed, 0xFFFF));
      std::memcpy(o.lpstrFile, &size, sizeof size);
    }
    EndDialog(dlg, IDCANCEL);
    return;
  }
  std::memcpy(o.lpstrFile, path.c_str(), needed);
  size_t start = NameStart(path);
  size_t dot = path.find_last_of('.');
  o.nFileOffset = static_cast<WORD>(start);
  if (dot == std::string::npos || dot < start)
    o.nFileExtension = static_cast<WORD>(path.size());
  else
    o.nFileExtension = static_cast<WORD>(dot + 1 == path.size() ? 0 : dot + 1);
  if (o.lpstrFileTitle && o.nMaxFileTitle)
    lstrcpynA(o.lpstrFileTitle, path.c_str() + start, static_cast<int>(o.nMaxFileTitle));
  LRESULT sel = SendDlgItemMessageA(dlg, cmb1, CB_GETCURSEL, 0, 0);
  o.nFilterIndex = sel >= 0 ? static_cast<DWORD>(sel) + 1 : 0;
  o.Flags &= ~static_cast<DWORD>(OFN_EXTENSIONDIFFERENT);
  if (o.lpstrDefExt && o.nFileExtension &&
      lstrcmpiA(path.c_str() + o.nFileExtension, std::string(o.lpstrDefExt).substr(0, 3).c_str()))
    o.Flags |= OFN_EXTENSIONDIFFERENT;
  EndDialog(dlg, IDOK);
}

// Save pressed: the name opens a folder, sets a pattern, is refused with a
// message box, or ends the dialog.
void Save(HWND dlg, SaveDialog &s) {
  std::string typed = Unquoted(DialogText(dlg, edt1));
  if (typed.empty())
    return;
  bool german = German();
  if (typed.find_first_of("*?") != std::string::npos) {
    s.pattern = typed;
    Fill(dlg, s);
    return;
  }
  std::string path = Join(s.folder, typed);
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    OpenFolder(dlg, s, path);
    return;
  }
  path = WithExtension(dlg, s, path);
  attributes = GetFileAttributesA(path.c_str());
  DWORD error = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0;
  if (error == ERROR_INVALID_NAME || error == ERROR_FILENAME_EXCED_RANGE) {
    Box(dlg, path + (german ? "\nDer Dateiname ist ung\xFCltig." : "\nThe file name is not valid."),
        MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (error == ERROR_PATH_NOT_FOUND && (s.ofn->Flags & OFN_PATHMUSTEXIST)) {
    Box(dlg,
        path + (german ? "\nDer Pfad ist nicht vorhanden.\n\xDC"
                         "berpr\xFC"
                         "fen Sie den Pfad, und versuchen Sie es erneut."
                       : "\nThe path does not exist.\nCheck the path and try again."),
        MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (s.ofn->Flags & OFN_OVERWRITEPROMPT) &&
      Box(dlg,
          path + (german ? " ist bereits vorhanden.\nM\xF6"
                           "chten Sie die Datei ersetzen?"
                         : " already exists.\nDo you want to replace it?"),
          MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
    return;
  Store(dlg, s, path);
}

void ListNotified(HWND dlg, SaveDialog &s, WORD code) {
  LRESULT sel = SendDlgItemMessageA(dlg, lst1, LB_GETCURSEL, 0, 0);
  if (sel < 0 || static_cast<size_t>(sel) >= s.shown.size())
    return;
  kernel::DirectoryEntry e = s.shown[static_cast<size_t>(sel)];
  if (e.isDirectory) {
    if (code == LBN_DBLCLK)
      OpenFolder(dlg, s, e.name == ".." ? ParentFolder(s.folder) : Join(s.folder, e.name));
    return;
  }
  if (code == LBN_SELCHANGE || code == LBN_DBLCLK)
    SetDlgItemTextA(dlg, edt1, e.name.c_str());
  if (code == LBN_DBLCLK)
    Save(dlg, s);
}

void Layout(HWND dlg, SaveDialog &s) {
  bool german = German();
  HFONT f = s.font;
  AddControl(dlg, "STATIC", german ? "Speichern &in:" : "Save &in:", SS_LEFT, 8, 10, 84, 16, stc4,
             f);
  AddControl(dlg, "STATIC", "", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 96, 10, 316, 16, stc1, f);
  AddControl(dlg, "LISTBOX", "", LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 8, 32,
             404, 168, lst1, f);
  AddControl(dlg, "STATIC", german ? "Datei&name:" : "File &name:", SS_LEFT, 8, 213, 88, 16, stc3,
             f);
  HWND edit = AddControl(dlg, "EDIT", "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, 100,
                         209, 220, 21, edt1, f);
  SendMessageA(edit, EM_LIMITTEXT, MAX_PATH - 1, 0);
  AddControl(dlg, "STATIC", german ? "Datei&typ:" : "Save as &type:", SS_LEFT, 8, 241, 88, 16, stc2,
             f);
  HWND types =
      AddControl(dlg, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 100,
                 237, 220, 120, cmb1, f);
  for (const Filter &filter : s.filters)
    SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(filter.name.c_str()));
  AddControl(dlg, "BUTTON", german ? "&Speichern" : "&Save",
             BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 330, 208, 82, 23, IDOK, f);
  AddControl(dlg, "BUTTON", german ? "Abbrechen" : "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 330, 236,
             82, 23, IDCANCEL, f);
  SetClientSize(dlg, 420, 270);
}

// The starting folder, name and filter: a path in lpstrFile names the
// folder, else lpstrInitialDir, else the working directory.
void Start(HWND dlg, SaveDialog &s) {
  const OPENFILENAMEA &o = *s.ofn;
  std::string file(o.lpstrFile, strnlen(o.lpstrFile, o.nMaxFile));
  size_t start = NameStart(file);
  if (start > 0)
    s.folder = ParentFolder(file.substr(0, start) + "x");
  else if (o.lpstrInitialDir && *o.lpstrInitialDir)
    s.folder = o.lpstrInitialDir;
  else
    s.folder = kernel::WorkingDirectory();
  SetDlgItemTextA(dlg, edt1, file.c_str() + start);
  std::vector<Filter> custom = ParseFilters(o.lpstrCustomFilter);
  size_t index = o.nFilterIndex;
  if (index == 0 && !custom.empty())
    s.pattern = custom.front().patterns;
  if (index == 0 || index > s.filters.size())
    index = 1;
  if (index <= s.filters.size()) {
    SendDlgItemMessageA(dlg, cmb1, CB_SETCURSEL, index - 1, 0);
    if (o.nFilterIndex != 0 || custom.empty())
      s.pattern = s.filters[index - 1].patterns;
  }
  Fill(dlg, s);
}

INT_PTR CALLBACK SaveProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(dlg, DWLP_USER, lp);
    auto &s = *reinterpret_cast<SaveDialog *>(lp);
    Layout(dlg, s);
    Start(dlg, s);
    dialog::FocusControl(dlg, GetDlgItem(dlg, edt1));
    return FALSE;
  }
  auto *s = reinterpret_cast<SaveDialog *>(GetWindowLongPtrA(dlg, DWLP_USER));
  if (msg != WM_COMMAND || !s)
    return FALSE;
  switch (LOWORD(wp)) {
  case IDOK:
    Save(dlg, *s);
    return TRUE;
  case IDCANCEL:
    EndDialog(dlg, IDCANCEL);
    return TRUE;
  case lst1:
    ListNotified(dlg, *s, HIWORD(wp));
    return TRUE;
  case cmb1:
    if (HIWORD(wp) == CBN_SELCHANGE) {
      LRESULT sel = SendDlgItemMessageA(dlg, cmb1, CB_GETCURSEL, 0, 0);
      if (sel >= 0 && static_cast<size_t>(sel) < s->filters.size())
        s->pattern = s->filters[static_cast<size_t>(sel)].patterns;
      Fill(dlg, *s);
    }
    return TRUE;
  }
  return FALSE;
}

INT_PTR RunSaveDialog(SaveDialog &s) {
  resource::DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  const char *title = s.ofn->lpstrTitle;
  t.title = user::ToWide(title ? title : German() ? "Speichern unter" : "Save As");
  dialog::ModalLoop loop;
  s.info = &loop.info;
  HWND dlg = dialog::CreateFromTemplate(t, nullptr, s.ofn->hwndOwner, SaveProc,
                                        reinterpret_cast<LPARAM>(&s));
  if (!dlg)
    return -1;
  loop.info.kind = VQWIN_MODAL_FILEDIALOG;
  loop.info.text = s.folder.c_str();
  loop.takeDefault = [dlg] { EndDialog(dlg, IDCANCEL); };
  loop.choosePath = [dlg](const char *path) {
    SetDlgItemTextA(dlg, edt1, path);
    SendMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
  };
  return dialog::RunModalDialog(dlg, dialog::ModalOwner(s.ofn->hwndOwner), loop);
}

} // namespace
} // namespace vqwin::commdlg

BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA ofn) {
  using namespace vqwin::commdlg;
  SetError(0);
  if (!ofn)
    return Fail(CDERR_INITIALIZATION);
  if (ofn->lStructSize != sizeof(OPENFILENAMEA) &&
      ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A)
    return Fail(CDERR_STRUCTSIZE);
  constexpr DWORD kHooksAndTemplates =
      OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE;
  if (!ofn->lpstrFile || ofn->nMaxFile == 0 || (ofn->Flags & kHooksAndTemplates))
    return Fail(CDERR_INITIALIZATION);
  if (ofn->hwndOwner && !IsWindow(ofn->hwndOwner))
    return Fail(CDERR_DIALOGFAILURE);
  SaveDialog s;
  s.ofn = ofn;
  s.filters = ParseFilters(ofn->lpstrFilter);
  s.font = CreateDialogFont();
  INT_PTR result = RunSaveDialog(s);
  DeleteObject(s.font);
  if (result == -1)
    return Fail(CDERR_DIALOGFAILURE);
  if (s.error)
    return Fail(s.error);
  return result == IDOK;
}
