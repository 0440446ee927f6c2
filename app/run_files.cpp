// Files are compared by identity where they exist (device and file number, so links and hard links
// count), and by their resolved path where an output does not exist yet.
#include "run_files.h"

#include <cstdint>
#include <filesystem>
#include <system_error>
#include <vector>

#include "exit_codes.h"
#include "file_bytes.h"
#include "file_paths.h"

namespace {

namespace fs = std::filesystem;

// What is known of a path once, before it is compared with every other of the run.
struct Identity {
  fs::path path;     // as given
  bool exists = false;
  bool regular = false;
  std::uintmax_t size = 0;
  fs::path resolved;  // for a path that does not exist yet: absolute, with the links in its folders followed
};

Identity identityOf(const std::string& path) {
  std::error_code ec;
  Identity id;
  id.path = FilePath(path);
  const fs::file_status status = fs::status(id.path, ec);
  id.exists = fs::exists(status);
  id.regular = fs::is_regular_file(status);
  if (id.regular) id.size = fs::file_size(id.path, ec);
  if (!id.exists) id.resolved = fs::weakly_canonical(fs::absolute(id.path, ec), ec);
  return id;
}

bool sameFile(const Identity& a, const Identity& b) {
  if (a.exists != b.exists) return false;
  // Devices and pipes are not compared; two names of one file have one size, so most pairs of
  // existing files are told apart without asking the system.
  if (a.exists) {
    std::error_code ec;
    return a.regular && b.regular && a.size == b.size && fs::equivalent(a.path, b.path, ec) && !ec;
  }
  return a.resolved == b.resolved;
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
  std::vector<Identity> identities;
  identities.reserve(entries_.size());
  for (const Entry& entry : entries_) identities.push_back(identityOf(entry.path));
  for (size_t i = 0; i < entries_.size(); ++i) {
    const Entry& output = entries_[i];
    if (!output.output || IsStandardStream(output.path)) continue;
    for (size_t j = 0; j < entries_.size(); ++j) {
      const Entry& other = entries_[j];
      if (j == i || (other.output && j > i) || IsStandardStream(other.path)) continue;  // each pair of outputs once
      if (!other.output && !output.mayReplace.empty() && other.path == output.mayReplace) continue;
      if (sameFile(identities[i], identities[j])) {
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
