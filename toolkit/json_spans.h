// Where each value of a JSON text lies, byte for byte, so a file can be changed by replacing or
// inserting text at those places and keep every other byte (key order, spacing, numbers as written,
// members nobody here knows).
//
// The tree holds spans, not values: a node is an object, array, string, number or literal (true,
// false, null) and its [begin, end) in the text. Object keys are decoded (escapes resolved) for
// lookup; a key given twice is found at its last occurrence, as JSON readers take it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class JsonSpans {
 public:
  enum class Kind { Object, Array, String, Number, Literal };
  struct Node {
    Kind kind = Kind::Literal;
    size_t begin = 0;  // the value's first byte
    size_t end = 0;    // one past its last byte ('}' or ']' included)
    // Object members (decoded key, node) or array elements ("", node), in text order.
    std::vector<std::pair<std::string, int>> children;
  };

  // Parses `text` (which must outlive nothing: the tree keeps offsets only). Refuses anything that
  // is not one JSON value with only white space around it, and nesting deeper than 512.
  bool Parse(std::string_view text, std::string& r_error);

  int Root() const { return nodes_.empty() ? -1 : 0; }
  const Node& At(int node) const { return nodes_[size_t(node)]; }
  // The member `key` of object `node`, or -1 (also when `node` is -1 or not an object).
  int Member(int node, std::string_view key) const;
  // Element `index` of array `node`, or -1.
  int Element(int node, size_t index) const;

 private:
  std::vector<Node> nodes_;
};

// One change to a text: bytes [begin, end) replaced by `text` (an insertion when begin == end).
struct TextEdit {
  size_t begin = 0;
  size_t end = 0;
  std::string text;
};

// `source` with `edits` made. Edits must not overlap; they are applied in order of position
// (insertions at one place in the order given).
std::string ApplyTextEdits(std::string_view source, std::vector<TextEdit> edits);
