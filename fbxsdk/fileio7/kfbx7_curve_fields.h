#pragma once

class KFbxFieldSink;
class KFCurve;

// The fields of a curve's "AnimationCurve" object, into the block open in
// xOut: "Default", "KeyVer", the key arrays ("KeyTime", "KeyValueFloat",
// "KeyAttrFlags", "KeyAttrDataFloat", "KeyAttrRefCount") and the
// extrapolation blocks.
void KFbx7PutCurveFields(KFbxFieldSink& xOut, const KFCurve& xCurve);
