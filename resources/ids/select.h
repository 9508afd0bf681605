// Resource ids of vq_tbl32's select.
#ifndef VQ_TBL32_RES_SELECT_H
#define VQ_TBL32_RES_SELECT_H

#endif
