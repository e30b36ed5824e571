#pragma once
// The stand-in host's panel service: it keeps what a module declares for each
// panel (controls, data description, hints, the bound instance, data slots)
// and lets the command line and tests act as the user would: read and set
// values through the module's own get/set pair and press buttons.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lightwave/lwsdk/lw_panel.h"

namespace Boneplay {
namespace Host {

class PanelService {
 public:
  struct Control {
    unsigned int id;
    std::string label;
    std::string kind;  // control class or data type
  };
  struct FileRequester {
    unsigned int id;
    int mode;
    std::string title;
    std::string filter;
  };
  struct Panel {
    int type = 0;
    std::vector<Control> controls;
    std::vector<Control> data;
    LWXPanelGetFunc* get = nullptr;
    LWXPanelSetFunc* set = nullptr;
    std::string title;
    std::vector<FileRequester> requesters;
    std::map<unsigned int, LWXPanelBtnClickFunc*> buttons;
    std::vector<std::string> hintProblems;  // hint words it could not read
    void* instance = nullptr;
    std::map<unsigned int, void*> dataSlots;
    std::vector<std::pair<unsigned int, void*>> formSets;  // in call order
  };

  PanelService();
  ~PanelService();
  PanelService(const PanelService&) = delete;
  PanelService& operator=(const PanelService&) = delete;

  // The table a module gets for "LWXPanel".
  LWXPanelFuncs* funcs() { return &m_xFuncs; }

  // The panel behind an id this service handed out, or null.
  Panel* panel(LWXPanelID id);
  const std::vector<std::unique_ptr<Panel>>& panels() const { return m_vPanels; }

  // What the user does: each goes through the module's own callbacks.
  // setValue returns the module's refresh code (-1 without a set function).
  int setValue(LWXPanelID id, unsigned int vid, void* value);
  void* getValue(LWXPanelID id, unsigned int vid);
  // False when the panel has no button notification for that control.
  bool press(LWXPanelID id, unsigned int cid);

 private:
  static PanelService* current();
  static LWXPanelID create(int type, LWXPanelControl* controls);
  static void destroy(LWXPanelID panel);
  static void describe(LWXPanelID panel, LWXPanelDataDesc* data, LWXPanelGetFunc* get, LWXPanelSetFunc* set);
  static void hint(LWXPanelID panel, unsigned int id, LWXPanelHint* hints);
  static void viewInst(LWXPanelID panel, void* inst);
  static void setData(LWXPanelID panel, unsigned int id, void* data);
  static void* getData(LWXPanelID panel, unsigned int id);
  static void formSet(LWXPanelID panel, unsigned int cid, void* value);

  LWXPanelFuncs m_xFuncs;
  std::vector<std::unique_ptr<Panel>> m_vPanels;
};

}  // namespace Host
}  // namespace Boneplay
