// Ids of the property sheet test's page templates and strings.
#define IDD_PAGE_NAME 300
#define IDD_PAGE_SIZE 301
#define IDD_PAGE_MORE 302
#define IDC_NAME 310
#define IDC_SIZE 311
#define IDC_MORE 312
#define IDC_FILL 313
#define IDS_SHEET 320
#define IDS_SIZE 321
