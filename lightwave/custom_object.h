#pragma once
// One instance per host item that carries the custom object: it holds a
// skeleton, poses it at the host's time relative to the carrying item and
// draws it as red lines from every joint to its parent joint.

#include <memory>
#include <string>

#include "host_services.h"
#include "kv_node.h"
#include "lightwave/lwsdk/lw_custom_object.h"

namespace Kvat {

class CustomObjectInstance {
 public:
  // What kind of skeleton the instance holds.
  enum StateCode : int { kNoSkeleton = 0, kHostRig = 1, kFbxClip = 2, kBvhClip = 3 };
  static constexpr std::size_t kPanelTextSize = 512;

  // A fresh instance on the host item: host services from the module's global
  // function and the host rig skeleton found below the item.
  static std::unique_ptr<CustomObjectInstance> create(LWItemID hostItem);

  CustomObjectInstance() = default;
  CustomObjectInstance(const CustomObjectInstance&) = delete;
  CustomObjectInstance& operator=(const CustomObjectInstance&) = delete;

  // Takes over every field of the source. The skeleton is then shared: it
  // lives as long as either instance still holds it.
  void copyFrom(const CustomObjectInstance& source);

  // The host's time step: root matrix = inverted world matrix of the carrying
  // item, then the skeleton is posed at the time (seconds).
  void newTime(double time);
  // One red line per joint below the top two levels, in object coordinates.
  void draw(const LWCustomObjAccess& access) const;

  // Stores the display scale; with a skeleton, rescales it and asks the host
  // to redraw. Returns the panel's refresh code (1: handled).
  int setScale(double scale);

  // Loading a motion file: drop the current skeleton first, then hand in
  // what the reader made. A new skeleton takes the state code, the display
  // scale and the pose at 0.5 s, and the host is asked to redraw; with none,
  // the instance is left empty and keeps its state code.
  void releaseSkeleton();
  void adoptSkeleton(std::unique_ptr<Secne::Root> pRoot, StateCode stateCode);

  double scale() const { return m_dScale; }
  // The scale alone, nothing else touched (AutoResize rescales the skeleton itself).
  void storeScale(double scale) { m_dScale = scale; }
  // Where the panel reads the scale from after AutoResize changed it.
  double* scaleAddress() { return &m_dScale; }
  double time() const { return m_dTime; }
  const std::string& fileName() const { return m_sFileName; }
  void setFileName(const std::string& fileName) { m_sFileName = fileName; }
  int stateCode() const { return m_iStateCode; }
  Secne::Root* skeleton() const { return m_pRoot.get(); }
  LWItemID hostItem() const { return m_xHostItem; }
  char* panelText() { return m_acPanelText; }
  const HostServices& hostServices() const { return m_xHostServices; }

 private:
  // Root matrix = the inverted world matrix of the carrying item at the time.
  void placeInItemSpace(double time);

  double m_dScale = 1.0;
  double m_dTime = 0.0;
  std::string m_sFileName;
  int m_iStateCode = kNoSkeleton;
  std::shared_ptr<Secne::Root> m_pRoot;
  LWItemID m_xHostItem = nullptr;
  char m_acPanelText[kPanelTextSize] = {};
  HostServices m_xHostServices;
};

}  // namespace Kvat
