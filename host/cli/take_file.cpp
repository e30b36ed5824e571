#include "take_file.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "fbxsdk/fileio/kfbx_writer.h"

namespace Boneplay {
namespace Cli {

namespace {

std::string temporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder && *folder ? folder : "/tmp";
}

// Keeps the one "Take" field of that name and makes it current.
void keepOneTake(KFbxWriteSection& section, const std::string& take) {
  for (KFbxWriteField& field : section) {
    if (field.m_xName != "Takes") continue;
    auto& children = field.m_xChildren;
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [&](const KFbxWriteField& child) {
                                    return child.m_xName == "Take" &&
                                           (child.m_xValues.empty() || child.m_xValues[0].m_xBytes != take);
                                  }),
                   children.end());
    for (KFbxWriteField& child : children)
      if (child.m_xName == "Current") child.m_xValues = {KFbxWriteValue::String(take)};
  }
}

}  // namespace

OneTakeFile::OneTakeFile(const Kvat::Secne::FbxRoot& root, const std::string& take) {
  static std::atomic<int> s_count{0};
  m_path = temporaryFolder() + "/boneplay-take-" + std::to_string(static_cast<long>(getpid())) + "-" +
           std::to_string(s_count++) + ".fbx";
  if (!root.scene()) {
    m_error = "the clip has no scene to copy";
    return;
  }
  KFbxSceneFields fields = KFbxSceneToFields(*root.scene(), KFbxSceneFieldsOptions());
  keepOneTake(fields.m_xMain, take);
  if (!KFbxWriteFile(m_path.c_str(), {fields.m_xMain}, KFbxWriteOptions(), &m_error) && m_error.empty())
    m_error = "cannot write " + m_path;
}

OneTakeFile::~OneTakeFile() { std::remove(m_path.c_str()); }

}  // namespace Cli
}  // namespace Boneplay
