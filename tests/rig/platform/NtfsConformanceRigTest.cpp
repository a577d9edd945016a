// The shared Win32 file-system semantics on a real NTFS volume through ntfs-3g, where the
// hidden and system bits are held: a fresh folder of the volume named by BW_RIG_MOUNT is mapped
// as drive T: for each test.
#include "platform/posix/FileSystem.h"
#include "tests/unit/platform/FileSystemConformance.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace bw::test {
namespace {

class CNtfsHarness {
public:
  CNtfsHarness() {
    static std::atomic<int> count{0};
    const char* mount = std::getenv("BW_RIG_MOUNT");
    if (!mount || !*mount)
      return;
    char home[] = "/tmp/bw-rig-home-XXXXXX";
    if (!::mkdtemp(home))
      return;
    _home = home;
    ::setenv("BLANKWRIGHT_HOME", home, 1);
    std::string folder = std::string(mount) + "/conform" + std::to_string(::getpid()) + "-" +
                         std::to_string(++count);
    std::string error;
    if (::mkdir(folder.c_str(), 0755) != 0 || !_map.Add({'T', DriveType::Fixed, folder, ""}, error))
      return;
    _table = std::make_unique<posix::CDriveTable>(_map);
    _files = std::make_unique<posix::CPosixFileSystem>(*_table);
  }
  ~CNtfsHarness() {
    _files.reset();
    if (!_home.empty())
      std::system(("rm -rf '" + _home + "'").c_str());
  }
  CNtfsHarness(const CNtfsHarness&) = delete;
  CNtfsHarness& operator=(const CNtfsHarness&) = delete;

  IFileSystem& Files() { return *_files; }
  const char* Unavailable() {
    return _files ? nullptr : "BW_RIG_MOUNT names no mounted volume to test on";
  }

private:
  std::string _home;
  posix::CDriveMapFile _map;
  std::unique_ptr<posix::CDriveTable> _table;
  std::unique_ptr<posix::CPosixFileSystem> _files;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Ntfs3g, FileSystemConformanceTest, CNtfsHarness);

} // namespace
} // namespace bw::test
