// --timings: the seconds a command spent in each of its phases, summed over a whole batch and
// printed once at the end, one line per phase in the order the command names them:
// "timing <phase> <seconds>" on standard error.
#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

class PhaseTimes {
 public:
  // `phases` in the order they are printed; `on` false measures nothing and prints nothing.
  PhaseTimes(bool on, std::vector<std::string> phases);

  // Starts the clock for the next Stop.
  void Start() { start_ = std::chrono::steady_clock::now(); }
  // Adds the time since Start (or the last Stop) to phase number `phase`, and starts again.
  void Stop(size_t phase);
  void Print(std::ostream& err) const;

 private:
  bool on_;
  std::vector<std::string> names_;
  std::vector<double> seconds_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
