// What the simulated camera does: read from a small text file or an environment text.
//
//   # comment (also after a value, following a blank)
//   camera = Canon EOS 5D Mark III        one line per camera (default: one such camera)
//   cameras = 2                           number of cameras (named by the camera lines,
//                                         the rest take the default name)
//   subtype = 0                           deviceSubType (0: a camera of the older protocol)
//   live_view = no                        the camera has no live view
//   live_view_off_while_shooting = yes    live view stops while a picture is taken
//   live_view_rate = 30                   frames a second the camera makes (1 to 60):
//                                         a download gets the newest frame made and
//                                         not fetched yet (the ones between are lost),
//                                         else answers 0x0000A102 (object not ready);
//                                         without it a download gets a frame each time
//   live_view_start = MILLISECONDS        the time (up to 60000) from live view going
//                                         on (its mode on and the computer among its
//                                         outputs) to its first frame; downloads before
//                                         it answer 0x0000A102. Live view going off and
//                                         on again starts anew. With either key every
//                                         frame carries the comment "eos-sim frame K
//                                         ready T": its number K since live view went
//                                         on and the microseconds T of the steady clock
//                                         when it was ready by the camera's pace
//   remote = no                           no remote shooting: writing kEdsPropID_SaveTo
//                                         with the computer as a destination answers
//                                         0x00000007
//   battery = mains | 80 | 49 | 9 | N     battery level (mains: 0xFFFFFFFF)
//   focus = fails                         taking a picture answers 0x00008D01
//   refuse = ENTRY[:ARG] N[-M|-] [CODE]   calls N to M of ENTRY (with first argument
//                                         ARG: property or command) answer CODE
//                                         (default 0x00000081, device busy)
//   busy = ENTRY[:ARG] N[-M|-]            the same with the busy code
//   event = NAME after ENTRY[:ARG] N      a state event posted after the N-th call:
//                                         shutdown, will_soon_shut_down, capture_error,
//                                         internal_error, or a number
//   unplug = after ENTRY[:ARG] N [back after MILLISECONDS [repeat R]]
//                                         the cables of the cameras are pulled after the
//                                         N-th call: a shutdown event, the cameras leave
//                                         the camera list, what they held for the host is
//                                         lost, and every later call through them that
//                                         needs a camera answers 0x000000C1 (closing the
//                                         session and releasing still work). With back
//                                         after they are listed again that long after
//                                         the pull, as cameras to open anew: references
//                                         from before stay disconnected. With repeat
//                                         they are pulled again after the N-th such call
//                                         since their return, R more times
//   sleep_after = MILLISECONDS [back after MILLISECONDS]
//                                         while a session is open, the cameras switch
//                                         themselves off that long after it opened or
//                                         after the last keep-alive command (command
//                                         0x01, extend the shut-down timer): a
//                                         will_soon_shut_down event halfway (its data
//                                         the seconds left), then as a pulled cable;
//                                         with back after they are on again that long
//                                         after
//   back_as = Canon EOS 90D               the model that comes back in the first camera's
//                                         place, a line per return (the last one for
//                                         the later returns); another model brings a
//                                         card with the card_file lines, the same model
//                                         keeps its card, file numbers and frame count;
//                                         both start with the scenario's values
//   delay = ENTRY[:ARG] MILLISECONDS      every such call takes that long to answer
//   transfer_speed = BYTES_PER_SECOND     downloads take their time (0: at once)
//   picture_size = WIDTHxHEIGHT           size of every picture taken and stored
//                                         (default: by image quality; stored 1280x853)
//   picture_bytes = N                     every picture taken is padded to N bytes with
//                                         filler segments a decoder skips, so a picture
//                                         of a camera's file size costs nothing to render
//   live_view_picture = PATH              a JPEG or PNG photo (up to 16384 pixels a side
//                                         and 40 megapixels; relative to the current
//                                         folder) on mid-grey in place of the scene, in
//                                         live view and in the pictures taken, sharp
//                                         unless blur says otherwise; a PNG's
//                                         transparent parts show the backdrop; without
//                                         subject lines it covers the picture, centred,
//                                         its overflow cut off
//   subject = X Y SCALE [ROLL] [after FRAMES]
//                                         where the photo stands: its centre at X, Y
//                                         (fractions of the picture's width and height,
//                                         -1 to 2), its height SCALE times the picture's
//                                         (0.01 to 20), turned ROLL degrees clockwise;
//                                         from the camera's frame FRAMES on (each live-
//                                         view frame and each shot is one) to the next
//                                         line's; before the first line's, the backdrop alone
//   backdrop = LEFT [RIGHT]               the grey the photo stands on (0 to 255, default
//                                         128), a ramp from the picture's left edge to
//                                         its right one: it shows around the photo and
//                                         through a PNG's transparent parts
//   exposure = STOPS                      the photo's picture darker (below 0) or
//                                         brighter, -8 to 8 stops, its samples scaled and
//                                         clipped to white
//   blur = RADIUS                         the photo's picture out of focus: blurred by
//                                         RADIUS times its height (0 to 0.1)
//   card = no                             no memory card
//   card_file = DCIM\100CANON\IMG_0001.JPG  a file already on the card
//   owner = NAME, firmware = TEXT, body_id = TEXT, shots = N, clock_type = N
//   copies = FOLDER                       every picture taken is also written there under
//                                         its own name, to compare downloads with
//   trace = PATH                          where the books and the trace of calls go
//                                         (appended; relative to the current folder)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace eos::sim {

inline constexpr char kDefaultCameraName[] = "Canon EOS 5D Mark III";
inline constexpr uint32_t kBusyCode = 0x00000081;
inline constexpr uint32_t kFocusFailedCode = 0x00008D01;
inline constexpr uint32_t kMainsPower = 0xFFFFFFFF;
inline constexpr uint32_t kShutdownEvent = 0x301;
inline constexpr uint32_t kWillSoonShutDownEvent = 0x303;
inline constexpr uint32_t kDisconnectedCode = 0x000000C1;

// Which calls a rule applies to: an entry point's name and, optionally, its first
// numeric argument (a property ID or a command).
struct CallMatch {
  std::string entry;
  std::optional<uint32_t> arg;
  bool Matches(std::string_view name, std::optional<uint32_t> first) const;
};

struct Refusal {
  CallMatch call;
  uint32_t first = 1;  // call numbers counted from 1, inclusive
  uint32_t last = 1;
  uint32_t code = kBusyCode;
};

struct EventRule {
  CallMatch call;
  uint32_t nth = 1;
  uint32_t event = 0;
};

// A pulled cable: after the nth call, and back some time after, again and again.
struct PulledCable {
  CallMatch call;
  uint32_t nth = 1;
  std::optional<uint32_t> back_ms;  // none: gone for good
  uint32_t repeats = 0;
};

// A camera that switches itself off without the keep-alive command.
struct AutoPowerOff {
  uint32_t after_ms = 0;
  std::optional<uint32_t> back_ms;
};

// Where the photo stands in a picture, from a frame of the camera on.
struct Placement {
  double x = 0.5;  // its centre, as fractions of the picture's width and height
  double y = 0.5;
  double scale = 1;  // its height over the picture's
  double roll = 0;   // degrees, clockwise
  uint32_t from_frame = 0;
};

// Mid-grey: nothing in it for a face detector or an exposure meter to take hold of.
inline constexpr uint8_t kPhotoBackground = 128;

// How the camera sees the photo beyond its placement: the backdrop it stands on, and the
// picture's exposure and focus.
struct PhotoLook {
  uint8_t backdrop_left = kPhotoBackground;   // the backdrop's grey at the picture's left and
  uint8_t backdrop_right = kPhotoBackground;  // right edges, a straight ramp between
  double exposure = 0;                        // in stops: each sample times 2^exposure, clipped
  double blur = 0;                            // the blur's radius over the picture's height
};

struct CallDelay {
  CallMatch call;
  uint32_t ms = 0;
};

struct Scenario {
  std::vector<std::string> cameras{kDefaultCameraName};
  uint32_t device_sub_type = 1;
  bool live_view = true;
  bool live_view_off_while_shooting = false;
  uint32_t live_view_rate = 0;                 // frames a second; 0: one per download
  std::optional<uint32_t> live_view_start_ms;  // from live view on to its first frame
  bool remote = true;
  uint32_t battery_level = kMainsPower;
  bool focus_fails = false;
  std::vector<Refusal> refusals;
  std::vector<EventRule> events;
  std::optional<PulledCable> unplug;
  std::optional<AutoPowerOff> sleep;
  std::vector<std::string> back_as;
  std::vector<CallDelay> delays;
  uint32_t transfer_bytes_per_second = 0;
  int picture_width = 0;  // 0: from the image-quality setting
  int picture_height = 0;
  uint32_t picture_bytes = 0;  // 0: as encoded
  std::string picture_path;    // the photo shown in place of the scene
  int picture_line = 0;        // the line that names it, for the message when it cannot be read
  std::vector<Placement> subjects;
  PhotoLook look;
  bool card = true;
  std::vector<std::string> card_files;
  std::string owner = "EOS Simulator";
  std::string firmware = "1.2.3";
  std::string body_id = "0123456789";
  uint32_t available_shots = 999;
  uint32_t clock_type = 23;
  std::string trace_path;
  std::string copies_folder;

  // Whether live view makes its frames at a pace of its own (and marks them).
  bool LiveViewPaced() const { return live_view_rate != 0 || live_view_start_ms.has_value(); }
};

// Parses a scenario text; on failure `error` names the line and what is wrong, and the
// result is empty.
std::optional<Scenario> ParseScenario(std::string_view text, std::string* error);

// The keys a scenario text may use, in the order of the list above.
std::vector<std::string_view> ScenarioKeys();

// How long a call of `entry` (with first argument `arg`) waits before it answers.
uint32_t CallDelayMs(const Scenario& scenario, std::string_view entry, std::optional<uint32_t> arg);

// Whether a call of `entry` through a camera, a volume or a directory item reaches the
// camera or its card, which a camera that is gone cannot answer. Releasing, streams in
// the computer's memory, camera lists and the SDK's own bookkeeping need no camera.
bool NeedsTheCamera(std::string_view entry);

// Where the photo stands in the camera's frame `frame`: the last subject line whose frame
// has come; null before the first one's.
const Placement* PlacementAt(const std::vector<Placement>& subjects, uint32_t frame);

// Counts the calls of every entry point and tells which answer a scenario gives.
class CallCounter {
 public:
  explicit CallCounter(const Scenario* scenario) : scenario_(scenario) {}
  // Counts a call; returns the refusal code for it, or 0 when it may go ahead. The
  // state events due after it are appended to `events`.
  uint32_t Count(std::string_view entry, std::optional<uint32_t> arg, std::vector<uint32_t>* events);

 private:
  struct Tally {
    CallMatch call;
    uint32_t calls = 0;
  };
  uint32_t Next(std::string_view entry, std::optional<uint32_t> arg);
  const Scenario* scenario_;
  std::vector<Tally> tallies_;
};

}  // namespace eos::sim
