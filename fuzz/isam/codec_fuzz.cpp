// Records coded against a dictionary, both made of the input: the first
// byte says how much of the rest is dictionary. Whatever they hold, the
// code stays within its bound and decodes to the record, and its length is
// the one the reader reports; arbitrary bytes read as a code are refused or
// decoded without reading past what a code of that size can take.
#include "../platform/fuzz_check.h"
#include "store/codec.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using vqisam::store::RecordCodec;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2)
    return 0;
  const size_t cut = 1 + (size - 1) * data[0] / 256;
  const RecordCodec codec(std::vector<uint8_t>(data + 1, data + cut));
  const uint8_t *record = data + cut;
  const size_t length = size - cut;
  if (length == 0)
    return 0;
  std::vector<uint8_t> code(RecordCodec::bound(length) + RecordCodec::kSlack), back(length);
  const size_t n = codec.encode(record, length, code.data());
  CHECK(n <= RecordCodec::bound(length));
  CHECK(codec.decode(code.data(), length, back.data()) == n);
  size_t operations = 0;
  CHECK(RecordCodec::codeLength(code.data(), length, &operations) == n);
  // An operation yields at least one byte and writes at least two.
  CHECK(operations >= 1 && operations <= length && 2 * operations <= n);
  CHECK(std::memcmp(back.data(), record, length) == 0);
  // The record's bytes taken as a code: each operation yields a byte or
  // more for at most three of its own, so this much input suffices.
  std::vector<uint8_t> arbitrary(record, record + length);
  arbitrary.resize(3 * length + 3 + RecordCodec::kSlack);
  const size_t read = codec.decode(arbitrary.data(), length, back.data());
  CHECK(read <= arbitrary.size());
  return 0;
}
