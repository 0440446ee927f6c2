// Published functions by name and parameters by internal name, as scripts reach them.
#include "script_bridge.h"

#include <charconv>
#include <cmath>
#include <cwchar>
#include <vector>

#include "plugin_library.h"
#include "scene.h"

namespace {

void setError(std::string* r_error, const std::string& text) {
  if (r_error != nullptr) *r_error = text;
}

std::string utf8(const MCHAR* s) { return s != nullptr ? MSTR(s).ToUTF8() : std::string(); }

std::string objectName(Animatable* obj) {
  MSTR name;
  obj->GetClassName(name);
  return name.isNull() ? std::string("the object") : name.ToUTF8();
}

// The mixin interfaces of `obj`, as the object itself answers for each one its class carries.
std::vector<FPInterface*> mixinsOf(Animatable* obj) {
  std::vector<FPInterface*> found;
  ClassDesc* cd = ClassDirectory::Get().Find(obj->SuperClassID(), obj->ClassID());
  if (cd == nullptr) return found;
  for (int i = 0; i < cd->NumInterfaces(); ++i) {
    FPInterface* registered = cd->GetInterfaceAt(i);
    FPInterfaceDesc* desc = registered != nullptr ? registered->GetDesc() : nullptr;
    if (desc == nullptr || !(desc->flags & FP_MIXIN)) continue;
    auto* fpi = dynamic_cast<FPInterface*>(obj->GetInterface(desc->ID));
    if (fpi == nullptr) continue;
    bool seen = false;
    for (FPInterface* f : found) seen = seen || f == fpi;
    if (!seen) found.push_back(fpi);
  }
  return found;
}

bool isFloatType(ParamType2 type) {
  return type == TYPE_FLOAT || type == TYPE_ANGLE || type == TYPE_PCNT_FRAC || type == TYPE_WORLD ||
         type == TYPE_COLOR_CHANNEL;
}

bool isIntType(ParamType2 type) {
  return type == TYPE_INT || type == TYPE_BOOL || type == TYPE_INDEX || type == TYPE_RADIOBTN_INDEX ||
         type == TYPE_TIMEVALUE;
}

bool parseInt(const std::string& text, int& r_value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  if (begin == end) return false;
  auto [at, ec] = std::from_chars(begin, end, r_value);
  return ec == std::errc() && at == end;
}

bool parseFloat(const std::string& text, float& r_value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  if (begin == end) return false;
  float v = 0.0f;
  auto [at, ec] = std::from_chars(begin, end, v, std::chars_format::general);
  if (ec != std::errc() || at != end || !std::isfinite(v)) return false;
  r_value = v;
  return true;
}

bool parseBool(const std::string& text, int& r_value) {
  if (text == "true" || text == "on") r_value = 1;
  else if (text == "false" || text == "off") r_value = 0;
  else return parseInt(text, r_value);
  return true;
}

}  // namespace

FPStatus CallPublishedFunction(Animatable* obj, const std::string& name, std::string* r_error) {
  if (obj == nullptr) {
    setError(r_error, "no object to call '" + name + "' on");
    return FPS_FAIL;
  }
  if (ClassDirectory::Get().Find(obj->SuperClassID(), obj->ClassID()) == nullptr) {
    setError(r_error, objectName(obj) + " is of a class the host does not know");
    return FPS_FAIL;
  }
  MSTR wanted = MSTR::FromUTF8(name);
  std::vector<FPInterface*> mixins = mixinsOf(obj);
  for (FPInterface* fpi : mixins) {
    FunctionID fid = fpi->FindFn(wanted.data());
    if (fid != FP_NO_FUNCTION) return fpi->Invoke(fid);
  }
  std::string known;
  for (FPInterface* fpi : mixins) {
    for (const FPFunctionDef& fn : fpi->GetDesc()->functions) known += (known.empty() ? "" : ", ") + utf8(fn.internal_name);
  }
  setError(r_error, objectName(obj) + " has no function '" + name + "'" +
                        (known.empty() ? std::string(": it publishes none") : "; it has " + known));
  return FPS_NO_SUCH_FUNCTION;
}

FPStatus InvokePublishedFunction(Animatable* obj, Interface_ID iid, FunctionID fid, std::string* r_error) {
  auto* fpi = obj != nullptr ? dynamic_cast<FPInterface*>(obj->GetInterface(iid)) : nullptr;
  if (fpi == nullptr) {
    setError(r_error, obj == nullptr ? std::string("no object to call on") : objectName(obj) + " does not carry that interface");
    return FPS_FAIL;
  }
  return fpi->Invoke(fid);
}

bool SetParameterByName(Animatable* obj, const std::string& name, const std::string& value, std::string* r_error) {
  if (obj == nullptr) {
    setError(r_error, "no object to set '" + name + "' on");
    return false;
  }
  MSTR wanted = MSTR::FromUTF8(name);
  IParamBlock2* block = nullptr;
  const ParamDef* def = nullptr;
  for (int b = 0; b < obj->NumParamBlocks() && def == nullptr; ++b) {
    IParamBlock2* pb = obj->GetParamBlock(b);
    if (pb == nullptr) continue;
    ParamBlockDesc2* desc = pb->GetDesc();
    for (int i = 0; i < desc->Count(); ++i) {
      const ParamDef& d = desc->GetParamDefByIndex(i);
      if (d.int_name != nullptr && std::wcscmp(d.int_name, wanted.data()) == 0) {
        block = pb;
        def = &d;
        break;
      }
    }
  }
  if (def == nullptr) {
    setError(r_error, objectName(obj) + " has no parameter named '" + name + "'");
    return false;
  }
  BOOL ok = FALSE;
  if (isFloatType(def->type)) {
    float f = 0.0f;
    if (!parseFloat(value, f)) {
      setError(r_error, name + " takes a finite number, not '" + value + "'");
      return false;
    }
    ok = block->SetValue(def->ID, 0, f);
  } else if (isIntType(def->type)) {
    int i = 0;
    bool read = def->type == TYPE_BOOL ? parseBool(value, i) : parseInt(value, i);
    if (!read) {
      setError(r_error, name + (def->type == TYPE_BOOL ? " takes true, false, on, off or a whole number" : " takes a whole number") +
                            ", not '" + value + "'");
      return false;
    }
    ok = block->SetValue(def->ID, 0, i);
  } else if (def->type == TYPE_INODE) {
    INode* node = nullptr;
    if (value != "undefined" && value != "none" && !value.empty()) {
      node = Scene::Get().FindNode(MSTR::FromUTF8(value).data());
      if (node == nullptr) {
        setError(r_error, "no node named '" + value + "' in the scene for " + name);
        return false;
      }
    }
    ok = block->SetValue(def->ID, 0, node);
    if (!ok) {
      setError(r_error, "node '" + value + "' depends on " + objectName(obj) + " and cannot be its " + name);
      return false;
    }
  } else {
    setError(r_error, "parameter '" + name + "' cannot be set from text");
    return false;
  }
  if (!ok) setError(r_error, "cannot set " + name + " to '" + value + "'");
  return ok != FALSE;
}

bool SetParameterAssignment(Animatable* obj, const std::string& assignment, std::string* r_error) {
  size_t eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0) {
    setError(r_error, "a parameter setting takes NAME=VALUE, not '" + assignment + "'");
    return false;
  }
  return SetParameterByName(obj, assignment.substr(0, eq), assignment.substr(eq + 1), r_error);
}
