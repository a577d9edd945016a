// Resource ids of the two Deleted Data Report dialogs.
// Read by the C++ code and by windres: #define lines only.
#ifndef BW_VIEWER_SCANREPORTRES_H
#define BW_VIEWER_SCANREPORTRES_H

#define IDD_REPORT_WITH_NOTE 130
#define IDD_REPORT 132

#endif
