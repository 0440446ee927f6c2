// velomorph check: how symmetric a base mesh is under the modifier's pairing.
//
//   velomorph check --target BASE.obj [--axis x|y|z] [--offset F] [--tolerance T] [--json] [--svg FILE]
//                   [--timings]
//
// Exit 0 when every vertex's partner lies within T of its reflection, 1 otherwise; 2 usage, 3 a
// file that cannot be read or parsed, 6 a picture that could not be written.
#pragma once

#include <ostream>
#include <string>
#include <vector>

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
