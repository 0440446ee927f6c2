// velomorph check.
#include "check_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "exit_codes.h"
#include "file_bytes.h"
#include "obj_mesh_file.h"
#include "run_files.h"
#include "symmetry_report.h"
#include "token_text.h"

namespace {

constexpr double kDefaultTolerance = 1e-4;
constexpr size_t kMostDrawnVertices = 20000;
constexpr size_t kMostMarkedVertices = 5000;

std::string number(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof(buffer), "%.9g", v);
  return buffer;
}

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') out += '\\', out += char(c);
    else if (c < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof(esc), "\\u%04x", c);
      out += esc;
    } else out += char(c);
  }
  return out + "\"";
}

// The base seen along an axis lying in the mirror plane: the mirror axis runs across the picture,
// the more extended of the other two up it; the plane is a line, asymmetric vertices are marked.
std::string drawSvg(const std::vector<Point3>& p, const SymmetryReport& r, int axis, float offset,
                    double tolerance, const std::string& title) {
  int other[2] = {axis == 0 ? 1 : 0, axis == 2 ? 1 : 2};
  float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
  for (const Point3& q : p) {
    for (int k = 0; k < 3; ++k) {
      if (std::isfinite(q[k])) lo[k] = std::min(lo[k], q[k]), hi[k] = std::max(hi[k], q[k]);
    }
  }
  int up = (hi[other[0]] - lo[other[0]]) > (hi[other[1]] - lo[other[1]]) ? other[0] : other[1];
  lo[axis] = std::min(lo[axis], offset);
  hi[axis] = std::max(hi[axis], offset);
  double w = std::max(1e-6, double(hi[axis]) - lo[axis]), h = std::max(1e-6, double(hi[up]) - lo[up]);
  double scale = 560.0 / std::max(w, h);
  auto sx = [&](double x) { return 20.0 + (x - lo[axis]) * scale; };
  auto sy = [&](double y) { return 40.0 + (hi[up] - y) * scale; };
  double width = 40.0 + w * scale, height = 60.0 + h * scale;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(width) + "\" height=\"" +
                    number(height) + "\" viewBox=\"0 0 " + number(width) + " " + number(height) + "\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  std::string caption = title + ": " + std::to_string(r.asymmetricVertices) + " of " + std::to_string(r.vertices) +
                        " vertices beyond " + number(tolerance);
  std::string escaped;
  for (char c : caption) escaped += c == '<' ? std::string("&lt;") : c == '&' ? std::string("&amp;") : std::string(1, c);
  svg += "<text x=\"20\" y=\"24\" font-family=\"sans-serif\" font-size=\"14\">" + escaped + "</text>\n";
  svg += "<g fill=\"#888888\">\n";
  size_t stride = std::max<size_t>(1, p.size() / kMostDrawnVertices);
  for (size_t i = 0; i < p.size(); i += stride) {
    if (!std::isfinite(p[i][axis]) || !std::isfinite(p[i][up])) continue;
    svg += "<circle cx=\"" + number(sx(p[i][axis])) + "\" cy=\"" + number(sy(p[i][up])) + "\" r=\"1\"/>\n";
  }
  svg += "</g>\n<line x1=\"" + number(sx(offset)) + "\" y1=\"30\" x2=\"" + number(sx(offset)) + "\" y2=\"" +
         number(height - 10) + "\" stroke=\"#1f5fbf\" stroke-width=\"1.5\"/>\n<g fill=\"none\" stroke=\"#d0202a\">\n";
  size_t marked = 0;
  for (size_t i = 0; i < p.size() && marked < kMostMarkedVertices; ++i) {
    if (r.distances[i] <= tolerance || !std::isfinite(p[i][axis]) || !std::isfinite(p[i][up])) continue;
    svg += "<circle cx=\"" + number(sx(p[i][axis])) + "\" cy=\"" + number(sy(p[i][up])) + "\" r=\"4\"/>\n";
    ++marked;
  }
  return svg + "</g>\n</svg>\n";
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string target, svgPath;
  int axis = 0;
  float offset = 0.0f;
  double tolerance = kDefaultTolerance;
  bool json = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool hasValue = i + 1 < args.size();
    auto usage = [&](const std::string& message) {
      err << "velomorph check: " << message << "\n";
      return kExitUsage;
    };
    if (a == "--json") { json = true; continue; }
    if (!hasValue) return usage(a == "--target" || a == "--axis" || a == "--offset" || a == "--tolerance" || a == "--svg"
                                    ? a + " needs a value" : "unknown option '" + a + "'");
    const std::string& v = args[i + 1];
    if (a == "--target") target = v;
    else if (a == "--svg") svgPath = v;
    else if (a == "--axis") {
      if (v == "x") axis = 0;
      else if (v == "y") axis = 1;
      else if (v == "z") axis = 2;
      else return usage("--axis takes x|y|z, not '" + v + "'");
    } else if (a == "--offset") {
      if (ParseFloatToken(v, offset) != FloatTokenStatus::kOk) return usage("--offset takes a finite number, not '" + v + "'");
    } else if (a == "--tolerance") {
      float t = 0.0f;
      if (ParseFloatToken(v, t) != FloatTokenStatus::kOk || t < 0.0f) return usage("--tolerance takes a number of at least 0, not '" + v + "'");
      tolerance = t;
    } else {
      return usage("unknown option '" + a + "'");
    }
    ++i;
  }
  if (target.empty()) {
    err << "velomorph check: --target BASE.obj is required\n";
    return kExitUsage;
  }
  RunFiles files;
  files.AddInput("--target", target);
  files.AddOutput("--svg", svgPath);
  if (int refused = files.Check("check", err); refused != kExitOk) return refused;
  ObjReadResult base = ReadObjFile(target);
  if (!base.ok) {
    err << "velomorph: " << base.error << "\n";
    return kExitUnreadable;
  }
  SymmetryReport r = MeasureSymmetry(base.mesh.positions, axis, offset, tolerance);
  const char* axisName = axis == 0 ? "x" : axis == 1 ? "y" : "z";
  if (json) {
    out << "{\"file\": " << jsonString(target) << ", \"axis\": \"" << axisName << "\", \"offset\": " << number(offset)
        << ", \"tolerance\": " << number(tolerance) << ", \"vertices\": " << r.vertices
        << ", \"centre_vertices\": " << r.centreVertices << ", \"mutual_pairs\": " << r.mutualPairs
        << ", \"non_mutual_partners\": " << r.nonMutualPartners
        << ", \"asymmetric_vertices\": " << r.asymmetricVertices
        << ", \"largest_distance\": " << number(r.largestDistance) << ", \"symmetric\": "
        << (r.asymmetricVertices == 0 ? "true" : "false") << "}\n";
  } else {
    out << target << ": mirror plane " << axisName << " = " << number(offset) << "\n"
        << "  vertices              " << r.vertices << "\n"
        << "  centre vertices       " << r.centreVertices << "\n"
        << "  mutual pairs          " << r.mutualPairs << "\n"
        << "  non-mutual partners   " << r.nonMutualPartners << "\n"
        << "  beyond tolerance " << number(tolerance) << "  " << r.asymmetricVertices << "\n"
        << "  largest distance      " << number(r.largestDistance) << "\n"
        << (r.asymmetricVertices == 0 ? "  symmetric\n" : "  not symmetric\n");
  }
  if (!svgPath.empty()) {
    std::string error;
    if (!WriteFileBytes(svgPath, drawSvg(base.mesh.positions, r, axis, offset, tolerance, target), error)) {
      err << "velomorph: " << error << "\n";
      return kExitUnreadable;
    }
  }
  return r.asymmetricVertices == 0 ? kExitOk : kExitAsymmetric;
}
