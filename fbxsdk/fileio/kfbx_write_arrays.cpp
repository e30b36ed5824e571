// The value kinds only 7.x files hold: 16-bit integers and typed arrays.
// An array keeps its elements as the file stores them (little-endian), so
// that an encoder writes or compresses them without converting again.
#include <cstring>

#include "fbxsdk/fileio/kfbx_bytes.h"
#include "fbxsdk/fileio/kfbx_writer.h"
#include "fbxsdk/fileio7/kfbx7_format.h"

namespace {

template <class T>
KFbxWriteValue Elements(char cType, const std::vector<T>& xValues) {
  KFbxWriteValue xValue;
  xValue.m_cType = cType;
  xValue.m_llInt = static_cast<int64_t>(xValues.size());
  xValue.m_xBytes.resize(xValues.size() * sizeof(T));
  uint8_t* pOut = reinterpret_cast<uint8_t*>(&xValue.m_xBytes[0]);
  for (const T& x : xValues) {
    if constexpr (sizeof(T) == 4) {
      uint32_t u;
      std::memcpy(&u, &x, 4);
      KFbxStore32(pOut, u, false);
    } else {
      uint64_t u;
      std::memcpy(&u, &x, 8);
      KFbxStore64(pOut, u, false);
    }
    pOut += sizeof(T);
  }
  return xValue;
}

}  // namespace

KFbxWriteValue KFbxWriteValue::Short(int16_t sValue) {
  KFbxWriteValue xValue;
  xValue.m_cType = 'Y';
  xValue.m_llInt = sValue;
  return xValue;
}

KFbxWriteValue KFbxWriteValue::FloatArray(const std::vector<float>& xValues) { return Elements('f', xValues); }
KFbxWriteValue KFbxWriteValue::DoubleArray(const std::vector<double>& xValues) { return Elements('d', xValues); }
KFbxWriteValue KFbxWriteValue::Int64Array(const std::vector<int64_t>& xValues) { return Elements('l', xValues); }
KFbxWriteValue KFbxWriteValue::IntArray(const std::vector<int32_t>& xValues) { return Elements('i', xValues); }

KFbxWriteValue KFbxWriteValue::BoolArray(const std::vector<bool>& xValues) {
  KFbxWriteValue xValue;
  xValue.m_cType = 'b';
  xValue.m_llInt = static_cast<int64_t>(xValues.size());
  for (bool b : xValues) xValue.m_xBytes.push_back(b ? '\1' : '\0');
  return xValue;
}

size_t KFbxWriteValue::ArrayElementSize(char cType) { return KFbx7ArrayElementSize(cType); }

bool KFbxWriteValue::IsArray() const { return ArrayElementSize(m_cType) != 0; }
