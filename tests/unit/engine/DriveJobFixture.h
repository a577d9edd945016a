// A cleaning job on a fresh memory platform with one fixed drive C: of 4096-byte clusters, for
// the tests of a single phase.
#pragma once

#include "engine/CleaningJob.h"
#include "engine/WipeMarker.h"
#include "platform/memory/MemoryPlatform.h"
#include "settings/Settings.h"
#include "tests/unit/engine/RecordingCleaningView.h"

#include <gtest/gtest.h>
#include <memory>

namespace bw::test {

class CDriveJobFixture : public ::testing::Test {
protected:
  /// Replaces platform, view and job: drive C with freeBytes free, passes overwrites.
  void MakeJob(uint64_t freeBytes, uint32_t passes, uint32_t clusterSize = 4096) {
    platform = std::make_unique<memory::CMemoryPlatform>();
    platform->FilesFake.AddVolume('C', freeBytes, clusterSize);
    platform->DrivesFake.Drives['C'].Type = DriveType::Fixed;
    settings.OverwriteCount = static_cast<int32_t>(passes);
    view = CRecordingCleaningView();
    job = std::make_unique<CCleaningJob>(*platform, settings, view, marker, JobMode::Interactive,
                                         "C:");
    job->SetClusterSize(clusterSize);
  }

  std::unique_ptr<memory::CMemoryPlatform> platform;
  CSettings settings;
  CRecordingCleaningView view;
  CWipeMarker marker;
  std::unique_ptr<CCleaningJob> job;
};

} // namespace bw::test
