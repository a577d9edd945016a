// The Deleted Data Report after a scan: its figures in dark red under a navy heading.
#pragma once

#include "ui/Dialog.h"
#include "viewer/ViewerView.h"

#include <string>

namespace bw {

class CReportDialog final : public ui::CDialog {
public:
  /// listNote: the line saying the cluster list stopped short; empty when it did not.
  CReportDialog(ScanReport report, std::string listNote)
      : _report(std::move(report)), _listNote(std::move(listNote)) {}
  ~CReportDialog() override;
  CReportDialog(const CReportDialog&) = delete;
  CReportDialog& operator=(const CReportDialog&) = delete;

protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnInit() override;

private:
  ScanReport _report;
  std::string _listNote;
  HFONT _headingFont = nullptr;
};

} // namespace bw
