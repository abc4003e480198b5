// The card: folders derived from the paths of its files, volumes, directory items, and
// downloads of files and thumbnails into the caller's streams.
#include "simulator/core/sdk_state.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace eos::sim {
namespace {

constexpr int kCardSizeGiB = 32;

std::string Leaf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsMovie(const std::string& path) {
  const size_t dot = path.rfind('.');
  return dot != std::string::npos && dot + 1 < path.size() && (path[dot + 1] == 'M' || path[dot + 1] == 'm');
}

// A picture deleted or taken over; references to it answer "file not found" from now.
void Forget(Device& d, uint32_t id) {
  std::erase_if(d.pictures, [&](const Picture& p) { return p.id == id; });
}

// The card's folders, derived from the paths of its files: the children of one.
std::vector<std::string> Children(const Device& d, const std::string& folder) {
  std::vector<std::string> out;
  const std::string prefix = folder.empty() ? "" : folder + "\\";
  for (const Picture& p : d.pictures) {
    if (!p.on_card || p.path.compare(0, prefix.size(), prefix) != 0) continue;
    const size_t slash = p.path.find('\\', prefix.size());
    const std::string child = slash == std::string::npos ? p.path : p.path.substr(0, slash);
    if (std::find(out.begin(), out.end(), child) == out.end()) out.push_back(child);
  }
  return out;
}

const Picture* FileAt(const Device& d, const std::string& path) {
  for (const Picture& p : d.pictures)
    if (p.on_card && p.path == path) return &p;
  return nullptr;
}

}  // namespace

EdsError Sdk::State::EdsGetChildCount(EdsBaseRef ref, EdsUInt32* count) {
  if (count == nullptr) return EDS_ERR_INVALID_POINTER;
  Object* o = Find(ref);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  switch (o->kind) {
    case RefKind::CameraList:
      *count = static_cast<EdsUInt32>(o->cameras.size());
      return EDS_ERR_OK;
    case RefKind::Camera: {
      Device* d = nullptr;
      if (const EdsError e = SessionCamera(ref, &d)) return e;
      *count = scenario.card ? 1 : 0;
      return EDS_ERR_OK;
    }
    case RefKind::Volume:
    case RefKind::DirectoryItem:
      if (o->kind == RefKind::DirectoryItem && o->folder.empty()) {
        *count = 0;  // a file
        return EDS_ERR_OK;
      }
      *count = static_cast<EdsUInt32>(Children(devices[static_cast<size_t>(o->device)], o->folder).size());
      return EDS_ERR_OK;
    default:
      return EDS_ERR_INVALID_HANDLE;
  }
}

EdsError Sdk::State::EdsGetChildAtIndex(EdsBaseRef ref, EdsInt32 index, EdsBaseRef* out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  *out = nullptr;
  EdsUInt32 count = 0;
  if (const EdsError e = EdsGetChildCount(ref, &count)) return e;
  if (index < 0 || static_cast<EdsUInt32>(index) >= count) return EDS_ERR_INVALID_INDEX;
  Object* o = Find(ref);
  if (o->kind == RefKind::CameraList) {
    *out = NewRef(RefKind::Camera, o->cameras[static_cast<size_t>(index)]);
  } else if (o->kind == RefKind::Camera) {
    *out = NewRef(RefKind::Volume, o->device);
  } else {
    const int device = o->device;
    const Device& d = devices[static_cast<size_t>(device)];
    const std::string child = Children(d, o->folder)[static_cast<size_t>(index)];
    const Picture* file = FileAt(d, child);
    *out = file ? ItemRef(device, file->id) : FolderRef(device, child);
  }
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsGetParent(EdsBaseRef ref, EdsBaseRef* out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  *out = nullptr;
  Object* o = Find(ref);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  const int device = o->device;
  if (o->kind == RefKind::Volume) {
    *out = NewRef(RefKind::Camera, device);
  } else if (o->kind == RefKind::DirectoryItem) {
    std::string path = o->folder;
    if (path.empty()) {
      const Picture* p = FindPicture(devices[static_cast<size_t>(device)], o->picture);
      if (p == nullptr || !p->on_card) return EDS_ERR_INVALID_HANDLE;
      path = p->path;
    }
    const size_t slash = path.rfind('\\');
    *out = slash == std::string::npos ? NewRef(RefKind::Volume, device) : FolderRef(device, path.substr(0, slash));
  }
  return EDS_ERR_OK;  // cameras and the rest have no parent: null
}

EdsError Sdk::State::Volume(EdsVolumeRef ref, Device** out) {
  Object* o = Find(ref, RefKind::Volume);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  *out = &devices[static_cast<size_t>(o->device)];
  return (*out)->session ? EDS_ERR_OK : EDS_ERR_SESSION_NOT_OPEN;
}

EdsError Sdk::State::EdsGetVolumeInfo(EdsVolumeRef ref, EdsVolumeInfo* info) {
  if (info == nullptr) return EDS_ERR_INVALID_POINTER;
  Device* d = nullptr;
  if (const EdsError e = Volume(ref, &d)) return e;
  *info = EdsVolumeInfo{};
  info->storageType = 1;
  info->access = kEdsAccess_ReadWrite;
  info->maxCapacity = static_cast<EdsUInt64>(kCardSizeGiB) << 30;
  EdsUInt64 used = 0;
  for (const Picture& p : d->pictures)
    if (p.on_card) used += p.data ? p.data->size() : 1u << 20;
  info->freeSpaceInBytes = info->maxCapacity - std::min(used, info->maxCapacity);
  std::snprintf(info->szVolumeLabel, sizeof info->szVolumeLabel, "CF");
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsFormatVolume(EdsVolumeRef ref) {
  Device* d = nullptr;
  if (const EdsError e = Volume(ref, &d)) return e;
  std::erase_if(d->pictures, [](const Picture& p) { return p.on_card; });
  d->props.PutUInt32(kEdsPropID_AvailableShots, scenario.available_shots);
  return EDS_ERR_OK;
}

// A directory item of a file, its camera in session, or the error to answer.
EdsError Sdk::State::Item(EdsDirectoryItemRef ref, Device** device, Picture** picture, Object** object) {
  Object* o = Find(ref, RefKind::DirectoryItem);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  Device& d = devices[static_cast<size_t>(o->device)];
  if (!d.session) return EDS_ERR_SESSION_NOT_OPEN;
  *device = &d;
  *picture = o->folder.empty() ? FindPicture(d, o->picture) : nullptr;
  if (object) *object = o;
  if (o->folder.empty() && *picture == nullptr) return EDS_ERR_FILE_NOT_FOUND;  // deleted or taken over
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsGetDirectoryItemInfo(EdsDirectoryItemRef ref, EdsDirectoryItemInfo* info) {
  if (info == nullptr) return EDS_ERR_INVALID_POINTER;
  Device* d = nullptr;
  Picture* p = nullptr;
  Object* o = nullptr;
  if (const EdsError e = Item(ref, &d, &p, &o)) return e;
  *info = EdsDirectoryItemInfo{};
  if (p == nullptr) {
    info->isFolder = 1;
    std::snprintf(info->szFileName, sizeof info->szFileName, "%s", Leaf(o->folder).c_str());
    return EDS_ERR_OK;
  }
  Render(*p);
  info->size = p->data->size();
  info->groupID = p->number;
  info->format = IsMovie(p->path) ? 0xB982 : 0x3801;
  info->dateTime = 0;
  std::snprintf(info->szFileName, sizeof info->szFileName, "%s", Leaf(p->path).c_str());
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsDeleteDirectoryItem(EdsDirectoryItemRef ref) {
  Device* d = nullptr;
  Picture* p = nullptr;
  Object* o = nullptr;
  if (const EdsError e = Item(ref, &d, &p, &o)) return e;
  if (p != nullptr) {
    Forget(*d, p->id);
    return EDS_ERR_OK;
  }
  const std::string prefix = o->folder + "\\";
  std::erase_if(d->pictures,
                [&](const Picture& q) { return q.on_card && q.path.compare(0, prefix.size(), prefix) == 0; });
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsDownload(EdsDirectoryItemRef ref, EdsUInt64 size, EdsStreamRef out) {
  Device* d = nullptr;
  Picture* p = nullptr;
  if (const EdsError e = Item(ref, &d, &p)) return e;
  if (p == nullptr) return EDS_ERR_NOT_SUPPORTED;  // a folder
  if (FindStream(out) == nullptr) return EDS_ERR_INVALID_HANDLE;
  Render(*p);
  const std::shared_ptr<const std::vector<uint8_t>> data = p->data;  // the item may go while callbacks run
  if (size == 0 || size > data->size()) return EDS_ERR_INVALID_LENGTH;
  const Hold hold(*this, out);
  const auto device = static_cast<size_t>(Find(ref)->device);
  uint64_t sent = 0;
  while (sent < size) {
    Stream* s = FindStream(out);
    if (s == nullptr) return EDS_ERR_OPERATION_CANCELLED;        // the SDK was terminated from a callback
    if (devices[device].gone) return EDS_ERR_COMM_DISCONNECTED;  // pulled by a call from a callback
    const uint64_t n = std::min(kChunk, size - sent);
    uint64_t done = 0;
    if (const EdsError e = s->Write(n, data->data() + sent, &done)) return e;
    sent += n;
    if (scenario.transfer_bytes_per_second > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(n * 1000 / scenario.transfer_bytes_per_second));
    const bool last = sent == size;
    if (s->progress && (s->progress_option == kEdsProgressOption_Periodically ||
                        (last && s->progress_option == kEdsProgressOption_Done))) {
      EdsBool cancel = 0;
      s->progress(static_cast<EdsUInt32>(sent * 100 / size), s->progress_context, &cancel);
      if (cancel && !last) return EDS_ERR_OPERATION_CANCELLED;
    }
  }
  return EDS_ERR_OK;
}

// The camera forgets a picture it held for the host once the host has it.
EdsError Sdk::State::Complete(EdsDirectoryItemRef ref) {
  Device* d = nullptr;
  Picture* p = nullptr;
  if (const EdsError e = Item(ref, &d, &p)) return e;
  if (p != nullptr && !p->on_card) Forget(*d, p->id);
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsDownloadCancel(EdsDirectoryItemRef ref) { return Complete(ref); }

EdsError Sdk::State::EdsDownloadComplete(EdsDirectoryItemRef ref) { return Complete(ref); }

EdsError Sdk::State::EdsDownloadThumbnail(EdsDirectoryItemRef ref, EdsStreamRef out) {
  Device* d = nullptr;
  Picture* p = nullptr;
  if (const EdsError e = Item(ref, &d, &p)) return e;
  if (p == nullptr || IsMovie(p->path)) return EDS_ERR_NOT_SUPPORTED;
  Stream* s = FindStream(out);
  if (s == nullptr) return EDS_ERR_INVALID_HANDLE;
  Render(*p);
  uint64_t done = 0;
  return s->Write(p->thumb->size(), p->thumb->data(), &done);
}

EdsError Sdk::State::EdsGetAttribute(EdsDirectoryItemRef ref, EdsFileAttributes* out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  Device* d = nullptr;
  Picture* p = nullptr;
  if (const EdsError e = Item(ref, &d, &p)) return e;
  if (p == nullptr) return EDS_ERR_NOT_SUPPORTED;
  *out = p->attributes;
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsSetAttribute(EdsDirectoryItemRef ref, EdsFileAttributes attributes) {
  Device* d = nullptr;
  Picture* p = nullptr;
  if (const EdsError e = Item(ref, &d, &p)) return e;
  if (p == nullptr) return EDS_ERR_NOT_SUPPORTED;
  p->attributes = attributes;
  return EDS_ERR_OK;
}

}  // namespace eos::sim
