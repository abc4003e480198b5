#include "simulator/core/books.h"

namespace eos::sim {

std::string_view RefKindName(RefKind kind) {
  static constexpr std::array<std::string_view, kRefKindCount> kNames = {
#define EOS_SIM_NAME(e, name) name,
      EOS_SIM_REF_KINDS(EOS_SIM_NAME)
#undef EOS_SIM_NAME
  };
  return kNames[static_cast<size_t>(kind)];
}

bool Books::Open(const std::string& trace_path) {
  Close();
  handed_ = {};
  released_ = {};
  sessions_opened_ = sessions_closed_ = 0;
  if (trace_path.empty()) return true;
  trace_ = CFile(std::fopen(trace_path.c_str(), "ab"));
  return static_cast<bool>(trace_);
}

void Books::Close() { trace_.Close(); }

void Books::Trace(std::string_view line) {
  if (!trace_) return;
  std::fwrite(line.data(), 1, line.size(), trace_.get());
  std::fputs("\r\n", trace_.get());
  std::fflush(trace_.get());  // a test reads the file while the process still runs
}

std::string Books::Summary() const {
  uint32_t handed = 0, released = 0;
  for (size_t i = 0; i < kRefKindCount; ++i) {
    handed += handed_[i];
    released += released_[i];
  }
  return "books: references handed out " + std::to_string(handed) + ", released " + std::to_string(released) +
         "; sessions opened " + std::to_string(sessions_opened_) + ", closed " + std::to_string(sessions_closed_);
}

int Books::ReportLeaks() {
  Trace(Summary());
  int leaks = 0;
  for (size_t i = 0; i < kRefKindCount; ++i) {
    if (handed_[i] > released_[i]) {
      Trace("leak: " + std::string(RefKindName(static_cast<RefKind>(i))) + " x" +
            std::to_string(handed_[i] - released_[i]));
      ++leaks;
    }
  }
  if (sessions_opened_ > sessions_closed_) {
    Trace("leak: session x" + std::to_string(sessions_opened_ - sessions_closed_));
    ++leaks;
  }
  return leaks;
}

}  // namespace eos::sim
