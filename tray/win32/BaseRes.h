// Resource ids of Blankwright Base.exe, read by the C++ code and by windres.
#ifndef BW_TRAY_BASERES_H
#define BW_TRAY_BASERES_H

#define IDR_MAINFRAME 130 // the tray menu and its item pictures
#define IDI_TRAY 139      // the tray icon
#define IDB_SPLASH_16 232 // the splash picture for screens of fewer than 256 colours
#define IDB_SPLASH_256 234
#define IDA_CLEANING 157

// The tray menu's commands.
#define ID_APP_ABOUT 32771
#define ID_SHUTDOWN 32772
#define ID_CONFIGURATION 32773
#define ID_APP_EXIT 32774
#define ID_HELP_INDEX 32777
#define ID_SCAN_DRIVES 32778

// Icons of the dialogs around a cleaning job.
#define IDI_PROGRAM 128        // the program's mark
#define IDI_SHUTDOWN 140       // the shut-down button
#define IDI_NOT_CLEANED 160    // a warning: some drives were not cleaned
#define IDI_TAKES_TIME 167     // an hourglass
#define IDI_CLOSE_PROGRAMS 221 // program windows crossed out

// The dialogs around a cleaning job and their controls.
#define IDD_SHUTDOWN 102
#define IDD_CLOSE_PROGRAMS 138
#define IDD_SCHEDULED_CLEANING 148
#define IDD_CLEANING_REPORT 218
#define IDD_CLEANING_DONE 219
#define IDC_SWAP_FILE 1001
#define IDC_SHUTDOWN_AND_CLEAN 1003
#define IDC_DRIVES 1059
#define IDC_COUNTDOWN_TITLE 1090
#define IDC_COUNTDOWN 1091
#define IDC_CLEANED 1163
#define IDC_NOT_CLEANED 1164
#define IDC_VERIFIED 1165 // the check's lines after a verified cleaning, hidden otherwise

// The cleaning dialog's controls (its id and the shut-down icon's are in CleaningDialogRes.h).
#define IDC_CLEANING_PROGRESS 1093
#define IDC_CLEANING_DETAIL 1094
#define IDC_CLEANING_PROCESS 1095
#define IDC_CLEANING_ANIMATION 1102
#define IDC_CLEANING_CANCEL 1167

#endif
