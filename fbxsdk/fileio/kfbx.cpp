#include "fbxsdk/fileio/kfbx.h"

#include <cctype>
#include <cstring>
#include <string>

#include "fbxsdk/fileio/kencrypted_file.h"
#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio/kfbx_field_list.h"
#include "fbxsdk/fileio/kfile.h"

namespace {

constexpr const char* kErrorTable[KFbx::eERROR_COUNT] = {
    "File is corrupted",
    "File version is not supported yet",
    "File version is not supported anymore",
    "File not opened",
    "File not created",
    "Directory not created",
    "CRC check failed",
    "Section does not exist",
    "Operation canceled",
    "Count error",
    "Invalid data",
    "No space left on device",
    "Read error",
};

// The binary header: magic text (compared without regard to case), one
// unchecked byte, the byte-order byte and the 32-bit version.
constexpr char kBinaryMagic[] = "Quorvex FBX Binary  ";  // 20 characters, then a zero byte
constexpr int kBinaryMagicSize = 21;
constexpr int kBinaryHeaderSize = 27;
// The ASCII header line is looked for in this many first bytes.
constexpr int kAsciiHeaderBytes = 64;

// Section footers: 128 bytes starting 144 bytes before the section's end
// rounded down to 16, words at 0 (distance back to the section's start) and
// 4 (version), then the 16-byte magic, which so ends on a 16-byte boundary.
constexpr int kFooterSize = 128;
constexpr int kFooterBack = 144;
constexpr uint8_t kFooterMagic[16] = {0xF8, 0x5A, 0x8C, 0x6A, 0xDE, 0xF5, 0xD9, 0x7E,
                                      0xEC, 0xE9, 0x0C, 0xE3, 0x75, 0x8F, 0x29, 0x0B};
constexpr int kDefaultSectionVersion = 4000;

// Two-number ASCII versions of the "Tramlix" product that map to fixed
// version numbers.
struct FixedVersion {
  unsigned m_uMajor, m_uMinor;
  int m_iVersion;
};
constexpr FixedVersion kTramlixVersions[] = {{1, 5, 1000}, {2, 7, 2001}, {3, 0, 3000},
                                             {4, 0, 4000}, {4, 1, 4001}, {4, 5, 4050}};

bool SameNoCase(const char* pA, const char* pB, size_t uCount) {
  for (size_t i = 0; i < uCount; ++i)
    if (std::tolower(static_cast<unsigned char>(pA[i])) != std::tolower(static_cast<unsigned char>(pB[i])))
      return false;
  return true;
}

// Unsigned decimal, refused when empty or above 32 bits.
bool ParseNumber(const std::string& xText, unsigned& uOut) {
  if (xText.empty() || xText.size() > 10) return false;
  uint64_t ullValue = 0;
  for (char c : xText) {
    if (c < '0' || c > '9') return false;
    ullValue = ullValue * 10 + static_cast<unsigned>(c - '0');
  }
  if (ullValue > 0xFFFFFFFFull) return false;
  uOut = static_cast<unsigned>(ullValue);
  return true;
}

// "; Product 6.1.0 project file" (or a two-number version); -1 otherwise.
int64_t AsciiHeaderVersion(const std::string& xLine) {
  if (xLine.empty() || xLine[0] != ';') return -1;
  std::vector<std::string> xWords;
  size_t i = 1;
  while (i < xLine.size() && xWords.size() < 4) {
    while (i < xLine.size() && std::isspace(static_cast<unsigned char>(xLine[i]))) ++i;
    size_t j = i;
    while (j < xLine.size() && !std::isspace(static_cast<unsigned char>(xLine[j]))) ++j;
    if (j > i) xWords.push_back(xLine.substr(i, j - i));
    i = j;
  }
  if (xWords.size() < 4 || KStringCompareNoCase(xWords[2].c_str(), "project") != 0 ||
      KStringCompareNoCase(xWords[3].c_str(), "file") != 0)
    return -1;
  unsigned auNumbers[3] = {0, 0, 0};
  int iNumbers = 0;
  size_t uStart = 0;
  const std::string& xVersion = xWords[1];
  for (;;) {
    const size_t uDot = xVersion.find('.', uStart);
    if (iNumbers == 3 || !ParseNumber(xVersion.substr(uStart, uDot - uStart), auNumbers[iNumbers++])) return -1;
    if (uDot == std::string::npos) break;
    uStart = uDot + 1;
  }
  if (iNumbers < 2) return -1;
  if (iNumbers == 2 && xWords[0] == "Tramlix")
    for (const FixedVersion& xFixed : kTramlixVersions)
      if (xFixed.m_uMajor == auNumbers[0] && xFixed.m_uMinor == auNumbers[1]) return xFixed.m_iVersion;
  return int64_t(auNumbers[0] % 4294966u) * 1000 + (auNumbers[1] % 10) * 100 + auNumbers[2] % 100;
}

}  // namespace

KFbx::KFbx() : m_xError(kErrorTable, eERROR_COUNT) {}
KFbx::~KFbx() { ProjectClose(); }

void KFbx::ProjectClose() {
  m_xLists.clear();
  m_xAsciiBlockEnds.reset();
  m_xEncryptedFile.reset();
  m_xPlainFile.reset();
  m_xSectionStart.clear();
  m_xSectionVersion.clear();
  m_iVersion = 0;
  m_bBinary = m_bBigEndian = m_bEncrypted = m_bPasswordSet = false;
  m_llBodyStart = 0;
}

bool KFbx::IsOpen() const { return m_xPlainFile != nullptr; }

KFbxAsciiBlockEnds& KFbx::AsciiBlockEnds() {
  if (!m_xAsciiBlockEnds) m_xAsciiBlockEnds = std::make_unique<KFbxAsciiBlockEnds>();
  return *m_xAsciiBlockEnds;
}

KFile& KFbx::File() const {
  if (m_xEncryptedFile) return *m_xEncryptedFile;
  return *m_xPlainFile;
}

bool KFbx::Fail(int iCode, const std::string& xDetail) {
  m_xError.SetLastError(iCode, xDetail.c_str());
  return false;
}

bool KFbx::Corrupted(const std::string& xWhy) {
  return Fail(eFILE_CORRUPTED, std::string("File is corrupted ") + m_xPath.Buffer() + ": " + xWhy);
}

int64_t KFbx::GetSectionStart(int i) const { return i >= 0 && i < GetSectionCount() ? m_xSectionStart[i] : -1; }

int KFbx::GetSectionVersion(int i) const { return i >= 0 && i < GetSectionCount() ? m_xSectionVersion[i] : 0; }

bool KFbx::ProjectOpen(const char* pszPath, bool bCheckCRC, bool, KFbxHeaderInfo* pxInfo) {
  return Open(pszPath, false, bCheckCRC, pxInfo);
}

bool KFbx::ProjectOpenDirect(const char* pszPath, bool bCheckCRC, bool, KFbxHeaderInfo* pxInfo) {
  return Open(pszPath, true, bCheckCRC, pxInfo);
}

bool KFbx::ProjectOpenMemory(const void* pData, size_t nSize, bool bCheckCRC, bool, KFbxHeaderInfo* pxInfo) {
  ProjectClose();
  m_xPath = "<memory>";
  m_xFolder = "";
  m_xProjectName = "";
  return OpenFrom(std::unique_ptr<KFile>(new KFileMemory(pData, nSize)), true, bCheckCRC, pxInfo);
}

bool KFbx::Open(const char* pszPath, bool bDirect, bool bCheckCRC, KFbxHeaderInfo* pxInfo) {
  ProjectClose();
  std::string xPath = pszPath ? pszPath : "";
  const size_t uSeparator = xPath.find_last_of("/\\");
  const size_t uDot = xPath.find_last_of('.');
  const bool bHasExtension = uDot != std::string::npos && (uSeparator == std::string::npos || uDot > uSeparator);
  std::unique_ptr<KFilePlain> xFile;
  if (!bDirect) {
    if (!bHasExtension || KStringCompareNoCase(xPath.c_str() + uDot + 1, "fbx") != 0) xPath += ".fbx";
    // A ".fbd" project folder beside the file holds the project's file.
    const std::string xFolder = xPath.substr(0, xPath.find_last_of('.')) + ".fbd/";
    if (KFileFolderExists(xFolder.c_str())) {
      m_xFolder = xFolder.c_str();
      m_xProjectName = "Project";
      xPath = xFolder + "Project.txt";
      xFile = KFilePlain::Open(xPath.c_str(), "rb");
      if (!xFile) {
        xPath = xFolder + "Project.bin";
        xFile = KFilePlain::Open(xPath.c_str(), "rb");
      }
    }
  }
  if (m_xProjectName.IsEmpty()) {
    const size_t uNameStart = uSeparator == std::string::npos ? 0 : uSeparator + 1;
    const std::string xName = xPath.substr(uNameStart);
    m_xFolder = xPath.substr(0, uNameStart).c_str();
    m_xProjectName = xName.substr(0, xName.find_last_of('.')).c_str();
    xFile = KFilePlain::Open(xPath.c_str(), "rb");
  }
  m_xPath = xPath.c_str();
  if (!xFile) {
    ProjectClose();
    return Fail(eFILE_NOT_OPENED, "Unable to open file " + xPath);
  }
  return OpenFrom(std::move(xFile), !bDirect, bCheckCRC, pxInfo);
}

bool KFbx::OpenFrom(std::unique_ptr<KFile> xFile, bool bStrict, bool bCheckCRC, KFbxHeaderInfo* pxInfo) {
  m_xPlainFile = std::move(xFile);
  bool bOk = ReadHeader(bStrict);
  const int iHeaderVersion = m_iVersion;
  // The header extension's "FBXVersion" is the file's version, whatever the
  // binary header says (5.x files often say 3000 there), so the version is
  // checked only once the extension has been read.
  if (bOk) bOk = (m_bBinary ? ReadFirstBinaryRecord() : ParseTopLevel()) && ReadHeaderExtension(pxInfo);
  bool bVersionRefused = false;
  if (!bOk && m_bBinary && static_cast<uint32_t>(iHeaderVersion) / 1000 >= 7 &&
      m_xError.GetLastErrorID() == eFILE_CORRUPTED) {
    // A binary header of 7.x whose first record is no header extension we
    // can read: its records are laid out in a way we do not read, and the
    // version is what the caller needs to hear about, not the damage.
    m_iVersion = iHeaderVersion;
    bVersionRefused = !CheckVersion();
  } else if (bOk) {
    bOk = CheckVersion();
    bVersionRefused = !bOk;
  }
  if (bOk && m_bEncrypted) {
    bOk = SetUpEncryption(bCheckCRC);
  } else if (bOk && m_bBinary) {
    bOk = ParseTopLevel();
    if (bOk) ReadSections();
  } else if (bOk) {
    m_xSectionStart.assign(1, m_llBodyStart);
    m_xSectionVersion.assign(1, m_iVersion);
  }
  if (!bOk) {
    // Keep the refused version and its one-entry section table, which tell
    // the caller what the file is; any other failure leaves nothing behind
    // but the version read so far.
    std::vector<int64_t> xStarts;
    std::vector<int> xVersions;
    if (bVersionRefused) {
      xStarts.swap(m_xSectionStart);
      xVersions.swap(m_xSectionVersion);
    }
    const int iVersion = m_iVersion;
    ProjectClose();
    m_iVersion = iVersion;
    m_xSectionStart.swap(xStarts);
    m_xSectionVersion.swap(xVersions);
  }
  return bOk;
}

bool KFbx::ReadHeader(bool bStrict) {
  uint8_t auHeader[kBinaryHeaderSize];
  KFile& xFile = *m_xPlainFile;
  if (xFile.ReadAt(0, auHeader, sizeof auHeader) &&
      SameNoCase(reinterpret_cast<const char*>(auHeader), kBinaryMagic, kBinaryMagicSize)) {
    m_bBinary = true;
    m_bBigEndian = auHeader[22] != 0;
    m_iVersion = static_cast<int>(KFbxLoad32(auHeader + 23, m_bBigEndian));
    m_llBodyStart = kBinaryHeaderSize;
    return true;
  }
  m_llBodyStart = 0;
  if (ReadAsciiHeader()) return true;
  if (bStrict) return Fail(eFILE_CORRUPTED, std::string("File is corrupted ") + m_xPath.Buffer());
  m_iVersion = 1000;
  return true;
}

bool KFbx::ReadAsciiHeader() {
  char acLine[kAsciiHeaderBytes];
  KFile& xFile = *m_xPlainFile;
  const int64_t llSize = xFile.Size();
  const size_t uCount = llSize < kAsciiHeaderBytes ? static_cast<size_t>(llSize) : sizeof acLine;
  if (!xFile.ReadAt(0, acLine, uCount)) return false;
  std::string xLine(acLine, uCount);
  xLine = xLine.substr(0, xLine.find_first_of("\r\n"));
  const int64_t llVersion = AsciiHeaderVersion(xLine);
  if (llVersion < 0) return false;
  m_iVersion = static_cast<int>(static_cast<uint32_t>(llVersion));
  return true;
}

bool KFbx::CheckVersion() {
  const uint32_t uVersion = static_cast<uint32_t>(m_iVersion);
  const uint32_t uMajor = uVersion / 1000;
  if (uMajor < 7) return true;
  m_xSectionStart.assign(1, m_llBodyStart);
  m_xSectionVersion.assign(1, m_iVersion);
  return Fail(eFILE_VERSION_NOT_SUPPORTED_YET,
              "FBX file version " + std::to_string(uMajor) + "." + std::to_string(uVersion % 1000 / 100) + "." +
                  std::to_string(uVersion % 100) + " is not supported in this product");
}

// Walks the footers from the end of the file back to the first section.
// A footer that cannot be read, lacks the magic or points where no later
// section can start ends the walk, and the sections found up to there stay:
// a damaged appended save must not hide the intact ones before it. Each
// step moves the end strictly backwards and never below the first section's
// start, so the walk ends.
void KFbx::ReadSections() {
  m_xSectionStart.assign(1, m_llBodyStart);
  m_xSectionVersion.assign(1, m_iVersion);
  KFile& xFile = File();
  int64_t llEnd = xFile.Size();
  for (;;) {
    const int64_t llFooter = llEnd - llEnd % 16 - kFooterBack;
    uint8_t auFooter[kFooterSize + sizeof kFooterMagic];
    if (llFooter < m_llBodyStart || !xFile.ReadAt(llFooter, auFooter, sizeof auFooter) ||
        std::memcmp(auFooter + kFooterSize, kFooterMagic, sizeof kFooterMagic) != 0)
      return;
    const uint32_t uBack = KFbxLoad32(auFooter, m_bBigEndian);
    const int iVersion = static_cast<int>(KFbxLoad32(auFooter + 4, m_bBigEndian));
    if (uBack == 0) {
      if (iVersion != 0) m_xSectionVersion[0] = iVersion;
      return;
    }
    // The distance is unsigned, so the start lies before the footer and thus
    // before llEnd; it must also lie after the first section's start.
    const int64_t llStart = llFooter - uBack;
    if (llStart <= m_llBodyStart) return;
    m_xSectionStart.push_back(llStart);
    m_xSectionVersion.push_back(iVersion ? iVersion : kDefaultSectionVersion);
    llEnd = llStart;
  }
}
