#pragma once

#include <string>
#include <utility>
#include <vector>

#include "fbxsdk/fileio/kfbx_writer.h"

class KFbxSceneGraph;

// How a scene is laid out as FBX fields.
struct KFbxSceneFieldsOptions {
  // Below 5800 the older form: models at the top level with "Children"
  // lists and their own transform as a channel tree. From 5800 on the newer
  // form: "Definitions", "Objects", "Connections".
  int m_iVersion = 6100;
  // Newer form: also write a "Type" field beside the name's subtype.
  bool m_bTypeField = false;
  // Takes stored in a take file of their own: take name, file name
  // (relative to the main file's folder).
  std::vector<std::pair<std::string, std::string>> m_xTakeFiles;
};

// The fields of a scene: the main file's section and one section per take
// file, to be written with KFbxWriteFile beside the main file.
struct KFbxSceneFields {
  KFbxWriteSection m_xMain;
  std::vector<std::pair<std::string, KFbxWriteSection>> m_xTakeFiles;
};

// Lays out every node below the scene's root node (attribute, properties,
// hierarchy) and every take node other than "Default" as takes.
KFbxSceneFields KFbxSceneToFields(KFbxSceneGraph& xScene, const KFbxSceneFieldsOptions& xOptions);
