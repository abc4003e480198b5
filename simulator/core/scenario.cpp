#include "simulator/core/scenario.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace eos::sim {
namespace {

struct NamedEvent {
  std::string_view name;
  uint32_t code;
};
// The camera state events a scenario can raise by name.
constexpr std::array<NamedEvent, 4> kEventNames = {{
    {"shutdown", kShutdownEvent},
    {"will_soon_shut_down", kWillSoonShutDownEvent},
    {"capture_error", 0x305},
    {"internal_error", 0x306},
}};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Decimal, or hexadecimal after "0x"; the whole text must be the number.
std::optional<uint32_t> Number(std::string_view s) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  uint32_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

// A decimal fraction such as "0.5", "-12" or "1e-2" within [low, high].
std::optional<double> Real(std::string_view s, double low, double high) {
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !(v >= low && v <= high)) return std::nullopt;
  return v;
}

std::optional<bool> YesNo(std::string_view s) {
  const std::string v = Lower(s);
  if (v == "yes" || v == "true" || v == "1" || v == "on") return true;
  if (v == "no" || v == "false" || v == "0" || v == "off") return false;
  return std::nullopt;
}

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> out;
  while (true) {
    s = Trim(s);
    if (s.empty()) return out;
    size_t end = 0;
    while (end < s.size() && !std::isspace(static_cast<unsigned char>(s[end]))) ++end;
    out.push_back(s.substr(0, end));
    s.remove_prefix(end);
  }
}

// "EdsSetPropertyData" or "EdsSetPropertyData:0x500".
std::optional<CallMatch> Call(std::string_view s) {
  CallMatch m;
  const size_t colon = s.find(':');
  m.entry = std::string(s.substr(0, colon));
  if (m.entry.empty() || m.entry.find_first_not_of(
                             "_@abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") != std::string::npos)
    return std::nullopt;
  if (colon != std::string_view::npos) {
    m.arg = Number(s.substr(colon + 1));
    if (!m.arg) return std::nullopt;
  }
  return m;
}

// "3", "3-5" or "3-" (from the third call on).
bool Range(std::string_view s, Refusal* r) {
  const size_t dash = s.find('-');
  const auto first = Number(s.substr(0, dash));
  if (!first || *first == 0) return false;
  r->first = *first;
  if (dash == std::string_view::npos) {
    r->last = *first;
    return true;
  }
  if (dash + 1 == s.size()) {
    r->last = std::numeric_limits<uint32_t>::max();
    return true;
  }
  const auto last = Number(s.substr(dash + 1));
  if (!last || *last < *first) return false;
  r->last = *last;
  return true;
}

// What a line of the scenario text reads into: the scenario, and whether camera lines
// have replaced the default camera yet.
struct Reading {
  Scenario& sc;
  bool named_cameras = false;
  int line = 0;  // the line being read
  int first_subject_line = 0;
  int first_back_as_line = 0;
};

// Each key's reader puts its value into the scenario, or answers what is wrong with it.
using Reader = std::string (*)(std::string_view value, Reading& r);

constexpr char kYesOrNo[] = "expected yes or no";
constexpr char kANumber[] = "expected a number";

// A value `parse` reads into one field; `expected` says what it should have been.
template <auto field, auto parse, const char* expected>
std::string Parsed(std::string_view value, Reading& r) {
  const auto v = parse(value);
  if (!v) return expected;
  r.sc.*field = *v;
  return {};
}
template <bool Scenario::*field>
constexpr Reader kFlag = Parsed<field, YesNo, kYesOrNo>;
template <uint32_t Scenario::*field>
constexpr Reader kNumber = Parsed<field, Number, kANumber>;

// A value kept as it stands.
template <std::string Scenario::*field>
std::string Verbatim(std::string_view value, Reading& r) {
  if (value.size() > 250) return "text too long";
  r.sc.*field = std::string(value);
  return {};
}

std::string Camera(std::string_view value, Reading& r) {
  if (value.empty()) return "a camera needs a product name";
  if (!r.named_cameras) r.sc.cameras.clear();
  r.named_cameras = true;
  r.sc.cameras.emplace_back(value);
  return {};
}

std::string Cameras(std::string_view value, Reading& r) {
  const auto n = Number(value);
  if (!n || *n > 16) return "expected a number of cameras from 0 to 16";
  r.sc.cameras.resize(*n, kDefaultCameraName);
  r.named_cameras = true;
  return {};
}

std::string Battery(std::string_view value, Reading& r) {
  if (Lower(value) == "mains") {
    r.sc.battery_level = kMainsPower;
    return {};
  }
  return kNumber<&Scenario::battery_level>(value, r);
}

std::string Focus(std::string_view value, Reading& r) {
  const std::string v = Lower(value);
  if (v != "fails" && v != "works") return "expected fails or works";
  r.sc.focus_fails = v == "fails";
  return {};
}

std::string LiveViewRate(std::string_view value, Reading& r) {
  const auto n = Number(value);
  if (!n || *n < 1 || *n > 60) return "expected frames a second from 1 to 60";
  r.sc.live_view_rate = *n;
  return {};
}

std::string LiveViewStart(std::string_view value, Reading& r) {
  const auto ms = Number(value);
  if (!ms || *ms > 60000) return "expected milliseconds from 0 to 60000";
  r.sc.live_view_start_ms = *ms;
  return {};
}

std::string PictureSize(std::string_view value, Reading& r) {
  const std::string v = Lower(value);
  const size_t x = v.find('x');
  const auto w = Number(std::string_view(v).substr(0, x));
  const auto h = x == std::string::npos ? std::nullopt : Number(std::string_view(v).substr(x + 1));
  if (!w || !h || *w < 8 || *h < 8 || *w > 8192 || *h > 8192) return "expected WIDTHxHEIGHT from 8 to 8192";
  r.sc.picture_width = static_cast<int>(*w);
  r.sc.picture_height = static_cast<int>(*h);
  return {};
}

// Up to 512 MB, which a 32-bit host can still take into memory.
std::string PictureBytes(std::string_view value, Reading& r) {
  const auto n = Number(value);
  if (!n || *n > (512u << 20)) return "expected a number of bytes up to 536870912";
  r.sc.picture_bytes = *n;
  return {};
}

// "ENTRY[:ARG] N[-M|-] [CODE]"; a busy rule has no code of its own.
std::string Refuse(std::string_view value, Reading& r, bool busy) {
  const auto words = Words(value);
  const size_t want = busy ? 2 : 3;
  if (words.size() < 2 || words.size() > want)
    return "expected ENTRY[:ARG] N[-M] " + std::string(want == 3 ? "[CODE]" : "");
  Refusal refusal;
  const auto call = Call(words[0]);
  if (!call) return "bad entry point \"" + std::string(words[0]) + "\"";
  refusal.call = *call;
  if (!Range(words[1], &refusal)) return "bad call numbers \"" + std::string(words[1]) + "\"";
  if (words.size() == 3) {
    const auto code = Number(words[2]);
    if (!code || *code == 0) return "bad result code \"" + std::string(words[2]) + "\"";
    refusal.code = *code;
  }
  r.sc.refusals.push_back(refusal);
  return {};
}

// "ENTRY[:ARG] MILLISECONDS".
std::string Delay(std::string_view value, Reading& r) {
  const auto words = Words(value);
  if (words.size() != 2) return "expected ENTRY[:ARG] MILLISECONDS";
  const auto call = Call(words[0]);
  if (!call) return "bad entry point \"" + std::string(words[0]) + "\"";
  const auto ms = Number(words[1]);
  if (!ms || *ms > 60000) return "expected milliseconds up to 60000";
  r.sc.delays.push_back({*call, *ms});
  return {};
}

// "ENTRY[:ARG] N" of an event's "after" clause.
std::string After(std::string_view entry, std::string_view nth, EventRule* e) {
  const auto call = Call(entry);
  const auto n = Number(nth);
  if (!call) return "bad entry point \"" + std::string(entry) + "\"";
  if (!n || *n == 0) return "bad call number \"" + std::string(nth) + "\"";
  e->call = *call;
  e->nth = *n;
  return {};
}

std::string Event(std::string_view value, Reading& r) {
  const auto words = Words(value);
  if (words.size() != 4 || Lower(words[1]) != "after") return "expected NAME after ENTRY[:ARG] N";
  EventRule e;
  const std::string name = Lower(words[0]);
  const auto named =
      std::find_if(kEventNames.begin(), kEventNames.end(), [&](const NamedEvent& n) { return n.name == name; });
  if (named != kEventNames.end()) {
    e.event = named->code;
  } else if (const auto code = Number(words[0])) {
    e.event = *code;
  } else {
    return "unknown event \"" + std::string(words[0]) + "\"";
  }
  std::string error = After(words[2], words[3], &e);
  if (error.empty()) r.sc.events.push_back(e);
  return error;
}

// "back after MILLISECONDS" from `words[at]` on, into `ms`; what is wrong, or nothing.
std::string BackAfter(const std::vector<std::string_view>& words, size_t at, const char* form,
                      std::optional<uint32_t>* ms) {
  if (words.size() < at + 3 || Lower(words[at]) != "back" || Lower(words[at + 1]) != "after") return form;
  const auto v = Number(words[at + 2]);
  if (!v || *v > 600000) return "expected back after MILLISECONDS up to 600000";
  *ms = v;
  return {};
}

// "after ENTRY[:ARG] N [back after MILLISECONDS [repeat R]]".
std::string Unplug(std::string_view value, Reading& r) {
  constexpr char kForm[] = "expected after ENTRY[:ARG] N [back after MILLISECONDS [repeat R]]";
  const auto words = Words(value);
  if ((words.size() != 3 && words.size() != 6 && words.size() != 8) || Lower(words[0]) != "after") return kForm;
  EventRule pull;
  if (std::string error = After(words[1], words[2], &pull); !error.empty()) return error;
  PulledCable u{pull.call, pull.nth, std::nullopt, 0};
  if (words.size() > 3)
    if (std::string error = BackAfter(words, 3, kForm, &u.back_ms); !error.empty()) return error;
  if (words.size() == 8) {
    if (Lower(words[6]) != "repeat") return kForm;
    const auto repeats = Number(words[7]);
    if (!repeats || *repeats == 0 || *repeats > 1000000) return "expected repeat N from 1 to 1000000";
    u.repeats = *repeats;
  }
  r.sc.unplug = u;
  return {};
}

// "MILLISECONDS [back after MILLISECONDS]".
std::string SleepAfter(std::string_view value, Reading& r) {
  constexpr char kForm[] = "expected MILLISECONDS [back after MILLISECONDS]";
  const auto words = Words(value);
  if (words.size() != 1 && words.size() != 4) return kForm;
  const auto ms = Number(words[0]);
  if (!ms || *ms < 10 || *ms > 3600000) return "expected milliseconds from 10 to 3600000";
  AutoPowerOff sleep{*ms, std::nullopt};
  if (words.size() == 4)
    if (std::string error = BackAfter(words, 1, kForm, &sleep.back_ms); !error.empty()) return error;
  r.sc.sleep = sleep;
  return {};
}

std::string BackAs(std::string_view value, Reading& r) {
  if (value.empty() || value.size() > 250) return "expected a product name";
  if (r.first_back_as_line == 0) r.first_back_as_line = r.line;
  r.sc.back_as.emplace_back(value);
  return {};
}

std::string LiveViewPicture(std::string_view value, Reading& r) {
  if (value.empty() || value.size() > 1000) return "expected the path of a JPEG or PNG file";
  r.sc.picture_path = std::string(value);
  r.sc.picture_line = r.line;
  return {};
}

// "X Y SCALE [ROLL] [after FRAMES]".
std::string Subject(std::string_view value, Reading& r) {
  auto words = Words(value);
  Placement p;
  if (words.size() >= 5 && Lower(words[words.size() - 2]) == "after") {
    const auto frame = Number(words.back());
    if (!frame) return "bad frame number \"" + std::string(words.back()) + "\"";
    p.from_frame = *frame;
    words.resize(words.size() - 2);
  }
  if (words.size() != 3 && words.size() != 4) return "expected X Y SCALE [ROLL] [after FRAMES]";
  const auto x = Real(words[0], -1, 2), y = Real(words[1], -1, 2);
  if (!x || !y) return "expected X and Y from -1 to 2 (fractions of the picture)";
  const auto scale = Real(words[2], 0.01, 20);
  if (!scale) return "expected SCALE from 0.01 to 20 (the photo's height over the picture's)";
  const auto roll = words.size() == 4 ? Real(words[3], -360, 360) : 0.0;
  if (!roll) return "expected ROLL from -360 to 360 degrees";
  if (!r.sc.subjects.empty() && p.from_frame <= r.sc.subjects.back().from_frame)
    return "subject lines go in the order of their frames, each after the one before";
  p.x = *x;
  p.y = *y;
  p.scale = *scale;
  p.roll = *roll;
  if (r.first_subject_line == 0) r.first_subject_line = r.line;
  r.sc.subjects.push_back(p);
  return {};
}

// "LEFT [RIGHT]": grey levels.
std::string Backdrop(std::string_view value, Reading& r) {
  const auto words = Words(value);
  if (words.size() != 1 && words.size() != 2) return "expected LEFT [RIGHT] grey levels from 0 to 255";
  const auto left = Number(words[0]), right = Number(words.back());
  if (!left || !right || *left > 255 || *right > 255) return "expected LEFT [RIGHT] grey levels from 0 to 255";
  r.sc.look.backdrop_left = static_cast<uint8_t>(*left);
  r.sc.look.backdrop_right = static_cast<uint8_t>(*right);
  return {};
}

std::string Exposure(std::string_view value, Reading& r) {
  const auto stops = Real(value, -8, 8);
  if (!stops) return "expected STOPS from -8 to 8";
  r.sc.look.exposure = *stops;
  return {};
}

std::string Blur(std::string_view value, Reading& r) {
  const auto radius = Real(value, 0, 0.1);
  if (!radius) return "expected RADIUS from 0 to 0.1 (of the picture's height)";
  r.sc.look.blur = *radius;
  return {};
}

std::string CardFile(std::string_view value, Reading& r) {
  if (value.empty() || value.size() > 250) return "expected a file path on the card";
  r.sc.card_files.emplace_back(value);
  return {};
}

struct Key {
  std::string_view name;
  Reader read;
};

// Every key a scenario knows, as the list in scenario.h describes them.
constexpr Key kKeys[] = {
    {"camera", Camera},
    {"cameras", Cameras},
    {"subtype", kNumber<&Scenario::device_sub_type>},
    {"live_view", kFlag<&Scenario::live_view>},
    {"live_view_off_while_shooting", kFlag<&Scenario::live_view_off_while_shooting>},
    {"live_view_rate", LiveViewRate},
    {"live_view_start", LiveViewStart},
    {"remote", kFlag<&Scenario::remote>},
    {"battery", Battery},
    {"focus", Focus},
    {"refuse", [](std::string_view value, Reading& r) { return Refuse(value, r, false); }},
    {"busy", [](std::string_view value, Reading& r) { return Refuse(value, r, true); }},
    {"event", Event},
    {"unplug", Unplug},
    {"sleep_after", SleepAfter},
    {"back_as", BackAs},
    {"delay", Delay},
    {"transfer_speed", kNumber<&Scenario::transfer_bytes_per_second>},
    {"picture_size", PictureSize},
    {"picture_bytes", PictureBytes},
    {"live_view_picture", LiveViewPicture},
    {"subject", Subject},
    {"backdrop", Backdrop},
    {"exposure", Exposure},
    {"blur", Blur},
    {"card", kFlag<&Scenario::card>},
    {"card_file", CardFile},
    {"owner", Verbatim<&Scenario::owner>},
    {"firmware", Verbatim<&Scenario::firmware>},
    {"body_id", Verbatim<&Scenario::body_id>},
    {"shots", kNumber<&Scenario::available_shots>},
    {"clock_type", kNumber<&Scenario::clock_type>},
    {"copies", Verbatim<&Scenario::copies_folder>},
    {"trace", Verbatim<&Scenario::trace_path>},
};

// One "key = value" line into the scenario; the error text says what is wrong.
std::string Apply(const std::string& key, std::string_view value, Reading& r) {
  for (const Key& k : kKeys)
    if (k.name == key) return k.read(value, r);
  return "unknown key \"" + key + "\"";
}

}  // namespace

std::optional<Scenario> ParseScenario(std::string_view text, std::string* error) {
  Scenario sc;
  Reading reading{sc};
  auto fail = [error](int line, const std::string& message) {
    if (error) *error = "scenario line " + std::to_string(line) + ": " + message;
    return std::nullopt;
  };
  int line_no = 0;
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    reading.line = ++line_no;
    // A comment runs from "#" at the start of the line or after a blank to its end.
    for (size_t hash = line.find('#'); hash != std::string_view::npos; hash = line.find('#', hash + 1)) {
      if (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t') {
        line = line.substr(0, hash);
        break;
      }
    }
    line = Trim(line);
    if (line.empty()) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return fail(line_no, "expected key = value");
    const std::string message = Apply(Lower(Trim(line.substr(0, eq))), Trim(line.substr(eq + 1)), reading);
    if (!message.empty()) return fail(line_no, message);
  }
  // Lines that mean nothing without another one.
  if (!sc.subjects.empty() && sc.picture_path.empty())
    return fail(reading.first_subject_line, "subject lines place a live_view_picture, which is missing");
  const bool comes_back = (sc.unplug && sc.unplug->back_ms) || (sc.sleep && sc.sleep->back_ms);
  if (!sc.back_as.empty() && !comes_back)
    return fail(reading.first_back_as_line, "back_as needs a camera that comes back (back after)");
  return sc;
}

std::vector<std::string_view> ScenarioKeys() {
  std::vector<std::string_view> out;
  for (const Key& k : kKeys) out.push_back(k.name);
  return out;
}

bool CallMatch::Matches(std::string_view name, std::optional<uint32_t> first) const {
  return entry == name && (!arg || arg == first);
}

uint32_t CallDelayMs(const Scenario& scenario, std::string_view entry, std::optional<uint32_t> arg) {
  uint32_t ms = 0;
  for (const CallDelay& d : scenario.delays)
    if (d.call.Matches(entry, arg)) ms += d.ms;
  return ms;
}

bool NeedsTheCamera(std::string_view entry) {
  static constexpr std::string_view kEntries[] = {
      "EdsGetChildCount",   "EdsGetChildAtIndex",      "EdsGetPropertySize",     "EdsGetPropertyData",
      "EdsSetPropertyData", "EdsGetPropertyDesc",      "EdsGetDeviceInfo",       "EdsOpenSession",
      "EdsSendCommand",     "EdsSendStatusCommand",    "EdsSetCapacity",         "EdsGetVolumeInfo",
      "EdsFormatVolume",    "EdsGetDirectoryItemInfo", "EdsDeleteDirectoryItem", "EdsDownload",
      "EdsDownloadCancel",  "EdsDownloadComplete",     "EdsDownloadThumbnail",   "EdsGetAttribute",
      "EdsSetAttribute",    "EdsDownloadEvfImage",
  };
  return std::find(std::begin(kEntries), std::end(kEntries), entry) != std::end(kEntries);
}

const Placement* PlacementAt(const std::vector<Placement>& subjects, uint32_t frame) {
  const auto after = std::upper_bound(subjects.begin(), subjects.end(), frame,
                                      [](uint32_t f, const Placement& p) { return f < p.from_frame; });
  return after == subjects.begin() ? nullptr : &*std::prev(after);
}

uint32_t CallCounter::Next(std::string_view entry, std::optional<uint32_t> arg) {
  for (Tally& t : tallies_)
    if (t.call.entry == entry && t.call.arg == arg) return ++t.calls;
  tallies_.push_back({{std::string(entry), arg}, 1});
  return 1;
}

uint32_t CallCounter::Count(std::string_view entry, std::optional<uint32_t> arg, std::vector<uint32_t>* events) {
  const uint32_t n = Next(entry, std::nullopt);
  const uint32_t n_arg = arg ? Next(entry, arg) : 0;
  auto number_for = [&](const CallMatch& m) -> uint32_t {
    if (m.entry != entry) return 0;
    if (!m.arg) return n;
    return m.arg == arg ? n_arg : 0;
  };
  for (const EventRule& e : scenario_->events)
    if (number_for(e.call) == e.nth && events) events->push_back(e.event);
  for (const Refusal& r : scenario_->refusals) {
    const uint32_t k = number_for(r.call);
    if (k != 0 && k >= r.first && k <= r.last) return r.code;
  }
  return 0;
}

}  // namespace eos::sim
