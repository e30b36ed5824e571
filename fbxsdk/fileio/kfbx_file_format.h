#pragma once

#include <memory>

class KFbxImporter;
class KFbxReader;
class KFbxSdkManager;

// File formats the importer can read, by code. Codes 0 to 2 are the FBX
// encodings, all read by the FBX reader; the importer rewrites them to the
// encoding the file turns out to have.
enum EKFbxFileFormat {
  eKFBX_FORMAT_FBX_BINARY = 0,
  eKFBX_FORMAT_FBX_ASCII = 1,
  eKFBX_FORMAT_FBX_ENCRYPTED = 2,
  eKFBX_FORMAT_DXF = 3,
  eKFBX_FORMAT_3DS = 4,
  eKFBX_FORMAT_OBJ = 5,
  eKFBX_FORMAT_BIOVISION = 6,
  eKFBX_FORMAT_HTR = 7,
  eKFBX_FORMAT_TRC = 8,
  eKFBX_FORMAT_ASF = 9,
  eKFBX_FORMAT_AMC = 10,
  eKFBX_FORMAT_C3D = 11,
  eKFBX_FORMAT_AOA = 12,
  eKFBX_FORMAT_MCD = 13,
  eKFBX_FORMAT_VPM = 14,
  eKFBX_FORMAT_MOV = 15,
  eKFBX_FORMAT_BRD = 16,
  eKFBX_FORMAT_COUNT
};

inline bool KFbxIsFbxFormat(int iFormat) {
  return iFormat >= eKFBX_FORMAT_FBX_BINARY && iFormat <= eKFBX_FORMAT_FBX_ENCRYPTED;
}

// Description ("FBX binary (*.fbx)") and extension ("fbx") of a format
// code; "" for a code outside the table.
const char* KFbxFileFormatDescription(int iFormat);
const char* KFbxFileFormatExtension(int iFormat);

// A new reader for a format code; null for a code outside the table or when
// memory runs out. The FBX reader is given the importer that owns it.
std::unique_ptr<KFbxReader> KFbxCreateReader(int iFormat, KFbxSdkManager& xManager, KFbxImporter* pxImporter);
