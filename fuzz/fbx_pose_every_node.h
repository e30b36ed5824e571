#pragma once

class KFbxSceneGraph;

// Evaluates every node of the scene, in its current take, at three times:
// before, inside and after any keys. False when a pose holds a value that
// is not a number.
bool FbxPoseEveryNode(KFbxSceneGraph& xScene);
