// Text to parameter values.
#include "parameter_text.h"

#include <cerrno>
#include <cstdlib>
#include <cwchar>

#include "scene.h"
#include "token_text.h"

namespace {

const ParamDef* findParam(IParamBlock2* block, const std::string& name) {
  ParamBlockDesc2* desc = block->GetDesc();
  MSTR wanted = MSTR::FromUTF8(name);
  for (int i = 0; i < desc->Count(); ++i) {
    const ParamDef& def = desc->GetParamDefByIndex(i);
    if (def.int_name != nullptr && std::wcscmp(def.int_name, wanted.data()) == 0) return &def;
  }
  return nullptr;
}

bool parseInt(const std::string& text, int& r_value) {
  if (text == "on" || text == "true") { r_value = 1; return true; }
  if (text == "off" || text == "false") { r_value = 0; return true; }
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || v < -2147483647L || v > 2147483647L) return false;
  r_value = int(v);
  return true;
}

// The shortest text that reads back as `v`: 0.01, not 0.00999999978.
std::string numberText(float v) {
  std::string text;
  AppendFloat(text, v);
  return text;
}

}  // namespace

bool SetParameterFromText(IParamBlock2* block, const std::string& name, const std::string& value,
                          std::string& r_error) {
  const ParamDef* def = findParam(block, name);
  if (def == nullptr) {
    r_error = "no parameter named '" + name + "'";
    return false;
  }
  BOOL ok = FALSE;
  switch (def->type) {
    case TYPE_FLOAT: {
      float f = 0.0f;
      if (ParseFloatToken(value, f) != FloatTokenStatus::kOk) {
        r_error = name + " takes a finite number, not '" + value + "'";
        return false;
      }
      // The host would clamp the value into the range without a word; a user who typed it is told.
      if (def->hasRange && (f < def->range_low.f || f > def->range_high.f)) {
        r_error = name + " takes " + numberText(def->range_low.f) + " to " + numberText(def->range_high.f) +
                  ", not '" + value + "'";
        return false;
      }
      ok = block->SetValue(def->ID, 0, f);
      break;
    }
    case TYPE_INT:
    case TYPE_BOOL: {
      int i = 0;
      if (!parseInt(value, i)) {
        r_error = name + " takes a whole number" + (def->type == TYPE_BOOL ? " or on/off" : "") + ", not '" + value + "'";
        return false;
      }
      // Switches are raised by exactly 1, and the host would clamp a number into its range silently.
      const int low = def->type == TYPE_BOOL ? 0 : def->hasRange ? def->range_low.i : i;
      const int high = def->type == TYPE_BOOL ? 1 : def->hasRange ? def->range_high.i : i;
      if (i < low || i > high) {
        r_error = name + " takes " + std::to_string(low) + " to " + std::to_string(high) +
                  (def->type == TYPE_BOOL ? " (off/on)" : "") + ", not '" + value + "'";
        return false;
      }
      ok = block->SetValue(def->ID, 0, i);
      break;
    }
    case TYPE_INODE: {
      INode* node = Scene::Get().FindNode(MSTR::FromUTF8(value).data());
      if (node == nullptr && !value.empty() && value != "none") {
        r_error = "no node named '" + value + "' for " + name;
        return false;
      }
      ok = block->SetValue(def->ID, 0, node);
      if (!ok) r_error = "node '" + value + "' depends on the modifier and cannot be its " + name;
      break;
    }
    default:
      r_error = "parameter '" + name + "' cannot be set from text";
      return false;
  }
  if (!ok && r_error.empty()) r_error = "cannot set " + name + " to '" + value + "'";
  return ok != FALSE;
}
