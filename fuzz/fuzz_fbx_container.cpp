// Feeds arbitrary bytes to the FBX file container as a file in memory, then
// walks every field and block and reads every value with every typed read:
// nothing may crash, hang, read out of bounds or leak, whatever the input.
// Encrypted inputs are tried with the corpus generator's password.
#include <cstdint>

#include "fbxsdk/fileio/kfcurve_io.h"
#include "kfbx_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KFbx xFbx;
  KFbxHeaderInfo xInfo;
  if (!xFbx.ProjectOpenMemory(data, size, true, false, &xInfo)) return 0;
  if (xFbx.IsEncrypted() && !xFbx.SetPassword("fuzz")) return 0;
  fileio_test::WalkEverything(xFbx);
  // Every top-level field read once more as a curve's stored form.
  for (int i = 0; i < xFbx.GetFieldCount(); ++i) {
    KFCurve xCurve;
    if (xFbx.BeginField(xFbx.GetFieldName(i)) && KFCurveRetrieve(xFbx, xCurve, true)) xCurve.EvaluateUncached(KTime(0));
  }
  return 0;
}
