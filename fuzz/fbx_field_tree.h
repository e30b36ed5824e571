#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fbxsdk/fileio/kfbx_writer.h"

// An FBX file as a tree of writer fields, read through our container and
// written back by our writer: what the structure-aware fuzzer mutates.
//
// The container hands out a block's fields by name, each name with its
// occurrences in file order, names in order of first appearance; it does
// not say how occurrences of different names interleave. The tree keeps
// that order (all "Model" fields, then all "Connect" fields, ...), which is
// also the only order the importer can see, so a tree read from a file
// reads back as the same tree once written.
struct FbxFieldTree {
  KFbxWriteSection m_xFields;   // the first section's top level
  KFbxWriteOptions m_xOptions;  // encoding, byte order, header version
};

// Bounds that keep every mutated input small and quick to import: a tree
// of more fields is refused when read, and written files larger than the
// byte cap are not handed back to the fuzzer.
constexpr size_t kFbxTreeMaxFields = 1500;
constexpr size_t kFbxTreeMaxBytes = 24 * 1024;

// Reads a binary or ASCII file from memory: false for bytes the container
// cannot open, encrypted files (the mutator does not know their password)
// and trees of more than kFbxTreeMaxFields fields.
bool FbxTreeRead(const uint8_t* pData, size_t uSize, FbxFieldTree& xTree);

// Whether the container opens the bytes as a file FbxTreeRead takes: a
// tree can be written that it refuses (a header extension stating version
// 7 or encryption), and the mutator hands back only files it can mutate
// again.
bool FbxTreeOpens(const std::string& xBytes);

// Fields in the tree, nested ones included.
size_t FbxTreeFieldCount(const KFbxWriteSection& xFields);

// A real as a float value: finite reals beyond the float range become
// infinities, so that no conversion (ours or the writer's) leaves the range.
float FbxFloatOf(double dValue);

// Makes every name and value writable in the tree's encoding (ASCII names
// are bare words, ASCII strings hold no quote, binary names fit their
// length byte), then writes it; empty when the writer refuses the tree.
std::string FbxTreeWrite(FbxFieldTree& xTree);
