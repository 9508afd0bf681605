// File types: the suffixes a host lists, each with a chosen flag and the
// check box that shows it. The file tree asks a type set for every file it
// finds, so GetState works on a stack copy of the suffix alone.
#include "frame/library.h"

#include <vq_icl32.h>

#include <cstring>

namespace {

constexpr char kTag[] = "CVQFileType";
// The longest suffix, with its '.', the two name forms take.
constexpr UINT kTextSuffix = 33;
constexpr UINT kNameSuffix = 65;

FILETYPESTATE StateOf(const CVQFileType &types, const char *name, UINT length, UINT longest) {
  if (!name || length == 0)
    return FTS_NOTLISTED;
  const UINT dot = ExtensionOffset(name, length);
  if (dot == UINT(-1) || dot >= length)
    return FTS_NOTLISTED;
  const UINT suffixLength = length - dot;
  if (suffixLength > longest) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "IsOfType: cbName = %u, cbSuffix = %u", length,
                      suffixLength + 1);
    return FTS_NOTLISTED;
  }
  char suffix[kNameSuffix + 1];
  std::memcpy(suffix, name + dot, suffixLength);
  suffix[suffixLength] = '\0';
  CharUpperA(suffix);
  if (suffixLength + 1 > sizeof types.entries[0].suffix)
    return FTS_NOTLISTED; // no entry holds a suffix this long
  for (UINT i = 0; i < types.count; ++i)
    if (std::memcmp(types.entries[i].suffix, suffix, suffixLength + 1) == 0)
      return types.entries[i].chosen ? FTS_CHOSEN : FTS_NOTCHOSEN;
  return FTS_NOTLISTED;
}

} // namespace

FILETYPESTATE CVQFileType::GetState(const char *name, UINT length) const {
  if (name && length == 0)
    length = UINT(std::strlen(name));
  return StateOf(*this, name, length, kTextSuffix);
}

FILETYPESTATE CVQFileType::GetState(const CICLName *name) const {
  return name ? StateOf(*this, name->text, name->length, kNameSuffix) : FTS_NOTLISTED;
}

void CVQFileType::CheckDlgCtls(HWND dialog) const {
  for (UINT i = 0; i < count; ++i)
    CheckDlgButton(dialog, int(entries[i].controlId),
                   entries[i].chosen ? BST_CHECKED : BST_UNCHECKED);
}

int CVQFileType::ToggleDlgCtl(HWND dialog, UINT controlId) {
  for (UINT i = 0; i < count; ++i) {
    if (entries[i].controlId != controlId)
      continue;
    entries[i].chosen = entries[i].chosen ? 0 : 1;
    CheckDlgButton(dialog, int(controlId), entries[i].chosen ? BST_CHECKED : BST_UNCHECKED);
    return 1;
  }
  return 0;
}
