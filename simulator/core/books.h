// The stand-in's books: references handed out and released per kind, sessions opened
// and closed, and a trace of every call, appended to a file a test can read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/cfile.h"

namespace eos::sim {

// Every kind of reference the SDK hands out: (enumerator, name in the trace).
#define EOS_SIM_REF_KINDS(X)         \
  X(CameraList, "camera list")       \
  X(Camera, "camera")                \
  X(Volume, "volume")                \
  X(DirectoryItem, "directory item") \
  X(Stream, "stream")                \
  X(Image, "image")                  \
  X(EvfImage, "live-view image")

enum class RefKind : uint8_t {
#define EOS_SIM_ENUM(e, name) e,
  EOS_SIM_REF_KINDS(EOS_SIM_ENUM)
#undef EOS_SIM_ENUM
};

#define EOS_SIM_COUNT(e, name) +1
inline constexpr size_t kRefKindCount = 0 EOS_SIM_REF_KINDS(EOS_SIM_COUNT);
#undef EOS_SIM_COUNT

std::string_view RefKindName(RefKind kind);

class Books {
 public:
  Books() = default;
  Books(const Books&) = delete;
  Books& operator=(const Books&) = delete;

  // Starts a new set of books; the trace goes to `trace_path` (appended), or nowhere
  // when it is empty. False when the trace file cannot be written.
  //
  // A line per call, "EdsSetPropertyData(#2, 0x405, 0, 0x4, ptr) = 0x00000000":
  // references as #number, unsigned numbers in hexadecimal, signed ones in decimal,
  // texts quoted, other pointers as ptr or null, then the result. A line per event
  // delivered, "event object(0x208, #7)", "event property(0x101, 0x500)",
  // "event state(0x301, 0x0)". A line when the cameras go or come back, "cameras
  // unplugged", "cameras switched off", "cameras back: Canon EOS 90D". At the end the
  // summary and the leaks.
  bool Open(const std::string& trace_path);
  void Close();

  void Handed(RefKind kind) { ++handed_[static_cast<size_t>(kind)]; }
  void Released(RefKind kind) { ++released_[static_cast<size_t>(kind)]; }
  void SessionOpened() { ++sessions_opened_; }
  void SessionClosed() { ++sessions_closed_; }

  uint32_t handed(RefKind kind) const { return handed_[static_cast<size_t>(kind)]; }
  uint32_t released(RefKind kind) const { return released_[static_cast<size_t>(kind)]; }
  uint32_t sessions_opened() const { return sessions_opened_; }
  uint32_t sessions_closed() const { return sessions_closed_; }

  // One line of the trace (a line end is added).
  void Trace(std::string_view line);
  // "books: references handed out 12, released 12; sessions opened 1, closed 1"
  std::string Summary() const;
  // Writes the summary and one "leak: " line per kind with more handed out than
  // released, and per session left open; returns the number of leak lines.
  int ReportLeaks();

 private:
  std::array<uint32_t, kRefKindCount> handed_{};
  std::array<uint32_t, kRefKindCount> released_{};
  uint32_t sessions_opened_ = 0;
  uint32_t sessions_closed_ = 0;
  CFile trace_;
};

}  // namespace eos::sim
