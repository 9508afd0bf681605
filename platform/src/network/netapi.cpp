// NetServerEnum and NetApiBufferFree, over the station source seam or the
// system's own DNS-SD query (stations_query.cpp).
//
// A source set with VqwinSetStationSource always wins, so a host or test
// decides what is listed. Without one, "NetApi32.dll" exists while the
// system has a network to ask (SystemCanQuery) and is absent otherwise, as
// on a Windows installation without network support. The functions live
// in the platform library, which LoadLibraryA hands out under that name.
#include <windows.h>
#include <lm.h>
#include <vqwin_seams.h>

#include "kernel/cp1252.h"
#include "network/stations.h"

#include <cstring>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

namespace vqwin::network {
namespace {

VQWIN_STATION_SOURCE source{};
std::unordered_set<void *> buffers;

// A byte that begins no UTF-8 character becomes U+FFFD.
std::u16string Wide(const char *utf8) {
  std::u16string out;
  if (!utf8)
    return out;
  const auto *p = reinterpret_cast<const unsigned char *>(utf8);
  const auto *end = p + std::strlen(utf8);
  while (p < end) {
    char32_t c = 0;
    const size_t n = cp1252::DecodeUtf8(p, end, c);
    p += n ? n : 1;
    if (!n)
      c = 0xFFFD;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += char16_t(0xD800 + (c >> 10));
      out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
      out += char16_t(c);
    }
  }
  return out;
}

} // namespace

bool HasStationSource() { return source.list != nullptr || SystemCanQuery(); }

} // namespace vqwin::network

using namespace vqwin::network;

void WINAPI VqwinSetStationSource(const VQWIN_STATION_SOURCE *stationSource) {
  source = stationSource && stationSource->list ? *stationSource : VQWIN_STATION_SOURCE{};
}

NET_API_STATUS NET_API_FUNCTION NetServerEnum(LMCSTR servername, DWORD level, LPBYTE *bufptr,
                                              DWORD prefmaxlen, LPDWORD entriesread,
                                              LPDWORD totalentries, DWORD servertype, LMCSTR domain,
                                              LPDWORD resume_handle) {
  if (!bufptr || !entriesread || !totalentries)
    return ERROR_INVALID_PARAMETER;
  *bufptr = nullptr;
  *entriesread = *totalentries = 0;
  if (resume_handle)
    *resume_handle = 0;
  if (level != 101)
    return ERROR_INVALID_LEVEL;
  if ((servername && *servername) || (domain && *domain))
    return ERROR_NOT_SUPPORTED;
  const auto list = source.list ? source.list : SystemStations;
  const VQWIN_STATION *stations = nullptr;
  DWORD count = 0;
  if (const DWORD status = list(&stations, &count, source.context); status != 0)
    return status;
  // One block: the records, then their texts, so one free gives it back.
  std::vector<std::pair<std::u16string, std::u16string>> texts;
  std::vector<const VQWIN_STATION *> chosen;
  size_t bytes = 0, fitting = 0;
  for (DWORD i = 0; i < count; ++i) {
    if (!(stations[i].type & servertype))
      continue;
    texts.emplace_back(Wide(stations[i].name), Wide(stations[i].comment));
    chosen.push_back(&stations[i]);
    bytes += sizeof(SERVER_INFO_101) +
             (texts.back().first.size() + texts.back().second.size() + 2) * sizeof(WCHAR);
    if (prefmaxlen == MAX_PREFERRED_LENGTH || bytes <= prefmaxlen)
      fitting = chosen.size();
  }
  *totalentries = DWORD(chosen.size());
  if (fitting == 0)
    return chosen.empty() ? NERR_Success : ERROR_MORE_DATA;
  size_t size = fitting * sizeof(SERVER_INFO_101);
  for (size_t i = 0; i < fitting; ++i)
    size += (texts[i].first.size() + texts[i].second.size() + 2) * sizeof(WCHAR);
  auto *block = new (std::nothrow) BYTE[size];
  if (!block)
    return ERROR_NOT_ENOUGH_MEMORY;
  auto *info = reinterpret_cast<SERVER_INFO_101 *>(block);
  auto *text = reinterpret_cast<WCHAR *>(block + fitting * sizeof(SERVER_INFO_101));
  for (size_t i = 0; i < fitting; ++i) {
    info[i] = SERVER_INFO_101{chosen[i]->platformId,   text,
                              chosen[i]->versionMajor, chosen[i]->versionMinor,
                              chosen[i]->type,         nullptr};
    for (const auto *part : {&texts[i].first, &texts[i].second}) {
      std::memcpy(text, part->c_str(), (part->size() + 1) * sizeof(WCHAR));
      if (part == &texts[i].second)
        info[i].sv101_comment = text;
      text += part->size() + 1;
    }
  }
  buffers.insert(block);
  *bufptr = block;
  *entriesread = DWORD(fitting);
  return fitting < chosen.size() ? ERROR_MORE_DATA : NERR_Success;
}

NET_API_STATUS NET_API_FUNCTION NetApiBufferFree(LPVOID Buffer) {
  if (!Buffer)
    return NERR_Success;
  if (!buffers.erase(Buffer))
    return ERROR_INVALID_PARAMETER;
  delete[] static_cast<BYTE *>(Buffer);
  return NERR_Success;
}
