// Ids of the test resource script.
#define IDD_SELECT 5000
#define IDC_SEL_LIST 5001
#define IDC_SEL_TEXT 5002
#define IDC_SEL_CHECK 5003
#define IDC_SEL_OK 5004
#define IDC_SEL_CANCEL 5005
#define IDD_CONTROLS 5300
#define IDC_POINTER 5130
#define IDI_APP 5120
#define IDB_CHECK 5100
#define IDB_RAMP 5105
#define IDS_BOTH 300
#define IDS_GERMAN_ONLY 301
#define IDS_NEUTRAL 317
#define IDS_LONG 318
