// velomorph rollout: draws the modifier's rollout as the host shows it in the Modify panel, as SVG.
//
//   velomorph rollout [--scene FILE.vms] [--node NAME] [--target BASE.obj --input IN.obj
//                     [--as mesh|poly|patch]] [--operation ...] [--axis ...] [--offset F]
//                     [--direction ...] [--align-center on|off] [--set NAME=VALUE]... [--scale N] --svg FILE
//
// With --scene the modifier is the top ambiflex modifier of node NAME (or of the first node that
// carries one) in the loaded scene; with --target and --input it is applied to the input with the
// base as its target; with neither it is a fresh modifier applied to nothing. The node is
// evaluated with the rollout open, so the enabled states and the target's name show the result of
// that evaluation. Prints one summary line (on standard error when --svg - takes standard output).
// Returns the process exit code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

int RunRolloutCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                      std::ostream& err);
