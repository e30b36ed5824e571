#pragma once
// A scene laid out as a 7.x FBX file: the header extension, "GlobalSettings"
// (frame rate and time span), "Definitions", "Objects" (a "NodeAttribute"
// and a "Model" per node, per take an "AnimationStack" with one
// "AnimationLayer", and per node the take animates three
// "AnimationCurveNode"s for "Lcl Translation", "Lcl Rotation" and
// "Lcl Scaling" with an "AnimationCurve" per axis), "Connections" and
// "Takes". Keys go from the curves to the file as each node's take node is
// written, so a caller can make them while the file is written.

#include <string>
#include <vector>

#include "fbxsdk/fileio/kfbx_scene_fields.h"
#include "fbxsdk/fileio/kfbx_writer7.h"

class KFbxFieldSink;
class KFbxSceneGraph;

struct KFbx7SceneOptions {
  // The takes to write, by exact name; empty: every take of the scene.
  std::vector<std::string> m_xTakes;
  // "GlobalSettings" frame rate (frames per second).
  double m_dFrameRate = 30.0;
};

// The whole scene into xOut's top level, for a file of version iVersion.
void KFbx7PutScene(KFbxFieldSink& xOut, KFbxSceneGraph& xScene, const KFbx7SceneOptions& xOptions, int iVersion,
                   KFbxSceneKeySource* pxKeys = nullptr);

// The scene as a 7.x file at pszPath. False with the reason in *pxError;
// a file that failed is removed.
bool KFbx7WriteSceneFile(const char* pszPath, KFbxSceneGraph& xScene, const KFbx7SceneOptions& xOptions,
                         const KFbx7WriteOptions& xWrite, std::string* pxError = nullptr,
                         KFbxSceneKeySource* pxKeys = nullptr);
