/*
 * The printf-style filler of box texts. It walks the format itself and
 * hands each directive, rebuilt with a length that matches the stored
 * argument, to snprintf alone, so no argument is ever read as a type it
 * is not. Lengths in the text only narrow integers, as printf would.
 */
#include "error/box_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vq::lib32 {
namespace {

enum class Width { Char, Short, Int, Wide };

struct Directive {
  std::string flags;
  int width = -1;     // -1: none
  int precision = -1; // -1: none
  Width length = Width::Int;
  char conversion = 0;
};

bool IsIntegral(const CVQBoxArg &a) {
  return a.kind == CVQBoxArg::Signed || a.kind == CVQBoxArg::Unsigned ||
         a.kind == CVQBoxArg::Pointer;
}

ULONGLONG Bits(const CVQBoxArg &a) {
  return a.kind == CVQBoxArg::Pointer ? static_cast<ULONGLONG>(reinterpret_cast<uintptr_t>(a.p))
                                      : a.u;
}

class Filler {
public:
  Filler(const CVQBoxArg *args, UINT count) : args(args), count(count) {}

  bool Fill(const char *format, std::string &out) {
    for (const char *p = format; *p;) {
      if (*p != '%') {
        if (out.size() < kMaxBoxText)
          out += *p;
        ++p;
        continue;
      }
      Directive d;
      if (!Parse(++p, d) || !Emit(d, out))
        return false;
    }
    return true;
  }

private:
  const CVQBoxArg *Next() { return next < count ? &args[next++] : nullptr; }

  // A '*' takes an int argument; a negative width means left-justified.
  bool Star(int &value) {
    const CVQBoxArg *a = Next();
    if (!a || a->kind == CVQBoxArg::Floating || a->kind == CVQBoxArg::Text)
      return false;
    value = static_cast<int>(Bits(*a));
    return true;
  }

  static bool Digits(const char *&p, int &value) {
    value = 0;
    while (*p >= '0' && *p <= '9') {
      value = value * 10 + (*p++ - '0');
      if (value > static_cast<int>(kMaxBoxText))
        return false;
    }
    return true;
  }

  bool Parse(const char *&p, Directive &d) {
    while (*p && std::strchr("-+ #0", *p))
      d.flags += *p++;
    if (*p == '*') {
      ++p;
      if (!Star(d.width))
        return false;
      if (d.width < 0) {
        d.flags += '-';
        d.width = d.width == -2147483647 - 1 ? 0 : -d.width;
      }
    } else if (*p >= '1' && *p <= '9') {
      if (!Digits(p, d.width) || *p == '$') // numbered arguments cannot be checked in order
        return false;
    }
    if (*p == '.') {
      ++p;
      if (*p == '*') {
        ++p;
        if (!Star(d.precision))
          return false;
        if (d.precision < 0)
          d.precision = -1;
      } else if (!Digits(p, d.precision)) {
        return false;
      }
    }
    if (d.width > static_cast<int>(kMaxBoxText) || d.precision > static_cast<int>(kMaxBoxText))
      return false;
    ParseLength(p, d);
    if (!*p)
      return false;
    d.conversion = *p++;
    return true;
  }

  static void ParseLength(const char *&p, Directive &d) {
    if (p[0] == 'h' && p[1] == 'h') {
      d.length = Width::Char, p += 2;
    } else if (*p == 'h') {
      d.length = Width::Short, ++p;
    } else if (p[0] == 'l' && p[1] == 'l') {
      d.length = Width::Wide, p += 2;
    } else if (*p == 'l' || *p == 'L') {
      ++p; // a Windows long is 32 bits; L only matters to floating values
    } else if (*p == 'q' || *p == 'j' || *p == 'z' || *p == 't') {
      d.length = Width::Wide, ++p;
    } else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
      d.length = Width::Wide, p += 3;
    } else if (p[0] == 'I' && p[1] == '3' && p[2] == '2') {
      p += 3;
    } else if (*p == 'I') {
      d.length = Width::Wide, ++p; // pointer-sized
    }
  }

  std::string Spec(const Directive &d, const char *length, char conversion) const {
    std::string s = "%" + d.flags;
    if (d.width >= 0)
      s += std::to_string(d.width);
    if (d.precision >= 0)
      s += "." + std::to_string(d.precision);
    return s + length + conversion;
  }

  template <typename T> static void Append(std::string &out, const std::string &spec, T value) {
    if (out.size() >= kMaxBoxText)
      return; // the text is cut there anyway; the rest is only checked
    char buffer[kMaxBoxText + 64];
    int n = std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
    if (n > 0)
      out.append(buffer, static_cast<size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
  }

  bool Emit(const Directive &d, std::string &out) {
    if (d.conversion == '%') {
      out += '%';
      return true;
    }
    if (!std::strchr("diuoxXcsfFeEgGaAp", d.conversion))
      return false; // also refuses %n, which would write through an argument
    const CVQBoxArg *a = Next();
    if (!a)
      return false;
    switch (d.conversion) {
    case 'd':
    case 'i':
      return Integer(d, *a, true, out);
    case 'u':
    case 'o':
    case 'x':
    case 'X':
      return Integer(d, *a, false, out);
    case 'c':
      if (!IsIntegral(*a))
        return false;
      Append(out, Spec(d, "", 'c'), static_cast<int>(static_cast<unsigned char>(Bits(*a))));
      return true;
    case 's':
      if (a->kind == CVQBoxArg::Text) {
        Append(out, Spec(d, "", 's'), a->s ? a->s : "(null)");
        return true;
      }
      if (a->kind == CVQBoxArg::Pointer && !a->p) {
        Append(out, Spec(d, "", 's'), "(null)");
        return true;
      }
      return false;
    case 'p':
      if (a->kind == CVQBoxArg::Floating || a->kind == CVQBoxArg::Text)
        return false;
      Append(out, Spec(d, "", 'p'),
             reinterpret_cast<const void *>(static_cast<uintptr_t>(Bits(*a))));
      return true;
    default:
      if (a->kind != CVQBoxArg::Floating)
        return false;
      Append(out, Spec(d, "", d.conversion), a->f);
      return true;
    }
  }

  bool Integer(const Directive &d, const CVQBoxArg &a, bool isSigned, std::string &out) {
    if (!IsIntegral(a))
      return false;
    ULONGLONG bits = Bits(a);
    switch (d.length) {
    case Width::Char:
      bits = isSigned ? static_cast<ULONGLONG>(static_cast<signed char>(bits)) : bits & 0xFFu;
      break;
    case Width::Short:
      bits = isSigned ? static_cast<ULONGLONG>(static_cast<short>(bits)) : bits & 0xFFFFu;
      break;
    case Width::Int:
      bits = isSigned ? static_cast<ULONGLONG>(static_cast<int>(bits)) : bits & 0xFFFFFFFFu;
      break;
    case Width::Wide:
      break;
    }
    if (isSigned)
      Append(out, Spec(d, "ll", d.conversion), static_cast<long long>(bits));
    else
      Append(out, Spec(d, "ll", d.conversion), static_cast<unsigned long long>(bits));
    return true;
  }

  const CVQBoxArg *args;
  UINT count;
  UINT next = 0;
};

} // namespace

bool FormatBoxText(const char *format, const CVQBoxArg *args, UINT count, std::string &out) {
  out.clear();
  if (!format)
    return false;
  Filler filler(args, count);
  if (!filler.Fill(format, out)) {
    out.clear();
    return false;
  }
  if (out.size() > kMaxBoxText)
    out.resize(kMaxBoxText);
  return true;
}

} // namespace vq::lib32
