#pragma once

// Identity of a property data type. Types are compared by address: each one
// exists once, as one of the constants below.
struct KFbxDataType {
  const char* m_pszName;
};

inline constexpr KFbxDataType KDataTypeLclTranslation{"Lcl Translation"};
inline constexpr KFbxDataType KDataTypeLclRotation{"Lcl Rotation"};
inline constexpr KFbxDataType KDataTypeLclScaling{"Lcl Scaling"};
inline constexpr KFbxDataType KDataTypeVisibility{"Visibility"};
