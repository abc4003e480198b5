// Base64 of a picture into the UTF-16 answer, timed next to a memcpy of the same output
// size in the same run; the last line gives the encoder's speed as a share of memcpy's
// (the goal is at least 1/3).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/base64.h"

namespace {

constexpr size_t kPictureBytes = 24u << 20;  // a large JPEG; a RAW file is larger still

const std::vector<unsigned char>& Picture() {
  static const std::vector<unsigned char> bytes = [] {
    std::vector<unsigned char> b(kPictureBytes);
    unsigned x = 12345;
    for (auto& c : b) c = static_cast<unsigned char>((x = x * 1103515245u + 12345u) >> 24);
    return b;
  }();
  return bytes;
}

void Encode(benchmark::State& state) {
  const auto& in = Picture();
  std::u16string out(eos::Base64Size(in.size()), u'\0');
  for (auto _ : state) {
    eos::Base64Encode(in.data(), in.size(), out.data());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * out.size() * sizeof(char16_t)));
}

void Memcpy(benchmark::State& state) {
  const std::u16string from(eos::Base64Size(kPictureBytes), u'A');
  std::u16string to(from.size(), u'\0');
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(char16_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * to.size() * sizeof(char16_t)));
}

// The console's figures, and at the end the ratio of the two.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) time_[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    if (time_.count("Encode") && time_.count("Memcpy"))
      std::printf("Base64 into UTF-16 runs at %.2f of memcpy's speed (goal >= 0.33)\n",
                  time_["Memcpy"] / time_["Encode"]);
  }

 private:
  std::map<std::string, double> time_;
};

}  // namespace

BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(Encode)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
}
