// CFreeSpaceWipe: the drive is filled with temporary files through the ordinary file system,
// once per pass, and the files are deleted again after each pass and on every way out.
//
// Per pass: bulk files of 1 GiB while whole gigabytes are free, a remainder file for what is
// left, and a final file written one cluster at a time to take the last clusters a larger
// write cannot. Short writes are the expected end of filling.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace bw {

class CCleaningContext;
class CPassBuffers;
class IFile;
struct CWipeMarker;

class CFreeSpaceWipe {
public:
  /// osFamily: the reader family (the NT family turns compression off); clusterSize: the
  /// drive's, a nonzero multiple of 512; passes: the overwrite count. The marker records
  /// that and when a wipe ran.
  CFreeSpaceWipe(CCleaningContext& job, CWipeMarker& marker, uint16_t osFamily,
                 uint32_t clusterSize, uint32_t passes)
      : _job(job), _marker(marker), _osFamily(osFamily), _clusterSize(clusterSize),
        _passes(passes) {}

  /// Wipes the free space of letter; a drive that cannot be written is reported and marked.
  void Run(char letter);

private:
  /// How writing one wipe file ended: written to its size (or its end), cut short by a full
  /// disk, not created on a full disk, or failed for another reason (already reported).
  enum class WipeEnd { Filled, CameShort, NotCreated, Failed };
  static std::string WipeFileName(char letter, uint32_t number);
  void DeleteWipeFiles(char letter, uint32_t last);
  static bool IsDiskFull(uint32_t error);
  void WipeFailed(char letter);
  std::unique_ptr<IFile> CreateWipeFile(char letter, uint32_t number, WipeEnd& end);
  /// Writes one unit; false, after reporting the drive, when it failed other than by a full
  /// disk.
  bool WriteUnit(char letter, IFile& file, const uint8_t* data, uint32_t size, uint32_t& written);
  WipeEnd WriteBulkFile(char letter, uint32_t number, const CPassBuffers& buffers, uint32_t pass);
  WipeEnd WriteRemainderFile(char letter, uint32_t number, const CPassBuffers& buffers,
                             uint32_t pass);
  WipeEnd WriteFinalFillFile(char letter, uint32_t number, const CPassBuffers& buffers,
                             uint32_t pass);
  void CountWrite();

  CCleaningContext& _job;
  CWipeMarker& _marker;
  uint16_t _osFamily;
  uint32_t _clusterSize;
  uint32_t _passes;
  uint32_t _writeCounter = 1; ///< writes since the notices were last dismissed
};

} // namespace bw
