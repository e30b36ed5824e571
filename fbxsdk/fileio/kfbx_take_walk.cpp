#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>

#include "fbxsdk/fileio/kfbx_reader.h"
#include "fbxsdk/fileio/kfbx_scene_walk.h"
#include "fbxsdk/fileio/kfcurve_io.h"
#include "fbxsdk/fileio/kfile.h"
#include "fbxsdk/fileio/kstream_options_fbx.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"

namespace {

// Layer types a file may give a curve node; others read as 0.
constexpr int kLayerTypeCount = KFCL_QUAT + 1;
// The binary magic and the ASCII first line are found in this many bytes.
constexpr size_t kHeaderProbeSize = 64;

bool IsAbsolute(const KString& xPath) {
  return xPath[0] == '/' || xPath[0] == '\\' || xPath.Find(':') != KString::kNotFound;
}

KString JoinFolder(const char* pszFolder, const KString& xName) {
  if (IsAbsolute(xName)) return xName;
  KString xPath(pszFolder);
  const char cLast = xPath.IsEmpty() ? '\0' : xPath[xPath.GetLen() - 1];
  if (cLast != '/' && cLast != '\\') xPath += '/';
  return xPath + xName;
}

// A regular file that starts like an FBX file: the binary magic or an
// ASCII first line ";" ... "project file". Take files named by a file are
// opened only when they pass, so a name reaching outside the file's folder
// never makes the reader read something that is not an FBX file.
bool LooksLikeFbxFile(const KString& xPath) {
#ifndef _WIN32
  // Devices and pipes could block a read; Windows' wide open refuses
  // folders and devices itself.
  struct stat xInfo;
  if (stat(xPath.Buffer(), &xInfo) != 0 || !S_ISREG(xInfo.st_mode)) return false;
#endif
  // Names are UTF-8: a take file in a folder named outside ASCII opens on
  // Windows too.
  std::FILE* pxFile = KFileOpenUtf8(xPath.Buffer(), "rb");
  if (!pxFile) return false;
  char acHead[kHeaderProbeSize + 1] = {};
  const size_t uRead = std::fread(acHead, 1, kHeaderProbeSize, pxFile);
  std::fclose(pxFile);
  const KString xHead(acHead, uRead);
  if (xHead.Left(18).CompareNoCase("Quorvex FBX Binary") == 0) return true;
  const int iEnd = xHead.Find('\n');
  const KString xLine = (iEnd < 0 ? xHead : xHead.Left(static_cast<size_t>(iEnd))).Lower();
  return xLine[0] == ';' && xLine.Find("project file") != KString::kNotFound;
}

bool IsKind(const KFCurveNode& xNode, const char* pszLetter, const KFbxDataType& xType, const char* pszWord) {
  const char* pszName = xNode.GetName();
  return std::strcmp(pszName, pszLetter) == 0 || xNode.GetDataType() == &xType ||
         (pszWord && std::strstr(pszName, pszWord));
}

// After a "Channel" block: rotation nodes with three children rotate as a
// whole, translation adds, scaling multiplies.
void SettleLayerType(KFCurveNode& xNode) {
  if (IsKind(xNode, "R", KDataTypeLclRotation, nullptr)) {
    if (xNode.GetCount() == 3)
      xNode.SetLayerType(KFCL_EULER_XYZ);
    else if (xNode.GetLayerType() == KFCL_EULER_XYZ)
      xNode.SetLayerType(KFCL_NOLAYER);
  } else if (IsKind(xNode, "T", KDataTypeLclTranslation, "Translation")) {
    xNode.SetLayerType(KFCL_ADD);
  } else if (IsKind(xNode, "S", KDataTypeLclScaling, "Scaling")) {
    xNode.SetLayerType(KFCL_MULT);
  }
}

// The child a "Channel" name picks, made when missing.
KFCurveNode& ChannelChild(KFCurveNode& xParent, const KString& xName) {
  const KFbxDataType* pxType = xName == "T"   ? &KDataTypeLclTranslation
                               : xName == "R" ? &KDataTypeLclRotation
                               : xName == "S" ? &KDataTypeLclScaling
                                              : nullptr;
  for (int i = 0; i < xParent.GetCount(); ++i) {
    KFCurveNode* pxChild = xParent.Get(i);
    if (pxType ? pxChild->GetDataType() == pxType : xName == pxChild->GetName()) return *pxChild;
  }
  return *xParent.Add(std::make_unique<KFCurveNode>(xName));
}

bool ListHasField(const KFbx& xFbx, const char* pszName) {
  for (int i = 0; i < xFbx.GetFieldCount(); ++i)
    if (std::strcmp(xFbx.GetFieldName(i), pszName) == 0) return true;
  return false;
}

// The part of a "Channel" block before its children: user name, curve,
// layer.
void ReadChannelHead(KFbx& xFbx, KFCurveNode& xNode) {
  xFbx.FieldString("UserName");
  // The curve's fields stand in the channel's own block. Read straight into
  // the node's curve (a "Default" take node's curve passes its default value
  // on to its property); a node without a curve gets one only when the block
  // stores one.
  if (ListHasField(xFbx, "Default")) {
    KFCurve* pxCurve = xNode.FCurveGet() ? xNode.FCurveGet() : xNode.FCurveCreate();
    KFCurveRetrieveMembers(xFbx, *pxCurve, true);
  }
  xFbx.FieldInt("LayerID");
  const int iLayerType = xFbx.FieldInt("LayerType");
  xNode.SetLayerType(iLayerType >= 0 && iLayerType < kLayerTypeCount ? iLayerType : KFCL_NOLAYER);
}

}  // namespace

// The "Channel" fields of the current list go into xRoot's tree, depth
// first through an explicit stack. Channels nested deeper than the limit
// are skipped.
bool KFbxSceneWalk::ReadChannels(KFbx& xFbx, KFCurveNode& xRoot) {
  std::vector<KFCurveNode*> xStack{&xRoot};
  while (true) {
    if (xFbx.BeginField("Channel")) {
      KFCurveNode& xChild = ChannelChild(*xStack.back(), xFbx.NextString());
      if (static_cast<int>(xStack.size()) > kKFbxMaxChannelDepth || !xFbx.EnterBlock()) {
        xFbx.EndField();
        continue;
      }
      ReadChannelHead(xFbx, xChild);
      xStack.push_back(&xChild);
      continue;
    }
    if (xStack.size() == 1) return true;
    xFbx.FieldInt("TimeWarpID");  // "LayerChannel" fields hold nothing the scene keeps
    SettleLayerType(*xStack.back());
    xStack.pop_back();
    xFbx.LeaveBlock();
    xFbx.EndField();
  }
}

void KFbxReadTakeRecordFields(KFbx& xFbx, KFbxTakeRecord& xRecord) {
  xRecord.m_xDescription = xFbx.FieldString("Comments");
  const struct {
    const char* m_pszField;
    KTimeSpan* m_pxSpan;
  } axSpans[] = {{"LocalTime", &xRecord.m_xLocalTimeSpan}, {"ReferenceTime", &xRecord.m_xReferenceTimeSpan}};
  for (const auto& xSpan : axSpans) {
    if (!xFbx.BeginField(xSpan.m_pszField)) continue;
    if (xFbx.GetRemainingValueCount() >= 2) {
      const KTime xStart(xFbx.NextInt64());
      *xSpan.m_pxSpan = KTimeSpan(xStart, KTime(xFbx.NextInt64()));
    }
    xFbx.EndField();
  }
}

bool KFbxOpenTakeFile(const KFbx& xMain, KFbx& xTakeFile, const KString& xFileName, const KString& xPassword) {
  if (xFileName.IsEmpty() || !*xMain.GetFolder()) return false;  // a file read from memory has no folder
  const KString xPath = JoinFolder(xMain.GetFolder(), xFileName);
  if (!LooksLikeFbxFile(xPath) || !xTakeFile.ProjectOpenDirect(xPath)) return false;
  if (xTakeFile.IsEncrypted() && !xTakeFile.SetPassword(xPassword)) {
    xTakeFile.ProjectClose();
    return false;
  }
  return true;
}

// Options without take records (made by a caller, or the defaults of an
// encrypted file whose takes cannot be seen before the password is given)
// read every take of the file and make the file's current take current.
bool KFbxSceneWalk::ReadTakes() {
  if (!m_xFbx.BeginField("Takes")) return true;
  if (!m_xFbx.EnterBlock()) {
    m_xFbx.EndField();
    return true;
  }
  const bool bAll = m_xOptions.m_xTakeInfos.empty();
  m_xCurrentTake = m_xOptions.m_xCurrentTakeName;
  if (bAll && m_xCurrentTake.IsEmpty()) m_xCurrentTake = m_xFbx.FieldString("Current");
  bool bOk = true;
  for (int iTake = 0; bOk && m_xFbx.BeginField("Take"); ++iTake) {
    const KString xName = m_xFbx.NextString();
    KFbxTakeRecord xAll(xName);
    KFbxTakeRecord* pxRecord = bAll ? &xAll : m_xOptions.FindTakeInfo(xName);
    if (iTake >= kKFbxMaxTakes)
      bOk = Fail(KFbxReader::eFILE_CORRUPTED, KString("more than ") + std::to_string(kKFbxMaxTakes).c_str() + " takes");
    else if (pxRecord && pxRecord->m_bImport && m_xFbx.EnterBlock())
      bOk = ReadTake(xName, *pxRecord), m_xFbx.LeaveBlock();
    m_xFbx.EndField();
  }
  m_xFbx.LeaveBlock();
  m_xFbx.EndField();
  return bOk;
}

// One take from its block or its take file; the scene then holds a copy of
// its record, and every object named in it a take node of its name.
bool KFbxSceneWalk::ReadTake(const KString& xName, KFbxTakeRecord& xRecord) {
  Progress(KString("Retrieving take ") + xName);
  // Records made here (not from the defaults) take the take's own texts.
  const bool bFillRecord = xRecord.m_xDescription.IsEmpty() && xRecord.m_xLocalTimeSpan == KTimeSpan();
  const KString xFileName = m_xFbx.FieldString("FileName");
  std::unordered_set<KFbxNode*> xFilled;
  if (xFileName.IsEmpty() && bFillRecord) KFbxReadTakeRecordFields(m_xFbx, xRecord);
  if (!xFileName.IsEmpty()) {
    KFbx xTakeFile;
    if (KFbxOpenTakeFile(m_xFbx, xTakeFile, xFileName, m_xOptions.m_xPassword)) {
      if (bFillRecord) KFbxReadTakeRecordFields(xTakeFile, xRecord);
      if (!ReadTakeObjects(xTakeFile, xName, xFilled)) return false;
    } else if (!m_xFbx.IsNewFormat()) {
      const int iCode = xTakeFile.GetError().GetLastErrorID();
      return Fail(iCode <= KFbxReader::eFILE_NOT_CREATED ? iCode : KFbxReader::eFILE_NOT_OPENED,
                  KString("cannot read take file ") + xFileName + " of take " + xName);
    } else {
      if (bFillRecord) KFbxReadTakeRecordFields(m_xFbx, xRecord);
      if (!ReadTakeObjects(m_xFbx, xName, xFilled)) return false;
    }
  } else if (!ReadTakeObjects(m_xFbx, xName, xFilled)) {
    return false;
  }
  // Only the objects the take names get a take node of its name: the others
  // fall back to their "Default" take node when the take is selected, and
  // the order of take names a scene collects (which decides the take the
  // skeleton plays) follows the objects that do hold it.
  m_xScene.AddTakeInfo(xRecord);
  return true;
}

// A take node of the take's name on a node that lacks one; false past the
// limit.
bool KFbxSceneWalk::AddTakeNode(KFbxNode& xNode, const KString& xTake, std::unordered_set<KFbxNode*>& xFilled) {
  if (!xFilled.insert(&xNode).second) return true;
  if (m_iTakeNodes >= kKFbxMaxTakeNodes)
    return Fail(KFbxReader::eFILE_CORRUPTED,
                KString("more than ") + std::to_string(kKFbxMaxTakeNodes).c_str() + " take nodes");
  ++m_iTakeNodes;
  if (!xNode.AddTakeNode(xTake)) throw std::bad_alloc();
  return true;
}

// The "Model" fields of a take: each names a node whose take node of the
// take's name is filled from the field's "Channel" tree.
bool KFbxSceneWalk::ReadTakeObjects(KFbx& xFbx, const KString& xTake, std::unordered_set<KFbxNode*>& xFilled) {
  const int iTotal = xFbx.GetFieldOccurrenceCount("Model");
  for (int iDone = 0; xFbx.BeginField("Model"); ++iDone) {
    if (iTotal > 0)
      Progress(KString("Retrieving take ") + xTake + " " + std::to_string(iDone * 100 / iTotal).c_str() + "%");
    auto it = m_xNodesByName.find((KString("Model::") + KFbxStripNamePrefix(xFbx.NextString())).Buffer());
    KFbxNode* pxNode = it == m_xNodesByName.end() ? nullptr : it->second;
    if (pxNode && !xFilled.count(pxNode)) {
      if (!AddTakeNode(*pxNode, xTake, xFilled)) return false;
      TakeNode* pxTakeNode = pxNode->GetTakeNode(pxNode->GetTakeNodeCount() - 1);
      if (xFbx.EnterBlock()) {
        ReadChannels(xFbx, *pxTakeNode->GetKFCurveNode());
        xFbx.LeaveBlock();
      }
    }
    xFbx.EndField();
  }
  return true;
}
