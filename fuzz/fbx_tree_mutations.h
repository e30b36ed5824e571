#pragma once

#include "fbx_field_tree.h"
#include "fbx_random.h"

// One change to a field tree, drawn from xRandom: a field or block
// inserted, deleted, duplicated, moved or swapped with a sibling; a field
// renamed; a value retyped, renumbered, retexted, added or removed; and the
// changes the importer's walk is most sensitive to: a connection's ends, a
// key's time, a "Children" name, two fields of one name made to name the
// same thing, the file's generation; and pieces of a scene laid out as the
// importer reads them (fbx_tree_growth.h). False when the tree offers
// nothing to change the way drawn (the caller draws again).
bool FbxMutateTree(FbxFieldTree& xTree, FbxRandom& xRandom);

// A change that only removes: for trees at the size caps.
bool FbxShrinkTree(FbxFieldTree& xTree, FbxRandom& xRandom);

// Cross-over: a field of a tree (with its block), to go into another tree
// beside or in place of one of its fields; null for an empty tree.
const KFbxWriteField* FbxPickField(const FbxFieldTree& xTree, FbxRandom& xRandom);
bool FbxSpliceField(FbxFieldTree& xInto, const KFbxWriteField& xField, FbxRandom& xRandom);
