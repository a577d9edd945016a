// Resource ids of the Cleaning dialog.
// Read by the C++ code and by windres: #define lines only.
#ifndef BW_ENGINE_CLEANINGDIALOGRES_H
#define BW_ENGINE_CLEANINGDIALOGRES_H

#define IDD_CLEANING 149
#define IDC_SHUTDOWN_ICON 1003

#endif
