// Files are compared by identity where they exist (device and file number, so links and hard links
// count), and by their resolved path where an output does not exist yet.
#include "run_files.h"

#include <filesystem>
#include <system_error>

#include "exit_codes.h"
#include "file_bytes.h"
#include "file_paths.h"

namespace {

namespace fs = std::filesystem;

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  const fs::file_status statusA = fs::status(FilePath(a), ec);
  const fs::file_status statusB = fs::status(FilePath(b), ec);
  const bool existsA = fs::exists(statusA), existsB = fs::exists(statusB);
  if (existsA != existsB) return false;
  if (existsA) {
    if (!fs::is_regular_file(statusA) || !fs::is_regular_file(statusB)) return false;
    return fs::equivalent(FilePath(a), FilePath(b), ec) && !ec;
  }
  // Neither exists yet: the same resolved path (links in the folders followed) is the same file.
  const fs::path resolvedA = fs::weakly_canonical(fs::absolute(FilePath(a), ec), ec);
  const fs::path resolvedB = fs::weakly_canonical(fs::absolute(FilePath(b), ec), ec);
  return resolvedA == resolvedB;
}

}  // namespace

void RunFiles::AddInput(const std::string& role, const std::string& path) {
  if (!path.empty()) entries_.push_back(Entry{role, path, false, {}});
}

void RunFiles::AddOutput(const std::string& role, const std::string& path, const std::string& mayReplace) {
  if (!path.empty()) entries_.push_back(Entry{role, path, true, mayReplace});
}

std::string RunFiles::Clash() const {
  // Standard input can be read once, and two results on standard output would run into each
  // other; "-" for one input and one output is no clash.
  for (size_t i = 0; i < entries_.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (IsStandardStream(entries_[i].path) && IsStandardStream(entries_[j].path) &&
          entries_[i].output == entries_[j].output) {
        return entries_[j].role + " - and " + entries_[i].role + " - both use standard " +
               (entries_[i].output ? "output" : "input") + ": only one of them can";
      }
    }
  }
  for (size_t i = 0; i < entries_.size(); ++i) {
    const Entry& output = entries_[i];
    if (!output.output || IsStandardStream(output.path)) continue;
    for (size_t j = 0; j < entries_.size(); ++j) {
      const Entry& other = entries_[j];
      if (j == i || (other.output && j > i) || IsStandardStream(other.path)) continue;  // each pair of outputs once
      if (!other.output && !output.mayReplace.empty() && other.path == output.mayReplace) continue;
      if (sameFile(output.path, other.path)) {
        return output.role + " " + output.path + " is the same file as " + other.role + " " + other.path;
      }
    }
  }
  return std::string();
}

std::string RunFiles::Unwritable() const {
  for (const Entry& entry : entries_) {
    if (!entry.output || IsStandardStream(entry.path)) continue;
    if (std::string problem = WriteProblem(entry.path); !problem.empty()) return entry.path + ": " + problem;
  }
  return std::string();
}

int RunFiles::Check(const std::string& command, std::ostream& err) const {
  if (std::string clash = Clash(); !clash.empty()) {
    err << "velomorph " << command << ": " << clash << "\n";
    return kExitUsage;
  }
  if (std::string unwritable = Unwritable(); !unwritable.empty()) {
    err << "velomorph: " << unwritable << "\n";
    return kExitWriteFailed;
  }
  return kExitOk;
}
