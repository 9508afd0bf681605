// Windows-1252 and UTF-16 conversions for window texts and class names.
#include "user/wnd_text.h"

#include "kernel/cp1252.h"

namespace vqwin::user {

size_t WideLength(const WCHAR *text) {
  size_t n = 0;
  while (text && text[n])
    ++n;
  return n;
}

std::string ToAnsi(const WCHAR *text) {
  std::string out;
  for (size_t i = 0; text && text[i]; ++i)
    out.push_back(static_cast<char>(cp1252::FromUnicode(text[i])));
  return out;
}

std::string ToAnsi(const std::u16string &text) { return ToAnsi(text.c_str()); }

std::u16string ToWide(const char *text) {
  std::u16string out;
  for (size_t i = 0; text && text[i]; ++i)
    out.push_back(cp1252::ToUnicode(static_cast<unsigned char>(text[i])));
  return out;
}

} // namespace vqwin::user
