// Resource ids of vq_tbl32's grid.
#ifndef VQ_TBL32_RES_GRID_H
#define VQ_TBL32_RES_GRID_H

#endif
