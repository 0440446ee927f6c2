// rc_compiler as the build runs it: a broken script fails the build step with its file and line,
// and leaves no stale source behind. (Good scripts are covered by the loader's test module.)
#include <sys/wait.h>

#include <cstdlib>

#include "resources_support.h"

namespace {

// Runs rc_compiler with `arguments`; returns its exit code, its standard error in r_errors.
int runCompiler(const std::string& arguments, const ScratchFolder& folder, std::string& r_errors) {
  const std::string errors = folder.file("stderr.txt");
  int status = std::system((std::string(RC_COMPILER) + " " + arguments + " 2>" + errors).c_str());
  r_errors = readBytes(errors);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(ResourceCompiler, BrokenScriptFailsWithItsPlaceAndLeavesNoOutput) {
  ScratchFolder folder;
  const std::string script = folder.write("broken.rc", "STRINGTABLE\nBEGIN\n  1 \"a\" 2\nEND\n");
  const std::string out = folder.write("resources.cpp", "// stale output of an earlier build\n");
  std::string errors;
  EXPECT_EQ(runCompiler(script + " " + out, folder, errors), 1);
  EXPECT_NE(errors.find(script + ":4: error: expected the text of a string"), std::string::npos)
      << errors;
  EXPECT_FALSE(std::filesystem::exists(out));

  EXPECT_EQ(runCompiler(folder.file("absent.rc") + " " + out, folder, errors), 1);
  EXPECT_NE(errors.find("absent.rc: error: cannot open"), std::string::npos) << errors;
  EXPECT_EQ(runCompiler(script, folder, errors), 2) << "usage needs both files";
}
