// Files are compared by identity where they exist (device and file number, so links and hard links
// count), and where an output does not exist yet by the identity of its folder and its name. Each
// file is described once and the descriptions sorted, so a run of thousands of files is checked in
// O(n log n), however many of them share a size.
#include "run_files.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>
#include <tuple>
#include <vector>

#include "exit_codes.h"
#include "file_bytes.h"
#include "file_paths.h"
#include "printable_text.h"

namespace {

namespace fs = std::filesystem;

// What a path names, comparable with every other: equal keys, one file. Devices, pipes and folders
// have no key (they are not compared).
enum KeyKind { kExisting, kNewInFolder, kNewByPath };
using Key = std::tuple<int, unsigned long long, unsigned long long, std::string>;

bool keyOf(const std::string& path, Key& r_key) {
  std::error_code ec;
  const fs::file_status status = fs::status(FilePath(path), ec);
  if (fs::exists(status)) {
    if (!fs::is_regular_file(status)) return false;
    const FileStamp stamp = StampOfPath(path);
    if (!stamp.known) return false;
    r_key = Key{kExisting, stamp.device, stamp.file, std::string()};
    return true;
  }
  // A new file: the file the path will make (through a dangling link too), named by its folder's
  // identity and its own name. No absolute path is built, so a current folder whose path is longer
  // than the system's limit cannot make two new files look alike.
  const fs::path made = ReplacedFile(path);
  const fs::path folder = made.has_parent_path() ? made.parent_path() : fs::path(".");
  const FileStamp folderStamp = StampOfPath(folder.u8string());
  if (folderStamp.known) {
    r_key = Key{kNewInFolder, folderStamp.device, folderStamp.file, made.filename().u8string()};
  } else {
    // Its folder is to be made too (under --out-dir): only the same path names the same file.
    r_key = Key{kNewByPath, 0, 0, made.lexically_normal().u8string()};
  }
  return true;
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
  for (bool output : {false, true}) {
    const Entry* first = nullptr;
    for (const Entry& entry : entries_) {
      if (!IsStandardStream(entry.path) || entry.output != output) continue;
      if (first != nullptr) {
        return first->role + " - and " + entry.role + " - both use standard " + (output ? "output" : "input") +
               ": only one of them can";
      }
      first = &entry;
    }
  }
  std::vector<std::pair<Key, size_t>> keyed;
  keyed.reserve(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i) {
    Key key;
    if (!IsStandardStream(entries_[i].path) && keyOf(entries_[i].path, key)) keyed.emplace_back(std::move(key), i);
  }
  std::sort(keyed.begin(), keyed.end());
  // Among the names of one file, the first output (in the order given) and the first other name it
  // may not share the file with: the pair a user reads first on the command line.
  size_t clashOutput = entries_.size(), clashOther = entries_.size();
  for (size_t begin = 0, end = 0; begin < keyed.size(); begin = end) {
    for (end = begin + 1; end < keyed.size() && keyed[end].first == keyed[begin].first;) ++end;
    for (size_t a = begin; a < end; ++a) {
      const size_t i = keyed[a].second;
      const Entry& output = entries_[i];
      if (!output.output || i > clashOutput) continue;
      for (size_t b = begin; b < end; ++b) {
        const size_t j = keyed[b].second;
        const Entry& other = entries_[j];
        if (j == i || (other.output && j > i)) continue;  // each pair of outputs once
        if (!other.output && !output.mayReplace.empty() && other.path == output.mayReplace) continue;
        // Within a group names come in the order given, so this is the first other name for i.
        if (i < clashOutput) std::tie(clashOutput, clashOther) = std::pair(i, j);
        break;
      }
    }
  }
  if (clashOutput == entries_.size()) return std::string();
  const Entry& output = entries_[clashOutput];
  const Entry& other = entries_[clashOther];
  return output.role + " " + output.path + " is the same file as " + other.role + " " + other.path;
}

std::string RunFiles::Unwritable() const {
  for (const Entry& entry : entries_) {
    if (!entry.output || IsStandardStream(entry.path)) continue;
    if (std::string problem = WriteProblem(entry.path); !problem.empty()) return entry.path + ": " + problem;
  }
  return std::string();
}

void RunFiles::GuardInputsUntilWritten() const {
  // What the check needs, kept for the rest of the run: the inputs' identities, sorted, and for
  // each output the one input it may replace. Looked up, not scanned, so a batch of thousands of
  // results is not checked in quadratic time.
  struct Watch {
    std::vector<std::tuple<unsigned long long, unsigned long long, std::string, std::string>> inputs;  // device, file, path, role
    std::map<std::string, std::string> mayReplace;  // output path -> the input path it may replace
  };
  auto watch = std::make_shared<Watch>();
  for (const Entry& entry : entries_) {
    if (IsStandardStream(entry.path)) continue;
    if (entry.output) {
      watch->mayReplace[entry.path] = entry.mayReplace;
    } else if (const FileStamp stamp = StampOfPath(entry.path); stamp.known) {
      watch->inputs.emplace_back(stamp.device, stamp.file, entry.path, entry.role);
    }
  }
  std::sort(watch->inputs.begin(), watch->inputs.end());
  SetPlacementCheck([watch](const std::string& path) -> std::string {
    const FileStamp now = StampOfPath(path);
    if (!now.known) return std::string();
    const auto found = watch->mayReplace.find(path);
    const std::string allowed = found == watch->mayReplace.end() ? std::string() : found->second;
    for (auto at = std::lower_bound(watch->inputs.begin(), watch->inputs.end(),
                                    std::make_tuple(now.device, now.file, std::string(), std::string()));
         at != watch->inputs.end() && std::get<0>(*at) == now.device && std::get<1>(*at) == now.file; ++at) {
      if (!allowed.empty() && std::get<2>(*at) == allowed) continue;
      return "now the same file as " + std::get<3>(*at) + " " + std::get<2>(*at) +
             " (changed while the run worked): not replaced";
    }
    return std::string();
  });
}

int RunFiles::Check(const std::string& command, std::ostream& err) const {
  if (std::string clash = Clash(); !clash.empty()) {
    err << "velomorph " << command << ": " << PrintableText(clash) << "\n";
    return kExitUsage;
  }
  if (std::string unwritable = Unwritable(); !unwritable.empty()) {
    err << "velomorph: " << PrintableText(unwritable) << "\n";
    return kExitWriteFailed;
  }
  GuardInputsUntilWritten();
  return kExitOk;
}
