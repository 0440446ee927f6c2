// Class descriptor operations.
#include "plugin/ambiflex_class_desc.h"

#include <new>

#include "modifier/ambiflex.h"
#include "plugin/library_statics.h"
#include "plugin/resource.h"
#include "plugin/resource_string.h"

void* ambiflexClassDesc::Create(BOOL loading) {
  AddInterface(&vMirrorOpsDesc);
  return new (std::nothrow) ambiflex();
}

const MCHAR* ambiflexClassDesc::ClassName() { return GetResourceString(IDS_CLASS_NAME); }

const MCHAR* ambiflexClassDesc::Category() { return GetResourceString(IDS_CATEGORY); }

HINSTANCE ambiflexClassDesc::HInstance() { return hInstance; }

ClassDesc2* GetAmbiflexDesc() { return &ambiflexDesc; }
