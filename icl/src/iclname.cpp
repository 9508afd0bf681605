// CICLName: an image file name with its parts located once, so that file
// type tests and gallery code need not search the text again.
#include <vq_icl32.h>

#include <cstring>

CICLName::CICLName()
    : length(0), fileNameOffset(0), extensionOffset(0), flags(0), value(0), text{} {}

int CICLName::SetFileName(const char *name, UINT nameLength) {
  if (name == nullptr)
    return 0;
  if (nameLength == 0)
    nameLength = UINT(strnlen(name, MaxLength + 1));
  // A name that does not fit is refused rather than cut: a cut image name
  // would silently address another file.
  if (nameLength > UINT(MaxLength))
    return 0;
  std::memmove(text, name, nameLength);
  text[nameLength] = '\0';
  length = nameLength;

  fileNameOffset = 0;
  for (UINT i = 0; i < nameLength; ++i)
    if (text[i] == '\\' || text[i] == '/')
      fileNameOffset = i + 1;
  extensionOffset = nameLength;
  for (UINT i = nameLength; i > fileNameOffset; --i)
    if (text[i - 1] == '.') {
      extensionOffset = i - 1;
      break;
    }
  return 1;
}
