// What a capture run gives its dialog besides the host's capture keys, and what the dialog
// gives back for the next run.
#pragma once

#include <chrono>

namespace eos {

// What a run asks of the dialog.
struct RunOptions {
  bool settings_only = false;                      // the settings dialog alone, for the settings text
  bool can_settings = true;                        // the host allows the settings button
  bool can_focus = true;                           // and the focus buttons
  std::chrono::steady_clock::time_point called{};  // when the host called: the run's steps count from it
};

// The run's settings that the dialog changes as the user and the settings text say; the
// run keeps them for the next one.
struct RunChoices {
  int delay = 0;                       // the countdown before the release, in seconds
  int after_mode = 0;                  // the settings text's AfterMode
  bool camera_values_applied = false;  // the stored settings' camera values went to the camera
  bool settings_confirmed = false;     // the user confirmed the settings dialog
};

}  // namespace eos
