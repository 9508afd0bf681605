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

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

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

// The engine's key partition types. The order of the integers and floating
// values is not that of the bytes GetSMaskFiller hands out: two's
// complement integers, and floating values (-inf lowest, NaN above +inf).
enum : UINT {
  kPartText = 0,
  kPartTextNoCase = 1,
  kPartUnsigned = 2,
  kPartSigned = 3,
  kPartFloat = 4,
  kPartDouble = 5
};

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

// The ranges a count reads. keyresolve gives a host a hint; a count needs
// ranges that hold every record the selection passes. Only the comparisons
// that every passing record meets are used (the root's, or those below AND
// only), and only where the index's first part covers the compared field's
// bytes and orders as the comparison does:
//   - a string comparison (=, jokers or not) of a text matched in place, on
//     a TEXT or TEXTNOCASE part: the keys that start with the pattern's
//     literal head, up to its first joker (the longest head of several).
//     The comparer drops leading blanks and tabs, so the keys that start
//     with a byte from tab to blank are a second range. Without case on a
//     TEXT part only a head without letters is used;
//   - = < <= > >= of a binary integer on a SIGNED or UNSIGNED part of its
//     width and signedness, and of a float or double on a FLOAT or DOUBLE
//     part: the values bound one range together (strict ones inclusively).
// Further parts span their whole order. Anything else (numbers, dates and
// decimals written as text, a DIGITS part, parts that share bytes) leaves
// the whole index to the count.
namespace vq::sel {
namespace {

constexpr UINT kMaxIndexParts = 4;

struct IndexPart {
  UINT type, offset, size;
};

UINT Word(const BYTE *p) { return UINT(p[0]) | UINT(p[1]) << 8; }

IndexPart PartOf(const BYTE *desc, UINT i) {
  const BYTE *p = desc + 6 + 8 * i;
  return {Word(p), Word(p + 2), Word(p + 4)};
}

template <class F> void ForEachRequired(const SVQDataCompLink &link, F &f) {
  if (IsEmpty(link))
    return;
  if (!IsOperation(link)) {
    f(*static_cast<const SVQDataCompExpr *>(link.pOper));
    return;
  }
  const SVQDataCompOper *oper = AsOper(link);
  if (oper->Oper != loAND)
    return;
  ForEachRequired(oper->Link[0], f);
  ForEachRequired(oper->Link[1], f);
}

template <class T> struct Bounds {
  T low, high;
  bool limited = false;
  void Meet(UINT func, T value) {
    if (func == cfEQUAL || func == cfGREATER || func == cfGREATEREQUAL) {
      low = value > low ? value : low;
      limited = true;
    }
    if (func == cfEQUAL || func == cfLESS || func == cfLESSEQUAL) {
      high = value < high ? value : high;
      limited = true;
    }
  }
  bool Holds() const { return limited && !(high < low); }
};

// The float nearest to v on the side that keeps v inside the range.
float FloatAtMost(double v) {
  if (v > std::numeric_limits<float>::max())
    return std::numeric_limits<float>::max();
  const float f = float(v);
  return double(f) > v ? std::nextafter(f, -std::numeric_limits<float>::infinity()) : f;
}
float FloatAtLeast(double v) {
  if (v < -std::numeric_limits<float>::max())
    return -std::numeric_limits<float>::max();
  const float f = float(v);
  return double(f) < v ? std::nextafter(f, std::numeric_limits<float>::infinity()) : f;
}

bool HasLetter(const char *text, UINT length) {
  for (UINT i = 0; i < length; ++i)
    if ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z'))
      return true;
  return false;
}

class RangeFinder {
public:
  RangeFinder(const CVQTableDesc &table, IndexPart part)
      : fields_(table.fields.fields), count_(table.fields.count), part_(part) {
    const UINT bits = part.size * 8;
    signed_.low = part.size >= 8 ? std::numeric_limits<LONGLONG>::min() : -(1LL << (bits - 1));
    signed_.high = part.size >= 8 ? std::numeric_limits<LONGLONG>::max() : (1LL << (bits - 1)) - 1;
    unsigned_.low = 0;
    unsigned_.high = part.size >= 8 ? ~0ULL : (1ULL << bits) - 1;
    floating_.low = -std::numeric_limits<double>::infinity();
    floating_.high = std::numeric_limits<double>::infinity();
  }

  void operator()(const SVQDataCompExpr &e) {
    if (e.nField >= count_)
      return;
    const CVQFieldDesc &f = fields_[e.nField];
    if (f.offset != part_.offset || f.size != part_.size)
      return;
    if (part_.type == kPartText || part_.type == kPartTextNoCase)
      Text(e, f);
    else
      Number(e, f);
  }

  // Writes part 0 of each range's images; the number of ranges.
  UINT Write(char *bounds, UINT recordSize) const {
    const UINT n = part_.size;
    auto image = [&](UINT range, UINT high) {
      return bounds + (2 * range + high) * recordSize + part_.offset;
    };
    if (part_.type == kPartText || part_.type == kPartTextNoCase) {
      if (!headLength_)
        return 0;
      const UINT length = headLength_ < n ? headLength_ : n;
      const BYTE first = BYTE(head_[0]);
      const bool blankFirst = first > ' ';
      UINT ranges = 0;
      if (first >= '\t' && first <= ' ') {
        ranges = 1; // the head itself starts in the blank range
      } else {
        const UINT at = blankFirst ? 1 : 0;
        std::memcpy(image(at, 0), head_, length);
        std::memcpy(image(at, 1), head_, length);
        std::memset(image(at, 1) + length, 0xFF, n - length);
        ranges = 2;
      }
      const UINT blank = ranges == 2 && !blankFirst ? 1 : 0;
      image(blank, 0)[0] = '\t';
      image(blank, 1)[0] = ' ';
      std::memset(image(blank, 1) + 1, 0xFF, n - 1);
      return ranges;
    }
    switch (part_.type) {
    case kPartSigned:
      if (!signed_.Holds())
        return 0;
      std::memcpy(image(0, 0), &signed_.low, n);
      std::memcpy(image(0, 1), &signed_.high, n);
      return 1;
    case kPartUnsigned:
      if (!unsigned_.Holds())
        return 0;
      std::memcpy(image(0, 0), &unsigned_.low, n);
      std::memcpy(image(0, 1), &unsigned_.high, n);
      return 1;
    case kPartFloat: {
      if (!floating_.Holds())
        return 0;
      const float low = FloatAtMost(floating_.low), high = FloatAtLeast(floating_.high);
      std::memcpy(image(0, 0), &low, sizeof low);
      std::memcpy(image(0, 1), &high, sizeof high);
      return 1;
    }
    case kPartDouble:
      if (!floating_.Holds())
        return 0;
      std::memcpy(image(0, 0), &floating_.low, sizeof(double));
      std::memcpy(image(0, 1), &floating_.high, sizeof(double));
      return 1;
    default:
      return 0;
    }
  }

private:
  void Text(const SVQDataCompExpr &e, const CVQFieldDesc &f) {
    const CVQStrCmp &p = e.StrCmp;
    if (e.Func != cfSTREQUAL || !MatchesInPlace(f) || p.segmentCount == 0 ||
        p.segmentCount > CVQStrCmp::kMaxSegments)
      return;
    const CVQStrCmp::Segment &s = p.segments[0];
    UINT n = 0;
    while (n < s.length && n < CVQStrCmp::kSegmentSize - 1 && s.text[n] != p.charJoker &&
           s.text[n] != p.digitJoker)
      ++n;
    if (IsNoCaseText(f) && part_.type == kPartText && HasLetter(s.text, n))
      return;
    if (n > headLength_) {
      head_ = s.text;
      headLength_ = n;
    }
  }

  void Number(const SVQDataCompExpr &e, const CVQFieldDesc &f) {
    if ((f.contentType & twKIND) != pkNUMBER || (e.Func != cfEQUAL && !IsOrder(e.Func)))
      return;
    const UINT enc = f.encodeType;
    const bool isSigned = (f.contentType & twSIGNED) != 0;
    const bool integer = enc <= iteINT64 && f.size == 1u << enc;
    if (part_.type == kPartSigned && integer && isSigned)
      signed_.Meet(e.Func, enc == iteINT64 ? e.CompVal.i64 : LONGLONG(e.CompVal.i32));
    else if (part_.type == kPartUnsigned && integer && !isSigned)
      unsigned_.Meet(e.Func, enc == iteINT64 ? e.CompVal.u64 : ULONGLONG(e.CompVal.u32));
    else if (((part_.type == kPartFloat && enc == ite32FLOATING) ||
              (part_.type == kPartDouble && enc == ite64FLOATING)) &&
             !std::isnan(e.CompVal.dbl))
      floating_.Meet(e.Func, e.CompVal.dbl);
  }

  const CVQFieldDesc *fields_;
  UINT count_;
  IndexPart part_;
  const char *head_ = nullptr;
  UINT headLength_ = 0;
  Bounds<LONGLONG> signed_;
  Bounds<ULONGLONG> unsigned_;
  Bounds<double> floating_;
};

// Fills a further part of both images with the lowest and highest key.
bool SpanWholePart(const IndexPart &p, char *low, char *high) {
  switch (p.type) {
  case kPartText:
  case kPartTextNoCase:
  case kPartUnsigned:
    std::memset(low, 0x00, p.size);
    std::memset(high, 0xFF, p.size);
    return true;
  default:
    return OrderedFillers(p.type, p.size, low, high);
  }
}

bool Overlap(const IndexPart &a, const IndexPart &b) {
  return a.offset < b.offset + b.size && b.offset < a.offset + a.size;
}

} // namespace

UINT KeyRanges(const SVQDataCompLink &root, const CVQTableDesc &table, const BYTE *indexDesc,
               UINT recordSize, char *bounds) {
  const UINT parts = indexDesc[5];
  if (IsEmpty(root) || parts == 0 || parts > kMaxIndexParts || !table.fields.fields)
    return 0;
  IndexPart part[kMaxIndexParts];
  for (UINT i = 0; i < parts; ++i) {
    part[i] = PartOf(indexDesc, i);
    if (part[i].size == 0 || part[i].offset > recordSize ||
        part[i].size > recordSize - part[i].offset)
      return 0;
    for (UINT j = 0; j < i; ++j)
      if (Overlap(part[i], part[j]))
        return 0;
  }
  RangeFinder finder(table, part[0]);
  ForEachRequired(root, finder);
  std::memset(bounds, 0, 2 * kMaxKeyRanges * recordSize);
  const UINT ranges = finder.Write(bounds, recordSize);
  for (UINT r = 0; r < ranges; ++r)
    for (UINT i = 1; i < parts; ++i)
      if (!SpanWholePart(part[i], bounds + 2 * r * recordSize + part[i].offset,
                         bounds + (2 * r + 1) * recordSize + part[i].offset))
        return 0;
  // A reversed index iterates from its highest key without the flag.
  if (ranges == 2 && indexDesc[2])
    for (UINT b = 0; b < 2 * recordSize; ++b)
      std::swap(bounds[b], bounds[2 * recordSize + b]);
  return ranges;
}

} // namespace vq::sel
