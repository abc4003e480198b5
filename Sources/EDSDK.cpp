#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "Sources/EDSDKBinding.h"
#include "win/handles.h"

namespace eos {
namespace {

// The answer of an entry point that is not bound.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define EDSDK_UNBOUND(name, exported, ret, params, args) \
  ret EDS_STDCALL Unbound##name params { return EDS_ERR_UNIMPLEMENTED; }
EDSDK_ENTRY_POINTS(EDSDK_UNBOUND)
#undef EDSDK_UNBOUND
#pragma GCC diagnostic pop

// Process-wide binding state. The module owner is a static object, so its destructor
// is the unload action: it frees the library when this module is unloaded (process end,
// or FreeLibrary of the DLL that holds this code).
bool g_loaded = false;
win::UniqueModule g_library;

// Restores the process error mode on every way out of the load.
class ErrorModeScope {
 public:
  explicit ErrorModeScope(UINT mode) : saved_(SetErrorMode(mode)) {}
  ~ErrorModeScope() { SetErrorMode(saved_); }
  ErrorModeScope(const ErrorModeScope&) = delete;
  ErrorModeScope& operator=(const ErrorModeScope&) = delete;

 private:
  UINT saved_;
};

void UnbindAll() {
#define EDSDK_UNBIND(name, exported, ret, params, args) name = Unbound##name;
  EDSDK_ENTRY_POINTS(EDSDK_UNBIND)
#undef EDSDK_UNBIND
}

// The assertion of a missing entry point, in the runtime's "%s (%s, line %d)" form. The
// line number is the entry point's position in the binding order (1 to 54), which
// names it unambiguously.
[[noreturn]] void MissingEntryPoint(int position) {
  char message[96];
  std::snprintf(message, sizeof message, "%s (%s, line %d)", "Assertion failure", "Sources\\EDSDK", position);
  throw EAssertionFailed(Ascii(message));
}

// The name an entry point has in this platform's SDK. The list gives the 32-bit DLL's
// names, one of them stdcall-decorated ("_EdsCreateStream@8"); 64-bit Windows decorates
// nothing, so the 64-bit SDK exports that one by its plain name.
std::string PlatformName(std::string_view listed) {
#if defined(_WIN64)
  const size_t at = listed.find('@');
  if (listed.starts_with('_') && at != std::string_view::npos) return std::string(listed.substr(1, at - 1));
#endif
  return std::string(listed);
}

// Looks up one entry point; null when the library does not export it.
template <typename Proc>
Proc Lookup(const char* exported) {
  // GetProcAddress hands out an untyped address; the entry list fixes its real type.
  return reinterpret_cast<Proc>(
      reinterpret_cast<void*>(GetProcAddress(g_library.get(), PlatformName(exported).c_str())));
}

void BindAll() {
  int position = 0;
#define EDSDK_BIND(name, exported, ret, params, args) \
  ++position;                                         \
  if (auto proc = Lookup<name##Proc>(exported)) {     \
    name = proc;                                      \
  } else {                                            \
    MissingEntryPoint(position);                      \
  }
  EDSDK_ENTRY_POINTS(EDSDK_BIND)
#undef EDSDK_BIND
}

}  // namespace

#define EDSDK_DEFINE_POINTER(name, exported, ret, params, args) name##Proc name = Unbound##name;
EDSDK_ENTRY_POINTS(EDSDK_DEFINE_POINTER)
#undef EDSDK_DEFINE_POINTER

void LoadEDSDKLibrary() {
  if (g_loaded) return;
  // A missing library must not bring up the system's "cannot find" box in the host.
  ErrorModeScope error_mode(SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryW(L"EDSDK.DLL");
  if (reinterpret_cast<std::uintptr_t>(module) < 32) {
    g_loaded = false;
    throw EInOutError(u"EDSDK.DLL could not be loaded");
  }
  g_library.reset(module);
  g_loaded = true;
  try {
    BindAll();
  } catch (...) {
    // A library without every entry point is not used at all: nothing half-bound stays
    // behind to be called, and the next camera operation tries the load again (after
    // the user has installed a complete SDK, for instance).
    UnbindAll();
    g_library.reset();
    g_loaded = false;
    throw;
  }
}

}  // namespace eos
