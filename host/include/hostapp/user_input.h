// Input as a user gives it, for host programs: clicks on the controls of a dialog, spinner drags
// and typing into edits, and clicks in the active viewport while a pick mode runs. Each returns
// false, and nothing happens, when the input cannot be given: a missing, disabled or hidden
// control, a control of a kind that takes no such input, or no pick mode running.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "max_types.h"

class INode;

// Clicks control `id` of `dialog`: an automatic check box toggles, a radio button becomes checked,
// a check-type custom button toggles; then the dialog gets WM_COMMAND (low word `id`, high word
// BN_CLICKED, lParam the control).
bool ClickControl(HWND dialog, int id);
// Drags spinner `id` to `value` (clamped to its limits); the dialog gets CC_SPINNER_CHANGE.
bool DragSpinner(HWND dialog, int id, float value);
// Types `text` into edit `id` (replacing its text); the dialog gets WM_COMMAND with EN_CHANGE.
bool TypeIntoControl(HWND dialog, int id, const std::wstring& text);

// A click in the active viewport on `node` (null: on empty space) while a pick mode runs: the
// mode's HitTest, then, on a hit, its Pick; a Pick that returns TRUE ends the mode.
bool ClickNodeInViewport(INode* node);
// A right click in the active viewport while a pick mode runs; RightClick returning TRUE ends it.
bool RightClickInViewport();
// The host's pick-by-name list while a pick mode runs: the scene's nodes its filter accepts.
std::vector<INode*> PickByNameList();
// Picks node `name` from that list (Pick with the node as the closest hit); false when the list
// does not offer it.
bool PickNodeByName(const MCHAR* name);
