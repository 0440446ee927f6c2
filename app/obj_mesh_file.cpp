// Wavefront OBJ reading and rewriting.
//
// The reader is our own rather than tinyobjloader. That loader is well kept, but it is lenient by
// design: a bad number silently becomes 0, a short `v` line is padded, an index outside the file is
// clamped or dropped, and it reports no line numbers. Checking all of that after it would mean
// parsing every line a second time, and it would still not tell the writer where each coordinate
// sits in the file. The part of OBJ a polygon mesh needs is small (v, vt, vn, f, l, p, plus
// statements that are passed through), so one careful pass over the bytes gives strictness, line
// numbers and the coordinate spans together, with no dependency.
//
// Accepted: a UTF-8 byte-order mark at the start (skipped; a gzip file is refused as such); LF, CRLF
// and lone CR line ends; a backslash just before a line end continues the
// statement on the next line; '#' at the start of a token comments out the rest of its line.
// `v` takes x y z, optionally w, optionally a colour (3, 4, 6 or 7 numbers); `vt` 1 to 3 numbers;
// `vn` 3. Numbers are decimal and must be finite: "nan", "inf" and overflowing values are parse
// errors, because a mesh file holding them is damaged and the symmetry search cannot use them.
// Face corners are v, v/vt, v//vn or v/vt/vn; negative indices count back from the last element
// read so far, positive ones may point ahead but not past the end of the file. Statement keywords
// outside the OBJ vocabulary are errors, which also stops a binary file from reading as empty.
#include "obj_mesh_file.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <new>
#include <system_error>

#include "file_bytes.h"
#include "token_text.h"

// Every element and corner takes at least two bytes, so no count or index overflows an int.
static_assert(kMaxObjFileBytes / 2 < static_cast<size_t>(INT_MAX), "OBJ size limit too large for int");
static_assert(kMaxObjFileBytes <= UINT32_MAX, "coordinate offsets are 32-bit");

namespace {

struct Token {
  std::string_view text;
  size_t offset;
  int line;
};

// What each byte is to the scanner, looked up once per byte: the scan is the reader's inner loop.
enum CharClass : unsigned char { kTokenByte = 0, kBlankByte, kLineEndByte, kBackslashByte, kCommentByte };
struct CharClasses {
  CharClass of[256] = {};
  constexpr CharClasses() {
    for (unsigned char c : {' ', '\t', '\v', '\f'}) of[c] = kBlankByte;
    of[static_cast<unsigned char>('\n')] = of[static_cast<unsigned char>('\r')] = kLineEndByte;
    of[static_cast<unsigned char>('\\')] = kBackslashByte;
    of[static_cast<unsigned char>('#')] = kCommentByte;
  }
};
constexpr CharClasses kCharClasses;
CharClass classOf(char c) { return kCharClasses.of[static_cast<unsigned char>(c)]; }

bool isBlank(char c) { return classOf(c) == kBlankByte; }
bool isLineEnd(char c) { return classOf(c) == kLineEndByte; }

// Editors on Windows start UTF-8 files with a byte-order mark; it is skipped (and, being outside
// every coordinate, written back as it was).
size_t byteOrderMarkLength(std::string_view text) { return text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0; }

// Walks the text one token at a time, statement by statement (a statement is one logical line,
// continuations joined). Tokens are handed out one by one rather than gathered per statement, so a
// hostile line of a hundred million corners costs no more memory than the mesh it describes.
class StatementScanner {
 public:
  explicit StatementScanner(std::string_view text) : text_(text), pos_(byteOrderMarkLength(text)) {}
  // A scanner inside a statement, about to hand out the argument that starts at `argument`.
  StatementScanner(std::string_view text, size_t argument) : text_(text), pos_(argument), inStatement_(true) {}

  // For a reader that takes common lines itself: when the scanner stands between statements at a
  // line end (or at the very start), the start of the next line and its number; npos otherwise.
  size_t NextLineStart(int& r_line) const {
    if (inStatement_) return std::string_view::npos;
    r_line = line_;
    if (pos_ == 0) return 0;
    if (pos_ >= text_.size() || !isLineEnd(text_[pos_])) return std::string_view::npos;
    ++r_line;
    return pos_ + ((text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ? 2 : 1);
  }
  // After such a reader took line `line` whole: continue from its end (a line end or the text's end).
  void ResumeAfter(size_t lineEnd, int line) {
    pos_ = lineEnd;
    line_ = line;
  }

  // Skips what is left of the current statement and reads the next statement's keyword; false
  // once the text is exhausted.
  bool NextStatement(Token& r_keyword) {
    Token rest;
    while (NextArgument(rest)) {}
    inStatement_ = nextToken(r_keyword, /*crossLineEnds=*/true);
    return inStatement_;
  }

  // The next token of the current statement; false at its end (and before the first statement).
  bool NextArgument(Token& r_token) {
    inStatement_ = inStatement_ && nextToken(r_token, /*crossLineEnds=*/false);
    return inStatement_;
  }

 private:
  bool nextToken(Token& r_token, bool crossLineEnds) {
    while (pos_ < text_.size()) {
      const CharClass c = classOf(text_[pos_]);
      if (c == kBlankByte) {
        ++pos_;
      } else if (c == kBackslashByte && lineEndAt(pos_ + 1)) {
        skipLineEnd(pos_ + 1);
      } else if (c == kLineEndByte) {
        // Left in place at a statement's end, so every further argument request also ends there.
        if (!crossLineEnds) return false;
        skipLineEnd(pos_);
      } else if (c == kCommentByte) {
        while (pos_ < text_.size() && !isLineEnd(text_[pos_])) ++pos_;
      } else {
        const size_t start = pos_;
        for (; pos_ < text_.size(); ++pos_) {
          const CharClass inside = classOf(text_[pos_]);
          if (inside == kTokenByte || inside == kCommentByte) continue;
          if (inside != kBackslashByte || lineEndAt(pos_ + 1)) break;
        }
        r_token = Token{text_.substr(start, pos_ - start), start, line_};
        return true;
      }
    }
    return false;
  }

  bool lineEndAt(size_t at) const { return at < text_.size() && isLineEnd(text_[at]); }

  void skipLineEnd(size_t at) {
    pos_ = at + ((text_[at] == '\r' && at + 1 < text_.size() && text_[at + 1] == '\n') ? 2 : 1);
    ++line_;
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  bool inStatement_ = false;
};

// Statements that carry nothing the modifier uses; the writer passes them through as they are.
bool isPassThroughStatement(std::string_view keyword) {
  static constexpr std::string_view kKeywords[] = {
      "g", "o", "s", "mg", "usemtl", "mtllib", "usemap", "maplib", "lod", "bevel", "c_interp",
      "d_interp", "shadow_obj", "trace_obj", "ctech", "stech", "call", "csh",
      // Free-form geometry: curves and surfaces are not meshes and are not evaluated here.
      "vp", "cstype", "deg", "bmat", "step", "curv", "curv2", "surf", "parm", "trim", "hole",
      "scrv", "sp", "end", "con"};
  return std::find(std::begin(kKeywords), std::end(kKeywords), keyword) != std::end(kKeywords);
}

// The element kinds an index can name, and the statements that hold indices, with their words
// for messages.
enum Element { kVertex = 0, kTexCoord = 1, kNormal = 2 };
constexpr const char* kElementNames[] = {"vertex", "texture coordinate", "normal"};
constexpr const char* kElementPlurals[] = {"vertices", "texture coordinates", "normals"};
enum Statement { kFace = 0, kPolyline = 1, kPoint = 2 };
constexpr const char* kStatementNames[] = {"face", "polyline", "point"};

std::string countOfElements(long long count, Element element) {
  return std::to_string(count) + " " + (count == 1 ? kElementNames[element] : kElementPlurals[element]);
}

// A positive index past the elements read so far: legal if the file has the element by its end.
struct ForwardReference {
  int line;
  int index;  // 1-based, as written
  Statement statement;
};

class ObjParser {
 public:
  ObjParser(const std::string& name, ObjMesh& mesh) : name_(name), mesh_(mesh) {}

  bool Parse(std::string_view text, std::string& r_error) {
    reserveFor(text);
    StatementScanner scanner(text);
    Token keyword;
    for (;;) {
      int line = 0;
      const size_t start = scanner.NextLineStart(line);
      if (start != std::string_view::npos) {
        const size_t end = readPlainLine(text, start);
        if (end != std::string_view::npos) {
          scanner.ResumeAfter(end, line);
          continue;
        }
      }
      if (!scanner.NextStatement(keyword) || !parseStatement(keyword, scanner)) break;
    }
    if (error_.empty()) checkForwardReferences();
    if (error_.empty() && mesh_.positions.empty()) error_ = name_ + ": contains no vertices";
    r_error = error_;
    return error_.empty();
  }

 private:
  // The common lines of dense meshes, read straight from the bytes: `v x y z` and `f` with plain
  // positive corners (v, v/t, v/t/n, v//n) naming elements already read, single line, no comment.
  // Returns where the line ends, or npos (having changed nothing) for any other line, which the
  // general reading then takes with its full checks and messages.
  size_t readPlainLine(std::string_view text, size_t at) {
    if (at + 2 > text.size() || !isBlank(text[at + 1])) return std::string_view::npos;
    if (text[at] == 'v') return readPlainVertex(text, at + 2);
    if (text[at] == 'f') return readPlainFace(text, at + 2);
    return std::string_view::npos;
  }

  static size_t skipBlanks(std::string_view text, size_t at) {
    while (at < text.size() && isBlank(text[at])) ++at;
    return at;
  }
  // A token ends at a blank, a line end or the text's end; anything else is not plain.
  static bool endsToken(std::string_view text, size_t at) {
    return at == text.size() || isBlank(text[at]) || isLineEnd(text[at]);
  }
  static bool atLineEnd(std::string_view text, size_t at) { return at == text.size() || isLineEnd(text[at]); }

  // A decimal number as exporters print it ("-0.125000"): when its digits, as a whole number, fit
  // a float's 24-bit significand and it has at most ten decimals, that whole number and the power
  // of ten are both exact floats and one correctly rounded division gives the exactly rounded value
  // (Clinger's fast path). Anything else goes to from_chars. Returns the end of the number, or npos.
  static size_t readNumber(std::string_view text, size_t at, float& r_value) {
    static constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    size_t end = at;
    const bool negative = end < text.size() && text[end] == '-';
    if (negative) ++end;
    std::uint64_t digits = 0;
    int count = 0, decimals = 0;
    bool point = false;
    for (; end < text.size() && count < 19; ++end) {
      const char c = text[end];
      if (c >= '0' && c <= '9') {
        digits = digits * 10 + std::uint64_t(c - '0');
        ++count;
        decimals += point;
      } else if (c == '.' && !point) {
        point = true;
      } else {
        break;
      }
    }
    if (count > 0 && count < 19 && digits <= (std::uint64_t(1) << 24) && decimals <= 10 && endsToken(text, end)) {
      const float value = float(digits) / kPowersOfTen[decimals];
      r_value = negative ? -value : value;
      return end;
    }
    const std::from_chars_result r =
        std::from_chars(text.data() + at, text.data() + text.size(), r_value, std::chars_format::general);
    end = static_cast<size_t>(r.ptr - text.data());
    if (r.ec != std::errc() || end == at || !std::isfinite(r_value) || !endsToken(text, end))
      return std::string_view::npos;
    return end;
  }

  size_t readPlainVertex(std::string_view text, size_t at) {
    if (mesh_.positions.size() == kMaxObjVertices) return std::string_view::npos;
    float xyz[3];
    size_t first = 0;
    for (int k = 0; k < 3; ++k) {
      at = skipBlanks(text, at);
      if (k == 0) first = at;
      at = readNumber(text, at, xyz[k]);
      if (at == std::string_view::npos) return at;
    }
    at = skipBlanks(text, at);
    if (!atLineEnd(text, at)) return std::string_view::npos;
    mesh_.positions.emplace_back(xyz[0], xyz[1], xyz[2]);
    mesh_.coordStart.push_back(static_cast<uint32_t>(first));
    return at;
  }

  // A plain index: digits naming one of the `count` elements read so far; 0 when it is not one.
  static int plainIndex(std::string_view text, size_t& at, long long count) {
    long long value = 0;
    size_t end = at;
    for (; end < text.size() && text[end] >= '0' && text[end] <= '9' && value <= count; ++end) {
      value = value * 10 + (text[end] - '0');
    }
    if (end == at || value == 0 || value > count) return 0;
    at = end;
    return static_cast<int>(value);
  }

  // A face of at most kPlainCorners corners; larger ones go to the general reader.
  size_t readPlainFace(std::string_view text, size_t at) {
    constexpr int kPlainCorners = 8;
    // At the limits the general reader takes the face, and refuses it with its line.
    if (size_t(mesh_.NumFaces()) == kMaxObjFaces || mesh_.cornerVertex.size() + kPlainCorners > kMaxObjCorners)
      return std::string_view::npos;
    int vertices[kPlainCorners], texCoords[kPlainCorners];
    int corners = 0;
    int withTexCoords = -1;  // unknown until the first corner
    for (at = skipBlanks(text, at); !atLineEnd(text, at); at = skipBlanks(text, at)) {
      if (corners == kPlainCorners) return std::string_view::npos;
      const int vertex = plainIndex(text, at, countOf(kVertex));
      if (vertex == 0) return std::string_view::npos;
      int texCoord = 0;
      if (at < text.size() && text[at] == '/') {
        ++at;
        if (at < text.size() && text[at] != '/' && (texCoord = plainIndex(text, at, countOf(kTexCoord))) == 0)
          return std::string_view::npos;
        if (at < text.size() && text[at] == '/' && (++at, plainIndex(text, at, normalCount_)) == 0)
          return std::string_view::npos;
      }
      if (!endsToken(text, at)) return std::string_view::npos;
      if (withTexCoords == -1) withTexCoords = texCoord != 0;
      if (withTexCoords != (texCoord != 0)) return std::string_view::npos;
      vertices[corners] = vertex - 1;
      texCoords[corners] = texCoord - 1;
      ++corners;
    }
    if (corners < 3) return std::string_view::npos;
    // Appended whole: one call a face, not one a corner.
    if (withTexCoords == 1 || !mesh_.cornerTexCoord.empty()) {
      mesh_.cornerTexCoord.resize(mesh_.cornerVertex.size(), -1);
      mesh_.cornerTexCoord.insert(mesh_.cornerTexCoord.end(), texCoords, texCoords + corners);
    }
    mesh_.cornerVertex.insert(mesh_.cornerVertex.end(), vertices, vertices + corners);
    mesh_.faceStart.push_back(static_cast<int>(mesh_.cornerVertex.size()));
    return at;
  }

  // Sizes the arrays from a count of the lines that start `v `, `vt ` and `f `, so a dense mesh is
  // not copied over and over as they grow. Reserved room that turns out unused is never touched, so
  // it costs no memory; a guess too small only means the usual growth.
  void reserveFor(std::string_view text) {
    size_t vertices = 0, texCoords = 0, faces = 0;
    for (size_t at = 0; at + 2 < text.size();) {
      if (text[at] == 'v' && isBlank(text[at + 1])) ++vertices;
      else if (text[at] == 'f' && isBlank(text[at + 1])) ++faces;
      else if (text[at] == 'v' && text[at + 1] == 't' && isBlank(text[at + 2])) ++texCoords;
      const void* lineEnd = std::memchr(text.data() + at, '\n', text.size() - at);
      if (lineEnd == nullptr) break;
      at = static_cast<size_t>(static_cast<const char*>(lineEnd) - text.data()) + 1;
    }
    vertices = std::min(vertices, kMaxObjVertices);
    faces = std::min(faces, kMaxObjFaces);
    mesh_.positions.reserve(vertices);
    mesh_.coordStart.reserve(vertices);
    mesh_.texCoords.reserve(texCoords);
    mesh_.faceStart.reserve(faces + 1);
    mesh_.cornerVertex.reserve(std::min(4 * faces, kMaxObjCorners));
    if (texCoords > 0) mesh_.cornerTexCoord.reserve(std::min(4 * faces, kMaxObjCorners));
  }

  bool fail(int line, const std::string& what) {
    error_ = name_ + ":" + std::to_string(line) + ": " + what;
    return false;
  }

  bool parseNumber(const Token& token, float& r_value) {
    switch (ParseFloatToken(token.text, r_value)) {
      case FloatTokenStatus::kOk:
        return true;
      case FloatTokenStatus::kNotANumber:
        return fail(token.line, QuoteToken(token.text) + " is not a number");
      case FloatTokenStatus::kNotFinite:
        return fail(token.line, QuoteToken(token.text) + " is not a finite number");
    }
    return false;
  }

  // Reads up to `capacity` arguments into r_tokens and counts any beyond them.
  static size_t readArguments(StatementScanner& scanner, Token* r_tokens, size_t capacity) {
    size_t count = 0;
    Token token;
    while (scanner.NextArgument(token)) {
      if (count < capacity) r_tokens[count] = token;
      ++count;
    }
    return count;
  }

  bool parseStatement(const Token& keyword, StatementScanner& scanner) {
    const int line = keyword.line;
    if (keyword.text == "v") {
      Token arguments[7];
      const size_t count = readArguments(scanner, arguments, 7);
      if (count < 3) return fail(line, "v line needs three numbers (x y z)");
      if (mesh_.positions.size() == kMaxObjVertices)
        return fail(line, "more than " + std::to_string(kMaxObjVertices) + " vertices, the most a mesh may have");
      if (count == 5 || count > 7)
        return fail(line, "v line has " + std::to_string(count) +
                              " numbers; expected x y z, an optional w and an optional colour");
      float values[7];
      for (size_t i = 0; i < count; ++i)
        if (!parseNumber(arguments[i], values[i])) return false;
      mesh_.positions.emplace_back(values[0], values[1], values[2]);
      mesh_.coordStart.push_back(static_cast<uint32_t>(arguments[0].offset));
      return true;
    }
    if (keyword.text == "vt") {
      Token arguments[3];
      const size_t count = readArguments(scanner, arguments, 3);
      if (count < 1 || count > 3) return fail(line, "vt line needs one to three numbers (u v w)");
      float values[3] = {0.0f, 0.0f, 0.0f};
      for (size_t i = 0; i < count; ++i)
        if (!parseNumber(arguments[i], values[i])) return false;
      mesh_.texCoords.emplace_back(values[0], values[1], values[2]);
      return true;
    }
    if (keyword.text == "vn") {
      Token arguments[3];
      const size_t count = readArguments(scanner, arguments, 3);
      if (count != 3) return fail(line, "vn line needs three numbers (x y z)");
      float value;
      for (size_t i = 0; i < count; ++i)
        if (!parseNumber(arguments[i], value)) return false;
      ++normalCount_;
      return true;
    }
    if (keyword.text == "f") return parseFace(keyword, scanner);
    if (keyword.text == "l") return parseElementList(keyword, scanner, kPolyline);
    if (keyword.text == "p") return parseElementList(keyword, scanner, kPoint);
    if (isPassThroughStatement(keyword.text)) return true;
    return fail(line, "unknown statement " + QuoteToken(keyword.text));
  }

  long long countOf(Element element) const {
    switch (element) {
      case kVertex: return static_cast<long long>(mesh_.positions.size());
      case kTexCoord: return static_cast<long long>(mesh_.texCoords.size());
      case kNormal: return normalCount_;
    }
    return 0;
  }

  // Resolves one index as written (1-based, or negative for relative) to a 0-based index.
  bool resolveIndex(std::string_view text, const Token& token, Statement statement, Element element,
                    int& r_index) {
    const char* end = text.data() + text.size();
    long long value = 0;
    const std::from_chars_result r = std::from_chars(text.data(), end, value);
    const auto what = [statement] { return std::string(kStatementNames[statement]) + " "; };
    if (text.empty() || r.ptr != end || (r.ec != std::errc() && r.ec != std::errc::result_out_of_range))
      return fail(token.line, QuoteToken(token.text) + " is not a valid " + what() + "corner");
    if (r.ec == std::errc::result_out_of_range || value > INT_MAX || value < -static_cast<long long>(INT_MAX))
      return fail(token.line,
                  what() + kElementNames[element] + " index " + QuoteToken(text) + " is out of range");
    if (value == 0)
      return fail(token.line, what() + kElementNames[element] + " index 0 is not valid (indices start at 1)");
    const long long count = countOf(element);
    if (value < 0) {
      if (count + value < 0)
        return fail(token.line, what() + "names " + kElementNames[element] + " " + std::to_string(value) +
                                    ", but only " + countOfElements(count, element) +
                                    (count == 1 ? " comes" : " come") + " before it");
      r_index = static_cast<int>(count + value);
      return true;
    }
    if (value > count)
      noteForwardReference(element, ForwardReference{token.line, static_cast<int>(value), statement});
    r_index = static_cast<int>(value - 1);
    return true;
  }

  // Only a reference beyond every earlier one is kept: the first reference past the end of the
  // file is then always among those kept, and the list stays far smaller than the input.
  void noteForwardReference(Element element, const ForwardReference& reference) {
    std::vector<ForwardReference>& kept = forwardReferences_[element];
    if (kept.empty() || reference.index > kept.back().index) kept.push_back(reference);
  }

  // Splits a corner "a", "a/b", "a//c" or "a/b/c" into its index texts; false on any other shape.
  static bool splitCorner(std::string_view corner, std::string_view (&r_parts)[3], int& r_partCount) {
    r_partCount = 0;
    size_t start = 0;
    for (;;) {
      if (r_partCount == 3) return false;
      const size_t slash = corner.find('/', start);
      r_parts[r_partCount++] = corner.substr(start, slash == std::string_view::npos ? slash : slash - start);
      if (slash == std::string_view::npos) break;
      start = slash + 1;
    }
    if (r_parts[0].empty()) return false;
    if (r_partCount == 2) return !r_parts[1].empty();
    if (r_partCount == 3) return !r_parts[2].empty();
    return true;
  }

  bool parseFace(const Token& keyword, StatementScanner& scanner) {
    if (size_t(mesh_.NumFaces()) == kMaxObjFaces)
      return fail(keyword.line, "more than " + std::to_string(kMaxObjFaces) + " faces, the most a mesh may have");
    const size_t firstCorner = mesh_.cornerVertex.size();
    bool anyTexCoord = false;
    bool anyWithout = false;
    Token corner;
    while (scanner.NextArgument(corner)) {
      std::string_view parts[3];
      int partCount = 0;
      if (!splitCorner(corner.text, parts, partCount))
        return fail(corner.line, QuoteToken(corner.text) + " is not a valid face corner");
      int vertex = 0;
      int texCoord = -1;
      int normal = 0;
      if (!resolveIndex(parts[0], corner, kFace, kVertex, vertex)) return false;
      if (partCount >= 2 && !parts[1].empty()) {
        if (!resolveIndex(parts[1], corner, kFace, kTexCoord, texCoord)) return false;
        anyTexCoord = true;
      } else {
        anyWithout = true;
      }
      if (partCount == 3 && !resolveIndex(parts[2], corner, kFace, kNormal, normal)) return false;
      if (anyTexCoord && anyWithout)
        return fail(corner.line, "face mixes corners with and without texture coordinates");
      if (mesh_.cornerVertex.size() == kMaxObjCorners)
        return fail(corner.line, "more than " + std::to_string(kMaxObjCorners) +
                                     " face corners in all, the most a mesh may have");
      // Texture indices are kept from the first face that has them on, -1 for the corners before.
      if (texCoord >= 0 || !mesh_.cornerTexCoord.empty()) {
        mesh_.cornerTexCoord.resize(mesh_.cornerVertex.size(), -1);
        mesh_.cornerTexCoord.push_back(texCoord);
      }
      mesh_.cornerVertex.push_back(vertex);
    }
    if (mesh_.cornerVertex.size() - firstCorner < 3)
      return fail(keyword.line, "face needs at least three corners");
    mesh_.faceStart.push_back(static_cast<int>(mesh_.cornerVertex.size()));
    return true;
  }

  // `l` and `p` are not part of the mesh, but an index they hold outside the file is still damage.
  bool parseElementList(const Token& keyword, StatementScanner& scanner, Statement statement) {
    const bool isPolyline = statement == kPolyline;
    size_t count = 0;
    Token corner;
    while (scanner.NextArgument(corner)) {
      std::string_view parts[3];
      int partCount = 0;
      if (!splitCorner(corner.text, parts, partCount) || partCount == 3 || (partCount == 2 && !isPolyline))
        return fail(corner.line,
                    QuoteToken(corner.text) + " is not a valid " + kStatementNames[statement] + " corner");
      int index = 0;
      if (!resolveIndex(parts[0], corner, statement, kVertex, index)) return false;
      if (partCount == 2 && !resolveIndex(parts[1], corner, statement, kTexCoord, index)) return false;
      ++count;
    }
    if (count < (isPolyline ? 2u : 1u))
      return fail(keyword.line, std::string(kStatementNames[statement]) + " needs at least " +
                                    (isPolyline ? "two vertices" : "one vertex"));
    return true;
  }

  // Reports the earliest line that names an element the file does not have.
  void checkForwardReferences() {
    const ForwardReference* first = nullptr;
    Element firstElement = kVertex;
    for (Element element : {kVertex, kTexCoord, kNormal}) {
      for (const ForwardReference& reference : forwardReferences_[element]) {
        if (reference.index <= countOf(element)) continue;
        if (first == nullptr || reference.line < first->line) {
          first = &reference;
          firstElement = element;
        }
        break;
      }
    }
    if (first == nullptr) return;
    fail(first->line, std::string(kStatementNames[first->statement]) + " names " + kElementNames[firstElement] +
                          " " + std::to_string(first->index) + ", but the file has " +
                          countOfElements(countOf(firstElement), firstElement));
  }

  const std::string& name_;
  ObjMesh& mesh_;
  long long normalCount_ = 0;
  std::vector<ForwardReference> forwardReferences_[3];
  std::string error_;
};

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

ObjReadResult parseSource(std::string&& source, const std::string& name) {
  ObjReadResult result;
  if (source.size() > kMaxObjFileBytes) {
    result.error = name + ": larger than the limit of " + std::to_string(kMaxObjFileBytes) + " bytes";
    return result;
  }
  if (source.rfind("\x1F\x8B", 0) == 0) {
    result.error = name + ": is compressed (gzip); unpack it first";
    return result;
  }
  try {
    // The tokens point into the mesh's own copy, so the parse runs after the move.
    result.mesh.source = std::move(source);
    ObjParser parser(name, result.mesh);
    result.ok = parser.Parse(result.mesh.source, result.error);
  } catch (const std::bad_alloc&) {
    result.ok = false;
    result.error = name + ": not enough memory to read it";
  }
  if (!result.ok) result.mesh = ObjMesh();
  return result;
}

}  // namespace

ObjReadResult ReadObjFile(const std::string& path) {
  std::string bytes;
  FileStamp stamp;
  ObjReadResult result;
  if (!ReadFileBytes(path, kMaxObjFileBytes, bytes, result.error, &stamp)) return result;
  result = parseSource(std::move(bytes), StreamName(path, true));
  // A file the system could not stamp cannot be trusted to be read again: its bytes are kept.
  if (result.ok && !IsStandardStream(path) && stamp.known) {
    result.mesh.sourceFile = path;
    result.mesh.sourceStamp = stamp;
  }
  return result;
}

ObjReadResult ParseObjText(std::string_view text, const std::string& name) {
  return parseSource(std::string(text), name);
}

namespace {

// Why `positions` cannot be written over `source`, whose positions as read are `asRead`, or empty.
std::string positionsProblem(const ObjMesh& source, PositionsView asRead, PositionsView positions) {
  // The writer compares each vertex with its position as read: a mesh trimmed to what rewriting
  // needs no longer holds them, and must be given them.
  if (asRead.size() != source.coordStart.size()) {
    return "the positions the mesh file was read with are not at hand (" + std::to_string(asRead.size()) + " of " +
           std::to_string(source.coordStart.size()) + ")";
  }
  if (positions.size() != source.coordStart.size()) {
    return "cannot write " + std::to_string(positions.size()) + " positions over a mesh file of " +
           std::to_string(source.coordStart.size()) + " vertices";
  }
  for (size_t i = 0; i < positions.size(); ++i) {
    const Point3& p = positions[i];
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
      return "vertex " + std::to_string(i + 1) + " has a position that is not finite";
    }
  }
  return std::string();
}

using Put = std::function<bool(std::string_view)>;

// Writes the source with new coordinates as its bytes stream past, so they may come whole from
// memory or a megabyte at a time from the file read again. Only the coordinates that changed are
// touched: everything between them is handed on as it came. The output goes to `put` in pieces
// of about a megabyte.
class CoordinateRewriter {
 public:
  CoordinateRewriter(const ObjMesh& source, PositionsView asRead, PositionsView written, const Put& put)
      : coordStart_(source.coordStart), asRead_(asRead), written_(written), put_(put), piece_(kPiece, '\0') {}

  // The source's next bytes. False once `put` has refused a piece.
  bool Take(std::string_view bytes) {
    size_t used = 0;
    // A statement cut by the end of the last bytes is completed line by line.
    while (!carry_.empty() && used < bytes.size() && ok_) {
      const size_t lineEnd = bytes.find('\n', used);
      const size_t upTo = lineEnd == std::string_view::npos ? bytes.size() : lineEnd + 1;
      carry_.append(bytes.substr(used, upTo - used));
      used = upTo;
      // Only a line end that is not continued can end the statement: looking again at every piece
      // or every continued line would scan the carry over and over, and a statement of many such
      // lines, or one line of a gigabyte, would take quadratic time. (The file's end is seen in
      // Finish.)
      if (lineEnd == std::string_view::npos || endsInContinuation(carry_)) continue;
      const size_t stop = rewriteWithin(carry_, carryStart_, false);
      carry_.erase(0, stop);
      carryStart_ += stop;
    }
    if (carry_.empty() && used < bytes.size() && ok_) {
      const std::string_view rest = bytes.substr(used);
      const size_t stop = rewriteWithin(rest, taken_ + used, false);
      carry_.assign(rest.substr(stop));
      carryStart_ = taken_ + used + stop;
    }
    taken_ += bytes.size();
    return ok_;
  }

  // After the last bytes. False when `put` refused a piece or the bytes ended before the last
  // vertex that moved.
  bool Finish() {
    if (ok_ && !carry_.empty()) rewriteWithin(carry_, carryStart_, true);
    flush();
    skipUnmoved();
    return ok_ && next_ == coordStart_.size();
  }

 private:
  static constexpr size_t kPiece = size_t(1) << 20;
  // Room for the shortest form of any float; the longest ("-1.17549435e-38") takes 15 bytes.
  static constexpr size_t kLongestNumber = 32;

  // Whether `text`, which ends with a line end, ends with one that a backslash continues.
  static bool endsInContinuation(const std::string& text) {
    const size_t n = text.size();
    return (n >= 2 && text[n - 2] == '\\') || (n >= 3 && text[n - 3] == '\\' && text[n - 2] == '\r');
  }

  bool moved(size_t i, int axis) const { return !sameBits(written_[i][axis], asRead_[i][axis]); }
  void skipUnmoved() {
    while (next_ < coordStart_.size() && !moved(next_, 0) && !moved(next_, 1) && !moved(next_, 2)) ++next_;
  }

  void emit(std::string_view bytes) {
    if (!ok_ || bytes.empty()) return;
    if (bytes.size() >= kPiece) {
      // A long stretch of untouched text is handed on without a copy.
      ok_ = flush() && put_(bytes);
      return;
    }
    if (used_ + bytes.size() > kPiece && !flush()) return;
    std::memcpy(&piece_[used_], bytes.data(), bytes.size());
    used_ += bytes.size();
  }
  void emitNumber(float value) {
    if (used_ + kLongestNumber > kPiece && !flush()) return;
    const std::to_chars_result r = std::to_chars(&piece_[used_], &piece_[used_] + kLongestNumber, value);
    used_ = static_cast<size_t>(r.ptr - piece_.data());
  }
  bool flush() {
    if (ok_ && used_ > 0) ok_ = put_(std::string_view(piece_.data(), used_));
    used_ = 0;
    return ok_;
  }

  // The three coordinate tokens of the vertex statement whose x token starts at `at`, when they are
  // plain: separated by blanks only, with no comment or continuation among them. False otherwise,
  // and then the statement scanner, which knows every form, finds them.
  static bool plainCoordinates(std::string_view data, size_t at, Token (&r_tokens)[3]) {
    for (int axis = 0; axis < 3; ++axis) {
      while (axis > 0 && at < data.size() && classOf(data[at]) == kBlankByte) ++at;
      const size_t start = at;
      while (at < data.size() && classOf(data[at]) == kTokenByte) ++at;
      if (at == start || (at < data.size() && classOf(data[at]) != kBlankByte && classOf(data[at]) != kLineEndByte))
        return false;
      r_tokens[axis] = Token{data.substr(start, at - start), start, 0};
    }
    return true;
  }

  // Rewrites the moved vertices whose statements lie in `data`, the source's bytes from offset
  // `start` on, and emits everything around them. Returns data.size(), or, unless `last`, the
  // offset in `data` of a moved vertex's coordinates that may run on past its end; what comes from
  // there on is not emitted.
  size_t rewriteWithin(std::string_view data, size_t start, bool last) {
    size_t emitted = 0;
    for (skipUnmoved(); next_ < coordStart_.size() && ok_; ++next_, skipUnmoved()) {
      const size_t at = coordStart_[next_] - start;
      if (at >= data.size()) break;
      Token tokens[3];
      int found = 3;
      if (!plainCoordinates(data, at, tokens)) {
        StatementScanner scanner(data, at);
        found = 0;
        while (found < 3 && scanner.NextArgument(tokens[found])) ++found;
      }
      const bool cut = found < 3 || tokens[2].offset + tokens[2].text.size() == data.size();
      if (cut && !last) {
        emit(data.substr(emitted, at - emitted));
        return at;
      }
      for (int axis = 0; axis < found; ++axis) {
        if (!moved(next_, axis)) continue;
        emit(data.substr(emitted, tokens[axis].offset - emitted));
        emitNumber(written_[next_][axis]);
        emitted = tokens[axis].offset + tokens[axis].text.size();
      }
    }
    emit(data.substr(emitted));
    return data.size();
  }

  const std::vector<uint32_t>& coordStart_;
  PositionsView asRead_;
  PositionsView written_;
  const Put& put_;
  bool ok_ = true;
  size_t next_ = 0;          // the next vertex to look at
  size_t taken_ = 0;         // bytes taken so far
  std::string carry_;        // a moved vertex's statement cut by the end of the bytes taken
  size_t carryStart_ = 0;    // its offset in the source
  std::string piece_;        // the output gathered, piece_[0, used_)
  size_t used_ = 0;
};

// The rewritten file handed to `put`; false with r_problem set when the source cannot be read
// again, and false without it when `put` refused a piece.
bool rewrite(const ObjMesh& source, PositionsView asRead, PositionsView written, const Put& put,
             std::string& r_problem) {
  return RewriteObjInPieces(
      source, asRead, written,
      [&](const Put& take) {
        if (!source.SourceLetGo()) return take(source.source);
        r_problem = ReadFileAgain(source.sourceFile, source.sourceStamp, take);
        if (!r_problem.empty()) r_problem = source.sourceFile + ": " + r_problem;
        return r_problem.empty();
      },
      put);
}

}  // namespace

bool RewriteObjInPieces(const ObjMesh& source, PositionsView asRead, PositionsView positions,
                        const FilePieces& sourceBytes, const std::function<bool(std::string_view)>& put) {
  CoordinateRewriter rewriter(source, asRead, positions, put);
  return sourceBytes([&](std::string_view bytes) { return rewriter.Take(bytes); }) && rewriter.Finish();
}

bool FormatObjWithPositions(const ObjMesh& source, const std::vector<Point3>& positions,
                            std::string& r_text, std::string& r_error) {
  r_error = positionsProblem(source, source.positions, positions);
  if (!r_error.empty()) return false;
  r_text.clear();
  r_text.reserve(source.source.size() + positions.size() * 8);
  return rewrite(
      source, source.positions, positions,
      [&](std::string_view piece) {
        r_text.append(piece);
        return true;
      },
      r_error);
}

bool WriteObjWithPositions(const ObjMesh& source, PositionsView asRead, PositionsView positions,
                           const std::string& path, std::string& r_error) {
  if (std::string problem = positionsProblem(source, asRead, positions); !problem.empty()) {
    r_error = path + ": " + problem;
    return false;
  }
  std::string sourceProblem;
  bool sent = false;
  try {
    const bool written = WriteFilePieces(
        path,
        [&](const Put& put) {
          return rewrite(
              source, asRead, positions,
              [&](std::string_view piece) {
                sent = true;
                return put(piece);
              },
              sourceProblem);
        },
        r_error);
    // The write failed because its source did: that is what the user must hear, and whether the
    // destination holds part of a result (a new file is dropped whole; a stream keeps what it got).
    if (!sourceProblem.empty()) {
      r_error = sourceProblem + "; " + StreamName(path, false) +
                (sent && WritesStraight(path) ? " received only part of the result" : " was not written");
    }
    return written;
  } catch (const std::bad_alloc&) {
    r_error = path + ": not enough memory to write it";
    return false;
  }
}

bool WriteObjWithPositions(const ObjMesh& source, const std::vector<Point3>& positions, const std::string& path,
                           std::string& r_error) {
  return WriteObjWithPositions(source, source.positions, positions, path, r_error);
}

void LetGoOfSource(ObjMesh& mesh) {
  if (mesh.sourceFile.empty()) return;
  // Swapped with an empty string: assigning one would keep the memory.
  std::string().swap(mesh.source);
}

void KeepOnlyWhatRewritingNeeds(ObjMesh& mesh) {
  std::vector<Point3>().swap(mesh.positions);
  std::vector<Point3>().swap(mesh.texCoords);
  std::vector<int>{0}.swap(mesh.faceStart);
  std::vector<int>().swap(mesh.cornerVertex);
  std::vector<int>().swap(mesh.cornerTexCoord);
}

size_t TriangleCount(const ObjMesh& mesh) {
  return mesh.cornerVertex.size() - 2 * static_cast<size_t>(mesh.NumFaces());
}
