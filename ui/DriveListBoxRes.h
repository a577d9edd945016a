// Resource ids of the drive list control's pictures (16 x 16 icons), read by windres too.
#ifndef BW_UI_DRIVELISTBOXRES_H
#define BW_UI_DRIVELISTBOXRES_H

#define IDI_NO_DRIVE_ICON 131 // a generic window, for a drive the shell has no picture of
#define IDI_CHECKED 132       // the red check mark
#define IDI_UNCHECKED 133     // see-through: an empty place where the mark would be

#endif
