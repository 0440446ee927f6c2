// velomorph gizmo.
#include "gizmo_command.h"

#include <cstdio>
#include <map>
#include <utility>

#include "exit_codes.h"
#include "file_bytes.h"
#include "parameter_text.h"
#include "run_files.h"
#include "symmetry_scene.h"
#include "token_text.h"
#include "triobj.h"
#include "modifier_display.h"
#include "viewport_svg.h"

namespace {

struct GizmoOptions {
  std::vector<std::pair<std::string, std::string>> settings{{"displayAxis", "1"}};
  float nodeScale = 1.0f;
  ViewDirection view = ViewDirection::Iso;
  std::string svg;
};

struct UsageError {
  std::string message;
};

std::string choice(const std::string& flag, const std::string& value, const std::map<std::string, std::string>& allowed) {
  auto it = allowed.find(value);
  if (it != allowed.end()) return it->second;
  std::string names;
  for (const auto& a : allowed) names += (names.empty() ? "" : "|") + a.first;
  throw UsageError{flag + " takes " + names + ", not '" + value + "'"};
}

GizmoOptions parseOptions(const std::vector<std::string>& args) {
  GizmoOptions o;
  auto next = [&](size_t& i) -> const std::string& {
    if (i + 1 >= args.size() || (args[i + 1].rfind("--", 0) == 0)) throw UsageError{args[i] + " needs a value"};
    return args[++i];
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--axis") o.settings.emplace_back("mirrorAxis", choice(a, next(i), {{"x", "0"}, {"y", "1"}, {"z", "2"}}));
    else if (a == "--direction") o.settings.emplace_back("direction", choice(a, next(i), {{"negative", "0"}, {"positive", "1"}}));
    else if (a == "--offset") o.settings.emplace_back("axisOffset", next(i));
    else if (a == "--size") o.settings.emplace_back("displaySize", next(i));
    else if (a == "--node-scale") {
      const std::string& v = next(i);
      if (ParseFloatToken(v, o.nodeScale) != FloatTokenStatus::kOk || !(o.nodeScale > 0.0f))
        throw UsageError{"--node-scale takes a positive number, not '" + v + "'"};
    } else if (a == "--view") {
      const std::string& v = next(i);
      if (!ParseViewDirection(v, o.view)) throw UsageError{"--view takes front|top|side|iso, not '" + v + "'"};
    } else if (a == "--set") {
      const std::string& v = next(i);
      size_t eq = v.find('=');
      if (eq == std::string::npos || eq == 0) throw UsageError{"--set takes NAME=VALUE, not '" + v + "'"};
      o.settings.emplace_back(v.substr(0, eq), v.substr(eq + 1));
    } else if (a == "--svg") o.svg = next(i);
    else throw UsageError{"unknown option '" + a + "'"};
  }
  if (o.svg.empty()) throw UsageError{"--svg FILE is required"};
  return o;
}

std::string pointText(const Point3& p) {
  char buffer[96];
  std::snprintf(buffer, sizeof(buffer), "(%g %g %g)", double(p.x), double(p.y), double(p.z));
  return buffer;
}

}  // namespace

int RunGizmoCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                    std::ostream& err) {
  GizmoOptions options;
  try {
    options = parseOptions(args);
  } catch (const UsageError& e) {
    err << "velomorph gizmo: " << e.message << "\n";
    return kExitUsage;
  }
  RunFiles files;
  files.AddOutput("--svg", options.svg);
  if (int refused = files.Check("gizmo", err); refused != kExitOk) return refused;
  std::string error;
  PluginSession session;
  if (!OpenPluginSession(pluginPath, session, error)) {
    err << "velomorph: " << error << "\n";
    return kExitUnreadable;
  }
  SymmetryScene scene(session.desc);
  if (!scene.Valid()) {
    err << "velomorph: the plug-in made no modifier\n";
    return kExitUnreadable;
  }
  for (const auto& [name, value] : options.settings) {
    if (!SetParameterFromText(scene.params(), name, value, error)) {
      err << "velomorph gizmo: " << error << "\n";
      return kExitUsage;
    }
  }
  INode* node = scene.AddInput("gizmo", CreateNewTriObject());
  node->SetObjectTM(ScaleMatrix(Point3(options.nodeScale, options.nodeScale, options.nodeScale)));

  ViewExp viewport;
  DisplayModifiers(node, &viewport, 0);
  Box3 box = ModifiersWorldBoundBox(node, &viewport, 0);
  const std::vector<GraphicsWindow::Line>& lines = viewport.getGW()->Lines();

  std::string summary = "gizmo: " + std::to_string(lines.size()) + " lines";
  summary += box.IsEmpty() ? ", nothing to frame (displayAxis is off)"
                           : ", world box " + pointText(box.pmin) + " to " + pointText(box.pmax);
  if (!WriteFileBytes(options.svg, DrawViewportSvg(lines, box, options.view, summary), error)) {
    err << "velomorph: " << error << "\n";
    return kExitUnreadable;
  }
  out << summary << "; written to " << options.svg << "\n";
  return kExitOk;
}
