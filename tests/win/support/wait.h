// Waiting in tests for what another thread, a timer or the message loop brings about: one
// polling loop with a deadline, for every wait of the tests.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string_view>

namespace eos::test {

// Looks at `done` every `poll_ms` until it answers true or `timeout_ms` has passed. The
// result is a success, or a failure that says what was awaited and for how long, for
// ASSERT_TRUE or EXPECT_TRUE; a wait whose outcome the test checks by itself drops it.
// `what` reads after "waited N ms for": "the dialog to close".
testing::AssertionResult WaitUntil(const std::function<bool()>& done, DWORD timeout_ms, std::string_view what,
                                   DWORD poll_ms = 20);

// Dispatches the calling thread's messages until `done` answers true or the time is up;
// answers `done()` at the end.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000);

}  // namespace eos::test
