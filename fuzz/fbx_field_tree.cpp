#include "fbx_field_tree.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "fbxsdk/fileio/kfbx.h"
#include "fbxsdk/fileio/kfbx_bytes.h"

namespace {

using V = KFbxWriteValue;

constexpr size_t kBinaryVersionAt = 23;  // after the magic, its zero byte, one free byte and the byte order
constexpr size_t kBinaryHeaderSize = 27;
constexpr size_t kMaxBinaryName = 255;

// The version the file's own header states, which the container replaces
// by the header extension's "FBXVersion" once it has read that: the binary
// header's word, or the dotted number of the ASCII first line.
int HeaderVersion(const uint8_t* pData, size_t uSize, bool bBinary, int iDefault) {
  if (bBinary)
    return uSize >= kBinaryHeaderSize ? static_cast<int>(KFbxLoad32(pData + kBinaryVersionAt, pData[22] != 0))
                                      : iDefault;
  const std::string xLine(reinterpret_cast<const char*>(pData), std::min<size_t>(uSize, 64));
  const size_t uProduct = xLine.find_first_not_of("; \t");
  const size_t uSpace = xLine.find_first_of(" \t", uProduct);
  if (uProduct == std::string::npos || uSpace == std::string::npos) return iDefault;
  const char* p = xLine.c_str() + uSpace;
  int aiParts[3] = {0, 0, 0};
  for (int& iPart : aiParts) {
    char* pEnd = nullptr;
    iPart = static_cast<int>(std::strtol(p, &pEnd, 10));
    if (*pEnd != '.') break;
    p = pEnd + 1;
  }
  return aiParts[0] * 1000 + aiParts[1] % 10 * 100 + aiParts[2] % 100;
}

// The product word of an ASCII first line ("; FBX 6.1.0 project file").
std::string AsciiProduct(const uint8_t* pData, size_t uSize) {
  const std::string xLine(reinterpret_cast<const char*>(pData), std::min<size_t>(uSize, 64));
  const size_t uStart = xLine.find_first_not_of("; \t");
  if (uStart == std::string::npos) return "FBX";
  return xLine.substr(uStart, xLine.find_first_of(" \t\r\n", uStart) - uStart);
}

std::string Text(const KString& xText) { return std::string(xText.Buffer(), xText.GetLen()); }

// The next value as the writer would write it again. Binary values keep
// their type code; an "S" value holding "::" is an object name, which the
// container reads back as the same text. ASCII values are typed by their
// token's class: integers, reals, single characters and texts.
V ReadValue(KFbx& xFbx) {
  if (!xFbx.IsBinary()) {
    switch (xFbx.GetValueClass()) {
      case 'I':
        return V::Int64(xFbx.NextInt64());
      case 'D':
        return V::Double(std::strtod(xFbx.NextString(), nullptr));
      case 'C':
        return V::Char(xFbx.NextChar());
      default:
        return V::String(Text(xFbx.NextString()));
    }
  }
  switch (xFbx.GetValueType()) {
    case 'C':
      return V::Char(xFbx.NextChar());
    case 'I':
      return V::Int(xFbx.NextInt());
    case 'L':
      return V::Int64(xFbx.NextInt64());
    case 'F':
      return V::Float(static_cast<float>(xFbx.NextDouble()));
    case 'D':
      return V::Double(xFbx.NextDouble());
    case 'R': {
      std::vector<uint8_t> xBytes;
      xFbx.NextRaw(xBytes);
      return V::Raw(std::string(xBytes.begin(), xBytes.end()));
    }
    default: {
      V xValue = V::String(Text(xFbx.NextString()));
      xValue.m_bObjectName = xValue.m_xBytes.find("::") != std::string::npos;
      return xValue;
    }
  }
}

}  // namespace

bool FbxTreeRead(const uint8_t* pData, size_t uSize, FbxFieldTree& xTree) {
  KFbx xFbx;
  if (!xFbx.ProjectOpenMemory(pData, uSize) || xFbx.IsEncrypted()) return false;
  xTree = FbxFieldTree();
  KFbxWriteOptions& xOptions = xTree.m_xOptions;
  xOptions.m_bBinary = xFbx.IsBinary();
  xOptions.m_bBigEndian = xFbx.IsBigEndian();
  xOptions.m_iHeaderVersion = HeaderVersion(pData, uSize, xFbx.IsBinary(), xFbx.GetFileVersionNumber());
  if (!xFbx.IsBinary()) xOptions.m_xAsciiProduct = AsciiProduct(pData, uSize);
  // A first footer that states a version of its own keeps it.
  if (xFbx.IsBinary() && xFbx.GetSectionVersion(0) != xFbx.GetFileVersionNumber())
    xOptions.m_iFirstFooterVersion = xFbx.GetSectionVersion(0);
  // Depth first with an explicit stack: per open block, the list its fields
  // go to and the index of the field name being read.
  struct Open {
    KFbxWriteSection* m_pxList;
    int m_iName;
  };
  std::vector<Open> xStack{{&xTree.m_xFields, 0}};
  size_t uFields = 0;
  while (!xStack.empty()) {
    Open& xOpen = xStack.back();
    if (xOpen.m_iName >= xFbx.GetFieldCount()) {
      xStack.pop_back();
      if (!xStack.empty()) {
        xFbx.LeaveBlock();
        xFbx.EndField();
      }
      continue;
    }
    const std::string xName = xFbx.GetFieldName(xOpen.m_iName);
    if (!xFbx.BeginField(xName.c_str())) {
      ++xOpen.m_iName;
      continue;
    }
    if (++uFields > kFbxTreeMaxFields) return false;
    KFbxWriteField& xField = xOpen.m_pxList->emplace_back(xName);
    while (xFbx.GetRemainingValueCount() > 0) xField.m_xValues.push_back(ReadValue(xFbx));
    // A nested block the container cannot parse reads as none, as the
    // importer sees it.
    if (xFbx.EnterBlock()) {
      xField.m_bBlock = true;
      xStack.push_back({&xField.m_xChildren, 0});
    } else {
      xFbx.EndField();
    }
  }
  return true;
}

bool FbxTreeOpens(const std::string& xBytes) {
  KFbx xFbx;
  return xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size()) && !xFbx.IsEncrypted();
}

size_t FbxTreeFieldCount(const KFbxWriteSection& xFields) {
  size_t uCount = 0;
  std::vector<const KFbxWriteSection*> xStack{&xFields};
  while (!xStack.empty()) {
    const KFbxWriteSection* pxList = xStack.back();
    xStack.pop_back();
    uCount += pxList->size();
    for (const KFbxWriteField& xField : *pxList) xStack.push_back(&xField.m_xChildren);
  }
  return uCount;
}

float FbxFloatOf(double dValue) {
  const double dLargest = std::numeric_limits<float>::max();
  if (dValue > dLargest) return std::numeric_limits<float>::infinity();
  if (dValue < -dLargest) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(dValue);
}

namespace {

// A character the ASCII writer puts down bare: what its reader takes for
// part of a word.
bool Bare(char c) { return std::isgraph(static_cast<unsigned char>(c)) && !std::strchr(",\"{}:", c); }

void MakeWritable(KFbxWriteField& xField, bool bBinary) {
  for (V& xValue : xField.m_xValues) {
    if (xValue.m_cType == 'F') xValue.m_dReal = FbxFloatOf(xValue.m_dReal);
    if (xValue.m_cType == 'S') xValue.m_bObjectName = xValue.m_xBytes.find("::") != std::string::npos;
  }
  std::string& xName = xField.m_xName;
  if (bBinary) {
    if (xName.size() > kMaxBinaryName) xName.resize(kMaxBinaryName);
  } else {
    for (char& c : xName)
      if (!Bare(c)) c = '_';
    // A name first on its line must not read as a comment.
    if (xName.empty() || xName[0] == ';') xName.insert(0, "_");
  }
  if (bBinary) return;
  for (V& xValue : xField.m_xValues) {
    if (xValue.m_cType == 'C' && !Bare(static_cast<char>(xValue.m_llInt)))
      xValue = V::String(std::string(1, static_cast<char>(xValue.m_llInt)));
    for (char& c : xValue.m_xBytes)
      if (c == '"') c = '\'';
  }
}

}  // namespace

std::string FbxTreeWrite(FbxFieldTree& xTree) {
  std::vector<KFbxWriteSection*> xStack{&xTree.m_xFields};
  while (!xStack.empty()) {
    KFbxWriteSection* pxList = xStack.back();
    xStack.pop_back();
    for (KFbxWriteField& xField : *pxList) {
      MakeWritable(xField, xTree.m_xOptions.m_bBinary);
      xStack.push_back(&xField.m_xChildren);
    }
  }
  return KFbxWriteBytes({xTree.m_xFields}, xTree.m_xOptions);
}
