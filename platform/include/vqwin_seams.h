/*
 * Where the platform kernel meets the host system, and how a test or a host
 * swaps what lies behind it. Every read of the clock and every query of the
 * file system goes through one of these seams, so a test can fix the time
 * or make a path answer "access denied" without touching the real system.
 *
 * This header is the layer's own, not Win32: library code never includes it.
 */
#ifndef VQWIN_SEAMS_H
#define VQWIN_SEAMS_H

#include "windef.h"

/* ---- Clock ------------------------------------------------------------ */

/// The clock behind GetSystemTime, GetLocalTime and GetTickCount. Every
/// function gets the context given with it.
typedef struct VQWIN_CLOCK {
  /// Milliseconds since 1970-01-01 00:00 UTC (negative before).
  LONGLONG (*utcMilliseconds)(void *context);
  /// Seconds to add to UTC to get the local time at the given instant.
  LONG (*localOffsetSeconds)(LONGLONG utcMilliseconds, void *context);
  /// Milliseconds since a fixed start; never decreases.
  ULONGLONG (*tickMilliseconds)(void *context);
  void *context;
} VQWIN_CLOCK;

/// Makes the kernel read `clock` (copied) from now on; NULL, or a clock
/// with a NULL function, brings back the system clock.
WINBASEAPI void WINAPI VqwinSetClock(const VQWIN_CLOCK *clock);

/* ---- File system ------------------------------------------------------ */

/// What the file system tells about one native path.
typedef struct VQWIN_FILE_STATUS {
  BOOL isDirectory;
  /// Some write permission bit is set.
  BOOL isWritable;
} VQWIN_FILE_STATUS;

/// The file system behind the kernel's path queries and file handles.
typedef struct VQWIN_FILE_SYSTEM {
  /// Fills `status` for a native path, following symbolic links. Returns 0,
  /// or the errno value of the failure (ENOENT, ENOTDIR, EACCES, ...).
  int (*status)(const char *nativePath, VQWIN_FILE_STATUS *status, void *context);
  void *context;
  /// Opens a native path with open(2) flags and mode, storing the
  /// descriptor; 0 or an errno value. NULL: the host's open(2).
  int (*open)(const char *nativePath, int flags, int mode, int *descriptor, void *context);
  /// Removes a native file; 0 or an errno value. NULL: the host's unlink(2).
  int (*remove)(const char *nativePath, void *context);
} VQWIN_FILE_SYSTEM;

/// Makes the kernel ask `fileSystem` (copied) from now on; NULL brings back
/// the host's own.
WINBASEAPI void WINAPI VqwinSetFileSystem(const VQWIN_FILE_SYSTEM *fileSystem);

/// Told of each entry a directory search has read, before the entry is
/// asked for its size and times: a test changes the entry in between, as
/// another program may at any moment. `name` is the native (UTF-8) name.
typedef void (*VQWIN_SEARCH_HOOK)(const char *nativeDirectory, const char *name, void *context);

/// Makes the directory searches call `hook` from now on; NULL: no hook.
WINBASEAPI void WINAPI VqwinSetSearchHook(VQWIN_SEARCH_HOOK hook, void *context);

/* ---- Drives ----------------------------------------------------------- */

/// Maps the drive letter (either case) to a native directory; "" makes the
/// drive absent, NULL brings back the default: the environment variable
/// VQWIN_DRIVE_<letter> (for instance VQWIN_DRIVE_D=/srv/data) when set,
/// else "/" for C: and nothing for the other letters. Returns FALSE for a
/// character that is no letter.
WINBASEAPI BOOL WINAPI VqwinSetDriveRoot(char letter, const char *root);

/// Where the drive functions learn about mounts and devices: the mount
/// table (lines as in /proc/self/mounts: source, mount point, file system,
/// options), the block device tree (/sys/block: a folder per disk with its
/// "removable", "size" and "stat" files and a folder per partition with
/// "size" and "stat") and the folder of volume labels (/dev/disk/by-label:
/// one symbolic link per label to its device). A NULL member keeps the
/// system's.
typedef struct VQWIN_MOUNT_TABLE {
  const char *mountsFile;
  const char *blockDevices;
  const char *labels;
} VQWIN_MOUNT_TABLE;

/// Makes the drive functions read `table` (copied, the texts too) from now
/// on; NULL brings back the system's.
WINBASEAPI void WINAPI VqwinSetMountTable(const VQWIN_MOUNT_TABLE *table);

/* ---- Network stations ------------------------------------------------- */

/// One station of the network as NetServerEnum reports it.
typedef struct VQWIN_STATION {
  const char *name; ///< UTF-8
  DWORD platformId; ///< PLATFORM_ID_NT, ...
  DWORD versionMajor;
  DWORD versionMinor;
  DWORD type;          ///< SV_TYPE_* bits
  const char *comment; ///< UTF-8, may be NULL
} VQWIN_STATION;

/// Where NetServerEnum finds the stations. `list` sets *stations to an
/// array of *count stations that stays valid until the next call, and
/// returns 0 or the NET_API_STATUS of its failure.
typedef struct VQWIN_STATION_SOURCE {
  DWORD (*list)(const VQWIN_STATION **stations, DWORD *count, void *context);
  void *context;
} VQWIN_STATION_SOURCE;

/// Makes "NetApi32.dll" available with `source` (copied) behind
/// NetServerEnum, in place of the system's own query; NULL (the default)
/// brings back the system's: the module then exists only while the query
/// below has somewhere to go.
WINBASEAPI void WINAPI VqwinSetStationSource(const VQWIN_STATION_SOURCE *source);

/// How the system finds stations without a set source: one DNS-SD query
/// over multicast DNS for file sharing ("_smb._tcp.local", SV_TYPE_SERVER)
/// and workstations ("_workstation._tcp.local", SV_TYPE_WORKSTATION), sent
/// from an ephemeral port to 224.0.0.251 port 5353 on every interface that
/// is up, not loopback and multicast-capable, with the answers collected
/// until a quiet spell passes or the limit is reached. "NetApi32.dll"
/// exists only while there is such an interface.
typedef struct VQWIN_STATION_QUERY {
  /// IPv4 address in dotted form the query goes to instead, whatever the
  /// interfaces (the module then exists); NULL: the multicast group.
  const char *address;
  /// Port of the responders; 0: 5353. Answers from other ports are ignored.
  WORD port;
  /// Milliseconds to wait after the last new answer; 0: 300.
  DWORD quietMilliseconds;
  /// Milliseconds to wait at most from the query on; 0: 1500.
  DWORD limitMilliseconds;
  /// TRUE: as if the system had no interface to ask on, so the module is
  /// absent (unless a source is set).
  BOOL noInterfaces;
} VQWIN_STATION_QUERY;

/// Makes the system's station query follow `query` (copied, the text too)
/// from now on; NULL brings back the defaults.
WINBASEAPI void WINAPI VqwinSetStationQuery(const VQWIN_STATION_QUERY *query);

#endif
