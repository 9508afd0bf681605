// Ids of the resources of vq_tbl32 and its resource modules, shared by the
// resource scripts and the code that loads them.
#ifndef VQ_TBL32_RESOURCE_H
#define VQ_TBL32_RESOURCE_H

// The library's own string table: captions and texts of numbered boxes.
#define IDS_ERRORTITLE 100
#define IDS_MESSAGETITLE 101
#define IDS_NOTEXT 102
#define IDS_ERRORCAPTION 103
#define IDS_SUBSTERROR 104

// The grid control's own pictures (in vq_tbl32 itself).
#define IDB_GRID_CHECKON 5100
#define IDB_GRID_CHECKOFF 5101
#define IDB_GRID_CHECKUNDET 5102
#define IDB_GRID_STATEOFF 5105
#define IDB_GRID_STATEON 5106
#define IDB_GRID_CHECKON_SEL 5110
#define IDB_GRID_CHECKOFF_SEL 5111
#define IDB_GRID_CHECKUNDET_SEL 5112
#define IDI_GRID 5120
#define IDI_GRID_LINE 5121
#define IDI_GRID_CELL 5122
#define IDC_GRID_COLRESIZE 5130

// Numbered messages of the buffer pool.
#define IDS_MSG_BPOOL_NOMEMORY 200
#define IDS_MSG_BPOOL_NOTLEGAL 210
#define IDS_MSG_BPOOL_NOTFOUND 211

// The ids of each subsystem live in a header of their own.
#include "ids/engine.h"
#include "ids/desc.h"
#include "ids/grid.h"
#include "ids/select.h"
#include "ids/cache.h"
#include "ids/file.h"
#include "ids/sheet.h"
#include "ids/tblfld.h"
#include "ids/browse.h"

#endif
