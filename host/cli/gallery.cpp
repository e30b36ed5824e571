#include "gallery.h"

#include <fstream>

#include "output_file.h"
#include "writers.h"

namespace Boneplay {
namespace Cli {

namespace {

// A file name as a relative link: every byte outside a safe set is %-escaped.
std::string escapeLink(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : name) {
    const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '_' || c == '.' || c == '~';
    if (safe) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

const char* const kStyle =
    "body{font-family:sans-serif;margin:1em;background:#fafafa}"
    "main{display:flex;flex-wrap:wrap;gap:1em}"
    "figure{margin:0;padding:.5em;background:#fff;border:1px solid #ddd;max-width:24em}"
    "figure img{display:block;max-width:100%}figure iframe{display:block;width:22em;height:20em;border:0}"
    "figcaption{font-size:.9em;word-break:break-all}"
    ".warn{color:#a60}.fail{color:#b00}";

}  // namespace

std::string writeGallery(const std::string& path, const std::vector<GalleryEntry>& entries) {
  OutputFile file(path);
  std::ofstream out(file.tempPath(), std::ios::binary | std::ios::trunc);
  if (!out) return "cannot create the file";
  std::size_t shown = 0;
  for (const GalleryEntry& e : entries) shown += !e.picture.empty();
  out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>boneplay: " << shown << " of " << entries.size()
      << " clips</title>\n<style>" << kStyle << "</style></head>\n<body>\n<h1>" << shown << " of " << entries.size()
      << " clips</h1>\n<main>\n";
  for (const GalleryEntry& e : entries) {
    out << "<figure>";
    // A player page plays in a frame of its own (it shows itself smaller to
    // fit), under a link that opens it alone; the other kinds are pictures.
    Render::Format format = Render::Format::Gif;
    const bool page = Render::formatFromPath(e.picture, format) && format == Render::Format::Html;
    if (!e.picture.empty()) {
      const std::string link = escapeLink(e.picture);
      if (page)
        out << "<iframe src=\"" << link << "\" title=\"" << Render::escapeHtml(e.clip)
            << "\" loading=\"lazy\"></iframe>"
            << "<a href=\"" << link << "\">open the player</a>";
      else
        out << "<a href=\"" << link << "\"><img src=\"" << link << "\" alt=\"" << Render::escapeHtml(e.clip)
            << "\"></a>";
    }
    out << "<figcaption><b>" << Render::escapeHtml(e.clip) << "</b>";
    if (!e.summary.empty()) out << "<br>" << Render::escapeHtml(e.summary);
    const char* kind = e.picture.empty() ? "fail" : "warn";
    for (const std::string& m : e.messages)
      out << "<br><span class=\"" << kind << "\">" << Render::escapeHtml(m) << "</span>";
    out << "</figcaption></figure>\n";
  }
  out << "</main>\n</body></html>\n";
  out.close();
  if (!out) return "cannot write the file";
  std::string error;
  file.commit(error);
  return error;
}

}  // namespace Cli
}  // namespace Boneplay
