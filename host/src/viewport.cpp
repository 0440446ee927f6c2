// Viewports: the hit log, and drawing and measuring a node's modifier gizmos.
#include "modifier_display.h"

#include <functional>

#include "inode.h"
#include "modstack.h"

ViewExp::ViewExp() : gw_(std::make_unique<GraphicsWindow>()) {}

ViewExp::~ViewExp() = default;

void ViewExp::LogHit(INode* node) {
  if (node != nullptr) hits_.push_back(node);
}

namespace {

// Every enabled modifier of `node`'s stacks with its context, top of the outermost stack first.
void forEachModifier(INode* node, const std::function<void(Modifier*, ModContext*)>& visit) {
  if (node == nullptr) return;
  Object* obj = node->GetObjectRef();
  while (obj != nullptr && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID) {
    auto* stack = static_cast<IDerivedObject*>(obj);
    for (int i = 0; i < stack->NumModifiers(); ++i) {
      Modifier* mod = stack->GetModifier(i);
      if (mod != nullptr && mod->IsEnabled()) visit(mod, stack->GetModContext(i));
    }
    obj = stack->GetObjRef();
  }
}

}  // namespace

void DisplayModifiers(INode* node, ViewExp* vpt, TimeValue t) {
  forEachModifier(node, [&](Modifier* mod, ModContext* mc) { mod->Display(t, node, vpt, 0, mc); });
}

Box3 ModifiersWorldBoundBox(INode* node, ViewExp* vpt, TimeValue t) {
  Box3 all;
  forEachModifier(node, [&](Modifier* mod, ModContext* mc) {
    Box3 box;
    mod->GetWorldBoundBox(t, node, vpt, box, mc);
    if (!box.IsEmpty()) all += box;
  });
  return all;
}

