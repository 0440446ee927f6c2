// velomorph: runs the ambiflex symmetry modifier inside the host on mesh files.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "apply_command.h"
#include "command_line.h"
#include "exit_codes.h"
#include "check_command.h"
#include "demo_command.h"
#include "file_paths.h"
#include "gizmo_command.h"
#include "info_command.h"
#include "plugin_session.h"
#include "rollout_command.h"
#include "scene_command.h"

namespace {

void printUsage(std::ostream& out) {
  out << "usage: velomorph [--plugin FILE] <command> [options]\n"
         "commands:\n"
         "  info     what the plug-in tells the host about itself\n"
         "  demo     mirror, flip and reset the embedded sample head [--out DIR]\n"
         "  apply    run the modifier on mesh files: --target BASE.obj --input IN.obj ... (--out F | --out-dir D)\n"
         "  check    how symmetric a base mesh is: --target BASE.obj [--axis x|y|z] [--tolerance T] [--json] [--svg F]\n"
         "  scene    load a scene, call reset functions, set parameters, evaluate and write its meshes\n"
         "  rollout  draw the modifier's rollout as the host shows it: --svg F [--scene F.vms | --target B --input I]\n"
         "  gizmo    draw the mirror-plane gizmo for given parameters: --svg F [--axis x|y|z] [--offset F]\n";
}

}  // namespace

int main(int argc, char** argv) {
  UseUtf8Console();
  RemoveTemporaryFilesOnSignals();
  std::vector<std::string> args = CommandLineArguments(argc, argv);
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
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "info") return RunInfoCommand(plugin, std::cout, std::cerr);
  if (command == "demo") return RunDemoCommand(rest, plugin, std::cout, std::cerr);
  if (command == "apply") return RunApplyCommand(rest, plugin, std::cout, std::cerr);
  if (command == "check") return RunCheckCommand(rest, std::cout, std::cerr);
  if (command == "scene") return RunSceneCommand(rest, plugin, std::cout, std::cerr);
  if (command == "rollout") return RunRolloutCommand(rest, plugin, std::cout, std::cerr);
  if (command == "gizmo") return RunGizmoCommand(rest, plugin, std::cout, std::cerr);
  std::cerr << "velomorph: unknown command '" << command << "'\n";
  printUsage(std::cerr);
  return kExitUsage;
}
