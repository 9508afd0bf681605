// Writing and reading DNS messages (see dns.h for what is promised).
#include "network/dns.h"

#include <map>

namespace vqwin::network::dns {
namespace {

constexpr size_t kHeader = 12;
constexpr size_t kMaxPointer = 0x3FFF;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

class Writer {
public:
  bool failed = false;
  std::vector<uint8_t> out;

  void U16(uint32_t v) {
    failed |= v > 0xFFFF;
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
  }
  void U32(uint32_t v) {
    U16(v >> 16);
    U16(v & 0xFFFF);
  }

  // Each suffix is written once; later names point at it. The suffixes are
  // keyed by their exact labels, so a name reads back with its own case.
  void WriteName(const Name &name) {
    if (WireLength(name) > kMaxName) {
      failed = true;
      return;
    }
    for (size_t i = 0; i < name.size(); ++i) {
      const Name suffix(name.begin() + long(i), name.end());
      if (const auto it = suffixes.find(suffix); it != suffixes.end()) {
        U16(0xC000 | it->second);
        return;
      }
      if (out.size() <= kMaxPointer)
        suffixes.emplace(suffix, uint16_t(out.size()));
      out.push_back(uint8_t(name[i].size()));
      out.insert(out.end(), name[i].begin(), name[i].end());
    }
    out.push_back(0);
  }

  void WriteRecord(const Record &r) {
    WriteName(r.name);
    U16(r.type);
    U16(r.klass);
    U32(r.ttl);
    const size_t lengthAt = out.size();
    U16(0);
    const size_t start = out.size();
    switch (r.type) {
    case kTypePtr:
      WriteName(r.target);
      break;
    case kTypeSrv:
      U16(r.priority);
      U16(r.weight);
      U16(r.port);
      WriteName(r.target);
      break;
    case kTypeTxt:
      for (const std::string &t : r.texts) {
        failed |= t.size() > 255;
        out.push_back(uint8_t(t.size()));
        out.insert(out.end(), t.begin(), t.end());
      }
      break;
    default:
      out.insert(out.end(), r.raw.begin(), r.raw.end());
    }
    const size_t length = out.size() - start;
    failed |= length > 0xFFFF;
    out[lengthAt] = uint8_t(length >> 8);
    out[lengthAt + 1] = uint8_t(length);
  }

private:
  std::map<Name, uint16_t> suffixes;
};

class Reader {
public:
  Reader(const uint8_t *bytes, size_t size) : bytes(bytes), size(size) {}

  bool U16(size_t &at, size_t end, uint16_t &v) const {
    if (end > size || at + 2 > end)
      return false;
    v = uint16_t(bytes[at] << 8 | bytes[at + 1]);
    at += 2;
    return true;
  }
  bool U32(size_t &at, size_t end, uint32_t &v) const {
    uint16_t high = 0, low = 0;
    if (!U16(at, end, high) || !U16(at, end, low))
      return false;
    v = uint32_t(high) << 16 | low;
    return true;
  }

  // The name at `at`, whose own bytes lie before `end`; `at` moves past
  // them. A pointer must lead before every byte of the name read so far,
  // which keeps a chain of pointers finite.
  bool ReadName(size_t &at, size_t end, Name &name) const {
    name.clear();
    size_t pos = at, lowest = at, wire = 1;
    bool jumped = false;
    for (;;) {
      if (pos >= (jumped ? size : end))
        return false;
      const uint8_t length = bytes[pos];
      if ((length & 0xC0) == 0xC0) {
        if (pos + 2 > (jumped ? size : end))
          return false;
        const size_t target = size_t(length & 0x3F) << 8 | bytes[pos + 1];
        if (!jumped)
          at = pos + 2;
        if (target >= lowest)
          return false;
        lowest = pos = target;
        jumped = true;
        continue;
      }
      if (length & 0xC0) // the extended label types never took hold
        return false;
      if (length == 0) {
        if (!jumped)
          at = pos + 1;
        return true;
      }
      wire += 1 + length;
      if (wire > kMaxName || pos + 1 + length > (jumped ? size : end))
        return false;
      name.emplace_back(reinterpret_cast<const char *>(bytes + pos + 1), length);
      pos += 1 + length;
    }
  }

  bool ReadQuestion(size_t &at, Question &q) const {
    return ReadName(at, size, q.name) && U16(at, size, q.type) && U16(at, size, q.klass);
  }

  bool ReadRecord(size_t &at, Record &r) const {
    uint16_t length = 0;
    if (!ReadName(at, size, r.name) || !U16(at, size, r.type) || !U16(at, size, r.klass) ||
        !U32(at, size, r.ttl) || !U16(at, size, length) || at + length > size)
      return false;
    const size_t end = at + length;
    switch (r.type) {
    case kTypePtr:
      if (!ReadName(at, end, r.target))
        return false;
      break;
    case kTypeSrv:
      if (!U16(at, end, r.priority) || !U16(at, end, r.weight) || !U16(at, end, r.port) ||
          !ReadName(at, end, r.target))
        return false;
      break;
    case kTypeTxt:
      while (at < end) {
        const size_t n = bytes[at];
        if (at + 1 + n > end)
          return false;
        r.texts.emplace_back(reinterpret_cast<const char *>(bytes + at + 1), n);
        at += 1 + n;
      }
      break;
    default:
      r.raw.assign(bytes + at, bytes + end);
      at = end;
    }
    // Data that does not fill its declared length exactly is damaged.
    return at == end;
  }

private:
  const uint8_t *bytes;
  size_t size;
};

} // namespace

size_t WireLength(const Name &name) {
  size_t length = 1;
  for (const std::string &label : name) {
    if (label.empty() || label.size() > kMaxLabel)
      return kMaxName + 1;
    length += 1 + label.size();
  }
  return length;
}

bool SameName(const Name &a, const Name &b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].size() != b[i].size())
      return false;
    for (size_t k = 0; k < a[i].size(); ++k)
      if (Lower(a[i][k]) != Lower(b[i][k]))
        return false;
  }
  return true;
}

std::optional<std::vector<uint8_t>> Write(const Message &message) {
  Writer w;
  w.U16(message.id);
  w.U16(message.flags);
  w.U16(uint32_t(message.questions.size()));
  for (const auto *section : {&message.answers, &message.authorities, &message.additionals})
    w.U16(uint32_t(section->size()));
  for (const Question &q : message.questions) {
    w.WriteName(q.name);
    w.U16(q.type);
    w.U16(q.klass);
  }
  for (const auto *section : {&message.answers, &message.authorities, &message.additionals})
    for (const Record &r : *section)
      w.WriteRecord(r);
  if (w.failed)
    return std::nullopt;
  return std::move(w.out);
}

std::optional<Message> Read(const uint8_t *bytes, size_t size) {
  const Reader r(bytes, size);
  Message m;
  size_t at = 0;
  uint16_t counts[4] = {};
  if (size < kHeader || !r.U16(at, size, m.id) || !r.U16(at, size, m.flags))
    return std::nullopt;
  for (uint16_t &count : counts)
    r.U16(at, size, count);
  // Counts are not trusted for reserving: each entry is read before it is
  // kept, so a lying header costs nothing.
  for (uint16_t i = 0; i < counts[0]; ++i) {
    Question q;
    if (!r.ReadQuestion(at, q))
      return std::nullopt;
    m.questions.push_back(std::move(q));
  }
  std::vector<Record> *sections[] = {&m.answers, &m.authorities, &m.additionals};
  for (int s = 0; s < 3; ++s)
    for (uint16_t i = 0; i < counts[s + 1]; ++i) {
      Record record;
      if (!r.ReadRecord(at, record))
        return std::nullopt;
      sections[s]->push_back(std::move(record));
    }
  return m;
}

} // namespace vqwin::network::dns
