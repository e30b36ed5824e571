// Faults the structure-aware fuzzer (fuzz_fbx_structure) found in the
// importer, each shown by a file laid out for it; the fuzzer's own inputs
// are replayed from fuzz/regress_fbx_import by the import sweep.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "fbxsdk/scene/kfbx_node.h"
#include "import_fields.h"

namespace {

using namespace ImportFields;

constexpr int64_t kSecond = 46186158000;

// The X translation curve a take gave a model.
const KFCurve* TranslationXCurve(KFbxNode& xNode, const char* pszTake) {
  for (int i = 0; i < xNode.GetTakeNodeCount(); ++i)
    if (std::strcmp(xNode.GetTakeNodeName(i), pszTake) == 0) {
      KFCurveNode* pxT = xNode.GetTakeNode(i)->GetKFCurveNode()->Find("T");
      return pxT && pxT->GetCount() > 0 ? pxT->Get(0)->FCurveGet() : nullptr;
    }
  return nullptr;
}

}  // namespace

// A cubic key's weights as the file stores them: numbers outside the range
// are clamped into it, and one that is not a number weighs as an unweighted
// key (it used to be converted to a 16-bit integer, which is undefined).
TEST(KFbxImportFindings, KeyWeightsThatAreNoNumberOrInfinite) {
  const double dInf = std::numeric_limits<double>::infinity();
  const struct {
    const char* m_pszName;
    double m_dWeight;
    float m_fRead;
  } axCases[] = {
      {"not a number", std::numeric_limits<double>::quiet_NaN(), kDefaultTangentWeight},
      {"infinite", dInf, kMaxTangentWeight},
      {"infinitely negative", -dInf, kMinTangentWeight},
  };
  for (const auto& xCase : axCases) {
    SCOPED_TRACE(xCase.m_pszName);
    const F xTake = Take(
        "T1", {Field("Model", {V::ObjectName("Model", "J")},
                     {TranslationX({V::Int64(0), V::Double(0), V::String("U"), V::String("s"), V::Double(0),
                                    V::Double(0), V::String("a"), V::Double(xCase.m_dWeight),
                                    V::Double(xCase.m_dWeight), V::Int64(kSecond), V::Double(10), V::String("L")})})});
    // Import() also checks that every model poses to finite numbers.
    const auto pxResult = Import("nan_weight", File({Model("J", "Null")}, {}, {xTake}, "T1"), true);
    ASSERT_TRUE(pxResult->m_bOk) << pxResult->m_xError;
    KFbxNode* pxJ = pxResult->Node("J");
    ASSERT_TRUE(pxJ);
    const KFCurve* pxCurve = TranslationXCurve(*pxJ, "T1");
    ASSERT_TRUE(pxCurve);
    ASSERT_EQ(pxCurve->KeyGetCount(), 2);
    const KFCurveKey& xKey = pxCurve->KeyGet(0);
    EXPECT_EQ(xKey.GetTangentWeightMode(), static_cast<uint32_t>(KFCURVE_WEIGHTED_RIGHT | KFCURVE_WEIGHTED_NEXT_LEFT));
    EXPECT_NEAR(xKey.GetRightTangentWeight(), xCase.m_fRead, 1e-4);
    EXPECT_NEAR(xKey.GetNextLeftTangentWeight(), xCase.m_fRead, 1e-4);
    EXPECT_TRUE(std::isfinite(pxCurve->EvaluateUncached(KTime(kSecond / 2))));
  }
}
