// Two further object classes of the host, both deformable but neither a mesh the symmetry
// modifier reads: the bypassed class it lets through by name, and a plain point set.
#pragma once

#include <vector>

#include "object.h"

class BypassObject : public GeomObject {
 public:
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  std::vector<Point3> points;
  Class_ID ClassID() override { return bypassObjectClassID; }
  Object* MakeShallowCopy(ChannelMask channels) override;
};

class PointCloudObject : public GeomObject {
 public:
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  std::vector<Point3> points;
  Class_ID ClassID() override { return pointCloudObjectClassID; }
  Object* MakeShallowCopy(ChannelMask channels) override;
  // Host bookkeeping: how often a pipeline stage asked whether it converts to another type.
  int conversionQueries = 0;
  int CanConvertToType(Class_ID obtype) override;
};
