// The Linux registry: one REGEDIT4 .reg file per machine in the state folder, which a user can
// read, back up and import into regedit.
//
// The file is read once, at the first use of the registry, and rewritten whole whenever a key
// that changed something is flushed or closed. A rewrite goes through a temporary file that is
// flushed and renamed over the old one, so that a crash or a full disk during a save leaves the
// previous file as it was. A damaged or hand-edited file gives every entry that can still be
// read; it is left untouched until the next save. Each program keeps the registry it read: of
// two programs that change it at the same time, the last to save wins.
#pragma once

#include "platform/RegistryTree.h"

#include <string>

namespace bw::posix {

class CRegFileRegistry final : public CRegistryTree {
public:
  /// file names the .reg file; empty: "registry.reg" in the state folder.
  explicit CRegFileRegistry(std::string file = {});

  std::string Location() override { return _file; }

  /// What the load could not read (empty until the registry is first used).
  const RegFile& LoadReport() const { return _report; }

  /// Why the last save failed.
  const std::string& LastError() const { return _lastError; }

protected:
  void Prepare() override;
  bool Commit() override;
  void Changed(const std::string&, const std::string&, const RegistryValue*) override {
    _dirty = true;
  }

private:
  std::string _file;
  bool _loaded = false;
  bool _dirty = false;
  RegFile _report;
  std::string _lastError;
};

} // namespace bw::posix
