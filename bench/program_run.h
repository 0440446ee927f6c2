// One run of a program as a benchmark measures it: the wall clock, the peak resident memory (the
// child's own), the exit code, and the `timing <phase> <seconds>` lines it prints on standard error,
// in their order. The program runs in `folder`, its standard error kept in folder/stderr.txt; other
// lines are passed on when the run fails.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

struct Run {
  std::vector<std::pair<std::string, double>> phases;  // in the order the program prints them
  double wall = 0;
  double peakMB = 0;
  int exitCode = -1;
};

inline Run runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& folder) {
  const std::string errPath = folder + "/stderr.txt";
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (!std::freopen(errPath.c_str(), "w", stderr) || chdir(folder.c_str()) != 0) _exit(126);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage = {};
  wait4(pid, &status, 0, &usage);
  Run run;
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakMB = double(usage.ru_maxrss) / 1024.0;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::ifstream err(errPath);
  std::string word, phase;
  double seconds = 0;
  for (std::string line; std::getline(err, line);) {
    std::istringstream in(line);
    if (in >> word >> phase >> seconds && word == "timing") run.phases.emplace_back(phase, seconds);
    else if (run.exitCode != 0) std::fprintf(stderr, "%s\n", line.c_str());
  }
  return run;
}
