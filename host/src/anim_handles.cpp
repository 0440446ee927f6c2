// Animatable handles: given on first request, dropped when the animatable is destroyed.
#include <unordered_map>

#include "animatable.h"

namespace {

struct HandleTable {
  AnimHandle next = 1;
  std::unordered_map<AnimHandle, Animatable*> live;
};

// Never destroyed: animatables may outlive static destruction order.
HandleTable& handles() {
  static HandleTable& table = *new HandleTable;
  return table;
}

}  // namespace

Animatable::~Animatable() {
  if (handle_ != 0) handles().live.erase(handle_);
}

AnimHandle Animatable::GetHandleByAnim(Animatable* anim) {
  if (anim == nullptr) return 0;
  if (anim->handle_ == 0) {
    HandleTable& table = handles();
    anim->handle_ = table.next++;
    table.live[anim->handle_] = anim;
  }
  return anim->handle_;
}

Animatable* Animatable::GetAnimByHandle(AnimHandle handle) {
  const HandleTable& table = handles();
  auto it = table.live.find(handle);
  return it == table.live.end() ? nullptr : it->second;
}
