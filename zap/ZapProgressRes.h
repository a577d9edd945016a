// Resource ids of the Zapping Progress dialog.
// Read by the C++ code and by windres: #define lines only.
#ifndef BW_ZAP_ZAPPROGRESSRES_H
#define BW_ZAP_ZAPPROGRESSRES_H

#define IDD_ZAP_PROGRESS 160
#define IDA_ZAPPING 169
#define IDC_ZAP_ANIMATION 1081
#define IDC_ZAP_PATH 1082
#define IDC_ZAP_PASS 1083
#define IDC_ZAP_PROGRESS 1084
#define IDC_ZAP_CANCEL 1085

#endif
