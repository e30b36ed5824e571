#include "fbx_tree_mutator.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

#include "fbx_field_tree.h"
#include "fbx_tree_mutations.h"

namespace {

// Attempts per call: a change that finds nothing to act on, or makes the
// file too large, is drawn again. The later half only removes, so that a
// file at the caps still changes.
constexpr int kAttempts = 8;
// Changes stacked in one mutation, as libFuzzer stacks byte mutations.
constexpr size_t kMaxStacked = 4;

// The tree written, when it stays within both caps and opens again.
bool Fits(FbxFieldTree& xTree, size_t uMaxSize, std::string& xOut) {
  if (FbxTreeFieldCount(xTree.m_xFields) > kFbxTreeMaxFields) return false;
  xOut = FbxTreeWrite(xTree);
  return !xOut.empty() && xOut.size() <= std::min(uMaxSize, kFbxTreeMaxBytes) && FbxTreeOpens(xOut);
}

// Trees of recently read inputs. libFuzzer mutates each input of its corpus
// many times over and draws cross-over partners from the corpus, so most
// reads repeat one; a read costs about as much as an import. Bytes that do
// not read as a tree are remembered too.
class TreeCache {
 public:
  // The tree of the bytes, or null when they do not read as one.
  const FbxFieldTree* Find(const uint8_t* pData, size_t uSize) {
    const std::string xBytes(reinterpret_cast<const char*>(pData), uSize);
    const size_t uKey = std::hash<std::string>()(xBytes);
    auto it = m_xEntries.find(uKey);
    if (it == m_xEntries.end() || it->second.m_xBytes != xBytes) {
      // Dropped all at once when full: the corpus's inputs come back soon.
      if (m_xEntries.size() >= kCachedTrees) m_xEntries.clear();
      Entry& xEntry = m_xEntries[uKey];
      xEntry.m_xBytes = xBytes;
      xEntry.m_bTree = FbxTreeRead(pData, uSize, xEntry.m_xTree);
      it = m_xEntries.find(uKey);
    }
    return it->second.m_bTree ? &it->second.m_xTree : nullptr;
  }

 private:
  static constexpr size_t kCachedTrees = 512;
  struct Entry {
    std::string m_xBytes;
    FbxFieldTree m_xTree;
    bool m_bTree = false;
  };
  std::unordered_map<size_t, Entry> m_xEntries;
};

TreeCache& Cache() {
  static TreeCache s_xCache;
  return s_xCache;
}

size_t Put(const std::string& xBytes, uint8_t* pOut) {
  std::memcpy(pOut, xBytes.data(), xBytes.size());
  return xBytes.size();
}

}  // namespace

size_t FbxTreeMutate(uint8_t* pData, size_t uSize, size_t uMaxSize, unsigned uSeed, const FbxByteMutation& xFallback) {
  const FbxFieldTree* pxTree = Cache().Find(pData, uSize);
  if (!pxTree) return xFallback(pData, uSize, uMaxSize);
  FbxRandom xRandom(uSeed);
  std::string xBytes;
  for (int iAttempt = 0; iAttempt < kAttempts; ++iAttempt) {
    FbxFieldTree xMutant = *pxTree;
    bool bChanged = false;
    if (iAttempt < kAttempts / 2) {
      for (size_t i = 1 + xRandom.Below(kMaxStacked); i > 0; --i)
        bChanged = FbxMutateTree(xMutant, xRandom) || bChanged;
    } else {
      bChanged = FbxShrinkTree(xMutant, xRandom);
    }
    if (bChanged && Fits(xMutant, uMaxSize, xBytes)) return Put(xBytes, pData);
  }
  return xFallback(pData, uSize, uMaxSize);
}

size_t FbxTreeCrossOver(const uint8_t* pData1, size_t uSize1, const uint8_t* pData2, size_t uSize2, uint8_t* pOut,
                        size_t uMaxOutSize, unsigned uSeed) {
  FbxRandom xRandom(uSeed);
  // The field is copied out first: the second read may drop its tree.
  const FbxFieldTree* pxFrom = Cache().Find(pData2, uSize2);
  const KFbxWriteField* pxField = pxFrom ? FbxPickField(*pxFrom, xRandom) : nullptr;
  if (!pxField) return 0;
  const KFbxWriteField xField = *pxField;
  const FbxFieldTree* pxInto = Cache().Find(pData1, uSize1);
  if (!pxInto) return 0;
  std::string xBytes;
  for (int iAttempt = 0; iAttempt < kAttempts; ++iAttempt) {
    FbxFieldTree xChild = *pxInto;
    if (FbxSpliceField(xChild, xField, xRandom) && Fits(xChild, uMaxOutSize, xBytes)) return Put(xBytes, pOut);
  }
  return 0;
}
