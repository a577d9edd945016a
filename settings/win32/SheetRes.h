// Resource ids of the configuration sheet's pages and dialogs beyond those of the portable page
// models' headers. Read by the C++ code and by windres: #define lines only.
#ifndef BW_SETTINGS_WIN32_SHEETRES_H
#define BW_SETTINGS_WIN32_SHEETRES_H

// Cleaning Schedule page.
#define IDC_SCHEDULE_DRIVES 1059
#define IDC_CLEAN_SELECTED_DRIVES 1069
#define IDC_DRIVES_LABEL 1106
// Per weekday: check box, hour, minute and AM/PM edits, and their three spins.
#define IDC_MON_CHECK 1060
#define IDC_MON_HOUR 1061
#define IDC_MON_MINUTE 1007
#define IDC_MON_AMPM 1010
#define IDC_MON_HOUR_SPIN 1033
#define IDC_MON_MINUTE_SPIN 1040
#define IDC_MON_AMPM_SPIN 1047
#define IDC_TUE_CHECK 1001
#define IDC_TUE_HOUR 1013
#define IDC_TUE_MINUTE 1019
#define IDC_TUE_AMPM 1025
#define IDC_TUE_HOUR_SPIN 1034
#define IDC_TUE_MINUTE_SPIN 1041
#define IDC_TUE_AMPM_SPIN 1048
#define IDC_WED_CHECK 1002
#define IDC_WED_HOUR 1014
#define IDC_WED_MINUTE 1020
#define IDC_WED_AMPM 1026
#define IDC_WED_HOUR_SPIN 1035
#define IDC_WED_MINUTE_SPIN 1042
#define IDC_WED_AMPM_SPIN 1049
#define IDC_THU_CHECK 1011
#define IDC_THU_HOUR 1015
#define IDC_THU_MINUTE 1021
#define IDC_THU_AMPM 1027
#define IDC_THU_HOUR_SPIN 1036
#define IDC_THU_MINUTE_SPIN 1043
#define IDC_THU_AMPM_SPIN 1050
#define IDC_FRI_CHECK 1012
#define IDC_FRI_HOUR 1016
#define IDC_FRI_MINUTE 1022
#define IDC_FRI_AMPM 1028
#define IDC_FRI_HOUR_SPIN 1037
#define IDC_FRI_MINUTE_SPIN 1044
#define IDC_FRI_AMPM_SPIN 1051
#define IDC_SAT_CHECK 1031
#define IDC_SAT_HOUR 1017
#define IDC_SAT_MINUTE 1023
#define IDC_SAT_AMPM 1029
#define IDC_SAT_HOUR_SPIN 1038
#define IDC_SAT_MINUTE_SPIN 1045
#define IDC_SAT_AMPM_SPIN 1052
#define IDC_SUN_CHECK 1032
#define IDC_SUN_HOUR 1018
#define IDC_SUN_MINUTE 1024
#define IDC_SUN_AMPM 1030
#define IDC_SUN_HOUR_SPIN 1039
#define IDC_SUN_MINUTE_SPIN 1046
#define IDC_SUN_AMPM_SPIN 1053

// General page.
#define IDC_ADVANCED 1178
#define IDC_CREATE_SHORTCUT 1173
#define IDI_OVERWRITES 162
#define IDI_NAMES 224
#define IDI_SLACK 174
#define IDI_STARTUP 168
#define IDI_DESKTOP_ZAP 136

// Temp Files page.
#define IDI_RECYCLE_BIN 193
#define IDI_TEMP_FOLDER 192
#define IDI_SPOOL_FOLDER 166

// Advanced Overwrites.
#define IDD_ADVANCED_OVERWRITES 228
#define IDC_LEVEL_1 1179
#define IDC_LEVEL_2 1009
#define IDC_LEVEL_3 1182
#define IDC_LEVEL_4 1183
#define IDC_LEVEL_5 1184

// Swap File Path.
#define IDD_SWAP_FILE_PATH 141
#define IDC_SWAP_PATH 1003
#define IDC_SWAP_BROWSE 1004

#endif
