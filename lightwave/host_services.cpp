#include "host_services.h"

#include <boost/format.hpp>
#include <string>

#include "kv_assert.h"

namespace Kvat {

void HostServices::fill(GlobalFunc* global) {
  m_pxGlobal = global;
  m_xMsgfuncs = nullptr;
  m_xCommandFunc = nullptr;
  if (!global) return;
  m_xMsgfuncs = static_cast<const LWMessageFuncs*>(global(LWMESSAGEFUNCS_GLOBAL, GFUSE_TRANSIENT));
  m_xCommandFunc = reinterpret_cast<LWCommandFunc*>(global(LWCOMMANDINTERFACE_GLOBAL, GFUSE_TRANSIENT));
}

void HostServices::showError(const char* title, const char* text) const {
  KVAT_ASSERT(m_xMsgfuncs && m_xMsgfuncs->error, "m_xMsgfuncs");
  m_xMsgfuncs->error(title, text);
}

int HostServices::sendCommand(const char* format) const {
  if (!m_xCommandFunc || !format) return -1;
  std::string command;
  try {
    // Format errors (a stray "%", a directive without argument) throw; they
    // must not reach the host, which called us from its own code.
    command = boost::str(boost::format(format));
  } catch (...) {
    return -1;
  }
  return m_xCommandFunc(command.c_str());
}

}  // namespace Kvat
