// Projecting recorded viewport lines to SVG.
#include "viewport_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "printable_text.h"

namespace {

constexpr double kCanvas = 480.0;
constexpr double kMargin = 36.0;
// M_PI is not standard C++ and not every C library declares it.
constexpr double kPi = 3.14159265358979323846;

struct Flat {
  double x, y;  // y up
};

Flat project(const Point3& p, ViewDirection view) {
  switch (view) {
    case ViewDirection::Front:
      return {p.x, p.z};
    case ViewDirection::Top:
      return {p.x, p.y};
    case ViewDirection::Side:
      return {p.y, p.z};
    case ViewDirection::Angled: {
      const double azimuth = -kPi / 3.0, elevation = 25.0 * kPi / 180.0;
      const double right[3] = {-std::sin(azimuth), std::cos(azimuth), 0.0};
      const double up[3] = {-std::sin(elevation) * std::cos(azimuth), -std::sin(elevation) * std::sin(azimuth),
                            std::cos(elevation)};
      return {right[0] * p.x + right[1] * p.y, up[0] * p.x + up[1] * p.y + up[2] * p.z};
    }
    case ViewDirection::Iso:
      break;
  }
  const double c = std::cos(kPi / 6.0), s = std::sin(kPi / 6.0);
  return {(double(p.x) - double(p.y)) * c, double(p.z) + (double(p.x) + double(p.y)) * s};
}

std::string number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "%.2f", v);
  return buffer;
}

std::string colourOf(const Point3& c) {
  auto channel = [](float v) { return int(std::lround(std::min(std::max(double(v), 0.0), 1.0) * 255.0)); };
  char buffer[8];
  std::snprintf(buffer, sizeof(buffer), "#%02x%02x%02x", channel(c.x), channel(c.y), channel(c.z));
  return buffer;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : PrintableText(text)) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

// The twelve edges of `box` as corner pairs.
std::vector<std::pair<Point3, Point3>> boxEdges(const Box3& box) {
  std::vector<std::pair<Point3, Point3>> edges;
  for (int bit : {1, 2, 4}) {
    for (int corner = 0; corner < 8; ++corner) {
      if (!(corner & bit)) edges.emplace_back(box[corner], box[corner | bit]);
    }
  }
  return edges;
}

}  // namespace

bool ParseViewDirection(const std::string& text, ViewDirection& r_view) {
  if (text == "front") r_view = ViewDirection::Front;
  else if (text == "top") r_view = ViewDirection::Top;
  else if (text == "side") r_view = ViewDirection::Side;
  else if (text == "iso") r_view = ViewDirection::Iso;
  else if (text == "angled") r_view = ViewDirection::Angled;
  else return false;
  return true;
}

std::string DrawViewportSvg(const std::vector<GraphicsWindow::Line>& lines, const Box3& box, ViewDirection view,
                            const std::string& caption) {
  // The extent of everything drawn, the origin included, fixes the fit.
  double lowX = 0.0, highX = 0.0, lowY = 0.0, highY = 0.0;
  auto grow = [&](const Point3& p) {
    Flat f = project(p, view);
    lowX = std::min(lowX, f.x);
    highX = std::max(highX, f.x);
    lowY = std::min(lowY, f.y);
    highY = std::max(highY, f.y);
  };
  for (const auto& line : lines)
    for (const Point3& p : line.world) grow(p);
  if (!box.IsEmpty()) {
    grow(box.pmin);
    grow(box.pmax);
  }
  // The axes, a fifth of the drawing long, are fitted in too.
  const double axisLength = std::max({highX - lowX, highY - lowY, 1e-6}) / 5.0;
  for (int a = 0; a < 3; ++a) {
    Point3 end;
    end[a] = float(axisLength);
    grow(end);
  }
  double extent = std::max({highX - lowX, highY - lowY, 1e-6});
  double fit = (kCanvas - 2.0 * kMargin) / extent;
  double midX = (lowX + highX) / 2.0, midY = (lowY + highY) / 2.0;
  auto sx = [&](const Point3& p) { return kCanvas / 2.0 + (project(p, view).x - midX) * fit; };
  auto sy = [&](const Point3& p) { return kCanvas / 2.0 - (project(p, view).y - midY) * fit; };
  auto segment = [&](const Point3& a, const Point3& b, const std::string& style) {
    return "<line x1=\"" + number(sx(a)) + "\" y1=\"" + number(sy(a)) + "\" x2=\"" + number(sx(b)) + "\" y2=\"" +
           number(sy(b)) + "\" " + style + "/>\n";
  };

  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(kCanvas) + "\" height=\"" +
                    number(kCanvas) + "\">\n<rect width=\"100%\" height=\"100%\" fill=\"#2b2b2b\"/>\n";
  // World axes from the origin, coloured X, Y, Z.
  const char* axisColours[3] = {"#d07070", "#70c070", "#7090e0"};
  const char* axisNames[3] = {"X", "Y", "Z"};
  for (int a = 0; a < 3; ++a) {
    Point3 end;
    end[a] = float(axisLength);
    Flat direction = project(end, view);
    if (std::hypot(direction.x, direction.y) < axisLength * 1e-3) continue;  // seen end-on
    svg += segment(Point3(), end, std::string("stroke=\"") + axisColours[a] + "\" stroke-width=\"1\"");
    svg += "<text x=\"" + number(sx(end) + 4) + "\" y=\"" + number(sy(end) - 4) + "\" fill=\"" + axisColours[a] +
           "\" font-family=\"sans-serif\" font-size=\"12\">" + axisNames[a] + "</text>\n";
  }
  if (!box.IsEmpty()) {
    for (const auto& [a, b] : boxEdges(box))
      svg += segment(a, b, "stroke=\"#9a9a9a\" stroke-width=\"0.75\" stroke-dasharray=\"4 3\"");
  }
  for (const auto& line : lines) {
    for (size_t k = 0; k + 1 < line.world.size(); ++k)
      svg += segment(line.world[k], line.world[k + 1], "stroke=\"" + colourOf(line.color) + "\" stroke-width=\"1.5\"");
    if (line.closed && line.world.size() > 2)
      svg += segment(line.world.back(), line.world.front(), "stroke=\"" + colourOf(line.color) + "\" stroke-width=\"1.5\"");
  }
  svg += "<text x=\"12\" y=\"22\" fill=\"#e0e0e0\" font-family=\"sans-serif\" font-size=\"13\">" + escaped(caption) +
         "</text>\n</svg>\n";
  return svg;
}
