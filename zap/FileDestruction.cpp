// File destruction: the file is written over from its start to a whole number of rounding
// units, N times with the alternating pass bytes, and then deleted. The deletion runs also
// after a cancel and after a failed open, so that a file the user chose never stays whole
// under its name. Only a file whose own bytes could not be written over is kept: deleted, its
// data would stay on the disk while the zap looked done, and kept, the user can zap it again.
#include "engine/OverwritePasses.h"
#include "zap/ZapJob.h"
#include "zap/ZapText.h"

#include <algorithm>

namespace bw {

void CZapJob::DestroyFile(const FindData& data, bool overwrite) {
  const uint64_t size = data.Size;
  if (size != 0 && overwrite) {
    const uint64_t unit = _roundingUnit ? _roundingUnit : kZapWriteSize;
    const uint64_t clusters = size / unit + (size % unit ? 1 : 0);
    const uint64_t paddedSize = clusters * unit;
    const uint64_t chunks = paddedSize / kZapWriteSize + (paddedSize % kZapWriteSize ? 1 : 0);
    _progress.Start(chunks);
    uint32_t writes = 0; // counted across the passes, for the flush every 70 writes
    const uint32_t passes = PassCount();
    for (uint32_t pass = 1; pass <= passes; ++pass) {
      PassEnd end = OverwritePass(pass, passes, size, paddedSize, writes);
      if (end == PassEnd::NotOverwritten)
        return;
      if (end == PassEnd::Stopped || _cancelled)
        break;
    }
  }
  _platform.Files().ShellDelete(_current.Access);
  if (!_cancelled)
    SetBar(100);
}

CZapJob::PassEnd CZapJob::NotOverwritten(IFile& file) {
  file.Close();
  ShowMessage(Fill("File %s could not be overwritten.  Canceling operation.", _current.Shown),
              "File Error", kMbOk | kMbIconError);
  Cancel();
  return PassEnd::NotOverwritten;
}

CZapJob::PassEnd CZapJob::OverwritePass(uint32_t pass, uint32_t passes, uint64_t size,
                                        uint64_t paddedSize, uint32_t& writes) {
  SetPass(PassText(pass, passes));
  SetBar(0);
  _progress.Restart();
  // Past the cache, so that each pass reaches the disk rather than replacing the last one in
  // memory; what does not fit the platform's alignment (a short tail) is written cached.
  auto file = _platform.Files().CreateFile(_current.Access, kGenericWrite, 0, kOpenExisting,
                                           kFileAttributeNormal | kFileFlagNoBuffering);
  if (!file) {
    ShowMessage(Fill("File %s could not be accessed.  It may be in use by another program.",
                     _current.Shown),
                "File Error", kMbOk | kMbIconError);
    Cancel();
    return PassEnd::Stopped;
  }
  // A pass that did not start at the file's first byte would leave its start as it was.
  uint64_t position = 0;
  if (!file->Seek(0, SeekOrigin::Begin, position) || position != 0)
    return NotOverwritten(*file);
  const uint8_t* bytes = _buffers.ForPass(pass);
  uint64_t offset = 0;
  while (offset < paddedSize) {
    Pump();
    if (_cancelled)
      break;
    const uint32_t chunk =
        static_cast<uint32_t>(std::min<uint64_t>(paddedSize - offset, kZapWriteSize));
    uint32_t written = 0;
    file->Write(bytes, chunk, written);
    if (written < chunk) {
      // A full disk refuses the padding past the file's end (NTFS the whole write with it).
      // The file's own bytes fit in its own clusters: write those alone; the rest of the
      // padding cannot fit either. Only a retry that reached every one of them counts.
      const uint64_t ownEnd = std::min<uint64_t>(size, offset + chunk);
      if (offset + written < ownEnd) {
        const uint32_t own = static_cast<uint32_t>(ownEnd - offset);
        uint32_t again = 0;
        if (!file->Seek(static_cast<int64_t>(offset), SeekOrigin::Begin, position) ||
            position != offset || !file->Write(bytes, own, again) || again < own)
          return NotOverwritten(*file);
      }
      break;
    }
    offset += chunk;
    _progress.Advance();
    if (++writes % kZapFlushEvery == 0)
      file->Flush();
  }
  file->Flush();
  file->Close();
  if (!_cancelled)
    SetBar(100);
  return PassEnd::Done;
}

} // namespace bw
