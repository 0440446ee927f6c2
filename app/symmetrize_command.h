// velomorph symmetrize: a base made exactly symmetric, vertex order, faces and every other byte kept.
//
//   velomorph symmetrize --target BASE.obj --out SYM.obj [--pairing position|topology]
//     [--keep positive|negative|average] [--axis x|y|z] [--offset F] [--seed-edge A,B]
//     [--report-out FILE] [--timings] [--quiet]
//
// Each pair of partners becomes exact mirror images (the kept side's positions, or their average);
// a vertex that is its own partner is put on the plane; a vertex with no partner is left as it was
// and named. Only moved coordinates are rewritten. --report-out writes a CSV: vertex, partner,
// distance moved (1-based numbers, partner 0 for none).
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Exit codes: 0 done, 2 usage, 3 a file that cannot be read or parsed or a mesh topology pairing
// refuses (nothing is written then), 6 a file that could not be written.
int RunSymmetrizeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
