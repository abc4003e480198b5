#include "dialog/core/focus_steps.h"

namespace eos {

namespace {

struct Step {
  int step;
  RemoteViewFinderDriveLensType command;
  int next;
};

constexpr Step kSteps[] = {
    {-1, RemoteViewFinderDriveLensNear1, -2}, {-2, RemoteViewFinderDriveLensNear2, -3},
    {-3, RemoteViewFinderDriveLensNear3, -3}, {1, RemoteViewFinderDriveLensFar1, 2},
    {2, RemoteViewFinderDriveLensFar2, 3},    {3, RemoteViewFinderDriveLensFar3, 3},
};

const Step* Find(int step) {
  for (const Step& s : kSteps)
    if (s.step == step) return &s;
  return nullptr;
}

}  // namespace

std::optional<RemoteViewFinderDriveLensType> LensCommand(int step) {
  if (const Step* s = Find(step)) return s->command;
  return std::nullopt;
}

int NextFocusStep(int step) {
  const Step* s = Find(step);
  return s ? s->next : step;
}

std::optional<RemoteViewFinderDriveLensType> FocusHold::Tick() {
  if (repeat >= kTicksPerFocusSpeed) {
    repeat = 0;
    step = NextFocusStep(step);
  }
  ++repeat;
  return LensCommand(step);
}

}  // namespace eos
