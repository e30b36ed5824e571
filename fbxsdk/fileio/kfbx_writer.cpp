#include "fbxsdk/fileio/kfbx_writer.h"

bool KFbxWriteFile(const char*, const std::vector<KFbxWriteSection>&, const KFbxWriteOptions&, std::string*) {
  return false;
}
std::string KFbxWriteBytes(const std::vector<KFbxWriteSection>&, const KFbxWriteOptions&, std::string*) { return {}; }
