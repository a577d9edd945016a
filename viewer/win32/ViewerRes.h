// Resource ids of Blankwright Drive Viewer.exe, read by the C++ code and by windres.
#pragma once

#include "ui/AboutBoxRes.h"
#include "viewer/ScanReportRes.h"

#define IDD_VIEWER 102
#define IDI_VIEWER 128

// The system menu's About item (a system command: the low four bits stay clear).
#define IDM_ABOUTBOX 16

// The viewer window's controls.
#define IDC_INTRO 1000
#define IDC_REMOVES_LINE 1001
#define IDC_WEB_LINE 1002
#define IDC_DRIVE_LIST 1003
#define IDC_BEGIN_SCAN 1004
#define IDC_CANCEL_SCAN 1005
#define IDC_CLEAN_DRIVE 1006
#define IDC_CLOSE 1007
#define IDC_HELP_BUTTON 1008
#define IDC_CLUSTER_SIZE 1010
#define IDC_FREE_SPACE 1011
#define IDC_DRIVE_FORMAT 1012
#define IDC_VALID_CLUSTERS 1013
#define IDC_READ_TO 1014
#define IDC_DELETED_CLUSTERS 1015
#define IDC_CLUSTER_LIST 1020
#define IDC_TEXT_DISPLAY 1021
#define IDC_HEX_DISPLAY 1022
#define IDC_DATA_DISPLAY 1023

// The report dialogs' controls.
#define IDC_REPORT_HEADING 1100
#define IDC_REPORT_PERCENTAGE 1101
#define IDC_REPORT_CLUSTERS 1102
#define IDC_REPORT_SIZE 1103
#define IDC_REPORT_LIST_NOTE 1104
