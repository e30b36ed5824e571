#pragma once
// Field trees for tests: the pieces of a scene file as other programs lay
// them out, for our writer to write.

#include <string>
#include <vector>

#include "fbxsdk/fileio/kfbx_writer.h"

namespace ImportFields {

using V = KFbxWriteValue;
using F = KFbxWriteField;

// A field with a (possibly empty) block.
F Field(const std::string& xName, std::vector<V> xValues, std::vector<F> xChildren = {});
// A newer-form model object: "Model::name" and its subtype.
F Model(const std::string& xName, const char* pszSubtype, std::vector<F> xChildren = {});
// An "OO" connection of a child object to its parent.
F Connect(const std::string& xChild, const std::string& xParent);
F Key(std::vector<V> xValues);
// A channel whose curve holds the given key fields (default value 0).
F CurveChannel(const char* pszName, std::vector<F> xCurve);
// The "Transform" / "T" / "X" channel tree with one keyed curve; xKeys holds
// time, value and interpolation letter per key.
F TranslationX(std::vector<V> xKeys);
F Take(const std::string& xName, std::vector<F> xContent);
// A take whose "Model" fields move each named model's translation X from 1
// at 0 s to 2 at 1 s.
F MovingTake(const std::string& xTake, const std::vector<std::string>& xModels);
// A "Property" field of a "Properties60" block with three reals.
F Vector3Property(const char* pszName, double dX, double dY, double dZ);

// A newer-form (6.1) file: models, connections, takes and the current take.
KFbxWriteSection File(std::vector<F> xModels, std::vector<F> xConnections, std::vector<F> xTakes = {},
                      const char* pszCurrent = "");

// An older-generation (5.0) file: top-level models, each with a "Type" and
// the names its "Children" field lists, as other programs write them.
struct OlderModel {
  std::string m_xName;  // without "Model::"
  const char* m_pszType;
  std::vector<std::string> m_xChildren;
};
KFbxWriteSection OlderFile(const std::vector<OlderModel>& xModels, std::vector<F> xTakes = {},
                           const char* pszCurrent = "");

// Writes one section as a binary or ASCII file with the given header
// version; false with the reason in *pxError.
bool WriteFields(const std::string& xPath, KFbxWriteSection xSection, bool bBinary, int iHeaderVersion = 6100,
                 std::string* pxError = nullptr);

}  // namespace ImportFields
