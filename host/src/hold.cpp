// theHold: open records, undo and redo stacks.
#include "hold.h"

#include <algorithm>

// Never destroyed: records may be discarded by objects that go away while the process exits.
Hold& theHold = *new Hold;

namespace {

struct Replaying {
  bool& flag;
  explicit Replaying(bool& f) : flag(f) { flag = true; }
  ~Replaying() { flag = false; }
};

void discardFrom(std::vector<std::unique_ptr<RestoreObj>>& records, const void* object) {
  records.erase(std::remove_if(records.begin(), records.end(),
                               [&](const std::unique_ptr<RestoreObj>& r) { return r->RefersTo(object); }),
                records.end());
}

}  // namespace

void Hold::Begin() { ++depth_; }

void Hold::Put(RestoreObj* record) {
  std::unique_ptr<RestoreObj> owned(record);
  if (depth_ > 0 && owned) open_.push_back(std::move(owned));
}

void Hold::Accept(const MCHAR* name) {
  if (depth_ == 0) return;
  if (--depth_ > 0) return;
  // An action that changed nothing leaves no step to undo.
  if (open_.empty()) return;
  Step step;
  step.label = name;
  step.records = std::move(open_);
  open_.clear();
  undo_.push_back(std::move(step));
  redo_.clear();
}

void Hold::Cancel() {
  if (depth_ == 0) return;
  if (--depth_ > 0) return;
  Replaying replaying(restoring_);
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) (*it)->Restore(FALSE);
  open_.clear();
}

bool Hold::Undo() {
  if (undo_.empty() || depth_ > 0) return false;
  Step step = std::move(undo_.back());
  undo_.pop_back();
  {
    Replaying replaying(restoring_);
    for (auto it = step.records.rbegin(); it != step.records.rend(); ++it) (*it)->Restore(TRUE);
  }
  redo_.push_back(std::move(step));
  return true;
}

bool Hold::Redo() {
  if (redo_.empty() || depth_ > 0) return false;
  Step step = std::move(redo_.back());
  redo_.pop_back();
  {
    Replaying replaying(restoring_);
    for (auto& record : step.records) record->Redo();
  }
  undo_.push_back(std::move(step));
  return true;
}

MSTR Hold::UndoLabel() const { return undo_.empty() ? MSTR() : undo_.back().label; }

void Hold::Discard(const void* object) {
  discardFrom(open_, object);
  for (auto* steps : {&undo_, &redo_}) {
    for (Step& step : *steps) discardFrom(step.records, object);
    steps->erase(std::remove_if(steps->begin(), steps->end(), [](const Step& s) { return s.records.empty(); }),
                 steps->end());
  }
}

void Hold::Flush() {
  depth_ = 0;
  open_.clear();
  undo_.clear();
  redo_.clear();
}
