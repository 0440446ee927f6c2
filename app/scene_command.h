// velomorph scene: loads a saved scene, runs published functions and parameter settings on its
// ambiflex modifiers as a script would, evaluates it and writes what the modifiers made.
//
//   velomorph scene FILE.vms [--call reset|resetTarget|resetMatch]... [--set NAME=VALUE]...
//     [--operation ...] [--axis ...] [--offset F] [--direction ...] [--align-center on|off]
//     [--out-dir DIR] [--save FILE.vms] [--timings] [--quiet]
//
// Every --call runs, in order, on every ambiflex modifier of the scene (each instanced modifier
// once); then every --set, in order (node parameters take a node name). Each node that carries a
// modifier is evaluated and its mesh written as DIR/<node name>.obj (default DIR "."): `v` and
// `f` lines, with `vt` and texture indices when the mesh has map channel 1. With constant update
// off, a loaded scene hands on its stored results without capturing its targets again. --save
// writes the scene afterwards, caches included. FILE "-" reads standard input, --save - writes
// standard output. Each mesh written gets a line on standard error (--quiet leaves them out); a
// scene with nothing to evaluate or write says so.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// `args` are the words after "scene". Returns the exit code: 0 ok, 2 usage (also a value outside
// its parameter's range), 3 a file that cannot be read or parsed (a damaged scene included, and a
// node name that cannot be a file name), 6 a mesh or the scene that could not be written. Each
// failure is one line on `err` naming the file.
int RunSceneCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                    std::ostream& err);
