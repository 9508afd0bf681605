// DNS messages, the outside input of the station query: whatever arrives on
// its socket is read, and what is read must be a message the writer can
// write again and read back the same. The first input byte chooses the way:
//
//   even: the rest is a received datagram. Read may refuse it; what it
//         accepts has only names within the limits, survives a round trip
//         through the writer, and gives stations with printable names.
//   odd:  the rest describes a message (names sharing suffixes, every
//         record type the reader decodes), which the writer must write
//         when every name and text is within its limits, and which then
//         reads back equal.
#include "network/dns.h"
#include "network/stations.h"

#include "fuzz_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace dns = vqwin::network::dns;

namespace {

void CheckName(const dns::Name &name) {
  for (const std::string &label : name)
    CHECK(!label.empty() && label.size() <= dns::kMaxLabel);
  CHECK(dns::WireLength(name) <= dns::kMaxName);
}

template <class F> void EachName(const dns::Message &m, F f) {
  for (const auto &q : m.questions)
    f(q.name);
  for (const auto *section : {&m.answers, &m.authorities, &m.additionals})
    for (const auto &r : *section) {
      f(r.name);
      f(r.target);
    }
}

void CheckRoundTrip(const dns::Message &m) {
  const auto bytes = dns::Write(m);
  CHECK(bytes);
  const auto again = dns::Read(bytes->data(), bytes->size());
  CHECK(again);
  CHECK(*again == m);
}

void Received(const uint8_t *data, size_t size) {
  const auto m = dns::Read(data, size);
  if (!m)
    return;
  EachName(*m, CheckName);
  CheckRoundTrip(*m);
  vqwin::network::StationCollector collector;
  collector.Take(*m);
  for (const auto &s : collector.Stations()) {
    // A label of 63 bytes, each at worst replaced by U+FFFD.
    CHECK(!s.name.empty() && s.name.size() <= 3 * dns::kMaxLabel);
    for (const std::string *text : {&s.name, &s.comment})
      for (const char c : *text)
        CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
  }
}

// Bytes taken in order, zeros once they run out.
struct Input {
  const uint8_t *data;
  size_t size;
  uint8_t Byte() {
    if (!size)
      return 0;
    --size;
    return *data++;
  }
  std::string Text(size_t length) {
    std::string s;
    while (length-- && size)
      s += char(Byte());
    return s;
  }
};

void Described(Input in) {
  // A few names; later names may end in earlier ones, so the writer
  // compresses and the reader follows pointers.
  std::vector<dns::Name> pool;
  for (int i = 0, n = in.Byte() % 6 + 1; i < n; ++i) {
    dns::Name name;
    for (int k = 0, labels = in.Byte() % 5; k < labels; ++k)
      name.push_back(in.Text(in.Byte() % 70));
    if (!pool.empty() && in.Byte() % 2) {
      const dns::Name &tail = pool[in.Byte() % pool.size()];
      name.insert(name.end(), tail.begin(), tail.end());
    }
    pool.push_back(name);
  }
  const auto pick = [&] { return pool[in.Byte() % pool.size()]; };
  dns::Message m;
  m.id = uint16_t(in.Byte() << 8 | in.Byte());
  m.flags = uint16_t(in.Byte() << 8 | in.Byte());
  for (int i = 0, n = in.Byte() % 3; i < n; ++i)
    m.questions.push_back({pick(), dns::kTypePtr, uint16_t(in.Byte())});
  bool writable = true;
  std::vector<dns::Record> *sections[] = {&m.answers, &m.authorities, &m.additionals};
  for (int i = 0, n = in.Byte() % 8; i < n; ++i) {
    dns::Record r;
    r.name = pick();
    r.klass = uint16_t(in.Byte() << 8 | in.Byte());
    r.ttl = uint32_t(in.Byte()) << 24 | in.Byte();
    const uint16_t types[] = {dns::kTypePtr, dns::kTypeSrv, dns::kTypeTxt, dns::kTypeA, 99};
    r.type = types[in.Byte() % 5];
    if (r.type == dns::kTypePtr || r.type == dns::kTypeSrv)
      r.target = pick();
    if (r.type == dns::kTypeSrv)
      r.port = uint16_t(in.Byte() << 8 | in.Byte());
    if (r.type == dns::kTypeTxt)
      for (int k = 0, texts = in.Byte() % 3; k < texts; ++k) {
        r.texts.push_back(in.Text(in.Byte() * 2u));
        writable &= r.texts.back().size() <= 255;
      }
    if (r.type == dns::kTypeA || r.type == 99)
      r.raw = std::vector<uint8_t>(in.Byte() % 20, in.Byte());
    sections[in.Byte() % 3]->push_back(std::move(r));
  }
  EachName(m, [&](const dns::Name &name) { writable &= dns::WireLength(name) <= dns::kMaxName; });
  if (!writable) {
    CHECK(!dns::Write(m));
    return;
  }
  CheckRoundTrip(m);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0 || size > 9001) // a multicast DNS datagram is at most 9000 bytes
    return 0;
  if (data[0] % 2 == 0)
    Received(data + 1, size - 1);
  else
    Described({data + 1, size - 1});
  return 0;
}
