#include "platform/MessageBox.h"

namespace bw {

int DefaultMessageBoxAnswer(uint32_t style) {
  switch (style & kMbButtonMask) {
  case kMbOkCancel:
  case kMbRetryCancel:
  case kMbYesNoCancel:
    return kIdCancel;
  case kMbAbortRetryIgnore:
    return kIdAbort;
  case kMbYesNo:
    return kIdNo;
  default:
    return kIdOk;
  }
}

} // namespace bw
