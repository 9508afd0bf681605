/*
 * Compression of the records a snapshot holds in memory, one record at a
 * time, so that any record can be read alone.
 *
 * Records of one table share their layout: fields padded the same way,
 * codes and texts that recur. Each record is therefore coded against a
 * dictionary of sample records of the same table, as literal runs and
 * copies from the dictionary; nothing refers to another coded record.
 *
 * Code of a record, a sequence of operations until its size is reached:
 *
 * | first byte b     | what follows        | meaning                         |
 * |------------------|---------------------|---------------------------------|
 * | 0x00-0x7F        | b + 1 bytes         | those bytes                     |
 * | 0x80-0xFF        | offset, 2 bytes LE  | (b & 0x7F) + 4 dictionary bytes |
 *
 * A record that matches nothing costs one byte per 128 more than itself.
 *
 * The decoder copies 32 bytes at a time and reads the two bytes after
 * each operation: it may read up to kSlack bytes past a code's end, which
 * the memory holding codes must allow.
 */
#ifndef VQ_ISAM_STORE_CODEC_H
#define VQ_ISAM_STORE_CODEC_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vqisam::store {

class RecordCodec {
public:
  /// Dictionaries are cut to this size, so that offsets fit in two bytes.
  static constexpr size_t kMaxDictionary = 32768;
  static constexpr size_t kSlack = 32;

  explicit RecordCodec(std::vector<uint8_t> dictionary);

  /// The most bytes encode() writes for a record of `size` bytes.
  static size_t bound(size_t size) { return size + (size + 127) / 128; }

  /// Codes `size` bytes into `out` (room for bound(size)); returns the
  /// bytes written.
  size_t encode(const uint8_t *record, size_t size, uint8_t *out) const;

  /// Decodes one record of `size` bytes (at least 1) into `out`; returns
  /// the code's length, or 0 when the code is not one of encode()'s for
  /// that size.
  size_t decode(const uint8_t *code, size_t size, uint8_t *out) const;

  /// The length of the code at `code` for a record of `size` bytes, as
  /// decode() would return it, without decoding; `operations`, when given,
  /// receives the number of its operations, which decoding takes time by.
  static size_t codeLength(const uint8_t *code, size_t size, size_t *operations = nullptr);

  size_t dictionarySize() const { return dictSize_; }

private:
  static constexpr unsigned kBucketBits = 12;
  static constexpr uint16_t kEmpty = 0xFFFF;
  // The dictionary and kSlack zeros after it, for the decoder's copies.
  std::vector<uint8_t> dict_;
  size_t dictSize_ = 0;
  size_t decodeExactly(const uint8_t *code, size_t size, uint8_t *out) const;
  // Per bucket of four-byte sequences, the latest dictionary position that
  // begins one. One candidate only: more found copies a few per cent
  // shorter and took twice the time, most of it in mispredicted branches.
  std::vector<uint16_t> table_;
};

} // namespace vqisam::store

#endif
