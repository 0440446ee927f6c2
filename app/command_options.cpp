// Reading a command's words.
#include "command_options.h"

#include <algorithm>

#include "exit_codes.h"
#include "printable_text.h"

namespace {

bool isOptionWord(const std::string& word) { return word.size() > 2 && word.rfind("--", 0) == 0; }

// A single dash and a number are values; any other word starting with '-' is meant as an option.
bool looksLikeShortOption(const std::string& word) {
  return word.size() > 1 && word[0] == '-' && word[1] != '-' && !(word[1] >= '0' && word[1] <= '9') && word[1] != '.';
}

}  // namespace

std::string GivenOption::Text() const {
  std::string text = name;
  for (const std::string& v : values) text += " " + v;
  return text;
}

bool IsHelpWord(const std::string& word) { return word == "-h" || word == "--help"; }

CommandWords ReadCommandWords(const std::vector<std::string>& args, const std::vector<OptionForm>& forms,
                              size_t maxOperands) {
  CommandWords words;
  if (std::any_of(args.begin(), args.end(), IsHelpWord)) {
    words.help = true;
    return words;
  }
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (!isOptionWord(word)) {
      if (looksLikeShortOption(word) || word == "--") throw UsageError{"unknown option '" + word + "'"};
      if (words.operands.size() == maxOperands) {
        throw UsageError{maxOperands == 0 ? "unexpected word '" + word + "' (options start with --)"
                                          : "unexpected word '" + word + "' after '" + words.operands.back() + "'"};
      }
      words.operands.push_back(word);
      continue;
    }
    const size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const auto form = std::find_if(forms.begin(), forms.end(), [&](const OptionForm& s) { return s.name == name; });
    if (form == forms.end()) throw UsageError{"unknown option '" + name + "'"};
    GivenOption given{name, {}};
    if (equals != std::string::npos) {
      if (form->kind == OptionForm::kFlag) throw UsageError{name + " takes no value, not '" + word.substr(equals + 1) + "'"};
      if (equals + 1 == word.size()) throw UsageError{name + " needs a value"};
      given.values.push_back(word.substr(equals + 1));
    } else if (form->kind != OptionForm::kFlag) {
      if (i + 1 >= args.size() || isOptionWord(args[i + 1])) throw UsageError{name + " needs a value"};
      given.values.push_back(args[++i]);
    }
    if (form->kind == OptionForm::kList) {
      while (i + 1 < args.size() && !isOptionWord(args[i + 1])) given.values.push_back(args[++i]);
    }
    if (!form->repeatable) {
      for (const GivenOption& earlier : words.options) {
        if (earlier.name == name) {
          throw UsageError{name + " is given twice ('" + earlier.Text() + "' and '" + given.Text() + "'): give it once"};
        }
      }
    }
    words.options.push_back(std::move(given));
  }
  return words;
}

int ReadCommandOptions(const std::string& command, const std::vector<std::string>& args,
                       const std::vector<OptionForm>& forms, size_t maxOperands, const char* help,
                       const std::function<void(const CommandWords&)>& parse, std::ostream& out, std::ostream& err) {
  try {
    const CommandWords words = ReadCommandWords(args, forms, maxOperands);
    if (words.help) {
      out << help;
      return kExitOk;
    }
    parse(words);
  } catch (const UsageError& e) {
    err << "velomorph " << command << ": " << PrintableText(e.message) << "\n";
    return kExitUsage;
  }
  return kCarryOn;
}
