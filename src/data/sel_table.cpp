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
bool IsSignedField(const CVQFieldDesc &f) { return (f.contentType & twSIGNED) != 0; }
bool IsNoCase(const CVQFieldDesc &f) {
  return Kind(f) == pkTEXT && (f.contentType & twNOCASE) == twNOCASE;
}
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
      : table_(table), record_(record), size_(size) {}

  bool operator()(const SVQDataCompExpr &expr) const {
    const CVQFieldDescList &list = table_.fields;
    if (expr.nField >= list.count || !list.fields)
      return false;
    const CVQFieldDesc &f = list.fields[expr.nField];
    // The conversions trust the record to hold the field; here it must.
    if (f.offset > size_ || f.size > size_ - f.offset)
      return false;
    // Types no conversion reads are refused here, before they would log
    // for every record.
    const UINT e = f.encodeType;
    if (e >= iteUNICODETEXT)
      return false;
    if (expr.Func == cfSTREQUAL || expr.Func == cfSTRNOTEQUAL) {
      char text[kTextBuffer];
      UINT written = 0;
      if (!f.FormatData(text, sizeof text, &written, record_, size_))
        return false;
      const bool match =
          written != 0 && (IsNoCase(f) ? expr.StrCmp.CompareiString(text, written, 1)
                                       : expr.StrCmp.CompareStringA(text, written, 1));
      return PassesString(expr.Func, match);
    }
    const UINT k = Kind(f);
    if (k == pkTEXT)
      return TextNumber(expr, f);
    if (e == ite80FLOATING || (e == iteTEXT && k > pkDECIMAL))
      return false;
    numVal value;
    UINT kind;
    if (!f.ParseData(&value, &kind, record_, size_) || kind > nvkDOUBLE)
      return false;
    const UINT compareKind = CompareKind(f);
    return Passes(expr.Func, OrderValues(value, kind, expr.CompVal,
                                         compareKind == UINT(-1) ? kind : compareKind));
  }

private:
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

  const CVQTableDesc &table_;
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
