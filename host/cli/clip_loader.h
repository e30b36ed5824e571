#pragma once
// Reading a clip for the command line: choose the reader by extension, keep
// the reader's own diagnostics off standard output, and turn what happened
// into one clear error line (nothing to show) or warnings (shown, but with a
// problem the user should know about).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bvh_facts.h"
#include "fbxsdk/fileio7/kfbx7_reader.h"
#include "kv_node.h"
#include "reader_output.h"

namespace Boneplay {
namespace Cli {

// Choices the user makes about an FBX clip; empty means the module's own.
struct LoadOptions {
  std::string take;  // the take to make current (exact name)
  std::string root;  // the node where the skeleton starts, with or without "Model::"
};

struct LoadedClip {
  std::string path;
  std::unique_ptr<Kvat::Secne::Root> root;
  std::string kind;                   // "bvh" or "fbx"
  std::string take;                   // FBX clips: the current take's name
  std::string error;                  // one line naming the file and what is wrong; empty on success
  bool usage = false;                 // the error is about an option's value (exit status 2)
  std::vector<std::string> warnings;  // sentences about the file, without its name
  std::vector<std::string> notes;     // ... about faults that cost nothing: never an error, not even with --strict
  ReaderOutput diagnostics;           // what the reader said while loading
  std::optional<BvhFacts> facts;      // what a BVH file declares about itself
  std::size_t samples = 0;            // the most samples of any channel
  // An FBX 7.x file, read by our own 7.x reader (the module refuses it):
  // its version, encoding and animation stacks.
  std::optional<KFbx7FileInfo> fbx7;
};

// Never throws; a clip that gives no joint or no sample has an error, and
// so has a take or a start node the clip does not have.
LoadedClip loadClip(const std::string& path, const LoadOptions& options = LoadOptions());
// "an FBX 7.5.0" for the version number 7500.
std::string fbx7VersionText(int version);
// The bundled sample clip used when none is given.
std::string bundledSample();

}  // namespace Cli
}  // namespace Boneplay
