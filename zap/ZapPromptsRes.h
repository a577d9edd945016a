// Resource ids of the three confirmation dialogs of a zap (file, folder, compressed file),
// which share their buttons.
// Read by the C++ code and by windres: #define lines only.
#ifndef BW_ZAP_ZAPPROMPTSRES_H
#define BW_ZAP_ZAPPROMPTSRES_H

#define IDD_ZAP_CONFIRM 162
#define IDD_FOLDER_CONFIRM 163
#define IDD_COMPRESSED_CONFIRM 229
#define IDC_PROMPT_YES_TO_ALL 1073
#define IDC_PROMPT_YES 1074
#define IDC_PROMPT_ABORT 1076
#define IDC_PROMPT_NO 1077
#define IDC_PROMPT_NAME 1078
#define IDC_PROMPT_QUESTION 1079
#define IDC_PROMPT_FINAL 1080
#define IDI_PROMPT_FILE 163
#define IDI_PROMPT_FOLDER 164

#endif
