// The pieces both forms of selection resolution and evaluation use: the
// ordering of numeric values of any two kinds, the string pattern set-up,
// and the messages of resolution.
#include "data/sel_eval.h"

#include "frame/library.h"

namespace vq::sel {
namespace {

// An integer of any kind as sign and magnitude bits: negative values keep
// their two's complement, so two of them still order as signed numbers.
struct Integer {
  bool negative;
  ULONGLONG bits;
};

Integer AsInteger(numVal v, UINT kind) {
  switch (kind) {
  case nvkUINT32:
    return {false, v.u32};
  case nvkINT32:
    return {v.i32 < 0, ULONGLONG(LONGLONG(v.i32))};
  case nvkUINT64:
    return {false, v.u64};
  default:
    return {v.i64 < 0, v.u64};
  }
}

double AsDouble(numVal v, UINT kind) {
  switch (kind) {
  case nvkUINT32:
    return double(v.u32);
  case nvkINT32:
    return double(v.i32);
  case nvkUINT64:
    return double(v.u64);
  case nvkINT64:
    return double(v.i64);
  default:
    return v.dbl;
  }
}

} // namespace

int OrderMixed(numVal a, UINT ka, numVal b, UINT kb) {
  if (ka > nvkDOUBLE || kb > nvkDOUBLE)
    return 2;
  if (ka == nvkDOUBLE || kb == nvkDOUBLE)
    return Order(AsDouble(a, ka), AsDouble(b, kb));
  const Integer x = AsInteger(a, ka), y = AsInteger(b, kb);
  if (x.negative != y.negative)
    return x.negative ? -1 : 1;
  return x.negative ? Order(LONGLONG(x.bits), LONGLONG(y.bits)) : Order(x.bits, y.bits);
}

void ReportNoField(const SVQDataCompExpr &expr) {
  theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot resolve the field name %s", expr.Column);
  theLibrary.ErrorBox(kMsgNoField, expr.Column);
}

void ReportNoPattern(const SVQDataCompExpr &expr) {
  theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot setup the field string compare operation for %s",
                    expr.Column);
  theLibrary.ErrorBox(kMsgNoPattern, expr.Column);
}

void ReportOrderJokers(const SVQDataCompExpr &expr) {
  const char *func = FuncText(expr.Func);
  theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot use function %s with jokers in %s", func,
                    expr.Value);
  theLibrary.ErrorBox(kMsgOrderJokers, func, expr.Value);
}

void ReportOrderText(const SVQDataCompExpr &expr) {
  const char *func = FuncText(expr.Func);
  theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot use function %s with text strings", func);
  theLibrary.ErrorBox(kMsgOrderText, func, expr.Value);
}

void ReportEncoding(UINT code, const SVQDataCompExpr &expr, UINT encodeType) {
  theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot setup date/time-compare for data encoding type %u",
                    encodeType);
  theLibrary.ErrorBox(code, expr.Column, encodeType);
}

int SetupPattern(SVQDataCompExpr &expr, bool noCase) {
  if (!expr.StrCmp.SetupString(expr.Value, 0, noCase)) {
    ReportNoPattern(expr);
    return 0;
  }
  if (expr.Func == cfEQUAL)
    expr.Func = cfSTREQUAL;
  else if (expr.Func == cfNOTEQUAL)
    expr.Func = cfSTRNOTEQUAL;
  expr.fNoCase = noCase;
  return 1;
}

} // namespace vq::sel
