#pragma once
// Our reader of 7.x FBX files (binary 7100 to 7700, and ASCII) into the
// scene library's scene: models with their properties, node attributes and
// hierarchy, and one take per animation stack, filled into the same nodes,
// properties and curves the 5.x/6.x reader fills, so a node poses the same
// whichever generation it came from. The module does not use it: its
// importer refuses 7.x files; the command line reads them through this.

#include <cstddef>
#include <string>
#include <vector>

class KFbxSceneGraph;
class KFbxSdkManager;

// What a read found beside the scene.
struct KFbx7FileInfo {
  int m_iVersion = 0;
  bool m_bBinary = false;
  // Frames per second from "GlobalSettings" (its custom frame rate, or the
  // rate of its time mode); 0 when the file gives none.
  double m_dFrameRate = 0.0;
  // Every animation stack, in file order, with the names of its layers:
  // the first layer's curves make the take, further layers are not blended.
  struct Stack {
    std::string m_xName;
    std::vector<std::string> m_xLayers;
  };
  std::vector<Stack> m_xStacks;
};

// The version of a 7.x file from its first bytes: 0 when the file cannot be
// opened or does not start like an FBX file of version 7000 or later.
int KFbx7FileVersion(const char* pszPath, bool* pbBinary = nullptr);

// Reads the file into the scene (which should be empty). False with the
// reason in *pxError: a file that is not a 7.x file, breaks the layout or
// passes a limit (kfbx7_limits.h); the scene may then hold part of the file.
bool KFbx7ReadFile(const char* pszPath, KFbxSdkManager& xManager, KFbxSceneGraph& xScene,
                   KFbx7FileInfo* pxInfo = nullptr, std::string* pxError = nullptr);
// The same from bytes in memory.
bool KFbx7ReadMemory(const void* pData, size_t uSize, KFbxSdkManager& xManager, KFbxSceneGraph& xScene,
                     KFbx7FileInfo* pxInfo = nullptr, std::string* pxError = nullptr);
