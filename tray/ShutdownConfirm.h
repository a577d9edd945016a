// What the System Shutdown dialog's "Shut down and clean drive list" button decides: whether a
// drive is marked, where the 9x swap file is and whether its drive is in the list, and what of
// the dialog goes into the settings record before the shut-down cleaning is queued.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bw {

class CDriveListModel;
class CSettings;
class IPlatform;

/// The questions the button may ask, answered by the dialog's windows.
class IShutdownPrompts {
public:
  virtual ~IShutdownPrompts() = default;
  /// A message box owned by the dialog; an kId* result.
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;
  /// The Swap File Path dialog preset with preset: the entered path, nothing when not confirmed.
  virtual std::optional<std::string> AskSwapFilePath(const std::string& preset) = 0;
  /// The drive list changed (a drive was marked): the control redraws.
  virtual void DriveListChanged() {}
};

/// The swap file's short path must fit the boot-time cleaner's command line.
constexpr size_t kMaxSwapFilePath = 47;

/// Button 1003 with the check box's state. True: the dialog ends with OK, and DriveList,
/// CleanSwapFile and, on the 9x family, SwapFilePath of settings hold the dialog's choice (in
/// memory; the caller saves). False: the dialog stays open.
bool ConfirmShutdown(IPlatform& platform, CSettings& settings, CDriveListModel& drives,
                     bool cleanSwapFile, IShutdownPrompts& prompts);

} // namespace bw
