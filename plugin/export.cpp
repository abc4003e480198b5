// The plug-in's one export. 32-bit Delphi hosts call it with the register convention: the
// command in EAX, the address of the host's BSTR variable in EDX, the result in EAX. In
// 64 bits Windows has one convention, the one Delphi's Win64 compiler and .NET use for the
// same declaration (GCC would drop regparm there without a word).
#include <float.h>
#include <windows.h>

#include <oleauto.h>

#include <utility>

#include "plugin/commands.h"
#include "plugin/host_answer.h"
#include "win/log_file.h"
#include "win/window_class.h"
#include "win/wtext.h"

namespace eos {

namespace {

// Delphi hosts run with floating-point exceptions unmasked; library code expects the
// Windows default. The host's setting comes back when the call returns.
class FpuDefaults {
 public:
  FpuDefaults() : saved_(_controlfp(0, 0)) { _controlfp(_MCW_EM, _MCW_EM); }
  ~FpuDefaults() {
    _clearfp();
    _controlfp(saved_, _MCW_EM);
  }
  FpuDefaults(const FpuDefaults&) = delete;
  FpuDefaults& operator=(const FpuDefaults&) = delete;

 private:
  unsigned saved_;
};

}  // namespace

}  // namespace eos

// A host that frees the plug-in takes its windows and window classes with it, so loading it
// again starts clean. At process exit (reserved not null) nothing is done: the process is
// going, and the loader lock forbids more.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) eos::win::ReleaseModuleWindows();
  return TRUE;
}

#if defined(_WIN64)
#define EOS_HOST_CALL __attribute__((ms_abi))
#else
#define EOS_HOST_CALL __attribute__((regparm(2)))
#endif

extern "C" int32_t EOS_HOST_CALL Dll_ParamsW(int32_t cmd, BSTR* params) noexcept {
  using namespace eos;
  if (params == nullptr) return -1;
  FpuDefaults fpu;
  try {
    // The length comes from the BSTR's prefix: the text may hold NULs.
    Text text = win::FromWide(*params, SysStringLen(*params));
    // A picture's answer is written while the dialog and the camera are let go.
    AnswerWriter picture_answer;
    const int32_t result =
        CanonEosSDKParams(cmd, text, [&](CaptureAnswerParts answer) { picture_answer.Start(std::move(answer)); });
    if (picture_answer.Started()) return picture_answer.Finish(params) ? result : -1;
    CaptureAnswerParts answer;
    answer.head = std::move(text);
    return ReplaceHostText(params, answer) ? result : -1;
  } catch (...) {
    win::LogSwallowed(u"Dll_ParamsW");
    return -1;
  }
}
