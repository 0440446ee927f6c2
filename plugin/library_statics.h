// The library-wide objects, built when the library loads in the order the host relies on (class
// descriptor, pick mode, parameter accessor, parameter block description, scripting interface
// description) and destroyed in reverse order when it unloads; and the rollout's two pick buttons.
#pragma once

#include "custcont.h"
#include "iFnPub.h"
#include "params/node_picking.h"
#include "params/pblock_accessor.h"
#include "plugin/ambiflex_class_desc.h"

extern ambiflexClassDesc ambiflexDesc;
extern PickControlNode thePickMode;
extern vertMirrorPBAccessor vertMirrorAccessor;
extern ParamBlockDesc2 ambiflexParamBlockDesc;
extern FPInterfaceDesc vMirrorOpsDesc;

// The custom-button interfaces of the target (1003) and asymmetry (1010) pick buttons, taken when a
// rollout initialises and released when it closes; null while no rollout is open. The pick mode
// checks the active one.
extern ICustButton* targetPickButton;
extern ICustButton* asymmetryPickButton;
