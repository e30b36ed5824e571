#include "fbxsdk/fileio/kfcurve_io.h"

bool KFCurveRetrieve(KFbx&, KFCurve&, bool) { return false; }
KFbxWriteField KFCurveStoredField(const KFCurve&, const char* pszName, int, bool) { return KFbxWriteField(pszName); }
