// The system's own station list: a one-shot DNS-SD query over multicast DNS,
// spoken directly on a UDP socket, so no daemon and no library is needed.
//
// Choices made here:
// - Two services are asked for in one packet: "_smb._tcp.local" (file
//   sharing, SV_TYPE_SERVER) and "_workstation._tcp.local" (SV_TYPE_WORKSTATION,
//   announced by default by the usual Linux responder). The second costs one
//   question and makes the server-type filter of NetServerEnum mean what it
//   means on Windows, where most stations are workstations and some servers.
// - The query goes from an ephemeral port, so responders answer it by
//   unicast to that port (a one-shot query in multicast DNS terms), once on
//   every interface that is up, not loopback and multicast-capable.
// - Answers are collected until 300 ms pass without a new one (responders
//   delay shared answers by up to 120 ms), and for 1500 ms at most, measured
//   on the monotonic clock: the clock seam may stand still, the bound must not.
// - The station name is the host of the SRV answer without ".local": the
//   name a user reaches the station by (\\name), as a Windows computer name
//   is. Without an SRV answer the instance label stands in, a workstation's
//   " [mac address]" suffix cut off. The comment is the label of the file
//   sharing instance when it differs from that name ("Office files"), the
//   nearest thing to a Windows server comment; TXT records carry no
//   description by convention, so they are not read.
// - DNS-SD tells neither platform nor version: PLATFORM_ID_NT (what SMB
//   servers announce themselves as) and 0.0.
// - Failures: no socket gives ERROR_NO_BROWSER_SERVERS_FOUND (the list
//   cannot be had), a lack of memory or buffers ERROR_NOT_ENOUGH_MEMORY, a
//   query that no interface could send ERROR_NETWORK_UNREACHABLE. Receive
//   errors end the collection with what has come.
#include <lm.h>

#include "kernel/cp1252.h"
#include "network/stations.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace vqwin::network {
namespace {

constexpr char kGroup[] = "224.0.0.251";
constexpr WORD kPort = 5353;
constexpr DWORD kQuietMs = 300, kLimitMs = 1500;
// A network has a few dozen stations; a flood of invented ones stops here
// rather than in memory.
constexpr size_t kMaxInstances = 4096;

struct QuerySettings {
  bool redirected = false;
  std::string address;
  WORD port = kPort;
  DWORD quietMs = kQuietMs, limitMs = kLimitMs;
  bool noInterfaces = false;
};
QuerySettings settings;

std::string Fold(const std::string &s) {
  std::string out = s;
  for (char &c : out)
    c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
  return out;
}

std::string KeyOf(const dns::Name &name) {
  std::string key;
  for (const std::string &label : name)
    key += Fold(label) + '\0';
  return key;
}

// Whether `name` is one label followed by `service`.
bool IsInstanceOf(const dns::Name &name, const dns::Name &service) {
  return name.size() == service.size() + 1 &&
         dns::SameName(dns::Name(name.begin() + 1, name.end()), service);
}

// Labels are bytes off the network: anything that is not well-formed UTF-8,
// and control characters, become U+FFFD, so the UTF-16 conversion and the
// code page see only characters.
std::string Printable(const std::string &label) {
  std::string out;
  const auto *p = reinterpret_cast<const unsigned char *>(label.data());
  const auto *end = p + label.size();
  while (p < end) {
    char32_t c = 0;
    const size_t n = cp1252::DecodeUtf8(p, end, c);
    if (n && c >= 0x20 && c != 0x7F) {
      out.append(reinterpret_cast<const char *>(p), n);
      p += n;
    } else {
      out += "\xEF\xBF\xBD";
      ++p;
    }
  }
  return out;
}

// "host [aa:bb:cc:dd:ee:ff]" -> "host".
std::string WithoutMacSuffix(const std::string &label) {
  const size_t open = label.rfind(" [");
  return open != std::string::npos && open > 0 && label.back() == ']' ? label.substr(0, open)
                                                                      : label;
}

struct Interface {
  std::string name;
  in_addr address;
};

std::vector<Interface> UsableInterfaces() {
  std::vector<Interface> found;
  ifaddrs *list = nullptr;
  if (getifaddrs(&list) != 0)
    return found;
  for (const ifaddrs *i = list; i; i = i->ifa_next) {
    const unsigned flags = i->ifa_flags;
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(flags & IFF_UP) ||
        !(flags & IFF_MULTICAST) || (flags & IFF_LOOPBACK))
      continue;
    // One query per link, however many addresses it has.
    if (std::none_of(found.begin(), found.end(),
                     [&](const Interface &f) { return f.name == i->ifa_name; }))
      found.push_back({i->ifa_name, reinterpret_cast<const sockaddr_in *>(i->ifa_addr)->sin_addr});
  }
  freeifaddrs(list);
  return found;
}

DWORD StatusOf(int error, DWORD otherwise) {
  return error == ENOMEM || error == ENOBUFS ? DWORD(ERROR_NOT_ENOUGH_MEMORY) : otherwise;
}

class Socket {
public:
  explicit Socket(int fd) : fd(fd) {}
  ~Socket() {
    if (fd >= 0)
      close(fd);
  }
  Socket(const Socket &) = delete;
  Socket &operator=(const Socket &) = delete;
  const int fd;
};

// Sends the query to every target; the number sent, with the last error.
int SendQuery(int fd, const std::vector<uint8_t> &query, const QuerySettings &q, int &error) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(q.port);
  int sent = 0;
  const auto send = [&] {
    if (sendto(fd, query.data(), query.size(), 0, reinterpret_cast<const sockaddr *>(&to),
               sizeof to) == ssize_t(query.size()))
      ++sent;
    else
      error = errno;
  };
  if (q.redirected) {
    if (inet_pton(AF_INET, q.address.c_str(), &to.sin_addr) != 1) {
      error = EINVAL;
      return 0;
    }
    send();
    return sent;
  }
  inet_pton(AF_INET, kGroup, &to.sin_addr);
  // Link-local multicast: the hop limit multicast DNS asks for, and a copy
  // to this machine's own responder.
  const unsigned char ttl = 255, loop = 1;
  setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl);
  setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop);
  for (const Interface &i : UsableInterfaces()) {
    if (setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &i.address, sizeof i.address) != 0) {
      error = errno;
      continue;
    }
    send();
  }
  return sent;
}

DWORD Ask(StationCollector &collector) {
  const QuerySettings q = settings;
  dns::Message message;
  for (const Service &s : StationServices())
    message.questions.push_back({s.name, dns::kTypePtr, dns::kClassIn});
  const auto query = dns::Write(message);
  if (!query)
    return ERROR_NOT_ENOUGH_MEMORY; // cannot happen: the names are ours
  const Socket s(socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (s.fd < 0)
    return StatusOf(errno, ERROR_NO_BROWSER_SERVERS_FOUND);
  int error = 0;
  if (SendQuery(s.fd, *query, q, error) == 0)
    return StatusOf(error, ERROR_NETWORK_UNREACHABLE);

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto last = start;
  std::vector<uint8_t> buffer(65536);
  for (;;) {
    const auto deadline = std::min(start + std::chrono::milliseconds(q.limitMs),
                                   last + std::chrono::milliseconds(q.quietMs));
    const auto now = Clock::now();
    if (now >= deadline)
      break;
    pollfd p{s.fd, POLLIN, 0};
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    const int ready = poll(&p, 1, int(wait));
    if (ready < 0 && errno != EINTR)
      break;
    if (ready <= 0)
      continue;
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n = recvfrom(s.fd, buffer.data(), buffer.size(), 0,
                               reinterpret_cast<sockaddr *>(&from), &fromLength);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
        continue;
      break;
    }
    // Responders answer from their own port; anything else is not an answer.
    if (fromLength < sizeof from || from.sin_family != AF_INET || ntohs(from.sin_port) != q.port)
      continue;
    if (const auto response = dns::Read(buffer.data(), size_t(n)))
      if (collector.Take(*response))
        last = Clock::now();
  }
  return NERR_Success;
}

} // namespace

const std::vector<Service> &StationServices() {
  static const std::vector<Service> services = {
      {{"_smb", "_tcp", "local"}, SV_TYPE_SERVER},
      {{"_workstation", "_tcp", "local"}, SV_TYPE_WORKSTATION}};
  return services;
}

bool StationCollector::Take(const dns::Message &response) {
  const unsigned opcode = (response.flags >> 11) & 0xF, rcode = response.flags & 0xF;
  if (!(response.flags & dns::kFlagResponse) || opcode != 0 || rcode != 0)
    return false;
  bool changed = false;
  for (const auto *section : {&response.answers, &response.additionals})
    for (const dns::Record &r : *section) {
      // A TTL of 0 says goodbye: the service is going away.
      if ((r.klass & ~dns::kClassTopBit) != dns::kClassIn || r.ttl == 0)
        continue;
      for (const Service &s : StationServices()) {
        const bool full = instances.size() >= kMaxInstances || hosts.size() >= kMaxInstances;
        if (r.type == dns::kTypePtr && dns::SameName(r.name, s.name) &&
            IsInstanceOf(r.target, s.name)) {
          const std::string key = KeyOf(r.target);
          if (full && !instances.count(key))
            continue;
          Instance &i = instances[key];
          changed |= i.label.empty() || !(i.type & s.type);
          // The same instance in another case keeps the smallest spelling,
          // whichever came first.
          if (i.label.empty() || r.target[0] < i.label)
            i.label = r.target[0];
          i.type |= s.type;
        } else if (r.type == dns::kTypeSrv && IsInstanceOf(r.name, s.name) && !r.target.empty()) {
          if (full && !hosts.count(KeyOf(r.name)))
            continue;
          const auto [it, added] = hosts.emplace(KeyOf(r.name), r.target[0]);
          changed |= added;
          if (!added && r.target[0] < it->second)
            it->second = r.target[0];
        }
      }
    }
  return changed;
}

std::vector<StationCollector::Station> StationCollector::Stations() const {
  std::map<std::string, Station> byName;
  for (const auto &[key, instance] : instances) {
    const auto host = hosts.find(key);
    const std::string name =
        Printable(host != hosts.end()               ? host->second
                  : instance.type == SV_TYPE_SERVER ? instance.label
                                                    : WithoutMacSuffix(instance.label));
    const std::string folded = Fold(name);
    Station &s = byName[folded];
    if (s.name.empty() || name < s.name)
      s.name = name;
    s.type |= instance.type;
    const std::string label = Printable(instance.label);
    if ((instance.type & SV_TYPE_SERVER) && Fold(label) != folded &&
        (s.comment.empty() || label < s.comment))
      s.comment = label;
  }
  std::vector<Station> out;
  for (auto &[folded, s] : byName)
    out.push_back(std::move(s));
  return out;
}

bool SystemCanQuery() {
  if (settings.noInterfaces)
    return false;
  return settings.redirected || !UsableInterfaces().empty();
}

DWORD SystemStations(const VQWIN_STATION **stations, DWORD *count, void *) {
  static std::vector<StationCollector::Station> kept;
  static std::vector<VQWIN_STATION> records;
  kept.clear();
  records.clear();
  *stations = nullptr;
  *count = 0;
  if (!SystemCanQuery())
    return ERROR_NO_BROWSER_SERVERS_FOUND;
  StationCollector collector;
  if (const DWORD status = Ask(collector); status != NERR_Success)
    return status;
  kept = collector.Stations();
  for (const auto &s : kept)
    records.push_back({s.name.c_str(), PLATFORM_ID_NT, 0, 0, s.type, s.comment.c_str()});
  *stations = records.data();
  *count = DWORD(records.size());
  return NERR_Success;
}

} // namespace vqwin::network

void WINAPI VqwinSetStationQuery(const VQWIN_STATION_QUERY *query) {
  using vqwin::network::settings;
  settings = {};
  if (!query)
    return;
  settings.redirected = query->address != nullptr;
  settings.address = query->address ? query->address : "";
  settings.port = query->port ? query->port : vqwin::network::kPort;
  settings.quietMs = query->quietMilliseconds ? query->quietMilliseconds : vqwin::network::kQuietMs;
  settings.limitMs = query->limitMilliseconds ? query->limitMilliseconds : vqwin::network::kLimitMs;
  settings.noInterfaces = query->noInterfaces != FALSE;
}
