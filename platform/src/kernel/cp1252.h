// Windows-1252, the code page of every single-byte text in the layer: its
// case mapping, letter classes, sort weights and conversion to and from
// UTF-16. Case mapping follows what Win32 does for this code page: the
// pairs are those whose both forms exist in it, so ß, µ and ƒ have no
// upper case here and stay as they are.
#ifndef VQWIN_KERNEL_CP1252_H
#define VQWIN_KERNEL_CP1252_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace vqwin::cp1252 {

unsigned char ToUpper(unsigned char c);
unsigned char ToLower(unsigned char c);
bool IsAlpha(unsigned char c);
bool IsDigit(unsigned char c);

/// Weights for comparing texts the way Win32's word sort does, simplified:
/// `primary` orders symbols before digits before letters and puts accented
/// letters on their base letter; `accent` separates a base letter from its
/// accented forms; `upper` is set for capitals, which sort after lower case.
struct SortWeight {
  uint16_t primary;
  uint8_t accent;
  uint8_t upper;
};
SortWeight Weight(unsigned char c);

char16_t ToUnicode(unsigned char c);
/// The code page's byte for a UTF-16 unit, or '?' when it has none.
unsigned char FromUnicode(char16_t c);

/// The character of the well-formed UTF-8 sequence at p (before end) into
/// c, and the sequence's length; 0 where p begins none (a stray byte, a
/// sequence cut short, an overlong form, a surrogate, past U+10FFFF).
size_t DecodeUtf8(const unsigned char *p, const unsigned char *end, char32_t &c);
/// Appends a code-page text as UTF-8, the system's encoding of names.
void AppendUtf8(std::string &out, const char *text, size_t length);
/// A UTF-8 name in the code page. A character the code page has no byte
/// for, and a byte that is no UTF-8, becomes '?'; the result is false then.
bool FromUtf8(const char *utf8, size_t length, std::string &out);

} // namespace vqwin::cp1252

#endif
