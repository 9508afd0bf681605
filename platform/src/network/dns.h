// DNS messages as multicast DNS carries them: a writer for the questions
// the layer asks (and for the answers a test responder gives), and a reader
// for whatever arrives on the socket, which is outside input.
//
// Names are kept as their labels, not as dotted text: a DNS-SD instance
// label may hold dots, blanks and any UTF-8, and keeping labels apart
// makes a written name read back exactly. The reader takes no message on
// trust: every length is checked against the bytes received, compression
// pointers must point backwards (so they cannot loop), and a name longer
// than 255 bytes on the wire or a label longer than 63 rejects the whole
// message rather than yielding part of it.
#ifndef VQWIN_NETWORK_DNS_H
#define VQWIN_NETWORK_DNS_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vqwin::network::dns {

constexpr size_t kMaxLabel = 63;
constexpr size_t kMaxName = 255; // on the wire: length bytes and the final zero included

enum : uint16_t { kTypeA = 1, kTypePtr = 12, kTypeTxt = 16, kTypeAaaa = 28, kTypeSrv = 33 };
enum : uint16_t { kClassIn = 1 };
// Multicast DNS reuses the class's top bit: "unicast response wanted" in a
// question, "flush the cache" in an answer. Compare classes without it.
constexpr uint16_t kClassTopBit = 0x8000;
constexpr uint16_t kFlagResponse = 0x8000;

using Name = std::vector<std::string>;

/// Wire length of a name written out in full; kMaxName + 1 or more when
/// it cannot be written.
size_t WireLength(const Name &name);
/// ASCII letters compared without case, as DNS compares names.
bool SameName(const Name &a, const Name &b);

struct Question {
  Name name;
  uint16_t type = 0;
  uint16_t klass = kClassIn;
  bool operator==(const Question &) const = default;
};

/// One resource record. The data is decoded for the types the station
/// query reads; any other type keeps its bytes in `raw`.
struct Record {
  Name name;
  uint16_t type = 0;
  uint16_t klass = kClassIn;
  uint32_t ttl = 0;
  Name target;                                 ///< PTR, SRV
  uint16_t priority = 0, weight = 0, port = 0; ///< SRV
  std::vector<std::string> texts;              ///< TXT
  std::vector<uint8_t> raw;                    ///< A, AAAA and every other type
  bool operator==(const Record &) const = default;
};

struct Message {
  uint16_t id = 0;
  uint16_t flags = 0;
  std::vector<Question> questions;
  std::vector<Record> answers, authorities, additionals;
  bool operator==(const Message &) const = default;
};

/// The message on the wire, names compressed; nothing when a label is
/// empty or too long, a name too long, a TXT string over 255 bytes, some
/// record's data over 65535 bytes or a section over 65535 entries. Every
/// message Read accepts can be written again.
std::optional<std::vector<uint8_t>> Write(const Message &message);

/// The message in `bytes`; nothing when any part is damaged or truncated.
/// Bytes after the last record are ignored, as some responders pad.
std::optional<Message> Read(const uint8_t *bytes, size_t size);

} // namespace vqwin::network::dns

#endif
