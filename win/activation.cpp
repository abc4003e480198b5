#include "win/activation.h"

#include <mutex>

#include "win/handles.h"
#include "win/module.h"

namespace eos::win {

namespace {

struct Context {
  std::mutex mutex;
  UniqueActCtx handle;
  bool tried = false;  // a module without a manifest is asked once
};

Context& ModuleContext() {
  static Context context;
  return context;
}

// The context's common controls stay loaded for the process once the plug-in used them:
// Wine's comctl32 leaves a GDI object behind each time it is loaded again, which a host
// that unloads and reloads the plug-in would collect.
void KeepControlsLoaded(HANDLE context) {
  ULONG_PTR cookie = 0;
  if (context == INVALID_HANDLE_VALUE || !ActivateActCtx(context, &cookie)) return;
  HMODULE controls = nullptr;
  if (LoadLibraryW(L"comctl32.dll"))
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"comctl32.dll", &controls);
  DeactivateActCtx(0, cookie);
}

HANDLE Acquire() {
  Context& c = ModuleContext();
  std::lock_guard lock(c.mutex);
  if (!c.handle && !c.tried) {
    c.tried = true;
    ACTCTXW actctx{};
    actctx.cbSize = sizeof actctx;
    actctx.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    actctx.hModule = ThisModule();
    actctx.lpResourceName = MAKEINTRESOURCEW(2);  // ISOLATIONAWARE_MANIFEST_RESOURCE_ID
    c.handle.reset(CreateActCtxW(&actctx));
    KeepControlsLoaded(c.handle.get());
  }
  return c.handle.get();
}

}  // namespace

ModuleContextScope::ModuleContextScope() {
  const HANDLE context = Acquire();
  if (context != INVALID_HANDLE_VALUE) active_ = ActivateActCtx(context, &cookie_) != FALSE;
}

ModuleContextScope::~ModuleContextScope() {
  if (active_) DeactivateActCtx(0, cookie_);
}

void ReleaseModuleContext() noexcept {
  Context& c = ModuleContext();
  std::lock_guard lock(c.mutex);
  c.handle.reset();
  c.tried = false;
}

}  // namespace eos::win
