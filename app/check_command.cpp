// velomorph check.
#include "check_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "command_options.h"
#include "exit_codes.h"
#include "file_bytes.h"
#include "mesh_partners.h"
#include "obj_mesh_file.h"
#include "phase_times.h"
#include "printable_text.h"
#include "progress_line.h"
#include "run_files.h"
#include "symmetry_report.h"
#include "token_text.h"

namespace {

const char kHelp[] =
    "usage: velomorph check --target BASE.obj [options]\n"
    "How symmetric a base mesh is: pairs every vertex with the one nearest its mirror image, as the\n"
    "modifier does (or by the mesh's connectivity), and reports how far each partner lies from that image.\n"
    "\n"
    "  --target BASE.obj     the mesh to check (\"-\": standard input)\n"
    "  --axis x|y|z          the mirror axis (default x)\n"
    "  --offset F            the plane lies at axis = F (default 0)\n"
    "  --tolerance T         how far a partner may lie from the mirror image (default 0.0001)\n"
    "  --pairing position|topology\n"
    "                        partners nearest the mirror images (default), or from the connectivity:\n"
    "                        then the vertices that could not be paired are reported and drawn too\n"
    "  --seed-edge A,B       topology: start from the edge A-B (1-based), one that is its own mirror image\n"
    "  --partners-out FILE   one line per vertex: its partner's 1-based number (its own on the plane), 0 for none\n"
    "  --json                the counts as one JSON object on standard output\n"
    "  --svg FILE            draw the mesh across the plane, the vertices beyond T marked by side\n"
    "                        (\"-\": standard output; the report then goes to standard error)\n"
    "  --timings             one line per phase on standard error: timing <read|pair|write> <seconds>\n"
    "  -h, --help            this help\n"
    "\n"
    "Exit codes: 0 symmetric within T (every vertex paired), 1 not, 2 usage, 3 unreadable file or a mesh\n"
    "topology cannot pair, 6 the picture or partners could not be written.\n";

constexpr size_t kMostDrawnVertices = 20000;
constexpr size_t kMostMarkedVertices = 5000;
const char kAxisNames[] = "xyz";

// The pairing's progress on the progress line, as "smile.obj: pairing 42%".
class PairingPercent : public PairingProgress {
 public:
  PairingPercent(ProgressLine& line, const std::string& name) : line_(line), name_(name) {}
  void Searched(int done, int total) override {
    const int percent = total > 0 ? int(100.0 * done / total) : 100;
    if (percent == shown_) return;
    shown_ = percent;
    line_.Show(name_ + ": pairing " + std::to_string(percent) + "%");
  }

 private:
  ProgressLine& line_;
  const std::string& name_;
  int shown_ = -1;
};

std::string number(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof(buffer), "%.2f", v);
  return buffer;
}

// The title names the file: made printable first (PrintableText), so the picture stays XML.
std::string escaped(const std::string& text) {
  std::string out;
  for (char c : PrintableText(text)) out += c == '<' ? std::string("&lt;") : c == '&' ? std::string("&amp;") : c == '>' ? std::string("&gt;") : std::string(1, c);
  return out;
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

struct CheckOptions {
  std::string target;
  std::string svg;
  std::string partnersOut;
  PairingKind pairing = PairingKind::kPosition;
  int seedA = -1, seedB = -1;
  int axis = 0;
  float offset = 0.0f;
  std::string offsetText = "0";
  double tolerance = 1e-4;
  std::string toleranceText = "0.0001";
  bool json = false;
  bool timings = false;
};

CheckOptions parseOptions(const CommandWords& words) {
  CheckOptions o;
  for (const GivenOption& given : words.options) {
    const std::string& a = given.name;
    if (a == "--json") o.json = true;
    else if (a == "--timings") o.timings = true;
    else if (a == "--target") o.target = given.value();
    else if (a == "--svg") o.svg = given.value();
    else if (a == "--partners-out") o.partnersOut = given.value();
    else if (a == "--pairing") {
      if (!ParsePairingKind(given.value(), o.pairing)) throw UsageError{"--pairing takes position|topology, not '" + given.value() + "'"};
    } else if (a == "--seed-edge") {
      if (!ParseSeedEdge(given.value(), o.seedA, o.seedB))
        throw UsageError{"--seed-edge takes two vertex numbers A,B (from 1), not '" + given.value() + "'"};
    } else if (a == "--axis") {
      const std::string& v = given.value();
      if (v.size() != 1 || v[0] < 'x' || v[0] > 'z') throw UsageError{"--axis takes x|y|z, not '" + v + "'"};
      o.axis = v[0] - 'x';
    } else if (a == "--offset") {
      if (ParseFloatToken(given.value(), o.offset) != FloatTokenStatus::kOk)
        throw UsageError{"--offset takes a finite number, not '" + given.value() + "'"};
      o.offsetText = given.value();
    } else if (a == "--tolerance") {
      float t = 0.0f;
      if (ParseFloatToken(given.value(), t) != FloatTokenStatus::kOk || t < 0.0f)
        throw UsageError{"--tolerance takes a number of at least 0, not '" + given.value() + "'"};
      o.tolerance = t;
      o.toleranceText = given.value();
    }
  }
  if (o.target.empty()) throw UsageError{"--target BASE.obj is required"};
  if (o.json && IsStandardStream(o.svg)) throw UsageError{"--json and --svg - would both write to standard output"};
  if (o.json && IsStandardStream(o.partnersOut)) throw UsageError{"--json and --partners-out - would both write to standard output"};
  if (IsStandardStream(o.svg) && IsStandardStream(o.partnersOut)) throw UsageError{"--svg - and --partners-out - would both write to standard output"};
  if (o.seedA >= 0 && o.pairing != PairingKind::kTopology) throw UsageError{"--seed-edge starts topology pairing: give --pairing topology as well"};
  return o;
}

// The base seen along an axis lying in the mirror plane: the mirror axis runs across the picture,
// the more extended of the other two up it, each with its name and range; the plane is a labelled
// line. A vertex whose partner misses its mirror image is ringed in the colour of its side, with a
// thin line to where the mirror image of its partner lies, so an asymmetry shows which way each side
// is off and which side each ring belongs to. A legend says all this under the picture.
std::string drawSvg(const std::vector<Point3>& p, const SymmetryReport& r, const CheckOptions& o, const std::string& title) {
  const int axis = o.axis;
  const float offset = o.offset;
  const int other[2] = {axis == 0 ? 1 : 0, axis == 2 ? 1 : 2};
  float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
  for (const Point3& q : p) {
    for (int k = 0; k < 3; ++k) {
      if (std::isfinite(q[k])) lo[k] = std::min(lo[k], q[k]), hi[k] = std::max(hi[k], q[k]);
    }
  }
  const int up = (hi[other[0]] - lo[other[0]]) > (hi[other[1]] - lo[other[1]]) ? other[0] : other[1];
  lo[axis] = std::min(lo[axis], offset);
  hi[axis] = std::max(hi[axis], offset);
  const double w = std::max(1e-6, double(hi[axis]) - lo[axis]), h = std::max(1e-6, double(hi[up]) - lo[up]);
  const double scale = 520.0 / std::max(w, h);
  const double left = 70.0, top = 78.0;
  auto sx = [&](double x) { return left + (x - lo[axis]) * scale; };
  auto sy = [&](double y) { return top + (hi[up] - y) * scale; };
  const double plotRight = sx(hi[axis]), plotBottom = sy(lo[up]);
  const double width = std::max(plotRight + 30.0, 520.0), height = plotBottom + 150.0;
  const std::string font = "font-family=\"sans-serif\" font-size=\"12\"";
  const char* kPositive = "#d0202a";
  const char* kNegative = "#1f8f4f";
  const char* kCentre = "#8a2be2";

  // A title that counts what is marked.
  const std::string unpairedText = r.unpairedVertices > 0 ? ", " + std::to_string(r.unpairedVertices) + " unpaired" : std::string();
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(width) + "\" height=\"" +
                    number(height) + "\" viewBox=\"0 0 " + number(width) + " " + number(height) + "\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg += "<text x=\"20\" y=\"24\" font-family=\"sans-serif\" font-size=\"14\">" +
         escaped(title + ": " + std::to_string(r.asymmetricVertices) + " of " + std::to_string(r.vertices) +
                 " vertices beyond " + o.toleranceText + unpairedText) +
         "</text>\n";
  const size_t stride = std::max<size_t>(1, (p.size() + kMostDrawnVertices - 1) / kMostDrawnVertices);
  const size_t drawn = (p.size() + stride - 1) / stride;
  if (drawn < p.size()) {
    svg += "<text x=\"20\" y=\"42\" " + font + " fill=\"#555555\">showing " + std::to_string(drawn) + " of " +
           std::to_string(p.size()) + " vertices (one in " + std::to_string(stride) + "); every marked vertex is drawn</text>\n";
  }

  // Axes: the mirror axis along the bottom, the up axis along the left, each with its range.
  const std::string axisStyle = "fill=\"none\" stroke=\"#444444\" stroke-width=\"1\"";
  svg += "<path d=\"M" + number(left - 8) + " " + number(plotBottom + 8) + " H" + number(plotRight) + " M" +
         number(left - 8) + " " + number(plotBottom + 8) + " V" + number(top) + "\" " + axisStyle + "/>\n";
  auto label = [&](double x, double y, const std::string& text, const char* anchor) {
    svg += "<text x=\"" + number(x) + "\" y=\"" + number(y) + "\" text-anchor=\"" + anchor + "\" " + font + ">" +
           escaped(text) + "</text>\n";
  };
  label(left, plotBottom + 24, ShortestText(lo[axis]), "middle");
  label(plotRight, plotBottom + 24, ShortestText(hi[axis]), "middle");
  label((left + plotRight) / 2, plotBottom + 40, std::string(1, kAxisNames[axis]) + " (mirror axis)", "middle");
  label(left - 12, plotBottom + 4, ShortestText(lo[up]), "end");
  label(left - 12, top + 4, ShortestText(hi[up]), "end");
  label(left - 12, (top + plotBottom) / 2, std::string(1, kAxisNames[up]), "end");

  svg += "<g fill=\"#888888\">\n";
  for (size_t i = 0; i < p.size(); i += stride) {
    if (!std::isfinite(p[i][axis]) || !std::isfinite(p[i][up])) continue;
    svg += "<circle cx=\"" + number(sx(p[i][axis])) + "\" cy=\"" + number(sy(p[i][up])) + "\" r=\"1\"/>\n";
  }
  svg += "</g>\n<line x1=\"" + number(sx(offset)) + "\" y1=\"" + number(top - 10) + "\" x2=\"" + number(sx(offset)) +
         "\" y2=\"" + number(plotBottom + 8) + "\" stroke=\"#1f5fbf\" stroke-width=\"1.5\" stroke-dasharray=\"6 3\"/>\n";
  label(sx(offset) + 4, top - 14, "mirror plane " + std::string(1, kAxisNames[axis]) + " = " + o.offsetText, "start");

  size_t marked = 0;
  for (size_t i = 0; i < p.size() && marked < kMostMarkedVertices; ++i) {
    if (r.partners[i] >= 0 || !std::isfinite(p[i][axis]) || !std::isfinite(p[i][up])) continue;
    svg += "<rect x=\"" + number(sx(p[i][axis]) - 4) + "\" y=\"" + number(sy(p[i][up]) - 4) +
           "\" width=\"8\" height=\"8\" fill=\"none\" stroke=\"black\"/>\n";
    ++marked;
  }
  for (size_t i = 0; i < p.size() && marked < kMostMarkedVertices; ++i) {
    if (r.partners[i] < 0 || r.distances[i] <= o.tolerance || !std::isfinite(p[i][axis]) || !std::isfinite(p[i][up])) continue;
    const double side = double(p[i][axis]) - offset;
    const char* colour = side > 0 ? kPositive : side < 0 ? kNegative : kCentre;
    // Where vertex i would be if it were the mirror image of its partner.
    const Point3& partner = p[size_t(r.partners[i])];
    const double imageAcross = 2.0 * offset - partner[axis], imageUp = partner[up];
    if (std::isfinite(imageAcross) && std::isfinite(imageUp)) {
      svg += "<path d=\"M" + number(sx(p[i][axis])) + " " + number(sy(p[i][up])) + " L" + number(sx(imageAcross)) + " " +
             number(sy(imageUp)) + "\" stroke=\"" + colour + "\" stroke-width=\"0.75\" fill=\"none\"/>\n";
    }
    svg += "<circle cx=\"" + number(sx(p[i][axis])) + "\" cy=\"" + number(sy(p[i][up])) + "\" r=\"4\" fill=\"none\" stroke=\"" +
           colour + "\"/>\n";
    ++marked;
  }

  // The legend, under the axes.
  const double y0 = plotBottom + 62;
  const std::string a(1, kAxisNames[axis]);
  auto ring = [&](double x, double y, const char* colour) {
    svg += "<circle cx=\"" + number(x) + "\" cy=\"" + number(y) + "\" r=\"4.5\" fill=\"none\" stroke=\"" + colour + "\"/>\n";
  };
  svg += "<circle cx=\"26\" cy=\"" + number(y0 - 4) + "\" r=\"1.5\" fill=\"#888888\"/>\n";
  label(36, y0, "vertex", "start");
  svg += "<path d=\"M120 " + number(y0 - 4) + " H140\" stroke=\"#1f5fbf\" stroke-width=\"1.5\" stroke-dasharray=\"6 3\"/>\n";
  label(146, y0, "mirror plane", "start");
  ring(26, y0 + 16, kPositive);
  label(36, y0 + 20, "beyond tolerance on the +" + a + " side", "start");
  ring(26, y0 + 36, kNegative);
  label(36, y0 + 40, "beyond tolerance on the -" + a + " side", "start");
  ring(26, y0 + 56, kCentre);
  label(36, y0 + 60, "beyond tolerance on the plane", "start");
  svg += "<path d=\"M20 " + number(y0 + 76) + " H32\" stroke=\"#444444\" stroke-width=\"0.75\"/>\n";
  label(36, y0 + 80, "to where the mirror image of its partner lies", "start");
  if (o.pairing == PairingKind::kTopology) {
    svg += "<rect x=\"296\" y=\"" + number(y0 + 32) + "\" width=\"8\" height=\"8\" fill=\"none\" stroke=\"black\"/>\n";
    label(310, y0 + 40, "no partner from the connectivity (" + std::to_string(r.unpairedVertices) + ")", "start");
  }
  const size_t toMark = size_t(r.asymmetricVertices) + size_t(r.unpairedVertices);
  if (marked < toMark) {
    label(300, y0 + 20, "first " + std::to_string(marked) + " of " + std::to_string(toMark) + " marked", "start");
  }
  return svg + "</svg>\n";
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CheckOptions options;
  const std::vector<OptionForm> forms = {{"--target"}, {"--svg"}, {"--axis"}, {"--offset"}, {"--tolerance"},
                                         {"--pairing"}, {"--seed-edge"}, {"--partners-out"},
                                         {"--json", OptionForm::kFlag}, {"--timings", OptionForm::kFlag}};
  if (int stop = ReadCommandOptions("check", args, forms, 0, kHelp,
                                     [&](const CommandWords& words) { options = parseOptions(words); }, out, err);
      stop != kCarryOn)
    return stop;
  RunFiles files;
  files.AddInput("--target", options.target);
  files.AddOutput("--svg", options.svg);
  files.AddOutput("--partners-out", options.partnersOut);
  if (int refused = files.Check("check", err); refused != kExitOk) return refused;
  PhaseTimes times(options.timings, {"read", "pair", "write"});
  ObjReadResult base = ReadObjFile(options.target);
  if (!base.ok) {
    err << "velomorph: " << PrintableText(base.error) << "\n";
    return kExitUnreadable;
  }
  times.Stop(0);
  const std::string name = StreamName(options.target, true);
  PairingRequest request;
  request.kind = options.pairing;
  request.axis = options.axis;
  request.offset = options.offset;
  request.seedA = options.seedA;
  request.seedB = options.seedB;
  MeshPartners found;
  {
    // A crafted or huge base can take long to pair: the user sees how far it has got.
    ProgressLine progress(err, true);
    progress.Show(name + (request.kind == PairingKind::kPosition ? ": pairing" : ": pairing by topology"));
    PairingPercent percent(progress, name);
    found = FindMeshPartners(base.mesh, request, name, &percent);
  }
  if (!found.ok) {
    err << "velomorph: " << found.error << "\n";
    return kExitUnreadable;
  }
  SymmetryReport r = MeasurePartners(base.mesh.positions, std::move(found.partners), options.axis, options.offset, options.tolerance);
  times.Stop(1);
  const std::string axisName(1, kAxisNames[options.axis]);
  const bool symmetric = r.asymmetricVertices == 0 && r.unpairedVertices == 0;
  // The picture takes standard output when asked to; the report then goes to standard error.
  std::ostream& report = IsStandardStream(options.svg) || IsStandardStream(options.partnersOut) ? err : out;
  if (options.json) {
    report << "{\"file\": " << jsonString(name) << ", \"axis\": \"" << axisName << "\", \"offset\": "
           << ShortestText(options.offset) << ", \"tolerance\": " << ShortestText(float(options.tolerance))
           << ", \"vertices\": " << r.vertices << ", \"centre_vertices\": " << r.centreVertices
           << ", \"mutual_pairs\": " << r.mutualPairs << ", \"non_mutual_partners\": " << r.nonMutualPartners
           << ", \"asymmetric_vertices\": " << r.asymmetricVertices
           << ", \"pairing\": \"" << (options.pairing == PairingKind::kTopology ? "topology" : "position") << "\""
           << ", \"unpaired_vertices\": " << r.unpairedVertices
           << ", \"largest_distance\": " << ShortestText(float(r.largestDistance)) << ", \"symmetric\": "
           << (symmetric ? "true" : "false") << "}\n";
  } else {
    report << name << ": mirror plane " << axisName << " = " << options.offsetText << "\n";
    if (options.pairing == PairingKind::kTopology) report << "  pairing               topology (" << found.shells << ")\n";
    report
           << "  vertices              " << r.vertices << "\n"
           << "  centre vertices       " << r.centreVertices << "\n"
           << "  mutual pairs          " << r.mutualPairs << "\n"
           << "  non-mutual partners   " << r.nonMutualPartners << "\n"
           << "  beyond tolerance " << options.toleranceText << "  " << r.asymmetricVertices << "\n"
           << "  largest distance      " << ShortestText(float(r.largestDistance)) << "\n"
           << (symmetric ? "  symmetric\n" : "  not symmetric\n");
    if (options.pairing == PairingKind::kTopology) {
      report << "  unpaired vertices     " << r.unpairedVertices << "\n";
      if (r.unpairedVertices > 0) report << "    " << VertexListText(found.unpaired) << "\n";
      std::vector<int> farFromImage;
      for (int i = 0; i < r.vertices; ++i) {
        if (r.partners[size_t(i)] >= 0 && !(r.distances[size_t(i)] <= options.tolerance)) farFromImage.push_back(i);
      }
      if (!farFromImage.empty()) report << "  far from the mirror image of their partners: " << VertexListText(farFromImage) << "\n";
    }
  }
  if (!options.partnersOut.empty()) {
    std::string text;
    text.reserve(r.partners.size() * 8);
    for (int p : r.partners) text += std::to_string(p + 1) + "\n";
    std::string error;
    if (!WriteFileBytes(options.partnersOut, text, error)) {
      err << "velomorph: " << error << "\n";
      return kExitWriteFailed;
    }
  }
  if (!options.svg.empty()) {
    std::string error;
    if (!WriteFileBytes(options.svg, drawSvg(base.mesh.positions, r, options, name), error)) {
      err << "velomorph: " << PrintableText(error) << "\n";
      return kExitWriteFailed;
    }
  }
  times.Stop(2);
  times.Print(err);
  return symmetric ? kExitOk : kExitAsymmetric;
}
