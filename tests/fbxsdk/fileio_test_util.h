#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "fbxsdk/fileio/kfbx.h"
#include "fbxsdk/fileio/kfbx_writer.h"
#include "kfbx_walk.h"
#include "test_tmpdir.h"

namespace fileio_test {

// This test process's own temporary folder (removed at exit).
inline std::string TempDir() {
  std::string xFolder = boneplay_test::TempFolder();
  if (!xFolder.empty() && xFolder.back() == '/') xFolder.pop_back();
  return xFolder;
}

inline std::string WriteTemp(const std::string& xName, const std::string& xBytes) {
  const std::string xPath = TempDir() + "/" + xName;
  std::FILE* pxFile = std::fopen(xPath.c_str(), "wb");
  if (pxFile) {
    std::fwrite(xBytes.data(), 1, xBytes.size(), pxFile);
    std::fclose(pxFile);
  }
  return xPath;
}

// The encodings a test body runs over.
struct Encoding {
  const char* m_pszName;
  KFbxWriteOptions m_xOptions;
};

inline std::vector<Encoding> AllEncodings() {
  KFbxWriteOptions xLittle, xBig, xAscii, xEncrypted;
  xBig.m_bBigEndian = true;
  xAscii.m_bBinary = false;
  xEncrypted.m_bEncrypted = true;
  xEncrypted.m_xPassword = "open sesame";
  return {{"binary little-endian", xLittle},
          {"binary big-endian", xBig},
          {"ASCII", xAscii},
          {"binary encrypted", xEncrypted}};
}

// Opens bytes from memory, giving the password of encrypted files.
inline bool OpenBytes(KFbx& xFbx, const std::string& xBytes, const KFbxWriteOptions& xOptions) {
  if (!xFbx.ProjectOpenMemory(xBytes.data(), xBytes.size())) return false;
  return !xOptions.m_bEncrypted || xFbx.SetPassword(xOptions.m_xPassword.c_str());
}

}  // namespace fileio_test
