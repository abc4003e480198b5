#include "tests/win/support/wait.h"

#include "win/timer.h"

namespace eos::test {

namespace {

// Looks at `done` until it answers true or the time is up, calling `pause` between two looks.
testing::AssertionResult Poll(const std::function<bool()>& done, DWORD timeout_ms, std::string_view what,
                              const std::function<void()>& pause) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return testing::AssertionSuccess();
    if (GetTickCount() - start >= timeout_ms)
      return testing::AssertionFailure() << "waited " << timeout_ms << " ms for " << what;
    pause();
  }
}

}  // namespace

testing::AssertionResult WaitUntil(const std::function<bool()>& done, DWORD timeout_ms, std::string_view what,
                                   DWORD poll_ms) {
  return Poll(done, timeout_ms, what, [poll_ms] { Sleep(poll_ms); });
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  return static_cast<bool>(Poll(done, timeout_ms, "", [] { win::PumpMessagesFor(10); }));
}

}  // namespace eos::test
