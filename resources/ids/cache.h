// Resource ids of vq_tbl32's cache.
#ifndef VQ_TBL32_RES_CACHE_H
#define VQ_TBL32_RES_CACHE_H

#endif
