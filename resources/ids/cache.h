// Resource ids of vq_tbl32's record cache: its numbered messages.
#ifndef VQ_TBL32_RES_CACHE_H
#define VQ_TBL32_RES_CACHE_H

// The buffer block of the cache cannot be had: buffer count, record size.
#define IDS_MSG_CACHE_NOMEMORY 1600

#endif
