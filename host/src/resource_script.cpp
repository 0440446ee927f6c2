// Resource-script parser: a lexer, a small preprocessor (includes, object-like macros, #ifdef
// nesting) that turns the script and its includes into one token stream, and a recursive-descent
// parser of the resource statements over that stream. Tokens keep the file and line they came from
// (for a macro's tokens: where the macro was used), so every error names its place.
#include "resource_script.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "resource_blob.h"

namespace {

namespace fs = std::filesystem;
using namespace ResourceStyle;

// Values are 32-bit words that wrap, as in the Windows resource compilers.
using Word = std::uint32_t;

constexpr int kMaxIncludeDepth = 32;
constexpr Word kManifestType = 24;

// The names that scripts take from the Windows headers, which this parser does not read.
const std::map<std::string, Word>& windowsNames() {
  static const std::map<std::string, Word> names = {
      // Window styles.
      {"WS_OVERLAPPED", 0x00000000}, {"WS_POPUP", 0x80000000}, {"WS_CHILD", 0x40000000},
      {"WS_MINIMIZE", 0x20000000}, {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000},
      {"WS_CLIPSIBLINGS", 0x04000000}, {"WS_CLIPCHILDREN", 0x02000000},
      {"WS_MAXIMIZE", 0x01000000}, {"WS_CAPTION", 0x00C00000}, {"WS_BORDER", 0x00800000},
      {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", 0x00200000}, {"WS_HSCROLL", 0x00100000},
      {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000}, {"WS_GROUP", 0x00020000},
      {"WS_TABSTOP", 0x00010000},
      // Extended window styles.
      {"WS_EX_TRANSPARENT", 0x00000020}, {"WS_EX_TOOLWINDOW", 0x00000080},
      {"WS_EX_CLIENTEDGE", 0x00000200}, {"WS_EX_CONTROLPARENT", 0x00010000},
      {"WS_EX_STATICEDGE", 0x00020000},
      // Dialog styles.
      {"DS_ABSALIGN", 0x0001}, {"DS_SYSMODAL", 0x0002}, {"DS_3DLOOK", 0x0004},
      {"DS_FIXEDSYS", 0x0008}, {"DS_NOFAILCREATE", 0x0010}, {"DS_LOCALEDIT", 0x0020},
      {"DS_SETFONT", 0x0040}, {"DS_MODALFRAME", 0x0080}, {"DS_NOIDLEMSG", 0x0100},
      {"DS_SETFOREGROUND", 0x0200}, {"DS_CONTROL", 0x0400}, {"DS_CENTER", 0x0800},
      {"DS_CENTERMOUSE", 0x1000}, {"DS_CONTEXTHELP", 0x2000}, {"DS_SHELLFONT", 0x0048},
      // Button styles.
      {"BS_PUSHBUTTON", 0x0}, {"BS_DEFPUSHBUTTON", 0x1}, {"BS_CHECKBOX", 0x2},
      {"BS_AUTOCHECKBOX", 0x3}, {"BS_RADIOBUTTON", 0x4}, {"BS_3STATE", 0x5},
      {"BS_AUTO3STATE", 0x6}, {"BS_GROUPBOX", 0x7}, {"BS_AUTORADIOBUTTON", 0x9},
      {"BS_LEFTTEXT", 0x20}, {"BS_LEFT", 0x100}, {"BS_RIGHT", 0x200}, {"BS_CENTER", 0x300},
      {"BS_TOP", 0x400}, {"BS_BOTTOM", 0x800}, {"BS_VCENTER", 0xC00}, {"BS_PUSHLIKE", 0x1000},
      {"BS_MULTILINE", 0x2000}, {"BS_NOTIFY", 0x4000}, {"BS_FLAT", 0x8000},
      // Static styles.
      {"SS_LEFT", 0x0}, {"SS_CENTER", 0x1}, {"SS_RIGHT", 0x2}, {"SS_SIMPLE", 0xB},
      {"SS_LEFTNOWORDWRAP", 0xC}, {"SS_ETCHEDHORZ", 0x10}, {"SS_ETCHEDVERT", 0x11},
      {"SS_ETCHEDFRAME", 0x12}, {"SS_NOPREFIX", 0x80}, {"SS_NOTIFY", 0x100},
      {"SS_CENTERIMAGE", 0x200}, {"SS_SUNKEN", 0x1000},
      // Edit styles.
      {"ES_LEFT", 0x0}, {"ES_CENTER", 0x1}, {"ES_RIGHT", 0x2}, {"ES_MULTILINE", 0x4},
      {"ES_PASSWORD", 0x20}, {"ES_AUTOVSCROLL", 0x40}, {"ES_AUTOHSCROLL", 0x80},
      {"ES_READONLY", 0x800}, {"ES_WANTRETURN", 0x1000}, {"ES_NUMBER", 0x2000},
      // Languages.
      {"LANG_NEUTRAL", 0x00}, {"LANG_ENGLISH", 0x09}, {"SUBLANG_NEUTRAL", 0x00},
      {"SUBLANG_DEFAULT", 0x01}, {"SUBLANG_ENGLISH_US", 0x01}, {"SUBLANG_ENGLISH_UK", 0x02},
      // Resource types and well-known ids.
      {"RT_MANIFEST", kManifestType}, {"CREATEPROCESS_MANIFEST_RESOURCE_ID", 1},
      {"ISOLATIONAWARE_MANIFEST_RESOURCE_ID", 2}, {"IDC_STATIC", 0xFFFFFFFF},
  };
  return names;
}

// The system headers a script may include; their content is the table above.
bool isKnownSystemHeader(const std::string& name) {
  return name == "windows.h" || name == "winres.h" || name == "winresrc.h";
}

// Control statements other than CONTROL: the class they make, whether they take a text, their
// style when none is written, and the part of it kept when one is.
struct Shorthand {
  const char* keyword;
  const char* className;
  bool hasText;
  Word defaultStyle;
  Word baseStyle;
};
constexpr Shorthand kShorthands[] = {
    {"LTEXT", "Static", true, kStaticLeft | kGroup, kStaticLeft},
    {"RTEXT", "Static", true, kStaticRight | kGroup, kStaticRight},
    {"CTEXT", "Static", true, kStaticCenter | kGroup, kStaticCenter},
    {"GROUPBOX", "Button", true, kGroupBox, kGroupBox},
    {"PUSHBUTTON", "Button", true, kPushButton | kTabStop, kPushButton | kTabStop},
    {"DEFPUSHBUTTON", "Button", true, kDefPushButton | kTabStop, kDefPushButton | kTabStop},
    {"AUTOCHECKBOX", "Button", true, kAutoCheckBox | kTabStop, kAutoCheckBox | kTabStop},
    {"AUTORADIOBUTTON", "Button", true, kAutoRadioButton | kTabStop, kAutoRadioButton | kTabStop},
    {"EDITTEXT", "Edit", false, kBorder | kTabStop, kBorder | kTabStop},
};

enum class TokenKind { Identifier, Number, String, Punct, Directive, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;  // identifier, number spelling, punctuation, directive line, decoded string
  Word number = 0;
  const std::string* file = nullptr;
  int line = 0;
};

std::string describe(const Token& t) {
  switch (t.kind) {
    case TokenKind::Identifier:
      return "'" + t.text + "'";
    case TokenKind::Number:
      return "number " + t.text;
    case TokenKind::String:
      return "string \"" + t.text + "\"";
    case TokenKind::Punct:
      return "'" + t.text + "'";
    case TokenKind::Directive:
      return "directive #" + t.text;
    case TokenKind::End:
      break;
  }
  return "end of file";
}

[[noreturn]] void failAt(const Token& t, const std::string& message) {
  throw ResourceScriptError(*t.file, t.line, message);
}

std::string readFile(const fs::path& path, bool& r_ok) {
  std::error_code ec;
  std::ifstream in;
  if (fs::is_regular_file(path, ec)) in.open(path, std::ios::binary);
  r_ok = in.is_open();
  if (!r_ok) return {};
  std::ostringstream text;
  text << in.rdbuf();
  r_ok = !in.bad();
  return text.str();
}

std::string trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

class Lexer {
 public:
  // `utf8` is read at each string, so a code-page pragma takes effect from the next string on.
  // Directive lines are recognised only when `directives` is set (not inside a directive).
  Lexer(const std::string& text, const std::string* file, int line, const bool& utf8,
        bool directives)
      : s_(text), file_(file), line_(line), utf8_(utf8), directives_(directives) {}

  Token next() {
    skipBlanks();
    Token t;
    t.file = file_;
    t.line = line_;
    bool atLineStart = lineStart_;
    lineStart_ = false;
    if (i_ >= s_.size()) return t;
    char c = s_[i_];
    if (c == '#' && directives_ && atLineStart) return directive(t);
    if (c == 'L' && at(1) == '"') {
      ++i_;
      return string(t);
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') return identifier(t);
    if (std::isdigit(static_cast<unsigned char>(c))) return number(t);
    if (c == '"') return string(t);
    if (std::strchr(",|+-~(){}", c)) {
      t.kind = TokenKind::Punct;
      t.text = std::string(1, c);
      ++i_;
      return t;
    }
    char shown[16];
    if (std::isprint(static_cast<unsigned char>(c)))
      std::snprintf(shown, sizeof shown, "'%c'", c);
    else
      std::snprintf(shown, sizeof shown, "0x%02X", unsigned(static_cast<unsigned char>(c)));
    fail(std::string("unexpected character ") + shown);
  }

 private:
  [[noreturn]] void fail(const std::string& message) const {
    throw ResourceScriptError(*file_, line_, message);
  }
  char at(std::size_t ahead) const {
    return i_ + ahead < s_.size() ? s_[i_ + ahead] : '\0';
  }

  void skipBlanks() {
    while (i_ < s_.size()) {
      char c = s_[i_];
      if (c == '\n') {
        ++line_;
        ++i_;
        lineStart_ = true;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++i_;
      } else if (c == '/' && at(1) == '/') {
        while (i_ < s_.size() && s_[i_] != '\n') ++i_;
      } else if (c == '/' && at(1) == '*') {
        int start = line_;
        i_ += 2;
        for (;;) {
          if (i_ + 1 >= s_.size()) {
            line_ = start;
            fail("unterminated comment");
          }
          if (s_[i_] == '*' && s_[i_ + 1] == '/') break;
          if (s_[i_] == '\n') ++line_;
          ++i_;
        }
        i_ += 2;
      } else {
        return;
      }
    }
  }

  Token directive(Token t) {
    std::size_t end = s_.find('\n', i_);
    if (end == std::string::npos) end = s_.size();
    t.kind = TokenKind::Directive;
    t.text = s_.substr(i_ + 1, end - i_ - 1);
    if (!t.text.empty() && t.text.back() == '\r') t.text.pop_back();
    if (!t.text.empty() && t.text.back() == '\\') fail("line continuations are not supported");
    i_ = end;
    return t;
  }

  Token identifier(Token t) {
    std::size_t start = i_;
    while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_'))
      ++i_;
    t.kind = TokenKind::Identifier;
    t.text = s_.substr(start, i_ - start);
    return t;
  }

  Token number(Token t) {
    std::size_t start = i_;
    while (i_ < s_.size() && std::isalnum(static_cast<unsigned char>(s_[i_]))) ++i_;
    t.kind = TokenKind::Number;
    t.text = s_.substr(start, i_ - start);
    std::string digits = t.text;
    for (int k = 0; k < 2 && !digits.empty() && std::strchr("LlUu", digits.back()); ++k)
      digits.pop_back();
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
      base = 16;
      digits.erase(0, 2);
    }
    std::uint64_t value = 0;
    for (char d : digits) {
      int v = std::isdigit(static_cast<unsigned char>(d)) ? d - '0'
              : base == 16 && std::isxdigit(static_cast<unsigned char>(d))
                  ? std::tolower(static_cast<unsigned char>(d)) - 'a' + 10
                  : -1;
      if (v < 0) fail("malformed number " + t.text);
      value = value * base + v;
      if (value > 0xFFFFFFFFull) fail("number " + t.text + " does not fit in 32 bits");
    }
    if (digits.empty()) fail("malformed number " + t.text);
    t.number = Word(value);
    return t;
  }

  Token string(Token t) {
    ++i_;
    t.kind = TokenKind::String;
    std::string out;
    for (;;) {
      if (i_ >= s_.size() || s_[i_] == '\n') fail("unterminated string");
      char c = s_[i_++];
      if (c == '"') {
        if (at(0) != '"') break;
        out += '"';
        ++i_;
      } else if (c == '\\') {
        char e = at(0);
        ++i_;
        switch (e) {
          case '\\': out += '\\'; break;
          case 'n': out += '\n'; break;
          case 'r': out += '\r'; break;
          case 't': out += '\t'; break;
          default: fail(std::string("unsupported escape \\") + (e ? std::string(1, e) : ""));
        }
      } else {
        if (static_cast<unsigned char>(c) >= 0x80 && !utf8_)
          fail("text outside ASCII needs #pragma code_page(65001)");
        out += c;
      }
    }
    if (!isValidUtf8(out)) fail("string is not valid UTF-8");
    t.text = std::move(out);
    return t;
  }

  const std::string& s_;
  std::size_t i_ = 0;
  const std::string* file_;
  int line_;
  const bool& utf8_;
  bool directives_;
  bool lineStart_ = true;
};

// Turns a script and its includes into one stream of tokens, macros expanded, ending with an End
// token at the end of the script.
class Preprocessor {
 public:
  Preprocessor() {
    Token one;
    one.kind = TokenKind::Number;
    one.text = "1";
    one.number = 1;
    macros_["RC_INVOKED"] = {one};
  }

  std::vector<Token> run(const std::string& text, const std::string& path) {
    processFile(text, intern(path), 0);
    return std::move(out_);
  }

 private:
  struct Conditional {
    bool active;
    bool parentActive;
    bool seenElse;
    int line;
  };

  const std::string* intern(const std::string& path) {
    paths_.push_back(path);
    return &paths_.back();
  }

  static std::string canonical(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(path, ec);
    return ec ? path : p.string();
  }

  void processFile(const std::string& text, const std::string* path, int depth) {
    Lexer lexer(text, path, 1, utf8_, true);
    std::vector<Conditional> conditionals;
    for (;;) {
      Token t = lexer.next();
      if (t.kind == TokenKind::End) {
        if (!conditionals.empty())
          throw ResourceScriptError(*path, conditionals.back().line, "#ifdef without #endif");
        if (depth == 0) out_.push_back(t);
        return;
      }
      bool active = conditionals.empty() || conditionals.back().active;
      if (t.kind == TokenKind::Directive)
        directive(t, depth, conditionals, active);
      else if (active)
        emit(t, t);
    }
  }

  std::vector<Token> tokensOf(const std::string& text, const Token& at) {
    Lexer lexer(text, at.file, at.line, utf8_, false);
    std::vector<Token> tokens;
    for (Token t = lexer.next(); t.kind != TokenKind::End; t = lexer.next()) tokens.push_back(t);
    return tokens;
  }

  void directive(const Token& d, int depth, std::vector<Conditional>& conditionals, bool active) {
    std::string body = trim(d.text);
    std::size_t nameEnd = 0;
    while (nameEnd < body.size() && std::isalpha(static_cast<unsigned char>(body[nameEnd])))
      ++nameEnd;
    std::string name = body.substr(0, nameEnd);
    std::string rest = trim(body.substr(nameEnd));

    if (name == "ifdef" || name == "ifndef") {
      bool holds = false;
      if (active) {
        std::vector<Token> args = tokensOf(rest, d);
        if (args.size() != 1 || args[0].kind != TokenKind::Identifier)
          failAt(d, "#" + name + " expects one name");
        holds = (macros_.count(args[0].text) != 0) == (name == "ifdef");
      }
      conditionals.push_back({active && holds, active, false, d.line});
      return;
    }
    if (name == "else" || name == "endif") {
      if (conditionals.empty()) failAt(d, "#" + name + " without #ifdef");
      Conditional& c = conditionals.back();
      if (name == "endif") {
        conditionals.pop_back();
      } else {
        if (c.seenElse) failAt(d, "second #else for one #ifdef");
        c.seenElse = true;
        c.active = c.parentActive && !c.active;
      }
      return;
    }
    // Conditions are not evaluated inside a skipped group, so there any form only nests.
    if (name == "if" && !active) {
      conditionals.push_back({false, false, false, d.line});
      return;
    }
    if (name == "elif" && !conditionals.empty() && !conditionals.back().parentActive) return;
    if (name == "if" || name == "elif") failAt(d, "#" + name + " is not supported: use #ifdef");
    if (!active) return;

    if (name.empty()) {
      if (!body.empty()) failAt(d, "unknown directive #" + body);
    } else if (name == "define") {
      defineMacro(rest, d);
    } else if (name == "undef") {
      std::vector<Token> args = tokensOf(rest, d);
      if (args.size() != 1 || args[0].kind != TokenKind::Identifier)
        failAt(d, "#undef expects one name");
      macros_.erase(args[0].text);
    } else if (name == "include") {
      include(rest, d, depth);
    } else if (name == "pragma") {
      pragma(rest, d);
    } else if (name == "error") {
      failAt(d, "#error " + rest);
    } else {
      failAt(d, "unsupported directive #" + name);
    }
  }

  void defineMacro(const std::string& rest, const Token& d) {
    std::vector<Token> tokens = tokensOf(rest, d);
    if (tokens.empty() || tokens[0].kind != TokenKind::Identifier)
      failAt(d, "#define expects a name");
    const std::string& name = tokens[0].text;
    if (rest.size() > name.size() && rest[name.size()] == '(')
      failAt(d, "macros with parameters are not supported");
    macros_[name].assign(tokens.begin() + 1, tokens.end());
  }

  void include(const std::string& rest, const Token& d, int depth) {
    if (rest.empty() || (rest[0] != '"' && rest[0] != '<'))
      failAt(d, "#include expects \"file\" or <file>");
    char close = rest[0] == '"' ? '"' : '>';
    std::size_t end = rest.find(close, 1);
    if (end == std::string::npos || end == 1) failAt(d, "malformed #include");
    const std::string after = trim(rest.substr(end + 1));
    if (!after.empty() && after.rfind("//", 0) != 0) failAt(d, "unexpected text after #include");
    std::string name = rest.substr(1, end - 1);
    if (close == '>') {
      if (!isKnownSystemHeader(name)) failAt(d, "unknown system header <" + name + ">");
      return;
    }
    fs::path target = fs::path(name);
    if (target.is_relative()) target = fs::path(*d.file).parent_path() / target;
    std::string key = canonical(target.string());
    if (onceFiles_.count(key)) return;
    if (depth + 1 > kMaxIncludeDepth) failAt(d, "includes nested too deeply");
    bool ok = false;
    std::string text = readFile(target, ok);
    if (!ok) failAt(d, "cannot open include file \"" + name + "\"");
    processFile(text, intern(target.string()), depth + 1);
  }

  void pragma(const std::string& rest, const Token& d) {
    std::vector<Token> args = tokensOf(rest, d);
    if (args.empty() || args[0].kind != TokenKind::Identifier) return;
    if (args[0].text == "once") {
      onceFiles_.insert(canonical(*d.file));
    } else if (args[0].text == "code_page") {
      if (args.size() != 4 || args[1].text != "(" || args[2].kind != TokenKind::Number ||
          args[3].text != ")")
        failAt(d, "#pragma code_page expects (number)");
      utf8_ = args[2].number == 65001;
    }
  }

  // Appends `t`, or the expansion of the macro it names, with the place of `site`. A macro is not
  // expanded inside its own expansion, so recursive definitions end.
  void emit(const Token& t, const Token& site) {
    if (t.kind == TokenKind::Identifier && !expanding_.count(t.text)) {
      auto macro = macros_.find(t.text);
      if (macro != macros_.end()) {
        expanding_.insert(t.text);
        for (const Token& b : macro->second) emit(b, site);
        expanding_.erase(t.text);
        return;
      }
    }
    Token placed = t;
    placed.file = site.file;
    placed.line = site.line;
    out_.push_back(std::move(placed));
  }

  std::map<std::string, std::vector<Token>> macros_;
  std::set<std::string> expanding_;
  std::set<std::string> onceFiles_;
  std::deque<std::string> paths_;  // stable storage for the file names tokens point to
  std::vector<Token> out_;
  bool utf8_ = false;
};

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : t_(std::move(tokens)) {}

  ResourceSet run() {
    while (peek().kind != TokenKind::End) {
      if (atKeyword("LANGUAGE")) {
        next();
        language_ = language();
      } else if (atKeyword("STRINGTABLE")) {
        next();
        stringTable();
      } else {
        resource();
      }
    }
    return std::move(out_);
  }

 private:
  const Token& peek() const { return t_[i_]; }
  const Token& next() {
    const Token& t = t_[i_];
    if (t.kind != TokenKind::End) ++i_;
    return t;
  }
  bool atKeyword(const char* word) const {
    return peek().kind == TokenKind::Identifier && peek().text == word;
  }
  bool atPunct(char c) const {
    return peek().kind == TokenKind::Punct && peek().text[0] == c;
  }
  bool atBegin() const { return atKeyword("BEGIN") || atPunct('{'); }
  bool atBlockEnd() const { return atKeyword("END") || atPunct('}'); }

  void comma(const char* after) {
    if (!atPunct(',')) failAt(peek(), std::string("expected ',' after ") + after + ", found " +
                                          describe(peek()));
    next();
  }
  std::string string(const char* what) {
    const Token& t = next();
    if (t.kind != TokenKind::String)
      failAt(t, std::string("expected ") + what + " in quotes, found " + describe(t));
    return t.text;
  }

  Word expression() {
    Word v = unary();
    while (atPunct('|') || atPunct('+') || atPunct('-')) {
      char op = next().text[0];
      Word r = unary();
      v = op == '|' ? v | r : op == '+' ? v + r : v - r;
    }
    return v;
  }
  Word unary() {
    const Token& t = next();
    switch (t.kind) {
      case TokenKind::Number:
        return t.number;
      case TokenKind::Identifier: {
        auto name = windowsNames().find(t.text);
        if (name == windowsNames().end()) failAt(t, "unknown name '" + t.text + "'");
        return name->second;
      }
      case TokenKind::Punct:
        if (t.text[0] == '-') return Word(0) - unary();
        if (t.text[0] == '~') return ~unary();
        if (t.text[0] == '(') {
          Word v = expression();
          if (!atPunct(')')) failAt(peek(), "expected ')', found " + describe(peek()));
          next();
          return v;
        }
        break;
      default:
        break;
    }
    failAt(t, "expected a number, found " + describe(t));
  }

  // Expressions whose value must fall in a range; `what` names the value in the error.
  Word inRange(Word lo, Word hi, const std::string& what) {
    const Token& at = peek();
    Word v = expression();
    if (v < lo || v > hi)
      failAt(at, what + " " + std::to_string(v) + " is outside " + std::to_string(lo) + " to " +
                     std::to_string(hi));
    return v;
  }
  std::int16_t coordinate(const char* what) {
    const Token& at = peek();
    auto v = std::int32_t(expression());
    if (v < -32768 || v > 32767)
      failAt(at, std::string(what) + " " + std::to_string(v) + " is outside -32768 to 32767");
    return std::int16_t(v);
  }
  void rectangle(std::int16_t& x, std::int16_t& y, std::int16_t& w, std::int16_t& h) {
    x = coordinate("x");
    comma("x");
    y = coordinate("y");
    comma("y");
    w = coordinate("width");
    comma("width");
    h = coordinate("height");
  }

  std::uint16_t language() {
    Word primary = inRange(0, 0x3FF, "primary language");
    comma("the primary language");
    Word sub = inRange(0, 0x3F, "sublanguage");
    return std::uint16_t((sub << 10) | primary);
  }

  void stringTable() {
    std::uint16_t lang = language_;
    for (;;) {
      if (atKeyword("LANGUAGE")) {
        next();
        lang = language();
      } else if (atBegin()) {
        break;
      } else {
        failAt(peek(), "expected BEGIN after STRINGTABLE, found " + describe(peek()));
      }
    }
    next();
    while (!atBlockEnd()) {
      if (peek().kind == TokenKind::End) failAt(peek(), "STRINGTABLE without END");
      const Token& at = peek();
      StringResource s;
      s.id = std::uint16_t(inRange(0, 0xFFFF, "string id"));
      s.language = lang;
      if (atPunct(',')) next();
      s.text = string("the text of a string");
      if (!stringIds_.insert(s.id).second)
        failAt(at, "string " + std::to_string(s.id) + " is defined twice");
      out_.strings.push_back(std::move(s));
    }
    next();
  }

  void resource() {
    const Token& at = peek();
    if (at.kind != TokenKind::Number && at.kind != TokenKind::Identifier && !atPunct('('))
      failAt(at, "expected a resource statement, found " + describe(at));
    auto id = std::uint16_t(inRange(1, 0xFFFF, "resource id"));
    if (atKeyword("DIALOGEX")) {
      next();
      dialog(id, at);
      return;
    }
    if (atKeyword("DIALOG")) failAt(peek(), "DIALOG templates are not supported: use DIALOGEX");
    const Token& typeAt = peek();
    if (typeAt.kind == TokenKind::Identifier && !windowsNames().count(typeAt.text))
      failAt(typeAt, "unsupported resource type '" + typeAt.text + "'");
    Word type = expression();
    if (type != kManifestType)
      failAt(typeAt, "unsupported resource type " + std::to_string(type));
    manifest(id, at);
  }

  void dialog(std::uint16_t id, const Token& at) {
    DialogTemplate d;
    d.id = id;
    d.language = language_;
    rectangle(d.x, d.y, d.width, d.height);
    if (atPunct(',')) failAt(peek(), "help ids of dialogs are not supported");
    bool hasStyle = false, hasCaption = false;
    Word style = 0;
    for (;;) {
      if (atKeyword("STYLE")) {
        next();
        style = expression();
        hasStyle = true;
      } else if (atKeyword("EXSTYLE")) {
        next();
        d.exStyle = expression();
      } else if (atKeyword("CAPTION")) {
        next();
        d.caption = string("the caption");
        hasCaption = true;
      } else if (atKeyword("FONT")) {
        next();
        font(d.font);
        d.hasFont = true;
      } else if (atKeyword("LANGUAGE")) {
        next();
        d.language = language();
      } else if (atBegin()) {
        break;
      } else if (peek().kind == TokenKind::Identifier) {
        failAt(peek(), "unsupported dialog statement '" + peek().text + "'");
      } else {
        failAt(peek(), "expected BEGIN, found " + describe(peek()));
      }
    }
    d.style = (hasStyle ? style : kPopup | kBorder | kSysMenu) | (hasCaption ? kCaption : 0) |
              (d.hasFont ? kDialogSetFont : 0);
    next();
    while (!atBlockEnd()) {
      if (peek().kind == TokenKind::End)
        failAt(peek(), "dialog " + std::to_string(id) + " has no END");
      d.controls.push_back(control());
    }
    next();
    if (!dialogIds_.insert(id).second)
      failAt(at, "dialog " + std::to_string(id) + " is defined twice");
    out_.dialogs.push_back(std::move(d));
  }

  void font(DialogFont& f) {
    f.pointSize = std::uint16_t(inRange(0, 0xFFFF, "font size"));
    comma("the font size");
    f.face = string("the font face");
    if (!atPunct(',')) return;
    next();
    f.weight = std::uint16_t(inRange(0, 0xFFFF, "font weight"));
    if (!atPunct(',')) return;
    next();
    f.italic = std::uint8_t(inRange(0, 0xFF, "font italic flag"));
    if (!atPunct(',')) return;
    next();
    f.charset = std::uint8_t(inRange(0, 0xFF, "font character set"));
  }

  DialogControl control() {
    const Token& at = next();
    if (at.kind != TokenKind::Identifier)
      failAt(at, "expected a control statement, found " + describe(at));
    DialogControl c;
    if (at.text == "CONTROL") {
      c.caption = string("the control text");
      comma("the control text");
      c.id = std::int32_t(expression());
      comma("the control id");
      c.className = string("the control class");
      comma("the control class");
      c.style = kChild | kVisible | expression();
      comma("the control style");
      rectangle(c.x, c.y, c.width, c.height);
      if (atPunct(',')) {
        next();
        c.exStyle = expression();
      }
    } else {
      const Shorthand* s = nullptr;
      for (const Shorthand& candidate : kShorthands)
        if (at.text == candidate.keyword) s = &candidate;
      if (!s) failAt(at, "unsupported control statement '" + at.text + "'");
      c.className = s->className;
      if (s->hasText) {
        c.caption = string("the control text");
        comma("the control text");
      }
      c.id = std::int32_t(expression());
      comma("the control id");
      rectangle(c.x, c.y, c.width, c.height);
      Word style = s->defaultStyle;
      if (atPunct(',')) {
        next();
        style = s->baseStyle | expression();
        if (atPunct(',')) {
          next();
          c.exStyle = expression();
        }
      }
      c.style = kChild | kVisible | style;
    }
    if (atPunct(',')) failAt(peek(), "help ids of controls are not supported");
    return c;
  }

  void manifest(std::uint16_t id, const Token& at) {
    const Token& fileAt = peek();
    std::string name = string("the manifest file name");
    fs::path file(name);
    if (file.is_relative()) file = fs::path(*fileAt.file).parent_path() / file;
    bool ok = false;
    ManifestResource m;
    m.id = id;
    m.language = language_;
    m.content = readFile(file, ok);
    if (!ok) failAt(fileAt, "cannot read manifest file \"" + name + "\"");
    if (!manifestIds_.insert(id).second)
      failAt(at, "manifest " + std::to_string(id) + " is defined twice");
    out_.manifests.push_back(std::move(m));
  }

  std::vector<Token> t_;
  std::size_t i_ = 0;
  std::uint16_t language_ = kDefaultResourceLanguage;
  ResourceSet out_;
  std::set<std::uint16_t> stringIds_, dialogIds_, manifestIds_;
};

std::string formatError(const std::string& file, int line, const std::string& message) {
  return line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message;
}

}  // namespace

ResourceScriptError::ResourceScriptError(const std::string& file, int line,
                                         const std::string& message)
    : std::runtime_error(formatError(file, line, message)),
      file_(file),
      line_(line),
      message_(message) {}

ResourceSet parseResourceScriptText(const std::string& text, const std::string& path) {
  // A byte-order mark is how editors mark a UTF-8 file; it is not part of the script.
  const bool bom = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
  Preprocessor preprocessor;
  return Parser(preprocessor.run(bom ? text.substr(3) : text, path)).run();
}

ResourceSet parseResourceScript(const std::string& path) {
  bool ok = false;
  std::string text = readFile(path, ok);
  if (!ok) throw ResourceScriptError(path, 0, "cannot open the resource script");
  return parseResourceScriptText(text, path);
}
