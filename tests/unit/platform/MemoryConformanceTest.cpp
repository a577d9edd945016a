// The shared Win32 file-system semantics, held against the memory fake.
#include "platform/memory/FileSystem.h"
#include "tests/unit/platform/FileSystemConformance.h"

namespace bw::test {
namespace {

struct CMemoryHarness {
  CMemoryHarness() { _files.AddVolume('T', 1024 * 1024); }
  IFileSystem& Files() { return _files; }
  const char* Unavailable() { return nullptr; }

private:
  memory::CMemoryFileSystem _files;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, FileSystemConformanceTest, CMemoryHarness);

} // namespace
} // namespace bw::test
