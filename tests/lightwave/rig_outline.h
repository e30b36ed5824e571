#pragma once
// The standard rig as the tests expect to see it, written out on its own so
// that a slip in the module's name tables shows up as a difference.

#include <string>
#include <vector>

#include "kv_node.h"

namespace RigOutline {

inline const std::vector<std::string> kLeftLeg = {
    "L_Hip_a", "L_Hip",  "L_HipCtr", "L_HipNull",  "L_HipNFS_IK1", "L_HipNFS_IK2", "L_Hip2",    "L_LegDir",
    "L_Thigh", "L_Knee", "L_Shin",   "L_AnkleEff", "L_FootDir",    "L_Foot",       "L_FootTip", "L_FootTipEff"};
inline const std::vector<std::string> kRightLeg = {
    "R_Hip_a", "R_Hip",  "R_HipCtr", "R_HipNull",  "R_HipNFS_IK1", "R_HipNFS_IK2", "R_Hip2",    "R_LegDir",
    "R_Thigh", "R_Knee", "R_Shin",   "R_AnkleEff", "R_FootDir",    "R_Foot",       "R_FootTip", "R_FootTipEff"};
inline const std::vector<std::string> kLeftArm = {
    "L_Shoulder_a", "L_Shoulder", "L_ShoulderCtr", "L_NFS_IK1", "L_NFS_IK2", "L_Shoulder2",  "L_ArmDir", "L_Arm",
    "L_Elbow",      "L_ForeArm",  "L_ForearmDir",  "L_ArmEff",  "L_HandDir", "L_HandDirEff", "L_Hand",   "L_HandEff"};
inline const std::vector<std::string> kRightArm = {
    "R_Shoulder_a", "R_Shoulder", "R_ShoulderCtr", "R_NFS_IK1", "R_NFS_IK2", "R_Shoulder2",  "R_ArmDir", "R_Arm",
    "R_Elbow",      "R_ForeArm",  "R_ForearmDir",  "R_ArmEff",  "R_HandDir", "R_HandDirEff", "R_Hand",   "R_HandEff"};

// A tree in pre-order, each node as "name < parent name" (the top as "name").
inline std::vector<std::string> outline(Kvat::Secne::Node* top) {
  std::vector<std::string> lines;
  top->traverse(&lines, [](void* context, Kvat::Secne::Node* node) {
    auto* out = static_cast<std::vector<std::string>*>(context);
    out->push_back(node->parent() ? node->name() + " < " + node->parent()->name() : node->name());
  });
  return lines;
}

inline void addChain(std::vector<std::string>& out, std::string parent, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    out.push_back(name + " < " + parent);
    parent = name;
  }
}

// The whole rig with every joint present.
inline std::vector<std::string> fullRig() {
  std::vector<std::string> out = {"Root", "Root < Root", "RootSpin < Root"};
  addChain(out, "RootSpin", kLeftLeg);
  addChain(out, "RootSpin", kRightLeg);
  addChain(out, "Root", {"SpineNull", "Spine1", "Spine2", "Spine3"});
  addChain(out, "Spine3", kLeftArm);
  addChain(out, "Spine3", kRightArm);
  addChain(out, "Spine3", {"NeckNull", "Neck", "Head", "HeadEff"});
  return out;
}

}  // namespace RigOutline
