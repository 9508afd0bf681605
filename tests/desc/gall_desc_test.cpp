// The gallery settings: what switches them on, the defaults of the dia
// size, the image lines in file order, and the lines written back.
#include "desc_fixture.h"

#include <cstring>

namespace {

using Calls = std::vector<std::string>;

// A data line as the editor lays it out with the layout used here: text
// from column 24, comment from column 104.
std::string Line(const std::string &keyword, const std::string &text, const std::string &comment) {
  std::string line = keyword + std::string(24 - keyword.size(), ' ') + text;
  return line + std::string(104 - line.size(), ' ') + "; " + comment + "\r\n";
}

class GallDesc : public vqtest::DescTest {
protected:
  BOOL Read(const std::string &text) {
    EXPECT_TRUE(config.ReadIt(text.data(), UINT(text.size())));
    return gallery.ReadDef(config);
  }
  std::string Written(const CVQGallDesc &g) {
    CVQConfFile out;
    EXPECT_TRUE(out.StartEdit(4096, 8, 32, 24, 80, 104));
    EXPECT_EQ(g.WriteDef(out), 1);
    return out.GetEditText();
  }
  std::vector<std::string> Images() const {
    std::vector<std::string> out;
    for (UINT i = 0; i < gallery.images.count; ++i)
      out.push_back(gallery.images.images[i].imageName);
    return out;
  }
  CVQConfFile config;
  CVQGallDesc gallery;
};

TEST_F(GallDesc, LayoutOrModeSwitchesOnAndTheDiaSizeDefaultsTo80) {
  const struct {
    const char *text;
    BOOL enabled;
    UINT layout, mode, width, height;
  } rows[] = {
      {"GalleryDiaSize: 120\r\n", 0, 0, 0, 120, 80},
      {"GalleryLayout: 2\r\n", 1, 2, 0, 80, 80},
      {"GalleryDiaMode: 3\r\nGalleryDiaSize: 64, 48\r\n", 1, 0, 3, 64, 48},
      {"GalleryLayout: x\r\nGalleryDiaSize: \"big\"\r\n", 0, 0, 0, 80, 80},
      {"", 0, 0, 0, 80, 80},
  };
  for (const auto &r : rows) {
    gallery.layout = gallery.diaMode = 9;
    EXPECT_EQ(Read(r.text), 1) << r.text;
    EXPECT_EQ(gallery.enabled, r.enabled) << r.text;
    EXPECT_EQ(
        std::vector<UINT>({gallery.layout, gallery.diaMode, gallery.diaWidth, gallery.diaHeight}),
        std::vector<UINT>({r.layout, r.mode, r.width, r.height}))
        << r.text;
    EXPECT_EQ(gallery.images.count, 0u) << r.text;
  }
  EXPECT_EQ(Written(gallery), "") << "a switched-off gallery writes nothing";
}

TEST_F(GallDesc, ImagesComeInFileOrderAndAnUnreadableLineStaysEmpty) {
  ASSERT_EQ(Read("ImageFileName: \"a\\%NR%.jpg\"\r\n"
                 "ImageFileName: \"open\r\n"
                 "GalleryLayout: 1\r\n"
                 "ImageFileName: c.png\r\n"
                 "ImageFileName: \"" +
                 std::string(512, 'x') + "\"\r\n"),
            1);
  EXPECT_EQ(Images(), (Calls{"a\\%NR%.jpg", "", "c.png", ""}));
  EXPECT_EQ(gallery.images.images[0].textLength, 10u);
  EXPECT_EQ(gallery.images.images[1].textLength, 0u);
  EXPECT_EQ(Logged(), Calls{"0 CVQGallDesc Image file name IMAGEFILENAME(3) is longer than 511 "
                            "characters"});
}

TEST_F(GallDesc, WritesItsLinesWithCommentsAndReadsThemBack) {
  ASSERT_EQ(Read("GalleryLayout: 4\r\nGalleryDiaMode: 1\r\nGalleryDiaSize: 100, 75\r\n"
                 "ImageFileName: \"x\"\"y.png\"\r\nImageFileName: \"z.png\"\r\n"),
            1);
  const std::string text = Written(gallery);
  EXPECT_EQ(text, ";\r\n" + Line("GalleryLayout:", "4", "gallery  windows layout") +
                      Line("GalleryDiaMode:", "1", "gallery dia display mode") +
                      Line("GalleryDiaSize:", "100, 75", "Gallery dia display size") + ";\r\n" +
                      Line("ImageFileName:", "\"x\"\"y.png\"", "image filename definition") +
                      Line("ImageFileName:", "\"z.png\"", "image filename definition") + ";\r\n");
  CVQGallDesc copy(gallery);
  ASSERT_EQ(Read(text), 1);
  EXPECT_EQ(Images(), (Calls{"x\"y.png", "z.png"}));
  EXPECT_EQ(Written(gallery), text);
  EXPECT_NE(copy.images.images, gallery.images.images);
  EXPECT_EQ(Written(copy), text);
}

TEST_F(GallDesc, FreeGalleryKeepsCodesAndSizeButSwitchesOff) {
  ASSERT_EQ(Read("GalleryLayout: 4\r\nGalleryDiaMode: 2\r\nGalleryDiaSize: 10, 20\r\n"
                 "ImageFileName: \"a\"\r\n"),
            1);
  gallery.FreeGallery();
  EXPECT_EQ(gallery.enabled, 0);
  EXPECT_EQ(gallery.images.count, 0u);
  EXPECT_EQ(gallery.images.images, nullptr);
  EXPECT_EQ(
      std::vector<UINT>({gallery.layout, gallery.diaMode, gallery.diaWidth, gallery.diaHeight}),
      std::vector<UINT>({4, 2, 10, 20}));
  EXPECT_EQ(Written(gallery), "");
}

} // namespace
