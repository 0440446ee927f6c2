// The script bridge: what a script does with a plug-in object, for host programs. It calls a
// published function by name, the way `$.modifiers[1].reset()` would, and sets a parameter by its
// internal name, the way `$.modifiers[1].mirrorAxis = 2` would.
//
// Functions are looked up on the mixin interfaces (FP_MIXIN) that the object's class descriptor
// carries, each asked of the object itself through GetInterface(id). Parameters are looked up in
// every parameter block of the object and set through the block's SetValue, so range clamping,
// accessors and change messages happen as for a script. Nothing here keeps a pointer.
#pragma once

#include <string>

#include "iFnPub.h"
#include "iparamb2.h"

// Calls the published function named `name` (UTF-8) on `obj` without arguments. Returns the call's
// status (FPS_OK), or FPS_NO_SUCH_FUNCTION with `r_error` naming the object and the functions it
// has when none of its interfaces publishes that name, or FPS_FAIL when `obj` is null or its class
// is not in the class directory.
FPStatus CallPublishedFunction(Animatable* obj, const std::string& name, std::string* r_error);

// Calls function `fid` of interface `iid` on `obj`: whatever the interface answers, which is
// FPS_NO_SUCH_FUNCTION for an id it does not have. FPS_FAIL with `r_error` when the object does not
// carry that interface.
FPStatus InvokePublishedFunction(Animatable* obj, Interface_ID iid, FunctionID fid, std::string* r_error);

// Sets the parameter whose internal name is `name` from `value`, as a script literal: float
// parameters take a decimal number, int parameters a whole number, bool parameters also
// true/false/on/off, node parameters the name of a node of the scene (or "undefined" / "none" for
// no node). False with `r_error` for an unknown name, a value that does not read as the
// parameter's type, an unknown node, or a value the block refuses (a node that depends on `obj`).
bool SetParameterByName(Animatable* obj, const std::string& name, const std::string& value, std::string* r_error);

// The same from one `name=value` assignment.
bool SetParameterAssignment(Animatable* obj, const std::string& assignment, std::string* r_error);
