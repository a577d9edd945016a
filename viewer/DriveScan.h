// CDriveScan: the drive viewer's scan of a drive's free clusters for deleted data.
//
// The scan owns the volume record, the cluster buffer and the counts; everything it shows or
// asks goes through the viewer view. It runs on the caller's thread and pumps one message
// through the view between small units of work, which is where Cancel Scan reaches it.
#pragma once

#include "engine/JobControl.h"
#include "engine/volume/VolumeInfo.h"
#include "viewer/ClusterWindow.h"
#include "viewer/ViewerView.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bw {

class IPlatform;
class IVolumeBitmapHandle;

/// The caption of the viewer's own message boxes.
constexpr const char* kViewerTitle = "Blankwright Drive Viewer";

/// The one cluster buffer: clusters larger than this are refused before a scan starts.
constexpr uint32_t kClusterBufferSize = 131072;

/// The FAT is read in pieces of this many bytes (64 sectors of 512 bytes).
constexpr uint32_t kFatChunkBytes = 32768;

/// Which scan Begin scan chose (the window posts WM_USER+1 for FAT, WM_USER+2 for NTFS).
enum class ScanKind { None, Fat, Ntfs };

/// How a scan ended.
enum class ScanOutcome {
  NotRun,     ///< the drive was refused before the walk began
  Completed,  ///< every free cluster was tested; the report was shown
  Incomplete, ///< the FAT or the allocation bitmap could not be read to the end; "Drive
              ///< reading error." and the report with the counts so far were shown
  ReadFailed, ///< a cluster could not be read; the scan stopped without a report
  Cancelled,  ///< the user stopped it; no report
};

/// What the cluster test found.
enum class ClusterTest { ReadFailed, Blank, DeletedData };

/// What asked for a cluster to be shown; it decides the message when the read fails.
enum class ShowRequest { ListSelection, DisplayMode };

/// True when every byte is 0x00, 0xFF or 0xF6.
bool IsBlankCluster(const uint8_t* data, size_t size);

/// True when every byte is fill.
bool IsFilledWith(const uint8_t* data, size_t size, uint8_t fill);

class CDriveScan final : public IJobControl {
public:
  CDriveScan(IPlatform& platform, IViewerView& view);
  ~CDriveScan();
  CDriveScan(const CDriveScan&) = delete;
  CDriveScan& operator=(const CDriveScan&) = delete;

  /// Allocates the cluster buffer (when the window opens); false when memory is short.
  bool AllocateClusterBuffer();
  /// Frees the cluster buffer (when the window closes); nothing can be shown after it.
  void ReleaseClusterBuffer();

  /// Begin scan up to the statistic texts: clears the last scan's results, takes the drive
  /// from the view, checks that it is ready and can be scanned, and shows its figures. False,
  /// after its message box, when the drive is refused.
  bool OpenDrive();

  /// OpenDrive, then the scan its format calls for (None when the drive was refused).
  ScanKind BeginScan();

  /// The walk over the free clusters of a FAT12, FAT16 or FAT32 volume.
  ScanOutcome RunFatScan();

  /// The walk over the free clusters of an NTFS volume, from its allocation bitmap.
  ScanOutcome RunNtfsScan();

  /// BeginScan and then the scan it chose, for front ends without posted messages.
  ScanOutcome Scan();

  /// Reads cluster and tests it. A failed read shows its message and sets the cancel flag.
  /// runEnd: the free clusters from cluster up to (not including) runEnd are read with it in
  /// one read, for the calls that follow; by default cluster is read alone.
  ClusterTest TestCluster(uint64_t cluster, uint64_t runEnd = 0);

  /// Cancel Scan: asks "Are you sure you want to stop scanning?"; Yes stops the scan at its
  /// next poll.
  void OnCancel() override;
  /// Stops the scan at its next poll without asking.
  void OnClose() override { _cancelled = true; }
  /// True from the start of a FAT or NTFS walk to its end.
  bool IsRunning() const override { return _running; }

  /// Shows cluster number entry (decimal text, as the cluster list holds it) in the data
  /// display in the view's mode; an empty entry shows nothing. False when it was not shown.
  bool ShowCluster(const std::string& entry, ShowRequest request);

  /// From now on a cluster is blank only when every byte is fill (the byte a clean's last pass
  /// wrote), so that a check after a clean counts whatever that pass did not reach; nothing
  /// restores the viewer's three fill values.
  void RequireFill(uint8_t fill) { _requiredFill = fill; }

  /// The drive of the last Begin scan.
  char GetDriveLetter() const { return _letter; }
  /// Clusters with deleted data found by the last scan.
  uint64_t GetHitCount() const { return _hits; }
  /// True once Cancel Scan (or a cluster that could not be read) stopped the scan.
  bool IsCancelled() const { return _cancelled; }
  /// After an Incomplete scan: what could not be read, as one line.
  const std::string& GetFailureDetail() const { return _failureDetail; }

private:
  /// Tells the view, and keeps the state for IsRunning.
  void SetScanning(bool scanning);
  void RecordHit(uint64_t cluster);
  void SetText(StatisticText which, uint64_t value);
  void FinishScan(ScanOutcome& outcome, std::optional<uint64_t> readTo);
  int Message(const std::string& text, const std::string& caption, uint32_t style);
  bool WalkFatChunk(const uint8_t* chunk, uint64_t chunkByte, uint32_t chunkBytes, uint64_t& c,
                    uint64_t lastCluster);
  bool WalkBitmapPiece(const uint8_t* piece, uint64_t pieceStart, uint64_t first, uint32_t bits,
                       uint64_t& next);
  uint32_t QueryBitmap(IVolumeBitmapHandle*& source, IVolumeBitmapHandle& ownReader, uint64_t start,
                       uint8_t* buffer);

  IPlatform& _platform;
  IViewerView& _view;
  CVolumeInfo _volume;
  char _letter = 'C';
  uint64_t _firstCluster = 2;
  bool _opened = false;
  bool _cancelled = false;
  bool _running = false;
  bool _readFailed = false; // the cancel flag was set by a cluster that could not be read
  bool _windowsDrive = false;
  uint64_t _hits = 0;
  std::string _failureDetail;
  std::vector<uint8_t> _clusterBuffer;
  CClusterWindow _window{_volume};
  const uint8_t* _lastRead = nullptr; // the cluster TestCluster read last, in the window
  std::optional<uint8_t> _requiredFill;
};

} // namespace bw
