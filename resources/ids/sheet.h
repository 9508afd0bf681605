// Resource ids of vq_tbl32's table description property sheet: its page
// and option dialog templates, their controls, the captions, the grid
// column headers, the names of the gallery codes and the questions and
// failures of the sheet (1700s).
#ifndef VQ_TBL32_RES_SHEET_H
#define VQ_TBL32_RES_SHEET_H

// Numbered messages of the sheet.
#define IDS_MSG_SHEET_FAILED 1701    // last error
#define IDS_MSG_SHEET_DELFIELD 1710  // field name
#define IDS_MSG_SHEET_DELLINE 1711   // line number (from 1)
#define IDS_MSG_SHEET_DELENTRY 1712  // key or image number (from 1)
#define IDS_MSG_SHEET_PARTCOUNT 1713 // part count, key number (from 1)

// Captions of the sheet and its pages.
#define IDS_SHEET_CAPTION 2710
#define IDS_SHEET_FIELDS 2711
#define IDS_SHEET_KEYS 2712
#define IDS_SHEET_GALLERY 2713

// Column headers of the fields grid (2720-2731), the keys grid (2740-2748)
// and the gallery grid (2750).
#define IDS_COL_FIELD_NUMBER 2720
#define IDS_COL_FIELD_NAME 2721
#define IDS_COL_FIELD_ENCODE 2722
#define IDS_COL_FIELD_OFFSET 2723
#define IDS_COL_FIELD_SIZE 2724
#define IDS_COL_FIELD_CONTENT 2725
#define IDS_COL_FIELD_CONTENTFMT 2726
#define IDS_COL_FIELD_DATAJUST 2727
#define IDS_COL_FIELD_DISPLAY 2728
#define IDS_COL_FIELD_DISPLAYFMT 2729
#define IDS_COL_FIELD_DISPJUST 2730
#define IDS_COL_FIELD_WIDTH 2731
#define IDS_COL_KEY_NUMBER 2740
#define IDS_COL_KEY_ATTR1 2741
#define IDS_COL_KEY_ATTR2 2742
#define IDS_COL_KEY_ATTR3 2743
#define IDS_COL_KEY_ATTR4 2744
#define IDS_COL_KEY_ATTR5 2745
#define IDS_COL_KEY_PARTS 2746
#define IDS_COL_KEY_TYPE 2747
#define IDS_COL_KEY_FIELD 2748
#define IDS_COL_IMAGE_NAME 2750

// Names of the gallery layouts (2800 + code) and dia modes (2900 + code).
#define IDS_GALL_LAYOUT_0 2800
#define IDS_GALL_LAYOUT_1 2801
#define IDS_GALL_LAYOUT_2 2802
#define IDS_GALL_LAYOUT_3 2803
#define IDS_GALL_LAYOUT_4 2804
#define IDS_GALL_LAYOUT_5 2805
#define IDS_GALL_LAYOUT_6 2806
#define IDS_GALL_LAYOUT_7 2807
#define IDS_GALL_LAYOUT_8 2808
#define IDS_GALL_DIAMODE_0 2900
#define IDS_GALL_DIAMODE_1 2901
#define IDS_GALL_DIAMODE_2 2902
#define IDS_GALL_DIAMODE_3 2903

// Templates: the three pages and the three option dialogs.
#define IDD_SHEET_FIELDS 5300
#define IDD_SHEET_KEYS 5310
#define IDD_SHEET_GALLERY 5320
#define IDD_OPT_NUMBER 5330
#define IDD_OPT_DECIMAL 5340
#define IDD_OPT_DATETIME 5350

// Controls. The grids share numbers with templates of other kinds only.
#define IDC_SHEET_FIELDGRID 5300
#define IDC_SHEET_KEYGRID 5320
#define IDC_SHEET_IMAGEGRID 5340
#define IDC_OPT_DATEFMT 5360
#define IDC_OPT_TIMEFMT 5361
#define IDC_SHEET_LAYOUT 5362
#define IDC_SHEET_DIAMODE 5363
#define IDC_OPT_OK 5370
#define IDC_OPT_CANCEL 5371
#define IDC_SHEET_APPEND 5372
#define IDC_SHEET_INSERT 5373
#define IDC_SHEET_DELETE 5374
#define IDC_SHEET_PRINT 5375
#define IDC_OPT_SIGNED 5380
#define IDC_OPT_ZEROS 5381
#define IDC_OPT_GROUPING 5382
#define IDC_OPT_COMMA 5383
#define IDC_OPT_SPIN 5384
#define IDC_OPT_DECIMALS 5385
#define IDC_OPT_DATE 5386
#define IDC_OPT_TIME 5387
#define IDC_SHEET_NAME 5390
#define IDC_SHEET_WIDTH 5391
#define IDC_SHEET_RECSIZE 5392
#define IDC_SHEET_DIAWIDTH 5393
#define IDC_SHEET_DIAHEIGHT 5394

#endif
