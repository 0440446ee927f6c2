// velomorph symmetrize.
#include "symmetrize_command.h"

#include <cstdio>

#include "command_options.h"
#include "exit_codes.h"
#include "file_bytes.h"
#include "mesh_partners.h"
#include "obj_mesh_file.h"
#include "phase_times.h"
#include "run_files.h"
#include "token_text.h"
#include "toolkit/symmetrize_positions.h"

namespace {

const char kHelp[] =
    "usage: velomorph symmetrize --target BASE.obj --out SYM.obj [options]\n"
    "Makes a base exactly symmetric without renumbering anything: each pair of partners becomes exact\n"
    "mirror images, vertices on the plane are put on it; vertex order, faces and every other byte stay.\n"
    "\n"
    "  --target BASE.obj                  the base to make symmetric (\"-\": standard input)\n"
    "  --out SYM.obj                      the result (\"-\": standard output)\n"
    "  --pairing position|topology        partners nearest the mirror images (default), or from the connectivity\n"
    "  --seed-edge A,B                    topology: start from the edge A-B (1-based), one that is its own mirror image\n"
    "  --keep positive|negative|average   which side's positions pairs take (default positive), or their average\n"
    "  --axis x|y|z, --offset F           the mirror plane: axis = F (default x = 0)\n"
    "  --report-out FILE                  a CSV: vertex, partner, distance moved (partner 0: none)\n"
    "  --timings                          one line per phase on standard error: timing <read|pair|move|write> <seconds>\n"
    "  --quiet                            no summary line\n"
    "  -h, --help                         this help\n"
    "\n"
    "Exit codes: 0 done, 2 usage, 3 unreadable file or a mesh topology pairing refuses, 6 a file could not be written.\n";

struct SymmetrizeOptions {
  std::string target;
  std::string out;
  std::string reportOut;
  PairingRequest pairing;
  KeepSide keep = KeepSide::kPositive;
  bool timings = false;
  bool quiet = false;
};

SymmetrizeOptions parseOptions(const CommandWords& words) {
  SymmetrizeOptions o;
  for (const GivenOption& given : words.options) {
    const std::string& a = given.name;
    const std::string& v = given.values.empty() ? a : given.value();
    if (a == "--target") o.target = v;
    else if (a == "--out") o.out = v;
    else if (a == "--report-out") o.reportOut = v;
    else if (a == "--timings") o.timings = true;
    else if (a == "--quiet") o.quiet = true;
    else if (a == "--pairing") {
      if (!ParsePairingKind(v, o.pairing.kind)) throw UsageError{"--pairing takes position|topology, not '" + v + "'"};
    } else if (a == "--seed-edge") {
      if (!ParseSeedEdge(v, o.pairing.seedA, o.pairing.seedB)) throw UsageError{"--seed-edge takes two vertex numbers A,B (from 1), not '" + v + "'"};
    } else if (a == "--keep") {
      if (v == "positive") o.keep = KeepSide::kPositive;
      else if (v == "negative") o.keep = KeepSide::kNegative;
      else if (v == "average") o.keep = KeepSide::kAverage;
      else throw UsageError{"--keep takes positive|negative|average, not '" + v + "'"};
    } else if (a == "--axis") {
      if (v.size() != 1 || v[0] < 'x' || v[0] > 'z') throw UsageError{"--axis takes x|y|z, not '" + v + "'"};
      o.pairing.axis = v[0] - 'x';
    } else if (a == "--offset") {
      if (ParseFloatToken(v, o.pairing.offset) != FloatTokenStatus::kOk) throw UsageError{"--offset takes a finite number, not '" + v + "'"};
    }
  }
  if (o.target.empty()) throw UsageError{"--target BASE.obj is required"};
  if (o.out.empty()) throw UsageError{"--out SYM.obj is required"};
  if (o.pairing.seedA >= 0 && o.pairing.kind != PairingKind::kTopology) throw UsageError{"--seed-edge starts topology pairing: give --pairing topology as well"};
  if (IsStandardStream(o.out) && IsStandardStream(o.reportOut)) throw UsageError{"--out - and --report-out - would both write to standard output"};
  return o;
}

std::string reportCsv(const std::vector<int>& partners, const SymmetrizedPositions& moved) {
  std::string csv = "vertex,partner,moved\n";
  csv.reserve(partners.size() * 16);
  char distance[40];
  for (size_t i = 0; i < partners.size(); ++i) {
    std::snprintf(distance, sizeof(distance), "%.9g", moved.moved[i]);
    csv += std::to_string(i + 1) + "," + std::to_string(partners[i] + 1) + "," + distance + "\n";
  }
  return csv;
}

}  // namespace

int RunSymmetrizeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  SymmetrizeOptions options;
  const std::vector<OptionForm> forms = {{"--target"}, {"--out"}, {"--pairing"}, {"--seed-edge"}, {"--keep"}, {"--axis"},
                                         {"--offset"}, {"--report-out"}, {"--timings", OptionForm::kFlag},
                                         {"--quiet", OptionForm::kFlag}};
  if (int stop = ReadCommandOptions("symmetrize", args, forms, 0, kHelp,
                                     [&](const CommandWords& words) { options = parseOptions(words); }, out, err);
      stop != kCarryOn)
    return stop;
  RunFiles files;
  files.AddInput("--target", options.target);
  files.AddOutput("--out", options.out, options.target);
  files.AddOutput("--report-out", options.reportOut);
  if (int refused = files.Check("symmetrize", err); refused != kExitOk) return refused;
  PhaseTimes times(options.timings, {"read", "pair", "move", "write"});

  ObjReadResult base = ReadObjFile(options.target);
  if (!base.ok) {
    err << "velomorph: " << base.error << "\n";
    return kExitUnreadable;
  }
  times.Stop(0);
  const std::string name = StreamName(options.target, true);
  MeshPartners found = FindMeshPartners(base.mesh, options.pairing, name);
  if (!found.ok) {
    err << "velomorph: " << found.error << "\n";
    return kExitUnreadable;
  }
  times.Stop(1);
  const std::vector<Point3>& positions = base.mesh.positions;
  const SymmetrizedPositions result = SymmetrizePositions(positions.data(), int(positions.size()), found.partners.data(),
                                                          options.keep, options.pairing.axis, options.pairing.offset);
  times.Stop(2);
  std::string error;
  if (!WriteObjWithPositions(base.mesh, result.positions, options.out, error)) {
    err << "velomorph: " << error << "\n";
    return kExitWriteFailed;
  }
  if (!options.reportOut.empty() && !WriteFileBytes(options.reportOut, reportCsv(found.partners, result), error)) {
    err << "velomorph: " << error << "\n";
    return kExitWriteFailed;
  }
  times.Stop(3);
  if (!options.quiet) {
    err << "velomorph: " << name << " -> " << StreamName(options.out, false) << ": " << result.movedVertices << " of "
        << positions.size() << " vertices moved, the largest move " << ShortestText(float(result.largestMove));
    if (options.pairing.kind == PairingKind::kTopology) err << " (" << found.shells << ")";
    err << "\n";
    if (!result.unpaired.empty()) {
      err << "velomorph: " << name << ": " << result.unpaired.size() << " vertices could not be paired and were left as they were: "
          << VertexListText(result.unpaired) << "\n";
    }
  }
  times.Print(err);
  return kExitOk;
}
