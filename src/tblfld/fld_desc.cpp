// CVQTblFldDesc: the entries of a list-view field description set, built
// from an application's static source records, copied, edited, searched by
// name and sorted; and the one list of justification names. The set keeps
// no context: its names come from the context handed to the construction,
// its log lines and boxes go to the library's own.
#include "tblfld/entry_memory.h"
#include "tblfld/tblfld.h"

#include <algorithm>
#include <cstring>

using namespace vqtblfld;

namespace {

constexpr CVQListTable::Row kJustRows[] = {
    {kJustLeft, kJustLeftName}, {kJustMiddle, kJustMiddleName}, {kJustRight, kJustRightName}};

// Three spare bytes after the width, then the string number.
constexpr UINT kSourceSize = sizeof(SVQTblFldDesc);

bool IsEngineType(UINT type) {
  return type <= 6 || (type >= 10 && type <= 22) || (type >= 40 && type <= 44);
}

} // namespace

const CVQListBox lbJustTypes(kJustRows, &theLibrary);

namespace vqtblfld {

UINT JustFromChar(UINT c, UINT otherwise) {
  switch (c) {
  case 'L':
  case 'l':
    return kJustLeft;
  case 'R':
  case 'r':
    return kJustRight;
  case 'M':
  case 'm':
    return kJustMiddle;
  default:
    return otherwise;
  }
}

char JustChar(UINT justification) {
  switch (justification) {
  case kJustLeft:
    return 'L';
  case kJustRight:
    return 'R';
  case kJustMiddle:
    return 'M';
  default:
    return '?';
  }
}

UINT JustName(UINT justification) {
  switch (justification) {
  case kJustLeft:
    return kJustLeftName;
  case kJustRight:
    return kJustRightName;
  case kJustMiddle:
    return kJustMiddleName;
  default:
    return kJustOtherName;
  }
}

} // namespace vqtblfld

SVQTblField &SVQTblField::operator=(const SVQTblFldDesc &source) {
  position = source.position;
  length = source.length;
  type = source.type;
  flags = source.flags;
  width = source.width;
  justification = JustFromChar(source.justChar, justification);
  spare = 0;
  treeKey = indexTree = nameLength = 0;
  name[0] = upperName[0] = '\0';
  return *this;
}

void SVQTblField::LoadHeader(CVQLibrary *library, UINT stringId) {
  char text[sizeof name] = {};
  HINSTANCE module = library ? library->GetResourceModule() : nullptr;
  if (!module || LoadStringA(module, stringId, text, sizeof text) <= 0)
    text[0] = '\0';
  SetName(*this, text, 0);
}

int CmpFieldPos(const void *first, const void *second) {
  const UINT a = static_cast<const SVQTblField *>(first)->position;
  const UINT b = static_cast<const SVQTblField *>(second)->position;
  return a < b ? -1 : a > b ? 1 : 0;
}

bool CVQTblFldDesc::Alloc(UINT entries) {
  Free();
  if (entries == 0)
    return true;
  fields = static_cast<SVQTblField *>(AllocEntries(entries, sizeof(SVQTblField)));
  if (!fields) {
    theLibrary.PrtLog(VQLOG_ERROR, kFldTag,
                      "Not enough free memory for %d field description records available.",
                      static_cast<int>(entries));
    theLibrary.ErrorBox(kMsgNoMemory, entries);
    return false;
  }
  count = entries;
  return true;
}

CVQTblFldDesc::CVQTblFldDesc(CVQLibrary *library, const SVQTblFldDesc *source, UINT sourceSize)
    : count(0), fields(nullptr) {
  const UINT n = source ? sourceSize / kSourceSize : 0;
  if (!Alloc(n))
    throw CVQTblFldErr("Not enough free memory for the field description records");
  for (UINT i = 0; i < n; ++i) {
    fields[i] = source[i];
    fields[i].LoadHeader(library, source[i].headerString);
  }
}

CVQTblFldDesc::CVQTblFldDesc(const CVQTblFldDesc &other) : count(0), fields(nullptr) {
  *this = other;
}

CVQTblFldDesc &CVQTblFldDesc::operator=(const CVQTblFldDesc &other) {
  if (this == &other || (fields && fields == other.fields))
    return *this;
  const UINT n = other.fields ? other.count : 0;
  if (!Alloc(n))
    throw CVQTblFldErr("Not enough free memory for the field description records");
  if (n)
    std::memcpy(fields, other.fields, n * sizeof(SVQTblField));
  return *this;
}

void CVQTblFldDesc::Free() {
  FreeEntries(fields);
  fields = nullptr;
  count = 0;
}

UINT CVQTblFldDesc::GetRecordSize() const {
  unsigned long long size = 0;
  for (UINT i = 0; fields && i < count; ++i)
    size = std::max(size, static_cast<unsigned long long>(fields[i].position) + fields[i].length);
  return size > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<UINT>(size);
}

int CVQTblFldDesc::InsertField(UINT index) {
  const UINT n = fields ? count : 0;
  if (index > n)
    index = n;
  auto *grown = static_cast<SVQTblField *>(
      n < 0xFFFFFFFFu ? AllocEntries(n + 1, sizeof(SVQTblField)) : nullptr);
  if (!grown) {
    theLibrary.PrtLog(VQLOG_ERROR, kFldTag,
                      "Not enough free memory for %d field description records available.",
                      static_cast<int>(n + 1));
    theLibrary.ErrorBox(kMsgNoMemory, n + 1);
    Free();
    return 0;
  }
  if (n) {
    std::memcpy(grown, fields, index * sizeof(SVQTblField));
    std::memcpy(grown + index + 1, fields + index, (n - index) * sizeof(SVQTblField));
  }
  FreeEntries(fields);
  fields = grown;
  count = n + 1;
  return 1;
}

int CVQTblFldDesc::DeleteField(UINT index) {
  if (!fields || index >= count)
    return 0;
  std::memmove(fields + index, fields + index + 1, (count - index - 1) * sizeof(SVQTblField));
  --count;
  return 1;
}

int CVQTblFldDesc::MoveField(UINT from, UINT to) {
  if (!fields || to >= count)
    return 0;
  std::swap(fields[std::min(from, count - 1)], fields[to]);
  return 1;
}

int CVQTblFldDesc::SetFldName(UINT index, const char *name) {
  if (!fields || index >= count || !name || !*name)
    return 0;
  SetName(fields[index], name, 0);
  return 1;
}

UINT CVQTblFldDesc::FindField(const char *name, UINT length) const {
  if (!fields || !count || !name || !*name)
    return kNotFound;
  SVQTblField key{};
  SetName(key, name, length);
  if (key.nameLength == 0)
    return kNotFound;
  for (UINT i = 0; i < count; ++i)
    if (fields[i].nameLength == key.nameLength &&
        std::memcmp(fields[i].upperName, key.upperName, key.nameLength) == 0)
      return i;
  theLibrary.PrtLog(VQLOG_WARNING, kFldTag, "Field %s not found in field description table.",
                    key.name);
  return kNotFound;
}

void CVQTblFldDesc::SortFields(UINT mode) {
  if (!fields || count < 2)
    return;
  if (mode == 0)
    std::stable_sort(fields, fields + count, [](const SVQTblField &a, const SVQTblField &b) {
      return std::strncmp(a.upperName, b.upperName, sizeof a.upperName) < 0;
    });
  else if (mode == 1)
    std::stable_sort(fields, fields + count, [](const SVQTblField &a, const SVQTblField &b) {
      return CmpFieldPos(&a, &b) < 0;
    });
}

int CVQTblFldDesc::IsPlausible(int allowEmpty) const {
  if (!fields || !count) {
    if (allowEmpty)
      return 1;
    theLibrary.ErrorBox(kMsgEmpty);
    return 0;
  }
  for (UINT i = 0; i < count; ++i) {
    const SVQTblField &f = fields[i];
    const UINT code = !IsEngineType(f.type) ? kMsgBadType
                      : f.length == 0       ? kMsgNoLength
                      : f.name[0] == '\0'   ? kMsgNoFieldName
                                            : UINT(0);
    if (code) {
      theLibrary.ErrorBox(code, i + 1);
      return 0;
    }
  }
  return 1;
}

void CVQTblFldDesc::SetIndexTree(UINT indexTree, UINT position, UINT length, UINT treeKey) {
  for (UINT i = 0; fields && i < count; ++i) {
    SVQTblField &f = fields[i];
    if (f.position == position && f.length == length) {
      f.treeKey = treeKey;
      f.indexTree = indexTree;
      theLibrary.PrtLog(VQLOG_TRACE, kFldTag, "Set index tree %u to field %u (%s)", indexTree, i,
                        f.name);
      return;
    }
  }
  theLibrary.PrtLog(VQLOG_TRACE, kFldTag, "Index tree %u not assigned to any field.", indexTree);
}

UINT vqtblfld::LoadText(UINT id, char *text, UINT size) {
  HINSTANCE module = theLibrary.GetResourceModule();
  const int n = module ? LoadStringA(module, id, text, static_cast<int>(size)) : 0;
  if (n <= 0) {
    text[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(n);
}
