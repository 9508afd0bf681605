// Modules and resources through the Win32 calls: loading our modules by
// their Windows names, reference counts, module names and paths, strings
// in both languages, dialog templates, cursors and icons, and the error
// numbers of every failure.
#include <windows.h>

#include <vq_tbl32.h>
#include <vqwin_seams.h>

#include "resource/cursor_object.h"
#include "resource/dialog_template.h"
#include "../../resources/resource.h"
#include "resource_data/test_ids.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr LANGID kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// Restores the default UI language after each test that changes it.
struct UiLanguage {
  explicit UiLanguage(LANGID id) { SetThreadUILanguage(id); }
  ~UiLanguage() { SetThreadUILanguage(0); }
};

// A module loaded for one test and freed after it.
struct Module {
  explicit Module(const char *name) : handle(LoadLibraryA(name)) {}
  ~Module() {
    if (handle)
      FreeLibrary(handle);
  }
  HMODULE handle;
};

std::string LoadString(HMODULE module, UINT id, int size = 512) {
  std::string buf(static_cast<size_t>(size), '\x7f');
  const int n = LoadStringA(module, id, buf.data(), size);
  EXPECT_EQ(static_cast<size_t>(n), std::strlen(buf.c_str())) << "string " << id;
  return buf.substr(0, static_cast<size_t>(n));
}

HMODULE Tbl32() { return GetModuleHandleA("vq_tbl32.dll"); }

} // namespace

TEST(Modules, LoadByWindowsNameCountsReferences) {
  ASSERT_EQ(GetModuleHandleA("vq_tblrcD.dll"), nullptr);
  HMODULE first = LoadLibraryA("vq_tblrcD.dll");
  ASSERT_NE(first, nullptr);
  HMODULE second = LoadLibraryA("vq_tblrcD");
  EXPECT_EQ(second, first);
  EXPECT_EQ(GetModuleHandleA("VQ_TBLRCD.DLL"), first) << "loaded names match without case";

  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(GetModuleHandleA("vq_tblrcD.dll"), first) << "one reference is left";
  EXPECT_EQ(LoadString(first, IDS_MSG_BPOOL_NOMEMORY).substr(0, 6), "Nicht ");
  EXPECT_TRUE(FreeLibrary(second));
  SetLastError(0);
  EXPECT_EQ(GetModuleHandleA("vq_tblrcD.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(first)) << "no reference is left";
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(Modules, LinkedModulesOutliveTheirLastFreeLibrary) {
  HMODULE tbl32 = Tbl32();
  ASSERT_NE(tbl32, nullptr);
  EXPECT_EQ(LoadLibraryA("VQ_TBL32.DLL"), tbl32) << "found among the loaded modules";
  EXPECT_TRUE(FreeLibrary(tbl32));
  EXPECT_TRUE(FreeLibrary(tbl32)) << "never unloaded, as on Windows";
  EXPECT_EQ(GetModuleHandleA("vq_tbl32.dll"), tbl32);
  char text[8];
  EXPECT_EQ(LoadStringA(tbl32, 103, text, sizeof text), 7);
}

TEST(Modules, FailuresSetTheWin32Errors) {
  struct Row {
    const char *name;
    DWORD error;
  } rows[] = {{"NetApi32.dll", ERROR_MOD_NOT_FOUND}, // as on a machine without interfaces
              {"vq_tblrcX.dll", ERROR_MOD_NOT_FOUND},
              {".dll", ERROR_MOD_NOT_FOUND},
              {"", ERROR_INVALID_PARAMETER},
              {nullptr, ERROR_INVALID_PARAMETER}};
  const VQWIN_STATION_QUERY offline = {nullptr, 0, 0, 0, TRUE};
  VqwinSetStationQuery(&offline);
  for (const Row &r : rows) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(r.name), nullptr) << (r.name ? r.name : "(null)");
    EXPECT_EQ(GetLastError(), r.error) << (r.name ? r.name : "(null)");
  }
  VqwinSetStationQuery(nullptr);
  int local = 0;
  const auto bogus = reinterpret_cast<HMODULE>(&local);
  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(bogus));
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  SetLastError(0);
  char path[64];
  EXPECT_EQ(GetModuleFileNameA(bogus, path, sizeof path), 0u);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(Modules, GetProcAddressFindsOnlyTheModulesOwnExports) {
  HMODULE tbl32 = Tbl32();
  ASSERT_NE(tbl32, nullptr);
  // Through void (*)(), the generic function pointer, as callers of
  // GetProcAddress cast its result.
  auto version = reinterpret_cast<UINT (*)()>(
      reinterpret_cast<void (*)()>(GetProcAddress(tbl32, "vqGetTbl32Version")));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version, &vqGetTbl32Version) << "the loader's own binding agrees";
  EXPECT_EQ(version(), 256u);
  auto build = reinterpret_cast<const char *>(GetProcAddress(tbl32, "DllBuild"));
  ASSERT_NE(build, nullptr);
  EXPECT_STREQ(build, "0087");

  for (LPCSTR name : {"vqNoSuchFunction", "GetLastError" /* of a dependency */, "",
                      static_cast<LPCSTR>(MAKEINTRESOURCE(1))}) {
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(tbl32, name), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  }
}

TEST(Modules, ModuleFileNamesFollowWin32Truncation) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(n, std::strlen(path));
  EXPECT_TRUE(std::string(path).ends_with("/platform_resource_tests")) << path;
  EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));

  char small[8];
  std::memset(small, 'x', sizeof small);
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(small), std::string(path, 7));
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, 0), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  // Exactly one character short: the terminator does not fit.
  std::string exact(n, 'x');
  EXPECT_EQ(GetModuleFileNameA(nullptr, exact.data(), n), n);
  EXPECT_EQ(exact.substr(0, n - 1), std::string(path, n - 1));

  ASSERT_EQ(GetModuleFileNameA(Tbl32(), path, sizeof path) > 0, true);
  EXPECT_NE(std::string(path).find("/libvq_tbl32.so"), std::string::npos) << path;
}

TEST(Strings, LibraryStringsInBothLanguagesCutToTheBuffer) {
  struct Row {
    UINT id;
    const char *german, *english;
  } rows[] = {
      {100, "vq_tbl32 Fehler (Fehlercode = %u)", "vq_tbl32 Error (error code = %u)"},
      {101, "vq_tbl32 Meldung (Meldungscode = %u)", "vq_tbl32 Message (message code = %u)"},
      {102, "Der Text zu diesem Fehler oder dieser Meldung existiert nicht.",
       "The text for this error or message does not exist."},
      {103, "vq_tbl32 Fehlermeldung", "vq_tbl32 Error message"},
      {104, "<Substitutionsfehler>", "<Substitution error>"},
  };
  HMODULE tbl32 = Tbl32();
  ASSERT_NE(tbl32, nullptr);
  for (const auto &[language, pick] :
       {std::pair{kGerman, &Row::german}, std::pair{kEnglish, &Row::english}}) {
    UiLanguage ui(language);
    for (const Row &r : rows) {
      const std::string want = r.*pick;
      EXPECT_EQ(LoadString(tbl32, r.id), want) << r.id << " in " << language;
      EXPECT_EQ(LoadString(tbl32, r.id, 9), want.substr(0, 8)) << r.id << " in " << language;
      EXPECT_EQ(LoadString(tbl32, r.id, 1), "") << r.id << " in " << language;
      const int exact = static_cast<int>(want.size());
      EXPECT_EQ(LoadString(tbl32, r.id, exact), want.substr(0, want.size() - 1));
      EXPECT_EQ(LoadString(tbl32, r.id, exact + 1), want);
    }
  }
}

TEST(Strings, MissingStringsAndBadBuffers) {
  HMODULE tbl32 = Tbl32();
  char buf[16] = "unchanged";
  for (UINT id : {99u, 105u, 111u, 112u, 65535u, 70000u}) {
    SetLastError(0);
    std::strcpy(buf, "unchanged");
    EXPECT_EQ(LoadStringA(tbl32, id, buf, sizeof buf), 0) << id;
    EXPECT_STREQ(buf, "") << id;
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND) << id;
  }
  SetLastError(0);
  EXPECT_EQ(LoadStringA(tbl32, 100, buf, 0), 0);
  EXPECT_EQ(LoadStringA(tbl32, 100, nullptr, 16), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Strings, ResourceModulesCarryTheBufferPoolMessages) {
  Module german("vq_tblrcD.dll"), english("vq_tblrcE.dll");
  ASSERT_NE(german.handle, nullptr);
  ASSERT_NE(english.handle, nullptr);
  EXPECT_NE(german.handle, english.handle);
  // The other texts reach the buffer pool's message boxes in its tests.
  EXPECT_EQ(LoadString(german.handle, IDS_MSG_BPOOL_NOMEMORY),
            "Nicht gen\xfcgend freier Speicher f\xfcr einen Datensatz des Pufferpools.");
  // A module answers in its own language whatever the thread's UI language.
  UiLanguage ui(kGerman);
  EXPECT_EQ(LoadString(english.handle, IDS_MSG_BPOOL_NOMEMORY),
            "Not enough free memory for a buffer pool record.");
  EXPECT_EQ(LoadString(english.handle, IDS_MSG_BPOOL_NOTLEGAL),
            "Record 0x%X is no legal buffer of the buffer pool.");
  EXPECT_EQ(LoadString(english.handle, IDS_ERRORTITLE), "") << "the library keeps its own";
}

TEST(Strings, LanguageChoiceByBlock) {
  Module test("vq_restest.dll");
  ASSERT_NE(test.handle, nullptr);
  struct Row {
    LANGID ui;
    UINT id;
    const char *text;
  } rows[] = {
      {kGerman, IDS_BOTH,
       "Gr\xfc\xdf"
       "e"},
      {kEnglish, IDS_BOTH, "Greetings"},
      {MAKELANGID(LANG_GERMAN, 3), IDS_BOTH,
       "Gr\xfc\xdf"
       "e"},                                        // same primary language
      {MAKELANGID(0x0C, 1), IDS_BOTH, "Greetings"}, // no French: US English
      {kGerman, IDS_GERMAN_ONLY, "nur deutsch"},
      // Languages are chosen per block of 16 strings, as on Windows: the
      // English block holding 300 has no 301.
      {kEnglish, IDS_GERMAN_ONLY, ""},
      {kGerman, IDS_NEUTRAL, "neutral"},
      {kEnglish, IDS_NEUTRAL, ""}, // the English block of 318 wins over neutral
      {kEnglish, IDS_LONG, "A text \"quoted\" and\tescapedA"},
  };
  for (const Row &r : rows) {
    UiLanguage ui(r.ui);
    EXPECT_EQ(GetThreadUILanguage(), r.ui);
    EXPECT_EQ(LoadString(test.handle, r.id), r.text) << r.id << " in " << r.ui;
  }
  EXPECT_EQ(SetThreadUILanguage(0), kGerman) << "0 restores the default";
}

TEST(Resources, FindResourceFailuresAndNames) {
  Module test("vq_restest.dll");
  ASSERT_NE(test.handle, nullptr);
  HMODULE m = test.handle;
  struct Row {
    const char *what;
    LPCSTR type, name;
    WORD language; // 0xFFFF: FindResourceA
    DWORD error;   // 0: found
  } rows[] = {
      {"dialog by id", RT_DIALOG, MAKEINTRESOURCE(IDD_SELECT), 0xFFFF, 0},
      {"dialog by #id", RT_DIALOG, "#5000", 0xFFFF, 0},
      {"type by #id", "#5", "#5000", 0xFFFF, 0},
      {"named, any case", RT_GROUP_CURSOR, "NamedCursor", 0xFFFF, 0},
      {"bad #id", RT_DIALOG, "#50x", 0xFFFF, ERROR_RESOURCE_NAME_NOT_FOUND},
      {"unknown name", RT_DIALOG, MAKEINTRESOURCE(4999), 0xFFFF, ERROR_RESOURCE_NAME_NOT_FOUND},
      {"unknown type", RT_RCDATA, MAKEINTRESOURCE(1), 0xFFFF, ERROR_RESOURCE_TYPE_NOT_FOUND},
      {"named type", "MYTYPE", MAKEINTRESOURCE(1), 0xFFFF, ERROR_RESOURCE_TYPE_NOT_FOUND},
      {"exact language", RT_DIALOG, MAKEINTRESOURCE(IDD_SELECT), kEnglish, 0},
      {"missing language", RT_DIALOG, MAKEINTRESOURCE(IDD_CONTROLS), kGerman,
       ERROR_RESOURCE_LANG_NOT_FOUND},
  };
  for (const Row &r : rows) {
    SetLastError(0);
    HRSRC found = r.language == 0xFFFF ? FindResourceA(m, r.name, r.type)
                                       : FindResourceExA(m, r.type, r.name, r.language);
    EXPECT_EQ(found != nullptr, r.error == 0) << r.what;
    if (r.error)
      EXPECT_EQ(GetLastError(), r.error) << r.what;
    else
      EXPECT_GT(SizeofResource(m, found), 0u) << r.what;
  }

  HRSRC dialog = FindResourceA(m, MAKEINTRESOURCE(IDD_SELECT), RT_DIALOG);
  SetLastError(0);
  EXPECT_EQ(SizeofResource(Tbl32(), dialog), 0u) << "a handle of another module";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(LoadResource(m, reinterpret_cast<HRSRC>(&dialog)), nullptr);

  SetLastError(0);
  EXPECT_EQ(FindResourceA(GetModuleHandleA("vqwin.dll"), MAKEINTRESOURCE(1), RT_STRING), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND) << "the platform carries none";
}

TEST(Resources, TheExecutableCarriesItsOwn) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCE(IDB_CHECK), RT_BITMAP);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCE(IDB_CHECK), RT_BITMAP), found);
  const auto *dib = static_cast<const BYTE *>(LockResource(LoadResource(nullptr, found)));
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, found), 126u - 14u) << "the file without its file header";
  EXPECT_EQ(dib[0], 40) << "a BITMAPINFOHEADER starts the data";
  EXPECT_EQ(dib[4], 16) << "width";
}

namespace {

vqwin::resource::DialogTemplate LoadDialog(HMODULE m, WORD id, WORD language,
                                           std::string *raw = nullptr) {
  vqwin::resource::DialogTemplate t;
  HRSRC found = FindResourceExA(m, RT_DIALOG, MAKEINTRESOURCE(id), language);
  EXPECT_NE(found, nullptr) << id;
  if (!found)
    return t;
  const void *data = LockResource(LoadResource(m, found));
  const DWORD size = SizeofResource(m, found);
  if (raw)
    raw->assign(static_cast<const char *>(data), size);
  EXPECT_TRUE(vqwin::resource::ParseDialogTemplate(data, size, &t)) << id;
  EXPECT_FALSE(vqwin::resource::ParseDialogTemplate(data, size - 1, &t)) << "cut by one byte";
  return t;
}

uint32_t RawAt(const std::string &raw, size_t at, int width) {
  uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i)
    v = (v << 8) | static_cast<unsigned char>(raw[at + static_cast<size_t>(i)]);
  return v;
}

} // namespace

TEST(Dialogs, TemplateHeaderFieldByField) {
  Module test("vq_restest.dll");
  std::string raw;
  const auto t = LoadDialog(test.handle, IDD_SELECT, kGerman, &raw);
  // The DLGTEMPLATEEX header as stored.
  EXPECT_EQ(RawAt(raw, 0, 2), 1u) << "dlgVer";
  EXPECT_EQ(RawAt(raw, 2, 2), 0xFFFFu) << "signature";
  EXPECT_EQ(RawAt(raw, 4, 4), 77u) << "helpID";
  EXPECT_EQ(RawAt(raw, 8, 4), 0x00010000u) << "exStyle";
  EXPECT_EQ(RawAt(raw, 12, 4), 0x80C800C0u) << "style";
  EXPECT_EQ(RawAt(raw, 16, 2), 5u) << "cDlgItems";
  EXPECT_EQ(RawAt(raw, 18, 2), 10u) << "x";
  EXPECT_EQ(RawAt(raw, 24, 2), 180u) << "cy";

  EXPECT_EQ(t.style, DWORD(0x80000000 | 0x00C00000 | 0x00080000 | 0x80 | 0x40));
  EXPECT_EQ(t.exStyle, 0x00010000u);
  EXPECT_EQ(t.helpId, 77u);
  EXPECT_EQ(t.x, 10);
  EXPECT_EQ(t.y, 20);
  EXPECT_EQ(t.cx, 300);
  EXPECT_EQ(t.cy, 180);
  EXPECT_FALSE(t.menu.isOrdinal);
  EXPECT_TRUE(t.menu.text.empty());
  EXPECT_TRUE(t.windowClass.text.empty());
  EXPECT_EQ(t.title, u"Auswahl");
  EXPECT_TRUE(t.hasFont);
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ(t.weight, 700);
  EXPECT_EQ(t.italic, 1);
  EXPECT_EQ(t.charset, 0);
  EXPECT_EQ(t.typeface, u"MS Sans Serif");
  ASSERT_EQ(t.items.size(), 5u);

  const DWORD child = 0x50000000; // WS_CHILD | WS_VISIBLE
  const auto &list = t.items[0];
  EXPECT_EQ(list.id, DWORD(IDC_SEL_LIST));
  EXPECT_EQ(list.windowClass.text, u"SysListView32");
  EXPECT_EQ(list.style, child | 0x1 | 0x4 | 0x00800000 | 0x00010000);
  EXPECT_EQ(list.title.text, u"");
  const auto &edit = t.items[1];
  EXPECT_TRUE(edit.windowClass.isOrdinal);
  EXPECT_EQ(edit.windowClass.ordinal, 0x81);
  EXPECT_EQ(edit.style, child | 0x80 | 0x00010000) << "NOT WS_BORDER clears the default border";
  EXPECT_EQ(edit.exStyle, 0x200u);
  EXPECT_EQ(edit.y, 132);
  EXPECT_EQ(edit.cy, 14);
  EXPECT_EQ(t.items[2].title.text, u"&Pr\u00fcfen");
  EXPECT_EQ(t.items[3].style, child | 0x1 | 0x00010000) << "DEFPUSHBUTTON";
  EXPECT_EQ(t.items[4].style, child) << "NOT WS_TABSTOP";
  for (const auto &item : t.items)
    EXPECT_TRUE(item.creationData.empty());

  const auto english = LoadDialog(test.handle, IDD_SELECT, kEnglish);
  EXPECT_EQ(english.title, u"Selection");
  EXPECT_EQ(english.style, 0x80880000u | 0x00C00000u | 0x40u) << "default style, caption, font";
  ASSERT_EQ(english.items.size(), 1u);
  EXPECT_EQ(english.items[0].id, 0xFFFFFFFFu) << "IDC_STATIC";
}

TEST(Dialogs, ControlKeywordsGiveTheirClassesAndStyles) {
  Module test("vq_restest.dll");
  const auto t = LoadDialog(test.handle, IDD_CONTROLS, kEnglish);
  EXPECT_EQ(t.style, 0x40000000u | 0x48u) << "DS_SHELLFONT | WS_CHILD, no defaults";
  const DWORD child = 0x50000000, group = 0x00020000, tab = 0x00010000;
  struct Row {
    DWORD id;
    WORD atom; // 0: a class name
    DWORD style;
  } rows[] = {
      {0xFFFFFFFF, 0x82, child | group | 0x0},
      {101, 0x82, child | group | 0x2},
      {102, 0x82, child | group | 0x1 | 0x80},
      {103, 0x80, child | tab | 0x2},
      {104, 0x80, child | tab | 0x3},
      {105, 0x80, child | 0x7},
      {106, 0x83, child | 0x00800000 | 0x1 | 0x100 | 0x00200000},
      {107, 0x85, child | tab | 0x1 | 0x3},
      {108, 0x82, child | 0x3},
      {109, 0, child | 0x2 | 0x4},
      {110, 0x80, child | 0x3},
  };
  ASSERT_EQ(t.items.size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const auto &item = t.items[i];
    EXPECT_EQ(item.id, rows[i].id) << "row " << i;
    EXPECT_EQ(item.windowClass.isOrdinal, rows[i].atom != 0) << "row " << i;
    EXPECT_EQ(item.windowClass.ordinal, rows[i].atom) << "row " << i;
    EXPECT_EQ(item.style, rows[i].style) << "row " << i << " id " << item.id;
  }
  EXPECT_TRUE(t.items[8].title.isOrdinal) << "ICON names its icon by id";
  EXPECT_EQ(t.items[8].title.ordinal, IDI_APP);
  EXPECT_EQ(t.items[8].cx, 0);
  EXPECT_EQ(t.items[9].windowClass.text, u"msctls_updown32");
  EXPECT_EQ(t.items[9].x, -1);
  EXPECT_EQ(t.items[9].y, -2);
  EXPECT_EQ(t.items[10].exStyle, 0x00020000u);
  EXPECT_EQ(t.items[10].helpId, 99u);
}

TEST(Cursors, SystemCursorsAndIconsAreSharedWithTheirHotSpots) {
  struct Row {
    LPCSTR id;
    LONG x, y;
  } rows[] = {{IDC_ARROW, 0, 0},   {IDC_IBEAM, 16, 16},   {IDC_WAIT, 16, 16},
              {IDC_CROSS, 16, 16}, {IDC_SIZEWE, 16, 16},  {IDC_SIZENS, 16, 16},
              {IDC_HAND, 6, 0},    {IDC_SIZEALL, 16, 16}, {IDC_NO, 16, 16}};
  for (const Row &r : rows) {
    HCURSOR c = LoadCursorA(nullptr, r.id);
    ASSERT_NE(c, nullptr) << reinterpret_cast<ULONG_PTR>(r.id);
    EXPECT_EQ(LoadCursorA(nullptr, r.id), c);
    vqwin::resource::CursorImage image;
    ASSERT_TRUE(vqwin::resource::DescribeCursor(c, &image));
    EXPECT_TRUE(image.system);
    EXPECT_EQ(image.systemId, reinterpret_cast<ULONG_PTR>(r.id));
    EXPECT_EQ(image.hotspot.x, r.x) << image.systemId;
    EXPECT_EQ(image.hotspot.y, r.y) << image.systemId;
    EXPECT_TRUE(DestroyCursor(c));
    EXPECT_TRUE(vqwin::resource::DescribeCursor(c, nullptr)) << "shared cursors stay";
  }
  HICON app = LoadIconA(nullptr, IDI_APPLICATION);
  ASSERT_NE(app, nullptr);
  EXPECT_NE(app, LoadCursorA(nullptr, IDC_ARROW)) << "same number, other kind";
  EXPECT_NE(LoadIconA(nullptr, IDI_WARNING), nullptr);

  SetLastError(0);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCE(1)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  int local = 0;
  SetLastError(0);
  EXPECT_FALSE(DestroyCursor(reinterpret_cast<HCURSOR>(&local)));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_CURSOR_HANDLE);
}

TEST(Cursors, ModuleCursorsAndIconsKeepTheirHotSpotsAndImages) {
  Module test("vq_restest.dll");
  HCURSOR pointer = LoadCursorA(test.handle, MAKEINTRESOURCE(IDC_POINTER));
  ASSERT_NE(pointer, nullptr);
  EXPECT_EQ(LoadCursorA(test.handle, MAKEINTRESOURCE(IDC_POINTER)), pointer);
  EXPECT_EQ(LoadCursorA(test.handle, "#5130"), pointer);
  vqwin::resource::CursorImage image;
  ASSERT_TRUE(vqwin::resource::DescribeCursor(pointer, &image));
  EXPECT_FALSE(image.system);
  EXPECT_FALSE(image.icon);
  EXPECT_EQ(image.width, 32);
  EXPECT_EQ(image.height, 32);
  EXPECT_EQ(image.hotspot.x, 11);
  EXPECT_EQ(image.hotspot.y, 9);
  ASSERT_NE(image.dib, nullptr);
  EXPECT_EQ(image.dib[0], 40);
  EXPECT_EQ(image.dibSize, 308u - 4u);

  HCURSOR named = LoadCursorA(test.handle, "namedCursor");
  ASSERT_TRUE(vqwin::resource::DescribeCursor(named, &image));
  EXPECT_EQ(image.hotspot.x, 11);

  HICON icon = LoadIconA(test.handle, MAKEINTRESOURCE(IDI_APP));
  ASSERT_TRUE(vqwin::resource::DescribeCursor(icon, &image));
  EXPECT_TRUE(image.icon);
  EXPECT_EQ(image.width, 32) << "the 32x32 image is preferred over 16x16";
  EXPECT_EQ(image.hotspot.x, 16);

  SetLastError(0);
  EXPECT_EQ(LoadCursorA(test.handle, MAKEINTRESOURCE(IDI_APP)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  // A resource module of texts and dialogs holds no icons at all.
  Module german("vq_tblrcD.dll");
  SetLastError(0);
  EXPECT_EQ(LoadIconA(german.handle, MAKEINTRESOURCE(IDI_APP)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
}

TEST(Bitmaps, LoadBitmapKeepsMonochromeAndDecodesColourTables) {
  Module test("vq_restest.dll");
  HBITMAP check = LoadBitmapA(test.handle, MAKEINTRESOURCE(IDB_CHECK));
  HBITMAP ramp = LoadBitmapA(test.handle, MAKEINTRESOURCE(IDB_RAMP));
  ASSERT_NE(check, nullptr);
  ASSERT_NE(ramp, nullptr);
  HBITMAP again = LoadBitmapA(test.handle, MAKEINTRESOURCE(IDB_CHECK));
  EXPECT_NE(again, check) << "a new one per call";
  DeleteObject(again);
  BITMAP info{};
  ASSERT_EQ(GetObjectA(check, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 16);
  EXPECT_EQ(info.bmHeight, 16);
  EXPECT_EQ(info.bmBitsPixel, 1);
  ASSERT_EQ(GetObjectA(ramp, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_GT(info.bmBitsPixel, 8);

  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, check);
  // Squares of 4 pixels alternate, black first, counting from the top row.
  struct Pixel {
    int x, y;
    COLORREF colour;
  } checks[] = {{0, 0, 0x000000}, {4, 0, 0xFFFFFF}, {4, 4, 0x000000}, {0, 15, 0xFFFFFF}};
  for (const Pixel &p : checks)
    EXPECT_EQ(GetPixel(dc, p.x, p.y), p.colour) << p.x << "," << p.y;
  SelectObject(dc, ramp);
  // Index x * 16 + y; colour i of the table is (i, 255 - i, i * 7 mod 256).
  auto entry = [](int i) { return RGB(i, 255 - i, (i * 7) & 255); };
  EXPECT_EQ(GetPixel(dc, 1, 0), entry(16));
  EXPECT_EQ(GetPixel(dc, 2, 5), entry(37));
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 255, 255)) << "index 1";
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_TRUE(DeleteObject(check));
  EXPECT_TRUE(DeleteObject(ramp));

  SetLastError(0);
  EXPECT_EQ(LoadBitmapA(test.handle, MAKEINTRESOURCE(1)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  SetLastError(0);
  EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCE(32754)), nullptr) << "no system bitmaps";
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}
