// Scenario texts come from a file or an environment variable anyone can edit: parsing
// must answer every text with a scenario or a message, and a parsed scenario must
// count calls without trouble.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/core/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto scenario = eos::sim::ParseScenario(text, &error);
  if (!scenario) {
    if (error.rfind("scenario line ", 0) != 0) __builtin_trap();
    return 0;
  }
  eos::sim::CallCounter counter(&*scenario);
  std::vector<uint32_t> events;
  for (const auto& r : scenario->refusals)
    for (int i = 0; i < 3; ++i) counter.Count(r.call.entry, r.call.arg, &events);
  for (const auto& e : scenario->events) counter.Count(e.call.entry, e.call.arg, &events);
  return 0;
}
