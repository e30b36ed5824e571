#include "motion_file.h"

namespace Kvat {

std::string motionFileExtension(const std::string& fileName) {
  const std::size_t dot = fileName.find_last_of('.');
  return dot == std::string::npos ? fileName : fileName.substr(dot + 1);
}

MotionReader readerForMotionFile(const std::string& fileName) {
  return motionFileExtension(fileName) == "bvh" ? MotionReader::kBvh : MotionReader::kFbx;
}

}  // namespace Kvat
