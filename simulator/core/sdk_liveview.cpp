// Live view: a frame of what the camera sees per download, cut to the zoom window, with its
// histograms and the metadata the live-view image answers as properties.
#include "simulator/core/sdk_state.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "simulator/core/jpeg.h"

namespace eos::sim {
namespace {

constexpr int kFrameQuality = 75;

// The part of the frame the zoom window covers, enlarged to the whole frame.
Image Zoomed(const Image& src, EdsPoint pos, EdsSize coords, int zoom) {
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

}  // namespace

EdsError Sdk::State::EdsCreateEvfImageRef(EdsStreamRef stream, EdsEvfImageRef* out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  *out = nullptr;
  if (FindStream(stream) == nullptr) return EDS_ERR_INVALID_HANDLE;
  auto o = std::make_unique<Object>();
  o->kind = RefKind::EvfImage;
  o->stream_id = FromRef(stream);
  *out = Hand(std::move(o));
  return EDS_ERR_OK;
}

// Live view goes on and off through property writes, and off by itself while a picture
// is taken; a look after every call gives the paced cameras the moment it went on.
void Sdk::State::SeeLiveView() {
  if (!scenario.LiveViewPaced()) return;
  const uint64_t now = NowUs();
  for (Device& d : devices) d.pace.See(d.LiveViewOn(), now);
}

// One live-view frame: the scene now, cut to the zoom window, with its histograms. A
// paced camera has one only when its pace has made a new one.
EdsError Sdk::State::EdsDownloadEvfImage(EdsCameraRef camera, EdsEvfImageRef ref) {
  Device* d = nullptr;
  if (const EdsError e = SessionCamera(camera, &d)) return e;
  Object* evf = Find(ref, RefKind::EvfImage);
  if (evf == nullptr) return EDS_ERR_INVALID_HANDLE;
  Stream* s = FindStream(ToRef(evf->stream_id));
  if (s == nullptr) return EDS_ERR_INVALID_HANDLE;  // its stream was released first
  if (!scenario.live_view) return EDS_ERR_NOT_SUPPORTED;
  if (!d->LiveViewOn()) return EDS_ERR_OBJECT_NOTREADY;
  std::optional<LiveViewPace::Frame> paced;
  if (scenario.LiveViewPaced()) {
    paced = d->pace.Take(NowUs());
    if (!paced) return EDS_ERR_OBJECT_NOTREADY;
  }
  ++d->frame;
  Image frame = Sight(kFrameWidth, kFrameHeight, d->frame, d->focus, true);
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
  DrawOrientationMark(frame);
  m.histogram = {};
  for (size_t i = 0; i < frame.rgb.size(); i += 3) {
    const uint8_t r = frame.rgb[i], g = frame.rgb[i + 1], b = frame.rgb[i + 2];
    ++m.histogram[0][(r * 77 + g * 150 + b * 29) >> 8];
    ++m.histogram[1][r];
    ++m.histogram[2][g];
    ++m.histogram[3][b];
  }
  m.valid = true;
  std::vector<uint8_t> jpeg = EncodeJpeg(frame, kFrameQuality);
  if (paced) CommentJpeg(jpeg, PacedFrameComment(*paced));
  return s->Replace(jpeg);
}

}  // namespace eos::sim
