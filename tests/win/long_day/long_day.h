// A long day at a photo-ID desk in one host process: many captures through the export,
// then the plug-in unloaded and loaded again, a capture each time, with what the process
// holds (GDI and USER objects, handles, threads, private bytes) read after every capture.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/win/support/process_counters.h"

namespace eos::test {

struct LongDay {
  int captures = 0;  // asked for
  int reloads = 0;
  int failed = 0;  // captures that did not answer a picture
  std::string first_failure;
  // After each capture, in order: the captures first, then one per reload.
  std::vector<ProcessCounters> samples;
};

// Runs the day against the stand-in camera with pictures of `picture_scenario`'s size.
LongDay RunLongDay(int captures, int reloads, const std::string& picture_scenario,
                   const std::function<void(int done)>& progress = nullptr);

// The mean of samples [from, to).
ProcessCounters Mean(const std::vector<ProcessCounters>& samples, size_t from, size_t to);

}  // namespace eos::test
