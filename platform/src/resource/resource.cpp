// The Win32 resource functions over a module's resource table:
// FindResourceA/FindResourceExA, LoadResource, LockResource,
// SizeofResource and LoadStringA, plus the thread's UI language that
// chooses among a resource's languages.
#include <windows.h>

#include "module/module_registry.h"
#include "resource/resource_lookup.h"

#include <cctype>
#include <cstring>
#include <optional>
#include <string>

namespace vqwin::resource {
namespace {

constexpr LANGID kDefaultUiLanguage = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
thread_local LANGID uiLanguage = kDefaultUiLanguage;

// A type or name as a caller gives it: an id, "#<id>", or a name.
struct Wanted {
  bool valid = false;
  std::optional<uint16_t> id;
  std::string name;
};

Wanted Parse(LPCSTR key) {
  Wanted w;
  if (key == nullptr)
    return w;
  if (IS_INTRESOURCE(key)) {
    w.id = static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(key));
    w.valid = true;
    return w;
  }
  if (*key == '\0')
    return w;
  if (key[0] == '#') {
    unsigned long v = 0;
    size_t i = 1;
    for (; key[i] >= '0' && key[i] <= '9' && v <= 0xFFFF; ++i)
      v = v * 10 + static_cast<unsigned long>(key[i] - '0');
    if (key[i] != '\0' || i == 1 || v > 0xFFFF)
      return w;
    w.id = static_cast<uint16_t>(v);
    w.valid = true;
    return w;
  }
  for (const char *p = key; *p; ++p)
    w.name += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  w.valid = true;
  return w;
}

bool Matches(const vqwin_resource_key &k, const Wanted &w) {
  if (w.id)
    return k.text == nullptr && k.id == *w.id;
  return k.text != nullptr && w.name == k.text;
}

const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

unsigned char ToCp1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
    return static_cast<unsigned char>(c);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == c)
      return static_cast<unsigned char>(0x80 + i);
  return '?';
}

const vqwin_resource_entry *Find(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
  const Wanted wantType = Parse(type), wantName = Parse(name);
  if (!wantType.valid || !wantName.valid) {
    SetLastError(wantType.valid ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  DWORD error = 0;
  const vqwin_resource_table *table = vqwin::module::ResourceTableOf(module, error);
  if (table == nullptr) {
    SetLastError(error);
    return nullptr;
  }
  bool typeSeen = false;
  // Candidates by preference; the first one found of each rank.
  const vqwin_resource_entry *rank[5] = {};
  for (uint32_t i = 0; i < table->count; ++i) {
    const vqwin_resource_entry &e = table->entries[i];
    if (!Matches(e.type, wantType))
      continue;
    typeSeen = true;
    if (!Matches(e.name, wantName))
      continue;
    if (language != 0) {
      if (e.language == language)
        return &e;
      if (!rank[4])
        rank[4] = &e; // remembers that other languages exist
      continue;
    }
    const LANGID ui = uiLanguage;
    const int r = e.language == ui                                             ? 0
                  : e.language == MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)    ? 1
                  : PRIMARYLANGID(e.language) == PRIMARYLANGID(ui)             ? 2
                  : e.language == MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US) ? 3
                                                                               : 4;
    if (!rank[r])
      rank[r] = &e;
  }
  if (language == 0)
    for (const vqwin_resource_entry *e : rank)
      if (e)
        return e;
  SetLastError(!typeSeen ? ERROR_RESOURCE_TYPE_NOT_FOUND
               : rank[4] ? ERROR_RESOURCE_LANG_NOT_FOUND
                         : ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

namespace {

// An HRSRC is the address of its table entry; only entries of the module's
// own table are accepted.
const vqwin_resource_entry *EntryOf(HMODULE module, HRSRC handle) {
  DWORD error = 0;
  const vqwin_resource_table *table = vqwin::module::ResourceTableOf(module, error);
  const auto *entry = reinterpret_cast<const vqwin_resource_entry *>(handle);
  if (table == nullptr || entry < table->entries || entry >= table->entries + table->count) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return entry;
}

} // namespace
} // namespace vqwin::resource

using namespace vqwin::resource;

LANGID WINAPI GetThreadUILanguage(void) { return uiLanguage; }

LANGID WINAPI SetThreadUILanguage(LANGID LangId) {
  uiLanguage = LangId == 0 ? kDefaultUiLanguage : LangId;
  return uiLanguage;
}

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  return reinterpret_cast<HRSRC>(
      const_cast<vqwin_resource_entry *>(Find(hModule, lpType, lpName, 0)));
}

HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage) {
  return reinterpret_cast<HRSRC>(
      const_cast<vqwin_resource_entry *>(Find(hModule, lpType, lpName, wLanguage)));
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
  const vqwin_resource_entry *entry = EntryOf(hModule, hResInfo);
  if (entry == nullptr)
    return nullptr;
  // An empty resource still loads; its handle is the entry itself.
  return entry->data ? static_cast<HGLOBAL>(const_cast<unsigned char *>(entry->data))
                     : static_cast<HGLOBAL>(const_cast<vqwin_resource_entry *>(entry));
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  const vqwin_resource_entry *entry = EntryOf(hModule, hResInfo);
  return entry ? entry->size : 0;
}

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  if (lpBuffer == nullptr || cchBufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  lpBuffer[0] = '\0';
  if (uID > 0xFFFF) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  const vqwin_resource_entry *block =
      Find(hInstance, RT_STRING, MAKEINTRESOURCE((uID >> 4) + 1), 0);
  if (block == nullptr) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  // 16 strings, each a WORD count of UTF-16 units and the units.
  const BYTE *p = DataOf(block);
  const size_t units = block->size / 2;
  auto unit = [p](size_t i) { return static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8)); };
  size_t at = 0;
  for (UINT i = 0; i < (uID & 15); ++i) {
    if (at >= units)
      break;
    at += 1 + unit(at);
  }
  if (at >= units || unit(at) == 0 || at + 1 + unit(at) > units) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  const size_t length = unit(at);
  int copied = 0;
  for (size_t i = 0; i < length && copied < cchBufferMax - 1; ++i) {
    const char16_t c = unit(at + 1 + i);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < length) { // a pair is one character
      const char16_t low = unit(at + 2 + i);
      if (low >= 0xDC00 && low < 0xE000)
        ++i;
    }
    lpBuffer[copied++] = static_cast<char>(ToCp1252(c));
  }
  lpBuffer[copied] = '\0';
  return copied;
}
