#pragma once

#include "fbxsdk/core/kerror.h"
#include "fbxsdk/core/kstring.h"

class KFbxSceneGraph;
class KFbxSdkManager;
class KStreamOptions;

// A reader of one file format. The importer opens it on a file, may ask it
// for default read options, and has it read the file into a scene. Failures
// leave a code of the table below and a message in the reader's error state,
// and a status text saying what happened.
class KFbxReader {
 public:
  enum EError {
    eFILE_CORRUPTED = 0,
    eFILE_VERSION_NOT_SUPPORTED_YET = 1,
    eFILE_VERSION_NOT_SUPPORTED_ANYMORE = 2,
    eFILE_NOT_OPENED = 3,
    eFILE_NOT_CREATED = 4,
    eWRONG_PASSWORD = 5,
    eSTREAM_OPTIONS_NOT_SET = 6,
    eUNIDENTIFIED_ERROR = 7,
    eERROR_COUNT
  };

  KFbxReader(KFbxSdkManager& xManager, int iFileFormat);
  // Slot operations, in their fixed order.
  virtual ~KFbxReader();                               // 0
  virtual bool FileOpen(const char* pszFileName) = 0;  // 1
  virtual bool FileClose() = 0;                        // 2
  virtual bool IsFileOpen() const = 0;                 // 3
  // Default read options for the open file, created through the manager
  // (the caller releases them there); null on failure, which is recorded as
  // an error only when bReportFailure is set.
  virtual KStreamOptions* GetReadOptions(bool bReportFailure) = 0;           // 4
  virtual bool Read(KFbxSceneGraph& xScene, KStreamOptions* pxOptions) = 0;  // 5
  virtual const char* GetStatusText() const { return m_xStatus.Buffer(); }   // 6

  KFbxReader(const KFbxReader&) = delete;
  KFbxReader& operator=(const KFbxReader&) = delete;

  int GetFileFormat() const { return m_iFileFormat; }
  KErrorState& GetError() { return m_xError; }
  const KErrorState& GetError() const { return m_xError; }

 protected:
  KFbxSdkManager& Manager() { return m_xManager; }
  void SetStatus(const char* pszText) { m_xStatus = pszText; }
  // Sets the code with a detail message and the same status text; false.
  bool Fail(int iCode, const KString& xDetail);

 private:
  KFbxSdkManager& m_xManager;
  int m_iFileFormat;
  KErrorState m_xError;
  KString m_xStatus;
};
