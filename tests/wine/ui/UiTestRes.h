// The test dialog's resource ids, read by the test and by windres.
#define IDD_UI_TEST 100
#define IDC_UI_BUTTON 1001
#define IDC_UI_CHECK 1002
#define IDC_UI_LIST 1003
#define IDC_UI_PROGRESS 1004
#define IDC_UI_TEXT 1005
#define IDC_UI_COMBO 1006
#define IDC_UI_EDIT 1007
#define IDC_UI_SPIN 1008
#define IDC_UI_LISTVIEW 1009
#define IDD_UI_PAGE1 101
#define IDD_UI_PAGE2 102
#define IDC_UI_PAGE_TEXT 1010
