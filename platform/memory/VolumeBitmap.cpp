#include "platform/memory/MemoryPlatform.h"

#include <cctype>

namespace bw::memory {
namespace {

class CMemoryBitmapHandle final : public IVolumeBitmapHandle {
public:
  explicit CMemoryBitmapHandle(CMemoryVolumeBitmap& owner) : _owner(owner) {}
  uint32_t GetBitmap(uint64_t startingCluster, uint8_t* buffer) override {
    _owner.Queries.push_back(startingCluster);
    return _owner.OnGetBitmap ? _owner.OnGetBitmap(startingCluster, buffer) : kStatusNotSupported;
  }
  uint32_t WaitForBitmap() override {
    ++_owner.Waits;
    return _owner.PendingResult;
  }

private:
  CMemoryVolumeBitmap& _owner;
};

} // namespace

std::unique_ptr<IVolumeBitmapHandle> CMemoryVolumeBitmap::OpenVolume(char letter) {
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  ++Opens;
  if (Unopenable.count(letter))
    return nullptr;
  return std::make_unique<CMemoryBitmapHandle>(*this);
}

} // namespace bw::memory
