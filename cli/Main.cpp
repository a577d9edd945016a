// blankwright: the command line of the Blankwright engine.
#include "cli/Commands.h"
#include "platform/Platform.h"

#include <cstdio>
#include <cstring>

namespace {

using bw::cli::Command;

const Command* const kCommands[] = {
    &bw::cli::kCleanCommand, &bw::cli::kConfigCommand, &bw::cli::kDriveCommand,
    &bw::cli::kInfoCommand,  &bw::cli::kScanCommand,   &bw::cli::kVerifyCommand,
    &bw::cli::kZapCommand,
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: blankwright COMMAND [ARGUMENTS]\n\n"
                    "Blankwright destroys the recoverable remains of deleted data on a drive.\n\n"
                    "Commands:\n");
  for (const Command* c : kCommands)
    std::fprintf(out, "  %-8s %s\n", c->Name, c->Summary);
  std::fprintf(out, "\n'blankwright COMMAND --help' describes a command.\n");
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return bw::cli::kExitFailure;
  }
  std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    if (name == "help" && argc > 2)
      name = argv[2];
    else {
      PrintUsage(stdout);
      return bw::cli::kExitOk;
    }
    for (const Command* c : kCommands)
      if (name == c->Name) {
        std::fputs(c->Help, stdout);
        return bw::cli::kExitOk;
      }
  }
  for (const Command* c : kCommands) {
    if (name != c->Name)
      continue;
    bw::cli::Arguments arguments(argv + 2, argv + argc);
    if (bw::cli::WantsHelp(arguments)) {
      std::fputs(c->Help, stdout);
      return bw::cli::kExitOk;
    }
    std::unique_ptr<bw::IPlatform> platform = bw::CreateNativePlatform();
    return c->Run(*platform, arguments);
  }
  bw::cli::PrintError("unknown command " + name + " (see blankwright --help)");
  return bw::cli::kExitFailure;
}
