#include "fbxsdk/fileio/kfbx_reader.h"

namespace {

constexpr const char* kReaderErrorTexts[] = {
    "File is corrupted",
    "File version is not supported yet",
    "File version is not supported anymore",
    "File not opened",
    "File not created",
    "Wrong password",
    "Stream options not set",
    "Unidentified error",
};
static_assert(sizeof(kReaderErrorTexts) / sizeof(kReaderErrorTexts[0]) == KFbxReader::eERROR_COUNT,
              "one text per reader error");

}  // namespace

KFbxReader::KFbxReader(KFbxSdkManager& xManager, int iFileFormat)
    : m_xManager(xManager), m_iFileFormat(iFileFormat), m_xError(kReaderErrorTexts, eERROR_COUNT) {}

KFbxReader::~KFbxReader() = default;

bool KFbxReader::Fail(int iCode, const KString& xDetail) {
  m_xError.SetLastError(iCode, xDetail);
  m_xStatus = xDetail;
  return false;
}
