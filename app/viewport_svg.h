// What a viewport was asked to draw, as SVG: the recorded lines of a graphics window projected
// onto one view, with the world axes at the origin and, dashed, a world box (the one zoom-extents
// frames). The picture is fitted to the canvas.
#pragma once

#include <string>
#include <vector>

#include "box3.h"
#include "gfx.h"

enum class ViewDirection {
  Front,  // X to the right, Z up
  Top,    // X to the right, Y up
  Side,   // Y to the right, Z up
  Iso,    // X and Y receding at 30 degrees, Z up
  // Seen from the front right and above (30 degrees round from -Y, 25 up), Z up. Unlike Iso, no
  // two of the axes make equal angles with the view, so a point on one axis never lands on the
  // corner of a square around another: the gizmo's arrow and its plane read apart.
  Angled,
};

// Parses "front", "top", "side", "iso" or "angled".
bool ParseViewDirection(const std::string& text, ViewDirection& r_view);

// The SVG document; `caption` is written in the top-left corner. An empty `box` draws no box.
std::string DrawViewportSvg(const std::vector<GraphicsWindow::Line>& lines, const Box3& box, ViewDirection view,
                            const std::string& caption);
