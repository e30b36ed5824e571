#include "fbxsdk/core/kerror.h"

const char* KErrorState::GetErrorString(int iCode) const {
  if (!m_ppszTable || iCode < 0 || iCode >= m_iCount || !m_ppszTable[iCode]) return "";
  return m_ppszTable[iCode];
}

void KErrorState::SetLastErrorID(int iCode) {
  m_iCode = iCode;
  m_xMessage = GetErrorString(iCode);
}

void KErrorState::SetLastError(int iCode, const char* pszDetail) {
  SetLastErrorID(iCode);
  m_xMessage = pszDetail;
}
