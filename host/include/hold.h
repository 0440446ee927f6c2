// Undo: theHold gathers the restore records of one user action between Begin and Accept into one
// undo step with a label; Undo and Redo replay steps. Parameter changes made through
// IParamBlock2::SetValue while a hold is open record themselves. Records are owned by theHold.
#pragma once

#include <memory>
#include <vector>

#include "strclass.h"

class RestoreObj {
 public:
  virtual ~RestoreObj() = default;
  // Puts back the state from before the change (isUndo is FALSE when a hold is cancelled).
  virtual void Restore(int isUndo) = 0;
  // Puts back the state from after the change.
  virtual void Redo() = 0;
  virtual MSTR Description() { return MSTR(L"---"); }
  // Whether the record refers to `object`; records of an object that goes away are discarded.
  virtual bool RefersTo(const void* object) const { return false; }
};

class Hold {
 public:
  // Opens a hold; holds nest, and only the outermost Accept or Cancel ends the step.
  void Begin();
  // Takes `record` over while a hold is open; without one the record is deleted at once.
  void Put(RestoreObj* record);
  // Ends the hold, keeping its records as one undo step labelled `name` (null: no label); the
  // steps that could be redone are dropped. A hold without records makes no step.
  void Accept(const MCHAR* name);
  // Ends the hold, restoring and dropping its records.
  void Cancel();
  // TRUE while a hold is open.
  int Holding() const { return depth_ > 0 ? TRUE : FALSE; }
  // TRUE while an undo or redo is replaying records (changes made then are not recorded).
  int Restoring() const { return restoring_ ? TRUE : FALSE; }

  // The edit menu: undo or redo one step; false when there is none.
  bool Undo();
  bool Redo();
  int UndoCount() const { return int(undo_.size()); }
  int RedoCount() const { return int(redo_.size()); }
  // The label of the step Undo would undo (empty when none).
  MSTR UndoLabel() const;
  // Drops every record that refers to `object`; steps left empty go too.
  void Discard(const void* object);
  // Drops every step and any open hold.
  void Flush();

 private:
  struct Step {
    MSTR label;
    std::vector<std::unique_ptr<RestoreObj>> records;
  };
  int depth_ = 0;
  bool restoring_ = false;
  std::vector<std::unique_ptr<RestoreObj>> open_;
  std::vector<Step> undo_;
  std::vector<Step> redo_;
};

// The host's one hold; lives as long as the process.
extern Hold& theHold;
