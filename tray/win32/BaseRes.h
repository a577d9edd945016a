// Resource ids of Blankwright Base.exe, read by the C++ code and by windres.
#pragma once

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
