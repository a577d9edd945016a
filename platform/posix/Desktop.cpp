// The Linux desktop raises no disk-space notices and no busy-program prompt: CPosixDesktop's
// operations are inline no-ops. This unit keeps the file layout parallel to win32/.
#include "platform/posix/PosixPlatform.h"
