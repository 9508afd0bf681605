/*
 * Key partition types: names, size rules and order-preserving encodings.
 */
#include "keys.h"

#include <vq_isa32.h>

#include <cstring>

namespace vqisam {
namespace {

struct TypeInfo {
  const char *name;
  bool (*sizeOk)(uint16_t size);
};

bool anySize(uint16_t size) { return size > 0; }
bool integerSize(uint16_t size) { return size == 1 || size == 2 || size == 4 || size == 8; }
bool floatSize(uint16_t size) { return size == 4; }
bool doubleSize(uint16_t size) { return size == 8; }

const TypeInfo kTypes[kTypeCount] = {
    {"TEXT", anySize},       {"TEXTNOCASE", anySize}, {"UNSIGNED", integerSize},
    {"SIGNED", integerSize}, {"FLOAT", floatSize},    {"DOUBLE", doubleSize},
    {"DIGITS", anySize},
};

uint16_t le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void putLe16(uint8_t *p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

uint64_t readLe(const uint8_t *p, unsigned size) {
  uint64_t v = 0;
  for (unsigned i = 0; i < size; ++i)
    v |= static_cast<uint64_t>(p[i]) << (8 * i);
  return v;
}

void appendBe(std::vector<uint8_t> &out, uint64_t v, unsigned size) {
  for (unsigned i = size; i-- > 0;)
    out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Windows-1252 lower case; the few letters outside Latin-1 have their
// upper case in 0x8A-0x9F.
uint8_t foldCase(uint8_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
    return static_cast<uint8_t>(c + 0x20);
  switch (c) {
  case 0x8A:
  case 0x8C:
  case 0x8E:
    return static_cast<uint8_t>(c + 0x10);
  case 0x9F:
    return 0xFF;
  default:
    return c;
  }
}

// Fixed width keeps the encoding prefix free; bytes after the first NUL are
// not part of the text.
void encodeText(const uint8_t *p, uint16_t size, bool fold, std::vector<uint8_t> &out) {
  const size_t at = out.size();
  out.resize(at + size);
  uint8_t *q = out.data() + at;
  const void *nul = std::memchr(p, 0, size);
  const size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t *>(nul) - p) : size;
  if (fold) {
    for (size_t i = 0; i < n; ++i)
      q[i] = foldCase(p[i]);
  } else {
    std::memcpy(q, p, n);
  }
  std::memset(q + n, 0, size - n);
}

// Sign flipped so that negative numbers sort below positive ones.
void encodeInteger(const uint8_t *p, uint16_t size, bool isSigned, std::vector<uint8_t> &out) {
  uint64_t v = readLe(p, size);
  if (isSigned)
    v ^= uint64_t{1} << (8 * size - 1);
  appendBe(out, v, size);
}

// IEEE order: negative values have every bit inverted, positive ones only
// the sign. -0 counts as +0, and every NaN as one NaN above infinity.
void encodeFloating(const uint8_t *p, uint16_t size, std::vector<uint8_t> &out) {
  const unsigned bits = 8 * size;
  const uint64_t sign = uint64_t{1} << (bits - 1);
  const uint64_t all = size == 8 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
  const uint64_t expMask = size == 8 ? 0x7FF0000000000000ull : 0x7F800000ull;
  const uint64_t fracMask = size == 8 ? 0x000FFFFFFFFFFFFFull : 0x007FFFFFull;
  uint64_t v = readLe(p, size);
  if ((v & expMask) == expMask && (v & fracMask) != 0)
    v = expMask | (fracMask & ~(fracMask >> 1)); // canonical quiet NaN
  if (v == sign)
    v = 0;
  v = (v & sign) ? (~v & all) : (v | sign);
  appendBe(out, v, size);
}

// Digit text by value: optional blanks, sign, digits, and a fraction after
// ',' or '.'; anything after that ends the number, and a text without
// digits is 0. Encoded as a class byte (0 negative, 1 zero, 2 positive),
// then for non-zero values the count of integer digits (16 bits), the
// significant digits and a 0 terminator; negative values complement all
// bytes after the class so that larger magnitudes sort lower.
void encodeDigits(const uint8_t *p, uint16_t size, std::vector<uint8_t> &out) {
  uint16_t i = 0;
  while (i < size && (p[i] == ' ' || p[i] == '\t'))
    ++i;
  bool negative = false;
  if (i < size && (p[i] == '-' || p[i] == '+'))
    negative = p[i++] == '-';
  std::vector<uint8_t> intDigits, fracDigits;
  while (i < size && p[i] >= '0' && p[i] <= '9') {
    if (!(intDigits.empty() && p[i] == '0'))
      intDigits.push_back(p[i]);
    ++i;
  }
  if (i < size && (p[i] == ',' || p[i] == '.')) {
    for (++i; i < size && p[i] >= '0' && p[i] <= '9'; ++i)
      fracDigits.push_back(p[i]);
  }
  while (!fracDigits.empty() && fracDigits.back() == '0')
    fracDigits.pop_back();
  if (intDigits.empty() && fracDigits.empty()) {
    out.push_back(1);
    return;
  }
  out.push_back(negative ? 0 : 2);
  const size_t start = out.size();
  appendBe(out, intDigits.size(), 2);
  out.insert(out.end(), intDigits.begin(), intDigits.end());
  out.insert(out.end(), fracDigits.begin(), fracDigits.end());
  out.push_back(0);
  if (negative)
    for (size_t j = start; j < out.size(); ++j)
      out[j] = static_cast<uint8_t>(~out[j]);
}

bool isEmptyField(const uint8_t *p, uint16_t size) {
  for (uint16_t i = 0; i < size; ++i)
    if (p[i] != 0 && p[i] != ' ')
      return false;
  return true;
}

} // namespace

const char *keyTypeName(uint32_t code) { return code < kTypeCount ? kTypes[code].name : nullptr; }

uint32_t keyTypeCode(const char *name) {
  if (!name)
    return UINT32_MAX;
  for (uint32_t code = 0; code < kTypeCount; ++code) {
    const char *a = kTypes[code].name;
    const char *b = name;
    while (*a && (*a == *b || (*b >= 'a' && *b <= 'z' && *a == *b - 0x20))) {
      ++a;
      ++b;
    }
    if (!*a && !*b)
      return code;
  }
  return UINT32_MAX;
}

unsigned parseKeyItem(const uint8_t *item, uint32_t recordSize, KeyDef &key) {
  key = KeyDef{};
  std::memcpy(key.attributes, item, 5);
  // Attributes 1-3 are switches; 4 and 5 are kept for later meanings.
  for (int a = 0; a < 3; ++a)
    if (item[a] > 1)
      return ISAM_ERR_KEY_DEFINITION;
  if (item[3] != 0 || item[4] != 0)
    return ISAM_ERR_KEY_DEFINITION;
  key.partCount = item[5];
  if (key.partCount > kMaxParts)
    return ISAM_ERR_KEY_DEFINITION;
  for (unsigned i = 0; i < key.partCount; ++i) {
    KeyPart &part = key.parts[i];
    part.type = le16(item + 6 + 8 * i);
    part.offset = le16(item + 8 + 8 * i);
    part.size = le16(item + 10 + 8 * i);
    if (part.type >= kTypeCount || !kTypes[part.type].sizeOk(part.size) ||
        uint32_t{part.offset} + part.size > recordSize)
      return ISAM_ERR_KEY_DEFINITION;
  }
  return 0;
}

void writeKeyItem(const KeyDef &key, uint8_t *item) {
  std::memset(item, 0, kIdtItemSize);
  std::memcpy(item, key.attributes, 5);
  item[5] = key.partCount;
  for (unsigned i = 0; i < key.partCount; ++i) {
    putLe16(item + 6 + 8 * i, key.parts[i].type);
    putLe16(item + 8 + 8 * i, key.parts[i].offset);
    putLe16(item + 10 + 8 * i, key.parts[i].size);
  }
}

bool encodeKey(const KeyDef &key, const uint8_t *record, std::vector<uint8_t> &out) {
  out.clear();
  if (key.sparse()) {
    bool empty = true;
    for (unsigned i = 0; i < key.partCount && empty; ++i)
      empty = isEmptyField(record + key.parts[i].offset, key.parts[i].size);
    if (empty)
      return false;
  }
  for (unsigned i = 0; i < key.partCount; ++i) {
    const KeyPart &part = key.parts[i];
    const uint8_t *p = record + part.offset;
    switch (part.type) {
    case kTypeText:
    case kTypeTextNoCase:
      encodeText(p, part.size, part.type == kTypeTextNoCase, out);
      break;
    case kTypeUnsigned:
    case kTypeSigned:
      encodeInteger(p, part.size, part.type == kTypeSigned, out);
      break;
    case kTypeFloat:
    case kTypeDouble:
      encodeFloating(p, part.size, out);
      break;
    default:
      encodeDigits(p, part.size, out);
      break;
    }
  }
  return true;
}

uint32_t maxKeyLength(const KeyDef &key) {
  uint32_t length = 0;
  for (unsigned i = 0; i < key.partCount; ++i)
    length += key.parts[i].type == kTypeDigits ? key.parts[i].size + 4u : key.parts[i].size;
  return length;
}

} // namespace vqisam
