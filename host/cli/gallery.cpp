#include "gallery.h"

#include <algorithm>
#include <cstdlib>
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

std::string galleryEntryNote(const GalleryEntry& entry) {
  std::string note;
  const auto add = [&](const std::string& field) { note += std::to_string(field.size()) + ":" + field; };
  for (const std::string* field : {&entry.clip, &entry.picture, &entry.summary}) add(*field);
  for (const std::string& message : entry.messages) add(message);
  return note;
}

GalleryEntry galleryEntryFromNote(const std::string& note) {
  std::vector<std::string> fields;
  for (std::size_t at = 0; at < note.size();) {
    const std::size_t colon = note.find(':', at);
    if (colon == std::string::npos) break;
    const std::size_t size = std::strtoull(note.c_str() + at, nullptr, 10);
    if (size > note.size() - colon - 1) break;
    fields.push_back(note.substr(colon + 1, size));
    at = colon + 1 + size;
  }
  fields.resize(std::max<std::size_t>(fields.size(), 3));
  return {fields[0], fields[1], fields[2], std::vector<std::string>(fields.begin() + 3, fields.end())};
}

}  // namespace Cli
}  // namespace Boneplay
