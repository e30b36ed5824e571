#include "bvh_root.h"

#include <cstdint>
#include <new>

namespace Kvat {

namespace Secne {

BvhRoot::BvhRoot() : m_pMotionList(new Motion::MotionList()) {
  m_pCurrent = m_pRoot->addChild(new Node("Root", new AttributeBvh()));
}

BvhRoot::~BvhRoot() = default;

void BvhRoot::setTopName(const std::string& name) { m_pRoot->setName(name); }

void BvhRoot::setOffset(double x, double y, double z) {
  if (auto* attr = dynamic_cast<AttributeBvh*>(m_pCurrent->attrib())) attr->setOffset(Vector3(x, y, z));
}

void BvhRoot::beginJoint(const std::string& name) {
  m_pCurrent = m_pCurrent->addChild(new Node(name, new AttributeBvh()));
}

void BvhRoot::endJoint() {
  if (m_pCurrent->parent()) m_pCurrent = m_pCurrent->parent();
}

void BvhRoot::addChannel(const std::string& name) {
  try {
    if (!m_pCurrentMotion) m_pCurrentMotion.reset(new Motion::Motion(m_pCurrent->name()));
    std::unique_ptr<Motion::Fx> fx(new Motion::Fx(name, new Motion::FxPlot(0)));
    m_vColumns.reserve(m_vColumns.size() + 1);
    Motion::FxPlot* plot = fx->function();
    m_pCurrentMotion->append(fx.release());
    m_vColumns.push_back(plot);  // cannot throw: room was reserved
  } catch (const std::bad_alloc&) {
    // No memory for one more channel: that channel is abandoned, the load goes on.
  }
}

void BvhRoot::commitChannels() {
  if (m_pCurrentMotion) m_pMotionList->append(m_pCurrentMotion.release());
}

void BvhRoot::addSample(double value) {
  if (m_iColumn >= 0 && static_cast<std::size_t>(m_iColumn) < m_vColumns.size())
    m_vColumns[m_iColumn]->appendSample(value);
  if (m_iColumn < INT32_MAX) ++m_iColumn;
}

void BvhRoot::endRow() { m_iColumn = 0; }

void BvhRoot::expectRows(std::size_t rows) {
  try {
    // One block for all channels when the plan fits it; otherwise each
    // channel's room on its own.
    std::shared_ptr<Motion::SampleArena> arena;
    if (!m_vColumns.empty() && rows <= SIZE_MAX / m_vColumns.size())
      arena = Motion::SampleArena::create(rows * m_vColumns.size());
    for (Motion::FxPlot* column : m_vColumns) column->reserveSamples(rows, arena);
  } catch (const std::bad_alloc&) {
    // Only a plan: the samples still grow one by one.
  }
}

void BvhRoot::releaseUnusedRoom() {
  try {
    for (Motion::FxPlot* column : m_vColumns) {
      const Motion::Samples& samples = column->samples();
      if (samples.capacity() - samples.size() > samples.size() / 8) column->releaseUnusedRoom();
    }
  } catch (const std::bad_alloc&) {
    // The room stays: nothing is lost.
  }
}

namespace {
// The motion list as the reader dumps it.
std::string motionDump(const Motion::MotionList& list) {
  std::string dump = "Motions " + std::to_string(list.count()) + " \n";
  for (std::size_t i = 0; i < list.count(); ++i) {
    const Motion::Motion* motion = list.motion(i);
    if (!motion->name().empty()) dump.append(motion->name()).append(" ");
    if (motion->count() == 0) {
      dump += "\n";
      continue;
    }
    dump += "Fx " + std::to_string(motion->count()) + " \n";
    for (std::size_t k = 0; k < motion->count(); ++k) dump.append(motion->fx(k)->name()).append("\n");
  }
  return dump;
}
}  // namespace

void BvhRoot::linkMotions(Bvh::Diagnostics& diagnostics) {
  diagnostics.error(motionDump(*m_pMotionList));

  for (std::size_t i = 0; i < m_pMotionList->count(); ++i) {
    Motion::Motion* motion = m_pMotionList->motion(i);
    Node* node = m_pRoot->find(motion->name());
    if (!node) continue;
    if (auto* attr = dynamic_cast<AttributeBvh*>(node->attrib())) attr->setChannels(motion->fxList());
  }
}

}  // namespace Secne
}  // namespace Kvat
