// UpdateRolloutState: which rollout controls can be used, from the target, the last result and
// the operation. Runs after every evaluation and after the controls that change what applies.
#include <initializer_list>

#include "custcont.h"
#include "modifier/ambiflex.h"
#include "params/param_ids.h"
#include "plugin/resource.h"

namespace {

void enable(HWND rollout, std::initializer_list<int> ids, BOOL on) {
  for (int id : ids) EnableWindow(GetDlgItem(rollout, id), on);
}

// The axis offset spinner goes through its own interface; a rollout without one skips it.
void enableSpinner(HWND rollout, int id, BOOL on) {
  ISpinnerControl* spinner = GetISpinner(GetDlgItem(rollout, id));
  if (spinner == nullptr) return;
  spinner->Enable(on);
  ReleaseISpinner(spinner);
}

}  // namespace

void ambiflex::UpdateRolloutState() {
  if (hwndRollout == nullptr) return;
  TimeValue t = GetCOREInterface()->GetTime();
  Interval valid = FOREVER;
  int op = kOperationMirror;
  INode* target = nullptr;
  pblock->GetValue(operation, t, op, valid);
  pblock->GetValue(UndefObject, t, target, valid);

  if (target == nullptr || resultValid == 0) {
    enable(hwndRollout,
           {IDC_OP_MIRROR, IDC_OP_FLIP, IDC_OP_RESET, IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE, IDC_AXIS_X, IDC_AXIS_Y,
            IDC_AXIS_Z, IDC_CONSTANT_UPDATE, IDC_IGNORE_SO, IDC_ALIGN_CENTER_VERTS},
           FALSE);
    enableSpinner(hwndRollout, IDC_AXIS_OFFSET_SPIN, FALSE);
    enable(hwndRollout, {IDC_AXIS_OFFSET_LABEL}, FALSE);
    return;
  }

  enable(hwndRollout, {IDC_OP_MIRROR, IDC_OP_FLIP, IDC_OP_RESET, IDC_CONSTANT_UPDATE, IDC_IGNORE_SO, IDC_ALIGN_CENTER_VERTS},
         TRUE);
  enableSpinner(hwndRollout, IDC_AXIS_OFFSET_SPIN, TRUE);
  enable(hwndRollout, {IDC_AXIS_OFFSET_LABEL}, TRUE);
  SetWindowTextW(GetDlgItem(hwndRollout, IDC_TARGET_PICK), target->GetName());

  switch (op) {
    case kOperationMirror:
      enable(hwndRollout, {IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE, IDC_AXIS_X, IDC_AXIS_Y, IDC_AXIS_Z, IDC_ALIGN_CENTER_VERTS},
             TRUE);
      break;
    case kOperationFlip:
      enable(hwndRollout, {IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE}, FALSE);
      enable(hwndRollout, {IDC_AXIS_X, IDC_AXIS_Y, IDC_AXIS_Z, IDC_ALIGN_CENTER_VERTS}, TRUE);
      break;
    case kOperationReset:
      enable(hwndRollout, {IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE, IDC_AXIS_X, IDC_AXIS_Y, IDC_AXIS_Z, IDC_ALIGN_CENTER_VERTS},
             FALSE);
      break;
    default:
      // Any other value leaves these controls as they are.
      break;
  }
}
