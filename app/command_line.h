// The program's arguments and console output as UTF-8, whatever the system: on Windows the narrow
// argv is in the ANSI code page and loses every character outside it, so the arguments come from
// the wide command line.
#pragma once

#include <string>
#include <vector>

// The arguments after the program's own name.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Makes the console show the program's UTF-8 messages as such (Windows consoles default to the OEM
// code page, which garbles every file name outside ASCII). Nothing to do elsewhere.
void UseUtf8Console();
