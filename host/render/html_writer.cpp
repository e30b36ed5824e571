#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "framing_points.h"
#include "packed_clip.h"
#include "player_script.h"
#include "writers.h"

namespace Boneplay {
namespace Render {

namespace {

// A JSON string that is also safe inside a script element: no "</" can end it.
std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == '<' || c == '>' || c == '&') {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.17g", std::isfinite(v) ? v : 0.0);
  return buf;
}

constexpr View kAllViews[] = {View::Front, View::Side, View::Top, View::ThreeQuarter};

void writePoints(std::ostream& out, const std::vector<Point3>& points) {
  out << '[';
  for (std::size_t i = 0; i < points.size(); ++i)
    out << (i ? ",[" : "[") << number(points[i].x) << ',' << number(points[i].y) << ',' << number(points[i].z) << ']';
  out << ']';
}

// Framed in world units, the page frames its camera on the stand-ins of the
// clip at scale 1 and lays its floor where that clip's is.
void writeFraming(std::ostream& out, const Animation& framing) {
  const FramingPoints f = framingPoints(framing);
  out << ",\"framing\":{\"box\":";
  writePoints(out, f.box);
  out << ",\"reach\":";
  writePoints(out, f.reach);
  out << ",\"floor\":{\"y\":" << number(f.floor.y) << ",\"minX\":" << number(f.floor.minX)
      << ",\"maxX\":" << number(f.floor.maxX) << ",\"minZ\":" << number(f.floor.minZ)
      << ",\"maxZ\":" << number(f.floor.maxZ) << "}}";
}

// What the player needs besides the packed points: colours, sizes, views,
// quantisation and the frames' shapes.
void writeMeta(std::ostream& out, const Animation& animation, const RenderOptions& options, const PackedClip& packed) {
  const ViewAngles start = viewAngles(options.view);
  out << "{\"frames\":" << animation.frames.size() << ",\"fps\":" << number(animation.fps > 0 ? animation.fps : 30)
      << ",\"colour\":" << jsonString(cssColour(animation.lineColour))
      << ",\"background\":" << jsonString(cssColour(options.style.background))
      << ",\"grid\":" << jsonString(cssColour(options.style.grid))
      << ",\"lineWidth\":" << number(lineWidthFor(options.style, options.width, options.height))
      << ",\"gridWidth\":" << number(options.style.gridWidth) << ",\"follow\":" << (options.follow ? "true" : "false")
      << ",\"view\":[" << number(start.yaw) << ',' << number(start.pitch) << "],\"views\":{";
  for (View v : kAllViews) {
    const ViewAngles a = viewAngles(v);
    out << (v == kAllViews[0] ? "" : ",") << jsonString(viewName(v)) << ":[" << number(a.yaw) << ',' << number(a.pitch)
        << ']';
  }
  out << "},\"offsetMin\":[" << number(packed.offsetMin[0]) << ',' << number(packed.offsetMin[1]) << ','
      << number(packed.offsetMin[2]) << "],\"offsetStep\":[" << number(packed.offsetStep[0]) << ','
      << number(packed.offsetStep[1]) << ',' << number(packed.offsetStep[2]) << "],\"shapes\":[";
  for (std::size_t s = 0; s < packed.shapes.size(); ++s) {
    out << (s ? "," : "") << '[';
    for (std::size_t i = 0; i < packed.shapes[s].size(); ++i) out << (i ? "," : "") << packed.shapes[s][i];
    out << ']';
  }
  out << "],\"runs\":[";
  for (std::size_t r = 0; r < packed.runs.size(); ++r)
    out << (r ? "," : "") << '[' << packed.runs[r][0] << ',' << packed.runs[r][1] << ']';
  out << ']';
  if (options.framing) writeFraming(out, *options.framing);
  out << '}';
}

const char* const kStyleSheet =
    "body{font-family:sans-serif;font-size:14px;margin:0;color:#333}"
    "canvas{display:block;cursor:grab;touch-action:none}"
    "#bar{padding:6px 8px;display:flex;flex-wrap:wrap;gap:6px 10px;align-items:center}"
    "#frame{flex:1 1 200px}#readout{font-variant-numeric:tabular-nums;min-width:13em}"
    "#title{font-weight:bold}#help{color:#777;font-size:12px;padding:0 8px 8px}";

}  // namespace

std::string escapeHtml(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string writeHtml(const Animation& animation, const RenderOptions& options, const std::string& path) {
  if (animation.frames.empty()) return "no frames to draw";
  const PackedClip packed = packClip(animation);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return "cannot create the file";
  const std::string title = escapeHtml(animation.title.empty() ? std::string("boneplay") : animation.title);
  out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" << title << "</title>\n<style>" << kStyleSheet
      << "#bar,#help{max-width:" << std::max(options.width, 480) - 16
      << "px}</style></head>\n<body>\n<canvas id=\"view\" width=\"" << options.width << "\" height=\"" << options.height
      << "\"></canvas>\n<div id=\"bar\"><span id=\"title\">" << title
      << "</span><button id=\"play\">Play</button><input id=\"frame\" type=\"range\" min=\"0\" value=\"0\">"
      << "<span id=\"readout\"></span>\n<label>speed <select id=\"speed\"><option value=\"0.25\">0.25&times;</option>"
      << "<option value=\"0.5\">0.5&times;</option><option value=\"1\" selected>1&times;</option>"
      << "<option value=\"1.5\">1.5&times;</option><option value=\"2\">2&times;</option></select></label>"
      << "<label><input id=\"loop\" type=\"checkbox\" checked> loop</label>"
      << "<label><input id=\"follow\" type=\"checkbox\"> follow</label>\n";
  for (View v : kAllViews) out << "<button data-view=\"" << viewName(v) << "\">" << viewName(v) << "</button>";
  out << "</div>\n<div id=\"help\">Drag to orbit, shift-drag to pan, wheel to zoom about the pointer; space plays and "
         "pauses, "
      << "the arrow keys step a frame.</div>\n<output id=\"state\" hidden></output>\n"
      << "<script id=\"clip-meta\" type=\"application/json\">";
  writeMeta(out, animation, options, packed);
  out << "</script>\n<script id=\"clip-data\" type=\"application/octet-stream\">\n";
  // Base64 in lines of 76 characters.
  const std::string data = base64(packed.bytes);
  for (std::size_t i = 0; i < data.size(); i += 76) out << data.substr(i, 76) << '\n';
  out << "</script>\n<script>\n" << kPlayerScript << "</script>\n</body></html>\n";
  out.close();
  return out ? "" : "cannot write the file";
}

}  // namespace Render
}  // namespace Boneplay
