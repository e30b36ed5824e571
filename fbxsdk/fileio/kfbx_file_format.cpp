#include "fbxsdk/fileio/kfbx_file_format.h"

#include <new>

#include "fbxsdk/fileio/kfbx_reader_fbx.h"
#include "fbxsdk/fileio/kfbx_reader_other.h"

namespace {

constexpr const char* kDescriptions[] = {
    "FBX binary (*.fbx)",          "FBX ascii (*.fbx)",     "FBX encrypted (*.fbx)", "Autocad DXF (*.dxf)",
    "3D Studio 3DS (*.3ds)",       "Pelox OBJ (*.obj)",     "Biovision (*.bvh)",     "Motion Analysis (*.htr)",
    "Motion Analysis (*.trc)",     "Acclaim ASF (*.asf)",   "Acclaim AMC (*.amc)",   "Vicon C3D (*.c3d)",
    "Adaptive Optics AOA (*.aoa)", "Superfluo MCD (*.mcd)", "Puppeteer VPM (*.vpm)", "Wavefront MOV (*.mov)",
    "Ascension BRD (*.brd)",
};
constexpr const char* kExtensions[] = {"fbx", "fbx", "fbx", "dxf", "3ds", "obj", "bvh", "htr", "trc",
                                       "asf", "amc", "c3d", "aoa", "mcd", "vpm", "mov", "brd"};
static_assert(sizeof(kDescriptions) / sizeof(kDescriptions[0]) == eKFBX_FORMAT_COUNT, "one description per format");
static_assert(sizeof(kExtensions) / sizeof(kExtensions[0]) == eKFBX_FORMAT_COUNT, "one extension per format");

bool InTable(int iFormat) { return iFormat >= 0 && iFormat < eKFBX_FORMAT_COUNT; }

std::unique_ptr<KFbxReader> MakeReader(int iFormat, KFbxSdkManager& xManager, KFbxImporter* pxImporter) {
  switch (iFormat) {
    case eKFBX_FORMAT_FBX_BINARY:
    case eKFBX_FORMAT_FBX_ASCII:
    case eKFBX_FORMAT_FBX_ENCRYPTED:
      return std::make_unique<KFbxReaderFbx>(xManager, pxImporter);
    case eKFBX_FORMAT_DXF:
      return std::make_unique<KFbxReaderDxf>(xManager);
    case eKFBX_FORMAT_3DS:
      return std::make_unique<KFbxReader3DS>(xManager);
    case eKFBX_FORMAT_OBJ:
      return std::make_unique<KFbxReaderObj>(xManager);
    case eKFBX_FORMAT_BIOVISION:
      return std::make_unique<KFbxReaderBiovision>(xManager);
    case eKFBX_FORMAT_HTR:
      return std::make_unique<KFbxReaderMotionAnalysisHtr>(xManager);
    case eKFBX_FORMAT_TRC:
      return std::make_unique<KFbxReaderMotionAnalysisTrc>(xManager);
    case eKFBX_FORMAT_ASF:
      return std::make_unique<KFbxReaderAcclaimAsf>(xManager);
    case eKFBX_FORMAT_AMC:
      return std::make_unique<KFbxReaderAcclaimAmc>(xManager);
    case eKFBX_FORMAT_C3D:
      return std::make_unique<KFbxReaderVicon>(xManager);
    case eKFBX_FORMAT_AOA:
      return std::make_unique<KFbxReaderAdaptiveOptics>(xManager, false);
    case eKFBX_FORMAT_MCD:
      return std::make_unique<KFbxReaderAdaptiveOptics>(xManager, true);
    case eKFBX_FORMAT_VPM:
      return std::make_unique<KFbxReaderPuppeteer>(xManager);
    case eKFBX_FORMAT_MOV:
      return std::make_unique<KFbxReaderWavefrontMov>(xManager);
    case eKFBX_FORMAT_BRD:
      return std::make_unique<KFbxReaderAscension>(xManager);
    default:
      return nullptr;
  }
}

}  // namespace

const char* KFbxFileFormatDescription(int iFormat) { return InTable(iFormat) ? kDescriptions[iFormat] : ""; }

const char* KFbxFileFormatExtension(int iFormat) { return InTable(iFormat) ? kExtensions[iFormat] : ""; }

std::unique_ptr<KFbxReader> KFbxCreateReader(int iFormat, KFbxSdkManager& xManager, KFbxImporter* pxImporter) {
  try {
    return MakeReader(iFormat, xManager, pxImporter);
  } catch (const std::bad_alloc&) {
    return nullptr;  // no memory for the reader
  }
}
