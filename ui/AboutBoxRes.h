// The About box's resource ids, read by the C++ code and by windres.
#pragma once

#define IDD_ABOUTBOX 144
#define IDC_ABOUT_NAME 1200
#define IDC_ABOUT_VERSION 1201
