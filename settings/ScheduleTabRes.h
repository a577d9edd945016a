// Resource ids of the Schedule page.
// Read by the C++ code and by windres: #define lines only.
#ifndef BW_SETTINGS_SCHEDULETABRES_H
#define BW_SETTINGS_SCHEDULETABRES_H

#define IDD_SCHEDULE_TAB 137
#define IDC_SCHEDULE_ENABLED 1074
#define IDC_CLEAN_AT_LOGOUT 1161

#endif
