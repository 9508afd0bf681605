// What the module loader needs to know of the network module: whether a
// station source is set, which is when "NetApi32.dll" exists.
#ifndef VQWIN_NETWORK_STATIONS_H
#define VQWIN_NETWORK_STATIONS_H

namespace vqwin::network {
bool HasStationSource();
}

#endif
