#pragma once
// Reading a clip for the commands that work on the libraries directly
// (pose, info): choose the reader by extension, keep the readers' own
// diagnostics off standard output, and turn failures into one clear line.

#include <memory>
#include <string>

#include "kv_node.h"
#include "reader_output.h"

namespace Boneplay {
namespace Cli {

struct LoadedClip {
  std::unique_ptr<Kvat::Secne::Root> root;
  std::string kind;          // "bvh" or "fbx"
  std::string take;          // FBX clips: the current take's name
  std::string error;         // one line naming the file and what is wrong; empty on success
  ReaderOutput diagnostics;  // what the reader printed while loading
};

LoadedClip loadClip(const std::string& path);
// The bundled sample clip used when none is given.
std::string bundledSample();

}  // namespace Cli
}  // namespace Boneplay
