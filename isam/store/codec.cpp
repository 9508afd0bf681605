#include "codec.h"

#include <cstring>

namespace vqisam::store {

namespace {

constexpr size_t kMinMatch = 4, kMaxMatch = 0x7F + kMinMatch, kMaxLiteral = 0x80;

uint32_t load32(const uint8_t *p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

unsigned bucketOf(uint32_t sequence, unsigned bits) {
  return (sequence * 2654435761u) >> (32 - bits);
}

// Bytes a and b have in common from the start, at most n.
size_t common(const uint8_t *a, const uint8_t *b, size_t n) {
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y)
      return i + static_cast<size_t>(__builtin_ctzll(x ^ y) >> 3);
  }
  while (i < n && a[i] == b[i])
    ++i;
  return i;
}

uint8_t *putLiterals(const uint8_t *from, size_t n, uint8_t *out) {
  while (n) {
    const size_t run = n < kMaxLiteral ? n : kMaxLiteral;
    *out++ = static_cast<uint8_t>(run - 1);
    std::memcpy(out, from, run);
    out += run;
    from += run;
    n -= run;
  }
  return out;
}

} // namespace

RecordCodec::RecordCodec(std::vector<uint8_t> dictionary)
    : dict_(std::move(dictionary)), table_(size_t{1} << kBucketBits, kEmpty) {
  dictSize_ = dict_.size() < kMaxDictionary ? dict_.size() : kMaxDictionary;
  dict_.resize(dictSize_ + kSlack);
  for (size_t p = 0; p + kMinMatch <= dictSize_; ++p) {
    uint16_t &at = table_[bucketOf(load32(&dict_[p]), kBucketBits)];
    // Inside a run (of blanks, say) a sequence keeps the run's start, from
    // which the longest copies begin; otherwise the latest position wins.
    if (p == 0 || load32(&dict_[p]) != load32(&dict_[p - 1]))
      at = static_cast<uint16_t>(p);
  }
}

size_t RecordCodec::encode(const uint8_t *record, size_t size, uint8_t *out) const {
  uint8_t *const start = out;
  const uint8_t *const dict = dict_.data();
  const size_t dictSize = dictSize_;
  size_t i = 0, literalsFrom = 0, misses = 0;
  while (dictSize && i + kMinMatch <= size) {
    const uint32_t sequence = load32(record + i);
    const size_t at = table_[bucketOf(sequence, kBucketBits)];
    if (at == kEmpty || load32(dict + at) != sequence) {
      // Bytes unlike the dictionary are passed over faster the longer they
      // last, so that a record of noise costs little time.
      i += 1 + (misses++ >> 4);
      continue;
    }
    misses = 0;
    const size_t most = size - i < dictSize - at ? size - i : dictSize - at;
    size_t length =
        kMinMatch + common(record + i + kMinMatch, dict + at + kMinMatch, most - kMinMatch);
    size_t from = at;
    out = putLiterals(record + literalsFrom, i - literalsFrom, out);
    while (length >= kMinMatch) {
      const size_t n = length < kMaxMatch ? length : kMaxMatch;
      *out++ = static_cast<uint8_t>(0x80 | (n - kMinMatch));
      *out++ = static_cast<uint8_t>(from);
      *out++ = static_cast<uint8_t>(from >> 8);
      from += n;
      length -= n;
      i += n;
    }
    // A remainder below the shortest copy joins the next literals.
    literalsFrom = i;
  }
  out = putLiterals(record + literalsFrom, size - literalsFrom, out);
  return static_cast<size_t>(out - start);
}

// Records up to this size decode through a buffer on the stack, in copies
// of 32 bytes whatever an operation's length: the kind of each operation
// then picks where a copy comes from instead of taking a branch of its own,
// which the processor would mispredict about every other time.
constexpr size_t kBuffered = 512;

size_t RecordCodec::decode(const uint8_t *code, size_t size, uint8_t *out) const {
  if (size > kBuffered)
    return decodeExactly(code, size, out);
  uint8_t buffer[kBuffered + kSlack];
  const uint8_t *in = code;
  const uint8_t *const dict = dict_.data();
  size_t done = 0;
  while (done < size) {
    const size_t op = in[0];
    const size_t match = op >> 7;
    const size_t n = (op & 0x7Fu) + 1 + 3 * match;
    const size_t at = size_t{in[1]} | size_t{in[2]} << 8;
    if (n > size - done || (match && (at > dictSize_ || n > dictSize_ - at)))
      return 0;
    const uint8_t *from = match ? dict + at : in + 1;
    std::memcpy(buffer + done, from, 32);
    for (size_t k = 32; k < n; k += 32)
      std::memcpy(buffer + done + k, from + k, 32);
    in += match ? 3 : 1 + n;
    done += n;
  }
  std::memcpy(out, buffer, size);
  return static_cast<size_t>(in - code);
}

size_t RecordCodec::decodeExactly(const uint8_t *code, size_t size, uint8_t *out) const {
  const uint8_t *in = code;
  const size_t dictSize = dictSize_;
  size_t done = 0;
  while (done < size) {
    const uint8_t op = *in++;
    if (op < 0x80) {
      const size_t n = size_t{op} + 1;
      if (n > size - done)
        return 0;
      std::memcpy(out + done, in, n);
      in += n;
      done += n;
    } else {
      const size_t n = size_t{op & 0x7Fu} + kMinMatch;
      const size_t at = size_t{in[0]} | size_t{in[1]} << 8;
      in += 2;
      if (n > size - done || at > dictSize || n > dictSize - at)
        return 0;
      std::memcpy(out + done, dict_.data() + at, n);
      done += n;
    }
  }
  return static_cast<size_t>(in - code);
}

size_t RecordCodec::codeLength(const uint8_t *code, size_t size, size_t *operations) {
  const uint8_t *in = code;
  size_t done = 0, ops = 0;
  for (; done < size; ++ops) {
    const uint8_t op = *in++;
    if (op < 0x80) {
      done += size_t{op} + 1;
      in += size_t{op} + 1;
    } else {
      done += size_t{op & 0x7Fu} + kMinMatch;
      in += 2;
    }
  }
  if (operations)
    *operations = ops;
  return static_cast<size_t>(in - code);
}

} // namespace vqisam::store
