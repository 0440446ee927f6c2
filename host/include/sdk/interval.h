// Interval: a closed range of times over which a value holds. FOREVER covers all time; NEVER is the
// empty interval at negative infinity.
#pragma once

#include "max_types.h"

class Interval {
 public:
  Interval() : start(TIME_NegInfinity), finish(TIME_NegInfinity) {}
  Interval(TimeValue s, TimeValue e) : start(s), finish(e) {}

  TimeValue Start() const { return start; }
  TimeValue End() const { return finish; }
  void Set(TimeValue s, TimeValue e) { start = s; finish = e; }
  void SetEmpty() { start = finish = TIME_NegInfinity; }
  void SetInfinite() { start = TIME_NegInfinity; finish = TIME_PosInfinity; }
  bool Empty() const { return start == TIME_NegInfinity && finish == TIME_NegInfinity; }
  bool InInterval(TimeValue t) const { return !Empty() && start <= t && t <= finish; }
  // Intersection; disjoint intervals give NEVER.
  Interval& operator&=(const Interval& o);
  bool operator==(const Interval& o) const { return start == o.start && finish == o.finish; }
  bool operator!=(const Interval& o) const { return !(*this == o); }

 private:
  TimeValue start, finish;
};

extern const Interval FOREVER;
extern const Interval NEVER;
