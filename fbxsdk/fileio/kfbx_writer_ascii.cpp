// The writer's ASCII encoding: a header line, then one field per line with
// its values and, in braces, its nested block.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fbxsdk/fileio/kfbx_writer.h"

std::string KFbxWriteAscii(const std::vector<KFbxWriteSection>& xSections, const KFbxWriteOptions& xOptions,
                           std::string& xError);

namespace {

// Characters that end or start a bare token, or make it a name.
constexpr char kNotBare[] = ",\"{}:";

bool BareCharacter(char c) {
  return std::isgraph(static_cast<unsigned char>(c)) && std::strchr(kNotBare, c) == nullptr;
}

bool PutValue(const KFbxWriteValue& xValue, std::string& xOut, std::string& xError) {
  char acNumber[40];
  switch (xValue.m_cType) {
    case 'C':
      if (!BareCharacter(static_cast<char>(xValue.m_llInt))) return xError = "character not writable in ASCII", false;
      xOut.push_back(static_cast<char>(xValue.m_llInt));
      return true;
    case 'I':
    case 'L':
      std::snprintf(acNumber, sizeof acNumber, "%lld", static_cast<long long>(xValue.m_llInt));
      break;
    case 'F':
    case 'D':
      // Enough digits that the double reads back exactly.
      std::snprintf(acNumber, sizeof acNumber, "%.17g", xValue.m_dReal);
      break;
    default:
      if (xValue.m_xBytes.find('"') != std::string::npos) return xError = "quote inside an ASCII string", false;
      xOut += '"' + xValue.m_xBytes + '"';
      return true;
  }
  xOut += acNumber;
  return true;
}

// A field's line up to its values, and " {" when a block follows.
bool PutHead(const KFbxWriteField& xField, size_t uDepth, std::string& xOut, std::string& xError) {
  if (xField.m_xName.empty() || !std::all_of(xField.m_xName.begin(), xField.m_xName.end(), BareCharacter))
    return xError = "field name not writable in ASCII: " + xField.m_xName, false;
  xOut.append(uDepth, '\t');
  xOut += xField.m_xName + ": ";
  for (size_t i = 0; i < xField.m_xValues.size(); ++i) {
    if (i) xOut += ",";
    if (!PutValue(xField.m_xValues[i], xOut, xError)) return false;
  }
  if (xField.m_bBlock || !xField.m_xChildren.empty())
    xOut += " {\n";
  else
    xOut += "\n";
  return true;
}

// The field and everything below it, depth first through an explicit stack:
// tests write blocks nested far deeper than a call stack should go.
bool PutField(const KFbxWriteField& xTop, std::string& xOut, std::string& xError) {
  struct Open {
    const KFbxWriteField* m_pxField;
    size_t m_uNext;
  };
  if (!PutHead(xTop, 0, xOut, xError)) return false;
  if (!xTop.m_bBlock && xTop.m_xChildren.empty()) return true;
  std::vector<Open> xStack{{&xTop, 0}};
  while (!xStack.empty()) {
    Open& xOpen = xStack.back();
    if (xOpen.m_uNext == xOpen.m_pxField->m_xChildren.size()) {
      xStack.pop_back();
      xOut.append(xStack.size(), '\t');
      xOut += "}\n";
      continue;
    }
    const KFbxWriteField& xChild = xOpen.m_pxField->m_xChildren[xOpen.m_uNext++];
    if (!PutHead(xChild, xStack.size(), xOut, xError)) return false;
    if (xChild.m_bBlock || !xChild.m_xChildren.empty()) xStack.push_back({&xChild, 0});
  }
  return true;
}

}  // namespace

std::string KFbxWriteAscii(const std::vector<KFbxWriteSection>& xSections, const KFbxWriteOptions& xOptions,
                           std::string& xError) {
  if (xSections.size() != 1 || xOptions.m_bEncrypted) {
    xError = "an ASCII file holds one plain section";
    return {};
  }
  const int iVersion = xOptions.m_iHeaderVersion;
  char acHeader[128];
  std::snprintf(acHeader, sizeof acHeader, "; %s %d.%d.%d project file\n", xOptions.m_xAsciiProduct.c_str(),
                iVersion / 1000, iVersion % 1000 / 100, iVersion % 100);
  std::string xOut = acHeader;
  xOut += "; written by boneplay\n\n";
  for (const KFbxWriteField& xField : xSections[0])
    if (!PutField(xField, xOut, xError)) return {};
  return xOut;
}
