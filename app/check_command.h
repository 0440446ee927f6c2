// velomorph check: how symmetric a base mesh is under the modifier's pairing, or under partners
// found from the mesh's connectivity.
//
//   velomorph check --target BASE.obj [--axis x|y|z] [--offset F] [--tolerance T] [--json] [--svg FILE]
//                   [--pairing position|topology] [--seed-edge A,B] [--partners-out FILE] [--timings]
//
// Exit 0 when every vertex has a partner within T of its reflection, 1 otherwise; 2 usage, 3 a
// file that cannot be read or parsed or a mesh topology pairing refuses, 6 a picture or partner
// file that could not be written.
#pragma once

#include <ostream>
#include <string>
#include <vector>

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
