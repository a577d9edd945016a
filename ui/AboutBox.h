// The About box every program shows: the program's name and the product's version, under the
// program's icon. Each program's .rc carries the dialog (resource 144) with these control ids.
#pragma once

#include "ui/AboutBoxRes.h"
#include "ui/Dialog.h"

#include <string>

namespace bw::ui {

class CAboutBox final : public CDialog {
public:
  explicit CAboutBox(std::string programName) : _programName(std::move(programName)) {}

protected:
  bool OnInit() override;

private:
  std::string _programName;
};

} // namespace bw::ui
