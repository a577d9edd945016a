// blankwright info X: — the volume record of one drive, as key=value lines.
#include "cli/Commands.h"
#include "engine/volume/VolumeInfo.h"
#include "platform/Platform.h"

#include <cinttypes>
#include <cstdio>

namespace bw::cli {
namespace {

int RunInfo(IPlatform& platform, const Arguments& arguments) {
  char letter;
  if (arguments.size() != 1 || !ParseDriveLetter(arguments[0], letter)) {
    PrintError("usage: blankwright info X:");
    return kExitFailure;
  }
  CVolumeInfo volume(platform);
  if (!volume.Open(letter)) {
    PrintError(std::string("drive ") + letter + ": cannot be read: " + volume.GetFailureReason());
    return kExitFailure;
  }
  uint64_t clusters = volume.GetFileSystemType() == FileSystemType::Ntfs
                          ? volume.GetNtfsClusterCount()
                          : volume.GetClusterCount();
  std::printf("format=%s\n", FileSystemTypeName(volume.GetFileSystemType()));
  std::printf("bytes_per_sector=%" PRIu32 "\n", volume.GetBytesPerSector());
  std::printf("sectors_per_cluster=%" PRIu32 "\n", volume.GetSectorsPerCluster());
  std::printf("bytes_per_cluster=%" PRIu32 "\n", volume.GetBytesPerCluster());
  std::printf("reserved_sectors=%" PRIu32 "\n", volume.GetReservedSectors());
  std::printf("first_data_sector=%" PRIu32 "\n", volume.GetFirstDataSector());
  std::printf("cluster_count=%" PRIu64 "\n", clusters);
  std::printf("free_bytes=%" PRIu64 "\n", volume.GetFreeBytes());
  std::printf("system_cluster_size=%" PRIu32 "\n", GetSystemClusterSize(platform, letter));
  return kExitOk;
}

} // namespace

const Command kInfoCommand = {
    "info",
    "print a drive's file system and geometry from its boot sector",
    "usage: blankwright info X:\n"
    "\n"
    "Reads the boot sector of drive X: and prints the volume record as key=value lines:\n"
    "format (FAT12, FAT16, FAT32, NTFS or Unknown), bytes_per_sector, sectors_per_cluster,\n"
    "bytes_per_cluster, reserved_sectors, first_data_sector, cluster_count, free_bytes and\n"
    "system_cluster_size. free_bytes is 18446744073709551615 when the free-space query fails.\n"
    "\n"
    "Exit status: 0, or 2 with a one-line error when the drive cannot be read.\n",
    RunInfo,
};

} // namespace bw::cli
