// The program's arguments as UTF-8, whatever the system: on Windows the narrow argv is in the ANSI
// code page and loses every character outside it, so the arguments come from the wide command line.
#pragma once

#include <string>
#include <vector>

// The arguments after the program's own name.
std::vector<std::string> CommandLineArguments(int argc, char** argv);
