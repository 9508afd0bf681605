// The compression of records held in memory: every record comes back
// byte for byte, records like the dictionary's take a fraction of their
// size, none takes more than the bound, and a code that is not one of the
// encoder's is refused rather than read past its record.
#include "store/codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

using vqisam::store::RecordCodec;

namespace {

std::vector<uint8_t> bytesOf(const std::string &text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto &b : v)
    b = static_cast<uint8_t>(rng());
  return v;
}

// Fixed-layout records as a table holds them: a number, a name padded
// with blanks, a code and zeros.
std::vector<uint8_t> row(uint32_t number, const std::string &name, const std::string &code) {
  std::vector<uint8_t> r(64, 0);
  std::memcpy(r.data(), &number, 4);
  std::memset(r.data() + 4, ' ', 30);
  std::memcpy(r.data() + 4, name.data(), std::min<size_t>(name.size(), 30));
  std::memcpy(r.data() + 34, code.data(), std::min<size_t>(code.size(), 8));
  return r;
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto &p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}

struct Case {
  const char *name;
  std::vector<uint8_t> dictionary;
  std::vector<uint8_t> record;
  size_t mostCode; // the code may take at most this many bytes
};

TEST(RecordCodecTest, EveryRecordComesBackWithinItsBound) {
  const auto table =
      concat({row(1, "Smith", "LON"), row(2, "Jones", "PAR"), row(3, "Brown", "LON")});
  const auto blanks = std::vector<uint8_t>(1000, ' ');
  const Case cases[] = {
      {"one byte, no dictionary", {}, {7}, 2},
      {"noise, no dictionary", {}, noise(300, 1), RecordCodec::bound(300)},
      {"128 bytes: one literal run", {}, noise(128, 2), 129},
      {"129 bytes: two literal runs", {}, noise(129, 3), 131},
      {"noise against a dictionary", table, noise(64, 4), RecordCodec::bound(64)},
      // Number and name differ; blanks, code and zeros come from the rows.
      {"a row like the dictionary's", table, row(4, "Smith", "PAR"), 16},
      {"a row of the dictionary", table, row(2, "Jones", "PAR"), 6},
      // Copies of more than 131 bytes are cut into several.
      {"blanks longer than one copy", blanks, std::vector<uint8_t>(1000, ' '), 3 * 8},
      {"three bytes, shorter than a copy", bytesOf("abc"), bytesOf("abc"), 4},
      {"a copy that ends with the dictionary", bytesOf("xxxxTAIL"), bytesOf("TAILTAIL"), 7},
      // Each copy ends with the dictionary's 100 blanks.
      {"a large record", std::vector<uint8_t>(100, ' '), std::vector<uint8_t>(40000, ' '), 3 * 400},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const RecordCodec codec(c.dictionary);
    const size_t size = c.record.size();
    std::vector<uint8_t> code(RecordCodec::bound(size) + RecordCodec::kSlack), back(size, 0xEE);
    const size_t n = codec.encode(c.record.data(), size, code.data());
    EXPECT_LE(n, c.mostCode);
    EXPECT_LE(n, RecordCodec::bound(size));
    EXPECT_EQ(codec.decode(code.data(), size, back.data()), n);
    EXPECT_EQ(RecordCodec::codeLength(code.data(), size), n);
    EXPECT_EQ(back, c.record);
  }
  // Dictionaries are cut to the size two-byte offsets reach.
  EXPECT_EQ(
      RecordCodec(std::vector<uint8_t>(RecordCodec::kMaxDictionary + 1, 'a')).dictionarySize(),
      RecordCodec::kMaxDictionary);
  EXPECT_EQ(RecordCodec(std::vector<uint8_t>(10, 'a')).dictionarySize(), 10u);
}

TEST(RecordCodecTest, CodesThatAreNotTheEncodersAreRefused) {
  const RecordCodec codec(bytesOf("0123456789"));
  struct Refused {
    const char *name;
    size_t size;
    std::vector<uint8_t> code;
  };
  // Records above 512 bytes take the decoder's exact path.
  const Refused cases[] = {
      {"a literal run past the record", 4, {0x04, 'a', 'b', 'c', 'd', 'e'}},
      {"a copy past the record", 4, {0x81, 0x00, 0x00}},
      {"a copy past the dictionary", 4, {0x80, 0x07, 0x00}},
      {"a copy from beyond the dictionary", 4, {0x80, 0xFF, 0xFF}},
      {"a long record's copy past the dictionary", 600, {0x80, 0x07, 0x00}},
      {"a long record's copy from beyond", 600, {0x80, 0xFF, 0xFF}},
  };
  for (const Refused &c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> code = c.code, out(c.size);
    code.resize(code.size() + RecordCodec::kSlack);
    EXPECT_EQ(codec.decode(code.data(), out.size(), out.data()), 0u);
  }
  // Five literal runs of 128 bytes would end at 640.
  std::vector<uint8_t> runs;
  for (int r = 0; r < 5; ++r) {
    runs.push_back(0x7F);
    runs.resize(runs.size() + 128, 'r');
  }
  runs.resize(runs.size() + RecordCodec::kSlack);
  std::vector<uint8_t> long600(600);
  EXPECT_EQ(codec.decode(runs.data(), long600.size(), long600.data()), 0u);
  // The same ops within bounds decode.
  uint8_t copy[3 + RecordCodec::kSlack] = {0x80, 0x06, 0x00};
  std::vector<uint8_t> out(4);
  ASSERT_EQ(codec.decode(copy, out.size(), out.data()), 3u);
  EXPECT_EQ(out, bytesOf("6789"));
}

} // namespace
