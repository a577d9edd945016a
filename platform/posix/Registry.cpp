#include "platform/posix/Registry.h"

#include "platform/posix/Posix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace bw::posix {
namespace {

// A settings file is a few KiB; anything this large is not one and is not read into memory.
constexpr off_t kMaxFileSize = 16 * 1024 * 1024;

} // namespace

CRegFileRegistry::CRegFileRegistry(std::string file) : _file(std::move(file)) {
  if (_file.empty())
    _file = StateFolder() + "/registry.reg";
}

void CRegFileRegistry::Prepare() {
  if (_loaded)
    return;
  _loaded = true;
  struct stat st;
  if (::stat(_file.c_str(), &st) != 0) {
    if (errno != ENOENT)
      _report.Problems.push_back({0, std::string("cannot read the file: ") + std::strerror(errno)});
    _report.ProblemCount = _report.Problems.size();
  } else if (!S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) {
    _report.Problems.push_back({0, "not a registry file (too large or not a regular file)"});
    _report.ProblemCount = 1;
  } else {
    std::ifstream in(_file, std::ios::binary);
    std::string text(static_cast<size_t>(st.st_size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    _report = ParseRegFile(text);
    Apply(_report.Keys);
    _report.Keys.clear();
  }
  if (_report.ProblemCount != 0) {
    const RegFileProblem& first = _report.Problems.front();
    std::fprintf(stderr, "blankwright: %s: %zu entr%s could not be read (line %zu: %s)\n",
                 _file.c_str(), _report.ProblemCount, _report.ProblemCount == 1 ? "y" : "ies",
                 first.Line, first.Reason.c_str());
  }
}

bool CRegFileRegistry::Commit() {
  if (!_dirty)
    return true;
  std::string folder = _file.substr(0, _file.rfind('/') + 1);
  if (!folder.empty() && !MakeFolders(folder)) {
    _lastError = "cannot create " + folder;
    return false;
  }
  if (!WriteFileAtomically(_file, FormatRegFile(Snapshot()), _lastError))
    return false;
  _dirty = false;
  return true;
}

} // namespace bw::posix
