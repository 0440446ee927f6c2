// Selection files: a flat list of weights, read strictly so a damaged file is never half-applied.
#include "selection_file.h"

#include <cmath>
#include <new>

#include "file_bytes.h"
#include "token_text.h"

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\n' || c == '\r'; }

bool isWeight(float w) { return w >= 0.0f && w <= 1.0f; }

void parseWeights(std::string_view text, const std::string& name, SelectionReadResult& result) {
  long long line = 1;
  // A UTF-8 byte-order mark at the start (Windows editors write one) is skipped, as in an OBJ.
  size_t pos = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '\n' || c == '\r') {
      pos += (c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
      ++line;
      continue;
    }
    if (isSeparator(c)) {
      ++pos;
      continue;
    }
    const size_t start = pos;
    while (pos < text.size() && !isSeparator(text[pos])) ++pos;
    const std::string_view token = text.substr(start, pos - start);
    const std::string where = name + ":" + std::to_string(line) + ": ";
    float weight = 0.0f;
    switch (ParseFloatToken(token, weight)) {
      case FloatTokenStatus::kOk:
        break;
      case FloatTokenStatus::kNotANumber:
        result.error = where + QuoteToken(token) + " is not a number";
        return;
      case FloatTokenStatus::kNotFinite:
        result.error = where + QuoteToken(token) + " is not a finite number";
        return;
    }
    if (!isWeight(weight)) {
      result.error = where + "selection weight " + QuoteToken(token) + " is outside 0 to 1";
      return;
    }
    // -0 is a valid weight but would be written back as "-0"; the weight means plain 0.
    result.weights.push_back(weight + 0.0f);
  }
  result.ok = true;
}

SelectionReadResult parseChecked(std::string_view text, const std::string& name) {
  SelectionReadResult result;
  if (text.size() > kMaxSelectionFileBytes) {
    result.error = name + ": larger than the limit of " + std::to_string(kMaxSelectionFileBytes) + " bytes";
    return result;
  }
  try {
    parseWeights(text, name, result);
  } catch (const std::bad_alloc&) {
    result.ok = false;
    result.error = name + ": not enough memory to read it";
  }
  if (!result.ok) result.weights.clear();
  return result;
}

}  // namespace

SelectionReadResult ReadSelectionFile(const std::string& path) {
  std::string bytes;
  SelectionReadResult result;
  if (!ReadFileBytes(path, kMaxSelectionFileBytes, bytes, result.error)) return result;
  return parseChecked(bytes, path);
}

SelectionReadResult ParseSelectionText(std::string_view text, const std::string& name) {
  return parseChecked(text, name);
}

bool FormatSelection(const std::vector<float>& weights, std::string& r_text, std::string& r_error) {
  for (size_t i = 0; i < weights.size(); ++i) {
    if (!isWeight(weights[i])) {
      r_error = "selection weight of vertex " + std::to_string(i + 1) + " is not between 0 and 1";
      return false;
    }
  }
  r_text.clear();
  r_text.reserve(weights.size() * 6);
  for (float weight : weights) {
    AppendFloat(r_text, weight + 0.0f);
    r_text += '\n';
  }
  return true;
}

bool WriteSelectionFile(const std::vector<float>& weights, const std::string& path, std::string& r_error) {
  std::string text;
  try {
    if (!FormatSelection(weights, text, r_error)) {
      r_error = path + ": " + r_error;
      return false;
    }
  } catch (const std::bad_alloc&) {
    r_error = path + ": not enough memory to write it";
    return false;
  }
  return WriteFileBytes(path, text, r_error);
}
