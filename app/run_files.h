// The files one command reads and writes, checked against each other before any is touched: two
// names for one file (the same path twice, a link, a hard link, "dir/../x") would make the run
// replace one of the user's files with another.
#pragma once

#include <ostream>
#include <string>
#include <vector>

class RunFiles {
 public:
  // `role` names the file for messages: the option that gave it ("--target"). An empty path (an
  // option not given) adds nothing.
  void AddInput(const std::string& role, const std::string& path);
  // `mayReplace`: the one input this output is allowed to be (a result written over the input it was
  // made from, a scene saved over the scene it was loaded from), or empty.
  void AddOutput(const std::string& role, const std::string& path, const std::string& mayReplace = {});

  // One line naming the first two roles that name the same file
  // ("--out out.obj is the same file as --target base.obj"), or empty. Devices and pipes are not
  // compared: writing /dev/null twice loses nothing. "-" (standard input or output) clashes only
  // with another "-" of the same direction.
  std::string Clash() const;
  // One line naming the first output that cannot be written ("out.obj: cannot replace: the file is
  // read-only"), or empty.
  std::string Unwritable() const;
  // Both, before `command` starts: prints what is wrong on `err` and returns the exit code to end
  // with (a clash is a usage error, an output that cannot be written a write failure), or kExitOk.
  // Once passed, GuardInputsUntilWritten keeps watch for the rest of the run.
  int Check(const std::string& command, std::ostream& err) const;
  // Checks every write of the program again just before it replaces anything (SetPlacementCheck):
  // a destination that now leads to one of these inputs (a link made while the run worked) is
  // refused, except the one input the output may replace. Replaces the watch of an earlier check.
  void GuardInputsUntilWritten() const;

 private:
  struct Entry {
    std::string role;
    std::string path;
    bool output;
    std::string mayReplace;
  };
  std::vector<Entry> entries_;
};
