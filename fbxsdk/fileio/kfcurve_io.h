#pragma once

#include <vector>

#include "fbxsdk/fileio/kfbx.h"
#include "fbxsdk/fileio/kfbx_writer.h"
#include "fbxsdk/scene/kfcurve.h"

// A curve's stored form is a run of fields inside the block that holds the
// curve (a "Channel" block): "Default" (the default value), "KeyVer",
// "KeyCount", "Key", "Pre-Extrapolation", "Post-Extrapolation" and "Color".

// Reads the stored form from the current field list; "Color" only when
// bReadColor is set. False, with the curve untouched, when the list holds no
// "Default" field.
bool KFCurveRetrieveMembers(KFbx& xFbx, KFCurve& xCurve, bool bReadColor = false);

// Enters the block of the current field (the caller has begun it), reads the
// stored form there and leaves. False when there is no block or no curve in it.
bool KFCurveRetrieve(KFbx& xFbx, KFCurve& xCurve, bool bReadColor = false);

class KFbxFieldSink;

// The stored form's fields, as they are made, into the block open in xOut.
void KFCurveEmitStored(KFbxFieldSink& xOut, const KFCurve& xCurve, int iKeyVersion = 4005, bool bWriteColor = false);
// The same as a list of fields.
std::vector<KFbxWriteField> KFCurveStoredMembers(const KFCurve& xCurve, int iKeyVersion = 4005,
                                                 bool bWriteColor = false);

// A field named pszName whose block holds the curve's stored form.
KFbxWriteField KFCurveStoredField(const KFCurve& xCurve, const char* pszName, int iKeyVersion = 4005,
                                  bool bWriteColor = false);
