// What follows a shut-down cleaning that cleaned its last drive: on the NT family the system is
// asked to shut down (it clears the paging file itself when told to by the setting); on the 9x
// family, with the swap file to clean, the boot-time cleaner and the program-information file
// that starts it outside Windows are written to the swap drive's root and started.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

class CSettings;
class IFileSystem;
class IMessageBox;
class IPlatform;

/// The boot files in the tray program's resources (type "BOOTFILE").
constexpr int kPifTemplateResource = 172;
constexpr int kSwapCleanerResource = 175;

/// What the continuation asks of the system, so that tests can record it instead.
class IShutdownSystem {
public:
  virtual ~IShutdownSystem() = default;
  enum class Privilege { Enabled, OpenTokenFailed, AdjustFailed };
  /// Enables the process's shut-down privilege.
  virtual Privilege EnableShutdownPrivilege() = 0;
  /// Posts WM_CLOSE to the tray program's own main window.
  virtual void CloseMainWindow() = 0;
  /// ExitWindowsEx(EWX_SHUTDOWN); false when the system refused.
  virtual bool ShutDown() = 0;
  /// A "BOOTFILE" resource of the program; false when it cannot be loaded.
  virtual bool LoadBootFile(int id, std::vector<uint8_t>& data) = 0;
  /// Starts a program (the .pif) without waiting; false when it could not be started.
  virtual bool Start(const std::string& path) = 0;
};

/// Patches a copy of the .pif template: the cleaner's drive, the parameters (both fields) and
/// the icon file's drive. False when the template is too short to hold the fields.
bool PatchPif(std::vector<uint8_t>& pif, char drive, const char* parameters62, char windowsDrive);

/// Writes data to path in whole clusters of clusterSize bytes, then cuts the file back to the
/// data's length. False when the file cannot be created or written.
bool WriteBootFile(IFileSystem& files, const std::string& path, const std::vector<uint8_t>& data,
                   uint32_t clusterSize);

/// Runs the continuation. programName captions the privilege messages.
void ContinueShutdown(IPlatform& platform, const CSettings& settings, IShutdownSystem& system,
                      IMessageBox& box, const std::string& programName);

} // namespace bw
