// Resource ids of vq_tbl32's selection language: the numbered messages of
// parsing a selection text (every text but 700 quotes the text concerned)
// and of resolving it against a table or a field callback, and the
// selection dialog.
#ifndef VQ_TBL32_RES_SELECT_H
#define VQ_TBL32_RES_SELECT_H

#define IDS_MSG_SEL_NOMEMORY 700       // no arguments
#define IDS_MSG_SEL_MISSINGQUOTE 710   // quote character, excerpt
#define IDS_MSG_SEL_SYNTAX 711         // excerpt
#define IDS_MSG_SEL_TOKENTOOLONG 712   // longest token allowed, excerpt
#define IDS_MSG_SEL_MISSINGPAREN 720   // excerpt
#define IDS_MSG_SEL_NOCOLUMN 721       // excerpt
#define IDS_MSG_SEL_NOOPERATOR 722     // excerpt
#define IDS_MSG_SEL_NOOPERATORNAME 723 // excerpt
#define IDS_MSG_SEL_NOVALUE 724        // excerpt
#define IDS_MSG_SEL_NOVALUENAME 725    // excerpt
#define IDS_MSG_SEL_TOOMANYTERMS 726   // most terms allowed, excerpt
#define IDS_MSG_SEL_TOODEEP 727        // deepest nesting allowed, excerpt
#define IDS_MSG_SEL_NOLOGICAL 730      // excerpt
#define IDS_MSG_SEL_BADLOGICAL 731     // token, excerpt
#define IDS_MSG_SEL_BADCOMPARISON 732  // token, excerpt
#define IDS_MSG_SEL_NOFIELD 740        // column
#define IDS_MSG_SEL_NOPATTERN 741      // column
#define IDS_MSG_SEL_ORDERJOKERS 742    // comparison operator, value
#define IDS_MSG_SEL_ORDERTEXT 743      // comparison operator, value
#define IDS_MSG_SEL_DATEENCODING 745   // column, encode type
#define IDS_MSG_SEL_DECENCODING 746    // column, encode type

// The selection dialog: its template, controls and the list's headers.
#define IDS_SEL_COLUMN 800
#define IDS_SEL_OPERATOR 801
#define IDS_SEL_VALUE 802
#define IDD_SELECTION 5000
#define IDC_SEL_LIST 5001
#define IDC_SEL_TEXT 5002
#define IDC_SEL_CHECK 5003
#define IDC_SEL_OK 5004
#define IDC_SEL_CANCEL 5005

#endif
