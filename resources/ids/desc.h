// Resource ids of vq_tbl32's desc.
#ifndef VQ_TBL32_RES_DESC_H
#define VQ_TBL32_RES_DESC_H

#endif
