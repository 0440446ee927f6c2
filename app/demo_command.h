// velomorph demo [--out DIR]: the modifier at work on the embedded sample, with no input at all.
// Writes base.obj, sculpt.obj, mirrored.obj, flipped.obj and reset.obj into DIR (default
// ./velomorph-demo) and prints a short report.
#pragma once

#include <ostream>
#include <string>
#include <vector>

int RunDemoCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                   std::ostream& err);
