#include "fbx_tree_mutations.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "fbx_tree_growth.h"
#include "fbx_tree_index.h"
#include "fbx_tree_words.h"

namespace {

using V = KFbxWriteValue;
using F = KFbxWriteField;
using List = KFbxWriteSection;

using Slot = FbxTreeSlot;
using TreeIndex = FbxTreeIndex;

bool IsInteger(const V& xValue) { return xValue.m_cType == 'I' || xValue.m_cType == 'L'; }
bool IsReal(const V& xValue) { return xValue.m_cType == 'F' || xValue.m_cType == 'D'; }
bool IsNumber(const V& xValue) { return IsInteger(xValue) || IsReal(xValue); }

std::string TextOf(const V& xValue) {
  if (xValue.m_cType == 'C') return std::string(1, static_cast<char>(xValue.m_llInt));
  if (IsInteger(xValue)) return std::to_string(xValue.m_llInt);
  if (IsReal(xValue)) return std::to_string(xValue.m_dReal);
  return xValue.m_xBytes;
}

// A real as an integer, saturating: the conversion itself must not be the
// fault a sanitizer reports.
int64_t Saturated(double dValue) {
  if (std::isnan(dValue)) return 0;
  if (dValue >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (dValue <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(dValue);
}

// Integer steps wrap around: a step past the range must not be the fault a
// sanitizer reports.
int64_t Wrapped(int64_t llValue, int64_t llStep) {
  return static_cast<int64_t>(static_cast<uint64_t>(llValue) + static_cast<uint64_t>(llStep));
}

double RealOf(const V& xValue) {
  if (IsReal(xValue)) return xValue.m_dReal;
  if (IsInteger(xValue) || xValue.m_cType == 'C') return static_cast<double>(xValue.m_llInt);
  return std::strtod(xValue.m_xBytes.c_str(), nullptr);
}

int64_t IntegerOf(const V& xValue) {
  if (IsInteger(xValue) || xValue.m_cType == 'C') return xValue.m_llInt;
  return Saturated(RealOf(xValue));
}

V Text(const std::string& xText) {
  V xValue = V::String(xText);
  xValue.m_bObjectName = xText.find("::") != std::string::npos;
  return xValue;
}

// The value as another type, carrying its number or text across.
V Retyped(const V& xValue, char cType) {
  switch (cType) {
    case 'C': {
      const std::string xText = TextOf(xValue);
      return V::Char(xText.empty() ? '\0' : xText[0]);
    }
    case 'I':
      return V::Int(static_cast<int32_t>(IntegerOf(xValue)));
    case 'L':
      return V::Int64(IntegerOf(xValue));
    case 'F':
      return V::Float(FbxFloatOf(RealOf(xValue)));
    case 'D':
      return V::Double(RealOf(xValue));
    case 'R':
      return V::Raw(TextOf(xValue));
    default:
      return Text(TextOf(xValue));
  }
}

// Numbers and texts of the tree to draw new values from.
struct Pools {
  std::vector<std::string> m_xTexts;   // every text value, once
  std::vector<std::string> m_xModels;  // the first value of every "Model" field
  std::vector<std::string> m_xNames;   // every field name, once
  std::vector<V> m_xNumbers;

  explicit Pools(const TreeIndex& xIndex) {
    for (const Slot& xSlot : xIndex.m_xFields) {
      const F& xField = xSlot.Field();
      m_xNames.push_back(xField.m_xName);
      if (xField.m_xName == "Model" && !xField.m_xValues.empty()) m_xModels.push_back(TextOf(xField.m_xValues[0]));
      for (const V& xValue : xField.m_xValues) {
        if (IsNumber(xValue))
          m_xNumbers.push_back(xValue);
        else if (xValue.m_cType == 'S')
          m_xTexts.push_back(xValue.m_xBytes);
      }
    }
    for (std::vector<std::string>* pxTexts : {&m_xTexts, &m_xNames, &m_xModels}) {
      std::sort(pxTexts->begin(), pxTexts->end());
      pxTexts->erase(std::unique(pxTexts->begin(), pxTexts->end()), pxTexts->end());
    }
  }

  std::string Model(FbxRandom& xRandom) const {
    return m_xModels.empty() ? "Model::Scene" : FbxPickFrom(m_xModels, xRandom);
  }
  std::string AnyText(FbxRandom& xRandom) const {
    if (m_xTexts.empty() || xRandom.OneIn(3)) return xRandom.Pick(kFbxTextWords);
    return FbxPickFrom(m_xTexts, xRandom);
  }
};

// Numbers a walk decides by: header, file, model and key versions; one frame
// at 30 frames per second and one second in time units; the ends of both
// integer widths. Reals: signed zeros, angles, a subnormal, the float range's
// edges, infinities and a NaN.
// clang-format off
constexpr int64_t kInterestingIntegers[] = {
    0, 1, -1, 2, 3, 100, 232, 1000, 1003, 4000, 4002, 4004, 4005, 5000, 5800, 6100, 7100,
    1539538600, 46186158000, -46186158000, std::numeric_limits<int32_t>::max(),
    std::numeric_limits<int32_t>::min(), std::numeric_limits<int64_t>::max(),
    std::numeric_limits<int64_t>::min()};
constexpr double kInterestingReals[] = {
    0.0, -0.0, 1.0, -1.0, 0.5, 90.0, 180.0, 360.0, 1e-310, 1e300, -1e300, 3.4e38, 1.4e-45,
    std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::quiet_NaN()};
// clang-format on

void ChangeNumber(V& xValue, const Pools& xPools, FbxRandom& xRandom) {
  const bool bInteger = IsInteger(xValue);
  const int64_t llDelta = static_cast<int64_t>(1 + xRandom.Below(16)) * (xRandom.OneIn(2) ? 1 : -1);
  switch (xRandom.Below(6)) {
    case 0:
      if (bInteger)
        xValue.m_llInt = xRandom.Pick(kInterestingIntegers);
      else
        xValue.m_dReal = xRandom.Pick(kInterestingReals);
      break;
    case 1:
      if (bInteger)
        xValue.m_llInt = Wrapped(xValue.m_llInt, llDelta);
      else
        xValue.m_dReal += static_cast<double>(llDelta);
      break;
    case 2:
      if (bInteger)
        xValue.m_llInt = static_cast<int64_t>(0 - static_cast<uint64_t>(xValue.m_llInt));
      else
        xValue.m_dReal = -xValue.m_dReal;
      break;
    case 3:
      if (bInteger)
        xValue.m_llInt =
            xRandom.OneIn(2) ? xValue.m_llInt / 2 : static_cast<int64_t>(static_cast<uint64_t>(xValue.m_llInt) << 1);
      else
        xValue.m_dReal *= xRandom.OneIn(2) ? 0.5 : 2.0;
      break;
    case 4:
      if (!xPools.m_xNumbers.empty()) {
        const V& xOther = FbxPickFrom(xPools.m_xNumbers, xRandom);
        xValue.m_llInt = IntegerOf(xOther);
        xValue.m_dReal = RealOf(xOther);
      }
      break;
    default:
      if (bInteger) {
        xValue.m_llInt = static_cast<int64_t>(static_cast<uint64_t>(xValue.m_llInt) ^ (1ull << xRandom.Below(64)));
      } else {
        uint64_t ullBits;
        std::memcpy(&ullBits, &xValue.m_dReal, sizeof ullBits);
        ullBits ^= 1ull << xRandom.Below(64);
        std::memcpy(&xValue.m_dReal, &ullBits, sizeof ullBits);
      }
      break;
  }
  if (xValue.m_cType == 'I') xValue.m_llInt = static_cast<int32_t>(xValue.m_llInt);
}

std::string NewText(const std::string& xOld, const Pools& xPools, FbxRandom& xRandom) {
  switch (xRandom.Below(8)) {
    case 0:
      return xRandom.Pick(kFbxTextWords);
    case 1:
      return xPools.AnyText(xRandom);
    case 2:
      return xPools.Model(xRandom);
    case 3:
      return xOld.find("::") != std::string::npos ? FbxBareName(xOld) : "Model::" + xOld;
    case 4:
      return xOld.substr(0, xRandom.Below(xOld.size() + 1));
    case 5: {
      std::string xNew = xOld.empty() ? std::string(1, 'A') : xOld;
      xNew[xRandom.Below(xNew.size())] =
          xRandom.OneIn(2) ? xRandom.Pick(kFbxKeyLetters) : static_cast<char>(32 + xRandom.Below(95));
      return xNew;
    }
    case 6:
      return xOld + xPools.AnyText(xRandom);
    default:
      return std::string(1, xRandom.Pick(kFbxKeyLetters));
  }
}

void ChangeText(V& xValue, const Pools& xPools, FbxRandom& xRandom) {
  if (xValue.m_cType == 'C') {
    xValue.m_llInt = static_cast<unsigned char>(xRandom.OneIn(4) ? static_cast<char>(xRandom.Below(256))
                                                                 : xRandom.Pick(kFbxKeyLetters));
    return;
  }
  const std::string xNew = NewText(xValue.m_xBytes, xPools, xRandom);
  xValue = xValue.m_cType == 'R' ? V::Raw(xNew) : Text(xNew);
}

// A value drawn from the tree's pools or the importer's words.
V NewValue(const Pools& xPools, FbxRandom& xRandom) {
  switch (xRandom.Below(4)) {
    case 0:
      if (!xPools.m_xNumbers.empty()) return FbxPickFrom(xPools.m_xNumbers, xRandom);
      return V::Int(0);
    case 1:
      return Text(xPools.AnyText(xRandom));
    case 2:
      return Text(xPools.Model(xRandom));
    default:
      return V::Char(xRandom.Pick(kFbxKeyLetters));
  }
}

std::string NewFieldName(const Pools& xPools, FbxRandom& xRandom) {
  if (xPools.m_xNames.empty() || xRandom.OneIn(2)) return xRandom.Pick(kFbxFieldWords);
  return FbxPickFrom(xPools.m_xNames, xRandom);
}

// The mutation kinds, each with its own function; Mutate draws one by weight.
class Mutation {
 public:
  Mutation(FbxFieldTree& xTree, FbxRandom& xRandom) : m_xTree(xTree), m_xRandom(xRandom), m_xIndex(xTree.m_xFields) {}

  bool Mutate() {
    using Kind = bool (Mutation::*)();
    static constexpr struct {
      Kind m_pKind;
      int m_iWeight;
    } kKinds[] = {{&Mutation::Delete, 8},        {&Mutation::Duplicate, 6},     {&Mutation::Move, 6},
                  {&Mutation::CopyElsewhere, 5}, {&Mutation::Insert, 5},        {&Mutation::Swap, 6},
                  {&Mutation::Rename, 4},        {&Mutation::Retype, 6},        {&Mutation::Number, 10},
                  {&Mutation::ChangeTexts, 8},   {&Mutation::ConnectionEnd, 6}, {&Mutation::KeyTime, 6},
                  {&Mutation::ValueCount, 6},    {&Mutation::ToggleBlock, 2},   {&Mutation::ChildrenName, 5},
                  {&Mutation::SameName, 5},      {&Mutation::Generation, 2},    {&Mutation::GrowProperty, 6},
                  {&Mutation::GrowModel, 3},     {&Mutation::GrowCurve, 4},     {&Mutation::GrowKey, 4},
                  {&Mutation::GrowTake, 2}};
    int iTotal = 0;
    for (const auto& xKind : kKinds) iTotal += xKind.m_iWeight;
    int iDraw = static_cast<int>(m_xRandom.Below(static_cast<size_t>(iTotal)));
    for (const auto& xKind : kKinds) {
      if (iDraw < xKind.m_iWeight) return (this->*xKind.m_pKind)();
      iDraw -= xKind.m_iWeight;
    }
    return false;
  }

  bool Shrink() { return m_xRandom.OneIn(4) ? RemoveValue() : Delete(); }

 private:
  // Made on first use, before the kind changes any list: most kinds need
  // none, and the index it is made from points into the lists.
  const Pools& P() {
    if (!m_xPools) m_xPools.emplace(m_xIndex);
    return *m_xPools;
  }

  bool AnyField(Slot& xOut) {
    if (m_xIndex.m_xFields.empty()) return false;
    xOut = FbxPickFrom(m_xIndex.m_xFields, m_xRandom);
    return true;
  }

  // A value of a field, chosen among those the predicate accepts.
  template <typename Accept>
  V* AnyValue(Accept xAccept) {
    std::vector<V*> xValues;
    for (const Slot& xSlot : m_xIndex.m_xFields)
      for (V& xValue : xSlot.Field().m_xValues)
        if (xAccept(xValue)) xValues.push_back(&xValue);
    return xValues.empty() ? nullptr : FbxPickFrom(xValues, m_xRandom);
  }

  void InsertAnywhere(F xField) {
    List& xList = *FbxPickFrom(m_xIndex.m_xLists, m_xRandom);
    xList.insert(xList.begin() + static_cast<std::ptrdiff_t>(m_xRandom.Below(xList.size() + 1)), std::move(xField));
  }

  bool Delete() {
    Slot xSlot;
    if (!AnyField(xSlot)) return false;
    xSlot.m_pxList->erase(xSlot.m_pxList->begin() + static_cast<std::ptrdiff_t>(xSlot.m_uIndex));
    return true;
  }

  bool Duplicate() {
    Slot xSlot;
    if (!AnyField(xSlot)) return false;
    F xCopy = xSlot.Field();
    List& xList = *xSlot.m_pxList;
    xList.insert(xList.begin() + static_cast<std::ptrdiff_t>(xSlot.m_uIndex + 1), std::move(xCopy));
    return true;
  }

  // Out of its block into any other (never its own block: it is detached
  // before the lists are indexed again).
  bool Move() {
    Slot xSlot;
    if (!AnyField(xSlot)) return false;
    F xField = std::move(xSlot.Field());
    xSlot.m_pxList->erase(xSlot.m_pxList->begin() + static_cast<std::ptrdiff_t>(xSlot.m_uIndex));
    m_xIndex = TreeIndex(m_xTree.m_xFields);
    InsertAnywhere(std::move(xField));
    return true;
  }

  bool CopyElsewhere() {
    Slot xSlot;
    if (!AnyField(xSlot)) return false;
    InsertAnywhere(F(xSlot.Field()));
    return true;
  }

  bool Insert() {
    F xField(NewFieldName(P(), m_xRandom));
    for (size_t i = m_xRandom.Below(5); i > 0; --i) xField.m_xValues.push_back(NewValue(P(), m_xRandom));
    xField.m_bBlock = m_xRandom.OneIn(3);
    InsertAnywhere(std::move(xField));
    return true;
  }

  // Two fields of one block trade places; half the time neighbours.
  bool Swap() {
    std::vector<List*> xLists;
    for (List* pxList : m_xIndex.m_xLists)
      if (pxList->size() >= 2) xLists.push_back(pxList);
    if (xLists.empty()) return false;
    List& xList = *FbxPickFrom(xLists, m_xRandom);
    const size_t uFirst = m_xRandom.Below(xList.size() - 1);
    const size_t uSecond = m_xRandom.OneIn(2) ? uFirst + 1 : m_xRandom.Below(xList.size());
    std::swap(xList[uFirst], xList[uSecond]);
    return uFirst != uSecond;
  }

  bool Rename() {
    Slot xSlot;
    if (!AnyField(xSlot)) return false;
    std::string& xName = xSlot.Field().m_xName;
    xName = m_xRandom.OneIn(4) ? NewText(xName, P(), m_xRandom) : NewFieldName(P(), m_xRandom);
    return true;
  }

  bool Retype() {
    V* pxValue = AnyValue([](const V&) { return true; });
    if (!pxValue) return false;
    *pxValue = Retyped(*pxValue, m_xRandom.Pick({'C', 'I', 'L', 'F', 'D', 'S', 'R'}));
    return true;
  }

  bool Number() {
    V* pxValue = AnyValue(IsNumber);
    if (!pxValue) return false;
    ChangeNumber(*pxValue, P(), m_xRandom);
    return true;
  }

  bool ChangeTexts() {
    V* pxValue = AnyValue([](const V& xValue) { return !IsNumber(xValue); });
    if (!pxValue) return false;
    ChangeText(*pxValue, P(), m_xRandom);
    return true;
  }

  // A "Connect" field's kind, child or parent: another model, the scene,
  // the other end (a model linked to itself) or any text.
  bool ConnectionEnd() {
    const std::vector<Slot> xConnections = m_xIndex.Named("Connect");
    if (xConnections.empty()) return false;
    F& xConnect = FbxPickFrom(xConnections, m_xRandom).Field();
    while (xConnect.m_xValues.size() < 3) xConnect.m_xValues.push_back(Text(""));
    const size_t uEnd = m_xRandom.Below(3);
    if (uEnd == 0) {
      xConnect.m_xValues[0] = Text(m_xRandom.Pick({"OO", "OP", "PO", "", "oo"}));
      return true;
    }
    std::string xName;
    switch (m_xRandom.Below(4)) {
      case 0:
        xName = TextOf(xConnect.m_xValues[3 - uEnd]);
        break;
      case 1:
        xName = "Model::Scene";
        break;
      case 2:
        xName = P().AnyText(m_xRandom);
        break;
      default:
        xName = P().Model(m_xRandom);
        break;
    }
    xConnect.m_xValues[uEnd] = Text(xName);
    return true;
  }

  // A key's time: out of order, equal to another key's, extreme, nudged.
  // Take spans ("LocalTime", "ReferenceTime") are times too.
  bool KeyTime() {
    std::vector<Slot> xFields =
        m_xIndex.Named(m_xRandom.OneIn(4) ? (m_xRandom.OneIn(2) ? "LocalTime" : "ReferenceTime") : "Key");
    std::vector<V*> xTimes;
    if (!xFields.empty()) {
      for (V& xValue : FbxPickFrom(xFields, m_xRandom).Field().m_xValues)
        if (IsInteger(xValue)) xTimes.push_back(&xValue);
    }
    if (xTimes.empty()) return false;
    V& xTime = *FbxPickFrom(xTimes, m_xRandom);
    V& xOther = *FbxPickFrom(xTimes, m_xRandom);
    switch (m_xRandom.Below(5)) {
      case 0:
        std::swap(xTime.m_llInt, xOther.m_llInt);
        break;
      case 1:
        xTime.m_llInt = xOther.m_llInt;
        break;
      case 2:  // before the other key, by up to a second
        xTime.m_llInt = Wrapped(xOther.m_llInt, -static_cast<int64_t>(1 + m_xRandom.Below64(46186158000)));
        break;
      case 3:
        xTime.m_llInt = m_xRandom.Pick(kInterestingIntegers);
        break;
      default:
        xTime.m_llInt = Wrapped(xTime.m_llInt, m_xRandom.OneIn(2) ? 1 : -1);
        break;
    }
    for (V* pxTime : {&xTime, &xOther})
      if (pxTime->m_cType == 'I') pxTime->m_llInt = static_cast<int32_t>(pxTime->m_llInt);
    return true;
  }

  bool RemoveValue() {
    Slot xSlot;
    if (!AnyField(xSlot) || xSlot.Field().m_xValues.empty()) return false;
    std::vector<V>& xValues = xSlot.Field().m_xValues;
    xValues.erase(xValues.begin() + static_cast<std::ptrdiff_t>(m_xRandom.Below(xValues.size())));
    return true;
  }

  // A value removed, doubled or added, or the list cut short.
  bool ValueCount() {
    Slot xSlot;
    if (!AnyField(xSlot)) return false;
    std::vector<V>& xValues = xSlot.Field().m_xValues;
    const size_t uAt = m_xRandom.Below(xValues.size() + 1);
    switch (xValues.empty() ? 2 : m_xRandom.Below(4)) {
      case 0:
        return RemoveValue();
      case 1: {
        const V xCopy = xValues[m_xRandom.Below(xValues.size())];
        xValues.insert(xValues.begin() + static_cast<std::ptrdiff_t>(uAt), xCopy);
        return true;
      }
      case 2:
        xValues.insert(xValues.begin() + static_cast<std::ptrdiff_t>(uAt), NewValue(P(), m_xRandom));
        return true;
      default:
        xValues.resize(m_xRandom.Below(xValues.size()));
        return true;
    }
  }

  bool ToggleBlock() {
    Slot xSlot;
    if (!AnyField(xSlot) || !xSlot.Field().m_xChildren.empty()) return false;
    xSlot.Field().m_bBlock = !xSlot.Field().m_bBlock;
    return true;
  }

  // A model's "Children" list gains a name: another model (one that comes
  // later, one that is its parent), itself, or a name of no model.
  bool ChildrenName() {
    const std::vector<Slot> xModels = m_xIndex.Named("Model");
    if (xModels.empty()) return false;
    F& xModel = FbxPickFrom(xModels, m_xRandom).Field();
    std::string xName = m_xRandom.OneIn(4) && !xModel.m_xValues.empty() ? TextOf(xModel.m_xValues[0])
                        : m_xRandom.OneIn(8)                            ? P().AnyText(m_xRandom)
                                                                        : P().Model(m_xRandom);
    if (m_xRandom.OneIn(2)) xName = FbxBareName(xName);
    F* pxChildren = nullptr;
    for (F& xChild : xModel.m_xChildren)
      if (xChild.m_xName == "Children") pxChildren = &xChild;
    if (!pxChildren) {
      xModel.m_bBlock = true;
      pxChildren = &xModel.m_xChildren.emplace_back("Children");
    }
    std::vector<V>& xValues = pxChildren->m_xValues;
    xValues.insert(xValues.begin() + static_cast<std::ptrdiff_t>(m_xRandom.Below(xValues.size() + 1)), Text(xName));
    return true;
  }

  // Two fields of one name made to name the same thing: a take naming a
  // model twice, two models of one name, a child connected twice.
  bool SameName() {
    const Slot* pxFirst = nullptr;
    std::vector<Slot> xGroup;
    for (int iTry = 0; iTry < 8 && xGroup.size() < 2; ++iTry) {
      Slot xSlot;
      if (!AnyField(xSlot)) return false;
      xGroup = m_xIndex.Named(xSlot.Field().m_xName);
    }
    if (xGroup.size() < 2) return false;
    pxFirst = &FbxPickFrom(xGroup, m_xRandom);
    F& xTo = FbxPickFrom(xGroup, m_xRandom).Field();
    const F& xFrom = pxFirst->Field();
    if (&xTo == &xFrom || xFrom.m_xValues.empty()) return false;
    const size_t uCount = m_xRandom.OneIn(2) ? 1 : xFrom.m_xValues.size();
    if (xTo.m_xValues.size() < uCount) xTo.m_xValues.resize(uCount);
    std::copy(xFrom.m_xValues.begin(), xFrom.m_xValues.begin() + static_cast<std::ptrdiff_t>(uCount),
              xTo.m_xValues.begin());
    return true;
  }

  bool GrowProperty() { return FbxGrowProperty(m_xTree, m_xRandom); }
  bool GrowModel() { return FbxGrowModel(m_xTree, m_xRandom); }
  bool GrowCurve() { return FbxGrowCurve(m_xTree, m_xRandom); }
  bool GrowKey() { return FbxGrowKey(m_xTree, m_xRandom); }
  bool GrowTake() { return FbxGrowTake(m_xTree, m_xRandom); }

  // The header extension's version, which picks the older or newer walk.
  bool Generation() {
    const std::vector<Slot> xVersions = m_xIndex.Named("FBXVersion");
    if (xVersions.empty()) return false;
    static constexpr int kVersions[] = {3000, 4050, 5000, 5100, 5800, 6000, 6100};
    FbxPickFrom(xVersions, m_xRandom).Field().m_xValues = {V::Int(m_xRandom.Pick(kVersions))};
    return true;
  }

  FbxFieldTree& m_xTree;
  FbxRandom& m_xRandom;
  TreeIndex m_xIndex;
  std::optional<Pools> m_xPools;
};

}  // namespace

bool FbxMutateTree(FbxFieldTree& xTree, FbxRandom& xRandom) { return Mutation(xTree, xRandom).Mutate(); }

bool FbxShrinkTree(FbxFieldTree& xTree, FbxRandom& xRandom) { return Mutation(xTree, xRandom).Shrink(); }

const KFbxWriteField* FbxPickField(const FbxFieldTree& xTree, FbxRandom& xRandom) {
  std::vector<const F*> xFields;
  std::vector<const List*> xStack{&xTree.m_xFields};
  while (!xStack.empty()) {
    const List* pxList = xStack.back();
    xStack.pop_back();
    for (const F& xField : *pxList) {
      xFields.push_back(&xField);
      xStack.push_back(&xField.m_xChildren);
    }
  }
  return xFields.empty() ? nullptr : FbxPickFrom(xFields, xRandom);
}

bool FbxSpliceField(FbxFieldTree& xInto, const KFbxWriteField& xField, FbxRandom& xRandom) {
  const TreeIndex xIndex(xInto.m_xFields);
  // Beside or in place of a field of the same name where there is one: a
  // model block among models, a take among takes.
  const std::vector<Slot> xSame = xIndex.Named(xField.m_xName);
  if (!xSame.empty()) {
    const Slot& xSlot = FbxPickFrom(xSame, xRandom);
    if (xRandom.OneIn(2)) {
      xSlot.Field() = xField;
    } else {
      xSlot.m_pxList->insert(xSlot.m_pxList->begin() + static_cast<std::ptrdiff_t>(xSlot.m_uIndex + 1), xField);
    }
    return true;
  }
  List& xList = *FbxPickFrom(xIndex.m_xLists, xRandom);
  xList.insert(xList.begin() + static_cast<std::ptrdiff_t>(xRandom.Below(xList.size() + 1)), xField);
  return true;
}
