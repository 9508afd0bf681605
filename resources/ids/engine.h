// Resource ids of vq_tbl32's engine.
#ifndef VQ_TBL32_RES_ENGINE_H
#define VQ_TBL32_RES_ENGINE_H

#endif
