// velomorph: runs the ambiflex symmetry modifier inside the host on mesh files.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "apply_command.h"
#include "check_command.h"
#include "command_line.h"
#include "demo_command.h"
#include "exit_codes.h"
#include "file_paths.h"
#include "printable_text.h"
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
         "--plugin FILE loads another build of the plug-in; a name without a folder is a file of the\n"
         "current folder, never looked for elsewhere.\n"
         "Exit codes: 0 done, 1 check: not symmetric, 2 usage, 3 unreadable file, 4 meshes that do not match,\n"
         "5 the modifier failed, 6 a result could not be written.\n";
}

// A plug-in named without a folder ("myplug.so") is the file of that name in the current folder,
// like every other file the command line names. Handed to the loader bare, the name would send the
// system's library search through folders the user never named and load whatever it found there.
std::string pluginPathFor(const std::string& given) {
  if (given.find('/') != std::string::npos || given.find('\\') != std::string::npos) return given;
  return "./" + given;
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

int runCommandLine(std::vector<std::string> args) {
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
    std::cerr << "velomorph: no command '" << PrintableText(args[1]) << "' to help with\n";
    printUsage(std::cerr);
    return kExitUsage;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (Command command = commandNamed(args[0])) return command(rest, plugin, std::cout, std::cerr);
  std::cerr << "velomorph: unknown command '" << PrintableText(args[0]) << "'\n";
  printUsage(std::cerr);
  return kExitUsage;
}

// What went to standard output must have reached it: a report or help text lost to a full disk or a
// closed stream is a failure, not a success.
bool standardOutputWritten() {
  errno = 0;
  std::cout.flush();
  const bool flushed = std::fflush(stdout) == 0;
  const int error = errno;
  if (flushed && std::cout.good() && !std::ferror(stdout)) return true;
  std::cerr << "velomorph: standard output: cannot write" << (error != 0 ? std::string(": ") + std::strerror(error) : "")
            << "\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  UseUtf8Console();
  RemoveTemporaryFilesOnSignals();
  int exitCode = kExitOk;
  try {
    exitCode = runCommandLine(CommandLineArguments(argc, argv));
  } catch (const std::bad_alloc&) {
    // Files are put in place only once whole, and a write cut short removes its temporary file.
    std::cerr << "velomorph: out of memory: the run was stopped; files it finished are whole, nothing else was "
                 "written (docs/bad_input.md says what a mesh needs)\n";
    exitCode = kExitUnreadable;
  } catch (const std::length_error&) {
    std::cerr << "velomorph: out of memory: a table grew beyond what this machine can address; the run was stopped\n";
    exitCode = kExitUnreadable;
  }
  if (!standardOutputWritten()) exitCode = std::max(exitCode, kExitWriteFailed);
  return exitCode;
}
