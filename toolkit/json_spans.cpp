// A JSON scanner that records spans instead of building values (RFC 8259 grammar).
#include "json_spans.h"

#include <algorithm>

namespace {

constexpr int kMaxDepth = 512;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void appendUtf8(unsigned code, std::string& r_out) {
  if (code < 0x80) {
    r_out += char(code);
  } else if (code < 0x800) {
    r_out += char(0xC0 | (code >> 6));
    r_out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    r_out += char(0xE0 | (code >> 12));
    r_out += char(0x80 | ((code >> 6) & 0x3F));
    r_out += char(0x80 | (code & 0x3F));
  } else {
    r_out += char(0xF0 | (code >> 18));
    r_out += char(0x80 | ((code >> 12) & 0x3F));
    r_out += char(0x80 | ((code >> 6) & 0x3F));
    r_out += char(0x80 | (code & 0x3F));
  }
}

class Scanner {
 public:
  Scanner(std::string_view text, std::vector<JsonSpans::Node>& nodes) : text_(text), nodes_(nodes) {}

  bool Run(std::string& r_error) {
    skipSpace();
    if (value(0) < 0) {
      r_error = error_ + " at byte " + std::to_string(pos_);
      return false;
    }
    skipSpace();
    if (pos_ != text_.size()) {
      r_error = "unexpected text after the JSON value at byte " + std::to_string(pos_);
      return false;
    }
    return true;
  }

 private:
  void skipSpace() {
    while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
  }
  int fail(const char* message) {
    if (error_.empty()) error_ = message;
    return -1;
  }
  int add(JsonSpans::Kind kind, size_t begin) {
    nodes_.push_back(JsonSpans::Node{kind, begin, begin, {}});
    return int(nodes_.size() - 1);
  }

  // Reads a string at pos_ (its opening quote); `r_decoded`, when given, receives its text.
  bool string(std::string* r_decoded) {
    ++pos_;
    while (pos_ < text_.size()) {
      const unsigned char c = static_cast<unsigned char>(text_[pos_]);
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (c < 0x20) return false;
      if (c != '\\') {
        if (r_decoded) *r_decoded += char(c);
        ++pos_;
        continue;
      }
      if (++pos_ >= text_.size()) return false;
      const char e = text_[pos_++];
      const char* simple = "\"\\/bfnrt";
      const char* plain = "\"\\/\b\f\n\r\t";
      if (const char* at = std::char_traits<char>::find(simple, 8, e)) {
        if (r_decoded) *r_decoded += plain[at - simple];
        continue;
      }
      if (e != 'u' || pos_ + 4 > text_.size()) return false;
      unsigned code = 0;
      for (int k = 0; k < 4; ++k) {
        const int h = hexValue(text_[pos_++]);
        if (h < 0) return false;
        code = code * 16 + unsigned(h);
      }
      if (r_decoded) appendUtf8(code, *r_decoded);
    }
    return false;
  }

  bool number() {
    const size_t start = pos_;
    if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
    auto digits = [&] {
      const size_t from = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
      return pos_ - from;
    };
    const size_t intStart = pos_;
    const size_t intDigits = digits();
    if (intDigits == 0 || (intDigits > 1 && text_[intStart] == '0')) return false;
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (digits() == 0) return false;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (digits() == 0) return false;
    }
    return pos_ > start;
  }

  int value(int depth) {
    if (depth > kMaxDepth) return fail("nested too deeply");
    if (pos_ >= text_.size()) return fail("unexpected end of text");
    const size_t begin = pos_;
    const char c = text_[pos_];
    if (c == '{' || c == '[') {
      const bool object = c == '{';
      const int node = add(object ? JsonSpans::Kind::Object : JsonSpans::Kind::Array, begin);
      ++pos_;
      skipSpace();
      const char close = object ? '}' : ']';
      if (pos_ < text_.size() && text_[pos_] == close) {
        ++pos_;
      } else {
        while (true) {
          std::string key;
          if (object) {
            if (pos_ >= text_.size() || text_[pos_] != '"' || !string(&key)) return fail("expected a member name");
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != ':') return fail("expected ':'");
            ++pos_;
            skipSpace();
          }
          const int child = value(depth + 1);
          if (child < 0) return -1;
          nodes_[size_t(node)].children.emplace_back(std::move(key), child);
          skipSpace();
          if (pos_ < text_.size() && text_[pos_] == ',') {
            ++pos_;
            skipSpace();
            continue;
          }
          if (pos_ < text_.size() && text_[pos_] == close) {
            ++pos_;
            break;
          }
          return fail(object ? "expected ',' or '}'" : "expected ',' or ']'");
        }
      }
      nodes_[size_t(node)].end = pos_;
      return node;
    }
    if (c == '"') {
      if (!string(nullptr)) return fail("bad string");
      const int node = add(JsonSpans::Kind::String, begin);
      nodes_[size_t(node)].end = pos_;
      return node;
    }
    for (std::string_view word : {"true", "false", "null"}) {
      if (text_.substr(pos_, word.size()) == word) {
        pos_ += word.size();
        const int node = add(JsonSpans::Kind::Literal, begin);
        nodes_[size_t(node)].end = pos_;
        return node;
      }
    }
    if (!number()) return fail("bad value");
    const int node = add(JsonSpans::Kind::Number, begin);
    nodes_[size_t(node)].end = pos_;
    return node;
  }

  std::string_view text_;
  std::vector<JsonSpans::Node>& nodes_;
  size_t pos_ = 0;
  std::string error_;
};

}  // namespace

bool JsonSpans::Parse(std::string_view text, std::string& r_error) {
  nodes_.clear();
  Scanner scanner(text, nodes_);
  if (scanner.Run(r_error)) return true;
  nodes_.clear();
  return false;
}

int JsonSpans::Member(int node, std::string_view key) const {
  if (node < 0 || At(node).kind != Kind::Object) return -1;
  const auto& children = At(node).children;
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (it->first == key) return it->second;
  }
  return -1;
}

int JsonSpans::Element(int node, size_t index) const {
  if (node < 0 || At(node).kind != Kind::Array || index >= At(node).children.size()) return -1;
  return At(node).children[index].second;
}

std::string ApplyTextEdits(std::string_view source, std::vector<TextEdit> edits) {
  std::stable_sort(edits.begin(), edits.end(), [](const TextEdit& a, const TextEdit& b) { return a.begin < b.begin; });
  std::string out;
  size_t reserve = source.size();
  for (const TextEdit& e : edits) reserve += e.text.size();
  out.reserve(reserve);
  size_t at = 0;
  for (const TextEdit& e : edits) {
    out.append(source.substr(at, e.begin - at));
    out.append(e.text);
    at = e.end;
  }
  out.append(source.substr(at));
  return out;
}
