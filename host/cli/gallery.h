#pragma once
// The index.html of `boneplay render --out-dir`: one figure per clip with its
// picture, what was drawn and any warning; clips that could not be shown are
// listed with the reason.

#include <string>
#include <vector>

namespace Boneplay {
namespace Cli {

struct GalleryEntry {
  std::string clip;                   // the clip as given
  std::string picture;                // file name inside the folder; "" when none was written
  std::string summary;                // "120 frames, 320x240, three-quarter view"
  std::vector<std::string> messages;  // warnings, or the error when there is no picture
};

// Returns "" on success, else what went wrong.
std::string writeGallery(const std::string& path, const std::vector<GalleryEntry>& entries);

// An entry as bytes and back, as a clip rendered in a process of its own
// hands it over: every field with its length before it, so that any bytes
// of a name survive. A note that is cut short gives the fields read so far.
std::string galleryEntryNote(const GalleryEntry& entry);
GalleryEntry galleryEntryFromNote(const std::string& note);

}  // namespace Cli
}  // namespace Boneplay
