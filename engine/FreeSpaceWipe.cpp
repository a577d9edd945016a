#include "engine/FreeSpaceWipe.h"

#include "engine/CleaningContext.h"
#include "engine/OverwritePasses.h"
#include "engine/WipeMarker.h"
#include "engine/volume/VolumeInfo.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstdio>

namespace bw {
namespace {

constexpr uint32_t kWriteUnit = 262144;        // 256 KiB: the pump runs between units
constexpr uint64_t kBulkFileSize = 1073741824; // 1 GiB keeps the number of files small
constexpr uint32_t kDismissEvery = 20;         // writes between notice dismissals
constexpr uint32_t kRemainderShortWrites = 3;  // consecutive short writes that end a file
constexpr uint32_t kFinalShortWrites = 4;
constexpr uint32_t kFinalShortWriteWait = 2000; // ms, once, to let the system settle

// Past the cache: every unit goes to the disk once, and the fill does not push everything else
// out of memory. The platform writes what does not fit its alignment through the cache.
constexpr uint32_t kWipeFileFlags =
    kFileFlagWriteThrough | kFileFlagNoBuffering | kFileAttributeSystem;

std::string Format(const char* format, char letter) {
  char text[96];
  std::snprintf(text, sizeof(text), format, letter);
  return text;
}

} // namespace

std::string CFreeSpaceWipe::WipeFileName(char letter, uint32_t number) {
  char name[64];
  std::snprintf(name, sizeof(name), "%c:\\BlankwrightTMP%u.gf", letter, number);
  return name;
}

void CFreeSpaceWipe::DeleteWipeFiles(char letter, uint32_t last) {
  for (uint32_t n = 1; n <= last; ++n)
    _job.Platform().Files().DeleteFile(WipeFileName(letter, n));
}

void CFreeSpaceWipe::CountWrite() {
  if (++_writeCounter >= kDismissEvery) {
    _job.DismissNotices();
    _writeCounter = 0;
  }
}

void CFreeSpaceWipe::Run(char letter) {
  CPassBuffers buffers;
  if (!buffers.Allocate(kWriteUnit)) {
    _job.MemoryError();
    return;
  }
  uint32_t lastFile = 0; // the highest file number any pass made
  _writeCounter = 1;
  for (uint32_t pass = 1; pass <= _passes && !_job.Stopped(); ++pass) {
    char text[64];
    std::snprintf(text, sizeof(text), "Cleaning free space on drive %c:", letter);
    _job.SetProcess(text);
    _job.SetDetail(PassText(pass, _passes));
    _job.Pump();
    if (_job.Stopped())
      break;

    uint64_t freeBytes = GetFreeBytes(_job.Platform(), letter, _osFamily);
    if (freeBytes == 0)
      break;
    // Less than one unit free leaves no whole unit to count: the bar then jumps to the end.
    uint64_t units = freeBytes / kWriteUnit;
    _job.Progress().Start(units ? units : 1);
    _job.Progress().Show(0);
    // A failed measurement (all ones) must not make the file numbers wrap; the first bulk file
    // that comes up short ends the bulk files whatever was measured.
    uint64_t bulkFiles = std::min<uint64_t>(freeBytes / kBulkFileSize, 1u << 20);

    uint32_t number = 0;
    WipeEnd end = WipeEnd::Filled;
    while (number < bulkFiles && end == WipeEnd::Filled && !_job.Stopped()) {
      lastFile = std::max(lastFile, ++number);
      end = WriteBulkFile(letter, number, buffers, pass);
    }
    if (end == WipeEnd::Failed || _job.Stopped())
      break;
    lastFile = std::max(lastFile, number + 2);
    end = WriteRemainderFile(letter, number + 1, buffers, pass);
    if (end == WipeEnd::Failed || end == WipeEnd::NotCreated || _job.Stopped())
      break;
    if (WriteFinalFillFile(letter, number + 2, buffers, pass) == WipeEnd::Failed)
      break;
    DeleteWipeFiles(letter, number + 2);
  }
  DeleteWipeFiles(letter, lastFile);
  buffers.Free();
  _marker.Flag = true;
  _marker.Time = _job.Platform().System().GetLocalTime();
  if (!_job.Stopped())
    _job.Progress().Show(100);
}

bool CFreeSpaceWipe::IsDiskFull(uint32_t error) {
  return error == kErrorDiskFull || error == kErrorHandleDiskFull;
}

void CFreeSpaceWipe::WipeFailed(char letter) {
  // Anything but a full disk means the space was not written: a read-only or vanished volume
  // must not be reported cleaned.
  uint32_t error = _job.Platform().Files().GetLastError();
  bool writeProtected = error == kErrorWriteProtect;
  if (_job.Mode() == JobMode::Interactive)
    _job.MessageBox(Format(writeProtected
                               ? "Drive %c: is write protected.  Remove the protection to continue."
                               : "Drive %c: could not be accessed.",
                           letter),
                    "Drive Error", kMbOk | kMbIconError);
  _job.SetStatus(writeProtected ? DriveStatus::WriteProtected : DriveStatus::NotAccessible);
}

std::unique_ptr<IFile> CFreeSpaceWipe::CreateWipeFile(char letter, uint32_t number, WipeEnd& end) {
  auto file = _job.Platform().Files().CreateFile(WipeFileName(letter, number), kGenericWrite, 0,
                                                 kCreateAlways, kWipeFileFlags);
  if (!file) {
    if (IsDiskFull(_job.Platform().Files().GetLastError())) {
      end = WipeEnd::NotCreated;
    } else {
      WipeFailed(letter);
      end = WipeEnd::Failed;
    }
    return nullptr;
  }
  // A compressed folder would compress the fill to almost nothing and leave the space free.
  if (_osFamily == kOsFamilyNt)
    file->SetCompressionNone();
  return file;
}

bool CFreeSpaceWipe::WriteUnit(char letter, IFile& file, const uint8_t* data, uint32_t size,
                               uint32_t& written) {
  written = 0;
  if (file.Write(data, size, written) || IsDiskFull(_job.Platform().Files().GetLastError()))
    return true;
  WipeFailed(letter);
  return false;
}

CFreeSpaceWipe::WipeEnd CFreeSpaceWipe::WriteBulkFile(char letter, uint32_t number,
                                                      const CPassBuffers& buffers, uint32_t pass) {
  WipeEnd end = WipeEnd::Filled;
  auto file = CreateWipeFile(letter, number, end);
  if (!file)
    return end;
  uint64_t remaining = kBulkFileSize;
  while (remaining > 0) {
    uint32_t unit = static_cast<uint32_t>(std::min<uint64_t>(remaining, kWriteUnit));
    uint32_t written = 0;
    if (!WriteUnit(letter, *file, buffers.ForPass(pass), unit, written)) {
      end = WipeEnd::Failed;
      break;
    }
    if (written < unit) {
      end = WipeEnd::CameShort; // the drive is full sooner than measured
    } else {
      remaining -= unit;
      _job.Progress().Advance();
    }
    _job.Pump();
    if (_job.Stopped() || end != WipeEnd::Filled)
      break;
    CountWrite();
  }
  file->Flush();
  file->Close();
  return end;
}

CFreeSpaceWipe::WipeEnd CFreeSpaceWipe::WriteRemainderFile(char letter, uint32_t number,
                                                           const CPassBuffers& buffers,
                                                           uint32_t pass) {
  uint64_t remaining = GetFreeBytes(_job.Platform(), letter, _osFamily);
  if (remaining == 0)
    return WipeEnd::Filled;
  WipeEnd end = WipeEnd::Filled;
  auto file = CreateWipeFile(letter, number, end);
  if (!file)
    return end;
  uint32_t shortWrites = 0;
  while (remaining > 0 && shortWrites < kRemainderShortWrites) {
    uint32_t unit = static_cast<uint32_t>(std::min<uint64_t>(remaining, kWriteUnit));
    uint32_t written = 0;
    if (!WriteUnit(letter, *file, buffers.ForPass(pass), unit, written)) {
      end = WipeEnd::Failed;
      break;
    }
    remaining -= written;
    if (written == unit) {
      shortWrites = 0;
      _job.Progress().Advance();
    } else {
      ++shortWrites;
    }
    _job.Pump();
    if (_job.Stopped())
      break;
    CountWrite();
  }
  file->Flush();
  file->Close();
  return end;
}

CFreeSpaceWipe::WipeEnd CFreeSpaceWipe::WriteFinalFillFile(char letter, uint32_t number,
                                                           const CPassBuffers& buffers,
                                                           uint32_t pass) {
  WipeEnd end = WipeEnd::Filled;
  auto file = CreateWipeFile(letter, number, end);
  if (!file)
    return end;
  // One cluster per write; the cluster size was checked to be a nonzero multiple of 512.
  uint32_t unit = std::min<uint32_t>(std::max<uint32_t>(_clusterSize, 512), kWriteUnit);
  uint32_t shortWrites = 0;
  while (shortWrites < kFinalShortWrites) {
    uint32_t written = 0;
    if (!WriteUnit(letter, *file, buffers.ForPass(pass), unit, written)) {
      end = WipeEnd::Failed;
      break;
    }
    if (written == unit) {
      shortWrites = 0;
    } else {
      if (shortWrites == 2)
        _job.Platform().System().Sleep(kFinalShortWriteWait);
      ++shortWrites;
    }
    _job.Pump();
    if (_job.Stopped())
      break;
  }
  file->Flush();
  file->Close();
  return end;
}

} // namespace bw
