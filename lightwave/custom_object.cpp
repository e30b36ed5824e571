#include "custom_object.h"

#include <cstring>

#include "item_matrix.h"
#include "lw_skl_generator.h"
#include "module_globals.h"

namespace Kvat {

namespace {

constexpr const char* kRefreshCommand = "RefreshNow";
constexpr double kLoadedPoseTime = 0.5;

struct DrawContext {
  const LWCustomObjAccess* access;
};

void drawJointLine(void* context, Secne::Node* node) {
  const Secne::Node* parent = node->parent();
  // The top node and the joints right below it have no line: the top node is
  // only the frame the skeleton hangs in.
  if (!parent || !parent->parent()) return;
  const LWCustomObjAccess* access = static_cast<DrawContext*>(context)->access;
  const Vector3 from = node->position();
  const Vector3 to = parent->position();
  LWDVector a = {from.x, from.y, from.z};
  LWDVector b = {to.x, to.y, to.z};
  access->line(access->dispData, a, b, LWCSYS_OBJECT);
}

}  // namespace

std::unique_ptr<CustomObjectInstance> CustomObjectInstance::create(LWItemID hostItem) {
  auto instance = std::make_unique<CustomObjectInstance>();
  GlobalFunc* global = Module::hostGlobal();
  instance->m_xHostServices.fill(global);
  const LWItemInfo* itemInfo =
      global ? static_cast<const LWItemInfo*>(global(LWITEMINFO_GLOBAL, GFUSE_TRANSIENT)) : nullptr;
  Module::setItemInfo(itemInfo);

  const Secne::lw_skl_generator generator(itemInfo);
  instance->m_pRoot = generator.buildSkeleton(hostItem);
  instance->m_xHostItem = hostItem;
  instance->m_iStateCode = instance->m_pRoot ? kHostRig : kNoSkeleton;
  return instance;
}

void CustomObjectInstance::copyFrom(const CustomObjectInstance& source) {
  if (&source == this) return;
  m_dScale = source.m_dScale;
  m_dTime = source.m_dTime;
  m_sFileName = source.m_sFileName;
  m_iStateCode = source.m_iStateCode;
  m_pRoot = source.m_pRoot;  // the skeleton this one held goes once nobody holds it
  m_xHostItem = source.m_xHostItem;
  std::memcpy(m_acPanelText, source.m_acPanelText, kPanelTextSize);
  m_xHostServices = source.m_xHostServices;
}

void CustomObjectInstance::placeInItemSpace(double time) {
  Matrix4 world;
  world.setIdentity();
  if (const LWItemInfo* itemInfo = Module::itemInfo()) world = itemWorldMatrix(*itemInfo, m_xHostItem, time);
  // A singular matrix (an item scaled to 0) stays as it is.
  world.invert();
  m_pRoot->rootMatrix() = world;
}

void CustomObjectInstance::newTime(double time) {
  if (!m_pRoot) return;
  m_dTime = time;
  placeInItemSpace(time);
  m_pRoot->evaluate(time);
}

void CustomObjectInstance::draw(const LWCustomObjAccess& access) const {
  if (!m_pRoot || !access.setColor || !access.line) return;
  float red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
  access.setColor(access.dispData, red);
  DrawContext context{&access};
  m_pRoot->top()->traverse(&context, drawJointLine);
}

int CustomObjectInstance::setScale(double scale) {
  m_dScale = scale;
  if (m_pRoot) {
    m_pRoot->setScale(Vector3(scale, scale, scale));
    m_xHostServices.sendCommand(kRefreshCommand);
  }
  return 1;
}

void CustomObjectInstance::releaseSkeleton() { m_pRoot.reset(); }

void CustomObjectInstance::adoptSkeleton(std::unique_ptr<Secne::Root> pRoot, StateCode stateCode) {
  m_pRoot = std::move(pRoot);
  if (!m_pRoot) return;
  m_iStateCode = stateCode;
  m_pRoot->setScale(Vector3(m_dScale, m_dScale, m_dScale));
  // A new root's matrix is all zero, which would fold the whole pose into
  // one point until the host's next time step: place it in the item's space
  // as that step would.
  placeInItemSpace(m_dTime);
  m_pRoot->evaluate(kLoadedPoseTime);
  m_xHostServices.sendCommand(kRefreshCommand);
}

}  // namespace Kvat
