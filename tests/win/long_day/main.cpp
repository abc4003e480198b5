// long_day [CAPTURES [RELOADS]]: the long day in full (default 1,000 captures, then 100
// reloads with a capture each) with pictures of a camera's size; prints what the process
// holds at the start and the end of the day. Figures only: nothing is asserted.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tests/win/long_day/long_day.h"

using eos::test::Mean;
using eos::test::ProcessCounters;

int main(int argc, char** argv) {
  const int captures = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int reloads = argc > 2 ? std::atoi(argv[2]) : 100;
  const char* scenario = std::getenv("EOS_LONG_DAY_PICTURES");
  const DWORD start = GetTickCount();
  const eos::test::LongDay day =
      eos::test::RunLongDay(captures, reloads, scenario ? scenario : "picture_size = 5184x3456\n", [&](int done) {
        if (done % 100 == 0) std::fprintf(stderr, "%d captures, %.0f s\n", done, (GetTickCount() - start) / 1000.0);
      });
  const size_t n = day.samples.size(), window = std::max<size_t>(1, std::min<size_t>(100, n / 10));
  const auto row = [](const char* label, const ProcessCounters& c) {
    std::printf("%-26s GDI %4lu  USER %4lu  handles %5lu  threads %3lu  private %7.1f MB\n", label, c.gdi, c.user,
                c.handles, c.threads, c.private_mb);
  };
  std::printf("long day: %d captures, %d reloads with a capture each, %d failed, %.0f s\n", captures, reloads,
              day.failed, (GetTickCount() - start) / 1000.0);
  if (day.failed) std::printf("first failure: %s\n", day.first_failure.c_str());

  const size_t c = static_cast<size_t>(captures);
  row("first captures (mean)", Mean(day.samples, 0, std::min(window, c)));
  row("last captures (mean)", Mean(day.samples, c - std::min(window, c), c));
  if (reloads > 0) {
    const size_t tenth = std::max<size_t>(1, static_cast<size_t>(reloads) / 10);
    row("first reloads (mean)", Mean(day.samples, c, c + tenth));
    row("last reloads (mean)", Mean(day.samples, n - tenth, n));
    const double growth =
        (static_cast<double>(day.samples.back().handles) - day.samples[c].handles) / std::max(1, reloads - 1);
    std::printf("handles per reload: %+.1f\n", growth);
  }
  return day.failed == 0 ? 0 : 1;
}
