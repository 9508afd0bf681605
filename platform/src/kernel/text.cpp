// Case mapping, character classes and the lstr* routines over
// Windows-1252. Like Win32, the routines take NULL without crashing; the
// comparisons give -1, 0 or 1, which is what CompareString-based Win32
// returns, not a byte difference.
#include <windows.h>

#include "cp1252.h"

#include <cstdint>
#include <cstring>

namespace {

using vqwin::cp1252::SortWeight;

// A pointer whose bits above the low 16 are zero is a character, not a text.
bool IsCharacterArgument(LPSTR p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }

template <unsigned char (*Map)(unsigned char)> LPSTR MapText(LPSTR text) {
  if (IsCharacterArgument(text)) {
    const auto c = static_cast<unsigned char>(reinterpret_cast<uintptr_t>(text) & 0xFF);
    // The single-character form answers in the pointer, as Win32 does.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(Map(c)));
  }
  for (char *p = text; *p; ++p)
    *p = static_cast<char>(Map(static_cast<unsigned char>(*p)));
  return text;
}

template <unsigned char (*Map)(unsigned char)> DWORD MapBuffer(LPSTR text, DWORD length) {
  if (!text)
    return 0;
  for (DWORD i = 0; i < length; ++i)
    text[i] = static_cast<char>(Map(static_cast<unsigned char>(text[i])));
  return length;
}

// Compares on one level of the weights over the whole texts before the next
// level is looked at, so "ab" < "Ac" although 'a' < 'A'.
template <typename Key> int CompareLevel(const unsigned char *a, const unsigned char *b, Key key) {
  for (;; ++a, ++b) {
    if (!*a || !*b)
      return *a ? 1 : *b ? -1 : 0;
    const unsigned ka = key(vqwin::cp1252::Weight(*a));
    const unsigned kb = key(vqwin::cp1252::Weight(*b));
    if (ka != kb)
      return ka < kb ? -1 : 1;
  }
}

int Compare(LPCSTR s1, LPCSTR s2, bool withCase) {
  const auto *a = reinterpret_cast<const unsigned char *>(s1 ? s1 : "");
  const auto *b = reinterpret_cast<const unsigned char *>(s2 ? s2 : "");
  if (int r = CompareLevel(a, b, [](SortWeight w) { return unsigned(w.primary); }))
    return r;
  if (int r = CompareLevel(a, b, [](SortWeight w) { return unsigned(w.accent); }))
    return r;
  if (!withCase)
    return 0;
  return CompareLevel(a, b, [](SortWeight w) { return unsigned(w.upper); });
}

} // namespace

LPSTR WINAPI CharUpperA(LPSTR lpsz) { return MapText<vqwin::cp1252::ToUpper>(lpsz); }
LPSTR WINAPI CharLowerA(LPSTR lpsz) { return MapText<vqwin::cp1252::ToLower>(lpsz); }

DWORD WINAPI CharUpperBuffA(LPSTR lpsz, DWORD cchLength) {
  return MapBuffer<vqwin::cp1252::ToUpper>(lpsz, cchLength);
}

DWORD WINAPI CharLowerBuffA(LPSTR lpsz, DWORD cchLength) {
  return MapBuffer<vqwin::cp1252::ToLower>(lpsz, cchLength);
}

BOOL WINAPI IsCharAlphaA(CHAR ch) { return vqwin::cp1252::IsAlpha(static_cast<unsigned char>(ch)); }

BOOL WINAPI IsCharAlphaNumericA(CHAR ch) {
  const auto c = static_cast<unsigned char>(ch);
  return vqwin::cp1252::IsAlpha(c) || vqwin::cp1252::IsDigit(c);
}

int WINAPI lstrlenA(LPCSTR lpString) { return lpString ? int(std::strlen(lpString)) : 0; }

int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
  return Compare(lpString1, lpString2, true);
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
  return Compare(lpString1, lpString2, false);
}

LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2)
    return nullptr;
  // Unbounded by contract, as on Win32: the caller sized the buffer.
  std::memmove(lpString1, lpString2, std::strlen(lpString2) + 1);
  return lpString1;
}

LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
  if (!lpString1 || !lpString2)
    return nullptr;
  if (iMaxLength <= 0)
    return lpString1;
  const size_t length = strnlen(lpString2, size_t(iMaxLength) - 1);
  std::memmove(lpString1, lpString2, length);
  lpString1[length] = '\0';
  return lpString1;
}

LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2)
    return nullptr;
  std::memmove(lpString1 + std::strlen(lpString1), lpString2, std::strlen(lpString2) + 1);
  return lpString1;
}
