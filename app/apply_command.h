// velomorph apply: runs the modifier on mesh files against a base mesh and writes the results.
//
//   velomorph apply --target BASE.obj --input IN.obj [IN2.obj ...] (--out OUT.obj | --out-dir DIR)
//     [--operation mirror|flip|reset] [--axis x|y|z] [--offset F] [--direction negative|positive]
//     [--align-center on|off] [--as mesh|poly|patch] [--selection FILE] [--base-selection FILE]
//     [--invert-base-selection] [--carry-selection] [--selection-only] [--selection-out FILE]
//     [--asymmetry ASYM.obj] [--asymmetry-type local|surface] [--uv-dominance u|v]
//     [--normalize-frames] [--set NAME=VALUE]... [--pairing position|topology] [--seed-edge A,B]
//     [--timings] [--quiet] [--save-scene FILE.vms]
//
// --save-scene saves the evaluated scene (base, inputs, the modifier and its node caches). Each
// input gets one summary line on standard error (--quiet leaves them out): the side written, the
// vertices changed, and a warning when Mirror wrote over a sculpt. "-" reads one input (or the base)
// from standard input, and --out - writes the result to standard output.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Returns the exit code: 0 ok, 2 usage, 3 a file that cannot be read or parsed, 4 meshes that do
// not match, 5 the host reported the modifier failing on an input, 6 a result that could not be
// written; a batch with several failures ends with the highest. Every input that failed is
// reported on `err` and nothing is written for it; the others still run.
int RunApplyCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                    std::ostream& err);
