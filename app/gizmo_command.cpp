// velomorph gizmo.
#include "gizmo_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "command_options.h"
#include "exit_codes.h"
#include "file_bytes.h"
#include "parameter_options.h"
#include "parameter_text.h"
#include "printable_text.h"
#include "run_files.h"
#include "symmetry_scene.h"
#include "token_text.h"
#include "triobj.h"
#include "modifier_display.h"
#include "viewport_svg.h"

namespace {

const char kHelp[] =
    "usage: velomorph gizmo --svg FILE [options]\n"
    "Draws what the modifier's mirror-plane gizmo sends to a viewport: the plane as a square of side\n"
    "--size through axis = --offset, and an arrow pointing to the side Mirror writes.\n"
    "\n"
    "  --svg FILE                     where the picture goes (\"-\": standard output)\n"
    "  --axis x|y|z                   the mirror axis (default x)\n"
    "  --offset F                     the plane lies at axis = F (default 0)\n"
    "  --direction negative|positive  the side Mirror writes, where the arrow points (default negative)\n"
    "  --size F                       the side of the square, 0.01 to 9999999 (default 50)\n"
    "  --node-scale S                 scale the node carrying the modifier by S\n"
    "  --view front|top|side|iso|angled  the viewpoint (default angled: front right, from above)\n"
    "  --set NAME=VALUE               any parameter by its internal name (velomorph info lists them)\n"
    "  -h, --help                     this help\n";

struct GizmoOptions {
  ParameterSettings settings;
  float nodeScale = 1.0f;
  ViewDirection view = ViewDirection::Angled;
  std::string svg;
};

GizmoOptions parseOptions(const CommandWords& words) {
  GizmoOptions o;
  for (const GivenOption& given : words.options) {
    const std::string& a = given.name;
    if (o.settings.Take(given)) continue;
    if (a == "--node-scale") {
      const std::string& v = given.value();
      if (ParseFloatToken(v, o.nodeScale) != FloatTokenStatus::kOk || !(o.nodeScale > 0.0f))
        throw UsageError{"--node-scale takes a positive number, not '" + v + "'"};
    } else if (a == "--view") {
      const std::string& v = given.value();
      if (!ParseViewDirection(v, o.view)) throw UsageError{"--view takes front|top|side|iso|angled, not '" + v + "'"};
    } else if (a == "--svg") o.svg = given.value();
  }
  if (o.svg.empty()) throw UsageError{"--svg FILE is required"};
  return o;
}

bool isFinitePoint(const Point3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

std::string pointText(const Point3& p) {
  char buffer[96];
  std::snprintf(buffer, sizeof(buffer), "(%g %g %g)", double(p.x), double(p.y), double(p.z));
  return buffer;
}

}  // namespace

int RunGizmoCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                    std::ostream& err) {
  GizmoOptions options;
  std::vector<OptionForm> forms = {{"--node-scale"}, {"--view"}, {"--svg"}};
  for (const OptionForm& s : ParameterOptionForms({"--axis", "--direction", "--offset", "--size", "--set"})) forms.push_back(s);
  if (int stop = ReadCommandOptions("gizmo", args, forms, 0, kHelp,
                                     [&](const CommandWords& words) { options = parseOptions(words); }, out, err);
      stop != kCarryOn)
    return stop;
  RunFiles files;
  files.AddOutput("--svg", options.svg);
  if (int refused = files.Check("gizmo", err); refused != kExitOk) return refused;
  std::string error;
  PluginSession session;
  if (!OpenPluginSession(pluginPath, session, error)) {
    err << "velomorph: " << PrintableText(error) << "\n";
    return kExitUnreadable;
  }
  SymmetryScene scene(session.desc);
  if (!scene.Valid()) {
    err << "velomorph: the plug-in made no modifier\n";
    return kExitUnreadable;
  }
  // The gizmo is drawn only while displayAxis is on; the user may still turn it off.
  SetParameterFromText(scene.params(), "displayAxis", "1", error);
  if (!options.settings.ApplyTo(scene.params(), error)) {
    err << "velomorph gizmo: " << PrintableText(error) << "\n";
    return kExitUsage;
  }
  INode* node = scene.AddInput("gizmo", CreateNewTriObject());
  node->SetObjectTM(ScaleMatrix(Point3(options.nodeScale, options.nodeScale, options.nodeScale)));

  ViewExp viewport;
  DisplayModifiers(node, &viewport, 0);
  Box3 box = ModifiersWorldBoundBox(node, &viewport, 0);
  const std::vector<GraphicsWindow::Line>& lines = viewport.getGW()->Lines();
  // A scale, size and offset each in range can still multiply past the largest float: such a
  // gizmo cannot be drawn, and is refused rather than drawn as "nan".
  if (!isFinitePoint(box.pmin) || !isFinitePoint(box.pmax) || !std::all_of(lines.begin(), lines.end(), [](const GraphicsWindow::Line& line) {
        return std::all_of(line.world.begin(), line.world.end(), isFinitePoint) &&
               std::all_of(line.points.begin(), line.points.end(), isFinitePoint);
      })) {
    err << "velomorph gizmo: the gizmo at --node-scale " << ShortestText(options.nodeScale)
        << " with this size and offset is too large to draw (its coordinates overflow a float)\n";
    return kExitUsage;
  }

  std::string summary = "gizmo: " + std::to_string(lines.size()) + " lines";
  summary += box.IsEmpty() ? ", nothing to frame (displayAxis is off)"
                           : ", world box " + pointText(box.pmin) + " to " + pointText(box.pmax);
  if (!WriteFileBytes(options.svg, DrawViewportSvg(lines, box, options.view, summary), error)) {
    err << "velomorph: " << PrintableText(error) << "\n";
    return kExitWriteFailed;
  }
  // The picture may have taken standard output.
  (IsStandardStream(options.svg) ? err : out) << summary << "; written to " << StreamName(options.svg, false) << "\n";
  return kExitOk;
}
