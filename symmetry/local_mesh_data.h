// vLocalMeshData: the per-node symmetry cache hung on each ModContext's localData. It holds the last
// result (replayed while constant update is off), the captured undeformed target, the partner table,
// the patch-only counterparts of the three, and the flags that tell the next evaluation what it must
// rebuild. Positions are object-space 32-bit floats of the mesh the modifier receives.
//
// An empty result, target or partner table forces its rebuild whatever the flags say. The host
// owns a cache once it is stored in a context.
#pragma once

#include <cstring>

#include "object.h"
#include "symmetry/table_data.h"
#include "tab.h"

class vLocalMeshData : public LocalModData {
 public:
  vLocalMeshData() : resultValid(0), needsUpdate(0), targetDirty(0), matchDirty(0), lastAxis(0) {}
  ~vLocalMeshData() override;
  // A deep copy with the same result, target and partners; its needsUpdate, targetDirty,
  // matchDirty and lastAxis start at 0.
  LocalModData* Clone() override;

  // The context's cache, created empty when the context has none yet.
  static vLocalMeshData* FetchOrCreate(ModContext& mc);

  // Setters: replace the table with a copy of `t`, whose storage its destructor frees.
  void setResultVerts(Tab<Point3> t) { assign(resultVerts, t); }
  void setResultVecs(Tab<Point3> t) { assign(resultVecs, t); }
  void setResultVertFlags(Tab<int> t) { assign(resultVertFlags, t); }
  void setTargetVerts(Tab<Point3> t) { assign(targetVerts, t); }
  void setTargetVecs(Tab<Point3> t) { assign(targetVecs, t); }
  void setTargetVertFlags(Tab<int> t) { assign(targetVertFlags, t); }
  void setVertMatch(Tab<int> t) { assign(vertMatch, t); }
  void setVecMatch(Tab<int> t) { assign(vecMatch, t); }
  void setVecOwner(Tab<int> t) { assign(vecOwner, t); }

  // What a setter does, in place: `table` (one of this cache's) resized to `count` entries for the
  // caller to fill. A dense mesh's result is then stored without the two copies a setter makes
  // (tables cannot be moved).
  template <class T>
  static T* Refill(Tab<T>& table, int count) {
    if (table.Count() != count) {
      table.ZeroCount();
      table.SetCount(count);
    }
    return TableData(table);
  }

  // Clears: count 0, storage kept.
  void clearResultVerts() { resultVerts.ZeroCount(); }
  void clearResultVecs() { resultVecs.ZeroCount(); }
  void clearResultVertFlags() { resultVertFlags.ZeroCount(); }
  void clearTargetVerts() { targetVerts.ZeroCount(); }
  void clearTargetVecs() { targetVecs.ZeroCount(); }
  void clearTargetVertFlags() { targetVertFlags.ZeroCount(); }
  void clearVertMatch() { vertMatch.ZeroCount(); }
  void clearVecMatch() { vecMatch.ZeroCount(); }
  void clearVecOwner() { vecOwner.ZeroCount(); }

  // The three reset modes of the scripting interface.
  void reset();        // forget the result; the next evaluation runs the operation
  void resetTarget();  // forget target and partners; the next evaluation captures again
  void resetMatch();   // forget the partners; the next evaluation pairs again

  // The evaluation's mirrorAxis: another axis than the last evaluation's makes the partners stale.
  void noteAxis(int axis) {
    if (axis == lastAxis) return;
    lastAxis = axis;
    matchDirty = 1;
  }

  int resultValid;
  int needsUpdate;
  int targetDirty;
  int matchDirty;
  int lastAxis;
  Tab<Point3> resultVerts;
  Tab<Point3> resultVecs;
  Tab<int> resultVertFlags;
  Tab<Point3> targetVerts;
  Tab<Point3> targetVecs;
  Tab<int> targetVertFlags;
  Tab<int> vertMatch;
  Tab<int> vecMatch;
  Tab<int> vecOwner;

 private:
  template <class T>
  static void assign(Tab<T>& field, const Tab<T>& from) {
    T* to = Refill(field, from.Count());
    if (from.Count() > 0) std::memcpy(to, TableData(from), sizeof(T) * size_t(from.Count()));
  }
};

// Whether `table` has `count` entries, each in [lowest, limit): how a partner or owner table is
// checked against the target it must index before anything trusts it.
inline bool IndicesWithin(const Tab<int>& table, int count, int lowest, int limit) {
  if (table.Count() != count) return false;
  const int* entries = TableData(table);
  for (int k = 0; k < count; ++k) {
    if (entries[k] < lowest || entries[k] >= limit) return false;
  }
  return true;
}
