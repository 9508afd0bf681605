// wsprintfA and wvsprintfA: Win32's own small formatter, not printf. It has
// no floating point and no '*' width; an unknown conversion character is
// written as it stands and consumes no argument, which is what callers that
// pass "%f" see on Win32. The output never exceeds 1024 bytes.
#include <windows.h>

#include "cp1252.h"

#include <cstring>

namespace {

constexpr int kMaxOutput = 1024; // bytes, terminator included

class Output {
public:
  explicit Output(char *buffer) : buffer_(buffer) {}
  void Put(char c) {
    if (length_ < kMaxOutput - 1)
      buffer_[length_++] = c;
  }
  void Repeat(char c, int count) {
    for (int i = 0; i < count; ++i)
      Put(c);
  }
  int Finish() {
    buffer_[length_] = '\0';
    return length_;
  }

private:
  char *buffer_;
  int length_ = 0;
};

struct Spec {
  bool left = false, zero = false, alternate = false;
  int width = 0;
  int precision = -1;
  char size = 0; // 'h', 'l' or 0
  char type = 0;
};

const char *ParseSpec(const char *f, Spec &s) {
  for (;; ++f) {
    if (*f == '-')
      s.left = true;
    else if (*f == '0')
      s.zero = true;
    else if (*f == '#')
      s.alternate = true;
    else
      break;
  }
  for (; *f >= '0' && *f <= '9'; ++f)
    s.width = s.width < 100000 ? s.width * 10 + (*f - '0') : s.width;
  if (*f == '.') {
    s.precision = 0;
    for (++f; *f >= '0' && *f <= '9'; ++f)
      s.precision = s.precision < 100000 ? s.precision * 10 + (*f - '0') : s.precision;
  }
  if (*f == 'h' || *f == 'l')
    s.size = *f++;
  s.type = *f;
  return *f ? f + 1 : f;
}

// Pads `body` (already converted, `prefix` in front of it) to the width.
void Emit(Output &out, const Spec &s, const char *prefix, const char *body, int bodyLength,
          bool zeroAllowed) {
  const int prefixLength = int(std::strlen(prefix));
  const int pad = s.width - prefixLength - bodyLength;
  const bool zeros = s.zero && !s.left && zeroAllowed;
  if (pad > 0 && !s.left && !zeros)
    out.Repeat(' ', pad);
  for (const char *p = prefix; *p; ++p)
    out.Put(*p);
  if (pad > 0 && zeros)
    out.Repeat('0', pad);
  for (int i = 0; i < bodyLength; ++i)
    out.Put(body[i]);
  if (pad > 0 && s.left)
    out.Repeat(' ', pad);
}

void EmitNumber(Output &out, const Spec &s, unsigned long long value, bool negative, unsigned base,
                bool upper) {
  const char *digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char text[40];
  int n = 0;
  for (unsigned long long v = value; v; v /= base)
    text[sizeof text - 1 - n++] = digits[v % base];
  const int minimum = s.precision < 0 ? 1 : s.precision > 32 ? 32 : s.precision;
  while (n < minimum)
    text[sizeof text - 1 - n++] = '0';
  const char *prefix = negative                             ? "-"
                       : s.alternate && base == 16 && value ? (upper ? "0X" : "0x")
                                                            : "";
  Emit(out, s, prefix, text + sizeof text - n, n, s.precision < 0);
}

void EmitWideText(Output &out, const Spec &s, const WCHAR *text) {
  char narrow[kMaxOutput];
  int n = 0;
  const int limit = s.precision < 0 || s.precision > kMaxOutput ? kMaxOutput : s.precision;
  for (; n < limit && text[n]; ++n)
    narrow[n] = static_cast<char>(vqwin::cp1252::FromUnicode(text[n]));
  Emit(out, s, "", narrow, n, true);
}

void EmitText(Output &out, const Spec &s, const char *text) {
  const size_t limit = s.precision < 0 ? kMaxOutput : size_t(s.precision);
  Emit(out, s, "", text, int(strnlen(text, limit)), true);
}

} // namespace

int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist) {
  if (!lpOut)
    return 0;
  Output out(lpOut);
  if (!lpFmt)
    return out.Finish();
  va_list args;
  va_copy(args, arglist);
  for (const char *f = lpFmt; *f;) {
    if (*f != '%') {
      out.Put(*f++);
      continue;
    }
    Spec s;
    f = ParseSpec(f + 1, s);
    switch (s.type) {
    case 'd':
    case 'i': {
      const int v = s.size == 'h' ? short(va_arg(args, int)) : va_arg(args, int);
      const long long wide = v;
      EmitNumber(out, s, wide < 0 ? -wide : wide, v < 0, 10, false);
      break;
    }
    case 'u':
    case 'x':
    case 'X': {
      const unsigned raw = va_arg(args, unsigned);
      const unsigned v = s.size == 'h' ? (unsigned short)raw : raw;
      EmitNumber(out, s, v, false, s.type == 'u' ? 10 : 16, s.type == 'X');
      break;
    }
    case 'p': {
      Spec hex = s;
      hex.precision = int(2 * sizeof(void *));
      EmitNumber(out, hex, reinterpret_cast<uintptr_t>(va_arg(args, void *)), false, 16, true);
      break;
    }
    case 'c':
    case 'C': {
      const int v = va_arg(args, int);
      const bool wide = s.type == 'c' ? s.size == 'l' : s.size != 'h';
      const char c = wide ? char(vqwin::cp1252::FromUnicode(char16_t(v))) : char(v);
      Emit(out, s, "", &c, 1, true);
      break;
    }
    case 's':
    case 'S': {
      const bool wide = s.type == 's' ? s.size == 'l' : s.size != 'h';
      if (wide) {
        const WCHAR *text = va_arg(args, const WCHAR *);
        if (text)
          EmitWideText(out, s, text);
        else
          EmitText(out, s, "(null)");
      } else {
        const char *text = va_arg(args, const char *);
        EmitText(out, s, text ? text : "(null)");
      }
      break;
    }
    case '\0':
      break;
    default: // '%%' and every character that is no conversion
      out.Put(s.type);
      break;
    }
  }
  va_end(args);
  return out.Finish();
}

int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
  va_list args;
  va_start(args, lpFmt);
  const int n = wvsprintfA(lpOut, lpFmt, args);
  va_end(args);
  return n;
}
