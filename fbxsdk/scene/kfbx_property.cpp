#include "fbxsdk/scene/kfbx_property.h"

#include <cstring>

namespace {

constexpr const char* kTypeNames[] = {
    "unknown", "int",   "bool",       "float",    "double",   "charptr",  "enum",      "KTime",  "KString",
    "object",  "event", "stringlist", "Vector4D", "Vector3D", "ColorRGB", "ColorRGBA", "Action", "Reference",
};
static_assert(sizeof(kTypeNames) / sizeof(kTypeNames[0]) == eKPROP_TYPE_COUNT, "one name per type code");

}  // namespace

const char* KPropertyTypeName(int iType) { return iType >= 0 && iType < eKPROP_TYPE_COUNT ? kTypeNames[iType] : ""; }

int KPropertyTypeFromName(const char* pszName) {
  if (!pszName) return eKPROP_UNKNOWN;
  for (int i = 0; i < eKPROP_TYPE_COUNT; ++i)
    if (std::strcmp(kTypeNames[i], pszName) == 0) return i;
  return eKPROP_UNKNOWN;
}

KProperty::KProperty(const char* pszName, int iType, const KFbxDataType* pxDataType, int iFlags)
    : m_xName(pszName ? pszName : ""), m_iType(iType), m_pxDataType(pxDataType), m_iFlags(iFlags) {}

KProperty::~KProperty() = default;

std::unique_ptr<KProperty> KProperty::Create(const char* pszName, int iType, const KFbxDataType* pxDataType,
                                             int iFlags) {
  switch (iType) {
    case eKPROP_BOOL:
    case eKPROP_ACTION:
      return std::make_unique<KPropertyTemplate<bool>>(pszName, iType, false, pxDataType, iFlags);
    case eKPROP_FLOAT:
    case eKPROP_DOUBLE:
      return std::make_unique<KPropertyTemplate<double>>(pszName, iType, 0.0, pxDataType, iFlags);
    case eKPROP_CHARPTR:
    case eKPROP_KSTRING:
    case eKPROP_STRINGLIST:
      return std::make_unique<KPropertyTemplate<KString>>(pszName, iType, KString(), pxDataType, iFlags);
    case eKPROP_KTIME:
      return std::make_unique<KPropertyTemplate<KTime>>(pszName, iType, KTime(), pxDataType, iFlags);
    case eKPROP_VECTOR4D:
    case eKPROP_VECTOR3D:
    case eKPROP_COLORRGB:
    case eKPROP_COLORRGBA:
      return std::make_unique<KPropertyTemplate<KgeTVector>>(pszName, iType, KgeTVector(0, 0, 0), pxDataType, iFlags);
    case eKPROP_OBJECT:
    case eKPROP_REFERENCE:
      return std::make_unique<KPropertyTemplate<KFbxObjectList>>(pszName, iType, KFbxObjectList(), pxDataType, iFlags);
    default:  // int, enum, and the codes without a value of their own
      return std::make_unique<KPropertyTemplate<int>>(pszName, iType, 0, pxDataType, iFlags);
  }
}
