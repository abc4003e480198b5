// The stand-in EDSDK.DLL as the plug-in sees it: loaded by path, every entry point looked
// up by its exported name, its scenario in the environment.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "edsdk/EDSDK.h"
#include "tests/win/support/plugin_fixture.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos::test {

inline Text StandInPath() { return ProgramFolder() + u"Canon_EOS_SDK_redist\\EDSDK.DLL"; }

// Every entry point of the list, bound by its exported name.
struct Sdk {
#define EOS_SIM_POINTER(name, exported, ret, params, args) name##Proc name = nullptr;
  EDSDK_ENTRY_POINTS(EOS_SIM_POINTER)
#undef EOS_SIM_POINTER
  win::UniqueModule module;
  int missing = 0;

  explicit Sdk(const Text& path = StandInPath()) : module(LoadLibraryW(win::W(path))) {
    if (!module) return;
#define EOS_SIM_BIND(name, exported, ret, params, args)                                                      \
  name = reinterpret_cast<name##Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module.get(), exported))); \
  missing += name == nullptr;
    EDSDK_ENTRY_POINTS(EOS_SIM_BIND)
#undef EOS_SIM_BIND
  }
};

inline void SetScenario(const std::string& text) {
  SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", win::Wide(FromUtf8(text)).c_str());
}

// The first camera of the list, the list itself released.
inline EdsCameraRef FirstCamera(Sdk& sdk) {
  EdsCameraListRef list = nullptr;
  EdsCameraRef camera = nullptr;
  EXPECT_EQ(sdk.EdsGetCameraList(&list), EDS_ERR_OK);
  EXPECT_EQ(sdk.EdsGetChildAtIndex(list, 0, &camera), EDS_ERR_OK);
  EXPECT_EQ(sdk.EdsRelease(list), EDS_ERR_OK);
  return camera;
}

// How many cameras a fresh camera list holds.
inline EdsUInt32 Listed(Sdk& sdk) {
  EdsCameraListRef list = nullptr;
  EdsUInt32 count = 99;
  EXPECT_EQ(sdk.EdsGetCameraList(&list), EDS_ERR_OK);
  EXPECT_EQ(sdk.EdsGetChildCount(list, &count), EDS_ERR_OK);
  EXPECT_EQ(sdk.EdsRelease(list), EDS_ERR_OK);
  return count;
}

// One live-view frame's JPEG, fetched as the plug-in's poller fetches one; empty when the
// download fails, whose result goes to `result` (else it is expected to work).
inline std::vector<uint8_t> DownloadFrame(Sdk& sdk, EdsCameraRef camera, EdsError* result = nullptr) {
  EdsStreamRef stream = nullptr;
  EdsEvfImageRef image = nullptr;
  EXPECT_EQ(sdk.EdsCreateMemoryStream(0, &stream), EDS_ERR_OK);
  EXPECT_EQ(sdk.EdsCreateEvfImageRef(stream, &image), EDS_ERR_OK);
  const EdsError r = sdk.EdsDownloadEvfImage(camera, image);
  if (result) {
    *result = r;
  } else {
    EXPECT_EQ(r, EDS_ERR_OK);
  }
  std::vector<uint8_t> bytes;
  void* p = nullptr;
  EdsUInt64 n = 0;
  if (r == EDS_ERR_OK && sdk.EdsGetPointer(stream, &p) == EDS_ERR_OK && sdk.EdsGetLength(stream, &n) == EDS_ERR_OK)
    bytes.assign(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + n);
  EXPECT_EQ(sdk.EdsRelease(image), EDS_ERR_OK);
  EXPECT_EQ(sdk.EdsRelease(stream), EDS_ERR_OK);
  return bytes;
}

// What the books say at the SDK's end: nothing left open, and as many references
// released as handed out.
inline void ExpectBooksBalanced(const std::string& trace) {
  const size_t books = trace.rfind("books: references handed out ");
  ASSERT_NE(books, std::string::npos) << "the SDK was not ended";
  EXPECT_EQ(trace.find("leak:", books), std::string::npos) << trace.substr(books);
  const int handed = std::stoi(trace.substr(books + 29));
  const int released = std::stoi(trace.substr(trace.find("released ", books) + 9));
  EXPECT_EQ(handed, released) << trace.substr(books);
}

}  // namespace eos::test
