// Resource ids of vq_tbl32's drive and network browsing: numbered messages.
#ifndef VQ_TBL32_RES_BROWSE_H
#define VQ_TBL32_RES_BROWSE_H

// CVQNetwork (300s).
#define IDS_MSG_NET_NOLIBRARY 300  // NetApi32.dll is not loaded
#define IDS_MSG_NET_NOFUNCTION 301 // a function is missing: its name
#define IDS_MSG_NET_ENUMERROR 302  // NetServerEnum failed: its result
#define IDS_MSG_NET_NOMEMORY 303   // no memory for the station table

// CVQWorkstation (400s).
#define IDS_MSG_WS_NODRIVES 400   // no logical drives: the station
#define IDS_MSG_WS_NOMEMORY 401   // no memory: number of drive records
#define IDS_MSG_WS_DRIVETYPE 402  // unknown drive type: type, root
#define IDS_MSG_WS_VOLUME 410     // volume cannot be read: root, error code
#define IDS_MSG_WS_CONNECTION 420 // network connection unknown: drive, error code

#endif
