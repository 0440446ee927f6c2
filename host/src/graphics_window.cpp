// The recording graphics window.
#include "gfx.h"

void GraphicsWindow::setColor(ColorType t, float r, float g, float b) {
  if (t == LINE_COLOR) lineColor_ = Point3(r, g, b);
}

void GraphicsWindow::startSegments() { ++openSegments_; }

void GraphicsWindow::endSegments() {
  if (openSegments_ > 0) --openSegments_;
}

void GraphicsWindow::polyline(int ct, Point3* xyz, Point3* rgb, int closed, int* es) {
  if (ct <= 0 || xyz == nullptr) return;
  clipScratch_ = xyz[ct];
  Line line;
  line.points.assign(xyz, xyz + ct);
  for (const Point3& p : line.points) line.world.push_back(p * transform_);
  line.color = lineColor_;
  line.rndLimits = rndLimits_;
  line.closed = closed != 0;
  line.perVertexColor = rgb != nullptr;
  line.inSegments = openSegments_ > 0;
  lines_.push_back(std::move(line));
}
