#include "settings/win32/AdvancedOverwritesDlg.h"

#include "settings/win32/SheetRes.h"
#include "ui/Controls.h"

#include <array>

namespace bw {
namespace {

constexpr std::array<int, 5> kLevelRadios = {IDC_LEVEL_1, IDC_LEVEL_2, IDC_LEVEL_3, IDC_LEVEL_4,
                                             IDC_LEVEL_5};

} // namespace

bool CAdvancedOverwritesDlg::OnInit() {
  _model.Open(_settings);
  for (size_t i = 0; i < kLevelRadios.size(); ++i)
    ui::CButton(Item(kLevelRadios[i])).SetCheck(static_cast<int>(i) == _model.Selected);
  return true;
}

void CAdvancedOverwritesDlg::OnOK() {
  _model.Selected = -1;
  for (size_t i = 0; i < kLevelRadios.size(); ++i)
    if (ui::CButton(Item(kLevelRadios[i])).IsChecked())
      _model.Selected = static_cast<int>(i);
  _model.Confirm(_settings);
  End(IDOK);
}

} // namespace bw
