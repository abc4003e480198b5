// The binding of EDSDK.DLL against small stand-in DLLs, and TEDSDK's own pieces. Each
// case runs in a process of its own, so every one starts unbound.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

#include "Sources/EDSDKApi.h"
#include "Sources/EDSDKBinding.h"
#include "Sources/EDSDKOwners.h"
#include "tests/win/support/plugin_fixture.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos {
namespace {

using test::ProgramFolder;
using win::W;

// Puts a folder first on PATH, as the plug-in puts its SDK folder there. Each stand-in
// is built as EDSDK.DLL in a folder of the test program's folder named after it.
void PutSdkOnPath(const char* fixture) {
  wchar_t path[32767];
  const DWORD n = GetEnvironmentVariableW(L"PATH", path, 32767);
  const Text old_path = n < 32767 ? win::FromWide(path, n) : Text();
  SetEnvironmentVariableW(L"PATH", W(ProgramFolder() + Ascii(fixture) + u";" + old_path));
}

HMODULE LoadedSdk() { return GetModuleHandleW(L"EDSDK.DLL"); }

// How often the loaded stand-in saw a call of the named entry point.
int CallCount(const char* name) {
  using Proc = int(EDS_STDCALL*)(const char*);
  const auto proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(LoadedSdk(), "FakeCallCount")));
  return proc ? proc(name) : -1;
}

// The process error mode while the stand-in was being loaded.
UINT ErrorModeAtLoad() {
  using Proc = UINT(EDS_STDCALL*)();
  const auto proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(LoadedSdk(), "FakeErrorModeAtLoad")));
  return proc ? proc() : 0xFFFFFFFFu;
}

// Sets a known error mode for the test and puts the old one back afterwards.
class KnownErrorMode {
 public:
  static constexpr UINT kMode = SEM_FAILCRITICALERRORS;
  KnownErrorMode() : saved_(SetErrorMode(kMode)) {}
  ~KnownErrorMode() { SetErrorMode(saved_); }

 private:
  UINT saved_;
};

TEST(LoadEDSDKLibrary, BeforeLoadingEveryEntryPointAnswersUnimplemented) {
  EdsUInt32 count = 7;
  EXPECT_EQ(EdsInitializeSDK(), EDS_ERR_UNIMPLEMENTED);
  EXPECT_EQ(EdsGetChildCount(nullptr, &count), EDS_ERR_UNIMPLEMENTED);
  EXPECT_EQ(count, 7u) << "an unbound entry point must not touch its arguments";
  EXPECT_EQ(EdsSetCapacity(nullptr, EdsCapacity{0x7FFFFFFF, 0x1000, 1}), EDS_ERR_UNIMPLEMENTED);
  EXPECT_EQ(EdsCreateStream(nullptr, nullptr), EDS_ERR_UNIMPLEMENTED);
  EXPECT_EQ(EdsGetEvent(), EDS_ERR_UNIMPLEMENTED);
  EXPECT_EQ(LoadedSdk(), nullptr);
}

TEST(LoadEDSDKLibrary, BindsEveryEntryPointByItsExportedName) {
  PutSdkOnPath("fake_edsdk_full");
  KnownErrorMode mode;
  LoadEDSDKLibrary();

  const HMODULE module = LoadedSdk();
  ASSERT_NE(module, nullptr);
#define EXPECT_BOUND(name, exported, ret, params, args) \
  EXPECT_EQ(reinterpret_cast<void*>(name), reinterpret_cast<void*>(GetProcAddress(module, exported))) << exported;
  EDSDK_ENTRY_POINTS(EXPECT_BOUND)
#undef EXPECT_BOUND

  // Calls reach the library, arguments and stack intact (stdcall both ways).
  EXPECT_EQ(EdsInitializeSDK(), EDS_ERR_OK);
  EXPECT_EQ(EdsSetCapacity(nullptr, EdsCapacity{0x7FFFFFFF, 0x1000, 1}), EDS_ERR_OK);
  EXPECT_EQ(EdsCreateStream(nullptr, nullptr), EDS_ERR_OK);
  EXPECT_EQ(CallCount("EdsInitializeSDK"), 1);
  EXPECT_EQ(CallCount("EdsSetCapacity"), 1);
  EXPECT_EQ(CallCount("EdsCreateStream"), 1);

  // The system's open-file error box was off while loading; the caller's mode is back.
  EXPECT_EQ(ErrorModeAtLoad(), static_cast<UINT>(SEM_NOOPENFILEERRORBOX));
  EXPECT_EQ(GetErrorMode(), KnownErrorMode::kMode);
}

EdsError EDS_STDCALL NotTheSdk() { return 0x1234; }

TEST(LoadEDSDKLibrary, ASecondLoadLooksNothingUpAgain) {
  PutSdkOnPath("fake_edsdk_full");
  LoadEDSDKLibrary();
  const HMODULE module = LoadedSdk();
  const auto bound = EdsGetEvent;
  EdsGetEvent = NotTheSdk;
  LoadEDSDKLibrary();
  EXPECT_EQ(EdsGetEvent, &NotTheSdk);
  EXPECT_EQ(LoadedSdk(), module);
  EdsGetEvent = bound;
}

TEST(LoadEDSDKLibrary, UnloadingTheHoldingModuleFreesTheLibrary) {
  PutSdkOnPath("fake_edsdk_full");
  win::UniqueModule host(LoadLibraryW(W(ProgramFolder() + u"binding_host.dll")));
  ASSERT_TRUE(host);
  using LoadTimes = int (*)(int);
  const auto load = reinterpret_cast<LoadTimes>(reinterpret_cast<void*>(GetProcAddress(host.get(), "LoadSdkTimes")));
  ASSERT_NE(load, nullptr);

  EXPECT_EQ(load(3), 3);
  EXPECT_NE(LoadedSdk(), nullptr);
  // The unload action of the module that holds the binding frees the library with it.
  host.reset();
  EXPECT_EQ(LoadedSdk(), nullptr);
}

TEST(LoadEDSDKLibrary, MissingLibraryRaisesInOutErrorAndTheNextCallTriesAgain) {
  PutSdkOnPath("no_sdk_here");
  KnownErrorMode mode;
  try {
    LoadEDSDKLibrary();
    FAIL() << "no EDSDK.DLL, yet the load succeeded";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.message(), u"EDSDK.DLL could not be loaded");
  }
  EXPECT_EQ(GetErrorMode(), KnownErrorMode::kMode);
  EXPECT_EQ(EdsInitializeSDK(), EDS_ERR_UNIMPLEMENTED);

  // The user installs the SDK files; the next camera operation finds them.
  PutSdkOnPath("fake_edsdk_full");
  LoadEDSDKLibrary();
  EXPECT_EQ(EdsInitializeSDK(), EDS_ERR_OK);
  EXPECT_EQ(CallCount("EdsInitializeSDK"), 1);
}

struct MissingCase {
  const char* fixture;
  int line;  // the position of the first missing entry point in the binding order
};

void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.fixture << ", line " << c.line; }

class MissingEntryPoint : public testing::TestWithParam<MissingCase> {};

TEST_P(MissingEntryPoint, FailsTheAssertionAndBindsNothing) {
  PutSdkOnPath(GetParam().fixture);
  KnownErrorMode mode;
  const Text expected = Ascii("Assertion failure (Sources\\EDSDK, line ") + IntToText(GetParam().line) + u")";
  for (int attempt = 1; attempt <= 2; ++attempt) {
    try {
      LoadEDSDKLibrary();
      FAIL() << "attempt " << attempt << ": an incomplete library was accepted";
    } catch (const EAssertionFailed& e) {
      EXPECT_EQ(ToUtf8(e.message()), ToUtf8(expected)) << "attempt " << attempt;
    }
    // Nothing half-bound stays behind: entry points found before the missing one answer
    // as unbound, and the library is not kept.
    EXPECT_EQ(EdsInitializeSDK(), EDS_ERR_UNIMPLEMENTED);
    EXPECT_EQ(EdsRelease(nullptr), EDS_ERR_UNIMPLEMENTED);
    EXPECT_EQ(LoadedSdk(), nullptr);
    EXPECT_EQ(GetErrorMode(), KnownErrorMode::kMode);
  }
}

INSTANTIATE_TEST_SUITE_P(Binding, MissingEntryPoint,
                         testing::Values(MissingCase{"fake_edsdk_missing_EdsInitializeSDK", 1},
                                         MissingCase{"fake_edsdk_missing_EdsRetain_EdsGetEvent", 3},
                                         MissingCase{"fake_edsdk_missing_EdsGetParent", 7},
                                         MissingCase{"fake_edsdk_other_EdsCreateStream", 53},
                                         MissingCase{"fake_edsdk_missing_EdsGetEvent", 54}),
                         [](const auto& p) { return std::string(p.param.fixture).substr(11); });

TEST(EDSDKCheck, ZeroReturnsSilently) {
  const TEDSDK sdk;
  EXPECT_NO_THROW(sdk.EDSDKCheck(EDS_ERR_OK, u"EdsOpenSession"));
}

TEST(EDSDKCheck, RaisesCamExceptionWithAllThirtyTwoBitsAndTheText) {
  const struct {
    EdsError value;
    const char16_t* funcname;
    const char16_t* message;
  } cases[] = {
      {0x00008D01, u"EdsSendCommand", u"EdsSendCommand errorcode 0x00008D01, Take picture error, focus failed"},
      {0x00000081, u"EdsOpenSession", u"EdsOpenSession errorcode 0x00000081, Device busy"},
      {0x80000081, u"EdsOpenSession", u"EdsOpenSession errorcode 0x80000081, Device busy"},
      {0x0000A103, u"EdsGetPropertyData, kEdsPropID_OwnerName",
       u"EdsGetPropertyData, kEdsPropID_OwnerName errorcode 0x0000A103, Unkown error"},
      {0x00000052, u"EdsRelease", u"EdsRelease errorcode 0x00000052, Unkown error"},
  };
  const TEDSDK sdk;
  for (const auto& c : cases) {
    try {
      sdk.EDSDKCheck(c.value, c.funcname);
      ADD_FAILURE() << std::hex << c.value << " passed";
    } catch (const ECamException& e) {
      EXPECT_EQ(e.message(), c.message);
    }
  }
}

TEST(TEDSDK, CreateTouchesNothingAndDestroyReleasesNothing) {
  PutSdkOnPath("fake_edsdk_full");
  {
    TEDSDK backend;
    EXPECT_EQ(LoadedSdk(), nullptr) << "Create must not load the SDK";
    EXPECT_EQ(backend.TypeOfFileTransfer(), FileTransferNotUsed);
    EXPECT_EQ(backend.CameraDevice(), nullptr);
    EXPECT_TRUE(backend.mPicList.empty());

    LoadEDSDKLibrary();
    backend.SetInstanceNumber(3);
    int items[2] = {};
    for (int& item : items) backend.mPicList.push_back(reinterpret_cast<EdsDirectoryItemRef>(&item));
  }
  // Destroy freed the list only: the references, the session and the library are left
  // to their owners.
  EXPECT_EQ(CallCount("EdsRelease"), 0);
  EXPECT_EQ(CallCount("EdsCloseSession"), 0);
  EXPECT_EQ(CallCount("EdsTerminateSDK"), 0);
  EXPECT_NE(LoadedSdk(), nullptr);
}

// The owners hand back the SDK's own answer, so code that must report a refused release
// can; unbound, every entry point refuses.
TEST(SdkOwner, ReleaseAnswersTheSdkOnceAndEmptiesTheOwner) {
  int object = 0;
  SdkRef ref(reinterpret_cast<EdsBaseRef>(&object));
  EXPECT_EQ(ref.Release(), EDS_ERR_UNIMPLEMENTED);
  EXPECT_FALSE(ref);
  EXPECT_EQ(ref.Release(), EDS_ERR_OK) << "nothing held, nothing to give back";
  SdkSession session(reinterpret_cast<EdsCameraRef>(&object));
  EXPECT_EQ(session.Release(), EDS_ERR_UNIMPLEMENTED);
}

TEST(SdkOwner, EachReferenceGoesBackOnceWhateverTheWayOut) {
  PutSdkOnPath("fake_edsdk_full");
  LoadEDSDKLibrary();
  int objects[4] = {};
  const auto ref = [&](int i) { return reinterpret_cast<EdsBaseRef>(&objects[i]); };
  EdsBaseRef kept = nullptr;
  {
    SdkRef released(ref(0));
    EXPECT_EQ(released.Release(), EDS_ERR_OK);  // given back now; the destructor finds nothing
    SdkRef dropped(ref(1));                     // given back by the destructor
    SdkRef moved(ref(2));
    SdkRef target = std::move(moved);  // one owner left, one release
    SdkRef detached(ref(3));
    kept = detached.Detach();
    SdkRef replaced(ref(0));
    *replaced.out() = nullptr;  // out() gives back what was held before the SDK fills it
    SdkSession session(ref(1));
  }
  EXPECT_EQ(kept, ref(3));
  EXPECT_EQ(CallCount("EdsRelease"), 4);
  EXPECT_EQ(CallCount("EdsCloseSession"), 1);
}

}  // namespace
}  // namespace eos
