// Class descriptors: how a plug-in library describes each class it implements to the host, and the
// signatures of the library's exported functions.
#pragma once

#include <vector>

#include "animatable.h"

class FPInterface;

class ClassDesc {
 public:
  virtual ~ClassDesc() = default;
  virtual int IsPublic() = 0;
  virtual void* Create(BOOL loading = FALSE) = 0;
  virtual const MCHAR* ClassName() = 0;
  virtual SClass_ID SuperClassID() = 0;
  virtual Class_ID ClassID() = 0;
  virtual const MCHAR* Category() = 0;
  virtual const MCHAR* InternalName() { return nullptr; }
  virtual HINSTANCE HInstance() { return nullptr; }

  // Function-publishing interfaces attached to the class. The host keeps every registration it is
  // given, duplicates included, in order.
  virtual void AddInterface(FPInterface* fpi) { interfaces_.push_back(fpi); }
  virtual int NumInterfaces() { return int(interfaces_.size()); }
  virtual FPInterface* GetInterfaceAt(int i) {
    return (i >= 0 && i < int(interfaces_.size())) ? interfaces_[size_t(i)] : nullptr;
  }
  // The first registered interface with this id, or null.
  virtual FPInterface* GetInterface(Interface_ID id);

 private:
  std::vector<FPInterface*> interfaces_;
};

// The library's exported functions.
typedef const MCHAR* (*LibDescriptionFunction)();
typedef int (*LibNumberClassesFunction)();
typedef ClassDesc* (*LibClassDescFunction)(int i);
typedef ULONG (*LibVersionFunction)();
typedef int (*CanAutoDeferFunction)();
