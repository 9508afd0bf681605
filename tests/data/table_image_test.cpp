// Image file names built from the gallery's templates for a browsed line:
// every marker, the prefix that takes the base path, the limits of
// parameters, base and name, and the failures with their log lines; and a
// picture of the sample data browsed with a selection.
#include "browse_fixture.h"

#include <vq_icl32.h>
#include <vqwin_automation.h>
#include <vqwin_modal.h>

#include <cstdlib>

namespace {

using namespace vqtest;

class ImageName : public BrowseTest {
protected:
  void SetUp() override {
    BrowseTest::SetUp();
    Open(browser, 1024);
    ASSERT_EQ(browser.DisplayTable(0, 0, 0), 1);
    expected = Expected(SampleFile(1024), 0, false, nullptr, *browser.tableDesc);
  }
  // Makes the table's gallery the one template; GetImageName of image 0.
  int Build(const std::string &tpl, const char *base, UINT line) {
    CVQImgNameDescList &images = file.tables.tables[0].gallery.images;
    images.Free();
    images.images = new CVQImgNameDesc[1];
    images.count = images.capacity = 1;
    CopyText(images.images[0].imageName, sizeof images.images[0].imageName, tpl.c_str());
    images.images[0].textLength = UINT(tpl.size());
    name = CICLName();
    name.value = 12345;
    return browser.GetImageName(&name, base, line, 0);
  }
  std::string Trimmed(UINT line, vqsample::Field f) const {
    std::string text = Cell(*browser.tableDesc, expected[line], f);
    return text.substr(0, text.find_last_not_of(' ') + 1);
  }

  CVQTableISAM browser;
  std::vector<std::string> expected;
  CICLName name;
};

TEST_F(ImageName, MarkersExpandForTheLine) {
  char module[MAX_PATH];
  GetModuleFileNameA(nullptr, module, sizeof module);
  ULONGLONG big6;
  std::memcpy(&big6, expected[6].data() + kFieldSpecs[BIG].offset, sizeof big6);
  const std::string base(258, 'b');
  const struct {
    std::string tpl;
    const char *base;
    UINT line;
    std::string name;
    ULONGLONG value;
  } rows[] = {
      {".\\#SN0%03u#.bmp", "C:\\IMG\\", 6, "C:\\IMG\\006.bmp", 0},
      {"#SN1%u#", nullptr, 6, "7", 0},
      {"n#SN0%%%-4u#.", nullptr, 6, "n%6   .", 0},
      {"#TBig#.jpg", nullptr, 6, ".jpg", big6},
      {"A#B", nullptr, 0, "A#B", 0},
      {"a##b#", nullptr, 0, "a##b#", 0},
      {"img\\#FName#_#FPlz\\#.png", nullptr, 9,
       "img\\" + Trimmed(9, NAME) + "_" + Trimmed(9, PLZ) + ".png", 0},
      {"#PPN#.ini", nullptr, 0, std::string(module) + ".ini", 0},
      {"#PPN", nullptr, 0, module, 0},
      {".\\", "C:\\", 0, ".\\", 0}, // too short to be the prefix
      {".\\x", nullptr, 0, "x", 0},
      {".\\a", base.c_str(), 0, base + "a", 0}, // 259 characters
      {"#SN0%u" + std::string(60, 'x'), nullptr, 3, "3" + std::string(60, 'x'), 0},
  };
  for (const auto &row : rows) {
    ASSERT_EQ(Build(row.tpl, row.base, row.line), 1) << row.tpl;
    EXPECT_EQ(std::string(name.text), row.name) << row.tpl;
    EXPECT_EQ(name.length, UINT(row.name.size())) << row.tpl;
    EXPECT_EQ(name.value, row.value) << row.tpl;
  }
  EXPECT_TRUE(LinesOf(" CVQTableISAM ").empty());
}

TEST_F(ImageName, WhatCannotBeBuiltIsRefusedWithItsReason) {
  const std::string longBase(259, 'b'), base260(260, 'b');
  const struct {
    std::string tpl;
    const char *base;
    UINT line;
    const char *log;
  } rows[] = {
      {"#FNope#", nullptr, 0, "Field <Nope> not found in table record description."},
      {"#TNope\\#", nullptr, 0, "Field <Nope\\> not found in table record description."},
      {"#SN0%s#", nullptr, 0, "GetImageName: <%s> is no format of a line number."},
      {"#SN0%u%u#", nullptr, 0, "GetImageName: <%u%u> is no format of a line number."},
      {"#SN0%9999u#", nullptr, 0, "GetImageName: <%9999u> is no format of a line number."},
      {"#SN0%u" + std::string(61, 'x'), nullptr, 0,
       "GetImageName: The parameter of #SN0 is longer than 62 characters."},
      {".\\a", longBase.c_str(), 0, "GetImageName: The image name exceeds 259 characters."},
      {".\\a", base260.c_str(), 0, "GetImageName: The base path is longer than 259 characters."},
      {std::string(260, 'x'), nullptr, 0, "GetImageName: The image name exceeds 259 characters."},
      {std::string(250, 'x') + "#SN0%020u#", nullptr, 0,
       "GetImageName: The image name exceeds 259 characters."},
      {"#FName#", nullptr, 5000, "ISAM Error: No More Iteration Records."},
  };
  for (const auto &row : rows) {
    theLibrary.ClearCaptured();
    EXPECT_EQ(Build(row.tpl, row.base, row.line), 0) << row.tpl;
    EXPECT_EQ(name.value, 12345u) << row.tpl; // the name object is left alone
    const auto lines = LinesOf(" CVQTableISAM ");
    ASSERT_EQ(lines.size(), 1u) << row.tpl;
    EXPECT_NE(lines[0].find(row.log), std::string::npos) << lines[0];
  }
  theLibrary.ClearCaptured();
  EXPECT_EQ(browser.GetImageName(&name, nullptr, 0, 1), 0);
  const auto lines = LinesOf(" CVQTableISAM ");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("GetImageName: No access to image 1 possible."), std::string::npos);
  EXPECT_TRUE(vqwin::MessageBoxRecords().empty());
}

// The customer table of the sample description in an ISAM file, browsed
// by name with a selection; the picture is kept in the test output.
TEST_F(BrowseTest, PictureOfTheSampleCustomersWithASelection) {
  const auto dir = std::filesystem::path(testing::TempDir()) / "vq_browse_kunden";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string isa = (dir / "kunden.isa").string();
  CVQFileDesc desc;
  ASSERT_TRUE(desc.InitDescEdit(nullptr, VQ_SAMPLES_DIR "/kunden.cfg", FALSE));
  ASSERT_TRUE(desc.CreateISAMFile(nullptr, isa.c_str()));
  CopyText(desc.fileName, sizeof desc.fileName, isa.c_str());
  desc.curTable = desc.FindTableName("Kunden");
  ASSERT_NE(desc.curTable, ~0u);
  const CVQTableDesc &kunden = desc.tables.tables[desc.curTable];
  static const char *const kNames[][3] = {
      {"Maier", "Anna", "Muenchen"},     {"Mueller", "Bernd", "Berlin"},
      {"Schmidt", "Clara", "Hamburg"},   {"Meyer", "Dieter", "Koeln"},
      {"Schulz", "Eva", "Frankfurt"},    {"Maurer", "Franz", "Bonn"},
      {"Wagner", "Gisela", "Stuttgart"}, {"Moser", "Hans", "Mainz"},
      {"Becker", "Ina", "Essen"},        {"Mahler", "Jakob", "Kiel"},
      {"Hoffmann", "Karla", "Ulm"},      {"Marx", "Ludwig", "Trier"}};
  HISAMFILE f = nullptr;
  HISAMTABLE t = nullptr;
  UINT detail = 0, size = 0;
  ASSERT_EQ(ISAMOpen(&f, isa.c_str(), ISAM_MODE_READWRITE, &detail), 0u);
  ASSERT_EQ(ISAMOpenTable(f, "Kunden", &t), 0u);
  ASSERT_EQ(ISAMGetDataRecSize(t, &size), 0u);
  for (UINT i = 0; i < 12; ++i) {
    std::string r(size, ' ');
    const UINT nr = 1001 + i;
    std::memcpy(&r[0], &nr, 4);
    std::memcpy(&r[4], kNames[i][0], std::strlen(kNames[i][0]));
    std::memcpy(&r[34], kNames[i][1], std::strlen(kNames[i][1]));
    char plz[8];
    std::snprintf(plz, sizeof plz, "%05u", 10115 + i * 7411);
    std::memcpy(&r[54], plz, 5);
    std::memcpy(&r[59], kNames[i][2], std::strlen(kNames[i][2]));
    char born[16];
    std::snprintf(born, sizeof born, "%02u.%02u.%04u", 1 + i * 2, 1 + i, 1950 + i * 3);
    std::memcpy(&r[84], born, 10);
    const LONGLONG umsatz = 123456 * (i + 1);
    std::memcpy(&r[94], &umsatz, 8);
    const float rabatt = float(i) / 2;
    std::memcpy(&r[102], &rabatt, 4);
    r[106] = char(i % 3);
    std::memset(&r[107], 0, 40);
    DWORD address = 0;
    ASSERT_EQ(ISAMInsertRecord(t, r.data(), size, &address), 0u);
  }
  ISAMCloseTable(t);
  ISAMClose(f, &detail);

  CVQTableISAM b;
  ASSERT_EQ(b.InitISAMFile(nullptr, nullptr, &desc, 1), 1);
  ASSERT_EQ(b.InitTable(parent, kGridId), 1);
  CVQTblSelDesc sel;
  ASSERT_EQ(sel.parse("name = M*", 9), 1);
  ASSERT_EQ(sel.resolve(&kunden), 1);
  EXPECT_EQ(b.SetSelection(&sel), 7u);
  ASSERT_EQ(b.DisplayTable(1, 0, 0), 1);
  UpdateWindow(grid);
  char text[64];
  const char *byName[] = {"Mahler", "Maier", "Marx", "Maurer", "Meyer", "Moser", "Mueller"};
  for (UINT line = 0; line < 7; ++line) {
    ASSERT_NE(b.GetDataField(line, 1, text, sizeof text), ~0u);
    EXPECT_STREQ(text, byName[line]);
  }
  const char *out = std::getenv("VQ_TEST_OUTPUT");
  const std::string png =
      (std::filesystem::path(out && *out ? out : testing::TempDir()) / "browse_kunden.png")
          .string();
  std::filesystem::create_directories(std::filesystem::path(png).parent_path());
  EXPECT_TRUE(vqwinSaveScreenshot(grid, png.c_str()));
  EXPECT_TRUE(vqwin::MessageBoxRecords().empty());
}

} // namespace
