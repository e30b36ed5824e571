#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fbxsdk/fileio/kfbx_importer.h"
#include "fbxsdk/fileio/kfbx_scene_walk.h"
#include "fbxsdk/scene/kfbx_node.h"
#include "fbxsdk/scene/kfbx_scene_graph.h"
#include "fbxsdk/scene/kfbx_sdk_manager.h"
#include "import_fields.h"

namespace {

using namespace ImportFields;

std::vector<F> Chain(int iCount) {
  std::vector<F> xModels;
  for (int i = 0; i < iCount; ++i) xModels.push_back(Model("J" + std::to_string(i), "LimbNode"));
  return xModels;
}

std::vector<F> ChainLinks(int iCount) {
  std::vector<F> xLinks;
  for (int i = 1; i < iCount; ++i)
    xLinks.push_back(Connect("Model::J" + std::to_string(i), "Model::J" + std::to_string(i - 1)));
  return xLinks;
}

F NestedChannels(int iDepth) {
  F xInner = Field("Channel", {V::String("Deep")});
  for (int i = 1; i < iDepth; ++i) {
    F xOuter = Field("Channel", {V::String("Deep")});
    xOuter.m_xChildren.push_back(std::move(xInner));  // moved, not copied: depth stays linear
    xInner = std::move(xOuter);
  }
  return xInner;
}

}  // namespace

// Files other exporters write, and hostile ones: each ends in a clean
// failure or a scene with what could be read.
TEST(KFbxImportHostile, NamesCountsAndReferencesAreNotTrusted) {
  const F xAutoKeys =
      TranslationX({V::Int64(0), V::Double(1), V::String("U"), V::String("a"), V::String("n"), V::Int64(46186158000),
                    V::Double(3), V::String("U"), V::String("a"), V::String("n")});
  const F xBackwards =
      TranslationX({V::Int64(46186158000), V::Double(2), V::String("L"), V::Int64(0), V::Double(5), V::String("L")});
  const auto xTranslationXAt = [](const Result& r, double dSeconds) {
    KFbxNode* pxNode = r.Node("J0");
    pxNode->SetCurrentTakeNode("T1");
    return pxNode->GlobalMatrixAt(KTime::FromSeconds(dSeconds))[3][0];
  };
  const struct {
    const char* m_pszName;
    KFbxWriteSection m_xFile;
    bool m_bLoads;
    std::function<void(const Result&)> m_xCheck;
  } acCases[] = {
      {"connect names a missing object", File(Chain(1), {Connect("Model::J0", "Model::Nobody")}), true,
       [](const Result& r) { EXPECT_STREQ(r.ParentOf("J0"), "Model::RootNode"); }},
      {"model connected to itself", File(Chain(1), {Connect("Model::J0", "Model::J0")}), true,
       [](const Result& r) { EXPECT_STREQ(r.ParentOf("J0"), "Model::RootNode"); }},
      {"cycle of connections", File(Chain(2), {Connect("Model::J0", "Model::J1"), Connect("Model::J1", "Model::J0")}),
       true, [](const Result& r) { EXPECT_EQ(r.m_pxScene->RootNode()->ChildCount(true), 2); }},
      {"two parents: the first is kept",
       File(Chain(3), {Connect("Model::J2", "Model::J0"), Connect("Model::J2", "Model::J1")}), true,
       [](const Result& r) { EXPECT_STREQ(r.ParentOf("J2"), "Model::J0"); }},
      {"cluster connection before the parent",
       File({Model("A", "Limb"), Model("B", "Null"),
             Field("Deformer", {V::String("SubDeformer::C"), V::String("Cluster")})},
            {Connect("Model::A", "SubDeformer::C"), Connect("Model::A", "Model::B")}),
       true, [](const Result& r) { EXPECT_STREQ(r.ParentOf("A"), "Model::B"); }},
      {"subtype chooses the attribute, Type wins",
       File({Model("S", "LimbNode"), Model("N", "LimbNode", {F("Type", {V::String("Null")})})}, {}), true,
       [](const Result& r) {
         EXPECT_EQ(r.Node("S")->Attribute()->AttributeType(), KFbxNodeAttribute::eSKELETON);
         EXPECT_EQ(r.Node("N")->Attribute()->AttributeType(), KFbxNodeAttribute::eNULL);
       }},
      {"take names an unknown model and Current a missing take",
       File(Chain(1), {}, {Take("T1", {Field("Model", {V::String("Model::Ghost")})})}, "Nothing"), true,
       [](const Result& r) {
         EXPECT_TRUE(r.m_pxScene->FindTakeInfo("T1"));
         EXPECT_EQ(r.Node("J0")->GetCurrentTakeNodeIndex(), 0);
       }},
      {"key count of 2^31 and a short key list",
       File(Chain(1), {},
            {Take("T1", {Field("Model", {V::String("Model::J0")},
                               {CurveChannel("X", {F("KeyVer", {V::Int(4005)}), F("KeyCount", {V::Int64(2147483648LL)}),
                                                   Key({V::Int64(0), V::Double(1), V::String("L")})})})})}),
       true, [](const Result& r) { EXPECT_TRUE(r.Node("J0")); }},
      {"auto keys of key version 4005 with weight letters",
       File(Chain(1), {}, {Take("T1", {Field("Model", {V::String("Model::J0")}, {xAutoKeys})})}), true,
       [&](const Result& r) {
         EXPECT_NEAR(xTranslationXAt(r, 0), 1.0, 1e-6);
         EXPECT_NEAR(xTranslationXAt(r, 1), 3.0, 1e-6);
       }},
      {"keys whose times go backwards",
       File(Chain(1), {}, {Take("T1", {Field("Model", {V::String("Model::J0")}, {xBackwards})})}), true,
       [&](const Result& r) { EXPECT_NEAR(xTranslationXAt(r, 0), 2.0, 1e-6); }},
      {"channels nested 10000 deep",
       File(Chain(1), {}, {Take("T1", {Field("Model", {V::String("Model::J0")}, {NestedChannels(10000)})})}), true,
       [](const Result& r) { EXPECT_EQ(r.Node("J0")->GetTakeNodeCount(), 2); }},
      {"property with too few values",
       File({Model("P", "Null",
                   {Field("Properties60", {},
                          {F("Property", {V::String("Lcl Translation"), V::String("Lcl Translation"), V::String("A+"),
                                          V::Double(5)})})})},
            {}),
       true, [](const Result& r) { EXPECT_EQ(r.Node("P")->GetProperties().LclTranslation().Get()[0], 0.0); }},
      {"take file escaping the folder",
       File(Chain(1), {}, {Take("T1", {F("FileName", {V::String("../../../../../../etc/passwd")})})}, "T1"), true,
       [](const Result& r) { EXPECT_TRUE(r.m_pxScene->FindTakeInfo("T1")); }},
      {"hierarchy at the depth limit", File(Chain(kKFbxMaxNodeDepth), ChainLinks(kKFbxMaxNodeDepth)), true,
       [](const Result& r) { EXPECT_EQ(r.m_pxScene->RootNode()->ChildCount(true), kKFbxMaxNodeDepth); }},
      {"hierarchy one deeper than the limit", File(Chain(kKFbxMaxNodeDepth + 1), ChainLinks(kKFbxMaxNodeDepth + 1)),
       false, [](const Result& r) { EXPECT_NE(r.m_xError.find("deeper than 1024"), std::string::npos) << r.m_xError; }},
  };
  for (const auto& c : acCases)
    for (bool bBinary : {false, true}) {
      SCOPED_TRACE(std::string(c.m_pszName) + (bBinary ? " (binary)" : " (ascii)"));
      std::unique_ptr<Result> pxResult = Import(c.m_pszName, c.m_xFile, bBinary);
      ASSERT_EQ(pxResult->m_bOk, c.m_bLoads) << pxResult->m_xError;
      c.m_xCheck(*pxResult);
    }
}

// A million properties on one model read in linear time; only the first
// kKFbxMaxDynamicProperties unknown names become properties.
TEST(KFbxImportHostile, MillionPropertiesAndTheDynamicLimit) {
  F xProperties = Field("Properties60", {});
  constexpr int kCount = 1000000;
  xProperties.m_xChildren.reserve(kCount);
  for (int i = 0; i < kCount; ++i)
    xProperties.m_xChildren.push_back(
        F("Property", {V::String("p" + std::to_string(i)), V::String("double"), V::String(""), V::Double(i)}));
  F xModel = Model("M", "Null");
  xModel.m_xChildren.push_back(std::move(xProperties));  // moved: a copy of a million fields costs seconds
  std::vector<F> xModels;
  xModels.push_back(std::move(xModel));
  std::unique_ptr<Result> pxResult = Import("million", File(std::move(xModels), {}), true);
  ASSERT_TRUE(pxResult->m_bOk) << pxResult->m_xError;
  KFbxNodeProperties& xProperties60 = pxResult->Node("M")->GetProperties();
  const KProperty* pxLast = xProperties60.Find(("p" + std::to_string(kKFbxMaxDynamicProperties - 1)).c_str());
  ASSERT_TRUE(pxLast);
  EXPECT_EQ(pxLast->GetComponent(0), kKFbxMaxDynamicProperties - 1);
  EXPECT_FALSE(xProperties60.Find(("p" + std::to_string(kKFbxMaxDynamicProperties)).c_str()));
}
