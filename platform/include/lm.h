/*
 * The network management calls the library family makes: listing the
 * stations of the network. They live in the module "NetApi32.dll", which a
 * caller loads with LoadLibraryA and reaches with GetProcAddress.
 *
 * The stations are found by a DNS-SD query over multicast DNS, or taken
 * from a station source set through vqwin_seams.h. Without a source the
 * module exists only while the system has an interface to ask on;
 * otherwise LoadLibraryA("NetApi32.dll") fails with ERROR_MOD_NOT_FOUND, as
 * on a Windows installation without it. Include it after windows.h.
 */
#ifndef VQWIN_LM_H
#define VQWIN_LM_H

#include "windef.h"

typedef DWORD NET_API_STATUS;
typedef WCHAR *LMSTR;
typedef const WCHAR *LMCSTR;

#ifndef NET_API_FUNCTION
#define NET_API_FUNCTION WINAPI
#endif

#define NERR_Success 0
#define MAX_PREFERRED_LENGTH ((DWORD)-1)

#define SV_TYPE_WORKSTATION 0x00000001
#define SV_TYPE_SERVER 0x00000002
#define SV_TYPE_ALL 0xFFFFFFFF

#define PLATFORM_ID_DOS 300
#define PLATFORM_ID_OS2 400
#define PLATFORM_ID_NT 500
#define PLATFORM_ID_OSF 600
#define PLATFORM_ID_VMS 700

typedef struct _SERVER_INFO_101 {
  DWORD sv101_platform_id;
  LMSTR sv101_name;
  DWORD sv101_version_major;
  DWORD sv101_version_minor;
  DWORD sv101_type;
  LMSTR sv101_comment;
} SERVER_INFO_101, *PSERVER_INFO_101, *LPSERVER_INFO_101;

/// The stations of the network whose type has a bit of servertype, at
/// level 101 only, in one buffer to be given back with NetApiBufferFree.
/// servername must be NULL (this station asks) and domain NULL or empty.
/// With prefmaxlen MAX_PREFERRED_LENGTH every station is returned;
/// otherwise as many as fit, with ERROR_MORE_DATA when some are left out.
/// Returns NERR_Success, ERROR_MORE_DATA, ERROR_INVALID_LEVEL,
/// ERROR_INVALID_PARAMETER (a missing out pointer), ERROR_NOT_SUPPORTED
/// (another server or domain), ERROR_NOT_ENOUGH_MEMORY, or what the
/// station source reports; the system's query reports
/// ERROR_NO_BROWSER_SERVERS_FOUND when it has no socket or no interface
/// and ERROR_NETWORK_UNREACHABLE when the query could not be sent. Its
/// stations come sorted by name; a source's come in the source's order.
WINBASEAPI NET_API_STATUS NET_API_FUNCTION NetServerEnum(LMCSTR servername, DWORD level,
                                                         LPBYTE *bufptr, DWORD prefmaxlen,
                                                         LPDWORD entriesread, LPDWORD totalentries,
                                                         DWORD servertype, LMCSTR domain,
                                                         LPDWORD resume_handle);
/// Gives back a buffer NetServerEnum returned; ERROR_INVALID_PARAMETER for
/// any other pointer.
WINBASEAPI NET_API_STATUS NET_API_FUNCTION NetApiBufferFree(LPVOID Buffer);

#endif
