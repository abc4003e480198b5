#include "simulator/core/sdk.h"

#include <chrono>
#include <cstring>
#include <new>
#include <optional>
#include <thread>
#include <type_traits>

#include "simulator/core/sdk_state.h"

namespace eos::sim {
namespace {

// The first integral argument of a call: what a scenario's "ENTRY:ARG" matches.
template <class... A>
std::optional<uint32_t> FirstNumber(const A&... args) {
  std::optional<uint32_t> out;
  [[maybe_unused]] auto take = [&](const auto& a) {
    using T = std::decay_t<decltype(a)>;
    if constexpr (std::is_integral_v<T>)
      if (!out) out = static_cast<uint32_t>(a);
  };
  (take(args), ...);
  return out;
}

// The first reference among a call's arguments: the object a call works on.
template <class... A>
EdsBaseRef FirstRef(const A&... args) {
  EdsBaseRef out = nullptr;
  [[maybe_unused]] auto take = [&](const auto& a) {
    if constexpr (std::is_same_v<std::decay_t<decltype(a)>, EdsBaseRef>)
      if (out == nullptr) out = a;
  };
  (take(args), ...);
  return out;
}

}  // namespace

// A call through a camera that is gone answers "disconnected" and counts for nothing;
// the call that pulls the cable still goes through.
template <class F, class... A>
EdsError Sdk::State::Run(const char* name, F&& body, const A&... args) {
  std::lock_guard lock(mutex);
  std::vector<uint32_t> events;
  EdsError r = EDS_ERR_OK;
  bool pulls = false;
  const bool starting = std::strcmp(name, "EdsInitializeSDK") == 0;
  const std::optional<uint32_t> number = FirstNumber(args...);
  if (!starting && !initialized && std::strcmp(name, "EdsTerminateSDK") != 0) {
    r = EDS_ERR_INVALID_FUNCTION_CALL;
  } else if (!starting) {
    if (initialized) Advance();
    if (initialized && NeedsTheCamera(name) && Gone(FirstRef(args...))) {
      r = EDS_ERR_COMM_DISCONNECTED;
    } else {
      r = counter.Count(name, number, &events);
      pulls = initialized && presence.Call(name, number, Now());
    }
  }
  if (r == EDS_ERR_OK) {
    if (const uint32_t ms = CallDelayMs(scenario, name, number))
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    try {
      r = body();
    } catch (const std::bad_alloc&) {
      r = EDS_ERR_MEM_ALLOC_FAILED;
    } catch (...) {
      r = EDS_ERR_INTERNAL_ERROR;
    }
    if (starting && r == EDS_ERR_OK) counter.Count(name, std::nullopt, &events);
  }
  if (initialized) SeeLiveView();
  std::string line = FormatCall(name, args...);
  Append(line, " = 0x%08X", static_cast<unsigned>(r));
  books.Trace(line);
  if (pulls && initialized) Depart("unplugged");
  for (uint32_t e : events) PostState(e, 0);
  return r;
}

Sdk::Sdk(SdkSetup setup) : s_(std::make_unique<State>(std::move(setup))) {}

Sdk::~Sdk() {
  std::lock_guard lock(s_->mutex);
  if (s_->initialized) s_->Shutdown();
}

const Books& Sdk::books() const { return s_->books; }

void Sdk::Tick() {
  std::unique_lock lock(s_->mutex, std::try_to_lock);
  if (lock && s_->initialized) s_->Advance();
}

#define EOS_SIM_DEFINE(name, exported, ret, params, args)                   \
  ret Sdk::name params {                                                    \
    return s_->Run(#name, [&] { return s_->name args; } EOS_SIM_ARGS args); \
  }
#define EOS_SIM_ARGS(...) __VA_OPT__(, ) __VA_ARGS__
EDSDK_ENTRY_POINTS(EOS_SIM_DEFINE)
#undef EOS_SIM_ARGS
#undef EOS_SIM_DEFINE

}  // namespace eos::sim
