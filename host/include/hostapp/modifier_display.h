// Drawing a node's modifier gizmos as a viewport redraw does, for host programs that show them.
#pragma once

#include "inode.h"
#include "maxapi.h"

// Draws the gizmos of every enabled modifier in `node`'s stack into `vpt` at t (Modifier::Display
// with each application's context), from the top of the stack down.
void DisplayModifiers(INode* node, ViewExp* vpt, TimeValue t);
// The union of those modifiers' world bound boxes (GetWorldBoundBox with their contexts): what a
// zoom-extents frames of them. Empty when none reports a box.
Box3 ModifiersWorldBoundBox(INode* node, ViewExp* vpt, TimeValue t);
