// Resource ids of the File Destruction Warning.
// Read by the C++ code and by windres: #define lines only.
#ifndef BW_ZAP_ZAPWARNINGRES_H
#define BW_ZAP_ZAPWARNINGRES_H

#define IDD_ZAP_WARNING 161
#define IDC_ZAP_WARNING_YES 1071
#define IDC_ZAP_WARNING_NO 1072
#define IDC_ZAP_LIST 1068
#define IDC_ZAP_WARNING_LABEL 1069
#define IDC_ZAP_OVERWRITE 1070

#endif
