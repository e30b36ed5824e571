#pragma once

#include "fbxsdk/core/kstring.h"
#include "fbxsdk/core/ktime_span.h"

// What a scene knows about one take it holds: the names, the comments and
// the two time spans the file gave it.
struct KFbxTakeRecord {
  KString m_xName;
  KString m_xImportName;   // a copy of the name
  KString m_xDescription;  // the take's "Comments"
  bool m_bImport = true;   // the take is to be read
  KTimeSpan m_xLocalTimeSpan;
  KTimeSpan m_xReferenceTimeSpan;

  KFbxTakeRecord() = default;
  explicit KFbxTakeRecord(const char* pszName) : m_xName(pszName), m_xImportName(pszName) {}
};
