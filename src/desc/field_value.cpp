// A field's stored bytes turned into display text, a number, an order
// between two records, or the lowest and highest value the field can hold.
// The encode type says how the bytes are stored; the content type word how
// the value is to be understood, the display type word how it is shown.
//
// Nothing here allocates: integers are read from the record in place, texts
// are trimmed by moving pointers, and dates are copied into a small padded
// buffer only because their readers take fixed positions that a short field
// would not hold. Failures go to the log; only the two comparisons that
// cannot be made at all are shown to the user.
#include "desc/value_text.h"
#include "frame/library.h"

#include <cstring>

using namespace vqdesc;

namespace {

constexpr UINT kNumberText = 32;
// A field's text is read through a buffer of this size when its readers
// take fixed positions: a date, blanks, a time and room behind them.
constexpr UINT kPaddedText = 64;
constexpr UINT kPaddedSource = 48;

UINT Kind(UINT typeWord) { return typeWord & twKIND; }
UINT Decimals(UINT typeWord) { return (typeWord & twDECIMALS) >> twDECIMALS_SHIFT; }
UINT TimeFormat(UINT typeWord) { return (typeWord & twTIMEFMT) >> twTIMEFMT_SHIFT; }

template <typename T> T Load(const BYTE *p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// Branch-free: sorting random values would mispredict half the branches.
template <typename T> int Order(T a, T b) { return int(a > b) - int(a < b); }

// Floating order: an unordered pair (a NaN) counts as "less".
int FloatOrder(double a, double b) { return a == b ? 0 : a > b ? 1 : -1; }

// Copies up to kPaddedSource bytes of a field into a zero-filled buffer so
// that fixed-position readers never pass the field's end.
void Pad(char (&buffer)[kPaddedText], const char *text, size_t length) {
  std::memset(buffer, 0, sizeof buffer);
  std::memcpy(buffer, text, length < kPaddedSource ? length : kPaddedSource);
}

// The date and time text of a kind 2 display: read with the content type,
// written with the display type. Returns the length written into `out`
// (room for 40 characters).
UINT FormatDateTime(char *out, const char *source, size_t length, UINT content, UINT display) {
  char text[kPaddedText];
  Pad(text, source, length);
  const size_t end = length < kPaddedSource ? length : kPaddedSource;
  out[0] = '\0';
  size_t at = 0;
  UINT written = 0;
  if (content & twDATE) {
    UINT day, month, year;
    at = ParseDate(&day, &month, &year, text, Decimals(content));
    if (!at)
      return 0;
    written = FormatDate(out, day, month, year, Decimals(display), FALSE);
    if (!written || !(content & twTIME))
      return written;
    while (at < end && text[at] == ' ')
      ++at;
    out[written++] = ' ';
  }
  if (!(content & twTIME))
    return 0;
  UINT hour, minute, second;
  UINT timeLength = 0;
  if (ParseTime(&hour, &minute, &second, text + at, TimeFormat(content)))
    timeLength = FormatTime(out + written, hour, minute, second, TimeFormat(display));
  // A time format outside 0-3 leaves the date alone, without its blank.
  if (!timeLength && written)
    out[--written] = '\0';
  return written + timeLength;
}

// The value of a text field by its content kind. Kept apart from the
// binary encodings so that their path carries no text buffers.
__attribute__((noinline)) int ParseText(const char *text, UINT size, UINT contentType,
                                        numVal *value, UINT *kind) {
  const bool isSigned = contentType & twSIGNED;
  switch (Kind(contentType)) {
  case pkNUMBER:
    if (Decimals(contentType)) {
      value->dbl = FloatText(text, size);
      *kind = nvkDOUBLE;
    } else if (isSigned) {
      value->i64 = SignedDigits(text, size);
      *kind = nvkINT64;
    } else {
      value->u64 = UnsignedDigits(text, size);
      *kind = nvkUINT64;
    }
    return 1;
  case pkDATETIME: {
    char padded[kPaddedText];
    Pad(padded, text, size);
    UINT day, month, year;
    if (!ParseDate(&day, &month, &year, padded, Decimals(contentType))) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot parse a date format.");
      return 0;
    }
    value->u64 = 0;
    value->u32 = DayNumber(day, month, year);
    *kind = nvkUINT32;
    return 1;
  }
  case pkDECIMAL:
    value->i64 = DecimalText(text, size, Decimals(contentType));
    *kind = value->i64 > 0 ? nvkUINT64 : nvkINT64;
    return 1;
  default:
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot parse text type %d", int(Kind(contentType)));
    return 0;
  }
}

// The order of two text fields by their content kind.
__attribute__((noinline)) int CompareText(const char *ta, const char *tb, UINT size,
                                          UINT contentType) {
  const UINT d = Decimals(contentType);
  switch (Kind(contentType)) {
  case pkNUMBER:
    return d ? FloatOrder(FloatText(ta, size), FloatText(tb, size))
             : DigitTexts(ta, size, tb, size);
  case pkDATETIME: {
    char pa[kPaddedText], pb[kPaddedText];
    Pad(pa, ta, size);
    Pad(pb, tb, size);
    UINT da, ma, ya, db, mb, yb;
    if (!ParseDate(&da, &ma, &ya, pa, d) || !ParseDate(&db, &mb, &yb, pb, d))
      return 0;
    return Order(DayNumber(da, ma, ya), DayNumber(db, mb, yb));
  }
  case pkDECIMAL:
    return Order(DecimalText(ta, size, d), DecimalText(tb, size, d));
  default: {
    const int order = size ? std::memcmp(ta, tb, size) : 0;
    return order < 0 ? -1 : order > 0;
  }
  }
}

} // namespace

int CVQFieldDesc::ParseData(numVal *value, UINT *kind, const void *record, UINT) const {
  if (!value || !kind || !record)
    return 0;
  const BYTE *p = static_cast<const BYTE *>(record) + offset;
  const bool isSigned = contentType & twSIGNED;
  switch (encodeType) {
  case iteINT8:
    value->u64 = 0;
    value->i32 = isSigned ? INT(Load<signed char>(p)) : INT(p[0]);
    *kind = isSigned ? nvkINT32 : nvkUINT32;
    return 1;
  case iteINT16:
    value->u64 = 0;
    value->i32 = isSigned ? INT(Load<SHORT>(p)) : INT(Load<WORD>(p));
    *kind = isSigned ? nvkINT32 : nvkUINT32;
    return 1;
  case iteINT32:
    value->u64 = 0;
    value->u32 = Load<UINT>(p);
    *kind = isSigned ? nvkINT32 : nvkUINT32;
    return 1;
  case iteINT64:
    value->u64 = Load<ULONGLONG>(p);
    *kind = isSigned ? nvkINT64 : nvkUINT64;
    return 1;
  case ite32FLOATING:
    value->dbl = Load<float>(p);
    *kind = nvkDOUBLE;
    return 1;
  case ite64FLOATING:
    value->dbl = Load<double>(p);
    *kind = nvkDOUBLE;
    return 1;
  case ite80FLOATING:
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot process data type ite80FLOATING.");
    return 0;
  case iteUNICODETEXT:
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot process data type iteUNOCDETEXT.");
    return 0;
  case iteTEXT:
    break;
  default:
    return 0;
  }

  return ParseText(reinterpret_cast<const char *>(p), size, contentType, value, kind);
}

int CVQFieldDesc::FormatData(char *output, UINT outputSize, UINT *written, const void *record,
                             UINT recordLength) const {
  if (written)
    *written = 0;
  if (!output || !outputSize || !record)
    return 0;
  output[0] = '\0';
  if (encodeType > iteUNICODETEXT) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Unkown data encoding type %d for field found.",
                      int(encodeType));
    return 0;
  }

  // The source: the field's own bytes for text, else its number's digits.
  char number[kNumberText];
  const char *source;
  size_t length;
  if (encodeType == iteTEXT) {
    source = static_cast<const char *>(record) + offset;
    length = size;
  } else if (encodeType == iteUNICODETEXT) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Data type iteUNICODETEXT not yet supported.");
    return 0;
  } else {
    numVal value;
    UINT kind;
    if (!ParseData(&value, &kind, record, recordLength))
      return 0;
    length = FormatNumber(number, value, kind, contentType, displayType);
    source = number;
  }

  char converted[kPaddedText];
  UINT zeros = 0;
  switch (Kind(displayType)) {
  case pkTEXT:
    while (length && source[length - 1] == ' ')
      --length;
    break;
  case pkNUMBER:
    while (length && source[0] == ' ')
      ++source, --length;
    while (length && source[length - 1] == ' ')
      --length;
    if (displayType & twLEADZERO) {
      zeros = length < size ? UINT(size - length) : 0;
      if (zeros > outputSize - 1)
        zeros = outputSize - 1;
      std::memset(output, '0', zeros);
    } else {
      while (length > 1 && source[0] == '0')
        ++source, --length;
    }
    break;
  case pkDATETIME:
    length = FormatDateTime(converted, source, length, contentType, displayType);
    source = converted;
    break;
  case pkDECIMAL: {
    const UINT d = Decimals(contentType);
    length = FormatDecimalText(converted, sizeof converted, DecimalText(source, length, d), d);
    source = converted;
    break;
  }
  default:
    break;
  }

  // The reported length leaves out the padding zeros: it is the length of
  // the value's own text, whatever the padding made of it.
  const size_t room = outputSize - 1 - zeros;
  const size_t copied = length < room ? length : room;
  std::memcpy(output + zeros, source, copied);
  output[zeros + copied] = '\0';
  if (written)
    *written = UINT(copied);
  return 1;
}

int CVQFieldDesc::CompareData(const void *recordA, const void *recordB) const {
  if (!recordA || !recordB)
    return 0;
  const BYTE *a = static_cast<const BYTE *>(recordA) + offset;
  const BYTE *b = static_cast<const BYTE *>(recordB) + offset;
  const bool isSigned = contentType & twSIGNED;
  switch (encodeType) {
  case iteINT8:
    return isSigned ? Order(Load<signed char>(a), Load<signed char>(b)) : Order(a[0], b[0]);
  case iteINT16:
    return isSigned ? Order(Load<SHORT>(a), Load<SHORT>(b)) : Order(Load<WORD>(a), Load<WORD>(b));
  case iteINT32:
    return isSigned ? Order(Load<INT>(a), Load<INT>(b)) : Order(Load<UINT>(a), Load<UINT>(b));
  case iteINT64:
    return isSigned ? Order(Load<LONGLONG>(a), Load<LONGLONG>(b))
                    : Order(Load<ULONGLONG>(a), Load<ULONGLONG>(b));
  case ite32FLOATING:
    return FloatOrder(Load<float>(a), Load<float>(b));
  case ite64FLOATING:
    return FloatOrder(Load<double>(a), Load<double>(b));
  case ite80FLOATING:
    theLibrary.TextBox("Cannot compare two 80-bit floating point fields.");
    return 0;
  case iteUNICODETEXT:
    theLibrary.TextBox("Cannot compare two unicode data fields.");
    return 0;
  case iteTEXT:
    break;
  default:
    return 0;
  }

  return CompareText(reinterpret_cast<const char *>(a), reinterpret_cast<const char *>(b), size,
                     contentType);
}

UINT CVQFieldDesc::GetSMaskFiller(UINT high, char *buffer, UINT) const {
  if (!buffer)
    return 0;
  switch (encodeType) {
  case iteINT8:
  case iteINT16:
  case iteINT32: {
    // Signed or not, the filler is the same bytes: callers build key
    // limits from them, and the engine orders keys as unsigned bytes.
    const UINT bytes = encodeType == iteINT8 ? 1 : encodeType == iteINT16 ? 2 : 4;
    std::memset(buffer, high ? 0xFF : 0x00, bytes);
    return bytes;
  }
  case iteINT64:
  case ite32FLOATING:
  case ite64FLOATING:
  case ite80FLOATING:
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "GetSMaskFiller for numerical type not yet supported.");
    return 0;
  case iteTEXT:
    break;
  case iteUNICODETEXT:
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "GetSMaskFiller for UNICODETEXT not yet supported.");
    return 0;
  default:
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "GetSMaskFiller for unkown data encoding type %d.",
                      int(encodeType));
    return 0;
  }

  const UINT kind = Kind(contentType);
  switch (kind) {
  case pkTEXT:
    std::memset(buffer, high ? 0xFF : 0x00, size);
    return size;
  case pkNUMBER:
    std::memset(buffer, high ? '9' : '0', size);
    return size;
  case pkDATETIME: {
    char text[kNumberText];
    UINT length = 0;
    if (contentType & twDATE)
      length = FormatDate(text, high ? 31 : 0, high ? 12 : 0, high ? 9999 : 0,
                          Decimals(contentType), TRUE);
    if (contentType & twTIME)
      length += FormatTime(text + length, high ? 23 : 0, high ? 59 : 0, high ? 59 : 0,
                           TimeFormat(contentType));
    std::memcpy(buffer, text, length);
    return length;
  }
  case pkDECIMAL:
  case 4:
  case 5:
    theLibrary.PrtLog(VQLOG_WARNING, kTag,
                      "GetSMaskFiller: Data presentation type %u not yet supported.", kind);
    return 0;
  default:
    return 0;
  }
}
