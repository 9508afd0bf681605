// NetServerEnum over a station source the test sets, and over the system's
// DNS-SD query pointed at a responder the test runs on 127.0.0.1; when
// "NetApi32.dll" exists. No test here sends to the multicast group.
#include <windows.h>
#include <lm.h>
#include <vqwin_seams.h>

#include <gtest/gtest.h>

#include "network/dns.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace dns = vqwin::network::dns;

// The query seam for one test; the defaults come back at its end.
struct QuerySeam {
  explicit QuerySeam(const VQWIN_STATION_QUERY &query) { VqwinSetStationQuery(&query); }
  ~QuerySeam() { VqwinSetStationQuery(nullptr); }
};
const VQWIN_STATION_QUERY kNoInterfaces = {nullptr, 0, 0, 0, TRUE};

struct Source {
  std::vector<VQWIN_STATION> stations;
  static DWORD List(const VQWIN_STATION **out, DWORD *count, void *context) {
    auto *self = static_cast<Source *>(context);
    *out = self->stations.data();
    *count = DWORD(self->stations.size());
    return 0;
  }
};

struct Listed {
  NET_API_STATUS status;
  DWORD read, total;
  // name|comment|type per station
  std::vector<std::u16string> stations;
  std::vector<DWORD> platforms;
};

Listed List(DWORD type, DWORD maximum = MAX_PREFERRED_LENGTH, DWORD level = 101) {
  LPBYTE buffer = nullptr;
  Listed l{};
  l.read = l.total = 9;
  l.status =
      NetServerEnum(nullptr, level, &buffer, maximum, &l.read, &l.total, type, nullptr, nullptr);
  const auto *info = reinterpret_cast<SERVER_INFO_101 *>(buffer);
  for (DWORD i = 0; buffer && i < l.read; ++i) {
    l.platforms.push_back(info[i].sv101_platform_id);
    l.stations.push_back(std::u16string(info[i].sv101_name) + u"|" + info[i].sv101_comment + u"|" +
                         char16_t(u'0' + info[i].sv101_type));
  }
  EXPECT_EQ(NetApiBufferFree(buffer), DWORD(NERR_Success));
  return l;
}

TEST(Stations, ASetSourceIsListedAsItIs) {
  const QuerySeam seam(kNoInterfaces);
  EXPECT_EQ(LoadLibraryA("NetApi32.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  Source source{{{"alpha", PLATFORM_ID_NT, 10, 0, SV_TYPE_SERVER, "first"},
                 {"beta", PLATFORM_ID_NT, 6, 1, SV_TYPE_WORKSTATION, nullptr},
                 {"gamma", PLATFORM_ID_OSF, 4, 2, SV_TYPE_SERVER | SV_TYPE_WORKSTATION, ""}}};
  const VQWIN_STATION_SOURCE set = {Source::List, &source};
  VqwinSetStationSource(&set);
  HMODULE module = LoadLibraryA("netapi32.DLL");
  ASSERT_NE(module, nullptr);
  EXPECT_NE(GetProcAddress(module, "NetServerEnum"), nullptr);
  const struct {
    DWORD level, type, maximum;
    NET_API_STATUS status;
    DWORD total;
    std::vector<std::u16string> stations;
  } rows[] = {
      {101, SV_TYPE_SERVER, MAX_PREFERRED_LENGTH, NERR_Success, 2, {u"alpha|first|2", u"gamma||3"}},
      {101,
       SV_TYPE_ALL,
       MAX_PREFERRED_LENGTH,
       NERR_Success,
       3,
       {u"alpha|first|2", u"beta||1", u"gamma||3"}},
      {101, SV_TYPE_WORKSTATION, 60, ERROR_MORE_DATA, 2, {u"beta||1"}},
      {101, SV_TYPE_SERVER, 8, ERROR_MORE_DATA, 2, {}},
      {100, SV_TYPE_SERVER, MAX_PREFERRED_LENGTH, ERROR_INVALID_LEVEL, 0, {}}};
  for (const auto &r : rows) {
    const Listed l = List(r.type, r.maximum, r.level);
    EXPECT_EQ(l.status, r.status) << r.type << " " << r.maximum;
    EXPECT_EQ(l.total, r.total) << r.type << " " << r.maximum;
    EXPECT_EQ(l.read, r.stations.size()) << r.type << " " << r.maximum;
    EXPECT_EQ(l.stations, r.stations) << r.type << " " << r.maximum;
  }
  int other = 0;
  EXPECT_EQ(NetApiBufferFree(&other), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(FreeLibrary(module));
  VqwinSetStationSource(nullptr);
  EXPECT_EQ(LoadLibraryA("NetApi32.dll"), nullptr);
}

bool MachineHasAMulticastLink() {
  ifaddrs *list = nullptr;
  bool found = false;
  if (getifaddrs(&list) == 0)
    for (const ifaddrs *i = list; i; i = i->ifa_next)
      found |= i->ifa_addr && i->ifa_addr->sa_family == AF_INET && (i->ifa_flags & IFF_UP) &&
               (i->ifa_flags & IFF_MULTICAST) && !(i->ifa_flags & IFF_LOOPBACK);
  freeifaddrs(list);
  return found;
}

TEST(Stations, TheModuleExistsWhereTheQueryHasSomewhereToGo) {
  const struct {
    const char *what;
    const char *address;
    BOOL noInterfaces;
    bool present;
  } rows[] = {{"no interface", nullptr, TRUE, false},
              {"no interface beats an address", "127.0.0.1", TRUE, false},
              {"an address", "127.0.0.1", FALSE, true},
              {"this machine", nullptr, FALSE, MachineHasAMulticastLink()}};
  for (const auto &r : rows) {
    const QuerySeam seam({r.address, 0, 0, 0, r.noInterfaces});
    HMODULE module = LoadLibraryA("NetApi32.dll");
    EXPECT_EQ(module != nullptr, r.present) << r.what;
    if (module)
      FreeLibrary(module);
    else
      EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND)) << r.what;
  }
}

// A responder on 127.0.0.1 that answers each query with its packets, as
// separate datagrams, and stops by itself once `queries` have come or none
// comes for two seconds.
class Responder {
public:
  Responder(std::vector<std::vector<uint8_t>> packets, int queries, int pauseMs = 20)
      : packets(std::move(packets)) {
    fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    const timeval wait = {2, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&at), sizeof at), 0);
    getsockname(fd, reinterpret_cast<sockaddr *>(&at), &length);
    port = ntohs(at.sin_port);
    thread = std::thread([this, queries, pauseMs] { Serve(queries, pauseMs); });
  }
  ~Responder() {
    thread.join();
    close(fd);
  }
  WORD port = 0;
  std::vector<dns::Message> asked;

private:
  void Serve(int queries, int pauseMs) {
    for (int q = 0; q < queries; ++q) {
      uint8_t buffer[2048];
      sockaddr_in from{};
      socklen_t length = sizeof from;
      const ssize_t n =
          recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &length);
      if (n <= 0)
        return;
      if (auto m = dns::Read(buffer, size_t(n)))
        asked.push_back(*m);
      for (const auto &p : packets) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        sendto(fd, p.data(), p.size(), 0, reinterpret_cast<sockaddr *>(&from), length);
      }
    }
  }
  std::vector<std::vector<uint8_t>> packets;
  int fd = -1;
  std::thread thread;
};

const dns::Name kSmb = {"_smb", "_tcp", "local"};
const dns::Name kWorkstation = {"_workstation", "_tcp", "local"};

dns::Name In(const std::string &label, const dns::Name &service) {
  dns::Name n = {label};
  n.insert(n.end(), service.begin(), service.end());
  return n;
}
dns::Record Make(dns::Name name, uint16_t type, uint16_t klass, uint32_t ttl) {
  dns::Record r;
  r.name = std::move(name);
  r.type = type;
  r.klass = klass;
  r.ttl = ttl;
  return r;
}
dns::Record Ptr(const dns::Name &service, const std::string &instance, uint32_t ttl = 4500) {
  dns::Record r = Make(service, dns::kTypePtr, dns::kClassIn, ttl);
  r.target = In(instance, service);
  return r;
}
dns::Record Srv(const dns::Name &service, const std::string &instance, const std::string &host) {
  // The cache-flush bit, as responders set it on unique records.
  dns::Record r =
      Make(In(instance, service), dns::kTypeSrv, dns::kClassIn | dns::kClassTopBit, 120);
  r.port = 445;
  r.target = {host, "local"};
  return r;
}
std::vector<uint8_t> Response(std::vector<dns::Record> answers,
                              std::vector<dns::Record> additionals = {}) {
  dns::Message m;
  m.flags = dns::kFlagResponse | 0x0400; // authoritative
  m.answers = std::move(answers);
  m.additionals = std::move(additionals);
  return dns::Write(m).value();
}

TEST(Stations, TheSystemQueryListsWhatRespondersAnswer) {
  dns::Record txt = Make(In("Office files", kSmb), dns::kTypeTxt, dns::kClassIn, 4500);
  txt.texts = {""};
  dns::Record a = Make({"nas", "local"}, dns::kTypeA, dns::kClassIn, 120);
  a.raw = {127, 0, 0, 9};
  // Its first record is whole, its second cut short: the message is dropped whole.
  std::vector<uint8_t> damaged = Response({Ptr(kSmb, "ghost"), Ptr(kSmb, "phantom")});
  damaged.pop_back();
  const std::vector<std::vector<uint8_t>> packets = {
      damaged,
      {0x12, 0x34, 0x81, 0x80}, // a header cut short
      Response({Ptr(kSmb, "Office files"), Ptr(kSmb, "zeta"), Ptr(kSmb, "gone", 0),
                Ptr(kWorkstation, "nas [00:11:22:33:44:55]"),
                Ptr(kWorkstation, "alpha [aa:bb:cc:dd:ee:ff]")},
               {Srv(kSmb, "Office files", "nas"), txt, a,
                Srv(kWorkstation, "nas [00:11:22:33:44:55]", "NAS")}),
      // Again, and a station whose host comes in the next packet.
      Response({Ptr(kSmb, "Office files"), Ptr(kSmb, "B\xC3\xBCro")}),
      Response({Srv(kSmb, "b\xC3\xBCro", "B\xC3\xBCro-PC")}),
  };
  const struct {
    DWORD type, maximum;
    NET_API_STATUS status;
    DWORD total;
    std::vector<std::u16string> stations;
  } rows[] = {
      {SV_TYPE_ALL,
       MAX_PREFERRED_LENGTH,
       NERR_Success,
       4,
       {u"alpha||1", u"B\u00FCro-PC|B\u00FCro|2", u"NAS|Office files|3", u"zeta||2"}},
      {SV_TYPE_SERVER,
       MAX_PREFERRED_LENGTH,
       NERR_Success,
       3,
       {u"B\u00FCro-PC|B\u00FCro|2", u"NAS|Office files|3", u"zeta||2"}},
      {SV_TYPE_WORKSTATION,
       MAX_PREFERRED_LENGTH,
       NERR_Success,
       2,
       {u"alpha||1", u"NAS|Office files|3"}},
      {SV_TYPE_SERVER, 80, ERROR_MORE_DATA, 3, {u"B\u00FCro-PC|B\u00FCro|2"}},
  };
  Responder responder(packets, int(std::size(rows)));
  const QuerySeam seam({"127.0.0.1", responder.port, 200, 1500, FALSE});
  for (const auto &r : rows) {
    const Listed l = List(r.type, r.maximum);
    EXPECT_EQ(l.status, r.status) << r.type;
    EXPECT_EQ(l.total, r.total) << r.type;
    EXPECT_EQ(l.read, r.stations.size()) << r.type;
    EXPECT_EQ(l.stations, r.stations) << r.type;
    EXPECT_EQ(l.platforms, std::vector<DWORD>(l.read, PLATFORM_ID_NT)) << r.type;
  }
  ASSERT_FALSE(responder.asked.empty());
  const std::vector<dns::Question> questions = {{kSmb, dns::kTypePtr, dns::kClassIn},
                                                {kWorkstation, dns::kTypePtr, dns::kClassIn}};
  EXPECT_EQ(responder.asked[0].questions, questions);
  EXPECT_EQ(responder.asked[0].flags, 0) << "a standard query";
}

TEST(Stations, TheSystemQueryEndsWithinItsBound) {
  // A responder that never goes quiet: a new station every 30 ms.
  std::vector<std::vector<uint8_t>> chatter;
  for (int i = 0; i < 30; ++i)
    chatter.push_back(Response({Ptr(kSmb, "s" + std::to_string(100 + i))}));
  const struct {
    const char *what;
    std::vector<std::vector<uint8_t>> packets;
    DWORD quiet, limit;
    long atMostMs;
  } rows[] = {{"nobody answers", {}, 200, 1500, 1000},
              {"endless answers", chatter, 200, 600, 1400}};
  for (const auto &r : rows) {
    Responder responder(r.packets, 1, 30);
    const QuerySeam seam({"127.0.0.1", responder.port, r.quiet, r.limit, FALSE});
    const auto start = std::chrono::steady_clock::now();
    const Listed l = List(SV_TYPE_ALL);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
    EXPECT_EQ(l.status, DWORD(NERR_Success)) << r.what;
    EXPECT_EQ(l.total, l.read) << r.what;
    EXPECT_GE(took, long(r.quiet)) << r.what;
    EXPECT_LE(took, r.atMostMs) << r.what;
  }
}

TEST(Stations, FailuresOfTheSystemQuery) {
  // Every descriptor taken: the query gets no socket.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  const int next = dup(0);
  ASSERT_GE(next, 0);
  close(next);
  const struct {
    const char *what;
    const char *address;
    BOOL noInterfaces;
    bool noDescriptors;
    NET_API_STATUS status;
  } rows[] = {{"no descriptor", "127.0.0.1", FALSE, true, ERROR_NO_BROWSER_SERVERS_FOUND},
              {"no interface", nullptr, TRUE, false, ERROR_NO_BROWSER_SERVERS_FOUND},
              {"no such address", "127.0.0.256", FALSE, false, ERROR_NETWORK_UNREACHABLE}};
  for (const auto &r : rows) {
    const QuerySeam seam({r.address, 9, 100, 200, r.noInterfaces});
    rlimit few = saved;
    few.rlim_cur = rlim_t(next);
    if (r.noDescriptors) {
      ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &few), 0);
    }
    LPBYTE buffer = nullptr;
    DWORD read = 9, total = 9;
    const NET_API_STATUS status = NetServerEnum(nullptr, 101, &buffer, MAX_PREFERRED_LENGTH, &read,
                                                &total, SV_TYPE_ALL, nullptr, nullptr);
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(status, r.status) << r.what;
    EXPECT_EQ(buffer, nullptr) << r.what;
    EXPECT_EQ(read + total, 0u) << r.what;
  }
}

} // namespace
