#include "win/message_box.h"

#include <windows.h>

#include "win/activation.h"
#include "win/module.h"
#include "win/wtext.h"

namespace eos {

namespace {

// The active window when it is one of the plug-in's own, not the host's.
HWND ActivePluginWindow() {
  HWND active = GetActiveWindow();
  if (active && reinterpret_cast<HMODULE>(GetWindowLongPtrW(active, GWLP_HINSTANCE)) == win::ThisModule())
    return active;
  return nullptr;
}

void PumpPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

int ModuleMessageBox(HWND owner, TextView text, TextView caption, UINT flags) {
  const win::ModuleContextScope scope;
  return MessageBoxW(owner, win::Wide(text).c_str(), win::Wide(caption).c_str(), flags);
}

int CamMessageBox(TextView text, TextView caption, int flags1, int flags2) {
  const Text title = caption.empty() ? win::ApplicationTitle() : Text(caption);
  UINT flags = static_cast<UINT>(flags1 | flags2);
  HWND owner = ActivePluginWindow();
  if (owner)
    PumpPendingMessages();
  else
    flags |= MB_SYSTEMMODAL;
  return ModuleMessageBox(owner, text, title, flags);
}

int CamShowMessage(TextView text) { return CamMessageBox(text, TextView(), MB_ICONINFORMATION, 0); }

}  // namespace eos
