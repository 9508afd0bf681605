// Selection resolution and evaluation for hosts whose records no table
// description describes: a callback names each column's kind and encode
// type at resolution and delivers the current record's field data, typed
// with the engine's field type codes, at evaluation.
//
// What the callback form cannot know (signedness, decimals) it does without:
// values are read by the unsigned readers, decimals with none.
#include "data/sel_eval.h"

#include "frame/library.h"

#include <cstring>

namespace vq::sel {
namespace {

constexpr UINT kResolveBuffer = 256;
constexpr UINT kTestBuffer = 512;
// The engine field type whose texts compare without regard to case.
constexpr UINT kTextNoCase = 1;

int SetupNumber(SVQDataCompExpr &expr, UINT kind, UINT encodeType) {
  const char *value = expr.Value;
  switch (kind) {
  case pkNUMBER:
    if (encodeType <= iteINT32)
      expr.CompVal.u32 = ReadUInt32(value);
    else if (encodeType == iteINT64 || encodeType == iteTEXT)
      expr.CompVal.u64 = ReadUInt64(value);
    else if (encodeType <= ite80FLOATING)
      expr.CompVal.dbl = ParseFloatText(value, UINT(std::strlen(value)));
    return 1;
  case pkDATETIME:
    if (encodeType != iteTEXT) {
      ReportEncoding(kMsgDateEncoding, expr, encodeType);
      return 0;
    }
    expr.CompVal.u32 = ParseDateLiteral(value);
    return 1;
  case pkDECIMAL:
    if (encodeType != iteTEXT) {
      ReportEncoding(kMsgDecimalEncoding, expr, encodeType);
      return 0;
    }
    expr.CompVal.i64 = ParseDecimalText(value, 0, 0);
    return 1;
  default:
    return 1; // no numeric form: no record will compare equal
  }
}

class CallbackResolver {
public:
  CallbackResolver(SelFieldCallback callback, LONG_PTR context)
      : callback_(callback), context_(context) {}

  int operator()(SVQDataCompExpr &expr) const {
    char sample[kResolveBuffer];
    UINT length = 0, kind = 0, encodeType = 0, type = UINT(-1);
    if (!callback_ || !callback_(expr.Column, sample, sizeof sample, &length, &kind, &encodeType,
                                 &type, context_)) {
      ReportNoField(expr);
      return 0;
    }
    if (length > sizeof sample)
      length = sizeof sample;
    // A second resolution starts from what the parser gave.
    if (expr.Func == cfSTREQUAL || expr.Func == cfSTRNOTEQUAL)
      expr.Func = BYTE(expr.Func - cfSTREQUAL);
    expr.fNoCase = 0;
    expr.CompVal.u64 = 0;
    const bool jokers = HasJokers(expr.Value);
    if (!IsOrder(expr.Func)) {
      if (kind != pkTEXT && !jokers)
        return SetupNumber(expr, kind, encodeType);
      return SetupPattern(expr, type == kTextNoCase);
    }
    if (jokers) {
      ReportOrderJokers(expr);
      return 0;
    }
    if (kind == pkTEXT) {
      // Texts order as numbers, read as cbtestdata reads the record's text.
      if (!IsNumberText(expr.Value, 0, FALSE) || (length && !IsNumberText(sample, length, FALSE))) {
        ReportOrderText(expr);
        return 0;
      }
      expr.CompVal.u32 = ReadUInt32(expr.Value);
      return 1;
    }
    if (kind > pkDECIMAL) {
      ReportOrderText(expr);
      return 0;
    }
    return SetupNumber(expr, kind, encodeType);
  }

private:
  SelFieldCallback callback_;
  LONG_PTR context_;
};

// Date and time codes 10-22: the characters each layout reads.
constexpr BYTE kDateTimeWidth[] = {10, 10, 8, 8, 8, 8, 6, 6, 8, 6, 8, 6, 4};

template <class T> T Load(const char *bytes) {
  T v;
  std::memcpy(&v, bytes, sizeof v);
  return v;
}

// The record's value of engine type `type` from the delivered bytes; false
// when they cannot be read.
bool ReadValue(UINT type, const char *data, UINT length, numVal own, UINT ownKind, numVal *out,
               UINT *kind) {
  out->u64 = 0;
  *kind = nvkUINT32;
  switch (type) {
  case 0:
  case 1:
    if (length && IsNumberText(data, length, FALSE)) {
      out->u32 = ReadUInt32(data, length);
    } else if (length && IsNumberText(data, length, TRUE)) {
      out->i32 = ReadInt32(data, length);
      *kind = nvkINT32;
    }
    return true;
  case 2:
    if (length)
      out->u32 = ReadUInt32(data, length);
    return true;
  case 3:
    if (length)
      out->i32 = ReadInt32(data, length);
    *kind = nvkINT32;
    return true;
  case 4:
  case 5:
    out->dbl = length ? ParseFloatText(data, length) : 0.0;
    *kind = nvkDOUBLE;
    return true;
  case 42:
  case 43:
    if (length != (type == 42 ? 4u : 8u))
      return false;
    out->dbl = type == 42 ? double(Load<float>(data)) : Load<double>(data);
    *kind = nvkDOUBLE;
    return true;
  case 40:
  case 41: {
    const bool isSigned = type == 41;
    switch (length) {
    case 0:
      *kind = isSigned ? nvkINT32 : nvkUINT32;
      return true;
    case 1:
      out->i32 = isSigned ? INT(Load<signed char>(data)) : INT(BYTE(data[0]));
      break;
    case 2:
      out->i32 = isSigned ? INT(Load<SHORT>(data)) : INT(Load<WORD>(data));
      break;
    case 4:
      out->u32 = Load<UINT>(data);
      break;
    case 8:
      out->u64 = Load<ULONGLONG>(data);
      *kind = isSigned ? nvkINT64 : nvkUINT64;
      return true;
    default:
      *out = own;
      *kind = ownKind;
      return ownKind <= nvkDOUBLE;
    }
    *kind = isSigned ? nvkINT32 : nvkUINT32;
    return true;
  }
  default:
    if (type >= 10 && type <= 22) {
      // A stored date or time that is cut short or holds no digits where
      // its layout has them has no value.
      if (length < kDateTimeWidth[type - 10])
        return false;
      out->u32 = EngineFieldValue(type, data);
      return out->u32 != UINT(-1);
    }
    *out = own;
    *kind = ownKind;
    return ownKind <= nvkDOUBLE;
  }
}

class CallbackTester {
public:
  CallbackTester(SelFieldCallback callback, LONG_PTR context)
      : callback_(callback), context_(context) {}

  bool operator()(const SVQDataCompExpr &expr) const {
    char data[kTestBuffer];
    UINT length = 0, kind = 0, type = UINT(-1);
    numVal own;
    own.u64 = 0;
    if (!callback_(expr.Column, data, sizeof data, &length, &kind, &own.u32, &type, context_))
      return false;
    if (length > sizeof data)
      length = sizeof data;
    if (expr.Func == cfSTREQUAL || expr.Func == cfSTRNOTEQUAL) {
      // The comparer reads a length of 0 as "up to the terminator", which
      // the delivered bytes need not have; an empty field matches nothing.
      if (type > kTextNoCase)
        return false;
      const bool match =
          length != 0 && (type == kTextNoCase ? expr.StrCmp.CompareiString(data, length, 1)
                                              : expr.StrCmp.CompareStringA(data, length, 1));
      return PassesString(expr.Func, match);
    }
    numVal value;
    UINT valueKind;
    if (!ReadValue(type, data, length, own, kind, &value, &valueKind))
      return false;
    // Resolution read the value in the kind it expected the field to have.
    return Passes(expr.Func, OrderValues(value, valueKind, expr.CompVal, valueKind));
  }

private:
  SelFieldCallback callback_;
  LONG_PTR context_;
};

} // namespace
} // namespace vq::sel

int CVQTblSelDesc::cbresolve(SelFieldCallback callback, LONG_PTR context) {
  vq::sel::CallbackResolver resolver(callback, context);
  return vq::sel::ResolveLink(Root, resolver);
}

int CVQTblSelDesc::cbtestdata(SelFieldCallback callback, LONG_PTR context) const {
  if (!callback)
    return vq::sel::IsEmpty(Root);
  return vq::sel::EvalLink(Root, vq::sel::CallbackTester(callback, context));
}
