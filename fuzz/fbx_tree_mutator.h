#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// libFuzzer's custom mutator and cross-over for FBX files, apart from
// libFuzzer itself so that tests can run them: the input is read into a
// field tree, changed as a tree (fbx_tree_mutations.h) and written back in
// its own encoding and version. The same seed gives the same output.

// A byte-level mutation in place (libFuzzer's LLVMFuzzerMutate): the new
// size, at most uMaxSize.
using FbxByteMutation = std::function<size_t(uint8_t* pData, size_t uSize, size_t uMaxSize)>;

// Mutates the file in pData[0, uSize) in place and returns its new size,
// at most uMaxSize and kFbxTreeMaxBytes. Bytes that do not read as a tree
// go to xFallback.
size_t FbxTreeMutate(uint8_t* pData, size_t uSize, size_t uMaxSize, unsigned uSeed, const FbxByteMutation& xFallback);

// Writes into pOut the first file with a field of the second spliced in;
// 0 when either does not read as a tree or no splice fits uMaxOutSize.
size_t FbxTreeCrossOver(const uint8_t* pData1, size_t uSize1, const uint8_t* pData2, size_t uSize2, uint8_t* pOut,
                        size_t uMaxOutSize, unsigned uSeed);
