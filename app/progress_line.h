// What a command is doing, shown on one line of a terminal that is rewritten in place, once the
// work has taken longer than a second: a user waiting on a dense mesh sees it is still going.
// Nothing is drawn when standard error is not a terminal (a log file, a pipe) or when asked not to;
// messages then pass straight through.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

class ProgressLine {
 public:
  // Draws on `err` only when `wanted` and standard error is a terminal.
  ProgressLine(std::ostream& err, bool wanted);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // What is being done now ("sculpt.obj: pairing and applying").
  void Show(const std::string& status);
  // Prints `line` (without its line end) for good: the progress line is cleared first and drawn
  // again below it at its next turn.
  void Say(const std::string& line);
  // Clears the line and draws no more; messages still pass through.
  void Finish();

 private:
  void run();
  void clearLocked();

  std::ostream& err_;
  const bool drawing_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::string status_;
  bool drawn_ = false;
  bool stopping_ = false;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::thread thread_;
};
