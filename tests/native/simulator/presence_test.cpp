#include "simulator/core/presence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace eos::sim {
namespace {

using Change = Presence::Change;

// One thing that happens to the cameras at a time, and what the presence answers.
struct Step {
  enum What { kCall, kLook, kSession, kKeepAlive, kNoSession } what;
  uint64_t at;
  std::vector<Change> changes = {};  // kLook: what has changed by then
  bool pulls = false;                // kCall: the call pulls the cable
  bool present = true;               // after the step
};

const char* Name(Step::What what) {
  static const char* const kNames[] = {"call", "look", "session", "keep-alive", "no session"};
  return kNames[what];
}

// Runs the steps in order against a presence of `scenario`; the calls are of
// EdsDownloadEvfImage unless the scenario's rule names another.
void Play(const std::string& scenario, const std::vector<Step>& steps, const char* entry = "EdsDownloadEvfImage") {
  std::string error;
  const auto sc = ParseScenario(scenario, &error);
  ASSERT_TRUE(sc) << error;
  Presence presence(&*sc);
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    SCOPED_TRACE(testing::Message() << "step " << i << ": " << Name(s.what) << " at " << s.at);
    switch (s.what) {
      case Step::kCall:
        EXPECT_EQ(presence.Call(entry, std::nullopt, s.at), s.pulls);
        break;
      case Step::kLook:
        EXPECT_EQ(presence.Advance(s.at), s.changes);
        break;
      case Step::kSession:
      case Step::kKeepAlive:
        presence.KeepAwake(s.at);
        break;
      case Step::kNoSession:
        presence.Idle();
        break;
    }
    EXPECT_EQ(presence.present(), s.present);
  }
}

TEST(Presence, PulledAfterTheNthCallForGoodWithoutAReturn) {
  Play("unplug = after EdsDownloadEvfImage 2", {
                                                   {Step::kCall, 0},
                                                   {Step::kCall, 10, {}, true, false},
                                                   {Step::kLook, 1000000, {}, false, false},
                                                   {Step::kCall, 1000000, {}, false, false},
                                               });
}

TEST(Presence, BackAfterItsTimeAndCallsWhileGoneDoNotCount) {
  Play("unplug = after EdsDownloadEvfImage 2 back after 100", {
                                                                  {Step::kCall, 0},
                                                                  {Step::kCall, 10, {}, true, false},
                                                                  {Step::kCall, 50, {}, false, false},
                                                                  {Step::kLook, 109, {}, false, false},
                                                                  {Step::kLook, 110, {Change::kBack}},
                                                                  {Step::kLook, 111, {}},
                                                                  // Without repeat the first pull is the only one.
                                                                  {Step::kCall, 120},
                                                                  {Step::kCall, 130},
                                                                  {Step::kCall, 140},
                                                              });
}

TEST(Presence, RepeatPullsAgainAfterTheSameCountSinceEachReturn) {
  Play("unplug = after EdsDownloadEvfImage 2 back after 100 repeat 2", {
                                                                           {Step::kCall, 0},
                                                                           {Step::kCall, 0, {}, true, false},
                                                                           {Step::kLook, 100, {Change::kBack}},
                                                                           {Step::kCall, 101},
                                                                           {Step::kCall, 102, {}, true, false},
                                                                           {Step::kLook, 202, {Change::kBack}},
                                                                           {Step::kCall, 203},
                                                                           {Step::kCall, 204, {}, true, false},
                                                                           {Step::kLook, 304, {Change::kBack}},
                                                                           {Step::kCall, 305},
                                                                           {Step::kCall, 306},
                                                                           {Step::kCall, 307},
                                                                           {Step::kCall, 308},
                                                                       });
}

TEST(Presence, OnlyTheCallsTheRuleNamesCount) {
  const auto sc = ParseScenario("unplug = after EdsSetPropertyData:0x500 2 back after 0", nullptr);
  ASSERT_TRUE(sc);
  Presence presence(&*sc);
  EXPECT_FALSE(presence.Call("EdsSetPropertyData", 0x500u, 0));
  EXPECT_FALSE(presence.Call("EdsSetPropertyData", 0x501u, 0));
  EXPECT_FALSE(presence.Call("EdsGetPropertyData", 0x500u, 0));
  EXPECT_TRUE(presence.Call("EdsSetPropertyData", 0x500u, 0));
  EXPECT_EQ(presence.Advance(0), std::vector<Change>{Change::kBack});
  EXPECT_EQ(presence.returns(), 1u);
}

TEST(Presence, ASessionWithoutTheKeepAliveSwitchesOffAfterAWarningHalfway) {
  Play("sleep_after = 1000 back after 500", {
                                                {Step::kLook, 5000},  // no session: the time does not run
                                                {Step::kSession, 5000},
                                                {Step::kLook, 5499},
                                                {Step::kLook, 5500, {Change::kWarning}},
                                                {Step::kLook, 5999},
                                                {Step::kLook, 6000, {Change::kSwitchedOff}, false, false},
                                                {Step::kLook, 6499, {}, false, false},
                                                {Step::kLook, 6500, {Change::kBack}},
                                                {Step::kLook, 60000},  // back, and no session on it yet
                                            });
}

TEST(Presence, TheKeepAliveStartsTheTimeOver) {
  Play("sleep_after = 1000", {
                                 {Step::kSession, 0},
                                 {Step::kLook, 500, {Change::kWarning}},
                                 {Step::kKeepAlive, 600},
                                 {Step::kLook, 1099},
                                 {Step::kLook, 1100, {Change::kWarning}},
                                 {Step::kKeepAlive, 1200},
                                 {Step::kLook, 2199, {Change::kWarning}},
                                 {Step::kLook, 2200, {Change::kSwitchedOff}, false, false},
                                 {Step::kLook, 100000, {}, false, false},  // switched off for good
                             });
}

TEST(Presence, NoSessionNoSwitchingOff) {
  Play("sleep_after = 1000", {
                                 {Step::kSession, 0},
                                 {Step::kLook, 600, {Change::kWarning}},
                                 {Step::kNoSession, 700},
                                 {Step::kLook, 100000},
                             });
}

// A host that looks late sees every change that came meanwhile, in its order.
TEST(Presence, ALateLookFindsTheChangesInTheirOrder) {
  Play("sleep_after = 1000 back after 500",
       {
           {Step::kSession, 0},
           {Step::kLook, 10000, {Change::kWarning, Change::kSwitchedOff, Change::kBack}},
       });
}

TEST(Presence, ThePullStopsTheTimeToSwitchingOff) {
  Play("sleep_after = 1000\nunplug = after EdsDownloadEvfImage 1 back after 100",
       {
           {Step::kSession, 0},
           {Step::kCall, 400, {}, true, false},
           {Step::kLook, 500, {Change::kBack}},
           {Step::kLook, 5000},  // its new session has not opened
           {Step::kSession, 5000},
           {Step::kLook, 6000, {Change::kWarning, Change::kSwitchedOff}, false, false},
       });
}

TEST(Presence, TheKeepAliveOfACameraThatIsGoneChangesNothing) {
  Play("sleep_after = 1000 back after 100\nunplug = after EdsDownloadEvfImage 1",
       {
           {Step::kCall, 0, {}, true, false},
           {Step::kKeepAlive, 10, {}, false, false},
           {Step::kLook, 100000, {}, false, false},
       });
}

TEST(Presence, TheTimeLeftToSwitchingOff) {
  const auto sc = ParseScenario("sleep_after = 1000", nullptr);
  ASSERT_TRUE(sc);
  Presence presence(&*sc);
  EXPECT_EQ(presence.UntilSwitchOff(0), std::nullopt);
  presence.KeepAwake(100);
  EXPECT_EQ(presence.UntilSwitchOff(700), 400u);
  EXPECT_EQ(presence.UntilSwitchOff(5000), 0u);
}

}  // namespace
}  // namespace eos::sim
