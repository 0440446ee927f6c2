// Arguments and console text as UTF-8: nothing to convert on Linux; on Windows the wide command line
// and the console's UTF-8 code page.
#include "command_line.h"

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>

#include "strclass.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(MSTR(wide[i]).ToUTF8());
  LocalFree(wide);
  return args;
}

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }

#else

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

void UseUtf8Console() {}

#endif
