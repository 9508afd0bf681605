// WideCharToMultiByte for the two code pages the layer knows: its own
// single-byte one (Windows-1252, CP_ACP) and UTF-8.
#include <windows.h>

#include "cp1252.h"

#include <string>

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
  if ((CodePage != CP_ACP && CodePage != CP_UTF8) || dwFlags != 0 || !lpWideCharStr ||
      cbMultiByte < 0 || (cbMultiByte > 0 && !lpMultiByteStr) ||
      (CodePage == CP_UTF8 && (lpDefaultChar || lpUsedDefaultChar))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t count = 0;
  if (cchWideChar < 0) {
    while (lpWideCharStr[count])
      ++count;
    ++count; // the terminator too
  } else {
    count = size_t(cchWideChar);
  }
  std::string out;
  BOOL usedDefault = FALSE;
  for (size_t i = 0; i < count; ++i) {
    char32_t c = lpWideCharStr[i];
    if (CodePage == CP_ACP) {
      const unsigned char b = vqwin::cp1252::FromUnicode(char16_t(c));
      if (b == '?' && c != u'?') {
        usedDefault = TRUE;
        out += lpDefaultChar ? *lpDefaultChar : '?';
      } else {
        out += char(b);
      }
      continue;
    }
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < count && lpWideCharStr[i + 1] >= 0xDC00 &&
        lpWideCharStr[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (lpWideCharStr[++i] - 0xDC00);
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  if (lpUsedDefaultChar)
    *lpUsedDefaultChar = usedDefault;
  if (cbMultiByte == 0)
    return int(out.size());
  if (out.size() > size_t(cbMultiByte)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  out.copy(lpMultiByteStr, out.size());
  return int(out.size());
}
