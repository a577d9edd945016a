#include "platform/posix/PosixPlatform.h"

namespace bw::posix {
namespace {

// Linux has no call that hands out a volume's allocation bitmap: every answer says so, and the
// caller reads the NTFS $Bitmap file through raw sector reads instead.
class CUnsupportedBitmapHandle final : public IVolumeBitmapHandle {
public:
  uint32_t GetBitmap(uint64_t, uint8_t*) override { return kStatusNotSupported; }
  uint32_t WaitForBitmap() override { return kStatusNotSupported; }
};

} // namespace

std::unique_ptr<IVolumeBitmapHandle> CPosixVolumeBitmap::OpenVolume(char letter) {
  if (!_table.Find(letter))
    return nullptr;
  return std::make_unique<CUnsupportedBitmapHandle>();
}

} // namespace bw::posix
