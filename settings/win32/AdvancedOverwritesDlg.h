// "Advanced Overwrites": five levels of overwrite passes; OK writes the chosen level's count
// into the settings record at once, Esc and the close box change nothing.
#pragma once

#include "settings/AdvancedOverwritesModel.h"
#include "ui/Dialog.h"

namespace bw {

class CSettings;

class CAdvancedOverwritesDlg final : public ui::CDialog {
public:
  explicit CAdvancedOverwritesDlg(CSettings& settings) : _settings(settings) {}

private:
  bool OnInit() override;
  void OnOK() override;

  CSettings& _settings;
  CAdvancedOverwritesModel _model;
};

} // namespace bw
