#pragma once
// Which reader a motion file goes to. The module's file loading and the
// command line both ask here, so that the two can never disagree.

#include <string>

namespace Kvat {

enum class MotionReader {
  kBvh,  // the extension is exactly "bvh"
  kFbx,  // anything else: the FBX loader, whose importer knows other formats too
};

// The text after the last "." of the whole name (path separators are not
// considered); a name without "." is taken whole.
std::string motionFileExtension(const std::string& fileName);

// Case matters: "walk.BVH" goes to the FBX loader.
MotionReader readerForMotionFile(const std::string& fileName);

}  // namespace Kvat
