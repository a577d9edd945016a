// Resource ids of the Security page.
// Read by the C++ code and by windres: #define lines only.
#ifndef BW_SETTINGS_SECURITYTABRES_H
#define BW_SETTINGS_SECURITYTABRES_H

#define IDD_SECURITY_TAB 140
#define IDC_CLEAN_FILE_NAMES 1000
#define IDC_SLACK_STANDARD 1009
#define IDC_OVERWRITES_TEXT 1049
#define IDC_SLACK_QUICK 1160
#define IDC_START_WITH_WINDOWS 1176
#define IDC_VERIFY_AFTER_CLEANING 1300

#endif
