// The Temp Files page's state and rules: the Recycle Bin box and the two folders to empty,
// each edit enabled only while its box is checked. Folder paths are taken as typed: no
// existence check, no case change, no trimming. The Win32 page CTempFilesTab binds its controls
// to this model.
#pragma once

#include "settings/TempFilesTabRes.h"

#include <string>

namespace bw {

class CSettings;

class CTempFilesTabModel {
public:
  bool EmptyRecycleBin = false;  ///< check box IDC_EMPTY_RECYCLE_BIN
  bool EmptyTempFolder = false;  ///< check box IDC_EMPTY_TEMP_FOLDER
  std::string TempFolder;        ///< edit IDC_TEMP_FOLDER
  bool EmptySpoolFolder = false; ///< check box IDC_EMPTY_SPOOL_FOLDER
  std::string SpoolFolder;       ///< edit IDC_SPOOL_FOLDER

  /// Each folder edit is enabled exactly while its box is checked; a disabled edit keeps its
  /// text.
  bool TempFolderEnabled() const { return EmptyTempFolder; }
  bool SpoolFolderEnabled() const { return EmptySpoolFolder; }

  void Open(const CSettings& settings);
  void Confirm(CSettings& settings) const;
};

} // namespace bw
