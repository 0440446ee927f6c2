// The progress line: a thread redraws it a few times a second while the work goes on.
#include "progress_line.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "file_paths.h"
#include "printable_text.h"

namespace {

constexpr auto kQuietFor = std::chrono::seconds(1);
constexpr auto kRedrawEvery = std::chrono::milliseconds(250);

bool standardErrorIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& err, bool wanted) : err_(err), drawing_(wanted && standardErrorIsTerminal()) {
  // The drawing thread never takes a stop signal: those are for the thread that writes the files.
  StopSignalsHeld held;
  if (drawing_) thread_ = std::thread([this] { run(); });
}

ProgressLine::~ProgressLine() { Finish(); }

void ProgressLine::Finish() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    clearLocked();
  }
  wake_.notify_all();
  thread_.join();
}

// Lines name files, and a name may hold any bytes: both are shown printable.
void ProgressLine::Show(const std::string& status) {
  std::string shown = PrintableText(status);
  std::lock_guard<std::mutex> lock(mutex_);
  status_ = std::move(shown);
}

void ProgressLine::Say(const std::string& line) {
  const std::string shown = PrintableText(line);
  std::lock_guard<std::mutex> lock(mutex_);
  clearLocked();
  err_ << shown << "\n" << std::flush;
}

void ProgressLine::clearLocked() {
  if (!drawn_) return;
  err_ << "\r\033[K" << std::flush;
  drawn_ = false;
}

void ProgressLine::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    wake_.wait_for(lock, kRedrawEvery);
    if (stopping_) break;
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    if (elapsed < kQuietFor || status_.empty()) continue;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, " (%.0f s)", std::chrono::duration<double>(elapsed).count());
    err_ << "\r\033[Kvelomorph: " << status_ << seconds << std::flush;
    drawn_ = true;
  }
}
