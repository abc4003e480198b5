// The remote component seen from its owner: guards before anything else, the model
// dispatch, instance numbers, and notifications queued by the SDK handlers and delivered
// one per tick of the notify timer.
#include "camremote/CamRemote.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/support/camera_fixture.h"

namespace eos::test {
namespace {

TEST(Guards, CheckedBeforeTheCameraModel) {
  TCamRemote cam;
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* message;
  };
  const Case cases[] = {
      {"take picture", [&] { cam.RemoteTakePicture(); }, "Camera not in remote mode"},
      {"shots", [&] { cam.RemoteGetNumberOfAvailableShots(); }, "Camera not in remote mode"},
      {"get picture", [&] { cam.RemoteGetPicture(u"x.jpg", PictureTypeFull); }, "Camera not in remote mode"},
      {"params", [&] { cam.RemoteGetRemoteParams(); }, "Camera not in remote mode"},
      {"zoom", [&] { cam.RemoteGetZoomPos(); }, "Camera not in remote mode"},
      {"press", [&] { cam.RemotePressShutter(RemoteShutterButtonHalfPressed); }, "No camera is connected"},
      {"bulb", [&] { cam.RemoteBULBMode(true); }, "No camera is connected"},
      {"owner", [&] { cam.SetOwnerName(u"x"); }, "No camera is connected"},
      {"supported", [&] { cam.RemoteSupported(); }, "No camera is connected"},
      {"start", [&] { cam.RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, false, u""); },
       "No camera is connected"},
      {"drive lens", [&] { cam.RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensFar3); },
       "Camera not in viewfinder mode"},
      {"af info", [&] { cam.RemoteGetViewfinderAutofocusInfo(); }, "Camera not in viewfinder mode"},
      {"output", [&] { cam.RemoteSetViewfinderOutput(RemoteViewFinderOutputLCD); }, "Camera not in viewfinder mode"},
      {"extend", [&] { cam.ExtendShutdownTimer(); }, "No camera is connected"},
      {"collection", [&] { cam.OpenCameraCollection(u"", false); }, "No camera is connected"},
  };
  for (const Case& c : cases) EXPECT_EQ(Raised(c.call), c.message) << c.what;
}

TEST(Guards, RefusalsOfNothingToDo) {
  TCamRemote cam;
  EXPECT_EQ(Raised([&] { cam.Disconnect(); }), "");
  EXPECT_EQ(Raised([&] { cam.RemoteEnd(); }), "");
  EXPECT_EQ(cam.PicturesToDownload(), -1);
}

TEST(Guards, RemoteStartStoresItsArgumentsEvenWhenRefused) {
  TCamRemote cam;
  EXPECT_EQ(Raised([&] { cam.RemoteStart(ReleaseModeOnlyToCamera, ReleaseDataKindTakeOnlyPicture, true, u""); }),
            "No camera is connected");
  EXPECT_EQ(cam.ReleaseMode(), ReleaseModeOnlyToCamera);
  EXPECT_EQ(cam.ReleaseDataKind(), ReleaseDataKindTakeOnlyPicture);
}

TEST(Instances, NumbersAreSlotsThatAreNotReused) {
  auto first = std::make_unique<TCamRemote>();
  auto second = std::make_unique<TCamRemote>();
  EXPECT_EQ(first->InstanceNumber(), 0u);
  EXPECT_EQ(second->InstanceNumber(), 1u);
  EXPECT_EQ(CamRemoteInstance(1), second.get());
  first.reset();
  EXPECT_EQ(CamRemoteInstance(0), nullptr);
  EXPECT_EQ(CamRemoteInstance(1), second.get());
  auto third = std::make_unique<TCamRemote>();
  EXPECT_EQ(third->InstanceNumber(), 2u);
  second.reset();
  third.reset();
  EXPECT_EQ(CamRemoteInstance(2), nullptr);
  // The list went with its last component: numbering starts again.
  TCamRemote again;
  EXPECT_EQ(again.InstanceNumber(), 0u);
}

TEST(Instances, DefaultsAtCreation) {
  TCamRemote cam;
  EXPECT_FLOAT_EQ(cam.Version(), 8.2f);
  EXPECT_EQ(cam.EOSViewfinderRefreshInterval(), 50);
  EXPECT_FALSE(cam.HasNotifyQueue());
  EXPECT_FALSE(cam.ViewfinderPolling());
}

TEST(Handlers, UnknownContextsAreIgnored) {
  EdsBool cancel = 0;
  const std::uint32_t nobody = 77;
  EXPECT_EQ(ObjectEventHandler(kEdsObjectEvent_DirItemRequestTransfer, nullptr, nullptr), EDS_ERR_OK);
  EXPECT_EQ(StateEventHandler(kEdsStateEvent_Shutdown, 0, const_cast<std::uint32_t*>(&nobody)), EDS_ERR_OK);
  EXPECT_EQ(PropertyEventHandler(kEdsPropertyEvent_PropertyChanged, 0, 0, nullptr), EDS_ERR_OK);
  EXPECT_EQ(ProgressHandler(50, nullptr, &cancel), EDS_ERR_OK);
  EXPECT_EQ(cancel, 0);
}

// A component with an open enumeration on the stand-in camera, so its queue and notify
// timer run; the handlers are called the way the SDK calls them, with the address of the
// backend's instance number as context.
class Queue : public testing::Test {
 protected:
  void SetUp() override {
    cam_.OpenCameraEnumeration();
    ASSERT_TRUE(cam_.HasNotifyQueue());
  }
  void TearDown() override { cam_.CloseCameraEnumeration(); }
  EdsVoid* Context() { return &number_; }

  StandInCamera camera_;
  TCamRemote cam_;
  std::uint32_t number_ = cam_.InstanceNumber();
};

TEST_F(Queue, StateEventsBecomeCameraEventsOnePerTickInOrder) {
  std::vector<EventCallbackType> seen;
  cam_.OnEvent = [&](EventCallbackType e) { seen.push_back(e); };
  StateEventHandler(kEdsStateEvent_Shutdown, 0, Context());
  StateEventHandler(kEdsStateEvent_CaptureError, 0, Context());
  StateEventHandler(kEdsStateEvent_InternalError, 0, Context());
  StateEventHandler(0x0399, 0, Context());  // not one of ours
  EXPECT_EQ(cam_.NotifyQueue()->size(), 3u);
  EXPECT_TRUE(seen.empty()) << "nothing is delivered inside the SDK's call";
  ASSERT_TRUE(PumpUntil([&] { return seen.size() == 3; }));
  EXPECT_EQ(seen[0].Severity, EventSeverityClosing);
  EXPECT_EQ(seen[0].Event, EventRemoteShutdownReasonNotKnown);
  EXPECT_EQ(seen[1].Event, EventRemoteCaptureError);
  EXPECT_EQ(seen[2].Event, EventUnrecoverableError);
  EXPECT_TRUE(cam_.NotifyQueue()->empty());
}

TEST_F(Queue, AThrowingHandlerLosesOnlyItsOwnNotification) {
  std::vector<EventCallbackType> seen;
  cam_.OnEvent = [&](EventCallbackType e) {
    seen.push_back(e);
    if (seen.size() == 1) throw ECamException(u"handler failed");
  };
  StateEventHandler(kEdsStateEvent_Shutdown, 0, Context());
  StateEventHandler(kEdsStateEvent_CaptureError, 0, Context());
  ASSERT_TRUE(PumpUntil([&] { return seen.size() == 2; })) << "the timer stopped after the failing handler";
  EXPECT_EQ(seen[1].Event, EventRemoteCaptureError);
  EXPECT_TRUE(PumpUntil([&] { return cam_.NotifyQueue()->empty(); }));
  // Later notifications still arrive.
  StateEventHandler(kEdsStateEvent_InternalError, 0, Context());
  ASSERT_TRUE(PumpUntil([&] { return seen.size() == 3; }));
  EXPECT_EQ(seen[2].Event, EventUnrecoverableError);
}

TEST_F(Queue, WillSoonShutDownWithoutACameraQueuesNothingAndRaisesNothing) {
  cam_.OnEvent = [](EventCallbackType) {};
  EXPECT_EQ(StateEventHandler(kEdsStateEvent_WillSoonShutDown, 0, Context()), EDS_ERR_OK);
  EXPECT_TRUE(cam_.NotifyQueue()->empty());
}

TEST_F(Queue, StateEventsNeedAHandler) {
  StateEventHandler(kEdsStateEvent_Shutdown, 0, Context());
  EXPECT_TRUE(cam_.NotifyQueue()->empty());
}

TEST_F(Queue, PropertyEventsOnlyWhileLiveViewIsPolled) {
  cam_.OnEvent = [](EventCallbackType) {};
  PropertyEventHandler(kEdsPropertyEvent_PropertyChanged, 0x0405, 0, Context());
  EXPECT_TRUE(cam_.NotifyQueue()->empty());
}

TEST_F(Queue, PictureForTheHostIsTakenOverAndAnnounced) {
  std::vector<RemoteEventCallbackType> seen;
  AdditionNotifyRemoteEventType data;
  cam_.OnRemoteEvent = [&](RemoteEventCallbackType e, const AdditionNotifyRemoteEventType& d) {
    seen.push_back(e);
    data = d;
  };
  auto* item = reinterpret_cast<EdsBaseRef>(0x1234);  // only kept, never used here
  ObjectEventHandler(kEdsObjectEvent_DirItemRequestTransfer, item, Context());
  ASSERT_EQ(cam_.EDSDK().mPicList.size(), 1u);
  EXPECT_EQ(cam_.EDSDK().mPicList[0], item);
  ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
  EXPECT_EQ(seen[0], RemoteEventCallbackReleaseImageReady);
  EXPECT_EQ(data.EventValid, NotifyRemoteEventValid2);
  EXPECT_EQ(data.TypeOfPicture(), TypeOfPicturePicture);
  cam_.EDSDK().mPicList.clear();
}

TEST_F(Queue, ProgressGoesToTheEventsOfTheTransferRunning) {
  std::vector<std::string> seen;
  cam_.OnGetPictureEvent = [&](std::int32_t p) { seen.push_back("card " + std::to_string(p)); };
  cam_.OnRemoteGetMovieEvent = [&](std::int32_t p) { seen.push_back("movie " + std::to_string(p)); };
  cam_.OnRemoteTakePictureEvent = [&](std::int32_t p) { seen.push_back("shot " + std::to_string(p)); };
  ProgressHandler(10, Context(), nullptr);  // no transfer running: nothing
  EXPECT_TRUE(cam_.NotifyQueue()->empty());
}

TEST_F(Queue, HandlerMayFreeTheComponent) {
  auto owned = std::make_unique<TCamRemote>();
  owned->OpenCameraEnumeration();
  std::uint32_t number = owned->InstanceNumber();
  int calls = 0;
  owned->OnEvent = [&](EventCallbackType) {
    ++calls;
    owned.reset();
  };
  StateEventHandler(kEdsStateEvent_Shutdown, 0, &number);
  StateEventHandler(kEdsStateEvent_Shutdown, 0, &number);
  ASSERT_TRUE(PumpUntil([&] { return owned == nullptr; }));
  win::PumpMessagesFor(100);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(StateEventHandler(kEdsStateEvent_Shutdown, 0, &number), EDS_ERR_OK);
}

TEST_F(Queue, ClosingDropsWhatIsQueued) {
  int calls = 0;
  cam_.OnEvent = [&](EventCallbackType) { ++calls; };
  StateEventHandler(kEdsStateEvent_Shutdown, 0, Context());
  cam_.CloseCameraEnumeration();
  EXPECT_FALSE(cam_.HasNotifyQueue());
  win::PumpMessagesFor(100);
  EXPECT_EQ(calls, 0);
  cam_.OpenCameraEnumeration();
}

}  // namespace
}  // namespace eos::test

namespace eos::test {
namespace {

// Failures half way: the component is left as if nothing had happened, and the SDK and
// the camera are given back (the stand-in's trace shows it: no session left open).
TEST(HalfWay, FailedFirmwareReadLeavesNoConnection) {
  StandInCamera camera("refuse = EdsGetPropertyData:0x7 1 0x2\n");
  TCamRemote cam;
  cam.OpenCameraEnumeration();
  EXPECT_EQ(Raised([&] { cam.Connect(CamModEOS, 0); }),
            "EdsGetPropertyData, kEdsPropID_FirmwareVersion errorcode 0x00000002, Internal error");
  EXPECT_EQ(Raised([&] { cam.RemoteSupported(); }), "No camera is connected");
  const ConnectInfoType info = cam.Connect(CamModEOS, 0);  // the camera is free again
  EXPECT_EQ(info.CameraModel, CamModEOS);
  EXPECT_FALSE(info.FirmwareVersion.empty());
  cam.Disconnect();
  cam.CloseCameraEnumeration();
}

TEST(HalfWay, FailedEnumerationStopsTheSdk) {
  StandInCamera camera("refuse = EdsGetChildCount 1 0x2\n");
  TCamRemote cam;
  EXPECT_EQ(Raised([&] { cam.OpenCameraEnumeration(); }), "EdsGetChildCount errorcode 0x00000002, Internal error");
  // Stopped, so the next enumeration starts the SDK again (which reads the scenario
  // afresh and refuses again) instead of answering empty lists from a running SDK.
  EXPECT_EQ(Raised([&] { cam.OpenCameraEnumeration(); }), "EdsGetChildCount errorcode 0x00000002, Internal error");
}

}  // namespace
}  // namespace eos::test
