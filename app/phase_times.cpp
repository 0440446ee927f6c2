// Phase timings.
#include "phase_times.h"

#include <cstdio>

PhaseTimes::PhaseTimes(bool on, std::vector<std::string> phases)
    : on_(on), names_(std::move(phases)), seconds_(names_.size(), 0.0) {}

void PhaseTimes::Stop(size_t phase) {
  const auto now = std::chrono::steady_clock::now();
  seconds_[phase] += std::chrono::duration<double>(now - start_).count();
  start_ = now;
}

void PhaseTimes::Print(std::ostream& err) const {
  if (!on_) return;
  for (size_t phase = 0; phase < names_.size(); ++phase) {
    char line[96];
    std::snprintf(line, sizeof(line), "timing %s %.6f\n", names_[phase].c_str(), seconds_[phase]);
    err << line;
  }
}
