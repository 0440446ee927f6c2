// theHold: open records, undo and redo stacks.
#include "hold.h"

#include "undo_records.h"

#include <algorithm>
#include <iterator>

// Never destroyed: records may be discarded by objects that go away while the process exits.
Hold& theHold = *new Hold;

namespace {

struct Replaying {
  bool& flag;
  explicit Replaying(bool& f) : flag(f) { flag = true; }
  ~Replaying() { flag = false; }
};

using Records = std::vector<std::unique_ptr<RestoreObj>>;

// Whether `record` is one of the host's own that refers to `object`.
bool refersTo(const RestoreObj& record, const void* object) {
  const auto* own = dynamic_cast<const HostRestoreObj*>(&record);
  return own != nullptr && own->RefersTo(object);
}

// Moves the records that refer to `object` into `dropped`. Records are destroyed only once the
// hold's own containers are consistent again: a record may hold references, and its destructor
// comes back into Discard.
void discardFrom(Records& records, const void* object, Records& dropped) {
  auto kept = std::stable_partition(records.begin(), records.end(),
                                    [&](const std::unique_ptr<RestoreObj>& r) { return !refersTo(*r, object); });
  std::move(kept, records.end(), std::back_inserter(dropped));
  records.erase(kept, records.end());
}

}  // namespace

void Hold::Begin() { ++depth_; }

void Hold::Put(RestoreObj* record) {
  std::unique_ptr<RestoreObj> owned(record);
  if (depth_ > 0 && owned) open_.push_back(std::move(owned));
}

void Hold::Accept(int nameID) { Accept(static_cast<MCHAR*>(nullptr)); }

void Hold::Accept(MCHAR* name) {
  if (depth_ == 0) return;
  if (--depth_ > 0) return;
  // An action that changed nothing leaves no step to undo.
  if (open_.empty()) return;
  for (auto& record : open_) record->EndHold();
  Step step;
  step.label = name;
  step.records = std::move(open_);
  open_.clear();
  undo_.push_back(std::move(step));
  // Destroyed on return, once redo_ is empty (see discardFrom).
  std::vector<Step> dropped = std::move(redo_);
  redo_.clear();
}

void Hold::Cancel() {
  if (depth_ == 0) return;
  if (--depth_ > 0) return;
  Replaying replaying(restoring_);
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) (*it)->Restore(FALSE);
  Records dropped = std::move(open_);
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
  Records dropped;
  discardFrom(open_, object, dropped);
  for (auto* steps : {&undo_, &redo_}) {
    for (Step& step : *steps) discardFrom(step.records, object, dropped);
    steps->erase(std::remove_if(steps->begin(), steps->end(), [](const Step& s) { return s.records.empty(); }),
                 steps->end());
  }
}

void Hold::Flush() {
  depth_ = 0;
  Records open = std::move(open_);
  std::vector<Step> undo = std::move(undo_);
  std::vector<Step> redo = std::move(redo_);
  open_.clear();
  undo_.clear();
  redo_.clear();
}
