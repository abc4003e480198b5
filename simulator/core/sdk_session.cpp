// The SDK's start and end with the scenario's cameras, the camera list, sessions and the
// camera's commands.
#include "simulator/core/sdk_state.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <optional>
#include <utility>

namespace eos::sim {

void Sdk::State::Shutdown() {
  for (size_t i = 0; i < devices.size(); ++i)
    if (devices[i].session && setup.events) setup.events->Detach(static_cast<int>(i));
  if (setup.events) setup.events->Stopped();
  books.ReportLeaks();
  books.Close();
  objects.clear();
  devices.clear();
  initialized = false;
  ++generation;
}

EdsError Sdk::State::LoadScenario() {
  std::string error;
  const std::string text = setup.scenario ? setup.scenario() : std::string();
  std::optional<Scenario> sc = ParseScenario(text, &error);
  std::shared_ptr<const Photo> picture;
  if (sc && !sc->picture_path.empty()) {
    if (std::optional<Photo> p = Photo::Load(sc->picture_path, &error)) {
      picture = std::make_shared<const Photo>(std::move(*p));
    } else {
      error = "scenario line " + std::to_string(sc->picture_line) + ": live_view_picture \"" + sc->picture_path +
              "\": " + error;
      sc.reset();
    }
  }
  if (!sc) {
    if (setup.complain) setup.complain(error);
    return EDS_ERR_INVALID_PARAMETER;
  }
  scenario = std::move(*sc);
  photo = std::move(picture);
  counter = CallCounter(&scenario);
  presence = Presence(&scenario);
  departed.clear();
  if (!books.Open(scenario.trace_path) && setup.complain)
    setup.complain("cannot write the trace file \"" + scenario.trace_path + "\"");
  devices.clear();
  for (const std::string& name : scenario.cameras) InsertCard(devices.emplace_back(scenario, name));
  return EDS_ERR_OK;
}

// The scenario's card files on a camera's card.
void Sdk::State::InsertCard(Device& d) {
  for (const std::string& path : scenario.card_files) {
    Picture p = NewPicture(d, path, true);
    if (scenario.picture_width == 0) {
      p.width = 1280;  // smaller than a new shot, so a card full of files stays quick
      p.height = 853;
    }
    d.pictures.push_back(std::move(p));
  }
}

uint64_t Sdk::State::Now() const { return NowUs() / 1000; }

uint64_t Sdk::State::NowUs() const {
  if (setup.clock) return setup.clock() * 1000;
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

// What the scenario's time has brought since the last look.
void Sdk::State::Advance() {
  const uint64_t now = Now();
  for (const Presence::Change change : presence.Advance(now)) {
    switch (change) {
      case Presence::Change::kWarning: {
        const auto seconds = static_cast<uint32_t>((presence.UntilSwitchOff(now).value_or(0) + 999) / 1000);
        for (size_t i = 0; i < devices.size(); ++i)
          if (!devices[i].gone) PostStateTo(static_cast<int>(i), kWillSoonShutDownEvent, seconds);
        break;
      }
      case Presence::Change::kSwitchedOff:
        Depart("switched off");
        break;
      case Presence::Change::kBack:
        Return();
        break;
    }
  }
}

// The cameras leave the bus and their sessions hear the shutdown. Events raised before
// still arrive, but nothing they announce can be fetched any more.
void Sdk::State::Depart(const char* how) {
  books.Trace(std::string("cameras ") + how);
  departed.clear();
  for (size_t i = 0; i < devices.size(); ++i) {
    if (devices[i].gone) continue;
    devices[i].gone = true;
    departed.push_back(static_cast<int>(i));
    PostStateTo(static_cast<int>(i), kShutdownEvent, 0);
  }
}

// The cameras that went come back as new cameras, the first one as the back_as model of
// this return. The same model keeps its card, its file numbers and its frame count;
// another brings the scenario's card. Both start with the scenario's values, and what
// the old one held in memory for the host is gone with it.
void Sdk::State::Return() {
  std::string names;
  const std::vector<int> back = std::exchange(departed, {});
  for (size_t k = 0; k < back.size(); ++k) {
    Device& old = devices[static_cast<size_t>(back[k])];
    const std::vector<std::string>& models = scenario.back_as;
    const std::string& name =
        k == 0 && !models.empty() ? models[std::min<size_t>(presence.returns(), models.size()) - 1] : old.name;
    Device next(scenario, name);
    if (name == old.name) {
      std::copy_if(old.pictures.begin(), old.pictures.end(), std::back_inserter(next.pictures),
                   [](const Picture& p) { return p.on_card; });
      next.next_number = old.next_number;
      next.frame = old.frame;
    } else {
      InsertCard(next);
    }
    old.pictures.clear();
    names += (names.empty() ? "" : ", ") + name;
    devices.push_back(std::move(next));
  }
  books.Trace("cameras back: " + names);
}

// Whether a reference belongs to a camera that has gone.
bool Sdk::State::Gone(EdsBaseRef ref) {
  const Object* o = Find(ref);
  return o != nullptr && o->device >= 0 && devices[static_cast<size_t>(o->device)].gone;
}

EdsError Sdk::State::EdsInitializeSDK() {
  if (initialized) return EDS_ERR_OK;
  if (const EdsError e = LoadScenario()) return e;
  initialized = true;
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsTerminateSDK() {
  if (initialized) Shutdown();
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsGetCameraList(EdsCameraListRef* out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  auto o = std::make_unique<Object>();
  o->kind = RefKind::CameraList;
  for (size_t i = 0; i < devices.size(); ++i)
    if (!devices[i].gone) o->cameras.push_back(static_cast<int>(i));
  *out = Hand(std::move(o));
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsGetDeviceInfo(EdsCameraRef camera, EdsDeviceInfo* info) {
  if (info == nullptr) return EDS_ERR_INVALID_POINTER;
  Object* o = Find(camera, RefKind::Camera);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  const Device& d = devices[static_cast<size_t>(o->device)];
  *info = EdsDeviceInfo{};
  std::snprintf(info->szPortName, sizeof info->szPortName, "\\\\?\\usb#vid_04a9&pid_3250#sim%d", o->device + 1);
  std::snprintf(info->szDeviceDescription, sizeof info->szDeviceDescription, "%s", d.name.c_str());
  info->deviceSubType = d.sub_type;
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsOpenSession(EdsCameraRef camera) {
  Object* o = Find(camera, RefKind::Camera);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  Device& d = devices[static_cast<size_t>(o->device)];
  if (d.session) return EDS_ERR_SESSION_ALREADY_OPEN;
  d.session = true;
  books.SessionOpened();
  if (setup.events) setup.events->Attach(o->device);
  presence.KeepAwake(Now());
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsCloseSession(EdsCameraRef camera) {
  Object* o = Find(camera, RefKind::Camera);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  Device& d = devices[static_cast<size_t>(o->device)];
  if (!d.session) return EDS_ERR_SESSION_NOT_OPEN;
  d.session = false;
  d.props.PutUInt32(kEdsPropID_Evf_OutputDevice, 0);
  books.SessionClosed();
  if (setup.events) setup.events->Detach(o->device);
  if (std::none_of(devices.begin(), devices.end(), [](const Device& e) { return e.session && !e.gone; }))
    presence.Idle();
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsSendCommand(EdsCameraRef camera, EdsCameraCommand command, EdsInt32 param) {
  Device* d = nullptr;
  if (const EdsError e = SessionCamera(camera, &d)) return e;
  const int device = Find(camera)->device;
  const auto p = static_cast<uint32_t>(param);
  switch (command) {
    case kEdsCameraCommand_TakePicture:
      if (d->bulb) return EDS_ERR_DEVICE_BUSY;
      if (scenario.focus_fails) return EDS_ERR_TAKE_PICTURE_AF_NG;
      Autofocus(*d);
      return Shoot(device);
    case kEdsCameraCommand_ExtendShutDownTimer:
      presence.KeepAwake(Now());
      return EDS_ERR_OK;
    case kEdsCameraCommand_BulbStart:
      if (d->bulb) return EDS_ERR_DEVICE_BUSY;
      d->bulb = true;
      return EDS_ERR_OK;
    case kEdsCameraCommand_BulbEnd:
      if (!d->bulb) return EDS_ERR_INVALID_FUNCTION_CALL;
      d->bulb = false;
      return Shoot(device);
    case kEdsCameraCommand_PressShutterButton:
      switch (p) {
        case kEdsCameraCommand_ShutterButton_OFF:
        case kEdsCameraCommand_ShutterButton_Halfway_NonAF:
          return EDS_ERR_OK;
        case kEdsCameraCommand_ShutterButton_Halfway:
          Autofocus(*d);
          return EDS_ERR_OK;
        case kEdsCameraCommand_ShutterButton_Completely:
          if (scenario.focus_fails) return EDS_ERR_TAKE_PICTURE_AF_NG;
          Autofocus(*d);
          return Shoot(device);
        case kEdsCameraCommand_ShutterButton_Completely_NonAF:
          return Shoot(device);
        default:
          return EDS_ERR_INVALID_PARAMETER;
      }
    case kEdsCameraCommand_DoEvfAf:
      if (p > kEdsCameraCommand_EvfAf_ON) return EDS_ERR_INVALID_PARAMETER;
      if (!d->LiveViewOn()) return EDS_ERR_INVALID_FUNCTION_CALL;
      if (p == kEdsCameraCommand_EvfAf_ON) Autofocus(*d);
      return EDS_ERR_OK;
    case kEdsCameraCommand_DriveLensEvf: {
      const uint32_t step = p & 0x7FFF;
      if (step < 1 || step > 3 || (p & ~0x8003u) != 0) return EDS_ERR_INVALID_PARAMETER;
      if (!d->LiveViewOn()) return EDS_ERR_INVALID_FUNCTION_CALL;
      constexpr std::array<int, 4> kStep = {0, 10, 50, 150};
      d->focus = ClampFocus(d->focus + ((p & 0x8000) ? kStep[step] : -kStep[step]));
      return EDS_ERR_OK;
    }
    case kEdsCameraCommand_DoClickWBEvf: {
      const uint32_t x = p >> 16, y = p & 0xFFFF;
      if (x >= kFrameWidth || y >= kFrameHeight) return EDS_ERR_INVALID_PARAMETER;
      if (!d->LiveViewOn()) return EDS_ERR_INVALID_FUNCTION_CALL;
      return EDS_ERR_OK;
    }
    default:
      return EDS_ERR_INVALID_PARAMETER;
  }
}

EdsError Sdk::State::EdsSendStatusCommand(EdsCameraRef camera, EdsCameraStatusCommand command, EdsInt32) {
  Device* d = nullptr;
  if (const EdsError e = SessionCamera(camera, &d)) return e;
  // The camera's own controls are not simulated, so locking them changes nothing.
  return command == kEdsCameraStatusCommand_UILock || command == kEdsCameraStatusCommand_UIUnLock
             ? EDS_ERR_OK
             : EDS_ERR_INVALID_PARAMETER;
}

EdsError Sdk::State::EdsSetCapacity(EdsCameraRef camera, EdsCapacity capacity) {
  Device* d = nullptr;
  if (const EdsError e = SessionCamera(camera, &d)) return e;
  if (capacity.numberOfFreeClusters < 0 || capacity.bytesPerSector <= 0) return EDS_ERR_INVALID_PARAMETER;
  return EDS_ERR_OK;
}

}  // namespace eos::sim
