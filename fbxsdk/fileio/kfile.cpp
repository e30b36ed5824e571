#include "fbxsdk/fileio/kfile.h"

#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

#ifdef _WIN32
// Paths and modes are converted into fixed buffers of this many UTF-16
// units, terminator included; longer names are refused.
constexpr int kMaxWidePath = 1024;

bool ToWide(const char* pszText, wchar_t (&awOut)[kMaxWidePath]) {
  return MultiByteToWideChar(CP_UTF8, 0, pszText, -1, awOut, kMaxWidePath) > 0;
}
#endif

int64_t StreamSize(std::FILE* pxFile) {
#ifdef _WIN32
  if (_fseeki64(pxFile, 0, SEEK_END) != 0) return -1;
  const int64_t llSize = _ftelli64(pxFile);
  if (_fseeki64(pxFile, 0, SEEK_SET) != 0) return -1;
#else
  if (fseeko(pxFile, 0, SEEK_END) != 0) return -1;
  const int64_t llSize = ftello(pxFile);
  if (fseeko(pxFile, 0, SEEK_SET) != 0) return -1;
#endif
  return llSize;
}

}  // namespace

std::FILE* KFileOpenUtf8(const char* pszPath, const char* pszMode) {
  if (!pszPath || !pszMode) return nullptr;
#ifdef _WIN32
  wchar_t awPath[kMaxWidePath];
  wchar_t awMode[kMaxWidePath];
  if (!ToWide(pszPath, awPath) || !ToWide(pszMode, awMode)) return nullptr;
  return _wfopen(awPath, awMode);
#else
  return std::fopen(pszPath, pszMode);
#endif
}

bool KFileFolderExists(const char* pszPath) {
  if (!pszPath || !*pszPath) return false;
  std::string xPath(pszPath);
  while (xPath.size() > 1 && (xPath.back() == '/' || xPath.back() == '\\')) xPath.pop_back();
#ifdef _WIN32
  wchar_t awPath[kMaxWidePath];
  if (!ToWide(xPath.c_str(), awPath)) return false;
  WIN32_FIND_DATAW xData;
  HANDLE hFind = FindFirstFileW(awPath, &xData);
  if (hFind == INVALID_HANDLE_VALUE) return false;
  FindClose(hFind);
  return (xData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
#else
  struct stat xStat;
  return stat(xPath.c_str(), &xStat) == 0 && S_ISDIR(xStat.st_mode);
#endif
}

std::unique_ptr<KFilePlain> KFilePlain::Open(const char* pszPath, const char* pszMode) {
  std::FILE* pxFile = KFileOpenUtf8(pszPath, pszMode);
  if (!pxFile) return nullptr;
  const int64_t llSize = StreamSize(pxFile);
  if (llSize < 0) {
    std::fclose(pxFile);
    return nullptr;
  }
  return std::unique_ptr<KFilePlain>(new KFilePlain(pxFile, llSize));
}

KFilePlain::~KFilePlain() { std::fclose(m_pxFile); }

size_t KFilePlain::Read(void* pBuffer, size_t uSize) {
  const size_t uRead = std::fread(pBuffer, 1, uSize, m_pxFile);
  m_llPosition += static_cast<int64_t>(uRead);
  return uRead;
}

bool KFilePlain::Seek(int64_t llPosition) {
  if (llPosition < 0 || llPosition > m_llSize) return false;
  if (llPosition == m_llPosition) return true;
#ifdef _WIN32
  if (_fseeki64(m_pxFile, llPosition, SEEK_SET) != 0) return false;
#else
  if (fseeko(m_pxFile, llPosition, SEEK_SET) != 0) return false;
#endif
  m_llPosition = llPosition;
  return true;
}

KFileMemory::KFileMemory(const void* pData, size_t uSize)
    : m_xBytes(static_cast<const uint8_t*>(pData), static_cast<const uint8_t*>(pData) + (pData ? uSize : 0)) {}

size_t KFileMemory::Read(void* pBuffer, size_t uSize) {
  const size_t uLeft = m_xBytes.size() - m_uPosition;
  const size_t uCount = uSize < uLeft ? uSize : uLeft;
  if (uCount) std::memcpy(pBuffer, m_xBytes.data() + m_uPosition, uCount);
  m_uPosition += uCount;
  return uCount;
}

bool KFileMemory::Seek(int64_t llPosition) {
  if (llPosition < 0 || static_cast<uint64_t>(llPosition) > m_xBytes.size()) return false;
  m_uPosition = static_cast<size_t>(llPosition);
  return true;
}
