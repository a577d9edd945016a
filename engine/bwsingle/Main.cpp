// BWSingle.exe (Windows) / bwsingle (Linux): BWSingle FOLDER\ COUNT [FIRST]
//
// Started by deleted-name cleaning; makes the one-entry filler files in FOLDER and ends. On
// Linux FOLDER is in drive-letter form and reaches the volume through the drive map of
// BLANKWRIGHT_HOME, which the program inherits from the one that starts it.
#include "engine/bwsingle/SingleFiller.h"
#include "platform/Platform.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::unique_ptr<bw::IPlatform> platform = bw::CreateNativePlatform();
  if (!platform)
    return bw::kFillerIncomplete;
  return bw::RunSingleFiller(*platform, arguments);
}
