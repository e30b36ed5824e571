#pragma once

#include <limits>
#include <memory>
#include <type_traits>
#include <vector>

#include "fbxsdk/core/kstring.h"
#include "fbxsdk/core/ktime.h"
#include "fbxsdk/scene/kfbx_data_type.h"
#include "fbxsdk/scene/kfbx_matrix.h"

class KFbxObject;

// Value type codes of properties. The order is the order of the stored type
// names (KPropertyTypeName), so a code is its position in that list.
enum EKPropertyType {
  eKPROP_UNKNOWN = 0,
  eKPROP_INT,
  eKPROP_BOOL,
  eKPROP_FLOAT,
  eKPROP_DOUBLE,
  eKPROP_CHARPTR,
  eKPROP_ENUM,
  eKPROP_KTIME,
  eKPROP_KSTRING,
  eKPROP_OBJECT,
  eKPROP_EVENT,
  eKPROP_STRINGLIST,
  eKPROP_VECTOR4D,
  eKPROP_VECTOR3D,
  eKPROP_COLORRGB,
  eKPROP_COLORRGBA,
  eKPROP_ACTION,
  eKPROP_REFERENCE,
  eKPROP_TYPE_COUNT
};

// Stored type name of a code ("" outside the list), and the code of a name
// (exact comparison; 0 for a name not in the list).
const char* KPropertyTypeName(int iType);
int KPropertyTypeFromName(const char* pszName);

// References held by an object-reference property.
using KFbxObjectList = std::vector<KFbxObject*>;

// A named, typed value of an object. Setting a value stores it, nothing
// more. The component interface lets readers and curve links reach numeric
// values without knowing the value type.
class KProperty {
 public:
  enum EFlag : int {
    eANIMATABLE = 1,  // curves can drive it
    eUSER = 2,        // a user property
    eMARKED = 4,      // the further flag bit stored files set with "+"
    eDYNAMIC = 8      // added after the object was made
  };

  KProperty(const char* pszName, int iType, const KFbxDataType* pxDataType, int iFlags);
  virtual ~KProperty();
  KProperty(const KProperty&) = delete;
  KProperty& operator=(const KProperty&) = delete;

  // Makes a property holding the value type of a type code, at its zero value.
  static std::unique_ptr<KProperty> Create(const char* pszName, int iType, const KFbxDataType* pxDataType = nullptr,
                                           int iFlags = 0);

  const char* GetName() const { return m_xName.Buffer(); }
  int GetType() const { return m_iType; }
  const KFbxDataType* GetDataType() const { return m_pxDataType; }
  int GetFlags() const { return m_iFlags; }
  void SetFlag(int iFlag, bool bOn) { m_iFlags = bOn ? (m_iFlags | iFlag) : (m_iFlags & ~iFlag); }
  bool IsAnimatable() const { return (m_iFlags & eANIMATABLE) != 0; }

  // Numeric components: 1 for bool, int and double values, 3 or 4 for
  // vectors, 0 for the others. Out-of-range components read 0 and refuse.
  virtual int GetComponentCount() const = 0;
  virtual double GetComponent(int iIndex) const = 0;
  virtual bool SetComponent(int iIndex, double dValue) = 0;
  virtual bool SetString(const char* /*pszText*/) { return false; }
  virtual bool SetTime(KTime /*xTime*/) { return false; }

 private:
  KString m_xName;
  int m_iType;
  const KFbxDataType* m_pxDataType;
  int m_iFlags;
};

// A property holding a T: bool, int, double, KgeTVector, KString, KTime or
// KFbxObjectList.
template <class T>
class KPropertyTemplate : public KProperty {
 public:
  KPropertyTemplate(const char* pszName, int iType, const T& xValue, const KFbxDataType* pxDataType = nullptr,
                    int iFlags = 0)
      : KProperty(pszName, iType, pxDataType, iFlags), m_xValue(xValue) {}

  const T& Get() const { return m_xValue; }
  void Set(const T& xValue) { m_xValue = xValue; }

  int GetComponentCount() const override {
    if constexpr (std::is_same_v<T, KgeTVector>) {
      return GetType() == eKPROP_VECTOR4D || GetType() == eKPROP_COLORRGBA ? 4 : 3;
    } else if constexpr (std::is_arithmetic_v<T>) {
      return 1;
    } else {
      return 0;
    }
  }

  double GetComponent(int iIndex) const override {
    if (iIndex < 0 || iIndex >= GetComponentCount()) return 0.0;
    if constexpr (std::is_same_v<T, KgeTVector>) {
      return m_xValue[iIndex];
    } else if constexpr (std::is_arithmetic_v<T>) {
      return static_cast<double>(m_xValue);
    } else {
      return 0.0;
    }
  }

  bool SetComponent(int iIndex, double dValue) override {
    if (iIndex < 0 || iIndex >= GetComponentCount()) return false;
    if constexpr (std::is_same_v<T, KgeTVector>) {
      m_xValue[iIndex] = dValue;
    } else if constexpr (std::is_same_v<T, bool>) {
      m_xValue = dValue != 0.0;
    } else if constexpr (std::is_integral_v<T>) {
      // Converting a number the type cannot hold is undefined: refuse it.
      if (!(dValue >= static_cast<double>(std::numeric_limits<T>::min()) &&
            dValue < static_cast<double>(std::numeric_limits<T>::max()) + 1.0))
        return false;
      m_xValue = static_cast<T>(dValue);
    } else if constexpr (std::is_arithmetic_v<T>) {
      m_xValue = static_cast<T>(dValue);
    }
    return true;
  }

  bool SetString(const char* pszText) override {
    if constexpr (std::is_same_v<T, KString>) {
      m_xValue = pszText ? pszText : "";
      return true;
    } else {
      (void)pszText;
      return false;
    }
  }

  bool SetTime(KTime xTime) override {
    if constexpr (std::is_same_v<T, KTime>) {
      m_xValue = xTime;
      return true;
    } else {
      (void)xTime;
      return false;
    }
  }

 private:
  T m_xValue;
};
