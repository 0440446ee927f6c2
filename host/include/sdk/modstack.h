// IDerivedObject: the modifier stack of a node. It refers to its modifiers and to the object they
// modify; modifier 0 is the top of the stack, evaluation runs from the bottom (the last index) up.
#pragma once

#include <vector>

#include "object.h"

class IDerivedObject : public Object {
 public:
  SClass_ID SuperClassID() override { return GEN_DERIVOB_CLASS_ID; }
  virtual int NumModifiers() = 0;
  virtual Modifier* GetModifier(int index) = 0;
  virtual ModContext* GetModContext(int index) = 0;
  // The object the stack modifies (a base object, or another derived object).
  virtual Object* GetObjRef() = 0;
  // Puts `mod` into the stack above position `before` (0: on top), with a new context unless one
  // is given; the stack owns the context.
  virtual void AddModifier(Modifier* mod, ModContext* mc = nullptr, int before = 0) = 0;
  virtual void DeleteModifier(int index = 0) = 0;
  virtual void ReferenceObject(Object* obj) = 0;
};

// A new, empty stack on `obj`.
IDerivedObject* CreateDerivedObject(Object* obj = nullptr);
