#include "startup/run_modes.h"

#include <cctype>

#include "platform/waiting.h"

namespace quarlyn {

std::string run_switch(const std::string& command_line) {
  std::string result = command_line.substr(0, 2);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result.empty() ? "/C" : result;
}

bool window_absent(Runtime& runtime, const std::string& caption) { return !runtime.window_exists(caption); }

std::string get_windows_dir(Runtime& runtime) {
  std::string folder = runtime.windows_dir();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

void Main(Runtime& runtime, Settings& settings, RunFlags& flags, const ModeWindows& windows) {
  const std::string mode = run_switch(runtime.command_line());
  settings.windows_dir = get_windows_dir(runtime);
  load_settings(runtime, settings);
  // The caption search alone lets two programs started together both pass before either window
  // shows; the claim settles which one runs.
  if (mode == "/C") {
    if (!window_absent(runtime, kConfigurationCaption) || !runtime.claim_instance(kConfigurationCaption)) {
      runtime.end_program();
    }
    windows.show_configuration();
  } else if (mode == "/S") {
    if (!window_absent(runtime, kSaverCaption) || !runtime.claim_instance(kSaverCaption)) return;
    flags.started_from_config = 0;
    flags.saver_running = true;
    windows.show_saver();
    yield_while(runtime, [&] { return flags.saver_running; });
    flush_settings(runtime);
    runtime.end_program();
  }
}

}  // namespace quarlyn
