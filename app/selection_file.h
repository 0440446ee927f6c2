// Vertex selection files for the command-line host: one weight per vertex, in vertex order,
// 1 for selected, 0 for not, and a soft-selection weight between them.
//
// The text is numbers separated by blanks or line ends (one per line when written here). Whether
// the count matches the mesh is the caller's check, since only it knows the vertex count.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A selection holds one small number per vertex; a file beyond this size cannot be one.
constexpr size_t kMaxSelectionFileBytes = size_t(1) << 28;

struct SelectionReadResult {
  bool ok = false;
  std::vector<float> weights;  // in file order, each in [0, 1]
  // When !ok: one line naming the file and, for a parse error, the line ("sel.txt:7: ...").
  std::string error;
};

// Reads and parses `path`. An empty file gives no weights. A token that is not a number, is not
// finite or lies outside [0, 1] is a parse error.
SelectionReadResult ReadSelectionFile(const std::string& path);

// Parses selection text already in memory; `name` stands for the file in messages.
SelectionReadResult ParseSelectionText(std::string_view text, const std::string& name);

// One weight per line, each in the shortest form that reads back to the same float. Returns false
// with r_error set when a weight is not finite or lies outside [0, 1] (it could not be read back).
bool FormatSelection(const std::vector<float>& weights, std::string& r_text, std::string& r_error);

// FormatSelection, written to `path` (created or truncated).
bool WriteSelectionFile(const std::vector<float>& weights, const std::string& path, std::string& r_error);
