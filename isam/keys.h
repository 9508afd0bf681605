/*
 * Key definitions and key partition types of the engine.
 *
 * A key is up to four parts, each a field of the record read as one
 * partition type. Every type has a byte encoding whose memcmp order is the
 * type's order, and every encoding is prefix free, so the concatenated
 * parts of a key compare part by part. The table below is the vocabulary
 * that isam/README.md documents; ISAMGetKeyType and ISAMKeyType read it.
 */
#ifndef VQ_ISAM_KEYS_H
#define VQ_ISAM_KEYS_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vqisam {

enum KeyTypeCode : uint16_t {
  kTypeText = 0,       // bytes up to the first NUL, case-sensitive
  kTypeTextNoCase = 1, // the same with Windows-1252 letters folded to lower case
  kTypeUnsigned = 2,   // little-endian unsigned integer of 1, 2, 4 or 8 bytes
  kTypeSigned = 3,     // little-endian two's complement integer of 1, 2, 4 or 8 bytes
  kTypeFloat = 4,      // IEEE single, 4 bytes
  kTypeDouble = 5,     // IEEE double, 8 bytes
  kTypeDigits = 6,     // a digit text compared by its value
  kTypeCount = 7
};

/// Name of a type code, nullptr for an unknown one.
const char *keyTypeName(uint32_t code);
/// Code of a type name (ASCII case ignored), UINT32_MAX for an unknown one.
uint32_t keyTypeCode(const char *name);

struct KeyPart {
  uint16_t type = 0;
  uint16_t offset = 0;
  uint16_t size = 0;
};

constexpr size_t kIdtItemSize = 58;
constexpr unsigned kMaxParts = 4;

struct KeyDef {
  uint8_t attributes[5] = {};
  uint8_t partCount = 0;
  KeyPart parts[kMaxParts];

  bool unique() const { return attributes[0] != 0; }
  // Records whose key fields are all NUL or blank stay out of the index.
  bool sparse() const { return attributes[1] != 0; }
  // Flag 0 iterates from the largest key down.
  bool reversed() const { return attributes[2] != 0; }
};

/// Reads one 58-byte item and checks it against the record size. Returns 0
/// or ISAM_ERR_KEY_DEFINITION.
unsigned parseKeyItem(const uint8_t *item, uint32_t recordSize, KeyDef &key);

/// The item as the engine stores it: the bytes it does not use are zero.
void writeKeyItem(const KeyDef &key, uint8_t *item);

/// Encodes the key of a record. Returns false when a sparse key leaves the
/// record out of its index.
bool encodeKey(const KeyDef &key, const uint8_t *record, std::vector<uint8_t> &out);

/// The longest encoding the key can have.
uint32_t maxKeyLength(const KeyDef &key);

} // namespace vqisam

#endif
