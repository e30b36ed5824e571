#include "clip_loader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "bvh_diagnostics.h"
#include "bvh_numbers.h"
#include "bvh_root.h"
#include "clip_nodes.h"
#include "diagnostics.h"
#include "fbx_choice.h"
#include "fbx_file_name.h"
#include "fbx_report.h"
#include "fbx_skl_generator.h"
#include "fbxsdk/fileio7/kfbx7_reader.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "motion_file.h"

namespace Boneplay {
namespace Cli {

std::string fbx7VersionText(int version) {
  char text[48];
  std::snprintf(text, sizeof text, "an FBX %d.%d.%d", version / 1000, version % 1000 / 100, version % 100);
  return text;
}

namespace {

// Whether the reader built anything from the file: the bare skeleton of a
// fresh load is the top node with one node "Root" that keeps the offset a new
// joint starts with and has no channels and no children.
bool anyJointFromFile(Kvat::Secne::Root& root) {
  const auto& top = root.top()->children();
  if (top.size() != 1) return !top.empty();
  const Kvat::Secne::Node* first = top.front();
  if (!first->children().empty()) return true;
  const auto* bvh = dynamic_cast<const Kvat::Secne::AttributeBvh*>(first->attrib());
  if (!bvh) return true;
  const Kvat::Vector3& o = bvh->offset();
  const Kvat::Vector3 fresh = Kvat::Secne::AttributeBvh().offset();
  return !bvh->channels().empty() || o.x != fresh.x || o.y != fresh.y || o.z != fresh.z;
}

// Keeps what the reader says, and where each parser error happened; the
// file's bytes, as the reader reads them, make the facts about the file.
class ReaderSink : public Kvat::Bvh::Diagnostics {
 public:
  ReaderSink(ReaderOutput& output, BvhFactsBuilder& facts) : m_rOutput(output), m_rFacts(facts) {}
  void output(const char* text, std::size_t size) override { m_rOutput.out.append(text, size); }
  void error(const char* text, std::size_t size) override { m_rOutput.err.append(text, size); }
  void errorAt(const char* message, const Kvat::Bvh::ErrorPlace& place) override {
    m_rOutput.located.push_back({message, place.line, place.column, std::string(place.text, place.size)});
  }
  void bytesRead(const char* bytes, std::size_t size) override { m_rFacts.add(bytes, size); }

 private:
  ReaderOutput& m_rOutput;
  BvhFactsBuilder& m_rFacts;
};

// Every channel in file order as "Hips Xrotation" (the ROOT joint by its
// file's name), and the fewest samples any of them holds.
std::size_t listColumns(const Kvat::Secne::BvhRoot& root, const BvhFacts& facts, std::vector<std::string>& columns) {
  std::string rootName = "Root";
  for (const BvhJointLine& j : facts.joints)
    if (j.keyword == BvhJointLine::Keyword::Root) rootName = j.name;
  std::size_t fewest = static_cast<std::size_t>(-1);
  const Kvat::Motion::MotionList& motions = root.motions();
  for (std::size_t m = 0; m < motions.count(); ++m) {
    const Kvat::Motion::Motion& motion = *motions.motion(m);
    const std::string joint = m == 0 && motion.name() == "Root" ? rootName : motion.name();
    for (std::size_t f = 0; f < motion.count(); ++f) {
      columns.push_back(joint + " " + motion.fx(f)->name());
      fewest = std::min(fewest, motion.fx(f)->function()->samples().size());
    }
  }
  return columns.empty() ? 0 : fewest;
}

// The text of the first error's line, where a number written without its
// decimal point may explain it.
std::string firstErrorLine(const LoadedClip& clip) {
  if (clip.diagnostics.located.empty()) return "";
  const ReaderError& e = clip.diagnostics.located.front();
  if (e.line <= 0 || e.text.empty() || !std::isalnum(static_cast<unsigned char>(e.text[0]))) return "";
  return readLineOf(clip.path, e.line).value_or("");
}

void loadBvh(LoadedClip& clip) {
  clip.kind = "bvh";
  BvhFactsBuilder facts;
  ReaderSink sink(clip.diagnostics, facts);
  clip.root.reset(Kvat::Secne::createBvhRoot(clip.path.c_str(), sink));
  clip.facts = facts.finish(clip.path);
  if (!clip.root || !clip.facts) {
    clip.error = "cannot read '" + clip.path + "': the file gives no skeleton";
    return;
  }
  clip.samples = sampleCount(*clip.root);
  const std::size_t joints = anyJointFromFile(*clip.root) ? clipNodes(*clip.root, nullptr).size() - 1 : 0;
  BvhLoadView view{clip.diagnostics, *clip.facts, joints, clip.samples, 0, {}, firstErrorLine(clip)};
  view.fewestSamples = listColumns(static_cast<Kvat::Secne::BvhRoot&>(*clip.root), *clip.facts, view.columns);
  const std::string empty = bvhEmptyReason(view);
  if (!empty.empty()) {
    clip.error = "cannot read '" + clip.path + "': " + empty;
    return;
  }
  BvhMessages messages = bvhMessages(view);
  clip.warnings = std::move(messages.warnings);
  clip.notes = std::move(messages.notes);
}

// The user's take and start node, on a clip the module has loaded.
bool applyFbxChoices(LoadedClip& clip, Kvat::Secne::FbxRoot& fbx, const LoadOptions& options) {
  if (fbx.fileRead() && fbx.outcome() != Kvat::Secne::FbxRoot::Outcome::kNoTakes) {
    std::string why = options.root.empty() ? std::string() : chooseFbxRoot(fbx, options.root);
    if (why.empty() && !options.take.empty()) why = chooseFbxTake(fbx, options.take);
    if (!why.empty()) {
      clip.error = "cannot read '" + clip.path + "': " + why;
      clip.usage = true;
      return false;
    }
  }
  return true;
}

// A 7.x file, which the module's importer refuses, read by our 7.x reader
// into the scene of a root that imported nothing; the root then chooses its
// take and builds its skeleton as after an import. False with clip.error.
bool readFbx7(LoadedClip& clip, std::unique_ptr<Kvat::Secne::FbxRoot>& fbx) {
  fbx.reset(Kvat::Secne::createFbxRoot(""));
  KFbx7FileInfo info;
  std::string why;
  if (fbx && fbx->scene() && !KFbx7ReadFile(clip.path.c_str(), *fbx->manager(), *fbx->scene(), &info, &why)) {
    clip.error = "cannot read '" + clip.path + "': " + fbx7VersionText(info.m_iVersion) + " file: " + why +
                 " (the module does not read 7.x files at all; boneplay reads them itself)";
    return false;
  }
  if (fbx) fbx->adoptImportedScene();
  clip.fbx7 = info;
  return true;
}

void loadFbx(LoadedClip& clip, const LoadOptions& options) {
  clip.kind = "fbx";
  std::unique_ptr<Kvat::Secne::FbxRoot> fbx;
  if (KFbx7FileVersion(clip.path.c_str())) {
    if (!readFbx7(clip, fbx)) return;
  } else {
    std::string readInstead;
    const std::string nameProblem = fbxNameProblem(clip.path, readInstead);
    if (!nameProblem.empty()) {
      clip.error = "cannot read '" + clip.path + "': " + nameProblem;
      return;
    }
    if (!readInstead.empty())
      clip.warnings.push_back("FBX files are read under a .fbx name: the reader read '" + readInstead +
                              "' in its place");
    fbx.reset(Kvat::Secne::createFbxRoot(clip.path.c_str()));
  }
  if (!fbx) {
    clip.error = "cannot read '" + clip.path + "': the FBX library could not start";
    return;
  }
  if (!applyFbxChoices(clip, *fbx, options)) return;
  // The module shows nothing for such a file, silently; here it is an error,
  // which names the dropped links that may have caused it.
  for (const std::string& w : fbxLinkWarnings(*fbx)) clip.warnings.push_back(w);
  std::string why = fbxLoadFailure(*fbx);
  if (fbx->outcome() == Kvat::Secne::FbxRoot::Outcome::kNoHips) why += fbxStartCandidates(*fbx);
  if (!why.empty()) {
    clip.error = "cannot read '" + clip.path + "': " + why;
    for (const std::string& w : clip.warnings) clip.error += "; " + w;
    clip.warnings.clear();
    return;
  }
  clip.take = fbx->scene()->GetCurrentTakeName();
  clip.root = std::move(fbx);
  clip.samples = sampleCount(*clip.root);
}

}  // namespace

std::string bundledSample() { return std::string(BONEPLAY_SAMPLES_DIR) + "/walk.bvh"; }

LoadedClip loadClip(const std::string& path, const LoadOptions& options) {
  LoadedClip clip;
  clip.path = path;
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    clip.error = "cannot read '" + path + "': it is a folder";
    return clip;
  }
  if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    clip.error = "cannot open '" + path + "': " + std::strerror(errno);
    return clip;
  }
  // The same choice the module makes: exactly "bvh" goes to the BVH reader.
  if (Kvat::readerForMotionFile(path) == Kvat::MotionReader::kBvh) {
    if (!options.take.empty() || !options.root.empty()) {
      clip.kind = "bvh";
      clip.usage = true;
      clip.error = "cannot read '" + path + "' " + (options.take.empty() ? "from --root" : "as --take asks") +
                   ": a BVH clip has one take and starts at its ROOT joint";
      return clip;
    }
    loadBvh(clip);
    return clip;
  }
  const std::string extension = Kvat::motionFileExtension(path);
  std::string lower = extension;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (lower == "bvh") {
    clip.kind = "fbx";
    clip.error = "cannot read '" + path + "': only the lower-case extension .bvh selects the BVH reader; the module " +
                 "hands a ." + extension + " file to its FBX reader (rename it to end in .bvh)";
  } else {
    loadFbx(clip, options);
  }
  return clip;
}

}  // namespace Cli
}  // namespace Boneplay
