#pragma once

#include "fbx_field_tree.h"
#include "fbx_random.h"

// Mutations that add what the importer reads, laid out as it reads it:
// each makes a piece of a scene from the importer's own words, so that a
// few steps reach evaluation paths (limits, pivots, orders, every key kind)
// that random field changes would take long to assemble. False when the
// tree has no place for the piece.

// A "Property" field (a model's own property or a new one, stated with any
// type name and flags, with up to four values) in a model's "Properties60".
bool FbxGrowProperty(FbxFieldTree& xTree, FbxRandom& xRandom);
// A model: in "Objects" with a connection to a parent (newer generation) or
// at the top level named in a "Children" list (older generation).
bool FbxGrowModel(FbxFieldTree& xTree, FbxRandom& xRandom);
// A channel tree with a keyed curve in a "Model" block (a take's, or an
// older model's own default transform).
bool FbxGrowCurve(FbxFieldTree& xTree, FbxRandom& xRandom);
// A key of any kind at the end of (or inside) a "Key" list.
bool FbxGrowKey(FbxFieldTree& xTree, FbxRandom& xRandom);
// A take naming a model, with a curve, in "Takes".
bool FbxGrowTake(FbxFieldTree& xTree, FbxRandom& xRandom);
