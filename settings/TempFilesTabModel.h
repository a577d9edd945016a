// The Temp Files page's state and rules: the Recycle Bin box and the two folders to empty,
// each edit enabled only while its box is checked. Folder paths are taken as typed: no
// existence check, no case change, no trimming. The Win32 page CTempFilesTab binds its controls
// to this model.
#pragma once

#include <string>

namespace bw {

class CSettings;

class CTempFilesTabModel {
public:
  bool EmptyRecycleBin = false;  ///< check box 1007
  bool EmptyTempFolder = false;  ///< check box 1153
  std::string TempFolder;        ///< edit 1152
  bool EmptySpoolFolder = false; ///< check box 1154
  std::string SpoolFolder;       ///< edit 1155

  /// Edit 1152 is enabled exactly while 1153 is checked, edit 1155 while 1154 is; a disabled
  /// edit keeps its text.
  bool TempFolderEnabled() const { return EmptyTempFolder; }
  bool SpoolFolderEnabled() const { return EmptySpoolFolder; }

  void Open(const CSettings& settings);
  void Confirm(CSettings& settings) const;
};

} // namespace bw
