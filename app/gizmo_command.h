// velomorph gizmo: draws, as SVG, what the modifier's mirror-plane gizmo sends to a viewport for
// the given parameters.
//
//   velomorph gizmo [--axis x|y|z] [--direction negative|positive] [--offset F] [--size F]
//                   [--node-scale S] [--view front|top|side|iso|angled] [--set NAME=VALUE]... --svg FILE
//
// The gizmo is shown (displayAxis on) unless --set displayAxis=0 says otherwise; --node-scale
// scales the node carrying the modifier uniformly. --svg - writes the picture to standard output
// (the summary then goes to standard error). Prints one summary line with the number of lines
// and the world box the modifier reports. Returns the process exit code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

int RunGizmoCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                    std::ostream& err);
