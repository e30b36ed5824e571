#pragma once
// The module's FBX reader opens FBX files under a .fbx name only: a clip
// named clip.dat is looked for as clip.dat.fbx. These say what it opens, so
// that the command line can tell why a file that holds FBX is not read (or
// which other file was read in its place).

#include <string>

namespace Boneplay {
namespace Cli {

// The file the FBX reader opens for a name: the name itself when its
// extension (after the last "." that follows every "/" and "\") is "fbx" in
// any case, else the name with ".fbx" appended.
std::string fbxReaderPath(const std::string& path);

// Whether the file starts as a binary or an ASCII FBX file does.
bool looksLikeFbx(const std::string& path);

// For a name the FBX reader does not open as it is (and that selects no
// other format's reader): why it cannot be read
// (nothing stands under the name it opens), or "" when that name exists.
// `readInstead` is set to the file read in its place, when there is one.
std::string fbxNameProblem(const std::string& path, std::string& readInstead);

}  // namespace Cli
}  // namespace Boneplay
