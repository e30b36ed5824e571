#include "panel_service.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "current_instance.h"

namespace Boneplay {
namespace Host {

namespace {

std::string text(const char* s) { return s ? s : ""; }

// A hint list is read word by word; no list is trusted to be longer than this.
constexpr std::size_t kMaxHintWords = 1024;

uintptr_t word(LWXPanelHint h) { return reinterpret_cast<uintptr_t>(h); }

}  // namespace

PanelService::PanelService() : m_xFuncs{1, create, destroy, describe, hint, viewInst, setData, getData, formSet} {
  CurrentInstance<PanelService>::enter(this);
}

PanelService::~PanelService() { CurrentInstance<PanelService>::leave(this); }

PanelService* PanelService::current() { return CurrentInstance<PanelService>::get(); }

PanelService::Panel* PanelService::panel(LWXPanelID id) {
  for (const auto& p : m_vPanels)
    if (reinterpret_cast<LWXPanelID>(p.get()) == id) return p.get();
  return nullptr;
}

int PanelService::setValue(LWXPanelID id, unsigned int vid, void* value) {
  Panel* p = panel(id);
  return p && p->set ? p->set(p->instance, vid, value) : -1;
}

void* PanelService::getValue(LWXPanelID id, unsigned int vid) {
  Panel* p = panel(id);
  return p && p->get ? p->get(p->instance, vid) : nullptr;
}

bool PanelService::press(LWXPanelID id, unsigned int cid) {
  Panel* p = panel(id);
  if (!p) return false;
  auto it = p->buttons.find(cid);
  if (it == p->buttons.end() || !it->second) return false;
  it->second(id, static_cast<int>(cid));
  return true;
}

LWXPanelID PanelService::create(int type, LWXPanelControl* controls) {
  PanelService* self = current();
  if (!self) return nullptr;
  try {
    auto p = std::make_unique<Panel>();
    p->type = type;
    for (LWXPanelControl* c = controls; c && c->cid; ++c)
      p->controls.push_back({c->cid, text(c->label), text(c->ctrlclass)});
    self->m_vPanels.push_back(std::move(p));
    return reinterpret_cast<LWXPanelID>(self->m_vPanels.back().get());
  } catch (...) {
    return nullptr;
  }
}

void PanelService::destroy(LWXPanelID id) {
  PanelService* self = current();
  if (!self) return;
  auto& v = self->m_vPanels;
  v.erase(std::remove_if(v.begin(), v.end(),
                         [&](const std::unique_ptr<Panel>& p) { return reinterpret_cast<LWXPanelID>(p.get()) == id; }),
          v.end());
}

void PanelService::describe(LWXPanelID id, LWXPanelDataDesc* data, LWXPanelGetFunc* get, LWXPanelSetFunc* set) {
  PanelService* self = current();
  Panel* p = self ? self->panel(id) : nullptr;
  if (!p) return;
  try {
    for (LWXPanelDataDesc* d = data; d && d->vid; ++d) p->data.push_back({d->vid, text(d->name), text(d->datatype)});
  } catch (...) {
  }
  p->get = get;
  p->set = set;
}

void PanelService::hint(LWXPanelID id, unsigned int, LWXPanelHint* hints) {
  PanelService* self = current();
  Panel* p = self ? self->panel(id) : nullptr;
  if (!p || !hints) return;
  try {
    std::size_t i = 0;
    auto next = [&]() { return i < kMaxHintWords ? hints[i++] : nullptr; };
    while (i < kMaxHintWords) {
      const uintptr_t tag = word(next());
      if (tag == XpEND) return;
      if (tag == XpLABEL) {
        next();  // the control id; 0 names the panel itself
        p->title = text(static_cast<const char*>(next()));
      } else if (tag == XpXREQCFG) {
        FileRequester r;
        r.id = static_cast<unsigned int>(word(next()));
        r.mode = static_cast<int>(word(next()));
        r.title = text(static_cast<const char*>(next()));
        r.filter = text(static_cast<const char*>(next()));
        p->requesters.push_back(r);
      } else if (tag == XpBUTNOTIFY) {
        const auto cid = static_cast<unsigned int>(word(next()));
        p->buttons[cid] = reinterpret_cast<LWXPanelBtnClickFunc*>(next());
      } else {
        // Without knowing its length the rest of the list cannot be read.
        char buf[48];
        std::snprintf(buf, sizeof buf, "unknown hint tag %#lx", static_cast<unsigned long>(tag));
        p->hintProblems.push_back(buf);
        return;
      }
    }
    p->hintProblems.push_back("hint list without XpEND");
  } catch (...) {
  }
}

void PanelService::viewInst(LWXPanelID id, void* inst) {
  PanelService* self = current();
  if (Panel* p = self ? self->panel(id) : nullptr) p->instance = inst;
}

void PanelService::setData(LWXPanelID id, unsigned int slot, void* data) {
  PanelService* self = current();
  Panel* p = self ? self->panel(id) : nullptr;
  if (!p) return;
  try {
    p->dataSlots[slot] = data;
  } catch (...) {
  }
}

void* PanelService::getData(LWXPanelID id, unsigned int slot) {
  PanelService* self = current();
  Panel* p = self ? self->panel(id) : nullptr;
  if (!p) return nullptr;
  auto it = p->dataSlots.find(slot);
  return it == p->dataSlots.end() ? nullptr : it->second;
}

void PanelService::formSet(LWXPanelID id, unsigned int cid, void* value) {
  PanelService* self = current();
  Panel* p = self ? self->panel(id) : nullptr;
  if (!p) return;
  try {
    p->formSets.emplace_back(cid, value);
  } catch (...) {
  }
}

}  // namespace Host
}  // namespace Boneplay
