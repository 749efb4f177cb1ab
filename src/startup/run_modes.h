// The program's entry: picks the run mode from the command line and opens its window.
#pragma once

#include <functional>
#include <string>

#include "platform/runtime.h"
#include "startup/run_flags.h"
#include "startup/settings.h"

namespace quarlyn {

inline constexpr const char* kConfigurationCaption = "Quarlyn Configuration";
inline constexpr const char* kSaverCaption = "StakkoSaver";

// How the entry shows the two windows of the program; the windows themselves live in the
// layers above this one.
struct ModeWindows {
  std::function<void()> show_configuration;  // modeless; returns at once
  std::function<void()> show_saver;          // modeless; the saver runs inside its events
};

// "/S" runs the saver, "/C" or nothing opens the configuration window, anything else ends the
// program; only the first two characters count, in any letter case. A mode whose window is open
// already, or whose instance another program has claimed, shows nothing.
void Main(Runtime& runtime, Settings& settings, RunFlags& flags, const ModeWindows& windows);

// The first two characters of the command line in upper case; "/C" when it is empty.
std::string run_switch(const std::string& command_line);
// True when no top-level window has exactly this caption.
bool window_absent(Runtime& runtime, const std::string& caption);
// The per-user folder for the program's own files, ending in "/".
std::string get_windows_dir(Runtime& runtime);

}  // namespace quarlyn
