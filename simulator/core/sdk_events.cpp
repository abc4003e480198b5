// Events: the handlers a camera's session installs, and the events posted to them now and
// delivered later on the session's thread, never inside the call that raised them.
#include "simulator/core/sdk_state.h"

namespace eos::sim {

template <class Deliver>
void Sdk::State::Post(int device, Deliver deliver) {
  if (setup.events == nullptr || device < 0 || !devices[static_cast<size_t>(device)].session) return;
  const uint32_t gen = generation;
  setup.events->Post(device, [this, gen, device, deliver] {
    std::unique_lock lock(mutex);
    if (!initialized || gen != generation || !devices[static_cast<size_t>(device)].session) return;
    deliver(lock, devices[static_cast<size_t>(device)]);
  });
}

void Sdk::State::PostObject(int device, uint32_t event, uint32_t picture) {
  Post(device, [this, device, event, picture](std::unique_lock<std::recursive_mutex>& lock, Device& d) {
    if (!d.object.Wants(event) || FindPicture(d, picture) == nullptr) return;
    const auto fn = reinterpret_cast<EdsObjectEventHandler>(d.object.fn);
    void* context = d.object.context;
    const EdsBaseRef ref = ItemRef(device, picture);
    books.Trace(FormatCall("event object", event, ref));
    lock.unlock();
    fn(event, ref, context);
  });
}

void Sdk::State::PostProperty(int device, EdsPropertyID id) {
  Post(device, [this, id](std::unique_lock<std::recursive_mutex>& lock, Device& d) {
    if (!d.property.Wants(kEdsPropertyEvent_PropertyChanged)) return;
    const auto fn = reinterpret_cast<EdsPropertyEventHandler>(d.property.fn);
    void* context = d.property.context;
    books.Trace(FormatCall("event property", kEdsPropertyEvent_PropertyChanged, id));
    lock.unlock();
    fn(kEdsPropertyEvent_PropertyChanged, id, 0, context);
  });
}

// A scenario's state event goes to every open session.
void Sdk::State::PostState(uint32_t event, uint32_t data) {
  for (size_t i = 0; i < devices.size(); ++i) PostStateTo(static_cast<int>(i), event, data);
}

void Sdk::State::PostStateTo(int device, uint32_t event, uint32_t data) {
  Post(device, [this, event, data](std::unique_lock<std::recursive_mutex>& lock, Device& d) {
    if (!d.state.Wants(event)) return;
    const auto fn = reinterpret_cast<EdsStateEventHandler>(d.state.fn);
    void* context = d.state.context;
    books.Trace(FormatCall("event state", event, data));
    lock.unlock();
    fn(event, data, context);
  });
}

EdsError Sdk::State::SetHandler(EdsBaseRef camera, uint32_t event, uint32_t all, void* fn, void* context,
                                Handlers Device::*which) {
  Object* o = Find(camera, RefKind::Camera);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  if (event != all && (event & 0xFF00) != all) return EDS_ERR_INVALID_PARAMETER;
  devices[static_cast<size_t>(o->device)].*which = Handlers{event, fn, context};
  return EDS_ERR_OK;
}

// The handler is never called: a host sees a camera that comes back by listing the
// cameras again.
EdsError Sdk::State::EdsSetCameraAddedHandler(EdsCameraAddedHandler, EdsVoid*) { return EDS_ERR_OK; }

EdsError Sdk::State::EdsSetPropertyEventHandler(EdsCameraRef camera, EdsPropertyEvent event, EdsPropertyEventHandler fn,
                                                EdsVoid* context) {
  return SetHandler(camera, event, kEdsPropertyEvent_All, reinterpret_cast<void*>(fn), context, &Device::property);
}

EdsError Sdk::State::EdsSetObjectEventHandler(EdsCameraRef camera, EdsObjectEvent event, EdsObjectEventHandler fn,
                                              EdsVoid* context) {
  return SetHandler(camera, event, kEdsObjectEvent_All, reinterpret_cast<void*>(fn), context, &Device::object);
}

EdsError Sdk::State::EdsSetCameraStateEventHandler(EdsCameraRef camera, EdsStateEvent event, EdsStateEventHandler fn,
                                                   EdsVoid* context) {
  return SetHandler(camera, event, kEdsStateEvent_All, reinterpret_cast<void*>(fn), context, &Device::state);
}

EdsError Sdk::State::EdsGetEvent() {
  if (setup.events) setup.events->DeliverPending();
  return EDS_ERR_OK;
}

}  // namespace eos::sim
