// velomorph: runs the ambiflex symmetry modifier inside the host on mesh files.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "exit_codes.h"
#include "info_command.h"
#include "plugin_session.h"

namespace {

void printUsage(std::ostream& out) {
  out << "usage: velomorph [--plugin FILE] <command> [options]\n"
         "commands:\n"
         "  info     what the plug-in tells the host about itself\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string plugin = DefaultPluginPath();
  if (args.size() >= 2 && args[0] == "--plugin") {
    plugin = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    printUsage(args.empty() ? std::cerr : std::cout);
    return args.empty() ? kExitUsage : kExitOk;
  }
  const std::string& command = args[0];
  if (command == "info") return RunInfoCommand(plugin, std::cout, std::cerr);
  std::cerr << "velomorph: unknown command '" << command << "'\n";
  printUsage(std::cerr);
  return kExitUsage;
}
