// Progress a plug-in reports through the core interface (Interface::ProgressUpdate), handed to the
// host program so it can show it its own way (the command line's progress line). The listener is
// called on the thread that reports, while the plug-in waits.
#pragma once

#include <functional>
#include <string>
#include <utility>

// percent: 0 to 100 as the plug-in gave it; title: empty unless the plug-in named the operation.
using ProgressListener = std::function<void(int percent, const std::wstring& title)>;

// Installs `listener` (an empty one: none) and returns the one it replaces, so a caller can put it
// back when done.
ProgressListener SetProgressListener(ProgressListener listener);

// Installs a listener for its own lifetime, then puts back the one it replaced.
class ScopedProgressListener {
 public:
  explicit ScopedProgressListener(ProgressListener listener) : replaced_(SetProgressListener(std::move(listener))) {}
  ~ScopedProgressListener() { SetProgressListener(std::move(replaced_)); }
  ScopedProgressListener(const ScopedProgressListener&) = delete;
  ScopedProgressListener& operator=(const ScopedProgressListener&) = delete;

 private:
  ProgressListener replaced_;
};
