#include "ui/MessagePump.h"

#include "engine/JobControl.h"

namespace bw::ui {

bool PumpOneMessage(IJobControl* job) {
  MSG message;
  if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    return true;
  if (message.message == WM_QUIT) {
    ::PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  if (message.message == WM_CHAR && message.wParam == VK_RETURN && job && job->OnEnter())
    return true;
  ::TranslateMessage(&message);
  ::DispatchMessageA(&message);
  return true;
}

} // namespace bw::ui
