// The mirror-plane gizmo: a square of side displaySize in the mirror plane and an arrow of half
// that length standing on its centre, pointing to the side `direction` names. It is drawn in the
// node's object space, moved along the mirror axis by axisOffset (world units along the axis, so
// the offset ignores the node's scale while the square follows it). The world box reports the
// same lines, so zoom-extents frames the gizmo and a redraw of the box's region repaints it whole;
// nothing else is asked of the host after drawing.
#include <array>

#include "gfx.h"
#include "maxapi.h"
#include "modifier/ambiflex.h"
#include "params/param_ids.h"
#include "symmetry/engine/degenerate_geometry.h"

namespace {

struct GizmoSettings {
  GizmoSettings() : visible(0), axis(0), direction(kDirectionNegative), offset(0.0f), size(50.0f) {}

  int visible;
  int axis;
  int direction;
  float offset;
  float size;
};

GizmoSettings readSettings(IParamBlock2* pb, TimeValue t) {
  GizmoSettings s;
  Interval valid = FOREVER;
  pb->GetValue(displayAxis, t, s.visible, valid);
  valid = FOREVER;
  pb->GetValue(mirrorAxis, t, s.axis, valid);
  valid = FOREVER;
  pb->GetValue(direction, t, s.direction, valid);
  valid = FOREVER;
  pb->GetValue(axisOffset, t, s.offset, valid);
  valid = FOREVER;
  pb->GetValue(displaySize, t, s.size, valid);
  return s;
}

// The twelve box edges (corner pairs differing in one bit: X edges, then Y, then Z), the shaft and
// the four head lines.
const int kGizmoLines = 17;
typedef std::array<Point3, 2> GizmoLine;
typedef std::array<GizmoLine, kGizmoLines> GizmoLines;

GizmoLine lineBetween(const Point3& from, const Point3& to) {
  GizmoLine line;
  line[0] = from;
  line[1] = to;
  return line;
}

// The lines in the gizmo's own space: the plane through the origin normal to the axis.
GizmoLines gizmoLines(const GizmoSettings& s) {
  const int a = s.axis;
  const int u = a == 0 ? 1 : 0;
  const int v = a == 2 ? 1 : 2;
  Box3 square;
  square.MakeCube(Point3(0.0f, 0.0f, 0.0f), s.size);
  square.pmin[a] = 0.0f;
  square.pmax[a] = 0.0f;

  GizmoLines lines;
  int n = 0;
  for (int bit = 1; bit <= 4; bit *= 2) {
    for (int corner = 0; corner < 8; ++corner) {
      if (corner & bit) continue;
      lines[size_t(n++)] = lineBetween(square[corner], square[corner | bit]);
    }
  }
  const Point3 centre = square.Center();
  Point3 tip = centre;
  tip[a] += (s.direction == kDirectionNegative ? -1.0f : 1.0f) * (s.size * 0.5f);
  lines[size_t(n++)] = lineBetween(centre, tip);
  const float h = s.size * 0.125f;
  const float signs[4][2] = {{1.0f, 1.0f}, {-1.0f, -1.0f}, {-1.0f, 1.0f}, {1.0f, -1.0f}};
  for (int k = 0; k < 4; ++k) {
    Point3 base = centre;
    base[u] += signs[k][0] * h;
    base[v] += signs[k][1] * h;
    lines[size_t(n++)] = lineBetween(base, tip);
  }
  return lines;
}

// The node's object transform with its origin moved by the offset along the (unit) mirror axis.
Matrix3 gizmoTransform(Matrix3 tm, const GizmoSettings& s) {
  Point3 normal = UnitOrZero(tm.GetRow(s.axis));
  tm.SetRow(3, tm.GetRow(3) + s.offset * normal);
  return tm;
}

// Unlit red lines in the gizmo's space; the window's render limits are given back as they were.
void drawGizmo(GraphicsWindow* gw, const GizmoSettings& s, const Matrix3& objectTM) {
  if (!s.visible) return;
  const DWORD saved = gw->getRndLimits();
  gw->setRndLimits(saved & ~DWORD(GW_ILLUM));
  gw->setTransform(gizmoTransform(objectTM, s));
  gw->setColor(LINE_COLOR, 1.0f, 0.0f, 0.0f);
  gw->startSegments();
  const GizmoLines lines = gizmoLines(s);
  for (int k = 0; k < kGizmoLines; ++k) {
    // The window's clipper takes the point after the last as scratch.
    Point3 points[3] = {lines[size_t(k)][0], lines[size_t(k)][1], lines[size_t(k)][1]};
    gw->polyline(2, points, nullptr, FALSE, nullptr);
  }
  gw->endSegments();
  gw->setRndLimits(saved);
}

}  // namespace

int ambiflex::Display(TimeValue t, INode* inode, ViewExp* vpt, int flags, ModContext* mc) {
  drawGizmo(vpt->getGW(), readSettings(pblock, t), inode->GetObjectTM(t));
  return 0;
}

void ambiflex::GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box, ModContext* mc) {
  box.Init();
  GizmoSettings s = readSettings(pblock, t);
  if (!s.visible) return;
  Matrix3 tm = gizmoTransform(inode->GetObjectTM(t), s);
  const GizmoLines lines = gizmoLines(s);
  for (int k = 0; k < kGizmoLines; ++k) {
    box += lines[size_t(k)][0] * tm;
    box += lines[size_t(k)][1] * tm;
  }
}
