// CVQTblKeyDesc: the owned array of opaque key entries that applications
// keep beside a list-view field description set. Every change builds the
// new array before the old one goes, so a failure leaves the set as it was.
#include "tblfld/entry_memory.h"
#include "tblfld/tblfld.h"

#include <algorithm>
#include <cstring>

using namespace vqtblfld;

namespace {

constexpr char kNoCopy[] = "Not enough free memory to copy the key description table.";
constexpr char kNoAssign[] = "Not enough free memory to copy the column description table.";

// A copy of `count` entries, or NULL after the log line and message 601.
SVQTblKey *CopyKeys(const SVQTblKey *from, UINT count, const char *failure) {
  auto *copy = static_cast<SVQTblKey *>(AllocEntries(count, sizeof(SVQTblKey)));
  if (!copy) {
    theLibrary.PrtLog(VQLOG_ERROR, kKeyTag, "%s", failure);
    theLibrary.ErrorBox(kMsgKeyNoMemory, count);
    return nullptr;
  }
  std::memcpy(copy, from, count * sizeof(SVQTblKey));
  return copy;
}

} // namespace

CVQTblKeyDesc::CVQTblKeyDesc(const CVQTblKeyDesc &other) : count(0), keys(nullptr) {
  const UINT n = other.keys ? other.count : 0;
  if (n == 0)
    return;
  keys = CopyKeys(other.keys, n, kNoCopy);
  if (!keys)
    throw CVQTblFldErr(kNoCopy);
  count = n;
}

CVQTblKeyDesc &CVQTblKeyDesc::operator=(const CVQTblKeyDesc &other) {
  if (this == &other || (keys && keys == other.keys))
    return *this;
  const UINT n = other.keys ? other.count : 0;
  SVQTblKey *copy = nullptr;
  if (n) {
    copy = CopyKeys(other.keys, n, kNoAssign);
    if (!copy)
      throw CVQTblFldErr(kNoAssign);
  }
  Free();
  keys = copy;
  count = n;
  return *this;
}

int CVQTblKeyDesc::InsertKey(UINT index) {
  const UINT n = keys ? count : 0;
  index = std::min(index, n);
  auto *grown =
      static_cast<SVQTblKey *>(n < 0xFFFFFFFFu ? AllocEntries(n + 1, sizeof(SVQTblKey)) : nullptr);
  if (!grown) {
    theLibrary.PrtLog(VQLOG_ERROR, kKeyTag, "%s", kNoCopy);
    theLibrary.ErrorBox(kMsgKeyNoMemory, n);
    return 0;
  }
  if (n) {
    std::memcpy(grown, keys, index * sizeof(SVQTblKey));
    std::memcpy(grown + index + 1, keys + index, (n - index) * sizeof(SVQTblKey));
  }
  FreeEntries(keys);
  keys = grown;
  count = n + 1;
  return 1;
}

int CVQTblKeyDesc::DeleteKey(UINT index) {
  if (!keys || index >= count)
    return 0;
  std::memmove(keys + index, keys + index + 1, (count - index - 1) * sizeof(SVQTblKey));
  --count;
  return 1;
}

int CVQTblKeyDesc::MoveKey(UINT from, UINT to) {
  if (!keys || to >= count)
    return 0;
  from = std::min(from, count - 1);
  if (from != to) {
    SVQTblKey held = keys[from];
    keys[from] = keys[to];
    keys[to] = held;
  }
  return 1;
}

void CVQTblKeyDesc::Free() {
  FreeEntries(keys);
  keys = nullptr;
  count = 0;
}
