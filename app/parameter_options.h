// The options that set one modifier parameter each (--axis, --operation, ..., --set NAME=VALUE),
// shared by every command that sets parameters, so that each takes them alike. Two options setting
// one parameter (--axis x --set mirrorAxis=2, or --set mirrorAxis=1 twice) are refused: the order
// of the words would otherwise settle it without a word. Values are checked against the
// parameter's range when they are set (SetParameterFromText), alike for every command.
#pragma once

#include <string>
#include <vector>

#include "command_options.h"
#include "iparamb2.h"

// The forms of the named friendly options, for a command's option list; "--set" is among them
// when named. Every option in the list must be one ParameterSettings knows.
std::vector<OptionForm> ParameterOptionForms(const std::vector<std::string>& names);

class ParameterSettings {
 public:
  struct Setting {
    std::string origin;  // the option as given, for messages: "--axis x"
    std::string name;    // the parameter's internal name
    std::string value;   // as text, in the form SetParameterFromText reads
  };

  // Takes `option` when it is a parameter option and returns true; false for any other option.
  // Throws UsageError for a value outside the option's choices or a parameter already set.
  bool Take(const GivenOption& option);
  // A parameter another option implies (--selection FILE turns ignoreSO off).
  void Imply(const std::string& origin, const std::string& name, const std::string& value);

  bool Sets(const std::string& name) const;
  const std::vector<Setting>& settings() const { return settings_; }

  // Sets every parameter in order; false with r_error ("--offset 1e9: axisOffset takes ...") at the
  // first the block refuses.
  bool ApplyTo(IParamBlock2* block, std::string& r_error) const;

 private:
  void add(const std::string& origin, const std::string& name, const std::string& value);
  std::vector<Setting> settings_;
};
