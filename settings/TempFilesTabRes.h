// Resource ids of the Temp Files page.
// Read by the C++ code and by windres: #define lines only.
#ifndef BW_SETTINGS_TEMPFILESTABRES_H
#define BW_SETTINGS_TEMPFILESTABRES_H

#define IDD_TEMP_FILES_TAB 191
#define IDC_EMPTY_RECYCLE_BIN 1007
#define IDC_TEMP_FOLDER 1152
#define IDC_EMPTY_TEMP_FOLDER 1153
#define IDC_EMPTY_SPOOL_FOLDER 1154
#define IDC_SPOOL_FOLDER 1155

#endif
