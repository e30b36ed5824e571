#pragma once

#include "fbxsdk/fileio/kfbx.h"
#include "fbxsdk/fileio/kfbx_writer.h"
#include "fbxsdk/scene/kfcurve.h"

// Reads a curve's stored form from the current field of xFbx: the field's
// own value is the default value; its block holds "KeyVer", "KeyCount",
// "Key", "Pre-Extrapolation", "Post-Extrapolation" and, when bReadColor is
// set, "Color". The caller has begun the curve's field; it is left current.
// False (code 0) when the block cannot be entered.
bool KFCurveRetrieve(KFbx& xFbx, KFCurve& xCurve, bool bReadColor = false);

// The stored form of a curve as a field named pszName, for the writer.
KFbxWriteField KFCurveStoredField(const KFCurve& xCurve, const char* pszName, int iKeyVersion = 4005,
                                  bool bWriteColor = false);
