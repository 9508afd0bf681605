#include <windows.h>
#include <vq_icl32.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

TEST(CICLName, ValueSitsBehindTheFirstSixteenBytes) {
  // The table browser writes the image number at this offset.
  EXPECT_EQ(offsetof(CICLName, value), 16u);
}

struct NameRow {
  const char *name;
  UINT length;
  const char *text, *fileName, *extension;
};

TEST(CICLName, LocatesFileNameAndExtension) {
  const NameRow rows[] = {
      {"C:\\IMG\\P001.JPG", 0, "C:\\IMG\\P001.JPG", "P001.JPG", ".JPG"},
      {"/data/img/p.1/photo", 0, "/data/img/p.1/photo", "photo", ""},
      {"a/b\\c.tar.gz", 0, "a/b\\c.tar.gz", "c.tar.gz", ".gz"},
      {"PHOTO.BMPXYZ", 9, "PHOTO.BMP", "PHOTO.BMP", ".BMP"},
      {"dir/", 0, "dir/", "", ""},
      {"", 0, "", "", ""},
  };
  for (const auto &r : rows) {
    CICLName n;
    ASSERT_EQ(n.SetFileName(r.name, r.length), 1) << r.name;
    EXPECT_STREQ(n.text, r.text) << r.name;
    EXPECT_EQ(n.length, std::string(r.text).size()) << r.name;
    EXPECT_STREQ(n.GetFileName(), r.fileName) << r.name;
    EXPECT_STREQ(n.GetExtension(), r.extension) << r.name;
  }
}

TEST(CICLName, RefusesNamesThatDoNotFitAndKeepsTheOldOne) {
  CICLName n;
  ASSERT_EQ(n.SetFileName("old.png", 0), 1);
  n.value = 0x1122334455667788ull;
  const std::string tooLong(MAX_PATH, 'x');
  EXPECT_EQ(n.SetFileName(tooLong.c_str(), 0), 0);
  EXPECT_EQ(n.SetFileName(nullptr, 5), 0);
  EXPECT_STREQ(n.text, "old.png");
  EXPECT_EQ(n.value, 0x1122334455667788ull); // the host's value is never touched
  const std::string longest(MAX_PATH - 1, 'y');
  EXPECT_EQ(n.SetFileName(longest.c_str(), 0), 1);
  EXPECT_EQ(n.length, UINT(MAX_PATH - 1));
}
