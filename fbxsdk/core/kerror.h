#pragma once

#include "fbxsdk/core/kstring.h"

// Error code and message carried by every FBX library object. A code is
// explained by the owner's fixed table of texts; nothing is cleared on
// success, callers read the state after an operation has failed.
class KErrorState {
 public:
  KErrorState() = default;
  KErrorState(const char* const* ppszTable, int iCount) : m_iCount(iCount), m_ppszTable(ppszTable) {}

  // Sets the code and copies its table text (empty for a code without text
  // or outside the table).
  void SetLastErrorID(int iCode);
  // Sets the code, then replaces the message by the detail text.
  void SetLastError(int iCode, const char* pszDetail);

  int GetLastErrorID() const { return m_iCode; }
  const char* GetLastErrorString() const { return m_xMessage.Buffer(); }
  int GetErrorCount() const { return m_iCount; }
  // Table text of a code, or an empty text.
  const char* GetErrorString(int iCode) const;

 private:
  int m_iCode = 0;
  int m_iCount = 0;
  KString m_xMessage;
  const char* const* m_ppszTable = nullptr;
};
