/*
 * vq_icl32: the image-name class of the vq library family.
 *
 * A CICLName holds the file name of one image of a gallery together with a
 * 64-bit value the host attaches to it (the table browser stores the image's
 * number there). The layout is fixed because callers address the value
 * directly: four 32-bit words (length, file-name offset, extension offset,
 * flags), then the 64-bit value at byte offset 16, then the text.
 */
#ifndef VQ_ICL32_H
#define VQ_ICL32_H

#include <windows.h>

#if defined(_WIN32)
#if defined(VQ_ICL32_EXPORTS)
#define VQ_ICL32_API __declspec(dllexport)
#else
#define VQ_ICL32_API __declspec(dllimport)
#endif
#else
#define VQ_ICL32_API __attribute__((visibility("default")))
#endif

class VQ_ICL32_API CICLName {
public:
  /// The longest name a CICLName holds, without its terminator.
  enum { MaxLength = MAX_PATH - 1 };

  UINT length;          ///< characters in text, without the terminator
  UINT fileNameOffset;  ///< position behind the last '\\' or '/', 0 if none
  UINT extensionOffset; ///< position of the last '.' of the file name, or length
  UINT flags;           ///< reserved for the host, 0 after construction
  ULONGLONG value;      ///< the host's value; SetFileName leaves it alone
  char text[MAX_PATH];  ///< the name, NUL-terminated

  CICLName();

  /// Takes the first `length` characters of `name` (0 = up to the
  /// terminator) as the new name and finds its file-name and extension
  /// offsets. Returns 1; returns 0 and leaves the object unchanged when
  /// name is NULL or longer than MaxLength.
  int SetFileName(const char *name, UINT length);

  /// The file name behind the folder part.
  const char *GetFileName() const { return text + fileNameOffset; }
  /// The extension with its '.', or an empty text.
  const char *GetExtension() const { return text + extensionOffset; }
};

#endif
