// Parameters of the modifier's block set from text, as the command line names them: by internal
// name (`mirrorAxis=2`), numbers checked strictly, node parameters by scene node name.
#pragma once

#include <string>

#include "iparamb2.h"

// Sets parameter `name` of `block` from `value`; false with `r_error` set for an unknown name, a
// value that does not read as the parameter's type or lies outside the parameter's range, or a
// node name the scene does not have.
bool SetParameterFromText(IParamBlock2* block, const std::string& name, const std::string& value,
                          std::string& r_error);
