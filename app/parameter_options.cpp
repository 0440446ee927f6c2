// The friendly parameter options.
#include "parameter_options.h"

#include <algorithm>
#include <map>

#include "parameter_text.h"

namespace {

struct FriendlyOption {
  const char* option;
  const char* parameter;
  // Words the option takes and the value each stands for; empty: the value is a number passed on
  // as typed. A flag (no value) sets `flagValue`.
  std::map<std::string, std::string> choices;
  const char* flagValue = nullptr;
};

const std::vector<FriendlyOption>& friendlyOptions() {
  static const std::vector<FriendlyOption> options = {
      {"--operation", "operation", {{"mirror", "0"}, {"flip", "1"}, {"reset", "2"}}},
      {"--axis", "mirrorAxis", {{"x", "0"}, {"y", "1"}, {"z", "2"}}},
      {"--offset", "axisOffset", {}},
      {"--direction", "direction", {{"negative", "0"}, {"positive", "1"}}},
      // The rollout says "Align Center Verts"; scripts written for the first spelling keep working.
      {"--align-center", "resetCentreVerts", {{"on", "1"}, {"off", "0"}}},
      {"--align-centre", "resetCentreVerts", {{"on", "1"}, {"off", "0"}}},
      {"--size", "displaySize", {}},
      {"--invert-base-selection", "invertBaseSelection", {}, "1"},
      {"--carry-selection", "OperateOnSelection", {}, "1"},
      {"--selection-only", "OperateOnlyOnSelection", {}, "1"},
      {"--asymmetry-type", "asynType", {{"local", "0"}, {"surface", "1"}}},
      {"--uv-dominance", "UVDominance", {{"u", "0"}, {"v", "1"}}},
      {"--normalize-frames", "NormXforms", {}, "1"},
  };
  return options;
}

const FriendlyOption* findFriendly(const std::string& option) {
  for (const FriendlyOption& f : friendlyOptions()) {
    if (option == f.option) return &f;
  }
  return nullptr;
}

}  // namespace

std::vector<OptionForm> ParameterOptionForms(const std::vector<std::string>& names) {
  std::vector<OptionForm> forms;
  for (const std::string& name : names) {
    if (name == "--set") {
      forms.push_back({"--set", OptionForm::kValue, true});
    } else if (const FriendlyOption* f = findFriendly(name)) {
      forms.push_back({name, f->flagValue != nullptr ? OptionForm::kFlag : OptionForm::kValue, false});
    }
  }
  return forms;
}

bool ParameterSettings::Take(const GivenOption& option) {
  if (option.name == "--set") {
    const std::string& assignment = option.value();
    const size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) throw UsageError{"--set takes NAME=VALUE, not '" + assignment + "'"};
    add(option.Text(), assignment.substr(0, eq), assignment.substr(eq + 1));
    return true;
  }
  const FriendlyOption* f = findFriendly(option.name);
  if (f == nullptr) return false;
  if (f->flagValue != nullptr) {
    add(option.Text(), f->parameter, f->flagValue);
  } else if (f->choices.empty()) {
    add(option.Text(), f->parameter, option.value());
  } else {
    auto it = f->choices.find(option.value());
    if (it == f->choices.end()) {
      std::string names;
      for (const auto& c : f->choices) names += (names.empty() ? "" : "|") + c.first;
      throw UsageError{option.name + " takes " + names + ", not '" + option.value() + "'"};
    }
    add(option.Text(), f->parameter, it->second);
  }
  return true;
}

void ParameterSettings::Imply(const std::string& origin, const std::string& name, const std::string& value) {
  add(origin, name, value);
}

bool ParameterSettings::Sets(const std::string& name) const {
  return std::any_of(settings_.begin(), settings_.end(), [&](const Setting& s) { return s.name == name; });
}

void ParameterSettings::add(const std::string& origin, const std::string& name, const std::string& value) {
  for (const Setting& earlier : settings_) {
    if (earlier.name == name) {
      throw UsageError{"'" + earlier.origin + "' and '" + origin + "' both set " + name + ": give one"};
    }
  }
  settings_.push_back(Setting{origin, name, value});
}

bool ParameterSettings::ApplyTo(IParamBlock2* block, std::string& r_error) const {
  for (const Setting& s : settings_) {
    if (!SetParameterFromText(block, s.name, s.value, r_error)) {
      r_error = s.origin + ": " + r_error;
      return false;
    }
  }
  return true;
}
