// What the two forms of selection resolution and evaluation share: the
// walks over the tree, the short-circuit logic, the readers of a value
// text, and the ordering of two numeric values. The forms differ only in
// how one comparison finds its field and reads its value, which each hands
// in as a function object, so the walks are instantiated per form and
// inline the leaf. Internal to vq_tbl32.
#ifndef VQ_TBL32_DATA_SEL_EVAL_H
#define VQ_TBL32_DATA_SEL_EVAL_H

#include "data/sel_syntax.h"

namespace vq::sel {

inline const SVQDataCompOper *AsOper(const SVQDataCompLink &link) {
  return static_cast<const SVQDataCompOper *>(link.pOper);
}
inline bool IsEmpty(const SVQDataCompLink &link) { return !link.fAlloc || !link.pOper; }
inline bool IsOperation(const SVQDataCompLink &link) {
  return *static_cast<const BYTE *>(link.pOper) == idOPERATION;
}

/// Resolves every expression below `link`, depth first and left to right,
/// up to the first that `expr(SVQDataCompExpr &)` refuses. Empty links are
/// passed over. The depth is bounded by what the parser builds.
template <class F> int ResolveLink(SVQDataCompLink &link, F &expr) {
  if (IsEmpty(link))
    return 1;
  if (!IsOperation(link))
    return expr(*static_cast<SVQDataCompExpr *>(link.pOper));
  auto *oper = static_cast<SVQDataCompOper *>(link.pOper);
  return ResolveLink(oper->Link[0], expr) && ResolveLink(oper->Link[1], expr);
}

/// The truth of `link` for one record; `expr(const SVQDataCompExpr &)`
/// tests one comparison. An empty link is true.
template <class F> bool EvalLink(const SVQDataCompLink &link, const F &expr) {
  if (IsEmpty(link))
    return true;
  if (!IsOperation(link))
    return expr(*static_cast<const SVQDataCompExpr *>(link.pOper));
  const SVQDataCompOper *oper = AsOper(link);
  const bool left = EvalLink(oper->Link[0], expr);
  switch (oper->Oper) {
  case loOR:
    return left || EvalLink(oper->Link[1], expr);
  case loAND:
    return left && EvalLink(oper->Link[1], expr);
  case loXOR:
    return left != EvalLink(oper->Link[1], expr);
  default:
    return false;
  }
}

inline bool HasJokers(const char *value) {
  for (; *value; ++value)
    if (*value == '#' || *value == '*' || *value == '?')
      return true;
  return false;
}

/// Whether a comparison code is an order (< <= > >=) rather than (in)equality.
inline bool IsOrder(UINT func) { return func >= cfGREATER && func <= cfLESSEQUAL; }

/// -1, 0, 1 as value `a` of kind `ka` orders before, with or after `b` of
/// kind `kb` (nvk...); 2 when they have no order (a NaN, an unknown kind).
/// Integers of different kinds compare by their mathematical values, so a
/// negative decimal is below a positive one whichever member holds them.
int OrderValues(numVal a, UINT ka, numVal b, UINT kb);

/// The outcome of comparison `func` for an order as OrderValues gives it;
/// false for a code that compares nothing.
inline bool Passes(UINT func, int order) {
  if (order == 2)
    return func == cfNOTEQUAL;
  switch (func) {
  case cfEQUAL:
    return order == 0;
  case cfNOTEQUAL:
    return order != 0;
  case cfGREATER:
    return order > 0;
  case cfGREATEREQUAL:
    return order >= 0;
  case cfLESS:
    return order < 0;
  case cfLESSEQUAL:
    return order <= 0;
  default:
    return false;
  }
}

/// The string comparer's verdict for cfSTREQUAL / cfSTRNOTEQUAL; false for
/// any other code.
inline bool PassesString(UINT func, bool match) {
  return func == cfSTREQUAL ? match : func == cfSTRNOTEQUAL ? !match : false;
}

/// Logs and shows the messages the two resolutions share.
void ReportNoField(const SVQDataCompExpr &expr);
void ReportNoPattern(const SVQDataCompExpr &expr);
void ReportOrderJokers(const SVQDataCompExpr &expr);
void ReportOrderText(const SVQDataCompExpr &expr);
void ReportEncoding(UINT code, const SVQDataCompExpr &expr, UINT encodeType);

/// Sets up the expression's pattern (upper-cased when `noCase`) and turns
/// cfEQUAL / cfNOTEQUAL into their string forms; 741 on failure.
int SetupPattern(SVQDataCompExpr &expr, bool noCase);

} // namespace vq::sel

#endif
