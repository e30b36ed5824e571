// The writer's value makers and tree helpers, and whole trees written.
#include "fbxsdk/fileio/kfbx_writer.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "fbxsdk/fileio/kencrypted_file.h"
#include "fbxsdk/fileio/kfbx_write_stream.h"
#include "fbxsdk/fileio/kfile.h"

namespace {

constexpr char kHeaderExtension[] = "FBXHeaderExtension";

// An encrypted file's header extension says so.
KFbxWriteSection MarkEncrypted(const KFbxWriteSection& xSection) {
  KFbxWriteSection xMarked = xSection;
  std::vector<KFbxWriteField>& xChildren = xMarked[0].m_xChildren;
  xMarked[0].m_bBlock = true;
  for (KFbxWriteField& xChild : xChildren)
    if (xChild.m_xName == "EncryptionType") xChild.m_xValues = {KFbxWriteValue::Int(1)};
  bool bHas = false;
  for (const KFbxWriteField& xChild : xChildren) bHas = bHas || xChild.m_xName == "EncryptionType";
  if (!bHas) xChildren.push_back(KFbxWriteField("EncryptionType", {KFbxWriteValue::Int(1)}));
  return xMarked;
}

// Every section through the binary encoder, each followed by its footer.
std::string WriteBinary(const std::vector<KFbxWriteSection>& xSections, const KFbxWriteOptions& xOptions,
                        std::string& xError) {
  if (xOptions.m_bEncrypted &&
      (xSections.size() != 1 || xSections[0].empty() || xSections[0][0].m_xName != kHeaderExtension)) {
    xError = "an encrypted file holds one section that starts with its header extension";
    return {};
  }
  std::string xOut;
  KFbxStringOut xBytes(xOut);
  KFbxPutBinaryHeader(xBytes, xOptions);
  std::unique_ptr<KFbxFieldSink> pxSink = KFbxMakeBinarySink(xBytes, xOptions.m_bBigEndian);
  size_t uPlainEnd = 0;
  for (size_t i = 0; i < xSections.size(); ++i) {
    const size_t uStart = xOut.size();
    KFbxWriteSection xMarked;
    if (xOptions.m_bEncrypted) xMarked = MarkEncrypted(xSections[i]);
    const KFbxWriteSection& xSection = xOptions.m_bEncrypted ? xMarked : xSections[i];
    if (!xSection.empty()) {
      KFbxEmitFields(xSection.data(), 1, *pxSink);
      if (!uPlainEnd) uPlainEnd = xOut.size();
      KFbxEmitFields(xSection.data() + 1, xSection.size() - 1, *pxSink);
    }
    if (pxSink->Failed()) {
      xError = pxSink->Error();
      return {};
    }
    KFbxPutSectionEnd(xBytes, xOptions, i, uStart);
  }
  if (xOptions.m_bEncrypted) return KFbxEncipherFile(xOut, static_cast<int64_t>(uPlainEnd), xOptions.m_xPassword);
  return xOut;
}

std::string WriteAscii(const std::vector<KFbxWriteSection>& xSections, const KFbxWriteOptions& xOptions,
                       std::string& xError) {
  if (xSections.size() != 1 || xOptions.m_bEncrypted) {
    xError = "an ASCII file holds one plain section";
    return {};
  }
  std::string xOut;
  KFbxStringOut xBytes(xOut);
  KFbxPutAsciiHeader(xBytes, xOptions);
  std::unique_ptr<KFbxFieldSink> pxSink = KFbxMakeAsciiSink(xBytes);
  KFbxEmitFields(xSections[0], *pxSink);
  if (pxSink->Failed()) {
    xError = pxSink->Error();
    return {};
  }
  return xOut;
}

}  // namespace

namespace {

KFbxWriteValue MakeValue(char cType, int64_t llInt, double dReal, const std::string& xBytes = std::string()) {
  KFbxWriteValue xValue;
  xValue.m_cType = cType;
  xValue.m_llInt = llInt;
  xValue.m_dReal = dReal;
  xValue.m_xBytes = xBytes;
  return xValue;
}

}  // namespace

KFbxWriteValue KFbxWriteValue::Char(char cValue) { return MakeValue('C', static_cast<unsigned char>(cValue), 0.0); }
KFbxWriteValue KFbxWriteValue::Int(int32_t iValue) { return MakeValue('I', iValue, 0.0); }
KFbxWriteValue KFbxWriteValue::Int64(int64_t llValue) { return MakeValue('L', llValue, 0.0); }
KFbxWriteValue KFbxWriteValue::Float(float fValue) { return MakeValue('F', 0, fValue); }
KFbxWriteValue KFbxWriteValue::Double(double dValue) { return MakeValue('D', 0, dValue); }
KFbxWriteValue KFbxWriteValue::String(const std::string& xText) { return MakeValue('S', 0, 0.0, xText); }
KFbxWriteValue KFbxWriteValue::Raw(const std::string& xBytes) { return MakeValue('R', 0, 0.0, xBytes); }

KFbxWriteValue KFbxWriteValue::ObjectName(const std::string& xClass, const std::string& xName) {
  KFbxWriteValue x = String(xClass + "::" + xName);
  x.m_bObjectName = true;
  return x;
}

KFbxWriteField& KFbxWriteField::Add(const KFbxWriteValue& xValue) {
  m_xValues.push_back(xValue);
  return *this;
}

KFbxWriteField& KFbxWriteField::Child(const std::string& xName, std::vector<KFbxWriteValue> xValues) {
  m_bBlock = true;
  m_xChildren.emplace_back(xName, std::move(xValues));
  return m_xChildren.back();
}

KFbxWriteField& KFbxWriteField::Block() {
  m_bBlock = true;
  return *this;
}

std::string KFbxWriteBytes(const std::vector<KFbxWriteSection>& xSections, const KFbxWriteOptions& xOptions,
                           std::string* pxError) {
  std::string xError;
  std::string xOut =
      xOptions.m_bBinary ? WriteBinary(xSections, xOptions, xError) : WriteAscii(xSections, xOptions, xError);
  if (pxError) *pxError = xError;
  return xOut;
}

bool KFbxWriteFile(const char* pszPath, const std::vector<KFbxWriteSection>& xSections,
                   const KFbxWriteOptions& xOptions, std::string* pxError) {
  std::string xError;
  // One plain section goes to the file as it is encoded; anything else is
  // encoded whole first (the cipher works on the whole file).
  if (xSections.size() == 1 && !xOptions.m_bEncrypted) {
    KFbxFileWriter xWriter;
    if (xWriter.Open(pszPath, xOptions, &xError)) {
      KFbxEmitFields(xSections[0], xWriter.Fields());
      if (!xWriter.Close(&xError)) std::remove(pszPath);
    }
  } else {
    const std::string xBytes = KFbxWriteBytes(xSections, xOptions, &xError);
    std::FILE* pxFile = xError.empty() ? KFileOpenUtf8(pszPath, "wb") : nullptr;
    if (xError.empty() && !pxFile) xError = std::string("cannot create ") + (pszPath ? pszPath : "");
    if (pxFile) {
      const bool bWritten = std::fwrite(xBytes.data(), 1, xBytes.size(), pxFile) == xBytes.size();
      if (std::fclose(pxFile) != 0 || !bWritten) xError = std::string("cannot write ") + pszPath;
    }
  }
  if (pxError) *pxError = xError;
  return xError.empty();
}
