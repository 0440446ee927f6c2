// Node picking for the rollout's two pick buttons.
#include "params/node_picking.h"

#include "custcont.h"
#include "hold.h"
#include "modifier/ambiflex.h"
#include "params/param_ids.h"
#include "plugin/library_statics.h"
#include "plugin/resource.h"
#include "plugin/resource_string.h"
#include "maxapi.h"

namespace {

// Undoing or redoing a target pick changes the node the caches captured their target from: both
// make every cache recapture, as the pick itself did, so that the mesh is never mirrored against
// the undone target's capture while "Cache Target" is on. The record may outlive the modifier, so
// it holds the modifier's handle and does nothing once the modifier is gone.
class TargetPickRestore : public RestoreObj {
 public:
  explicit TargetPickRestore(ambiflex* modifier) : modifier_(Animatable::GetHandleByAnim(modifier)) {}
  void Restore(int isUndo) override { recapture(); }
  void Redo() override { recapture(); }

 private:
  void recapture() const {
    if (Animatable* modifier = Animatable::GetAnimByHandle(modifier_)) static_cast<ambiflex*>(modifier)->resetTarget();
  }
  AnimHandle modifier_;
};

// Ends the open hold as one undo step labelled with string-table text `labelId`. The only place the
// plug-in names Hold::Accept, whose label type differs between SDK releases.
void acceptUndoStep(int labelId) { theHold.Accept(const_cast<MCHAR*>(GetResourceString(labelId))); }

}  // namespace

BOOL PickControlNode::HitTest(IObjParam* ip, HWND hWnd, ViewExp* vpt, IPoint2 m, int flags) {
  return ip->PickNode(hWnd, m, this) != nullptr ? TRUE : FALSE;
}

BOOL PickControlNode::Pick(IObjParam* ip, ViewExp* vpt) {
  INode* node = vpt->GetClosestHit();
  if (node == nullptr) return FALSE;
  theHold.Begin();
  if (pickAsymmetry == 0) {
    modifier->pblock->SetValue(UndefObject, 0, node);
    theHold.Put(new TargetPickRestore(modifier));
    acceptUndoStep(IDS_DEFORMED_TARGET);
    SetWindowTextW(GetDlgItem(modifier->hwndRollout, IDC_TARGET_PICK), node->GetName());
    modifier->resetTarget();
  } else {
    modifier->pblock->SetValue(asymNode, 0, node);
    acceptUndoStep(IDS_ASYMMETRY_NODE);
    SetWindowTextW(GetDlgItem(modifier->hwndRollout, IDC_ASYM_PICK), node->GetName());
  }
  modifier->UpdateRolloutState();
  return TRUE;
}

void PickControlNode::EnterMode(IObjParam* ip) {
  ICustButton* button = pickAsymmetry == 0 ? targetPickButton : asymmetryPickButton;
  if (button != nullptr) button->SetCheck(TRUE);
}

void PickControlNode::ExitMode(IObjParam* ip) {
  // Both buttons: the dialog procedure changes pickAsymmetry before it restarts the mode, so the
  // mode that ends may have been started from the other button.
  ICustButton* const buttons[] = {targetPickButton, asymmetryPickButton};
  for (int b = 0; b < 2; ++b) {
    if (buttons[b] != nullptr) buttons[b]->SetCheck(FALSE);
  }
}

BOOL PickControlNode::Filter(INode* node) {
  if (node == nullptr || modifier == nullptr) return FALSE;
  node->BeginDependencyTest();
  modifier->NotifyDependents(FOREVER, 0, REFMSG_TEST_DEPENDENCY);
  return node->EndDependencyTest() ? FALSE : TRUE;
}
