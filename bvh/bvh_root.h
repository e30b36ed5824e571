#pragma once
// A skeleton read from a BVH file: the tree of joints (each an AttributeBvh)
// under the top node, plus the clip's motion list that feeds their channels.

#include <memory>
#include <string>
#include <vector>

#include "attribute_bvh.h"
#include "kv_motion.h"
#include "kv_node.h"

namespace Kvat {
namespace Secne {

class BvhRoot : public Root {
 public:
  BvhRoot();
  ~BvhRoot() override;

  // The reader's actions, in the order the grammar calls them.
  void setTopName(const std::string& name);
  void setOffset(double x, double y, double z);
  void beginJoint(const std::string& name);
  void endJoint();
  void addChannel(const std::string& name);
  void commitChannels();
  void addSample(double value);
  void endRow();
  // Dumps the motion list to standard error, then hands each motion's
  // channels to the joint of the same name.
  void linkMotions();

  const Motion::MotionList& motions() const { return *m_pMotionList; }

 private:
  Node* m_pCurrent = nullptr;
  std::unique_ptr<Motion::Motion> m_pCurrentMotion;
  std::unique_ptr<Motion::MotionList> m_pMotionList;
  std::vector<Motion::FxPlot*> m_vColumns;  // every channel's samples, in file order
  int32_t m_iColumn = 0;
};

// Reads a BVH file into a new skeleton owned by the caller. Returns none when
// the file cannot be opened; any other failure returns what was read so far.
BvhRoot* createBvhRoot(const char* fileName);

}  // namespace Secne
}  // namespace Kvat
