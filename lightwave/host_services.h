#pragma once
// The few host services an instance talks back through: error boxes and the
// command interpreter. Filled once when the instance is created and copied
// with it.

#include "lightwave/lwsdk/lw_globals.h"
#include "lightwave/lwsdk/lw_messages.h"

namespace Kvat {

class HostServices {
 public:
  // Keeps the global function and fetches the message and command services;
  // either may be missing (null).
  void fill(GlobalFunc* global);

  // A modal error box. The message service is required: without it this is a
  // programming error, not something to carry on from.
  void showError(const char* title, const char* text) const;

  // Runs a host command. The text is a format with no arguments, so "%%"
  // reaches the host as "%". Returns -1, sending nothing, when the host offers
  // no command function or the text is not a well-formed format.
  int sendCommand(const char* format) const;

  GlobalFunc* global() const { return m_pxGlobal; }
  const LWMessageFuncs* messageFuncs() const { return m_xMsgfuncs; }
  LWCommandFunc* commandFunc() const { return m_xCommandFunc; }

 private:
  GlobalFunc* m_pxGlobal = nullptr;
  const LWMessageFuncs* m_xMsgfuncs = nullptr;
  LWCommandFunc* m_xCommandFunc = nullptr;
};

}  // namespace Kvat
