// Writes the seed corpus of fuzz_fbx_structure: small scenes (three models,
// two takes, a handful of keys of every kind) in both generations (5.0 with
// top-level models and "Children" lists; 5.8 and 6.1 with "Definitions",
// "Objects" and "Connections") and both encodings, each under 4 KB so that
// the fuzzer imports a thousand of them a second.
// Usage: make_corpus_fbx_structure FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "fbx_fields.h"
#include "fbxsdk/fileio/kfbx_writer.h"

namespace {

using namespace ImportFields;

constexpr int64_t kSecond = 46186158000;  // KTime units

V S(const char* pszText) { return V::String(pszText); }
V D(double dValue) { return V::Double(dValue); }
V L(int64_t llValue) { return V::Int64(llValue); }
V C(char cLetter) { return V::Char(cLetter); }

// A curve channel: its stored keys and, unless cPost is 0, how it goes on
// after the last one.
F Curve(const char* pszName, std::vector<V> xKeys, int iKeyCount, char cPost = '\0', int iKeyVersion = 4005) {
  std::vector<F> xCurve{F("KeyVer", {V::Int(iKeyVersion)}), F("KeyCount", {V::Int(iKeyCount)}), Key(std::move(xKeys))};
  if (cPost) xCurve.push_back(Field("Post-Extrapolation", {}, {F("Type", {C(cPost)}), F("Repetition", {V::Int(-1)})}));
  return CurveChannel(pszName, std::move(xCurve));
}

F Channel(const char* pszName, std::vector<F> xChildren) {
  return Field("Channel", {S(pszName)}, std::move(xChildren));
}

F Transform(std::vector<F> xChannels) { return Channel("Transform", std::move(xChannels)); }

F Property(std::vector<V> xValues) { return F("Property", std::move(xValues)); }

// Keys of every interpolation and tangent kind of the current key encoding.
std::vector<V> LinearKeys() { return {L(0), D(0), C('L'), L(kSecond), D(10), C('L')}; }
std::vector<V> ConstantKeys() {
  return {L(0), D(2), C('C'), C('s'), L(kSecond / 2), D(4), C('C'), C('n'), L(kSecond), D(3), C('L')};
}
std::vector<V> CubicKeys() {
  return {L(0),   D(0),           C('U'), C('s'), D(0),   D(0), C('n'), L(kSecond / 3), D(45),  C('U'), C('a'),
          C('n'), L(kSecond / 2), D(60),  C('U'), C('b'), D(1), D(-1),  C('a'),         D(0.3), D(0.3), L(kSecond),
          D(90),  C('U'),         C('t'), D(0.5), D(0),   D(0)};
}
std::vector<V> AutoKeys() {
  return {L(0), D(0), C('U'), C('d'), D(0), C('n'), L(kSecond), D(30), C('U'), C('p'), D(2), D(-2), C('l'), D(0.5)};
}
// The legacy letters of the oldest encoding: hold, ramp, TCB, ease in and out.
std::vector<V> LegacyKeys() {
  return {L(0), D(0), C('H'),     L(kSecond / 4), D(5),   C('R'), L(kSecond / 2), D(10), C('T'), D(0),
          D(0), D(0), L(kSecond), D(20),          C('I'), D(1),   L(2 * kSecond), D(0),  C('O'), D(-1)};
}

F Header(int iVersion) {
  return Field("FBXHeaderExtension", {}, {F("FBXHeaderVersion", {V::Int(1003)}), F("FBXVersion", {V::Int(iVersion)})});
}

F Takes(std::vector<F> xTakes) {
  xTakes.insert(xTakes.begin(), F("Current", {S("Walk")}));
  return Field("Takes", {}, std::move(xTakes));
}

F TakeModel(const char* pszName, std::vector<F> xChannels) {
  return Field("Model", {V::ObjectName("Model", pszName)}, std::move(xChannels));
}

// Definitions, Objects, Connections: models with properties in both forms,
// a scene info and a deformer that models connect to.
KFbxWriteSection NewerScene(int iVersion) {
  const F xHips =
      Model("Hips", "Root",
            {F("Version", {V::Int(100)}), Field("Properties60", {},
                                                {Vector3Property("Lcl Translation", 0, 90, 0),
                                                 Property({S("PreRotation"), S("Vector3D"), S(""), D(0), D(0), D(90)}),
                                                 Property({S("RotationActive"), S("bool"), S(""), V::Int(1)}),
                                                 Property({S("InheritType"), S("enum"), S(""), V::Int(2)}),
                                                 Property({S("Size"), S("double"), S(""), D(50)})})});
  const F xSpine = Model(
      "Spine", "LimbNode",
      {F("Type", {S("LimbNode")}),
       Field("Properties60", {},
             {Vector3Property("Lcl Rotation", 10, 0, 0), Property({S("Color"), S("ColorRGB"), S(""), D(1), D(0), D(0)}),
              Property({S("Start"), S("KTime"), S("U"), L(kSecond)})})});
  const F xLeg = Model(
      "Leg", "Limb",
      {F("LimbLength", {D(2)}),
       Field("Properties", {},
             {F("Version", {V::Int(101)}), F("PreRotation", {D(0), D(-40), D(0)}), F("InheritType", {V::Int(0)})})});
  const F xInfo = Field("SceneInfo", {V::ObjectName("SceneInfo", "GlobalInfo"), S("UserData")},
                        {Field("MetaData", {}, {F("Title", {S("seed")})})});
  const F xTakes =
      Takes({Take("Walk", {F("FileName", {S("Walk.tak")}), F("LocalTime", {L(0), L(kSecond)}),
                           TakeModel("Hips", {Transform({Channel("T", {Curve("X", LinearKeys(), 2),
                                                                       Curve("Y", ConstantKeys(), 3, 'R')}),
                                                         Channel("R", {Curve("Z", CubicKeys(), 4, 'M')})})}),
                           TakeModel("Spine", {Transform({Channel("R", {Curve("X", AutoKeys(), 2, 'K')})})})}),
             Take("Run", {F("Comments", {S("run")}), F("LocalTime", {L(0), L(2 * kSecond)}),
                          TakeModel("Leg", {Curve("Visibility", ConstantKeys(), 3)})})});
  return {
      Header(iVersion),
      Field("Definitions", {},
            {F("ObjectType", {S("Model")}), F("ObjectType", {S("SceneInfo")}), F("ObjectType", {S("Deformer")})}),
      Field("Objects", {}, {xHips, xSpine, xLeg, xInfo, F("Deformer", {V::ObjectName("Deformer", "Skin"), S("Skin")})}),
      Field("Connections", {},
            {Connect("Model::Hips", "Model::Scene"), Connect("Model::Spine", "Model::Hips"),
             Connect("Model::Leg", "Model::Hips")}),
      xTakes};
}

// Top-level models with "Type", "Children" (bare and prefixed names) and
// their own transform as a channel tree; keys of the legacy encoding.
KFbxWriteSection OlderScene() {
  const F xDefault = Transform({Channel("T", {CurveChannel("X", {}), CurveChannel("Y", {})})});
  KFbxWriteSection xSection{Header(5000)};
  xSection.push_back(
      Field("Model", {V::ObjectName("Model", "Reference")},
            {F("Version", {V::Int(232)}), F("Type", {S("Null")}), xDefault, F("Children", {S("Hips")})}));
  xSection.push_back(Field("Model", {V::ObjectName("Model", "Hips")},
                           {F("Version", {V::Int(100)}), F("Type", {S("Root")}),
                            Field("Properties60", {}, {Property({S("Visibility"), S("Visibility"), S("A+"), D(1)})}),
                            xDefault, F("Children", {S("Model::Spine")})}));
  xSection.push_back(
      Field("Model", {V::ObjectName("Model", "Spine")}, {F("Type", {S("LimbNode")}), F("Size", {D(0.5)})}));
  xSection.push_back(Takes(
      {Take("Walk", {F("LocalTime", {L(0), L(kSecond)}),
                     TakeModel("Hips", {Transform({Channel("T", {Curve("X", LinearKeys(), 2, 'R')})})}),
                     TakeModel("Spine", {Transform({Channel("R", {Curve("Y", CubicKeys(), 4, 'C', 4002)})})})}),
       Take("Run", {TakeModel("Spine", {Transform({Channel("R", {Curve("Z", LegacyKeys(), 5, 'K', 4001)})})})})}));
  return xSection;
}

struct Seed {
  const char* m_pszName;
  KFbxWriteSection m_xSection;
  bool m_bBinary;
  bool m_bBigEndian;
  int m_iHeaderVersion;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  // 5.x binary files often state 3000 in their header; the header extension
  // holds the version that counts. ASCII files cost the importer about twice
  // what binary ones do, so fewer of the seeds are ASCII.
  const Seed axSeeds[] = {
      {"newer61_le", NewerScene(6100), true, false, 6100},     {"newer61_be", NewerScene(6100), true, true, 6100},
      {"newer58_ascii", NewerScene(5800), false, false, 5800}, {"older50_le", OlderScene(), true, false, 3000},
      {"older50_ascii", OlderScene(), false, false, 5000},
  };
  for (const Seed& xSeed : axSeeds) {
    KFbxWriteOptions xOptions;
    xOptions.m_bBinary = xSeed.m_bBinary;
    xOptions.m_bBigEndian = xSeed.m_bBigEndian;
    xOptions.m_iHeaderVersion = xSeed.m_iHeaderVersion;
    std::string xError;
    const std::string xPath = std::string(argv[1]) + "/" + xSeed.m_pszName + ".fbx";
    if (!KFbxWriteFile(xPath.c_str(), {xSeed.m_xSection}, xOptions, &xError)) {
      std::fprintf(stderr, "%s: %s\n", xSeed.m_pszName, xError.c_str());
      return 1;
    }
  }
  return 0;
}
