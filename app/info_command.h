// velomorph info: what the loaded plug-in tells the host about itself.
#pragma once

#include <ostream>
#include <string>

// Prints the library description, class identity, version and every parameter of the block.
// Returns the process exit code.
int RunInfoCommand(const std::string& pluginPath, std::ostream& out, std::ostream& err);
