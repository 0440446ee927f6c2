// velomorph: runs the ambiflex symmetry modifier inside the host on mesh files.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "apply_command.h"
#include "check_command.h"
#include "command_line.h"
#include "demo_command.h"
#include "exit_codes.h"
#include "file_paths.h"
#include "gizmo_command.h"
#include "info_command.h"
#include "plugin_session.h"
#include "rollout_command.h"
#include "scene_command.h"
#include "symmetrize_command.h"

namespace {

void printUsage(std::ostream& out) {
  out << "usage: velomorph [--plugin FILE] <command> [options]\n"
         "       velomorph help <command> | <command> --help | --version\n"
         "commands:\n"
         "  info     what the plug-in tells the host about itself, every parameter with its range\n"
         "  demo     mirror, flip and reset the embedded sample head [--out DIR]\n"
         "  apply    run the modifier on mesh files: --target BASE.obj --input IN.obj ... (--out F | --out-dir D)\n"
         "  check    how symmetric a base mesh is: --target BASE.obj [--axis x|y|z] [--offset F] [--tolerance T]\n"
         "  symmetrize  make a base exactly symmetric, nothing renumbered: --target BASE.obj --out SYM.obj\n"
         "  scene    load a scene, call reset functions, set parameters, evaluate and write its meshes\n"
         "  rollout  draw the modifier's rollout as the host shows it: --svg F [--scene F.vms | --target B --input I]\n"
         "  gizmo    draw the mirror-plane gizmo: --svg F [--axis x|y|z] [--offset F] [--size F]\n"
         "--plugin FILE loads another build of the plug-in; a name without a folder is looked for in the\n"
         "current folder first.\n"
         "Exit codes: 0 done, 1 check: not symmetric, 2 usage, 3 unreadable file, 4 meshes that do not match,\n"
         "5 the modifier failed, 6 a result could not be written.\n";
}

// A plug-in named without a folder ("myplug.so") is the one in the current folder when there is one
// there, as a user expects; the system's library search would otherwise look elsewhere.
std::string pluginPathFor(const std::string& given) {
  if (given.find('/') != std::string::npos || given.find('\\') != std::string::npos) return given;
  std::error_code ec;
  if (std::filesystem::exists(FilePath(given), ec)) return "./" + given;
  return given;
}

using Command = int (*)(const std::vector<std::string>&, const std::string&, std::ostream&, std::ostream&);

int runCheck(const std::vector<std::string>& args, const std::string&, std::ostream& out, std::ostream& err) {
  return RunCheckCommand(args, out, err);
}

int runSymmetrize(const std::vector<std::string>& args, const std::string&, std::ostream& out, std::ostream& err) {
  return RunSymmetrizeCommand(args, out, err);
}

Command commandNamed(const std::string& name) {
  if (name == "info") return RunInfoCommand;
  if (name == "demo") return RunDemoCommand;
  if (name == "apply") return RunApplyCommand;
  if (name == "check") return runCheck;
  if (name == "symmetrize") return runSymmetrize;
  if (name == "scene") return RunSceneCommand;
  if (name == "rollout") return RunRolloutCommand;
  if (name == "gizmo") return RunGizmoCommand;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  UseUtf8Console();
  RemoveTemporaryFilesOnSignals();
  std::vector<std::string> args = CommandLineArguments(argc, argv);
  std::string plugin = DefaultPluginPath();
  if (!args.empty() && args[0].rfind("--plugin=", 0) == 0) {
    plugin = pluginPathFor(args[0].substr(9));
    args.erase(args.begin());
  } else if (args.size() >= 2 && args[0] == "--plugin") {
    plugin = pluginPathFor(args[1]);
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) {
    printUsage(std::cerr);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    printUsage(std::cout);
    return kExitOk;
  }
  if (args[0] == "--version") {
    std::cout << "velomorph " << VELOMORPH_VERSION << "\n";
    return kExitOk;
  }
  if (args[0] == "help") {
    if (args.size() == 1) {
      printUsage(std::cout);
      return kExitOk;
    }
    if (Command command = commandNamed(args[1])) return command({"--help"}, plugin, std::cout, std::cerr);
    std::cerr << "velomorph: no command '" << args[1] << "' to help with\n";
    printUsage(std::cerr);
    return kExitUsage;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (Command command = commandNamed(args[0])) return command(rest, plugin, std::cout, std::cerr);
  std::cerr << "velomorph: unknown command '" << args[0] << "'\n";
  printUsage(std::cerr);
  return kExitUsage;
}
