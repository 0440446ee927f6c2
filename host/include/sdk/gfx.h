// GraphicsWindow: what a viewport draws with. This host draws nothing on screen; its window records
// what it is asked to draw (render limits, transform, colours and lines) so host programs can show
// and check it.
#pragma once

#include <vector>

#include "matrix3.h"

// Render limits (bits of getRndLimits / setRndLimits).
#define GW_WIREFRAME 0x0000001
#define GW_ILLUM 0x0000002
#define GW_FLAT 0x0000004
#define GW_Z_BUFFER 0x0000020

enum ColorType { LINE_COLOR = 0, FILL_COLOR, TEXT_COLOR, CLEAR_COLOR };

class GraphicsWindow {
 public:
  // One polyline as it was drawn: its points as given, the same points through the transform in
  // force (world space), and the state it was drawn with.
  struct Line {
    std::vector<Point3> points;
    std::vector<Point3> world;
    Point3 color;        // the line colour in force (r, g, b in 0..1)
    DWORD rndLimits = 0;  // the render limits in force
    bool closed = false;
    bool perVertexColor = false;
    bool inSegments = false;  // drawn between startSegments and endSegments
  };

  virtual ~GraphicsWindow() = default;

  virtual DWORD getRndLimits() { return rndLimits_; }
  virtual void setRndLimits(DWORD limits) { rndLimits_ = limits; }
  virtual void setTransform(const Matrix3& m) { transform_ = m; }
  virtual Matrix3 getTransform() { return transform_; }
  virtual void setColor(ColorType t, float r, float g, float b);
  virtual void startSegments();
  virtual void endSegments();
  // Draws `ct` points as an open (or closed) polyline; `rgb` may give per-point colours, `es` edge
  // visibility (not recorded). `xyz` must hold ct + 1 points: as in the real host, the clipper takes
  // the one after the last as scratch.
  virtual void polyline(int ct, Point3* xyz, Point3* rgb, int closed, int* es);

  // Host bookkeeping.
  const std::vector<Line>& Lines() const { return lines_; }
  // startSegments calls not yet matched by endSegments.
  int OpenSegments() const { return openSegments_; }
  // Forgets the recorded lines (a new frame); the state stays.
  void ClearLines() { lines_.clear(); }

 private:
  DWORD rndLimits_ = GW_ILLUM | GW_Z_BUFFER;
  Matrix3 transform_;
  Point3 lineColor_;
  Point3 clipScratch_;
  int openSegments_ = 0;
  std::vector<Line> lines_;
};
