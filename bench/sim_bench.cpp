// What the stand-in camera spends on pictures: rendering the scene and encoding it, for
// a live-view frame (960 x 640, about ten a second while the dialog polls) and for a
// Large shot (5184 x 3456). Focus is off the sharp position so the blur is paid too.
// LiveViewFrame is a whole frame as the camera makes one, with its orientation mark:
// against RenderAndEncode at 960 x 640 it shows what the mark costs.
#include <benchmark/benchmark.h>

#include "simulator/core/jpeg.h"
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

}  // namespace

BENCHMARK(Render)->Args({960, 640})->Args({5184, 3456})->Unit(benchmark::kMillisecond);
BENCHMARK(Encode)->Args({960, 640})->Args({5184, 3456})->Unit(benchmark::kMillisecond);
BENCHMARK(RenderAndEncode)->Args({960, 640})->Args({5184, 3456})->Unit(benchmark::kMillisecond);
BENCHMARK(LiveViewFrame)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
