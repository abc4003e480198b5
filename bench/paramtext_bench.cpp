// The answer of a capture carries the Base64 of a whole picture: a 30 MB picture gives
// a 40 MB value. Each operation on such a text is timed next to one memcpy of the same
// text, so the figures read as "copies".
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstring>

#include "base/paramtext.h"

using namespace eos;

namespace {

constexpr size_t kValueBytes = 40u << 20;

const Text& BigText() {
  static const Text text = [] {
    Text value(kValueBytes / sizeof(char16_t), u'A');
    for (size_t i = 0; i < value.size(); i += 97) value[i] = u"+/09azAZ"[i % 8];
    Text t = u"Fil=C:\\Users\\someone\\AppData\\Local\\Temp\\temp.jpg\tAngle=90\tSettingsChanged=1\t";
    t += u"Base64=" + value + u"==\tTail=1\t";
    return t;
  }();
  return text;
}

void Memcpy(benchmark::State& state) {
  const Text& text = BigText();
  Text copy(text.size(), u'\0');
  for (auto _ : state) {
    std::memcpy(copy.data(), text.data(), text.size() * sizeof(char16_t));
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
}

// What any operation that returns a new text of that size pays at least: a fresh
// allocation, its first-touch page faults and the copy.
void CopyToNewText(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Text(BigText()));
}

void GetValue(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GetParamValue(u"Base64", BigText()));
}

void GetValueAfterBig(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GetParamValue(u"Tail", BigText()));
}

void Has(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(HasParam(u"Missing", BigText()));
}

void Replace(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(SetParamValue(u"Angle", u"180", BigText()));
}

void Append(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(SetParamValue(u"New", u"1", BigText()));
}

void RemoveSmall(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(SetParamValue(u"Angle", u"", BigText()));
}

void RemoveBig(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(SetParamValue(u"Base64", u"", BigText()));
}

}  // namespace

BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyToNewText)->Unit(benchmark::kMillisecond);
BENCHMARK(GetValue)->Unit(benchmark::kMillisecond);
BENCHMARK(GetValueAfterBig)->Unit(benchmark::kMillisecond);
BENCHMARK(Has)->Unit(benchmark::kMillisecond);
BENCHMARK(Replace)->Unit(benchmark::kMillisecond);
BENCHMARK(Append)->Unit(benchmark::kMillisecond);
BENCHMARK(RemoveSmall)->Unit(benchmark::kMillisecond);
BENCHMARK(RemoveBig)->Unit(benchmark::kMillisecond);
// --warm-heap keeps freed blocks in the heap, as in a host process whose heap has grown
// to the answer's size: the figures then show the operations' own passes without the
// page faults of a fresh 80 MB block.
int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--warm-heap") == 0) {
      mallopt(M_MMAP_THRESHOLD, 512 << 20);
      mallopt(M_TRIM_THRESHOLD, 1024 << 20);
      argv[i--] = argv[--argc];
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
