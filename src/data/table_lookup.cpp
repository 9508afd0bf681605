// What a host asks of a browsed table beyond the grid's cells: the text of
// one cell, the next line that matches a second selection, and the file
// name of a record's image built from the gallery's name templates.
//
// An image name template is literal text with markers, each closed by the
// next '#' (or the end), its parameter in between:
//
// | marker | parameter           | appended                                    |
// |--------|---------------------|---------------------------------------------|
// | #PPN   | (not used)          | the path of the host program's module file  |
// | #SN0   | a wsprintf format   | the line number formatted                   |
// | #SN1   | a wsprintf format   | the line number + 1 formatted               |
// | #F     | a field name        | the field's text, trailing blanks dropped   |
// | #T     | a field name        | nothing; the field's digits become the value|
//
// A template that starts with ".\" starts with `base` instead; any other
// '#' stays as it is.
//
// Chosen here: a parameter of 63 characters or more, a `base` of 260 or
// more, and a number format that is not one integer conversion (so that a
// template can never make wsprintf read an argument it was not given) are
// refused with a log line; a name that would not fit in 259 characters, or
// a "#F" cell that cannot be read, gives 0 as well, so no cut name is ever
// handed out.
#include "frame/library.h"

#include <vq_icl32.h>

#include <windows.h>

#include <cstring>

namespace {

constexpr char kTag[] = "CVQTableISAM";
constexpr UINT kNone = 0xFFFFFFFF;
constexpr UINT kNameSize = MAX_PATH;  // 259 characters and the terminator
constexpr UINT kParameterSize = 64;   // a 64-byte buffer: at most 62 characters taken
constexpr UINT kFieldTextSize = 32;   // "#T" reads at most 31 characters
constexpr UINT kFormattedSize = 1025; // wsprintf writes at most 1024

// At most one directive, and that one an integer conversion with flags,
// width and precision of up to three digits; "%%" stands for itself.
bool IsLineFormat(const char *format) {
  bool converted = false;
  for (const char *p = format; *p; ++p) {
    if (*p != '%')
      continue;
    if (*++p == '%')
      continue;
    while (*p == '-' || *p == '#' || *p == '0')
      ++p;
    for (int d = 0; d < 3 && *p >= '0' && *p <= '9'; ++d)
      ++p;
    if (*p == '.') {
      ++p;
      for (int d = 0; d < 3 && *p >= '0' && *p <= '9'; ++d)
        ++p;
    }
    if (*p == 'l')
      ++p;
    if (converted || !*p || !std::strchr("diuxX", *p))
      return false;
    converted = true;
  }
  return true;
}

// The name under construction: appends refuse to cut it.
class NameBuilder {
public:
  bool Append(const char *text, UINT length) {
    if (length > kNameSize - 1 - length_)
      return false;
    std::memcpy(text_ + length_, text, length);
    length_ += length;
    text_[length_] = '\0';
    return true;
  }
  char *End() { return text_ + length_; }
  UINT Room() const { return kNameSize - length_; }
  void Grow(UINT length) {
    length_ += length;
    text_[length_] = '\0';
  }
  void DropTrailingBlanks(UINT floor) {
    while (length_ > floor && text_[length_ - 1] == ' ')
      text_[--length_] = '\0';
  }
  const char *Text() const { return text_; }
  UINT Length() const { return length_; }

private:
  char text_[kNameSize] = {};
  UINT length_ = 0;
};

UINT FindField(const CVQTableDesc &table, const char *name) {
  for (UINT i = 0; i < table.fields.count; ++i)
    if (CmpFieldName(name, &table.fields.fields[i]) == 0)
      return i;
  theLibrary.PrtLog(VQLOG_ERROR, kTag, "Field <%s> not found in table record description.", name);
  return kNone;
}

bool TooLong() {
  theLibrary.PrtLog(VQLOG_ERROR, kTag, "GetImageName: The image name exceeds %u characters.",
                    kNameSize - 1);
  return false;
}

// Expands one marker; `parameter` is its text up to the closing '#'.
bool ExpandMarker(CVQTableISAM &t, const char *marker, char *parameter, UINT line,
                  NameBuilder &name, ULONGLONG *value) {
  if (std::strcmp(marker, "#PPN") == 0) {
    const DWORD n = GetModuleFileNameA(nullptr, name.End(), name.Room());
    if (n == 0 || n >= name.Room())
      return TooLong();
    name.Grow(n);
    return true;
  }
  if (std::strcmp(marker, "#SN0") == 0 || std::strcmp(marker, "#SN1") == 0) {
    if (!IsLineFormat(parameter)) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "GetImageName: <%s> is no format of a line number.",
                        parameter);
      return false;
    }
    char number[kFormattedSize];
    const int n = wsprintfA(number, parameter, marker[3] == '1' ? line + 1 : line);
    if (n < 0 || !name.Append(number, UINT(n)))
      return TooLong();
    return true;
  }
  const UINT length = UINT(std::strlen(parameter));
  if (marker[1] == 'F' && length && parameter[length - 1] == '\\')
    parameter[length - 1] = '\0';
  const UINT field = FindField(*t.tableDesc, parameter);
  if (field == kNone)
    return false;
  if (marker[1] == 'T') {
    char text[kFieldTextSize] = {};
    UINT written = 0;
    if (!TableItemCallback(line, field, text, sizeof text, &written, DWORD_PTR(&t)))
      return false;
    *value = ParseUnsignedDigits(text, 0);
    return true;
  }
  const UINT start = name.Length();
  const UINT room = name.Room();
  UINT written = 0;
  if (!TableItemCallback(line, field, name.End(), room, &written, DWORD_PTR(&t)))
    return false;
  // FormatData cuts to the room it was given: a full buffer may hide more.
  const UINT n = UINT(std::strlen(name.End()));
  name.Grow(n);
  name.DropTrailingBlanks(start);
  return n + 1 < room || TooLong();
}

// The marker that starts at `at` ("#" alone when it is none of them).
const char *MarkerAt(const char *at, UINT left) {
  static const char *const kMarkers[] = {"#PPN", "#SN0", "#SN1", "#F", "#T"};
  for (const char *m : kMarkers) {
    const UINT n = UINT(std::strlen(m));
    if (n <= left && std::memcmp(at, m, n) == 0)
      return m;
  }
  return "#";
}

} // namespace

UINT CVQTableISAM::GetDataField(UINT line, UINT column, char *buffer, UINT size) {
  UINT written = size;
  if (!TableItemCallback(line, column, buffer, size, &written, DWORD_PTR(this)))
    return kNone;
  return written;
}

UINT CVQTableISAM::FindRecord(CVQTblSelDesc *search, UINT line) {
  if (!search) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "FindRecord: No selection to search with.");
    return kNone;
  }
  char scratch[256];
  UINT written = 0;
  for (;; ++line) {
    if (line == kNone ||
        !TableItemCallback(line, 0, scratch, sizeof scratch, &written, DWORD_PTR(this)))
      return kNone;
    if (search->testdata(tableDesc, recordBuffer, recordSize))
      return line;
  }
}

int CVQTableISAM::GetImageName(CICLName *name, const char *base, UINT line, UINT image) {
  if (!name || !tableDesc || image >= tableDesc->gallery.images.count ||
      !tableDesc->gallery.images.images) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "GetImageName: No access to image %d possible.",
                      static_cast<int>(image));
    return 0;
  }
  const CVQImgNameDesc &desc = tableDesc->gallery.images.images[image];
  const char *tpl = desc.imageName;
  const UINT length = UINT(strnlen(tpl, sizeof desc.imageName));
  const UINT end = desc.textLength < length ? desc.textLength : length;
  NameBuilder out;
  ULONGLONG value = 0;
  UINT pos = 0;
  if (end > 2 && tpl[0] == '.' && tpl[1] == '\\') {
    const UINT baseLength = base ? UINT(strnlen(base, kNameSize)) : 0;
    if (baseLength >= kNameSize) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag,
                        "GetImageName: The base path is longer than %u characters.", kNameSize - 1);
      return 0;
    }
    out.Append(base ? base : "", baseLength);
    pos = 2;
  }
  while (pos < end) {
    const char *hash = static_cast<const char *>(std::memchr(tpl + pos, '#', end - pos));
    const UINT literal = hash ? UINT(hash - tpl) : end;
    if (!out.Append(tpl + pos, literal - pos))
      return TooLong();
    pos = literal;
    if (pos >= end)
      break;
    const char *marker = MarkerAt(tpl + pos, end - pos);
    const UINT markerLength = UINT(std::strlen(marker));
    if (markerLength == 1) {
      if (!out.Append("#", 1))
        return TooLong();
      ++pos;
      continue;
    }
    const UINT from = pos + markerLength;
    const char *close = static_cast<const char *>(std::memchr(tpl + from, '#', end - from));
    const UINT to = close ? UINT(close - tpl) : end;
    if (to - from >= kParameterSize - 1) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag,
                        "GetImageName: The parameter of %s is longer than %u characters.", marker,
                        kParameterSize - 2);
      return 0;
    }
    char parameter[kParameterSize];
    std::memcpy(parameter, tpl + from, to - from);
    parameter[to - from] = '\0';
    pos = close ? to + 1 : to;
    if (!ExpandMarker(*this, marker, parameter, line, out, &value))
      return 0;
  }
  name->SetFileName(out.Text(), out.Length());
  name->value = value;
  return 1;
}
