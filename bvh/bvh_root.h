#pragma once
// A skeleton read from a BVH file: the tree of joints (each an AttributeBvh)
// under the top node, plus the clip's motion list that feeds their channels.

#include <memory>
#include <string>
#include <vector>

#include "attribute_bvh.h"
#include "bvh_diagnostics.h"
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
  // Planning the samples' room: every channel makes room for the rows the
  // reader expects, and after the load gives back what stayed unused.
  std::size_t columnCount() const { return m_vColumns.size(); }
  void expectRows(std::size_t rows);
  void releaseUnusedRoom();
  // Dumps the motion list to the error stream, then hands each motion's
  // channels to the joint of the same name.
  void linkMotions(Bvh::Diagnostics& diagnostics = Bvh::standardStreams());

  const Motion::MotionList& motions() const { return *m_pMotionList; }

 private:
  Node* m_pCurrent = nullptr;
  std::unique_ptr<Motion::Motion> m_pCurrentMotion;
  std::unique_ptr<Motion::MotionList> m_pMotionList;
  std::vector<Motion::FxPlot*> m_vColumns;  // every channel's samples, in file order
  int32_t m_iColumn = 0;
};

// Reads a BVH file (opened in text mode) into a new skeleton owned by the
// caller, with the reader's diagnostics on standard output and standard error
// or on the sink given. Returns none when the file cannot be opened; any
// other failure returns what was read so far.
BvhRoot* createBvhRoot(const char* fileName);
BvhRoot* createBvhRoot(const char* fileName, Bvh::Diagnostics& diagnostics);

// The same load over bytes in memory, read as a text-mode read of a file
// holding them would give them. Returns none only when not even the bare
// skeleton can be made.
BvhRoot* createBvhRootFromBytes(const char* data, std::size_t size,
                                Bvh::Diagnostics& diagnostics = Bvh::standardStreams());

}  // namespace Secne
}  // namespace Kvat
