#include "settings/TempFilesTabModel.h"

#include "settings/Settings.h"

namespace bw {

void CTempFilesTabModel::Open(const CSettings& settings) {
  EmptyRecycleBin = settings.EmptyRecycleBin != 0;
  EmptyTempFolder = settings.EmptyTempFolder != 0;
  TempFolder = settings.TempFolder;
  EmptySpoolFolder = settings.EmptySpoolFolder != 0;
  SpoolFolder = settings.SpoolFolder;
}

void CTempFilesTabModel::Confirm(CSettings& settings) const {
  settings.EmptyRecycleBin = EmptyRecycleBin ? 1 : 0;
  settings.EmptyTempFolder = EmptyTempFolder ? 1 : 0;
  settings.TempFolder = TempFolder;
  settings.EmptySpoolFolder = EmptySpoolFolder ? 1 : 0;
  settings.SpoolFolder = SpoolFolder;
}

} // namespace bw
