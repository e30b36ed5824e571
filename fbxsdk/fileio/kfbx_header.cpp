// Opening steps of KFbx after the file header: the top level, the header
// extension with its header information, and the encryption layer.
#include <string>

#include "fbxsdk/fileio/kencrypted_file.h"
#include "fbxsdk/fileio/kfbx.h"
#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio/kfbx_field_list.h"
#include "fbxsdk/fileio/kfile.h"

namespace {

constexpr char kHeaderExtension[] = "FBXHeaderExtension";
constexpr int kEncryptionNone = 0;
constexpr int kEncryptionOurs = 1;

}  // namespace

// The first record after a binary header, when it is the header extension,
// becomes a top level of its own: an encrypted file cannot be read further
// until its password is known.
bool KFbx::ReadFirstBinaryRecord() {
  KFile& xFile = *m_xPlainFile;
  uint8_t auHeader[kFbxRecordHeaderSize + 255];
  if (!xFile.ReadAt(m_llBodyStart, auHeader, kFbxRecordHeaderSize)) return Corrupted("no record after the header");
  const int64_t llEnd = KFbxLoad32(auHeader, m_bBigEndian);
  const uint8_t uNameLength = auHeader[12];
  const std::string xName(kHeaderExtension);
  if (llEnd == 0 || uNameLength != xName.size() || !xFile.ReadExact(auHeader + kFbxRecordHeaderSize, uNameLength) ||
      xName.compare(0, xName.size(), reinterpret_cast<const char*>(auHeader) + kFbxRecordHeaderSize, uNameLength) != 0)
    return true;
  if (llEnd <= m_llBodyStart || llEnd > xFile.Size()) return Corrupted("header extension ends outside the file");
  auto xList = std::make_unique<KFbxFieldList>(true, m_bBigEndian);
  std::string xWhy;
  if (!KFbxParseBinaryBlock(xFile, m_llBodyStart, llEnd, true, m_bBigEndian, *xList, xWhy)) return Corrupted(xWhy);
  m_llHeaderEnd = llEnd;
  m_xLists.clear();
  m_xLists.push_back(std::move(xList));
  return true;
}

bool KFbx::ParseTopLevel() {
  auto xList = std::make_unique<KFbxFieldList>(m_bBinary, m_bBigEndian);
  std::string xWhy;
  KFile& xFile = File();
  if (m_bBinary) {
    // Value offsets are 32-bit, as are the file's own end offsets.
    const int64_t llEnd = xFile.Size() < 0xFFFFFFFFll ? xFile.Size() : 0xFFFFFFFFll;
    if (llEnd < m_llBodyStart) return Corrupted("file ends inside its header");
    if (!KFbxParseBinaryBlock(xFile, m_llBodyStart, llEnd, false, m_bBigEndian, *xList, xWhy)) return Corrupted(xWhy);
  } else if (!KFbxParseAsciiBlock(xFile, m_llBodyStart, true, AsciiBlockEnds(), *xList, xWhy)) {
    return Corrupted(xWhy);
  }
  m_xLists.clear();
  m_xLists.push_back(std::move(xList));
  return true;
}

bool KFbx::ReadHeaderExtension(KFbxHeaderInfo* pxInfo) {
  KFbxFieldList* pxTop = List();
  // Only the file's first field is looked at.
  if (!pxTop || pxTop->FieldCount() == 0 || pxTop->FieldAt(0)->m_xName != kHeaderExtension) return true;
  if (!BeginField(kHeaderExtension) || !pxTop->Current()->m_llBlock) return Corrupted("header extension has no block");
  if (!EnterBlock()) return false;
  const int iHeaderVersion = FieldInt("FBXHeaderVersion", 0);
  m_iVersion = FieldInt("FBXVersion", 0);
  bool bOk = true;
  if (m_bBinary) {
    const int iEncryption = FieldInt("EncryptionType", kEncryptionNone);
    m_bEncrypted = iEncryption == kEncryptionOurs;
    if (iEncryption != kEncryptionNone && iEncryption != kEncryptionOurs)
      bOk = Fail(eFILE_VERSION_NOT_SUPPORTED_YET, "Encryption type is not supported");
  }
  if (bOk && pxInfo) ReadHeaderInfo(iHeaderVersion, *pxInfo);
  LeaveBlock();
  pxTop->RewindAll();
  return bOk;
}

void KFbx::ReadHeaderInfo(int iHeaderVersion, KFbxHeaderInfo& xInfo) {
  if (iHeaderVersion > 1000 && BeginField("CurrentCameraResolution")) {
    if (EnterBlock()) {
      xInfo.m_xCameraName = FieldString("CameraName");
      xInfo.m_xResolutionMode = FieldString("CameraResolutionMode");
      xInfo.m_dResolutionW = FieldDouble("CameraResolutionW");
      xInfo.m_dResolutionH = FieldDouble("CameraResolutionH");
      xInfo.m_bResolutionAvailable = true;
      LeaveBlock();
    }
    EndField();
  }
  if (iHeaderVersion > 1001) {
    if (BeginField("CreationTimeStamp")) {
      if (EnterBlock()) {
        if (FieldInt("Version") > 999) {
          static constexpr const char* kParts[7] = {"Year", "Month", "Day", "Hour", "Minute", "Second", "Millisecond"};
          for (int i = 0; i < 7; ++i) xInfo.m_aiTimeStamp[i] = FieldInt(kParts[i]);
          xInfo.m_bTimeStampAvailable = true;
        }
        LeaveBlock();
      }
      EndField();
    }
    xInfo.m_xCreator = FieldString("Creator");
  }
  if (iHeaderVersion > 1002 && BeginField("OtherFlags")) {
    if (EnterBlock()) {
      xInfo.m_bFlagPLE = FieldInt("FlagPLE") == 1;
      LeaveBlock();
    }
    EndField();
  }
}

bool KFbx::SetUpEncryption(bool bCheckCRC) {
  KFile& xFile = *m_xPlainFile;
  uint8_t auRecord[KEncryptionRecord::kSize];
  KEncryptionRecord xRecord;
  if (!m_llHeaderEnd || !xFile.ReadAt(m_llHeaderEnd, auRecord, sizeof auRecord) || !xRecord.Parse(auRecord))
    return Corrupted("encryption record missing or not recognised");
  const uint64_t ullCipherStart = static_cast<uint64_t>(m_llHeaderEnd) + KEncryptionRecord::kSize;
  if (static_cast<uint64_t>(xFile.Size()) < ullCipherStart ||
      xRecord.m_ullCipherBytes != static_cast<uint64_t>(xFile.Size()) - ullCipherStart)
    return Corrupted("enciphered length disagrees with the file's size");
  if (bCheckCRC && !KCrcFile::Verify(xFile, static_cast<int64_t>(ullCipherStart),
                                     static_cast<int64_t>(xRecord.m_ullCipherBytes), xRecord.m_uCrc))
    return Fail(eCRC_CHECK_FAILED, std::string("CRC check failed ") + m_xPath.Buffer());
  m_xEncryptedFile = std::make_unique<KEncryptedFile>(xFile, m_llHeaderEnd, xRecord);
  m_xSectionStart.assign(1, m_llBodyStart);
  m_xSectionVersion.assign(1, m_iVersion);
  return true;
}

bool KFbx::SetPassword(const char* pszPassword) {
  if (!m_xEncryptedFile) return false;
  if (!m_xEncryptedFile->SetPassword(pszPassword ? pszPassword : ""))
    return Fail(eINVALID_DATA, std::string("Wrong password for ") + m_xPath.Buffer());
  m_bPasswordSet = true;
  if (!ParseTopLevel()) return false;
  ReadSections();
  return true;
}
