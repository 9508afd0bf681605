/*
 * Finding resources in a module's table, shared by the Win32 resource
 * functions, the cursor and icon loader, and the bitmap loader.
 */
#ifndef VQWIN_RESOURCE_LOOKUP_H
#define VQWIN_RESOURCE_LOOKUP_H

#include <windows.h>

#include "resource/resource_directory.h"

namespace vqwin::resource {

/// Language 0 means "choose": the thread's UI language, neutral, the same
/// primary language, US English, then the first compiled. Any other
/// language must match exactly. On failure sets the last error and
/// returns nullptr.
const vqwin_resource_entry *Find(HMODULE module, LPCSTR type, LPCSTR name, WORD language);

/// A resource's bytes, or nullptr with the last error set (no size check:
/// callers check what they read against entry->size).
inline const BYTE *DataOf(const vqwin_resource_entry *entry) {
  return reinterpret_cast<const BYTE *>(entry->data);
}

/// Windows-1252 for a UTF-16 text ('?' where it has no character).
unsigned char ToCp1252(char16_t c);

} // namespace vqwin::resource

#endif
