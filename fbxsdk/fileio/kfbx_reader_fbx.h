#pragma once

#include <cstddef>
#include <memory>

#include "fbxsdk/fileio/kfbx.h"
#include "fbxsdk/fileio/kfbx_reader.h"

class KFbxImporter;
class KStreamOptionsFbx;

// The FBX reader: opens a file through the container, offers the file's
// takes as default options and reads models, their hierarchy, properties
// and takes into a scene. Files of both generations are read: the older
// one keeps models at the top level with "Children" lists, the newer one
// in an "Objects" block with "Connections".
class KFbxReaderFbx : public KFbxReader {
 public:
  KFbxReaderFbx(KFbxSdkManager& xManager, KFbxImporter* pxImporter);
  ~KFbxReaderFbx() override;

  // Resolves the name against the current directory and opens it; the
  // container's failure codes 0 to 4 are kept, the others become 7.
  bool FileOpen(const char* pszFileName) override;
  // The same over bytes in memory (copied).
  bool FileOpenMemory(const void* pData, size_t uSize);
  bool FileClose() override;
  bool IsFileOpen() const override;
  // The file's takes ("Current" and one record per "Take"); made through
  // the manager, released there by the caller.
  KStreamOptions* GetReadOptions(bool bReportFailure) override;
  bool Read(KFbxSceneGraph& xScene, KStreamOptions* pxOptions) override;

  // After a successful open: 0 binary, 1 ASCII, 2 encrypted; the version.
  int GetFileEncoding() const;
  int GetFileVersion() const;
  // The current camera resolution of the header; false when the file gives
  // none (no mode, or a zero width or height).
  bool GetCameraResolution(KString& xCamera, KString& xMode, double& dWidth, double& dHeight) const;

  // A name with ":" or starting with two backslashes, or an absolute POSIX
  // path, is used as it is; any other is joined to the current directory.
  // "." and ".." components and doubled separators are then folded.
  static KString ResolveFileName(const char* pszFileName);

 private:
  bool Opened(bool bOpened);
  bool ReadDefaultTakes(KStreamOptionsFbx& xOptions);

  KFbxImporter* m_pxImporter;
  std::unique_ptr<KFbx> m_pxFbx;
  KFbxHeaderInfo m_xHeader;
  bool m_bOpen = false;
};
