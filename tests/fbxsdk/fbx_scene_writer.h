#pragma once

#include <string>

#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "fbxsdk/fileio/kfbx_writer.h"
#include "fbxsdk/scene/kfbx_matrix.h"

class KFbxSceneGraph;
class KFbxSdkManager;

// The test program's own temporary folder, without its trailing "/".
const std::string& TestFolder();

// The skeleton scene the import tests write in every form: a "Reference"
// null at the top with Hips (an old-model root joint with pivots, pre- and
// post-rotation and inherit type 2) and below it Spine and LeftUpLeg ->
// LeftLeg (inherit type 0). Take "Walk" animates T, R and S with every
// interpolation and extrapolation; take "Run" moves the hips; "Walk" is
// current.
KFbxSceneGraph* BuildSkeletonScene(KFbxSdkManager& xManager);

// One way of writing a scene.
struct SceneForm {
  const char* m_pszName;
  int m_iVersion;  // 5000: older form, 6100: newer form
  bool m_bBinary;
  bool m_bBigEndian;
  int m_iHeaderVersion;   // version in the binary header or ASCII first line
  bool m_bTypeField;      // newer form: "Type" beside the subtype
  bool m_bRunInTakeFile;  // take "Run" goes to a take file of its own
};

// Writes the scene to <folder>/<name>.fbx (and its take files); the path,
// or "" after a failed write (the reason then in *pxError).
std::string WriteScene(KFbxSceneGraph& xScene, const SceneForm& xForm, const std::string& xName,
                       std::string* pxError = nullptr);

// The global matrix a node of the skeleton scene has at a time in take
// "Walk" or "Run", computed here from the scene's description alone.
Matrix44 ExpectedGlobal(const char* pszNode, const char* pszTake, double dSeconds);
