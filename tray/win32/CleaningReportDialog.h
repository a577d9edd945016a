// The two "Cleaning Report" dialogs at the end of a cleaning: 219 when every drive was cleaned,
// 218 with the drives that were not. While one is open it keeps closing the system's
// low-disk-space notices that a free-space wipe provokes, so that none covers it, and comes to
// the front again after each. Both end with IDOK. After a verified cleaning either grows to show
// the check's lines below its own texts, which stay as they are.
#pragma once

#include "ui/Dialog.h"

#include <string>

namespace bw {

class IDesktop;

class CCleaningReportDialog final : public ui::CDialog {
public:
  /// The complete report (219) when notCleaned is empty, else the one with both lists (218);
  /// verified: the check's lines, none when the cleaning was not verified.
  CCleaningReportDialog(IDesktop& desktop, std::string cleaned, std::string notCleaned = {},
                        std::string verified = {})
      : _desktop(desktop), _cleaned(std::move(cleaned)), _notCleaned(std::move(notCleaned)),
        _verified(std::move(verified)) {}

  /// The dialog resource for the texts given.
  int ResourceId() const;
  INT_PTR Run(HINSTANCE instance, HWND parent) { return DoModal(instance, ResourceId(), parent); }

private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnInit() override;
  void OnOK() override { _done = true; }
  // Esc and the close box end the report like OK: its only answer.
  void OnCancel() override { _done = true; }
  void WatchWhileOpen();
  /// Makes room for the check's lines between the texts and OK, and shows them there.
  void ShowVerified();

  IDesktop& _desktop;
  std::string _cleaned;
  std::string _notCleaned;
  std::string _verified;
  bool _done = false;
  bool _watching = false;
};

} // namespace bw
