// The stations of the network, asked of "NetApi32.dll" with NetServerEnum.
//
// The library is loaded at run time, so a system without it still runs
// everything else: the object stays usable and only Browse fails. On Linux
// the platform layer offers the module only while it has a way to list
// stations (see its lm.h); otherwise this is that missing-library path.
#include "frame/library.h"

#include <lm.h>

#include <new>

namespace {

constexpr char kTag[] = "CVQNetwork";
constexpr UINT kMsgNoLibrary = 300;
constexpr UINT kMsgNoFunction = 301;
constexpr UINT kMsgEnumError = 302;
constexpr UINT kMsgNoMemory = 303;
constexpr DWORD kServerType = 2; // SV_TYPE_SERVER

using NetServerEnumFn = NET_API_STATUS(NET_API_FUNCTION *)(LMCSTR, DWORD, LPBYTE *, DWORD, LPDWORD,
                                                           LPDWORD, DWORD, LMCSTR, LPDWORD);
using NetApiBufferFreeFn = NET_API_STATUS(NET_API_FUNCTION *)(LPVOID);

template <class F> F Function(HMODULE module, const char *name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The name in the code page, cut to the record's 39 characters.
void NameOf(const WCHAR *wide, char (&name)[40]) {
  char converted[256];
  name[0] = '\0';
  if (!wide)
    return;
  const int n =
      WideCharToMultiByte(CP_ACP, 0, wide, -1, converted, sizeof converted, nullptr, nullptr);
  CopyText(name, sizeof name, n > 0 ? converted : "");
}

} // namespace

CVQNetwork::CVQNetwork() : module(nullptr), count(0), table(nullptr) {
  module = LoadLibraryA("NetApi32.dll");
  if (!module)
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u on loading NetApi32.dll", UINT(GetLastError()));
}

CVQNetwork::~CVQNetwork() {
  if (module)
    FreeLibrary(module);
  module = nullptr;
  delete[] table;
  table = nullptr;
  count = 0;
}

int CVQNetwork::Browse() {
  if (!module) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag,
                      "Call of CVQNetwork::Browse while NetApi32.dll is not available.");
    theLibrary.ErrorBox(kMsgNoLibrary);
    return 0;
  }
  const auto serverEnum = Function<NetServerEnumFn>(module, "NetServerEnum");
  if (!serverEnum) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot find NetServerEnum in NetApi32.dll.");
    theLibrary.ErrorBox(kMsgNoFunction, "NetServerEnum");
    return 0;
  }
  const auto bufferFree = Function<NetApiBufferFreeFn>(module, "NetApiBufferFree");
  if (!bufferFree) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot find NetApiBufferFree in NetApi32.dll.");
    theLibrary.ErrorBox(kMsgNoFunction, "NetApiBufferFree");
    return 0;
  }
  LPBYTE buffer = nullptr;
  DWORD read = 0, total = 0, resume = 0;
  NET_API_STATUS status =
      serverEnum(nullptr, 101, &buffer, DWORD(-1), &read, &total, kServerType, nullptr, &resume);
  int result = 0;
  if ((status == 0 || status == ERROR_MORE_DATA) && buffer && read > 0) {
    auto *fresh = new (std::nothrow) SServerRec[read]();
    if (!fresh) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag,
                        "Not enough free memory for the workstation table available.");
      theLibrary.ErrorBox(kMsgNoMemory);
    } else {
      const auto *info = reinterpret_cast<const SERVER_INFO_101 *>(buffer);
      for (DWORD i = 0; i < read; ++i) {
        fresh[i].platformId = info[i].sv101_platform_id;
        fresh[i].versionMajor = info[i].sv101_version_major;
        fresh[i].versionMinor = info[i].sv101_version_minor;
        NameOf(info[i].sv101_name, fresh[i].name);
      }
      delete[] table; // the table of an earlier call
      table = fresh;
      count = read;
      result = 1;
    }
  } else {
    // An enumeration that delivers nobody is a failure too, with its code.
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error 0x%X on call of NetServerEnum", UINT(status));
    theLibrary.ErrorBox(kMsgEnumError, UINT(status));
  }
  if (buffer)
    bufferFree(buffer);
  return result;
}
