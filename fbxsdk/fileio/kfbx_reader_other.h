#pragma once

#include "fbxsdk/fileio/kfbx_file_format.h"
#include "fbxsdk/fileio/kfbx_reader.h"

// The readers of the interchange formats other than FBX. This library does
// not read their content: a reader opens an existing regular file, offers
// no default options, and its read fails with a status text naming the
// format and the file, so the import ends cleanly with nothing read.
class KFbxReaderOtherFormat : public KFbxReader {
 public:
  KFbxReaderOtherFormat(KFbxSdkManager& xManager, int iFileFormat);

  bool FileOpen(const char* pszFileName) override;
  bool FileClose() override;
  bool IsFileOpen() const override { return m_bOpen; }
  KStreamOptions* GetReadOptions(bool bReportFailure) override;
  bool Read(KFbxSceneGraph& xScene, KStreamOptions* pxOptions) override;

 private:
  KString NotSupported() const;

  KString m_xFileName;
  bool m_bOpen = false;
};

// One named reader per format code.
template <int iFormat>
class KFbxReaderFormat : public KFbxReaderOtherFormat {
 public:
  explicit KFbxReaderFormat(KFbxSdkManager& xManager) : KFbxReaderOtherFormat(xManager, iFormat) {}
};

using KFbxReaderDxf = KFbxReaderFormat<eKFBX_FORMAT_DXF>;
using KFbxReader3DS = KFbxReaderFormat<eKFBX_FORMAT_3DS>;
using KFbxReaderObj = KFbxReaderFormat<eKFBX_FORMAT_OBJ>;
using KFbxReaderBiovision = KFbxReaderFormat<eKFBX_FORMAT_BIOVISION>;
using KFbxReaderMotionAnalysisHtr = KFbxReaderFormat<eKFBX_FORMAT_HTR>;
using KFbxReaderMotionAnalysisTrc = KFbxReaderFormat<eKFBX_FORMAT_TRC>;
using KFbxReaderAcclaimAsf = KFbxReaderFormat<eKFBX_FORMAT_ASF>;
using KFbxReaderAcclaimAmc = KFbxReaderFormat<eKFBX_FORMAT_AMC>;
using KFbxReaderVicon = KFbxReaderFormat<eKFBX_FORMAT_C3D>;
using KFbxReaderPuppeteer = KFbxReaderFormat<eKFBX_FORMAT_VPM>;
using KFbxReaderWavefrontMov = KFbxReaderFormat<eKFBX_FORMAT_MOV>;
using KFbxReaderAscension = KFbxReaderFormat<eKFBX_FORMAT_BRD>;

// Adaptive Optics files come in two variants: AOA (flag clear) and the
// Superfluo MCD form (flag set).
class KFbxReaderAdaptiveOptics : public KFbxReaderOtherFormat {
 public:
  KFbxReaderAdaptiveOptics(KFbxSdkManager& xManager, bool bSuperfluo)
      : KFbxReaderOtherFormat(xManager, bSuperfluo ? eKFBX_FORMAT_MCD : eKFBX_FORMAT_AOA), m_bSuperfluo(bSuperfluo) {}
  bool IsSuperfluo() const { return m_bSuperfluo; }

 private:
  bool m_bSuperfluo;
};
