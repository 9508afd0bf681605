// Resource ids of vq_tbl32's list-view field and key description sets:
// their numbered messages, the names of the justifications and the column
// headers of the printed field list.
#ifndef VQ_TBL32_RES_TBLFLD_H
#define VQ_TBL32_RES_TBLFLD_H

// Field description set: keyword, file name.
#define IDS_MSG_TBLFLD_NOKEYWORD 500
// count of records.
#define IDS_MSG_TBLFLD_NOMEMORY 501
// error number, file name.
#define IDS_MSG_TBLFLD_READERROR 510
// field number (from 1) in the rest.
#define IDS_MSG_TBLFLD_FEWNUMBERS 511
#define IDS_MSG_TBLFLD_NONAME 512
#define IDS_MSG_TBLFLD_BADJUST 513
#define IDS_MSG_TBLFLD_INSERTCOLUMN 520
// line number (from 1).
#define IDS_MSG_TBLFLD_INSERTITEM 530
#define IDS_MSG_TBLFLD_EMPTY 550
#define IDS_MSG_TBLFLD_BADTYPE 551
#define IDS_MSG_TBLFLD_NOLENGTH 552
#define IDS_MSG_TBLFLD_NOFIELDNAME 553

// Names of the justifications (lbJustTypes); 593 any other value.
#define IDS_TBLJUST_LEFT 590
#define IDS_TBLJUST_MIDDLE 591
#define IDS_TBLJUST_RIGHT 592
#define IDS_TBLJUST_OTHER 593

// Key description set: count of records.
#define IDS_MSG_TBLKEY_NOMEMORY 601

// Column headers of the printed field list.
#define IDS_TBLFLD_COL_NAME 2000
#define IDS_TBLFLD_COL_POSITION 2001
#define IDS_TBLFLD_COL_LENGTH 2002
#define IDS_TBLFLD_COL_TYPE 2003
#define IDS_TBLFLD_COL_WIDTH 2004
#define IDS_TBLFLD_COL_JUST 2005

#endif
