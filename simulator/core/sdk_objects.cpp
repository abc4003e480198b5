// References: numbers handed out for objects, found again by number and kind, counted in
// the books as they are retained and released.
#include "simulator/core/sdk_state.h"

#include <memory>
#include <string>

namespace eos::sim {

Object* Sdk::State::Find(EdsBaseRef ref) {
  const auto it = objects.find(FromRef(ref));
  return it == objects.end() ? nullptr : it->second.get();
}

Object* Sdk::State::Find(EdsBaseRef ref, RefKind kind) {
  Object* o = Find(ref);
  return o != nullptr && o->kind == kind ? o : nullptr;
}

EdsBaseRef Sdk::State::Hand(std::unique_ptr<Object> o) {
  const uint32_t id = next_id++;
  books.Handed(o->kind);
  objects[id] = std::move(o);
  return ToRef(id);
}

EdsBaseRef Sdk::State::NewRef(RefKind kind, int device) {
  auto o = std::make_unique<Object>();
  o->kind = kind;
  o->device = device;
  return Hand(std::move(o));
}

EdsBaseRef Sdk::State::ItemRef(int device, uint32_t picture) {
  auto o = std::make_unique<Object>();
  o->kind = RefKind::DirectoryItem;
  o->device = device;
  o->picture = picture;
  return Hand(std::move(o));
}

EdsBaseRef Sdk::State::FolderRef(int device, std::string folder) {
  auto o = std::make_unique<Object>();
  o->kind = RefKind::DirectoryItem;
  o->device = device;
  o->folder = std::move(folder);
  return Hand(std::move(o));
}

// A camera reference whose session is open, or the error to answer.
EdsError Sdk::State::SessionCamera(EdsBaseRef ref, Device** out) {
  Object* o = Find(ref, RefKind::Camera);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  Device& d = devices[static_cast<size_t>(o->device)];
  if (!d.session) return EDS_ERR_SESSION_NOT_OPEN;
  *out = &d;
  return EDS_ERR_OK;
}

Picture* Sdk::State::FindPicture(Device& d, uint32_t id) {
  for (Picture& p : d.pictures)
    if (p.id == id) return &p;
  return nullptr;
}

Stream* Sdk::State::FindStream(EdsBaseRef ref) {
  Object* o = Find(ref, RefKind::Stream);
  return o ? o->stream.get() : nullptr;
}

EdsError Sdk::State::EdsRetain(EdsBaseRef ref) {
  Object* o = Find(ref);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  ++o->refs;
  books.Handed(o->kind);
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsRelease(EdsBaseRef ref) {
  const auto it = objects.find(FromRef(ref));
  if (it == objects.end()) return EDS_ERR_INVALID_HANDLE;
  books.Released(it->second->kind);
  if (--it->second->refs == 0) objects.erase(it);
  return EDS_ERR_OK;
}

}  // namespace eos::sim
