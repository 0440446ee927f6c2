// velomorph scene: loads a saved scene, runs published functions and parameter settings on its
// ambiflex modifiers as a script would, evaluates it and writes what the modifiers made.
//
//   velomorph scene FILE.vms [--call reset|resetTarget|resetMatch]... [--set NAME=VALUE]...
//     [--out-dir DIR] [--save FILE.vms]
//
// Every --call runs, in order, on every ambiflex modifier of the scene (each instanced modifier
// once); then every --set, in order (node parameters take a node name). Each node that carries a
// modifier is evaluated and its mesh written as DIR/<node name>.obj (default DIR "."): `v` and
// `f` lines, with `vt` and texture indices when the mesh has map channel 1. With constant update
// off, a loaded scene hands on its stored results without capturing its targets again. --save
// writes the scene afterwards, caches included.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// `args` are the words after "scene". Returns the exit code: 0 ok, 2 usage (also a --set the
// modifier refuses), 3 a file that cannot be read, parsed or written (a damaged scene included,
// and a node name that cannot be a file name). Each failure is one line on `err` naming the file.
int RunSceneCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                    std::ostream& err);
