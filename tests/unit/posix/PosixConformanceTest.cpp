// The shared Win32 file-system semantics, held against the posix platform on a scratch folder
// of the host mapped as drive T:.
#include "platform/posix/FileSystem.h"
#include "tests/unit/platform/FileSystemConformance.h"

#include <cstdlib>
#include <memory>
#include <sys/stat.h>

namespace bw::test {
namespace {

class CPosixHarness {
public:
  CPosixHarness() {
    char scratch[] = "/tmp/bw-conform-XXXXXX";
    if (::mkdtemp(scratch))
      _scratch = scratch;
    ::mkdir((_scratch + "/mount").c_str(), 0755);
    ::setenv("BLANKWRIGHT_HOME", (_scratch + "/home").c_str(), 1);
    std::string error;
    _map.Add({'T', DriveType::Fixed, _scratch + "/mount", ""}, error);
    _table = std::make_unique<posix::CDriveTable>(_map);
    _files = std::make_unique<posix::CPosixFileSystem>(*_table);
  }
  ~CPosixHarness() {
    _files.reset();
    if (!_scratch.empty())
      std::system(("rm -rf '" + _scratch + "'").c_str());
  }
  CPosixHarness(const CPosixHarness&) = delete;
  CPosixHarness& operator=(const CPosixHarness&) = delete;

  IFileSystem& Files() { return *_files; }
  const char* Unavailable() { return nullptr; }

private:
  std::string _scratch;
  posix::CDriveMapFile _map;
  std::unique_ptr<posix::CDriveTable> _table;
  std::unique_ptr<posix::CPosixFileSystem> _files;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Posix, FileSystemConformanceTest, CPosixHarness);

} // namespace
} // namespace bw::test
