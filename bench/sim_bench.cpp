// What the stand-in camera spends on pictures: rendering the scene and encoding it, for
// a live-view frame (960 x 640, about ten a second while the dialog polls) and for a
// Large shot (5184 x 3456). Focus is off the sharp position so the blur is paid too.
// LiveViewFrame is a whole frame as the camera makes one, with its orientation mark:
// against RenderAndEncode at 960 x 640 it shows what the mark costs. PhotoLiveViewFrame
// is the same with a photo in place of the scene (live_view_picture), placed turned;
// RenderPhoto the placing alone, for a frame and for a Large shot; LoadPhoto what a
// 24-megapixel JPEG costs to read once when the SDK starts.
#include <benchmark/benchmark.h>

#include <string>

#include "simulator/core/jpeg.h"
#include "simulator/core/photo.h"
#include "simulator/core/scene.h"

using namespace eos::sim;

namespace {

constexpr int kSoft = kFocusSharp - 200;

void Render(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  uint32_t frame = 0;
  for (auto _ : state) benchmark::DoNotOptimize(RenderScene(w, h, ++frame, kSoft));
}

void Encode(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const Image img = RenderScene(w, h, 1, kSoft);
  const int quality = w > 2000 ? 90 : 75;  // the qualities the camera uses
  size_t bytes = 0;
  for (auto _ : state) bytes = EncodeJpeg(img, quality).size();
  state.counters["jpeg_bytes"] = static_cast<double>(bytes);
}

void RenderAndEncode(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  uint32_t frame = 0;
  for (auto _ : state) benchmark::DoNotOptimize(EncodeJpeg(RenderScene(w, h, ++frame, kSoft), w > 2000 ? 90 : 75));
}

void LiveViewFrame(benchmark::State& state) {
  uint32_t frame = 0;
  for (auto _ : state) {
    Image img = RenderScene(960, 640, ++frame, kSoft);
    DrawOrientationMark(img);
    benchmark::DoNotOptimize(EncodeJpeg(img, 75));
  }
}

// A portrait photo with detail everywhere: the scene itself, taken upright.
Photo PortraitPhoto() {
  const std::vector<uint8_t> jpeg = EncodeJpeg(RenderScene(1200, 1600, 1, kFocusSharp), 90);
  std::string error;
  return *Photo::Decode(jpeg.data(), jpeg.size(), &error);
}

const std::vector<Placement> kTurned = {{0.45, 0.55, 0.9, 12, 0}};

void PhotoLiveViewFrame(benchmark::State& state) {
  const Photo photo = PortraitPhoto();
  uint32_t frame = 0;
  for (auto _ : state) {
    Image img = RenderPhoto(photo, kTurned, 960, 640, ++frame);
    DrawFrameNumber(img, frame);
    DrawOrientationMark(img);
    benchmark::DoNotOptimize(EncodeJpeg(img, 75));
  }
}

void RenderPhotoOnly(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const Photo photo = PortraitPhoto();
  for (auto _ : state) benchmark::DoNotOptimize(RenderPhoto(photo, kTurned, w, h, 1));
}

void LoadPhoto(benchmark::State& state) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(RenderScene(6000, 4000, 1, kFocusSharp), 90);
  std::string error;
  for (auto _ : state) benchmark::DoNotOptimize(Photo::Decode(jpeg.data(), jpeg.size(), &error));
  state.counters["jpeg_bytes"] = static_cast<double>(jpeg.size());
}

}  // namespace

BENCHMARK(Render)->Args({960, 640})->Args({5184, 3456})->Unit(benchmark::kMillisecond);
BENCHMARK(Encode)->Args({960, 640})->Args({5184, 3456})->Unit(benchmark::kMillisecond);
BENCHMARK(RenderAndEncode)->Args({960, 640})->Args({5184, 3456})->Unit(benchmark::kMillisecond);
BENCHMARK(LiveViewFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(PhotoLiveViewFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(RenderPhotoOnly)->Args({960, 640})->Args({5184, 3456})->Unit(benchmark::kMillisecond);
BENCHMARK(LoadPhoto)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
