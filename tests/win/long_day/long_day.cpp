#include "tests/win/long_day/long_day.h"

#include <algorithm>

#include "base/paramtext.h"
#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"

namespace eos::test {

ProcessCounters Mean(const std::vector<ProcessCounters>& samples, size_t from, size_t to) {
  ProcessCounters sum;
  double gdi = 0, user = 0, handles = 0, threads = 0;
  to = std::min(to, samples.size());
  for (size_t i = from; i < to; ++i) {
    gdi += samples[i].gdi;
    user += samples[i].user;
    handles += samples[i].handles;
    threads += samples[i].threads;
    sum.private_mb += samples[i].private_mb;
  }
  const double n = to > from ? static_cast<double>(to - from) : 1.0;
  sum.gdi = static_cast<DWORD>(gdi / n + 0.5);
  sum.user = static_cast<DWORD>(user / n + 0.5);
  sum.handles = static_cast<DWORD>(handles / n + 0.5);
  sum.threads = static_cast<DWORD>(threads / n + 0.5);
  sum.private_mb /= n;
  return sum;
}

LongDay RunLongDay(int captures, int reloads, const std::string& picture_scenario,
                   const std::function<void(int done)>& progress) {
  LongDay day;
  day.captures = captures;
  day.reloads = reloads;
  const StandInCamera camera(picture_scenario);
  TempDir dir;
  PluginCopy plugin;
  const Text input = u"File=" + dir.path() + u"desk.jpg";
  // Settings from the host: the registry's (a countdown, say) would set the day's pace.
  const auto no_stored_settings = [&] { plugin.Call(4, u""); };
  no_stored_settings();
  const auto capture = [&] {
    const CallResult r = plugin.Call(11, input);
    if (r.result != 0 || !HasParam(u"Base64", r.text)) {
      if (day.failed++ == 0) day.first_failure = ToUtf8(r.text.substr(0, 200));
    }
    day.samples.push_back(ReadProcessCounters());
    if (progress) progress(static_cast<int>(day.samples.size()));
  };
  for (int i = 0; i < captures; ++i) capture();
  for (int i = 0; i < reloads; ++i) {
    plugin.Call(9, u"");  // what a host does before it unloads the plug-in
    plugin.Reload();
    no_stored_settings();
    capture();
  }
  plugin.Call(9, u"");
  return day;
}

}  // namespace eos::test
