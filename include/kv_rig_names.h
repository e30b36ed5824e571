#pragma once
// The standard rig's joint names, chain by chain, from the body outwards:
// the module builds its rig skeleton from items of these names, and the
// stand-in host names them when a scene has none.

namespace Kvat {
namespace Rig {

constexpr const char* kSpine[] = {"Root",     "SpineNull", "Spine1", "Spine2", "Spine3",
                                  "NeckNull", "Neck",      "Head",   "HeadEff"};

constexpr const char* kLeftArm[] = {
    "L_Shoulder_a", "L_Shoulder", "L_ShoulderCtr", "L_NFS_IK1", "L_NFS_IK2", "L_Shoulder2",  "L_ArmDir", "L_Arm",
    "L_Elbow",      "L_ForeArm",  "L_ForearmDir",  "L_ArmEff",  "L_HandDir", "L_HandDirEff", "L_Hand",   "L_HandEff"};

constexpr const char* kRightArm[] = {
    "R_Shoulder_a", "R_Shoulder", "R_ShoulderCtr", "R_NFS_IK1", "R_NFS_IK2", "R_Shoulder2",  "R_ArmDir", "R_Arm",
    "R_Elbow",      "R_ForeArm",  "R_ForearmDir",  "R_ArmEff",  "R_HandDir", "R_HandDirEff", "R_Hand",   "R_HandEff"};

constexpr const char* kLeftLeg[] = {"L_Hip_a",   "L_Hip",    "L_HipCtr",  "L_HipNull",   "L_HipNFS_IK1", "L_HipNFS_IK2",
                                    "L_Hip2",    "L_LegDir", "L_Thigh",   "L_Knee",      "L_Shin",       "L_AnkleEff",
                                    "L_FootDir", "L_Foot",   "L_FootTip", "L_FootTipEff"};

constexpr const char* kRightLeg[] = {
    "R_Hip_a", "R_Hip",  "R_HipCtr", "R_HipNull",  "R_HipNFS_IK1", "R_HipNFS_IK2", "R_Hip2",    "R_LegDir",
    "R_Thigh", "R_Knee", "R_Shin",   "R_AnkleEff", "R_FootDir",    "R_Foot",       "R_FootTip", "R_FootTipEff"};

// The joint both legs hang from, below "Root".
constexpr const char* kLegsJoint = "RootSpin";
// Where the arms branch off the spine, and where the legs do.
constexpr const char* kArmsBranch = "Spine3";
constexpr const char* kLegsBranch = "Root";

}  // namespace Rig
}  // namespace Kvat
