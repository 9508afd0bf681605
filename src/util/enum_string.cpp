// Keyword tables: a search by halving over rows in ascending byte order of
// their keywords. The key's terminator takes part in the comparison, so a
// key that is a prefix of a keyword ("AN" against "AND") never matches it.
#include <vq_tbl32.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr UINT kNotFound = UINT(-1);
constexpr UINT kNameSize = sizeof(CEnumString::Row::name);

// Compares the key's `length` characters and a terminator with a keyword,
// bytes unsigned. Stops inside the 32-byte keyword even if a row was filled
// without a terminator.
int CompareKey(const unsigned char *key, UINT length, const char *keyword) {
  const auto *name = reinterpret_cast<const unsigned char *>(keyword);
  for (UINT i = 0; i <= length; ++i) {
    if (i == kNameSize)
      return 1;
    const unsigned k = i < length ? key[i] : 0;
    if (k != name[i])
      return k < name[i] ? -1 : 1;
  }
  return 0;
}

// Folds ASCII letters to lower case; the order SortTable puts rows in.
bool NameLess(const CEnumString::Row &a, const CEnumString::Row &b) {
  for (UINT i = 0; i < kNameSize; ++i) {
    unsigned ca = static_cast<unsigned char>(a.name[i]);
    unsigned cb = static_cast<unsigned char>(b.name[i]);
    if (ca >= 'A' && ca <= 'Z')
      ca += 'a' - 'A';
    if (cb >= 'A' && cb <= 'Z')
      cb += 'a' - 'A';
    if (ca != cb)
      return ca < cb;
    if (ca == 0)
      return false;
  }
  return false;
}

UINT KeyLength(const char *key, UINT length) {
  return UINT(length ? strnlen(key, length) : std::strlen(key));
}

} // namespace

UINT CEnumString::FindUpper(const char *key, UINT length) const {
  if (!key || !rows || count == 0)
    return kNotFound;
  length = KeyLength(key, length);
  if (length == 0)
    return kNotFound;
  const auto *k = reinterpret_cast<const unsigned char *>(key);
  UINT low = 0, high = count - 1;
  while (low <= high) {
    const UINT middle = UINT((ULONGLONG(low) + high + 1) / 2);
    const int cmp = CompareKey(k, length, rows[middle].name);
    if (cmp == 0)
      return rows[middle].value;
    if (cmp < 0) {
      if (middle == 0)
        return kNotFound;
      high = middle - 1;
    } else {
      low = middle + 1;
    }
  }
  return kNotFound;
}

// The folded copy is one character longer than any keyword can be, so a key
// cut here still cannot match by accident.
static UINT FindFolded(const CEnumString &table, const char *key, UINT length,
                       LPSTR(WINAPI *fold)(LPSTR)) {
  if (!key)
    return kNotFound;
  char copy[kNameSize + 1];
  const UINT n = std::min(KeyLength(key, length), kNameSize);
  std::memcpy(copy, key, n);
  copy[n] = '\0';
  fold(copy);
  return table.FindUpper(copy, n);
}

UINT CEnumString::FindLower(const char *key, UINT length) const {
  return FindFolded(*this, key, length, CharLowerA);
}

UINT CEnumString::FindString(const char *key, UINT length) const {
  return FindFolded(*this, key, length, CharUpperA);
}

const char *CEnumString::GetString(UINT value) const {
  for (UINT i = 0; rows && i < count; ++i)
    if (rows[i].value == value)
      return rows[i].name;
  return nullptr;
}

UINT CEnumString::GetIndex(UINT index) const {
  return rows && index < count ? rows[index].value : kNotFound;
}

void CEnumString::SortTable() {
  if (rows && count > 1)
    std::stable_sort(rows, rows + count, NameLess);
}
