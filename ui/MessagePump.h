// The one message pump step the job dialogs share: a long job runs on the user-interface thread
// and calls this between its units of work, so that the window repaints, its Cancel button and
// close box work, and the tray program's other handlers run.
#pragma once

#include "ui/Window.h"

namespace bw {
class IJobControl;
}

namespace bw::ui {

/// Takes one message off the thread's queue, if there is one, and handles it: Enter (WM_CHAR
/// 13) goes to job first, as Cancel while it runs; everything else is translated and
/// dispatched. Returns false when the message was WM_QUIT, which it puts back for the
/// outer loop.
bool PumpOneMessage(IJobControl* job);

} // namespace bw::ui
