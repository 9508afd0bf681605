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
/// tests one comparison. An empty link is true. The chains the parser
/// nests to the right are walked in a loop, and a left operand that is a
/// comparison is tested in place, so a record costs no call per operation.
/// The comparison is tested at one place only, so the compiler can inline
/// it into the walk.
template <class F> bool EvalLink(const SVQDataCompLink &root, const F &expr) {
  const SVQDataCompLink *link = &root;
  for (;;) {
    if (IsEmpty(*link))
      return true;
    const SVQDataCompOper *oper = nullptr;
    const SVQDataCompLink *leaf = link;
    if (IsOperation(*link)) {
      oper = AsOper(*link);
      leaf = &oper->Link[0];
      if (IsEmpty(*leaf) || IsOperation(*leaf))
        leaf = nullptr;
    }
    const bool left = leaf ? expr(*static_cast<const SVQDataCompExpr *>(leaf->pOper))
                           : EvalLink(oper->Link[0], expr);
    if (!oper)
      return left;
    switch (oper->Oper) {
    case loOR:
      if (left)
        return true;
      break;
    case loAND:
      if (!left)
        return false;
      break;
    case loXOR:
      return left != EvalLink(oper->Link[1], expr);
    default:
      return false;
    }
    link = &oper->Link[1];
  }
}

inline bool HasJokers(const char *value) {
  for (; *value; ++value)
    if (*value == '#' || *value == '*' || *value == '?')
      return true;
  return false;
}

/// Whether string comparisons of the field ignore case: a text with both
/// bits of twNOCASE.
inline bool IsNoCaseText(const CVQFieldDesc &f) {
  return (f.contentType & twKIND) == pkTEXT && (f.contentType & twNOCASE) == twNOCASE;
}
/// Whether a string comparison matches the field's bytes in place: a text
/// shown as text, whose formatted form would be those bytes without their
/// trailing blanks, which the comparer trims anyway.
inline bool MatchesInPlace(const CVQFieldDesc &f) {
  return f.encodeType == iteTEXT && (f.displayType & twKIND) == pkTEXT;
}

/// Whether a comparison code is an order (< <= > >=) rather than (in)equality.
inline bool IsOrder(UINT func) { return func >= cfGREATER && func <= cfLESSEQUAL; }

template <class T> int Order(T a, T b) { return (a > b) - (a < b); }
inline int Order(double a, double b) { return a == a && b == b ? (a > b) - (a < b) : 2; }

/// OrderValues of two values of different kinds.
int OrderMixed(numVal a, UINT ka, numVal b, UINT kb);

/// -1, 0, 1 as value `a` of kind `ka` orders before, with or after `b` of
/// kind `kb` (nvk...); 2 when they have no order (a NaN, an unknown kind).
/// Integers of different kinds compare by their mathematical values, so a
/// negative decimal is below a positive one whichever member holds them.
/// Every record passes here, so the common case of one kind is inline.
inline int OrderValues(numVal a, UINT ka, numVal b, UINT kb) {
  if (ka != kb)
    return OrderMixed(a, ka, b, kb);
  switch (ka) {
  case nvkUINT32:
    return Order(a.u32, b.u32);
  case nvkINT32:
    return Order(a.i32, b.i32);
  case nvkUINT64:
    return Order(a.u64, b.u64);
  case nvkINT64:
    return Order(a.i64, b.i64);
  case nvkDOUBLE:
    return Order(a.dbl, b.dbl);
  default:
    return 2;
  }
}

/// The outcome of comparison `func` for an order as OrderValues gives it;
/// false for a code that compares nothing. A mask per code of the orders
/// it accepts (bit 0 less, 1 equal, 2 greater, 3 unordered) spares the
/// evaluation of every record a branch on random data.
inline bool Passes(UINT func, int order) {
  static constexpr BYTE kAccepts[8] = {0x2, 0xD, 0, 0, 0x4, 0x6, 0x1, 0x3};
  return func < 8 && ((kAccepts[func] >> (order + 1)) & 1);
}

/// The string comparer's verdict for cfSTREQUAL / cfSTRNOTEQUAL; false for
/// any other code.
inline bool PassesString(UINT func, bool match) {
  return func == cfSTREQUAL ? match : func == cfSTRNOTEQUAL ? !match : false;
}

/// Most ranges KeyRanges hands out.
inline constexpr UINT kMaxKeyRanges = 2;

/// Inclusive ranges of the keys of one index that hold every record the
/// selection below `root` passes, so that a count reading only them counts
/// what a scan of the whole index counts. `indexDesc` is the index's
/// description as the engine gives it (ISAMGetIndexDesc); `bounds` receives
/// a low and a high record image of `recordSize` bytes per range, in the
/// order the index iterates without the descending flag, ready for
/// ISAMSetupIterationLimits (2 x kMaxKeyRanges x recordSize bytes). The
/// number of ranges; 0 when the selection limits no key of this index.
UINT KeyRanges(const SVQDataCompLink &root, const CVQTableDesc &table, const BYTE *indexDesc,
               UINT recordSize, char *bounds);

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
