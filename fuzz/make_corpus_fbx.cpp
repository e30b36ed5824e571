// Writes the seed corpus of fuzz_fbx_container: small files of every
// encoding made by our own writer. Usage: make_corpus_fbx OUTPUT_FOLDER
#include <cstdio>
#include <string>

#include "fbxsdk/fileio/kfcurve_io.h"

namespace {

using V = KFbxWriteValue;

KFbxWriteSection Scene() {
  KFbxWriteField xHeader("FBXHeaderExtension");
  xHeader.Child("FBXHeaderVersion", {V::Int(1003)});
  xHeader.Child("FBXVersion", {V::Int(6100)});
  xHeader.Child("Creator", {V::String("corpus")});
  KFbxWriteField& xStamp = xHeader.Child("CreationTimeStamp");
  xStamp.Child("Version", {V::Int(1000)});
  xStamp.Child("Year", {V::Int(2024)});
  xHeader.Child("OtherFlags").Child("FlagPLE", {V::Int(0)});
  KFbxWriteField xObjects("Objects");
  KFbxWriteField& xModel = xObjects.Child("Model", {V::ObjectName("Model", "Hips"), V::String("Limb")});
  xModel.Child("Properties60")
      .Child("Property", {V::String("Lcl Rotation"), V::String("A+"), V::Double(1.5), V::Float(2.5f), V::Int(3),
                          V::Int64(-4), V::Char('c')});
  xModel.Child("Blob", {V::Raw(std::string("\0\1\2", 3))});
  KFCurve xCurve;
  xCurve.KeyAppend(KTime(0), 1.0f);
  xCurve.KeyAppend(KTime(46186158000LL), 2.0f);
  return {xHeader, xObjects, KFCurveStoredField(xCurve, "Channel", 4005, true)};
}

bool Write(const std::string& xFolder, const char* pszName, const std::vector<KFbxWriteSection>& xSections,
           const KFbxWriteOptions& xOptions) {
  std::string xError;
  const bool bOk = KFbxWriteFile((xFolder + "/" + pszName).c_str(), xSections, xOptions, &xError);
  if (!bOk) std::fprintf(stderr, "%s: %s\n", pszName, xError.c_str());
  return bOk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_corpus_fbx OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string xFolder = argv[1];
  KFbxWriteOptions xBinary, xBig, xAscii, xEncrypted, xOld;
  xBig.m_bBigEndian = true;
  xAscii.m_bBinary = false;
  xEncrypted.m_bEncrypted = true;
  xEncrypted.m_xPassword = "fuzz";
  xOld.m_iHeaderVersion = 3000;
  xOld.m_iFirstFooterVersion = 5800;
  const KFbxWriteSection xScene = Scene();
  const KFbxWriteSection xSecond = {KFbxWriteField("Takes", {V::Int(1)})};
  bool bOk = Write(xFolder, "scene_le.fbx", {xScene}, xBinary);
  bOk = Write(xFolder, "scene_be.fbx", {xScene}, xBig) && bOk;
  bOk = Write(xFolder, "scene_ascii.fbx", {xScene}, xAscii) && bOk;
  bOk = Write(xFolder, "scene_encrypted.fbx", {xScene}, xEncrypted) && bOk;
  bOk = Write(xFolder, "sections.fbx", {xScene, xSecond, xSecond}, xOld) && bOk;
  return bOk ? 0 : 1;
}
