// UpdateRolloutState: which rollout controls can be used, from the target, the last result and
// the operation. Runs after every evaluation and after the controls that change what applies.
#include "custcont.h"
#include "modifier/ambiflex.h"
#include "params/param_ids.h"
#include "plugin/resource.h"

namespace {

// The controls enabled and disabled together.
const int kAllOperationControls[] = {IDC_OP_MIRROR,   IDC_OP_FLIP,         IDC_OP_RESET,  IDC_DIR_NEGATIVE,
                                     IDC_DIR_POSITIVE, IDC_AXIS_X,         IDC_AXIS_Y,    IDC_AXIS_Z,
                                     IDC_CONSTANT_UPDATE, IDC_IGNORE_SO, IDC_ALIGN_CENTER_VERTS};
const int kAlwaysUsable[] = {IDC_OP_MIRROR, IDC_OP_FLIP, IDC_OP_RESET, IDC_CONSTANT_UPDATE, IDC_IGNORE_SO,
                             IDC_ALIGN_CENTER_VERTS};
const int kOffsetLabel[] = {IDC_AXIS_OFFSET_LABEL};
const int kDirections[] = {IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE};
const int kAxesAndCentre[] = {IDC_AXIS_X, IDC_AXIS_Y, IDC_AXIS_Z, IDC_ALIGN_CENTER_VERTS};
const int kMirrorControls[] = {IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE, IDC_AXIS_X, IDC_AXIS_Y, IDC_AXIS_Z,
                               IDC_ALIGN_CENTER_VERTS};

template <int N>
void enable(HWND rollout, const int (&ids)[N], BOOL on) {
  for (int k = 0; k < N; ++k) EnableWindow(GetDlgItem(rollout, ids[k]), on);
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
    enable(hwndRollout, kAllOperationControls, FALSE);
    enableSpinner(hwndRollout, IDC_AXIS_OFFSET_SPIN, FALSE);
    enable(hwndRollout, kOffsetLabel, FALSE);
    return;
  }

  enable(hwndRollout, kAlwaysUsable, TRUE);
  enableSpinner(hwndRollout, IDC_AXIS_OFFSET_SPIN, TRUE);
  enable(hwndRollout, kOffsetLabel, TRUE);
  SetWindowTextW(GetDlgItem(hwndRollout, IDC_TARGET_PICK), target->GetName());

  switch (op) {
    case kOperationMirror:
      enable(hwndRollout, kMirrorControls, TRUE);
      break;
    case kOperationFlip:
      enable(hwndRollout, kDirections, FALSE);
      enable(hwndRollout, kAxesAndCentre, TRUE);
      break;
    case kOperationReset:
      enable(hwndRollout, kMirrorControls, FALSE);
      break;
    default:
      // Any other value leaves these controls as they are.
      break;
  }
}
