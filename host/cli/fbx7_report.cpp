#include "fbx7_report.h"

#include "clip_loader.h"

namespace Boneplay {
namespace Cli {

void writeFbx7Summary(const KFbx7FileInfo& info, std::ostream& out) {
  out << "format: " << fbx7VersionText(info.m_iVersion).substr(3) << (info.m_bBinary ? " binary" : " ASCII")
      << ", read by boneplay's own 7.x reader (the module reads 5.x and 6.x files only: render shows a 6.1 copy)\n";
  bool further = false;
  out << "layers:";
  for (std::size_t i = 0; i < info.m_xStacks.size(); ++i) {
    const KFbx7FileInfo::Stack& stack = info.m_xStacks[i];
    out << (i ? "; \"" : " \"") << stack.m_xName << "\":";
    if (stack.m_xLayers.empty()) out << " none";
    for (std::size_t l = 0; l < stack.m_xLayers.size(); ++l) out << (l ? ", " : " ") << stack.m_xLayers[l];
    further = further || stack.m_xLayers.size() > 1;
  }
  if (info.m_xStacks.empty()) out << " no animation stack";
  if (further) out << " (only each stack's first layer plays; further layers are not blended)";
  out << "\n";
}

void addFbx7Json(const KFbx7FileInfo& info, nlohmann::ordered_json& doc) {
  doc["fbx_version"] = info.m_iVersion;
  doc["fbx_encoding"] = info.m_bBinary ? "binary" : "ascii";
  nlohmann::ordered_json stacks = nlohmann::ordered_json::array();
  for (const KFbx7FileInfo::Stack& stack : info.m_xStacks)
    stacks.push_back({{"name", stack.m_xName}, {"layers", stack.m_xLayers}});
  doc["stacks"] = std::move(stacks);
}

}  // namespace Cli
}  // namespace Boneplay
