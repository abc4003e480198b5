#include "simulator/core/sdk.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

#include "simulator/core/jpeg.h"
#include "simulator/core/properties.h"
#include "simulator/core/scenario.h"
#include "simulator/core/scene.h"
#include "simulator/core/streams.h"
#include "simulator/core/tiff.h"

namespace eos::sim {
namespace {

constexpr int kFrameWidth = 960;
constexpr int kFrameHeight = 640;
constexpr int kFrameQuality = 75;
constexpr int kPictureQuality = 90;
constexpr int kFocusStart = 300;
constexpr uint64_t kChunk = 256 * 1024;  // download transfer unit
constexpr int kCardSizeGiB = 32;

// References are numbers dressed as pointers: never dereferenced, never reused, so a
// released reference is always recognised.
EdsBaseRef ToRef(uint32_t id) { return reinterpret_cast<EdsBaseRef>(static_cast<uintptr_t>(id) * 16 + 0x10000); }
uint32_t FromRef(EdsBaseRef ref) {
  const auto v = reinterpret_cast<uintptr_t>(ref);
  if (v < 0x10000 || (v & 15) != 0) return 0;
  return static_cast<uint32_t>((v - 0x10000) / 16);
}

struct Handlers {
  uint32_t mask = 0;
  void* fn = nullptr;
  void* context = nullptr;
  bool Wants(uint32_t event) const { return fn != nullptr && (mask == event || mask == (event & 0xFF00)); }
};

// A file the camera holds: on the card, or in its memory waiting for the host.
struct Picture {
  uint32_t id = 0;
  std::string path;  // on the card: "DCIM\100CANON\IMG_0001.JPG"; in memory: the name
  bool on_card = true;
  uint32_t attributes = 0;
  uint32_t number = 0;  // the scene's frame number shown in it
  int focus = kFocusSharp;
  int width = 0, height = 0;
  std::shared_ptr<const std::vector<uint8_t>> data;  // made when first needed
  std::shared_ptr<const std::vector<uint8_t>> thumb;
};

struct Device {
  std::string name;
  uint32_t sub_type = 1;
  PropertyStore props;
  bool session = false;
  bool bulb = false;
  int focus = kFocusStart;
  uint32_t frame = 0;
  uint32_t next_number = 1;
  Handlers object, property, state;
  std::vector<Picture> pictures;
  explicit Device(const Scenario& sc, std::string n) : name(std::move(n)), sub_type(sc.device_sub_type), props(sc) {}
  bool LiveViewOn() const {
    return props.UInt32(kEdsPropID_Evf_Mode) == 1 &&
           (props.UInt32(kEdsPropID_Evf_OutputDevice) & kEdsEvfOutputDevice_PC);
  }
};

struct EvfMeta {
  bool valid = false;
  EdsPoint zoom_position{};
  EdsRect zoom_rect{};
  EdsPoint image_position{};
  EdsSize coords{};
  uint32_t zoom = kEdsEvfZoom_Fit;
  std::array<std::array<EdsUInt32, kEdsHistogramSize>, 4> histogram{};  // Y, R, G, B
};

struct Object {
  RefKind kind;
  int refs = 1;
  std::vector<int> cameras;           // camera list
  int device = -1;                    // camera, volume, directory item
  uint32_t picture = 0;               // directory item of a file
  std::string folder;                 // directory item of a folder
  std::unique_ptr<Stream> stream;     // stream
  uint32_t stream_id = 0;             // live-view image: its stream
  EvfMeta evf;                        // live-view image
  Image image;                        // image
  int32_t white_balance = 0;          // image
  uint32_t color_temperature = 5200;  // image
};

// The properties of live-view images and RAW images: where each lives in its object.
struct ImageField {
  RefKind kind;
  EdsPropertyID id;
  EdsDataType type;
  EdsUInt32 size;
  const void* (*at)(const Object&);
};
#define EOS_SIM_AT(member) [](const Object& o) -> const void* { return &o.member; }
constexpr std::array<ImageField, 11> kImageFields = {{
    {RefKind::EvfImage, kEdsPropID_Evf_ZoomPosition, kEdsDataType_Point, 8, EOS_SIM_AT(evf.zoom_position)},
    {RefKind::EvfImage, kEdsPropID_Evf_ImagePosition, kEdsDataType_Point, 8, EOS_SIM_AT(evf.image_position)},
    {RefKind::EvfImage, kEdsPropID_Evf_ZoomRect, kEdsDataType_Rect, 16, EOS_SIM_AT(evf.zoom_rect)},
    {RefKind::EvfImage, kEdsPropID_Evf_CoordinateSystem, kEdsDataType_ByteBlock, 8, EOS_SIM_AT(evf.coords)},
    {RefKind::EvfImage, kEdsPropID_Evf_Zoom, kEdsDataType_UInt32, 4, EOS_SIM_AT(evf.zoom)},
    {RefKind::EvfImage, kEdsPropID_Evf_HistogramY, kEdsDataType_UInt32_Array, 1024, EOS_SIM_AT(evf.histogram[0])},
    {RefKind::EvfImage, kEdsPropID_Evf_HistogramR, kEdsDataType_UInt32_Array, 1024, EOS_SIM_AT(evf.histogram[1])},
    {RefKind::EvfImage, kEdsPropID_Evf_HistogramG, kEdsDataType_UInt32_Array, 1024, EOS_SIM_AT(evf.histogram[2])},
    {RefKind::EvfImage, kEdsPropID_Evf_HistogramB, kEdsDataType_UInt32_Array, 1024, EOS_SIM_AT(evf.histogram[3])},
    {RefKind::Image, kEdsPropID_WhiteBalance, kEdsDataType_Int32, 4, EOS_SIM_AT(white_balance)},
    {RefKind::Image, kEdsPropID_ColorTemperature, kEdsDataType_UInt32, 4, EOS_SIM_AT(color_temperature)},
}};
#undef EOS_SIM_AT
static_assert(sizeof(EvfMeta::histogram[0]) == 1024 && sizeof(EdsRect) == 16);

// The first integral argument of a call: what a scenario's "ENTRY:ARG" matches.
template <class... A>
std::optional<uint32_t> FirstNumber(const A&... args) {
  std::optional<uint32_t> out;
  [[maybe_unused]] auto take = [&](const auto& a) {
    using T = std::decay_t<decltype(a)>;
    if constexpr (std::is_integral_v<T>)
      if (!out) out = static_cast<uint32_t>(a);
  };
  (take(args), ...);
  return out;
}

void Append(std::string& s, const char* fmt, auto... v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v...);
  s += buf;
}

template <class T>
void Format(std::string& s, const T& v) {
  if constexpr (std::is_same_v<T, EdsBaseRef>) {
    if (v == nullptr)
      s += "null";
    else
      Append(s, "#%u", FromRef(v));
  } else if constexpr (std::is_same_v<T, const EdsChar*>) {
    if (v == nullptr) {
      s += "null";
    } else {
      s += '"';
      s.append(v, strnlen(v, 300));
      s += '"';
    }
  } else if constexpr (std::is_pointer_v<T>) {
    s += v == nullptr ? "null" : "ptr";
  } else if constexpr (std::is_same_v<T, EdsUInt64> || std::is_same_v<T, EdsInt64>) {
    Append(s, "%lld", static_cast<long long>(v));
  } else if constexpr (std::is_unsigned_v<T>) {
    Append(s, "0x%X", static_cast<unsigned>(v));
  } else if constexpr (std::is_integral_v<T>) {
    Append(s, "%d", static_cast<int>(v));
  } else if constexpr (std::is_same_v<T, EdsCapacity>) {
    Append(s, "{%d,%d,%d}", v.numberOfFreeClusters, v.bytesPerSector, v.reset);
  } else if constexpr (std::is_same_v<T, EdsSaveImageSetting>) {
    Append(s, "{q%u,", v.JPEGQuality);
    Format(s, v.iccProfileStream);
    s += '}';
  } else {
    s += "{..}";
  }
}

// "EdsOpenSession(#2)": the name and the arguments as the trace shows them.
template <class... A>
std::string FormatCall(const char* name, const A&... args) {
  std::string s = name;
  s += '(';
  bool first = true;
  [[maybe_unused]] auto one = [&](const auto& a) {
    if (!first) s += ", ";
    first = false;
    Format(s, a);
  };
  (one(args), ...);
  s += ')';
  return s;
}

// "IMG_0001.JPG", "IMG_0002.CR2" (RAW qualities), "MVI_0003.MOV".
std::string FileName(const char* prefix, uint32_t number, const char* extension) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s_%04u.%s", prefix, number % 10000, extension);
  return buf;
}
std::string PictureName(uint32_t number, uint32_t quality) {
  const uint32_t format = (quality >> 20) & 0xF;
  return FileName("IMG", number, format == 6 || format == 2 ? "CR2" : "JPG");
}
constexpr char kCardFolder[] = "DCIM\\100CANON\\";

std::string Leaf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsMovie(const std::string& path) {
  const size_t dot = path.rfind('.');
  return dot != std::string::npos && dot + 1 < path.size() && (path[dot + 1] == 'M' || path[dot + 1] == 'm');
}

}  // namespace

struct Sdk::State {
  explicit State(SdkSetup s) : setup(std::move(s)), counter(&scenario) {}

  SdkSetup setup;
  std::recursive_mutex mutex;
  bool initialized = false;
  uint32_t generation = 0;  // events of an earlier run are dropped
  Scenario scenario;
  CallCounter counter;
  Books books;
  std::vector<Device> devices;
  std::map<uint32_t, std::unique_ptr<Object>> objects;
  uint32_t next_id = 1;
  uint32_t next_picture = 1;

  template <class F, class... A>
  EdsError Run(const char* name, F&& body, const A&... args) {
    std::lock_guard lock(mutex);
    std::vector<uint32_t> events;
    EdsError r = EDS_ERR_OK;
    const bool starting = std::strcmp(name, "EdsInitializeSDK") == 0;
    if (!starting && !initialized && std::strcmp(name, "EdsTerminateSDK") != 0) {
      r = EDS_ERR_INVALID_FUNCTION_CALL;
    } else if (!starting) {
      r = counter.Count(name, FirstNumber(args...), &events);
    }
    if (r == EDS_ERR_OK) {
      try {
        r = body();
      } catch (const std::bad_alloc&) {
        r = EDS_ERR_MEM_ALLOC_FAILED;
      } catch (...) {
        r = EDS_ERR_INTERNAL_ERROR;
      }
      if (starting && r == EDS_ERR_OK) counter.Count(name, std::nullopt, &events);
    }
    std::string line = FormatCall(name, args...);
    Append(line, " = 0x%08X", static_cast<unsigned>(r));
    books.Trace(line);
    for (uint32_t e : events) PostState(e, 0);
    return r;
  }

  // ---- references ----

  Object* Find(EdsBaseRef ref) {
    const auto it = objects.find(FromRef(ref));
    return it == objects.end() ? nullptr : it->second.get();
  }
  Object* Find(EdsBaseRef ref, RefKind kind) {
    Object* o = Find(ref);
    return o != nullptr && o->kind == kind ? o : nullptr;
  }
  EdsBaseRef Hand(std::unique_ptr<Object> o) {
    const uint32_t id = next_id++;
    books.Handed(o->kind);
    objects[id] = std::move(o);
    return ToRef(id);
  }
  EdsBaseRef NewRef(RefKind kind, int device = -1) {
    auto o = std::make_unique<Object>();
    o->kind = kind;
    o->device = device;
    return Hand(std::move(o));
  }
  EdsBaseRef ItemRef(int device, uint32_t picture) {
    auto o = std::make_unique<Object>();
    o->kind = RefKind::DirectoryItem;
    o->device = device;
    o->picture = picture;
    return Hand(std::move(o));
  }
  EdsBaseRef FolderRef(int device, std::string folder) {
    auto o = std::make_unique<Object>();
    o->kind = RefKind::DirectoryItem;
    o->device = device;
    o->folder = std::move(folder);
    return Hand(std::move(o));
  }

  // A camera reference whose session is open, or the error to answer.
  EdsError SessionCamera(EdsBaseRef ref, Device** out) {
    Object* o = Find(ref, RefKind::Camera);
    if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
    Device& d = devices[static_cast<size_t>(o->device)];
    if (!d.session) return EDS_ERR_SESSION_NOT_OPEN;
    *out = &d;
    return EDS_ERR_OK;
  }
  Picture* FindPicture(Device& d, uint32_t id) {
    for (Picture& p : d.pictures)
      if (p.id == id) return &p;
    return nullptr;
  }
  // A picture deleted or taken over; references to it answer "file not found" from now.
  static void Forget(Device& d, uint32_t id) {
    std::erase_if(d.pictures, [&](const Picture& p) { return p.id == id; });
  }
  Stream* FindStream(EdsBaseRef ref) {
    Object* o = Find(ref, RefKind::Stream);
    return o ? o->stream.get() : nullptr;
  }

  // ---- the card's folders, derived from the paths of its files ----

  std::vector<std::string> Children(const Device& d, const std::string& folder) const {
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
  const Picture* FileAt(const Device& d, const std::string& path) const {
    for (const Picture& p : d.pictures)
      if (p.on_card && p.path == path) return &p;
    return nullptr;
  }

  // ---- pictures ----

  void Render(Picture& p) {
    if (p.data) return;
    const Image img = RenderScene(p.width, p.height, p.number, p.focus);
    p.data = std::make_shared<const std::vector<uint8_t>>(EncodeJpeg(img, kPictureQuality));
    p.thumb = std::make_shared<const std::vector<uint8_t>>(EncodeJpeg(RenderThumbnail(p.number, p.focus), 80));
  }

  Picture NewPicture(Device& d, std::string path, bool on_card) {
    Picture p;
    p.id = next_picture++;
    p.path = std::move(path);
    p.on_card = on_card;
    p.number = d.frame;
    p.focus = d.focus;
    if (scenario.picture_width > 0) {
      p.width = scenario.picture_width;
      p.height = scenario.picture_height;
    } else {
      PictureSizeFor(d.props.UInt32(kEdsPropID_ImageQuality), &p.width, &p.height);
    }
    return p;
  }

  // The shutter opens: a picture of the scene as it is now goes where SaveTo says.
  EdsError Shoot(int device) {
    Device& d = devices[static_cast<size_t>(device)];
    const uint32_t save_to = d.props.UInt32(kEdsPropID_SaveTo);
    const bool to_card = save_to == kEdsSaveTo_Camera || save_to == kEdsSaveTo_Both;
    const bool to_host = save_to == kEdsSaveTo_Host || save_to == kEdsSaveTo_Both;
    if (to_card && !scenario.card) return EDS_ERR_TAKE_PICTURE_CARD_NG;
    ++d.frame;
    const std::string name = PictureName(d.next_number++, d.props.UInt32(kEdsPropID_ImageQuality));
    Picture shot = NewPicture(d, name, false);
    Render(shot);  // the exposure happens now, whatever the scene does later
    if (!scenario.copies_folder.empty()) KeepCopy(shot);
    if (to_host) {
      d.pictures.push_back(shot);
      PostObject(device, kEdsObjectEvent_DirItemRequestTransfer, shot.id);
    }
    if (to_card) {
      Picture stored = shot;
      stored.id = next_picture++;
      stored.on_card = true;
      stored.path = kCardFolder + name;
      d.pictures.push_back(stored);
      d.props.PutUInt32(kEdsPropID_AvailableShots,
                        std::max<uint32_t>(d.props.UInt32(kEdsPropID_AvailableShots), 1) - 1);
      PostObject(device, kEdsObjectEvent_DirItemCreated, stored.id);
      PostProperty(device, kEdsPropID_AvailableShots);
    }
    if (scenario.live_view_off_while_shooting && d.props.UInt32(kEdsPropID_Evf_OutputDevice) != 0) {
      d.props.PutUInt32(kEdsPropID_Evf_OutputDevice, 0);
      PostProperty(device, kEdsPropID_Evf_OutputDevice);
    }
    return EDS_ERR_OK;
  }

  // The scenario's copy of a picture, for tests that compare what they downloaded.
  void KeepCopy(const Picture& p) {
    const std::string path = scenario.copies_folder + "/" + p.path;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool written = f && std::fwrite(p.data->data(), 1, p.data->size(), f) == p.data->size();
    if (f) std::fclose(f);
    if (!written && setup.complain) setup.complain("cannot write the copy \"" + path + "\"");
  }

  // Ending a recording leaves a movie on the card, announced like a picture stored there.
  // Its content is a still of the scene: nothing reads movies here but their names.
  void StoreMovie(int device) {
    Device& d = devices[static_cast<size_t>(device)];
    ++d.frame;
    Picture movie = NewPicture(d, kCardFolder + FileName("MVI", d.next_number++, "MOV"), true);
    movie.width = 1920;
    movie.height = 1080;
    d.pictures.push_back(movie);
    PostObject(device, kEdsObjectEvent_DirItemCreated, movie.id);
  }

  void Autofocus(Device& d) {
    if (!scenario.focus_fails) d.focus = kFocusSharp;
  }

  // ---- events: posted now, delivered later on the session's thread ----

  template <class Deliver>
  void Post(int device, Deliver deliver) {
    if (setup.events == nullptr || device < 0 || !devices[static_cast<size_t>(device)].session) return;
    const uint32_t gen = generation;
    setup.events->Post(device, [this, gen, device, deliver] {
      std::unique_lock lock(mutex);
      if (!initialized || gen != generation || !devices[static_cast<size_t>(device)].session) return;
      deliver(lock, devices[static_cast<size_t>(device)]);
    });
  }
  void PostObject(int device, uint32_t event, uint32_t picture) {
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
  void PostProperty(int device, EdsPropertyID id) {
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
  void PostState(uint32_t event, uint32_t data) {
    for (size_t i = 0; i < devices.size(); ++i) {
      Post(static_cast<int>(i), [this, event, data](std::unique_lock<std::recursive_mutex>& lock, Device& d) {
        if (!d.state.Wants(event)) return;
        const auto fn = reinterpret_cast<EdsStateEventHandler>(d.state.fn);
        void* context = d.state.context;
        books.Trace(FormatCall("event state", event, data));
        lock.unlock();
        fn(event, data, context);
      });
    }
  }

  EdsError SetHandler(EdsBaseRef camera, uint32_t event, uint32_t all, void* fn, void* context,
                      Handlers Device::*which) {
    Object* o = Find(camera, RefKind::Camera);
    if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
    if (event != all && (event & 0xFF00) != all) return EDS_ERR_INVALID_PARAMETER;
    devices[static_cast<size_t>(o->device)].*which = Handlers{event, fn, context};
    return EDS_ERR_OK;
  }

  void Shutdown() {
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

  EdsError LoadScenario() {
    std::string error;
    const std::string text = setup.scenario ? setup.scenario() : std::string();
    std::optional<Scenario> sc = ParseScenario(text, &error);
    if (!sc) {
      if (setup.complain) setup.complain(error);
      return EDS_ERR_INVALID_PARAMETER;
    }
    scenario = std::move(*sc);
    counter = CallCounter(&scenario);
    if (!books.Open(scenario.trace_path) && setup.complain)
      setup.complain("cannot write the trace file \"" + scenario.trace_path + "\"");
    devices.clear();
    for (const std::string& name : scenario.cameras) devices.emplace_back(scenario, name);
    for (Device& d : devices) {
      for (const std::string& path : scenario.card_files) {
        Picture p = NewPicture(d, path, true);
        if (scenario.picture_width == 0) {
          p.width = 1280;  // smaller than a new shot, so a card full of files stays quick
          p.height = 853;
        }
        d.pictures.push_back(std::move(p));
      }
    }
    return EDS_ERR_OK;
  }

  // ---- entry points ----

  EdsError EdsInitializeSDK() {
    if (initialized) return EDS_ERR_OK;
    if (const EdsError e = LoadScenario()) return e;
    initialized = true;
    return EDS_ERR_OK;
  }

  EdsError EdsTerminateSDK() {
    if (initialized) Shutdown();
    return EDS_ERR_OK;
  }

  EdsError EdsRetain(EdsBaseRef ref) {
    Object* o = Find(ref);
    if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
    ++o->refs;
    books.Handed(o->kind);
    return EDS_ERR_OK;
  }

  EdsError EdsRelease(EdsBaseRef ref) {
    const auto it = objects.find(FromRef(ref));
    if (it == objects.end()) return EDS_ERR_INVALID_HANDLE;
    books.Released(it->second->kind);
    if (--it->second->refs == 0) objects.erase(it);
    return EDS_ERR_OK;
  }

  EdsError EdsGetChildCount(EdsBaseRef ref, EdsUInt32* count) {
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

  EdsError EdsGetChildAtIndex(EdsBaseRef ref, EdsInt32 index, EdsBaseRef* out) {
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

  EdsError EdsGetParent(EdsBaseRef ref, EdsBaseRef* out) {
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

  // The property store a reference reads and writes, for the references that have one.
  EdsError Properties(EdsBaseRef ref, PropertyStore** out) {
    Device* d = nullptr;
    if (const EdsError e = SessionCamera(ref, &d)) return e;
    *out = &d->props;
    return EDS_ERR_OK;
  }

  EdsError FocusInfo(const Device& d, EdsFocusInfo* info) {
    *info = EdsFocusInfo{};
    info->imageRect = {{0, 0}, kSensorSize};
    info->pointNumber = 9;
    for (uint32_t i = 0; i < 9; ++i) {
      EdsFocusPoint& p = info->focusPoint[i];
      p.valid = 1;
      p.selected = i == 4 ? 1 : 0;
      p.justFocus = (i == 4 && std::abs(d.focus - kFocusSharp) <= 20) ? 1 : 0;
      p.rect = {{static_cast<EdsInt32>(1296 + (i % 3) * 1152), static_cast<EdsInt32>(864 + (i / 3) * 768)}, {300, 200}};
    }
    return EDS_ERR_OK;
  }

  // Live-view image metadata and RAW image settings, as properties of those references.
  EdsError ImageProperty(const Object& o, EdsPropertyID id, EdsUInt32 size, void* out, EdsDataType* type,
                         EdsUInt32* need) {
    if (o.kind != RefKind::EvfImage && o.kind != RefKind::Image) return EDS_ERR_INVALID_HANDLE;
    const auto f = std::find_if(kImageFields.begin(), kImageFields.end(),
                                [&](const ImageField& field) { return field.kind == o.kind && field.id == id; });
    if (f == kImageFields.end()) return EDS_ERR_PROPERTIES_UNAVAILABLE;
    if (o.kind == RefKind::EvfImage && !o.evf.valid) return EDS_ERR_OBJECT_NOTREADY;  // nothing downloaded yet
    if (need) {
      *type = f->type;
      *need = f->size;
      return EDS_ERR_OK;
    }
    if (out == nullptr) return EDS_ERR_INVALID_POINTER;
    if (size != f->size) return EDS_ERR_INVALID_LENGTH;
    std::memcpy(out, f->at(o), f->size);
    return EDS_ERR_OK;
  }

  EdsError EdsGetPropertySize(EdsBaseRef ref, EdsPropertyID id, EdsInt32, EdsDataType* type, EdsUInt32* size) {
    if (type == nullptr || size == nullptr) return EDS_ERR_INVALID_POINTER;
    Object* o = Find(ref);
    if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
    if (o->kind != RefKind::Camera) return ImageProperty(*o, id, 0, nullptr, type, size);
    PropertyStore* props = nullptr;
    if (const EdsError e = Properties(ref, &props)) return e;
    return props->Size(id, type, size);
  }

  EdsError EdsGetPropertyData(EdsBaseRef ref, EdsPropertyID id, EdsInt32, EdsUInt32 size, EdsVoid* out) {
    if (out == nullptr) return EDS_ERR_INVALID_POINTER;
    Object* o = Find(ref);
    if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
    if (o->kind != RefKind::Camera) return ImageProperty(*o, id, size, out, nullptr, nullptr);
    PropertyStore* props = nullptr;
    if (const EdsError e = Properties(ref, &props)) return e;
    if (id == kEdsPropID_FocusInfo && FindProperty(id) && scenario.live_view) {
      if (size != sizeof(EdsFocusInfo)) return EDS_ERR_INVALID_LENGTH;
      return FocusInfo(devices[static_cast<size_t>(o->device)], static_cast<EdsFocusInfo*>(out));
    }
    return props->Get(id, size, out);
  }

  EdsError EdsSetPropertyData(EdsBaseRef ref, EdsPropertyID id, EdsInt32, EdsUInt32 size, const EdsVoid* data) {
    if (data == nullptr) return EDS_ERR_INVALID_POINTER;
    Object* o = Find(ref);
    if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
    if (o->kind == RefKind::Image) {
      if (size != 4) return EDS_ERR_INVALID_LENGTH;
      int32_t v;
      std::memcpy(&v, data, 4);
      if (id == kEdsPropID_WhiteBalance) {
        const PropertyDef* def = FindProperty(kEdsPropID_WhiteBalance);
        if (std::find(def->offered.begin(), def->offered.end(), v) == def->offered.end())
          return EDS_ERR_INVALID_DEVICEPROP_VALUE;
        o->white_balance = v;
      } else if (id == kEdsPropID_ColorTemperature) {
        if (v < 2500 || v > 10000) return EDS_ERR_INVALID_DEVICEPROP_VALUE;
        o->color_temperature = static_cast<uint32_t>(v);
      } else {
        return EDS_ERR_PROPERTIES_UNAVAILABLE;
      }
      return EDS_ERR_OK;
    }
    if (o->kind != RefKind::Camera)
      return o->kind == RefKind::EvfImage ? EDS_ERR_NOT_SUPPORTED : EDS_ERR_INVALID_HANDLE;
    PropertyStore* props = nullptr;
    if (const EdsError e = Properties(ref, &props)) return e;
    const bool recording = props->UInt32(kEdsPropID_Record) == kEdsRecord_Begin;
    if (id == kEdsPropID_Record && !scenario.card) return EDS_ERR_DEVICE_NO_DISK;
    if (const EdsError e = props->Set(id, size, data)) return e;
    PostProperty(o->device, id);
    if (id == kEdsPropID_Record && recording && props->UInt32(kEdsPropID_Record) == kEdsRecord_End)
      StoreMovie(o->device);
    return EDS_ERR_OK;
  }

  EdsError EdsGetPropertyDesc(EdsBaseRef ref, EdsPropertyID id, EdsPropertyDesc* out) {
    if (out == nullptr) return EDS_ERR_INVALID_POINTER;
    PropertyStore* props = nullptr;
    if (const EdsError e = Properties(ref, &props)) return e;
    return props->Desc(id, out);
  }

  EdsError EdsGetCameraList(EdsCameraListRef* out) {
    if (out == nullptr) return EDS_ERR_INVALID_POINTER;
    auto o = std::make_unique<Object>();
    o->kind = RefKind::CameraList;
    for (size_t i = 0; i < devices.size(); ++i) o->cameras.push_back(static_cast<int>(i));
    *out = Hand(std::move(o));
    return EDS_ERR_OK;
  }

  EdsError EdsGetDeviceInfo(EdsCameraRef camera, EdsDeviceInfo* info) {
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

  EdsError EdsOpenSession(EdsCameraRef camera) {
    Object* o = Find(camera, RefKind::Camera);
    if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
    Device& d = devices[static_cast<size_t>(o->device)];
    if (d.session) return EDS_ERR_SESSION_ALREADY_OPEN;
    d.session = true;
    books.SessionOpened();
    if (setup.events) setup.events->Attach(o->device);
    return EDS_ERR_OK;
  }

  EdsError EdsCloseSession(EdsCameraRef camera) {
    Object* o = Find(camera, RefKind::Camera);
    if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
    Device& d = devices[static_cast<size_t>(o->device)];
    if (!d.session) return EDS_ERR_SESSION_NOT_OPEN;
    d.session = false;
    d.props.PutUInt32(kEdsPropID_Evf_OutputDevice, 0);
    books.SessionClosed();
    if (setup.events) setup.events->Detach(o->device);
    return EDS_ERR_OK;
  }

  EdsError EdsSendCommand(EdsCameraRef camera, EdsCameraCommand command, EdsInt32 param) {
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

  EdsError EdsSendStatusCommand(EdsCameraRef camera, EdsCameraStatusCommand command, EdsInt32) {
    Device* d = nullptr;
    if (const EdsError e = SessionCamera(camera, &d)) return e;
    // The camera's own controls are not simulated, so locking them changes nothing.
    return command == kEdsCameraStatusCommand_UILock || command == kEdsCameraStatusCommand_UIUnLock
               ? EDS_ERR_OK
               : EDS_ERR_INVALID_PARAMETER;
  }

  EdsError EdsSetCapacity(EdsCameraRef camera, EdsCapacity capacity) {
    Device* d = nullptr;
    if (const EdsError e = SessionCamera(camera, &d)) return e;
    if (capacity.numberOfFreeClusters < 0 || capacity.bytesPerSector <= 0) return EDS_ERR_INVALID_PARAMETER;
    return EDS_ERR_OK;
  }

  EdsError Volume(EdsVolumeRef ref, Device** out) {
    Object* o = Find(ref, RefKind::Volume);
    if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
    *out = &devices[static_cast<size_t>(o->device)];
    return (*out)->session ? EDS_ERR_OK : EDS_ERR_SESSION_NOT_OPEN;
  }

  EdsError EdsGetVolumeInfo(EdsVolumeRef ref, EdsVolumeInfo* info) {
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

  EdsError EdsFormatVolume(EdsVolumeRef ref) {
    Device* d = nullptr;
    if (const EdsError e = Volume(ref, &d)) return e;
    std::erase_if(d->pictures, [](const Picture& p) { return p.on_card; });
    d->props.PutUInt32(kEdsPropID_AvailableShots, scenario.available_shots);
    return EDS_ERR_OK;
  }

  // A directory item of a file, its camera in session, or the error to answer.
  EdsError Item(EdsDirectoryItemRef ref, Device** device, Picture** picture, Object** object = nullptr) {
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

  EdsError EdsGetDirectoryItemInfo(EdsDirectoryItemRef ref, EdsDirectoryItemInfo* info) {
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

  EdsError EdsDeleteDirectoryItem(EdsDirectoryItemRef ref) {
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

  // Keeps an object alive while the caller's callbacks run, whatever they release.
  class Hold {
   public:
    Hold(State& st, EdsBaseRef ref) : st_(st), id_(FromRef(ref)) { ++st_.objects.at(id_)->refs; }
    ~Hold() {
      const auto it = st_.objects.find(id_);  // gone when the SDK terminated meanwhile
      if (it != st_.objects.end() && --it->second->refs == 0) st_.objects.erase(it);
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    State& st_;
    uint32_t id_;
  };

  EdsError EdsDownload(EdsDirectoryItemRef ref, EdsUInt64 size, EdsStreamRef out) {
    Device* d = nullptr;
    Picture* p = nullptr;
    if (const EdsError e = Item(ref, &d, &p)) return e;
    if (p == nullptr) return EDS_ERR_NOT_SUPPORTED;  // a folder
    if (FindStream(out) == nullptr) return EDS_ERR_INVALID_HANDLE;
    Render(*p);
    const std::shared_ptr<const std::vector<uint8_t>> data = p->data;  // the item may go while callbacks run
    if (size == 0 || size > data->size()) return EDS_ERR_INVALID_LENGTH;
    const Hold hold(*this, out);
    uint64_t sent = 0;
    while (sent < size) {
      Stream* s = FindStream(out);
      if (s == nullptr) return EDS_ERR_OPERATION_CANCELLED;  // the SDK was terminated from a callback
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
  EdsError Complete(EdsDirectoryItemRef ref) {
    Device* d = nullptr;
    Picture* p = nullptr;
    if (const EdsError e = Item(ref, &d, &p)) return e;
    if (p != nullptr && !p->on_card) Forget(*d, p->id);
    return EDS_ERR_OK;
  }
  EdsError EdsDownloadCancel(EdsDirectoryItemRef ref) { return Complete(ref); }
  EdsError EdsDownloadComplete(EdsDirectoryItemRef ref) { return Complete(ref); }

  EdsError EdsDownloadThumbnail(EdsDirectoryItemRef ref, EdsStreamRef out) {
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

  EdsError EdsGetAttribute(EdsDirectoryItemRef ref, EdsFileAttributes* out) {
    if (out == nullptr) return EDS_ERR_INVALID_POINTER;
    Device* d = nullptr;
    Picture* p = nullptr;
    if (const EdsError e = Item(ref, &d, &p)) return e;
    if (p == nullptr) return EDS_ERR_NOT_SUPPORTED;
    *out = p->attributes;
    return EDS_ERR_OK;
  }

  EdsError EdsSetAttribute(EdsDirectoryItemRef ref, EdsFileAttributes attributes) {
    Device* d = nullptr;
    Picture* p = nullptr;
    if (const EdsError e = Item(ref, &d, &p)) return e;
    if (p == nullptr) return EDS_ERR_NOT_SUPPORTED;
    p->attributes = attributes;
    return EDS_ERR_OK;
  }

  EdsError NewStream(std::unique_ptr<Stream> stream, EdsStreamRef* out) {
    auto o = std::make_unique<Object>();
    o->kind = RefKind::Stream;
    o->stream = std::move(stream);
    *out = Hand(std::move(o));
    return EDS_ERR_OK;
  }

  template <class Ch>
  EdsError FileStream(const Ch* name, EdsFileCreateDisposition disposition, EdsAccess access, EdsStreamRef* out) {
    if (out == nullptr || name == nullptr) return EDS_ERR_INVALID_POINTER;
    *out = nullptr;
    size_t length = 0;
    while (length < 260 && name[length] != 0) ++length;
    if (length == 0 || length >= 260) return EDS_ERR_INVALID_PARAMETER;
    std::unique_ptr<Stream> s;
    if (const EdsError e = OpenFileStream(name, disposition, access, &s)) return e;
    return NewStream(std::move(s), out);
  }

  EdsError EdsCreateFileStream(const EdsChar* name, EdsFileCreateDisposition disposition, EdsAccess access,
                               EdsStreamRef* out) {
    return FileStream(name, disposition, access, out);
  }
  EdsError EdsCreateFileStreamEx(const EdsWChar* name, EdsFileCreateDisposition disposition, EdsAccess access,
                                 EdsStreamRef* out) {
    return FileStream(name, disposition, access, out);
  }

  EdsError EdsCreateMemoryStream(EdsUInt64 size, EdsStreamRef* out) {
    if (out == nullptr) return EDS_ERR_INVALID_POINTER;
    return NewStream(NewMemoryStream(size), out);
  }

  EdsError EdsCreateMemoryStreamFromPointer(EdsVoid* buffer, EdsUInt64 size, EdsStreamRef* out) {
    if (out == nullptr || buffer == nullptr) return EDS_ERR_INVALID_POINTER;
    return NewStream(NewPointerStream(buffer, size), out);
  }

  EdsError EdsGetPointer(EdsStreamRef ref, EdsVoid** out) {
    if (out == nullptr) return EDS_ERR_INVALID_POINTER;
    Stream* s = FindStream(ref);
    return s ? s->Pointer(out) : EDS_ERR_INVALID_HANDLE;
  }

  EdsError EdsRead(EdsStreamRef ref, EdsUInt64 size, EdsVoid* out, EdsUInt64* done) {
    if (done == nullptr || (out == nullptr && size > 0)) return EDS_ERR_INVALID_POINTER;
    Stream* s = FindStream(ref);
    return s ? s->Read(size, out, done) : EDS_ERR_INVALID_HANDLE;
  }

  EdsError EdsWrite(EdsStreamRef ref, EdsUInt64 size, const EdsVoid* data, EdsUInt64* done) {
    if (done == nullptr || (data == nullptr && size > 0)) return EDS_ERR_INVALID_POINTER;
    Stream* s = FindStream(ref);
    return s ? s->Write(size, data, done) : EDS_ERR_INVALID_HANDLE;
  }

  EdsError EdsSeek(EdsStreamRef ref, EdsInt64 offset, EdsSeekOrigin origin) {
    Stream* s = FindStream(ref);
    return s ? s->Seek(offset, origin) : EDS_ERR_INVALID_HANDLE;
  }

  EdsError EdsGetPosition(EdsStreamRef ref, EdsUInt64* out) {
    if (out == nullptr) return EDS_ERR_INVALID_POINTER;
    Stream* s = FindStream(ref);
    if (s == nullptr) return EDS_ERR_INVALID_HANDLE;
    *out = s->Position();
    return EDS_ERR_OK;
  }

  EdsError EdsGetLength(EdsStreamRef ref, EdsUInt64* out) {
    if (out == nullptr) return EDS_ERR_INVALID_POINTER;
    Stream* s = FindStream(ref);
    if (s == nullptr) return EDS_ERR_INVALID_HANDLE;
    *out = s->Length();
    return EDS_ERR_OK;
  }

  EdsError EdsCopyData(EdsStreamRef from, EdsUInt64 size, EdsStreamRef to) {
    Stream* in = FindStream(from);
    Stream* out = FindStream(to);
    if (in == nullptr || out == nullptr) return EDS_ERR_INVALID_HANDLE;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(size, kChunk)));
    while (size > 0) {
      uint64_t got = 0, put = 0;
      if (const EdsError e = in->Read(std::min<uint64_t>(size, buffer.size()), buffer.data(), &got)) return e;
      if (got == 0) return EDS_ERR_STREAM_END_OF_STREAM;
      if (const EdsError e = out->Write(got, buffer.data(), &put)) return e;
      size -= got;
    }
    return EDS_ERR_OK;
  }

  EdsError EdsSetProgressCallback(EdsBaseRef ref, EdsProgressCallback fn, EdsProgressOption option, EdsVoid* context) {
    Stream* s = FindStream(ref);
    if (s == nullptr) return Find(ref) ? EDS_ERR_NOT_SUPPORTED : EDS_ERR_INVALID_HANDLE;
    if (option > kEdsProgressOption_Periodically) return EDS_ERR_INVALID_PARAMETER;
    if (fn == nullptr && option != kEdsProgressOption_NoReport) return EDS_ERR_INVALID_FN_POINTER;
    s->progress = fn;
    s->progress_option = option;
    s->progress_context = context;
    return EDS_ERR_OK;
  }

  EdsError EdsCreateImageRef(EdsStreamRef ref, EdsImageRef* out) {
    if (out == nullptr) return EDS_ERR_INVALID_POINTER;
    *out = nullptr;
    Stream* s = FindStream(ref);
    if (s == nullptr) return EDS_ERR_INVALID_HANDLE;
    std::vector<uint8_t> bytes;
    if (const EdsError e = ReadAll(*s, &bytes)) return e;
    std::optional<Image> img = DecodeJpeg(bytes.data(), bytes.size());
    if (!img) return EDS_ERR_NOT_SUPPORTED;  // this camera's RAW files carry a JPEG
    auto o = std::make_unique<Object>();
    o->kind = RefKind::Image;
    o->image = std::move(*img);
    *out = Hand(std::move(o));
    return EDS_ERR_OK;
  }

  EdsError EdsGetImageInfo(EdsImageRef ref, EdsImageSource source, EdsImageInfo* info) {
    if (info == nullptr) return EDS_ERR_INVALID_POINTER;
    Object* o = Find(ref, RefKind::Image);
    if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
    if (source > kEdsImageSrc_Thumbnail) return EDS_ERR_INVALID_PARAMETER;
    const bool thumb = source == kEdsImageSrc_Thumbnail;
    const auto w = static_cast<EdsUInt32>(thumb ? 160 : o->image.width);
    const auto h = static_cast<EdsUInt32>(thumb ? 120 : o->image.height);
    *info = EdsImageInfo{w, h, 3, 8, {{0, 0}, {static_cast<EdsInt32>(w), static_cast<EdsInt32>(h)}}};
    return EDS_ERR_OK;
  }

  EdsError EdsGetImage(EdsImageRef ref, EdsImageSource, EdsTargetImageType, EdsRect, EdsSize, EdsStreamRef out) {
    if (Find(ref, RefKind::Image) == nullptr || FindStream(out) == nullptr) return EDS_ERR_INVALID_HANDLE;
    return EDS_ERR_NOT_SUPPORTED;
  }

  EdsError EdsSaveImage(EdsImageRef ref, EdsTargetImageType type, EdsSaveImageSetting setting, EdsStreamRef out) {
    Object* o = Find(ref, RefKind::Image);
    Stream* s = FindStream(out);
    if (o == nullptr || s == nullptr) return EDS_ERR_INVALID_HANDLE;
    if (setting.iccProfileStream != nullptr && FindStream(setting.iccProfileStream) == nullptr)
      return EDS_ERR_INVALID_HANDLE;
    std::vector<uint8_t> bytes;
    if (type == kEdsTargetImageType_Jpeg) {
      if (setting.JPEGQuality < 1 || setting.JPEGQuality > 10) return EDS_ERR_INVALID_PARAMETER;
      bytes = EncodeJpeg(o->image, static_cast<int>(setting.JPEGQuality) * 10);
    } else if (type == kEdsTargetImageType_TIFF || type == kEdsTargetImageType_TIFF16) {
      bytes = EncodeTiff(o->image, type == kEdsTargetImageType_TIFF16);
    } else {
      return EDS_ERR_INVALID_PARAMETER;
    }
    uint64_t done = 0;
    return s->Write(bytes.size(), bytes.data(), &done);
  }

  EdsError EdsCacheImage(EdsImageRef ref, EdsBool) {
    return Find(ref, RefKind::Image) ? EDS_ERR_OK : EDS_ERR_INVALID_HANDLE;
  }
  EdsError EdsReflectImageProperty(EdsImageRef ref) {
    return Find(ref, RefKind::Image) ? EDS_ERR_OK : EDS_ERR_INVALID_HANDLE;
  }

  EdsError EdsCreateEvfImageRef(EdsStreamRef stream, EdsEvfImageRef* out) {
    if (out == nullptr) return EDS_ERR_INVALID_POINTER;
    *out = nullptr;
    if (FindStream(stream) == nullptr) return EDS_ERR_INVALID_HANDLE;
    auto o = std::make_unique<Object>();
    o->kind = RefKind::EvfImage;
    o->stream_id = FromRef(stream);
    *out = Hand(std::move(o));
    return EDS_ERR_OK;
  }

  // One live-view frame: the scene now, cut to the zoom window, with its histograms.
  EdsError EdsDownloadEvfImage(EdsCameraRef camera, EdsEvfImageRef ref) {
    Device* d = nullptr;
    if (const EdsError e = SessionCamera(camera, &d)) return e;
    Object* evf = Find(ref, RefKind::EvfImage);
    if (evf == nullptr) return EDS_ERR_INVALID_HANDLE;
    Stream* s = FindStream(ToRef(evf->stream_id));
    if (s == nullptr) return EDS_ERR_INVALID_HANDLE;  // its stream was released first
    if (!scenario.live_view) return EDS_ERR_NOT_SUPPORTED;
    if (!d->LiveViewOn()) return EDS_ERR_OBJECT_NOTREADY;
    ++d->frame;
    Image frame = RenderScene(kFrameWidth, kFrameHeight, d->frame, d->focus);
    EvfMeta& m = evf->evf;
    m.zoom = d->props.UInt32(kEdsPropID_Evf_Zoom);
    m.coords = kSensorSize;
    EdsPoint pos{};
    d->props.Get(kEdsPropID_Evf_ZoomPosition, sizeof pos, &pos);
    const int zoom = static_cast<int>(std::max<uint32_t>(m.zoom, 1));
    const EdsSize window{m.coords.width / 5, m.coords.height / 5};  // the x5 frame, shown at fit too
    pos.x = std::clamp(pos.x, 0, m.coords.width - window.width);
    pos.y = std::clamp(pos.y, 0, m.coords.height - window.height);
    m.zoom_position = pos;
    m.zoom_rect = {pos, window};
    m.image_position = zoom > 1 ? pos : EdsPoint{0, 0};
    if (zoom > 1) frame = Zoomed(frame, pos, m.coords, zoom);
    m.histogram = {};
    for (size_t i = 0; i < frame.rgb.size(); i += 3) {
      const uint8_t r = frame.rgb[i], g = frame.rgb[i + 1], b = frame.rgb[i + 2];
      ++m.histogram[0][(r * 77 + g * 150 + b * 29) >> 8];
      ++m.histogram[1][r];
      ++m.histogram[2][g];
      ++m.histogram[3][b];
    }
    m.valid = true;
    return s->Replace(EncodeJpeg(frame, kFrameQuality));
  }

  // The part of the frame the zoom window covers, enlarged to the whole frame.
  static Image Zoomed(const Image& src, EdsPoint pos, EdsSize coords, int zoom) {
    Image out;
    out.width = src.width;
    out.height = src.height;
    out.rgb.resize(src.rgb.size());
    const int x0 = pos.x * src.width / coords.width, y0 = pos.y * src.height / coords.height;
    for (int y = 0; y < out.height; ++y) {
      const int sy = std::min(y0 + y / zoom, src.height - 1);
      for (int x = 0; x < out.width; ++x) {
        const int sx = std::min(x0 + x / zoom, src.width - 1);
        std::memcpy(&out.rgb[(static_cast<size_t>(y) * out.width + x) * 3],
                    &src.rgb[(static_cast<size_t>(sy) * src.width + sx) * 3], 3);
      }
    }
    return out;
  }

  // Cameras never come and go in a scenario, so the handler is never called.
  EdsError EdsSetCameraAddedHandler(EdsCameraAddedHandler, EdsVoid*) { return EDS_ERR_OK; }

  EdsError EdsSetPropertyEventHandler(EdsCameraRef camera, EdsPropertyEvent event, EdsPropertyEventHandler fn,
                                      EdsVoid* context) {
    return SetHandler(camera, event, kEdsPropertyEvent_All, reinterpret_cast<void*>(fn), context, &Device::property);
  }
  EdsError EdsSetObjectEventHandler(EdsCameraRef camera, EdsObjectEvent event, EdsObjectEventHandler fn,
                                    EdsVoid* context) {
    return SetHandler(camera, event, kEdsObjectEvent_All, reinterpret_cast<void*>(fn), context, &Device::object);
  }
  EdsError EdsSetCameraStateEventHandler(EdsCameraRef camera, EdsStateEvent event, EdsStateEventHandler fn,
                                         EdsVoid* context) {
    return SetHandler(camera, event, kEdsStateEvent_All, reinterpret_cast<void*>(fn), context, &Device::state);
  }

  EdsError EdsCreateStream(EdsVoid* stream, EdsStreamRef* out) {
    if (stream == nullptr || out == nullptr) return EDS_ERR_INVALID_POINTER;
    *out = nullptr;
    return EDS_ERR_NOT_SUPPORTED;  // COM streams are not simulated
  }

  EdsError EdsGetEvent() {
    if (setup.events) setup.events->DeliverPending();
    return EDS_ERR_OK;
  }
};

Sdk::Sdk(SdkSetup setup) : s_(std::make_unique<State>(std::move(setup))) {}

Sdk::~Sdk() {
  std::lock_guard lock(s_->mutex);
  if (s_->initialized) s_->Shutdown();
}

const Books& Sdk::books() const { return s_->books; }

#define EOS_SIM_DEFINE(name, exported, ret, params, args)                   \
  ret Sdk::name params {                                                    \
    return s_->Run(#name, [&] { return s_->name args; } EOS_SIM_ARGS args); \
  }
#define EOS_SIM_ARGS(...) __VA_OPT__(, ) __VA_ARGS__
EDSDK_ENTRY_POINTS(EOS_SIM_DEFINE)
#undef EOS_SIM_ARGS
#undef EOS_SIM_DEFINE

}  // namespace eos::sim
