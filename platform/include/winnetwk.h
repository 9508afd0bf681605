/*
 * Network connections of drives: which remote share a drive letter stands
 * for. A drive is connected when its mount is a network file system; the
 * remote name is written as Win32 writes it, "\\server\share\path".
 */
#ifndef VQWIN_WINNETWK_H
#define VQWIN_WINNETWK_H

#include "windef.h"

/// The remote name of the network drive lpLocalName ("X:"), for example
/// "\\server\export\home" for an NFS mount of server:/export/home or
/// "\\fileserver\public" for a CIFS mount of //fileserver/public; a drive
/// that stands for a folder inside the mount gets the folder's part behind
/// it. Returns NO_ERROR, ERROR_BAD_DEVICE (no drive name, or no such
/// drive), ERROR_NOT_CONNECTED (a local drive), ERROR_INVALID_PARAMETER (no
/// buffer or length) or ERROR_MORE_DATA, which sets *lpnLength to the size
/// needed with the terminator.
WINBASEAPI DWORD WINAPI WNetGetConnectionA(LPCSTR lpLocalName, LPSTR lpRemoteName,
                                           LPDWORD lpnLength);

#endif
