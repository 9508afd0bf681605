// Case mapping, character classes and the lstr* routines over
// Windows-1252. Like Win32, the routines take NULL without crashing; the
// comparisons give -1, 0 or 1, which is what CompareString-based Win32
// returns, not a byte difference.
#include <windows.h>

#include "cp1252.h"

#include <cstdint>
#include <cstring>
#include <vector>

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

// One compared element of a text: its weights, or for a hyphen or an
// apostrophe under word sort, a "special" weight with its position.
struct Element {
  SortWeight weight;
  bool special;
  int position;
  unsigned char c;
};

std::vector<Element> Elements(const unsigned char *text, int length, DWORD flags) {
  std::vector<Element> out;
  for (int i = 0; i < length; ++i) {
    const unsigned char c = text[i];
    const bool wordSpecial = !(flags & SORT_STRINGSORT) && (c == '-' || c == '\'');
    if ((flags & NORM_IGNORESYMBOLS) && !wordSpecial && !vqwin::cp1252::IsAlpha(c) &&
        !vqwin::cp1252::IsDigit(c))
      continue;
    if (c == 0xDF) { // ß sorts as "ss"
      const SortWeight s = vqwin::cp1252::Weight('s');
      out.push_back({s, false, i, 's'});
      out.push_back({s, false, i, 's'});
      continue;
    }
    SortWeight w = vqwin::cp1252::Weight(c);
    if (c == '\'' || c == '-')
      w.primary = c == '\'' ? 1 : 2; // under string sort: before every other symbol
    out.push_back({w, wordSpecial, i, c});
  }
  return out;
}

// Compares one level of weights over the whole texts before the next level
// is looked at, so "ab" < "Ac" although 'a' < 'A'.
template <typename Key>
int CompareLevel(const std::vector<Element> &a, const std::vector<Element> &b, Key key) {
  size_t i = 0, j = 0;
  for (;;) {
    while (i < a.size() && a[i].special)
      ++i;
    while (j < b.size() && b[j].special)
      ++j;
    if (i == a.size() || j == b.size())
      return i < a.size() ? 1 : j < b.size() ? -1 : 0;
    const unsigned ka = key(a[i].weight), kb = key(b[j].weight);
    if (ka != kb)
      return ka < kb ? -1 : 1;
    ++i;
    ++j;
  }
}

// Hyphens and apostrophes decide last: a text with more of them is greater;
// between single ones the hyphen weighs more.
int CompareSpecial(const std::vector<Element> &a, const std::vector<Element> &b) {
  std::vector<const Element *> sa, sb;
  for (const Element &e : a)
    if (e.special)
      sa.push_back(&e);
  for (const Element &e : b)
    if (e.special)
      sb.push_back(&e);
  for (size_t k = 0; k < sa.size() && k < sb.size(); ++k) {
    if (sa[k]->c != sb[k]->c)
      return sa[k]->c == '-' ? 1 : -1;
    if (sa[k]->position != sb[k]->position)
      return sa[k]->position < sb[k]->position ? 1 : -1;
  }
  return sa.size() < sb.size() ? -1 : sa.size() > sb.size() ? 1 : 0;
}

int CompareTexts(const unsigned char *s1, int n1, const unsigned char *s2, int n2, DWORD flags) {
  const std::vector<Element> a = Elements(s1, n1, flags), b = Elements(s2, n2, flags);
  if (int r = CompareLevel(a, b, [](SortWeight w) { return unsigned(w.primary); }))
    return r;
  if (!(flags & NORM_IGNORENONSPACE))
    if (int r = CompareLevel(a, b, [](SortWeight w) { return unsigned(w.accent); }))
      return r;
  if (!(flags & NORM_IGNORECASE))
    if (int r = CompareLevel(a, b, [](SortWeight w) { return unsigned(w.upper); }))
      return r;
  return CompareSpecial(a, b);
}

int Compare(LPCSTR s1, LPCSTR s2, bool withCase) {
  const auto *a = reinterpret_cast<const unsigned char *>(s1 ? s1 : "");
  const auto *b = reinterpret_cast<const unsigned char *>(s2 ? s2 : "");
  return CompareTexts(a, int(std::strlen(s1 ? s1 : "")), b, int(std::strlen(s2 ? s2 : "")),
                      withCase ? 0 : NORM_IGNORECASE);
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

int WINAPI CompareStringA(LCID, DWORD dwCmpFlags, LPCSTR lpString1, int cchCount1, LPCSTR lpString2,
                          int cchCount2) {
  const DWORD known = NORM_IGNORECASE | NORM_IGNORENONSPACE | NORM_IGNORESYMBOLS | SORT_STRINGSORT;
  if (!lpString1 || !lpString2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (dwCmpFlags & ~known) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  // A count stops at an embedded terminator too, as it does on Win32.
  const int n1 = cchCount1 < 0 ? lstrlenA(lpString1) : int(strnlen(lpString1, size_t(cchCount1)));
  const int n2 = cchCount2 < 0 ? lstrlenA(lpString2) : int(strnlen(lpString2, size_t(cchCount2)));
  const int r = CompareTexts(reinterpret_cast<const unsigned char *>(lpString1), n1,
                             reinterpret_cast<const unsigned char *>(lpString2), n2, dwCmpFlags);
  return r + CSTR_EQUAL;
}

UINT WINAPI GetACP(void) { return 1252; }

BOOL WINAPI IsCharUpperA(CHAR ch) {
  const auto c = static_cast<unsigned char>(ch);
  return vqwin::cp1252::ToLower(c) != c;
}

BOOL WINAPI IsCharLowerA(CHAR ch) {
  const auto c = static_cast<unsigned char>(ch);
  // ß, ÿ and the feminine and masculine ordinals are lower case letters
  // without an upper case form in this code page.
  return vqwin::cp1252::ToUpper(c) != c || c == 0xDF || c == 0xFF || c == 0xAA || c == 0xBA ||
         c == 0xB5 || c == 0x83;
}
