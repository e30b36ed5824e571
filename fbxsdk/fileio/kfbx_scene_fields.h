#pragma once

#include <string>
#include <utility>
#include <vector>

#include "fbxsdk/fileio/kfbx_writer.h"

class KFbxNode;
class KFbxSceneGraph;
class TakeNode;

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
  // The takes to write, by exact name; empty: every take of the scene.
  std::vector<std::string> m_xTakes;
  // Fields written after the scene's own at the top level (the caller's
  // "Settings", say).
  std::vector<KFbxWriteField> m_xTrailingFields;
};

// Told around the curves of each node's take node as they are written. A
// caller that makes keys while the file is written puts them on the take
// node's curves in Begin and takes them off in End, so that the scene never
// holds more than one node's keys of a take.
class KFbxSceneKeySource {
 public:
  virtual ~KFbxSceneKeySource() = default;
  virtual void TakeNodeBegin(KFbxNode& xNode, TakeNode& xTakeNode) = 0;
  virtual void TakeNodeEnd(KFbxNode& xNode, TakeNode& xTakeNode) = 0;
};

// The fields of a scene: the main file's section and one section per take
// file, to be written with KFbxWriteFile beside the main file.
struct KFbxSceneFields {
  KFbxWriteSection m_xMain;
  std::vector<std::pair<std::string, KFbxWriteSection>> m_xTakeFiles;
};

// Lays out every node below the scene's root node (attribute, properties,
// hierarchy) and every take node other than "Default" as takes.
KFbxSceneFields KFbxSceneToFields(KFbxSceneGraph& xScene, const KFbxSceneFieldsOptions& xOptions,
                                  KFbxSceneKeySource* pxKeys = nullptr);

// The same fields written to pszPath as the scene is walked, keys going
// from the curves straight to the file, with each take file beside it (in
// pszPath's folder): the same bytes as KFbxSceneToFields and KFbxWriteFile
// give. An encrypted file is encoded whole (its cipher needs the whole
// file). False with the reason in *pxError; a file that failed is removed.
bool KFbxWriteSceneFile(const char* pszPath, KFbxSceneGraph& xScene, const KFbxSceneFieldsOptions& xFieldOptions,
                        const KFbxWriteOptions& xWriteOptions, std::string* pxError = nullptr,
                        KFbxSceneKeySource* pxKeys = nullptr);
