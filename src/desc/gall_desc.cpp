// The gallery settings of a table (window layout, dia mode, dia size) and
// its image file name definitions: their lines inside the table's block,
// read and written. The codes and the size unit belong to the host's
// gallery window; this file only carries them.
#include "desc/record_table.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kTag[] = "CVQGallDesc";
constexpr char kImageKey[] = "IMAGEFILENAME";
constexpr UINT kDefaultDiaSize = 80;
constexpr UINT kImageChars = sizeof(CVQImgNameDesc::imageName) - 1;

enum : UINT { kMsgNoMemory = 1 };

} // namespace

BOOL CVQImgNameDesc::ReadDef(CVQConfFile &conf, const char *keyword, UINT index) {
  // Read into a buffer as long as a line can be, so that a template longer
  // than the member is refused whole instead of cut into another name.
  char text[VQCF_MAX_LINE + 1];
  UINT length = 0;
  if (conf.GetText(keyword, text, sizeof text, &length) != VQCF_OK)
    length = 0;
  if (length > kImageChars) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Image file name %s(%u) is longer than %u characters",
                      keyword ? keyword : "", index, kImageChars);
    length = 0;
  }
  std::memcpy(imageName, text, length);
  imageName[length] = '\0';
  textLength = length;
  return 1;
}

CVQImgNameDescList::~CVQImgNameDescList() { Free(); }

CVQImgNameDescList::CVQImgNameDescList(const CVQImgNameDescList &other)
    : reset(0), count(0), capacity(0), images(nullptr) {
  vqdesc::CopyRecords(*this, other, &CVQImgNameDescList::images, kTag);
}

CVQImgNameDescList &CVQImgNameDescList::operator=(const CVQImgNameDescList &other) {
  vqdesc::CopyRecords(*this, other, &CVQImgNameDescList::images, kTag);
  return *this;
}

void CVQImgNameDescList::Free() { vqdesc::FreeRecords(*this, &CVQImgNameDescList::images); }

BOOL CVQGallDesc::ReadDef(CVQConfFile &conf) {
  enabled = 0;
  UINT value = 0;
  const bool hasLayout = conf.GetWord("GALLERYLAYOUT", &value) == VQCF_OK;
  layout = hasLayout ? value : 0;
  const bool hasMode = conf.GetWord("GALLERYDIAMODE", &value) == VQCF_OK;
  diaMode = hasMode ? value : 0;
  enabled = hasLayout || hasMode;

  UINT size[2] = {};
  UINT found = 0;
  if (conf.GetWords("GALLERYDIASIZE", size, 2, &found) != VQCF_OK)
    found = 0;
  diaWidth = found > 0 ? size[0] : kDefaultDiaSize;
  diaHeight = found > 1 ? size[1] : kDefaultDiaSize;

  images.Free();
  const UINT n = conf.GetKeyCount(kImageKey);
  if (n == 0)
    return 1;
  CVQImgNameDesc *records = vqdesc::AllocRecords<CVQImgNameDesc>(n, kTag);
  if (!records) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory to allocate %u table records", n);
    theLibrary.ErrorBox(kMsgNoMemory, n);
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "ReadLines: Cannot create a new record table");
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error reading image name description");
    return 0;
  }
  conf.BeginSequence();
  for (UINT i = 0; i < n; ++i)
    records[i].ReadDef(conf, kImageKey, i);
  conf.EndSequence();
  images.images = records;
  images.count = images.capacity = n;
  return 1;
}

BOOL CVQGallDesc::WriteDef(CVQConfFile &conf) const {
  if (!enabled)
    return 1;
  conf.EditComment();
  conf.EditIntLine("GalleryLayout:", layout, "gallery  windows layout");
  conf.EditIntLine("GalleryDiaMode:", diaMode, "gallery dia display mode");
  char size[32];
  std::snprintf(size, sizeof size, "%u, %u", diaWidth, diaHeight);
  conf.EditDataLine("GalleryDiaSize:", size, "Gallery dia display size");
  if (images.images && images.count != 0) {
    conf.EditComment();
    for (UINT i = 0; i < images.count; ++i) {
      char name[sizeof(CVQImgNameDesc::imageName) + 1]; // a record filled by hand may run full
      std::memcpy(name, images.images[i].imageName, sizeof(CVQImgNameDesc::imageName));
      name[sizeof(CVQImgNameDesc::imageName)] = '\0';
      conf.EditTextLine("ImageFileName:", name, "image filename definition");
    }
  }
  conf.EditComment();
  return 1;
}

void CVQGallDesc::FreeGallery() {
  enabled = 0;
  images.Free();
}
