// The table description as a record: its deep copies, its TABLE block of a
// configuration file (read and written), its check before the engine
// creates it, and the list of table descriptions a file owns.
//
// A TABLE block reads
//   Table:          "name"
//   IndexNodeSize:  1024
//   Field: ...      one line per field (see the field description)
//   Key: ...        one KEY block per key, with its KeyPart lines
//   Gallery...      the gallery lines, when it is switched on
//   Table:          END
#include "desc/table_desc.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

using namespace vqdesc;

constexpr UINT kNameChars = sizeof(CVQTableDesc::name) - 1;
constexpr UINT kReadNodeSize = 2048; // a block without its line; construction gives 1024

template <typename L, typename T> void SwapRecords(L &a, L &b, T *L::*array) {
  std::swap(a.*array, b.*array);
  std::swap(a.count, b.count);
  std::swap(a.capacity, b.capacity);
  a.reset = b.reset = 0;
}

// Reads every `keyword` block of the current block into a new array of
// `list` (left empty on failure). T::ReadDef reports its own failure.
template <typename L, typename T>
bool ReadBlocks(CVQConfFile &conf, const char *keyword, L &list, T *L::*array) {
  FreeRecords(list, array);
  UINT n = 0;
  if (!conf.GetBlockCount(keyword, &n)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error on GetBlockCount( %s )", keyword);
    theLibrary.ErrorBox(kMsgBlockCount, keyword);
    return false;
  }
  if (n == 0)
    return true;
  std::unique_ptr<T[]> records(AllocRecords<T>(n, kTableTag));
  if (!records) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Not enough free memory to allocate %u table records",
                      n);
    theLibrary.ErrorBox(kMsgBlockMemory, n);
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "ReadLines: Cannot create a new record table");
    return false;
  }
  if (!conf.SelectBlock(keyword)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error on selecting the keyword %s - block", keyword);
    theLibrary.ErrorBox(kMsgBlockSelect, keyword);
    conf.LeaveBlock();
    return false;
  }
  for (UINT i = 0; i < n; ++i) {
    if (!records[i].ReadDef(conf, keyword, i)) {
      theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error on reading an object definition");
      conf.LeaveBlock();
      return false;
    }
    if (!conf.SelectNextBlock())
      break; // the records not reached keep their defaults
  }
  conf.LeaveBlock();
  list.*array = records.release();
  list.count = list.capacity = n;
  return true;
}

bool HasControlByte(const char *text) {
  for (; *text; ++text)
    if (static_cast<unsigned char>(*text) < 0x20)
      return true;
  return false;
}

// The names the block would carry as quoted texts, which the reader takes
// back only without control bytes; the first one that has them, or NULL.
const char *UnwritableName(const CVQTableDesc &t, char (&buffer)[600]) {
  const auto check = [&](const auto &member) {
    const BoundedText text(member);
    std::memcpy(buffer, text.text, sizeof text.text);
    return HasControlByte(buffer);
  };
  if (check(t.name))
    return buffer;
  for (UINT i = 0; t.fields.fields && i < t.fields.count; ++i)
    if (check(t.fields.fields[i].name))
      return buffer;
  for (UINT k = 0; t.keys.keys && k < t.keys.count; ++k)
    for (UINT i = 0; i < t.keys.keys[k].partCount && i < CVQKeyDesc::kMaxParts; ++i)
      if (check(t.keys.keys[k].parts[i].fieldName))
        return buffer;
  for (UINT i = 0; t.gallery.enabled && t.gallery.images.images && i < t.gallery.images.count; ++i)
    if (check(t.gallery.images.images[i].imageName))
      return buffer;
  return nullptr;
}

} // namespace

CVQTableDesc::CVQTableDesc(const CVQTableDesc &other)
    : indexNodeSize(other.indexNodeSize), keys(other.keys), gallery(other.gallery) {
  std::memcpy(name, other.name, sizeof name);
  CopyRecords(fields, other.fields, &CVQFieldDescList::fields, kTableTag);
}

CVQTableDesc &CVQTableDesc::operator=(const CVQTableDesc &other) {
  if (this == &other)
    return *this;
  // Everything is copied aside first, so that a failed copy leaves this
  // description whole.
  CVQKeyDescList newKeys(other.keys);
  CVQFieldDescList newFields;
  CopyRecords(newFields, other.fields, &CVQFieldDescList::fields, kTableTag);
  CVQGallDesc newGallery(other.gallery);
  indexNodeSize = other.indexNodeSize;
  std::memcpy(name, other.name, sizeof name);
  SwapRecords(keys, newKeys, &CVQKeyDescList::keys);
  SwapRecords(fields, newFields, &CVQFieldDescList::fields);
  SwapRecords(gallery.images, newGallery.images, &CVQImgNameDescList::images);
  gallery.enabled = newGallery.enabled;
  gallery.layout = newGallery.layout;
  gallery.diaMode = newGallery.diaMode;
  gallery.diaWidth = newGallery.diaWidth;
  gallery.diaHeight = newGallery.diaHeight;
  return *this;
}

BOOL CVQTableDesc::ReadDef(CVQConfFile &conf, const char *keyword, UINT index) {
  const char *key = keyword ? keyword : "";
  // A name longer than the member is refused rather than cut: a cut name
  // could meet another table's.
  char text[4 * sizeof name];
  UINT length = 0;
  UINT rc = conf.GetText(keyword, text, sizeof text, &length);
  if (rc == VQCF_OK && length > kNameChars)
    rc = VQCF_LINE_TOO_LONG;
  if (rc != VQCF_OK) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error %u on reading table keyword %s(%u)", rc, key,
                      index);
    theLibrary.ErrorBox(kMsgTableName, key, index);
    return 0;
  }
  std::memcpy(name, text, length + 1);
  if (conf.GetWord("INDEXNODESIZE", &indexNodeSize) != VQCF_OK)
    indexNodeSize = kReadNodeSize;

  if (!ReadBlocks(conf, "KEY", keys, &CVQKeyDescList::keys)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error reading key descs for table %s", name);
    return 0;
  }
  if (!ReadBlocks(conf, "FIELD", fields, &CVQFieldDescList::fields)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error reading field descs for table %s", name);
    return 0;
  }
  if (!gallery.ReadDef(conf)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag, "Error reading gallery desc for table %s", name);
    return 0;
  }
  // Fields of equal offset keep their file order.
  if (fields.count >= 2)
    std::stable_sort(
        fields.fields, fields.fields + fields.count,
        [](const CVQFieldDesc &a, const CVQFieldDesc &b) { return a.offset < b.offset; });
  return 1;
}

BOOL CVQTableDesc::WriteDef(CVQConfFile &conf, const char *keyword) const {
  // A name the reader would refuse would leave a block that no longer
  // reads back: the table is not written at all.
  char bad[600];
  if (UnwritableName(*this, bad)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTableTag,
                      "Cannot write table %s: a name contains a control character.",
                      BoundedText(name).text);
    return 0;
  }
  const BoundedText tableName(name);
  if (!conf.EditTextLine(keyword, tableName.text, nullptr) ||
      !conf.EditIntLine("IndexNodeSize:", indexNodeSize, nullptr) || !conf.EditComment())
    return 0;
  for (UINT i = 0; fields.fields && i < fields.count; ++i)
    if (!fields.fields[i].WriteDef(conf))
      return 0;
  for (UINT k = 0; keys.keys && k < keys.count; ++k)
    if (!keys.keys[k].WriteDef(conf))
      return 0;
  if (gallery.enabled && !gallery.WriteDef(conf))
    return 0;
  return conf.EditDataLine(keyword, "END", nullptr) && conf.EditComment();
}

BOOL CVQTableDesc::VerifyTable() const {
  const BoundedText tableName(name);
  const char *n = tableName.text;
  if (n[0] == '\0')
    return theLibrary.ErrorBox(kMsgTableName), 0;
  if (indexNodeSize < 32)
    return theLibrary.ErrorBox(kMsgNodeSmall, n, indexNodeSize), 0;
  if (indexNodeSize >= 65536)
    return theLibrary.ErrorBox(kMsgNodeLarge, n, indexNodeSize), 0;
  if (!fields.fields || fields.count == 0)
    return theLibrary.ErrorBox(kMsgNoFields, n), 0;
  const UINT recSize = fields.GetRecSize();
  if (recSize == 0)
    return theLibrary.ErrorBox(kMsgRecSize, n), 0;
  if (!keys.keys || keys.count == 0)
    return theLibrary.ErrorBox(kMsgNoKeys, n), 0;

  // One word per record byte: the index of the field that holds it.
  std::unique_ptr<UINT[]> map(new (std::nothrow) UINT[recSize]);
  if (!map)
    theLibrary.ErrorBox(kMsgNoMemory);
  else
    std::fill(map.get(), map.get() + recSize, kNotFound);
  for (UINT i = 0; i < fields.count; ++i) {
    const CVQFieldDesc &f = fields.fields[i];
    if (!f.VerifyField())
      return 0;
    const ULONGLONG end = std::min<ULONGLONG>(ULONGLONG(f.offset) + f.size, recSize);
    for (ULONGLONG b = f.offset; map && b < end; ++b) {
      const UINT j = map[b];
      if (j == kNotFound) {
        map[b] = i;
        continue;
      }
      const BoundedText self(f.name);
      if (j < fields.count)
        theLibrary.ErrorBox(kMsgOverlap, n, BoundedText(fields.fields[j].name).text, self.text,
                            UINT(b));
      else
        theLibrary.ErrorBox(kMsgBadMark, n, self.text, j, UINT(b));
      return 0;
    }
  }
  if (map) {
    const UINT unused = UINT(std::count(map.get(), map.get() + recSize, kNotFound));
    if (unused > 0)
      theLibrary.ErrorBox(kMsgUnused, n, unused); // a warning: the table passes
  }
  return 1;
}

void CVQTableDesc::FreeTable() {
  FreeRecords(fields, &CVQFieldDescList::fields);
  keys.Free();
}

CVQTableDescList::~CVQTableDescList() { Free(); }

CVQTableDescList::CVQTableDescList(const CVQTableDescList &other)
    : reset(0), count(0), capacity(0), tables(nullptr) {
  CopyRecords(*this, other, &CVQTableDescList::tables, kTableTag);
}

CVQTableDescList &CVQTableDescList::operator=(const CVQTableDescList &other) {
  CopyRecords(*this, other, &CVQTableDescList::tables, kTableTag);
  return *this;
}

void CVQTableDescList::Free() { FreeRecords(*this, &CVQTableDescList::tables); }
