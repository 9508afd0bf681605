// The index key a selection can limit an ISAM iteration with: the first
// comparison of the tree picks the first key that starts with its column,
// and the limits are that key's bytes with the value in the first part
// and the lowest and highest values of every further part's field behind.
//
// The limits are a hint, not a filter: the operators and the comparison
// function play no part, so a host still tests every record it reads.
// They hold exactly the records equal to the value where the first
// comparison is an equality without jokers on a text field that every
// passing record must meet (the root, or below AND only) and the key orders
// as the comparison does; elsewhere they may leave passing records out.
#include "data/sel_eval.h"

#include "frame/library.h"

#include <cstring>

namespace vq::sel {
namespace {

// Room for the longest filler a field hands out: its size, or the 32 bytes
// of a date or time text, whichever is more.
constexpr UINT kFillerRoom = 32;

const SVQDataCompExpr *FirstExpression(const SVQDataCompLink &root) {
  const SVQDataCompLink *link = &root;
  while (!IsEmpty(*link) && IsOperation(*link)) {
    const SVQDataCompOper *oper = AsOper(*link);
    if (!IsEmpty(oper->Link[0])) {
      link = &oper->Link[0];
    } else if (!IsEmpty(oper->Link[1])) {
      link = &oper->Link[1];
    } else {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Comparison operation has two empty links.");
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "No expression found in comparison operation.");
      return nullptr;
    }
  }
  return IsEmpty(*link) ? nullptr : static_cast<const SVQDataCompExpr *>(link->pOper);
}

bool SameName(const char *a, const char *b) {
  for (;; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'a' && x <= 'z')
      x = char(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z')
      y = char(y - 'a' + 'A');
    if (x != y)
      return false;
    if (!x)
      return true;
  }
}

UINT FindField(const CVQFieldDescList &list, const char *name) {
  for (UINT i = 0; list.fields && i < list.count; ++i)
    if (CmpFieldName(name, &list.fields[i]) == 0)
      return i;
  return UINT(-1);
}

void ReportMissingField(const char *name, UINT key, UINT part) {
  theLibrary.PrtLog(VQLOG_ERROR, kTag, "Fieldname %s of key part (%u,%u) not found in record", name,
                    key, part);
  theLibrary.TextBox("Fieldname %s of key part (%u,%u) not found in table record.", name, key,
                     part);
}

// The engine's key partition types whose order is not that of the bytes
// GetSMaskFiller hands out: two's complement integers, and floating values
// (-inf lowest, NaN above +inf).
enum : UINT { kPartSigned = 3, kPartFloat = 4, kPartDouble = 5 };

// The lowest and highest field bytes in the order of such a partition
// type; false for any other type or a size it does not have.
bool OrderedFillers(UINT partType, UINT size, char *low, char *high) {
  std::memset(low, 0x00, size);
  std::memset(high, 0xFF, size);
  switch (partType) {
  case kPartSigned:
    if (size != 1 && size != 2 && size != 4 && size != 8)
      return false;
    low[size - 1] = char(0x80);
    high[size - 1] = 0x7F;
    return true;
  case kPartFloat:
    if (size != 4)
      return false;
    low[2] = char(0x80), low[3] = char(0xFF);
    return true;
  case kPartDouble:
    if (size != 8)
      return false;
    low[6] = char(0xF0), low[7] = char(0xFF);
    return true;
  default:
    return false;
  }
}

// Appends the field's lowest value to `low` and its highest to `high`,
// exactly `size` bytes each, so that every part keeps its place in the
// key: a filler that is shorter (or not supported for the field's type) is
// completed with 0x00 and 0xFF, and a longer date or time text is cut.
void AppendFillers(const CVQFieldDesc &f, UINT partType, char *low, char *high) {
  if (OrderedFillers(partType, f.size, low, high))
    return;
  char filler[kFillerRoom];
  const bool roomy = f.size >= kFillerRoom;
  for (UINT h = 0; h < 2; ++h) {
    char *out = h ? high : low;
    UINT n = roomy ? f.GetSMaskFiller(h, out, f.size) : f.GetSMaskFiller(h, filler, sizeof filler);
    if (n > f.size)
      n = f.size;
    if (!roomy)
      std::memcpy(out, filler, n);
    std::memset(out + n, h ? 0xFF : 0x00, f.size - n);
  }
}

} // namespace
} // namespace vq::sel

int CVQTblSelDesc::keyresolve(const CVQTableDesc *table, UINT *keyIndex, char *low,
                              char *high) const {
  using namespace vq::sel;
  if (IsEmpty(Root) || !keyIndex || !low || !high)
    return 0;
  const SVQDataCompExpr *expr = FirstExpression(Root);
  if (!expr)
    return 0;
  if (!table || table->keys.count == 0 || !table->keys.keys) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Search table contains no index keys.");
    return 0;
  }
  const CVQKeyDescList &keys = table->keys;
  UINT k = 0;
  while (k < keys.count && !SameName(keys.keys[k].parts[0].fieldName, expr->Column))
    ++k;
  if (k == keys.count) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "No matching index key found for field %s", expr->Column);
    return 0;
  }
  const CVQKeyDesc &key = keys.keys[k];
  const CVQFieldDescList &fields = table->fields;
  // The field resolution chose, when the selection was resolved against
  // this table; found again by name otherwise.
  UINT field = expr->nField;
  if (field >= fields.count || !fields.fields || CmpFieldName(expr->Column, &fields.fields[field]))
    field = FindField(fields, expr->Column);
  if (field == UINT(-1)) {
    ReportMissingField(expr->Column, k, 0);
    return 0;
  }
  const CVQFieldDesc &first = fields.fields[field];
  const UINT n = first.size;
  const UINT given = UINT(std::strlen(expr->Value));
  const UINT length = given < n ? given : n;
  if ((first.contentType & twKIND) == pkNUMBER) {
    std::memset(low, 0, n - length);
    std::memcpy(low + n - length, expr->Value, length);
    std::memcpy(high, low, n);
  } else {
    std::memcpy(low, expr->Value, length);
    std::memset(low + length, 0x00, n - length);
    std::memcpy(high, expr->Value, length);
    std::memset(high + length, 0xFF, n - length);
  }
  UINT position = n;
  for (UINT part = 1; part < key.partCount; ++part) {
    if (part >= CVQKeyDesc::kMaxParts) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot get fieldname of key part (%u,%u)", k, part);
      theLibrary.TextBox("Cannot get fieldname of key partition (%u,%u)", k, part);
      return 0;
    }
    const char *name = key.parts[part].fieldName;
    const UINT index = FindField(fields, name);
    if (index == UINT(-1)) {
      ReportMissingField(name, k, part);
      return 0;
    }
    AppendFillers(fields.fields[index], key.parts[part].partType, low + position, high + position);
    position += fields.fields[index].size;
  }
  low[position] = '\0';
  high[position] = '\0';
  *keyIndex = k;
  return 1;
}
