// The command words the viewer, the context menu, the unload hook and a second start of the
// tray program send to the tray program's main window, and how that window is found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bw {

/// The command codes, the low byte of a command word.
enum class RemoteCommand : uint8_t {
  Zap = 1,        ///< zap the items in the Selections key
  CleanDrive = 2, ///< clean one drive (letter in the word)
  ScanDrive = 3,  ///< scan one drive for deleted data (letter in the word)
  Configure = 4,  ///< open the configuration sheet
  Exit = 100,     ///< end the tray program
};

/// The word for command: the code in bits 0-7 and, for the two drive commands only, letter (one
/// character, as the sender found it) in bits 16-23; every other bit 0.
constexpr uint32_t MakeCommandWord(RemoteCommand command, char letter = '\0') {
  uint32_t word = static_cast<uint8_t>(command);
  if (command == RemoteCommand::CleanDrive || command == RemoteCommand::ScanDrive)
    word |= uint32_t{static_cast<uint8_t>(letter)} << 16;
  return word;
}

/// The code of a received word: its low byte, whatever the other bits hold.
constexpr uint8_t CommandCode(uint32_t word) {
  return static_cast<uint8_t>(word & 0xFF);
}

/// The drive letter of a received word: the byte at bits 16-23.
constexpr char CommandLetter(uint32_t word) {
  return static_cast<char>((word >> 16) & 0xFF);
}

/// The title of the tray program's main window.
inline constexpr const char* kMainWindowTitle = "Blankwright";
/// The title of the drive viewer's window, which the unload hook closes.
inline constexpr const char* kViewerWindowTitle = "Blankwright Drive Viewer";
/// How long a sender waits after starting the tray program before it looks again.
constexpr uint32_t kStartWaitMilliseconds = 4000;

/// The class names of the main window in the order senders try them: the class the tray
/// program registers, then two a sender also accepts. The second start of the tray program and
/// the unload hook try only the first two (count 2).
inline std::vector<std::string> MainWindowClasses(size_t count = 3) {
  static const char* const kClasses[] = {"AfxFrameOrView42s", "AfxFrameOrView42sd",
                                         "AfxFrameOrView42d"};
  std::vector<std::string> classes;
  for (size_t i = 0; i < count && i < std::size(kClasses); ++i)
    classes.emplace_back(kClasses[i]);
  return classes;
}

} // namespace bw
