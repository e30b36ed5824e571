// The writer's value makers and tree helpers, and the binary encoding.
#include "fbxsdk/fileio/kfbx_writer.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "fbxsdk/fileio/kencrypted_file.h"
#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio/kfile.h"

// Declared in kfbx_writer_ascii.cpp.
std::string KFbxWriteAscii(const std::vector<KFbxWriteSection>& xSections, const KFbxWriteOptions& xOptions,
                           std::string& xError);

namespace {

constexpr char kBinaryMagic[] = "Quorvex FBX Binary  ";  // 20 characters; the zero byte follows
constexpr uint8_t kFooterMagic[16] = {0xF8, 0x5A, 0x8C, 0x6A, 0xDE, 0xF5, 0xD9, 0x7E,
                                      0xEC, 0xE9, 0x0C, 0xE3, 0x75, 0x8F, 0x29, 0x0B};
constexpr size_t kFooterSize = 128;  // distance, version, zeros; the magic follows
constexpr size_t kMaxNameLength = 255;
constexpr char kHeaderExtension[] = "FBXHeaderExtension";

class BinaryWriter {
 public:
  BinaryWriter(std::string& xOut, bool bBigEndian) : m_xOut(xOut), m_bBigEndian(bBigEndian) {}

  void Put32(uint32_t u) {
    uint8_t a[4];
    KFbxStore32(a, u, m_bBigEndian);
    m_xOut.append(reinterpret_cast<const char*>(a), 4);
  }
  void Put64(uint64_t u) {
    uint8_t a[8];
    KFbxStore64(a, u, m_bBigEndian);
    m_xOut.append(reinterpret_cast<const char*>(a), 8);
  }
  void Patch32(size_t uAt, uint32_t u) { KFbxStore32(reinterpret_cast<uint8_t*>(&m_xOut[uAt]), u, m_bBigEndian); }

  void Value(const KFbxWriteValue& xValue) {
    m_xOut.push_back(xValue.m_cType);
    switch (xValue.m_cType) {
      case 'C':
        m_xOut.push_back(static_cast<char>(xValue.m_llInt));
        return;
      case 'I':
        Put32(static_cast<uint32_t>(xValue.m_llInt));
        return;
      case 'L':
        Put64(static_cast<uint64_t>(xValue.m_llInt));
        return;
      case 'F': {
        const float fValue = static_cast<float>(xValue.m_dReal);
        uint32_t u;
        std::memcpy(&u, &fValue, 4);
        Put32(u);
        return;
      }
      case 'D': {
        uint64_t u;
        std::memcpy(&u, &xValue.m_dReal, 8);
        Put64(u);
        return;
      }
      default: {
        std::string xBytes = xValue.m_xBytes;
        const size_t uSplit = xBytes.find("::");
        if (xValue.m_bObjectName && uSplit != std::string::npos)
          xBytes = xBytes.substr(uSplit + 2) + std::string("\0\1", 2) + xBytes.substr(0, uSplit);
        Put32(static_cast<uint32_t>(xBytes.size()));
        m_xOut += xBytes;
      }
    }
  }

  // One record with its nested block, depth first through an explicit stack
  // (tests write blocks nested far deeper than a call stack should go); each
  // record's header is patched once its block is written.
  bool Record(const KFbxWriteField& xTop, std::string& xError) {
    struct Open {
      const KFbxWriteField* m_pxField;
      size_t m_uStart, m_uPropertyLength, m_uNext;
    };
    std::vector<Open> xStack;
    auto Begin = [&](const KFbxWriteField& xField) {
      if (xField.m_xName.size() > kMaxNameLength) return xError = "field name too long: " + xField.m_xName, false;
      const size_t uStart = m_xOut.size();
      m_xOut.append(12, '\0');
      m_xOut.push_back(static_cast<char>(xField.m_xName.size()));
      m_xOut += xField.m_xName;
      const size_t uProperties = m_xOut.size();
      for (const KFbxWriteValue& xValue : xField.m_xValues) Value(xValue);
      xStack.push_back({&xField, uStart, m_xOut.size() - uProperties, 0});
      return true;
    };
    if (!Begin(xTop)) return false;
    while (!xStack.empty()) {
      Open& xOpen = xStack.back();
      const KFbxWriteField& xField = *xOpen.m_pxField;
      if (xOpen.m_uNext < xField.m_xChildren.size()) {
        if (!Begin(xField.m_xChildren[xOpen.m_uNext++])) return false;
        continue;
      }
      if (xField.m_bBlock || !xField.m_xChildren.empty()) Terminator();
      Patch32(xOpen.m_uStart, static_cast<uint32_t>(m_xOut.size()));
      Patch32(xOpen.m_uStart + 4, static_cast<uint32_t>(xField.m_xValues.size()));
      Patch32(xOpen.m_uStart + 8, static_cast<uint32_t>(xOpen.m_uPropertyLength));
      xStack.pop_back();
    }
    return true;
  }

  void Terminator() { m_xOut.append(kFbxRecordHeaderSize, '\0'); }

  // Pads to a 16-byte boundary, then the footer and its magic, which so ends
  // on a 16-byte boundary: the reader finds the footer 144 bytes before the
  // section's end rounded down to 16, whatever up to 15 bytes follow it.
  void Footer(uint32_t uBack, uint32_t uVersion, size_t uTrailing) {
    m_xOut.append((16 - m_xOut.size() % 16) % 16, '\0');
    Put32(uBack);
    Put32(uVersion);
    m_xOut.append(kFooterSize - 8, '\0');
    m_xOut.append(reinterpret_cast<const char*>(kFooterMagic), sizeof kFooterMagic);
    m_xOut.append(uTrailing, '\0');
  }

 private:
  std::string& m_xOut;
  bool m_bBigEndian;
};

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

std::string WriteBinary(const std::vector<KFbxWriteSection>& xSections, const KFbxWriteOptions& xOptions,
                        std::string& xError) {
  if (xOptions.m_bEncrypted &&
      (xSections.size() != 1 || xSections[0].empty() || xSections[0][0].m_xName != kHeaderExtension)) {
    xError = "an encrypted file holds one section that starts with its header extension";
    return {};
  }
  std::string xOut(kBinaryMagic, sizeof kBinaryMagic);  // the magic and its zero byte
  xOut.push_back('\x1A');
  xOut.push_back(xOptions.m_bBigEndian ? '\1' : '\0');
  BinaryWriter xWriter(xOut, xOptions.m_bBigEndian);
  xWriter.Put32(static_cast<uint32_t>(xOptions.m_iHeaderVersion));
  size_t uPlainEnd = 0;
  for (size_t i = 0; i < xSections.size(); ++i) {
    const size_t uStart = xOut.size();
    KFbxWriteSection xMarked;
    if (xOptions.m_bEncrypted) xMarked = MarkEncrypted(xSections[i]);
    const KFbxWriteSection& xSection = xOptions.m_bEncrypted ? xMarked : xSections[i];
    for (const KFbxWriteField& xField : xSection) {
      if (!xWriter.Record(xField, xError)) return {};
      if (!uPlainEnd) uPlainEnd = xOut.size();
    }
    xWriter.Terminator();
    const uint32_t uVersion = i == 0                           ? static_cast<uint32_t>(xOptions.m_iFirstFooterVersion)
                              : xOptions.m_iFooterVersion >= 0 ? static_cast<uint32_t>(xOptions.m_iFooterVersion)
                                                               : static_cast<uint32_t>(xOptions.m_iHeaderVersion);
    const size_t uFooter = (xOut.size() + 15) / 16 * 16;
    xWriter.Footer(i == 0 ? 0 : static_cast<uint32_t>(uFooter - uStart), uVersion, xOptions.m_uFooterTrailingBytes);
  }
  if (xOptions.m_bEncrypted) return KFbxEncipherFile(xOut, static_cast<int64_t>(uPlainEnd), xOptions.m_xPassword);
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
      xOptions.m_bBinary ? WriteBinary(xSections, xOptions, xError) : KFbxWriteAscii(xSections, xOptions, xError);
  if (pxError) *pxError = xError;
  return xOut;
}

bool KFbxWriteFile(const char* pszPath, const std::vector<KFbxWriteSection>& xSections,
                   const KFbxWriteOptions& xOptions, std::string* pxError) {
  std::string xError;
  const std::string xBytes = KFbxWriteBytes(xSections, xOptions, &xError);
  std::FILE* pxFile = xError.empty() ? KFileOpenUtf8(pszPath, "wb") : nullptr;
  if (xError.empty() && !pxFile) xError = std::string("cannot create ") + (pszPath ? pszPath : "");
  if (pxFile) {
    const bool bWritten = std::fwrite(xBytes.data(), 1, xBytes.size(), pxFile) == xBytes.size();
    if (std::fclose(pxFile) != 0 || !bWritten) xError = std::string("cannot write ") + pszPath;
  }
  if (pxError) *pxError = xError;
  return xError.empty();
}
