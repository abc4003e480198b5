// A DLL that runs the camera road with the component's timers, and takes its windows back
// when it is freed as the plug-in does, so a test can load, run, free and load it again.
#include <windows.h>

#include "camremote/CamRemote.h"
#include "win/timer.h"
#include "win/window_class.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) eos::win::ReleaseModuleWindows();
  return TRUE;
}

// Connects the first camera, polls live view for `ms` milliseconds and leaves again;
// answers the frames that arrived, or -1 when a step raised.
extern "C" __declspec(dllexport) int RunRoad(DWORD ms) noexcept {
  using namespace eos;
  try {
    int frames = 0;
    TCamRemote remote;
    remote.SetEOSViewfinderRefreshInterval(30);
    remote.OnViewfinderEvent = [&frames](JpegBytes, const ViewfinderPositionType&) { ++frames; };
    remote.OpenCameraEnumeration();
    remote.Connect(CamModEOS, 0);
    remote.RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, false, u"");
    remote.RemoteStartViewfinder(false);
    win::PumpMessagesFor(ms);
    remote.RemoteStopViewfinder();
    remote.RemoteEnd();
    remote.Disconnect();
    remote.CloseCameraEnumeration();
    return frames;
  } catch (...) {
    return -1;
  }
}
