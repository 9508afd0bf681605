// The stations behind NetServerEnum: a source a host or test set through
// the seam, or else the system's own, found by a DNS-SD query over
// multicast DNS (stations_query.cpp). The module loader asks here whether
// "NetApi32.dll" exists.
#ifndef VQWIN_NETWORK_STATIONS_H
#define VQWIN_NETWORK_STATIONS_H

#include <windows.h>
#include <vqwin_seams.h>

#include "network/dns.h"

#include <map>
#include <string>
#include <vector>

namespace vqwin::network {

/// A source is set, or the system can ask its network.
bool HasStationSource();

/// Whether the system query has somewhere to go: an interface that is up,
/// not loopback and multicast-capable, or the address the query seam names.
bool SystemCanQuery();

/// The system's station list, a VQWIN_STATION_SOURCE list function: asks
/// the network once per call and keeps the result until the next.
DWORD SystemStations(const VQWIN_STATION **stations, DWORD *count, void *context);

/// The services asked for, with the server type each stands for.
struct Service {
  dns::Name name;
  DWORD type;
};
const std::vector<Service> &StationServices();

/// What the answers to the query say of the stations: instances from PTR
/// records, their hosts from SRV records, in whatever packets and order
/// they come. The same answers in any order give the same stations.
class StationCollector {
public:
  struct Station {
    std::string name, comment; // UTF-8
    DWORD type = 0;
  };
  /// Takes what a response tells; true when it told something new.
  bool Take(const dns::Message &response);
  /// The stations sorted by name, one per name, their types joined.
  std::vector<Station> Stations() const;

private:
  struct Instance {
    std::string label;
    DWORD type = 0;
  };
  // Both by the instance name folded to lower case: an SRV answer may come
  // before the PTR answer that names its instance.
  std::map<std::string, Instance> instances;
  std::map<std::string, std::string> hosts; // first label of the SRV target
};

} // namespace vqwin::network

#endif
