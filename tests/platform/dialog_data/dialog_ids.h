// Ids of the dialog tests' templates and controls.
#define IDD_FORM 100
#define IDD_BROKEN 101
#define IDC_LABEL 1000
#define IDC_ACTIVE 1001
#define IDC_MANUAL 1002
#define IDC_APPLY 1003
#define IDC_NUMBER 1004
#define IDD_GROUP 102
#define IDC_ONE 1010
#define IDC_TWO 1011
#define IDC_THREE 1012
#define IDC_SINK 1013
#define IDD_PICK 103
#define IDC_EDIT 1020
#define IDC_LIST 1021
