#include "fbx_fields.h"

namespace ImportFields {

F Field(const std::string& xName, std::vector<V> xValues, std::vector<F> xChildren) {
  F xField(xName, std::move(xValues));
  xField.m_xChildren = std::move(xChildren);
  xField.m_bBlock = true;
  return xField;
}

F Model(const std::string& xName, const char* pszSubtype, std::vector<F> xChildren) {
  return Field("Model", {V::ObjectName("Model", xName), V::String(pszSubtype)}, std::move(xChildren));
}

F Connect(const std::string& xChild, const std::string& xParent) {
  return F("Connect", {V::String("OO"), V::String(xChild), V::String(xParent)});
}

F Key(std::vector<V> xValues) { return F("Key", std::move(xValues)); }

F CurveChannel(const char* pszName, std::vector<F> xCurve) {
  xCurve.insert(xCurve.begin(), F("Default", {V::Double(0)}));
  return Field("Channel", {V::String(pszName)}, std::move(xCurve));
}

F TranslationX(std::vector<V> xKeys) {
  const int iCount = static_cast<int>(xKeys.size() / 3);
  return Field(
      "Channel", {V::String("Transform")},
      {Field(
          "Channel", {V::String("T")},
          {CurveChannel("X", {F("KeyVer", {V::Int(4005)}), F("KeyCount", {V::Int(iCount)}), Key(std::move(xKeys))})})});
}

F Take(const std::string& xName, std::vector<F> xContent) {
  return Field("Take", {V::String(xName)}, std::move(xContent));
}

F MovingTake(const std::string& xTake, const std::vector<std::string>& xModels) {
  std::vector<F> xFields;
  for (const std::string& xModel : xModels)
    xFields.push_back(Field("Model", {V::ObjectName("Model", xModel)},
                            {TranslationX({V::Int64(0), V::Double(1), V::String("L"), V::Int64(46186158000),
                                           V::Double(2), V::String("L")})}));
  return Take(xTake, std::move(xFields));
}

F Vector3Property(const char* pszName, double dX, double dY, double dZ) {
  return F("Property",
           {V::String(pszName), V::String(pszName), V::String("A+"), V::Double(dX), V::Double(dY), V::Double(dZ)});
}

KFbxWriteSection File(std::vector<F> xModels, std::vector<F> xConnections, std::vector<F> xTakes,
                      const char* pszCurrent) {
  F xTakesField = Field("Takes", {}, {F("Current", {V::String(pszCurrent)})});
  for (F& xTake : xTakes) xTakesField.m_xChildren.push_back(std::move(xTake));
  return {Field("FBXHeaderExtension", {}, {F("FBXHeaderVersion", {V::Int(1003)}), F("FBXVersion", {V::Int(6100)})}),
          Field("Definitions", {}, {F("ObjectType", {V::String("Model")})}), Field("Objects", {}, std::move(xModels)),
          Field("Connections", {}, std::move(xConnections)), std::move(xTakesField)};
}

KFbxWriteSection OlderFile(const std::vector<OlderModel>& xModels, std::vector<F> xTakes, const char* pszCurrent) {
  KFbxWriteSection xSection{
      Field("FBXHeaderExtension", {}, {F("FBXHeaderVersion", {V::Int(1003)}), F("FBXVersion", {V::Int(5000)})})};
  for (const OlderModel& xModel : xModels) {
    F xField = Field("Model", {V::ObjectName("Model", xModel.m_xName)}, {F("Type", {V::String(xModel.m_pszType)})});
    if (!xModel.m_xChildren.empty()) {
      F& xChildren = xField.Child("Children");
      for (const std::string& xChild : xModel.m_xChildren) xChildren.Add(V::String(xChild));
    }
    xSection.push_back(std::move(xField));
  }
  F xTakesField = Field("Takes", {}, {F("Current", {V::String(pszCurrent)})});
  for (F& xTake : xTakes) xTakesField.m_xChildren.push_back(std::move(xTake));
  xSection.push_back(std::move(xTakesField));
  return xSection;
}

bool WriteFields(const std::string& xPath, KFbxWriteSection xSection, bool bBinary, int iHeaderVersion,
                 std::string* pxError) {
  KFbxWriteOptions xOptions;
  xOptions.m_bBinary = bBinary;
  xOptions.m_iHeaderVersion = iHeaderVersion;
  std::vector<KFbxWriteSection> xSections;
  xSections.push_back(std::move(xSection));
  return KFbxWriteFile(xPath.c_str(), xSections, xOptions, pxError);
}

}  // namespace ImportFields
