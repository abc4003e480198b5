// A DLL that holds its own copy of the binding, as the plug-in does, so a test can load
// and unload it and watch what happens to EDSDK.DLL.
#include <windows.h>

#include "Sources/EDSDKBinding.h"

// Loads the SDK the given number of times; answers how many loads raised nothing.
extern "C" __declspec(dllexport) int LoadSdkTimes(int times) {
  int loaded = 0;
  for (int i = 0; i < times; ++i) {
    try {
      eos::LoadEDSDKLibrary();
      ++loaded;
    } catch (...) {
    }
  }
  return loaded;
}
