#pragma once

#include <string>
#include <vector>

#include "fbx_random.h"
#include "fbxsdk/fileio/kfbx_writer.h"

// Where a field of a tree stands: its list and its position there.
struct FbxTreeSlot {
  KFbxWriteSection* m_pxList;
  size_t m_uIndex;
  KFbxWriteField& Field() const { return (*m_pxList)[m_uIndex]; }
};

inline bool FbxHasBlock(const KFbxWriteField& xField) { return xField.m_bBlock || !xField.m_xChildren.empty(); }

// Every field and every list of fields (the top level and each block) of a
// tree, in one fixed depth-first order. Valid until a list changes: it
// points into the lists.
struct FbxTreeIndex {
  std::vector<FbxTreeSlot> m_xFields;
  std::vector<KFbxWriteSection*> m_xLists;

  explicit FbxTreeIndex(KFbxWriteSection& xTop) {
    std::vector<KFbxWriteSection*> xStack{&xTop};
    while (!xStack.empty()) {
      KFbxWriteSection* pxList = xStack.back();
      xStack.pop_back();
      m_xLists.push_back(pxList);
      for (size_t i = 0; i < pxList->size(); ++i) {
        m_xFields.push_back({pxList, i});
        if (FbxHasBlock((*pxList)[i])) xStack.push_back(&(*pxList)[i].m_xChildren);
      }
    }
  }

  // The fields of one name, in index order.
  std::vector<FbxTreeSlot> Named(const std::string& xName) const {
    std::vector<FbxTreeSlot> xOut;
    for (const FbxTreeSlot& xSlot : m_xFields)
      if (xSlot.Field().m_xName == xName) xOut.push_back(xSlot);
    return xOut;
  }
};

// An object name without its class ("Model::Hips" -> "Hips"), as "Children"
// lists and take fields often write it.
inline std::string FbxBareName(const std::string& xName) {
  const size_t uColons = xName.find("::");
  return uColons == std::string::npos ? xName : xName.substr(uColons + 2);
}

template <typename T>
const T& FbxPickFrom(const std::vector<T>& xItems, FbxRandom& xRandom) {
  return xItems[xRandom.Below(xItems.size())];
}
