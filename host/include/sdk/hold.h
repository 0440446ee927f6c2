// Undo: theHold gathers the restore records of one user action between Begin and Accept into one
// undo step with a label; Undo and Redo replay steps. Parameter changes made through
// IParamBlock2::SetValue while a hold is open record themselves. Records are owned by theHold and
// may outlive the objects they were made for: a record must not keep a plain pointer to an object
// that can be deleted (Animatable::GetAnimByHandle finds one that is still there).
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
  // Approximate bytes the record holds.
  virtual int Size() { return 1; }
  // The hold that took the record ended.
  virtual void EndHold() {}
  virtual MSTR Description() { return MSTR(L"---"); }
  // A generic request by command id; -1 for a command the record does not know.
  virtual INT_PTR Execute(int cmd, ULONG_PTR arg1 = 0, ULONG_PTR arg2 = 0, ULONG_PTR arg3 = 0) { return -1; }
};

class Hold {
 public:
  // Opens a hold; holds nest, and only the outermost Accept or Cancel ends the step.
  void Begin();
  // Takes `record` over while a hold is open; without one the record is deleted at once.
  void Put(RestoreObj* record);
  // Ends the hold, keeping its records as one undo step labelled `name` (null: no label); the
  // steps that could be redone are dropped. A hold without records makes no step. As in the real
  // SDK the label is a non-const text, or an id of the host's own string table (this host has
  // none: the step is unlabelled).
  void Accept(MCHAR* name);
  void Accept(int nameID);
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
  // Host side: drops every record of the host's own (undo_records.h) that refers to `object`;
  // steps left empty go too.
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
