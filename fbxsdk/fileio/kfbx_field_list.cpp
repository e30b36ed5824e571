#include "fbxsdk/fileio/kfbx_field_list.h"

bool KFbxFieldList::AddOccurrence(const char* pName, size_t uNameLength) {
  if (m_xOccurrences.size() >= KFbxLimits::kMaxFieldsPerBlock) return false;
  const uint32_t uIndex = static_cast<uint32_t>(m_xOccurrences.size());
  Occurrence xOccurrence;
  xOccurrence.m_uFirstValue = static_cast<uint32_t>(m_xValues.size());
  m_xOccurrences.push_back(xOccurrence);
  auto xFound = m_xIndex.emplace(std::string(pName, uNameLength), static_cast<uint32_t>(m_xFields.size()));
  if (xFound.second) {
    Field xField;
    xField.m_xName = xFound.first->first;
    xField.m_uFirst = xField.m_uNextUnread = uIndex;
    m_xFields.push_back(std::move(xField));
  } else {
    Field& xField = m_xFields[xFound.first->second];
    m_xOccurrences[xField.m_uLast].m_uNext = uIndex;
  }
  Field& xField = m_xFields[xFound.first->second];
  xField.m_uLast = uIndex;
  ++xField.m_uCount;
  return true;
}

const KFbxFieldList::Field* KFbxFieldList::Find(const char* pszName) const {
  auto xFound = m_xIndex.find(pszName ? pszName : "");
  return xFound == m_xIndex.end() ? nullptr : &m_xFields[xFound->second];
}

bool KFbxFieldList::Begin(const char* pszName) {
  auto xFound = m_xIndex.find(pszName ? pszName : "");
  if (xFound == m_xIndex.end() || m_xFields[xFound->second].m_uNextUnread == kNone) return false;
  m_uCurrentField = xFound->second;
  m_uCurrent = m_xFields[m_uCurrentField].m_uNextUnread;
  m_uCursor = 0;
  return true;
}

void KFbxFieldList::End() {
  if (m_uCurrent == kNone) return;
  Field& xField = m_xFields[m_uCurrentField];
  if (xField.m_uNextUnread == m_uCurrent) xField.m_uNextUnread = m_xOccurrences[m_uCurrent].m_uNext;
  m_uCurrent = m_uCurrentField = kNone;
}

void KFbxFieldList::RewindAll() {
  for (Field& xField : m_xFields) xField.m_uNextUnread = xField.m_uFirst;
  m_uCurrent = m_uCurrentField = kNone;
}
