// The simulated SDK's state, private to the files that implement it, one subject each:
//   sdk.cpp             every call: the lock, the scenario's answer, the trace line
//   sdk_objects.cpp     references: handed out, found, retained, released
//   sdk_card.cpp        the card's folders and files, downloads
//   sdk_pictures.cpp    pictures taken, movies recorded, focus
//   sdk_events.cpp      event handlers and the events posted to them
//   sdk_liveview.cpp    live-view frames and their metadata
//   sdk_session.cpp     the SDK's start and end, cameras, sessions and commands
//   sdk_properties.cpp  properties of cameras, live-view images and RAW images
//   sdk_streams.cpp     streams of memory and files
//   sdk_images.cpp      RAW images developed to JPEG and TIFF
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "simulator/core/books.h"
#include "simulator/core/live_view_pace.h"
#include "simulator/core/photo.h"
#include "simulator/core/presence.h"
#include "simulator/core/properties.h"
#include "simulator/core/scenario.h"
#include "simulator/core/scene.h"
#include "simulator/core/sdk.h"
#include "simulator/core/streams.h"

namespace eos::sim {

inline constexpr int kFrameWidth = 960;
inline constexpr int kFrameHeight = 640;
inline constexpr int kFocusStart = 300;
inline constexpr uint64_t kChunk = 256 * 1024;  // download and copy transfer unit

// References are numbers dressed as pointers: never dereferenced, never reused, so a
// released reference is always recognised.
inline EdsBaseRef ToRef(uint32_t id) { return reinterpret_cast<EdsBaseRef>(static_cast<uintptr_t>(id) * 16 + 0x10000); }
inline uint32_t FromRef(EdsBaseRef ref) {
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

// A camera on the bus. One that goes (pulled, switched off) stays gone: its return is
// another Device, so references from before it answer "disconnected" for good.
struct Device {
  std::string name;
  uint32_t sub_type = 1;
  PropertyStore props;
  bool gone = false;
  bool session = false;
  bool bulb = false;
  int focus = kFocusStart;
  uint32_t frame = 0;
  uint32_t next_number = 1;
  Handlers object, property, state;
  std::vector<Picture> pictures;
  LiveViewPace pace;  // used when the scenario paces live view
  explicit Device(const Scenario& sc, std::string n)
      : name(std::move(n)),
        sub_type(sc.device_sub_type),
        props(sc),
        pace(sc.live_view_rate, sc.live_view_start_ms.value_or(0)) {}
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

// ---- the trace's text ----

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

// ---- the state ----

struct Sdk::State {
  explicit State(SdkSetup s) : setup(std::move(s)), counter(&scenario), presence(&scenario) {}

  SdkSetup setup;
  std::recursive_mutex mutex;
  bool initialized = false;
  uint32_t generation = 0;  // events of an earlier run are dropped
  Scenario scenario;
  std::shared_ptr<const Photo> photo;  // in place of the scene, when the scenario names one
  CallCounter counter;
  Presence presence;
  Books books;
  std::vector<Device> devices;
  std::vector<int> departed;  // the cameras that went last, to come back
  std::map<uint32_t, std::unique_ptr<Object>> objects;
  uint32_t next_id = 1;
  uint32_t next_picture = 1;

  // One entry point's call: refused or run, then traced (sdk.cpp).
  template <class F, class... A>
  EdsError Run(const char* name, F&& body, const A&... args);

  // references (sdk_objects.cpp)
  Object* Find(EdsBaseRef ref);
  Object* Find(EdsBaseRef ref, RefKind kind);
  EdsBaseRef Hand(std::unique_ptr<Object> o);
  EdsBaseRef NewRef(RefKind kind, int device = -1);
  EdsBaseRef ItemRef(int device, uint32_t picture);
  EdsBaseRef FolderRef(int device, std::string folder);
  EdsError SessionCamera(EdsBaseRef ref, Device** out);
  Picture* FindPicture(Device& d, uint32_t id);
  Stream* FindStream(EdsBaseRef ref);

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

  // the card (sdk_card.cpp)
  EdsError Volume(EdsVolumeRef ref, Device** out);
  EdsError Item(EdsDirectoryItemRef ref, Device** device, Picture** picture, Object** object = nullptr);
  EdsError Complete(EdsDirectoryItemRef ref);

  // pictures (sdk_pictures.cpp)
  Image Sight(int width, int height, uint32_t frame, int focus, bool live);
  void Render(Picture& p);
  Picture NewPicture(Device& d, std::string path, bool on_card);
  EdsError Shoot(int device);
  void KeepCopy(const Picture& p);
  void StoreMovie(int device);
  void Autofocus(Device& d);

  // events: posted now, delivered later on the session's thread (sdk_events.cpp)
  template <class Deliver>
  void Post(int device, Deliver deliver);
  void PostObject(int device, uint32_t event, uint32_t picture);
  void PostProperty(int device, EdsPropertyID id);
  void PostState(uint32_t event, uint32_t data);
  void PostStateTo(int device, uint32_t event, uint32_t data);
  EdsError SetHandler(EdsBaseRef camera, uint32_t event, uint32_t all, void* fn, void* context,
                      Handlers Device::*which);

  // the SDK's run and the cameras' comings and goings (sdk_session.cpp)
  void Shutdown();
  EdsError LoadScenario();
  void InsertCard(Device& d);
  uint64_t Now() const;  // milliseconds of the steady clock, or of the setup's
  uint64_t NowUs() const;
  void Advance();
  void Depart(const char* how);
  void Return();
  bool Gone(EdsBaseRef ref);

  // live view (sdk_liveview.cpp)
  void SeeLiveView();

  // properties (sdk_properties.cpp)
  EdsError Properties(EdsBaseRef ref, PropertyStore** out);
  EdsError FocusInfo(const Device& d, EdsFocusInfo* info);
  EdsError ImageProperty(const Object& o, EdsPropertyID id, EdsUInt32 size, void* out, EdsDataType* type,
                         EdsUInt32* need);

  // streams (sdk_streams.cpp)
  EdsError NewStream(std::unique_ptr<Stream> stream, EdsStreamRef* out);
  template <class Ch>
  EdsError FileStream(const Ch* name, EdsFileCreateDisposition disposition, EdsAccess access, EdsStreamRef* out);

  // Every entry point, in the file of its family.
#define EOS_SIM_DECLARE(name, exported, ret, params, args) ret name params;
  EDSDK_ENTRY_POINTS(EOS_SIM_DECLARE)
#undef EOS_SIM_DECLARE
};

}  // namespace eos::sim
