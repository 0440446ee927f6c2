// Class and interface identities: a class is named by its super class id and a 64-bit Class_ID,
// an interface by a 64-bit Interface_ID.
#pragma once

#include "max_types.h"

class Class_ID {
 public:
  constexpr Class_ID() : a(0xffffffffUL), b(0xffffffffUL) {}
  constexpr Class_ID(unsigned long aa, unsigned long bb) : a(aa), b(bb) {}
  unsigned long PartA() const { return a; }
  unsigned long PartB() const { return b; }
  bool operator==(const Class_ID& o) const { return a == o.a && b == o.b; }
  bool operator!=(const Class_ID& o) const { return !(*this == o); }
  bool operator<(const Class_ID& o) const { return a < o.a || (a == o.a && b < o.b); }

 private:
  unsigned long a, b;
};

class Interface_ID {
 public:
  constexpr Interface_ID() : a(0xffffffffUL), b(0xffffffffUL) {}
  constexpr Interface_ID(unsigned long aa, unsigned long bb) : a(aa), b(bb) {}
  unsigned long PartA() const { return a; }
  unsigned long PartB() const { return b; }
  bool operator==(const Interface_ID& o) const { return a == o.a && b == o.b; }
  bool operator!=(const Interface_ID& o) const { return !(*this == o); }

 private:
  unsigned long a, b;
};

// Object classes the host itself implements.
#define TRIOBJ_CLASS_ID 0x0009
#define EPOLYOBJ_CLASS_ID 0x1bf8338d
#define PATCHOBJ_CLASS_ID 0x1030

extern const Class_ID triObjectClassID;
extern const Class_ID polyObjectClassID;
extern const Class_ID patchObjectClassID;
extern const Class_ID defObjectClassID;
extern const Class_ID mapObjectClassID;
// An object class the symmetry modifier deliberately leaves alone.
extern const Class_ID bypassObjectClassID;
// A deformable point set convertible to nothing the modifier reads; used for pass-through.
extern const Class_ID pointCloudObjectClassID;
