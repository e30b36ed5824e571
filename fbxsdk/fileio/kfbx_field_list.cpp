#include "fbxsdk/fileio/kfbx_field_list.h"

#include <new>

namespace {

// FNV-1a: field names are short, and a block holds few distinct ones.
uint32_t HashName(const char* pName, size_t uLength) {
  uint32_t uHash = 2166136261u;
  for (size_t i = 0; i < uLength; ++i) uHash = (uHash ^ static_cast<uint8_t>(pName[i])) * 16777619u;
  return uHash;
}

constexpr size_t kFirstStoreBytes = 256;
constexpr size_t kFirstSlots = 16;

}  // namespace

uint8_t* KFbxByteStore::Grow(size_t uCount) {
  if (uCount > SIZE_MAX / 2 - m_uSize) return nullptr;
  size_t uCapacity = m_uCapacity ? m_uCapacity * 2 : kFirstStoreBytes;
  if (uCapacity < m_uSize + uCount) uCapacity = m_uSize + uCount;
  std::unique_ptr<uint8_t[]> pBytes(new (std::nothrow) uint8_t[uCapacity]);
  if (!pBytes) return nullptr;
  if (m_uSize) std::memcpy(pBytes.get(), m_pBytes.get(), m_uSize);
  m_pBytes = std::move(pBytes);
  m_uCapacity = uCapacity;
  uint8_t* pRoom = m_pBytes.get() + m_uSize;
  m_uSize += uCount;
  return pRoom;
}

uint32_t KFbxFieldList::FindField(const char* pName, size_t uLength, uint32_t uHash) const {
  if (m_xSlots.empty()) return kNone;
  const size_t uMask = m_xSlots.size() - 1;
  for (size_t i = uHash & uMask;; i = (i + 1) & uMask) {
    const uint32_t uField = m_xSlots[i];
    if (uField == kNone) return kNone;
    const Field& xField = m_xFields[uField];
    if (xField.m_uHash == uHash && xField.m_xName.size() == uLength &&
        std::memcmp(xField.m_xName.data(), pName, uLength) == 0)
      return uField;
  }
}

void KFbxFieldList::GrowSlots() {
  m_xSlots.assign(m_xSlots.empty() ? kFirstSlots : m_xSlots.size() * 2, kNone);
  const size_t uMask = m_xSlots.size() - 1;
  for (uint32_t uField = 0; uField < m_xFields.size(); ++uField) {
    size_t i = m_xFields[uField].m_uHash & uMask;
    while (m_xSlots[i] != kNone) i = (i + 1) & uMask;
    m_xSlots[i] = uField;
  }
}

bool KFbxFieldList::AddOccurrence(const char* pName, size_t uNameLength) {
  if (m_xOccurrences.size() >= KFbxLimits::kMaxFieldsPerBlock) return false;
  const uint32_t uIndex = static_cast<uint32_t>(m_xOccurrences.size());
  Occurrence xOccurrence;
  xOccurrence.m_uFirstValue = static_cast<uint32_t>(m_xBytes.Size());
  m_xOccurrences.push_back(xOccurrence);
  const uint32_t uHash = HashName(pName, uNameLength);
  uint32_t uField = FindField(pName, uNameLength, uHash);
  if (uField == kNone) {
    uField = static_cast<uint32_t>(m_xFields.size());
    Field xField;
    xField.m_xName.assign(pName, uNameLength);
    xField.m_uHash = uHash;
    xField.m_uFirst = xField.m_uNextUnread = uIndex;
    m_xFields.push_back(std::move(xField));
    if (2 * m_xFields.size() > m_xSlots.size()) {
      GrowSlots();
    } else {
      const size_t uMask = m_xSlots.size() - 1;
      size_t i = uHash & uMask;
      while (m_xSlots[i] != kNone) i = (i + 1) & uMask;
      m_xSlots[i] = uField;
    }
  } else {
    m_xOccurrences[m_xFields[uField].m_uLast].m_uNext = uIndex;
  }
  Field& xField = m_xFields[uField];
  xField.m_uLast = uIndex;
  ++xField.m_uCount;
  return true;
}

const KFbxFieldList::Field* KFbxFieldList::Find(const char* pszName) const {
  const char* pName = pszName ? pszName : "";
  const size_t uLength = std::strlen(pName);
  const uint32_t uField = FindField(pName, uLength, HashName(pName, uLength));
  return uField == kNone ? nullptr : &m_xFields[uField];
}

bool KFbxFieldList::Begin(const char* pszName) {
  const Field* pxField = Find(pszName);
  if (!pxField || pxField->m_uNextUnread == kNone) return false;
  m_uCurrentField = static_cast<uint32_t>(pxField - m_xFields.data());
  m_uCurrent = pxField->m_uNextUnread;
  m_uCursor = 0;
  m_uCursorAt = m_xOccurrences[m_uCurrent].m_uFirstValue;
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
