#include "ui/AboutBox.h"

namespace bw::ui {

bool CAboutBox::OnInit() {
  Item(IDC_ABOUT_NAME).SetText(_programName);
  Item(IDC_ABOUT_VERSION).SetText(std::string("Version ") + BW_VERSION);
  SetText("About " + _programName);
  return true;
}

} // namespace bw::ui
