// The index key description: its KEY block of "Key:" and "KeyPart:" lines,
// its lines in a grid of key parts, and the key list's translation into
// the engine's index description table (one 58-byte ISAMIDT item per key)
// over the table's fields.
//
// The key attributes and partition type codes are the engine's vocabulary;
// this file stores, shows and passes them without giving them a meaning.
#include "desc/record_table.h"
#include "grid/grid_attach.h"

#include <vq_isa32.h>

#include <cstdio>
#include <cstring>

namespace {

using vqdesc::CopyName;

constexpr char kTag[] = "CVQKeyDesc";
constexpr char kPartKey[] = "KEYPART";
constexpr UINT kUnset = ~0u;
constexpr UINT kNameChars = sizeof(SVQKeyPart::fieldName) - 1;

// Numbered messages; their texts are in the resource modules.
enum : UINT {
  kMsgRead = 1200,
  kMsgNoParts = 1201,
  kMsgTooManyParts = 1202,
  kMsgReadPart = 1203,
  kMsgPartType = 1204,
  kMsgNoKeys = 1210,
  kMsgNoFields = 1211,
  kMsgNoMemory = 1212,
  kMsgNoField = 1213,
  kMsgTooWide = 1214,
};

// Layout of one ISAMIDT item (see vq_isa32.h).
constexpr UINT kItemAttributes = 0, kItemPartCount = 5, kItemParts = 6, kPartStride = 8;

void PutWord(BYTE *at, UINT value) {
  at[0] = static_cast<BYTE>(value & 0xFF);
  at[1] = static_cast<BYTE>((value >> 8) & 0xFF);
}

// The first field named `name`, without regard to case, or NULL.
const CVQFieldDesc *FindField(const CVQFieldDescList &fields, const char *name) {
  for (UINT i = 0; fields.fields && i < fields.count; ++i)
    if (CmpFieldName(name, &fields.fields[i]) == 0)
      return &fields.fields[i];
  return nullptr;
}

// A field name bounded by its member, for records filled by hand.
void BoundedName(char (&out)[sizeof(SVQKeyPart::fieldName) + 1], const char *name) {
  std::memcpy(out, name, sizeof(SVQKeyPart::fieldName));
  out[sizeof(SVQKeyPart::fieldName)] = '\0';
}

} // namespace

CVQKeyDesc::CVQKeyDesc() : attributes{}, partCount(0), parts{} {
  for (SVQKeyPart &p : parts)
    p.partType = kUnset;
}

int CVQKeyDesc::ReadDef(CVQConfFile &conf, const char *keyword, UINT index) {
  const char *key = keyword ? keyword : "";
  UINT words[kAttributes] = {};
  UINT found = 0;
  const UINT rc = conf.GetWords(keyword, words, kAttributes, &found);
  if (rc != VQCF_OK) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u on reading key keyword %s(%u)", rc, key, index);
    theLibrary.ErrorBox(kMsgRead, rc, key, index);
    return 0;
  }
  std::memcpy(attributes, words, sizeof attributes); // numbers not given are 0

  partCount = conf.GetKeyCount(kPartKey);
  if (partCount == 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "No key partitions defined for keyword %s(%u)", key,
                      index);
    theLibrary.ErrorBox(kMsgNoParts, key, index);
    return 0;
  }
  if (partCount > kMaxParts) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Too many partitions (%u) defined for key %s(%u)",
                      partCount, key, index);
    theLibrary.ErrorBox(kMsgTooManyParts, key, index, partCount);
    return 0;
  }

  int result = 1;
  conf.BeginSequence();
  for (UINT i = 0; i < partCount; ++i) {
    // Both texts are read into buffers larger than their members: a type
    // name that long is unknown to the engine anyway, and a field name
    // that the member cannot hold is refused rather than cut, since a cut
    // name could meet another field's name.
    char typeName[128], fieldName[128];
    UINT typeLength = 0, nameLength = 0;
    const UINT e = conf.Get2Text(kPartKey, typeName, sizeof typeName, &typeLength, fieldName,
                                 sizeof fieldName, &nameLength);
    if (e == VQCF_NO_MORE_LINES)
      break;
    if (e != VQCF_OK) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u reading key part %u of %s(%u)", e, i, key,
                        index);
      theLibrary.ErrorBox(kMsgReadPart, e, i, key, index);
      result = 0;
      break;
    }
    if (nameLength > kNameChars) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag,
                        "Field name of key part %u of %s(%u) is longer than %u characters", i, key,
                        index, kNameChars);
      theLibrary.ErrorBox(kMsgReadPart, UINT(VQCF_LINE_TOO_LONG), i, key, index);
      result = 0;
      break;
    }
    std::memcpy(parts[i].fieldName, fieldName, nameLength + 1);
    parts[i].partType = ISAMGetKeyType(typeName);
    if (parts[i].partType == ISAM_NO_KEY_TYPE) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Illegal key partition type %s", typeName);
      theLibrary.ErrorBox(kMsgPartType, typeName, i, key, index);
      result = 0;
      break;
    }
  }
  conf.EndSequence();
  return result;
}

int CVQKeyDesc::WriteDef(CVQConfFile &conf) const {
  conf.EditComment();
  char line[256]; // five 10-digit numbers, or two names of doubled quotes
  std::snprintf(line, sizeof line, "%u, %u, %u, %u, %u", attributes[0], attributes[1],
                attributes[2], attributes[3], attributes[4]);
  conf.EditDataLine("Key:", line, nullptr);
  for (UINT i = 0; i < partCount && i < kMaxParts; ++i) {
    // A code the engine cannot name is written as the empty name, which
    // reading refuses with message 1204 rather than taking another type.
    const char *type = ISAMKeyType(parts[i].partType);
    char quotedType[2 * 64 + 1], quotedName[2 * kNameChars + 1];
    vq::grid::DoubleQuotes(quotedType, type ? type : "", 64);
    vq::grid::DoubleQuotes(quotedName, parts[i].fieldName, kNameChars);
    std::snprintf(line, sizeof line, "\"%s\", \"%s\"", quotedType, quotedName);
    // A refused line is logged by the editor; the caller goes on with the
    // table's other lines either way.
    conf.EditDataLine("KeyPart:", line, nullptr);
  }
  return 1;
}

int CVQKeyDesc::DispDef(CGridDef &grid, UINT key, UINT firstLine) const {
  IGridView *view = grid.pGrid;
  if (!view)
    return 1;
  for (UINT i = 0; i < partCount && i < kMaxParts; ++i) {
    const UINT line = firstLine + i;
    if (i == 0) {
      view->SetItemUInt(line, 0, key + 1);
      for (UINT a = 0; a < kAttributes; ++a)
        view->SetItemUInt(line, 1 + a, attributes[a]);
      view->SetItemUInt(line, 6, partCount);
    } else {
      view->SetItemText(line, 0, "");
      for (UINT a = 0; a < kAttributes; ++a)
        view->SetItemUInt(line, 1 + a, kUnset);
      view->SetItemText(line, 6, "");
    }
    const char *type = "";
    if (parts[i].partType != kUnset) {
      type = ISAMKeyType(parts[i].partType);
      type = type ? type : "???";
    }
    view->SetItemText(line, 7, type);
    char name[sizeof(SVQKeyPart::fieldName) + 1];
    BoundedName(name, parts[i].fieldName);
    view->SetItemText(line, 8, name);
  }
  return 1;
}

CVQKeyDescList::~CVQKeyDescList() { Free(); }

CVQKeyDescList::CVQKeyDescList(const CVQKeyDescList &other)
    : reset(0), count(0), capacity(0), keys(nullptr) {
  vqdesc::CopyRecords(*this, other, &CVQKeyDescList::keys, kTag);
}

CVQKeyDescList &CVQKeyDescList::operator=(const CVQKeyDescList &other) {
  vqdesc::CopyRecords(*this, other, &CVQKeyDescList::keys, kTag);
  return *this;
}

void CVQKeyDescList::Free() { vqdesc::FreeRecords(*this, &CVQKeyDescList::keys); }

ISAMIDT *CVQKeyDescList::CreateIDT(const CVQFieldDescList &fieldList) const {
  if (!keys || count == 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "No keys defined on call of CreateIDT.");
    theLibrary.ErrorBox(kMsgNoKeys);
    return nullptr;
  }
  if (!fieldList.fields || fieldList.count == 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "No fields defined on call of CreateIDT.");
    theLibrary.ErrorBox(kMsgNoFields);
    return nullptr;
  }
  // The bytes this library does not write belong to the engine; they are
  // handed over as zeros.
  ISAMIDT *idt = vqdesc::AllocRecords<ISAMIDT>(count, kTag);
  if (!idt) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory for %d IDT items available.",
                      static_cast<int>(count));
    theLibrary.ErrorBox(kMsgNoMemory, count);
    return nullptr;
  }
  for (UINT k = 0; k < count; ++k) {
    const CVQKeyDesc &key = keys[k];
    BYTE *item = idt[k].bytes;
    // A value wider than its byte or word would reach the engine as a
    // different, valid-looking key; it is refused instead of cut.
    bool fits = key.partCount < 256;
    for (UINT a = 0; a < CVQKeyDesc::kAttributes; ++a) {
      fits = fits && key.attributes[a] < 256;
      item[kItemAttributes + a] = static_cast<BYTE>(key.attributes[a]);
    }
    item[kItemPartCount] = static_cast<BYTE>(key.partCount);
    for (UINT i = 0; fits && i < key.partCount && i < CVQKeyDesc::kMaxParts; ++i) {
      const SVQKeyPart &part = key.parts[i];
      char name[sizeof(SVQKeyPart::fieldName) + 1];
      BoundedName(name, part.fieldName);
      const CVQFieldDesc *field = FindField(fieldList, name);
      if (!field) {
        theLibrary.PrtLog(VQLOG_ERROR, kTag, "Fieldname %s not found in field table.", name);
        theLibrary.ErrorBox(kMsgNoField, name, k, i);
        FreeIDT(idt);
        return nullptr;
      }
      fits = part.partType < 0x10000 && field->offset < 0x10000 && field->size < 0x10000;
      BYTE *slot = item + kItemParts + kPartStride * i;
      PutWord(slot, part.partType);
      PutWord(slot + 2, field->offset);
      PutWord(slot + 4, field->size);
    }
    if (!fits) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag,
                        "Key %u does not fit an IDT item: attributes and part count must be "
                        "below 256, part types, field offsets and sizes below 65536.",
                        k);
      theLibrary.ErrorBox(kMsgTooWide, k);
      FreeIDT(idt);
      return nullptr;
    }
  }
  return idt;
}

void CVQKeyDescList::FreeIDT(ISAMIDT *idt) const { delete[] idt; }
