// Ids of the context tests' resource module.
#define IDS_FILE_MISSING 7000
#define IDS_WRONG_KIND 7001
#define IDS_BAD_DIRECTIVE 7002
#define IDS_QUESTION 7003
#define IDS_LEFT 7100
#define IDS_MIDDLE 7101
#define IDS_RIGHT 7102
#define IDD_CHOOSE 7500
#define IDC_CHOICES 7501
#define IDC_TAKE 7502
