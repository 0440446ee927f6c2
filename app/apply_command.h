// velomorph apply: runs the modifier on mesh files against a base mesh and writes the results.
//
//   velomorph apply --target BASE.obj --input IN.obj [IN2.obj ...] (--out OUT.obj | --out-dir DIR)
//     [--operation mirror|flip|reset] [--axis x|y|z] [--offset F] [--direction negative|positive]
//     [--align-centre on|off] [--as mesh|poly|patch] [--selection FILE] [--base-selection FILE]
//     [--invert-base-selection] [--carry-selection] [--selection-only] [--selection-out FILE]
//     [--asymmetry ASYM.obj] [--asymmetry-type local|surface] [--uv-dominance u|v]
//     [--normalize-frames] [--set NAME=VALUE]... [--timings] [--save-scene FILE.vms]
//
// --save-scene saves the evaluated scene (base, inputs, the modifier and its node caches).
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Returns the exit code: 0 ok, 2 usage, 3 a file that cannot be read or parsed, 4 meshes that do
// not match, 5 the host reported the modifier failing on an input. Every input that failed is reported on `err` and nothing is written for it; the
// others still run.
int RunApplyCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                    std::ostream& err);
