// A command's words read as users of well-kept command-line tools expect: "--name value" and
// "--name=value" alike, -h or --help anywhere asks for help, and an option the command does not
// know, or one given twice that takes a single value, is refused rather than settled silently by
// the order of the words. A value may be "-" (standard input or output) or a negative number; a word
// starting with "--" is never taken as a value.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// What is wrong with the words, for one line "velomorph <command>: <message>" and exit code 2.
struct UsageError {
  std::string message;
};

struct OptionForm {
  enum Kind {
    kFlag,   // no value
    kValue,  // exactly one value
    kList,   // one or more values, up to the next option (--input a.obj b.obj)
  };
  std::string name;  // "--target"
  Kind kind = kValue;
  bool repeatable = false;  // --set, --call, --input: every occurrence kept, in order
};

struct GivenOption {
  std::string name;
  std::vector<std::string> values;  // none for a flag, one for kValue
  const std::string& value() const { return values.front(); }
  // "--axis x", as the option is named in messages.
  std::string Text() const;
};

struct CommandWords {
  bool help = false;                  // -h or --help was among the words; nothing else was read
  std::vector<GivenOption> options;   // in the order given
  std::vector<std::string> operands;  // the words that are not options (the scene file of `scene`)
};

// Reads `args` against `forms`, allowing at most `maxOperands` words that are not options. Throws
// UsageError naming the word at fault.
CommandWords ReadCommandWords(const std::vector<std::string>& args, const std::vector<OptionForm>& forms,
                              size_t maxOperands = 0);

// True for "-h" and "--help".
bool IsHelpWord(const std::string& word);

// How every command starts: reads `args` against `forms` (at most `maxOperands` operands) and hands
// the words to `parse`, which fills the command's options and may throw UsageError. Returns
// kCarryOn when the command should run; otherwise the exit code to end with, having printed `help`
// on `out` (for -h or --help, kExitOk) or "velomorph <command>: <message>" on `err` (kExitUsage).
constexpr int kCarryOn = -1;
int ReadCommandOptions(const std::string& command, const std::vector<std::string>& args,
                       const std::vector<OptionForm>& forms, size_t maxOperands, const char* help,
                       const std::function<void(const CommandWords&)>& parse, std::ostream& out, std::ostream& err);
