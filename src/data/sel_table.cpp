// Selection resolution and evaluation against a table description: each
// column is found among the table's fields, and records are tested on
// their raw bytes, formatting or parsing only the fields the comparisons
// name, on the stack.
//
// An order comparison on a text field compares numbers: resolution takes
// the value when it reads as a number (signed when the field is), and a
// record passes when its field's text reads as a number too and the two
// numbers compare as asked. Texts that hold no number never pass, so the
// comparison selects nothing it cannot order.
#include "data/sel_eval.h"

#include "frame/library.h"

#include <cstring>

namespace vq::sel {
namespace {

constexpr UINT kTextBuffer = 1024;

UINT Kind(const CVQFieldDesc &f) { return f.contentType & twKIND; }

template <class T> T Load(const char *bytes) {
  T v;
  std::memcpy(&v, bytes, sizeof v);
  return v;
}
bool IsSignedField(const CVQFieldDesc &f) { return (f.contentType & twSIGNED) != 0; }
bool IsNoCase(const CVQFieldDesc &f) { return IsNoCaseText(f); }
UINT Decimals(const CVQFieldDesc &f) { return (f.contentType & twDECIMALS) >> twDECIMALS_SHIFT; }

// The kind resolution stored the compare value in; (UINT)-1 where it set
// none, and the record's own kind is taken.
UINT CompareKind(const CVQFieldDesc &f) {
  const UINT e = f.encodeType;
  switch (Kind(f)) {
  case pkTEXT:
    return nvkINT64;
  case pkNUMBER:
    if (e <= iteINT32)
      return IsSignedField(f) ? nvkINT32 : nvkUINT32;
    if (e == iteINT64 || (e == iteTEXT && !Decimals(f)))
      return IsSignedField(f) ? nvkINT64 : nvkUINT64;
    if (e <= iteTEXT)
      return nvkDOUBLE;
    return UINT(-1);
  case pkDATETIME:
    return nvkUINT32;
  case pkDECIMAL:
    return nvkINT64;
  default:
    return UINT(-1);
  }
}

int SetupNumber(SVQDataCompExpr &expr, const CVQFieldDesc &f) {
  const char *value = expr.Value;
  const UINT e = f.encodeType;
  const bool isSigned = IsSignedField(f);
  switch (Kind(f)) {
  case pkNUMBER:
    if (e <= iteINT32) {
      if (isSigned)
        expr.CompVal.i32 = ReadInt32(value);
      else
        expr.CompVal.u32 = ReadUInt32(value);
    } else if (e == iteINT64) {
      if (isSigned)
        expr.CompVal.i64 = ReadInt64(value);
      else
        expr.CompVal.u64 = ReadUInt64(value);
    } else if (e <= ite80FLOATING || (e == iteTEXT && Decimals(f))) {
      expr.CompVal.dbl = ParseFloatText(value, UINT(std::strlen(value)));
    } else if (e == iteTEXT) {
      if (isSigned)
        expr.CompVal.i64 = ParseSignedDigits(value, 0);
      else
        expr.CompVal.u64 = ParseUnsignedDigits(value, 0);
    }
    return 1;
  case pkDATETIME:
    if (e != iteTEXT) {
      ReportEncoding(kMsgDateEncoding, expr, e);
      return 0;
    }
    expr.CompVal.u32 = ParseDateLiteral(value);
    return 1;
  case pkDECIMAL:
    if (e != iteTEXT) {
      ReportEncoding(kMsgDecimalEncoding, expr, e);
      return 0;
    }
    expr.CompVal.i64 = ParseDecimalText(value, 0, Decimals(f));
    return 1;
  default:
    return 1;
  }
}

class TableResolver {
public:
  explicit TableResolver(const CVQTableDesc *table) : table_(table) {}

  int operator()(SVQDataCompExpr &expr) const {
    const UINT index = FindField(expr.Column);
    if (index == UINT(-1)) {
      ReportNoField(expr);
      return 0;
    }
    expr.nField = index;
    const CVQFieldDesc &f = table_->fields.fields[index];
    // A second resolution starts from what the parser gave.
    if (expr.Func == cfSTREQUAL || expr.Func == cfSTRNOTEQUAL)
      expr.Func = BYTE(expr.Func - cfSTREQUAL);
    expr.fNoCase = 0;
    expr.CompVal.u64 = 0;
    const bool jokers = HasJokers(expr.Value);
    const UINT k = Kind(f);
    if (!IsOrder(expr.Func)) {
      if (k != pkTEXT && !jokers)
        return SetupNumber(expr, f);
      return SetupPattern(expr, IsNoCase(f));
    }
    if (jokers) {
      ReportOrderJokers(expr);
      return 0;
    }
    if (k == pkTEXT) {
      if (!IsNumberText(expr.Value, 0, IsSignedField(f))) {
        ReportOrderText(expr);
        return 0;
      }
      expr.CompVal.i64 = ParseSignedDigits(expr.Value, 0);
      return 1;
    }
    if (k > pkDECIMAL) {
      ReportOrderText(expr);
      return 0;
    }
    return SetupNumber(expr, f);
  }

private:
  UINT FindField(const char *column) const {
    if (!table_)
      return UINT(-1);
    const CVQFieldDescList &list = table_->fields;
    for (UINT i = 0; list.fields && i < list.count; ++i)
      if (CmpFieldName(column, &list.fields[i]) == 0)
        return i;
    return UINT(-1);
  }

  const CVQTableDesc *table_;
};

class TableTester {
public:
  TableTester(const CVQTableDesc &table, const char *record, UINT size)
      : fields_(table.fields.fields), count_(table.fields.fields ? table.fields.count : 0),
        record_(record), size_(size) {}

  bool operator()(const SVQDataCompExpr &expr) const {
    if (expr.nField >= count_)
      return false;
    const CVQFieldDesc &f = fields_[expr.nField];
    // The conversions trust the record to hold the field; here it must.
    if (f.offset > size_ || f.size > size_ - f.offset)
      return false;
    // Types no conversion reads are refused here, before they would log
    // for every record.
    const UINT e = f.encodeType;
    if (e >= iteUNICODETEXT)
      return false;
    if (expr.Func == cfSTREQUAL || expr.Func == cfSTRNOTEQUAL)
      return PassesString(expr.Func, Matches(expr, f));
    const UINT k = Kind(f);
    // The integers of up to 32 bits are the common numeric field: their
    // value and the compare value are of one kind, so they are ordered
    // without the general readers' dispatch.
    if (k == pkNUMBER && e <= iteINT32)
      return Passes(expr.Func, IsSignedField(f) ? Order(INT(ReadNarrow(f)), expr.CompVal.i32)
                                                : Order(ReadNarrow(f), expr.CompVal.u32));
    if (k == pkTEXT)
      return TextNumber(expr, f);
    if (e == ite80FLOATING || (e == iteTEXT && k > pkDECIMAL))
      return false;
    numVal value;
    UINT kind;
    if (!ReadBinary(f, &value, &kind) &&
        (!f.ParseData(&value, &kind, record_, size_) || kind > nvkDOUBLE))
      return false;
    const UINT compareKind = CompareKind(f);
    return Passes(expr.Func, OrderValues(value, kind, expr.CompVal,
                                         compareKind == UINT(-1) ? kind : compareKind));
  }

private:
  bool Matches(const SVQDataCompExpr &expr, const CVQFieldDesc &f) const {
    const char *text;
    UINT length;
    char formatted[kTextBuffer];
    if (MatchesInPlace(f)) {
      text = record_ + f.offset;
      length = f.size < kTextBuffer ? f.size : kTextBuffer - 1;
    } else {
      if (!f.FormatData(formatted, sizeof formatted, &length, record_, size_))
        return false;
      text = formatted;
    }
    // A length of 0 would mean "up to the terminator" to the comparer.
    if (length == 0)
      return false;
    return IsNoCase(f) ? expr.StrCmp.CompareiString(text, length, 1)
                       : expr.StrCmp.CompareStringA(text, length, 1);
  }

  // An integer field of up to 32 bits as ReadBinary reads it.
  UINT ReadNarrow(const CVQFieldDesc &f) const {
    const char *p = record_ + f.offset;
    const bool isSigned = IsSignedField(f);
    if (f.encodeType == iteINT32)
      return Load<UINT>(p);
    if (f.encodeType == iteINT16)
      return isSigned ? UINT(INT(Load<SHORT>(p))) : Load<WORD>(p);
    return isSigned ? UINT(INT(static_cast<signed char>(p[0]))) : BYTE(p[0]);
  }

  // The value of a field stored in a binary form, read as ParseData reads
  // it but without the call; false for the forms left to ParseData. The
  // value is written whole: a 32-bit store read back as 64 bits would stall.
  bool ReadBinary(const CVQFieldDesc &f, numVal *value, UINT *kind) const {
    const char *p = record_ + f.offset;
    const bool isSigned = IsSignedField(f);
    UINT low;
    switch (f.encodeType) {
    case iteINT8:
      low = isSigned ? UINT(INT(static_cast<signed char>(p[0]))) : BYTE(p[0]);
      break;
    case iteINT16:
      low = isSigned ? UINT(INT(Load<SHORT>(p))) : Load<WORD>(p);
      break;
    case iteINT32:
      low = Load<UINT>(p);
      break;
    case iteINT64:
      value->u64 = Load<ULONGLONG>(p);
      *kind = isSigned ? nvkINT64 : nvkUINT64;
      return true;
    case ite32FLOATING:
      value->dbl = Load<float>(p);
      *kind = nvkDOUBLE;
      return true;
    case ite64FLOATING:
      value->dbl = Load<double>(p);
      *kind = nvkDOUBLE;
      return true;
    default:
      return false;
    }
    value->u64 = low;
    *kind = isSigned ? nvkINT32 : nvkUINT32;
    return true;
  }

  bool TextNumber(const SVQDataCompExpr &expr, const CVQFieldDesc &f) const {
    char text[kTextBuffer];
    UINT written = 0;
    if (!f.FormatData(text, sizeof text, &written, record_, size_) || written == 0 ||
        !IsNumberText(text, written, IsSignedField(f)))
      return false;
    numVal value;
    value.i64 = ParseSignedDigits(text, written);
    return Passes(expr.Func, OrderValues(value, nvkINT64, expr.CompVal, nvkINT64));
  }

  const CVQFieldDesc *fields_;
  UINT count_;
  const char *record_;
  UINT size_;
};

} // namespace
} // namespace vq::sel

int CVQTblSelDesc::resolve(const CVQTableDesc *table) {
  vq::sel::TableResolver resolver(table);
  return vq::sel::ResolveLink(Root, resolver);
}

int CVQTblSelDesc::testdata(const CVQTableDesc *table, const char *record, UINT size) const {
  if (vq::sel::IsEmpty(Root))
    return 1;
  if (!table || !record)
    return 0;
  return vq::sel::EvalLink(Root, vq::sel::TableTester(*table, record, size));
}
