// The library-wide objects, built when the library loads in the order the host relies on (class
// descriptor, parameter accessor, parameter block description, scripting interface description)
// and destroyed in reverse order when it unloads.
#pragma once

#include "iFnPub.h"
#include "params/pblock_accessor.h"
#include "plugin/ambiflex_class_desc.h"

extern ambiflexClassDesc ambiflexDesc;
extern vertMirrorPBAccessor vertMirrorAccessor;
extern ParamBlockDesc2 ambiflexParamBlockDesc;
extern FPInterfaceDesc vMirrorOpsDesc;
