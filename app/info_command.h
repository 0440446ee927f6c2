// velomorph info: what the loaded plug-in tells the host about itself.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Prints the library description, class identity, version and every parameter of the block; `args`
// may only ask for help. Returns the process exit code.
int RunInfoCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                   std::ostream& err);
