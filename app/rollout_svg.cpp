// Drawing a rollout as SVG. Coordinates are dialog units scaled once at the root group, so every
// control is drawn in the units of its template.
#include "rollout_svg.h"

#include <algorithm>
#include <cstdio>

#include "printable_text.h"
#include "strclass.h"
#include "window_model.h"

namespace {

// The panel's colours: background, frames, text, greyed text, fields and the check mark.
const char* kBackground = "#c8c8c8";
const char* kFrame = "#7a7a7a";
const char* kText = "#000000";
const char* kGreyText = "#8c8c8c";
const char* kField = "#ffffff";
const char* kTitleBar = "#a9a9a9";
constexpr double kFontSize = 6.5;  // dialog units: the 8-point dialog font
constexpr double kTitleHeight = 12.0;

std::string number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "%.2f", v);
  std::string s = buffer;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

// Captions may carry a node named after a file: made printable first, so the picture stays XML.
std::string escaped(const std::wstring& text) {
  std::string utf8 = PrintableText(MSTR(text).ToUTF8());
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string colourOf(COLORREF c) {
  char buffer[8];
  std::snprintf(buffer, sizeof(buffer), "#%02x%02x%02x", unsigned(c & 0xff), unsigned((c >> 8) & 0xff),
                unsigned((c >> 16) & 0xff));
  return buffer;
}

std::string rect(double x, double y, double w, double h, const std::string& fill, const std::string& stroke) {
  return "<rect x=\"" + number(x) + "\" y=\"" + number(y) + "\" width=\"" + number(w) + "\" height=\"" + number(h) +
         "\" fill=\"" + fill + "\" stroke=\"" + stroke + "\" stroke-width=\"0.5\"/>\n";
}

// Text whose baseline centres it vertically on a line of height `h` starting at `y`.
std::string text(double x, double y, double h, const std::wstring& caption, const char* colour,
                 const char* anchor = "start") {
  if (caption.empty()) return "";
  return "<text x=\"" + number(x) + "\" y=\"" + number(y + h / 2.0 + kFontSize * 0.35) + "\" fill=\"" + colour +
         "\" text-anchor=\"" + anchor + "\">" + escaped(caption) + "</text>\n";
}

std::string drawControl(const WindowState& c) {
  const char* ink = c.enabled ? kText : kGreyText;
  const char* frame = c.enabled ? kFrame : kGreyText;
  const double x = c.x, y = c.y, w = c.width, h = c.height;
  std::string svg = "<g id=\"control-" + (c.id >= 0 ? std::to_string(c.id) : std::string("static")) + "\"" +
                    (c.enabled ? "" : " class=\"disabled\"") + ">\n";
  switch (c.kind) {
    case WindowKind::GroupBox:
      svg += rect(x, y + kFontSize / 2.0, w, h - kFontSize / 2.0, "none", frame);
      if (!c.text.empty()) {
        svg += rect(x + 4.0, y, double(c.text.size()) * 3.6 + 2.0, kFontSize, kBackground, "none");
        svg += text(x + 5.0, y, kFontSize, c.text, ink);
      }
      break;
    case WindowKind::StaticText: {
      const char* anchor = c.alignment == TextAlignment::Centre ? "middle" : c.alignment == TextAlignment::Right ? "end" : "start";
      double at = c.alignment == TextAlignment::Centre ? x + w / 2.0 : c.alignment == TextAlignment::Right ? x + w : x;
      svg += text(at, y, std::min(h, 10.0), c.text, ink, anchor);
      break;
    }
    case WindowKind::CheckBox: {
      const double box = 7.0, top = y + (h - box) / 2.0;
      svg += rect(x, top, box, box, c.enabled ? kField : kBackground, frame);
      if (c.checked) {
        svg += "<path d=\"M" + number(x + 1.5) + " " + number(top + 3.5) + " L" + number(x + 3) + " " + number(top + 5.5) +
               " L" + number(x + 5.5) + " " + number(top + 1.5) + "\" fill=\"none\" stroke=\"" + ink +
               "\" stroke-width=\"1.2\"/>\n";
      }
      svg += text(x + box + 3.0, y, h, c.text, ink);
      break;
    }
    case WindowKind::RadioButton: {
      const double r = 3.5, cx = x + r, cy = y + h / 2.0;
      svg += "<circle cx=\"" + number(cx) + "\" cy=\"" + number(cy) + "\" r=\"" + number(r) + "\" fill=\"" +
             (c.enabled ? kField : kBackground) + "\" stroke=\"" + frame + "\" stroke-width=\"0.5\"/>\n";
      if (c.checked) {
        svg += "<circle cx=\"" + number(cx) + "\" cy=\"" + number(cy) + "\" r=\"1.6\" fill=\"" + ink + "\"/>\n";
      }
      svg += text(x + 2.0 * r + 3.0, y, h, c.text, ink);
      break;
    }
    case WindowKind::CustButton:
    case WindowKind::PushButton:
      svg += rect(x, y, w, h, c.checked ? colourOf(c.highlight) : "#dcdcdc", frame);
      svg += text(x + w / 2.0, y, h, c.text, ink, "middle");
      break;
    case WindowKind::Edit:
    case WindowKind::CustEdit:
      svg += rect(x, y, w, h, c.enabled ? kField : kBackground, frame);
      svg += text(x + 1.5, y, h, c.text, ink);
      break;
    case WindowKind::Spinner: {
      svg += rect(x, y, w, h, "#dcdcdc", frame);
      const double mid = y + h / 2.0, cx = x + w / 2.0;
      svg += "<path d=\"M" + number(cx - 2) + " " + number(mid - 1) + " L" + number(cx) + " " + number(y + 1) + " L" +
             number(cx + 2) + " " + number(mid - 1) + " Z M" + number(cx - 2) + " " + number(mid + 1) + " L" +
             number(cx) + " " + number(y + h - 1) + " L" + number(cx + 2) + " " + number(mid + 1) + " Z\" fill=\"" +
             ink + "\"/>\n";
      break;
    }
    default:
      svg += rect(x, y, w, h, "none", frame);
      svg += text(x + 1.0, y, h, c.text, ink);
      break;
  }
  return svg + "</g>\n";
}

}  // namespace

std::string DrawDialogSvg(HWND dialog, double scale) {
  std::optional<WindowState> d = DescribeWindow(dialog);
  if (!d || scale <= 0.0) return "";
  const double width = d->width, height = d->height + kTitleHeight;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(width * scale) + "\" height=\"" +
                    number(height * scale) + "\" viewBox=\"0 0 " + number(width) + " " + number(height) + "\">\n";
  svg += "<g font-family=\"'MS Sans Serif', Tahoma, 'Liberation Sans', Arial, 'DejaVu Sans Condensed', sans-serif\" font-size=\"" + number(kFontSize) + "\">\n";
  svg += rect(0, 0, width, height, kBackground, "none");
  svg += rect(0, 0, width, kTitleHeight, kTitleBar, kFrame);
  svg += text(width / 2.0, 0, kTitleHeight, d->text, kText, "middle");
  svg += "<g transform=\"translate(0 " + number(kTitleHeight) + ")\">\n";
  for (HWND control : DialogControls(dialog)) {
    std::optional<WindowState> c = DescribeWindow(control);
    if (c && c->visible) svg += drawControl(*c);
  }
  return svg + "</g>\n</g>\n</svg>\n";
}
