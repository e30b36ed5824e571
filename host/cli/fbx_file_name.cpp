#include "fbx_file_name.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "fbx_skl_generator.h"

namespace Boneplay {
namespace Cli {

namespace {

// The start of a file that is searched for an FBX header.
constexpr std::size_t kHeadBytes = 1024;

}  // namespace

std::string fbxReaderPath(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  const std::size_t dot = path.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (separator == std::string::npos || dot > separator);
  if (hasExtension && strcasecmp(path.c_str() + dot + 1, "fbx") == 0) return path;
  return path + ".fbx";
}

bool looksLikeFbx(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char head[kHeadBytes + 1] = {};
  const std::size_t n = std::fread(head, 1, kHeadBytes, file);
  std::fclose(file);
  const std::string text(head, n);
  return text.compare(0, 18, "Kaydara FBX Binary") == 0 || text.compare(0, 5, "; FBX") == 0 ||
         text.find("FBXHeaderExtension") != std::string::npos;
}

std::string fbxNameProblem(const std::string& path, std::string& readInstead) {
  const std::string opened = fbxReaderPath(path);
  // Names ending in obj, 3ds or dxf go to the importer's readers of those formats.
  if (opened == path || Kvat::Secne::formatFromExtension(path.c_str()) != 0) return "";
  struct stat info;
  if (stat(opened.c_str(), &info) == 0) {
    readInstead = opened;
    return "";
  }
  const bool fbx = looksLikeFbx(path);
  return std::string(fbx ? "it holds FBX, but " : "") +
         "FBX files are read under a .fbx name: the reader looked for '" + opened + "', which does not exist" +
         (fbx ? " (rename the file to end in .fbx)"
              : " (a clip is read as BVH under a .bvh name, as FBX under a .fbx name)");
}

}  // namespace Cli
}  // namespace Boneplay
