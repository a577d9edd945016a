// Free-space wiping: the drive is filled with temporary files through the ordinary file system,
// once per pass, and the files are deleted again after each pass and on every way out.
//
// Per pass: bulk files of 1 GiB while whole gigabytes are free, a remainder file for what is
// left, and a final file written one cluster at a time to take the last clusters a larger
// write cannot. Short writes are the expected end of filling.
#include "engine/CleaningJob.h"
#include "settings/Settings.h"

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

constexpr uint32_t kWipeFileFlags = kFileFlagWriteThrough | kFileAttributeSystem;

std::string Format(const char* format, char letter) {
  char text[96];
  std::snprintf(text, sizeof(text), format, letter);
  return text;
}

} // namespace

std::string CCleaningJob::WipeFileName(char letter, uint32_t number) const {
  char name[64];
  std::snprintf(name, sizeof(name), "%c:\\BlankwrightTMP%u.gf", letter, number);
  return name;
}

void CCleaningJob::DeleteWipeFiles(char letter, uint32_t last) {
  for (uint32_t n = 1; n <= last; ++n)
    _platform.Files().DeleteFile(WipeFileName(letter, n));
}

void CCleaningJob::CountWrite() {
  if (++_writeCounter >= kDismissEvery) {
    DismissDiskSpaceNotices();
    _writeCounter = 0;
  }
}

void CCleaningJob::WipeFreeSpace(char letter) {
  CPassBuffers buffers;
  if (!buffers.Allocate(kWriteUnit)) {
    MemoryError();
    return;
  }
  uint32_t passes = PassCount();
  uint32_t lastFile = 0; // the highest file number any pass made
  _writeCounter = 1;
  for (uint32_t pass = 1; pass <= passes && !Stopped(); ++pass) {
    char text[64];
    std::snprintf(text, sizeof(text), "Cleaning free space on drive %c:", letter);
    SetProcess(text);
    SetDetail(PassText(pass, passes));
    Pump();
    if (Stopped())
      break;

    _freeBytes = GetFreeBytes(_platform, letter, _osFamily);
    if (_freeBytes == 0)
      break;
    // Less than one unit free leaves no whole unit to count: the bar then jumps to the end.
    uint64_t units = _freeBytes / kWriteUnit;
    _progress.Start(units ? units : 1);
    SetBar(0);
    // A failed measurement (all ones) must not make the file numbers wrap; the first bulk file
    // that comes up short ends the bulk files whatever was measured.
    uint64_t bulkFiles = std::min<uint64_t>(_freeBytes / kBulkFileSize, 1u << 20);

    uint32_t number = 0;
    WipeEnd end = WipeEnd::Filled;
    while (number < bulkFiles && end == WipeEnd::Filled && !Stopped()) {
      lastFile = std::max(lastFile, ++number);
      end = WriteBulkFile(letter, number, buffers, pass);
    }
    if (end == WipeEnd::Failed || Stopped())
      break;
    lastFile = std::max(lastFile, number + 2);
    end = WriteRemainderFile(letter, number + 1, buffers, pass);
    if (end == WipeEnd::Failed || end == WipeEnd::NotCreated || Stopped())
      break;
    if (WriteFinalFillFile(letter, number + 2, buffers, pass) == WipeEnd::Failed)
      break;
    DeleteWipeFiles(letter, number + 2);
  }
  DeleteWipeFiles(letter, lastFile);
  buffers.Free();
  _wipeMarker.Flag = true;
  _wipeMarker.Time = _platform.System().GetLocalTime();
  if (!Stopped())
    SetBar(100);
}

bool CCleaningJob::IsDiskFull(uint32_t error) {
  return error == kErrorDiskFull || error == kErrorHandleDiskFull;
}

void CCleaningJob::WipeFailed(char letter) {
  // Anything but a full disk means the space was not written: a read-only or vanished volume
  // must not be reported cleaned.
  uint32_t error = _platform.Files().GetLastError();
  bool writeProtected = error == kErrorWriteProtect;
  if (_mode == JobMode::Interactive)
    AskMessage(Format(writeProtected
                          ? "Drive %c: is write protected.  Remove the protection to continue."
                          : "Drive %c: could not be accessed.",
                      letter),
               "Drive Error", kMbOk | kMbIconError);
  _driveStatus = writeProtected ? DriveStatus::WriteProtected : DriveStatus::NotAccessible;
}

std::unique_ptr<IFile> CCleaningJob::CreateWipeFile(char letter, uint32_t number, WipeEnd& end) {
  auto file = _platform.Files().CreateFile(WipeFileName(letter, number), kGenericWrite, 0,
                                           kCreateAlways, kWipeFileFlags);
  if (!file) {
    if (IsDiskFull(_platform.Files().GetLastError())) {
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

bool CCleaningJob::WriteUnit(char letter, IFile& file, const uint8_t* data, uint32_t size,
                             uint32_t& written) {
  written = 0;
  if (file.Write(data, size, written) || IsDiskFull(_platform.Files().GetLastError()))
    return true;
  WipeFailed(letter);
  return false;
}

CCleaningJob::WipeEnd CCleaningJob::WriteBulkFile(char letter, uint32_t number,
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
      AdvanceProgress();
    }
    Pump();
    if (Stopped() || end != WipeEnd::Filled)
      break;
    CountWrite();
  }
  file->Flush();
  file->Close();
  return end;
}

CCleaningJob::WipeEnd CCleaningJob::WriteRemainderFile(char letter, uint32_t number,
                                                       const CPassBuffers& buffers, uint32_t pass) {
  uint64_t remaining = GetFreeBytes(_platform, letter, _osFamily);
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
      AdvanceProgress();
    } else {
      ++shortWrites;
    }
    Pump();
    if (Stopped())
      break;
    CountWrite();
  }
  file->Flush();
  file->Close();
  return end;
}

CCleaningJob::WipeEnd CCleaningJob::WriteFinalFillFile(char letter, uint32_t number,
                                                       const CPassBuffers& buffers, uint32_t pass) {
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
        _platform.System().Sleep(kFinalShortWriteWait);
      ++shortWrites;
    }
    Pump();
    if (Stopped())
      break;
  }
  file->Flush();
  file->Close();
  return end;
}

} // namespace bw
