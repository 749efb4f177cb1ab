// Picks the real runtime and hands over to the program's entry.
#include <memory>

#include "platform/fltk/real_runtime.h"
#include "platform/settings_store.h"
#include "startup/run_modes.h"

int main(int argc, char** argv) {
  using namespace quarlyn;
  SettingsStore store(SettingsStore::default_file(kApplicationName), kSettingsSection);
  RealRuntime runtime(argc, argv, kApplicationName, store);
  auto settings = std::make_unique<Settings>();
  RunFlags flags;
  // The configuration and saver windows are not built yet: each mode ends as soon as its window
  // would have been shown.
  ModeWindows windows{
      .show_configuration = [] {},
      .show_saver = [&flags] { flags.saver_running = false; },
  };
  Main(runtime, *settings, flags, windows);
  // The program lives on while one of its windows is open.
  runtime.run_until_closed();
  return 0;
}
