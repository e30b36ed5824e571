// The FBX importer fuzzed with whole files: each input is read as a field
// tree, changed as a tree (fields and blocks inserted, deleted, duplicated,
// moved, swapped; values retyped, renumbered, renamed; connection ends, key
// times, "Children" names, the generation) and written back by our writer,
// so that mutations reach the importer's walk instead of breaking a record
// offset the container refuses; a share of byte mutations keeps the
// container's own checks in reach. The import is fuzz_fbx_import's.
#include <cstddef>
#include <cstdint>

#include "fbx_import_one.h"
#include "fbx_tree_mutator.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* pData, size_t uSize, size_t uMaxSize);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
  FbxImportOne(pData, uSize);
  return 0;
}

// One mutation in kByteMutationShare is libFuzzer's own byte mutation:
// the container's checks of offsets, lengths and headers meet only files
// our writer would never make, and such inputs run several times faster.
constexpr unsigned kByteMutationShare = 4;

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* pData, size_t uSize, size_t uMaxSize, unsigned int uSeed) {
  if (uSeed % kByteMutationShare == 0) return LLVMFuzzerMutate(pData, uSize, uMaxSize);
  return FbxTreeMutate(pData, uSize, uMaxSize, uSeed, LLVMFuzzerMutate);
}

extern "C" size_t LLVMFuzzerCustomCrossOver(const uint8_t* pData1, size_t uSize1, const uint8_t* pData2, size_t uSize2,
                                            uint8_t* pOut, size_t uMaxOutSize, unsigned int uSeed) {
  return FbxTreeCrossOver(pData1, uSize1, pData2, uSize2, pOut, uMaxOutSize, uSeed);
}
