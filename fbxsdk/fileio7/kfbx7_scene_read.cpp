#include "fbxsdk/fileio7/kfbx7_scene_read.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <new>

#include "fbxsdk/fileio/kfile.h"
#include "fbxsdk/fileio7/kfbx7_limits.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"

namespace {

// Frames per second of the time modes a "GlobalSettings" block names;
// mode 14 is a custom rate, given by "CustomFrameRate".
constexpr double kTimeModeRates[] = {0,        120, 100, 60,   50,     48,           30, 30, 29.97003,
                                     29.97003, 25,  24,  1000, 23.976, 0 /*custom*/, 96, 72, 59.94};
constexpr int kCustomTimeMode = 14;

}  // namespace

std::string KFbx7ObjectName(std::string_view xStored) {
  const size_t uSplit = xStored.find(std::string_view("\0\1", 2));
  if (uSplit == std::string_view::npos) return std::string(xStored);
  return std::string(xStored.substr(uSplit + 2)) + "::" + std::string(xStored.substr(0, uSplit));
}

std::string_view KFbx7BareName(std::string_view xName) {
  const size_t uSplit = xName.find("::");
  return uSplit == std::string_view::npos ? xName : xName.substr(uSplit + 2);
}

const KFbx7SceneRead::Object* KFbx7SceneRead::Find(int64_t llId) const {
  const auto it = m_xById.find(llId);
  return it == m_xById.end() ? nullptr : &m_xObjects[it->second];
}

const std::vector<KFbx7SceneRead::Link>& KFbx7SceneRead::Parents(int64_t llId) const {
  const auto it = m_xParents.find(llId);
  return it == m_xParents.end() ? m_xNoLinks : it->second;
}

const std::vector<KFbx7SceneRead::Link>& KFbx7SceneRead::Children(int64_t llId) const {
  const auto it = m_xChildren.find(llId);
  return it == m_xChildren.end() ? m_xNoLinks : it->second;
}

double KFbx7SceneRead::ChildNumber(int iRecord, const char* pszName, double dDefault) const {
  const int iChild = m_xDoc.Child(iRecord, pszName);
  const KFbx7Value& xValue = m_xDoc.Value(iChild < 0 ? KFbx7Document::kTop : iChild, 0);
  return iChild >= 0 && xValue.IsNumber() ? xValue.m_dReal : dDefault;
}

// Objects by id: the first value of each record of "Objects"; a second
// object of one id is ignored.
bool KFbx7SceneRead::IndexObjects(std::string& xWhy) {
  const int iObjects = m_xDoc.Child(KFbx7Document::kTop, "Objects");
  if (iObjects < 0) return true;
  for (int i = m_xDoc.FirstChild(iObjects); i >= 0; i = m_xDoc.NextSibling(i)) {
    if (m_xObjects.size() >= static_cast<size_t>(kFbx7MaxObjects)) {
      xWhy = "more than " + std::to_string(kFbx7MaxObjects) + " objects";
      return false;
    }
    const KFbx7Value& xId = m_xDoc.Value(i, 0);
    if (xId.m_cType != 'L' && xId.m_cType != 'I') continue;
    Object xObject{i, xId.m_llInt, m_xDoc.Name(i), KFbx7ObjectName(m_xDoc.Text(m_xDoc.Value(i, 1))),
                   m_xDoc.Text(m_xDoc.Value(i, 2))};
    if (m_xById.emplace(xObject.m_llId, m_xObjects.size()).second) m_xObjects.push_back(std::move(xObject));
  }
  return true;
}

// "C" records: kind, child id, parent id and, for "OP", the property.
bool KFbx7SceneRead::IndexConnections(std::string& xWhy) {
  const int iConnections = m_xDoc.Child(KFbx7Document::kTop, "Connections");
  if (iConnections < 0) return true;
  int iCount = 0;
  for (int i = m_xDoc.FirstChild(iConnections); i >= 0; i = m_xDoc.NextSibling(i)) {
    if (++iCount > kFbx7MaxConnections) {
      xWhy = "more than " + std::to_string(kFbx7MaxConnections) + " connections";
      return false;
    }
    const std::string_view xKind = m_xDoc.Text(m_xDoc.Value(i, 0));
    const KFbx7Value& xChild = m_xDoc.Value(i, 1);
    const KFbx7Value& xParent = m_xDoc.Value(i, 2);
    if (m_xDoc.Name(i) != "C" || !xChild.IsNumber() || !xParent.IsNumber()) continue;
    const bool bProperty = xKind == "OP";
    if (!bProperty && xKind != "OO") continue;
    const std::string_view xProperty = bProperty ? m_xDoc.Text(m_xDoc.Value(i, 3)) : std::string_view();
    m_xParents[xChild.m_llInt].push_back({xParent.m_llInt, xProperty, bProperty});
    m_xChildren[xParent.m_llInt].push_back({xChild.m_llInt, xProperty, bProperty});
    if (!bProperty) m_xObjectLinks.emplace_back(xChild.m_llInt, xParent.m_llInt);
  }
  return true;
}

void KFbx7SceneRead::ReadGlobalSettings() {
  const int iSettings = m_xDoc.Child(KFbx7Document::kTop, "GlobalSettings");
  const int iProperties = iSettings < 0 ? -1 : m_xDoc.Child(iSettings, "Properties70");
  if (iProperties < 0) return;
  int iMode = kCustomTimeMode;
  double dCustom = 0.0;
  for (int i = m_xDoc.FirstChild(iProperties); i >= 0; i = m_xDoc.NextSibling(i)) {
    const std::string_view xName = m_xDoc.Text(m_xDoc.Value(i, 0));
    const KFbx7Value& xValue = m_xDoc.Value(i, 4);
    if (xName == "TimeMode" && xValue.IsNumber()) iMode = static_cast<int>(xValue.m_llInt);
    if (xName == "CustomFrameRate" && xValue.IsNumber()) dCustom = xValue.m_dReal;
  }
  const int iModes = static_cast<int>(sizeof kTimeModeRates / sizeof kTimeModeRates[0]);
  const double dRate = iMode == kCustomTimeMode ? dCustom : iMode > 0 && iMode < iModes ? kTimeModeRates[iMode] : 0;
  m_xInfo.m_dFrameRate = dRate > 0 && dRate < 1e6 ? dRate : 0.0;
}

bool KFbx7SceneRead::Run(std::string& xWhy) {
  m_xInfo.m_iVersion = m_xDoc.Version();
  m_xInfo.m_bBinary = m_xDoc.IsBinary();
  try {
    ReadGlobalSettings();
    if (!IndexObjects(xWhy) || !IndexConnections(xWhy) || !ReadModels(xWhy) || !BuildHierarchy(xWhy) ||
        !ReadStacks(xWhy))
      return false;
  } catch (const std::bad_alloc&) {
    xWhy = "out of memory while reading the scene";
    return false;
  }
  m_xScene.RootNode()->FixOldModelInheritTypes();
  // The take the file names current, when it is one of the stacks.
  const int iTakes = m_xDoc.Child(KFbx7Document::kTop, "Takes");
  const int iCurrent = iTakes < 0 ? -1 : m_xDoc.Child(iTakes, "Current");
  const std::string xCurrent(iCurrent < 0 ? std::string_view() : m_xDoc.Text(m_xDoc.Value(iCurrent, 0)));
  if (!xCurrent.empty() && m_xScene.FindTakeInfo(xCurrent.c_str())) {
    m_xScene.SelectTake(xCurrent.c_str());
    m_xScene.SetFileCurrentTakeName(xCurrent.c_str());
  }
  return true;
}

int KFbx7FileVersion(const char* pszPath, bool* pbBinary) {
  std::FILE* pxFile = KFileOpenUtf8(pszPath, "rb");
  if (!pxFile) return 0;
  uint8_t auHead[128];
  const size_t uRead = std::fread(auHead, 1, sizeof auHead, pxFile);
  std::fclose(pxFile);
  return KFbx7Document::SniffVersion(auHead, uRead, pbBinary);
}

namespace {

bool ReadDocument(KFbx7Bytes xBytes, KFbxSdkManager& xManager, KFbxSceneGraph& xScene, KFbx7FileInfo* pxInfo,
                  std::string* pxError) {
  KFbx7Document xDocument;
  KFbx7FileInfo xInfo;
  // The version is told even when the file cannot be read.
  xInfo.m_iVersion = KFbx7Document::SniffVersion(xBytes.data(), xBytes.size(), &xInfo.m_bBinary);
  std::string xWhy;
  const bool bOk =
      xDocument.Parse(std::move(xBytes), xWhy) && KFbx7SceneRead(xDocument, xManager, xScene, xInfo).Run(xWhy);
  if (pxInfo) *pxInfo = xInfo;
  if (pxError) *pxError = xWhy;
  return bOk;
}

// The file's bytes: mapped where the system can (nothing is copied, and
// only the pages read are touched), else read into a buffer.
bool FileBytes(const char* pszPath, KFbx7Bytes& xOut) {
#ifndef _WIN32
  const int iFile = open(pszPath, O_RDONLY);
  struct stat xInfo;
  if (iFile >= 0 && fstat(iFile, &xInfo) == 0 && S_ISREG(xInfo.st_mode) && xInfo.st_size > 0) {
    const size_t uSize = static_cast<size_t>(xInfo.st_size);
    void* pMap = mmap(nullptr, uSize, PROT_READ, MAP_PRIVATE, iFile, 0);
    close(iFile);
    if (pMap == MAP_FAILED) return false;
    std::shared_ptr<const void> pxOwner(pMap, [uSize](const void* p) { munmap(const_cast<void*>(p), uSize); });
    xOut = KFbx7Bytes(std::move(pxOwner), static_cast<const uint8_t*>(pMap), uSize);
    return true;
  }
  if (iFile >= 0) close(iFile);
#endif
  std::FILE* pxFile = KFileOpenUtf8(pszPath, "rb");
  if (!pxFile) return false;
  std::vector<uint8_t> xBytes;
  uint8_t auBlock[1 << 16];
  for (size_t uRead; (uRead = std::fread(auBlock, 1, sizeof auBlock, pxFile)) > 0;)
    xBytes.insert(xBytes.end(), auBlock, auBlock + uRead);
  const bool bOk = !std::ferror(pxFile);
  std::fclose(pxFile);
  xOut = KFbx7Bytes(std::move(xBytes));
  return bOk;
}

}  // namespace

bool KFbx7ReadFile(const char* pszPath, KFbxSdkManager& xManager, KFbxSceneGraph& xScene, KFbx7FileInfo* pxInfo,
                   std::string* pxError) {
  KFbx7Bytes xBytes;
  bool bRead = false;
  try {
    bRead = FileBytes(pszPath ? pszPath : "", xBytes);
  } catch (const std::bad_alloc&) {
  }
  if (!bRead) {
    if (pxError) *pxError = std::string("cannot read ") + (pszPath ? pszPath : "");
    return false;
  }
  return ReadDocument(std::move(xBytes), xManager, xScene, pxInfo, pxError);
}

bool KFbx7ReadMemory(const void* pData, size_t uSize, KFbxSdkManager& xManager, KFbxSceneGraph& xScene,
                     KFbx7FileInfo* pxInfo, std::string* pxError) {
  const uint8_t* p = static_cast<const uint8_t*>(pData);
  return ReadDocument(KFbx7Bytes(std::vector<uint8_t>(p, p + uSize)), xManager, xScene, pxInfo, pxError);
}
