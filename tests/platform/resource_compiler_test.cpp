// The resource compiler on scripts held in memory: what it accepts of the
// resource-script language, the binary layouts it writes, and the file and
// line of every rejection.
#include "rc_compiler.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using Files = std::map<std::string, std::string>;

vqrc::Result CompileText(const std::string &script, Files files = {}, vqrc::Options options = {}) {
  files["dir/t.rc"] = script;
  return vqrc::Compile("dir/t.rc", options, [files](const std::string &path) {
    const auto it = files.find(path);
    return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
  });
}

// The text of string id in a compiled string table, as UTF-16.
std::u16string StringOf(const vqrc::Result &r, uint16_t id, uint16_t language = 0x0409) {
  for (const auto &res : r.resources) {
    if (res.type.id != 6 || res.name.id != (id >> 4) + 1 || res.language != language)
      continue;
    size_t at = 0;
    auto unit = [&](size_t i) { return char16_t(res.data[2 * i] | (res.data[2 * i + 1] << 8)); };
    for (int i = 0; i < (id & 15); ++i)
      at += 1 + unit(at);
    std::u16string s;
    for (size_t i = 0; i < unit(at); ++i)
      s += unit(at + 1 + i);
    return s;
  }
  return u"<missing>";
}

const vqrc::Resource *Find(const vqrc::Result &r, uint16_t type, uint16_t name) {
  for (const auto &res : r.resources)
    if (res.type.id == type && res.name.text.empty() && res.name.id == name)
      return &res;
  return nullptr;
}

uint32_t Le(const std::vector<uint8_t> &d, size_t at, int width) {
  uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i)
    v = (v << 8) | d[at + static_cast<size_t>(i)];
  return v;
}

} // namespace

TEST(ResourceCompiler, RejectsMalformedScriptsWithFileAndLine) {
  const Files files = {
      {"dir/ids.h", "#define IDX 1\nint declarations(void); /* skipped */\n#bogus\n"},
      {"dir/bad.bmp", std::string("XX") + std::string(60, '\0')},
      {"dir/icon.ico", std::string("\0\0\1\0\0\0", 6)},
      {"dir/self.rc", "#include \"self.rc\"\n"},
  };
  std::string doubling = "#define A0 1\n";
  for (int i = 1; i <= 20; ++i)
    doubling += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" +
                std::to_string(i - 1) + "\n";
  struct Row {
    std::string script, error;
  } rows[] = {
      {"STRINGTABLE\nBEGIN\n 1 \"a\"\n", "dir/t.rc:1: error: STRINGTABLE without END"},
      {"STRINGTABLE\nBEGIN\n1 \"a\n END", "dir/t.rc:3: error: unterminated string"},
      {"STRINGTABLE BEGIN 1 \"a\"\n 1 \"b\" END", "dir/t.rc:2: error: duplicate string id 1"},
      {"STRINGTABLE BEGIN\n\n70000 \"x\" END", "dir/t.rc:3: error: string id 70000 out of range"},
      {"STRINGTABLE BEGIN 1 2 END", "dir/t.rc:1: error: expected a string, found '2'"},
      {"\n/* open\n\n", "dir/t.rc:2: error: unterminated comment"},
      {"#if 1\n\n", "dir/t.rc:1: error: unterminated #if"},
      {"\n#endif\n", "dir/t.rc:2: error: #endif without #if"},
      {"#if 0\n#else\n#else\n#endif", "dir/t.rc:3: error: #else after #else"},
      {"#if 1/0\n#endif", "dir/t.rc:1: error: division by zero in #if"},
      {"#if (1\n#endif", "dir/t.rc:1: error: missing ')' in #if"},
      {"#include \"missing.h\"", "dir/t.rc:1: error: cannot open include file 'missing.h'"},
      {"#include missing.h", "dir/t.rc:1: error: #include expects \"file\" or <file>"},
      {"#include \"ids.h\"\n", "dir/ids.h:3: error: unknown directive #bogus"},
      {"#include \"self.rc\"", "dir/self.rc:1: error: #include nested too deeply"},
      {"#pragma code_page(437)", "dir/t.rc:1: error: unsupported code page 437"},
      {"#pragma code_page(65001)\nSTRINGTABLE BEGIN 1 \"\xff\" END",
       "dir/t.rc:2: error: invalid UTF-8 in string"},
      {"#error stop here", "dir/t.rc:1: error: #error stop here"},
      {"#define F(x) x\nSTRINGTABLE BEGIN F(1) \"a\" END",
       "dir/t.rc:2: error: function-like macro 'F' is not supported"},
      {doubling + "STRINGTABLE BEGIN A20 \"a\" END",
       "dir/t.rc:22: error: macro expansion too large"},
      {"\n @", "dir/t.rc:2: error: unexpected character '@'"},
      {"STRINGTABLE BEGIN 0x1FFFFFFFF \"a\" END", "dir/t.rc:1: error: number too large"},
      {"1 MENU\nBEGIN\nEND", "dir/t.rc:1: error: unsupported resource type 'MENU'"},
      {"1 DIALOG 0,0,1,1\nBEGIN\nEND", "dir/t.rc:1: error: DIALOG is not supported; use DIALOGEX"},
      {"1 DIALOGEX 0,0,10\nBEGIN\nEND", "dir/t.rc:2: error: expected ',', found 'BEGIN'"},
      {"1 DIALOGEX 0,0,70000,1\nBEGIN\nEND", "dir/t.rc:1: error: value 70000 out of range"},
      {"1 DIALOGEX 0,0,1,1\nBEGIN\n  FROB 1,2\nEND", "dir/t.rc:3: error: unknown control 'FROB'"},
      {"1 DIALOGEX 0,0,1,1\nBEGIN\n  EDITTEXT IDC_NOPE, 1,2,3,4\nEND",
       "dir/t.rc:3: error: undefined symbol 'IDC_NOPE'"},
      {"1 DIALOGEX 0,0,1,1\nBEGIN\n  CONTROL \"\", 1, WIDGET, 0, 1,2,3,4\nEND",
       "dir/t.rc:3: error: unknown control class 'WIDGET'"},
      {"1 DIALOGEX 0,0,1,1\nBEGIN\n  LTEXT \"a\", 1, 1,2,3,4\n",
       "dir/t.rc:1: error: DIALOGEX without END"},
      {"1 DIALOGEX 0,0,1,1\nCAPTION \"a\\0b\"\nBEGIN\nEND",
       "dir/t.rc:2: error: NUL character in dialog text"},
      {"1 DIALOGEX 0,0,1,1\nBEGIN\nCONTROL \"\", 1, L\"\\xFFFFx\", 0, 1,2,3,4\nEND",
       "dir/t.rc:3: error: dialog text starts with U+FFFF"},
      {"1 DIALOGEX 0,0,1,1\nCOLOUR 3\nBEGIN\nEND",
       "dir/t.rc:2: error: unknown dialog option 'COLOUR'"},
      {"1 DIALOGEX 0,0,1,1 STYLE DS_SETFONT\nBEGIN\nEND",
       "dir/t.rc:1: error: DS_SETFONT without FONT"},
      {"1 DIALOGEX 0,0,1,1\nBEGIN\nEND\n1 DIALOGEX 0,0,1,1\nBEGIN\nEND",
       "dir/t.rc:4: error: duplicate resource 1"},
      {"1 BITMAP \"nofile.bmp\"", "dir/t.rc:1: error: cannot open 'nofile.bmp'"},
      {"1 BITMAP\n\"bad.bmp\"", "dir/t.rc:2: error: 'bad.bmp' is not a bitmap"},
      {"1 ICON \"icon.ico\"", "dir/t.rc:1: error: 'icon.ico' is not an icon file"},
      {"1 CURSOR \"icon.ico\"", "dir/t.rc:1: error: 'icon.ico' is not a cursor file"},
      {"1 ICON\n", "dir/t.rc:1: error: expected a file name, found end of file"},
      {"LANGUAGE 0x400, 1", "dir/t.rc:1: error: language out of range"},
      {"BEGIN", "dir/t.rc:1: error: expected a resource type, found end of file"},
      {", 1 ICON \"a\"", "dir/t.rc:1: error: expected a resource statement, found ','"},
  };
  for (const Row &r : rows) {
    const vqrc::Result result = CompileText(r.script, files);
    EXPECT_FALSE(result.ok) << r.script;
    EXPECT_EQ(result.error, r.error) << r.script;
  }
}

TEST(ResourceCompiler, PreprocessesLikeAResourceCompiler) {
  const Files files = {
      {"dir/ids.h", "#ifndef IDS_H\n#define IDS_H\n#define IDS_A 10\n"
                    "struct skipped { int x; };  // declarations in headers are ignored\n"
                    "#define IDS_B (IDS_A + 1)\n#endif\n"},
      {"inc/other.h", "#define FROM_INCLUDE_DIR 12\n"},
  };
  vqrc::Options options;
  options.includeDirs.push_back("inc");
  options.defines.push_back({"FEATURE", ""});
  options.defines.push_back({"LEVEL", "3"});
  const auto r = CompileText(R"(
#include <windows.h>
#include "ids.h"
#include "ids.h"
#include <other.h>
#if 0
  this is never read "even an unterminated string
#elif defined(FEATURE) && LEVEL >= 3 && !defined(MISSING)
STRINGTABLE
BEGIN
  IDS_A, "ten"       // a comment
  IDS_B  "eleven" " joined"
  FROM_INCLUDE_DIR "twelve \
"
  13 L"wide\x263A"
#ifdef MISSING
  14 "no"
#else
  14 "tab\there"
#endif
  15 "caf\xe9"
END
#else
#error not taken
#endif
#undef IDS_A
#ifndef IDS_A
LANGUAGE LANG_GERMAN, SUBLANG_GERMAN
STRINGTABLE { 10 "zehn" }
#endif
)",
                             files, options);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(StringOf(r, 10), u"ten");
  EXPECT_EQ(StringOf(r, 11), u"eleven joined");
  EXPECT_EQ(StringOf(r, 12), u"twelve ");
  EXPECT_EQ(StringOf(r, 13), u"wide\u263A");
  EXPECT_EQ(StringOf(r, 14), u"tab\there");
  EXPECT_EQ(StringOf(r, 15), u"caf\u00e9") << "Windows-1252 by default";
  EXPECT_EQ(StringOf(r, 10, 0x0407), u"zehn");
  EXPECT_EQ(r.dependencies,
            (std::vector<std::string>{"dir/t.rc", "dir/ids.h", "dir/ids.h", "inc/other.h"}));
}

TEST(ResourceCompiler, StringBlocksHoldSixteenCountedStrings) {
  const auto r = CompileText("STRINGTABLE BEGIN 33 \"ab\" 47 \"\" 34 \"c\" END");
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.resources.size(), 1u);
  const auto &block = r.resources[0];
  EXPECT_EQ(block.name.id, 3) << "ids 32-47 are block 3";
  // 16 counts, "ab" at 33 and "c" at 34: 16 + 2 + 1 units.
  ASSERT_EQ(block.data.size(), 2u * 19);
  EXPECT_EQ(Le(block.data, 0, 2), 0u);
  EXPECT_EQ(Le(block.data, 2, 2), 2u);
  EXPECT_EQ(Le(block.data, 4, 2), u'a');
  EXPECT_EQ(Le(block.data, 8, 2), 1u);
}

TEST(ResourceCompiler, StylesApplyLeftToRightOntoTheDefaults) {
  const auto r = CompileText(
      "1 DIALOGEX 0, 0, 10, 10\nSTYLE WS_POPUP | WS_VISIBLE | NOT WS_VISIBLE | DS_CENTER\n"
      "BEGIN\n"
      "  PUSHBUTTON \"a\", 1, 0, 0, 1, 1, NOT WS_VISIBLE | WS_DISABLED\n"
      "  CONTROL \"b\", 2, \"Edit\", (ES_LEFT + 4) & ~4 | NOT WS_VISIBLE, 0, 0, 1, 1\n"
      "END");
  ASSERT_TRUE(r.ok) << r.error;
  const auto *d = Find(r, 5, 1);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Le(d->data, 12, 4), 0x80000800u);
  // The first item starts DWORD-aligned after the header and empty texts.
  const size_t item = 26 + 2 + 2 + 2;
  ASSERT_EQ(item % 4, 0u);
  EXPECT_EQ(Le(d->data, item + 8, 4), 0x40000000u | 0x08000000u | 0x00010000u);
  const size_t second = (item + 24 + 4 + 2 * 2 + 2 + 3) & ~size_t{3};
  EXPECT_EQ(Le(d->data, second + 8, 4), 0x40000000u) << "NOT clears what the default set";
  EXPECT_EQ(Le(d->data, second + 24, 2), 0xFFFFu) << "\"Edit\" becomes the predefined atom";
  EXPECT_EQ(Le(d->data, second + 26, 2), 0x81u);
}

TEST(ResourceCompiler, IconsAndCursorsSplitIntoImagesAndAGroup) {
  auto image = [](uint32_t w, uint32_t h) {
    std::string dib(40 + 8 + 4 * h * 2, '\0');
    dib[0] = 40;
    dib[4] = static_cast<char>(w);
    dib[8] = static_cast<char>(h * 2);
    dib[12] = 1;
    dib[14] = 1;
    return dib;
  };
  const std::string a = image(16, 16), b = image(32, 32);
  std::string cur("\0\0\2\0\2\0", 6);
  auto entry = [](uint8_t w, uint16_t hx, uint16_t hy, uint32_t size, uint32_t offset) {
    std::string e(16, '\0');
    e[0] = static_cast<char>(w), e[1] = static_cast<char>(w);
    e[4] = static_cast<char>(hx), e[6] = static_cast<char>(hy);
    for (int i = 0; i < 4; ++i) {
      e[8 + i] = static_cast<char>(size >> (8 * i));
      e[12 + i] = static_cast<char>(offset >> (8 * i));
    }
    return e;
  };
  cur += entry(16, 3, 4, static_cast<uint32_t>(a.size()), 38);
  cur += entry(32, 11, 9, static_cast<uint32_t>(b.size()), static_cast<uint32_t>(38 + a.size()));
  cur += a + b;
  const auto r = CompileText("77 CURSOR \"c.cur\"\nNAMED CURSOR \"c.cur\"", {{"dir/c.cur", cur}});
  ASSERT_TRUE(r.ok) << r.error;
  const auto *group = Find(r, 12, 77);
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(group->data.size(), 6u + 2 * 14);
  EXPECT_EQ(Le(group->data, 2, 2), 2u) << "cursor group";
  EXPECT_EQ(Le(group->data, 4, 2), 2u) << "two images";
  EXPECT_EQ(Le(group->data, 6 + 14, 2), 32u) << "width";
  EXPECT_EQ(Le(group->data, 6 + 14 + 2, 2), 64u) << "height counts the mask";
  EXPECT_EQ(Le(group->data, 6 + 14 + 8, 4), b.size() + 4) << "bytes with the hot spot";
  const uint32_t id = Le(group->data, 6 + 14 + 12, 2);
  const auto *single = Find(r, 1, static_cast<uint16_t>(id));
  ASSERT_NE(single, nullptr);
  EXPECT_EQ(Le(single->data, 0, 2), 11u);
  EXPECT_EQ(Le(single->data, 2, 2), 9u);
  EXPECT_EQ(single->data.size(), b.size() + 4);
  // The named group gets images of its own; ids never collide.
  EXPECT_EQ(r.resources.size(), 4u + 2u);
  EXPECT_EQ(r.resources.back().name.text, "NAMED") << "names sort after ids";
}

TEST(ResourceCompiler, EmitsATableWithEscapedNames) {
  vqrc::Resource res;
  res.type.id = 10;
  res.name.text = "A\"B\\";
  res.data = {1, 2, 255};
  const std::string source = vqrc::EmitSource({res}, "x.rc");
  EXPECT_NE(source.find("{{nullptr, 10}, {\"A\\042B\\134\", 0}, 0, 3, r0}"), std::string::npos)
      << source;
  EXPECT_NE(source.find("alignas(8) const unsigned char r0[3] = {\n  1,2,255,};"),
            std::string::npos)
      << source;
  EXPECT_NE(vqrc::EmitSource({}, "x.rc").find("VQWIN_RESOURCE_VERSION, 0u, nullptr};"),
            std::string::npos);
  EXPECT_NE(source.find("Registration() { vqwin_register_resources(&table); }"), std::string::npos);
}
