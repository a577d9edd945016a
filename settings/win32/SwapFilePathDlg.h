// "Swap File Path": asks where the Windows 9x swap file is, with a Browse button that opens the
// system's file-open dialog in the Windows folder.
#pragma once

#include "ui/Dialog.h"

#include <string>

namespace bw {

class IPlatform;

class CSwapFilePathDlg final : public ui::CDialog {
public:
  CSwapFilePathDlg(IPlatform& platform, std::string path)
      : _platform(platform), _path(std::move(path)) {}
  /// The path as entered; read after OK.
  const std::string& Path() const { return _path; }

private:
  bool OnInit() override;
  bool OnCommand(int notifyCode, int id, HWND control) override;
  void OnOK() override;
  void Browse();

  IPlatform& _platform;
  std::string _path;
};

} // namespace bw
